// SPDX-License-Identifier: MIT
/*
 * A 3-second AVI recording: the library starts the preview, and a record
 * thread appends every processed frame to an uncompressed 24-bit AVI file.
 * The call returns at once; the library writes the file under a temporary
 * name and renames it into place when the recording is finished, so the
 * file appearing (or an older one being replaced) is the end.
 *
 *     record_avi FILE.avi [SECONDS] [DEVICE]
 */
#define _POSIX_C_SOURCE 200809L
#include <sys/stat.h>

#include "example_camera.h"

/* The identity of the file at `path`: 0 when there is none. */
static unsigned long long FileIdentity(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 ? (unsigned long long)status.st_ino : 0;
}

int main(int argc, char** argv)
{
    ExampleCamera camera;
    unsigned long long before;
    long waitedMs = 0, limitMs;
    int seconds, failed = 0, finished = 0;

    if (argc < 2) {
        fprintf(stderr, "usage: record_avi FILE.avi [SECONDS] [DEVICE]\n");
        return 2;
    }
    seconds = argc > 2 ? atoi(argv[2]) : 3;
    if (seconds < 0 || seconds > 3600) {
        fprintf(stderr, "record_avi: SECONDS is 0 to 3600\n");
        return 2;
    }
    if (!ExampleOpen(&camera, argc > 3 ? atoi(argv[3]) : 0))
        return 1;
    before = FileIdentity(argv[1]);
    if (!Quelix_Record(camera.handle, argv[1], seconds * 1000, 0 /* no preview window */)) {
        failed = ExampleFailed(&camera, "Quelix_Record");
    } else {
        printf("recording %d s to %s\n", seconds, argv[1]);
        fflush(stdout);
    }

    /* The time counts from the first frame; allow some for the start. */
    limitMs = seconds * 1000L + 10000;
    while (!failed && !finished && waitedMs < limitMs) {
        QUELIX_MSG msg;
        if (QuelixPlatform_GetMessage(camera.window, &msg, 100) && msg.message == QUELIX_WM_ERROR) {
            fprintf(stderr, "camera error %ld\n", (long)msg.lParam);
            failed = 1;
        }
        waitedMs += 100;
        finished = FileIdentity(argv[1]) != before;
    }
    /* Stops the preview; a recording still running is finished first. */
    Quelix_StopPreview(camera.handle);
    if (!finished && FileIdentity(argv[1]) == before) {
        fprintf(stderr, "no recording was written to %s\n", argv[1]);
        failed = 1;
    } else if (!failed) {
        printf("recorded %s\n", argv[1]);
    }
    ExampleClose(&camera);
    return failed;
}
