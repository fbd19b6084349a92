// What the camera commands of the tool share: a simulated camera for
// --simulate when none is attached, a camera object on a message window with
// the device, colour mode and settings of the options applied, and Ctrl-C.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "QuelixPlatform.h"
#include "quelix/stream_options.h"

namespace quelix::tool {

class SimulatedCamera;

class CameraSession {
public:
    CameraSession();
    // Releases the camera, its window and the simulated camera.
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    // Opens the camera of the options and applies them; false with the
    // reason printed. A preview window is asked for when --show is given or
    // a display exists.
    bool Open(const StreamOptions& options);

    QUELIX_HWND window = nullptr;
    int32_t camera = 0;
    std::string name;  // "Quelix205KWMX_NN"
    int32_t width = 0;
    int32_t height = 0;
    bool show = false;

private:
    std::unique_ptr<SimulatedCamera> simulated_;
};

// SIGINT and SIGTERM set a flag instead of ending the process.
void CatchInterrupts();
bool Interrupted();

}  // namespace quelix::tool
