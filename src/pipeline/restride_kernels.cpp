// SPDX-License-Identifier: MIT
// Re-layout of a raw frame whose rows arrive packed into the rows of its
// buffer, in place.
#include <cstring>

#include "image/kernel_loops.h"
#include "pipeline/pixel_kernels.h"

namespace quelix {

namespace {

// Row i of the packed rectangle starts at i x width x bytes per pixel; it
// moves to destination row y + i, column x. Last row first, so that a row
// never lands on packed bytes not yet moved (the destination of a row lies
// at or after its packed place).
int32_t Restride(const KernelArgs& a)
{
    const int32_t rows = a.rect.bottom - a.rect.top;
    const auto rowBytes = static_cast<size_t>(a.rect.right - a.rect.left) * static_cast<size_t>(a.dstStep);
    for (int32_t i = rows - 1; i >= 0; --i) {
        uint8_t* to =
            a.dst + static_cast<ptrdiff_t>(a.y + i) * a.dstStride + static_cast<ptrdiff_t>(a.x) * a.dstStep;
        const uint8_t* from = a.src + static_cast<size_t>(i) * rowBytes;
        if (to != from)
            std::memmove(to, from, rowBytes);
    }
    return 1;
}

}  // namespace

int32_t Restride8(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void*, const void*)
{
    return Restride({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride});
}

int32_t Restride16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void*, const void*)
{
    return Restride({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride});
}

}  // namespace quelix
