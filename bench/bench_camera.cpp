#include "bench_camera.h"

#include <stdlib.h>

#include <filesystem>

namespace quelix::bench {

BenchCamera::BenchCamera(bool noise, const std::string& scene, bool fast)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quelix-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        directory_ = pattern;
    const char* previous = getenv("QUELIX_DEVICE_DIR");
    previous_ = previous != nullptr ? previous : "";
    hadPrevious_ = previous != nullptr;
    setenv("QUELIX_DEVICE_DIR", directory_.c_str(), 1);
    sim::CameraOptions options;
    options.fast = fast;
    options.noise = noise;
    options.scene = scene;
    simulator_ = sim::CameraSimulator::Start({0}, options, directory_, &error_);
}

BenchCamera::~BenchCamera()
{
    simulator_.reset();
    if (hadPrevious_)
        setenv("QUELIX_DEVICE_DIR", previous_.c_str(), 1);
    else
        unsetenv("QUELIX_DEVICE_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

}  // namespace quelix::bench
