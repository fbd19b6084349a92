// SPDX-License-Identifier: MIT
// What quelix-usbd reads of an attached USB device through libusb: its ids,
// strings, place on the bus and the endpoints of interface 0.
#pragma once

#include <libusb.h>

#include <optional>
#include <string>
#include <vector>

#include "usbd/device_match.h"
#include "usbd/pipe_map.h"

namespace quelix::usbd {

struct UsbDeviceInfo {
    UsbId id;
    std::string manufacturer;  // the strings are empty when the device cannot be opened
    std::string product;
    std::string serial;
    std::string busPath;                   // "BUS-PORT.PORT...", as the kernel names it
    std::vector<EndpointInfo> interface0;  // alternate setting 0, in descriptor order
    bool hasInterface0 = false;
};

// Reads the descriptors and strings of a device (the kernel's copies of the
// strings in sysfs, else the device's own when it can be opened);
// nullopt with a message when its descriptors cannot be read.
std::optional<UsbDeviceInfo> DescribeDevice(libusb_device* device, std::string& error);

// A device's identity across plug cycles: its place on the bus and its serial string.
std::string DeviceIdentity(const UsbDeviceInfo& info);
// "BUS-PATH VVVV:PPPP \"product\"" for log lines.
std::string DeviceLabel(const UsbDeviceInfo& info);

}  // namespace quelix::usbd
