// SPDX-License-Identifier: MIT
// The axes of the plots: a value range widened to round numbers with its
// tick step, and the mapping of values to pixels.
#pragma once

namespace quelix::viewer {

struct AxisRange {
    double low = 0.0;
    double high = 1.0;
    double step = 0.5;  // between ticks: 1, 2 or 5 times a power of ten
};

// A range from below `minimum` to above `maximum` on multiples of a round
// step, with about `ticks` ticks (at least 2). An empty or inverted range is
// widened around its value; values that are not finite give 0 ... 1.
AxisRange NiceRange(double minimum, double maximum, int ticks);

// The pixel of `value` on an axis from pixel `from` (at range.low) to pixel
// `to` (at range.high); values outside the range are held to its ends.
double ValueToPixel(const AxisRange& range, double value, double from, double to);

}  // namespace quelix::viewer
