// SPDX-License-Identifier: MIT
// The few USB operations a served camera needs, as a table of functions:
// libusb fills it for a real device (libusb_port.h), tests fill it with a
// camera of their own.
#pragma once

#include <cstdint>
#include <functional>

namespace quelix::usbd {

enum class TransferStatus {
    Completed,  // the transfer ended normally; `moved` may still be short of the length
    Stalled,    // the endpoint answered with a stall (its halt must be cleared)
    TimedOut,
    Gone,       // the device has left the bus
    Cancelled,  // the waiting client went away
    Failed,     // any other error
};

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    uint32_t moved = 0;
};

// Asked now and then while a transfer runs; true ends it (Cancelled).
using AbandonCheck = std::function<bool()>;

struct UsbPort {
    void* context = nullptr;
    // One bulk transfer of `length` bytes on `endpoint` (bit 7 set: device
    // to host, into `data`; else from `data`). 0 ms means no time limit.
    TransferResult (*bulk)(void* context, uint8_t endpoint, uint8_t* data, uint32_t length,
                           uint32_t timeoutMs, const AbandonCheck& abandoned) = nullptr;
    // Clears the endpoint's halt; false when the device refuses.
    bool (*clearHalt)(void* context, uint8_t endpoint) = nullptr;
};

const char* TransferStatusName(TransferStatus status);

}  // namespace quelix::usbd
