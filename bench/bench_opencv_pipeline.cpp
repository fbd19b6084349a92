// SPDX-License-Identifier: MIT
// The point of comparison: the same operations composed from OpenCV as a
// user would write them (built only when OpenCV is found). Per kernel:
// lookup tables for gamma and contrast, flip for mirroring, box blur and a
// weighted add for sharpening, scaling for brightness, a colour map for
// false colour. And colour mode 2 with every stage on, on the frames of
// bench_correct_frame.cpp: shading (subtract and divide), defect repair
// left out (OpenCV has no such operation; our pipeline does it), both flips,
// the palette through applyColorMap, hue and saturation through HSV and a
// lookup table, gamma and contrast lookup tables, sharpening, brightness.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <random>

#include "pipeline/false_color_palette.h"
#include "pipeline/level_tables.h"
#include "pipeline_frames.h"

namespace quelix {
namespace {

using bench::kHeight;
using bench::kWidth;

// One thread, as the pipeline runs on one (the capture thread).
const bool kOneThread = [] {
    cv::setNumThreads(1);
    return true;
}();

cv::Mat Lut(const LevelTable8& table)
{
    cv::Mat lut(1, 256, CV_8U);
    for (int i = 0; i < 256; ++i)
        lut.at<uint8_t>(i) = table[i];
    return lut;
}

cv::Mat PaletteMap()
{
    cv::Mat map(256, 1, CV_8UC3);
    for (int v = 0; v < 256; ++v) {
        const uint32_t color = kFalseColorPalette[std::min(v * 256 / 360, 359)];
        map.at<cv::Vec3b>(v) = cv::Vec3b(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    }
    return map;
}

cv::Mat RandomImage(int type)
{
    cv::Mat image(kHeight, kWidth, type);
    cv::randu(image, 0, 255);
    return image;
}

void OpenCvLut24(benchmark::State& state)
{
    cv::Mat image = RandomImage(CV_8UC3);
    const cv::Mat lut = Lut(GammaTable8(70));
    for (auto _ : state) {
        cv::LUT(image, lut, image);
        benchmark::DoNotOptimize(image.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(OpenCvLut24)->Unit(benchmark::kMicrosecond);

void OpenCvSharpen(benchmark::State& state, int type)
{
    const cv::Mat image = RandomImage(type);
    cv::Mat blurred;
    cv::Mat sharpened;
    const double s = 10 / 10.0;
    for (auto _ : state) {
        cv::blur(image, blurred, cv::Size(4, 4));
        cv::addWeighted(image, 1 + s, blurred, -s, 0, sharpened);
        benchmark::DoNotOptimize(sharpened.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK_CAPTURE(OpenCvSharpen, 8, CV_8U)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OpenCvSharpen, 24, CV_8UC3)->Unit(benchmark::kMicrosecond);

void OpenCvBrightness24(benchmark::State& state)
{
    cv::Mat image = RandomImage(CV_8UC3);
    for (auto _ : state) {
        image.convertTo(image, -1, 1 + 40 * (10.0 / 255));
        benchmark::DoNotOptimize(image.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(OpenCvBrightness24)->Unit(benchmark::kMicrosecond);

void OpenCvFalseColor(benchmark::State& state)
{
    const cv::Mat mono = RandomImage(CV_8U);
    const cv::Mat map = PaletteMap();
    cv::Mat colour;
    for (auto _ : state) {
        cv::applyColorMap(mono, colour, map);
        benchmark::DoNotOptimize(colour.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(OpenCvFalseColor)->Unit(benchmark::kMicrosecond);

void OpenCvFlip(benchmark::State& state)
{
    cv::Mat mono = RandomImage(CV_8U);
    for (auto _ : state) {
        cv::flip(mono, mono, -1);
        benchmark::DoNotOptimize(mono.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(OpenCvFlip)->Unit(benchmark::kMicrosecond);

// Colour mode 2 with every stage on (defect repair aside).
void OpenCvColourPipeline(benchmark::State& state)
{
    test::PipelineCamera p(2, kWidth, kHeight);
    bench::EveryStageOn(p);
    CQuelix& c = p.camera;
    const cv::Mat raw(kHeight, kWidth, CV_8U, c.Image(ImageRole::rawFrame)->pBits,
                      static_cast<size_t>(c.Image(ImageRole::rawFrame)->stride));
    const cv::Mat dark(kHeight, kWidth, CV_8U, c.Image(ImageRole::darkRef8)->pBits,
                       static_cast<size_t>(c.Image(ImageRole::darkRef8)->stride));
    const cv::Mat bright(kHeight, kWidth, CV_8U, c.Image(ImageRole::brightRef8)->pBits,
                         static_cast<size_t>(c.Image(ImageRole::brightRef8)->stride));
    cv::Mat span;
    cv::subtract(bright, dark, span, cv::noArray(), CV_16S);
    const cv::Mat map = PaletteMap();
    // Hue 30 degrees (of 256 steps in OpenCV's full-range HSV) and
    // saturation x (1 + 60 / 256) as one three-channel table.
    cv::Mat hsvLut(1, 256, CV_8UC3);
    for (int v = 0; v < 256; ++v) {
        hsvLut.at<cv::Vec3b>(v) =
            cv::Vec3b(static_cast<uint8_t>((v + 30 * 256 / 360) & 0xFF),
                      cv::saturate_cast<uint8_t>(v * (1 + 60 / 256.0)), static_cast<uint8_t>(v));
    }
    const cv::Mat gamma = Lut(GammaTable8(80));
    const cv::Mat contrast = Lut(ContrastTable8(20));
    const double s = 10 / 10.0;
    const double brightness = BrightnessFactor(30);
    cv::Mat work;
    cv::Mat numerator;
    cv::Mat colour;
    cv::Mat hsv;
    cv::Mat blurred;
    cv::Mat output;
    const cv::Rect windows[] = {
        {32, 25, 32, 26}, {32, 204, 32, 26}, {144, 115, 32, 26}, {256, 25, 32, 26}, {256, 204, 32, 26}};
    for (auto _ : state) {
        raw.copyTo(work);
        double measured = 0;
        for (const cv::Rect& window : windows)
            measured += cv::mean(work(window))[0];
        benchmark::DoNotOptimize(measured);
        cv::subtract(work, dark, numerator, cv::noArray(), CV_16S);
        cv::divide(numerator, span, work, 256, CV_8U);
        cv::flip(work, work, -1);
        cv::applyColorMap(work, colour, map);
        cv::cvtColor(colour, hsv, cv::COLOR_BGR2HSV_FULL);
        cv::LUT(hsv, hsvLut, hsv);
        cv::cvtColor(hsv, colour, cv::COLOR_HSV2BGR_FULL);
        cv::LUT(colour, gamma, colour);
        cv::LUT(colour, contrast, colour);
        cv::blur(colour, blurred, cv::Size(4, 4));
        cv::addWeighted(colour, 1 + s, blurred, -s, 0, output);
        output.convertTo(output, -1, brightness);
        benchmark::DoNotOptimize(output.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(OpenCvColourPipeline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quelix
