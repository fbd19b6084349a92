// SPDX-License-Identifier: MIT
// Windows: the queue without the eventfd that X11 readers poll.
#include "platform/windowing/message_queue.h"

#include <chrono>
#include <cstdint>

namespace quelix::platform {

MessageQueue::MessageQueue() = default;

MessageQueue::~MessageQueue() = default;

bool MessageQueue::Post(const QUELIX_MSG& message)
{
    {
        std::lock_guard lock(mutex_);
        if (closed_ || messages_.size() >= QUELIX_MAX_QUEUED_MESSAGES)
            return false;
        messages_.push_back(message);
    }
    posted_.notify_one();
    return true;
}

void MessageQueue::TakeFront(QUELIX_MSG& message)
{
    message = messages_.front();
    messages_.pop_front();
}

bool MessageQueue::Get(QUELIX_MSG& message, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return closed_ || !messages_.empty(); };
    if (timeoutMs < 0)
        posted_.wait(lock, ready);
    else
        posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (closed_ || messages_.empty())
        return false;
    TakeFront(message);
    return true;
}

bool MessageQueue::Peek(QUELIX_MSG& message)
{
    std::lock_guard lock(mutex_);
    if (closed_ || messages_.empty())
        return false;
    TakeFront(message);
    return true;
}

void MessageQueue::Close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    posted_.notify_all();
}

}  // namespace quelix::platform
