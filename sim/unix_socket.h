// Unix stream sockets for the device nodes and the control sockets.
#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <string>

namespace quelix::sim {

// A listening socket at `path`. A leftover socket nobody serves is replaced;
// a path served by another process, or that is not a socket, is an error.
int ListenAt(const std::string& path, std::string& error);
// A connected socket, or -1.
int ConnectTo(const std::string& path);

bool ReceiveExact(int fd, void* data, size_t size);
// Sends every part in order; false when the peer is gone.
bool SendAll(int fd, iovec* parts, size_t count);

}  // namespace quelix::sim
