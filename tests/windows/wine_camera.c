// SPDX-License-Identifier: MIT
/*
 * The Windows DLL against a camera: written against the public header only,
 * run under Wine with the simulated camera served over TCP. Opens device 0,
 * streams frames, saves a PNG (and a TIFF through the wide export), records an AVI, saves a mask file and
 * releases the camera, which writes its settings to the registry. The
 * files go to OUTDIR for the Linux side to read back.
 *
 *     wine_camera OUTDIR
 * Exits 0 when every step worked, 1 at the first that failed.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "QuelixSdk_205KWMX.h"

/* Prints the errors the camera recorded, newest first. */
static int Fail(int32_t camera, const char* what)
{
    int32_t error;
    int count = 0;
    fprintf(stderr, "FAIL: %s (errors", what);
    while (count++ < 4 && (error = Quelix_GetLastError(camera)) != 0)
        fprintf(stderr, " %ld", (long)error);
    fprintf(stderr, ")\n");
    return 1;
}

static int Path(char* out, size_t size, const char* directory, const char* name)
{
    return snprintf(out, size, "%s\\%s", directory, name) < (int)size;
}

int main(int argc, char** argv)
{
    int32_t camera, width, height, frame, stride, size;
    uint8_t* buffer;
    char path[1024];
    wchar_t widePath[1024];
    int failed = 0;

    if (argc != 2) {
        fprintf(stderr, "usage: wine_camera OUTDIR\n");
        return 2;
    }
    camera = Quelix_Initialize(NULL);
    if (camera == 0) {
        fprintf(stderr, "FAIL: Quelix_Initialize\n");
        return 1;
    }
    if (!Quelix_SetDeviceNumber(camera, 0))
        return Fail(camera, "Quelix_SetDeviceNumber: no camera at device 0 over TCP");
    if (!Quelix_SetColorMode(camera, 16))
        return Fail(camera, "Quelix_SetColorMode");
    width = Quelix_Width(camera);
    height = Quelix_Height(camera);
    printf("camera 0: %ld x %ld\n", (long)width, (long)height);
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return Fail(camera, "Quelix_Width/Quelix_Height");
    stride = (width * 2 + 3) & ~3;
    size = stride * height;
    buffer = malloc((size_t)size);
    if (buffer == NULL)
        return Fail(camera, "malloc");

    /* Streams: ten single frames, each a whole frame read over the driver. */
    if (!Quelix_Capture(camera))
        failed = Fail(camera, "Quelix_Capture");
    for (frame = 0; !failed && frame < 10; ++frame) {
        if (!Quelix_SnapShot(camera, buffer, size, 1))
            failed = Fail(camera, "Quelix_SnapShot");
    }
    if (!failed)
        printf("10 frames taken\n");

    if (!failed &&
        (!Path(path, sizeof path, argv[1], "frame.png") || !Quelix_SaveImage(camera, path, QUELIX_IMAGE_PNG)))
        failed = Fail(camera, "Quelix_SaveImage (PNG)");
    /* The W export takes the path as wchar_t. */
    if (!failed && (!Path(path, sizeof path, argv[1], "frame-wide.tif") ||
                    MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, 1024) == 0 ||
                    !Quelix_SaveImageW(camera, widePath, QUELIX_IMAGE_TIFF)))
        failed = Fail(camera, "Quelix_SaveImageW (TIFF)");
    /* Leaves capture mode: the recording runs its own preview. */
    if (!failed && !Quelix_Close(camera))
        failed = Fail(camera, "Quelix_Close");
    if (!failed && (!Path(path, sizeof path, argv[1], "clip.avi") || !Quelix_Record(camera, path, 500, 0)))
        failed = Fail(camera, "Quelix_Record");
    /* The recording runs on its own thread; stopping the preview ends it
     * and finishes the file, with however many frames came by then. */
    if (!failed) {
        Sleep(800);
        if (!Quelix_StopPreview(camera))
            failed = Fail(camera, "Quelix_StopPreview");
    }
    if (!failed && (!Path(path, sizeof path, argv[1], "masks.msk") || !Quelix_SaveMaskFile(camera, path)))
        failed = Fail(camera, "Quelix_SaveMaskFile");
    if (!failed && !Quelix_LoadMaskFile(camera, path))
        failed = Fail(camera, "Quelix_LoadMaskFile");
    free(buffer);
    if (!Quelix_Release(camera) && !failed)
        failed = Fail(camera, "Quelix_Release");
    if (!failed)
        printf("ok\n");
    return failed;
}
