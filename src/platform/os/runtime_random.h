// SPDX-License-Identifier: MIT
// The C runtime's pseudo-random sequence as the original platform makes it:
// per thread, never seeded (seed 1), values 0 to 32767. It is kept here so
// that the library leaves the application's own rand() sequence alone.
#pragma once

namespace quelix::platform {

int RuntimeRandom();

}  // namespace quelix::platform
