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
    std::optional<std::array<int, 4>> captureWindow;  // x, y, width, height
};

// A whole decimal number from minimum to maximum.
bool ParseLong(const std::string& text, long minimum, long maximum, long& value);

// 8, 16, 24, 32, 48 or 64: the output formats of the colour modes.
bool IsOutputBits(long bits);

// Parses the arguments after "stream"; nullopt with a message in `error`.
std::optional<StreamOptions> ParseStreamOptions(const std::vector<std::string>& arguments, std::string& error);

std::string StreamUsage();

}  // namespace quelix::tool
