// SPDX-License-Identifier: MIT
#include "bench_camera.h"

#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>

namespace quelix::bench {

namespace {

std::string SharedMemoryName()
{
    return "quelix-bench-" + std::to_string(getpid());
}

}  // namespace

BenchCamera::BenchCamera(bool noise, const std::string& scene) : BenchCamera({0}, true, noise, scene) {}

BenchCamera::BenchCamera(const std::vector<int>& devices, bool fast, bool noise, const std::string& scene)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quelix-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        directory_ = pattern;
    const std::pair<const char*, std::string> variables[] = {
        {"QUELIX_DEVICE_DIR", directory_},
        {"QUELIX_REGISTRY", directory_ + "/registry.reg"},
        {"QUELIX_SHM_NAME", SharedMemoryName()},
    };
    for (const auto& [name, value] : variables) {
        const char* earlier = getenv(name);
        previous_.emplace_back(name, earlier != nullptr ? std::make_unique<std::string>(earlier) : nullptr);
        setenv(name, value.c_str(), 1);
    }
    sim::CameraOptions options;
    options.fast = fast;
    options.noise = noise;
    options.scene = scene;
    simulator_ = sim::CameraSimulator::Start(devices, options, directory_, &error_);
}

BenchCamera::~BenchCamera()
{
    simulator_.reset();
    shm_unlink(("/" + SharedMemoryName()).c_str());
    for (const auto& [name, value] : previous_) {
        if (value != nullptr)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

}  // namespace quelix::bench
