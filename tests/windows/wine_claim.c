// SPDX-License-Identifier: MIT
/*
 * The claim of a camera between two processes under Wine.
 *
 *     wine_claim hold FLAG STOP   starts the preview of device 0 (which
 *                                 claims it), writes the file FLAG, and keeps
 *                                 the camera until the file STOP exists
 *     wine_claim probe            exits 0 when capture mode on device 0 is
 *                                 refused with QUELIX_ERR_NO_DEVICE (2) among
 *                                 its errors, as a camera another process
 *                                 streams must be
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "QuelixSdk_205KWMX.h"

static int Hold(const char* flag, const char* stop)
{
    const int32_t camera = Quelix_Initialize(NULL);
    FILE* file;
    int waited;
    if (camera == 0 || !Quelix_SetDeviceNumber(camera, 0) || !Quelix_StartPreview(camera)) {
        fprintf(stderr, "FAIL: hold: no preview on device 0 (error %ld)\n",
                (long)Quelix_GetLastError(camera));
        return 1;
    }
    file = fopen(flag, "w");
    if (file == NULL)
        return 1;
    fclose(file);
    /* At most a minute: a test that went wrong never leaves a holder behind for ever. */
    for (waited = 0; waited < 600 && GetFileAttributesA(stop) == INVALID_FILE_ATTRIBUTES; ++waited)
        Sleep(100);
    Quelix_Release(camera);
    return 0;
}

static int Probe(void)
{
    const int32_t camera = Quelix_Initialize(NULL);
    int32_t captured, error, count = 0, refused = 0;
    if (camera == 0)
        return 1;
    /* Selecting a camera another process streams only attaches to it. */
    if (!Quelix_SetDeviceNumber(camera, 0)) {
        fprintf(stderr, "FAIL: probe: device 0 not found (error %ld)\n", (long)Quelix_GetLastError(camera));
        Quelix_Release(camera);
        return 1;
    }
    captured = Quelix_Capture(camera);
    while (count++ < 4 && (error = Quelix_GetLastError(camera)) != 0)
        refused = refused || error == QUELIX_ERR_NO_DEVICE;
    Quelix_Release(camera);
    if (captured || !refused) {
        fprintf(stderr, "FAIL: probe: capture on device 0 gave %ld without error 2\n", (long)captured);
        return 1;
    }
    printf("ok: device 0 refused with 2\n");
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "hold") == 0)
        return Hold(argv[2], argv[3]);
    if (argc == 2 && strcmp(argv[1], "probe") == 0)
        return Probe();
    fprintf(stderr, "usage: wine_claim hold FLAG STOP | wine_claim probe\n");
    return 2;
}
