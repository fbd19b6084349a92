// SPDX-License-Identifier: MIT
#include "image/conversion_kernels.h"

#include <algorithm>
#include <cstring>

#include "image/kernel_loops.h"

namespace quelix {

namespace {

// The per-pixel operations are lambdas, so that they inline into the loops.
constexpr auto Narrow16Shr6 = [](uint8_t* to, const uint8_t* from) {
    *to = static_cast<uint8_t>(Load16(from) >> 6);
};

constexpr auto Copy3 = [](uint8_t* to, const uint8_t* from) {
    const uint8_t blue = from[0];
    const uint8_t green = from[1];
    const uint8_t red = from[2];
    to[0] = blue;
    to[1] = green;
    to[2] = red;
};

constexpr auto Swap3 = [](uint8_t* to, const uint8_t* from) {
    const uint8_t first = from[0];
    const uint8_t middle = from[1];
    const uint8_t last = from[2];
    to[0] = last;
    to[1] = middle;
    to[2] = first;
};

constexpr auto Narrow48Shr6 = [](uint8_t* to, const uint8_t* from) {
    const unsigned blue = Load16(from);
    const unsigned green = Load16(from + 2);
    const unsigned red = Load16(from + 4);
    to[0] = static_cast<uint8_t>(blue >> 6);
    to[1] = static_cast<uint8_t>(green >> 6);
    to[2] = static_cast<uint8_t>(red >> 6);
};

constexpr auto Narrow48Shr4Saturated = [](uint8_t* to, const uint8_t* from) {
    const unsigned blue = Load16(from);
    const unsigned green = Load16(from + 2);
    const unsigned red = Load16(from + 4);
    to[0] = static_cast<uint8_t>(std::min(blue >> 4, 255u));
    to[1] = static_cast<uint8_t>(std::min(green >> 4, 255u));
    to[2] = static_cast<uint8_t>(std::min(red >> 4, 255u));
};

// Three samples each shifted left by 2; with Swap samples 0 and 2 change places.
template <bool Swap>
constexpr auto Widen48Shl2 = [](uint8_t* to, const uint8_t* from) {
    const unsigned first = Load16(from);
    const unsigned middle = Load16(from + 2);
    const unsigned last = Load16(from + 4);
    Store16(to, (Swap ? last : first) << 2);
    Store16(to + 2, middle << 2);
    Store16(to + 4, (Swap ? first : last) << 2);
};

template <bool Swap>
constexpr auto Widen64Shl2 = [](uint8_t* to, const uint8_t* from) {
    Widen48Shl2<Swap>(to, from);
    Store16(to + 6, 0xFFFF);
};

}  // namespace

int32_t Gray16To8Shr6(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<false, Steps<1, 2>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Narrow16Shr6);
}

int32_t Gray16To8Shr6Flip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                          int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                          int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<true, Steps<1, 2>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Narrow16Shr6);
}

int32_t Gray16Shl2(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void*, const void*)
{
    return ForEachPixel<false, Steps<2, 2>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
        [](uint8_t* to, const uint8_t* from) { Store16(to, static_cast<unsigned>(Load16(from)) << 2); });
}

int32_t Bgr24Copy(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void*, const void*)
{
    return ForEachPixel<false, Steps<3, 3>, Steps<3, 4>, Steps<4, 3>, Steps<4, 4>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Copy3);
}

int32_t Bgr24CopyFlip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<true, Steps<3, 3>, Steps<3, 4>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Copy3);
}

int32_t Bgr24Swap(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void*, const void*)
{
    return ForEachPixel<false, Steps<3, 3>, Steps<4, 4>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Swap3);
}

int32_t Bgra32InvertX(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<false, Steps<4, 4>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
        [](uint8_t* to, const uint8_t* from) {
            const uint8_t extra = from[3];
            Copy3(to, from);
            to[3] = static_cast<uint8_t>(~extra);
        });
}

int32_t Bgr48To24Shr6(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<false, Steps<3, 6>, Steps<3, 8>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Narrow48Shr6);
}

int32_t Bgr48To24Flip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<true, Steps<3, 6>, Steps<3, 8>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
        Narrow48Shr4Saturated);
}

int32_t Bgr48Shl2(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void*, const void*)
{
    return ForEachPixel<false, Steps<6, 6>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Widen48Shl2<false>);
}

int32_t Bgr48Shl2Swap(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<false, Steps<6, 6>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Widen48Shl2<true>);
}

int32_t Bgra64Shl2(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void*, const void*)
{
    return ForEachPixel<false, Steps<8, 8>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Widen64Shl2<false>);
}

int32_t Bgra64Shl2Swap(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                       int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                       int32_t srcStride, const void*, const void*)
{
    return ForEachPixel<false, Steps<8, 8>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, Widen64Shl2<true>);
}

int32_t RowCopyFlip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t, int32_t y, int32_t, int32_t,
                    int32_t dstStride, int32_t srcStride, const void*, const void*)
{
    const auto bytes = static_cast<size_t>(std::min(dstStride, srcStride));
    for (int32_t i = 0; i < rect.bottom - rect.top; ++i) {
        std::memmove(dst + static_cast<ptrdiff_t>(y + i) * dstStride,
                     src + static_cast<ptrdiff_t>(rect.bottom - 1 - i) * srcStride, bytes);
    }
    return 1;
}

}  // namespace quelix
