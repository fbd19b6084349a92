// SPDX-License-Identifier: MIT
// A test fixture that runs simulated cameras inside the test process, in the
// test's own device directory (ScopedTestEnvironment).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim/camera_simulator.h"
#include "test_environment.h"

namespace quelix::test {

// Options for tests: frames as fast as they are read, a flat scene.
sim::CameraOptions FastCameras();
// The same with the counter scene, whose pixels tell their frame and place,
// for tests that check frames whole.
sim::CameraOptions CounterCameras();

class SimulatedCameraTest : public ::testing::Test {
protected:
    // Starts cameras in this test's device directory; the test fails when they cannot start.
    void StartCameras(const std::vector<int>& deviceNumbers = {0},
                      const sim::CameraOptions& options = FastCameras());
    sim::SimulatedCamera& Camera(int deviceNumber = 0);

    ScopedTestEnvironment environment_;
    std::unique_ptr<sim::CameraSimulator> simulator_;  // destroyed first: its nodes go before the directory
};

}  // namespace quelix::test
