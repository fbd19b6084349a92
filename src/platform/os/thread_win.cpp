// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/os/thread.h"

namespace quelix::platform {

bool Thread::Start(std::function<void()> body, ThreadPriority priority)
{
    if (thread_.joinable())
        return false;
    try {
        thread_ = std::thread([body = std::move(body), priority] {
            // Best effort, as on every system: a refused request leaves the
            // thread at its normal priority.
            if (priority == ThreadPriority::Highest)
                SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
            body();
        });
    } catch (...) {
        return false;
    }
    return true;
}

void Thread::Join()
{
    if (!thread_.joinable())
        return;
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();  // a thread cannot wait for itself; it ends on its own
    else
        thread_.join();
}

}  // namespace quelix::platform
