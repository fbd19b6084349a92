// SPDX-License-Identifier: MIT
// The soak's report: the counts of each camera, the faults injected, and
// the checks that decide whether the soak passed.
#include <algorithm>
#include <cstdio>

#include "soak.h"

namespace quelix::soak {

namespace {

struct Totals {
    long longestStop = 0;
    long longestRecordingStop = 0;
    long unreported = 0;
    long losses = 0;
    long frames = 0;
    long saves = 0;
    long savesRefused = 0;
    long recordings = 0;
    long recordingsRefused = 0;
    long badFiles = 0;
};

}  // namespace

bool Soak::Report(const Recovery& recovery, const MemorySample& start, const MemorySample& end) const
{
    std::printf("\ncamera  frames  restarts  losses told  unreported  settings  longest stop\n");
    Totals totals;
    for (const auto& camera : cameras_) {
        std::printf("%6d %7ld %9ld %12ld %11ld %9ld %10ld ms\n", camera->device, camera->frames.load(),
                    camera->restarts.load(), camera->lossesTold.load(), camera->unreportedLosses.load(),
                    camera->settingsChanged.load(), camera->longestStopMs.load());
        totals.longestStop = std::max(totals.longestStop, camera->longestStopMs.load());
        totals.longestRecordingStop =
            std::max(totals.longestRecordingStop, camera->longestRecordingStopMs.load());
        totals.unreported += camera->unreportedLosses;
        totals.losses += camera->lossesTold;
        totals.frames += camera->frames;
        totals.saves += camera->saves;
        totals.savesRefused += camera->savesRefused;
        totals.recordings += camera->recordings;
        totals.recordingsRefused += camera->recordingsRefused;
        totals.badFiles += camera->badFiles;
    }
    std::printf(
        "\nfaults injected: %ld unplugs, %ld stalls, %ld stalls past the time-out, %ld short frames, "
        "%ld failing request runs, %ld claims by a killed process\n",
        faults_.unplugs, faults_.stalls, faults_.longStalls, faults_.shortFrames, faults_.failedRequests,
        faults_.claimsKilled);
    std::printf("frames: %ld; lost streams told to the application: %ld; unreported: %ld\n", totals.frames,
                totals.losses, totals.unreported);
    std::printf(
        "images saved while streaming: %ld (%ld refused); recordings stopped while streaming: %ld (%ld "
        "refused); files left broken or behind: %ld\n",
        totals.saves, totals.savesRefused, totals.recordings, totals.recordingsRefused, totals.badFiles);
    std::printf("claims of killed processes freed: %ld of %ld\n", faults_.claimsFreed, faults_.claimsKilled);
    std::printf(
        "every stop returned within %ld ms (bound %ld ms); every stop that ended a recording within %ld ms "
        "(bound %ld ms)\n",
        totals.longestStop, kStopBoundMs, totals.longestRecordingStop, kRecordingStopBoundMs);
    std::printf("all cameras streaming again %ld ms after the last fault (bound %ld ms): %s\n",
                recovery.milliseconds, kRecoveryBoundMs, recovery.allStreaming ? "yes" : "no");
    const long growth = end.residentKilobytes - start.residentKilobytes;
    std::printf("resident memory: %ld KiB at start, %ld KiB at end (%+ld KiB)\n", start.residentKilobytes,
                end.residentKilobytes, growth);
    if (start.heapKilobytes > 0)
        std::printf("heap in use: %ld KiB at start, %ld KiB at end (%+ld KiB)\n", start.heapKilobytes,
                    end.heapKilobytes, end.heapKilobytes - start.heapKilobytes);
    const bool passed = recovery.allStreaming && totals.unreported == 0 &&
                        totals.longestStop <= kStopBoundMs &&
                        totals.longestRecordingStop <= kRecordingStopBoundMs && faults_.claimsNotFreed == 0 &&
                        totals.badFiles == 0 && growth < 64 * 1024;
    std::printf("soak %s\n", passed ? "passed" : "FAILED");
    return passed;
}

}  // namespace quelix::soak
