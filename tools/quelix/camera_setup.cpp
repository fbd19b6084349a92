#include "quelix/camera_setup.h"

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

void OnInterrupt(int)
{
    interrupted = true;
}

std::string DeviceDirectory()
{
    if (const char* directory = getenv("QUELIX_DEVICE_DIR"); directory != nullptr && *directory != '\0')
        return directory;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && *runtime != '\0' ? runtime : "/tmp") + "/quelix";
}

// Loads the mask file and switches shading correction and defect repair on.
bool ApplyMask(int32_t camera, const std::string& path)
{
    if (!Quelix_LoadMaskFile(camera, path.c_str())) {
        std::fprintf(stderr, "quelix: %s is not a mask file that can be read (error %d)\n", path.c_str(),
                     Quelix_GetLastError(camera));
        return false;
    }
    return Quelix_SetMaskFilter(camera, 1) && Quelix_SetDotFilter(camera, 1);
}

}  // namespace

SimulatedCamera::SimulatedCamera() = default;

SimulatedCamera::~SimulatedCamera()
{
    simulator_.reset();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

bool SimulatedCamera::StartIfAsked(const StreamOptions& options)
{
    const std::string node = DeviceDirectory() + "/Qlix205KWMX-" + std::to_string(options.device);
    if (!options.simulate || std::filesystem::exists(node))
        return true;
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
    if (simulator_ == nullptr) {
        std::fprintf(stderr, "quelix: simulated camera: %s\n", error.c_str());
        return false;
    }
    std::printf("simulated camera %d, scene %s\n", options.device, options.scene.c_str());
    return true;
}

bool ApplyCameraOptions(int32_t camera, const StreamOptions& options)
{
    const auto& w = options.captureWindow;
    const bool applied =
        (!w || Quelix_SetCaptureWindowEx(camera, 320, (*w)[0], (*w)[2], 256, (*w)[1], (*w)[3])) &&
        (!options.exposureMicroseconds ||
         Quelix_SetRealExposureTime(camera, *options.exposureMicroseconds)) &&
        Quelix_SetMirrorH(camera, options.mirrorH ? 1 : 0) &&
        Quelix_SetMirrorV(camera, options.mirrorV ? 1 : 0) &&
        Quelix_SetAutoIris(camera, options.autoExposure ? 1 : 0);
    if (!applied) {
        std::fprintf(stderr, "quelix: the camera refused a setting (error %d)\n",
                     Quelix_GetLastError(camera));
        return false;
    }
    return options.mask.empty() || ApplyMask(camera, options.mask);
}

void CatchInterrupts()
{
    signal(SIGINT, OnInterrupt);
    signal(SIGTERM, OnInterrupt);
}

bool Interrupted()
{
    return interrupted;
}

}  // namespace quelix::tool
