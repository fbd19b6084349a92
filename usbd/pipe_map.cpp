// SPDX-License-Identifier: MIT
#include "usbd/pipe_map.h"

namespace quelix::usbd {

namespace {

constexpr uint8_t kDirectionIn = 0x80;
constexpr uint8_t kTransferTypeMask = 0x03;
constexpr uint8_t kTransferTypeBulk = 0x02;

const char* TypeName(uint8_t attributes)
{
    switch (attributes & kTransferTypeMask) {
        case 0:
            return "control";
        case 1:
            return "isochronous";
        case 2:
            return "bulk";
        default:
            return "interrupt";
    }
}

}  // namespace

std::optional<PipeMap> MapPipes(std::span<const EndpointInfo> endpoints, std::string& why)
{
    if (endpoints.size() != 3) {
        why = "interface 0 has " + std::to_string(endpoints.size()) + " endpoints, not 3";
        return std::nullopt;
    }
    static constexpr bool kWantIn[3] = {false, true, true};
    PipeMap map;
    for (size_t pipe = 0; pipe < 3; ++pipe) {
        const EndpointInfo& endpoint = endpoints[pipe];
        const bool in = (endpoint.address & kDirectionIn) != 0;
        if ((endpoint.attributes & kTransferTypeMask) != kTransferTypeBulk || in != kWantIn[pipe]) {
            why = "endpoint " + std::to_string(pipe) + " of interface 0 is " + TypeName(endpoint.attributes) +
                  (in ? " IN" : " OUT") + ", not bulk " + (kWantIn[pipe] ? "IN" : "OUT");
            return std::nullopt;
        }
        map.endpoints[pipe] = endpoint.address;
    }
    return map;
}

}  // namespace quelix::usbd
