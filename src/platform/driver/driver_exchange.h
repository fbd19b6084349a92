// SPDX-License-Identifier: MIT
// One control request and its reply over a connected device-node socket:
// the part of the driver connection that reads what the node sends back,
// kept apart so that it can be exercised against any peer.
#pragma once

#include <cstdint>

namespace quelix::platform {

// Late and Malformed leave a byte stream that cannot be trusted again.
enum class ExchangeResult {
    Succeeded,
    Failed,     // the driver answered that the request failed
    Late,       // no whole reply before the deadline
    Malformed,  // a reply that breaks the format
    Closed,     // the node ended the connection (its device went away)
};

// A frame read's reply is awaited for the driver time-out timeoutMs (0:
// without limit) and a short grace; every other reply for one second.
ExchangeResult ExchangeOnSocket(int fd, uint32_t code, const void* input, uint32_t inputSize, void* output,
                                uint32_t outputSize, uint32_t& bytesReturned, uint32_t timeoutMs);

}  // namespace quelix::platform
