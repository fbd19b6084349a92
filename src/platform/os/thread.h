// SPDX-License-Identifier: MIT
// Threads of the camera code: started with an optional request for a higher
// scheduling priority (best effort: refused requests are ignored), joined by
// their owner.
#pragma once

#include <functional>
#include <thread>

namespace quelix::platform {

enum class ThreadPriority { Normal, Highest };

class Thread {
public:
    Thread() = default;
    ~Thread() { Join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // false when the system could not create the thread.
    bool Start(std::function<void()> body, ThreadPriority priority = ThreadPriority::Normal);
    bool Running() const { return thread_.joinable(); }
    // Waits for the thread to end; harmless when none runs. Called from the
    // thread itself, it lets the thread go instead of waiting for itself.
    void Join();

private:
    std::thread thread_;
};

}  // namespace quelix::platform
