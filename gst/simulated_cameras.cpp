// SPDX-License-Identifier: MIT
#include "simulated_cameras.h"

#include <stdlib.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "sim/camera_simulator.h"

namespace quelix::gst {

class SimulatedCameraLease {
public:
    explicit SimulatedCameraLease(std::unique_ptr<sim::CameraSimulator> simulator)
        : simulator_(std::move(simulator))
    {
    }

private:
    std::unique_ptr<sim::CameraSimulator> simulator_;  // null: the node was there already
};

namespace {

std::mutex leasesLock;
std::map<int, std::weak_ptr<SimulatedCameraLease>> leases;  // under leasesLock

// Where the library looks for camera nodes.
std::string DeviceDirectory()
{
    if (const char* directory = getenv("QUELIX_DEVICE_DIR"); directory != nullptr && *directory != '\0')
        return directory;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && *runtime != '\0' ? runtime : "/tmp") + "/quelix";
}

}  // namespace

std::shared_ptr<SimulatedCameraLease> LeaseSimulatedCamera(int device, std::string* error)
{
    std::lock_guard<std::mutex> guard(leasesLock);
    if (std::shared_ptr<SimulatedCameraLease> lease = leases[device].lock())
        return lease;
    const std::string directory = DeviceDirectory();
    std::shared_ptr<SimulatedCameraLease> lease;
    std::error_code ignored;
    if (std::filesystem::exists(directory + "/Qlix205KWMX-" + std::to_string(device), ignored)) {
        lease = std::make_shared<SimulatedCameraLease>(nullptr);
    } else {
        sim::CameraOptions options;
        options.scene = "moving";
        std::unique_ptr<sim::CameraSimulator> simulator =
            sim::CameraSimulator::Start({device}, options, directory, error);
        if (simulator == nullptr)
            return nullptr;
        lease = std::make_shared<SimulatedCameraLease>(std::move(simulator));
    }
    leases[device] = lease;
    return lease;
}

}  // namespace quelix::gst
