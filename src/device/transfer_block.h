// SPDX-License-Identifier: MIT
// The record the transfer thread and the capture thread share while frames
// stream. The producer (transfer thread) writes writeIndex, resultCode and
// the flags; the consumer writes readIndex and asks to stop through
// stopFlag. Choosing the consumer's slot and the producer's step to its next
// slot each happen under ringLock, so the producer never starts filling the
// slot the consumer is copying. A start resets the ring count and the
// indices (under ringLock) and the other fields before it publishes
// stopFlag 0, so a consumer that sees the stream running sees all of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/os/sync.h"
#include "platform/os/thread.h"

namespace quelix {

struct TransferBlock {
    uint32_t transferBytes = 0;
    // Lives as long as the device object, so a consumer still waiting on it
    // while another thread stops the stream never waits on a freed event.
    // The end of the thread is waited for by joining it.
    platform::Event frameEvent{platform::EventReset::Auto};  // set after every frame read
    std::atomic<int32_t> resultCode{0};  // 0 stopped on request, 10 not opened, 19 read failed
    std::atomic<int32_t> stopFlag{1};    // 1: not running, or asked to stop
    std::atomic<int32_t> errorFlag{0};   // 1: ended because a frame read failed
    std::atomic<int32_t> ringCount{0};
    std::vector<uint8_t*> ring;  // the device object's ring slots
    // Per slot: when the thread held the whole frame (monotonic ns). Written
    // before the slot is published, read after it is chosen, like its pixels.
    std::vector<uint64_t> arrivalNs;
    std::atomic<int32_t> writeIndex{0};  // slot being filled
    std::atomic<int32_t> readIndex{0};   // slot the consumer reads next
    int32_t largeTransfer = 0;
    std::string devicePath;
    std::mutex ringLock;
    platform::Thread thread;
};

// The slot the producer fills after `write`: the next one, wrapping, or the
// one after that when the next is the consumer's.
inline int AdvanceWriteIndex(int write, int read, int count)
{
    int next = write + 1 == count ? 0 : write + 1;
    if (next == read)
        next = next + 1 == count ? 0 : next + 1;
    return next;
}

}  // namespace quelix
