// SPDX-License-Identifier: MIT
// The connection to the camera's driver: the stand-in for opening a driver
// device by path and issuing control requests on it (CreateFile and
// DeviceIoControl). The wire format is docs/driver-protocol.md.
//
// On Windows these are the real CreateFileA and DeviceIoControl on the
// camera's kernel driver (driver_connection_win.cpp), unless
// $QUELIX_DRIVER_TCP_PORT is set: then device N is the simulated camera
// listening on 127.0.0.1 at that port + N, spoken to in the framed protocol
// (driver_tcp_win.cpp), for tests where no driver is installed.
#pragma once

#include <cstdint>
#include <string>

namespace quelix::platform {

using DriverHandle = intptr_t;
inline constexpr DriverHandle kNoDriverHandle = 0;
inline constexpr DriverHandle kInvalidDriverHandle = -1;  // a failed open

// Opens the driver path "\\.\NAME", the device node NodePath(path).
// Yields kInvalidDriverHandle when the device cannot be opened. Waits at
// most one second for the node to take the connection (no wait while the
// device does not answer); a node that does not take it gives a handle
// whose requests fail until the device answers again.
DriverHandle OpenDriver(const char* path);
// false for an unknown handle (the invalid handle included).
bool CloseDriver(DriverHandle handle);

// Issues one control request; blocks until the driver completes it or its
// deadline passes (docs/driver-protocol.md). false when the request failed,
// the handle is unknown, its device went away or does not answer (then at
// once, but for a probe at most once a second: device_liveness.h).
// bytesReturned (may be null) receives the count the driver reports.
bool DeviceIoControl(DriverHandle handle, uint32_t code, const void* input, uint32_t inputSize, void* output,
                     uint32_t outputSize, uint32_t* bytesReturned);

#ifndef _WIN32
// $QUELIX_DEVICE_DIR, else ${XDG_RUNTIME_DIR:-/tmp}/quelix.
std::string DeviceDirectory();
// The device node of the driver path "\\.\NAME"; empty for another path.
// Without $QUELIX_DEVICE_DIR, a node NAME the user's directory lacks is
// looked for in the system driver's directory /run/quelix.
std::string NodePath(const char* path);
#endif

}  // namespace quelix::platform
