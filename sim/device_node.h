// SPDX-License-Identifier: MIT
// The device node of one camera: a Unix stream socket in the device
// directory. Every connection is one driver handle; its requests are read,
// served and answered in order on a thread of the connection's own, so a
// request that blocks (a frame read) holds up only its own handle.
#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/driver_request.h"

namespace quelix::sim {

class DeviceNode {
public:
    // tcpPort above 0: the node is a TCP socket on 127.0.0.1 at that port
    // (the path only names it in messages).
    DeviceNode(std::string path, RequestServer server, int tcpPort = 0);
    ~DeviceNode();
    DeviceNode(const DeviceNode&) = delete;
    DeviceNode& operator=(const DeviceNode&) = delete;

    // Makes the node and starts accepting connections; false with a message
    // when the node cannot be made.
    bool Open(std::string& error);
    // Removes the node and ends every connection; returns when their threads have ended.
    void Close();

private:
    struct Connection {
        explicit Connection(int socketFd) : fd(socketFd) {}
        const int fd;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void AcceptConnections(int listenFd);
    void ServeConnection(Connection& connection);
    void JoinFinishedConnections();  // with mutex_ held

    const std::string path_;
    const RequestServer server_;
    const int tcpPort_;
    std::mutex mutex_;  // guards the fields below
    bool open_ = false;
    int listenFd_ = -1;
    std::list<std::unique_ptr<Connection>> connections_;
    std::thread acceptThread_;
};

}  // namespace quelix::sim
