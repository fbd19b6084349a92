// SPDX-License-Identifier: MIT
/*
 * Live frames into a buffer: a preview that copies every processed frame
 * into the application's buffer and posts a frame message, taken in an event
 * loop that polls the message window's file descriptor (as an application
 * does beside its own sockets and timers).
 *
 *     live_frames [FRAMES] [DEVICE]
 */
#define _POSIX_C_SOURCE 200809L
#include <errno.h>
#include <poll.h>

#include "example_camera.h"

int main(int argc, char** argv)
{
    const long wanted = argc > 1 ? atol(argv[1]) : 100;
    ExampleCamera camera;
    struct pollfd events;
    uint8_t* buffer;
    size_t stride;
    int32_t width, height;
    long frames = 0;
    int failed = 0;

    if (!ExampleOpen(&camera, argc > 2 ? atoi(argv[2]) : 0))
        return 1;
    width = Quelix_Width(camera.handle);
    height = Quelix_Height(camera.handle);
    stride = ExampleStride(width);
    buffer = malloc(stride * (size_t)height);
    if (buffer == NULL) {
        ExampleClose(&camera);
        return 1;
    }
    /* Row option 1: rows in memory order, the top row of the picture first. */
    if (!Quelix_CallBackPreview(camera.handle, camera.window, buffer, (int32_t)(stride * (size_t)height), 1))
        failed = ExampleFailed(&camera, "Quelix_CallBackPreview");

    events.fd = QuelixPlatform_MessageFd(camera.window);
    events.events = POLLIN;
    while (!failed && frames < wanted) {
        QUELIX_MSG msg;
        const int ready = poll(&events, 1, 5000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            fprintf(stderr, "no frame for 5 seconds\n");
            failed = 1;
            break;
        }
        while (!failed && frames < wanted && QuelixPlatform_PeekMessage(camera.window, &msg)) {
            if (msg.message == QUELIX_WM_FRAME && msg.wParam != 0) {
                /* The record and the trailer word belong to the camera and
                 * change with the next frame: read them now. */
                const QUELIX_FRAME_INFO* info = (const QUELIX_FRAME_INFO*)msg.wParam;
                const uint16_t trailer = (uint16_t) * (const int32_t*)msg.lParam;
                ++frames;
                if (frames == 1 || frames % 25 == 0 || frames == wanted)
                    printf("frame %4ld  trailer %5u  %d x %d  %5.1f fps  mean %7.1f\n", frames, trailer,
                           (int)info->width, (int)info->height, info->fps10 / 10.0,
                           ExampleMean(buffer, info->width, info->height, stride));
            } else if (msg.message == QUELIX_WM_FRAME || msg.message == QUELIX_WM_ERROR) {
                fprintf(stderr, "camera error %ld\n", (long)msg.lParam);
                failed = msg.message == QUELIX_WM_FRAME;
            }
        }
    }

    Quelix_StopPreview(camera.handle);
    ExampleClose(&camera);
    free(buffer);
    return failed;
}
