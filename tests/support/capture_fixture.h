// SPDX-License-Identifier: MIT
// Tests that drive a camera through the exported functions against a
// simulated camera: a message window for its notifications and an
// initialised camera handle.
#pragma once

#include <optional>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "sim_fixture.h"

namespace quelix::test {

class CaptureTest : public SimulatedCameraTest {
protected:
    // Starts the simulated cameras, then a camera object on device 0.
    void StartCamera(const sim::CameraOptions& options = FastCameras(),
                     const std::vector<int>& devices = {0});
    void TearDown() override;

    // The next message of this kind within the time-out; others are kept in `skipped`.
    std::optional<QUELIX_MSG> WaitFor(uint32_t message, int timeoutMs = 5000);
    // The codes of the error notifications that have arrived so far.
    std::vector<long> ErrorNotifications();
    // Pops the error history, newest first.
    std::vector<int32_t> ErrorHistory();

    QUELIX_HWND window = nullptr;
    int32_t camera = 0;
    std::vector<QUELIX_MSG> skipped;
};

}  // namespace quelix::test
