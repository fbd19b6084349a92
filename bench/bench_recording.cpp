// SPDX-License-Identifier: MIT
// AVI recording from a simulated camera through the exports: at the camera's
// own frame rate, how many of the frames the capture engine finished reach
// the file, and the CPU time a recorded frame costs beyond the preview; and
// with a camera in fast mode and no pause in the preview loop, the highest
// rate the recording sustains onto the disk of the temporary directory.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"
#include "bench_camera.h"

namespace quelix {
namespace {

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A camera on a simulated camera, with a registry and shared table of its own.
class RecordingBench {
public:
    explicit RecordingBench(bool fast) : simulated_({0}, fast, false, "moving")
    {
        setenv("QUELIX_REGISTRY", (simulated_.Directory() + "/registry.reg").c_str(), 1);
        setenv("QUELIX_SHM_NAME", "quelix-bench-recording", 1);
        window_ = QuelixPlatform_CreateMessageWindow();
        camera = Quelix_Initialize(window_);
        Quelix_SetDeviceNumber(camera, 0);
        Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0);
    }
    ~RecordingBench()
    {
        Quelix_Release(camera);
        QuelixPlatform_DestroyWindow(window_);
        std::filesystem::remove(std::filesystem::path("/dev/shm/quelix-bench-recording"));
    }
    std::string File() const { return simulated_.Directory() + "/bench.avi"; }
    bool Ready() const { return simulated_.Started() && camera != 0; }
    // Waits until the record thread has ended.
    void WaitForTheEnd()
    {
        while (CallCamera(camera, 0, [](CQuelix& object) { return object.recording.load(); }) != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    uint32_t Skipped()
    {
        return CallCamera(camera, 0u, [](CQuelix& object) { return object.recordSkippedFrames.load(); });
    }

    int32_t camera = 0;

private:
    bench::BenchCamera simulated_;
    QUELIX_HWND window_ = nullptr;
};

uint32_t FramesInFile(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    uint8_t header[52] = {};
    const bool read = file != nullptr && std::fread(header, 1, sizeof header, file) == sizeof header;
    if (file != nullptr)
        std::fclose(file);
    return read ? static_cast<uint32_t>(header[48] | header[49] << 8 | header[50] << 16 | header[51] << 24)
                : 0;
}

// A 10 s recording at the camera's frame rate, 8 bits per pixel.
void BM_RecordAtCameraRate(benchmark::State& state)
{
    RecordingBench bench(false);
    if (!bench.Ready()) {
        state.SkipWithError("no camera");
        return;
    }
    for (auto _ : state) {
        // The preview alone for a while: the CPU time it costs per second.
        Quelix_StartPreview(bench.camera);
        const double previewCpu = ProcessCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const double previewCpuPerSecond = (ProcessCpuSeconds() - previewCpu) / 5;

        const double recordCpu = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        Quelix_Record(bench.camera, bench.File().c_str(), 10000, 0);
        bench.WaitForTheEnd();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = ProcessCpuSeconds() - recordCpu - previewCpuPerSecond * seconds;
        Quelix_StopPreview(bench.camera);

        const uint32_t frames = FramesInFile(bench.File());
        const uint32_t finished = frames + bench.Skipped();
        state.counters["frames_in_file"] = frames;
        state.counters["frames_finished"] = finished;
        state.counters["kept_percent"] = finished > 0 ? 100.0 * frames / finished : 0;
        state.counters["record_cpu_us_per_frame"] = frames > 0 ? cpu / frames * 1e6 : 0;
    }
}
BENCHMARK(BM_RecordAtCameraRate)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Frames as fast as the engine finishes them (fast camera, no pause between
// preview turns), recorded for 5 s.
void BM_RecordFastMode(benchmark::State& state)
{
    RecordingBench bench(true);
    if (!bench.Ready()) {
        state.SkipWithError("no camera");
        return;
    }
    Quelix_SetColorMode(bench.camera, static_cast<int32_t>(state.range(0)));
    Quelix_SetWaitTime(bench.camera, 0);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Quelix_Record(bench.camera, bench.File().c_str(), 5000, 0);
        bench.WaitForTheEnd();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Quelix_StopPreview(bench.camera);
        const uint32_t frames = FramesInFile(bench.File());
        const uint32_t finished = frames + bench.Skipped();
        state.counters["frames_per_s"] = frames / seconds;
        state.counters["MB_per_s"] =
            static_cast<double>(std::filesystem::file_size(bench.File())) / 1e6 / seconds;
        state.counters["kept_percent"] = finished > 0 ? 100.0 * frames / finished : 0;
    }
}
BENCHMARK(BM_RecordFastMode)
    ->Arg(8)
    ->Arg(16)
    ->Arg(64)
    ->ArgName("bits")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
}  // namespace quelix
