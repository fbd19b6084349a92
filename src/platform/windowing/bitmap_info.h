// SPDX-License-Identifier: MIT
// The device-independent bitmap description the camera code and the image
// files share: the 40-byte bitmap header, the colour table entries and the
// row stride rule of pixel rows (bytes per row rounded up to a multiple of 4).
#pragma once

#include <cstdint>

namespace quelix::platform {

struct BitmapInfoHeader {
    uint32_t biSize = sizeof(BitmapInfoHeader);
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // positive: bottom-up rows, negative: top-down
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;  // 0: uncompressed (BI_RGB)
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct RgbQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};
static_assert(sizeof(RgbQuad) == 4);

inline constexpr int kColorTableSize = 256;

// The pixel depths the camera code uses: 8-bit gray, 16-bit samples, 24 and
// 32-bit BGR, 48 and 64-bit BGR samples.
constexpr bool IsSupportedBitCount(int bitCount)
{
    return bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32 || bitCount == 48 ||
           bitCount == 64;
}

// Bytes per row: width x (bitCount / 8) rounded up to a multiple of 4, or -1
// when that does not fit an int32.
constexpr int32_t DibStride(int32_t width, int bitCount)
{
    const int64_t stride = (static_cast<int64_t>(width) * (bitCount / 8) + 3) & ~int64_t{3};
    return stride > INT32_MAX ? -1 : static_cast<int32_t>(stride);
}

}  // namespace quelix::platform
