// SPDX-License-Identifier: MIT
// Unix stream sockets for the device nodes: whole messages in and out, and
// the listening socket of a node.
#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <cstddef>
#include <string>

namespace quelix::usbd {

// Sends every part in order; false when the peer is gone.
bool SendAll(int fd, iovec* parts, size_t count);
// Receives exactly `size` bytes; false when the peer closes or fails first.
bool ReceiveExact(int fd, void* buffer, size_t size);
// Whether the peer has closed its end (or the socket was shut down here).
bool PeerClosed(int fd);

// A listening socket at `path` with mode 0660 and, when `group` is not -1,
// that group. A leftover socket nobody serves is replaced; a path served by
// another process, or that is not a socket, is an error.
int ListenAt(const std::string& path, gid_t group, std::string& error);
// A connected socket, or -1.
int ConnectTo(const std::string& path);

}  // namespace quelix::usbd
