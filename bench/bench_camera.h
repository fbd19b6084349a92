// SPDX-License-Identifier: MIT
// Simulated cameras for benchmarks, in a device directory of their own that
// QUELIX_DEVICE_DIR names while they live; the library's registry file and
// shared-memory name are private to them too.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/camera_simulator.h"

namespace quelix::bench {

class BenchCamera {
public:
    // One camera at device number 0 in fast mode.
    explicit BenchCamera(bool noise, const std::string& scene = "flat");
    // Cameras at these device numbers; `fast` false: at the sensor's frame rate.
    BenchCamera(const std::vector<int>& devices, bool fast, bool noise, const std::string& scene = "flat");
    ~BenchCamera();
    BenchCamera(const BenchCamera&) = delete;
    BenchCamera& operator=(const BenchCamera&) = delete;

    bool Started() const { return simulator_ != nullptr; }
    const std::string& Directory() const { return directory_; }
    const std::string& Error() const { return error_; }
    sim::SimulatedCamera* Camera(int deviceNumber) const { return simulator_->Camera(deviceNumber); }

private:
    std::string directory_;
    // The environment variables replaced, with their earlier values (if any).
    std::vector<std::pair<std::string, std::unique_ptr<std::string>>> previous_;
    std::string error_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
};

}  // namespace quelix::bench
