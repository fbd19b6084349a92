// SPDX-License-Identifier: MIT
// Whole messages over stream sockets: the driver connection and the
// simulated camera's nodes both speak in framed messages, so both need
// every byte sent and every byte received, across partial transfers and
// interrupted calls.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <optional>

namespace quelix::platform {

// Sends every part in order; false when the peer is gone.
inline bool SendAll(int fd, iovec* parts, size_t count)
{
    for (;;) {
        while (count > 0 && parts->iov_len == 0) {
            ++parts;
            --count;
        }
        if (count == 0)
            return true;
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = count;
        ssize_t sent = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        while (count > 0 && size_t(sent) >= parts->iov_len) {
            sent -= ssize_t(parts->iov_len);
            ++parts;
            --count;
        }
        if (count > 0) {
            parts->iov_base = static_cast<char*>(parts->iov_base) + sent;
            parts->iov_len -= size_t(sent);
        }
    }
}

using SocketDeadline = std::optional<std::chrono::steady_clock::time_point>;

// Whether data (or the peer's end) arrives before the deadline; none waits without limit.
inline bool WaitReadable(int fd, const SocketDeadline& deadline)
{
    if (!deadline)
        return true;
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watched{fd, POLLIN, 0};
        const int ready = poll(&watched, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

// Receives exactly `size` bytes; false when the peer is gone first or the
// deadline passes.
inline bool ReceiveExact(int fd, void* data, size_t size, const SocketDeadline& deadline = std::nullopt)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        if (!WaitReadable(fd, deadline))
            return false;
        const ssize_t got = recv(fd, bytes, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= size_t(got);
    }
    return true;
}

}  // namespace quelix::platform
