// SPDX-License-Identifier: MIT
#include "usbd/socket_io.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quelix::usbd {

namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

bool SendAll(int fd, iovec* parts, size_t count)
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

bool ReceiveExact(int fd, void* buffer, size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
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

bool PeerClosed(int fd)
{
    pollfd watched{fd, POLLRDHUP, 0};
    return poll(&watched, 1, 0) > 0 && (watched.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int ConnectTo(const std::string& path)
{
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int connected;
    do
        connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (connected != 0 && errno == EINTR);
    if (connected != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int ListenAt(const std::string& path, gid_t group, std::string& error)
{
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        error = "socket path too long: " + path;
        return -1;
    }
    struct stat status;
    if (lstat(path.c_str(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode)) {
            error = path + " exists and is not a socket";
            return -1;
        }
        if (const int other = ConnectTo(path); other >= 0) {
            close(other);
            error = path + " is served by another process";
            return -1;
        }
        unlink(path.c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot make a socket: ") + std::strerror(errno);
        return -1;
    }
    // Connecting needs write access: the node is for its owner and group only,
    // from the moment it exists.
    const mode_t previous = umask(0117);
    const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    umask(previous);
    if (bound != 0 || chmod(path.c_str(), 0660) != 0 ||
        (group != gid_t(-1) && chown(path.c_str(), uid_t(-1), group) != 0) || listen(fd, 64) != 0) {
        error = "cannot listen at " + path + ": " + std::strerror(errno);
        if (bound == 0)
            unlink(path.c_str());
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace quelix::usbd
