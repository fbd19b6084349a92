// SPDX-License-Identifier: MIT
// Windows has no display dialog view yet: a dialog runs without one, as it
// does on a system without a display, and is driven through its
// automation interface.
#include "platform/dialogs/dialog_view_finder.h"

namespace quelix::platform {

std::unique_ptr<DialogView> OpenDisplayDialogView(DialogViewHost&, unsigned long)
{
    return nullptr;
}

}  // namespace quelix::platform
