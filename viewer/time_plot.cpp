// SPDX-License-Identifier: MIT
// One or two quantities over the last minutes, each on its own scale: the
// first on the left axis, the second drawn against the right edge's scale
// (told in the legend).
#include <cstdio>
#include <string>

#include "plot_drawing.h"
#include "viewer_app.h"

namespace quelix::viewer {

namespace {
constexpr size_t kPoints = 600;        // ten minutes at one point a second
constexpr double kShownSeconds = 300;  // the last five minutes are drawn
}  // namespace

struct TimePlot {
    GtkWidget* area = nullptr;
    std::string names[2];
    std::string units[2];
    TimeSeries series[2]{TimeSeries(kPoints), TimeSeries(kPoints)};
};

namespace {

void DrawSeries(cairo_t* cr, const TimeSeries& series, const AxisRange& x, const AxisRange& y,
                const PlotArea& area)
{
    bool first = true;
    for (size_t i = 0; i < series.Size(); ++i) {
        const TimePoint& point = series.At(i);
        if (point.seconds < x.low)
            continue;
        const double px = ValueToPixel(x, point.seconds, area.left, area.right);
        const double py = ValueToPixel(y, point.value, area.bottom, area.top);
        if (first)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
        first = false;
    }
    cairo_stroke(cr);
}

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, TimePlot* plot)
{
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    const TimeSeries& first = plot->series[0];
    const double newest = first.Size() > 0 ? first.At(first.Size() - 1).seconds : 0.0;
    AxisRange x{newest - kShownSeconds, newest, 60.0};
    if (x.low < 0) {
        x.low = 0;
        x.high = kShownSeconds;
    }
    double low = 0, high = 1;
    first.Range(low, high);
    const AxisRange y = NiceRange(low, high, 4);
    const PlotArea area = DrawAxes(cr, width, height, x, y, "%.0f s", "%.1f");
    cairo_set_line_width(cr, 1.5);
    cairo_set_source_rgb(cr, 0.8, 0.1, 0.1);
    DrawSeries(cr, first, x, y, area);
    char legend[160];
    std::snprintf(legend, sizeof legend, "%s (%s)", plot->names[0].c_str(), plot->units[0].c_str());
    cairo_move_to(cr, area.left + 6, area.top + 12);
    cairo_show_text(cr, legend);
    const TimeSeries& second = plot->series[1];
    if (!plot->names[1].empty() && second.Range(low, high)) {
        const AxisRange y2 = NiceRange(low, high, 4);
        cairo_set_source_rgb(cr, 0.1, 0.3, 0.8);
        DrawSeries(cr, second, x, y2, area);
        std::snprintf(legend, sizeof legend, "%s (%s, %.4g to %.4g)", plot->names[1].c_str(),
                      plot->units[1].c_str(), y2.low, y2.high);
        cairo_move_to(cr, area.left + 6, area.top + 24);
        cairo_show_text(cr, legend);
    }
    return TRUE;
}

}  // namespace

TimePlot* CreateTimePlot(const char* firstName, const char* secondName, const char* firstUnit,
                         const char* secondUnit)
{
    auto* plot = new TimePlot;
    plot->names[0] = firstName;
    plot->names[1] = secondName != nullptr ? secondName : "";
    plot->units[0] = firstUnit;
    plot->units[1] = secondUnit != nullptr ? secondUnit : "";
    plot->area = gtk_drawing_area_new();
    gtk_widget_set_size_request(plot->area, 280, 150);
    gtk_widget_set_vexpand(plot->area, TRUE);
    atk_object_set_name(gtk_widget_get_accessible(plot->area), firstName);
    g_signal_connect(plot->area, "draw", G_CALLBACK(OnDraw), plot);
    return plot;
}

GtkWidget* TimePlotWidget(TimePlot* plot)
{
    return plot->area;
}

void TimePlotAdd(TimePlot* plot, double seconds, double first, double second)
{
    plot->series[0].Add(seconds, first);
    plot->series[1].Add(seconds, second);
    if (gtk_widget_get_mapped(plot->area))
        gtk_widget_queue_draw(plot->area);
}

void DestroyTimePlot(TimePlot* plot)
{
    delete plot;
}

}  // namespace quelix::viewer
