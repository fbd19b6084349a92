// SPDX-License-Identifier: MIT
// The camera's controls: exposure in microseconds with the time the camera
// really runs with, gain, automatic exposure, colour mode, mirrors and the
// image filters. Every change goes to the camera at once; the values shown
// are read back from the library.
#include <cstdio>
#include <string>

#include "texts.h"
#include "viewer_app.h"

namespace quelix::viewer {

namespace {

constexpr int kColourModes[] = {8, 16, 24, 32, 48, 64};
constexpr Text kColourModeTexts[] = {Text::Gray8,    Text::Gray16,   Text::Colour24,
                                     Text::Colour32, Text::Colour48, Text::Colour64};
constexpr int kMaxExposureMicroseconds = 1274636;

struct FilterControl {
    Text name;
    int id;
    int minimum;
    int maximum;
};
constexpr FilterControl kFilters[] = {
    {Text::Brightness, QUELIX_FILTER_BRIGHTNESS, -255, 255},
    {Text::Contrast, QUELIX_FILTER_CONTRAST, -127, 127},
    {Text::Gamma, QUELIX_FILTER_GAMMA, 0, 200},
    {Text::Sharpness, QUELIX_FILTER_SHARPNESS, 0, 30},
};
constexpr size_t kFilterCount = sizeof kFilters / sizeof kFilters[0];

}  // namespace

struct ControlsPanel {
    Viewer* viewer = nullptr;
    GtkWidget* grid = nullptr;
    GtkWidget* exposure = nullptr;
    GtkWidget* actual = nullptr;
    GtkWidget* gain = nullptr;
    GtkWidget* autoExposure = nullptr;
    GtkWidget* colourMode = nullptr;
    GtkWidget* mirrorH = nullptr;
    GtkWidget* mirrorV = nullptr;
    GtkWidget* filters[kFilterCount] = {};
    GtkWidget* dotFilter = nullptr;
    GtkWidget* maskFilter = nullptr;
    bool updating = false;  // the panel sets its widgets: their signals are not the user's
};

namespace {

int32_t Camera(const ControlsPanel* controls)
{
    return controls->viewer->source->Camera();
}

void ShowActualExposure(ControlsPanel* controls)
{
    int32_t ok = 0;
    const int microseconds = Quelix_GetRealExposureTime(Camera(controls), &ok);
    const int lines = Quelix_GetExposureTime(Camera(controls), nullptr);
    char text[128];
    std::snprintf(text, sizeof text, "%s: %d µs (%d %s)", T(Text::ExposureActual), ok ? microseconds : 0,
                  lines, T(Text::Lines));
    gtk_label_set_text(GTK_LABEL(controls->actual), text);
}

// The mirrors and the capture window, for the readout's sensor coordinates.
void TellPictureGeometry(ControlsPanel* controls)
{
    int32_t total = 0, left = 0, width = 0, totalHeight = 0, top = 0, height = 0;
    Quelix_GetCaptureWindowEx(Camera(controls), &total, &left, &width, &totalHeight, &top, &height);
    PictureSetGeometry(controls->viewer->picture, Quelix_GetMirrorH(Camera(controls)) == 1,
                       Quelix_GetMirrorV(Camera(controls)) == 1, left, top);
}

void OnExposure(GtkSpinButton* spin, ControlsPanel* controls)
{
    if (controls->updating)
        return;
    Quelix_SetRealExposureTime(Camera(controls), gtk_spin_button_get_value_as_int(spin));
    ShowActualExposure(controls);
}

void OnGain(GtkSpinButton* spin, ControlsPanel* controls)
{
    if (controls->updating)
        return;
    const int gain = gtk_spin_button_get_value_as_int(spin);
    // One gain for the four pixel phases.
    Quelix_SetColorGainRed(Camera(controls), gain);
    Quelix_SetColorGainGreen1(Camera(controls), gain);
    Quelix_SetColorGainGreen2(Camera(controls), gain);
    Quelix_SetColorGainBlue(Camera(controls), gain);
}

void OnAutoExposure(GtkToggleButton* button, ControlsPanel* controls)
{
    if (controls->updating)
        return;
    Quelix_SetAutoIris(Camera(controls),
                       gtk_toggle_button_get_active(button) ? QUELIX_AUTO_IRIS_ON : QUELIX_AUTO_IRIS_OFF);
}

void OnColourMode(GtkComboBox* combo, ControlsPanel* controls)
{
    const int index = gtk_combo_box_get_active(combo);
    if (controls->updating || index < 0 || index >= static_cast<int>(std::size(kColourModes)))
        return;
    // The library stops and starts the running preview in the new mode.
    Quelix_SetColorMode(Camera(controls), kColourModes[index]);
}

void OnMirror(GtkToggleButton* button, ControlsPanel* controls)
{
    if (controls->updating)
        return;
    const int flag = gtk_toggle_button_get_active(button) ? 1 : 0;
    if (GTK_WIDGET(button) == controls->mirrorH)
        Quelix_SetMirrorH(Camera(controls), flag);
    else
        Quelix_SetMirrorV(Camera(controls), flag);
    TellPictureGeometry(controls);
}

void OnFilter(GtkRange* range, ControlsPanel* controls)
{
    if (controls->updating)
        return;
    for (size_t i = 0; i < kFilterCount; ++i) {
        if (GTK_WIDGET(range) == controls->filters[i])
            Quelix_SetFilterValue(Camera(controls), kFilters[i].id,
                                  static_cast<int>(gtk_range_get_value(range)));
    }
}

void OnCorrection(GtkToggleButton* button, ControlsPanel* controls)
{
    if (controls->updating)
        return;
    const int on = gtk_toggle_button_get_active(button) ? 1 : 0;
    if (GTK_WIDGET(button) == controls->dotFilter)
        Quelix_SetDotFilter(Camera(controls), on);
    else
        Quelix_SetMaskFilter(Camera(controls), on);
}

// A label and its control in the next row of the grid; the label names the
// control for screen readers.
void AddRow(GtkWidget* grid, int row, const char* name, GtkWidget* control)
{
    GtkWidget* label = gtk_label_new(name);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_grid_attach(GTK_GRID(grid), label, 0, row, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), control, 1, row, 1, 1);
    gtk_widget_set_hexpand(control, TRUE);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), control);
    atk_object_set_name(gtk_widget_get_accessible(control), name);
}

}  // namespace

ControlsPanel* CreateControlsPanel(Viewer& viewer)
{
    auto* controls = new ControlsPanel;
    controls->viewer = &viewer;
    GtkWidget* grid = controls->grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
    int row = 0;
    controls->exposure = gtk_spin_button_new_with_range(1, kMaxExposureMicroseconds, 100);
    g_signal_connect(controls->exposure, "value-changed", G_CALLBACK(OnExposure), controls);
    AddRow(grid, row++, T(Text::Exposure), controls->exposure);
    controls->actual = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(controls->actual), 0.0f);
    gtk_widget_set_name(controls->actual, "actual-exposure");
    gtk_grid_attach(GTK_GRID(grid), controls->actual, 0, row++, 2, 1);
    controls->gain = gtk_spin_button_new_with_range(0, 255, 1);
    g_signal_connect(controls->gain, "value-changed", G_CALLBACK(OnGain), controls);
    AddRow(grid, row++, T(Text::Gain), controls->gain);
    controls->autoExposure = gtk_check_button_new_with_label(T(Text::AutoExposure));
    g_signal_connect(controls->autoExposure, "toggled", G_CALLBACK(OnAutoExposure), controls);
    gtk_grid_attach(GTK_GRID(grid), controls->autoExposure, 0, row++, 2, 1);
    controls->colourMode = gtk_combo_box_text_new();
    for (Text text : kColourModeTexts)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(controls->colourMode), T(text));
    g_signal_connect(controls->colourMode, "changed", G_CALLBACK(OnColourMode), controls);
    AddRow(grid, row++, T(Text::ColourMode), controls->colourMode);
    controls->mirrorH = gtk_check_button_new_with_label(T(Text::MirrorH));
    controls->mirrorV = gtk_check_button_new_with_label(T(Text::MirrorV));
    g_signal_connect(controls->mirrorH, "toggled", G_CALLBACK(OnMirror), controls);
    g_signal_connect(controls->mirrorV, "toggled", G_CALLBACK(OnMirror), controls);
    gtk_grid_attach(GTK_GRID(grid), controls->mirrorH, 0, row++, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), controls->mirrorV, 0, row++, 2, 1);

    GtkWidget* filters = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(filters), 2);
    gtk_grid_set_column_spacing(GTK_GRID(filters), 8);
    for (size_t i = 0; i < kFilterCount; ++i) {
        controls->filters[i] =
            gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, kFilters[i].minimum, kFilters[i].maximum, 1);
        gtk_scale_set_value_pos(GTK_SCALE(controls->filters[i]), GTK_POS_RIGHT);
        gtk_widget_set_size_request(controls->filters[i], 140, -1);
        g_signal_connect(controls->filters[i], "value-changed", G_CALLBACK(OnFilter), controls);
        AddRow(filters, static_cast<int>(i), T(kFilters[i].name), controls->filters[i]);
    }
    controls->dotFilter = gtk_check_button_new_with_label(T(Text::DefectRepair));
    controls->maskFilter = gtk_check_button_new_with_label(T(Text::ShadingCorrection));
    g_signal_connect(controls->dotFilter, "toggled", G_CALLBACK(OnCorrection), controls);
    g_signal_connect(controls->maskFilter, "toggled", G_CALLBACK(OnCorrection), controls);
    gtk_grid_attach(GTK_GRID(filters), controls->dotFilter, 0, static_cast<int>(kFilterCount), 2, 1);
    gtk_grid_attach(GTK_GRID(filters), controls->maskFilter, 0, static_cast<int>(kFilterCount) + 1, 2, 1);
    GtkWidget* expander = gtk_expander_new(T(Text::Filters));
    gtk_container_add(GTK_CONTAINER(expander), filters);
    gtk_grid_attach(GTK_GRID(grid), expander, 0, row++, 2, 1);
    return controls;
}

GtkWidget* ControlsWidget(ControlsPanel* controls)
{
    return controls->grid;
}

void ControlsRefresh(ControlsPanel* controls)
{
    const int32_t camera = Camera(controls);
    controls->updating = true;
    int32_t ok = 0;
    const int microseconds = Quelix_GetRealExposureTime(camera, &ok);
    if (ok)
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(controls->exposure), microseconds);
    const int gain = Quelix_GetColorGainGreen1(camera, &ok);
    if (ok)
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(controls->gain), gain);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(controls->autoExposure),
                                 Quelix_GetAutoIris(camera, nullptr) == QUELIX_AUTO_IRIS_ON);
    const int bits = controls->viewer->source->Bits();
    for (size_t i = 0; i < std::size(kColourModes); ++i) {
        if (kColourModes[i] == bits)
            gtk_combo_box_set_active(GTK_COMBO_BOX(controls->colourMode), static_cast<int>(i));
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(controls->mirrorH), Quelix_GetMirrorH(camera) == 1);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(controls->mirrorV), Quelix_GetMirrorV(camera) == 1);
    for (size_t i = 0; i < kFilterCount; ++i) {
        const int value = Quelix_GetFilterValue(camera, kFilters[i].id, &ok);
        if (ok)
            gtk_range_set_value(GTK_RANGE(controls->filters[i]), value);
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(controls->dotFilter),
                                 Quelix_GetDotFilter(camera, nullptr) == 1);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(controls->maskFilter),
                                 Quelix_GetMaskFilter(camera, nullptr) == 1);
    controls->updating = false;
    ShowActualExposure(controls);
    TellPictureGeometry(controls);
}

void ControlsTick(ControlsPanel* controls)
{
    // Automatic exposure moves the exposure on the camera's thread.
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(controls->autoExposure)) &&
        !gtk_widget_has_focus(controls->exposure)) {
        int32_t ok = 0;
        const int microseconds = Quelix_GetRealExposureTime(Camera(controls), &ok);
        if (ok && microseconds != gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(controls->exposure))) {
            controls->updating = true;
            gtk_spin_button_set_value(GTK_SPIN_BUTTON(controls->exposure), microseconds);
            controls->updating = false;
        }
    }
    ShowActualExposure(controls);
}

void ControlsSetRecording(ControlsPanel* controls, bool recording)
{
    // A recording keeps its colour mode from start to end.
    gtk_widget_set_sensitive(controls->colourMode, !recording);
}

void DestroyControlsPanel(ControlsPanel* controls)
{
    delete controls;
}

}  // namespace quelix::viewer
