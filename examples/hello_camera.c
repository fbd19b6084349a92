// SPDX-License-Identifier: MIT
/*
 * The smallest program of the Quelix SDK: prints the library version, opens a
 * camera with a message window for its error notifications, asks for a
 * feature this camera does not have, and shows the notification it gets.
 */
#include <stdio.h>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"

int main(void)
{
    QUELIX_HWND window;
    int32_t camera, released, releasedAgain;
    QUELIX_MSG msg;

    printf("Quelix SDK version %ld (0x%lX)\n", (long)Quelix_GetDllVersion(),
           (unsigned long)Quelix_GetDllVersion());

    window = QuelixPlatform_CreateMessageWindow();
    if (window == NULL) {
        fprintf(stderr, "cannot create a message window\n");
        return 1;
    }
    camera = Quelix_Initialize(window);
    if (camera == 0) {
        fprintf(stderr, "cannot create a camera object\n");
        return 1;
    }
    printf("camera handle %ld, last error %ld\n", (long)camera, (long)Quelix_GetLastError(camera));

    Quelix_SetCrossbar(camera);
    while (QuelixPlatform_GetMessage(window, &msg, 100)) {
        if (msg.message == QUELIX_WM_ERROR)
            printf("error notification: code %ld\n", (long)msg.lParam);
    }

    released = Quelix_Release(camera);
    releasedAgain = Quelix_Release(camera);
    printf("release: %ld, again: %ld\n", (long)released, (long)releasedAgain);
    QuelixPlatform_DestroyWindow(window);
    return 0;
}
