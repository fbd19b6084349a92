// SPDX-License-Identifier: MIT
#include "plot_scale.h"

#include <algorithm>
#include <cmath>

namespace quelix::viewer {

namespace {

// The round step (1, 2 or 5 x 10^n) nearest above span / ticks.
double RoundStep(double span, int ticks)
{
    const double rough = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    const double round = fraction <= 1.0 ? 1.0 : fraction <= 2.0 ? 2.0 : fraction <= 5.0 ? 5.0 : 10.0;
    return round * power;
}

}  // namespace

AxisRange NiceRange(double minimum, double maximum, int ticks)
{
    AxisRange range;
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        return range;
    if (minimum > maximum)
        std::swap(minimum, maximum);
    if (maximum - minimum < 1e-9 * std::max(1.0, std::fabs(maximum))) {
        const double margin = std::max(1.0, std::fabs(maximum) * 0.1);
        minimum -= margin;
        maximum += margin;
    }
    ticks = std::max(ticks, 2);
    range.step = RoundStep(maximum - minimum, ticks);
    range.low = std::floor(minimum / range.step) * range.step;
    range.high = std::ceil(maximum / range.step) * range.step;
    return range;
}

double ValueToPixel(const AxisRange& range, double value, double from, double to)
{
    const double span = range.high - range.low;
    if (!(span > 0.0) || !std::isfinite(value))
        return from;
    const double fraction = std::clamp((value - range.low) / span, 0.0, 1.0);
    return from + (to - from) * fraction;
}

}  // namespace quelix::viewer
