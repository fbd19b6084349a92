// SPDX-License-Identifier: MIT
// Saving an image in every format, with the image's size and depth, the
// format code, the sample width, the file name and the room on the disk
// chosen by the fuzzer. A save that succeeds leaves exactly its file, which
// an independent decoder reads back at the image's size (and, where the
// format keeps 8-bit samples unchanged, with its pixels); a save that fails
// leaves nothing new and keeps a file that was there.
#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "image/dib_image.h"
#include "output/image_files.h"
#include "tests/fuzz/fuzz_files.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/image_readers.h"

using namespace quelix;
using fuzz::ByteReader;
using fuzz::Le32;
using fuzz::Require;

namespace {

constexpr int kBitCounts[] = {8, 16, 24, 32, 48, 64, 0, 1, 12, 128};
// Larger images than the camera makes only slow the fuzzer down.
constexpr size_t kLargestImage = 1 << 20;

// Where a save is pointed at, chosen by the fuzzer.
enum class Target { Fresh, Existing, MissingDirectory, LongName, Directory, Count };

const uint8_t* Row(const CDibImage& image, int32_t i)
{
    return image.pBits + static_cast<size_t>(i) * image.stride;
}

// The 8-bit samples an RGB(A) file holds for pixel j of a row: red, green,
// blue from blue, green, red, and opacity from the unused fourth byte.
QUELIX_FUZZ_UNTRACED uint8_t Expected8(const CDibImage& image, int32_t i, int32_t j, int channel)
{
    const int bytes = image.bitCount / 8;
    const uint8_t* pixel = Row(image, i) + static_cast<size_t>(j) * bytes;
    if (bytes == 1)
        return pixel[0];
    return channel < 3 ? pixel[2 - channel] : static_cast<uint8_t>(255 - pixel[3]);
}

QUELIX_FUZZ_UNTRACED void CheckBmp(const std::vector<uint8_t>& file, const CDibImage& image)
{
    const size_t table = image.bitCount == 8 ? 1024 : 0;
    const size_t pixels = static_cast<size_t>(image.stride) * image.height;
    Require(file.size() == 54 + table + pixels);
    Require(file[0] == 'B' && file[1] == 'M' && Le32(file, 2) == file.size() && Le32(file, 10) == 54 + table);
    Require(Le32(file, 18) == static_cast<uint32_t>(image.width) &&
            Le32(file, 22) == static_cast<uint32_t>(image.height));
    // Rows bottom first.
    for (int32_t i = 0; i < image.height; ++i)
        Require(
            std::memcmp(file.data() + 54 + table + static_cast<size_t>(image.height - 1 - i) * image.stride,
                        Row(image, i), image.stride) == 0);
}

// A file decoded by its own library: the image's size, the channels and
// sample depth the format gives its depth, and, for 8-bit samples, the
// first `compared` channels of every pixel.
QUELIX_FUZZ_UNTRACED void CheckDecoded(const std::optional<test::DecodedImage>& decoded,
                                       const CDibImage& image, int channels, int bitDepth, int compared)
{
    Require(decoded.has_value());
    Require(decoded->width == image.width && decoded->height == image.height);
    Require(decoded->channels == channels && decoded->bitDepth == bitDepth);
    if (bitDepth != 8)
        return;
    for (int32_t i = 0; i < image.height; ++i)
        for (int32_t j = 0; j < image.width; ++j)
            for (int c = 0; c < compared; ++c)
                Require(decoded->Sample(j, i, c) == Expected8(image, i, j, c));
}

template <class File>
std::optional<test::DecodedImage> ImageOf(const std::optional<File>& file)
{
    return file ? std::optional(file->image) : std::nullopt;
}

void CheckFile(int format, const std::string& path, const CDibImage& image)
{
    // Gray for 8 and 16 bits, colour for 24 and 48, and a fourth sample for
    // 32 and 64; 16-bit samples from 16, 48 and 64-bit images.
    const int bits = image.bitCount;
    const int channels = bits <= 16 ? 1 : bits == 24 || bits == 48 ? 3 : 4;
    const int depth = bits == 16 || bits == 48 || bits == 64 ? 16 : 8;
    switch (format) {
        case kImageBmp:
            CheckBmp(test::ReadBinaryFile(path), image);
            break;
        case kImageRaw: {
            const std::vector<uint8_t> file = test::ReadBinaryFile(path);
            Require(file.size() == image.ImageBytes() &&
                    std::memcmp(file.data(), image.pBits, file.size()) == 0);
            break;
        }
        case kImagePng:
            // The fourth sample is opacity, made from the unused fourth byte.
            CheckDecoded(ImageOf(test::ReadPng(path)), image, channels, depth, channels);
            break;
        case kImageTiff:
            // The fourth sample is unspecified.
            CheckDecoded(ImageOf(test::ReadTiff(path)), image, channels, depth, std::min(channels, 3));
            break;
        default:
            // Lossy: only the shape is checked.
            CheckDecoded(ImageOf(test::ReadJpeg(path)), image, bits <= 16 ? 1 : 3, 8, 0);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    const int format = in.U8() % 10 - 1;
    const int bitCount = kBitCounts[in.U8() % std::size(kBitCounts)];
    const auto width = static_cast<int16_t>(in.U16());
    const auto height = static_cast<int16_t>(in.U16());
    const uint8_t sampleCode = in.U8();
    const int significantBits = sampleCode & 0x80 ? sampleCode & 0x7F : kSampleBits;
    const uint32_t room = in.U32();
    const auto target = static_cast<Target>(in.U8() % static_cast<int>(Target::Count));
    const uint8_t picture = in.U8();
    if (width > 0 && height > 0 && static_cast<size_t>(width) * height * 8 > kLargestImage)
        return 0;

    CDibImage image;
    const bool made = image.Create(width, height, bitCount) == 1;
    Require(made == (width > 0 && height > 0 && platform::IsSupportedBitCount(bitCount)));
    // Noise, or the rest of the fuzzer's bytes over and over.
    if (picture & 1)
        fuzz::FillNoise(image.pBits, image.ImageBytes(), picture);
    else
        fuzz::FillRepeating(image.pBits, image.ImageBytes(), in.Rest(), in.RestSize());

    fuzz::ClearScratch();
    const auto& directory = fuzz::ScratchDirectory();
    std::string path = (directory / "image.out").string();
    const std::vector<uint8_t> earlier = {'k', 'e', 'p', 't'};
    switch (target) {
        case Target::Existing: {
            std::ofstream(path, std::ios::binary).write("kept", 4);
            break;
        }
        case Target::MissingDirectory:
            path = (directory / "missing" / "image.out").string();
            break;
        case Target::LongName:
            path = (directory / std::string(300, 'n')).string();
            break;
        case Target::Directory:
            std::filesystem::create_directory(path);
            break;
        default:
            break;
    }
    const auto before = fuzz::ScratchFiles();

    // The top bit of the room asks for a disk without a limit.
    const bool limited = (room & 0x80000000u) == 0;
    int saved = 0;
    {
        test::ScopedFileSizeLimit limit(limited ? std::max<uint64_t>(room % (2u << 20), fuzz::kSmallestRoom)
                                                : RLIM_INFINITY);
        saved = SaveImageFile(path, &image, format, significantBits);
    }

    const bool possible = made && format >= 0 && format <= kImageTiff && significantBits == kSampleBits &&
                          (target == Target::Fresh || target == Target::Existing);
    Require(saved == 0 || possible);
    Require(saved == 1 || limited || !possible);
    if (saved == 1) {
        Require(fuzz::ScratchFiles() == std::vector<std::string>{"image.out"});
        CheckFile(format, path, image);
    } else {
        Require(fuzz::ScratchFiles() == before);
        if (target == Target::Existing)
            Require(test::ReadBinaryFile(path) == earlier);
    }
    return 0;
}
