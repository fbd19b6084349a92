// SPDX-License-Identifier: MIT
// How a dialog finds its views: the automation hook an application
// installed, the handles automation uses to reach an open dialog, and the
// GTK view on a display.
#pragma once

#include <memory>

#include "QuelixPlatform.h"
#include "platform/dialogs/dialog_view_interface.h"

namespace quelix::platform {

class DialogBox;

struct DialogHookEntry {
    QUELIX_DIALOG_HOOK function = nullptr;
    void* context = nullptr;
};
DialogHookEntry CurrentDialogHook();

// The handle automation reaches the dialog by while it runs; handle values
// are never reused, so a closed dialog's handle is refused.
QUELIX_DIALOG RegisterDialog(DialogBox* dialog);
void UnregisterDialog(QUELIX_DIALOG handle);
// The dialog of the handle while it is open, when called on its thread;
// else null.
DialogBox* FindDialog(QUELIX_DIALOG handle);

// The GTK view when a display is available and the view module loads, else
// null. One dialog at a time uses GTK; a dialog on another thread meanwhile
// gets none.
std::unique_ptr<DialogView> OpenDisplayDialogView(DialogViewHost& host, unsigned long parentWindow);

}  // namespace quelix::platform
