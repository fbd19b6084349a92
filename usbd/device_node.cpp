// SPDX-License-Identifier: MIT
#include "usbd/device_node.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <vector>

#include "usbd/log.h"
#include "usbd/socket_io.h"

namespace quelix::usbd {

DeviceNode::DeviceNode(std::string path, CameraLink& link) : path_(std::move(path)), link_(link) {}

DeviceNode::~DeviceNode()
{
    Close();
}

bool DeviceNode::Open(gid_t group, std::string& error)
{
    std::lock_guard lock(mutex_);
    if (open_)
        return true;
    const int fd = ListenAt(path_, group, error);
    if (fd < 0)
        return false;
    try {
        acceptThread_ = std::thread([this, fd] { AcceptConnections(fd); });
    } catch (const std::system_error&) {
        close(fd);
        unlink(path_.c_str());
        error = "cannot start a thread for " + path_;
        return false;
    }
    listenFd_ = fd;
    open_ = true;
    return true;
}

void DeviceNode::Close()
{
    std::list<std::unique_ptr<Connection>> ending;
    std::thread acceptor;
    int listenFd;
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return;
        open_ = false;
        unlink(path_.c_str());
        shutdown(listenFd_, SHUT_RDWR);  // wakes the accepting thread
        // A transfer in flight sees its connection shut and ends.
        for (const auto& connection : connections_)
            shutdown(connection->fd, SHUT_RDWR);
        ending.swap(connections_);
        acceptor = std::move(acceptThread_);
        listenFd = listenFd_;
        listenFd_ = -1;
    }
    acceptor.join();
    for (const auto& connection : ending) {
        connection->thread.join();
        close(connection->fd);
    }
    close(listenFd);
}

void DeviceNode::AcceptConnections(int listenFd)
{
    for (;;) {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                Log(path_ + ": out of descriptors, connections wait");
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            return;  // the node was closed
        }
        std::lock_guard lock(mutex_);
        if (!open_) {
            close(fd);
            return;
        }
        JoinFinishedConnections();
        auto connection = std::make_unique<Connection>(fd);
        try {
            connection->thread = std::thread([this, raw = connection.get()] { ServeConnection(*raw); });
        } catch (const std::system_error&) {
            Log(path_ + ": cannot start a thread for a connection");
            close(fd);
            continue;
        }
        connections_.push_back(std::move(connection));
    }
}

void DeviceNode::JoinFinishedConnections()
{
    for (auto it = connections_.begin(); it != connections_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            close((*it)->fd);
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void DeviceNode::ServeConnection(Connection& connection)
{
    const int fd = connection.fd;
    const AbandonCheck abandoned = [fd] { return PeerClosed(fd); };
    HandleState handle;
    std::vector<uint8_t> input;
    std::vector<uint8_t> carried;
    std::vector<uint8_t> data;
    try {
        for (;;) {
            RequestHeader request;
            if (!ReceiveExact(fd, &request, sizeof request))
                break;
            // A malformed request ends the connection: its byte stream cannot be trusted.
            if (request.magic != kRequestMagic || request.inputLength > kMaxInput ||
                request.outputLength > kMaxOutput) {
                Log(path_ + ": malformed request, connection closed");
                break;
            }
            input.resize(request.inputLength);
            if (!ReceiveExact(fd, input.data(), input.size()))
                break;
            const bool carries = CarriesOutput(request.code, input.data(), request.inputLength);
            if (request.carriedLength != (carries ? request.outputLength : 0)) {
                Log(path_ + ": malformed request, connection closed");
                break;
            }
            carried.resize(request.carriedLength);
            if (!ReceiveExact(fd, carried.data(), carried.size()))
                break;
            const Reply reply =
                link_.Serve(handle, {request.code, input, carried, request.outputLength}, data, abandoned);
            const uint32_t dataLength = std::min<uint32_t>(reply.dataLength, uint32_t(data.size()));
            ResponseHeader response{kResponseMagic, reply.success ? 1u : 0u, reply.bytesReturned, dataLength};
            iovec parts[] = {{&response, sizeof response}, {data.data(), dataLength}};
            if (!SendAll(fd, parts, 2))
                break;
        }
    } catch (const std::bad_alloc&) {
        Log(path_ + ": out of memory for a request, connection closed");
    }
    shutdown(fd, SHUT_RDWR);
    connection.finished = true;
}

}  // namespace quelix::usbd
