// SPDX-License-Identifier: MIT
// quelix-camsim: serves simulated cameras until SIGINT or SIGTERM, or sends
// a control command to a running one (see --help).
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/driver/driver_wire.h"
#include "sim/camera_simulator.h"
#include "sim/command_line.h"
#include "sim/control_channel.h"

namespace {

using namespace quelix::sim;

int Serve(const CommandLine& line)
{
    // The signals are taken by sigwait below, never by a handler, and every
    // thread started from here on inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::string error;
    const std::unique_ptr<CameraSimulator> simulator =
        CameraSimulator::Start(line.cameras, line.options, line.directory, &error);
    if (simulator == nullptr) {
        std::fprintf(stderr, "quelix-camsim: %s\n", error.c_str());
        return 1;
    }
    ControlServer control(*simulator);
    if (!control.Open(error)) {
        std::fprintf(stderr, "quelix-camsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    int received = 0;
    sigwait(&stopSignals, &received);
    return 0;
}

int Control(const CommandLine& line)
{
    const std::string directory =
        line.directory.empty() ? quelix::driver_wire::DefaultDeviceDirectory() : line.directory;
    const std::string error = SendControlCommand(directory, line.command);
    if (!error.empty()) {
        std::fprintf(stderr, "quelix-camsim ctl: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, error)) {
        std::fprintf(stderr, "quelix-camsim: %s\n\n%s", error.c_str(), UsageText());
        return 2;
    }
    switch (line.mode) {
        case CommandLine::Mode::Help:
            std::fputs(UsageText(), stdout);
            return 0;
        case CommandLine::Mode::Control:
            return Control(line);
        case CommandLine::Mode::Serve:
            return Serve(line);
    }
    return 2;
}
