// The options of `quelix stream`.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quelix::tool {

struct StreamOptions {
    int device = 0;
    int bits = 8;
    long frames = 0;  // 0: until interrupted
    bool simulate = false;
    std::string scene = "moving";
    bool showWindow = false;
    std::optional<int> exposureMicroseconds;
    bool mirrorH = false;
    bool mirrorV = false;
    bool autoExposure = false;
    bool latency = false;  // report latency percentiles
    std::optional<std::array<int, 4>> captureWindow;  // x, y, width, height
};

// Parses the arguments after "stream"; nullopt with a message in `error`.
std::optional<StreamOptions> ParseStreamOptions(const std::vector<std::string>& arguments, std::string& error);

std::string StreamUsage();

}  // namespace quelix::tool
