// SPDX-License-Identifier: MIT
#include "line_profile.h"

#include <algorithm>
#include <cstdlib>

namespace quelix::viewer {

std::vector<ProfilePoint> SampleLine(const FrameImage& frame, int x0, int y0, int x1, int y1)
{
    std::vector<ProfilePoint> points;
    if (!frame.Valid())
        return points;
    x0 = std::clamp(x0, 0, frame.width - 1);
    x1 = std::clamp(x1, 0, frame.width - 1);
    y0 = std::clamp(y0, 0, frame.height - 1);
    y1 = std::clamp(y1, 0, frame.height - 1);
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    points.reserve(static_cast<size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        // Rounded to the nearest pixel, halves away from the start, in integers.
        const auto along = [&](int from, int to) {
            if (steps == 0)
                return from;
            const int delta = (to - from) * i;
            const int rounded = (2 * std::abs(delta) + steps) / (2 * steps);
            return from + (delta < 0 ? -rounded : rounded);
        };
        ProfilePoint point;
        point.x = along(x0, x1);
        point.y = along(y0, y1);
        point.level = ReadPixel(frame, point.x, point.y).gray;
        points.push_back(point);
    }
    return points;
}

}  // namespace quelix::viewer
