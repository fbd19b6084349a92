// SPDX-License-Identifier: MIT
// The pixel kernels: their rules on chosen values, and agreement bit for bit
// with the straightforward versions on random images of every format.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "pipeline/pixel_kernels.h"
#include "pipeline/sharpen.h"
#include "pipeline_camera.h"
#include "pipeline_reference.h"
#include "vector_level_scope.h"

namespace quelix {
namespace {

using test::FillRandom;
using test::FillRandom16;

std::vector<uint8_t> PixelBytes(const CDibImage& image)
{
    std::vector<uint8_t> bytes;
    for (int32_t i = 0; i < image.height; ++i) {
        const uint8_t* row = image.pBits + static_cast<ptrdiff_t>(i) * image.stride;
        bytes.insert(bytes.end(), row, row + image.width * image.bitCount / 8);
    }
    return bytes;
}

uint16_t Sample16(const CDibImage& image, int32_t i, int32_t j, int k = 0)
{
    uint16_t value;
    std::memcpy(&value, image.pBits + i * image.stride + j * image.bitCount / 8 + 2 * k, 2);
    return value;
}

void SetSample16(CDibImage& image, int32_t i, int32_t j, uint16_t value, int k = 0)
{
    std::memcpy(image.pBits + i * image.stride + j * image.bitCount / 8 + 2 * k, &value, 2);
}

uint8_t& Byte(CDibImage& image, int32_t i, int32_t j, int k = 0)
{
    return image.pBits[i * image.stride + j * image.bitCount / 8 + k];
}

CDibImage& Copy(CDibImage& to, const CDibImage& from)
{
    to.CreateLike(&from);
    std::memcpy(to.pBits, from.pBits, static_cast<size_t>(from.stride) * from.height);
    return to;
}

struct KernelPair {
    const char* name;
    ConvertKernel library;
    ConvertKernel reference;
    std::vector<int> bitCounts;
};

TEST(PixelKernels, InPlaceKernelsAgreeWithTheReferenceOnRandomImages)
{
    const std::vector<KernelPair> kernels = {
        {"Gamma8", Gamma8, reference::Gamma8, {8}},
        {"Gamma16", Gamma16, reference::Gamma16, {16}},
        {"Gamma24", Gamma24, reference::Gamma24, {24, 32}},
        {"Gamma48", Gamma48, reference::Gamma48, {48, 64}},
        {"Contrast8", Contrast8, reference::Contrast8, {8}},
        {"Contrast16", Contrast16, reference::Contrast16, {16}},
        {"Contrast24", Contrast24, reference::Contrast24, {24, 32}},
        {"Contrast48", Contrast48, reference::Contrast48, {48, 64}},
        {"Brightness8", Brightness8, reference::Brightness8, {8}},
        {"Brightness16", Brightness16, reference::Brightness16, {16}},
        {"Brightness24", Brightness24, reference::Brightness24, {24, 32}},
        {"Brightness48", Brightness48, reference::Brightness48, {48, 64}},
    };
    std::mt19937 random(7);
    for (const KernelPair& kernel : kernels) {
        for (int bits : kernel.bitCounts) {
            for (int round = 0; round < 12; ++round) {
                SCOPED_TRACE(std::string(kernel.name) + " " + std::to_string(bits) + " bits, round " +
                             std::to_string(round));
                CDibImage fast;
                CDibImage slow;
                ASSERT_TRUE(fast.Create(1 + static_cast<int32_t>(random() % 41),
                                        1 + static_cast<int32_t>(random() % 9), bits));
                FillRandom(fast, random);
                Copy(slow, fast);
                // Gamma 0 ... 200, contrast and brightness over their whole
                // ranges; 16-bit samples beyond 14 bits included; now and then
                // 8 or 16 significant bits.
                const std::string name = kernel.name;
                int32_t setting = 0;
                if (name.rfind("Gamma", 0) == 0)
                    setting = static_cast<int32_t>(random() % 201);
                else if (name.rfind("Contrast", 0) == 0)
                    setting = static_cast<int32_t>(random() % 255) - 127;
                else
                    setting = static_cast<int32_t>(random() % 511) - 255;
                const int32_t significant = round % 6 == 5 ? 8 + static_cast<int32_t>(random() % 2) * 8 : 14;
                const LevelParams params{setting, significant};
                // The whole image, or a rectangle at its own place.
                Rect rect{0, 0, fast.width, fast.height};
                if (round % 2 == 1) {
                    rect.left = static_cast<int32_t>(random() % fast.width);
                    rect.top = static_cast<int32_t>(random() % fast.height);
                    rect.right = rect.left + 1 + static_cast<int32_t>(random() % (fast.width - rect.left));
                    rect.bottom = rect.top + 1 + static_cast<int32_t>(random() % (fast.height - rect.top));
                }
                EXPECT_EQ(fast.Convert(kernel.library, &fast, &rect, rect.left, rect.top, &params), 1);
                EXPECT_EQ(slow.Convert(kernel.reference, &slow, &rect, rect.left, rect.top, &params), 1);
                ASSERT_EQ(std::memcmp(fast.pBits, slow.pBits, static_cast<size_t>(fast.stride) * fast.height),
                          0)
                    << "setting " << setting;
            }
        }
    }
}

TEST(PixelKernels, SharpenAgreesWithTheReferenceAndKeepsTheBorder)
{
    const std::vector<KernelPair> kernels = {
        {"Sharpen8", Sharpen8, reference::Sharpen8, {8}},
        {"Sharpen16", Sharpen16, reference::Sharpen16, {16}},
        {"Sharpen24", Sharpen24, reference::Sharpen24, {24, 32}},
        {"Sharpen48", Sharpen48, reference::Sharpen48, {48, 64}},
    };
    std::mt19937 random(11);
    for (const KernelPair& kernel : kernels) {
        for (int bits : kernel.bitCounts) {
            for (int round = 0; round < 10; ++round) {
                SCOPED_TRACE(std::string(kernel.name) + " " + std::to_string(bits) + " bits");
                CDibImage source;
                CDibImage fast;
                CDibImage slow;
                const int32_t width = 1 + static_cast<int32_t>(random() % 40);
                const int32_t height = 1 + static_cast<int32_t>(random() % 12);
                ASSERT_TRUE(source.Create(width, height, bits) && fast.Create(width, height, bits));
                if (bits == 16 || bits >= 48)
                    FillRandom16(source, random, round % 3 == 0 ? 2 : 1 << 14);
                else
                    FillRandom(source, random);
                FillRandom(fast, random);
                Copy(slow, fast);
                const LevelParams params{static_cast<int32_t>(random() % 31), 14};
                EXPECT_EQ(fast.Convert(kernel.library, &source, nullptr, 0, 0, &params), 1);
                EXPECT_EQ(slow.Convert(kernel.reference, &source, nullptr, 0, 0, &params), 1);
                ASSERT_EQ(std::memcmp(fast.pBits, slow.pBits, static_cast<size_t>(fast.stride) * height), 0)
                    << width << " x " << height << ", sharpness " << params.setting;
            }
        }
    }
}

// The vectorised kernels in each build, on rows long enough for the vector
// loops and odd enough for their ends, over every format they serve.
TEST(PixelKernels, EveryBuildOfSharpenAndBrightnessAgreesWithTheReference)
{
    struct Family {
        ConvertKernel sharpen;
        ConvertKernel sharpenReference;
        ConvertKernel brightness;
        ConvertKernel brightnessReference;
        std::vector<int> bitCounts;
    };
    const std::vector<Family> families = {
        {Sharpen8, reference::Sharpen8, Brightness8, reference::Brightness8, {8}},
        {Sharpen16, reference::Sharpen16, Brightness16, reference::Brightness16, {16}},
        {Sharpen24, reference::Sharpen24, Brightness24, reference::Brightness24, {24, 32}},
        {Sharpen48, reference::Sharpen48, Brightness48, reference::Brightness48, {48, 64}},
    };
    test::AtEveryVectorLevel([&] {
        std::mt19937 random(19);
        for (const Family& family : families) {
            for (int bits : family.bitCounts) {
                for (int round = 0; round < 8; ++round) {
                    const int32_t width = 1 + static_cast<int32_t>(random() % 340);
                    const int32_t height = 1 + static_cast<int32_t>(random() % 24);
                    SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + " x " +
                                 std::to_string(height));
                    CDibImage source;
                    ASSERT_TRUE(source.Create(width, height, bits));
                    const bool wide = bits == 16 || bits >= 48;
                    if (wide)
                        FillRandom16(source, random, 1 << 14);
                    else
                        FillRandom(source, random);
                    const LevelParams sharpness{static_cast<int32_t>(random() % 31), 14};
                    const LevelParams brightness{static_cast<int32_t>(random() % 511) - 255, 14};
                    CDibImage fast;
                    CDibImage slow;
                    Copy(fast, source);
                    FillRandom(fast, random);
                    Copy(slow, fast);
                    fast.Convert(family.sharpen, &source, nullptr, 0, 0, &sharpness);
                    slow.Convert(family.sharpenReference, &source, nullptr, 0, 0, &sharpness);
                    ASSERT_EQ(PixelBytes(fast), PixelBytes(slow)) << "sharpness " << sharpness.setting;
                    fast.Convert(family.brightness, &fast, nullptr, 0, 0, &brightness);
                    slow.Convert(family.brightnessReference, &slow, nullptr, 0, 0, &brightness);
                    ASSERT_EQ(PixelBytes(fast), PixelBytes(slow)) << "brightness " << brightness.setting;

                    // The whole pass of the pipeline: sharpened and brightened,
                    // the border and a fourth sample as the source has them.
                    CDibImage whole;
                    Copy(whole, source);
                    FillRandom(whole, random);
                    Copy(slow, source);
                    slow.Convert(family.sharpenReference, &source, nullptr, 0, 0, &sharpness);
                    slow.Convert(family.brightnessReference, &slow, nullptr, 0, 0, &brightness);
                    const int32_t step = bits / 8;
                    const Rect all{0, 0, width, height};
                    SharpenPass(
                        {whole.pBits, source.pBits, all, 0, 0, step, step, whole.stride, source.stride},
                        {wide ? 2 : 1, bits == 8 || bits == 16 ? 1 : 3, sharpness.setting, 14,
                         brightness.setting, true});
                    ASSERT_EQ(PixelBytes(whole), PixelBytes(slow))
                        << "sharpness " << sharpness.setting << ", brightness " << brightness.setting;
                }
            }
        }
    });
}

TEST(PixelKernels, HueSaturationAgreesWithTheReferenceOverTheWholeRange)
{
    std::mt19937 random(5);
    const std::vector<KernelPair> kernels = {{"HueSat24", HueSat24, reference::HueSat24, {24, 32}},
                                             {"HueSat48", HueSat48, reference::HueSat48, {48, 64}}};
    for (const KernelPair& kernel : kernels) {
        for (int bits : kernel.bitCounts) {
            for (int round = 0; round < 40; ++round) {
                CDibImage fast;
                CDibImage slow;
                ASSERT_TRUE(fast.Create(1 + static_cast<int32_t>(random() % 37),
                                        1 + static_cast<int32_t>(random() % 9), bits));
                FillRandom(fast, random);
                // Gray pixels and saturated primaries besides random ones.
                Byte(fast, 0, 0, 0) = Byte(fast, 0, 0, 1) = Byte(fast, 0, 0, 2) = 77;
                Copy(slow, fast);
                const HueSatParams params{static_cast<int32_t>(random() % 721) - 360, 0,
                                          static_cast<int32_t>(random() % 511) - 255, 14};
                EXPECT_EQ(fast.Convert(kernel.library, &fast, nullptr, 0, 0, &params), 1);
                EXPECT_EQ(slow.Convert(kernel.reference, &slow, nullptr, 0, 0, &params), 1);
                ASSERT_EQ(PixelBytes(fast), PixelBytes(slow))
                    << kernel.name << " hue " << params.hue << " saturation " << params.saturation;
            }
        }
    }
}

TEST(PixelKernels, GrayKernelsAgreeWithTheReference)
{
    std::mt19937 random(3);
    for (int round = 0; round < 60; ++round) {
        CDibImage fast;
        CDibImage slow;
        ASSERT_TRUE(
            fast.Create(1 + static_cast<int32_t>(random() % 23), 1 + static_cast<int32_t>(random() % 9), 8));
        FillRandom(fast, random);
        Copy(slow, fast);
        GrayParams params{};
        params.bayerMode = static_cast<int32_t>(random() % 4);
        for (int32_t* gain : {&params.grayGainR, &params.grayGainG1, &params.grayGainG2, &params.grayGainB})
            *gain = static_cast<int32_t>(random() % 256);
        for (int32_t* offset :
             {&params.grayOffsetR, &params.grayOffsetG1, &params.grayOffsetG2, &params.grayOffsetB})
            *offset = static_cast<int32_t>(random() % 511) - 255;
        GrayParams measuredFast = params;
        GrayParams measuredSlow = params;
        fast.Convert(GrayBalanceMeasure, &fast, nullptr, 0, 0, &measuredFast);
        slow.Convert(reference::GrayBalanceMeasure, &slow, nullptr, 0, 0, &measuredSlow);
        EXPECT_EQ(std::memcmp(&measuredFast, &measuredSlow, sizeof params), 0);
        fast.Convert(GrayBalanceApply, &fast, nullptr, 0, 0, &params);
        slow.Convert(reference::GrayBalanceApply, &slow, nullptr, 0, 0, &params);
        ASSERT_EQ(PixelBytes(fast), PixelBytes(slow)) << "bayer mode " << params.bayerMode;

        for (int bits : {24, 32}) {
            CDibImage colour;
            CDibImage grayFast;
            CDibImage graySlow;
            ASSERT_TRUE(colour.Create(fast.width, fast.height, bits) &&
                        grayFast.Create(fast.width, fast.height, 8) &&
                        graySlow.Create(fast.width, fast.height, 8));
            FillRandom(colour, random);
            grayFast.Convert(BgrToGray, &colour, nullptr, 0, 0);
            graySlow.Convert(reference::BgrToGray, &colour, nullptr, 0, 0);
            ASSERT_EQ(PixelBytes(grayFast), PixelBytes(graySlow));
        }
    }
}

TEST(PixelKernels, MeansAndRestrideAgreeWithTheReference)
{
    std::mt19937 random(9);
    for (int round = 0; round < 40; ++round) {
        for (int bits : {8, 16}) {
            CDibImage image;
            ASSERT_TRUE(image.Create(1 + static_cast<int32_t>(random() % 50),
                                     1 + static_cast<int32_t>(random() % 20), bits));
            FillRandom(image, random);
            const Rect window{static_cast<int32_t>(random() % image.width),
                              static_cast<int32_t>(random() % image.height), image.width, image.height};
            const ConvertKernel fast = bits == 8 ? Mean8 : Mean16;
            const ConvertKernel slow = bits == 8 ? reference::Mean8 : reference::Mean16;
            EXPECT_EQ(image.Convert(fast, &image, &window, window.left, window.top),
                      image.Convert(slow, &image, &window, window.left, window.top));

            CDibImage packed;
            CDibImage expected;
            Copy(packed, image);
            Copy(expected, image);
            packed.Convert(bits == 8 ? Restride8 : Restride16, &packed, nullptr, 0, 0);
            expected.Convert(bits == 8 ? reference::Restride8 : reference::Restride16, &expected, nullptr, 0,
                             0);
            ASSERT_EQ(
                std::memcmp(packed.pBits, expected.pBits, static_cast<size_t>(image.stride) * image.height),
                0);
        }
    }
}

TEST(PixelKernels, MeansAndRestrideOnChosenValues)
{
    CDibImage wide;
    ASSERT_TRUE(wide.Create(4, 2, 16));
    for (int32_t j = 0; j < 4; ++j) {
        SetSample16(wide, 0, j, 0x3FFF);
        SetSample16(wide, 1, j, 0x0400);
    }
    const Rect top{0, 0, 4, 1};
    const Rect bottom{0, 1, 4, 2};
    // Convert counts rows from the bottom: memory row 0 is rectangle row 1.
    EXPECT_EQ(wide.Convert(Mean16, &wide, &bottom, 0, 1), 255);
    EXPECT_EQ(wide.Convert(Mean16, &wide, &top, 0, 0), 0);

    CDibImage frame;
    ASSERT_TRUE(frame.Create(5, 2, 8));
    ASSERT_EQ(frame.stride, 8);
    const uint8_t packed[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::memcpy(frame.pBits, packed, sizeof packed);
    frame.Convert(Restride8, &frame, nullptr, 0, 0);
    EXPECT_EQ(std::vector<uint8_t>(frame.pBits, frame.pBits + 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(std::vector<uint8_t>(frame.pBits + 8, frame.pBits + 13),
              (std::vector<uint8_t>{6, 7, 8, 9, 10}));
}

TEST(PixelKernels, LevelKernelsOnChosenValues)
{
    CDibImage ramp;
    ASSERT_TRUE(ramp.Create(256, 1, 8));
    const auto fresh = [&ramp] {
        for (int32_t v = 0; v < 256; ++v)
            ramp.pBits[v] = static_cast<uint8_t>(v);
    };
    const auto run = [&ramp, &fresh](ConvertKernel kernel, int32_t setting) {
        fresh();
        const LevelParams params{setting, 14};
        ramp.Convert(kernel, &ramp, nullptr, 0, 0, &params);
        return std::vector<uint8_t>(ramp.pBits, ramp.pBits + 256);
    };
    EXPECT_EQ(run(Gamma8, 50)[64], 127);                        // trunc(sqrt(64 / 255) x 255)
    EXPECT_EQ(run(Gamma8, 0), std::vector<uint8_t>(256, 255));  // t[0] included
    EXPECT_EQ(run(Gamma8, 100)[200], 200);

    const std::vector<uint8_t> contrast = run(Contrast8, 64);
    EXPECT_EQ(contrast[63], 0);
    EXPECT_EQ(contrast[64], 0);
    EXPECT_EQ(contrast[128], 128);
    EXPECT_EQ(contrast[191], 254);
    EXPECT_EQ(contrast[192], 255);

    EXPECT_EQ(run(Brightness8, -255), std::vector<uint8_t>(256, 0));
    const std::vector<uint8_t> bright = run(Brightness8, 255);
    EXPECT_EQ(bright[23], 253);  // 23 x 11
    EXPECT_EQ(bright[24], 255);
    EXPECT_EQ(bright[255], 255);

    // 16 bits: samples at or above 2^14 take the table's last level (gamma)
    // or full scale (contrast), and brightness is limited to 2^14 - 1.
    CDibImage wide;
    ASSERT_TRUE(wide.Create(3, 1, 16));
    const auto run16 = [&wide](ConvertKernel kernel, int32_t setting) {
        SetSample16(wide, 0, 0, 0x4000);
        SetSample16(wide, 0, 1, 0xFFFF);
        SetSample16(wide, 0, 2, 4096);
        const LevelParams params{setting, 14};
        wide.Convert(kernel, &wide, nullptr, 0, 0, &params);
        return std::vector<uint16_t>{Sample16(wide, 0, 0), Sample16(wide, 0, 1), Sample16(wide, 0, 2)};
    };
    EXPECT_EQ(run16(Gamma16, 50), (std::vector<uint16_t>{16382, 16382, 8191}));
    EXPECT_EQ(run16(Contrast16, -100), (std::vector<uint16_t>{16383, 16383, 5892}));
    EXPECT_EQ(run16(Brightness16, 255), (std::vector<uint16_t>{16383, 16383, 16383}));
}

TEST(PixelKernels, SharpenOnAFlatImageAndALoneBrightPixel)
{
    for (int bits : {8, 24}) {
        CDibImage source;
        CDibImage dest;
        ASSERT_TRUE(source.Create(9, 9, bits) && dest.Create(9, 9, bits));
        std::memset(source.pBits, 60, static_cast<size_t>(source.stride) * 9);
        std::memcpy(dest.pBits, source.pBits, static_cast<size_t>(source.stride) * 9);
        const LevelParams params{10, 14};
        ASSERT_EQ(dest.Convert(bits == 8 ? Sharpen8 : Sharpen24, &source, nullptr, 0, 0, &params), 1);
        EXPECT_EQ(std::memcmp(dest.pBits, source.pBits, static_cast<size_t>(source.stride) * 9), 0);

        // A pixel of 200 at (4, 4): its box (rows and columns 2 ... 5) sums
        // 15 x 60 + 200 = 1100, >> 4 = 68; 200 + 10 x 132 / 10 = 332 -> 255.
        Byte(source, 4, 4) = 200;
        std::memcpy(dest.pBits, source.pBits, static_cast<size_t>(source.stride) * 9);
        dest.Convert(bits == 8 ? Sharpen8 : Sharpen24, &source, nullptr, 0, 0, &params);
        EXPECT_EQ(Byte(dest, 4, 4), 255);
        // Sharpness 3: 200 + 3 x 132 / 10 = 239.
        const LevelParams weak{3, 14};
        dest.Convert(bits == 8 ? Sharpen8 : Sharpen24, &source, nullptr, 0, 0, &weak);
        EXPECT_EQ(Byte(dest, 4, 4), 239);
        // Its neighbours see a box of 68 and lose: 60 + 3 x (60 - 68) / 10 = 58.
        EXPECT_EQ(Byte(dest, 3, 3), 58);
        EXPECT_EQ(Byte(dest, 1, 1), 60);  // the border keeps its values
    }
}

TEST(PixelKernels, GrayBalanceOnChosenValues)
{
    CDibImage image;
    ASSERT_TRUE(image.Create(4, 4, 8));
    std::memset(image.pBits, 90, static_cast<size_t>(image.stride) * 4);
    GrayParams params{0, 128, 128, 128, 128, 0, 0, 0, 0};
    image.Convert(GrayBalanceApply, &image, nullptr, 0, 0, &params);
    EXPECT_EQ(PixelBytes(image), std::vector<uint8_t>(16, 90));

    // bayerMode 0: row 0 runs G1, R, G1, R; with offset R -50 a 10 there
    // becomes 0, G1 stays.
    std::memset(image.pBits, 10, static_cast<size_t>(image.stride) * 4);
    params.grayOffsetR = -50;
    image.Convert(GrayBalanceApply, &image, nullptr, 0, 0, &params);
    EXPECT_EQ(Byte(image, 0, 0), 10);
    EXPECT_EQ(Byte(image, 0, 1), 0);
    int zeros = 0;
    for (uint8_t v : PixelBytes(image))
        zeros += v == 0 ? 1 : 0;
    EXPECT_EQ(zeros, 4);  // the four R positions of the 4 x 4 pattern

    // A phase without any value in 1 ... 254 keeps its gain; the others
    // follow the ratio of the means. Width 4: R and G1 alternate in rows 0
    // and 2, B and G2 in rows 1 and 3.
    for (int32_t i = 0; i < 4; ++i) {
        for (int32_t j = 0; j < 4; ++j)
            Byte(image, i, j) = i % 2 == 0 ? (j % 2 == 0 ? 100 : 50) : (j % 2 == 0 ? 255 : 200);
    }
    GrayParams measured{0, 1, 2, 3, 4, 0, 0, 0, 0};
    image.Convert(GrayBalanceMeasure, &image, nullptr, 0, 0, &measured);
    EXPECT_EQ(measured.grayGainG1, 128);
    EXPECT_EQ(measured.grayGainR, 256);  // 100 / 50 x 128
    EXPECT_EQ(measured.grayGainB, 4);    // only 255 there: kept
    EXPECT_EQ(measured.grayGainG2, 64);  // 100 / 200 x 128
    // No G1 value at all: every gain is kept.
    std::memset(image.pBits, 0, static_cast<size_t>(image.stride) * 4);
    GrayParams dark{0, 1, 2, 3, 4, 0, 0, 0, 0};
    image.Convert(GrayBalanceMeasure, &image, nullptr, 0, 0, &dark);
    EXPECT_EQ(dark.grayGainR, 1);
    EXPECT_EQ(dark.grayGainG1, 2);
}

TEST(PixelKernels, HueSixtyTurnsPureRedYellow)
{
    CDibImage image;
    ASSERT_TRUE(image.Create(1, 1, 24));
    const auto turn = [&image](uint8_t red, uint8_t green, uint8_t blue, int32_t hue, int32_t saturation) {
        image.pBits[0] = blue;
        image.pBits[1] = green;
        image.pBits[2] = red;
        const HueSatParams params{hue, 0, saturation, 14};
        image.Convert(HueSat24, &image, nullptr, 0, 0, &params);
        return std::vector<int>{image.pBits[2], image.pBits[1], image.pBits[0]};
    };
    EXPECT_EQ(turn(255, 0, 0, 60, 0), (std::vector<int>{255, 255, 0}));
    // 180 degrees shift by 764 steps, -60 by 1274: both land just before cyan.
    EXPECT_EQ(turn(255, 0, 0, 180, 0), (std::vector<int>{0, 255, 253}));
    EXPECT_EQ(turn(0, 0, 255, -60, 0), (std::vector<int>{0, 255, 253}));
    EXPECT_EQ(turn(80, 80, 80, 90, 100), (std::vector<int>{80, 80, 80}));      // gray stays gray
    EXPECT_EQ(turn(200, 40, 40, 0, -255), (std::vector<int>{120, 119, 119}));  // almost gray: chroma 160 -> 1
}

}  // namespace
}  // namespace quelix
