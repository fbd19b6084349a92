// SPDX-License-Identifier: MIT
#include "platform/os/thread.h"

#include <pthread.h>
#include <sched.h>

namespace quelix::platform {

namespace {

void RaisePriority()
{
    // Real-time scheduling needs privileges most users lack; the thread then
    // keeps its normal priority, as the camera code expects of a best-effort
    // request.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    pthread_setschedparam(pthread_self(), SCHED_RR, &param);
}

}  // namespace

bool Thread::Start(std::function<void()> body, ThreadPriority priority)
{
    if (thread_.joinable())
        return false;
    try {
        thread_ = std::thread([body = std::move(body), priority] {
            if (priority == ThreadPriority::Highest)
                RaisePriority();
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
