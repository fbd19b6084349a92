// SPDX-License-Identifier: MIT
#include "platform/driver/device_liveness.h"

namespace quelix::platform {

Admission DeviceLiveness::Admit(const std::string& node, bool mayProbe, Clock::time_point now)
{
    std::lock_guard lock(mutex_);
    const auto found = silent_.find(node);
    if (found == silent_.end())
        return Admission::Send;
    Silence& silence = found->second;
    if (!mayProbe || silence.probing || now - silence.lastAttempt < kProbeInterval)
        return Admission::Refuse;
    silence.probing = true;
    return Admission::Probe;
}

void DeviceLiveness::Report(const std::string& node, Admission admitted, Verdict verdict,
                            Clock::time_point now)
{
    std::lock_guard lock(mutex_);
    if (verdict == Verdict::Answered) {
        silent_.erase(node);
        return;
    }
    if (verdict == Verdict::NotAnswering) {
        Silence& silence = silent_[node];
        silence.lastAttempt = now;
        if (admitted == Admission::Probe)
            silence.probing = false;
        return;
    }
    // A probe that decided nothing is spent all the same.
    const auto found = silent_.find(node);
    if (admitted == Admission::Probe && found != silent_.end()) {
        found->second.probing = false;
        found->second.lastAttempt = now;
    }
}

bool DeviceLiveness::Answering(const std::string& node)
{
    std::lock_guard lock(mutex_);
    return !silent_.contains(node);
}

DeviceLiveness& Liveness()
{
    static DeviceLiveness liveness;
    return liveness;
}

}  // namespace quelix::platform
