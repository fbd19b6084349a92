// SPDX-License-Identifier: MIT
// Windows has no display dialog view yet: without one (and without an
// automation hook, which the DLL does not export) a dialog cannot be shown
// and fails, as it does on a system without a display.
#include "platform/dialogs/dialog_view_finder.h"

namespace quelix::platform {

std::unique_ptr<DialogView> OpenDisplayDialogView(DialogViewHost&, unsigned long)
{
    return nullptr;
}

}  // namespace quelix::platform
