// SPDX-License-Identifier: MIT
// The running driver: libusb, its hotplug callbacks and the served cameras.
// libusb's events are handled on a thread of their own; arrivals and
// departures are carried out in order on a worker thread, which opens and
// claims each camera and publishes or removes its node.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "usbd/device_match.h"

namespace quelix::usbd {

struct DaemonSettings {
    std::vector<UsbId> ids;  // empty: match the product string
    std::string directory;
    gid_t group = gid_t(-1);
};

// Serves until one of `stopSignals` (blocked in every thread) arrives; the
// exit status of the program.
int RunDaemon(const DaemonSettings& settings, const sigset_t& stopSignals);

// Prints the attached devices whose interface 0 has the camera's pipes; the exit status.
int ListDevices(const std::vector<UsbId>& ids);

}  // namespace quelix::usbd
