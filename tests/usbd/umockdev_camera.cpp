// SPDX-License-Identifier: MIT
#include "umockdev_camera.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

namespace quelix::test {

namespace {

constexpr uint32_t kImageSliceMs = 100;

constexpr char kBus[] = "001";

// The device address on `port`, three digits: port + 1.
std::string AddressOf(int port)
{
    char address[16];
    std::snprintf(address, sizeof address, "%03d", port + 1);
    return address;
}

// The usbdevfs node of the emulated device on `port`, on bus 1.
std::string DevNodeOf(int port)
{
    return std::string("/dev/bus/usb/") + kBus + "/" + AddressOf(port);
}

std::string DeviceDescription(int port)
{
    const std::string bus = kBus;
    const std::string address = AddressOf(port);
    const std::string devNode = DevNodeOf(port);
    // Device, configuration, interface 0 and its three bulk endpoints
    // (0x01 OUT 64, 0x81 IN 64, 0x82 IN 512).
    const std::string descriptors =
        "12010002FF00004034127856000101020301"
        "0902270001010080320904000003FF000000"
        "07050102400000070581024000000705820200020000";
    return "P: /devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(port) + "\n" + "N: bus/usb/" + bus +
           "/" + address + "\n" + "E: DEVNAME=" + devNode + "\n" +
           "E: DEVTYPE=usb_device\nE: DRIVER=usb\nE: SUBSYSTEM=usb\nE: PRODUCT=1234/5678/100\n" +
           "E: BUSNUM=" + bus + "\nE: DEVNUM=" + address +
           "\nE: MAJOR=189\nE: MINOR=" + std::to_string(port) +
           "\nA: busnum=1\nA: devnum=" + std::to_string(port + 1) +
           "\nA: speed=480\nA: idVendor=1234\nA: idProduct=5678\n"
           "A: bConfigurationValue=1\nA: bNumConfigurations=1\nA: manufacturer=Korvex\n"
           "A: product=Quelix 205KWMX\nA: serial=QX000" +
           std::to_string(port) + "\nH: descriptors=" + descriptors + "\n";
}

}  // namespace

// One submitted URB: the client's request block (its copy here) and, once
// it is done, its status and the bytes moved.
struct UmockdevCamera::Urb {
    UMockdevIoctlData* block = nullptr;  // a reference, dropped when the URB is reaped
    unsigned long clientAddress = 0;
    uint8_t endpoint = 0;
    uint8_t* buffer = nullptr;  // the client's buffer: this process's own memory
    uint32_t length = 0;
    std::vector<uint8_t> in;  // what an IN transfer brought, copied out at reaping
    int status = 0;
    uint32_t moved = 0;
    bool discarded = false;
};

UmockdevCamera::UmockdevCamera(UMockdevTestbed* testbed, int port, const std::string& simulatedNode)
    : testbed_(testbed),
      port_(port),
      simulatedNode_(simulatedNode),
      sysPath_("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(port)),
      devNode_(DevNodeOf(port))
{
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(OnIoctl), this);
    imageWorker_ = std::thread([this] { RunImageWorker(); });
}

UmockdevCamera::~UmockdevCamera()
{
    Unplug();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    imageQueued_.notify_all();
    imageWorker_.join();
    for (auto* list : {&flying_, &done_})
        for (const auto& urb : *list)
            umockdev_ioctl_data_unref(urb->block);
    g_object_unref(handler_);
}

bool UmockdevCamera::Plug(std::string& error)
{
    usb_ = std::make_unique<FakeUsbCamera>(simulatedNode_);
    GError* failure = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, devNode_.c_str(), handler_, &failure) ||
        !umockdev_testbed_add_from_string(testbed_, DeviceDescription(port_).c_str(), &failure)) {
        error = failure != nullptr ? failure->message : "umockdev refused the device";
        g_clear_error(&failure);
        return false;
    }
    plugged_ = true;
    return true;
}

void UmockdevCamera::Unplug()
{
    if (!plugged_)
        return;
    plugged_ = false;
    usb_->Unplug();
    umockdev_testbed_uevent(testbed_, sysPath_.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, sysPath_.c_str());
    umockdev_testbed_detach_ioctl(testbed_, devNode_.c_str(), nullptr);
}

gboolean UmockdevCamera::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
{
    return static_cast<UmockdevCamera*>(self)->Handle(client);
}

bool UmockdevCamera::Handle(UMockdevIoctlClient* client)
{
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    switch (umockdev_ioctl_client_get_request(client)) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* capabilities =
                umockdev_ioctl_data_resolve(argument, 0, sizeof(uint32_t), nullptr);
            const uint32_t value = USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                   USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
            std::memcpy(capabilities->data, &value, sizeof value);
            umockdev_ioctl_data_unref(capabilities);
            umockdev_ioctl_client_complete(client, 0, 0);
            return true;
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_DISCONNECT_CLAIM:
            if (interfaceHeld_) {
                umockdev_ioctl_client_complete(client, -1, EBUSY);
                return true;
            }
            umockdev_ioctl_client_complete(client, 0, 0);
            return true;
        case USBDEVFS_RELEASEINTERFACE:
        case USBDEVFS_RESET:
        case USBDEVFS_RESETEP:
            umockdev_ioctl_client_complete(client, 0, 0);
            return true;
        case USBDEVFS_CLEAR_HALT: {
            UMockdevIoctlData* endpoint =
                umockdev_ioctl_data_resolve(argument, 0, sizeof(unsigned int), nullptr);
            unsigned int address = 0;
            std::memcpy(&address, endpoint->data, sizeof address);
            umockdev_ioctl_data_unref(endpoint);
            const usbd::UsbPort port = usb_->Port();
            const bool cleared = port.clearHalt(port.context, uint8_t(address));
            umockdev_ioctl_client_complete(client, cleared ? 0 : -1, cleared ? 0 : EPIPE);
            return true;
        }
        case USBDEVFS_GETDRIVER:
            umockdev_ioctl_client_complete(client, -1, ENODATA);
            return true;
        case USBDEVFS_SUBMITURB:
            return Submit(client);
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            return Reap(client);
        case USBDEVFS_DISCARDURB:
            return Discard(client);
        default:
            return false;
    }
}

bool UmockdevCamera::Submit(UMockdevIoctlClient* client)
{
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* block = umockdev_ioctl_data_resolve(argument, 0, sizeof(usbdevfs_urb), nullptr);
    const auto* request = reinterpret_cast<const usbdevfs_urb*>(block->data);
    if (request->type != USBDEVFS_URB_TYPE_BULK || request->buffer_length < 0) {
        umockdev_ioctl_data_unref(block);
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return true;
    }
    auto urb = std::make_shared<Urb>();
    urb->block = block;
    urb->clientAddress = block->client_addr;
    urb->endpoint = request->endpoint;
    urb->buffer = static_cast<uint8_t*>(request->buffer);
    urb->length = uint32_t(request->buffer_length);
    if (urb->endpoint == FakeUsbCamera::kImageEndpoint) {
        urb->in.resize(urb->length);
        std::lock_guard lock(mutex_);
        flying_.push_back(urb);
        imageQueue_.push_back(urb);
        imageQueued_.notify_one();
    } else {
        // Command packets and replies are answered at once.
        std::vector<uint8_t> bytes(urb->length);
        if ((urb->endpoint & 0x80) == 0)
            std::memcpy(bytes.data(), urb->buffer, urb->length);
        const usbd::UsbPort port = usb_->Port();
        const usbd::TransferResult result =
            port.bulk(port.context, urb->endpoint, bytes.data(), urb->length, 0, nullptr);
        urb->moved = result.moved;
        urb->status = result.status == usbd::TransferStatus::Completed ? 0
                      : result.status == usbd::TransferStatus::Stalled ? -EPIPE
                      : result.status == usbd::TransferStatus::Gone    ? -ENODEV
                                                                       : -ETIMEDOUT;
        if ((urb->endpoint & 0x80) != 0)
            urb->in.assign(bytes.begin(), bytes.begin() + std::min<size_t>(result.moved, bytes.size()));
        std::lock_guard lock(mutex_);
        done_.push_back(urb);
    }
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
}

void UmockdevCamera::RunImageWorker()
{
    for (;;) {
        std::shared_ptr<Urb> urb;
        {
            std::unique_lock lock(mutex_);
            imageQueued_.wait(lock, [this] { return stopping_ || !imageQueue_.empty(); });
            if (stopping_)
                return;
            urb = imageQueue_.front();
            imageQueue_.pop_front();
            if (urb->discarded)
                continue;
        }
        // libusb keeps the time-out itself and discards the URB when it
        // passes: the camera is asked in slices until a frame comes or the
        // URB is discarded, so a discarded read takes no later frame.
        const usbd::UsbPort port = usb_->Port();
        usbd::TransferResult result;
        for (;;) {
            result =
                port.bulk(port.context, urb->endpoint, urb->in.data(), urb->length, kImageSliceMs, nullptr);
            if (result.status != usbd::TransferStatus::TimedOut || result.moved != 0)
                break;
            std::lock_guard lock(mutex_);
            if (urb->discarded || stopping_)
                break;
        }
        std::lock_guard lock(mutex_);
        urb->moved = result.moved;
        urb->status = result.status == usbd::TransferStatus::Completed ? 0
                      : result.status == usbd::TransferStatus::Stalled ? -EPIPE
                      : result.status == usbd::TransferStatus::Gone    ? -ENODEV
                                                                       : -ETIMEDOUT;
        if (urb->discarded)
            continue;  // reaped already, as cancelled
        std::erase(flying_, urb);
        done_.push_back(urb);
    }
}

bool UmockdevCamera::Reap(UMockdevIoctlClient* client)
{
    std::shared_ptr<Urb> urb;
    {
        std::lock_guard lock(mutex_);
        if (done_.empty()) {
            umockdev_ioctl_client_complete(client, -1, EAGAIN);
            return true;
        }
        urb = done_.front();
        done_.pop_front();
    }
    auto* request = reinterpret_cast<usbdevfs_urb*>(urb->block->data);
    if (!urb->discarded && (urb->endpoint & 0x80) != 0)
        std::memcpy(urb->buffer, urb->in.data(), std::min<size_t>(urb->moved, urb->length));
    request->actual_length = urb->discarded ? 0 : int(std::min(urb->moved, urb->length));
    request->status = urb->discarded ? -ENOENT : urb->status;
    UMockdevIoctlData* pointer =
        umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*), nullptr);
    umockdev_ioctl_data_set_ptr(pointer, 0, urb->block);
    umockdev_ioctl_data_unref(pointer);
    umockdev_ioctl_data_unref(urb->block);
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
}

bool UmockdevCamera::Discard(UMockdevIoctlClient* client)
{
    // The request's argument is the address of the URB to discard.
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    unsigned long address = 0;
    std::memcpy(&address, argument->data, std::min<size_t>(sizeof address, size_t(argument->data_len)));
    std::lock_guard lock(mutex_);
    for (auto it = flying_.begin(); it != flying_.end(); ++it) {
        if ((*it)->clientAddress == address && !(*it)->discarded) {
            (*it)->discarded = true;
            done_.push_back(*it);
            flying_.erase(it);
            umockdev_ioctl_client_complete(client, 0, 0);
            return true;
        }
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL);
    return true;
}

}  // namespace quelix::test
