// SPDX-License-Identifier: MIT
#include "file_formats.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "QuelixSdk_205KWMX.h"

namespace quelix::viewer {

namespace {

// RIFF header (12 bytes), the header list's head (12), the main header's
// chunk head (8); its fifth 32-bit field is the total frame count.
constexpr size_t kHeaderBytes = 56;
constexpr size_t kFrameCountOffset = 48;

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

std::optional<int> ImageFormatForName(const std::string& name, int jpegQuality)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos)
        return std::nullopt;
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "bmp")
        return QUELIX_IMAGE_BMP;
    if (extension == "raw")
        return QUELIX_IMAGE_RAW;
    if (extension == "jpg" || extension == "jpeg")
        return jpegQuality <= 20   ? QUELIX_IMAGE_JPEG20
               : jpegQuality <= 70 ? QUELIX_IMAGE_JPEG70
                                   : QUELIX_IMAGE_JPEG100;
    if (extension == "png")
        return QUELIX_IMAGE_PNG;
    if (extension == "tif" || extension == "tiff")
        return QUELIX_IMAGE_TIFF;
    return std::nullopt;
}

std::optional<uint32_t> AviFrameCountOf(const uint8_t* bytes, size_t size)
{
    if (bytes == nullptr || size < kHeaderBytes)
        return std::nullopt;
    if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "AVI ", 4) != 0 ||
        std::memcmp(bytes + 12, "LIST", 4) != 0 || std::memcmp(bytes + 20, "hdrl", 4) != 0 ||
        std::memcmp(bytes + 24, "avih", 4) != 0 || Le32(bytes + 28) < kHeaderBytes - 32 + 4)
        return std::nullopt;
    return Le32(bytes + kFrameCountOffset);
}

std::optional<uint32_t> AviFrameCount(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    uint8_t bytes[kHeaderBytes];
    const size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    return AviFrameCountOf(bytes, got);
}

}  // namespace quelix::viewer
