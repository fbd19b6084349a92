// SPDX-License-Identifier: MIT
#include "served_camera.h"

#include <cstdlib>
#include <filesystem>

namespace quelix::test {

void ServedCameraTest::StartCameras(int count, const sim::CameraOptions& options)
{
    const std::string usbDirectory = environment_.Directory() + "/usb-bus";
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(i);
    std::string error;
    simulator_ = sim::CameraSimulator::Start(numbers, options, usbDirectory, &error);
    ASSERT_NE(simulator_, nullptr) << error;
    std::filesystem::create_directories(NodeDirectory());
    service_ = std::make_unique<usbd::CameraService>(NodeDirectory(), gid_t(-1));
    usb_.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(Plug(i), i);
}

std::string ServedCameraTest::NodeDirectory() const
{
    return std::getenv("QUELIX_DEVICE_DIR");
}

void ServedCameraTest::Unplug(int index)
{
    usb_.at(size_t(index))->Unplug();
    service_->Remove("usb" + std::to_string(index));
}

int ServedCameraTest::Plug(int index)
{
    auto& slot = usb_.at(size_t(index));
    slot = std::make_unique<FakeUsbCamera>(simulator_->Camera(index)->NodePath());
    return service_->Add("usb" + std::to_string(index), "bus-port-" + std::to_string(index), slot->Port(),
                         FakeUsbCamera::kPipes, "emulated camera " + std::to_string(index));
}

}  // namespace quelix::test
