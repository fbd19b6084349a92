// SPDX-License-Identifier: MIT
// The mask file: the four shading references of a camera in one binary file
// of 491,560 bytes. A 40-byte header of 32-bit little-endian fields
//   0  "KORVEX MASK1000" and a zero byte
//   16 width 320, 20 height 256
//   24 ... 36 the sizes of the four blocks: 81920, 81920, 163840, 163840
// then the blocks, rows top-down: the 8-bit dark and bright references (one
// byte per pixel), the 16-bit dark and bright references (one little-endian
// word per pixel, 14 significant bits).
//
// This is the one implementation of the format: the library's mask-file
// operations and the tool's calibration both use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelix {

inline constexpr int32_t kMaskWidth = 320;
inline constexpr int32_t kMaskHeight = 256;
inline constexpr size_t kMaskPixels = static_cast<size_t>(kMaskWidth) * kMaskHeight;
inline constexpr size_t kMaskHeaderSize = 40;
inline constexpr size_t kMaskFileSize = kMaskHeaderSize + 2 * kMaskPixels + 2 * kMaskPixels * 2;  // 491,560
inline constexpr uint16_t kReferenceFullScale = 0x3FFF;

// The four references, each 320 x 256 pixels, rows top-down without padding.
struct MaskReferences {
    std::vector<uint8_t> dark8 = std::vector<uint8_t>(kMaskPixels, 0);
    std::vector<uint8_t> bright8 = std::vector<uint8_t>(kMaskPixels, 0xFF);
    std::vector<uint16_t> dark16 = std::vector<uint16_t>(kMaskPixels, 0);
    std::vector<uint16_t> bright16 = std::vector<uint16_t>(kMaskPixels, kReferenceFullScale);
};

// The file's bytes: the header and the four blocks.
std::vector<uint8_t> EncodeMaskFile(const MaskReferences& references);

// Checks the whole file before it takes anything from it: exactly
// kMaskFileSize bytes, the magic with its zero byte, the geometry and the
// four block sizes. On failure `references` is left as it was.
bool DecodeMaskFile(const std::vector<uint8_t>& bytes, MaskReferences& references);

// Reads and decodes the file at `path` (UTF-8); false when it cannot be read
// or is not a mask file, with `references` left as they were.
bool ReadMaskFile(const std::string& path, MaskReferences& references);

// Writes the file through the output-file rule: it appears complete or not
// at all, and a failed write keeps an existing file of that name.
bool WriteMaskFile(const std::string& path, const MaskReferences& references);

}  // namespace quelix
