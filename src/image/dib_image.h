// SPDX-License-Identifier: MIT
// CDibImage: the image buffer of every image in the system. A bitmap header
// with a 256-entry colour table, and pixel rows of `stride` bytes (width x
// bytes per pixel rounded up to a multiple of 4) at 8, 16, 24, 32, 48 or 64
// bits per pixel. Row 0 of pBits is the top row of the picture, although the
// header declares a positive height (bottom-up rows): whoever hands the rows
// to a bottom-up consumer flips them. 16, 48 and 64-bit pixels carry 14-bit
// samples in blue, green, red order.
//
// The pixels live in a memory device context (`hdc`), so that buffers can be
// blitted into each other and onto windows. The buffer has no lock of its
// own: whoever shares it between threads guards it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/windowing/bitmap_info.h"
#include "platform/windowing/device_context.h"
#include "platform/windowing/geometry.h"

namespace quelix {

using Rect = platform::Rect;

// The per-pixel work of Convert. It walks rows i = 0 ... bottom - top - 1 and
// columns j = 0 ... right - left - 1 of `rect`, writes destination row y + i
// at column x + j and reads source row top + i (bottom - 1 - i in the
// row-flipping kernels) at column left + j. Rows are memory rows; pixel steps
// are the bytes-per-pixel arguments. The opaque arguments carry a kernel's
// parameters. Returns 1, or the measured value of a measuring kernel.
using ConvertKernel = int32_t (*)(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                                  int32_t srcStride, const void* opaque1, const void* opaque2);

// The scaling work of StretchConvert: fills the destination rectangle from
// the source rectangle (both in memory rows, both inside their buffers).
using ScaleKernel = int32_t (*)(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                                int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                                int32_t srcStride);

class CDibImage {
public:
    CDibImage();
    ~CDibImage();
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    // Makes an empty (zeroed) buffer of the size and depth; 8-bit buffers get
    // the gray ramp. Returns 0 and leaves the buffer as it was for a size <= 0
    // or a depth the system does not use; returns 0 with the buffer released
    // when memory runs out.
    int Create(int32_t newWidth, int32_t newHeight, int newBitCount);
    // Like Create with the size and depth of `source` (pixels and colour
    // table are not copied).
    int CreateLike(const CDibImage* source);
    // Frees the pixels; the buffer is empty afterwards.
    void Release();

    // Blits the rectangle of `source` (default: all of it) to (x, y) of this
    // buffer: same depth copied, 8-bit expanded through the source's colour
    // table to 24 or 32 bits, 32 narrowed to 24.
    int Draw(const CDibImage* source, const Rect* sourceRect, int32_t x, int32_t y);
    // Makes this buffer a copy of `source` (pixels, size, depth). A buffer
    // of the source's size and depth is kept and written over, so that a
    // copy made every frame allocates nothing.
    int CopyFrom(const CDibImage* source);

    // Clips the source rectangle (default: the whole source) placed at
    // (x, y) against both buffers and runs the kernel once over what is
    // left, with this buffer as destination. 0 when the kernel or the source
    // is missing or nothing is left; else the kernel's result.
    int Convert(ConvertKernel kernel, const CDibImage* source, const Rect* sourceRect, int32_t x, int32_t y,
                const void* opaque1 = nullptr, const void* opaque2 = nullptr);
    // Runs the scaling kernel once from the source rectangle into the
    // destination rectangle (defaults: the whole buffers). 0 when a rectangle
    // is empty or not inside its buffer.
    int StretchConvert(ScaleKernel kernel, const CDibImage* source, const Rect* destRect = nullptr,
                       const Rect* sourceRect = nullptr);

    // Mode 0: the gray ramp into the buffer's colour table and its surface's;
    // mode 2: `count` colours from entry `start` into the surface's colour
    // table only (0 when the surface refuses them). Other modes do nothing.
    int SetPalette(int mode, const platform::RgbQuad* colors, int start, int count);

    // Bytes of pixel memory: stride x height (0 when empty).
    size_t ImageBytes() const
    {
        return pBits != nullptr && stride > 0 && height > 0
                   ? static_cast<size_t>(stride) * static_cast<size_t>(height)
                   : 0;
    }

    // Writes the buffer as a BMP file (UTF-8 name): file header, the bitmap
    // header as held, the colour table read back from the surface for 8
    // bits, then the memory rows as they are (the header declares them
    // bottom-up). 1 when the whole file was written and put in place.
    int SaveBmp(const std::string& fileName) const;

    platform::BitmapInfoHeader bmiHeader;
    std::array<platform::RgbQuad, platform::kColorTableSize> bmiColors{};
    platform::Hdc hdc = nullptr;
    uint8_t* pBits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    uint16_t bitCount = 0;

private:
    int AllocateBits();
};

}  // namespace quelix
