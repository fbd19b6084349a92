// SPDX-License-Identifier: MIT
#include "frame_image.h"

#include <algorithm>
#include <cstring>

namespace quelix::viewer {

namespace {

constexpr int kMaxSide = 4096;  // far above the sensor; keeps every product in range

uint16_t Word(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// A 14-bit gray sample as 8 bits, as the library narrows it.
int Narrow(int sample)
{
    return std::min(sample, 0x3FFF) >> 6;
}

// A wide false-colour channel (the palette's 8 bits times 16, which the
// tone filters may push up to 14 bits) as 8 bits.
int NarrowColour(int sample)
{
    return std::min(sample >> 4, 255);
}

}  // namespace

int FrameStride(int width, int bits)
{
    if (width <= 0 || width > kMaxSide)
        return 0;
    switch (bits) {
        case 8:
        case 16:
        case 24:
        case 32:
        case 48:
        case 64:
            return (width * bits / 8 + 3) / 4 * 4;
        default:
            return 0;
    }
}

int FrameImage::Stride() const
{
    return FrameStride(width, bits);
}

bool FrameImage::Valid() const
{
    const int stride = Stride();
    return stride > 0 && height > 0 && height <= kMaxSide &&
           pixels.size() >= static_cast<size_t>(stride) * static_cast<size_t>(height);
}

bool HasWideSamples(int bits)
{
    return bits == 16 || bits == 48 || bits == 64;
}

bool IsGray(int bits)
{
    return bits == 8 || bits == 16;
}

int LevelMaximum(int bits)
{
    return HasWideSamples(bits) ? 0x3FFF : 255;
}

PixelValue ReadPixel(const FrameImage& frame, int x, int y)
{
    PixelValue value;
    if (!frame.Valid() || x < 0 || y < 0 || x >= frame.width || y >= frame.height)
        return value;
    const uint8_t* p = frame.pixels.data() + static_cast<size_t>(y) * frame.Stride() +
                       static_cast<size_t>(x) * (frame.bits / 8);
    value.valid = true;
    switch (frame.bits) {
        case 8:
            value.gray = value.blue = value.green = value.red = p[0];
            return value;
        case 16:
            value.gray = value.blue = value.green = value.red = Word(p);
            return value;
        case 24:
        case 32:
            value.blue = p[0];
            value.green = p[1];
            value.red = p[2];
            break;
        default:
            value.blue = Word(p);
            value.green = Word(p + 2);
            value.red = Word(p + 4);
            break;
    }
    value.gray = std::max({value.blue, value.green, value.red});
    return value;
}

bool ToDisplayPixels(const FrameImage& frame, uint8_t* destination, int stride, size_t size)
{
    if (!frame.Valid() || destination == nullptr || stride < frame.width * 4 ||
        size < static_cast<size_t>(stride) * static_cast<size_t>(frame.height))
        return false;
    const int source = frame.Stride();
    const int bytes = frame.bits / 8;
    for (int y = 0; y < frame.height; ++y) {
        const uint8_t* in = frame.pixels.data() + static_cast<size_t>(y) * source;
        auto* out = reinterpret_cast<uint32_t*>(destination + static_cast<size_t>(y) * stride);
        for (int x = 0; x < frame.width; ++x, in += bytes) {
            uint32_t r = 0, g = 0, b = 0;
            switch (frame.bits) {
                case 8:
                    r = g = b = in[0];
                    break;
                case 16:
                    r = g = b = static_cast<uint32_t>(Narrow(Word(in)));
                    break;
                case 24:
                case 32:
                    b = in[0];
                    g = in[1];
                    r = in[2];
                    break;
                default:
                    b = static_cast<uint32_t>(NarrowColour(Word(in)));
                    g = static_cast<uint32_t>(NarrowColour(Word(in + 2)));
                    r = static_cast<uint32_t>(NarrowColour(Word(in + 4)));
                    break;
            }
            out[x] = (r << 16) | (g << 8) | b;
        }
    }
    return true;
}

}  // namespace quelix::viewer
