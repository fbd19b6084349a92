// SPDX-License-Identifier: MIT
// One driver control request as the device node hands it to its camera, and
// what the camera answers (docs/driver-protocol.md).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "sim/camera_commands.h"

namespace quelix::sim {

struct DriverRequest {
    uint32_t code = 0;
    std::span<const uint8_t> input;
    std::span<const uint8_t> carried;  // the caller's output buffer, for pipe-0 requests
    uint32_t outputLength = 0;
};

struct RequestResult {
    bool success = false;
    uint32_t bytesReturned = 0;
    uint32_t dataLength = 0;  // bytes of the data buffer written back into the caller's output buffer
};

// What one driver handle keeps: the reply to its most recent query.
struct HandleState {
    Packet reply{};
    bool hasReply = false;
};

// Serves one request; `data` (owned by the connection, reused) receives the reply bytes.
using RequestServer =
    std::function<RequestResult(HandleState&, const DriverRequest&, std::vector<uint8_t>& data)>;

}  // namespace quelix::sim
