// SPDX-License-Identifier: MIT
// Frames and cameras for the pipeline benchmarks: a 320 x 256 camera object
// in a colour mode with every stage of the correction pipeline on, fed with
// a picture like the sensor's (a lit gradient with noise, a few hot pixels)
// and references with the sensor's fixed pattern.
#pragma once

#include <cstring>
#include <random>

#include "../tests/support/pipeline_camera.h"

namespace quelix::bench {

inline constexpr int kWidth = 320;
inline constexpr int kHeight = 256;

// Sample of the picture at (i, j), full scale `full`.
inline int32_t Scene(int32_t i, int32_t j, int32_t full, std::mt19937& random)
{
    const int32_t level = full / 8 + (full / 2) * (i + j) / (kWidth + kHeight);
    const int32_t noise = static_cast<int32_t>(random() % static_cast<uint32_t>(full / 32 + 1));
    const bool hot = random() % 1000 == 0;
    return hot ? full : level + noise;
}

inline void Put(CDibImage& image, int32_t i, int32_t j, int32_t value)
{
    uint8_t* at = image.pBits + i * image.stride + j * image.bitCount / 8;
    if (image.bitCount == 8) {
        *at = static_cast<uint8_t>(value);
    } else {
        const auto sample = static_cast<uint16_t>(value);
        std::memcpy(at, &sample, 2);
    }
}

inline void FillScene(CDibImage& image, std::mt19937& random)
{
    const int32_t full = image.bitCount == 8 ? 255 : 0x3FFF;
    for (int32_t i = 0; i < image.height; ++i)
        for (int32_t j = 0; j < image.width; ++j)
            Put(image, i, j, Scene(i, j, full, random));
}

// Every stage on: automatic exposure measuring, shading, defect repair,
// both mirrors, gray balance (mode 0), hue and saturation, gamma, contrast,
// sharpness and brightness.
inline void EveryStageOn(test::PipelineCamera& p)
{
    std::mt19937 random(1);
    CQuelix& c = p.camera;
    FillScene(*c.Image(ImageRole::rawFrame), random);
    for (int32_t i = 0; i < kSensorHeight; ++i) {
        for (int32_t j = 0; j < kSensorWidth; ++j) {
            const auto fixed = static_cast<int32_t>(random() % 8);
            Put(*c.Image(ImageRole::darkRef8), i, j, 6 + fixed);
            Put(*c.Image(ImageRole::brightRef8), i, j, 230 + fixed);
            Put(*c.Image(ImageRole::darkRef16), i, j, (6 + fixed) * 64);
            Put(*c.Image(ImageRole::brightRef16), i, j, (230 + fixed) * 64);
            const bool defect = random() % 2000 == 0;
            for (CDibImage* map :
                 {c.Image(ImageRole::defectWork8a).get(), c.Image(ImageRole::defectWork16a).get()})
                Put(*map, i, j, defect ? 1 : 0);
        }
    }
    c.camera.Set(CameraSlot::autoIris, 2);
    c.camera.Set(CameraSlot::mirrorH, 1);
    c.camera.Set(CameraSlot::mirrorV, 1);
    c.maskFilter = 1;
    c.dotFilter = 1;
    c.filter.Set(FilterSlot::grayMode, 1);
    c.filter.Set(FilterSlot::grayGainR, 150);
    c.filter.Set(FilterSlot::grayGainB, 110);
    c.filter.Set(FilterSlot::hue, 30);
    c.filter.Set(FilterSlot::saturation, 60);
    c.filter.Set(FilterSlot::gamma, 80);
    c.filter.Set(FilterSlot::contrast, 20);
    c.filter.Set(FilterSlot::sharpness, 10);
    c.filter.Set(FilterSlot::brightness, 30);
}

}  // namespace quelix::bench
