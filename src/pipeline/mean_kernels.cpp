// SPDX-License-Identifier: MIT
// The means of a measuring window, for exposure control.
#include "image/kernel_loops.h"
#include "pipeline/pixel_kernels.h"

namespace quelix {

namespace {

// Sums level(sample) over the rectangle's size at the destination position.
template <int Bytes, class LevelFn>
int32_t MeanAt(const KernelArgs& a, LevelFn level)
{
    const int32_t rows = a.rect.bottom - a.rect.top;
    const int32_t columns = a.rect.right - a.rect.left;
    if (rows <= 0 || columns <= 0)
        return 0;
    uint64_t sum = 0;
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* row =
            a.dst + static_cast<ptrdiff_t>(a.y + i) * a.dstStride + static_cast<ptrdiff_t>(a.x) * a.dstStep;
        uint32_t rowSum = 0;
        for (int32_t j = 0; j < columns; ++j)
            rowSum += level(row + static_cast<ptrdiff_t>(j) * Bytes);
        sum += rowSum;
    }
    return static_cast<int32_t>(sum / (static_cast<uint64_t>(rows) * static_cast<uint64_t>(columns)));
}

}  // namespace

int32_t Mean8(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
              int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
              const void*, const void*)
{
    return MeanAt<1>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                     [](const uint8_t* sample) { return uint32_t{*sample}; });
}

int32_t Mean16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
               int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
               const void*, const void*)
{
    return MeanAt<2>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                     [](const uint8_t* sample) { return (uint32_t{Load16(sample)} >> 2) & 0xFF; });
}

}  // namespace quelix
