// SPDX-License-Identifier: MIT
// The simulated camera's control channel on any line: a command is carried
// out or refused with a message, never more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <unistd.h>

#include "sim/camera_simulator.h"
#include "sim/control_channel.h"

using namespace quelix::sim;

namespace {

const CameraSimulator& Simulator()
{
    static const std::unique_ptr<CameraSimulator> simulator = [] {
        char directory[] = "/tmp/quelix-fuzz-control-XXXXXX";
        if (mkdtemp(directory) == nullptr)
            std::abort();
        std::string error;
        auto started = CameraSimulator::Start({0, 3}, {.scene = "flat", .fast = true}, directory, &error);
        if (!started)
            std::abort();
        return started;
    }();
    return *simulator;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    if (line.find('\n') != std::string::npos)
        return 0;  // the channel reads up to the first newline
    const std::string reply = AnswerControlLine(Simulator(), line);
    if (reply != "ok\n" && reply.rfind("error ", 0) != 0)
        std::abort();
    // Cameras the input unplugged are back for the next one.
    for (int number : Simulator().DeviceNumbers())
        Simulator().Camera(number)->Plug(nullptr);
    return 0;
}
