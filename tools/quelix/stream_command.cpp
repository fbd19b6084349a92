#include "quelix/stream_command.h"

#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "quelix/frame_statistics.h"
#include "sim/camera_simulator.h"

namespace quelix::tool {

namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int) { interrupted = true; }

std::string DeviceDirectory()
{
    if (const char* directory = getenv("QUELIX_DEVICE_DIR"); directory != nullptr && *directory != '\0')
        return directory;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && *runtime != '\0' ? runtime : "/tmp") + "/quelix";
}

// A simulated camera for `--simulate` when no camera node exists: its own
// device directory, named by QUELIX_DEVICE_DIR for the library.
class SimulatedCamera {
public:
    bool Start(const StreamOptions& options)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quelix-stream-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::fprintf(stderr, "quelix: cannot make a directory for the simulated camera\n");
            return false;
        }
        directory_ = pattern;
        setenv("QUELIX_DEVICE_DIR", directory_.c_str(), 1);
        sim::CameraOptions cameraOptions;
        cameraOptions.scene = options.scene;
        std::string error;
        simulator_ = sim::CameraSimulator::Start({options.device}, cameraOptions, directory_, &error);
        if (simulator_ == nullptr)
            std::fprintf(stderr, "quelix: simulated camera: %s\n", error.c_str());
        return simulator_ != nullptr;
    }
    ~SimulatedCamera()
    {
        simulator_.reset();
        if (!directory_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(directory_, ignored);
        }
    }

private:
    std::string directory_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
};

bool DisplayAvailable()
{
    const char* display = getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

// The stream's running account, printed once a second.
struct Report {
    long frames = 0;
    long framesThisSecond = 0;
    DropCounter drops;           // since the stream last started
    uint64_t droppedBefore = 0;  // in earlier starts and the gaps between them
    std::optional<std::chrono::steady_clock::time_point> lostAt;  // while the stream is lost
    SampleStatistics lastFrame;
    int fps10 = 0;
};

// `interval`: the seconds the frames of this report took.
void PrintReport(const Report& report, double seconds, double interval)
{
    std::printf("%7.1f s  %6.1f fps (camera %5.1f)  frames %7ld  dropped %6llu  mean %8.1f  min %5u  max %5u\n",
                seconds, interval > 0 ? report.framesThisSecond / interval : 0.0, report.fps10 / 10.0, report.frames,
                static_cast<unsigned long long>(report.droppedBefore + report.drops.Dropped()), report.lastFrame.mean,
                report.lastFrame.minimum, report.lastFrame.maximum);
    std::fflush(stdout);
}

// The capture window, exposure, mirrors and automatic exposure of the options.
bool ApplyCameraOptions(int32_t camera, const StreamOptions& options)
{
    if (const auto& w = options.captureWindow;
        w && !Quelix_SetCaptureWindowEx(camera, 320, (*w)[0], (*w)[2], 256, (*w)[1], (*w)[3]))
        return false;
    if (options.exposureMicroseconds && !Quelix_SetRealExposureTime(camera, *options.exposureMicroseconds))
        return false;
    return Quelix_SetMirrorH(camera, options.mirrorH ? 1 : 0) && Quelix_SetMirrorV(camera, options.mirrorV ? 1 : 0) &&
           Quelix_SetAutoIris(camera, options.autoExposure ? 1 : 0);
}

// The stream was lost (the camera unplugged, stalled or failed): wait for
// the camera to answer again and start the stream with the same settings.
// The gap is told when the first frame arrives. false when interrupted first.
bool RideOutLoss(int32_t camera, QUELIX_HWND window, const StreamOptions& options, std::vector<uint8_t>& buffer,
                 Report& report)
{
    if (!report.lostAt) {
        report.lostAt = std::chrono::steady_clock::now();
        std::printf("stream lost: waiting for the camera to return\n");
        std::fflush(stdout);
    }
    Quelix_StopPreview(camera);
    for (;;) {
        QUELIX_MSG msg{};
        while (QuelixPlatform_GetMessage(window, &msg, 500) == 1) {
        }
        if (interrupted)
            return false;
        if (ApplyCameraOptions(camera, options) &&
            Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1) == 1)
            return true;
        Quelix_StopPreview(camera);
        while (Quelix_GetLastError(camera) != 0) {
        }
    }
}

// The first frame after a loss: the gap in time and, at the rate before it,
// in frames (the camera counts its frames afresh when it powers on).
void TellGap(Report& report, std::chrono::steady_clock::time_point start)
{
    const auto now = std::chrono::steady_clock::now();
    const double gap = std::chrono::duration<double>(now - *report.lostAt).count();
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
    SimulatedCamera simulated;
    const std::string node = DeviceDirectory() + "/Qlix205KWMX-" + std::to_string(options.device);
    if (options.simulate && !std::filesystem::exists(node)) {
        if (!simulated.Start(options))
            return 1;
        std::printf("simulated camera %d, scene %s\n", options.device, options.scene.c_str());
    }

    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    const int32_t camera = window != nullptr ? Quelix_Initialize(window) : 0;
    if (camera == 0) {
        std::fprintf(stderr, "quelix: cannot create a camera object\n");
        return 1;
    }
    std::printf("Quelix SDK %d, camera handle %d\n", Quelix_GetDllVersion(), camera);
    int exitCode = 1;
    char name[256] = {};
    if (!Quelix_SetDeviceNumber(camera, options.device)) {
        std::fprintf(stderr, "quelix: no camera at device number %d (error %d)%s\n", options.device,
                     Quelix_GetLastError(camera), options.simulate ? "" : "; try --simulate");
    } else if (!Quelix_SetColorMode(camera, options.bits)) {
        std::fprintf(stderr, "quelix: cannot use %d bits per pixel\n", options.bits);
    } else if (!ApplyCameraOptions(camera, options)) {
        std::fprintf(stderr, "quelix: the camera refused a setting (error %d)\n", Quelix_GetLastError(camera));
    } else {
        Quelix_GetDeviceName(camera, options.device, name, sizeof name);
        const bool show = options.showWindow || DisplayAvailable();
        const int32_t width = Quelix_Width(camera);
        const int32_t height = Quelix_Height(camera);
        Quelix_SetPreviewWindow(camera, nullptr, 0, 0, show ? width : 0, show ? height : 0);
        const int32_t bytesPerPixel = options.bits / 8;
        const int32_t stride = (width * bytesPerPixel + 3) & ~3;
        std::vector<uint8_t> buffer(static_cast<size_t>(stride) * static_cast<size_t>(height));
        std::printf("%s: %d x %d at %d bits per pixel%s\n", name, width, height, options.bits,
                    show ? ", preview window shown" : "");

        signal(SIGINT, OnInterrupt);
        signal(SIGTERM, OnInterrupt);
        if (!Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1)) {
            std::fprintf(stderr, "quelix: the preview did not start (error %d)\n", Quelix_GetLastError(camera));
        } else {
            exitCode = 0;
            Report report;
            const auto start = std::chrono::steady_clock::now();
            auto lastReport = start;
            const auto printReport = [&](std::chrono::steady_clock::time_point now) {
                PrintReport(report, std::chrono::duration<double>(now - start).count(),
                            std::chrono::duration<double>(now - lastReport).count());
                report.framesThisSecond = 0;
                lastReport = now;
            };
            while (!interrupted && (options.frames == 0 || report.frames < options.frames)) {
                QUELIX_MSG msg{};
                if (QuelixPlatform_GetMessage(window, &msg, 100) == 1) {
                    if (msg.message == QUELIX_WM_FRAME && msg.wParam != 0) {
                        const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg.wParam);
                        if (report.lostAt)
                            TellGap(report, start);
                        ++report.frames;
                        ++report.framesThisSecond;
                        report.fps10 = info->fps10;
                        report.drops.Add(static_cast<uint16_t>(*reinterpret_cast<const int32_t*>(msg.lParam)));
                        report.lastFrame = MeasureFrame(buffer.data(), info->width, info->height, stride, options.bits);
                    } else if (msg.message == QUELIX_WM_FRAME || msg.message == QUELIX_WM_ERROR) {
                        const long code = static_cast<long>(msg.lParam);
                        std::fprintf(stderr, "quelix: camera error %ld\n", code);
                        if (msg.message == QUELIX_WM_FRAME && code != QUELIX_ERR_OBJECTS) {
                            if (!RideOutLoss(camera, window, options, buffer, report)) {
                                exitCode = 1;
                                break;
                            }
                        }
                    }
                }
                if (const auto now = std::chrono::steady_clock::now(); now - lastReport >= std::chrono::seconds(1))
                    printReport(now);
            }
            printReport(std::chrono::steady_clock::now());
            Quelix_StopPreview(camera);
        }
    }
    Quelix_Release(camera);
    QuelixPlatform_DestroyWindow(window);
    return exitCode;
}

}  // namespace quelix::tool
