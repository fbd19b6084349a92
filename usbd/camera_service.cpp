// SPDX-License-Identifier: MIT
#include "usbd/camera_service.h"

#include "usbd/log.h"

namespace quelix::usbd {

CameraService::CameraService(std::string directory, gid_t group)
    : directory_(std::move(directory)), group_(group)
{
}

CameraService::~CameraService()
{
    while (!cameras_.empty())
        Remove(cameras_.begin()->first);
}

std::string CameraService::NodePath(int number) const
{
    return directory_ + "/" + kNodeBaseName + "-" + std::to_string(number);
}

int CameraService::Add(const std::string& key, const std::string& identity, UsbPort port, PipeMap pipes,
                       const std::string& label)
{
    if (cameras_.contains(key))
        return cameras_[key].number;
    const int number = numbers_.Take(identity);
    if (number < 0) {
        Log(label + ": not served, every device number (0 to " + std::to_string(kHighestDeviceNumber) +
            ") is taken");
        return -1;
    }
    Camera camera;
    camera.number = number;
    camera.link = std::make_unique<CameraLink>(port, pipes, label);
    camera.node = std::make_unique<DeviceNode>(NodePath(number), *camera.link);
    std::string error;
    if (!camera.node->Open(group_, error)) {
        Log(label + ": not served: " + error);
        numbers_.Give(number);
        return -1;
    }
    Log(label + ": served as " + camera.node->Path());
    cameras_[key] = std::move(camera);
    return number;
}

void CameraService::Remove(const std::string& key)
{
    const auto found = cameras_.find(key);
    if (found == cameras_.end())
        return;
    Camera& camera = found->second;
    camera.link->Disconnect();
    camera.node->Close();
    Log(camera.node->Path() + " removed");
    numbers_.Give(camera.number);
    cameras_.erase(found);
}

}  // namespace quelix::usbd
