// SPDX-License-Identifier: MIT
// `quelix stream`: a live preview through the public interface, reported once a second.
#pragma once

#include "quelix/stream_options.h"

namespace quelix::tool {

// The process exit code: 0 when the stream ran to its end.
int RunStream(const StreamOptions& options);

}  // namespace quelix::tool
