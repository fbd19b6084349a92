// SPDX-License-Identifier: MIT
#include "pipeline/false_color.h"

#include <algorithm>
#include <array>

#include "image/kernel_loops.h"
#include "pipeline/false_color_palette.h"

namespace quelix {

namespace {

// 16-bit samples from 8078 on all take the last palette entry.
constexpr int32_t kLast16BitIndex = 8078;

constexpr std::array<uint32_t, 256> kColorsOf8BitSamples = [] {
    std::array<uint32_t, 256> colors{};
    for (int32_t v = 0; v < 256; ++v)
        colors[v] = kFalseColorPalette[std::min(v * 256 / 360, 359)];
    return colors;
}();

constexpr std::array<uint32_t, kLast16BitIndex + 1> kColorsOf16BitSamples = [] {
    std::array<uint32_t, kLast16BitIndex + 1> colors{};
    for (int32_t v = 0; v <= kLast16BitIndex; ++v)
        colors[v] = kFalseColorPalette[std::min(v * 16 / 360, 359)];
    return colors;
}();

template <int SourceBytes>
uint32_t ColorOf(const uint8_t* sample)
{
    if constexpr (SourceBytes == 1)
        return kColorsOf8BitSamples[*sample];
    else
        return kColorsOf16BitSamples[std::min<int32_t>(Load16(sample), kLast16BitIndex)];
}

template <int DestinationBytes>
void StoreColor(uint8_t* to, uint32_t color)
{
    const auto channel = [color](int shift) { return (color >> shift) & 0xFF; };
    if constexpr (DestinationBytes == 3 || DestinationBytes == 4) {
        to[0] = static_cast<uint8_t>(channel(0));
        to[1] = static_cast<uint8_t>(channel(8));
        to[2] = static_cast<uint8_t>(channel(16));
        if constexpr (DestinationBytes == 4)
            to[3] = 0;
    } else {
        Store16(to, channel(0) * 16);
        Store16(to + 2, channel(8) * 16);
        Store16(to + 4, channel(16) * 16);
        if constexpr (DestinationBytes == 8)
            Store16(to + 6, 0xFFFF);
    }
}

template <int DestinationBytes, int SourceBytes>
void ColorRow(uint8_t* to, const uint8_t* from, int32_t count)
{
    for (int32_t j = 0; j < count; ++j)
        StoreColor<DestinationBytes>(to + static_cast<ptrdiff_t>(j) * DestinationBytes,
                                     ColorOf<SourceBytes>(from + static_cast<ptrdiff_t>(j) * SourceBytes));
}

using RowFunction = void (*)(uint8_t*, const uint8_t*, int32_t);

template <int SourceBytes>
RowFunction RowFor(int32_t destinationBytes)
{
    switch (destinationBytes) {
        case 3:
            return ColorRow<3, SourceBytes>;
        case 4:
            return ColorRow<4, SourceBytes>;
        case 6:
            return ColorRow<6, SourceBytes>;
        case 8:
            return ColorRow<8, SourceBytes>;
        default:
            return nullptr;
    }
}

RowFunction RowFor(int32_t destinationBytes, int32_t sourceBytes)
{
    if (sourceBytes == 1)
        return RowFor<1>(destinationBytes);
    if (sourceBytes == 2)
        return RowFor<2>(destinationBytes);
    return nullptr;
}

}  // namespace

void FalseColorRow(uint8_t* destination, int32_t destinationBytes, const uint8_t* source, int32_t sourceBytes,
                   int32_t count)
{
    if (const RowFunction row = RowFor(destinationBytes, sourceBytes))
        row(destination, source, count);
}

int FalseColor(CDibImage* destination, const CDibImage* source)
{
    if (destination == nullptr || source == nullptr || destination->pBits == nullptr ||
        source->pBits == nullptr)
        return 0;
    const RowFunction row = RowFor(destination->bitCount / 8, source->bitCount / 8);
    if (row == nullptr)
        return 0;
    const int32_t rows = std::min(destination->height, source->height);
    const int32_t columns = std::min(destination->width, source->width);
    for (int32_t i = 0; i < rows; ++i) {
        row(destination->pBits + static_cast<ptrdiff_t>(i) * destination->stride,
            source->pBits + static_cast<ptrdiff_t>(i) * source->stride, columns);
    }
    return 1;
}

}  // namespace quelix
