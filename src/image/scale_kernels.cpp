// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "image/conversion_kernels.h"

namespace quelix {

namespace {

// trunc(index x step) kept in 0 ... count - 1; products beyond the int32
// range count as negative.
int32_t ScaledIndex(int32_t index, float step, int32_t count)
{
    const float product = static_cast<float>(index) * step;
    if (!(product < 2147483648.0f) || product < 0.0f)
        return 0;
    return std::min(static_cast<int32_t>(product), count - 1);
}

// Columns are mapped in chunks whose source offsets are computed once for
// all rows; a destination row that repeats the row above is copied from it.
template <int Bytes>
int32_t ScaleNearest(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                     int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride)
{
    const int32_t rows = dstRect.bottom - dstRect.top;
    const int32_t columns = dstRect.right - dstRect.left;
    const int32_t sourceRows = srcRect.bottom - srcRect.top;
    const int32_t sourceColumns = srcRect.right - srcRect.left;
    if (rows <= 0 || columns <= 0 || sourceRows <= 0 || sourceColumns <= 0)
        return 1;
    const float stepX = static_cast<float>(sourceColumns) / static_cast<float>(columns);
    const float stepY = static_cast<float>(sourceRows) / static_cast<float>(rows);
    // Copying a whole row is exact only when pixels are exactly the bytes written.
    const bool rowsCopyable = dstBytesPerPixel == Bytes;

    constexpr int32_t kChunk = 512;
    ptrdiff_t offsets[kChunk];
    for (int32_t first = 0; first < columns; first += kChunk) {
        const int32_t count = std::min(kChunk, columns - first);
        for (int32_t j = 0; j < count; ++j) {
            const int32_t column = srcRect.left + ScaledIndex(first + j, stepX, sourceColumns);
            offsets[j] = static_cast<ptrdiff_t>(column) * srcBytesPerPixel;
        }
        int32_t previousRow = -1;
        for (int32_t i = 0; i < rows; ++i) {
            const int32_t sourceRow = srcRect.bottom - 1 - ScaledIndex(i, stepY, sourceRows);
            uint8_t* to = dst + static_cast<ptrdiff_t>(dstRect.top + i) * dstStride +
                          static_cast<ptrdiff_t>(dstRect.left + first) * dstBytesPerPixel;
            if (rowsCopyable && sourceRow == previousRow) {
                std::memcpy(to, to - dstStride, static_cast<size_t>(count) * Bytes);
                continue;
            }
            const uint8_t* from = src + static_cast<ptrdiff_t>(sourceRow) * srcStride;
            for (int32_t j = 0; j < count; ++j)
                std::memcpy(to + static_cast<ptrdiff_t>(j) * dstBytesPerPixel, from + offsets[j], Bytes);
            previousRow = sourceRow;
        }
    }
    return 1;
}

}  // namespace

int32_t Scale8Nearest(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride)
{
    return ScaleNearest<1>(dst, src, dstRect, srcRect, dstBytesPerPixel, srcBytesPerPixel, dstStride,
                           srcStride);
}

int32_t Scale24Nearest(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                       int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                       int32_t srcStride)
{
    return ScaleNearest<3>(dst, src, dstRect, srcRect, dstBytesPerPixel, srcBytesPerPixel, dstStride,
                           srcStride);
}

}  // namespace quelix
