// SPDX-License-Identifier: MIT
// The cost of quelixsrc per frame beside the C callback preview of the same
// frames: process CPU time per frame, and the time from the moment the
// library held a frame to the moment the element pushed its buffer (or the
// application received the frame's message). One simulated camera in the
// process at the sensor's rate (about 100 frames per second) or in fast
// mode; 16-bit frames of the full sensor, "moving" scene.
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "bench_camera.h"

namespace quelix {
namespace {

constexpr int kFrames = 300;

uint64_t ClockNs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

void Report(benchmark::State& state, const std::vector<double>& latencies, uint64_t cpuNs, long frames)
{
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["cpu_us_per_frame"] = frames > 0 ? static_cast<double>(cpuNs) / 1e3 / frames : 0;
    state.counters["latency_p50_us"] = Percentile(latencies, 0.5);
    state.counters["latency_p99_us"] = Percentile(latencies, 0.99);
}

bool LoadPlugin()
{
    static std::once_flag once;
    static bool loaded = false;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        GstPlugin* plugin = gst_plugin_load_file(QUELIX_GST_PLUGIN, nullptr);
        loaded = plugin != nullptr;
        if (plugin != nullptr)
            gst_object_unref(plugin);
    });
    return loaded;
}

struct Probe {
    std::vector<double> latencies;  // microseconds, held -> pushed
    long frames = 0;
    GstElement* source = nullptr;
};

// On the streaming thread as each buffer is pushed: its PTS is the moment
// the library held the frame on the pipeline clock (the system clock, the
// monotonic clock).
GstPadProbeReturn OnBuffer(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto& probe = *static_cast<Probe*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const GstClockTime held = GST_BUFFER_PTS(buffer) + gst_element_get_base_time(probe.source);
    probe.latencies.push_back(static_cast<double>(static_cast<int64_t>(ClockNs(CLOCK_MONOTONIC) - held)) /
                              1e3);
    ++probe.frames;
    return GST_PAD_PROBE_OK;
}

void BM_QuelixSrc(benchmark::State& state)
{
    const bool fast = state.range(0) != 0;
    bench::BenchCamera camera({0}, fast, true, "moving");
    if (!camera.Started() || !LoadPlugin()) {
        state.SkipWithError("no simulated camera or no plugin");
        return;
    }
    for (auto _ : state) {
        GError* error = nullptr;
        GstElement* pipeline =
            gst_parse_launch(("quelixsrc name=source num-buffers=" + std::to_string(kFrames) +
                              " ! video/x-raw,format=GRAY16_LE ! fakesink sync=false")
                                 .c_str(),
                             &error);
        if (pipeline == nullptr) {
            state.SkipWithError(error != nullptr ? error->message : "no pipeline");
            return;
        }
        Probe probe;
        probe.source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
        GstPad* pad = gst_element_get_static_pad(probe.source, "src");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnBuffer, &probe, nullptr);
        gst_object_unref(pad);
        const uint64_t cpuBefore = ClockNs(CLOCK_PROCESS_CPUTIME_ID);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* end = gst_bus_timed_pop_filtered(
            bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        const uint64_t cpuNs = ClockNs(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore;
        if (end != nullptr)
            gst_message_unref(end);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(probe.source);
        gst_object_unref(pipeline);
        Report(state, probe.latencies, cpuNs, probe.frames);
    }
}
BENCHMARK(BM_QuelixSrc)->ArgName("fast")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// The same frames through the C interface: the callback preview into the
// application's buffer, the application waiting for each message.
void BM_CallbackPreview(benchmark::State& state)
{
    const bool fast = state.range(0) != 0;
    bench::BenchCamera camera({0}, fast, true, "moving");
    if (!camera.Started()) {
        state.SkipWithError(camera.Error().c_str());
        return;
    }
    for (auto _ : state) {
        QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
        const int32_t handle = Quelix_Initialize(window);
        std::vector<uint8_t> buffer(QUELIX_STRIDE(320, 16) * 256);
        const uint64_t cpuBefore = ClockNs(CLOCK_PROCESS_CPUTIME_ID);
        if (!Quelix_SetDeviceNumber(handle, 0) || !Quelix_SetColorMode(handle, 16) ||
            !Quelix_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0) || !Quelix_SetWaitTime(handle, 0) ||
            !Quelix_CallBackPreview(handle, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1)) {
            state.SkipWithError("the preview did not start");
            return;
        }
        std::vector<double> latencies;
        long frames = 0;
        for (QUELIX_MSG msg{}; frames < kFrames && QuelixPlatform_GetMessage(window, &msg, 10'000) == 1;) {
            if (msg.message != QUELIX_WM_FRAME || msg.wParam == 0)
                continue;
            const uint64_t received = ClockNs(CLOCK_MONOTONIC);
            const auto trailer = static_cast<uint32_t>(
                __atomic_load_n(reinterpret_cast<const int32_t*>(msg.lParam), __ATOMIC_SEQ_CST) & 0xFFFF);
            QUELIX_FRAME_TIMES times{};
            if (QuelixPlatform_GetFrameTimes(handle, trailer, &times) == 1)
                latencies.push_back(static_cast<double>(static_cast<int64_t>(received - times.arrived)) /
                                    1e3);
            ++frames;
        }
        Quelix_StopPreview(handle);
        const uint64_t cpuNs = ClockNs(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore;
        Quelix_Release(handle);
        QuelixPlatform_DestroyWindow(window);
        Report(state, latencies, cpuNs, frames);
    }
}
BENCHMARK(BM_CallbackPreview)->ArgName("fast")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelix
