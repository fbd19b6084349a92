// SPDX-License-Identifier: MIT
// What the correction pipeline tells an open settings dialog from the
// capture thread: the camera dialog shows the exposure that automatic
// exposure has just set, the filter dialog refreshes its controls after an
// automatic gray balance step. A dialog installs its callback while it is
// open and removes it before it closes; the pipeline calls it only while one
// is installed.
#pragma once

#include <functional>
#include <mutex>
#include <utility>

namespace quelix {

template <class... Args>
class DialogHook {
public:
    using Callback = std::function<void(Args...)>;

    void Install(Callback callback)
    {
        std::lock_guard lock(mutex_);
        callback_ = std::move(callback);
    }
    // Returns once no call of the callback runs any more. The callback must
    // not wait for the thread that removes it.
    void Remove()
    {
        std::lock_guard lock(mutex_);
        callback_ = nullptr;
    }
    void Notify(Args... args)
    {
        std::lock_guard lock(mutex_);
        if (callback_)
            callback_(args...);
    }

private:
    std::mutex mutex_;
    Callback callback_;
};

}  // namespace quelix
