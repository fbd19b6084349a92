// SPDX-License-Identifier: MIT
#include "claim_holder.h"

#include <unistd.h>

#include "QuelixSdk_205KWMX.h"

namespace quelix::soak {

int HoldClaim(int device)
{
    const int32_t handle = Quelix_Initialize(nullptr);
    if (handle == 0)
        return 1;
    if (Quelix_SetDeviceNumber(handle, device) != 1 || Quelix_StartPreview(handle) != 1) {
        // The camera could not be claimed (it may be unplugged): end cleanly.
        Quelix_Release(handle);
        return 1;
    }
    [[maybe_unused]] const ssize_t told = write(STDOUT_FILENO, "c", 1);
    for (;;)
        pause();
}

}  // namespace quelix::soak
