// SPDX-License-Identifier: MIT
// RecordQueue: the frames on their way from the capture thread to the record
// thread. The capture thread offers each frame it finishes; the queue copies
// it into one of a fixed number of slots with the time it was finished and
// wakes the record thread, which converts and writes the frames in order.
// The copy is made by the thread that made the frame, so no frame is torn,
// and a record thread that is late by a few frames (a busy machine, a slow
// write) loses none of them. When every slot is taken the frame is skipped
// and counted, so a recorder that falls behind for longer never holds more
// than the slots' memory.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "image/dib_image.h"
#include "platform/os/sync.h"

namespace quelix {

class RecordQueue {
public:
    static constexpr size_t kSlots = 16;

    struct Frame {
        const CDibImage* image;
        uint32_t time;  // tick count when it was offered
    };

    // Makes the slots for frames of the size and depth of `shape`, empty,
    // and starts taking frames. false when memory runs out.
    bool Open(const CDibImage& shape);
    // Stops taking frames and frees the slots; the consumer no longer uses them.
    void Close();

    // Capture thread: queues a copy of the frame (ignored while closed). A
    // frame that finds no free slot, or has another size or depth than the
    // slots, is counted in Skipped.
    void Offer(const CDibImage& image);
    // Record thread: the oldest queued frame, waiting up to timeoutMs for
    // one; image null when none came. It stays valid until Pop.
    Frame Front(int timeoutMs);
    // Drops the front frame, freeing its slot.
    void Pop();
    // Makes a waiting Front return.
    void Wake() { ready_.Set(); }

    uint64_t Skipped() const { return skipped_; }

private:
    std::mutex lock_;  // slots, head, count, open
    platform::Event ready_{platform::EventReset::Auto};
    std::array<std::unique_ptr<CDibImage>, kSlots> slots_;
    std::array<uint32_t, kSlots> times_{};
    size_t head_ = 0;
    size_t count_ = 0;
    std::atomic<bool> open_{false};
    std::atomic<uint64_t> skipped_{0};
};

}  // namespace quelix
