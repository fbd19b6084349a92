// SPDX-License-Identifier: MIT
// Pipes 0, 1 and 2 are the endpoints of interface 0 (alternate setting 0)
// in the order of its endpoint descriptors: bulk OUT, bulk IN, bulk IN.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quelix::usbd {

struct EndpointInfo {
    uint8_t address = 0;     // bEndpointAddress: bit 7 set for device to host
    uint8_t attributes = 0;  // bmAttributes: bits 1..0 the transfer type (2 bulk)
    uint16_t maxPacketSize = 0;
};

struct PipeMap {
    std::array<uint8_t, 3> endpoints{};  // the endpoint address of pipes 0, 1 and 2
};

// The pipes of an interface with exactly the camera's three bulk endpoints;
// otherwise nullopt, with `why` saying what is wrong.
std::optional<PipeMap> MapPipes(std::span<const EndpointInfo> endpoints, std::string& why);

}  // namespace quelix::usbd
