// SPDX-License-Identifier: MIT
#include "uniformity.h"

#include <algorithm>
#include <cmath>

namespace quelix::viewer {

double NonUniformityPercent(const FrameImage& frame)
{
    if (!frame.Valid() || frame.width < 3 || frame.height < 3)
        return 0.0;
    double sum = 0.0, squares = 0.0;
    long count = 0;
    for (int y = 1; y < frame.height - 1; ++y) {
        for (int x = 1; x < frame.width - 1; ++x) {
            const double level = ReadPixel(frame, x, y).gray;
            sum += level;
            squares += level * level;
            ++count;
        }
    }
    const double mean = sum / count;
    if (mean <= 0.0)
        return 0.0;
    const double variance = std::max(0.0, squares / count - mean * mean);
    return 100.0 * std::sqrt(variance) / mean;
}

}  // namespace quelix::viewer
