// SPDX-License-Identifier: MIT
// The GTK 3 view of the dialogs: a modal window laid out as the template
// says (dialog units turned into pixels by the font's size), with a notebook
// for the tab control, scales for trackbars, spin buttons for edits with an
// up-down, and check and radio buttons, combo boxes, labels and buttons.
// The user's actions go to the host; the host's changes come back through
// ControlChanged, during which the widgets' own signals are ignored.
#include <gdk/gdkkeysyms.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/dialogs/dialog_view_interface.h"
#include "platform/dialogs/gtk_view/gtk_controls.h"

namespace quelix::platform::gtk {

namespace {

// How often the view hands the host its posted messages and due timers.
constexpr guint kPollMs = 20;

// Compact widgets, closer to the sizes the templates were laid out for;
// only for the library's own dialogs.
constexpr char kStyle[] =
    ".quelix-dialog button { padding: 2px 8px; min-height: 0; }"
    ".quelix-dialog spinbutton button { padding: 0 3px; min-width: 12px; }"
    ".quelix-dialog entry, .quelix-dialog spinbutton { min-height: 0; padding-top: 0; padding-bottom: 0; }"
    ".quelix-dialog checkbutton, .quelix-dialog radiobutton { padding: 0; min-height: 0; }"
    ".quelix-dialog combobox button { padding: 1px 6px; }"
    ".quelix-dialog notebook tab { padding: 3px 12px; min-height: 0; }"
    ".quelix-dialog scale { padding: 0 6px; }";

class GtkDialogView final : public DialogView {
public:
    GtkDialogView(DialogViewHost& host, unsigned long parentWindow) : host_(host), parentWindow_(parentWindow)
    {
    }

    ~GtkDialogView() override
    {
        if (poll_ != 0)
            g_source_remove(poll_);
        if (window_ != nullptr)
            gtk_widget_destroy(window_);
        // Let the window go from the screen before the dialog's caller goes on.
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    }

    bool Show(const std::string& title) override;
    void ControlChanged(int pane, int index) override;
    void PaneChanged(int pane) override;
    void RunUntilEnded() override
    {
        while (!host_.Ended())
            g_main_context_iteration(nullptr, TRUE);
    }
    void Pump(int timeoutMs) override
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            g_main_context_iteration(nullptr, TRUE);
        } while (!host_.Ended() && std::chrono::steady_clock::now() < deadline);
    }
    std::string ShownText(int pane, int index) override
    {
        GtkWidget* widget = Widget(pane, index);
        return widget != nullptr ? WidgetText(widget) : std::string();
    }

private:
    // What a signal handler needs to find its control.
    struct ControlRef {
        GtkDialogView* view;
        int pane;
        int index;
    };

    GtkWidget* Widget(int pane, int index) const { return widgets_[pane][index]; }
    int Px(int units, double unit) const { return static_cast<int>(std::lround(units * unit)); }
    void MeasureDialogUnits();
    GtkWidget* MakePane(int pane);
    void Connect(GtkWidget* widget, int pane, int index);
    // The pane's up-down whose buddy is the edit at `index`; -1 for none.
    int SpinOf(int pane, int index) const;
    void Update(int pane, int index);
    void AttachToParent();
    void FocusChosenControl();

    static void OnToggled(GtkToggleButton* button, ControlRef* ref);
    static void OnClicked(GtkButton*, ControlRef* ref);
    static void OnEditChanged(GtkEditable* editable, ControlRef* ref);
    static void OnSpinValue(GtkSpinButton* spin, ControlRef* ref);
    static void OnScaleValue(GtkRange* range, ControlRef* ref);
    static void OnComboChanged(GtkComboBox* combo, ControlRef* ref);
    static void OnSwitchPage(GtkNotebook*, GtkWidget*, guint page, ControlRef* ref);
    static gboolean OnSpinInput(GtkSpinButton* spin, gdouble* value, gpointer);
    static gboolean OnSpinOutput(GtkSpinButton*, gpointer) { return TRUE; }
    static gboolean OnDelete(GtkWidget*, GdkEvent*, GtkDialogView* view);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, GtkDialogView* view);
    static gboolean OnPoll(GtkDialogView* view);

    DialogViewHost& host_;
    unsigned long parentWindow_;
    GtkWidget* window_ = nullptr;
    std::vector<std::vector<GtkWidget*>> widgets_;  // per pane, per control; null for none
    std::vector<GtkWidget*> paneWidgets_;
    std::deque<ControlRef> refs_;
    double unitX_ = 1.5;
    double unitY_ = 1.625;
    bool updating_ = false;  // the view is changing widgets: their signals are not the user's
    guint poll_ = 0;
};

void GtkDialogView::MeasureDialogUnits()
{
    PangoContext* context = gtk_widget_get_pango_context(window_);
    PangoFontMetrics* metrics =
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr);
    const double charWidth = pango_font_metrics_get_approximate_char_width(metrics) / double(PANGO_SCALE);
    const double height = (pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics)) /
                          double(PANGO_SCALE);
    pango_font_metrics_unref(metrics);
    if (charWidth > 0 && height > 0) {
        unitX_ = charWidth / 4.0;
        unitY_ = height / 8.0;
    }
}

int GtkDialogView::SpinOf(int pane, int index) const
{
    const auto& controls = host_.Pane(pane).controls;
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].control.kind == ControlKind::UpDown && controls[i].control.buddy != 0 &&
            controls[i].control.buddy == controls[index].control.id)
            return static_cast<int>(i);
    }
    return -1;
}

GtkWidget* GtkDialogView::MakePane(int pane)
{
    const PaneState& state = host_.Pane(pane);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, Px(state.source->width, unitX_), Px(state.source->height, unitY_));
    widgets_[pane].assign(state.controls.size(), nullptr);
    GtkWidget* radioNone = nullptr;
    for (int index = 0; index < static_cast<int>(state.controls.size()); ++index) {
        const ControlState& control = state.controls[index];
        const ControlTemplate& t = control.control;
        if (t.kind != ControlKind::RadioButton || (t.flags & kGroupStart) != 0)
            radioNone = nullptr;
        const int spin = t.kind == ControlKind::Edit ? SpinOf(pane, index) : -1;
        GtkWidget* noneBefore = radioNone;
        GtkWidget* widget =
            MakeControlWidget(control, spin >= 0 ? &state.controls[spin] : nullptr, radioNone);
        if (radioNone != noneBefore)
            gtk_fixed_put(GTK_FIXED(fixed), radioNone, 0, 0);  // never shown: it holds "none checked"
        if (widget == nullptr)
            continue;
        // An edit with its up-down is one spin button over both rectangles.
        int width = t.width;
        if (spin >= 0) {
            const ControlTemplate& upDown = state.controls[spin].control;
            width = std::max(t.x + t.width, upDown.x + upDown.width) - t.x;
            widgets_[pane][spin] = widget;
        }
        gtk_widget_set_size_request(widget, Px(width, unitX_), Px(t.height, unitY_));
        gtk_fixed_put(GTK_FIXED(fixed), widget, Px(t.x, unitX_), Px(t.y, unitY_));
        widgets_[pane][index] = widget;
        if ((t.flags & kDefaultButton) != 0) {
            gtk_widget_set_can_default(widget, TRUE);
            gtk_window_set_default(GTK_WINDOW(window_), widget);
        }
    }
    for (int index = 0; index < static_cast<int>(state.controls.size()); ++index) {
        if (widgets_[pane][index] != nullptr && state.controls[index].control.kind != ControlKind::UpDown) {
            UpdateControlWidget(widgets_[pane][index], state.controls[index]);
            Connect(widgets_[pane][index], pane, index);
        }
    }
    return fixed;
}

void GtkDialogView::Connect(GtkWidget* widget, int pane, int index)
{
    ControlRef* ref = &refs_.emplace_back(ControlRef{this, pane, index});
    switch (host_.Pane(pane).controls[index].control.kind) {
        case ControlKind::PushButton:
            g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), ref);
            break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            g_signal_connect(widget, "toggled", G_CALLBACK(OnToggled), ref);
            break;
        case ControlKind::Edit:
            g_signal_connect(widget, "changed", G_CALLBACK(OnEditChanged), ref);
            if (GTK_IS_SPIN_BUTTON(widget)) {
                g_signal_connect(widget, "value-changed", G_CALLBACK(OnSpinValue), ref);
                g_signal_connect(widget, "input", G_CALLBACK(OnSpinInput), nullptr);
                g_signal_connect(widget, "output", G_CALLBACK(OnSpinOutput), nullptr);
            }
            break;
        case ControlKind::Trackbar:
            g_signal_connect(widget, "value-changed", G_CALLBACK(OnScaleValue), ref);
            break;
        case ControlKind::ComboBox:
            g_signal_connect(widget, "changed", G_CALLBACK(OnComboChanged), ref);
            break;
        case ControlKind::Tab:
            g_signal_connect(widget, "switch-page", G_CALLBACK(OnSwitchPage), ref);
            break;
        default:
            break;
    }
}

bool GtkDialogView::Show(const std::string& title)
{
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_style_context_add_class(gtk_widget_get_style_context(window_), "quelix-dialog");
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window_), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
    gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
    gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
    MeasureDialogUnits();

    const int panes = host_.PaneCount();
    widgets_.resize(panes);
    paneWidgets_.assign(panes, nullptr);
    for (int pane = 0; pane < panes; ++pane)
        paneWidgets_[pane] = MakePane(pane);
    gtk_container_add(GTK_CONTAINER(window_), paneWidgets_[0]);
    // Each page goes into the notebook page of its tab, in the order the
    // pages were made, at its place from the tab control's corner.
    std::vector<int> pagesPlaced(host_.Pane(0).controls.size(), 0);
    for (int pane = 1; pane < panes; ++pane) {
        const PaneState& state = host_.Pane(pane);
        const auto& frame = host_.Pane(0).controls;
        for (size_t index = 0; index < frame.size(); ++index) {
            if (frame[index].control.id != state.tabControl || frame[index].control.kind != ControlKind::Tab)
                continue;
            GtkNotebook* tabs = GTK_NOTEBOOK(widgets_[0][index]);
            const int tab = pagesPlaced[index]++;
            GtkWidget* holder = gtk_notebook_get_nth_page(tabs, tab);
            if (holder == nullptr)
                break;
            // The pixel place was meant for the template font's units.
            gtk_fixed_put(GTK_FIXED(holder), paneWidgets_[pane], Px(state.x, unitX_ / 1.5),
                          Px(std::max(0, state.y - 20), unitY_ / 1.625));
            break;
        }
        gtk_widget_set_visible(paneWidgets_[pane], state.visible);
    }
    gtk_widget_show(paneWidgets_[0]);
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
    gtk_widget_realize(window_);
    AttachToParent();
    gtk_widget_show(window_);
    FocusChosenControl();
    poll_ = g_timeout_add(kPollMs, reinterpret_cast<GSourceFunc>(OnPoll), this);
    return true;
}

void GtkDialogView::AttachToParent()
{
    GdkDisplay* display = gtk_widget_get_display(window_);
    if (parentWindow_ == 0 || !GDK_IS_X11_DISPLAY(display))
        return;
    gdk_x11_display_error_trap_push(display);
    GdkWindow* parent = gdk_x11_window_foreign_new_for_display(display, parentWindow_);
    gdk_x11_display_error_trap_pop_ignored(display);
    if (parent != nullptr) {
        gdk_window_set_transient_for(gtk_widget_get_window(window_), parent);
        g_object_unref(parent);
    }
}

void GtkDialogView::FocusChosenControl()
{
    for (int pane = 0; pane < host_.PaneCount(); ++pane) {
        const int index = host_.Pane(pane).focus;
        if (index >= 0 && widgets_[pane][index] != nullptr) {
            gtk_widget_grab_focus(widgets_[pane][index]);
            return;
        }
    }
}

void GtkDialogView::Update(int pane, int index)
{
    const ControlState& control = host_.Pane(pane).controls[index];
    GtkWidget* widget = Widget(pane, index);
    if (widget == nullptr)
        return;
    updating_ = true;
    if (control.control.kind == ControlKind::UpDown) {
        UpdateSpinRange(widget, control);
    } else {
        UpdateControlWidget(widget, control);
        // The spin button's own number follows the edit's, for its arrows to step from.
        if (const int spin = control.control.kind == ControlKind::Edit ? SpinOf(pane, index) : -1;
            spin >= 0) {
            char* end = nullptr;
            const long value = std::strtol(control.text.c_str(), &end, 10);
            if (end != control.text.c_str())
                gtk_adjustment_set_value(gtk_spin_button_get_adjustment(GTK_SPIN_BUTTON(widget)),
                                         static_cast<double>(value));
        }
    }
    updating_ = false;
}

void GtkDialogView::ControlChanged(int pane, int index)
{
    if (window_ != nullptr && pane < static_cast<int>(widgets_.size()))
        Update(pane, index);
}

void GtkDialogView::PaneChanged(int pane)
{
    if (window_ != nullptr && pane > 0 && pane < static_cast<int>(paneWidgets_.size()))
        gtk_widget_set_visible(paneWidgets_[pane], host_.Pane(pane).visible);
}

void GtkDialogView::OnToggled(GtkToggleButton* button, ControlRef* ref)
{
    const ControlState& control = ref->view->host_.Pane(ref->pane).controls[ref->index];
    if (ref->view->updating_)
        return;
    // A radio button reports being unchecked too; only checking is a click.
    if (control.control.kind == ControlKind::RadioButton && !gtk_toggle_button_get_active(button))
        return;
    ref->view->host_.UserClick(ref->pane, ref->index);
}

void GtkDialogView::OnClicked(GtkButton*, ControlRef* ref)
{
    if (!ref->view->updating_)
        ref->view->host_.UserClick(ref->pane, ref->index);
}

void GtkDialogView::OnEditChanged(GtkEditable* editable, ControlRef* ref)
{
    if (!ref->view->updating_)
        ref->view->host_.UserEdit(ref->pane, ref->index, gtk_entry_get_text(GTK_ENTRY(editable)));
}

void GtkDialogView::OnSpinValue(GtkSpinButton* spin, ControlRef* ref)
{
    if (ref->view->updating_)
        return;
    const int upDown = ref->view->SpinOf(ref->pane, ref->index);
    ref->view->host_.UserSpin(ref->pane, upDown,
                              static_cast<int>(std::lround(gtk_spin_button_get_value(spin))));
}

void GtkDialogView::OnScaleValue(GtkRange* range, ControlRef* ref)
{
    if (!ref->view->updating_)
        ref->view->host_.UserScroll(ref->pane, ref->index,
                                    static_cast<int>(std::lround(gtk_range_get_value(range))));
}

void GtkDialogView::OnComboChanged(GtkComboBox* combo, ControlRef* ref)
{
    if (!ref->view->updating_ && gtk_combo_box_get_active(combo) >= 0)
        ref->view->host_.UserSelect(ref->pane, ref->index, gtk_combo_box_get_active(combo));
}

void GtkDialogView::OnSwitchPage(GtkNotebook*, GtkWidget*, guint page, ControlRef* ref)
{
    if (!ref->view->updating_)
        ref->view->host_.UserSelect(ref->pane, ref->index, static_cast<int>(page));
}

gboolean GtkDialogView::OnSpinInput(GtkSpinButton* spin, gdouble* value, gpointer)
{
    // The typed text stays as typed: the number is the host's business.
    *value = gtk_spin_button_get_value(spin);
    return TRUE;
}

gboolean GtkDialogView::OnDelete(GtkWidget*, GdkEvent*, GtkDialogView* view)
{
    view->host_.UserClose();
    return TRUE;
}

gboolean GtkDialogView::OnKey(GtkWidget*, GdkEventKey* event, GtkDialogView* view)
{
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    view->host_.UserClose();
    return TRUE;
}

gboolean GtkDialogView::OnPoll(GtkDialogView* view)
{
    view->host_.DeliverPending();
    return G_SOURCE_CONTINUE;
}

}  // namespace

}  // namespace quelix::platform::gtk

extern "C" __attribute__((visibility("default"))) quelix::platform::DialogView* QuelixCreateGtkDialogView(
    quelix::platform::DialogViewHost* host, unsigned long parentWindow)
{
    // GTK must not change the application's locale (number formats and all).
    static const bool ready = (gtk_disable_setlocale(), gtk_init_check(nullptr, nullptr));
    if (!ready || host == nullptr)
        return nullptr;
    return new quelix::platform::gtk::GtkDialogView(*host, parentWindow);
}
