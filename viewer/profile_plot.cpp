// SPDX-License-Identifier: MIT
// The levels along the line drawn over the picture.
#include <algorithm>

#include "line_profile.h"
#include "plot_drawing.h"
#include "texts.h"
#include "viewer_app.h"

namespace quelix::viewer {

struct ProfilePlot {
    GtkWidget* box = nullptr;
    GtkWidget* area = nullptr;
    GtkWidget* hint = nullptr;
    bool haveLine = false;
    int line[4] = {0, 0, 0, 0};
    int levelMaximum = 255;
    std::vector<ProfilePoint> points;
};

namespace {

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, ProfilePlot* plot)
{
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    const AxisRange x = NiceRange(0, std::max<double>(plot->points.size(), 2) - 1, 5);
    const AxisRange y = NiceRange(0, plot->levelMaximum, 4);
    const PlotArea area = DrawAxes(cr, width, height, x, y, "%.0f", "%.0f");
    if (plot->points.empty())
        return TRUE;
    cairo_set_source_rgb(cr, 0.8, 0.4, 0.0);
    cairo_set_line_width(cr, 1.5);
    for (size_t i = 0; i < plot->points.size(); ++i) {
        const double px = ValueToPixel(x, static_cast<double>(i), area.left, area.right);
        const double py = ValueToPixel(y, plot->points[i].level, area.bottom, area.top);
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_stroke(cr);
    return TRUE;
}

}  // namespace

ProfilePlot* CreateProfilePlot()
{
    auto* plot = new ProfilePlot;
    plot->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    plot->area = gtk_drawing_area_new();
    gtk_widget_set_size_request(plot->area, 280, 150);
    gtk_widget_set_vexpand(plot->area, TRUE);
    atk_object_set_name(gtk_widget_get_accessible(plot->area), "profile");
    g_signal_connect(plot->area, "draw", G_CALLBACK(OnDraw), plot);
    plot->hint = gtk_label_new(T(Text::ProfileHint));
    gtk_label_set_line_wrap(GTK_LABEL(plot->hint), TRUE);
    gtk_box_pack_start(GTK_BOX(plot->box), plot->area, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(plot->box), plot->hint, FALSE, FALSE, 0);
    return plot;
}

GtkWidget* ProfileWidget(ProfilePlot* plot)
{
    return plot->box;
}

void ProfileSetLine(ProfilePlot* plot, int x0, int y0, int x1, int y1)
{
    plot->haveLine = true;
    plot->line[0] = x0;
    plot->line[1] = y0;
    plot->line[2] = x1;
    plot->line[3] = y1;
    gtk_widget_hide(plot->hint);
}

void ProfileShowFrame(ProfilePlot* plot, const FrameImage& frame)
{
    if (!plot->haveLine || !gtk_widget_get_mapped(plot->area))
        return;
    plot->levelMaximum = LevelMaximum(frame.bits);
    plot->points = SampleLine(frame, plot->line[0], plot->line[1], plot->line[2], plot->line[3]);
    gtk_widget_queue_draw(plot->area);
}

void DestroyProfilePlot(ProfilePlot* plot)
{
    delete plot;
}

}  // namespace quelix::viewer
