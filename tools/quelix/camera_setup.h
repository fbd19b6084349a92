// SPDX-License-Identifier: MIT
// What the commands share in setting up a camera: the simulated camera that
// --simulate starts when no camera node exists, and whether a display exists.
#pragma once

#include <memory>
#include <string>

#include "sim/camera_simulator.h"

namespace quelix::tool {

// The directory the library looks for camera nodes in.
std::string DeviceDirectory();

// A simulated camera in a directory of its own, named by QUELIX_DEVICE_DIR
// for the library; the directory goes with it.
class InProcessSimulator {
public:
    // False with a message on stderr when it cannot start.
    bool Start(int device, const std::string& scene);
    ~InProcessSimulator();
    // The simulated camera at `device`; null when none was started.
    const sim::SimulatedCamera* Camera(int device) const;

private:
    std::string directory_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
};

// Starts a simulated camera for `device` when asked and none is attached,
// saying so when `report`. False when one was needed and could not start.
bool StartSimulatedIfAsked(InProcessSimulator& simulated, bool simulate, int device, const std::string& scene,
                           bool report = true);

// True when $DISPLAY names a display.
bool DisplayAvailable();

}  // namespace quelix::tool
