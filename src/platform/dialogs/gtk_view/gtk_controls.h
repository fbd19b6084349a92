// SPDX-License-Identifier: MIT
// GTK widgets for dialog controls: making them from the template and
// bringing them up to the control's state.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/dialogs/dialog_view_interface.h"

namespace quelix::platform::gtk {

// "&Default" becomes "_Default", "&&" a literal "&", "_" a literal "_".
std::string MnemonicText(const std::string& text);

// The widget of a control (an edit with an up-down becomes one spin button;
// `spin` is that up-down, else null). Radio buttons get their group's hidden
// "none" button from `radioNone` (made when null).
GtkWidget* MakeControlWidget(const ControlState& control, const ControlState* spin, GtkWidget*& radioNone);

// Brings the widget up to the control's state; signals the widget raises
// meanwhile must be ignored by the caller.
void UpdateControlWidget(GtkWidget* widget, const ControlState& control);
// A spin button's range and position from its up-down.
void UpdateSpinRange(GtkWidget* spin, const ControlState& upDown);
// The notebook's tabs from the tab control's entries; pages are added as
// needed, each holding an empty GtkFixed for the panes.
void UpdateTabs(GtkWidget* notebook, const ControlState& control);

// The text the widget shows, as the user reads it (no mnemonic marks).
std::string WidgetText(GtkWidget* widget);

}  // namespace quelix::platform::gtk
