// A simulated camera for benchmarks: fast mode (or frames at the sensor's
// frame rate), in a device directory of its own that QUELIX_DEVICE_DIR names
// while it lives.
#pragma once

#include <memory>
#include <string>

#include "sim/camera_simulator.h"

namespace quelix::bench {

class BenchCamera {
public:
    explicit BenchCamera(bool noise, const std::string& scene = "flat", bool fast = true);
    ~BenchCamera();
    BenchCamera(const BenchCamera&) = delete;
    BenchCamera& operator=(const BenchCamera&) = delete;

    bool Started() const { return simulator_ != nullptr; }
    const std::string& Directory() const { return directory_; }
    const std::string& Error() const { return error_; }

private:
    std::string directory_;
    std::string previous_;
    bool hadPrevious_ = false;
    std::string error_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
};

}  // namespace quelix::bench
