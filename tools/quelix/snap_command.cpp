// SPDX-License-Identifier: MIT
#include "quelix/snap_command.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "quelix/camera_session.h"

namespace quelix::tool {

namespace {

// The longest wait for a frame before the snap gives up.
constexpr auto kFrameTimeout = std::chrono::seconds(10);

// Waits until `frames` frames have arrived; false when the stream ended or
// stalled.
bool WaitForFrames(CameraSession& session, long frames)
{
    auto lastFrame = std::chrono::steady_clock::now();
    for (long seen = 0; seen < frames;) {
        const CameraEvent event = session.NextEvent(100);
        const auto now = std::chrono::steady_clock::now();
        if (event.kind == CameraEvent::Frame) {
            ++seen;
            lastFrame = now;
        } else if (event.EndsStream()) {
            return false;
        } else if (now - lastFrame > kFrameTimeout) {
            std::fprintf(stderr, "quelix: no frame came from the camera\n");
            return false;
        }
    }
    return true;
}

}  // namespace

int RunSnap(const SnapOptions& options)
{
    CameraSession session;
    if (!session.Open(options, false) || !session.StartPreview())
        return 1;
    // The frames to skip, then the one to save.
    const bool framesCame = WaitForFrames(session, options.skip + 1);
    const int saved =
        framesCame ? Quelix_SaveImage(session.Camera(), options.output.c_str(), options.format) : 0;
    Quelix_StopPreview(session.Camera());
    if (!framesCame)
        return 1;
    if (!saved) {
        std::fprintf(stderr, "quelix: cannot write %s\n", options.output.c_str());
        return 1;
    }
    std::error_code error;
    const auto bytes = std::filesystem::file_size(options.output, error);
    std::printf("%s: %d x %d, %d bits per pixel, %s, %llu bytes\n", options.output.c_str(), session.Width(),
                session.Height(), options.bits, options.formatName.c_str(),
                static_cast<unsigned long long>(error ? 0 : bytes));
    return 0;
}

}  // namespace quelix::tool
