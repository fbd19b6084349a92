// SPDX-License-Identifier: MIT
// Cost of the call frame every export pays (finding the camera by handle)
// and of posting a notification to an application's message window.
#include <benchmark/benchmark.h>

#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"

namespace {

void BM_ExportCallFrame(benchmark::State& state)
{
    std::vector<int32_t> handles;
    for (int i = 0; i < state.range(0); ++i)
        handles.push_back(Quelix_Initialize(nullptr));
    size_t next = 0;
    for (auto _ : state) {
        // Alternate between cameras so that every lookup rotates the ring.
        benchmark::DoNotOptimize(Quelix_GetLastError(handles[next]));
        next = (next + 1) % handles.size();
    }
    for (int32_t handle : handles)
        Quelix_Release(handle);
}
BENCHMARK(BM_ExportCallFrame)->Arg(1)->Arg(4)->Arg(16);

void BM_PostAndTakeMessage(benchmark::State& state)
{
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    QUELIX_MSG msg;
    for (auto _ : state) {
        QuelixPlatform_PostMessage(window, QUELIX_WM_FRAME, 1, 2);
        QuelixPlatform_PeekMessage(window, &msg);
    }
    QuelixPlatform_DestroyWindow(window);
}
BENCHMARK(BM_PostAndTakeMessage);

}  // namespace
