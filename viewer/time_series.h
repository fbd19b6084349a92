// SPDX-License-Identifier: MIT
// A ring of the last values of a quantity over time (frame rate, dropped
// frames, temperature): a fixed number of samples, the oldest overwritten.
#pragma once

#include <cstddef>
#include <vector>

namespace quelix::viewer {

struct TimePoint {
    double seconds = 0.0;  // since the viewer started
    double value = 0.0;
};

class TimeSeries {
public:
    // Keeps the last `capacity` points (at least 1).
    explicit TimeSeries(size_t capacity);

    void Add(double seconds, double value);
    void Clear();
    size_t Size() const { return size_; }
    size_t Capacity() const { return points_.size(); }
    // Point i from the oldest (0) to the newest (Size() - 1); i must be below Size().
    const TimePoint& At(size_t i) const;
    // The smallest and largest value kept; false when empty.
    bool Range(double& minimum, double& maximum) const;

private:
    std::vector<TimePoint> points_;
    size_t start_ = 0;
    size_t size_ = 0;
};

}  // namespace quelix::viewer
