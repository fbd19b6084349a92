// SPDX-License-Identifier: MIT
#include "plot_drawing.h"

#include <cstdio>

namespace quelix::viewer {

namespace {

constexpr double kLeftMargin = 52.0;
constexpr double kBottomMargin = 20.0;
constexpr double kMargin = 8.0;
constexpr int kMaxTicks = 50;  // a step that would draw more is no step a NiceRange gives

}  // namespace

PlotArea DrawAxes(cairo_t* cr, int width, int height, const AxisRange& x, const AxisRange& y,
                  const char* xFormat, const char* yFormat)
{
    PlotArea area{kLeftMargin, kMargin, width - kMargin, height - kBottomMargin};
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    if (area.right <= area.left || area.bottom <= area.top)
        return area;
    cairo_set_font_size(cr, 10.0);
    cairo_set_line_width(cr, 1.0);
    char label[64];
    const auto tick = [&](const AxisRange& range, bool horizontal, const char* format) {
        if (!(range.step > 0.0) || (range.high - range.low) / range.step > kMaxTicks)
            return;
        for (double value = range.low; value <= range.high + range.step * 1e-6; value += range.step) {
            std::snprintf(label, sizeof label, format, value);
            cairo_text_extents_t extents;
            cairo_text_extents(cr, label, &extents);
            cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
            if (horizontal) {
                const double px = ValueToPixel(range, value, area.left, area.right);
                cairo_move_to(cr, px, area.top);
                cairo_line_to(cr, px, area.bottom);
                cairo_stroke(cr);
                cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
                cairo_move_to(cr, px - extents.width / 2, area.bottom + 13);
            } else {
                const double py = ValueToPixel(range, value, area.bottom, area.top);
                cairo_move_to(cr, area.left, py);
                cairo_line_to(cr, area.right, py);
                cairo_stroke(cr);
                cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
                cairo_move_to(cr, area.left - extents.width - 4, py + 3);
            }
            cairo_show_text(cr, label);
        }
    };
    tick(x, true, xFormat);
    tick(y, false, yFormat);
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
    cairo_stroke(cr);
    return area;
}

}  // namespace quelix::viewer
