// Saving an image in every format, with the image's size and depth, the
// format code, the sample width, the file name and the room on the disk
// chosen by the fuzzer. A save that succeeds leaves exactly its file, which
// an independent decoder reads back at the image's size (and, where the
// format keeps 8-bit samples unchanged, with its pixels); a save that fails
// leaves nothing new and keeps a file that was there.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "output/dib_image.h"
#include "output/image_files.h"
#include "tests/fuzz/fuzz_files.h"

using namespace quelix;
using fuzz::ByteReader;
using fuzz::Require;

namespace {

constexpr int kBitCounts[] = {8, 16, 24, 32, 48, 64, 0, 1, 12, 128};
// Larger images than the camera makes only slow the fuzzer down.
constexpr size_t kLargestImage = 1 << 20;

// Where a save is pointed at, chosen by the fuzzer.
enum class Target { Fresh, Existing, MissingDirectory, LongName, Directory, Count };

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

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

QUELIX_FUZZ_UNTRACED void CheckPng(const std::vector<uint8_t>& file, const CDibImage& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    Require(png_image_begin_read_from_memory(&png, file.data(), file.size()) != 0);
    Require(png.width == static_cast<uint32_t>(image.width) &&
            png.height == static_cast<uint32_t>(image.height));
    const bool colour = image.bitCount > 16;
    const bool alpha = image.bitCount == 32 || image.bitCount == 64;
    const bool wide = image.bitCount == 16 || image.bitCount == 48 || image.bitCount == 64;
    Require(((png.format & PNG_FORMAT_FLAG_COLOR) != 0) == colour);
    Require(((png.format & PNG_FORMAT_FLAG_ALPHA) != 0) == alpha);
    Require(((png.format & PNG_FORMAT_FLAG_LINEAR) != 0) == wide);
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    Require(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) != 0);
    if (wide)
        return;
    const int channels = static_cast<int>(PNG_IMAGE_SAMPLE_CHANNELS(png.format));
    for (int32_t i = 0; i < image.height; ++i)
        for (int32_t j = 0; j < image.width; ++j)
            for (int c = 0; c < channels; ++c)
                Require(pixels[(static_cast<size_t>(i) * image.width + j) * channels + c] ==
                        Expected8(image, i, j, c));
}

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf recovery;
};

void OnJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->recovery, 1);
}

// Decodes the whole file; false on any libjpeg error. A plain function, so
// that the jump back holds no C++ object.
bool DecodeJpeg(const std::vector<uint8_t>& file, uint32_t& width, uint32_t& height, int& components)
{
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnJpegError;
    if (setjmp(errors.recovery) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    width = info.output_width;
    height = info.output_height;
    components = info.output_components;
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * info.output_components, 1);
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, row, 1);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

void CheckJpeg(const std::vector<uint8_t>& file, const CDibImage& image)
{
    uint32_t width = 0;
    uint32_t height = 0;
    int components = 0;
    Require(DecodeJpeg(file, width, height, components));
    Require(width == static_cast<uint32_t>(image.width) && height == static_cast<uint32_t>(image.height));
    Require(components == (image.bitCount <= 16 ? 1 : 3));
}

QUELIX_FUZZ_UNTRACED void CheckTiff(const std::string& path, const CDibImage& image)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    Require(tiff != nullptr);
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits = 0;
    uint16_t samples = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    Require(width == static_cast<uint32_t>(image.width) && height == static_cast<uint32_t>(image.height));
    const int expectedSamples = image.bitCount <= 16                           ? 1
                                : image.bitCount == 24 || image.bitCount == 48 ? 3
                                                                               : 4;
    Require(samples == expectedSamples &&
            bits == (image.bitCount == 8 || image.bitCount == 24 || image.bitCount == 32 ? 8 : 16));
    const tmsize_t rowBytes = TIFFScanlineSize(tiff);
    Require(rowBytes == static_cast<tmsize_t>(image.width) * samples * (bits / 8));
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (int32_t i = 0; i < image.height; ++i) {
        Require(TIFFReadScanline(tiff, row.data(), static_cast<uint32_t>(i), 0) == 1);
        if (bits != 8)
            continue;
        for (int32_t j = 0; j < image.width; ++j)
            for (int c = 0; c < std::min(samples, uint16_t{3}); ++c)
                Require(row[static_cast<size_t>(j) * samples + c] == Expected8(image, i, j, c));
    }
    TIFFClose(tiff);
}

void CheckFile(int format, const std::string& path, const CDibImage& image)
{
    const std::vector<uint8_t> file = fuzz::ReadWhole(path);
    switch (format) {
        case kImageBmp:
            CheckBmp(file, image);
            break;
        case kImageRaw:
            Require(file.size() == image.ImageBytes() &&
                    std::memcmp(file.data(), image.pBits, file.size()) == 0);
            break;
        case kImagePng:
            CheckPng(file, image);
            break;
        case kImageTiff:
            CheckTiff(path, image);
            break;
        default:
            CheckJpeg(file, image);
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
        fuzz::FileSizeLimit limit(limited ? room % (2u << 20) : RLIM_INFINITY);
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
            Require(fuzz::ReadWhole(path) == earlier);
    }
    return 0;
}
