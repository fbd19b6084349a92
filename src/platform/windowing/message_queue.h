// SPDX-License-Identifier: MIT
// The message queue of one window: posted from any thread without blocking,
// taken in order by the window's reader, with an eventfd that is readable
// while messages wait so that readers can poll it from their own loops.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "QuelixPlatform.h"

namespace quelix::platform {

class MessageQueue {
public:
    MessageQueue();
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

#ifdef _WIN32
    // Windows readers wait on the queue itself: there is no descriptor.
    bool Valid() const
    {
        return true;
    }
    int Fd() const
    {
        return -1;
    }
#else
    bool Valid() const
    {
        return fd_ >= 0;
    }
    int Fd() const
    {
        return fd_;
    }
#endif

    // false when closed or full.
    bool Post(const QUELIX_MSG& message);
    // false on time-out or when the queue is closed (timeoutMs < 0: no limit).
    bool Get(QUELIX_MSG& message, int timeoutMs);
    bool Peek(QUELIX_MSG& message);
    // Refuses further posts and wakes every waiting reader.
    void Close();

private:
    void TakeFront(QUELIX_MSG& message);

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<QUELIX_MSG> messages_;
    bool closed_ = false;
#ifndef _WIN32
    int fd_;
#endif
};

}  // namespace quelix::platform
