// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/conversion_kernels.h"
#include "image/dib_image.h"

namespace quelix {
namespace {

bool HasGrayRamp(const std::array<platform::RgbQuad, 256>& colors)
{
    for (int i = 0; i < 256; ++i) {
        const platform::RgbQuad& entry = colors[i];
        if (entry.rgbBlue != i || entry.rgbGreen != i || entry.rgbRed != i || entry.rgbReserved != 0)
            return false;
    }
    return true;
}

std::array<platform::RgbQuad, 256> SurfaceColors(const CDibImage& image)
{
    std::array<platform::RgbQuad, 256> colors{};
    platform::GetDIBColorTable(image.hdc, 0, 256, colors.data());
    return colors;
}

void Fill(CDibImage& image, uint8_t seed)
{
    for (int32_t i = 0; i < image.stride * image.height; ++i)
        image.pBits[i] = static_cast<uint8_t>(seed + i * 31);
}

// Same shape and pixels (row padding aside).
bool SamePixels(const CDibImage& a, const CDibImage& b)
{
    if (a.width != b.width || a.height != b.height || a.bitCount != b.bitCount || a.stride != b.stride)
        return false;
    for (int32_t row = 0; row < a.height; ++row) {
        if (std::memcmp(a.pBits + row * a.stride, b.pBits + row * b.stride,
                        static_cast<size_t>(a.width) * a.bitCount / 8) != 0)
            return false;
    }
    return true;
}

TEST(DibImage, CreateRefusesBadArgumentsAndKeepsTheBuffer)
{
    CDibImage image;
    EXPECT_EQ(image.bmiHeader.biSize, 40u);
    EXPECT_EQ(image.pBits, nullptr);
    ASSERT_EQ(image.Create(320, 256, 8), 1);
    image.pBits[5] = 77;
    uint8_t* const bits = image.pBits;
    EXPECT_EQ(image.Create(0, 256, 8), 0);
    EXPECT_EQ(image.Create(320, -1, 8), 0);
    EXPECT_EQ(image.Create(320, 256, 0), 0);
    EXPECT_EQ(image.Create(320, 256, 12), 0) << "a depth the system does not use";
    EXPECT_EQ(image.Create(INT32_MAX, 1, 64), 0) << "rows too long for an int32 stride";
    EXPECT_EQ(image.pBits, bits);
    EXPECT_EQ(image.pBits[5], 77);
    EXPECT_EQ(image.width, 320);
    EXPECT_EQ(image.bitCount, 8);
}

TEST(DibImage, HeaderAndStrideFollowTheBitmapRules)
{
    const int depths[] = {8, 16, 24, 32, 48, 64};
    const int32_t strides320[] = {320, 640, 960, 1280, 1920, 2560};
    const int32_t strides321[] = {324, 644, 964, 1284, 1928, 2568};
    for (int i = 0; i < 6; ++i) {
        CDibImage image;
        ASSERT_EQ(image.Create(320, 256, depths[i]), 1);
        EXPECT_EQ(image.stride, strides320[i]) << depths[i];
        ASSERT_EQ(image.Create(321, 256, depths[i]), 1);
        EXPECT_EQ(image.stride, strides321[i]) << depths[i];
        EXPECT_NE(image.hdc, nullptr) << "every depth gets a surface";
        EXPECT_EQ(image.bmiHeader.biSize, 40u);
        EXPECT_EQ(image.bmiHeader.biWidth, 321);
        EXPECT_EQ(image.bmiHeader.biHeight, 256) << "positive: declared bottom-up";
        EXPECT_EQ(image.bmiHeader.biPlanes, 1);
        EXPECT_EQ(image.bmiHeader.biBitCount, depths[i]);
        EXPECT_EQ(image.bmiHeader.biCompression, 0u);
        EXPECT_EQ(image.bmiHeader.biSizeImage, 0u);
        const std::vector<uint8_t> zeros(static_cast<size_t>(image.stride) * image.height, 0);
        EXPECT_EQ(std::memcmp(image.pBits, zeros.data(), zeros.size()), 0) << "pixels start zeroed";
    }
}

TEST(DibImage, ReleaseEmptiesTheBuffer)
{
    CDibImage image;
    ASSERT_EQ(image.Create(10, 10, 8), 1);
    const platform::Hdc dc = image.hdc;
    image.Release();
    EXPECT_EQ(image.hdc, nullptr);
    EXPECT_EQ(image.pBits, nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.stride, 0);
    EXPECT_EQ(image.bitCount, 0);
    EXPECT_EQ(image.bmiHeader.biSize, 40u);
    EXPECT_EQ(image.bmiHeader.biWidth, 0);
    EXPECT_EQ(image.bmiColors[200].rgbRed, 0);
    EXPECT_FALSE(platform::DeleteDC(dc)) << "the surface went with it";
    image.Release();
}

TEST(DibImage, EightBitBuffersCarryTheGrayRamp)
{
    CDibImage image;
    ASSERT_EQ(image.Create(5, 5, 8), 1);
    EXPECT_TRUE(HasGrayRamp(image.bmiColors));
    EXPECT_TRUE(HasGrayRamp(SurfaceColors(image)));

    // Mode 2 changes only the surface's table.
    const platform::RgbQuad red[2] = {{0, 0, 255, 0}, {0, 0, 200, 0}};
    EXPECT_EQ(image.SetPalette(2, red, 10, 2), 1);
    EXPECT_TRUE(HasGrayRamp(image.bmiColors));
    EXPECT_EQ(SurfaceColors(image)[11].rgbRed, 200);
    EXPECT_EQ(SurfaceColors(image)[11].rgbBlue, 0);
    EXPECT_EQ(image.SetPalette(2, nullptr, 0, 1), 0) << "no colours";
    EXPECT_EQ(image.SetPalette(2, red, 256, 1), 0) << "start outside the table";
    EXPECT_EQ(image.SetPalette(7, red, 0, 1), 1) << "other modes do nothing";

    EXPECT_EQ(image.SetPalette(0, nullptr, 0, 256), 1);
    EXPECT_TRUE(HasGrayRamp(SurfaceColors(image)));

    ASSERT_EQ(image.SetPalette(2, red, 0, 2), 1);
    CDibImage like;
    ASSERT_EQ(like.CreateLike(&image), 1);
    EXPECT_TRUE(HasGrayRamp(like.bmiColors)) << "CreateLike makes the ramp, it does not copy the table";
    EXPECT_TRUE(HasGrayRamp(SurfaceColors(like)));

    CDibImage colour;
    ASSERT_EQ(colour.Create(5, 5, 24), 1);
    EXPECT_EQ(colour.bmiColors[100].rgbRed, 0) << "no table for other depths";
}

TEST(DibImage, CreateLikeTakesTheSourceShapeWithZeroedPixels)
{
    CDibImage source;
    CDibImage like;
    EXPECT_EQ(like.CreateLike(nullptr), 0);
    EXPECT_EQ(like.CreateLike(&source), 0) << "an empty source";
    ASSERT_EQ(source.Create(7, 3, 48), 1);
    Fill(source, 3);
    ASSERT_EQ(like.CreateLike(&source), 1);
    EXPECT_EQ(like.width, 7);
    EXPECT_EQ(like.height, 3);
    EXPECT_EQ(like.stride, source.stride);
    EXPECT_EQ(like.bitCount, 48);
    EXPECT_EQ(std::memcmp(&like.bmiHeader, &source.bmiHeader, sizeof like.bmiHeader), 0);
    EXPECT_EQ(like.pBits[0], 0);
}

TEST(DibImage, CopyFromAndDrawWorkAtEveryDepth)
{
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        CDibImage source;
        CDibImage copy;
        ASSERT_EQ(source.Create(9, 4, bits), 1);
        Fill(source, static_cast<uint8_t>(bits));
        ASSERT_EQ(copy.CopyFrom(&source), 1) << bits;
        EXPECT_TRUE(SamePixels(copy, source)) << bits;
        EXPECT_EQ(copy.CopyFrom(&copy), 1) << "a copy of itself stays as it is";
        EXPECT_TRUE(SamePixels(copy, source)) << bits;
    }
    CDibImage empty;
    CDibImage target;
    EXPECT_EQ(target.CopyFrom(&empty), 0);
    EXPECT_EQ(target.CopyFrom(nullptr), 0);
    EXPECT_EQ(target.Draw(&empty, nullptr, 0, 0), 0) << "no surfaces";
}

TEST(DibImage, ACopyIntoABufferOfTheSameShapeKeepsItsMemory)
{
    CDibImage source;
    CDibImage copy;
    ASSERT_EQ(source.Create(320, 256, 64), 1);
    ASSERT_EQ(copy.CopyFrom(&source), 1);
    const uint8_t* const kept = copy.pBits;
    for (int frame = 1; frame <= 3; ++frame) {
        std::fill(source.pBits, source.pBits + source.ImageBytes(), static_cast<uint8_t>(frame));
        ASSERT_EQ(copy.CopyFrom(&source), 1);
        EXPECT_EQ(copy.pBits, kept) << "a copy every frame allocates nothing";
        EXPECT_EQ(copy.pBits[copy.ImageBytes() - 1], frame);
    }
    // Another shape makes the buffer again.
    CDibImage smaller;
    ASSERT_EQ(smaller.Create(100, 50, 64), 1);
    smaller.pBits[0] = 7;
    ASSERT_EQ(copy.CopyFrom(&smaller), 1);
    EXPECT_EQ(copy.width, 100);
    EXPECT_EQ(copy.height, 50);
    EXPECT_EQ(copy.pBits[0], 7);
}

TEST(DibImage, DrawPlacesARectangleCountingRowsFromTheDeclaredTop)
{
    // The platform's rows count from the top of the declared (bottom-up)
    // picture, that is from the last memory row.
    CDibImage gray;
    CDibImage big;
    ASSERT_TRUE(gray.Create(2, 2, 8) && big.Create(4, 4, 24));
    gray.pBits[gray.stride + 1] = 42;
    const Rect corner{1, 0, 2, 1};  // the last memory row, column 1
    ASSERT_EQ(big.Draw(&gray, &corner, 3, 0), 1);
    EXPECT_EQ(big.pBits[3 * big.stride + 9], 42) << "expanded through the gray ramp";
    EXPECT_EQ(big.pBits[3 * big.stride + 11], 42);
    EXPECT_EQ(big.pBits[9], 0);

    CDibImage sixteen;
    ASSERT_EQ(sixteen.Create(2, 2, 16), 1);
    EXPECT_EQ(big.Draw(&sixteen, nullptr, 0, 0), 0) << "16-bit samples are no colour pixels";
}

struct KernelCall {
    int calls = 0;
    Rect rect;
    int32_t x = -1;
    int32_t y = -1;
};

KernelCall lastCall;

int32_t RecordingKernel(uint8_t*, const uint8_t*, const Rect& rect, int32_t x, int32_t y, int32_t, int32_t,
                        int32_t, int32_t, const void*, const void*)
{
    ++lastCall.calls;
    lastCall.rect = rect;
    lastCall.x = x;
    lastCall.y = y;
    return 1;
}

void ExpectCall(const Rect& rect, int32_t x, int32_t y)
{
    EXPECT_EQ(lastCall.calls, 1);
    EXPECT_EQ(lastCall.rect.left, rect.left);
    EXPECT_EQ(lastCall.rect.top, rect.top);
    EXPECT_EQ(lastCall.rect.right, rect.right);
    EXPECT_EQ(lastCall.rect.bottom, rect.bottom);
    EXPECT_EQ(lastCall.x, x);
    EXPECT_EQ(lastCall.y, y);
    lastCall = {};
}

TEST(DibImage, ConvertClipsAndHandsTheKernelMemoryRows)
{
    CDibImage source;
    CDibImage target;
    ASSERT_TRUE(source.Create(320, 256, 16) && target.Create(320, 256, 8));
    lastCall = {};

    ASSERT_EQ(target.Convert(RecordingKernel, &source, nullptr, 0, 0), 1);
    ExpectCall({0, 0, 320, 256}, 0, 0);

    EXPECT_EQ(target.Convert(RecordingKernel, &source, nullptr, 320, 0), 0);
    EXPECT_EQ(target.Convert(RecordingKernel, &source, nullptr, 0, 256), 0);
    EXPECT_EQ(target.Convert(RecordingKernel, &source, nullptr, -320, 0), 0);
    const Rect outside{400, 0, 500, 10};
    EXPECT_EQ(target.Convert(RecordingKernel, &source, &outside, 0, 0), 0);
    const Rect inverted{10, 10, 5, 20};
    EXPECT_EQ(target.Convert(RecordingKernel, &source, &inverted, 0, 0), 0);
    EXPECT_EQ(target.Convert(nullptr, &source, nullptr, 0, 0), 0);
    EXPECT_EQ(target.Convert(RecordingKernel, nullptr, nullptr, 0, 0), 0);
    CDibImage empty;
    EXPECT_EQ(empty.Convert(RecordingKernel, &source, nullptr, 0, 0), 0);
    EXPECT_EQ(lastCall.calls, 0) << "failures never call the kernel";

    // Partial overlaps: a 100 x 50 source on an 80 x 40 destination.
    CDibImage small;
    CDibImage wide;
    ASSERT_TRUE(small.Create(80, 40, 8) && wide.Create(100, 50, 8));
    ASSERT_EQ(small.Convert(RecordingKernel, &wide, nullptr, -10, -5), 1);
    ExpectCall({10, 5, 90, 45}, 0, 0);
    ASSERT_EQ(small.Convert(RecordingKernel, &wide, nullptr, 70, 30), 1);
    ExpectCall({0, 40, 10, 50}, 70, 0);
    const Rect middle{20, 10, 30, 15};
    ASSERT_EQ(small.Convert(RecordingKernel, &wide, &middle, 5, 6), 1);
    ExpectCall({20, 35, 30, 40}, 5, 29);

    // A source rectangle sticking out of the source: the destination moves
    // with the cut, so that every pixel keeps the source pixel it faces.
    const Rect overhanging{-5, -3, 20, 10};
    ASSERT_EQ(small.Convert(RecordingKernel, &wide, &overhanging, 0, 0), 1);
    ExpectCall({0, 40, 20, 50}, 5, 27);
}

TEST(DibImage, ConvertOfAnOverhangingRectangleEqualsConvertOfItsInnerPart)
{
    CDibImage source;
    CDibImage cut;
    CDibImage inner;
    ASSERT_TRUE(source.Create(21, 13, 24) && cut.Create(17, 11, 24) && inner.Create(17, 11, 24));
    Fill(source, 1);
    const Rect overhanging{-4, -2, 9, 30};
    const Rect insideOnly{0, 0, 9, 13};
    ASSERT_EQ(cut.Convert(Bgr24Copy, &source, &overhanging, 3, -1), 1);
    ASSERT_EQ(inner.Convert(Bgr24Copy, &source, &insideOnly, 7, 1), 1);
    EXPECT_TRUE(SamePixels(cut, inner));
}

TEST(DibImage, StretchConvertRefusesRectanglesOutsideTheBuffers)
{
    CDibImage source;
    CDibImage target;
    ASSERT_TRUE(source.Create(8, 8, 8) && target.Create(16, 16, 8));
    const Rect tooWide{0, 0, 17, 16};
    const Rect empty{4, 4, 4, 8};
    const Rect negative{-1, 0, 8, 8};
    EXPECT_EQ(target.StretchConvert(Scale8Nearest, &source, &tooWide, nullptr), 0);
    EXPECT_EQ(target.StretchConvert(Scale8Nearest, &source, &empty, nullptr), 0);
    EXPECT_EQ(target.StretchConvert(Scale8Nearest, &source, nullptr, &negative), 0);
    EXPECT_EQ(target.StretchConvert(nullptr, &source), 0);
    EXPECT_EQ(target.StretchConvert(Scale8Nearest, nullptr), 0);

    // A part of the source into a part of the destination.
    source.pBits[3 * source.stride + 2] = 99;  // memory row 3, column 2
    const Rect from{2, 2, 4, 4};
    const Rect to{10, 10, 14, 14};
    ASSERT_EQ(target.StretchConvert(Scale8Nearest, &source, &to, &from), 1);
    EXPECT_EQ(target.pBits[10 * target.stride + 10], 99) << "first row of the part reads its last row";
    EXPECT_EQ(target.pBits[11 * target.stride + 11], 99);
    EXPECT_EQ(target.pBits[12 * target.stride + 10], 0);
    EXPECT_EQ(target.pBits[9 * target.stride + 10], 0) << "nothing outside the destination rectangle";
}

}  // namespace
}  // namespace quelix
