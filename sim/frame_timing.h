// SPDX-License-Identifier: MIT
// How long the sensor takes for one frame: max(window height, exposure lines)
// lines of (window width + 69) clocks of 0.1 us.
#pragma once

#include <algorithm>
#include <chrono>

#include "sim/camera_registers.h"

namespace quelix::sim {

inline std::chrono::nanoseconds FramePeriod(const Window& window, uint16_t exposureLines)
{
    const int64_t lines = std::max({window.height, int(exposureLines), 1});
    return std::chrono::nanoseconds(lines * (window.width + 69) * 100);
}

}  // namespace quelix::sim
