// SPDX-License-Identifier: MIT
// The device node of one served camera: a Unix stream socket in the device
// directory. Every connection is one driver handle, served on a thread of
// its own, so requests on one handle are answered in order and separate
// handles are served at once.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "usbd/camera_link.h"

namespace quelix::usbd {

class DeviceNode {
public:
    DeviceNode(std::string path, CameraLink& link);
    ~DeviceNode();
    DeviceNode(const DeviceNode&) = delete;
    DeviceNode& operator=(const DeviceNode&) = delete;

    // Makes the node (group `group`, or the process's when -1) and starts
    // accepting; false with a message when the node cannot be made.
    bool Open(gid_t group, std::string& error);
    // Removes the node and closes every connection; returns when their threads have ended.
    void Close();
    const std::string& Path() const { return path_; }

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
    CameraLink& link_;
    std::mutex mutex_;  // guards the fields below
    bool open_ = false;
    int listenFd_ = -1;
    std::list<std::unique_ptr<Connection>> connections_;
    std::thread acceptThread_;
};

}  // namespace quelix::usbd
