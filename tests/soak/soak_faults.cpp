// SPDX-License-Identifier: MIT
// The faults the soak injects: unplug and plug, stalls, short frames,
// failing requests, and a second process that claims a camera and is
// killed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "process_memory.h"
#include "soak.h"

namespace quelix::soak {

using std::chrono::milliseconds;

void Soak::InjectFaultsFor(int seconds)
{
    const auto faultsStart = Clock::now();
    const auto faultsEnd = faultsStart + std::chrono::seconds(seconds);
    long minutesReported = 0;
    while (Clock::now() < faultsEnd) {
        InjectFault();
        std::this_thread::sleep_for(milliseconds(100 + random_() % 400));
        if (ElapsedMs(faultsStart) >= (minutesReported + 1) * 60000) {
            ++minutesReported;
            std::printf("minute %ld: resident %ld KiB, heap in use %s\n", minutesReported,
                        ResidentKilobytes(), HeapText(HeapInUseKilobytes()).c_str());
            std::fflush(stdout);
        }
    }
}

Recovery Soak::AwaitRecovery()
{
    // Every camera is plugged in again; each must stream again.
    for (int device = 0; device < options_.cameras; ++device)
        simulator_->Camera(device)->Plug(nullptr);
    for (auto& camera : cameras_)
        camera->framesSinceLastFault = 0;
    const auto recoveryStart = Clock::now();
    Recovery recovery;
    while (!recovery.allStreaming && ElapsedMs(recoveryStart) < kRecoveryBoundMs) {
        std::this_thread::sleep_for(milliseconds(100));
        recovery.allStreaming = std::all_of(cameras_.begin(), cameras_.end(), [](const auto& camera) {
            return camera->framesSinceLastFault >= 10;
        });
    }
    recovery.milliseconds = ElapsedMs(recoveryStart);
    return recovery;
}

// A second process claims the camera, streams from it and is killed.
void Soak::KillAClaim(SoakCamera& camera)
{
    camera.holdStopped = true;
    for (int turn = 0; turn < 1500 && !camera.stoppedForHold; ++turn)
        std::this_thread::sleep_for(milliseconds(10));
    int ready[2];
    if (pipe(ready) != 0) {
        camera.holdStopped = false;
        return;
    }
    const std::string device = std::to_string(camera.device);
    const pid_t child = fork();
    if (child == 0) {
        dup2(ready[1], STDOUT_FILENO);
        execl("/proc/self/exe", "quelix-soak", "--hold-claim", device.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    bool claimed = false;
    if (child > 0) {
        char byte = 0;
        claimed = read(ready[0], &byte, 1) == 1 && byte == 'c';
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    close(ready[0]);
    if (claimed)
        ++faults_.claimsKilled;
    // The dead process's claim must not keep this camera from streaming.
    const long restartsBefore = camera.restarts;
    camera.holdStopped = false;
    if (!claimed)
        return;
    for (int turn = 0; turn < 500 && camera.restarts == restartsBefore; ++turn)
        std::this_thread::sleep_for(milliseconds(10));
    if (camera.restarts != restartsBefore)
        ++faults_.claimsFreed;
    else
        ++faults_.claimsNotFreed;
}

void Soak::InjectFault()
{
    SoakCamera& camera = *cameras_[random_() % cameras_.size()];
    sim::SimulatedCamera& device = *simulator_->Camera(camera.device);
    camera.framesSinceLastFault = 0;
    switch (random_() % 10) {
        case 0:
        case 1: {
            camera.pluggedBackAt = 0;
            camera.lossExpected = camera.streaming.load();
            device.Unplug();
            ++faults_.unplugs;
            std::this_thread::sleep_for(milliseconds(300 + random_() % 1500));
            device.Plug(nullptr);
            camera.pluggedBackAt = NowMs();
            break;
        }
        case 2:
        case 3:
            device.Stall(static_cast<int>(50 + random_() % 2000));
            ++faults_.stalls;
            break;
        case 4:
            device.Stall(kLongStallMs);
            ++faults_.longStalls;
            break;
        case 5:
        case 6:
            device.ShortNextFrame();
            ++faults_.shortFrames;
            break;
        case 7:
        case 8:
            device.FailNextRequests(static_cast<int>(1 + random_() % 4));
            ++faults_.failedRequests;
            break;
        default:
            KillAClaim(camera);
            break;
    }
}

}  // namespace quelix::soak
