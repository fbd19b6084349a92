// SPDX-License-Identifier: MIT
// quelix-viewer: a desktop viewer of the Quelix 205KWMX camera, on GTK 3.
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "simulated_camera.h"
#include "texts.h"
#include "viewer_app.h"
#include "viewer_options.h"

namespace {

using namespace quelix::viewer;

constexpr guint kStatusMs = 250;
constexpr guint kPlotMs = 1000;

// At the display's rate: the newest frame, if one came, into the picture
// and the plots that follow it.
gboolean OnTick(GtkWidget*, GdkFrameClock*, gpointer data)
{
    Viewer& viewer = *static_cast<Viewer*>(data);
    if (viewer.source->FetchNewest(viewer.frame)) {
        PictureShowFrame(viewer.picture, viewer.frame);
        HistogramShowFrame(viewer.histogram, viewer.frame);
        ProfileShowFrame(viewer.profile, viewer.frame);
    }
    return G_SOURCE_CONTINUE;
}

gboolean OnStatus(gpointer data)
{
    Viewer& viewer = *static_cast<Viewer*>(data);
    StatusBarShow(viewer.status, viewer.source->CurrentStatus(MonotonicSeconds()));
    ControlsTick(viewer.controls);
    ActionsTick(viewer.actions);
    return G_SOURCE_CONTINUE;
}

gboolean OnPlots(gpointer data)
{
    Viewer& viewer = *static_cast<Viewer*>(data);
    const double now = MonotonicSeconds();
    const SourceStatus status = viewer.source->CurrentStatus(now);
    const double seconds = now - viewer.startSeconds;
    if (status.haveTemperature)
        TimePlotAdd(viewer.temperature, seconds, status.celsius, status.peltier);
    static uint64_t lastDropped = 0;
    TimePlotAdd(viewer.rate, seconds, status.hostFps, static_cast<double>(status.dropped - lastDropped));
    lastDropped = status.dropped;
    return G_SOURCE_CONTINUE;
}

// Ends the modal windows over the viewer: a file chooser or the calibration
// as Cancel, a settings dialog of the library as its close button does.
void CloseOtherWindows(GtkWidget* main)
{
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item != nullptr; item = item->next) {
        GtkWidget* window = GTK_WIDGET(item->data);
        if (window == main || !gtk_widget_get_visible(window))
            continue;
        if (GTK_IS_DIALOG(window))
            gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_CANCEL);
        else
            gtk_window_close(GTK_WINDOW(window));
    }
    g_list_free(windows);
}

GtkWidget* BuildWindow(Viewer& viewer)
{
    GtkWidget* window = viewer.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), T(Text::Title));
    gtk_window_set_icon_name(GTK_WINDOW(window), "quelix-viewer");
    gtk_window_set_default_size(GTK_WINDOW(window), 1000, 640);
    GtkAccelGroup* accelerators = gtk_accel_group_new();
    gtk_window_add_accel_group(GTK_WINDOW(window), accelerators);

    viewer.picture = CreatePictureView(viewer);
    viewer.histogram = CreateHistogramPlot();
    viewer.profile = CreateProfilePlot();
    viewer.temperature = CreateTimePlot(T(Text::Temperature), T(Text::Cooler), "°C", "0-255");
    viewer.rate = CreateTimePlot(T(Text::Rate), T(Text::Dropped), "fps", "/s");
    viewer.controls = CreateControlsPanel(viewer);
    viewer.status = CreateStatusBar();
    viewer.actions = CreateActions(viewer);

    GtkWidget* plots = gtk_notebook_new();
    gtk_notebook_append_page(GTK_NOTEBOOK(plots), HistogramWidget(viewer.histogram),
                             gtk_label_new(T(Text::Histogram)));
    gtk_notebook_append_page(GTK_NOTEBOOK(plots), ProfileWidget(viewer.profile),
                             gtk_label_new(T(Text::Profile)));
    gtk_notebook_append_page(GTK_NOTEBOOK(plots), TimePlotWidget(viewer.temperature),
                             gtk_label_new(T(Text::Temperature)));
    gtk_notebook_append_page(GTK_NOTEBOOK(plots), TimePlotWidget(viewer.rate), gtk_label_new(T(Text::Rate)));

    GtkWidget* side = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(side), 6);
    gtk_box_pack_start(GTK_BOX(side), ControlsWidget(viewer.controls), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(side), plots, TRUE, TRUE, 0);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroller), side);
    gtk_widget_set_size_request(scroller, 340, -1);

    GtkWidget* paned = gtk_paned_new(GTK_ORIENTATION_HORIZONTAL);
    gtk_paned_pack1(GTK_PANED(paned), PictureWidget(viewer.picture), TRUE, FALSE);
    gtk_paned_pack2(GTK_PANED(paned), scroller, FALSE, FALSE);

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(box), CreateMenuBar(viewer, accelerators), FALSE, FALSE, 0);
    GtkWidget* toolbar = ActionsWidget(viewer.actions);
    gtk_container_set_border_width(GTK_CONTAINER(toolbar), 4);
    gtk_box_pack_start(GTK_BOX(box), toolbar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), paned, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), StatusBarWidget(viewer.status), FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    // Closing ends the main loop with the window still there: the parts
    // finish (a recording, say) before it goes.
    g_signal_connect(window, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) {
                         gtk_main_quit();
                         return TRUE;
                     }),
                     nullptr);
    return window;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    const std::optional<ViewerOptions> options = ParseViewerOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr, "quelix-viewer: %s\n%s", error.c_str(), ViewerUsage().c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(ViewerUsage().c_str(), stdout);
        return 0;
    }
    // GTK must not change the locale's number formats: the library's texts
    // and files use the C locale; the texts are chosen from the environment.
    gtk_disable_setlocale();
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "quelix-viewer: cannot open a display%s\n",
                     g_getenv("DISPLAY") == nullptr ? " (DISPLAY is not set)" : "");
        return 1;
    }
    SimulatedCamera simulated;
    if (options->simulate &&
        !simulated.StartUnlessAttached(options->device, options->scene, options->fast, error)) {
        std::fprintf(stderr, "quelix-viewer: simulated camera: %s\n", error.c_str());
        return 1;
    }
    int status = 0;
    {
        FrameSource source;
        if (!source.Open(options->device, options->bits, error) || !source.Start(error)) {
            std::fprintf(stderr, "quelix-viewer: %s\n", error.c_str());
            return 1;
        }
        Viewer viewer;
        viewer.source = &source;
        viewer.startSeconds = MonotonicSeconds();
        GtkWidget* window = BuildWindow(viewer);
        ControlsRefresh(viewer.controls);
        gtk_widget_show_all(window);
        gtk_widget_add_tick_callback(PictureWidget(viewer.picture), OnTick, &viewer, nullptr);
        const guint statusTimer = g_timeout_add(kStatusMs, OnStatus, &viewer);
        const guint plotTimer = g_timeout_add(kPlotMs, OnPlots, &viewer);
        // SIGINT and SIGTERM close the window, so that a recording is
        // finished and the settings are stored as at a normal end.
        for (int signal : {SIGINT, SIGTERM})
            g_unix_signal_add(signal, G_SOURCE_FUNC(+[](gpointer window) {
                                  CloseOtherWindows(GTK_WIDGET(window));
                                  gtk_main_quit();
                                  return G_SOURCE_CONTINUE;
                              }),
                              window);
        gtk_main();
        g_source_remove(statusTimer);
        g_source_remove(plotTimer);
        // A recording in progress is finished before the camera goes.
        DestroyActions(viewer.actions);
        source.Stop();
        gtk_widget_destroy(viewer.window);
        DestroyPictureView(viewer.picture);
        DestroyHistogramPlot(viewer.histogram);
        DestroyProfilePlot(viewer.profile);
        DestroyTimePlot(viewer.temperature);
        DestroyTimePlot(viewer.rate);
        DestroyControlsPanel(viewer.controls);
        DestroyStatusBar(viewer.status);
    }
    return status;
}
