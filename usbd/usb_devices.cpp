// SPDX-License-Identifier: MIT
#include "usbd/usb_devices.h"

#include <array>
#include <fstream>

namespace quelix::usbd {

namespace {

constexpr int kMaxPortDepth = 7;  // USB allows seven tiers
constexpr size_t kMaxStringLength = 255;

std::string ReadString(libusb_device_handle* handle, uint8_t index)
{
    if (index == 0)
        return {};
    std::array<unsigned char, 256> text{};
    const int length = libusb_get_string_descriptor_ascii(handle, index, text.data(), int(text.size()) - 1);
    if (length <= 0)
        return {};
    return std::string(reinterpret_cast<const char*>(text.data()), size_t(length));
}

// A string the kernel read from the device when it arrived; empty when absent.
std::string SysfsString(const std::string& busPath, const char* name)
{
    std::ifstream file("/sys/bus/usb/devices/" + busPath + "/" + name);
    std::string text;
    std::getline(file, text);
    return text.substr(0, kMaxStringLength);
}

std::string BusPath(libusb_device* device)
{
    std::array<uint8_t, kMaxPortDepth> ports{};
    const int depth = libusb_get_port_numbers(device, ports.data(), int(ports.size()));
    std::string path = std::to_string(libusb_get_bus_number(device));
    if (depth <= 0)
        return path + "-0";  // a root hub
    for (int i = 0; i < depth; ++i)
        path += (i == 0 ? "-" : ".") + std::to_string(ports[size_t(i)]);
    return path;
}

}  // namespace

std::optional<UsbDeviceInfo> DescribeDevice(libusb_device* device, std::string& error)
{
    libusb_device_descriptor descriptor;
    if (const int status = libusb_get_device_descriptor(device, &descriptor); status != 0) {
        error = std::string("cannot read the device descriptor: ") + libusb_strerror(status);
        return std::nullopt;
    }
    UsbDeviceInfo info;
    info.id = {descriptor.idVendor, descriptor.idProduct};
    info.busPath = BusPath(device);

    libusb_config_descriptor* config = nullptr;
    int status = libusb_get_active_config_descriptor(device, &config);
    if (status != 0 && descriptor.bNumConfigurations > 0)
        status = libusb_get_config_descriptor(device, 0, &config);
    if (status == 0 && config != nullptr) {
        for (int i = 0; i < config->bNumInterfaces; ++i) {
            const libusb_interface& interface = config->interface[i];
            for (int a = 0; a < interface.num_altsetting; ++a) {
                const libusb_interface_descriptor& setting = interface.altsetting[a];
                if (setting.bInterfaceNumber != 0 || setting.bAlternateSetting != 0)
                    continue;
                info.hasInterface0 = true;
                for (int e = 0; e < setting.bNumEndpoints; ++e) {
                    const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
                    info.interface0.push_back(
                        {endpoint.bEndpointAddress, endpoint.bmAttributes, endpoint.wMaxPacketSize});
                }
            }
        }
        libusb_free_config_descriptor(config);
    }

    // The kernel's copies need no access to the device; the device itself is asked otherwise.
    info.manufacturer = SysfsString(info.busPath, "manufacturer");
    info.product = SysfsString(info.busPath, "product");
    info.serial = SysfsString(info.busPath, "serial");
    const bool missing = (descriptor.iManufacturer != 0 && info.manufacturer.empty()) ||
                         (descriptor.iProduct != 0 && info.product.empty()) ||
                         (descriptor.iSerialNumber != 0 && info.serial.empty());
    if (missing) {
        libusb_device_handle* handle = nullptr;
        if (libusb_open(device, &handle) == 0) {
            if (info.manufacturer.empty())
                info.manufacturer = ReadString(handle, descriptor.iManufacturer);
            if (info.product.empty())
                info.product = ReadString(handle, descriptor.iProduct);
            if (info.serial.empty())
                info.serial = ReadString(handle, descriptor.iSerialNumber);
            libusb_close(handle);
        }
    }
    return info;
}

std::string DeviceIdentity(const UsbDeviceInfo& info)
{
    return info.busPath + "/" + FormatUsbId(info.id) + "/" + info.serial;
}

std::string DeviceLabel(const UsbDeviceInfo& info)
{
    std::string label = info.busPath + " " + FormatUsbId(info.id);
    if (!info.product.empty())
        label += " \"" + info.product + "\"";
    return label;
}

}  // namespace quelix::usbd
