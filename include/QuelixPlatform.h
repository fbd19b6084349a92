// SPDX-License-Identifier: MIT
/**
 * @file QuelixPlatform.h
 * @brief What a Linux application needs from the Quelix SDK in place of Windows.
 *
 * Windows that receive the library's messages (errors, frames), display
 * windows that the live preview can be shown in, the automation of the
 * settings dialogs, and the times of delivered frames.
 */
#ifndef QUELIX_PLATFORM_H
#define QUELIX_PLATFORM_H

#include <stdint.h>

#include "QuelixTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/**
 * @defgroup platform Platform
 * @brief Windows, messages, dialog automation and frame times for Linux applications.
 */

/**
 * @defgroup platform_messages Message windows
 * @ingroup platform
 * @brief Queues that the library posts its messages to.
 *
 * A message window is a queue. The library posts to it from any thread and
 * never blocks; the application takes messages with QuelixPlatform_GetMessage
 * (blocking, with a time-out), QuelixPlatform_PeekMessage, or by polling
 * QuelixPlatform_MessageFd from its own event loop. A queue holds at most
 * QUELIX_MAX_QUEUED_MESSAGES; posting to a full queue is refused.
 * @{
 */

#define QUELIX_MAX_QUEUED_MESSAGES 10000 /**< messages one window's queue holds */

/** Posted to an application's display window when the user asks to close it. */
#define QUELIX_WM_CLOSE 0x0010u

/** @brief A message taken from a window's queue. */
typedef struct QUELIX_MSG {
    QUELIX_HWND hwnd; /**< the window it was posted to */
    uint32_t message; /**< QUELIX_WM_FRAME, QUELIX_WM_ERROR, QUELIX_WM_CLOSE, ... */
    uintptr_t wParam; /**< the message's first value */
    intptr_t lParam;  /**< the message's second value */
    uint32_t time;    /**< milliseconds since boot when posted, 32-bit, wrapping */
} QUELIX_MSG;

/**
 * @brief Makes a window with a message queue only.
 * @return the window, or NULL when it cannot be made
 */
QUELIX_API QUELIX_HWND QuelixPlatform_CreateMessageWindow(void);

/**
 * @brief Destroys a window (and the library's windows inside it).
 *
 * Threads waiting in QuelixPlatform_GetMessage on it return 0.
 * @param window the window
 * @return 1 destroyed, 0 unknown or already destroyed
 */
QUELIX_API int QuelixPlatform_DestroyWindow(QUELIX_HWND window);

/**
 * @brief Posts a message to a window's queue; never blocks.
 * @param window the window
 * @param message the message number
 * @param wParam its first value
 * @param lParam its second value
 * @return 1 posted, 0 refused (unknown or destroyed window, or a full queue)
 */
QUELIX_API int QuelixPlatform_PostMessage(QUELIX_HWND window, uint32_t message, uintptr_t wParam,
                                          intptr_t lParam);

/**
 * @brief Takes the oldest message, waiting for one.
 * @param window the window
 * @param[out] msg the message
 * @param timeoutMs the longest wait in milliseconds; below 0 waits without limit
 * @return 1 got one, 0 time-out or destroyed window
 */
QUELIX_API int QuelixPlatform_GetMessage(QUELIX_HWND window, QUELIX_MSG* msg, int timeoutMs);

/**
 * @brief Takes the oldest message if one waits.
 * @param window the window
 * @param[out] msg the message
 * @return 1 removed one, 0 none (or unknown window)
 */
QUELIX_API int QuelixPlatform_PeekMessage(QUELIX_HWND window, QUELIX_MSG* msg);

/**
 * @brief A file descriptor that is readable while messages wait.
 *
 * It belongs to the window: do not read or close it.
 * @param window the window
 * @return the descriptor, or -1 for an unknown window
 */
QUELIX_API int QuelixPlatform_MessageFd(QUELIX_HWND window);
/** @} */

/**
 * @defgroup platform_windows Display windows
 * @ingroup platform
 * @brief Windows that the live preview can be shown in.
 *
 * The library shows them on the X11 display named by $DISPLAY when it was
 * built with X11 and the display opens, and keeps them in memory otherwise
 * (headless, on a screen of 1920 x 1080 pixels unless $QUELIX_SCREEN gives
 * "WxH"), with the same behaviour. A display window also has a message queue:
 * the window manager's close request arrives there as QUELIX_WM_CLOSE.
 * Destroying a window destroys its child windows (the preview window inside
 * it, say).
 * @{
 */

/**
 * @brief Makes a visible top-level window, centred on the screen.
 *
 * A parent for the preview window (Quelix_SetPreviewWindow).
 * @param title the window's title (UTF-8)
 * @param clientWidth pixels of the client area, above 0
 * @param clientHeight rows of the client area, above 0
 * @return the window, or NULL for a size <= 0 or when it cannot be made
 */
QUELIX_API QUELIX_HWND QuelixPlatform_CreateWindow(const char* title, int clientWidth, int clientHeight);

/**
 * @brief A handle for a window of the application's own Xlib connection.
 *
 * Usable as the preview's parent. The library draws through a connection of
 * its own to the same display. QuelixPlatform_DestroyWindow forgets the handle
 * and destroys the library's windows inside it, not the X window itself.
 * @param display the application's Display*
 * @param window the X window id
 * @return the handle; NULL without X11, for another display, or for a window
 *         that does not exist
 */
QUELIX_API QUELIX_HWND QuelixPlatform_WrapX11Window(void* display, unsigned long window);

/**
 * @brief The size of a window's client area.
 * @param window the window
 * @param[out] width pixels
 * @param[out] height rows
 * @return 1, or 0 for an unknown window
 */
QUELIX_API int QuelixPlatform_GetClientSize(QUELIX_HWND window, int* width, int* height);

/**
 * @brief Shows or hides a window.
 * @param window the window
 * @param show nonzero shows, 0 hides
 * @return 1, or 0 for an unknown or wrapped window
 */
QUELIX_API int QuelixPlatform_ShowWindow(QUELIX_HWND window, int show);

/**
 * @brief Whether a window and all its parents are shown.
 * @param window the window
 * @return 1 shown, 0 not (or unknown window)
 */
QUELIX_API int QuelixPlatform_IsWindowVisible(QUELIX_HWND window);

/**
 * @brief Reads the client area as it is on the screen, child windows included.
 *
 * Rows from the top, each width x 3 bytes (blue, green, red), no padding.
 * @param window the window
 * @param[out] bgr the pixels
 * @param size bytes of `bgr`: at least width x height x 3
 * @return 1 on success; 0 for an unknown or hidden window, an empty client
 *         area, or a buffer too small
 */
QUELIX_API int QuelixPlatform_ReadClientPixels(QUELIX_HWND window, uint8_t* bgr, int size);
/** @} */

/**
 * @defgroup platform_dialogs Dialog automation
 * @ingroup platform
 * @brief Driving the settings dialogs from a program or a test.
 *
 * The settings dialogs (Quelix_SetAnalogDlg and the others) are modal: they
 * run on the calling thread until a button closes them. On a display they are
 * GTK 3 dialogs. An application or a test can also drive them: a hook
 * installed with QuelixPlatform_SetDialogHook is called on the dialog's thread
 * once the dialog is open, with the dialog and its template id, and reads and
 * drives its controls by control id through the calls below, as a user would.
 * Driving a control raises the notifications a user's action raises. A hook
 * that returns while the dialog is still open closes it as Cancel does (on a
 * display the user may go on instead). Without a display and without a hook a
 * dialog cannot be shown, which the dialog operations treat as Cancel.
 *
 * The calls below work only on the dialog's thread, while it is open; a
 * control id names the dialog's own control, else that of the page shown,
 * else that of a hidden page. Reading works on every control; driving a
 * hidden or disabled control is refused, as a user cannot reach it. Texts are
 * UTF-8.
 * @{
 */

/** An open dialog, as its hook gets it. */
typedef struct QUELIX_DIALOG__* QUELIX_DIALOG;
/** The hook: called on the dialog's thread with the open dialog, its template id and the hook's context. */
typedef void (*QUELIX_DIALOG_HOOK)(QUELIX_DIALOG dialog, int templateId, void* context);

/**
 * @brief Installs the hook for every dialog of the process from now on.
 * @param hook the hook, or NULL to remove it
 * @param context passed to the hook
 */
QUELIX_API void QuelixPlatform_SetDialogHook(QUELIX_DIALOG_HOOK hook, void* context);

/**
 * @brief A control's text: its caption, an edit's contents, a combo box's selected entry.
 * @param dialog the open dialog
 * @param id the control id
 * @param[out] text the text, cut to size - 1 bytes and zero-terminated
 * @param size bytes of `text`
 * @return the length of the whole text, or -1 for an unknown control
 */
QUELIX_API int QuelixPlatform_DialogGetText(QUELIX_DIALOG dialog, int id, char* text, int size);
/**
 * @brief Types the text into an edit, replacing what it holds.
 * @param dialog the open dialog
 * @param id the control id
 * @param text the text
 * @return 1, or 0 refused
 */
QUELIX_API int QuelixPlatform_DialogSetText(QUELIX_DIALOG dialog, int id, const char* text);
/**
 * @brief A trackbar's or up-down's position.
 * @param dialog the open dialog
 * @param id the control id
 * @param[out] position the position
 * @return 1, or 0 for another control
 */
QUELIX_API int QuelixPlatform_DialogGetPosition(QUELIX_DIALOG dialog, int id, int* position);
/**
 * @brief A trackbar's or up-down's range.
 * @param dialog the open dialog
 * @param id the control id
 * @param[out] minimum the lowest position
 * @param[out] maximum the highest position
 * @return 1, or 0 for another control
 */
QUELIX_API int QuelixPlatform_DialogGetRange(QUELIX_DIALOG dialog, int id, int* minimum, int* maximum);
/**
 * @brief Moves a trackbar, or steps an up-down, to the position (held to the range).
 * @param dialog the open dialog
 * @param id the control id
 * @param position the position
 * @return 1, or 0 refused
 */
QUELIX_API int QuelixPlatform_DialogSetPosition(QUELIX_DIALOG dialog, int id, int position);
/**
 * @brief Whether a check box or radio button is checked.
 * @param dialog the open dialog
 * @param id the control id
 * @return 1 checked, 0 not, -1 unknown control
 */
QUELIX_API int QuelixPlatform_DialogIsChecked(QUELIX_DIALOG dialog, int id);
/**
 * @brief Clicks a button, check box or radio button.
 * @param dialog the open dialog
 * @param id the control id
 * @return 1, or 0 refused
 */
QUELIX_API int QuelixPlatform_DialogClick(QUELIX_DIALOG dialog, int id);
/**
 * @brief The number of entries of a combo box or tab control.
 * @param dialog the open dialog
 * @param id the control id
 * @return the count, or -1 for an unknown control
 */
QUELIX_API int QuelixPlatform_DialogGetItemCount(QUELIX_DIALOG dialog, int id);
/**
 * @brief An entry's text of a combo box or tab control.
 * @param dialog the open dialog
 * @param id the control id
 * @param item the entry, from 0
 * @param[out] text the text, cut to size - 1 bytes and zero-terminated
 * @param size bytes of `text`
 * @return the length of the whole text, or -1 for an unknown control or entry
 */
QUELIX_API int QuelixPlatform_DialogGetItemText(QUELIX_DIALOG dialog, int id, int item, char* text, int size);
/**
 * @brief The selected entry of a combo box or tab control.
 * @param dialog the open dialog
 * @param id the control id
 * @return the entry, or -1 for none
 */
QUELIX_API int QuelixPlatform_DialogGetSelection(QUELIX_DIALOG dialog, int id);
/**
 * @brief Chooses an entry of a combo box or tab control as a user does.
 * @param dialog the open dialog
 * @param id the control id
 * @param item the entry, from 0
 * @return 1, or 0 refused
 */
QUELIX_API int QuelixPlatform_DialogSelect(QUELIX_DIALOG dialog, int id, int item);
/**
 * @brief Whether a control is enabled.
 * @param dialog the open dialog
 * @param id the control id
 * @return 1 yes, 0 no, -1 unknown control
 */
QUELIX_API int QuelixPlatform_DialogIsEnabled(QUELIX_DIALOG dialog, int id);
/**
 * @brief Whether a control is visible.
 * @param dialog the open dialog
 * @param id the control id
 * @return 1 yes, 0 no, -1 unknown control
 */
QUELIX_API int QuelixPlatform_DialogIsVisible(QUELIX_DIALOG dialog, int id);
/**
 * @brief Delivers a timer's message now.
 * @param dialog the open dialog
 * @param timerId the dialog's timer
 * @return 1, or 0 when no such timer runs
 */
QUELIX_API int QuelixPlatform_DialogFireTimer(QUELIX_DIALOG dialog, int timerId);
/**
 * @brief Lets the dialog handle what reaches it for a while.
 *
 * What other threads send it (the camera's automatic exposure, say), its
 * timers and, on a display, the user.
 * @param dialog the open dialog
 * @param timeoutMs milliseconds to handle them for
 * @return 1 while the dialog is open, 0 once it has closed
 */
QUELIX_API int QuelixPlatform_DialogPump(QUELIX_DIALOG dialog, int timeoutMs);
/** @} */

/**
 * @defgroup platform_frame_times Frame times
 * @ingroup platform
 * @brief When a delivered frame reached the host and the caller, for measuring latency.
 *
 * Both times are nanoseconds of the monotonic clock
 * (clock_gettime(CLOCK_MONOTONIC)), so an application can compare them with
 * its own time of receipt.
 * @{
 */

/** @brief The times of one delivered frame. */
typedef struct QUELIX_FRAME_TIMES {
    uint64_t arrived;   /**< the library held the whole frame from the camera */
    uint64_t delivered; /**< the frame was in the caller's buffer and its message was being posted */
} QUELIX_FRAME_TIMES;

/**
 * @brief The times of one of the last 64 frames a camera announced with QUELIX_WM_FRAME.
 * @param camera the camera handle
 * @param trailer the frame's trailer word (the value lParam points to)
 * @param[out] times the frame's times
 * @return 1 found; 0 for an unknown camera, a NULL record, or a frame no longer kept
 */
QUELIX_API int QuelixPlatform_GetFrameTimes(int32_t camera, uint32_t trailer, QUELIX_FRAME_TIMES* times);
/** @} */

#ifdef __cplusplus
}
#endif

#endif /* QUELIX_PLATFORM_H */
