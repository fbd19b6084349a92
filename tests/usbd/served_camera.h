// SPDX-License-Identifier: MIT
// Simulated cameras on an emulated USB bus, served by quelix-usbd's camera
// service: the driver's nodes are in the test's device directory, where the
// library looks; the simulated cameras' own nodes lie in a directory of
// their own, reached only by the emulated USB devices.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_usb_camera.h"
#include "sim/camera_simulator.h"
#include "test_environment.h"
#include "usbd/camera_service.h"

namespace quelix::test {

class ServedCameraTest : public ::testing::Test {
protected:
    // Starts `count` simulated cameras and plugs each into the emulated bus.
    void StartCameras(int count, const sim::CameraOptions& options);
    // Pulls camera `index` off the bus, or plugs it in again (a fresh
    // emulated device); Plug returns the device number it got.
    void Unplug(int index);
    int Plug(int index);
    // Where the driver's nodes are: the directory the library looks in.
    std::string NodeDirectory() const;
    FakeUsbCamera& Usb(int index) { return *usb_.at(size_t(index)); }
    sim::SimulatedCamera& Simulated(int index) { return *simulator_->Camera(index); }

    ScopedTestEnvironment environment_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
    std::vector<std::unique_ptr<FakeUsbCamera>> usb_;
    std::unique_ptr<usbd::CameraService> service_;  // goes first: no request uses a port after it
};

}  // namespace quelix::test
