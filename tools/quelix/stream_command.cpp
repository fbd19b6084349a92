#include "quelix/stream_command.h"

#include <chrono>
#include <cstdio>

#include "quelix/camera_session.h"
#include "quelix/frame_statistics.h"

namespace quelix::tool {

namespace {

// The stream's running account, printed once a second.
struct Report {
    long frames = 0;
    long framesThisSecond = 0;
    DropCounter drops;
    SampleStatistics lastFrame;
    int fps10 = 0;
};

// `interval`: the seconds the frames of this report took.
void PrintReport(const Report& report, double seconds, double interval)
{
    std::printf("%7.1f s  %6.1f fps (camera %5.1f)  frames %7ld  dropped %6llu  mean %8.1f  min %5u  max %5u\n",
                seconds, interval > 0 ? report.framesThisSecond / interval : 0.0, report.fps10 / 10.0, report.frames,
                static_cast<unsigned long long>(report.drops.Dropped()), report.lastFrame.mean,
                report.lastFrame.minimum, report.lastFrame.maximum);
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
    const auto start = std::chrono::steady_clock::now();
    auto lastReport = start;
    const auto printReport = [&](std::chrono::steady_clock::time_point now) {
        PrintReport(report, std::chrono::duration<double>(now - start).count(),
                    std::chrono::duration<double>(now - lastReport).count());
        report.framesThisSecond = 0;
        lastReport = now;
    };
    while (!Interrupted() && (options.frames == 0 || report.frames < options.frames)) {
        const CameraEvent event = session.NextEvent(100);
        if (event.kind == CameraEvent::Frame) {
            ++report.frames;
            ++report.framesThisSecond;
            report.fps10 = event.info->fps10;
            report.drops.Add(event.trailer);
            report.lastFrame = MeasureFrame(session.Buffer().data(), event.info->width, event.info->height,
                                            session.Stride(), options.bits);
        } else if (event.EndsStream()) {
            exitCode = 1;
            break;
        }
        if (const auto now = std::chrono::steady_clock::now(); now - lastReport >= std::chrono::seconds(1))
            printReport(now);
    }
    printReport(std::chrono::steady_clock::now());
    Quelix_StopPreview(session.Camera());
    return exitCode;
}

}  // namespace quelix::tool
