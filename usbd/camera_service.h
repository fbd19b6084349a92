// SPDX-License-Identifier: MIT
// The cameras quelix-usbd serves: for each one its device number, its link
// to the USB pipes and its device node. Cameras arrive and leave from one
// thread (the hotplug worker or a test); the nodes serve on threads of
// their own.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>

#include "usbd/camera_link.h"
#include "usbd/device_node.h"
#include "usbd/device_numbers.h"

namespace quelix::usbd {

class CameraService {
public:
    // Nodes go into `directory` with group `group` (-1: the process's).
    CameraService(std::string directory, gid_t group);
    // Every camera leaves.
    ~CameraService();
    CameraService(const CameraService&) = delete;
    CameraService& operator=(const CameraService&) = delete;

    // Serves a camera that arrived under `key` (unique while it is attached)
    // and `identity` (the same when it comes back). Its device number, or -1
    // with a log line when it cannot be served. `port` must stay usable
    // until Remove returns.
    int Add(const std::string& key, const std::string& identity, UsbPort port, PipeMap pipes,
            const std::string& label);
    // The camera left: its node goes, its open connections close and its
    // number is free. Returns when no request uses its port any more.
    void Remove(const std::string& key);
    bool Serves(const std::string& key) const { return cameras_.contains(key); }
    size_t Count() const { return cameras_.size(); }

    std::string NodePath(int number) const;

private:
    struct Camera {
        int number = -1;
        std::unique_ptr<CameraLink> link;
        std::unique_ptr<DeviceNode> node;
    };

    const std::string directory_;
    const gid_t group_;
    DeviceNumbers numbers_;
    std::map<std::string, Camera> cameras_;
};

}  // namespace quelix::usbd
