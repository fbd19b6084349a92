// SPDX-License-Identifier: MIT
#include "sim/device_node.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/driver/driver_wire.h"
#include "sim/unix_socket.h"

namespace quelix::sim {

namespace wire = driver_wire;

DeviceNode::DeviceNode(std::string path, RequestServer server, int tcpPort)
    : path_(std::move(path)), server_(std::move(server)), tcpPort_(tcpPort)
{
}

DeviceNode::~DeviceNode()
{
    Close();
}

bool DeviceNode::Open(std::string& error)
{
    std::lock_guard lock(mutex_);
    if (open_)
        return true;
    const int fd = tcpPort_ > 0 ? ListenOnLoopback(tcpPort_, error) : ListenAt(path_, error);
    if (fd < 0)
        return false;
    try {
        acceptThread_ = std::thread([this, fd] { AcceptConnections(fd); });
    } catch (const std::system_error&) {
        close(fd);
        if (tcpPort_ == 0)
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
        if (tcpPort_ == 0)
            unlink(path_.c_str());
        shutdown(listenFd_, SHUT_RDWR);  // wakes the accepting thread
        for (const auto& connection : connections_)
            shutdown(connection->fd, SHUT_RDWR);
        ending.swap(connections_);
        acceptor = std::move(acceptThread_);
        listenFd = listenFd_;
        listenFd_ = -1;
    }
    // Connections accepted from now on see the node closed and are dropped.
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
                // Out of descriptors for now: try again shortly.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            return;  // the node was closed
        }
        if (tcpPort_ > 0) {
            // Replies go out at once, not held back for more bytes.
            const int on = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
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
            close(fd);  // the client sees its connection closed
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
    HandleState handle;
    std::vector<uint8_t> input;
    std::vector<uint8_t> carried;
    std::vector<uint8_t> data;
    try {
        for (;;) {
            wire::RequestHeader request;
            if (!ReceiveExact(fd, &request, sizeof request))
                break;
            // A malformed request ends the connection: its byte stream cannot be trusted.
            if (request.magic != wire::kRequestMagic || request.inputLength > wire::kMaxInput ||
                request.outputLength > wire::kMaxOutput)
                break;
            input.resize(request.inputLength);
            if (!ReceiveExact(fd, input.data(), input.size()))
                break;
            const bool carries = wire::CarriesOutput(request.code, input.data(), request.inputLength);
            if (request.carriedLength != (carries ? request.outputLength : 0))
                break;
            carried.resize(request.carriedLength);
            if (!ReceiveExact(fd, carried.data(), carried.size()))
                break;
            const RequestResult result =
                server_(handle, {request.code, input, carried, request.outputLength}, data);
            wire::ResponseHeader response{wire::kResponseMagic, result.success ? 1u : 0u,
                                          result.bytesReturned, result.dataLength};
            iovec parts[] = {{&response, sizeof response}, {data.data(), result.dataLength}};
            if (!SendAll(fd, parts, 2))
                break;
        }
    } catch (const std::bad_alloc&) {
        // A request too large to take in: the connection ends, the camera carries on.
    }
    // The peer sees its connection end now; the descriptor is closed when the thread is joined.
    shutdown(fd, SHUT_RDWR);
    connection.finished = true;
}

}  // namespace quelix::sim
