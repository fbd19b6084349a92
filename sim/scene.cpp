// SPDX-License-Identifier: MIT
#include "sim/scene.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "sim/camera_registers.h"

namespace quelix::sim {

namespace {

constexpr int kPixels = kSensorWidth * kSensorHeight;
constexpr char kRawPrefix[] = "raw:";

float ChartRadiance(int x, int y)
{
    constexpr float kLow = 0.1f;
    constexpr float kHigh = 0.8f;
    if (y < 64)  // a horizontal ramp from black to full light
        return float(x) / (kSensorWidth - 1);
    if (y < 128) {
        if (x < 160)  // a checkerboard of 16-pixel squares
            return ((x / 16 + y / 16) % 2 == 0) ? kLow : kHigh;
        // bar groups of widths 1, 2, 3, 4 and 6 pixels, 32 pixels each
        const int group = (x - 160) / 32;
        const int width = group < 4 ? group + 1 : 6;
        return ((x - 160) / width) % 2 == 0 ? kHigh : kLow;
    }
    if (x >= 300)  // a vertical ramp down the right edge
        return float(y - 128) / 127.0f;
    const double discX = x - 80.0;
    const double discY = y - 192.0;
    if (discX * discX + discY * discY <= 40.0 * 40.0)
        return 0.9f;
    if (x >= 180 && x < 280 && y >= 152 && y < 232)  // a square split by a slanted edge
        return (x - 180) * 4 < (y - 152) * 5 ? 0.05f : 0.6f;
    return 0.3f;
}

bool LoadRawSamples(const std::string& path, std::vector<uint16_t>& samples, std::string& error)
{
    // Only a regular file of the exact size: a device or a pipe could be read forever.
    constexpr size_t kBytes = size_t(kPixels) * 2;
    std::error_code failure;
    std::ifstream file;
    if (std::filesystem::is_regular_file(path, failure))
        file.open(path, std::ios::binary);
    if (!file.is_open()) {
        error = "cannot read raw scene file " + path;
        return false;
    }
    const uintmax_t size = std::filesystem::file_size(path, failure);
    std::vector<char> bytes(kBytes);
    if (failure || size != kBytes || !file.read(bytes.data(), std::streamsize(kBytes))) {
        error = "raw scene file " + path + " does not hold exactly " + std::to_string(kBytes) +
                " bytes (320 x 256 16-bit samples)";
        return false;
    }
    samples.resize(kPixels);
    for (size_t i = 0; i < size_t(kPixels); ++i)
        samples[i] = uint16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    return true;
}

}  // namespace

MovingTarget TargetInFrame(uint64_t frameIndex)
{
    // Left to right, 3 pixels a frame, entering and leaving the sensor whole;
    // up and down once every 240 frames.
    constexpr int kRadius = 16;
    constexpr uint64_t kTrack = kSensorWidth + 2 * kRadius;
    MovingTarget target;
    target.radius = kRadius;
    target.radiance = 0.85f;
    target.centreX = double(frameIndex * 3 % kTrack) - kRadius;
    target.centreY =
        kSensorHeight / 2.0 + 80.0 * std::sin(double(frameIndex % 240) * 2 * std::numbers::pi / 240);
    return target;
}

std::shared_ptr<const Scene> LoadScene(const std::string& name, std::string& error)
{
    auto scene = std::make_shared<Scene>();
    scene->name = name;
    if (name.starts_with(kRawPrefix)) {
        scene->kind = SceneKind::Raw;
        if (!LoadRawSamples(name.substr(sizeof kRawPrefix - 1), scene->raw, error))
            return nullptr;
        return scene;
    }
    scene->radiance.resize(kPixels);
    if (name == "dark") {
        scene->kind = SceneKind::Dark;
    } else if (name == "flat") {
        scene->kind = SceneKind::Flat;
        std::fill(scene->radiance.begin(), scene->radiance.end(), kFlatRadiance);
    } else if (name == "chart") {
        scene->kind = SceneKind::Chart;
        for (int y = 0; y < kSensorHeight; ++y)
            for (int x = 0; x < kSensorWidth; ++x)
                scene->radiance[y * kSensorWidth + x] = ChartRadiance(x, y);
    } else if (name == "moving") {
        scene->kind = SceneKind::Moving;
        for (int y = 0; y < kSensorHeight; ++y)  // a cool background, slightly warmer at the bottom
            for (int x = 0; x < kSensorWidth; ++x)
                scene->radiance[y * kSensorWidth + x] = 0.15f + 0.05f * float(y) / (kSensorHeight - 1);
    } else if (name == "counter") {
        scene->kind = SceneKind::Counter;
    } else {
        error = "unknown scene '" + name + "' (dark, flat, chart, moving, counter or raw:FILE)";
        return nullptr;
    }
    return scene;
}

}  // namespace quelix::sim
