// SPDX-License-Identifier: MIT
#include "sim_fixture.h"

#include <stdexcept>

namespace quelix::test {

sim::CameraOptions FastCameras()
{
    sim::CameraOptions options;
    options.fast = true;
    return options;
}

sim::CameraOptions CounterCameras()
{
    sim::CameraOptions options = FastCameras();
    options.scene = "counter";
    return options;
}

void SimulatedCameraTest::StartCameras(const std::vector<int>& deviceNumbers,
                                       const sim::CameraOptions& options)
{
    std::string error;
    simulator_ = sim::CameraSimulator::Start(deviceNumbers, options, {}, &error);
    ASSERT_NE(simulator_, nullptr) << error;
}

sim::SimulatedCamera& SimulatedCameraTest::Camera(int deviceNumber)
{
    sim::SimulatedCamera* camera = simulator_ == nullptr ? nullptr : simulator_->Camera(deviceNumber);
    if (camera == nullptr)
        throw std::logic_error("camera " + std::to_string(deviceNumber) + " was not started");
    return *camera;
}

}  // namespace quelix::test
