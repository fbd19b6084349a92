// SPDX-License-Identifier: MIT
// The histogram of the picture's levels, linear or logarithmic, with the
// number of saturated pixels.
#include <cstdio>

#include "histogram.h"
#include "plot_drawing.h"
#include "texts.h"
#include "viewer_app.h"

namespace quelix::viewer {

namespace {
constexpr int kBins = 256;
}

struct HistogramPlot {
    GtkWidget* box = nullptr;
    GtkWidget* area = nullptr;
    GtkWidget* logarithmic = nullptr;
    GtkWidget* saturated = nullptr;
    Histogram histogram;
};

namespace {

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, HistogramPlot* plot)
{
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    const Histogram& histogram = plot->histogram;
    const bool logarithmic = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(plot->logarithmic));
    // The axis ends at the last level; the ticks fall on round levels.
    const double levels = histogram.levelMaximum > 0 ? histogram.levelMaximum + 1 : 256;
    AxisRange x = NiceRange(0, levels, 4);
    x.high = levels;
    const AxisRange y{0.0, 1.0, 0.25};
    const PlotArea area = DrawAxes(cr, width, height, x, y, "%.0f", "%.2f");
    if (histogram.counts.empty())
        return TRUE;
    const uint64_t peak = histogram.Peak();
    const double binLevels = static_cast<double>(histogram.levelMaximum + 1) / histogram.counts.size();
    cairo_set_source_rgb(cr, 0.15, 0.35, 0.75);
    for (size_t i = 0; i < histogram.counts.size(); ++i) {
        const double fraction = BinFraction(histogram.counts[i], peak, logarithmic);
        if (fraction <= 0.0)
            continue;
        const double x0 = ValueToPixel(x, i * binLevels, area.left, area.right);
        const double x1 = ValueToPixel(x, (i + 1) * binLevels, area.left, area.right);
        const double top = ValueToPixel(y, fraction, area.bottom, area.top);
        cairo_rectangle(cr, x0, top, std::max(x1 - x0, 1.0), area.bottom - top);
    }
    cairo_fill(cr);
    return TRUE;
}

void OnToggled(GtkToggleButton*, HistogramPlot* plot)
{
    gtk_widget_queue_draw(plot->area);
}

}  // namespace

HistogramPlot* CreateHistogramPlot()
{
    auto* plot = new HistogramPlot;
    plot->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    plot->area = gtk_drawing_area_new();
    gtk_widget_set_size_request(plot->area, 280, 150);
    gtk_widget_set_vexpand(plot->area, TRUE);
    atk_object_set_name(gtk_widget_get_accessible(plot->area), "histogram");
    g_signal_connect(plot->area, "draw", G_CALLBACK(OnDraw), plot);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    plot->logarithmic = gtk_check_button_new_with_label(T(Text::LogScale));
    g_signal_connect(plot->logarithmic, "toggled", G_CALLBACK(OnToggled), plot);
    plot->saturated = gtk_label_new("");
    gtk_box_pack_start(GTK_BOX(row), plot->logarithmic, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(row), plot->saturated, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(plot->box), plot->area, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(plot->box), row, FALSE, FALSE, 0);
    return plot;
}

GtkWidget* HistogramWidget(HistogramPlot* plot)
{
    return plot->box;
}

void HistogramShowFrame(HistogramPlot* plot, const FrameImage& frame)
{
    plot->histogram = MakeHistogram(frame, kBins);
    char text[96];
    std::snprintf(text, sizeof text, "%s %llu", T(Text::Saturated),
                  static_cast<unsigned long long>(plot->histogram.saturated));
    gtk_label_set_text(GTK_LABEL(plot->saturated), text);
    gtk_widget_queue_draw(plot->area);
}

void DestroyHistogramPlot(HistogramPlot* plot)
{
    delete plot;
}

}  // namespace quelix::viewer
