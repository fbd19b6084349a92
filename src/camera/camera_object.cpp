// SPDX-License-Identifier: MIT
#include "camera/camera_object.h"

#include <algorithm>

#include "platform/os/clock.h"

namespace quelix {

CQuelix::CQuelix() : fpsStart(platform::TickCount()) {}

void CQuelix::PostError(int32_t code)
{
    {
        std::lock_guard lock(errorHistoryLock_);
        std::copy_backward(errorHistory_.begin(), errorHistory_.end() - 1, errorHistory_.end());
        errorHistory_[0] = code;
    }
    NotifyError(code);
}

void CQuelix::NotifyError(int32_t code) const
{
    if (errorWindow != nullptr)
        platform::PostMessage(errorWindow, QUELIX_WM_ERROR, 0, code);
}

int32_t CQuelix::GetLastError()
{
    std::lock_guard lock(errorHistoryLock_);
    const int32_t newest = errorHistory_[0];
    std::copy(errorHistory_.begin() + 1, errorHistory_.end(), errorHistory_.begin());
    errorHistory_.back() = 0;
    return newest;
}

}  // namespace quelix
