// SPDX-License-Identifier: MIT
// How quelix-usbd serves the driver requests of one camera over its USB
// pipes (docs/driver-protocol.md, "The driver over USB"):
//   - a command packet on pipe 0 is one 64-byte bulk OUT transfer; a query
//     (sensor, logic-device or ID-memory read) is followed at once by the
//     64-byte bulk IN of its reply, which the handle keeps, so pipe-1 reads
//     return their own handle's reply as often as they are read;
//   - a frame read on pipe 2 is one bulk IN transfer of the request's length
//     with the camera's transfer time-out;
//   - the time-out request sets that time-out.
// Pipes 0 and 1 share one lock, pipe 2 has its own, so a frame read never
// holds up a control request. A stalled endpoint's halt is cleared before
// its next transfer. Safe to call from any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "usbd/driver_messages.h"
#include "usbd/pipe_map.h"
#include "usbd/usb_port.h"

namespace quelix::usbd {

struct Request {
    uint32_t code = 0;
    std::span<const uint8_t> input;
    std::span<const uint8_t> carried;  // the caller's buffer, for pipe-0 requests
    uint32_t outputLength = 0;
};

struct Reply {
    bool success = false;
    uint32_t bytesReturned = 0;
    uint32_t dataLength = 0;  // bytes of `data` that go back to the caller
};

// What one driver handle keeps: the reply to its most recent query.
struct HandleState {
    std::array<uint8_t, kPacketSize> reply{};
    bool hasReply = false;
};

// Whether a command packet asks the camera for a reply on pipe 1.
bool IsQueryCommand(uint8_t command);

class CameraLink {
public:
    // `label` names the camera in log lines.
    CameraLink(UsbPort port, PipeMap pipes, std::string label);

    // Serves one request; `data` (owned by the connection) receives what a read brought in.
    Reply Serve(HandleState& handle, const Request& request, std::vector<uint8_t>& data,
                const AbandonCheck& abandoned);

    // The device left: every request from now on fails at once.
    void Disconnect() { gone_ = true; }
    uint32_t TimeoutMs() const { return timeoutMs_; }

private:
    Reply SetTimeout(std::span<const uint8_t> input);
    Reply WriteCommand(HandleState& handle, const Request& request, const AbandonCheck& abandoned);
    Reply ReadFrame(uint32_t length, std::vector<uint8_t>& data, const AbandonCheck& abandoned);
    // One transfer on a pipe, its halt cleared first; notes a new stall.
    TransferResult Transfer(uint32_t pipe, uint8_t* data, uint32_t length, uint32_t timeoutMs,
                            const AbandonCheck& abandoned);

    const UsbPort port_;
    const PipeMap pipes_;
    const std::string label_;
    std::atomic<bool> gone_{false};
    std::atomic<uint32_t> timeoutMs_{kPowerOnTimeoutMs};
    std::array<std::atomic<bool>, kPipeCount> halted_{};
    std::mutex controlMutex_;  // one command and its reply at a time on pipes 0 and 1
    std::mutex imageMutex_;    // one frame read at a time on pipe 2
};

}  // namespace quelix::usbd
