// SPDX-License-Identifier: MIT
/*
 * The frame rate and the CPU time per frame of a C application that takes
 * frames through the callback preview (a buffer and a frame message per
 * frame), for comparison with the Python binding (python/bench_frames.py).
 *
 *     quelix_callback_rate FRAMES WAIT_MS [DEVICE]
 *
 * Prints one line: frames, seconds, frames per second, the trailer span
 * (frames the camera made meanwhile), CPU microseconds per frame of the
 * taking thread and of the whole process.
 */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"

static double Seconds(clockid_t clock)
{
    struct timespec now;
    clock_gettime(clock, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static double ProcessCpuSeconds(void)
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (double)usage.ru_utime.tv_sec + (double)usage.ru_stime.tv_sec +
           ((double)usage.ru_utime.tv_usec + (double)usage.ru_stime.tv_usec) * 1e-6;
}

int main(int argc, char** argv)
{
    const long wanted = argc > 1 ? atol(argv[1]) : 1000;
    const int waitMs = argc > 2 ? atoi(argv[2]) : 10;
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    const int32_t camera = window != NULL ? Quelix_Initialize(window) : 0;
    size_t size;
    uint8_t* buffer;
    long frames = 0;
    unsigned first = 0, last = 0;
    double wall, thread, process;

    if (camera == 0 || !Quelix_SetDeviceNumber(camera, argc > 3 ? atoi(argv[3]) : 0) ||
        !Quelix_SetColorMode(camera, 16) || !Quelix_SetWaitTime(camera, waitMs)) {
        fprintf(stderr, "no camera\n");
        return 1;
    }
    size = (((size_t)Quelix_Width(camera) * 2 + 3) & ~(size_t)3) * (size_t)Quelix_Height(camera);
    buffer = malloc(size);
    if (buffer == NULL || !Quelix_CallBackPreview(camera, window, buffer, (int32_t)size, 1)) {
        fprintf(stderr, "the preview did not start\n");
        return 1;
    }
    wall = Seconds(CLOCK_MONOTONIC);
    thread = Seconds(CLOCK_THREAD_CPUTIME_ID);
    process = ProcessCpuSeconds();
    while (frames < wanted) {
        QUELIX_MSG msg;
        if (!QuelixPlatform_GetMessage(window, &msg, 10000) || msg.message != QUELIX_WM_FRAME ||
            msg.wParam == 0)
            break;
        last = (unsigned)(uint16_t) * (const int32_t*)msg.lParam;
        if (frames++ == 0)
            first = last;
    }
    wall = Seconds(CLOCK_MONOTONIC) - wall;
    thread = Seconds(CLOCK_THREAD_CPUTIME_ID) - thread;
    process = ProcessCpuSeconds() - process;
    Quelix_StopPreview(camera);
    Quelix_Release(camera);
    QuelixPlatform_DestroyWindow(window);
    free(buffer);
    if (frames < wanted) {
        fprintf(stderr, "the stream ended after %ld frames\n", frames);
        return 1;
    }
    printf("%ld %.3f %.1f %u %.1f %.1f\n", frames, wall, frames / wall, (last - first) & 0xFFFFu,
           thread * 1e6 / frames, process * 1e6 / frames);
    return 0;
}
