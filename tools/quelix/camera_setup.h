// What the commands that drive a camera share: the simulated camera of
// --simulate, the camera settings of the options, and Ctrl-C.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "quelix/stream_options.h"

namespace quelix::sim {
class CameraSimulator;
}

namespace quelix::tool {

// A simulated camera for `--simulate` when no camera node exists: its own
// device directory, named by QUELIX_DEVICE_DIR for the library.
class SimulatedCamera {
public:
    SimulatedCamera();
    ~SimulatedCamera();
    SimulatedCamera(const SimulatedCamera&) = delete;
    SimulatedCamera& operator=(const SimulatedCamera&) = delete;

    // Starts one when the options ask for it and no camera of that number is
    // attached; false, with a message printed, when it cannot start.
    bool StartIfAsked(const StreamOptions& options);

private:
    std::string directory_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
};

// The capture window, exposure, mirrors, automatic exposure and mask file of
// the options. False, with a message printed, when the camera refuses one.
bool ApplyCameraOptions(int32_t camera, const StreamOptions& options);

// Ctrl-C and SIGTERM end a command's loop instead of the process.
void CatchInterrupts();
bool Interrupted();

}  // namespace quelix::tool
