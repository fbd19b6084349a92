// SPDX-License-Identifier: MIT
// A camera's claim that every process of every user on the machine sees: an
// advisory lock (flock) on the claim file ".NAME.claim" beside the device
// node NAME of the driver path "\\.\NAME". The lock ends with the process
// that holds it, so a crashed owner never keeps a camera. The shared device
// table is per user; this lock is what keeps one user's camera from another.
//
// A claim file that cannot be made or opened (a device directory others may
// not write) gives no cross-user claim: Take then holds nothing and
// succeeds, and HeldElsewhere sees nothing.
//
// On Windows the claim is the named mutex "Global\Quelix-NAME.claim" of the
// machine: whoever made it holds the claim until it closes it or ends.
#pragma once

#include <cstdint>

namespace quelix::platform {

class DeviceClaim {
public:
    DeviceClaim() = default;
    ~DeviceClaim() { Release(); }
    DeviceClaim(const DeviceClaim&) = delete;
    DeviceClaim& operator=(const DeviceClaim&) = delete;

    // Takes the claim of the driver path; false when another holder has it.
    // A claim this object already holds is given up first.
    bool Take(const char* driverPath);
    void Release();
    bool Held() const { return claim_ != kNoClaim; }

    // true when a holder has the claim of the driver path: another process,
    // or another DeviceClaim of this one. A probe: nothing stays locked.
    static bool HeldElsewhere(const char* driverPath);

private:
    // The locked claim file's descriptor; on Windows the claim's named mutex.
    using ClaimId = intptr_t;
    static constexpr ClaimId kNoClaim = -1;
    ClaimId claim_ = kNoClaim;
};

}  // namespace quelix::platform
