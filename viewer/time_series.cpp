// SPDX-License-Identifier: MIT
#include "time_series.h"

#include <algorithm>

namespace quelix::viewer {

TimeSeries::TimeSeries(size_t capacity) : points_(std::max<size_t>(capacity, 1)) {}

void TimeSeries::Add(double seconds, double value)
{
    if (size_ < points_.size()) {
        points_[(start_ + size_) % points_.size()] = {seconds, value};
        ++size_;
        return;
    }
    points_[start_] = {seconds, value};
    start_ = (start_ + 1) % points_.size();
}

void TimeSeries::Clear()
{
    start_ = size_ = 0;
}

const TimePoint& TimeSeries::At(size_t i) const
{
    return points_[(start_ + i) % points_.size()];
}

bool TimeSeries::Range(double& minimum, double& maximum) const
{
    if (size_ == 0)
        return false;
    minimum = maximum = At(0).value;
    for (size_t i = 1; i < size_; ++i) {
        minimum = std::min(minimum, At(i).value);
        maximum = std::max(maximum, At(i).value);
    }
    return true;
}

}  // namespace quelix::viewer
