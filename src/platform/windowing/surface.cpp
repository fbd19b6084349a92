// SPDX-License-Identifier: MIT
#include "platform/windowing/surface.h"

#include <algorithm>
#include <cstring>

namespace quelix::platform {

namespace {

// Every surface stays below this size, so that row offsets fit in ptrdiff_t
// on every platform the library is built for.
constexpr int64_t kMaxSurfaceBytes = int64_t{1} << 40;

enum class BlitFormat { Copy, Expand8, Narrow32To24, Unsupported };

BlitFormat FormatOf(int dstBits, int srcBits)
{
    if (dstBits == srcBits)
        return BlitFormat::Copy;
    if (srcBits == 8 && (dstBits == 24 || dstBits == 32))
        return BlitFormat::Expand8;
    if (srcBits == 32 && dstBits == 24)
        return BlitFormat::Narrow32To24;
    return BlitFormat::Unsupported;
}

// A colour table entry is blue, green, red and a reserved byte: 24-bit
// pixels take it whole, each overwriting the previous pixel's fourth byte,
// but the last; 32-bit pixels take it with the fourth byte cleared.
void Expand8Row(uint8_t* dst, int dstBytes, const uint8_t* src, int32_t count, const Surface& source)
{
    if (dstBytes == 3) {
        for (int32_t i = 0; i + 1 < count; ++i, dst += 3)
            std::memcpy(dst, &source.colors[src[i]], 4);
        std::memcpy(dst, &source.colors[src[count - 1]], 3);
        return;
    }
    for (int32_t i = 0; i < count; ++i, dst += 4) {
        uint32_t pixel = 0;
        std::memcpy(&pixel, &source.colors[src[i]], 3);
        std::memcpy(dst, &pixel, 4);
    }
}

void Narrow32To24Row(uint8_t* dst, const uint8_t* src, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, dst += 3, src += 4) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

}  // namespace

std::unique_ptr<Surface> CreateSurface(int32_t width, int32_t height, int bitCount)
{
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    if (width <= 0 || rows <= 0 || !IsSupportedBitCount(bitCount))
        return nullptr;
    const int32_t stride = DibStride(width, bitCount);
    if (stride < 0 || rows * stride > kMaxSurfaceBytes)
        return nullptr;
    auto surface = std::make_unique<Surface>();
    const auto bytes = static_cast<size_t>(rows) * static_cast<size_t>(stride);
    surface->pixels = PixelPages(MapPixelPages(bytes), PixelPagesDeleter{bytes});
    if (surface->pixels == nullptr)
        return nullptr;
    surface->width = width;
    surface->height = static_cast<int32_t>(rows);
    surface->bitCount = bitCount;
    surface->stride = stride;
    surface->bottomUp = height > 0;
    return surface;
}

bool BlitSurface(Surface& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& src, int32_t sx,
                 int32_t sy, bool flip, Rect* changed)
{
    const BlitFormat format = FormatOf(dst.bitCount, src.bitCount);
    if (format == BlitFormat::Unsupported)
        return false;

    // Block offsets c (columns) and r (rows) that land inside both surfaces.
    const int64_t c0 = std::max<int64_t>({0, -int64_t{x}, -int64_t{sx}});
    const int64_t c1 = std::min<int64_t>({w, int64_t{dst.width} - x, int64_t{src.width} - sx});
    int64_t r0 = std::max<int64_t>(0, -int64_t{y});
    int64_t r1 = std::min<int64_t>(h, int64_t{dst.height} - y);
    if (flip) {
        // Source row sy - 1 - r must lie in 0 ... src.height - 1.
        r0 = std::max<int64_t>(r0, int64_t{sy} - src.height);
        r1 = std::min<int64_t>(r1, sy);
    } else {
        r0 = std::max<int64_t>(r0, -int64_t{sy});
        r1 = std::min<int64_t>(r1, int64_t{src.height} - sy);
    }
    if (changed != nullptr)
        *changed = {};
    if (c0 >= c1 || r0 >= r1)
        return true;

    const int dstBytes = dst.bitCount / 8;
    const int srcBytes = src.bitCount / 8;
    const auto count = static_cast<int32_t>(c1 - c0);
    for (int64_t r = r0; r < r1; ++r) {
        uint8_t* to = dst.Row(static_cast<int32_t>(y + r)) + (x + c0) * dstBytes;
        const int64_t sourceRow = flip ? sy - 1 - r : sy + r;
        const uint8_t* from = src.Row(static_cast<int32_t>(sourceRow)) + (sx + c0) * srcBytes;
        switch (format) {
            case BlitFormat::Copy:
                std::memcpy(to, from, static_cast<size_t>(count) * dstBytes);
                break;
            case BlitFormat::Expand8:
                Expand8Row(to, dstBytes, from, count, src);
                break;
            case BlitFormat::Narrow32To24:
                Narrow32To24Row(to, from, count);
                break;
            case BlitFormat::Unsupported:
                break;
        }
    }
    if (changed != nullptr) {
        *changed = {static_cast<int32_t>(x + c0), static_cast<int32_t>(y + r0), static_cast<int32_t>(x + c1),
                    static_cast<int32_t>(y + r1)};
    }
    return true;
}

}  // namespace quelix::platform
