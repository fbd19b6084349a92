// SPDX-License-Identifier: MIT
// The viewer's window and its parts, as the GTK callbacks of every part
// reach them. Everything here lives on the GTK thread; the camera's own
// thread is inside FrameSource.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "frame_image.h"
#include "frame_source.h"
#include "time_series.h"
#include "view_mapping.h"

namespace quelix::viewer {

struct PictureView;
struct HistogramPlot;
struct ProfilePlot;
struct TimePlot;
struct ControlsPanel;
struct StatusBar;
struct Actions;

struct Viewer {
    FrameSource* source = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* deviceMenu = nullptr;
    PictureView* picture = nullptr;
    HistogramPlot* histogram = nullptr;
    ProfilePlot* profile = nullptr;
    TimePlot* temperature = nullptr;
    TimePlot* rate = nullptr;
    ControlsPanel* controls = nullptr;
    StatusBar* status = nullptr;
    Actions* actions = nullptr;
    FrameImage frame;  // the frame on show
    double startSeconds = 0.0;
    bool dialogOpen = false;  // a settings dialog of the library runs
};

// --- picture_view.cpp: the live picture with zoom, pan and the values under the cursor.
PictureView* CreatePictureView(Viewer& viewer);
GtkWidget* PictureWidget(PictureView* picture);
void PictureShowFrame(PictureView* picture, const FrameImage& frame);
void PictureSetZoom(PictureView* picture, int zoom);
// The mirrors and the capture window's offset, for the sensor coordinates of the readout.
void PictureSetGeometry(PictureView* picture, bool mirrorH, bool mirrorV, int left, int top);
void DestroyPictureView(PictureView* picture);

// --- histogram_plot.cpp
HistogramPlot* CreateHistogramPlot();
GtkWidget* HistogramWidget(HistogramPlot* plot);
void HistogramShowFrame(HistogramPlot* plot, const FrameImage& frame);
void DestroyHistogramPlot(HistogramPlot* plot);

// --- profile_plot.cpp: the levels along the line drawn over the picture.
ProfilePlot* CreateProfilePlot();
GtkWidget* ProfileWidget(ProfilePlot* plot);
void ProfileSetLine(ProfilePlot* plot, int x0, int y0, int x1, int y1);
void ProfileShowFrame(ProfilePlot* plot, const FrameImage& frame);
void DestroyProfilePlot(ProfilePlot* plot);

// --- time_plot.cpp: one or two quantities over the last minutes (temperature
// and cooler level; frame rate and dropped frames).
TimePlot* CreateTimePlot(const char* firstName, const char* secondName, const char* firstUnit,
                         const char* secondUnit);
GtkWidget* TimePlotWidget(TimePlot* plot);
void TimePlotAdd(TimePlot* plot, double seconds, double first, double second);
void DestroyTimePlot(TimePlot* plot);

// --- controls_panel.cpp: exposure, gain, automatic exposure, colour mode, mirrors, filters, cooler.
ControlsPanel* CreateControlsPanel(Viewer& viewer);
GtkWidget* ControlsWidget(ControlsPanel* controls);
// Reads the camera's values into the controls (after a dialog, at start).
void ControlsRefresh(ControlsPanel* controls);
// Shows the exposure the camera runs with (automatic exposure changes it).
void ControlsTick(ControlsPanel* controls);
void ControlsSetRecording(ControlsPanel* controls, bool recording);
void DestroyControlsPanel(ControlsPanel* controls);

// --- status_bar.cpp
StatusBar* CreateStatusBar();
GtkWidget* StatusBarWidget(StatusBar* status);
void StatusBarShow(StatusBar* status, const SourceStatus& source);
// A message of the viewer's own (a file saved, a recording's end).
void StatusBarSay(StatusBar* status, const std::string& message);
void DestroyStatusBar(StatusBar* status);

// --- actions.cpp: snap, record, calibrate, mask files.
Actions* CreateActions(Viewer& viewer);
GtkWidget* ActionsWidget(Actions* actions);
void ActionSnap(Viewer& viewer);
void ActionRecord(Viewer& viewer);
void ActionCalibrate(Viewer& viewer);
void ActionLoadMask(Viewer& viewer);
void ActionSaveMask(Viewer& viewer);
void ActionsTick(Actions* actions);
bool ActionsRecording(const Actions* actions);
void DestroyActions(Actions* actions);

// Runs the action from the main loop once the event that asked for it has
// been handled. Actions that show a modal window go this way, so that the
// click (a user's, or a screen reader's request over the accessibility bus)
// is answered before the window's own loop runs.
void RunSoon(Viewer& viewer, void (*action)(Viewer&));

// --- menu_bar.cpp: the menus, the settings dialogs and the device list.
GtkWidget* CreateMenuBar(Viewer& viewer, GtkAccelGroup* accelerators);

}  // namespace quelix::viewer

namespace quelix::viewer {
// --- actions.cpp: the capture window drawn over the picture, in sensor pixels.
void ApplyCaptureWindow(Viewer& viewer, int left, int top, int width, int height);
// The whole sensor again.
void ApplyFullSensor(Viewer& viewer);
}  // namespace quelix::viewer
