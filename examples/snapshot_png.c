// SPDX-License-Identifier: MIT
/*
 * A snapshot saved as PNG: one frame taken synchronously through the whole
 * correction pipeline, then the latest frame written as a 16-bit gray PNG.
 *
 *     snapshot_png FILE.png [DEVICE]
 */
#include "example_camera.h"

int main(int argc, char** argv)
{
    ExampleCamera camera;
    int failed = 0;

    if (argc < 2) {
        fprintf(stderr, "usage: snapshot_png FILE.png [DEVICE]\n");
        return 2;
    }
    if (!ExampleOpen(&camera, argc > 2 ? atoi(argv[2]) : 0))
        return 1;
    /* No buffer: the frame is only processed and kept as the latest frame. */
    if (!Quelix_SnapShot(camera.handle, NULL, 0, 1))
        failed = ExampleFailed(&camera, "Quelix_SnapShot");
    else if (!Quelix_SaveImage(camera.handle, argv[1], 5 /* PNG */))
        failed = ExampleFailed(&camera, "Quelix_SaveImage");
    else
        printf("saved %d x %d frame to %s\n", (int)Quelix_Width(camera.handle),
               (int)Quelix_Height(camera.handle), argv[1]);
    ExampleClose(&camera);
    return failed;
}
