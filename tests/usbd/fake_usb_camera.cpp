// SPDX-License-Identifier: MIT
#include "fake_usb_camera.h"

#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "usbd/driver_messages.h"
#include "usbd/socket_io.h"

namespace quelix::test {

using usbd::TransferResult;
using usbd::TransferStatus;

FakeUsbCamera::FakeUsbCamera(std::string simulatedNode) : node_(std::move(simulatedNode)) {}

FakeUsbCamera::~FakeUsbCamera()
{
    if (controlFd_ >= 0)
        close(controlFd_);
    if (imageFd_ >= 0)
        close(imageFd_);
}

usbd::UsbPort FakeUsbCamera::Port()
{
    return {this, Bulk, ClearHalt};
}

FakeUsbCamera::Endpoint* FakeUsbCamera::Find(uint8_t endpoint)
{
    for (size_t i = 0; i < 3; ++i)
        if (kPipes.endpoints[i] == endpoint)
            return &endpoints_[i];
    return nullptr;
}

const FakeUsbCamera::Endpoint* FakeUsbCamera::Find(uint8_t endpoint) const
{
    return const_cast<FakeUsbCamera*>(this)->Find(endpoint);
}

void FakeUsbCamera::StallNext(uint8_t endpoint)
{
    Find(endpoint)->stallNext = true;
}

int FakeUsbCamera::HaltsCleared(uint8_t endpoint) const
{
    return Find(endpoint)->cleared;
}

void FakeUsbCamera::Unplug()
{
    gone_ = true;
    // Transfers waiting on the simulated camera end now.
    for (const int fd : {controlFd_.load(), imageFd_.load()})
        if (fd >= 0)
            shutdown(fd, SHUT_RDWR);
}

bool FakeUsbCamera::ClearHalt(void* context, uint8_t endpointAddress)
{
    auto* camera = static_cast<FakeUsbCamera*>(context);
    Endpoint* endpoint = camera->Find(endpointAddress);
    if (endpoint == nullptr || camera->gone_)
        return false;
    endpoint->halted = false;
    ++endpoint->cleared;
    return true;
}

TransferResult FakeUsbCamera::Bulk(void* context, uint8_t endpointAddress, uint8_t* data, uint32_t length,
                                   uint32_t timeoutMs, const usbd::AbandonCheck&)
{
    auto* camera = static_cast<FakeUsbCamera*>(context);
    Endpoint* endpoint = camera->Find(endpointAddress);
    if (endpoint == nullptr)
        return {TransferStatus::Failed, 0};
    if (camera->gone_)
        return {TransferStatus::Gone, 0};
    if (endpoint->stallNext.exchange(false))
        endpoint->halted = true;
    if (endpoint->halted)
        return {TransferStatus::Stalled, 0};
    if (endpointAddress == kImageEndpoint)
        return camera->Image(data, length, timeoutMs);
    return camera->Control(endpointAddress, data, length);
}

bool FakeUsbCamera::Exchange(std::atomic<int>& fd, uint32_t code, uint32_t pipe, uint8_t* data,
                             uint32_t length, bool carries, bool& success, uint32_t& moved)
{
    if (fd < 0 && !gone_)
        fd = usbd::ConnectTo(node_);
    if (fd < 0)
        return false;
    uint8_t input[4] = {uint8_t(pipe), 0, 0, 0};
    usbd::RequestHeader request{usbd::kRequestMagic, code, 4, length, carries ? length : 0};
    iovec parts[] = {{&request, sizeof request}, {input, 4}, {data, carries ? length : 0}};
    usbd::ResponseHeader response;
    if (!usbd::SendAll(fd, parts, 3) || !usbd::ReceiveExact(fd, &response, sizeof response) ||
        response.magic != usbd::kResponseMagic || response.dataLength > length ||
        !usbd::ReceiveExact(fd, data, response.dataLength)) {
        close(fd.exchange(-1));
        return false;
    }
    success = response.success != 0;
    moved = response.dataLength;
    if (carries)
        moved = response.bytesReturned;
    return true;
}

TransferResult FakeUsbCamera::Control(uint8_t endpoint, uint8_t* data, uint32_t length)
{
    std::lock_guard lock(controlMutex_);
    const bool out = endpoint == kCommandEndpoint;
    bool success = false;
    uint32_t moved = 0;
    if (!Exchange(controlFd_, out ? usbd::kPipeTransferOut : usbd::kPipeTransferIn,
                  out ? usbd::kCommandPipe : usbd::kReplyPipe, data, length, out, success, moved))
        return {TransferStatus::Gone, 0};
    if (success)
        return {TransferStatus::Completed, moved};
    // The camera stalls a packet it refuses; with no reply to give it sends nothing.
    if (out) {
        Find(endpoint)->halted = true;
        return {TransferStatus::Stalled, 0};
    }
    return {TransferStatus::TimedOut, moved};
}

TransferResult FakeUsbCamera::Image(uint8_t* data, uint32_t length, uint32_t timeoutMs)
{
    std::lock_guard lock(imageMutex_);
    lastImageTimeout_ = timeoutMs;
    bool success = false;
    uint32_t moved = 0;
    if (timeoutMs != simulatedTimeout_) {
        // The simulated camera waits for a frame as long as the transfer would.
        uint8_t block[usbd::kTimeoutBlockSize] = {1,
                                                  0,
                                                  0,
                                                  0,
                                                  uint8_t(timeoutMs),
                                                  uint8_t(timeoutMs >> 8),
                                                  uint8_t(timeoutMs >> 16),
                                                  uint8_t(timeoutMs >> 24)};
        if (imageFd_ < 0 && !gone_)
            imageFd_ = usbd::ConnectTo(node_);
        usbd::RequestHeader request{usbd::kRequestMagic, usbd::kSetTimeout, usbd::kTimeoutBlockSize, 0, 0};
        iovec parts[] = {{&request, sizeof request}, {block, sizeof block}};
        usbd::ResponseHeader response;
        if (imageFd_ < 0 || !usbd::SendAll(imageFd_, parts, 2) ||
            !usbd::ReceiveExact(imageFd_, &response, sizeof response))
            return {TransferStatus::Gone, 0};
        simulatedTimeout_ = timeoutMs;
    }
    ++imageTransfers_;
    const bool exchanged =
        Exchange(imageFd_, usbd::kPipeTransferLarge, usbd::kImagePipe, data, length, false, success, moved);
    ++imageTransfersEnded_;
    if (!exchanged)
        return {gone_ ? TransferStatus::Gone : TransferStatus::Failed, 0};
    if (gone_)
        return {TransferStatus::Gone, moved};
    // A frame that ends early is a short transfer: completed, with fewer bytes.
    if (moved > 0)
        return {TransferStatus::Completed, moved};
    return {success ? TransferStatus::Completed : TransferStatus::TimedOut, moved};
}

}  // namespace quelix::test
