// SPDX-License-Identifier: MIT
// The directory of the device nodes.
#pragma once

#include <sys/types.h>

#include <string>

namespace quelix::usbd {

// Makes the device directory when it is missing: mode 0750 and `group` (-1:
// the process's), so that only the group reaches the nodes. An existing
// directory is kept as it is. False with a message.
bool PrepareDirectory(const std::string& directory, gid_t group, std::string& error);

}  // namespace quelix::usbd
