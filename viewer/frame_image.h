// SPDX-License-Identifier: MIT
// One frame as the viewer holds it: the pixels the library delivered, top
// row first, rows padded to four bytes, with the bits per pixel of the
// colour mode; and what can be read from it without a display (the sample
// and the output value at a pixel, the gray level that plots and the
// histogram use, and the picture's pixels for cairo).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelix::viewer {

struct FrameImage {
    int width = 0;
    int height = 0;
    int bits = 0;  // 8, 16, 24, 32, 48 or 64
    std::vector<uint8_t> pixels;

    // Bytes per row: width x bits / 8 rounded up to four.
    int Stride() const;
    // True when the size, the depth and the pixel bytes agree.
    bool Valid() const;
};

// Bytes per row of a frame `width` pixels wide at `bits` per pixel; 0 for a
// width or depth the library never delivers.
int FrameStride(int width, int bits);

// True for the depths whose samples are 14 bits in 16-bit words.
bool HasWideSamples(int bits);
// True for the gray depths (8 and 16).
bool IsGray(int bits);

// The value of the pixel at (x, y): for the gray modes the gray level (8 or
// 14 bits), for the colour modes the blue, green and red samples. Outside
// the frame (or for an invalid frame) `valid` is false.
struct PixelValue {
    bool valid = false;
    int gray = 0;  // the gray level; for colour, the largest channel
    int blue = 0;
    int green = 0;
    int red = 0;
};
PixelValue ReadPixel(const FrameImage& frame, int x, int y);

// The level scale of a frame's values: 255 for 8-bit samples, 16383 for 14-bit.
int LevelMaximum(int bits);

// The picture as cairo's RGB24 (native-endian 0x00RRGGBB words, `stride`
// bytes per row, at least width x 4): 14-bit gray samples narrowed to 8 bits
// the way the library narrows them (shifted right by 6), wide false colours
// (the palette times 16) divided by 16 and held to 255. False when the frame
// is invalid or the destination too small.
bool ToDisplayPixels(const FrameImage& frame, uint8_t* destination, int stride, size_t size);

}  // namespace quelix::viewer
