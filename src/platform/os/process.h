// SPDX-License-Identifier: MIT
// The identity of processes: this process's id, and whether another one
// still runs.
#pragma once

#include <cstdint>

namespace quelix::platform {

uint64_t CurrentProcessId();
// true while a process with this id exists (0 never does).
bool ProcessExists(uint64_t processId);

}  // namespace quelix::platform
