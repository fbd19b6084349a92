// SPDX-License-Identifier: MIT
// Pixel memory that blits read and write: the pixels of an image buffer or
// the client area of a window. Rows follow the bitmap stride rule; a surface
// is bottom-up (memory row 0 is the bottom row of the picture, as a bitmap
// with a positive height declares) or top-down. Blit coordinates count rows
// from the top of the picture either way.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/os/pixel_pages.h"
#include "platform/windowing/bitmap_info.h"
#include "platform/windowing/geometry.h"

namespace quelix::platform {

struct Surface {
    int32_t width = 0;
    int32_t height = 0;
    int bitCount = 0;
    int32_t stride = 0;
    bool bottomUp = true;
    PixelPages pixels;
    std::array<RgbQuad, kColorTableSize> colors{};  // the colour table of 8-bit surfaces

    // Row y of the picture, counted from the top.
    uint8_t* Row(int32_t y) const
    {
        return pixels.get() + static_cast<ptrdiff_t>(bottomUp ? height - 1 - y : y) * stride;
    }
};

// A zero-filled surface of width x |height| pixels, bottom-up for a positive
// height and top-down for a negative one; null for a size or depth the
// system does not use, or when memory runs out.
std::unique_ptr<Surface> CreateSurface(int32_t width, int32_t height, int bitCount);

// Copies the w x h block at (sx, sy) of src to (x, y) of dst. With flip the
// source block is the h rows above sy taken upward (rows sy - 1, sy - 2, ...),
// which turns the picture upside down. Parts outside either surface are left
// out. Formats: equal depths copy unchanged, 8-bit pixels expand through the
// source's colour table to 24 or 32 bits (fourth byte 0), 32 bits narrow to
// 24; other pairs fail. `changed` receives the block of dst written.
bool BlitSurface(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& src, int32_t sx,
                 int32_t sy, bool flip, Rect* changed = nullptr);

}  // namespace quelix::platform
