// SPDX-License-Identifier: MIT
/*
 * Loads the SDK with dlopen, as an application written in C would, and
 * checks the first steps of its interface. Both public headers must compile
 * as strict C99 without warnings.
 */
#include <dlfcn.h>
#include <stdio.h>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"

typedef int32_t (*GetDllVersionFn)(void);
typedef int32_t (*InitializeFn)(QUELIX_HWND);
typedef int32_t (*HandleFn)(int32_t);
typedef int32_t (*SetCrossbarFn)(int32_t, ...);
typedef QUELIX_HWND (*CreateWindowFn)(void);
typedef int (*GetMessageFn)(QUELIX_HWND, QUELIX_MSG*, int);
typedef int (*DestroyWindowFn)(QUELIX_HWND);

static int failures = 0;

static void check(int condition, const char* what)
{
    if (!condition) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

static void* symbol(void* library, const char* name)
{
    void* address = dlsym(library, name);
    if (address == NULL)
        fprintf(stderr, "missing symbol %s\n", name);
    return address;
}

int main(int argc, char** argv)
{
    void* library;
    GetDllVersionFn getDllVersion;
    InitializeFn initialize;
    HandleFn release, getLastError;
    SetCrossbarFn setCrossbar;
    CreateWindowFn createWindow;
    GetMessageFn getMessage;
    DestroyWindowFn destroyWindow;
    QUELIX_HWND window;
    QUELIX_MSG msg;
    int32_t camera;

    if (argc != 2) {
        fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return 2;
    }
    library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    /* Casting through a union keeps -pedantic quiet about object-to-function pointers. */
#define LOAD(variable, type, name)           \
    do {                                     \
        union {                              \
            void* object;                    \
            type function;                   \
        } cast;                              \
        cast.object = symbol(library, name); \
        variable = cast.function;            \
        if (variable == NULL)                \
            return 1;                        \
    } while (0)
    LOAD(getDllVersion, GetDllVersionFn, "Quelix_GetDllVersion");
    LOAD(initialize, InitializeFn, "Quelix_Initialize");
    LOAD(release, HandleFn, "Quelix_Release");
    LOAD(getLastError, HandleFn, "Quelix_GetLastError");
    LOAD(setCrossbar, SetCrossbarFn, "Quelix_SetCrossbar");
    LOAD(createWindow, CreateWindowFn, "QuelixPlatform_CreateMessageWindow");
    LOAD(getMessage, GetMessageFn, "QuelixPlatform_GetMessage");
    LOAD(destroyWindow, DestroyWindowFn, "QuelixPlatform_DestroyWindow");

    check(getDllVersion() == 8258836, "version before any camera is 8258836");
    check(QUELIX_DLL_VERSION == 8258836, "the header names the version");
    check(QUELIX_STRIDE(5, QUELIX_COLOR_BGR24) == 16 && QUELIX_STRIDE(1, QUELIX_COLOR_GRAY8) == 4 &&
              QUELIX_STRIDE(QUELIX_SENSOR_WIDTH, QUELIX_COLOR_GRAY16) == 640,
          "rows are padded to 4 bytes");
    check(sizeof(QUELIX_FRAME_INFO) == 32 && sizeof(QUELIX_CAMERA_INFO) == 36,
          "the records have their sizes");

    window = createWindow();
    check(window != NULL, "message window");
    camera = initialize(window);
    check(camera != 0, "Quelix_Initialize gives a handle");

    check(setCrossbar(camera) == 0, "Quelix_SetCrossbar returns 0");
    check(getMessage(window, &msg, 2000) == 1, "a notification arrives");
    check(msg.message == QUELIX_WM_ERROR && msg.wParam == 0 && msg.lParam == QUELIX_ERR_NOT_SUPPORTED,
          "the notification is (0x8003, 0, 11)");
    check(getLastError(camera) == 0, "the stub records nothing");

    check(release(camera) == 1, "first release succeeds");
    check(release(camera) == 0, "second release fails");
    check(destroyWindow(window) == 1, "window destroyed");

    if (failures == 0)
        printf("C interface through dlopen: ok\n");
    return failures == 0 ? 0 : 1;
}
