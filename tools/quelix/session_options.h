// SPDX-License-Identifier: MIT
// The camera options that every camera command of the quelix tool takes:
// which camera, the output bits, the simulated camera, the preview window
// and the camera's settings.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quelix::tool {

struct SessionOptions {
    int device = 0;
    int bits = 8;
    bool simulate = false;
    std::string scene = "moving";
    bool showWindow = false;
    std::optional<int> exposureMicroseconds;
    bool mirrorH = false;
    bool mirrorV = false;
    bool autoExposure = false;
    std::optional<std::array<int, 4>> captureWindow;  // x, y, width, height
    std::string mask;                                 // a mask file to correct with; empty: none
};

enum class OptionMatch { Taken, NotCameraOption, Bad };

// Takes arguments[i] (and its value, advancing i) when it is a camera
// option. Bad: the message is in `error`.
OptionMatch ParseCameraOption(const std::vector<std::string>& arguments, size_t& i, SessionOptions& options,
                              std::string& error);

// `text` as a number from minimum to maximum.
bool ParseLong(const std::string& text, long minimum, long maximum, long& value);

// 8, 16, 24, 32, 48 or 64: the output depths of the colour modes.
bool IsOutputBits(long bits);

// The usage lines of the camera options.
std::string CameraOptionsUsage();

}  // namespace quelix::tool
