// SPDX-License-Identifier: MIT
#include "quelix/camera_setup.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

namespace quelix::tool {

std::string DeviceDirectory()
{
    if (const char* directory = getenv("QUELIX_DEVICE_DIR"); directory != nullptr && *directory != '\0')
        return directory;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && *runtime != '\0' ? runtime : "/tmp") + "/quelix";
}

bool InProcessSimulator::Start(int device, const std::string& scene)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quelix-camera-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "quelix: cannot make a directory for the simulated camera\n");
        return false;
    }
    directory_ = pattern;
    setenv("QUELIX_DEVICE_DIR", directory_.c_str(), 1);
    sim::CameraOptions cameraOptions;
    cameraOptions.scene = scene;
    std::string error;
    simulator_ = sim::CameraSimulator::Start({device}, cameraOptions, directory_, &error);
    if (simulator_ == nullptr)
        std::fprintf(stderr, "quelix: simulated camera: %s\n", error.c_str());
    return simulator_ != nullptr;
}

InProcessSimulator::~InProcessSimulator()
{
    simulator_.reset();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

const sim::SimulatedCamera* InProcessSimulator::Camera(int device) const
{
    return simulator_ != nullptr ? simulator_->Camera(device) : nullptr;
}

bool StartSimulatedIfAsked(InProcessSimulator& simulated, bool simulate, int device, const std::string& scene,
                           bool report)
{
    // A camera the system's driver serves counts as attached too.
    const std::string name = "Qlix205KWMX-" + std::to_string(device);
    const bool chosen = getenv("QUELIX_DEVICE_DIR") != nullptr && *getenv("QUELIX_DEVICE_DIR") != '\0';
    const bool attached = std::filesystem::exists(DeviceDirectory() + "/" + name) ||
                          (!chosen && std::filesystem::exists(std::string("/run/quelix/") + name));
    if (!simulate || attached)
        return true;
    if (!simulated.Start(device, scene))
        return false;
    if (report)
        std::printf("simulated camera %d, scene %s\n", device, scene.c_str());
    return true;
}

bool DisplayAvailable()
{
    const char* display = getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

}  // namespace quelix::tool
