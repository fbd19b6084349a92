// SPDX-License-Identifier: MIT
// quelix soak: streams from several simulated cameras while faults are
// injected at random, and checks that the library survives and recovers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelix::tool {

struct SoakOptions {
    int seconds = 60;
    int cameras = 8;
    uint32_t seed = 1;
    int holdClaim = -1;  // internal: be the second process that claims this camera until killed
};

std::string SoakUsage();
std::optional<SoakOptions> ParseSoakOptions(const std::vector<std::string>& arguments, std::string& error);
// 0 when every check passed.
int RunSoak(const SoakOptions& options);

}  // namespace quelix::tool
