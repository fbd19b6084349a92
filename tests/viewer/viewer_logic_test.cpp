// SPDX-License-Identifier: MIT
// The viewer's logic that needs no display: frames and their pixels, the
// histogram, the line profile, the picture's placement and the cursor's
// sensor position, plot scales, the time series, frame counting, the
// command line, file formats and the texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "file_formats.h"
#include "frame_counter.h"
#include "frame_image.h"
#include "histogram.h"
#include "line_profile.h"
#include "plot_scale.h"
#include "sensor_temperature.h"
#include "texts.h"
#include "time_series.h"
#include "uniformity.h"
#include "view_mapping.h"
#include "viewer_options.h"

namespace quelix::viewer {
namespace {

FrameImage GrayFrame(int width, int height, int bits, int (*level)(int x, int y))
{
    FrameImage frame{width, height, bits, {}};
    frame.pixels.assign(static_cast<size_t>(frame.Stride()) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = frame.pixels.data() + static_cast<size_t>(y) * frame.Stride() + x * (bits / 8);
            const int v = level(x, y);
            p[0] = static_cast<uint8_t>(v);
            if (bits == 16)
                p[1] = static_cast<uint8_t>(v >> 8);
        }
    }
    return frame;
}

TEST(ViewerFrame, StridesPixelsAndDisplayOfEveryDepth)
{
    EXPECT_EQ(FrameStride(5, 8), 8);
    EXPECT_EQ(FrameStride(5, 24), 16);
    EXPECT_EQ(FrameStride(320, 64), 2560);
    EXPECT_EQ(FrameStride(0, 8), 0);
    EXPECT_EQ(FrameStride(-4, 8), 0);
    EXPECT_EQ(FrameStride(10, 12), 0);
    EXPECT_EQ(FrameStride(1 << 30, 64), 0);

    // A 3 x 2 frame of each depth, with one pixel set at (2, 1).
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        FrameImage frame{3, 2, bits, {}};
        frame.pixels.assign(static_cast<size_t>(frame.Stride()) * 2, 0);
        uint8_t* p = frame.pixels.data() + frame.Stride() + 2 * (bits / 8);
        if (bits == 8) {
            p[0] = 200;
        } else if (bits == 16) {
            p[0] = 0xFF, p[1] = 0x3F;  // 16383
        } else if (bits <= 32) {
            p[0] = 10, p[1] = 20, p[2] = 30;
        } else {
            p[0] = 160, p[2] = 64, p[3] = 1, p[4] = 0xF0, p[5] = 0x0F;  // B 160, G 320, R 4080
        }
        const PixelValue value = ReadPixel(frame, 2, 1);
        ASSERT_TRUE(value.valid) << bits;
        EXPECT_FALSE(ReadPixel(frame, 3, 1).valid);
        EXPECT_FALSE(ReadPixel(frame, 0, -1).valid);
        std::vector<uint8_t> display(3 * 4 * 2);
        ASSERT_TRUE(ToDisplayPixels(frame, display.data(), 12, display.size()));
        uint32_t shown = 0;
        std::memcpy(&shown, display.data() + 12 + 8, 4);
        uint32_t black = 1;
        std::memcpy(&black, display.data(), 4);
        EXPECT_EQ(black, 0u);
        switch (bits) {
            case 8:
                EXPECT_EQ(value.gray, 200);
                EXPECT_EQ(shown, 0xC8C8C8u);
                break;
            case 16:
                EXPECT_EQ(value.gray, 16383);
                EXPECT_EQ(shown, 0xFFFFFFu);  // 16383 >> 6 = 255
                break;
            case 24:
            case 32:
                EXPECT_EQ(value.red, 30);
                EXPECT_EQ(value.green, 20);
                EXPECT_EQ(value.blue, 10);
                EXPECT_EQ(value.gray, 30);
                EXPECT_EQ(shown, 0x1E140Au);
                break;
            default:
                EXPECT_EQ(value.blue, 160);
                EXPECT_EQ(value.green, 320);
                EXPECT_EQ(value.red, 4080);
                EXPECT_EQ(shown, 0xFF140Au);  // each channel / 16
                break;
        }
        // A destination too small or too narrow is refused.
        EXPECT_FALSE(ToDisplayPixels(frame, display.data(), 8, display.size()));
        EXPECT_FALSE(ToDisplayPixels(frame, display.data(), 12, display.size() - 1));
    }
    FrameImage shortFrame{4, 4, 8, std::vector<uint8_t>(15)};
    EXPECT_FALSE(shortFrame.Valid());
    EXPECT_FALSE(ReadPixel(shortFrame, 0, 0).valid);
}

TEST(ViewerHistogram, BinsCountEveryPixelAsAReferenceDoes)
{
    std::mt19937 random(7);
    for (int bits : {8, 16}) {
        const int maximum = LevelMaximum(bits);
        FrameImage frame{37, 11, bits, {}};
        frame.pixels.assign(static_cast<size_t>(frame.Stride()) * frame.height, 0);
        std::vector<int> levels;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const int v = (x == 0 && y == 0) ? maximum : static_cast<int>(random() % (maximum + 1));
                levels.push_back(v);
                uint8_t* p = frame.pixels.data() + static_cast<size_t>(y) * frame.Stride() + x * (bits / 8);
                p[0] = static_cast<uint8_t>(v);
                if (bits == 16)
                    p[1] = static_cast<uint8_t>(v >> 8);
            }
        }
        for (int bins : {1, 7, 256, 4096, 100000, 0, -3}) {
            const Histogram histogram = MakeHistogram(frame, bins);
            const int used = std::clamp(bins, 1, std::min(4096, maximum + 1));
            ASSERT_EQ(histogram.counts.size(), static_cast<size_t>(used));
            std::vector<uint64_t> reference(used, 0);
            uint64_t saturated = 0;
            for (int v : levels) {
                // The bin whose range [i * (max + 1) / bins, (i + 1) * (max + 1) / bins) holds v.
                const int bin = static_cast<int>(std::floor(v * static_cast<double>(used) / (maximum + 1)));
                ++reference[bin];
                saturated += v == maximum;
            }
            EXPECT_EQ(histogram.counts, reference) << bits << " bits, " << bins << " bins";
            EXPECT_EQ(histogram.saturated, saturated);
            EXPECT_EQ(histogram.pixels, levels.size());
        }
    }
    EXPECT_TRUE(MakeHistogram(FrameImage{}, 256).counts.empty());

    EXPECT_DOUBLE_EQ(BinFraction(5, 10, false), 0.5);
    EXPECT_DOUBLE_EQ(BinFraction(10, 10, true), 1.0);
    EXPECT_DOUBLE_EQ(BinFraction(0, 10, true), 0.0);
    EXPECT_NEAR(BinFraction(9, 99, true), 0.5, 1e-12);  // log 10 / log 100
    EXPECT_DOUBLE_EQ(BinFraction(3, 0, false), 0.0);
}

TEST(ViewerProfile, SamplesTheNearestPixelsAlongTheLine)
{
    const FrameImage frame = GrayFrame(20, 10, 16, [](int x, int y) { return 100 * y + x; });
    // Horizontal, vertical, backwards and a single point.
    auto points = SampleLine(frame, 2, 3, 6, 3);
    ASSERT_EQ(points.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(points[i].level, 302 + i);
    points = SampleLine(frame, 4, 9, 4, 0);
    ASSERT_EQ(points.size(), 10u);
    EXPECT_EQ(points.front().level, 904);
    EXPECT_EQ(points.back().level, 4);
    points = SampleLine(frame, 5, 5, 5, 5);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].level, 505);
    // A slanted line against a floating-point reference (round half away from the start).
    points = SampleLine(frame, 0, 0, 19, 7);
    ASSERT_EQ(points.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        const int y = static_cast<int>(std::floor(7.0 * i / 19.0 + 0.5));
        EXPECT_EQ(points[i].x, i);
        EXPECT_EQ(points[i].y, y) << i;
        EXPECT_EQ(points[i].level, 100 * y + i);
    }
    // Ends outside the frame are held to its edges.
    points = SampleLine(frame, -50, 4, 1000, 4);
    ASSERT_EQ(points.size(), 20u);
    EXPECT_EQ(points.front().x, 0);
    EXPECT_EQ(points.back().x, 19);
    EXPECT_TRUE(SampleLine(FrameImage{}, 0, 0, 3, 3).empty());
}

TEST(ViewerMapping, FitZoomPanAndTheSensorUnderTheCursor)
{
    // Fit: 320 x 256 in 640 x 600 is scaled by 2 and centred vertically.
    Placement placement = PlacePicture(ViewState{}, 320, 256, 640, 600);
    EXPECT_DOUBLE_EQ(placement.scale, 2.0);
    EXPECT_DOUBLE_EQ(placement.originX, 0.0);
    EXPECT_DOUBLE_EQ(placement.originY, 44.0);
    int px = 0, py = 0;
    ASSERT_TRUE(WidgetToPicture(placement, 639.9, 44.0, 320, 256, px, py));
    EXPECT_EQ(px, 319);
    EXPECT_EQ(py, 0);
    EXPECT_FALSE(WidgetToPicture(placement, 10, 43.9, 320, 256, px, py));
    EXPECT_FALSE(WidgetToPicture(placement, 640, 100, 320, 256, px, py));

    // 8:1 in a 400 x 300 widget: the pan is held inside the picture.
    ViewState view{8, 1000.0, -5.0};
    view = ClampPan(view, 320, 256, 400, 300);
    EXPECT_DOUBLE_EQ(view.panX, 320 - 400 / 8.0);
    EXPECT_DOUBLE_EQ(view.panY, 0.0);
    placement = PlacePicture(view, 320, 256, 400, 300);
    ASSERT_TRUE(WidgetToPicture(placement, 399, 299, 320, 256, px, py));
    EXPECT_EQ(px, 319);
    EXPECT_EQ(py, 37);
    // Dragging right by 80 points moves the picture 10 pixels back.
    view = PanBy(view, 80, 0, 320, 256, 400, 300);
    EXPECT_DOUBLE_EQ(view.panX, 320 - 50 - 10);

    // Zooming keeps the pixel under the cursor where it is, once the
    // picture fills the widget (at 2:1 and more here).
    ViewState fit{};
    for (int zoom : {2, 3, 8}) {
        const Placement before = PlacePicture(fit, 320, 256, 640, 512);
        int bx = 0, by = 0;
        ASSERT_TRUE(WidgetToPicture(before, 321, 257, 320, 256, bx, by));
        const ViewState zoomed = ZoomAt(fit, zoom, 321, 257, 320, 256, 640, 512);
        EXPECT_EQ(zoomed.zoom, zoom);
        int ax = 0, ay = 0;
        ASSERT_TRUE(WidgetToPicture(PlacePicture(zoomed, 320, 256, 640, 512), 321, 257, 320, 256, ax, ay));
        EXPECT_EQ(ax, bx) << zoom;
        EXPECT_EQ(ay, by) << zoom;
    }
    EXPECT_EQ(ZoomAt(fit, 99, 0, 0, 320, 256, 640, 512).zoom, kMaxZoom);
    EXPECT_EQ(ZoomAt(fit, -2, 0, 0, 320, 256, 640, 512).zoom, 0);
    // A zoomed picture smaller than the widget is centred, whatever the pan.
    placement = PlacePicture(ViewState{1, 30, 30}, 100, 80, 400, 300);
    EXPECT_DOUBLE_EQ(placement.originX, 150.0);
    EXPECT_DOUBLE_EQ(placement.originY, 110.0);
    // Empty sizes place nothing and map nothing.
    EXPECT_FALSE(WidgetToPicture(PlacePicture(ViewState{}, 0, 0, 100, 100), 1, 1, 0, 0, px, py));

    // Sensor coordinates: the capture window's offset, mirrors undone.
    int sx = 0, sy = 0;
    PictureToSensor(0, 0, 100, 50, 40, 20, false, false, sx, sy);
    EXPECT_EQ(sx, 40);
    EXPECT_EQ(sy, 20);
    PictureToSensor(0, 0, 100, 50, 40, 20, true, true, sx, sy);
    EXPECT_EQ(sx, 139);
    EXPECT_EQ(sy, 69);
    PictureToSensor(10, 5, 100, 50, 0, 0, false, true, sx, sy);
    EXPECT_EQ(sx, 10);
    EXPECT_EQ(sy, 44);
}

TEST(ViewerPlots, RoundRangesAndPixels)
{
    AxisRange range = NiceRange(0, 256, 4);
    EXPECT_DOUBLE_EQ(range.step, 100.0);
    EXPECT_DOUBLE_EQ(range.low, 0.0);
    EXPECT_DOUBLE_EQ(range.high, 300.0);
    range = NiceRange(17.3, 18.9, 4);
    EXPECT_DOUBLE_EQ(range.step, 0.5);
    EXPECT_DOUBLE_EQ(range.low, 17.0);
    EXPECT_DOUBLE_EQ(range.high, 19.0);
    range = NiceRange(-12, -3, 3);
    EXPECT_LE(range.low, -12);
    EXPECT_GE(range.high, -3);
    // Empty, inverted and not finite.
    range = NiceRange(5, 5, 4);
    EXPECT_LT(range.low, 5);
    EXPECT_GT(range.high, 5);
    range = NiceRange(9, 1, 4);
    EXPECT_LE(range.low, 1);
    EXPECT_GE(range.high, 9);
    range = NiceRange(NAN, 1, 4);
    EXPECT_DOUBLE_EQ(range.low, 0.0);
    EXPECT_DOUBLE_EQ(range.high, 1.0);
    range = NiceRange(0, 1e300, 0);
    EXPECT_TRUE(std::isfinite(range.step));

    const AxisRange axis{0, 100, 25};
    EXPECT_DOUBLE_EQ(ValueToPixel(axis, 25, 10, 210), 60.0);
    EXPECT_DOUBLE_EQ(ValueToPixel(axis, -5, 10, 210), 10.0);
    EXPECT_DOUBLE_EQ(ValueToPixel(axis, 500, 10, 210), 210.0);
    EXPECT_DOUBLE_EQ(ValueToPixel(axis, 50, 200, 0), 100.0);  // a y axis grows upwards
    EXPECT_DOUBLE_EQ(ValueToPixel(AxisRange{1, 1, 1}, 1, 3, 9), 3.0);
}

TEST(ViewerTimeSeries, KeepsTheNewestPointsInOrder)
{
    TimeSeries series(3);
    double low = 0, high = 0;
    EXPECT_FALSE(series.Range(low, high));
    for (int i = 0; i < 5; ++i)
        series.Add(i, 10 - i * i);
    ASSERT_EQ(series.Size(), 3u);
    EXPECT_DOUBLE_EQ(series.At(0).seconds, 2);
    EXPECT_DOUBLE_EQ(series.At(2).seconds, 4);
    ASSERT_TRUE(series.Range(low, high));
    EXPECT_DOUBLE_EQ(low, -6);
    EXPECT_DOUBLE_EQ(high, 6);
    series.Clear();
    EXPECT_EQ(series.Size(), 0u);
    EXPECT_EQ(TimeSeries(0).Capacity(), 1u);
}

TEST(ViewerFrameCounter, GapsInTheTrailerAreDroppedFrames)
{
    FrameCounter counter;
    EXPECT_EQ(counter.Arrived(65534, 0.00), 0u);
    EXPECT_EQ(counter.Arrived(65535, 0.01), 0u);
    EXPECT_EQ(counter.Arrived(2, 0.02), 2u);  // 0 and 1 across the wrap
    EXPECT_EQ(counter.Arrived(2, 0.03), 0u);  // the same counter again: no loss
    EXPECT_EQ(counter.Dropped(), 2u);
    EXPECT_EQ(counter.Frames(), 4u);
    counter.Restart();
    EXPECT_EQ(counter.Arrived(500, 5.0), 0u);  // a new run is not compared with the old
    EXPECT_DOUBLE_EQ(counter.Rate(5.0), 1.0);
    for (int i = 1; i <= 100; ++i)
        counter.Arrived(static_cast<uint16_t>(500 + i), 5.0 + i * 0.01);
    EXPECT_DOUBLE_EQ(counter.Rate(6.0), 100.0);  // the arrivals of (5.0, 6.0]
    EXPECT_DOUBLE_EQ(counter.Rate(20.0), 0.0);
}

TEST(ViewerOptions, TakesTheOptionsAndRefusesWhatItDoesNotKnow)
{
    std::string error;
    auto options = ParseViewerOptions(
        {"--simulate", "--scene", "chart", "--device", "3", "--bits", "16", "--fast"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->simulate);
    EXPECT_EQ(options->scene, "chart");
    EXPECT_EQ(options->device, 3);
    EXPECT_EQ(options->bits, 16);
    EXPECT_TRUE(options->fast);
    options = ParseViewerOptions({}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->device, 0);
    EXPECT_EQ(options->bits, 0);
    EXPECT_TRUE(ParseViewerOptions({"--help", "--scene", "dark"}, error)->help);

    const std::vector<std::vector<std::string>> bad = {
        {"--device"},
        {"--device", "8"},
        {"--device", "-1"},
        {"--device", "1x"},
        {"--device", ""},
        {"--device", "99999999999999"},
        {"--bits", "12"},
        {"--bits", "14"},
        {"--scene"},
        {"--simulate", "--scene", "nowhere"},
        {"--scene", "dark"},
        {"--fast"},
        {"--frobnicate"},
        {"stream"},
        {"-x"},
    };
    for (const auto& arguments : bad) {
        error.clear();
        EXPECT_FALSE(ParseViewerOptions(arguments, error)) << arguments[0];
        EXPECT_FALSE(error.empty()) << arguments[0];
    }
    EXPECT_NE(ViewerUsage().find("--simulate"), std::string::npos);
}

TEST(ViewerFiles, FormatsByNameAndTheFrameCountOfAnAvi)
{
    EXPECT_EQ(ImageFormatForName("/tmp/a.png"), 5);
    EXPECT_EQ(ImageFormatForName("A.TIFF"), 6);
    EXPECT_EQ(ImageFormatForName("a.tif"), 6);
    EXPECT_EQ(ImageFormatForName("a.bmp"), 0);
    EXPECT_EQ(ImageFormatForName("a.raw"), 1);
    EXPECT_EQ(ImageFormatForName("a.jpg"), 2);
    EXPECT_EQ(ImageFormatForName("a.jpeg", 70), 3);
    EXPECT_EQ(ImageFormatForName("a.jpg", 20), 4);
    EXPECT_FALSE(ImageFormatForName("a.gif"));
    EXPECT_FALSE(ImageFormatForName("png"));
    EXPECT_FALSE(ImageFormatForName("dir.png/file"));
    EXPECT_FALSE(ImageFormatForName(""));

    uint8_t header[56] = {};
    std::memcpy(header, "RIFF", 4);
    std::memcpy(header + 8, "AVI LIST", 8);
    std::memcpy(header + 20, "hdrlavih", 8);
    header[28] = 56;
    header[48] = 0x2C, header[49] = 0x01;  // 300 frames
    EXPECT_EQ(AviFrameCountOf(header, sizeof header), 300u);
    EXPECT_FALSE(AviFrameCountOf(header, sizeof header - 1));
    EXPECT_FALSE(AviFrameCountOf(nullptr, 56));
    header[8] = 'X';
    EXPECT_FALSE(AviFrameCountOf(header, sizeof header));
    EXPECT_FALSE(AviFrameCount("/nonexistent/file.avi"));
}

TEST(ViewerMeasurements, TemperatureAndNonUniformity)
{
    // 25 C reads 922 (742.96 mV); the registers split it into bits 11..4 and 3..0.
    EXPECT_EQ(TemperatureReading(922 >> 4, 922 & 15), 922);
    EXPECT_EQ(TemperatureReading(0x1FF, 0xFF), 0xFFF);  // only 8 and 4 bits count
    EXPECT_NEAR(ReadingToCelsius(922), 25.0, 0.6);
    EXPECT_GT(ReadingToCelsius(900), ReadingToCelsius(922));  // a lower voltage is warmer

    EXPECT_DOUBLE_EQ(NonUniformityPercent(GrayFrame(8, 8, 8, [](int, int) { return 100; })), 0.0);
    // Alternating 90 and 110 inside the border: 10 % of the mean 100.
    const FrameImage checker = GrayFrame(10, 10, 16, [](int x, int y) { return (x + y) % 2 ? 90 : 110; });
    EXPECT_NEAR(NonUniformityPercent(checker), 10.0, 1e-9);
    EXPECT_DOUBLE_EQ(NonUniformityPercent(GrayFrame(8, 8, 8, [](int, int) { return 0; })), 0.0);
    EXPECT_DOUBLE_EQ(NonUniformityPercent(GrayFrame(2, 2, 8, [](int, int) { return 9; })), 0.0);
}

TEST(ViewerTexts, EveryTextInBothLanguagesChosenAsTheDialogsChoose)
{
    for (int i = 0; i < static_cast<int>(Text::Count); ++i) {
        EXPECT_STRNE(TextIn(static_cast<Text>(i), false), "") << i;
        EXPECT_STRNE(TextIn(static_cast<Text>(i), true), "") << i;
    }
    EXPECT_STREQ(TextIn(Text::Count, false), "");
    EXPECT_EQ(ErrorInWords(0, false), "");
    EXPECT_EQ(ErrorInWords(13, false), "no frame came from the camera");
    EXPECT_EQ(ErrorInWords(77, false), "error 77");

    const char* saved[3];
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string keep[3];
    for (int i = 0; i < 3; ++i) {
        saved[i] = std::getenv(names[i]);
        keep[i] = saved[i] ? saved[i] : "";
        unsetenv(names[i]);
    }
    EXPECT_FALSE(JapaneseChosen());
    setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_TRUE(JapaneseChosen());
    setenv("LC_MESSAGES", "", 1);  // empty counts as not set
    EXPECT_TRUE(JapaneseChosen());
    setenv("LC_ALL", "C", 1);  // the first set decides
    EXPECT_FALSE(JapaneseChosen());
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            setenv(names[i], keep[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

}  // namespace
}  // namespace quelix::viewer
