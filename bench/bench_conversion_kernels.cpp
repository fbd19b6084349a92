// SPDX-License-Identifier: MIT
// Conversion kernels on a frame of the sensor's size (320 x 256), through
// CDibImage::Convert and StretchConvert as display, saving and recording run
// them; a few against the straightforward reference versions of the tests.
#include <benchmark/benchmark.h>

#include <random>

#include "../tests/image/kernel_reference.h"
#include "image/conversion_kernels.h"
#include "image/dib_image.h"

namespace quelix {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 256;

void FillRandom(CDibImage& image)
{
    std::mt19937 random(1);
    for (int32_t i = 0; i < image.stride * image.height; ++i)
        image.pBits[i] = static_cast<uint8_t>(random());
}

void RunConvert(benchmark::State& state, ConvertKernel kernel, int sourceBits, int destBits)
{
    CDibImage source;
    CDibImage dest;
    source.Create(kWidth, kHeight, sourceBits);
    dest.Create(kWidth, kHeight, destBits);
    FillRandom(source);
    for (auto _ : state) {
        dest.Convert(kernel, &source, nullptr, 0, 0);
        benchmark::DoNotOptimize(dest.pBits);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void RunScale(benchmark::State& state, ScaleKernel kernel, int bits)
{
    CDibImage source;
    CDibImage dest;
    source.Create(kWidth, kHeight, bits);
    dest.Create(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), bits);
    FillRandom(source);
    for (auto _ : state) {
        dest.StretchConvert(kernel, &source);
        benchmark::DoNotOptimize(dest.pBits);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

// Reference scalers have the scaling signature but no Convert of their own.
ScaleKernel ReferenceScale8 = reference::Scale8Nearest;
ScaleKernel ReferenceScale24 = reference::Scale24Nearest;

BENCHMARK_CAPTURE(RunConvert, Gray16To8Shr6, Gray16To8Shr6, 16, 8);
BENCHMARK_CAPTURE(RunConvert, Gray16To8Shr6_reference, reference::Gray16To8Shr6, 16, 8);
BENCHMARK_CAPTURE(RunConvert, Gray16To8Shr6Flip, Gray16To8Shr6Flip, 16, 8);
BENCHMARK_CAPTURE(RunConvert, Gray16Shl2, Gray16Shl2, 16, 16);
BENCHMARK_CAPTURE(RunConvert, Bgr24Copy_32to24, Bgr24Copy, 32, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr24Copy_32to24_reference, reference::Bgr24Copy, 32, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr24CopyFlip_24to24, Bgr24CopyFlip, 24, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr24Swap_24, Bgr24Swap, 24, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr24Swap_32, Bgr24Swap, 32, 32);
BENCHMARK_CAPTURE(RunConvert, Bgra32InvertX, Bgra32InvertX, 32, 32);
BENCHMARK_CAPTURE(RunConvert, Bgr48To24Shr6_48, Bgr48To24Shr6, 48, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr48To24Shr6_64, Bgr48To24Shr6, 64, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr48To24Shr6_48_reference, reference::Bgr48To24Shr6, 48, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr48To24Flip_48, Bgr48To24Flip, 48, 24);
BENCHMARK_CAPTURE(RunConvert, Bgr48Shl2, Bgr48Shl2, 48, 48);
BENCHMARK_CAPTURE(RunConvert, Bgr48Shl2Swap, Bgr48Shl2Swap, 48, 48);
BENCHMARK_CAPTURE(RunConvert, Bgra64Shl2, Bgra64Shl2, 64, 64);
BENCHMARK_CAPTURE(RunConvert, Bgra64Shl2Swap, Bgra64Shl2Swap, 64, 64);
BENCHMARK_CAPTURE(RunConvert, RowCopyFlip_24, RowCopyFlip, 24, 24);

BENCHMARK_CAPTURE(RunScale, Scale8Nearest, Scale8Nearest, 8)
    ->Args({640, 512})
    ->Args({160, 128})
    ->Args({1000, 800});
BENCHMARK_CAPTURE(RunScale, Scale8Nearest_reference, ReferenceScale8, 8)->Args({640, 512});
BENCHMARK_CAPTURE(RunScale, Scale24Nearest, Scale24Nearest, 24)
    ->Args({640, 512})
    ->Args({160, 128})
    ->Args({1000, 800});
BENCHMARK_CAPTURE(RunScale, Scale24Nearest_reference, ReferenceScale24, 24)->Args({640, 512});

}  // namespace
}  // namespace quelix
