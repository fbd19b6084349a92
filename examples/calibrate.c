// SPDX-License-Identifier: MIT
/*
 * A calibration: a dark reference (shutter closed) and a bright reference
 * (uniform light) taken from the camera, from which the library derives its
 * masks of hot and dead pixels; both go into a mask file, and the defect
 * filter is switched on. Each reference is taken at 16 and at 8 bits per
 * sample, so the correction works in every colour mode. (`quelix calibrate`
 * averages many frames per reference.)
 *
 *     calibrate FILE.msk [DEVICE]
 */
#include "example_camera.h"

/* Waits for Enter after the prompt; 0 at the end of the input. */
static int Ask(const char* prompt)
{
    int c;
    printf("%s, then press Enter\n", prompt);
    fflush(stdout);
    while ((c = getchar()) != EOF && c != '\n') {
    }
    return c != EOF;
}

/* Takes the current picture as the dark (0) or the bright (1) reference. */
static int TakeReference(ExampleCamera* camera, int which)
{
    static const int32_t bits[] = {16, 8};
    size_t i;
    for (i = 0; i < sizeof bits / sizeof bits[0]; ++i) {
        if (!Quelix_SetColorMode(camera->handle, bits[i]))
            return !ExampleFailed(camera, "Quelix_SetColorMode");
        if (!Quelix_SnapShot(camera->handle, NULL, 0, 1))
            return !ExampleFailed(camera, "Quelix_SnapShot");
        if (!Quelix_UpdateMaskData(camera->handle, which))
            return !ExampleFailed(camera, "Quelix_UpdateMaskData");
    }
    return 1;
}

int main(int argc, char** argv)
{
    ExampleCamera camera;
    int ok;

    if (argc < 2) {
        fprintf(stderr, "usage: calibrate FILE.msk [DEVICE]\n");
        return 2;
    }
    if (!ExampleOpen(&camera, argc > 2 ? atoi(argv[2]) : 0))
        return 1;
    ok = Ask("Close the shutter") && TakeReference(&camera, 0) &&
         Ask("Show the camera a uniform bright field") && TakeReference(&camera, 1);
    if (ok && !Quelix_SaveMaskFile(camera.handle, argv[1]))
        ok = !ExampleFailed(&camera, "Quelix_SaveMaskFile");
    /* Loading it back checks the file; later sessions start this way. */
    if (ok && !Quelix_LoadMaskFile(camera.handle, argv[1]))
        ok = !ExampleFailed(&camera, "Quelix_LoadMaskFile");
    if (ok && !Quelix_SetMaskFilter(camera.handle, 1))
        ok = !ExampleFailed(&camera, "Quelix_SetMaskFilter");
    if (ok)
        printf("mask file %s written and loaded; defect filter on\n", argv[1]);
    ExampleClose(&camera);
    return ok ? 0 : 1;
}
