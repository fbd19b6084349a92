// SPDX-License-Identifier: MIT
#include "platform/windowing/message_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

namespace quelix::platform {

MessageQueue::MessageQueue() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

MessageQueue::~MessageQueue()
{
    if (fd_ >= 0)
        close(fd_);
}

bool MessageQueue::Post(const QUELIX_MSG& message)
{
    {
        std::lock_guard lock(mutex_);
        if (closed_ || messages_.size() >= QUELIX_MAX_QUEUED_MESSAGES)
            return false;
        messages_.push_back(message);
        // The fd is readable exactly while the queue is non-empty.
        if (messages_.size() == 1) {
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t wrote = write(fd_, &one, sizeof one);
        }
    }
    posted_.notify_one();
    return true;
}

void MessageQueue::TakeFront(QUELIX_MSG& message)
{
    message = messages_.front();
    messages_.pop_front();
    if (messages_.empty()) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(fd_, &count, sizeof count);
    }
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
