// SPDX-License-Identifier: MIT
#pragma once

namespace quelix::soak {

// The second process of a claim fault (quelix-soak --hold-claim N): claims
// camera N by streaming from it, writes 'c' to standard output, and streams
// until it is killed. 1 when the camera could not be claimed.
int HoldClaim(int device);

}  // namespace quelix::soak
