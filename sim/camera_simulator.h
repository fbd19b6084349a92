// SPDX-License-Identifier: MIT
// The simulated cameras of one process: the entry point for quelix-camsim
// and for tests that run cameras inside their own process.
//
//   std::string error;
//   auto cameras = sim::CameraSimulator::Start({0, 2}, {.scene = "chart", .fast = true}, "", &error);
//   sim::SimulatedCamera& camera = *cameras->Camera(0);
//   ... the library opens "\\.\Qlix205KWMX-0" ...
//   camera.FpgaWrites();        // what the library wrote
//   camera.Unplug();            // and how it copes with faults
//
// Destroying the simulator unplugs every camera: the nodes go away.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/camera_options.h"
#include "sim/simulated_camera.h"

namespace quelix::sim {

inline constexpr int kHighestDeviceNumber = 8;

class CameraSimulator {
public:
    // Starts and plugs in one camera per device number (0 to 8, each once),
    // with nodes in `directory` (empty: $QUELIX_DEVICE_DIR, else
    // ${XDG_RUNTIME_DIR:-/tmp}/quelix), which is created when missing. When
    // it returns, the nodes exist. Null with a message in *error when a device
    // number, the scene or a node cannot be used.
    static std::unique_ptr<CameraSimulator> Start(const std::vector<int>& deviceNumbers,
                                                  const CameraOptions& options = {},
                                                  const std::string& directory = {},
                                                  std::string* error = nullptr);
    ~CameraSimulator() = default;  // each camera unplugs as it goes
    CameraSimulator(const CameraSimulator&) = delete;
    CameraSimulator& operator=(const CameraSimulator&) = delete;

    // Null for a device number this simulator does not serve.
    SimulatedCamera* Camera(int deviceNumber) const;
    const std::string& Directory() const { return directory_; }
    std::vector<int> DeviceNumbers() const;

private:
    CameraSimulator() = default;

    std::string directory_;
    std::map<int, std::unique_ptr<SimulatedCamera>> cameras_;
};

}  // namespace quelix::sim
