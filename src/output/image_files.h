// SPDX-License-Identifier: MIT
// Image files of a frame: BMP, a raw dump of the image memory, JPEG at three
// qualities, PNG and TIFF. Every writer goes through COutputFile, so a save
// that fails at any point (a bad path, a full disk, an encoder error) returns
// 0, leaves no partial file and keeps an existing file of that name; a save
// that succeeds replaces or creates the file.
#pragma once

#include <cstdint>
#include <string>

#include "QuelixSdk_205KWMX.h"
#include "image/dib_image.h"

namespace quelix {

// Format codes of SaveImageFile and Quelix_SaveImage, as the public header
// names them.
enum ImageFileFormat : int {
    kImageBmp = QUELIX_IMAGE_BMP,
    kImageRaw = QUELIX_IMAGE_RAW,
    kImageJpeg100 = QUELIX_IMAGE_JPEG100,
    kImageJpeg70 = QUELIX_IMAGE_JPEG70,
    kImageJpeg20 = QUELIX_IMAGE_JPEG20,
    kImagePng = QUELIX_IMAGE_PNG,
    kImageTiff = QUELIX_IMAGE_TIFF,
};

// The significant bits of the samples in 16, 48 and 64-bit images.
inline constexpr int kSampleBits = 14;

// Writes `image` in the format of the code. 0 for a null image, a format
// code outside 0 ... 6, a sample width other than kSampleBits (the
// conversions narrow and widen 14-bit samples), or a failed write.
int SaveImageFile(const std::string& fileName, const CDibImage* image, int format, int significantBits);

// The image memory as it is: height x stride bytes, top row first, 16-bit
// samples little-endian and unshifted. No header.
int WriteRaw(const std::string& fileName, const CDibImage& image);

// PNG of `height` rows of (width x bitCount / 8 + 3) & ~3 bytes each, top row
// first, pixels in blue-green-red(-alpha) order; 16-bit samples in memory
// order (little-endian). Bit counts 8 and 16 are gray, 24 and 48 RGB, 32 and
// 64 RGB with alpha. Colour samples of 48 and 64-bit pixels and 16-bit gray
// samples are written as they are, so callers widen them first.
int WritePng(const std::string& fileName, const uint8_t* pixels, int32_t width, int32_t height, int bitCount);

// JPEG of an 8-bit (gray) or 24-bit (colour) image whose memory holds the
// picture bottom row first, at `quality` (1 ... 100) with baseline
// quantisation tables; progressive scans unless `progressive` is 0.
int WriteJpeg(const std::string& fileName, const CDibImage& image, int quality, int progressive);

// Uncompressed TIFF in one strip, top row first, rows packed without
// padding: 8-bit images as 8-bit gray, 16-bit as 16-bit gray (samples
// widened to 16 bits), 24 and 32-bit as 8-bit RGB, 48 and 64-bit as 16-bit
// RGB (widened); 32 and 64-bit pixels keep a fourth, unspecified sample.
int WriteTiff(const std::string& fileName, const CDibImage& image);

}  // namespace quelix
