// SPDX-License-Identifier: MIT
/*
 * What every example does first and last: a message window for the
 * library's notifications, a camera object on it, and the camera at a device
 * number (the first argument the example is given after its own, or 0).
 */
#ifndef EXAMPLE_CAMERA_H
#define EXAMPLE_CAMERA_H

#include <stdio.h>
#include <stdlib.h>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"

typedef struct ExampleCamera {
    QUELIX_HWND window;
    int32_t handle;
} ExampleCamera;

/* Prints what failed with the camera's newest error code; returns 1 for main. */
static inline int ExampleFailed(const ExampleCamera* camera, const char* what)
{
    fprintf(stderr, "%s failed (error %ld)\n", what, (long)Quelix_GetLastError(camera->handle));
    return 1;
}

static inline void ExampleClose(ExampleCamera* camera)
{
    if (camera->handle != 0)
        Quelix_Release(camera->handle);
    if (camera->window != NULL)
        QuelixPlatform_DestroyWindow(camera->window);
    camera->handle = 0;
    camera->window = NULL;
}

/* 1 with the camera open at `device` and 16 bits per pixel, else 0 (said why). */
static inline int ExampleOpen(ExampleCamera* camera, int device)
{
    camera->window = QuelixPlatform_CreateMessageWindow();
    camera->handle = camera->window != NULL ? Quelix_Initialize(camera->window) : 0;
    if (camera->handle == 0) {
        fprintf(stderr, "cannot create a camera object\n");
        ExampleClose(camera);
        return 0;
    }
    if (!Quelix_SetDeviceNumber(camera->handle, device)) {
        fprintf(stderr, "no camera at device number %d (error %ld); is quelix-camsim running?\n", device,
                (long)Quelix_GetLastError(camera->handle));
        ExampleClose(camera);
        return 0;
    }
    if (!Quelix_SetColorMode(camera->handle, 16)) {
        ExampleFailed(camera, "Quelix_SetColorMode");
        ExampleClose(camera);
        return 0;
    }
    return 1;
}

/* The bytes of one frame at 16 bits per pixel: rows padded to 4 bytes. */
static inline size_t ExampleStride(int32_t width)
{
    return ((size_t)width * 2 + 3) & ~(size_t)3;
}

/* The mean sample of a 16-bit frame in a buffer of `stride`-byte rows. */
static inline double ExampleMean(const uint8_t* frame, int32_t width, int32_t height, size_t stride)
{
    double sum = 0;
    int32_t x, y;
    for (y = 0; y < height; ++y) {
        const uint16_t* row = (const uint16_t*)(const void*)(frame + (size_t)y * stride);
        for (x = 0; x < width; ++x)
            sum += row[x];
    }
    return width > 0 && height > 0 ? sum / ((double)width * height) : 0.0;
}

#endif /* EXAMPLE_CAMERA_H */
