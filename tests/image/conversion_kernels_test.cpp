// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "image/conversion_kernels.h"
#include "image/dib_image.h"
#include "kernel_reference.h"

namespace quelix {
namespace {

std::vector<uint16_t> Words(const CDibImage& image, int row)
{
    std::vector<uint16_t> words(static_cast<size_t>(image.width * image.bitCount / 16));
    std::memcpy(words.data(), image.pBits + static_cast<ptrdiff_t>(row) * image.stride, words.size() * 2);
    return words;
}

std::vector<uint8_t> Bytes(const CDibImage& image, int row)
{
    const uint8_t* start = image.pBits + static_cast<ptrdiff_t>(row) * image.stride;
    return {start, start + image.width * image.bitCount / 8};
}

void SetWords(CDibImage& image, int row, const std::vector<uint16_t>& words)
{
    std::memcpy(image.pBits + static_cast<ptrdiff_t>(row) * image.stride, words.data(), words.size() * 2);
}

void SetBytes(CDibImage& image, int row, const std::vector<uint8_t>& bytes)
{
    std::memcpy(image.pBits + static_cast<ptrdiff_t>(row) * image.stride, bytes.data(), bytes.size());
}

using Row8 = std::vector<uint8_t>;
using Row16 = std::vector<uint16_t>;

TEST(ConversionKernels, GrayKernelsNarrowAndWidenFourteenBitSamples)
{
    CDibImage gray16;
    CDibImage gray8;
    CDibImage wide16;
    ASSERT_TRUE(gray16.Create(3, 2, 16) && gray8.Create(3, 2, 8) && wide16.Create(3, 2, 16));
    SetWords(gray16, 0, {0x3FFF, 0x0040, 0x0FC0});
    SetWords(gray16, 1, {0x003F, 0x4000, 0xFFFF});  // bits above 13 wrap out of the low 8 bits

    ASSERT_EQ(gray8.Convert(Gray16To8Shr6, &gray16, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(gray8, 0), (Row8{0xFF, 0x01, 0x3F}));
    EXPECT_EQ(Bytes(gray8, 1), (Row8{0x00, 0x00, 0xFF}));

    ASSERT_EQ(gray8.Convert(Gray16To8Shr6Flip, &gray16, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(gray8, 0), (Row8{0x00, 0x00, 0xFF}));
    EXPECT_EQ(Bytes(gray8, 1), (Row8{0xFF, 0x01, 0x3F}));

    ASSERT_EQ(wide16.Convert(Gray16Shl2, &gray16, nullptr, 0, 0), 1);
    EXPECT_EQ(Words(wide16, 0), (Row16{0xFFFC, 0x0100, 0x3F00}));
    EXPECT_EQ(Words(wide16, 1), (Row16{0x00FC, 0x0000, 0xFFFC}));
}

TEST(ConversionKernels, ColourByteKernelsServe24And32BitPixels)
{
    CDibImage bgra;
    CDibImage bgr;
    ASSERT_TRUE(bgra.Create(2, 2, 32) && bgr.Create(2, 2, 24));
    SetBytes(bgra, 0, {1, 2, 3, 0x0F, 4, 5, 6, 0xF0});
    SetBytes(bgra, 1, {7, 8, 9, 0x00, 10, 11, 12, 0xFF});

    ASSERT_EQ(bgr.Convert(Bgr24Copy, &bgra, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(bgr, 0), (Row8{1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(bgr.Convert(Bgr24CopyFlip, &bgra, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(bgr, 0), (Row8{7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(Bytes(bgr, 1), (Row8{1, 2, 3, 4, 5, 6}));

    // 24 -> 32 leaves the fourth byte as it was.
    CDibImage target;
    ASSERT_TRUE(target.Create(2, 2, 32));
    SetBytes(target, 0, {0, 0, 0, 0x55, 0, 0, 0, 0x66});
    ASSERT_EQ(target.Convert(Bgr24Copy, &bgr, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(target, 0), (Row8{7, 8, 9, 0x55, 10, 11, 12, 0x66}));

    ASSERT_EQ(target.Convert(Bgr24Swap, &bgra, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(target, 0), (Row8{3, 2, 1, 0x55, 6, 5, 4, 0x66}));
    ASSERT_EQ(bgr.Convert(Bgr24Swap, &bgr, nullptr, 0, 0), 1) << "in place";
    EXPECT_EQ(Bytes(bgr, 1), (Row8{3, 2, 1, 6, 5, 4}));

    ASSERT_EQ(target.Convert(Bgra32InvertX, &bgra, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(target, 0), (Row8{1, 2, 3, 0xF0, 4, 5, 6, 0x0F}));
    EXPECT_EQ(Bytes(target, 1), (Row8{7, 8, 9, 0xFF, 10, 11, 12, 0x00}));
}

TEST(ConversionKernels, SampleKernelsNarrowAndWiden48And64BitPixels)
{
    CDibImage bgr48;
    CDibImage bgra64;
    CDibImage bgr;
    ASSERT_TRUE(bgr48.Create(2, 1, 48) && bgra64.Create(1, 2, 64) && bgr.Create(2, 1, 24));
    SetWords(bgr48, 0, {0x0FF0, 0x3FFF, 0x0040, 0x0100, 0x1000, 0x0007});

    ASSERT_EQ(bgr.Convert(Bgr48To24Shr6, &bgr48, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(bgr, 0), (Row8{0x3F, 0xFF, 0x01, 0x04, 0x40, 0x00}));
    // Processed colour samples (8-bit values x 16) come back unchanged;
    // larger samples saturate.
    ASSERT_EQ(bgr.Convert(Bgr48To24Flip, &bgr48, nullptr, 0, 0), 1);
    EXPECT_EQ(Bytes(bgr, 0), (Row8{0xFF, 0xFF, 0x04, 0x10, 0xFF, 0x00}));

    CDibImage wide48;
    ASSERT_TRUE(wide48.Create(2, 1, 48));
    ASSERT_EQ(wide48.Convert(Bgr48Shl2, &bgr48, nullptr, 0, 0), 1);
    EXPECT_EQ(Words(wide48, 0), (Row16{0x3FC0, 0xFFFC, 0x0100, 0x0400, 0x4000, 0x001C}));
    ASSERT_EQ(wide48.Convert(Bgr48Shl2Swap, &bgr48, nullptr, 0, 0), 1);
    EXPECT_EQ(Words(wide48, 0), (Row16{0x0100, 0xFFFC, 0x3FC0, 0x001C, 0x4000, 0x0400}));

    SetWords(bgra64, 0, {0x0010, 0x0020, 0x0030, 0x1234});
    SetWords(bgra64, 1, {0x0FF0, 0x0000, 0x3FFF, 0x0000});
    CDibImage wide64;
    ASSERT_TRUE(wide64.Create(1, 2, 64));
    ASSERT_EQ(wide64.Convert(Bgra64Shl2, &bgra64, nullptr, 0, 0), 1);
    EXPECT_EQ(Words(wide64, 0), (Row16{0x0040, 0x0080, 0x00C0, 0xFFFF}));
    ASSERT_EQ(wide64.Convert(Bgra64Shl2Swap, &bgra64, nullptr, 0, 0), 1);
    EXPECT_EQ(Words(wide64, 1), (Row16{0xFFFC, 0x0000, 0x3FC0, 0xFFFF}));

    CDibImage narrow;
    ASSERT_TRUE(narrow.Create(1, 2, 24));
    ASSERT_EQ(narrow.Convert(Bgr48To24Shr6, &bgra64, nullptr, 0, 0), 1)
        << "64-bit pixels skip the fourth sample";
    EXPECT_EQ(Bytes(narrow, 0), (Row8{0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(narrow, 1), (Row8{0x3F, 0x00, 0xFF}));
}

TEST(ConversionKernels, RowCopyFlipCopiesWholeRowsUpsideDown)
{
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        CDibImage source;
        CDibImage target;
        ASSERT_TRUE(source.Create(3, 3, bits) && target.CreateLike(&source));
        for (int row = 0; row < 3; ++row)
            std::memset(source.pBits + row * source.stride, 10 + row, static_cast<size_t>(source.stride));
        ASSERT_EQ(target.Convert(RowCopyFlip, &source, nullptr, 0, 0), 1);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(target.pBits[row * target.stride + target.stride - 1], 12 - row) << bits << " bits";
    }
    // A narrower destination row takes only its own stride.
    std::vector<uint8_t> source = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<uint8_t> target(4, 0xEE);
    const Rect rows{0, 0, 1, 2};
    RowCopyFlip(target.data(), source.data(), rows, 0, 0, 1, 1, 2, 4, nullptr, nullptr);
    EXPECT_EQ(target, (Row8{5, 6, 1, 2}));
}

TEST(ConversionKernels, DoubleScalingRepeatsEveryPixelAndTurnsThePictureOver)
{
    CDibImage source;
    CDibImage display;
    ASSERT_TRUE(source.Create(320, 256, 8) && display.Create(640, 512, 8));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 320; ++x)
            source.pBits[y * source.stride + x] = static_cast<uint8_t>(x * 7 + y * 13);
    ASSERT_EQ(display.StretchConvert(Scale8Nearest, &source), 1);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 640; ++x) {
            ASSERT_EQ(display.pBits[y * display.stride + x],
                      source.pBits[(255 - y / 2) * source.stride + x / 2])
                << "at " << x << ", " << y;
        }
    }

    CDibImage colour;
    CDibImage colourDisplay;
    ASSERT_TRUE(colour.Create(3, 2, 24) && colourDisplay.Create(6, 4, 24));
    SetBytes(colour, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    SetBytes(colour, 1, {11, 12, 13, 14, 15, 16, 17, 18, 19});
    ASSERT_EQ(colourDisplay.StretchConvert(Scale24Nearest, &colour), 1);
    const Row8 bottom = {11, 12, 13, 11, 12, 13, 14, 15, 16, 14, 15, 16, 17, 18, 19, 17, 18, 19};
    const Row8 top = {1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6, 7, 8, 9, 7, 8, 9};
    EXPECT_EQ(Bytes(colourDisplay, 0), bottom);
    EXPECT_EQ(Bytes(colourDisplay, 1), bottom);
    EXPECT_EQ(Bytes(colourDisplay, 2), top);
    EXPECT_EQ(Bytes(colourDisplay, 3), top);
}

TEST(ConversionKernels, ShrinkingTakesTruncatedSteps)
{
    CDibImage source;
    CDibImage small;
    ASSERT_TRUE(source.Create(5, 3, 8) && small.Create(2, 2, 8));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            source.pBits[y * source.stride + x] = static_cast<uint8_t>(10 * y + x);
    ASSERT_EQ(small.StretchConvert(Scale8Nearest, &source), 1);
    // fx = 2.5: columns 0 and 2; fy = 1.5: rows 0 and 1, read from the bottom.
    EXPECT_EQ(Bytes(small, 0), (Row8{20, 22}));
    EXPECT_EQ(Bytes(small, 1), (Row8{10, 12}));
}

// The library's kernels against the reference ones: random images of odd
// widths with padded rows, random rectangles and positions, every format a
// kernel serves (plus unusual pixel steps for the general loops), and the
// untouched destination bytes checked too.
struct KernelPair {
    const char* name;
    ConvertKernel fast;
    ConvertKernel reference;
    std::vector<std::pair<int, int>> steps;  // destination, source bytes per pixel
};

TEST(ConversionKernels, FastKernelsMatchTheReferenceBitForBit)
{
    const std::vector<KernelPair> kernels = {
        {"Gray16To8Shr6", Gray16To8Shr6, reference::Gray16To8Shr6, {{1, 2}, {3, 4}}},
        {"Gray16To8Shr6Flip", Gray16To8Shr6Flip, reference::Gray16To8Shr6Flip, {{1, 2}}},
        {"Gray16Shl2", Gray16Shl2, reference::Gray16Shl2, {{2, 2}, {2, 6}}},
        {"Bgr24Copy", Bgr24Copy, reference::Bgr24Copy, {{3, 3}, {3, 4}, {4, 3}, {4, 4}, {6, 8}}},
        {"Bgr24CopyFlip", Bgr24CopyFlip, reference::Bgr24CopyFlip, {{3, 3}, {3, 4}, {4, 4}}},
        {"Bgr24Swap", Bgr24Swap, reference::Bgr24Swap, {{3, 3}, {4, 4}, {3, 4}}},
        {"Bgra32InvertX", Bgra32InvertX, reference::Bgra32InvertX, {{4, 4}, {8, 8}}},
        {"Bgr48To24Shr6", Bgr48To24Shr6, reference::Bgr48To24Shr6, {{3, 6}, {3, 8}, {4, 8}}},
        {"Bgr48To24Flip", Bgr48To24Flip, reference::Bgr48To24Flip, {{3, 6}, {3, 8}, {4, 6}}},
        {"Bgr48Shl2", Bgr48Shl2, reference::Bgr48Shl2, {{6, 6}, {8, 8}}},
        {"Bgr48Shl2Swap", Bgr48Shl2Swap, reference::Bgr48Shl2Swap, {{6, 6}, {6, 8}}},
        {"Bgra64Shl2", Bgra64Shl2, reference::Bgra64Shl2, {{8, 8}}},
        {"Bgra64Shl2Swap", Bgra64Shl2Swap, reference::Bgra64Shl2Swap, {{8, 8}}},
        {"RowCopyFlip",
         RowCopyFlip,
         reference::RowCopyFlip,
         {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {6, 6}, {8, 8}}},
    };
    std::mt19937 random(20240611);
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (const KernelPair& kernel : kernels) {
        for (const auto& [dstBytes, srcBytes] : kernel.steps) {
            for (int round = 0; round < 40; ++round) {
                const int srcWidth = between(1, 40) | 1;
                const int srcHeight = between(1, 20);
                const int dstWidth = between(1, 40) | 1;
                const int dstHeight = between(1, 20);
                const int srcStride = srcWidth * srcBytes + between(0, 13);
                const int dstStride = dstWidth * dstBytes + between(0, 13);
                std::vector<uint8_t> source(static_cast<size_t>(srcStride) * srcHeight);
                std::vector<uint8_t> fast(static_cast<size_t>(dstStride) * dstHeight);
                for (uint8_t& byte : source)
                    byte = static_cast<uint8_t>(random());
                for (uint8_t& byte : fast)
                    byte = static_cast<uint8_t>(random());
                std::vector<uint8_t> expected = fast;

                const int columns = between(1, std::min(srcWidth, dstWidth));
                const int rows = between(1, std::min(srcHeight, dstHeight));
                const int left = between(0, srcWidth - columns);
                const int top = between(0, srcHeight - rows);
                const Rect rect{left, top, left + columns, top + rows};
                const int x = between(0, dstWidth - columns);
                const int y = between(0, dstHeight - rows);
                kernel.fast(fast.data(), source.data(), rect, x, y, dstBytes, srcBytes, dstStride, srcStride,
                            nullptr, nullptr);
                kernel.reference(expected.data(), source.data(), rect, x, y, dstBytes, srcBytes, dstStride,
                                 srcStride, nullptr, nullptr);
                ASSERT_EQ(fast, expected)
                    << kernel.name << " steps " << dstBytes << "/" << srcBytes << " round " << round;
            }
        }
    }
}

TEST(ConversionKernels, FastScalersMatchTheReferenceBitForBit)
{
    std::mt19937 random(7);
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    struct Scaler {
        ScaleKernel fast;
        ScaleKernel reference;
        int dstBytes;
        int srcBytes;
    };
    const std::vector<Scaler> scalers = {
        {Scale8Nearest, reference::Scale8Nearest, 1, 1},
        {Scale24Nearest, reference::Scale24Nearest, 3, 3},
        {Scale24Nearest, reference::Scale24Nearest, 4, 4},
        {Scale8Nearest, reference::Scale8Nearest, 3, 1},
    };
    for (const Scaler& scaler : scalers) {
        for (int round = 0; round < 60; ++round) {
            const int srcWidth = between(1, 700) | 1;
            const int srcHeight = between(1, 60);
            // Up to 1500 columns: more than one chunk of the fast version.
            const int dstWidth = between(1, 1500) | 1;
            const int dstHeight = between(1, 90);
            const int srcStride = srcWidth * scaler.srcBytes + between(0, 7);
            const int dstStride = dstWidth * scaler.dstBytes + between(0, 7);
            std::vector<uint8_t> source(static_cast<size_t>(srcStride) * srcHeight);
            std::vector<uint8_t> fast(static_cast<size_t>(dstStride) * dstHeight);
            for (uint8_t& byte : source)
                byte = static_cast<uint8_t>(random());
            for (uint8_t& byte : fast)
                byte = static_cast<uint8_t>(random());
            std::vector<uint8_t> expected = fast;
            const int srcLeft = between(0, srcWidth - 1);
            const int srcTop = between(0, srcHeight - 1);
            const Rect from{srcLeft, srcTop, between(srcLeft + 1, srcWidth), between(srcTop + 1, srcHeight)};
            const int dstLeft = between(0, dstWidth - 1);
            const int dstTop = between(0, dstHeight - 1);
            const Rect to{dstLeft, dstTop, between(dstLeft + 1, dstWidth), between(dstTop + 1, dstHeight)};
            scaler.fast(fast.data(), source.data(), to, from, scaler.dstBytes, scaler.srcBytes, dstStride,
                        srcStride);
            scaler.reference(expected.data(), source.data(), to, from, scaler.dstBytes, scaler.srcBytes,
                             dstStride, srcStride);
            ASSERT_EQ(fast, expected) << "round " << round << " bytes " << scaler.dstBytes;
        }
    }
}

}  // namespace
}  // namespace quelix
