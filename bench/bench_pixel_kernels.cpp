// SPDX-License-Identifier: MIT
// The pixel kernels on one 320 x 256 frame through CDibImage::Convert, as
// the correction pipeline runs them; a few against the straightforward
// versions of the tests.
#include <benchmark/benchmark.h>

#include <random>

#include "../tests/support/pipeline_reference.h"
#include "pipeline/false_color.h"
#include "pipeline/mirror.h"
#include "pipeline/pixel_kernels.h"
#include "pipeline_frames.h"

namespace quelix {
namespace {

using bench::kHeight;
using bench::kWidth;

void Finish(benchmark::State& state, const CDibImage& image)
{
    benchmark::DoNotOptimize(image.pBits);
    benchmark::ClobberMemory();
    (void)state;
}

// An in-place kernel (or, with a separate source, Sharpen) over a frame of
// the depth, restored from a copy before each run so that every run sees the
// same picture.
void RunKernel(benchmark::State& state, ConvertKernel kernel, int bits, const void* params,
               bool separateSource)
{
    CDibImage frame;
    CDibImage pristine;
    frame.Create(kWidth, kHeight, bits);
    std::mt19937 random(1);
    if (bits == 8 || bits == 16)
        bench::FillScene(frame, random);
    else if (bits == 24 || bits == 32)
        test::FillRandom(frame, random);
    else
        test::FillRandom16(frame, random, 0x1000);
    pristine.CreateLike(&frame);
    std::memcpy(pristine.pBits, frame.pBits, static_cast<size_t>(frame.stride) * kHeight);
    const auto bytes = static_cast<size_t>(frame.stride) * kHeight;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(frame.pBits, pristine.pBits, bytes);
        state.ResumeTiming();
        frame.Convert(kernel, separateSource ? &pristine : &frame, nullptr, 0, 0, params);
        Finish(state, frame);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

const LevelParams kGamma{70, 14};
const LevelParams kContrast{30, 14};
const LevelParams kSharpness{10, 14};
const LevelParams kBrightness{40, 14};
const HueSatParams kHueSat{45, 0, 80, 14};
const GrayParams kGray{0, 150, 128, 128, 110, 0, 0, 0, 0};

#define QUELIX_BENCH_KERNEL(name, bits, params, separate) \
    BENCHMARK_CAPTURE(RunKernel, name, name, bits, params, separate)->Unit(benchmark::kMicrosecond)

QUELIX_BENCH_KERNEL(Gamma8, 8, &kGamma, false);
QUELIX_BENCH_KERNEL(Gamma16, 16, &kGamma, false);
QUELIX_BENCH_KERNEL(Gamma24, 24, &kGamma, false);
QUELIX_BENCH_KERNEL(Gamma48, 48, &kGamma, false);
QUELIX_BENCH_KERNEL(Contrast8, 8, &kContrast, false);
QUELIX_BENCH_KERNEL(Contrast16, 16, &kContrast, false);
QUELIX_BENCH_KERNEL(Contrast24, 24, &kContrast, false);
QUELIX_BENCH_KERNEL(Contrast48, 48, &kContrast, false);
QUELIX_BENCH_KERNEL(Sharpen8, 8, &kSharpness, true);
QUELIX_BENCH_KERNEL(Sharpen16, 16, &kSharpness, true);
QUELIX_BENCH_KERNEL(Sharpen24, 24, &kSharpness, true);
QUELIX_BENCH_KERNEL(Sharpen48, 48, &kSharpness, true);
QUELIX_BENCH_KERNEL(Brightness8, 8, &kBrightness, false);
QUELIX_BENCH_KERNEL(Brightness16, 16, &kBrightness, false);
QUELIX_BENCH_KERNEL(Brightness24, 24, &kBrightness, false);
QUELIX_BENCH_KERNEL(Brightness48, 48, &kBrightness, false);
QUELIX_BENCH_KERNEL(HueSat24, 24, &kHueSat, false);
QUELIX_BENCH_KERNEL(HueSat48, 48, &kHueSat, false);
QUELIX_BENCH_KERNEL(GrayBalanceApply, 8, &kGray, false);
QUELIX_BENCH_KERNEL(Restride8, 8, nullptr, false);
QUELIX_BENCH_KERNEL(Restride16, 16, nullptr, false);
BENCHMARK_CAPTURE(RunKernel, Gamma24_reference, reference::Gamma24, 24, &kGamma, false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunKernel, Sharpen24_reference, reference::Sharpen24, 24, &kSharpness, true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunKernel, HueSat24_reference, reference::HueSat24, 24, &kHueSat, false)
    ->Unit(benchmark::kMicrosecond);

// Kernels that read without writing, or write another depth.
void BM_Mean(benchmark::State& state, ConvertKernel kernel, int bits)
{
    CDibImage frame;
    frame.Create(kWidth, kHeight, bits);
    std::mt19937 random(1);
    bench::FillScene(frame, random);
    const Rect window{0, 0, kWidth, kHeight};
    for (auto _ : state)
        benchmark::DoNotOptimize(frame.Convert(kernel, &frame, &window, 0, 0));
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK_CAPTURE(BM_Mean, Mean8, Mean8, 8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Mean, Mean16, Mean16, 16)->Unit(benchmark::kMicrosecond);

void BM_GrayBalanceMeasure(benchmark::State& state)
{
    CDibImage frame;
    frame.Create(kWidth, kHeight, 8);
    std::mt19937 random(1);
    bench::FillScene(frame, random);
    for (auto _ : state) {
        GrayParams params = kGray;
        frame.Convert(GrayBalanceMeasure, &frame, nullptr, 0, 0, &params);
        benchmark::DoNotOptimize(params);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_GrayBalanceMeasure)->Unit(benchmark::kMicrosecond);

void BM_BgrToGray(benchmark::State& state)
{
    CDibImage colour;
    CDibImage gray;
    colour.Create(kWidth, kHeight, 24);
    gray.Create(kWidth, kHeight, 8);
    std::mt19937 random(1);
    test::FillRandom(colour, random);
    for (auto _ : state) {
        gray.Convert(BgrToGray, &colour, nullptr, 0, 0);
        Finish(state, gray);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_BgrToGray)->Unit(benchmark::kMicrosecond);

void BM_FalseColor(benchmark::State& state)
{
    const auto sourceBits = static_cast<int>(state.range(0));
    const auto destinationBits = static_cast<int>(state.range(1));
    CDibImage mono;
    CDibImage colour;
    mono.Create(kWidth, kHeight, sourceBits);
    colour.Create(kWidth, kHeight, destinationBits);
    std::mt19937 random(1);
    bench::FillScene(mono, random);
    for (auto _ : state) {
        FalseColor(&colour, &mono);
        Finish(state, colour);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_FalseColor)
    ->Args({8, 24})
    ->Args({8, 32})
    ->Args({16, 48})
    ->Args({16, 64})
    ->Unit(benchmark::kMicrosecond);

// Both mirrors together: the 180-degree turn of an 8-bit work image.
void BM_MirrorImage(benchmark::State& state)
{
    CDibImage frame;
    frame.Create(kWidth, kHeight, 8);
    std::mt19937 random(1);
    bench::FillScene(frame, random);
    for (auto _ : state) {
        MirrorImage(frame, true, true);
        Finish(state, frame);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_MirrorImage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quelix
