// SPDX-License-Identifier: MIT
#include "platform/dialogs/gtk_view/gtk_controls.h"

#include <algorithm>

namespace quelix::platform::gtk {

namespace {

constexpr char kNoneButtonKey[] = "quelix-none-button";
constexpr int kMostMarks = 64;

GtkWidget* LabelOf(GtkWidget* widget)
{
    if (GTK_IS_LABEL(widget))
        return widget;
    if (GTK_IS_FRAME(widget))
        return gtk_frame_get_label_widget(GTK_FRAME(widget));
    if (GTK_IS_BIN(widget)) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget));
        return child != nullptr && GTK_IS_LABEL(child) ? child : nullptr;
    }
    return nullptr;
}

void SetLabel(GtkWidget* widget, const std::string& text)
{
    if (GtkWidget* label = LabelOf(widget))
        gtk_label_set_text_with_mnemonic(GTK_LABEL(label), MnemonicText(text).c_str());
}

void SetScaleMarks(GtkScale* scale, const ControlState& control)
{
    gtk_scale_clear_marks(scale);
    if (control.ticFrequency <= 0)
        return;
    int marks = 0;
    for (long long at = control.minimum; at <= control.maximum && marks < kMostMarks;
         at += control.ticFrequency, ++marks)
        gtk_scale_add_mark(scale, static_cast<double>(at), GTK_POS_BOTTOM, nullptr);
}

}  // namespace

std::string MnemonicText(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            out += text[i + 1] == '&' ? "&" : "_";
            if (text[i + 1] == '&')
                ++i;
        } else if (text[i] == '_') {
            out += "__";
        } else {
            out += text[i];
        }
    }
    return out;
}

GtkWidget* MakeControlWidget(const ControlState& control, const ControlState* spin, GtkWidget*& radioNone)
{
    const std::string label = MnemonicText(control.text);
    switch (control.control.kind) {
        case ControlKind::Static: {
            GtkWidget* widget = gtk_label_new_with_mnemonic(label.c_str());
            gtk_label_set_xalign(GTK_LABEL(widget), (control.control.flags & kAlignRight) != 0 ? 1.0f : 0.0f);
            gtk_label_set_yalign(GTK_LABEL(widget), 0.5f);
            // A label of two lines or more wraps, as a Windows static does.
            gtk_label_set_line_wrap(GTK_LABEL(widget), control.control.height >= 16);
            return widget;
        }
        case ControlKind::GroupBox: {
            GtkWidget* widget = gtk_frame_new(nullptr);
            GtkWidget* caption = gtk_label_new_with_mnemonic(label.c_str());
            gtk_widget_show(caption);
            gtk_frame_set_label_widget(GTK_FRAME(widget), caption);
            return widget;
        }
        case ControlKind::PushButton:
            return gtk_button_new_with_mnemonic(label.c_str());
        case ControlKind::CheckBox:
            return gtk_check_button_new_with_mnemonic(label.c_str());
        case ControlKind::RadioButton: {
            if (radioNone == nullptr)
                radioNone = gtk_radio_button_new(nullptr);
            GtkWidget* widget =
                gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(radioNone), label.c_str());
            g_object_set_data(G_OBJECT(widget), kNoneButtonKey, radioNone);
            return widget;
        }
        case ControlKind::Edit: {
            GtkWidget* widget = nullptr;
            if (spin != nullptr) {
                widget = gtk_spin_button_new_with_range(0, 1, 1);
                gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(widget), FALSE);
                UpdateSpinRange(widget, *spin);
            } else {
                widget = gtk_entry_new();
            }
            gtk_entry_set_activates_default(GTK_ENTRY(widget), TRUE);
            gtk_entry_set_width_chars(GTK_ENTRY(widget), 1);
            gtk_editable_set_editable(GTK_EDITABLE(widget), (control.control.flags & kReadOnly) == 0);
            if ((control.control.flags & kNumberOnly) != 0)
                gtk_entry_set_input_purpose(GTK_ENTRY(widget), GTK_INPUT_PURPOSE_NUMBER);
            return widget;
        }
        case ControlKind::Trackbar: {
            GtkWidget* widget = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 1, 1);
            gtk_scale_set_draw_value(GTK_SCALE(widget), FALSE);
            return widget;
        }
        case ControlKind::ComboBox:
            return gtk_combo_box_text_new();
        case ControlKind::Tab: {
            GtkWidget* widget = gtk_notebook_new();
            gtk_notebook_set_scrollable(GTK_NOTEBOOK(widget), TRUE);
            return widget;
        }
        case ControlKind::UpDown:
            break;
    }
    return nullptr;
}

void UpdateSpinRange(GtkWidget* spin, const ControlState& upDown)
{
    gtk_spin_button_set_range(GTK_SPIN_BUTTON(spin), upDown.minimum, upDown.maximum);
    gtk_spin_button_set_increments(GTK_SPIN_BUTTON(spin), 1, std::max(1, upDown.pageSize));
    gtk_adjustment_set_value(gtk_spin_button_get_adjustment(GTK_SPIN_BUTTON(spin)), upDown.position);
}

void UpdateTabs(GtkWidget* notebook, const ControlState& control)
{
    GtkNotebook* tabs = GTK_NOTEBOOK(notebook);
    const auto count = static_cast<int>(control.items.size());
    while (gtk_notebook_get_n_pages(tabs) < count) {
        GtkWidget* page = gtk_fixed_new();
        gtk_widget_show(page);
        gtk_notebook_append_page(tabs, page, nullptr);
    }
    for (int i = 0; i < gtk_notebook_get_n_pages(tabs); ++i) {
        GtkWidget* page = gtk_notebook_get_nth_page(tabs, i);
        gtk_notebook_set_tab_label_text(tabs, page, i < count ? control.items[i].c_str() : "");
    }
    if (control.selection >= 0 && control.selection < count)
        gtk_notebook_set_current_page(tabs, control.selection);
}

void UpdateControlWidget(GtkWidget* widget, const ControlState& control)
{
    gtk_widget_set_visible(widget, control.visible);
    gtk_widget_set_sensitive(widget, control.enabled);
    switch (control.control.kind) {
        case ControlKind::Static:
        case ControlKind::GroupBox:
        case ControlKind::PushButton:
            SetLabel(widget, control.text);
            break;
        case ControlKind::CheckBox:
            SetLabel(widget, control.text);
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.checked);
            break;
        case ControlKind::RadioButton:
            SetLabel(widget, control.text);
            if (control.checked) {
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), TRUE);
            } else if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) {
                auto* none = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kNoneButtonKey));
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(none), TRUE);
            }
            break;
        case ControlKind::Edit:
            if (control.text != gtk_entry_get_text(GTK_ENTRY(widget)))
                gtk_entry_set_text(GTK_ENTRY(widget), control.text.c_str());
            break;
        case ControlKind::Trackbar: {
            GtkRange* range = GTK_RANGE(widget);
            gtk_range_set_range(range, control.minimum, std::max(control.maximum, control.minimum + 1));
            gtk_range_set_increments(range, 1, std::max(1, control.pageSize));
            gtk_range_set_value(range, control.position);
            SetScaleMarks(GTK_SCALE(widget), control);
            break;
        }
        case ControlKind::ComboBox: {
            GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(widget);
            gtk_combo_box_text_remove_all(combo);
            for (const std::string& item : control.items)
                gtk_combo_box_text_append_text(combo, item.c_str());
            gtk_combo_box_set_active(GTK_COMBO_BOX(widget), control.selection);
            break;
        }
        case ControlKind::Tab:
            UpdateTabs(widget, control);
            break;
        case ControlKind::UpDown:
            break;
    }
}

std::string WidgetText(GtkWidget* widget)
{
    if (GTK_IS_ENTRY(widget))
        return gtk_entry_get_text(GTK_ENTRY(widget));
    if (GTK_IS_COMBO_BOX_TEXT(widget)) {
        gchar* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(widget));
        std::string result = text != nullptr ? text : "";
        g_free(text);
        return result;
    }
    if (GTK_IS_NOTEBOOK(widget)) {
        GtkNotebook* tabs = GTK_NOTEBOOK(widget);
        const int current = gtk_notebook_get_current_page(tabs);
        const char* text =
            current >= 0 ? gtk_notebook_get_tab_label_text(tabs, gtk_notebook_get_nth_page(tabs, current))
                         : nullptr;
        return text != nullptr ? text : "";
    }
    GtkWidget* label = LabelOf(widget);
    return label != nullptr ? gtk_label_get_text(GTK_LABEL(label)) : "";
}

}  // namespace quelix::platform::gtk
