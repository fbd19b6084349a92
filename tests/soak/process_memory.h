// SPDX-License-Identifier: MIT
// The memory figures the soak watches: the resident size of the process and
// the bytes its allocator has handed out.
#pragma once

#include <string>

namespace quelix::soak {

long ResidentKilobytes();
// Bytes the allocator has handed out and not had back. Set against the
// resident size, it tells memory the program holds from memory the allocator
// keeps for reuse. 0 where the allocator does not tell (the sanitizers').
long HeapInUseKilobytes();
// "N KiB", or "unknown" for 0.
std::string HeapText(long kilobytes);

}  // namespace quelix::soak
