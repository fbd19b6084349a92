// SPDX-License-Identifier: MIT
// The command line of quelix-soak.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelix::soak {

struct SoakOptions {
    int seconds = 60;
    int cameras = 8;
    uint32_t seed = 1;
    int holdClaim = -1;  // run as the second process that claims this camera until killed
};

std::string SoakUsage();
// The options, or nullopt with the reason in `error`.
std::optional<SoakOptions> ParseSoakOptions(const std::vector<std::string>& arguments, std::string& error);

}  // namespace quelix::soak
