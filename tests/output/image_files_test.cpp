// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "file_size_limit.h"
#include "image_readers.h"
#include "output/image_files.h"

#include <png.h>
#include <tiff.h>

namespace quelix {
namespace {

namespace fs = std::filesystem;

constexpr int kBitCounts[] = {8, 16, 24, 32, 48, 64};

// Random pixels as frames carry them: 14-bit samples in 16, 48 and 64-bit
// images, a fourth byte of 0 in 32-bit ones.
void FillRandom(CDibImage& image, uint32_t seed)
{
    std::mt19937 random(seed);
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* row = image.pBits + static_cast<size_t>(y) * image.stride;
        for (int32_t x = 0; x < image.width; ++x) {
            switch (image.bitCount) {
                case 8:
                    row[x] = static_cast<uint8_t>(random());
                    break;
                case 24:
                case 32:
                    for (int c = 0; c < 3; ++c)
                        row[x * image.bitCount / 8 + c] = static_cast<uint8_t>(random());
                    break;
                default:
                    for (int c = 0; c < image.bitCount / 16; ++c) {
                        const uint16_t sample = random() & 0x3FFF;
                        std::memcpy(row + x * image.bitCount / 8 + 2 * c, &sample, 2);
                    }
            }
        }
    }
}

// A smooth picture, which JPEG keeps well: channel c of pixel (x, y) is a
// 14-bit level rising and falling across the picture (narrowed for 8-bit
// channels).
void FillSmooth(CDibImage& image)
{
    const bool wordSamples = image.bitCount == 16 || image.bitCount >= 48;
    const int channels = image.bitCount == 8 || image.bitCount == 16 ? 1 : 3;
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* row = image.pBits + static_cast<size_t>(y) * image.stride;
        for (int32_t x = 0; x < image.width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int phase = (x * 40 + y * 25 + c * 3000) % 0x7FFE;
                const int level = phase < 0x3FFF ? phase : 0x7FFE - phase;
                uint8_t* sample = row + x * image.bitCount / 8 + (wordSamples ? 2 * c : c);
                if (wordSamples) {
                    const uint16_t word = static_cast<uint16_t>(level);
                    std::memcpy(sample, &word, 2);
                } else {
                    *sample = static_cast<uint8_t>(level >> 6);
                }
            }
        }
    }
}

uint16_t Word(const CDibImage& image, int32_t x, int32_t y, int index)
{
    uint16_t word = 0;
    std::memcpy(&word,
                image.pBits + static_cast<size_t>(y) * image.stride + x * image.bitCount / 8 + 2 * index, 2);
    return word;
}

uint8_t Byte(const CDibImage& image, int32_t x, int32_t y, int index)
{
    return image.pBits[static_cast<size_t>(y) * image.stride + x * image.bitCount / 8 + index];
}

// What PNG and TIFF files hold for pixel (x, y), channels in file order
// (gray, or red, green, blue and a fourth sample). The fourth sample of
// 32-bit pixels is the PNG's alpha (opacity: the pixel's fourth byte
// inverted) and an unspecified 0 in TIFF.
std::vector<uint16_t> LosslessSamples(const CDibImage& image, int32_t x, int32_t y, bool tiff)
{
    switch (image.bitCount) {
        case 8:
            return {Byte(image, x, y, 0)};
        case 16:
            return {static_cast<uint16_t>(Word(image, x, y, 0) << 2)};
        case 24:
            return {Byte(image, x, y, 2), Byte(image, x, y, 1), Byte(image, x, y, 0)};
        case 32:
            return {Byte(image, x, y, 2), Byte(image, x, y, 1), Byte(image, x, y, 0),
                    static_cast<uint16_t>(tiff ? 0 : 255 - Byte(image, x, y, 3))};
        case 48:
            return {static_cast<uint16_t>(Word(image, x, y, 2) << 2),
                    static_cast<uint16_t>(Word(image, x, y, 1) << 2),
                    static_cast<uint16_t>(Word(image, x, y, 0) << 2)};
        default:
            return {static_cast<uint16_t>(Word(image, x, y, 2) << 2),
                    static_cast<uint16_t>(Word(image, x, y, 1) << 2),
                    static_cast<uint16_t>(Word(image, x, y, 0) << 2), 0xFFFF};
    }
}

// The 8-bit levels a JPEG encoder receives for pixel (x, y): gray, or red,
// green, blue.
std::vector<int> JpegLevels(const CDibImage& image, int32_t x, int32_t y)
{
    switch (image.bitCount) {
        case 8:
            return {Byte(image, x, y, 0)};
        case 16:
            return {Word(image, x, y, 0) >> 6};
        case 24:
        case 32:
            return {Byte(image, x, y, 2), Byte(image, x, y, 1), Byte(image, x, y, 0)};
        default:
            return {std::min(Word(image, x, y, 2) >> 4, 255), std::min(Word(image, x, y, 1) >> 4, 255),
                    std::min(Word(image, x, y, 0) >> 4, 255)};
    }
}

// The first pixel of the file that differs from the image, or "" when all match.
std::string LosslessMismatch(const CDibImage& image, const test::DecodedImage& file, bool tiff)
{
    if (file.width != image.width || file.height != image.height)
        return "size " + std::to_string(file.width) + " x " + std::to_string(file.height);
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const std::vector<uint16_t> expected = LosslessSamples(image, x, y, tiff);
            if (static_cast<int>(expected.size()) != file.channels)
                return "channels " + std::to_string(file.channels);
            for (int c = 0; c < file.channels; ++c) {
                if (file.Sample(x, y, c) != expected[c])
                    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") channel " +
                           std::to_string(c) + ": " + std::to_string(file.Sample(x, y, c)) + " instead of " +
                           std::to_string(expected[c]);
            }
        }
    }
    return "";
}

class ImageFiles : public testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("quelix-images-" + std::to_string(getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string Path(const std::string& name) const { return (directory / name).string(); }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static CDibImage* Make(CDibImage& image, int32_t width, int32_t height, int bitCount, uint32_t seed = 1)
    {
        EXPECT_EQ(image.Create(width, height, bitCount), 1);
        FillRandom(image, seed);
        return &image;
    }

    fs::path directory;
};

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

TEST_F(ImageFiles, BmpFilesHoldTheHeaderTheGrayTableAndTheRowsBottomFirst)
{
    const struct {
        int bitCount;
        size_t bytes;
    } sizes[] = {{8, 82998}, {16, 163894}, {24, 245814}, {32, 327734}, {48, 491574}, {64, 655414}};
    for (const auto& [bitCount, bytes] : sizes) {
        SCOPED_TRACE(bitCount);
        CDibImage image;
        Make(image, 320, 256, bitCount, bitCount);
        ASSERT_EQ(SaveImageFile(Path("frame.bmp"), &image, kImageBmp, kSampleBits), 1);
        const std::vector<uint8_t> file = test::ReadBinaryFile(Path("frame.bmp"));
        ASSERT_EQ(file.size(), bytes);
        const uint32_t pixelOffset = bitCount == 8 ? 1078 : 54;
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(U32At(file, 2), bytes);
        EXPECT_EQ(U32At(file, 6), 0u);
        EXPECT_EQ(U32At(file, 10), pixelOffset);
        EXPECT_EQ(U32At(file, 14), 40u);
        EXPECT_EQ(U32At(file, 18), 320u);
        EXPECT_EQ(U32At(file, 22), 256u) << "a positive height: bottom-up rows";
        EXPECT_EQ(file[26] | file[27] << 8, 1);
        EXPECT_EQ(file[28] | file[29] << 8, bitCount);
        for (size_t offset = 30; offset < 54; offset += 4)
            EXPECT_EQ(U32At(file, offset), 0u) << offset;
        if (bitCount == 8) {
            for (uint32_t i = 0; i < 256; ++i)
                ASSERT_EQ(U32At(file, 54 + 4 * i), i | i << 8 | i << 16) << "gray ramp entry " << i;
        }
        for (int32_t row = 0; row < 256; ++row) {
            ASSERT_EQ(std::memcmp(file.data() + pixelOffset + static_cast<size_t>(row) * image.stride,
                                  image.pBits + static_cast<size_t>(255 - row) * image.stride, image.stride),
                      0)
                << "file row " << row << " is picture row " << 255 - row;
        }
    }
}

TEST_F(ImageFiles, RawFilesAreTheImageMemoryTopRowFirst)
{
    for (const int bitCount : kBitCounts) {
        for (const auto& [width, height] : {std::pair{320, 256}, {1, 1}, {321, 3}}) {
            SCOPED_TRACE(std::to_string(bitCount) + " bits, " + std::to_string(width) + " wide");
            CDibImage image;
            Make(image, width, height, bitCount, 7);
            ASSERT_EQ(SaveImageFile(Path("frame.raw"), &image, kImageRaw, kSampleBits), 1);
            const std::vector<uint8_t> file = test::ReadBinaryFile(Path("frame.raw"));
            ASSERT_EQ(file.size(), static_cast<size_t>(image.stride) * height);
            EXPECT_EQ(std::memcmp(file.data(), image.pBits, file.size()), 0);
        }
    }
    CDibImage frame;
    Make(frame, 320, 256, 16);
    ASSERT_EQ(SaveImageFile(Path("frame.raw"), &frame, kImageRaw, kSampleBits), 1);
    EXPECT_EQ(fs::file_size(Path("frame.raw")), 163840u);
}

TEST_F(ImageFiles, PngFilesReadBackBitExactAtEveryDepthAndSize)
{
    for (const int bitCount : kBitCounts) {
        for (const auto& [width, height] : {std::pair{320, 256}, {1, 1}, {321, 2}, {3, 7}}) {
            SCOPED_TRACE(std::to_string(bitCount) + " bits, " + std::to_string(width) + " x " +
                         std::to_string(height));
            CDibImage image;
            Make(image, width, height, bitCount, static_cast<uint32_t>(width + bitCount));
            ASSERT_EQ(SaveImageFile(Path("frame.png"), &image, kImagePng, kSampleBits), 1);
            const auto png = test::ReadPng(Path("frame.png"));
            ASSERT_TRUE(png.has_value());
            EXPECT_EQ(png->image.bitDepth, bitCount == 16 || bitCount >= 48 ? 16 : 8);
            const int colorTypes[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY,
                                      PNG_COLOR_TYPE_RGB,  PNG_COLOR_TYPE_RGB_ALPHA,
                                      PNG_COLOR_TYPE_RGB,  PNG_COLOR_TYPE_RGB_ALPHA};
            EXPECT_EQ(png->colorType,
                      colorTypes[std::find(std::begin(kBitCounts), std::end(kBitCounts), bitCount) -
                                 std::begin(kBitCounts)]);
            EXPECT_EQ(png->interlace, PNG_INTERLACE_NONE);
            EXPECT_EQ(LosslessMismatch(image, png->image, false), "");
        }
    }
}

TEST_F(ImageFiles, PngWidensFourteenBitSamplesMostSignificantByteFirstAndIsOpaque)
{
    CDibImage gray;
    ASSERT_EQ(gray.Create(2, 1, 16), 1);
    const uint16_t samples[] = {0x3FFF, 0x0001};
    std::memcpy(gray.pBits, samples, sizeof samples);
    ASSERT_EQ(SaveImageFile(Path("gray.png"), &gray, kImagePng, kSampleBits), 1);
    const auto png = test::ReadPng(Path("gray.png"));
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->image.samples, (std::vector<uint16_t>{0xFFFC, 0x0004}));
    // The stored bytes themselves: the IDAT data of a 2 x 1 image is one
    // filter byte and 0xFF 0xFC 0x00 0x04 deflated; reading it back through
    // libpng without transformations gives them most significant byte first.

    CDibImage colour;
    ASSERT_EQ(colour.Create(4, 2, 32), 1);
    FillRandom(colour, 3);
    ASSERT_EQ(SaveImageFile(Path("colour.png"), &colour, kImagePng, kSampleBits), 1);
    const auto rgba = test::ReadPng(Path("colour.png"));
    ASSERT_TRUE(rgba.has_value());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rgba->image.Sample(x, y, 3), 255) << "fully opaque";
}

TEST_F(ImageFiles, JpegGivesTheEncoderNarrowedGrayLevels)
{
    // Left half at full scale, right half at the smallest sample that
    // narrows to 1; uniform 8 x 8 blocks come back exactly at quality 100.
    CDibImage image;
    ASSERT_EQ(image.Create(320, 256, 16), 1);
    for (int32_t y = 0; y < 256; ++y) {
        for (int32_t x = 0; x < 320; ++x) {
            const uint16_t sample = x < 160 ? 0x3FFF : 0x0040;
            std::memcpy(image.pBits + y * image.stride + 2 * x, &sample, 2);
        }
    }
    ASSERT_EQ(SaveImageFile(Path("gray.jpg"), &image, kImageJpeg100, kSampleBits), 1);
    const auto jpeg = test::ReadJpeg(Path("gray.jpg"));
    ASSERT_TRUE(jpeg.has_value());
    EXPECT_EQ(jpeg->image.channels, 1);
    EXPECT_EQ(jpeg->image.Sample(0, 0, 0), 255);
    EXPECT_EQ(jpeg->image.Sample(319, 255, 0), 1);
    EXPECT_EQ(jpeg->image.Sample(100, 200, 0), 255);
    EXPECT_EQ(jpeg->image.Sample(200, 100, 0), 1);
}

TEST_F(ImageFiles, JpegFormatsDifferOnlyInQualityAndAreAllProgressive)
{
    const struct {
        int format;
        int quality;
        double meanBound;  // mean absolute error of a smooth picture, in 8-bit levels
    } formats[] = {{kImageJpeg100, 100, 1.0}, {kImageJpeg70, 70, 2.0}, {kImageJpeg20, 20, 4.0}};
    for (const int bitCount : kBitCounts) {
        CDibImage image;
        ASSERT_EQ(image.Create(321, 203, bitCount), 1);
        FillSmooth(image);
        for (const auto& [format, quality, meanBound] : formats) {
            SCOPED_TRACE(std::to_string(bitCount) + " bits, quality " + std::to_string(quality));
            ASSERT_EQ(SaveImageFile(Path("frame.jpg"), &image, format, kSampleBits), 1);
            const auto jpeg = test::ReadJpeg(Path("frame.jpg"));
            ASSERT_TRUE(jpeg.has_value());
            EXPECT_TRUE(jpeg->progressive);
            EXPECT_EQ(jpeg->lumaTable, test::LumaTableForQuality(quality));
            ASSERT_EQ(jpeg->image.width, 321);
            ASSERT_EQ(jpeg->image.height, 203);
            ASSERT_EQ(jpeg->image.channels, bitCount == 8 || bitCount == 16 ? 1 : 3);
            double errorSum = 0;
            for (int32_t y = 0; y < 203; ++y) {
                for (int32_t x = 0; x < 321; ++x) {
                    const std::vector<int> expected = JpegLevels(image, x, y);
                    for (int c = 0; c < jpeg->image.channels; ++c)
                        errorSum += std::abs(jpeg->image.Sample(x, y, c) - expected[c]);
                }
            }
            EXPECT_LT(errorSum / (321.0 * 203 * jpeg->image.channels), meanBound)
                << "top row first, colours in place";
        }
    }
}

TEST_F(ImageFiles, TiffFilesReadBackBitExactInOnePackedStrip)
{
    const uint16_t bitsPerSample[] = {8, 16, 8, 8, 16, 16};
    const uint16_t samplesPerPixel[] = {1, 1, 3, 4, 3, 4};
    for (size_t i = 0; i < std::size(kBitCounts); ++i) {
        const int bitCount = kBitCounts[i];
        for (const auto& [width, height] : {std::pair{320, 256}, {1, 1}, {321, 2}}) {
            SCOPED_TRACE(std::to_string(bitCount) + " bits, " + std::to_string(width) + " x " +
                         std::to_string(height));
            CDibImage image;
            Make(image, width, height, bitCount, 11);
            ASSERT_EQ(SaveImageFile(Path("frame.tif"), &image, kImageTiff, kSampleBits), 1);
            const auto tiff = test::ReadTiff(Path("frame.tif"));
            ASSERT_TRUE(tiff.has_value());
            EXPECT_EQ(tiff->image.bitDepth, bitsPerSample[i]);
            EXPECT_EQ(tiff->image.channels, samplesPerPixel[i]);
            EXPECT_EQ(tiff->photometric, bitCount <= 16 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
            EXPECT_EQ(tiff->compression, COMPRESSION_NONE);
            EXPECT_EQ(tiff->planarConfig, PLANARCONFIG_CONTIG);
            EXPECT_EQ(tiff->extraSamples, samplesPerPixel[i] == 4
                                              ? std::vector<uint16_t>{EXTRASAMPLE_UNSPECIFIED}
                                              : std::vector<uint16_t>{});
            EXPECT_EQ(tiff->strips, 1u);
            EXPECT_EQ(tiff->firstStripBytes, static_cast<uint64_t>(width) * height * bitCount / 8)
                << "rows unpadded";
            EXPECT_EQ(LosslessMismatch(image, tiff->image, true), "");
        }
    }
    CDibImage odd;
    Make(odd, 321, 2, 24);
    ASSERT_EQ(SaveImageFile(Path("odd.tif"), &odd, kImageTiff, kSampleBits), 1);
    EXPECT_EQ(test::ReadTiff(Path("odd.tif"))->firstStripBytes, 2u * 963);
}

TEST_F(ImageFiles, UnknownFormatsAndMissingImagesWriteNothing)
{
    CDibImage image;
    Make(image, 16, 16, 8);
    for (const int format : {7, -1, 100, INT32_MIN, INT32_MAX})
        EXPECT_EQ(SaveImageFile(Path("frame.out"), &image, format, kSampleBits), 0) << format;
    EXPECT_EQ(SaveImageFile(Path("frame.out"), nullptr, kImagePng, kSampleBits), 0);
    CDibImage empty;
    for (int format = 0; format <= 6; ++format) {
        EXPECT_EQ(SaveImageFile(Path("frame.out"), &empty, format, kSampleBits), 0) << format;
        EXPECT_EQ(SaveImageFile(Path("frame.out"), &image, format, 12), 0) << "samples of another width";
    }
    EXPECT_EQ(WritePng(Path("frame.out"), nullptr, 16, 16, 8), 0);
    EXPECT_EQ(WritePng(Path("frame.out"), image.pBits, 16, 16, 12), 0);
    EXPECT_EQ(WritePng(Path("frame.out"), image.pBits, 0, 16, 8), 0);
    EXPECT_EQ(WritePng(Path("frame.out"), image.pBits, 16, -1, 8), 0);
    CDibImage wide;
    Make(wide, 16, 16, 16);
    EXPECT_EQ(WriteJpeg(Path("frame.out"), wide, 100, 1), 0) << "JPEG takes 8 or 24-bit images only";
    EXPECT_TRUE(Entries().empty());
}

TEST_F(ImageFiles, AnExistingFileIsReplacedAndNothingElseIsLeft)
{
    CDibImage image;
    Make(image, 320, 256, 16);
    const char* names[] = {"a.bmp", "a.raw", "a.jpg", "b.jpg", "c.jpg", "a.png", "a.tif"};
    for (int format = 0; format <= 6; ++format) {
        const std::string path = Path(names[format]);
        std::ofstream(path) << std::string(1000000, 'x');
        ASSERT_EQ(SaveImageFile(path, &image, format, kSampleBits), 1) << format;
        const std::vector<uint8_t> file = test::ReadBinaryFile(path);
        EXPECT_LT(file.size(), 1000000u) << "truncated, not overwritten in place";
        EXPECT_NE(file[0], 'x') << format;
    }
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"a.bmp", "a.jpg", "a.png", "a.raw", "a.tif", "b.jpg", "c.jpg"}));
}

TEST_F(ImageFiles, AFullDiskFailsEverySaveAndKeepsTheOldFile)
{
    CDibImage image;
    Make(image, 320, 256, 64);
    const std::string path = Path("kept.img");
    const std::string previous = "the previous picture";
    for (int format = 0; format <= 6; ++format) {
        ASSERT_EQ(SaveImageFile(path, &image, format, kSampleBits), 1);
        const uint64_t size = fs::file_size(path);
        // No room at all, none for the pixels, half the file, all but the last byte.
        for (const uint64_t room : {uint64_t{0}, uint64_t{60}, size / 2, size - 1}) {
            SCOPED_TRACE("format " + std::to_string(format) + ", room for " + std::to_string(room) + " of " +
                         std::to_string(size) + " bytes");
            std::ofstream(path) << previous;
            {
                test::ScopedFileSizeLimit full(room);
                EXPECT_EQ(SaveImageFile(path, &image, format, kSampleBits), 0);
            }
            EXPECT_EQ(test::ReadBinaryFile(path), std::vector<uint8_t>(previous.begin(), previous.end()));
            EXPECT_EQ(Entries(), std::vector<std::string>{"kept.img"}) << "no partial file";
        }
    }
}

TEST_F(ImageFiles, AnUnwritablePathFailsEverySave)
{
    CDibImage image;
    Make(image, 8, 8, 24);
    for (int format = 0; format <= 6; ++format) {
        EXPECT_EQ(SaveImageFile(Path("missing/frame.img"), &image, format, kSampleBits), 0);
        EXPECT_EQ(SaveImageFile(directory.string(), &image, format, kSampleBits), 0) << "a directory";
        EXPECT_EQ(SaveImageFile(Path("") + "/", &image, format, kSampleBits), 0);
        EXPECT_EQ(SaveImageFile("", &image, format, kSampleBits), 0);
    }
    EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace quelix
