// SPDX-License-Identifier: MIT
// What the viewer does with the camera besides showing it: snap the newest
// frame into an image file, record an AVI file, take the dark and bright
// references of a calibration into a mask file, load and save mask files,
// and change the capture window.
#include <cstdio>
#include <string>

#include "file_formats.h"
#include "texts.h"
#include "uniformity.h"
#include "viewer_app.h"

namespace quelix::viewer {

namespace {

// Long enough to be "until Stop": a day.
constexpr int32_t kRecordUntilStoppedMs = 24 * 3600 * 1000;
// The calibration measures the frame that follows a few others, so that a
// change (of the scene, of the correction) has reached it; it waits that
// long at most.
constexpr uint64_t kSettleFrames = 3;
constexpr int kSettleMs = 5000;

}  // namespace

struct Actions {
    Viewer* viewer = nullptr;
    GtkWidget* box = nullptr;
    GtkWidget* snap = nullptr;
    GtkWidget* record = nullptr;
    GtkWidget* calibrate = nullptr;
    GtkWidget* recordTime = nullptr;
    bool recording = false;
    double recordStart = 0.0;
    std::string recordPath;
    std::string folder;  // where the file choosers open: the folder of the last file
};

namespace {

// Asks for a file to save (or open) in the folder of the last one; "" when cancelled.
std::string ChooseFile(Actions* actions, bool save, const char* title, const char* suggestedName,
                       const char* patternName, const char* const* patterns)
{
    // The menu's text without its mnemonic mark.
    std::string plainTitle(title);
    std::erase(plainTitle, '_');
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        plainTitle.c_str(), GTK_WINDOW(actions->viewer->window),
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, T(Text::Cancel),
        GTK_RESPONSE_CANCEL, save ? T(Text::Save) : T(Text::Open), GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    if (!actions->folder.empty())
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), actions->folder.c_str());
    if (save && suggestedName != nullptr)
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), suggestedName);
    if (patterns != nullptr) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, patternName);
        for (const char* const* pattern = patterns; *pattern != nullptr; ++pattern)
            gtk_file_filter_add_pattern(filter, *pattern);
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
    }
    std::string path;
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        if (char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser)); name != nullptr) {
            path = name;
            g_free(name);
            // The next chooser opens where this file is (a typed path may lead elsewhere).
            char* folder = g_path_get_dirname(path.c_str());
            actions->folder = folder;
            g_free(folder);
        }
    }
    gtk_widget_destroy(chooser);
    return path;
}

std::string FailureText(const Viewer& viewer)
{
    const int code = Quelix_GetLastError(viewer.source->Camera());
    return code != 0 ? " (" + ErrorInWords(code, JapaneseChosen()) + ")" : std::string();
}

void OnSnap(GtkButton*, Viewer* viewer)
{
    RunSoon(*viewer, ActionSnap);
}

void OnRecord(GtkButton*, Viewer* viewer)
{
    RunSoon(*viewer, ActionRecord);
}

void OnCalibrate(GtkButton*, Viewer* viewer)
{
    RunSoon(*viewer, ActionCalibrate);
}

// Waits, with the picture going on, until `count` more frames have come
// from the camera (or the time-out passed), then copies the newest.
bool NextFrames(Viewer& viewer, uint64_t count, FrameImage& frame)
{
    const uint64_t start = viewer.source->CurrentStatus(MonotonicSeconds()).frames;
    const gint64 end = g_get_monotonic_time() + kSettleMs * 1000LL;
    while (viewer.source->CurrentStatus(MonotonicSeconds()).frames < start + count) {
        if (g_get_monotonic_time() > end)
            return false;
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(2000);
    }
    return viewer.source->CopyNewest(frame);
}

void StopRecording(Actions* actions)
{
    Viewer& viewer = *actions->viewer;
    // Stopping the preview finishes the file; the preview then starts again
    // with the viewer's frame notifications.
    viewer.source->Restart([] {});
    viewer.source->SetPolling(false);
    actions->recording = false;
    gtk_button_set_label(GTK_BUTTON(actions->record), T(Text::Record));
    gtk_label_set_text(GTK_LABEL(actions->recordTime), "");
    ControlsSetRecording(viewer.controls, false);
    const double seconds = MonotonicSeconds() - actions->recordStart;
    const std::optional<uint32_t> frames = AviFrameCount(actions->recordPath);
    char text[512];
    std::snprintf(text, sizeof text, "%s: %s, %u frames, %.1f s", T(Text::RecordingDone),
                  actions->recordPath.c_str(), frames.value_or(0), seconds);
    StatusBarSay(viewer.status, text);
}

}  // namespace

void RunSoon(Viewer& viewer, void (*action)(Viewer&))
{
    struct Pending {
        Viewer* viewer;
        void (*action)(Viewer&);
    };
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, G_SOURCE_FUNC(+[](gpointer data) {
                        const auto* pending = static_cast<Pending*>(data);
                        pending->action(*pending->viewer);
                        return G_SOURCE_REMOVE;
                    }),
                    new Pending{&viewer, action}, [](gpointer data) { delete static_cast<Pending*>(data); });
}

Actions* CreateActions(Viewer& viewer)
{
    auto* actions = new Actions;
    actions->viewer = &viewer;
    actions->box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    actions->snap = gtk_button_new_with_label(T(Text::Snap));
    actions->record = gtk_button_new_with_label(T(Text::Record));
    actions->calibrate = gtk_button_new_with_label(T(Text::Calibrate));
    actions->recordTime = gtk_label_new("");
    atk_object_set_name(gtk_widget_get_accessible(actions->recordTime), "recording time");
    // The record button keeps one name whatever it says, for screen readers.
    atk_object_set_name(gtk_widget_get_accessible(actions->record), "record");
    g_signal_connect(actions->snap, "clicked", G_CALLBACK(OnSnap), &viewer);
    g_signal_connect(actions->record, "clicked", G_CALLBACK(OnRecord), &viewer);
    g_signal_connect(actions->calibrate, "clicked", G_CALLBACK(OnCalibrate), &viewer);
    gtk_box_pack_start(GTK_BOX(actions->box), actions->snap, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(actions->box), actions->record, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(actions->box), actions->recordTime, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(actions->box), actions->calibrate, FALSE, FALSE, 0);
    return actions;
}

GtkWidget* ActionsWidget(Actions* actions)
{
    return actions->box;
}

void ActionSnap(Viewer& viewer)
{
    static const char* const kPatterns[] = {"*.png", "*.tif",  "*.tiff", "*.bmp",
                                            "*.jpg", "*.jpeg", "*.raw",  nullptr};
    const std::string path = ChooseFile(viewer.actions, true, T(Text::Snap), "snapshot.png",
                                        "PNG, TIFF, BMP, JPEG, raw", kPatterns);
    if (path.empty())
        return;
    const std::optional<int> format = ImageFormatForName(path);
    const bool saved = format && Quelix_SaveImage(viewer.source->Camera(), path.c_str(), *format) == 1;
    StatusBarSay(viewer.status, std::string(saved ? T(Text::Saved) : T(Text::SaveFailed)) + ": " + path +
                                    (saved || !format ? (format ? "" : " (.png .tif .bmp .jpg .raw)")
                                                      : FailureText(viewer)));
}

void ActionRecord(Viewer& viewer)
{
    Actions* actions = viewer.actions;
    if (actions->recording) {
        StopRecording(actions);
        return;
    }
    static const char* const kPatterns[] = {"*.avi", nullptr};
    const std::string path = ChooseFile(actions, true, T(Text::Record), "recording.avi", "AVI", kPatterns);
    if (path.empty())
        return;
    if (Quelix_Record(viewer.source->Camera(), path.c_str(), kRecordUntilStoppedMs, 0) != 1) {
        StatusBarSay(viewer.status, std::string(T(Text::SaveFailed)) + ": " + path + FailureText(viewer));
        // A failed start may have closed the preview.
        viewer.source->Restart([] {});
        return;
    }
    // The recording takes the frame notifications: the picture polls.
    viewer.source->SetPolling(true);
    actions->recording = true;
    actions->recordStart = MonotonicSeconds();
    actions->recordPath = path;
    gtk_button_set_label(GTK_BUTTON(actions->record), T(Text::StopRecording));
    ControlsSetRecording(viewer.controls, true);
    StatusBarSay(viewer.status, std::string(T(Text::Recording)) + ": " + path);
}

void ActionsTick(Actions* actions)
{
    if (!actions->recording)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "%s %.1f s", T(Text::Recording),
                  MonotonicSeconds() - actions->recordStart);
    gtk_label_set_text(GTK_LABEL(actions->recordTime), text);
}

bool ActionsRecording(const Actions* actions)
{
    return actions->recording;
}

void ActionCalibrate(Viewer& viewer)
{
    Actions* actions = viewer.actions;
    const int32_t camera = viewer.source->Camera();
    GtkWidget* dialog =
        gtk_dialog_new_with_buttons(T(Text::Calibrate), GTK_WINDOW(viewer.window), GTK_DIALOG_MODAL,
                                    T(Text::Close), GTK_RESPONSE_CLOSE, nullptr);
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_container_set_border_width(GTK_CONTAINER(content), 10);
    gtk_box_set_spacing(GTK_BOX(content), 6);
    GtkWidget* intro = gtk_label_new(T(Text::CalibrateIntro));
    gtk_label_set_xalign(GTK_LABEL(intro), 0.0f);
    GtkWidget* dark = gtk_button_new_with_label(T(Text::TakeDark));
    GtkWidget* bright = gtk_button_new_with_label(T(Text::TakeBright));
    GtkWidget* save = gtk_button_new_with_label(T(Text::MenuSaveMask));
    gtk_button_set_use_underline(GTK_BUTTON(save), TRUE);
    GtkWidget* result = gtk_label_new("");
    atk_object_set_name(gtk_widget_get_accessible(result), "calibration result");
    gtk_label_set_xalign(GTK_LABEL(result), 0.0f);
    gtk_widget_set_sensitive(bright, FALSE);
    gtk_widget_set_sensitive(save, FALSE);
    for (GtkWidget* widget : {intro, dark, bright, result, save})
        gtk_box_pack_start(GTK_BOX(content), widget, FALSE, FALSE, 0);

    struct Steps {
        Viewer* viewer;
        int32_t camera;
        GtkWidget* bright;
        GtkWidget* save;
        GtkWidget* result;
    } steps{&viewer, camera, bright, save, result};
    g_signal_connect(dark, "clicked", G_CALLBACK(+[](GtkButton*, Steps* s) {
                         if (Quelix_UpdateMaskData(s->camera, QUELIX_MASK_DARK) == 1) {
                             gtk_label_set_text(GTK_LABEL(s->result), T(Text::DarkTaken));
                             gtk_widget_set_sensitive(s->bright, TRUE);
                         } else {
                             gtk_label_set_text(GTK_LABEL(s->result), FailureText(*s->viewer).c_str());
                         }
                     }),
                     &steps);
    g_signal_connect(
        bright, "clicked", G_CALLBACK(+[](GtkButton*, Steps* s) {
            // The spread of the bright scene as the camera delivers it now, then corrected.
            FrameImage frame;
            if (!NextFrames(*s->viewer, kSettleFrames, frame)) {
                gtk_label_set_text(GTK_LABEL(s->result), T(Text::Waiting));
                return;
            }
            const double before = NonUniformityPercent(frame);
            if (Quelix_UpdateMaskData(s->camera, QUELIX_MASK_BRIGHT) != 1) {
                gtk_label_set_text(GTK_LABEL(s->result), FailureText(*s->viewer).c_str());
                return;
            }
            Quelix_SetMaskFilter(s->camera, 1);
            Quelix_SetDotFilter(s->camera, 1);
            ControlsRefresh(s->viewer->controls);
            const double after =
                NextFrames(*s->viewer, kSettleFrames, frame) ? NonUniformityPercent(frame) : before;
            char text[256];
            std::snprintf(text, sizeof text, "%s. %s: %s %.2f %%, %s %.2f %%", T(Text::BrightTaken),
                          T(Text::NonUniformity), T(Text::Before), before, T(Text::After), after);
            gtk_label_set_text(GTK_LABEL(s->result), text);
            gtk_widget_set_sensitive(s->save, TRUE);
        }),
        &steps);
    g_signal_connect(save, "clicked",
                     G_CALLBACK(+[](GtkButton*, Steps* s) { RunSoon(*s->viewer, ActionSaveMask); }), &steps);
    gtk_widget_show_all(dialog);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    (void)actions;
}

void ActionLoadMask(Viewer& viewer)
{
    static const char* const kPatterns[] = {"*.msk", "*.mask", "*", nullptr};
    const std::string path =
        ChooseFile(viewer.actions, false, T(Text::MenuLoadMask), nullptr, "mask", kPatterns);
    if (path.empty())
        return;
    const int32_t camera = viewer.source->Camera();
    if (Quelix_LoadMaskFile(camera, path.c_str()) != 1) {
        StatusBarSay(viewer.status, std::string(T(Text::MaskFailed)) + ": " + path);
        Quelix_GetLastError(camera);
        return;
    }
    Quelix_SetMaskFilter(camera, 1);
    Quelix_SetDotFilter(camera, 1);
    ControlsRefresh(viewer.controls);
    StatusBarSay(viewer.status, std::string(T(Text::MaskLoaded)) + ": " + path);
}

void ActionSaveMask(Viewer& viewer)
{
    static const char* const kPatterns[] = {"*.msk", nullptr};
    const std::string path =
        ChooseFile(viewer.actions, true, T(Text::MenuSaveMask), "calibration.msk", "mask", kPatterns);
    if (path.empty())
        return;
    const bool saved = Quelix_SaveMaskFile(viewer.source->Camera(), path.c_str()) == 1;
    StatusBarSay(viewer.status, std::string(saved ? T(Text::Saved) : T(Text::SaveFailed)) + ": " + path +
                                    (saved ? "" : FailureText(viewer)));
}

void ApplyCaptureWindow(Viewer& viewer, int left, int top, int width, int height)
{
    if (viewer.actions->recording)
        return;
    // A running preview stops, takes the window and starts again by itself.
    if (Quelix_SetCaptureWindowEx(viewer.source->Camera(), QUELIX_SENSOR_WIDTH, left, width,
                                  QUELIX_SENSOR_HEIGHT, top, height) != 1)
        StatusBarSay(viewer.status, ErrorInWords(QUELIX_ERR_WINDOW_INVALID, JapaneseChosen()));
    ControlsRefresh(viewer.controls);
}

void ApplyFullSensor(Viewer& viewer)
{
    ApplyCaptureWindow(viewer, 0, 0, QUELIX_SENSOR_WIDTH, QUELIX_SENSOR_HEIGHT);
}

void DestroyActions(Actions* actions)
{
    if (actions->recording)
        StopRecording(actions);
    delete actions;
}

}  // namespace quelix::viewer
