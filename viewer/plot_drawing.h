// SPDX-License-Identifier: MIT
// What every plot draws with cairo: the frame, ticks and labels of its axes.
#pragma once

#include <cairo.h>

#include "plot_scale.h"

namespace quelix::viewer {

// The area inside the axes.
struct PlotArea {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// Clears the widget, draws the axes of the two ranges with their ticks and
// returns the area inside them. `xFormat` and `yFormat` are printf formats
// of one double.
PlotArea DrawAxes(cairo_t* cr, int width, int height, const AxisRange& x, const AxisRange& y,
                  const char* xFormat, const char* yFormat);

}  // namespace quelix::viewer
