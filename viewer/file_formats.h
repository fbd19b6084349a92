// SPDX-License-Identifier: MIT
// The files the viewer writes: the library's image format for a file name,
// and the frame count of an AVI file the library recorded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quelix::viewer {

// The QUELIX_IMAGE_ format of a file name's extension (case ignored): .bmp,
// .raw, .jpg/.jpeg (quality 100, or 70 or 20 when asked), .png, .tif/.tiff;
// nullopt for another.
std::optional<int> ImageFormatForName(const std::string& name, int jpegQuality = 100);

// The total frame count of an AVI file's main header; nullopt when the file
// cannot be read or does not begin as an AVI file with its main header.
std::optional<uint32_t> AviFrameCount(const std::string& path);

// The frame count from the first bytes of an AVI file (`size` of them).
std::optional<uint32_t> AviFrameCountOf(const uint8_t* bytes, size_t size);

}  // namespace quelix::viewer
