/*
 * What a Linux application needs from the Quelix SDK in place of the Windows
 * services the camera interface was made for: windows that receive the
 * library's messages (errors, frames), and later display windows and dialog
 * automation.
 *
 * A message window is a queue. The library posts to it from any thread and
 * never blocks; the application takes messages with QuelixPlatform_GetMessage
 * (blocking, with a time-out), QuelixPlatform_PeekMessage, or by polling
 * QuelixPlatform_MessageFd from its own event loop. A queue holds at most
 * QUELIX_MAX_QUEUED_MESSAGES; posting to a full queue is refused.
 */
#ifndef QUELIX_PLATFORM_H
#define QUELIX_PLATFORM_H

#include <stdint.h>

#include "QuelixTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QUELIX_MAX_QUEUED_MESSAGES 10000

typedef struct QUELIX_MSG {
    QUELIX_HWND hwnd;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    uint32_t time; /* milliseconds since boot, 32-bit, wrapping */
} QUELIX_MSG;

/* A window with a message queue only. NULL when it cannot be made. */
QUELIX_API QUELIX_HWND QuelixPlatform_CreateMessageWindow(void);

/* 1 destroyed, 0 unknown or already destroyed. Waiting readers return 0. */
QUELIX_API int QuelixPlatform_DestroyWindow(QUELIX_HWND window);

/* 1 posted, 0 refused (unknown or destroyed window, or a full queue). */
QUELIX_API int QuelixPlatform_PostMessage(QUELIX_HWND window, uint32_t message, uintptr_t wParam,
                                          intptr_t lParam);

/* 1 got one, 0 time-out or destroyed window. timeoutMs < 0 waits without limit. */
QUELIX_API int QuelixPlatform_GetMessage(QUELIX_HWND window, QUELIX_MSG* msg, int timeoutMs);

/* 1 removed one, 0 none (or unknown window). */
QUELIX_API int QuelixPlatform_PeekMessage(QUELIX_HWND window, QUELIX_MSG* msg);

/* A file descriptor that is readable while messages wait; -1 for an unknown
 * window. It belongs to the window: do not read or close it. */
QUELIX_API int QuelixPlatform_MessageFd(QUELIX_HWND window);

#ifdef __cplusplus
}
#endif

#endif /* QUELIX_PLATFORM_H */
