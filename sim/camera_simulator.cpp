// SPDX-License-Identifier: MIT
#include "sim/camera_simulator.h"

#include <filesystem>
#include <set>

#include "platform/driver/driver_wire.h"
#include "sim/scene.h"

namespace quelix::sim {

namespace {

bool Fail(std::string* error, const std::string& message)
{
    if (error != nullptr)
        *error = message;
    return false;
}

bool CheckDeviceNumbers(const std::vector<int>& deviceNumbers, std::string* error)
{
    if (deviceNumbers.empty())
        return Fail(error, "no camera to start");
    std::set<int> seen;
    for (int number : deviceNumbers) {
        if (number < 0 || number > kHighestDeviceNumber)
            return Fail(error, "device number " + std::to_string(number) + " is not 0 to 8");
        if (!seen.insert(number).second)
            return Fail(error, "device number " + std::to_string(number) + " given twice");
    }
    return true;
}

}  // namespace

std::unique_ptr<CameraSimulator> CameraSimulator::Start(const std::vector<int>& deviceNumbers,
                                                        const CameraOptions& options,
                                                        const std::string& directory, std::string* error)
{
    if (!CheckDeviceNumbers(deviceNumbers, error))
        return nullptr;
    if (options.triggerEveryMs < 0) {
        Fail(error, "the trigger period cannot be negative");
        return nullptr;
    }
    std::string message;
    const std::shared_ptr<const Scene> scene = LoadScene(options.scene, message);
    if (scene == nullptr) {
        Fail(error, message);
        return nullptr;
    }
    std::unique_ptr<CameraSimulator> simulator(new CameraSimulator);
    simulator->directory_ = directory.empty() ? driver_wire::DefaultDeviceDirectory() : directory;
    std::error_code failure;
    std::filesystem::create_directories(simulator->directory_, failure);
    if (failure) {
        Fail(error, "cannot make " + simulator->directory_ + ": " + failure.message());
        return nullptr;
    }
    try {
        for (int number : deviceNumbers) {
            auto camera = std::make_unique<SimulatedCamera>(simulator->directory_, number, options, scene);
            if (!camera->Plug(&message)) {
                Fail(error, message);
                return nullptr;
            }
            simulator->cameras_.emplace(number, std::move(camera));
        }
    } catch (const std::exception& exception) {
        Fail(error, std::string("cannot start the cameras: ") + exception.what());
        return nullptr;
    }
    return simulator;
}

SimulatedCamera* CameraSimulator::Camera(int deviceNumber) const
{
    const auto found = cameras_.find(deviceNumber);
    return found == cameras_.end() ? nullptr : found->second.get();
}

std::vector<int> CameraSimulator::DeviceNumbers() const
{
    std::vector<int> numbers;
    for (const auto& entry : cameras_)
        numbers.push_back(entry.first);
    return numbers;
}

}  // namespace quelix::sim
