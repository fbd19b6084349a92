// SPDX-License-Identifier: MIT
// The status bar: frame rates of the host and the camera, dropped frames,
// the sensor temperature, the camera's state and the last error in words,
// and the viewer's own last message.
#include <cstdio>
#include <string>

#include "texts.h"
#include "viewer_app.h"

namespace quelix::viewer {

struct StatusBar {
    GtkWidget* box = nullptr;
    GtkWidget* hostFps = nullptr;
    GtkWidget* cameraFps = nullptr;
    GtkWidget* dropped = nullptr;
    GtkWidget* temperature = nullptr;
    GtkWidget* state = nullptr;
    GtkWidget* error = nullptr;
    GtkWidget* message = nullptr;
    uint64_t errorSerial = 0;
};

namespace {

// A label with a fixed accessible name, so a screen reader (or a test) finds
// it whatever it says.
GtkWidget* AddLabel(GtkWidget* box, const char* accessibleName, bool expand)
{
    GtkWidget* label = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_ellipsize(GTK_LABEL(label), expand ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
    atk_object_set_name(gtk_widget_get_accessible(label), accessibleName);
    gtk_box_pack_start(GTK_BOX(box), label, expand, expand, 0);
    gtk_box_pack_start(GTK_BOX(box), gtk_separator_new(GTK_ORIENTATION_VERTICAL), FALSE, FALSE, 0);
    return label;
}

void SetText(GtkWidget* label, const std::string& text)
{
    if (text != gtk_label_get_text(GTK_LABEL(label)))
        gtk_label_set_text(GTK_LABEL(label), text.c_str());
}

}  // namespace

StatusBar* CreateStatusBar()
{
    auto* status = new StatusBar;
    status->box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(status->box), 2);
    status->hostFps = AddLabel(status->box, "host fps", false);
    status->cameraFps = AddLabel(status->box, "camera fps", false);
    status->dropped = AddLabel(status->box, "dropped frames", false);
    status->temperature = AddLabel(status->box, "temperature", false);
    status->state = AddLabel(status->box, "camera state", false);
    status->error = AddLabel(status->box, "last error", true);
    status->message = AddLabel(status->box, "message", true);
    SetText(status->state, T(Text::Starting));
    return status;
}

GtkWidget* StatusBarWidget(StatusBar* status)
{
    return status->box;
}

void StatusBarShow(StatusBar* status, const SourceStatus& source)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s %.1f fps", T(Text::HostFps), source.hostFps);
    SetText(status->hostFps, text);
    std::snprintf(text, sizeof text, "%s %.1f fps", T(Text::CameraFps), source.cameraFps);
    SetText(status->cameraFps, text);
    std::snprintf(text, sizeof text, "%s %llu / %llu", T(Text::Dropped),
                  static_cast<unsigned long long>(source.dropped),
                  static_cast<unsigned long long>(source.frames));
    SetText(status->dropped, text);
    if (source.haveTemperature)
        std::snprintf(text, sizeof text, "%.1f °C", source.celsius);
    else
        std::snprintf(text, sizeof text, "%s", T(Text::NoTemperature));
    SetText(status->temperature, text);
    SetText(status->state, source.waiting     ? T(Text::Waiting)
                           : source.streaming ? T(Text::Streaming)
                                              : T(Text::Starting));
    if (source.errorSerial != status->errorSerial) {
        status->errorSerial = source.errorSerial;
        SetText(status->error, ErrorInWords(source.lastError, JapaneseChosen()));
    } else if (status->errorSerial == 0) {
        SetText(status->error, T(Text::NoError));
    }
}

void StatusBarSay(StatusBar* status, const std::string& message)
{
    SetText(status->message, message);
}

void DestroyStatusBar(StatusBar* status)
{
    delete status;
}

}  // namespace quelix::viewer
