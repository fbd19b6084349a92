// SPDX-License-Identifier: MIT
// CorrectFrame and its stages: the shading factors against the integer
// division, the stages on chosen values, and agreement bit for bit with the
// straightforward pipeline on random frames, windows and settings.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "pipeline/false_color.h"
#include "pipeline/shading_correction.h"
#include "pipeline_camera.h"
#include "pipeline_reference.h"
#include "vector_level_scope.h"

namespace quelix {
namespace {

using test::FillRandom;
using test::FillRandom16;
using test::PipelineCamera;

// Pixel bytes of an image, row by row without the padding.
std::vector<uint8_t> PixelBytes(const CDibImage& image)
{
    std::vector<uint8_t> bytes;
    for (int32_t i = 0; i < image.height; ++i) {
        const uint8_t* row = image.pBits + static_cast<ptrdiff_t>(i) * image.stride;
        bytes.insert(bytes.end(), row, row + image.width * image.bitCount / 8);
    }
    return bytes;
}

void SetPixel(CDibImage& image, int32_t i, int32_t j, uint16_t value)
{
    uint8_t* at = image.pBits + i * image.stride + j * image.bitCount / 8;
    if (image.bitCount == 8)
        *at = static_cast<uint8_t>(value);
    else
        std::memcpy(at, &value, 2);
}

uint16_t Pixel(const CDibImage& image, int32_t i, int32_t j)
{
    const uint8_t* at = image.pBits + i * image.stride + j * image.bitCount / 8;
    if (image.bitCount == 8)
        return *at;
    uint16_t value;
    std::memcpy(&value, at, 2);
    return value;
}

void Fill(CDibImage& image, uint16_t value)
{
    for (int32_t i = 0; i < image.height; ++i)
        for (int32_t j = 0; j < image.width; ++j)
            SetPixel(image, i, j, value);
}

int32_t ShadedByDivision(int32_t x, int32_t d, int32_t b, int bits)
{
    const int32_t scale = bits == 8 ? 256 : 16384;
    const int32_t full = scale - 1;
    if (bits == 8 ? b == d : b <= d)
        return x;
    return std::clamp(((x - d) * scale) / (b - d), 0, full);
}

TEST(ShadingFactors, EqualTheIntegerDivisionForEvery8BitCase)
{
    for (int32_t d = 0; d < 256; ++d) {
        for (int32_t b = 0; b < 256; ++b) {
            const ShadingFactor<8> factor = MakeShadingFactor<8>(d, b);
            for (int32_t x = 0; x < 256; ++x) {
                if (ShadeSample<8>(x, factor) != ShadedByDivision(x, d, b, 8))
                    FAIL() << "d " << d << " b " << b << " x " << x;
            }
        }
    }
}

TEST(ShadingFactors, EqualTheIntegerDivisionFor16BitSamples)
{
    // Every sample from 0 to just past full scale against every span up to
    // 2048, 64 random spans up to 65535 and the largest ones (the dark level
    // only shifts the sample: 0 here); then random pixels over the whole
    // 16-bit range.
    std::mt19937 random(21);
    std::vector<int32_t> spans;
    for (int32_t span = 1; span <= 2048; ++span)
        spans.push_back(span);
    for (int k = 0; k < 64; ++k)
        spans.push_back(2049 + static_cast<int32_t>(random() % (65535 - 2049)));
    for (int32_t span : {16383, 16384, 32767, 65534, 65535})
        spans.push_back(span);
    for (int32_t span : spans) {
        const ShadingFactor<14> factor = MakeShadingFactor<14>(0, span);
        const int32_t last = span + 1;
        for (int32_t x = 0; x <= last; ++x) {
            if (ShadeSample<14>(x, factor) != ShadedByDivision(x, 0, span, 14))
                FAIL() << "span " << span << " x " << x;
        }
    }
    for (int k = 0; k < 2'000'000; ++k) {
        const auto d = static_cast<int32_t>(random() & 0xFFFF);
        const auto b = static_cast<int32_t>(random() & 0xFFFF);
        const auto x = static_cast<int32_t>(random() & 0xFFFF);
        ASSERT_EQ(ShadeSample<14>(x, MakeShadingFactor<14>(d, b)), ShadedByDivision(x, d, b, 14))
            << "d " << d << " b " << b << " x " << x;
    }
}

// One pixel through CorrectFrame in colour mode 0 or 1 with shading on.
int32_t ShadeThroughPipeline(int colorMode, uint16_t x, uint16_t dark, uint16_t bright)
{
    PipelineCamera p(colorMode, 8, 6, 3, 5);
    const bool wide = colorMode == 1;
    Fill(*p.camera.Image(ImageRole::rawFrame), x);
    SetPixel(wide ? *p.camera.Image(ImageRole::darkRef16) : *p.camera.Image(ImageRole::darkRef8), 5 + 2,
             3 + 4, dark);
    SetPixel(wide ? *p.camera.Image(ImageRole::brightRef16) : *p.camera.Image(ImageRole::brightRef8), 5 + 2,
             3 + 4, bright);
    p.camera.maskFilter = 1;
    p.camera.CorrectFrame();
    return Pixel(*p.Work(), 2, 4);
}

TEST(CorrectFrame, ShadingCorrectsAgainstTheReferencesAtTheWindowPosition)
{
    EXPECT_EQ(ShadeThroughPipeline(0, 110, 10, 210), 128);
    EXPECT_EQ(ShadeThroughPipeline(0, 5, 10, 210), 0);
    EXPECT_EQ(ShadeThroughPipeline(0, 250, 10, 210), 255);
    EXPECT_EQ(ShadeThroughPipeline(0, 150, 200, 100), 128);  // an inverted ramp
    EXPECT_EQ(ShadeThroughPipeline(0, 77, 90, 90), 77);
    EXPECT_EQ(ShadeThroughPipeline(1, 5096, 1000, 9192), 8192);
    EXPECT_EQ(ShadeThroughPipeline(1, 5096, 3000, 3000), 5096);
    EXPECT_EQ(ShadeThroughPipeline(1, 5096, 6000, 3000), 5096);
    // The default references (0 and full scale) change nothing.
    EXPECT_EQ(ShadeThroughPipeline(0, 77, 0, 255), 77);
    EXPECT_EQ(ShadeThroughPipeline(1, 5000, 0, 0x3FFF), 5000);
}

TEST(CorrectFrame, ShadingFollowsReferencesThatChangeBetweenFrames)
{
    PipelineCamera p(0, 8, 6);
    Fill(*p.camera.Image(ImageRole::rawFrame), 110);
    p.camera.maskFilter = 1;
    p.camera.CorrectFrame();
    EXPECT_EQ(Pixel(*p.camera.Image(ImageRole::image8), 1, 1), 110);
    Fill(*p.camera.Image(ImageRole::darkRef8), 10);
    Fill(*p.camera.Image(ImageRole::brightRef8), 210);
    p.camera.CorrectFrame();
    EXPECT_EQ(Pixel(*p.camera.Image(ImageRole::image8), 1, 1), 128);
}

TEST(CorrectFrame, DefectRepairReplacesOutliersAndMarkedPixels)
{
    for (int colorMode : {0, 1}) {
        SCOPED_TRACE(colorMode);
        const uint16_t scale = colorMode == 0 ? 1 : 64;
        PipelineCamera p(colorMode, 9, 7);
        CDibImage& raw = *p.camera.Image(ImageRole::rawFrame);
        Fill(raw, 40 * scale);
        SetPixel(raw, 2, 2, 100 * scale);  // 60 above its neighbours: repaired
        SetPixel(raw, 2, 6, 69 * scale);   // 29 above: kept
        // A horizontal pair that the hot map names: each takes the mean of
        // the nearest unmarked pixels; the left one's right search skips its
        // partner, and the right one's left search.
        CDibImage& hot = colorMode == 0 ? *p.camera.Image(ImageRole::defectWork8a)
                                        : *p.camera.Image(ImageRole::defectWork16a);
        SetPixel(hot, 5, 3, 1);
        SetPixel(hot, 5, 4, 1);
        SetPixel(raw, 5, 3, 50 * scale);
        SetPixel(raw, 5, 4, 55 * scale);
        SetPixel(raw, 5, 5, 44 * scale);
        SetPixel(raw, 4, 3, 48 * scale);
        SetPixel(raw, 4, 4, 52 * scale);
        p.camera.dotFilter = 1;
        p.camera.CorrectFrame();
        const CDibImage& work = *p.Work();
        EXPECT_EQ(Pixel(work, 2, 2), 40 * scale);
        EXPECT_EQ(Pixel(work, 2, 6), 69 * scale);
        EXPECT_EQ(Pixel(work, 5, 3), (40 + 44 + 48 + 40) / 4 * scale);
        EXPECT_EQ(Pixel(work, 5, 4), (40 + 44 + 52 + 40) / 4 * scale);
        EXPECT_EQ(Pixel(work, 4, 3), 48 * scale);

        // A pixel the hot map names is repaired however close it is; the
        // map is read at the pixel's sensor position.
        PipelineCamera shifted(colorMode, 9, 7, 100, 50);
        Fill(*shifted.camera.Image(ImageRole::rawFrame), 40 * scale);
        SetPixel(*shifted.camera.Image(ImageRole::rawFrame), 3, 3, 45 * scale);
        SetPixel(colorMode == 0 ? *shifted.camera.Image(ImageRole::defectWork8a)
                                : *shifted.camera.Image(ImageRole::defectWork16a),
                 53, 103, 1);
        shifted.camera.dotFilter = 1;
        shifted.camera.CorrectFrame();
        EXPECT_EQ(Pixel(*shifted.Work(), 3, 3), 40 * scale);
    }
}

TEST(CorrectFrame, MirroringFlipsRowsColumnsOrBoth)
{
    const auto mirror = [](int colorMode, int h, int v) {
        PipelineCamera p(colorMode, 2, 2);
        SetPixel(*p.camera.Image(ImageRole::rawFrame), 0, 0, 1);
        SetPixel(*p.camera.Image(ImageRole::rawFrame), 0, 1, 2);
        SetPixel(*p.camera.Image(ImageRole::rawFrame), 1, 0, 3);
        SetPixel(*p.camera.Image(ImageRole::rawFrame), 1, 1, 4);
        p.camera.camera.Set(CameraSlot::mirrorH, h);
        p.camera.camera.Set(CameraSlot::mirrorV, v);
        p.camera.CorrectFrame();
        const CDibImage& work = *p.Work();
        return std::vector<int>{Pixel(work, 0, 0), Pixel(work, 0, 1), Pixel(work, 1, 0), Pixel(work, 1, 1)};
    };
    for (int colorMode : {0, 1}) {
        EXPECT_EQ(mirror(colorMode, 0, 0), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(mirror(colorMode, 1, 0), (std::vector<int>{2, 1, 4, 3}));
        EXPECT_EQ(mirror(colorMode, 0, 1), (std::vector<int>{3, 4, 1, 2}));
        EXPECT_EQ(mirror(colorMode, 1, 1), (std::vector<int>{4, 3, 2, 1}));
    }
}

TEST(CorrectFrame, FalseColourPicksThePaletteEntryOfEachSample)
{
    PipelineCamera colour(2, 3, 1);
    SetPixel(*colour.camera.Image(ImageRole::rawFrame), 0, 0, 255);
    SetPixel(*colour.camera.Image(ImageRole::rawFrame), 0, 1, 128);
    SetPixel(*colour.camera.Image(ImageRole::rawFrame), 0, 2, 0);
    colour.camera.CorrectFrame();
    // 255 -> index 181 (00FF02), 128 -> index 91 (FF0080), as B, G, R.
    EXPECT_EQ(PixelBytes(*colour.camera.Image(ImageRole::image24)),
              (std::vector<uint8_t>{0x02, 0xFF, 0x00, 0x80, 0x00, 0xFF, 0, 0, 0}));

    PipelineCamera deep(5, 2, 1);
    SetPixel(*deep.camera.Image(ImageRole::rawFrame), 0, 0, 16383);  // index 359: FDFCFF
    SetPixel(*deep.camera.Image(ImageRole::rawFrame), 0, 1, 8077);   // index 358: FAFBFF
    deep.camera.CorrectFrame();
    std::vector<uint16_t> words(8);
    std::memcpy(words.data(), deep.camera.Image(ImageRole::image64)->pBits, 16);
    EXPECT_EQ(words, (std::vector<uint16_t>{0xFF * 16, 0xFC * 16, 0xFD * 16, 0xFFFF, 0xFF * 16, 0xFB * 16,
                                            0xFA * 16, 0xFFFF}));
}

TEST(CorrectFrame, NeutralSettingsLeaveTheCorrectedImageUntouched)
{
    std::mt19937 random(4);
    for (int colorMode = 0; colorMode < 6; ++colorMode) {
        PipelineCamera p(colorMode, 13, 7);
        FillRandom(*p.camera.Image(ImageRole::rawFrame), random);
        p.camera.CorrectFrame();
        CDibImage expected;
        expected.CreateLike(p.Output());
        if (colorMode <= 1)
            std::memcpy(expected.pBits, p.camera.Image(ImageRole::rawFrame)->pBits,
                        static_cast<size_t>(expected.stride) * 7);
        else
            FalseColor(&expected, p.camera.Image(ImageRole::rawFrame).get());
        EXPECT_EQ(PixelBytes(*p.Output()), PixelBytes(expected)) << "colour mode " << colorMode;
    }
}

TEST(CorrectFrame, AutomaticGrayBalanceMeasuresCountsDownAndTellsTheFilterDialog)
{
    PipelineCamera p(0, 4, 4);
    for (int32_t i = 0; i < 4; ++i)
        for (int32_t j = 0; j < 4; ++j)
            SetPixel(*p.camera.Image(ImageRole::rawFrame), i, j, i % 2 == 0 ? (j % 2 == 0 ? 100 : 50) : 100);
    p.camera.filter.Set(FilterSlot::grayMode, 1);
    p.camera.filter.Set(FilterSlot::autoGrayFrames, 2);
    int refreshes = 0;
    p.camera.filterDialog.Install([&refreshes] { ++refreshes; });
    p.camera.CorrectFrame();
    EXPECT_EQ(p.camera.filter.Get(FilterSlot::grayGainR), 256);
    EXPECT_EQ(p.camera.filter.Get(FilterSlot::autoGrayFrames), 1);
    EXPECT_EQ(refreshes, 1);
    // The R positions are brought to the G1 level.
    EXPECT_EQ(Pixel(*p.camera.Image(ImageRole::image8), 0, 1), 100);
    p.camera.CorrectFrame();
    p.camera.filterDialog.Remove();
    p.camera.CorrectFrame();
    EXPECT_EQ(p.camera.filter.Get(FilterSlot::autoGrayFrames), 0);
    EXPECT_EQ(refreshes, 2);
}

// Random settings over their setters' ranges, each stage on about half the time.
void RandomSettings(CQuelix& c, std::mt19937& random)
{
    const auto pick = [&random](int32_t low, int32_t high) {
        return low + static_cast<int32_t>(random() % static_cast<uint32_t>(high - low + 1));
    };
    const auto maybe = [&](int32_t neutral, int32_t low, int32_t high) {
        return random() % 2 == 0 ? neutral : pick(low, high);
    };
    c.filter.Set(FilterSlot::hue, maybe(0, -360, 360));
    c.filter.Set(FilterSlot::saturation, maybe(0, -255, 255));
    c.filter.Set(FilterSlot::gamma, maybe(100, 0, 200));
    c.filter.Set(FilterSlot::contrast, maybe(0, -127, 127));
    c.filter.Set(FilterSlot::sharpness, maybe(0, 1, 30));
    c.filter.Set(FilterSlot::brightness, maybe(0, -255, 255));
    c.filter.Set(FilterSlot::grayMode, pick(0, 2));
    c.filter.Set(FilterSlot::bayerMode, pick(0, 3));
    for (FilterSlot gain :
         {FilterSlot::grayGainR, FilterSlot::grayGainG1, FilterSlot::grayGainG2, FilterSlot::grayGainB})
        c.filter.Set(gain, maybe(128, 0, 255));
    for (FilterSlot offset : {FilterSlot::grayOffsetR, FilterSlot::grayOffsetG1, FilterSlot::grayOffsetG2,
                              FilterSlot::grayOffsetB})
        c.filter.Set(offset, maybe(0, -255, 255));
    c.filter.Set(FilterSlot::autoGrayFrames, maybe(0, 1, 3));
    c.camera.Set(CameraSlot::mirrorH, pick(0, 1));
    c.camera.Set(CameraSlot::mirrorV, pick(0, 1));
    c.camera.Set(CameraSlot::autoIris, pick(0, 1) * 2);  // measuring only: no device is touched
    c.maskFilter = pick(0, 1);
    c.dotFilter = pick(0, 1);
}

// Smooth references with a few equal or crossed pairs, sparse defect maps.
void RandomReferences(CQuelix& c, std::mt19937& random)
{
    for (int32_t i = 0; i < kSensorHeight; ++i) {
        for (int32_t j = 0; j < kSensorWidth; ++j) {
            const auto noise = static_cast<int32_t>(random() % 16);
            const int32_t dark = 8 + noise + (random() % 50 == 0 ? 120 : 0);
            const int32_t bright = 200 + noise - (random() % 50 == 0 ? 190 : 0);
            SetPixel(*c.Image(ImageRole::darkRef8), i, j, static_cast<uint16_t>(dark));
            SetPixel(*c.Image(ImageRole::brightRef8), i, j, static_cast<uint16_t>(bright));
            SetPixel(*c.Image(ImageRole::darkRef16), i, j, static_cast<uint16_t>(dark * 64));
            SetPixel(*c.Image(ImageRole::brightRef16), i, j, static_cast<uint16_t>(bright * 64 + noise));
            for (CDibImage* map :
                 {c.Image(ImageRole::defectWork8a).get(), c.Image(ImageRole::defectWork8b).get(),
                  c.Image(ImageRole::defectWork16a).get(), c.Image(ImageRole::defectWork16b).get()})
                SetPixel(*map, i, j, random() % 97 == 0 ? 1 : 0);
        }
    }
}

TEST(CorrectFrame, AgreesWithTheStraightforwardPipelineOnRandomFrames)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 120; ++round) {
        const int colorMode = round % 6;
        const int32_t width = 1 + static_cast<int32_t>(random() % (round % 5 == 0 ? 8 : 70));
        const int32_t height = 1 + static_cast<int32_t>(random() % (round % 5 == 0 ? 8 : 40));
        const int32_t left = static_cast<int32_t>(random() % (kSensorWidth - width + 1));
        const int32_t top = static_cast<int32_t>(random() % (kSensorHeight - height + 1));
        PipelineCamera fast(colorMode, width, height, left, top);
        PipelineCamera slow(colorMode, width, height, left, top);
        RandomReferences(fast.camera, random);
        for (ImageRole role : {ImageRole::darkRef8, ImageRole::brightRef8, ImageRole::darkRef16,
                               ImageRole::brightRef16, ImageRole::defectWork8a, ImageRole::defectWork8b,
                               ImageRole::defectWork16a, ImageRole::defectWork16b}) {
            const CDibImage& from = *fast.camera.Image(role);
            CDibImage& to = *slow.camera.Image(role);
            std::memcpy(to.pBits, from.pBits, static_cast<size_t>(from.stride) * from.height);
        }
        // Several frames per camera with new settings each time, so that the
        // kept tables are made again or kept as the settings change.
        for (int frame = 0; frame < 3; ++frame) {
            SCOPED_TRACE("round " + std::to_string(round) + " frame " + std::to_string(frame) + ", mode " +
                         std::to_string(colorMode) + ", " + std::to_string(width) + " x " +
                         std::to_string(height));
            RandomSettings(fast.camera, random);
            slow.camera.filter.Assign(fast.camera.filter.Copy());
            for (size_t k = 0; k < kCameraSlots; ++k)
                slow.camera.camera.SetWord(k, fast.camera.camera.GetWord(k));
            slow.camera.maskFilter = fast.camera.maskFilter.load();
            slow.camera.dotFilter = fast.camera.dotFilter.load();
            // Now and then samples beyond 14 bits (not where the sharpening
            // table of the straightforward version would end).
            const bool anySample = frame == 2 && fast.camera.filter.Get(FilterSlot::sharpness) == 0;
            if (colorMode == 1 || colorMode >= 4)
                FillRandom16(*fast.camera.Image(ImageRole::rawFrame), random, anySample ? 1 << 16 : 1 << 14);
            else
                FillRandom(*fast.camera.Image(ImageRole::rawFrame), random);
            std::memcpy(slow.camera.Image(ImageRole::rawFrame)->pBits,
                        fast.camera.Image(ImageRole::rawFrame)->pBits,
                        static_cast<size_t>(fast.camera.Image(ImageRole::rawFrame)->stride) * height);
            fast.camera.CorrectFrame();
            reference::CorrectFrame(slow.camera);
            ASSERT_EQ(PixelBytes(*fast.Output()), PixelBytes(*slow.Output()));
            ASSERT_EQ(fast.camera.filter.Copy(), slow.camera.filter.Copy());
        }
    }
}

// Whole frames of the sensor's size and large windows, every stage on or
// off, in each build of the kernels: the vector loops and their ends.
TEST(CorrectFrame, EveryBuildOfTheKernelsAgreesWithTheStraightforwardPipeline)
{
    test::AtEveryVectorLevel([] {
        std::mt19937 random(77);
        for (int round = 0; round < 12; ++round) {
            const int colorMode = round % 6;
            const int32_t width = round < 6 ? kSensorWidth : 200 + static_cast<int32_t>(random() % 121);
            const int32_t height = round < 6 ? kSensorHeight : 5 + static_cast<int32_t>(random() % 60);
            PipelineCamera fast(colorMode, width, height, kSensorWidth - width, kSensorHeight - height);
            PipelineCamera slow(colorMode, width, height, kSensorWidth - width, kSensorHeight - height);
            RandomReferences(fast.camera, random);
            for (ImageRole role : {ImageRole::darkRef8, ImageRole::brightRef8, ImageRole::darkRef16,
                                   ImageRole::brightRef16, ImageRole::defectWork8a, ImageRole::defectWork8b,
                                   ImageRole::defectWork16a, ImageRole::defectWork16b}) {
                const CDibImage& from = *fast.camera.Image(role);
                std::memcpy(slow.camera.Image(role)->pBits, from.pBits,
                            static_cast<size_t>(from.stride) * from.height);
            }
            for (int frame = 0; frame < 2; ++frame) {
                SCOPED_TRACE("round " + std::to_string(round) + " frame " + std::to_string(frame));
                RandomSettings(fast.camera, random);
                // The second frame with every stage on.
                if (frame == 1) {
                    fast.camera.filter.Set(FilterSlot::sharpness, 1 + static_cast<int32_t>(random() % 30));
                    fast.camera.filter.Set(FilterSlot::brightness,
                                           static_cast<int32_t>(random() % 511) - 255);
                    fast.camera.maskFilter = 1;
                    fast.camera.dotFilter = 1;
                }
                slow.camera.filter.Assign(fast.camera.filter.Copy());
                for (size_t k = 0; k < kCameraSlots; ++k)
                    slow.camera.camera.SetWord(k, fast.camera.camera.GetWord(k));
                slow.camera.maskFilter = fast.camera.maskFilter.load();
                slow.camera.dotFilter = fast.camera.dotFilter.load();
                if (colorMode == 1 || colorMode >= 4)
                    FillRandom16(*fast.camera.Image(ImageRole::rawFrame), random, 1 << 14);
                else
                    FillRandom(*fast.camera.Image(ImageRole::rawFrame), random);
                std::memcpy(slow.camera.Image(ImageRole::rawFrame)->pBits,
                            fast.camera.Image(ImageRole::rawFrame)->pBits,
                            static_cast<size_t>(fast.camera.Image(ImageRole::rawFrame)->stride) * height);
                fast.camera.CorrectFrame();
                reference::CorrectFrame(slow.camera);
                ASSERT_EQ(PixelBytes(*fast.Output()), PixelBytes(*slow.Output()));
            }
        }
    });
}

}  // namespace
}  // namespace quelix
