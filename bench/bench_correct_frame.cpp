// SPDX-License-Identifier: MIT
// CorrectFrame per colour mode with every stage on, on 320 x 256 frames, and
// the straightforward pipeline of the tests for comparison.
#include <benchmark/benchmark.h>

#include "../tests/support/pipeline_reference.h"
#include "pipeline_frames.h"

namespace quelix {
namespace {

void BM_CorrectFrame(benchmark::State& state)
{
    test::PipelineCamera p(static_cast<int32_t>(state.range(0)), bench::kWidth, bench::kHeight);
    bench::EveryStageOn(p);
    for (auto _ : state) {
        p.camera.CorrectFrame();
        benchmark::DoNotOptimize(p.Output()->pBits);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * bench::kWidth * bench::kHeight);
}

void BM_CorrectFrame_reference(benchmark::State& state)
{
    test::PipelineCamera p(static_cast<int32_t>(state.range(0)), bench::kWidth, bench::kHeight);
    bench::EveryStageOn(p);
    for (auto _ : state) {
        reference::CorrectFrame(p.camera);
        benchmark::DoNotOptimize(p.Output()->pBits);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * bench::kWidth * bench::kHeight);
}

BENCHMARK(BM_CorrectFrame)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CorrectFrame_reference)->Arg(0)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quelix
