#include "quelix/camera_session.h"

#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "QuelixSdk_205KWMX.h"
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

bool DisplayAvailable()
{
    const char* display = getenv("DISPLAY");
    return display != nullptr && *display != '\0';
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

}  // namespace

// A simulated camera in a device directory of its own, named by
// QUELIX_DEVICE_DIR for the library.
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

CameraSession::CameraSession() = default;

CameraSession::~CameraSession()
{
    if (camera != 0)
        Quelix_Release(camera);
    if (window != nullptr)
        QuelixPlatform_DestroyWindow(window);
}

bool CameraSession::Open(const StreamOptions& options)
{
    const std::string node = DeviceDirectory() + "/Qlix205KWMX-" + std::to_string(options.device);
    if (options.simulate && !std::filesystem::exists(node)) {
        simulated_ = std::make_unique<SimulatedCamera>();
        if (!simulated_->Start(options))
            return false;
        std::printf("simulated camera %d, scene %s\n", options.device, options.scene.c_str());
    }

    window = QuelixPlatform_CreateMessageWindow();
    camera = window != nullptr ? Quelix_Initialize(window) : 0;
    if (camera == 0) {
        std::fprintf(stderr, "quelix: cannot create a camera object\n");
        return false;
    }
    std::printf("Quelix SDK %d, camera handle %d\n", Quelix_GetDllVersion(), camera);
    if (!Quelix_SetDeviceNumber(camera, options.device)) {
        std::fprintf(stderr, "quelix: no camera at device number %d (error %d)%s\n", options.device,
                     Quelix_GetLastError(camera), options.simulate ? "" : "; try --simulate");
        return false;
    }
    if (!Quelix_SetColorMode(camera, options.bits)) {
        std::fprintf(stderr, "quelix: cannot use %d bits per pixel\n", options.bits);
        return false;
    }
    if (!ApplyCameraOptions(camera, options)) {
        std::fprintf(stderr, "quelix: the camera refused a setting (error %d)\n", Quelix_GetLastError(camera));
        return false;
    }
    char deviceName[256] = {};
    Quelix_GetDeviceName(camera, options.device, deviceName, sizeof deviceName);
    name = deviceName;
    show = options.showWindow || DisplayAvailable();
    width = Quelix_Width(camera);
    height = Quelix_Height(camera);
    Quelix_SetPreviewWindow(camera, nullptr, 0, 0, show ? width : 0, show ? height : 0);
    std::printf("%s: %d x %d at %d bits per pixel%s\n", name.c_str(), width, height, options.bits,
                show ? ", preview window shown" : "");
    return true;
}

void CatchInterrupts()
{
    signal(SIGINT, OnInterrupt);
    signal(SIGTERM, OnInterrupt);
}

bool Interrupted() { return interrupted; }

}  // namespace quelix::tool
