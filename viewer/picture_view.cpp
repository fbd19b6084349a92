// SPDX-License-Identifier: MIT
// The live picture: the newest frame scaled to fit or at 1:1 to 8:1, panned
// by dragging, zoomed with the wheel; the values under the cursor below it.
// The right button draws the line of the profile, Ctrl with the left button
// a new capture window.
#include <algorithm>
#include <cstdio>
#include <string>

#include "line_profile.h"
#include "texts.h"
#include "viewer_app.h"

namespace quelix::viewer {

struct PictureView {
    Viewer* viewer = nullptr;
    GtkWidget* box = nullptr;
    GtkWidget* area = nullptr;
    GtkWidget* readout = nullptr;
    ViewState view;
    FrameImage frame;
    cairo_surface_t* surface = nullptr;
    bool mirrorH = false;
    bool mirrorV = false;
    int windowLeft = 0;
    int windowTop = 0;
    // The pointer, for the readout of a changing picture under a still cursor.
    bool pointerInside = false;
    double pointerX = 0.0;
    double pointerY = 0.0;
    enum class Drag { None, Pan, Line, Window } drag = Drag::None;
    double dragX = 0.0;  // widget point where the drag started (pan: last point)
    double dragY = 0.0;
    int startPx = 0;  // picture pixel where a line or window drag started
    int startPy = 0;
    int endPx = 0;
    int endPy = 0;
    bool haveLine = false;
    int line[4] = {0, 0, 0, 0};
};

namespace {

int WidgetWidth(const PictureView* picture)
{
    return gtk_widget_get_allocated_width(picture->area);
}

int WidgetHeight(const PictureView* picture)
{
    return gtk_widget_get_allocated_height(picture->area);
}

Placement CurrentPlacement(const PictureView* picture)
{
    return PlacePicture(picture->view, picture->frame.width, picture->frame.height, WidgetWidth(picture),
                        WidgetHeight(picture));
}

// The picture pixel under a widget point, held to the picture's edge.
void ClampedPixel(const PictureView* picture, double wx, double wy, int& px, int& py)
{
    const Placement placement = CurrentPlacement(picture);
    px = std::clamp(static_cast<int>((wx - placement.originX) / placement.scale), 0,
                    std::max(picture->frame.width - 1, 0));
    py = std::clamp(static_cast<int>((wy - placement.originY) / placement.scale), 0,
                    std::max(picture->frame.height - 1, 0));
}

std::string ZoomText(const PictureView* picture)
{
    return std::string(T(Text::Zoom)) + " " +
           (picture->view.zoom == 0 ? std::string(T(Text::ZoomFit))
                                    : std::to_string(picture->view.zoom) + ":1");
}

void UpdateReadout(PictureView* picture)
{
    std::string text;
    int px = 0, py = 0;
    if (picture->pointerInside &&
        WidgetToPicture(CurrentPlacement(picture), picture->pointerX, picture->pointerY, picture->frame.width,
                        picture->frame.height, px, py)) {
        int sx = 0, sy = 0;
        PictureToSensor(px, py, picture->frame.width, picture->frame.height, picture->windowLeft,
                        picture->windowTop, picture->mirrorH, picture->mirrorV, sx, sy);
        const PixelValue value = ReadPixel(picture->frame, px, py);
        char buffer[200];
        const char* sensor = T(Text::Sensor);
        if (picture->frame.bits == 16)
            std::snprintf(buffer, sizeof buffer, "x %d y %d  %s %d, %d  %s %d (14-bit)", px, py, sensor, sx,
                          sy, T(Text::Sample), value.gray);
        else if (picture->frame.bits == 8)
            std::snprintf(buffer, sizeof buffer, "x %d y %d  %s %d, %d  %s %d (8-bit)", px, py, sensor, sx,
                          sy, T(Text::Output), value.gray);
        else
            std::snprintf(buffer, sizeof buffer, "x %d y %d  %s %d, %d  %s R %d G %d B %d", px, py, sensor,
                          sx, sy, T(Text::Output), value.red, value.green, value.blue);
        text = buffer;
    } else {
        text = std::string(T(Text::Cursor)) + " -";
    }
    text += "    " + ZoomText(picture);
    gtk_label_set_text(GTK_LABEL(picture->readout), text.c_str());
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, PictureView* picture)
{
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
    cairo_paint(cr);
    if (picture->surface == nullptr)
        return TRUE;
    const Placement placement = CurrentPlacement(picture);
    cairo_save(cr);
    cairo_translate(cr, placement.originX, placement.originY);
    cairo_scale(cr, placement.scale, placement.scale);
    cairo_set_source_surface(cr, picture->surface, 0, 0);
    // Whole screen pixels per picture pixel when zoomed, so that pixels stay pixels.
    cairo_pattern_set_filter(cairo_get_source(cr),
                             placement.scale >= 1.0 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_rectangle(cr, 0, 0, picture->frame.width, picture->frame.height);
    cairo_fill(cr);
    cairo_restore(cr);

    const auto toWidget = [&](double px, double py, double& wx, double& wy) {
        wx = placement.originX + (px + 0.5) * placement.scale;
        wy = placement.originY + (py + 0.5) * placement.scale;
    };
    cairo_set_line_width(cr, 1.5);
    if (picture->haveLine || picture->drag == PictureView::Drag::Line) {
        const int* l = picture->line;
        int x0 = l[0], y0 = l[1], x1 = l[2], y1 = l[3];
        if (picture->drag == PictureView::Drag::Line) {
            x0 = picture->startPx, y0 = picture->startPy, x1 = picture->endPx, y1 = picture->endPy;
        }
        double ax, ay, bx, by;
        toWidget(x0, y0, ax, ay);
        toWidget(x1, y1, bx, by);
        cairo_set_source_rgb(cr, 1.0, 0.85, 0.0);
        cairo_move_to(cr, ax, ay);
        cairo_line_to(cr, bx, by);
        cairo_stroke(cr);
    }
    if (picture->drag == PictureView::Drag::Window) {
        const int left = std::min(picture->startPx, picture->endPx);
        const int top = std::min(picture->startPy, picture->endPy);
        const int right = std::max(picture->startPx, picture->endPx) + 1;
        const int bottom = std::max(picture->startPy, picture->endPy) + 1;
        cairo_set_source_rgb(cr, 0.2, 0.9, 1.0);
        cairo_rectangle(cr, placement.originX + left * placement.scale,
                        placement.originY + top * placement.scale, (right - left) * placement.scale,
                        (bottom - top) * placement.scale);
        cairo_stroke(cr);
    }
    return TRUE;
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, PictureView* picture)
{
    if (event->type != GDK_BUTTON_PRESS || !picture->frame.Valid())
        return FALSE;
    picture->dragX = event->x;
    picture->dragY = event->y;
    ClampedPixel(picture, event->x, event->y, picture->startPx, picture->startPy);
    picture->endPx = picture->startPx;
    picture->endPy = picture->startPy;
    if (event->button == 3)
        picture->drag = PictureView::Drag::Line;
    else if (event->button == 1 && (event->state & GDK_CONTROL_MASK))
        picture->drag = PictureView::Drag::Window;
    else if (event->button == 1)
        picture->drag = PictureView::Drag::Pan;
    return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, PictureView* picture)
{
    picture->pointerInside = true;
    picture->pointerX = event->x;
    picture->pointerY = event->y;
    switch (picture->drag) {
        case PictureView::Drag::Pan:
            picture->view = PanBy(picture->view, event->x - picture->dragX, event->y - picture->dragY,
                                  picture->frame.width, picture->frame.height, WidgetWidth(picture),
                                  WidgetHeight(picture));
            picture->dragX = event->x;
            picture->dragY = event->y;
            gtk_widget_queue_draw(picture->area);
            break;
        case PictureView::Drag::Line:
        case PictureView::Drag::Window:
            ClampedPixel(picture, event->x, event->y, picture->endPx, picture->endPy);
            gtk_widget_queue_draw(picture->area);
            break;
        case PictureView::Drag::None:
            break;
    }
    UpdateReadout(picture);
    return TRUE;
}

gboolean OnButtonRelease(GtkWidget*, GdkEventButton*, PictureView* picture)
{
    const PictureView::Drag drag = picture->drag;
    picture->drag = PictureView::Drag::None;
    if (drag == PictureView::Drag::Line) {
        picture->haveLine = true;
        picture->line[0] = picture->startPx;
        picture->line[1] = picture->startPy;
        picture->line[2] = picture->endPx;
        picture->line[3] = picture->endPy;
        ProfileSetLine(picture->viewer->profile, picture->startPx, picture->startPy, picture->endPx,
                       picture->endPy);
        ProfileShowFrame(picture->viewer->profile, picture->frame);
    } else if (drag == PictureView::Drag::Window) {
        // The rectangle's corners on the sensor (mirrors undone).
        int ax = 0, ay = 0, bx = 0, by = 0;
        PictureToSensor(picture->startPx, picture->startPy, picture->frame.width, picture->frame.height,
                        picture->windowLeft, picture->windowTop, picture->mirrorH, picture->mirrorV, ax, ay);
        PictureToSensor(picture->endPx, picture->endPy, picture->frame.width, picture->frame.height,
                        picture->windowLeft, picture->windowTop, picture->mirrorH, picture->mirrorV, bx, by);
        const int left = std::min(ax, bx), top = std::min(ay, by);
        const int width = std::abs(ax - bx) + 1, height = std::abs(ay - by) + 1;
        if (width >= QUELIX_WINDOW_MIN_WIDTH && height >= QUELIX_WINDOW_MIN_HEIGHT)
            ApplyCaptureWindow(*picture->viewer, left, top, width, height);
    }
    gtk_widget_queue_draw(picture->area);
    return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* event, PictureView* picture)
{
    int zoom = picture->view.zoom;
    if (event->direction == GDK_SCROLL_UP)
        zoom = zoom == 0 ? 1 : zoom + 1;
    else if (event->direction == GDK_SCROLL_DOWN)
        zoom = zoom <= 1 ? 0 : zoom - 1;
    else
        return FALSE;
    picture->view = ZoomAt(picture->view, zoom, event->x, event->y, picture->frame.width,
                           picture->frame.height, WidgetWidth(picture), WidgetHeight(picture));
    gtk_widget_queue_draw(picture->area);
    UpdateReadout(picture);
    return TRUE;
}

gboolean OnLeave(GtkWidget*, GdkEventCrossing*, PictureView* picture)
{
    picture->pointerInside = false;
    UpdateReadout(picture);
    return FALSE;
}

void OnSizeAllocate(GtkWidget*, GdkRectangle*, PictureView* picture)
{
    picture->view = ClampPan(picture->view, picture->frame.width, picture->frame.height, WidgetWidth(picture),
                             WidgetHeight(picture));
}

}  // namespace

PictureView* CreatePictureView(Viewer& viewer)
{
    auto* picture = new PictureView;
    picture->viewer = &viewer;
    picture->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    picture->area = gtk_drawing_area_new();
    gtk_widget_set_size_request(picture->area, QUELIX_SENSOR_WIDTH, QUELIX_SENSOR_HEIGHT);
    gtk_widget_set_hexpand(picture->area, TRUE);
    gtk_widget_set_vexpand(picture->area, TRUE);
    gtk_widget_add_events(picture->area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                             GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK |
                                             GDK_LEAVE_NOTIFY_MASK);
    atk_object_set_name(gtk_widget_get_accessible(picture->area), "picture");
    g_signal_connect(picture->area, "draw", G_CALLBACK(OnDraw), picture);
    g_signal_connect(picture->area, "button-press-event", G_CALLBACK(OnButtonPress), picture);
    g_signal_connect(picture->area, "button-release-event", G_CALLBACK(OnButtonRelease), picture);
    g_signal_connect(picture->area, "motion-notify-event", G_CALLBACK(OnMotion), picture);
    g_signal_connect(picture->area, "scroll-event", G_CALLBACK(OnScroll), picture);
    g_signal_connect(picture->area, "leave-notify-event", G_CALLBACK(OnLeave), picture);
    g_signal_connect(picture->area, "size-allocate", G_CALLBACK(OnSizeAllocate), picture);
    picture->readout = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(picture->readout), 0.0f);
    gtk_widget_set_name(picture->readout, "readout");
    gtk_box_pack_start(GTK_BOX(picture->box), picture->area, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(picture->box), picture->readout, FALSE, FALSE, 0);
    UpdateReadout(picture);
    return picture;
}

GtkWidget* PictureWidget(PictureView* picture)
{
    return picture->box;
}

void PictureShowFrame(PictureView* picture, const FrameImage& frame)
{
    if (!frame.Valid())
        return;
    if (picture->surface == nullptr || cairo_image_surface_get_width(picture->surface) != frame.width ||
        cairo_image_surface_get_height(picture->surface) != frame.height) {
        if (picture->surface != nullptr)
            cairo_surface_destroy(picture->surface);
        picture->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.width, frame.height);
        if (cairo_surface_status(picture->surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(picture->surface);
            picture->surface = nullptr;
            return;
        }
        picture->haveLine =
            picture->haveLine && frame.width == picture->frame.width && frame.height == picture->frame.height;
    }
    picture->frame.width = frame.width;
    picture->frame.height = frame.height;
    picture->frame.bits = frame.bits;
    picture->frame.pixels.assign(
        frame.pixels.begin(),
        frame.pixels.begin() + static_cast<std::ptrdiff_t>(frame.Stride()) * frame.height);
    cairo_surface_flush(picture->surface);
    const int stride = cairo_image_surface_get_stride(picture->surface);
    ToDisplayPixels(picture->frame, cairo_image_surface_get_data(picture->surface), stride,
                    static_cast<size_t>(stride) * static_cast<size_t>(frame.height));
    cairo_surface_mark_dirty(picture->surface);
    picture->view =
        ClampPan(picture->view, frame.width, frame.height, WidgetWidth(picture), WidgetHeight(picture));
    gtk_widget_queue_draw(picture->area);
    if (picture->pointerInside)
        UpdateReadout(picture);
}

void PictureSetZoom(PictureView* picture, int zoom)
{
    picture->view =
        ZoomAt(picture->view, zoom, WidgetWidth(picture) / 2.0, WidgetHeight(picture) / 2.0,
               picture->frame.width, picture->frame.height, WidgetWidth(picture), WidgetHeight(picture));
    gtk_widget_queue_draw(picture->area);
    UpdateReadout(picture);
}

void PictureSetGeometry(PictureView* picture, bool mirrorH, bool mirrorV, int left, int top)
{
    picture->mirrorH = mirrorH;
    picture->mirrorV = mirrorV;
    picture->windowLeft = left;
    picture->windowTop = top;
}

void DestroyPictureView(PictureView* picture)
{
    if (picture->surface != nullptr)
        cairo_surface_destroy(picture->surface);
    delete picture;
}

}  // namespace quelix::viewer
