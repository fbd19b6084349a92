// SPDX-License-Identifier: MIT
// Hue rotation and saturation scaling on a hue circle of 1530 steps (255 per
// 60-degree sector), in 32-bit integer arithmetic. Each pixel's largest
// channel and the difference of the other two give its sector and position;
// the chroma is scaled through the saturation table and limited by the
// lightness, and the pixel is rebuilt in the rotated sector.
//
// The tables live on the stack of each call (the saturation table is 256
// entries) or are constant, so kernels running for cameras with different
// settings never share a table.
#include <algorithm>
#include <array>

#include "image/kernel_loops.h"
#include "pipeline/pixel_kernels.h"

namespace quelix {

namespace {

constexpr int32_t kHueSteps = 1530;
constexpr int32_t kSectorSteps = 255;

// 0xFF0000 / C for chroma C = 1 ... 255, at index C - 1.
constexpr std::array<int32_t, 255> kChromaReciprocals = [] {
    std::array<int32_t, 255> table{};
    for (int32_t k = 0; k < 255; ++k)
        table[k] = 0xFF0000 / (k + 1);
    return table;
}();

// Per sector: the channels at the top of the span, and the channel (with its
// direction) that moves along the sector.
constexpr std::array<int32_t, 6> kSectorMasks = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
constexpr std::array<int32_t, 6> kSectorSteps6 = {-1, 0x100, -0x10000, 1, -0x100, 0x10000};

struct HueSatTables {
    int32_t sectors;                  // whole sectors of the hue shift
    int32_t position;                 // the rest, 0 ... 254
    std::array<int32_t, 256> chroma;  // scaled chroma by chroma
};

HueSatTables MakeTables(const HueSatParams& params)
{
    HueSatTables tables{};
    const auto turn = static_cast<int32_t>((int64_t{params.hue} * 65536 / 360) & 0xFFFF);
    const int32_t t = (turn * 6) >> 8;
    int32_t shift = t - 2 * ((t + 256) >> 9);
    if (shift < 0)
        shift += kHueSteps;
    if (shift >= kHueSteps)
        shift -= kHueSteps;
    tables.sectors = shift / kSectorSteps;
    tables.position = shift % kSectorSteps;
    // Beyond the setter's range (-255 ... 255) the saturation is held to
    // -256 ... 255, where the arithmetic stays within 32 bits.
    const int32_t factor = (std::clamp(params.saturation, -256, 255) + 256) * 256;
    for (int32_t c = 0; c < 256; ++c)
        tables.chroma[c] = (c * factor + 0x8000) >> 16;
    return tables;
}

// The pixel (red, green, blue) rotated and scaled, as 0x00RRGGBB. Written
// with selections rather than branches: colours of a picture send the
// branches either way at random.
inline int32_t HueSatPixel(int32_t red, int32_t green, int32_t blue, const HueSatTables& tables)
{
    const bool greenAbove = red < green;
    int32_t top = greenAbove ? green : red;
    int32_t offset = greenAbove ? blue - red : green - blue;
    int32_t sector = greenAbove ? 3 : 1;
    const bool blueAbove = blue > top;
    top = blueAbove ? blue : top;
    offset = blueAbove ? red - green : offset;
    sector = blueAbove ? 5 : sector;
    const int32_t bottom = std::min(std::min(red, green), blue);
    const int32_t chroma = top - bottom;
    const int32_t lightness = top + bottom;
    sector -= offset < 0 ? 1 : 0;
    offset += offset < 0 ? chroma : 0;
    const int32_t limit = lightness < 256 ? lightness : 511 - lightness;
    const int32_t scaled = std::min(tables.chroma[chroma], limit);
    const int32_t low = (lightness - scaled) >> 1;
    const int32_t span = ((lightness + scaled) >> 1) - low;
    int32_t position = (offset * kChromaReciprocals[chroma == 0 ? 0 : chroma - 1] + 0x8000) >> 16;
    position += tables.position;
    sector += tables.sectors;
    sector += position >= kSectorSteps ? 1 : 0;
    position -= position >= kSectorSteps ? kSectorSteps : 0;
    sector -= sector >= 6 ? 6 : 0;
    const int32_t colour = low * 0x010101 + ((span * 0x010101) & kSectorMasks[sector]) +
                           ((span * position + 128) >> 8) * kSectorSteps6[sector];
    return chroma == 0 ? low * 0x010101 : colour;
}

}  // namespace

int32_t HueSat24(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                 int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                 const void* opaque1, const void*)
{
    const HueSatTables tables = MakeTables(*static_cast<const HueSatParams*>(opaque1));
    return ForEachPixel<false, Steps<3, 3>, Steps<4, 4>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
        [&tables](uint8_t* to, const uint8_t* from) {
            const int32_t colour = HueSatPixel(from[2], from[1], from[0], tables);
            to[0] = static_cast<uint8_t>(colour);
            to[1] = static_cast<uint8_t>(colour >> 8);
            to[2] = static_cast<uint8_t>(colour >> 16);
        });
}

int32_t HueSat48(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                 int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                 const void* opaque1, const void*)
{
    const auto& params = *static_cast<const HueSatParams*>(opaque1);
    const HueSatTables tables = MakeTables(params);
    const int32_t shift = SampleBits(params.significantBits) - 8;
    return ForEachPixel<false, Steps<6, 6>, Steps<8, 8>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
        [&tables, shift](uint8_t* to, const uint8_t* from) {
            const auto narrow = [shift](const uint8_t* sample) { return (Load16(sample) >> shift) & 0xFF; };
            const int32_t colour = HueSatPixel(narrow(from + 4), narrow(from + 2), narrow(from), tables);
            Store16(to, static_cast<unsigned>(colour & 0xFF) << shift);
            Store16(to + 2, static_cast<unsigned>((colour >> 8) & 0xFF) << shift);
            Store16(to + 4, static_cast<unsigned>((colour >> 16) & 0xFF) << shift);
        });
}

}  // namespace quelix
