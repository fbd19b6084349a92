// SPDX-License-Identifier: MIT
// Helpers of the window tests, which run on the headless screen and, under
// Xvfb, on a real X11 display.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "QuelixPlatform.h"
#include "platform/windowing/display_window.h"

namespace quelix::test {

// The client area as top-down rows of width x 3 bytes; empty when it cannot be read.
inline std::vector<uint8_t> ClientPixels(QUELIX_HWND window, int& width, int& height)
{
    if (QuelixPlatform_GetClientSize(window, &width, &height) == 0 || width <= 0 || height <= 0)
        return {};
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    if (QuelixPlatform_ReadClientPixels(window, pixels.data(), static_cast<int>(pixels.size())) == 0)
        return {};
    return pixels;
}

// Blue, green, red of one client pixel.
struct Bgr {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    bool operator==(const Bgr&) const = default;
};

inline Bgr PixelAt(const std::vector<uint8_t>& pixels, int width, int x, int y)
{
    const size_t at = (static_cast<size_t>(y) * width + x) * 3;
    return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

inline std::ostream& operator<<(std::ostream& out, const Bgr& pixel)
{
    return out << "(" << int{pixel.blue} << ", " << int{pixel.green} << ", " << int{pixel.red} << ")";
}

}  // namespace quelix::test
