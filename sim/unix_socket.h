// SPDX-License-Identifier: MIT
// Unix stream sockets for the device nodes and the control sockets, and the
// loopback TCP sockets of nodes served over TCP.
#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <string>

#include "platform/driver/socket_io.h"

namespace quelix::sim {

// A listening socket at `path`. A leftover socket nobody serves is replaced;
// a path served by another process, or that is not a socket, is an error.
int ListenAt(const std::string& path, std::string& error);
// A connected socket, or -1.
int ConnectTo(const std::string& path);
// A listening TCP socket on 127.0.0.1 (never another address) at `port`.
int ListenOnLoopback(int port, std::string& error);

using platform::ReceiveExact;
using platform::SendAll;

}  // namespace quelix::sim
