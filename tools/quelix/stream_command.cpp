// SPDX-License-Identifier: MIT
#include "quelix/stream_command.h"

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

#include "quelix/camera_session.h"
#include "quelix/frame_statistics.h"

namespace quelix::tool {

namespace {

using Clock = std::chrono::steady_clock;

// The stream's running account, printed once a second.
struct Report {
    long frames = 0;
    long framesThisSecond = 0;
    DropCounter drops;                        // since the stream last started
    uint64_t droppedBefore = 0;               // in earlier starts and the gaps between them
    std::optional<Clock::time_point> lostAt;  // while the stream is lost
    SampleStatistics lastFrame;
    int fps10 = 0;
    bool latency = false;
    LatencyWindow latencies;
};

uint64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
}

// Where the latency of a frame counts from: the moment the simulated camera
// finished it, or else the moment the library held the whole frame; nullopt
// when that is no longer known.
std::optional<uint64_t> LatencyOrigin(const CameraSession& session, uint16_t trailer)
{
    if (const sim::SimulatedCamera* simulated = session.Simulated())
        return simulated->FrameCompletedNs(trailer);
    QUELIX_FRAME_TIMES times{};
    if (QuelixPlatform_GetFrameTimes(session.Camera(), trailer, &times) != 1)
        return std::nullopt;
    return times.arrived;
}

// `interval`: the seconds the frames of this report took.
void PrintReport(Report& report, double seconds, double interval)
{
    std::printf("%7.1f s  %6.1f fps (camera %5.1f)  frames %7ld  dropped %6llu  mean %8.1f  min %5u  max %5u",
                seconds, interval > 0 ? report.framesThisSecond / interval : 0.0, report.fps10 / 10.0,
                report.frames, static_cast<unsigned long long>(report.droppedBefore + report.drops.Dropped()),
                report.lastFrame.mean, report.lastFrame.minimum, report.lastFrame.maximum);
    if (report.latency) {
        const LatencyWindow::Summary latency = report.latencies.Take();
        if (latency.frames == 0)
            std::printf("  latency ms: no frames");
        else
            std::printf("  latency ms p50 %6.3f p99 %6.3f p99.9 %6.3f", latency.medianMs, latency.p99Ms,
                        latency.p999Ms);
    }
    std::printf("\n");
    std::fflush(stdout);
}

// The first frame after a loss: the gap in time and, at the rate before it,
// in frames (the camera counts its frames afresh when it powers on).
void TellGap(Report& report, Clock::time_point start)
{
    const double gap = std::chrono::duration<double>(Clock::now() - *report.lostAt).count();
    const double before = std::chrono::duration<double>(*report.lostAt - start).count();
    const long missed = before > 0 ? std::lround(gap * static_cast<double>(report.frames) / before) : 0;
    report.droppedBefore += report.drops.Dropped() + static_cast<uint64_t>(missed);
    report.drops = DropCounter{};
    report.lostAt.reset();
    std::printf("stream back after %.1f s, about %ld frames dropped in the gap\n", gap, missed);
    std::fflush(stdout);
}

}  // namespace

int RunStream(const StreamOptions& options)
{
    CameraSession session;
    if (!session.Open(options, true))
        return 1;
    CatchInterrupts();
    if (!session.StartPreview())
        return 1;
    int exitCode = 0;
    Report report;
    report.latency = options.latency;
    const auto start = Clock::now();
    auto lastReport = start;
    const auto printReport = [&](Clock::time_point now) {
        PrintReport(report, std::chrono::duration<double>(now - start).count(),
                    std::chrono::duration<double>(now - lastReport).count());
        report.framesThisSecond = 0;
        lastReport = now;
    };
    while (!Interrupted() && (options.frames == 0 || report.frames < options.frames)) {
        const CameraEvent event = session.NextEvent(100);
        if (event.kind == CameraEvent::Frame) {
            const uint64_t received = MonotonicNs();
            if (report.lostAt)
                TellGap(report, start);
            ++report.frames;
            ++report.framesThisSecond;
            report.fps10 = event.info->fps10;
            report.drops.Add(event.trailer);
            if (report.latency) {
                if (const std::optional<uint64_t> origin = LatencyOrigin(session, event.trailer))
                    report.latencies.Add(static_cast<double>(static_cast<int64_t>(received - *origin)) / 1e6);
            }
            report.lastFrame = MeasureFrame(session.Buffer().data(), event.info->width, event.info->height,
                                            session.Stride(), options.bits);
        } else if (event.EndsStream()) {
            // The camera was unplugged, stalled or failed: wait for it and stream again.
            if (!report.lostAt) {
                report.lostAt = Clock::now();
                std::printf("stream lost: waiting for the camera to return\n");
                std::fflush(stdout);
            }
            if (!session.RestartPreviewWhenBack()) {
                exitCode = 1;
                break;
            }
        }
        if (const auto now = Clock::now(); now - lastReport >= std::chrono::seconds(1))
            printReport(now);
    }
    printReport(Clock::now());
    Quelix_StopPreview(session.Camera());
    return exitCode;
}

}  // namespace quelix::tool
