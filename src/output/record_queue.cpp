// SPDX-License-Identifier: MIT
#include "output/record_queue.h"

#include <cstring>

#include "platform/os/clock.h"

namespace quelix {

bool RecordQueue::Open(const CDibImage& shape)
{
    std::lock_guard guard(lock_);
    head_ = 0;
    count_ = 0;
    skipped_ = 0;
    for (auto& slot : slots_) {
        slot = std::make_unique<CDibImage>();
        if (!slot->CreateLike(&shape)) {
            for (auto& made : slots_)
                made.reset();
            return false;
        }
    }
    ready_.Reset();
    open_ = true;
    return true;
}

void RecordQueue::Close()
{
    std::lock_guard guard(lock_);
    open_ = false;
    count_ = 0;
    for (auto& slot : slots_)
        slot.reset();
}

void RecordQueue::Offer(const CDibImage& image)
{
    if (!open_.load(std::memory_order_relaxed))
        return;
    {
        std::lock_guard guard(lock_);
        if (!open_)
            return;
        CDibImage& slot = *slots_[(head_ + count_) % kSlots];
        if (count_ == kSlots || image.pBits == nullptr || image.width != slot.width ||
            image.height != slot.height || image.bitCount != slot.bitCount) {
            ++skipped_;
            return;
        }
        std::memcpy(slot.pBits, image.pBits,
                    static_cast<size_t>(slot.stride) * static_cast<size_t>(slot.height));
        times_[(head_ + count_) % kSlots] = platform::TickCount();
        ++count_;
    }
    ready_.Set();
}

RecordQueue::Frame RecordQueue::Front(int timeoutMs)
{
    {
        std::lock_guard guard(lock_);
        if (count_ > 0)
            return {slots_[head_].get(), times_[head_]};
    }
    ready_.Wait(timeoutMs);
    std::lock_guard guard(lock_);
    if (count_ > 0)
        return {slots_[head_].get(), times_[head_]};
    return {nullptr, 0};
}

void RecordQueue::Pop()
{
    std::lock_guard guard(lock_);
    if (count_ > 0) {
        head_ = (head_ + 1) % kSlots;
        --count_;
    }
}

}  // namespace quelix
