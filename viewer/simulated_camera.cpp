// SPDX-License-Identifier: MIT
#include "simulated_camera.h"

#include <stdlib.h>

#include <filesystem>

namespace quelix::viewer {

namespace {

// Where the library looks for camera nodes.
std::string DeviceDirectory()
{
    if (const char* directory = getenv("QUELIX_DEVICE_DIR"); directory != nullptr && *directory != '\0')
        return directory;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && *runtime != '\0' ? runtime : "/tmp") + "/quelix";
}

}  // namespace

SimulatedCamera::~SimulatedCamera()
{
    simulator_.reset();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

bool SimulatedCamera::StartUnlessAttached(int device, const std::string& scene, bool fast, std::string& error)
{
    std::error_code ignored;
    if (std::filesystem::exists(DeviceDirectory() + "/Qlix205KWMX-" + std::to_string(device), ignored))
        return true;
    std::string pattern = (std::filesystem::temp_directory_path(ignored) / "quelix-viewer-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a directory for the simulated camera";
        return false;
    }
    directory_ = pattern;
    setenv("QUELIX_DEVICE_DIR", directory_.c_str(), 1);
    sim::CameraOptions options;
    options.scene = scene;
    options.fast = fast;
    simulator_ = sim::CameraSimulator::Start({device}, options, directory_, &error);
    return simulator_ != nullptr;
}

}  // namespace quelix::viewer
