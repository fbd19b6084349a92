// SPDX-License-Identifier: MIT
// Rectangles as the camera code passes them: left, top, right, bottom, with
// right and bottom exclusive.
#pragma once

#include <cstdint>

namespace quelix::platform {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

}  // namespace quelix::platform
