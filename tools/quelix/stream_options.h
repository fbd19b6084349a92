// SPDX-License-Identifier: MIT
// The options of `quelix stream`.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "quelix/session_options.h"

namespace quelix::tool {

struct StreamOptions : SessionOptions {
    long frames = 0;       // 0: until interrupted
    bool latency = false;  // report latency percentiles
};

// Parses the arguments after "stream"; nullopt with a message in `error`.
std::optional<StreamOptions> ParseStreamOptions(const std::vector<std::string>& arguments,
                                                std::string& error);

std::string StreamUsage();
// The lines of the usage texts for the options every camera command takes.
std::string CameraOptionsUsage();

}  // namespace quelix::tool
