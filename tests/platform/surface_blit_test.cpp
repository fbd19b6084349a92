// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "platform/windowing/device_context.h"
#include "platform/windowing/surface.h"

namespace quelix::platform {
namespace {

// A memory device context with its pixel memory.
struct Bitmap {
    Bitmap(int32_t width, int32_t height, int bits)
    {
        BitmapInfoHeader header;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = static_cast<uint16_t>(bits);
        dc = CreateBitmapDC(header, nullptr, &pixels);
        stride = DibStride(width, bits);
    }
    ~Bitmap() { DeleteDC(dc); }
    uint8_t* Row(int memoryRow) const { return pixels + memoryRow * stride; }

    Hdc dc = nullptr;
    uint8_t* pixels = nullptr;
    int32_t stride = 0;
};

TEST(SurfaceBlit, SameDepthCopiesAndANegativeSourceHeightFlips)
{
    Bitmap source(3, 3, 16);
    Bitmap copy(3, 3, 16);
    Bitmap flipped(3, 3, 16);
    for (int row = 0; row < 3; ++row)
        for (int byte = 0; byte < 6; ++byte)
            source.Row(row)[byte] = static_cast<uint8_t>(row * 10 + byte);
    ASSERT_TRUE(BitBlt(copy.dc, 0, 0, 3, 3, source.dc, 0, 0));
    ASSERT_TRUE(StretchBlt(flipped.dc, 0, 0, 3, 3, source.dc, 0, 3, 3, -3));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(std::vector<uint8_t>(copy.Row(row), copy.Row(row) + 6),
                  std::vector<uint8_t>(source.Row(row), source.Row(row) + 6));
        EXPECT_EQ(std::vector<uint8_t>(flipped.Row(row), flipped.Row(row) + 6),
                  std::vector<uint8_t>(source.Row(2 - row), source.Row(2 - row) + 6));
    }
    EXPECT_FALSE(StretchBlt(copy.dc, 0, 0, 3, 3, source.dc, 0, 0, 6, 6)) << "no scaling";
    EXPECT_FALSE(StretchBlt(copy.dc, 0, 0, 3, 3, source.dc, 0, 0, 3, 2));
}

TEST(SurfaceBlit, GrayExpandsThroughTheColourTableAndFourBytesNarrow)
{
    BitmapInfoHeader header;
    header.biWidth = 2;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 8;
    std::array<RgbQuad, 256> table{};
    table[1] = {10, 20, 30, 99};
    table[2] = {40, 50, 60, 99};
    uint8_t* gray = nullptr;
    const Hdc grayDc = CreateBitmapDC(header, table.data(), &gray);
    ASSERT_NE(grayDc, nullptr);
    gray[0] = 1;
    gray[1] = 2;

    Bitmap bgr(2, 1, 24);
    Bitmap bgra(2, 1, 32);
    std::fill(bgra.pixels, bgra.pixels + 8, 0xEE);
    ASSERT_TRUE(BitBlt(bgr.dc, 0, 0, 2, 1, grayDc, 0, 0));
    ASSERT_TRUE(BitBlt(bgra.dc, 0, 0, 2, 1, grayDc, 0, 0));
    EXPECT_EQ(std::vector<uint8_t>(bgr.pixels, bgr.pixels + 6),
              (std::vector<uint8_t>{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(std::vector<uint8_t>(bgra.pixels, bgra.pixels + 8),
              (std::vector<uint8_t>{10, 20, 30, 0, 40, 50, 60, 0}));

    const RgbQuad green = {0, 255, 0, 0};
    EXPECT_EQ(SetDIBColorTable(grayDc, 2, 1, &green), 1);
    EXPECT_EQ(SetDIBColorTable(grayDc, 250, 10, table.data()), 6) << "clipped to the table";
    EXPECT_EQ(SetDIBColorTable(bgr.dc, 0, 1, &green), 0) << "no table at 24 bits";
    ASSERT_TRUE(BitBlt(bgr.dc, 1, 0, 1, 1, grayDc, 1, 0));
    EXPECT_EQ(bgr.pixels[4], 255);

    bgra.pixels[4] = 7;
    ASSERT_TRUE(BitBlt(bgr.dc, 0, 0, 2, 1, bgra.dc, 0, 0));
    EXPECT_EQ(bgr.pixels[3], 7);

    Bitmap sixteen(2, 1, 16);
    EXPECT_FALSE(BitBlt(bgr.dc, 0, 0, 2, 1, sixteen.dc, 0, 0));
    EXPECT_FALSE(BitBlt(grayDc, 0, 0, 2, 1, bgr.dc, 0, 0)) << "no reduction to a palette";
    EXPECT_TRUE(DeleteDC(grayDc));
}

TEST(SurfaceBlit, BlocksAreClippedToBothSurfaces)
{
    // Rows from the top of the picture: the last memory row of a bottom-up bitmap.
    Bitmap source(4, 4, 8);
    Bitmap target(4, 4, 8);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            source.Row(row)[column] = static_cast<uint8_t>(1 + row * 4 + column);
    ASSERT_TRUE(BitBlt(target.dc, -1, 2, 4, 4, source.dc, 0, 0));
    // Picture rows 0 and 1 of the source (memory rows 3, 2), columns 1 to 3,
    // land on picture rows 2 and 3 (memory rows 1, 0) from column 0.
    EXPECT_EQ(std::vector<uint8_t>(target.Row(1), target.Row(1) + 4), (std::vector<uint8_t>{14, 15, 16, 0}));
    EXPECT_EQ(std::vector<uint8_t>(target.Row(0), target.Row(0) + 4), (std::vector<uint8_t>{10, 11, 12, 0}));
    EXPECT_EQ(target.Row(2)[0], 0);
    EXPECT_TRUE(BitBlt(target.dc, 10, 10, 4, 4, source.dc, 0, 0)) << "nothing to do is no failure";
    EXPECT_TRUE(StretchBlt(target.dc, 0, 0, 4, 4, source.dc, 0, 2, 4, -4))
        << "flipped block partly above the source";
}

TEST(SurfaceBlit, StaleAndForeignContextsAreRefused)
{
    Bitmap target(2, 2, 8);
    Hdc gone = nullptr;
    {
        Bitmap source(2, 2, 8);
        gone = source.dc;
    }
    EXPECT_FALSE(BitBlt(target.dc, 0, 0, 2, 2, gone, 0, 0));
    EXPECT_FALSE(DeleteDC(gone));
    EXPECT_FALSE(BitBlt(target.dc, 0, 0, 2, 2, reinterpret_cast<Hdc>(&target), 0, 0));
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 2, 2, target.dc, 0, 0));
    EXPECT_FALSE(ReleaseDC(nullptr, target.dc)) << "a memory context is deleted, not released";
    EXPECT_EQ(GetDC(nullptr), nullptr);

    BitmapInfoHeader header;
    header.biWidth = 2;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 12;
    uint8_t* bits = nullptr;
    EXPECT_EQ(CreateBitmapDC(header, nullptr, &bits), nullptr);
}

}  // namespace
}  // namespace quelix::platform
