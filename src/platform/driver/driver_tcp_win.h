// SPDX-License-Identifier: MIT
// The test back end of the driver on Windows: the framed protocol of
// docs/driver-protocol.md over a TCP connection to 127.0.0.1, where the
// simulated camera serves device N at a base port + N.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace quelix::platform {

class TcpDriverConnection {
public:
    virtual ~TcpDriverConnection() = default;
    // One request and its reply; false when the request failed or the
    // connection broke (it is then connected afresh by the next request).
    virtual bool Request(uint32_t code, const void* input, uint32_t inputSize, void* output,
                         uint32_t outputSize, uint32_t& bytesReturned) = 0;
    // Wakes a request still blocked on the connection and ends it.
    virtual void Shut() = 0;
};

// The base port from $QUELIX_DRIVER_TCP_PORT (1 to 65535), or 0 when unset:
// the kernel driver is used.
uint16_t TcpDriverBasePort();
// Connects to the camera of the device name "Qlix205KWMX-N"; null when
// the name is another or nothing listens.
std::unique_ptr<TcpDriverConnection> ConnectTcpDriver(std::string_view deviceName, uint16_t basePort);

}  // namespace quelix::platform
