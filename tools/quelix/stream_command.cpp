#include "quelix/stream_command.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
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
    if (!session.Open(options))
        return 1;
    const int32_t camera = session.camera;
    const QUELIX_HWND window = session.window;
    const int32_t bytesPerPixel = options.bits / 8;
    const int32_t stride = (session.width * bytesPerPixel + 3) & ~3;
    std::vector<uint8_t> buffer(static_cast<size_t>(stride) * static_cast<size_t>(session.height));

    CatchInterrupts();
    if (!Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1)) {
        std::fprintf(stderr, "quelix: the preview did not start (error %d)\n", Quelix_GetLastError(camera));
        return 1;
    }
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
        QUELIX_MSG msg{};
        if (QuelixPlatform_GetMessage(window, &msg, 100) == 1) {
            if (msg.message == QUELIX_WM_FRAME && msg.wParam != 0) {
                const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg.wParam);
                ++report.frames;
                ++report.framesThisSecond;
                report.fps10 = info->fps10;
                report.drops.Add(static_cast<uint16_t>(*reinterpret_cast<const int32_t*>(msg.lParam)));
                report.lastFrame = MeasureFrame(buffer.data(), info->width, info->height, stride, options.bits);
            } else if (msg.message == QUELIX_WM_FRAME || msg.message == QUELIX_WM_ERROR) {
                const long code = static_cast<long>(msg.lParam);
                std::fprintf(stderr, "quelix: camera error %ld\n", code);
                if (msg.message == QUELIX_WM_FRAME && code != QUELIX_ERR_OBJECTS) {
                    exitCode = 1;
                    break;
                }
            }
        }
        if (const auto now = std::chrono::steady_clock::now(); now - lastReport >= std::chrono::seconds(1))
            printReport(now);
    }
    printReport(std::chrono::steady_clock::now());
    Quelix_StopPreview(camera);
    return exitCode;
}

}  // namespace quelix::tool
