// SPDX-License-Identifier: MIT
// Reads image files back with their own libraries' readers (libpng,
// libjpeg, libtiff), so that tests compare what another program would see.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelix::test {

// Samples top row first, channels interleaved in the file's order.
struct DecodedImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    int bitDepth = 0;
    std::vector<uint16_t> samples;
    uint16_t Sample(int x, int y, int channel) const
    {
        return samples[(static_cast<size_t>(y) * width + x) * channels + channel];
    }
};

struct PngFile {
    DecodedImage image;
    int colorType = 0;
    int interlace = 0;
};
// Nullopt (and a test failure message on stderr) when libpng refuses the file.
std::optional<PngFile> ReadPng(const std::string& path);

struct JpegFile {
    DecodedImage image;
    bool progressive = false;
    std::vector<uint16_t> lumaTable;  // the first quantisation table, natural order
};
std::optional<JpegFile> ReadJpeg(const std::string& path);
// The luminance table that libjpeg makes for a quality with baseline tables forced.
std::vector<uint16_t> LumaTableForQuality(int quality);

struct TiffFile {
    DecodedImage image;
    uint16_t photometric = 0;
    uint16_t compression = 0;
    uint16_t planarConfig = 0;
    std::vector<uint16_t> extraSamples;
    uint32_t strips = 0;
    uint64_t firstStripBytes = 0;
};
std::optional<TiffFile> ReadTiff(const std::string& path);

std::vector<uint8_t> ReadBinaryFile(const std::string& path);

}  // namespace quelix::test
