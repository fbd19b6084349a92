// SPDX-License-Identifier: MIT
#include "usbd/libusb_port.h"

#include <sys/time.h>

namespace quelix::usbd {

namespace {

// How often a waiting transfer looks whether its client is still there.
constexpr suseconds_t kAbandonCheckMicroseconds = 100000;

void LIBUSB_CALL TransferDone(libusb_transfer* transfer)
{
    *static_cast<int*>(transfer->user_data) = 1;
}

TransferStatus StatusOf(libusb_transfer_status status, bool cancelled)
{
    switch (status) {
        case LIBUSB_TRANSFER_COMPLETED:
            return TransferStatus::Completed;
        case LIBUSB_TRANSFER_STALL:
            return TransferStatus::Stalled;
        case LIBUSB_TRANSFER_TIMED_OUT:
            return TransferStatus::TimedOut;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return TransferStatus::Gone;
        case LIBUSB_TRANSFER_CANCELLED:
            return cancelled ? TransferStatus::Cancelled : TransferStatus::Failed;
        default:
            return TransferStatus::Failed;
    }
}

// One asynchronous bulk transfer, waited for the way libusb's synchronous
// calls wait, except that a client that goes away cancels it.
TransferResult Bulk(void* context, uint8_t endpoint, uint8_t* data, uint32_t length, uint32_t timeoutMs,
                    const AbandonCheck& abandoned)
{
    auto* camera = static_cast<LibusbCamera*>(context);
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    if (transfer == nullptr)
        return {};
    int completed = 0;
    libusb_fill_bulk_transfer(transfer, camera->handle, endpoint, data, int(length), TransferDone, &completed,
                              timeoutMs);
    if (const int submitted = libusb_submit_transfer(transfer); submitted != 0) {
        libusb_free_transfer(transfer);
        return {submitted == LIBUSB_ERROR_NO_DEVICE ? TransferStatus::Gone : TransferStatus::Failed, 0};
    }
    bool cancelled = false;
    while (completed == 0) {
        timeval wait{0, kAbandonCheckMicroseconds};
        const int handled = libusb_handle_events_timeout_completed(camera->context, &wait, &completed);
        if (completed != 0 || cancelled)
            continue;
        if ((handled < 0 && handled != LIBUSB_ERROR_INTERRUPTED) || (abandoned && abandoned())) {
            libusb_cancel_transfer(transfer);
            cancelled = true;
        }
    }
    const TransferResult result{StatusOf(transfer->status, cancelled),
                                uint32_t(transfer->actual_length < 0 ? 0 : transfer->actual_length)};
    libusb_free_transfer(transfer);
    return result;
}

bool ClearHalt(void* context, uint8_t endpoint)
{
    return libusb_clear_halt(static_cast<LibusbCamera*>(context)->handle, endpoint) == 0;
}

}  // namespace

UsbPort LibusbCamera::Port()
{
    return {this, Bulk, ClearHalt};
}

std::unique_ptr<LibusbCamera> OpenCamera(libusb_context* context, libusb_device* device, std::string& error)
{
    auto camera = std::make_unique<LibusbCamera>();
    camera->context = context;
    if (const int status = libusb_open(device, &camera->handle); status != 0) {
        error = std::string("cannot open the device: ") + libusb_strerror(status) +
                (status == LIBUSB_ERROR_ACCESS ? " (no permission on /dev/bus/usb; see the udev rule)" : "");
        return nullptr;
    }
    libusb_set_auto_detach_kernel_driver(camera->handle, 1);
    if (const int status = libusb_claim_interface(camera->handle, 0); status != 0) {
        error = status == LIBUSB_ERROR_BUSY
                    ? "busy: another program holds interface 0"
                    : std::string("cannot claim interface 0: ") + libusb_strerror(status);
        libusb_close(camera->handle);
        return nullptr;
    }
    return camera;
}

void CloseCamera(LibusbCamera& camera)
{
    libusb_release_interface(camera.handle, 0);
    libusb_close(camera.handle);
    camera.handle = nullptr;
}

}  // namespace quelix::usbd
