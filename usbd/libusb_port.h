// SPDX-License-Identifier: MIT
// A camera opened through libusb: its handle with interface 0 claimed, and
// the UsbPort of its bulk transfers.
#pragma once

#include <libusb.h>

#include <memory>
#include <string>

#include "usbd/usb_port.h"

namespace quelix::usbd {

struct LibusbCamera {
    libusb_context* context = nullptr;
    libusb_device_handle* handle = nullptr;
    UsbPort Port();
};

// Opens the device and claims interface 0 (detaching a kernel driver that
// holds it); null with a message when it is busy or cannot be opened.
std::unique_ptr<LibusbCamera> OpenCamera(libusb_context* context, libusb_device* device, std::string& error);
// Releases the interface and closes the handle.
void CloseCamera(LibusbCamera& camera);

}  // namespace quelix::usbd
