// SPDX-License-Identifier: MIT
/*
 * A triggered capture: the camera waits for a pulse on its trigger input and
 * sends one frame per pulse; each arrives in the application's buffer with a
 * frame message. (With the simulated camera: `quelix-camsim --trigger-every
 * 100`, or `quelix-camsim ctl trigger 0` once per frame.)
 *
 *     triggered_capture [FRAMES] [DEVICE]
 */
#include "example_camera.h"

int main(int argc, char** argv)
{
    const long wanted = argc > 1 ? atol(argv[1]) : 5;
    ExampleCamera camera;
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
    if (!Quelix_Trigger(camera.handle, camera.window, buffer, (int32_t)(stride * (size_t)height), 1))
        failed = ExampleFailed(&camera, "Quelix_Trigger");
    else
        printf("waiting for %ld triggers\n", wanted);

    while (!failed && frames < wanted) {
        QUELIX_MSG msg;
        if (!QuelixPlatform_GetMessage(camera.window, &msg, 15000)) {
            fprintf(stderr, "no trigger for 15 seconds\n");
            failed = 1;
        } else if (msg.message == QUELIX_WM_FRAME && msg.wParam != 0) {
            const QUELIX_FRAME_INFO* info = (const QUELIX_FRAME_INFO*)msg.wParam;
            ++frames;
            printf("triggered frame %ld  trailer %5u  mean %7.1f\n", frames,
                   (unsigned)(uint16_t) * (const int32_t*)msg.lParam,
                   ExampleMean(buffer, info->width, info->height, stride));
        } else if (msg.message == QUELIX_WM_FRAME || msg.message == QUELIX_WM_ERROR) {
            fprintf(stderr, "camera error %ld\n", (long)msg.lParam);
        }
    }

    /* Leaves trigger mode: a read still waiting for a pulse ends at once. */
    Quelix_StopPreview(camera.handle);
    ExampleClose(&camera);
    free(buffer);
    return failed;
}
