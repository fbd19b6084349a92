// SPDX-License-Identifier: MIT
// The loops every per-pixel kernel of Convert shares: the kernel's arguments
// as one block, 16-bit sample access, and a walk over the rectangle whose
// pixel steps are compile-time constants for the formats a kernel serves.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "image/dib_image.h"

namespace quelix {

static_assert(std::endian::native == std::endian::little, "samples are stored little-endian");

inline uint16_t Load16(const uint8_t* from)
{
    uint16_t value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

inline void Store16(uint8_t* to, unsigned value)
{
    const auto sample = static_cast<uint16_t>(value);
    std::memcpy(to, &sample, sizeof sample);
}

struct KernelArgs {
    uint8_t* dst;
    const uint8_t* src;
    const Rect& rect;
    int32_t x;
    int32_t y;
    int32_t dstStep;
    int32_t srcStep;
    int32_t dstStride;
    int32_t srcStride;
};

template <int DstStep, int SrcStep>
struct Steps {
};

// Runs `pixel(to, from)` over the kernel's rectangle. The pixel steps are
// compile-time constants for the formats the kernel is used with (listed as
// Steps<...>), so that the compiler unrolls and vectorises those loops; other
// steps take the general loop.
template <bool Flip, class... Fast, class PixelFn>
int32_t ForEachPixel(const KernelArgs& a, PixelFn pixel)
{
    const int32_t rows = a.rect.bottom - a.rect.top;
    const int32_t count = a.rect.right - a.rect.left;
    const auto walk = [&](auto dstStep, auto srcStep) {
        for (int32_t i = 0; i < rows; ++i) {
            const int32_t sourceRow = Flip ? a.rect.bottom - 1 - i : a.rect.top + i;
            uint8_t* to =
                a.dst + static_cast<ptrdiff_t>(a.y + i) * a.dstStride + static_cast<ptrdiff_t>(a.x) * dstStep;
            const uint8_t* from = a.src + static_cast<ptrdiff_t>(sourceRow) * a.srcStride +
                                  static_cast<ptrdiff_t>(a.rect.left) * srcStep;
            for (int32_t j = 0; j < count; ++j)
                pixel(to + static_cast<ptrdiff_t>(j) * dstStep, from + static_cast<ptrdiff_t>(j) * srcStep);
        }
    };
    bool done = false;
    [[maybe_unused]] const auto tryFast = [&]<int DstStep, int SrcStep>(Steps<DstStep, SrcStep>) {
        if (!done && a.dstStep == DstStep && a.srcStep == SrcStep) {
            walk(std::integral_constant<int32_t, DstStep>{}, std::integral_constant<int32_t, SrcStep>{});
            done = true;
        }
    };
    (tryFast(Fast{}), ...);
    if (!done)
        walk(a.dstStep, a.srcStep);
    return 1;
}

}  // namespace quelix
