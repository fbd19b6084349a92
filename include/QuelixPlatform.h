/*
 * What a Linux application needs from the Quelix SDK in place of the Windows
 * services the camera interface was made for: windows that receive the
 * library's messages (errors, frames), display windows that the live preview
 * can be shown in, and the automation of the settings dialogs.
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

/* Posted to an application's display window when the user asks to close it. */
#define QUELIX_WM_CLOSE 0x0010u

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

/*
 * Display windows. The library shows them on the X11 display named by
 * $DISPLAY when it was built with X11 and the display opens, and keeps them
 * in memory otherwise (headless, on a screen of 1920 x 1080 pixels unless
 * $QUELIX_SCREEN gives "WxH"), with the same behaviour. A display window also
 * has a message queue: the window manager's close request arrives there as
 * QUELIX_WM_CLOSE. Destroying a window destroys its child windows (the
 * preview window inside it, say).
 */

/* A visible top-level window with a client area of clientWidth x
 * clientHeight pixels, centred on the screen; a parent for the preview
 * window (Quelix_SetPreviewWindow). NULL for a size <= 0. */
QUELIX_API QUELIX_HWND QuelixPlatform_CreateWindow(const char* title, int clientWidth, int clientHeight);

/* A handle for a window of the application's own Xlib connection (display:
 * its Display*, window: the X window id), usable as the preview's parent.
 * The library draws through a connection of its own to the same display.
 * NULL without X11, for another display, or for a window that does not
 * exist. QuelixPlatform_DestroyWindow forgets the handle and destroys the
 * library's windows inside it, not the X window itself. */
QUELIX_API QUELIX_HWND QuelixPlatform_WrapX11Window(void* display, unsigned long window);

/* 1 with the client size in *width and *height, 0 for an unknown window. */
QUELIX_API int QuelixPlatform_GetClientSize(QUELIX_HWND window, int* width, int* height);

/* 1 shown or hidden, 0 for an unknown or wrapped window. */
QUELIX_API int QuelixPlatform_ShowWindow(QUELIX_HWND window, int show);

/* 1 when the window and all its parents are shown. */
QUELIX_API int QuelixPlatform_IsWindowVisible(QUELIX_HWND window);

/* The client area as it is on the screen, child windows included: rows from
 * the top, each width x 3 bytes (blue, green, red), no padding. 1 on
 * success; 0 for an unknown or hidden window, an empty client area, or a
 * buffer of fewer than width x height x 3 bytes. */
QUELIX_API int QuelixPlatform_ReadClientPixels(QUELIX_HWND window, uint8_t* bgr, int size);


/*
 * Settings dialogs (Quelix_SetAnalogDlg and the others) are modal: they run
 * on the calling thread until a button closes them. On a display they are
 * GTK 3 dialogs. An application or a test can also drive them: a hook
 * installed with QuelixPlatform_SetDialogHook is called on the dialog's
 * thread once the dialog is open, with the dialog and its template id, and
 * reads and drives its controls by control id through the calls below, as
 * a user would. Driving a control raises the notifications a user's action
 * raises. A hook that returns while the dialog is still open closes it as
 * Cancel does (on a display the user may go on instead). Without a display
 * and without a hook a dialog cannot be shown, which the dialog operations
 * treat as Cancel.
 *
 * The calls below work only on the dialog's thread, while it is open; a
 * control id names the dialog's own control, else that of the page shown,
 * else that of a hidden page. Reading works on every control; driving a
 * hidden or disabled control is refused, as a user cannot reach it. Texts
 * are UTF-8.
 */
typedef struct QUELIX_DIALOG__* QUELIX_DIALOG;
typedef void (*QUELIX_DIALOG_HOOK)(QUELIX_DIALOG dialog, int templateId, void* context);

/* Installs the hook for every dialog of the process from now on (NULL removes it). */
QUELIX_API void QuelixPlatform_SetDialogHook(QUELIX_DIALOG_HOOK hook, void* context);

/* The control's text: its caption, an edit's contents, a combo box's
 * selected entry. The length of the whole text (the copy is cut to size - 1
 * bytes and zero-terminated), or -1 for an unknown control. */
QUELIX_API int QuelixPlatform_DialogGetText(QUELIX_DIALOG dialog, int id, char* text, int size);
/* Types the text into an edit (replacing what it holds). 1, or 0 refused. */
QUELIX_API int QuelixPlatform_DialogSetText(QUELIX_DIALOG dialog, int id, const char* text);
/* A trackbar's or up-down's position and range. 1, or 0 for another control. */
QUELIX_API int QuelixPlatform_DialogGetPosition(QUELIX_DIALOG dialog, int id, int* position);
QUELIX_API int QuelixPlatform_DialogGetRange(QUELIX_DIALOG dialog, int id, int* minimum, int* maximum);
/* Moves a trackbar, or steps an up-down, to the position (held to the range). */
QUELIX_API int QuelixPlatform_DialogSetPosition(QUELIX_DIALOG dialog, int id, int position);
/* 1 checked, 0 not, -1 unknown control. */
QUELIX_API int QuelixPlatform_DialogIsChecked(QUELIX_DIALOG dialog, int id);
/* Clicks a button, check box or radio button. 1, or 0 refused. */
QUELIX_API int QuelixPlatform_DialogClick(QUELIX_DIALOG dialog, int id);
/* Combo boxes and tab controls: the number of entries (-1 unknown control),
 * an entry's text (as DialogGetText), the selected entry (-1 none), and
 * choosing one as a user does. */
QUELIX_API int QuelixPlatform_DialogGetItemCount(QUELIX_DIALOG dialog, int id);
QUELIX_API int QuelixPlatform_DialogGetItemText(QUELIX_DIALOG dialog, int id, int item, char* text, int size);
QUELIX_API int QuelixPlatform_DialogGetSelection(QUELIX_DIALOG dialog, int id);
QUELIX_API int QuelixPlatform_DialogSelect(QUELIX_DIALOG dialog, int id, int item);
/* 1 yes, 0 no, -1 unknown control. */
QUELIX_API int QuelixPlatform_DialogIsEnabled(QUELIX_DIALOG dialog, int id);
QUELIX_API int QuelixPlatform_DialogIsVisible(QUELIX_DIALOG dialog, int id);
/* Delivers the timer's message now. 1, or 0 when no such timer runs. */
QUELIX_API int QuelixPlatform_DialogFireTimer(QUELIX_DIALOG dialog, int timerId);
/* Lets the dialog handle what reaches it from other threads (the camera's
 * automatic exposure, say), its timers and, on a display, the user, for up
 * to timeoutMs. 1 while the dialog is open, 0 once it has closed. */
QUELIX_API int QuelixPlatform_DialogPump(QUELIX_DIALOG dialog, int timeoutMs);

/*
 * Frame times, for measuring latency. Both are nanoseconds of the
 * monotonic clock (clock_gettime(CLOCK_MONOTONIC)), so an application can
 * compare them with its own time of receipt.
 */
typedef struct QUELIX_FRAME_TIMES {
    uint64_t arrived;   /* the library held the whole frame from the camera */
    uint64_t delivered; /* the frame was in the caller's buffer and its message was being posted */
} QUELIX_FRAME_TIMES;

/* The times of one of the last 64 frames a camera announced with
 * QUELIX_WM_FRAME, found by its trailer word (the value lParam points to).
 * 1 found; 0 for an unknown camera, a NULL record, or a frame no longer kept. */
QUELIX_API int QuelixPlatform_GetFrameTimes(int32_t camera, uint32_t trailer, QUELIX_FRAME_TIMES* times);

#ifdef __cplusplus
}
#endif

#endif /* QUELIX_PLATFORM_H */
