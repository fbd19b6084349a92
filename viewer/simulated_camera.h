// SPDX-License-Identifier: MIT
// The simulated camera of --simulate: started in this process, in a device
// directory of its own, when no camera is attached at the device number.
#pragma once

#include <memory>
#include <string>

#include "sim/camera_simulator.h"

namespace quelix::viewer {

class SimulatedCamera {
public:
    SimulatedCamera() = default;
    ~SimulatedCamera();
    SimulatedCamera(const SimulatedCamera&) = delete;
    SimulatedCamera& operator=(const SimulatedCamera&) = delete;

    // Starts one unless a camera node exists for `device`; false with the
    // reason in `error` when one was needed and could not start.
    bool StartUnlessAttached(int device, const std::string& scene, bool fast, std::string& error);
    bool Started() const { return simulator_ != nullptr; }

private:
    std::string directory_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
};

}  // namespace quelix::viewer
