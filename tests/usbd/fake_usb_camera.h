// SPDX-License-Identifier: MIT
// A camera on an emulated USB bus for the driver's tests: its three bulk
// endpoints are answered by a simulated camera (sim/), reached through that
// camera's own device node, so the camera behind USB is the one every other
// test knows. Command packets and their replies share one connection (the
// camera has one reply for the device, not one per handle); the image
// endpoint has another. Faults a bus has: a stalled endpoint and a device
// that leaves.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "usbd/pipe_map.h"
#include "usbd/usb_port.h"

namespace quelix::test {

class FakeUsbCamera {
public:
    static constexpr uint8_t kCommandEndpoint = 0x01;
    static constexpr uint8_t kReplyEndpoint = 0x81;
    static constexpr uint8_t kImageEndpoint = 0x82;
    static constexpr usbd::PipeMap kPipes{{kCommandEndpoint, kReplyEndpoint, kImageEndpoint}};

    // A camera whose endpoints reach the simulated camera's node at `simulatedNode`.
    explicit FakeUsbCamera(std::string simulatedNode);
    ~FakeUsbCamera();
    FakeUsbCamera(const FakeUsbCamera&) = delete;
    FakeUsbCamera& operator=(const FakeUsbCamera&) = delete;

    usbd::UsbPort Port();

    // The next transfer on the endpoint stalls, and so does every one after
    // it until the halt is cleared.
    void StallNext(uint8_t endpoint);
    int HaltsCleared(uint8_t endpoint) const;
    // The device leaves the bus: transfers fail from now on.
    void Unplug();
    // The transfer time-out of the latest image transfer.
    uint32_t LastImageTimeoutMs() const { return lastImageTimeout_; }
    // Image transfers that have gone to the camera so far.
    int ImageTransfersStarted() const { return imageTransfers_; }
    int ImageTransfersEnded() const { return imageTransfersEnded_; }

private:
    struct Endpoint {
        std::atomic<bool> stallNext{false};
        std::atomic<bool> halted{false};
        std::atomic<int> cleared{0};
    };
    static usbd::TransferResult Bulk(void* context, uint8_t endpoint, uint8_t* data, uint32_t length,
                                     uint32_t timeoutMs, const usbd::AbandonCheck& abandoned);
    static bool ClearHalt(void* context, uint8_t endpoint);
    Endpoint* Find(uint8_t endpoint);
    const Endpoint* Find(uint8_t endpoint) const;

    // One request to the simulated camera on `fd` (connected on first use);
    // false when its connection fails.
    bool Exchange(std::atomic<int>& fd, uint32_t code, uint32_t pipe, uint8_t* data, uint32_t length,
                  bool carries, bool& success, uint32_t& moved);
    usbd::TransferResult Control(uint8_t endpoint, uint8_t* data, uint32_t length);
    usbd::TransferResult Image(uint8_t* data, uint32_t length, uint32_t timeoutMs);

    const std::string node_;
    std::atomic<bool> gone_{false};
    std::array<Endpoint, 3> endpoints_;
    std::atomic<uint32_t> lastImageTimeout_{0};
    std::atomic<int> imageTransfers_{0};
    std::atomic<int> imageTransfersEnded_{0};
    // The connections are used under their locks; Unplug shuts them down from outside.
    std::mutex controlMutex_;  // one control transfer at a time
    std::atomic<int> controlFd_{-1};
    std::mutex imageMutex_;  // one image transfer at a time; guards simulatedTimeout_
    std::atomic<int> imageFd_{-1};
    uint32_t simulatedTimeout_ = 3000;
};

}  // namespace quelix::test
