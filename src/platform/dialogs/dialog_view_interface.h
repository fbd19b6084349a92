// SPDX-License-Identifier: MIT
// Between a dialog and the view that shows it. The dialog (dialog_box.h)
// holds the state of every control; a view shows that state and turns the
// user's actions into the host's User* calls, which raise the same
// notifications the dialog's procedures get from any other source.
//
// The GTK view is a module of its own that the library opens with dlopen the
// first time a dialog is shown on a display, so this header is all the two
// share: plain data and abstract classes, no function of the library.
#pragma once

#include <string>
#include <vector>

#include "platform/dialogs/dialog_template.h"

namespace quelix::platform {

struct ControlState {
    ControlTemplate control;  // as the template gives it
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    // Trackbars and up-downs.
    int minimum = 0;
    int maximum = 100;
    int position = 0;
    int pageSize = 0;
    int ticFrequency = 0;
    // Combo boxes and tab controls.
    std::vector<std::string> items;
    int selection = -1;
};

// Pane 0 is the dialog itself; every further pane is a page shown inside a
// tab control of the dialog, at (x, y) pixels from the tab control's corner.
struct PaneState {
    const DialogTemplate* source = nullptr;
    std::vector<ControlState> controls;
    int tabControl = 0;  // the tab control's id; 0 for the dialog itself
    int x = 0;
    int y = 0;
    bool visible = true;
    int focus = -1;  // the control to start the user at, or -1
};

// What a view may call, always on the dialog's thread.
class DialogViewHost {
public:
    virtual int PaneCount() const = 0;
    virtual const PaneState& Pane(int pane) const = 0;
    // The user's actions on control `index` of a pane: typed text into an
    // edit, moved a trackbar, stepped an up-down, clicked a button, check
    // box or radio button, chose a combo box entry or a tab.
    virtual void UserEdit(int pane, int index, const std::string& text) = 0;
    virtual void UserScroll(int pane, int index, int position) = 0;
    virtual void UserSpin(int pane, int index, int position) = 0;
    virtual void UserClick(int pane, int index) = 0;
    virtual void UserSelect(int pane, int index, int item) = 0;
    // The window's close button or Escape: Cancel.
    virtual void UserClose() = 0;
    // Delivers the messages posted from other threads and the timers that
    // fell due.
    virtual void DeliverPending() = 0;
    virtual bool Ended() const = 0;

protected:
    ~DialogViewHost() = default;
};

class DialogView {
public:
    virtual ~DialogView() = default;
    // Makes the window with every control of every pane; false when it cannot.
    virtual bool Show(const std::string& title) = 0;
    virtual void ControlChanged(int pane, int index) = 0;
    virtual void PaneChanged(int pane) = 0;
    // Runs the dialog until it has ended.
    virtual void RunUntilEnded() = 0;
    // Lets the view handle what is waiting for up to timeoutMs.
    virtual void Pump(int timeoutMs) = 0;
    // The text a control shows on the screen, read back from the widget.
    virtual std::string ShownText(int pane, int index) = 0;
};

// The entry point of a view module: a view for the host, or null when the
// module cannot show one (no display). `parentWindow` is the X11 window the
// dialog belongs to, or 0.
using CreateDialogViewFunction = DialogView* (*)(DialogViewHost* host, unsigned long parentWindow);
inline constexpr const char kCreateDialogViewSymbol[] = "QuelixCreateGtkDialogView";

}  // namespace quelix::platform
