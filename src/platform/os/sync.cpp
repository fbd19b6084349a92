// SPDX-License-Identifier: MIT
#include "platform/os/sync.h"

#include <chrono>

namespace quelix::platform {

Event::Event(EventReset reset, bool initiallySet) : reset_(reset), set_(initiallySet) {}

void Event::Set()
{
    // Notified under the lock: a waiter that wakes may destroy the event at
    // once, so Set must not touch it after releasing the lock.
    std::lock_guard lock(mutex_);
    set_ = true;
    if (reset_ == EventReset::Manual)
        signalled_.notify_all();
    else
        signalled_.notify_one();
}

void Event::Reset()
{
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::Wait(int timeoutMs)
{
    std::unique_lock lock(mutex_);
    const auto isSet = [this] { return set_; };
    if (timeoutMs < 0)
        signalled_.wait(lock, isSet);
    else if (!signalled_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet))
        return false;
    if (reset_ == EventReset::Auto)
        set_ = false;
    return true;
}

bool Event::IsSet()
{
    std::lock_guard lock(mutex_);
    return set_;
}

}  // namespace quelix::platform
