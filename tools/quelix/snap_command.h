// SPDX-License-Identifier: MIT
// `quelix snap`: one frame from a running preview, saved as an image file.
#pragma once

#include "quelix/snap_options.h"

namespace quelix::tool {

// The process exit code: 0 when the file was written.
int RunSnap(const SnapOptions& options);

}  // namespace quelix::tool
