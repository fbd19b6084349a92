// SPDX-License-Identifier: MIT
// Straightforward versions of the conversion kernels, written from their
// definitions pixel by pixel, to check the library's fast versions against.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/dib_image.h"

namespace quelix::reference {

inline unsigned Sample(const uint8_t* pixel, int index)
{
    return pixel[2 * index] | (pixel[2 * index + 1] << 8);
}

inline void SetSample(uint8_t* pixel, int index, unsigned value)
{
    pixel[2 * index] = static_cast<uint8_t>(value & 0xFF);
    pixel[2 * index + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Calls pixel(destination pixel, source pixel) for every pixel of the rectangle.
template <class PixelFn>
int32_t EachPixel(bool flip, uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytes, int32_t srcBytes, int32_t dstStride, int32_t srcStride, PixelFn pixel)
{
    for (int32_t i = 0; i < rect.bottom - rect.top; ++i) {
        const int32_t sourceRow = flip ? rect.bottom - 1 - i : rect.top + i;
        for (int32_t j = 0; j < rect.right - rect.left; ++j) {
            pixel(dst + static_cast<ptrdiff_t>(y + i) * dstStride + static_cast<ptrdiff_t>(x + j) * dstBytes,
                  src + static_cast<ptrdiff_t>(sourceRow) * srcStride +
                      static_cast<ptrdiff_t>(rect.left + j) * srcBytes);
        }
    }
    return 1;
}

#define QUELIX_REFERENCE_KERNEL(name, flip, body)                                                 \
    inline int32_t name(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y, \
                        int32_t dstBytes, int32_t srcBytes, int32_t dstStride, int32_t srcStride, \
                        const void*, const void*)                                                 \
    {                                                                                             \
        return EachPixel(flip, dst, src, rect, x, y, dstBytes, srcBytes, dstStride, srcStride,    \
                         [](uint8_t * d, const uint8_t* s) body);                                 \
    }

QUELIX_REFERENCE_KERNEL(Gray16To8Shr6, false, { d[0] = static_cast<uint8_t>((Sample(s, 0) >> 6) & 0xFF); })
QUELIX_REFERENCE_KERNEL(Gray16To8Shr6Flip, true, { d[0] = static_cast<uint8_t>((Sample(s, 0) >> 6) & 0xFF); })
QUELIX_REFERENCE_KERNEL(Gray16Shl2, false, { SetSample(d, 0, (Sample(s, 0) << 2) & 0xFFFF); })
QUELIX_REFERENCE_KERNEL(Bgr24Copy, false, {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
})
QUELIX_REFERENCE_KERNEL(Bgr24CopyFlip, true, {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
})
QUELIX_REFERENCE_KERNEL(Bgr24Swap, false, {
    d[0] = s[2];
    d[1] = s[1];
    d[2] = s[0];
})
QUELIX_REFERENCE_KERNEL(Bgra32InvertX, false, {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
    d[3] = static_cast<uint8_t>(~s[3]);
})
QUELIX_REFERENCE_KERNEL(Bgr48To24Shr6, false, {
    for (int k = 0; k < 3; ++k)
        d[k] = static_cast<uint8_t>((Sample(s, k) >> 6) & 0xFF);
})
QUELIX_REFERENCE_KERNEL(Bgr48To24Flip, true, {
    for (int k = 0; k < 3; ++k)
        d[k] = static_cast<uint8_t>(std::min(Sample(s, k) >> 4, 255u));
})
QUELIX_REFERENCE_KERNEL(Bgr48Shl2, false, {
    for (int k = 0; k < 3; ++k)
        SetSample(d, k, (Sample(s, k) << 2) & 0xFFFF);
})
QUELIX_REFERENCE_KERNEL(Bgr48Shl2Swap, false, {
    for (int k = 0; k < 3; ++k)
        SetSample(d, k, (Sample(s, 2 - k) << 2) & 0xFFFF);
})
QUELIX_REFERENCE_KERNEL(Bgra64Shl2, false, {
    for (int k = 0; k < 3; ++k)
        SetSample(d, k, (Sample(s, k) << 2) & 0xFFFF);
    SetSample(d, 3, 0xFFFF);
})
QUELIX_REFERENCE_KERNEL(Bgra64Shl2Swap, false, {
    for (int k = 0; k < 3; ++k)
        SetSample(d, k, (Sample(s, 2 - k) << 2) & 0xFFFF);
    SetSample(d, 3, 0xFFFF);
})

#undef QUELIX_REFERENCE_KERNEL

inline int32_t RowCopyFlip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t, int32_t y, int32_t,
                           int32_t, int32_t dstStride, int32_t srcStride, const void*, const void*)
{
    for (int32_t i = 0; i < rect.bottom - rect.top; ++i) {
        for (int32_t b = 0; b < std::min(dstStride, srcStride); ++b)
            dst[static_cast<ptrdiff_t>(y + i) * dstStride + b] =
                src[static_cast<ptrdiff_t>(rect.bottom - 1 - i) * srcStride + b];
    }
    return 1;
}

// trunc(index x step) with negative or out-of-range products as 0, at most count - 1.
inline int32_t ScaledIndex(int32_t index, float step, int32_t count)
{
    const float product = static_cast<float>(index) * step;
    int32_t value = 0;
    if (product >= 0.0f && product < 2147483648.0f)
        value = static_cast<int32_t>(product);
    return std::min(value, count - 1);
}

inline int32_t ScaleNearest(int bytes, uint8_t* dst, const uint8_t* src, const Rect& dstRect,
                            const Rect& srcRect, int32_t dstBytes, int32_t srcBytes, int32_t dstStride,
                            int32_t srcStride)
{
    const int32_t rows = dstRect.bottom - dstRect.top;
    const int32_t columns = dstRect.right - dstRect.left;
    const float stepX = static_cast<float>(srcRect.right - srcRect.left) / static_cast<float>(columns);
    const float stepY = static_cast<float>(srcRect.bottom - srcRect.top) / static_cast<float>(rows);
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t sourceRow = srcRect.bottom - 1 - ScaledIndex(i, stepY, srcRect.bottom - srcRect.top);
        for (int32_t j = 0; j < columns; ++j) {
            const int32_t sourceColumn = srcRect.left + ScaledIndex(j, stepX, srcRect.right - srcRect.left);
            for (int b = 0; b < bytes; ++b) {
                dst[static_cast<ptrdiff_t>(dstRect.top + i) * dstStride +
                    static_cast<ptrdiff_t>(dstRect.left + j) * dstBytes + b] =
                    src[static_cast<ptrdiff_t>(sourceRow) * srcStride +
                        static_cast<ptrdiff_t>(sourceColumn) * srcBytes + b];
            }
        }
    }
    return 1;
}

inline int32_t Scale8Nearest(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                             int32_t dstBytes, int32_t srcBytes, int32_t dstStride, int32_t srcStride)
{
    return ScaleNearest(1, dst, src, dstRect, srcRect, dstBytes, srcBytes, dstStride, srcStride);
}

inline int32_t Scale24Nearest(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                              int32_t dstBytes, int32_t srcBytes, int32_t dstStride, int32_t srcStride)
{
    return ScaleNearest(3, dst, src, dstRect, srcRect, dstBytes, srcBytes, dstStride, srcStride);
}

}  // namespace quelix::reference
