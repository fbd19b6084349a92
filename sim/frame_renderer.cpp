// SPDX-License-Identifier: MIT
#include "sim/frame_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sim/random.h"
#include "sim/thermal_model.h"

namespace quelix::sim {

namespace {

int Phase(int sensorX, int sensorY)
{
    return (sensorY & 1) * 2 + (sensorX & 1);
}

}  // namespace

float AnalogGain(bool globalGain, uint8_t phaseGain)
{
    return (globalGain ? 2.0f : 1.0f) * (1.0f + float(phaseGain & 0x7F) / 32.0f);
}

FrameRenderer::FrameRenderer(uint64_t sensorSeed)
    : pixels_(MakeSensorPixels(sensorSeed)), noiseSeed_(Mix64(sensorSeed + 1))
{
}

void FrameRenderer::Render(const FrameSettings& settings, const std::shared_ptr<const Scene>& scene,
                           std::span<uint8_t> out)
{
    samples_.resize(size_t(settings.window.Pixels()));
    if (scene->kind == SceneKind::Raw) {
        CopyRaw(settings.window, *scene);
    } else if (scene->kind == SceneKind::Counter) {
        for (size_t i = 0; i < samples_.size(); ++i)
            samples_[i] = CounterSample(settings.trailer, i);
    } else {
        PrepareMaps(settings, scene);
        ExposeModel(settings);
    }
    Encode(settings, out);
}

void FrameRenderer::PrepareMaps(const FrameSettings& settings, const std::shared_ptr<const Scene>& scene)
{
    const MapKey key{settings.window, settings.exposureLines, settings.globalGain, settings.phaseGains,
                     scene.get()};
    if (mapKey_ == key)
        return;
    scene_ = scene;  // keeps the scene alive while its address is in the key
    const Window& w = settings.window;
    const size_t count = size_t(w.Pixels());
    for (auto* map : {&offset_, &staticSignal_, &darkSignal_, &response_, &shotVariance_})
        map->resize(count);
    std::array<float, 4> gains;
    for (int phase = 0; phase < 4; ++phase)
        gains[phase] = AnalogGain(settings.globalGain, settings.phaseGains[phase]);
    const float lines = settings.exposureLines;
    size_t i = 0;
    for (int y = w.y; y < w.y + w.height; ++y) {
        for (int x = w.x; x < w.x + w.width; ++x, ++i) {
            const size_t s = size_t(y) * kSensorWidth + size_t(x);
            const float gain = gains[Phase(x, y)];
            response_[i] = lines * kSignalPerLine * gain * pixels_.response[s];
            staticSignal_[i] = scene->radiance[s] * response_[i];
            darkSignal_[i] = pixels_.darkRate[s] * lines * gain;
            offset_[i] = pixels_.darkOffset[s];
            shotVariance_[i] = kConversionGain * gain;
        }
    }
    mapKey_ = key;
}

void FrameRenderer::ExposeModel(const FrameSettings& settings)
{
    const size_t count = samples_.size();
    signal_.resize(count);
    const float darkFactor = float(DarkCurrentFactor(settings.temperatureCelsius));
    for (size_t i = 0; i < count; ++i)
        signal_[i] = staticSignal_[i] + darkSignal_[i] * darkFactor;
    if (scene_->kind == SceneKind::Moving)
        AddMovingTarget(settings);

    const float* normal = NormalTable();
    Random random(Mix64(noiseSeed_ ^ Mix64(settings.frameIndex)));
    constexpr float kReadVariance = kReadNoise * kReadNoise;
    for (size_t i = 0; i < count; ++i) {
        float value = offset_[i] + signal_[i];
        if (settings.noise) {
            const float deviation = std::sqrt(kReadVariance + std::max(signal_[i], 0.0f) * shotVariance_[i]);
            value += deviation * normal[random.Next() >> 52];
        }
        samples_[i] = uint16_t(std::clamp(value + 0.5f, 0.0f, float(kFullScale)));
    }
}

void FrameRenderer::AddMovingTarget(const FrameSettings& settings)
{
    const MovingTarget target = TargetInFrame(settings.frameIndex);
    const Window& w = settings.window;
    const int left = std::max(w.x, int(std::floor(target.centreX - target.radius - 1)));
    const int right = std::min(w.x + w.width, int(std::ceil(target.centreX + target.radius + 2)));
    const int top = std::max(w.y, int(std::floor(target.centreY - target.radius - 1)));
    const int bottom = std::min(w.y + w.height, int(std::ceil(target.centreY + target.radius + 2)));
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const double distance = std::hypot(x - target.centreX, y - target.centreY);
            // Full inside the disc, fading over one pixel at its rim.
            const float cover = float(std::clamp(target.radius + 0.5 - distance, 0.0, 1.0));
            if (cover <= 0.0f)
                continue;
            const size_t i = size_t(y - w.y) * size_t(w.width) + size_t(x - w.x);
            const float background = scene_->radiance[size_t(y) * kSensorWidth + size_t(x)];
            signal_[i] += cover * (target.radiance - background) * response_[i];
        }
    }
}

void FrameRenderer::CopyRaw(const Window& window, const Scene& scene)
{
    size_t i = 0;
    for (int y = window.y; y < window.y + window.height; ++y) {
        const uint16_t* row = scene.raw.data() + size_t(y) * kSensorWidth + size_t(window.x);
        std::copy(row, row + window.width, samples_.begin() + ptrdiff_t(i));
        i += size_t(window.width);
    }
}

void FrameRenderer::Encode(const FrameSettings& settings, std::span<uint8_t> out) const
{
    // `out` may end anywhere in the frame (a short frame, a short read).
    const size_t size = out.size();
    const size_t count = samples_.size();
    size_t position = 0;
    if (settings.sixteenBit) {
        const size_t whole = std::min(count, size / 2);
        for (size_t i = 0; i < whole; ++i) {
            out[2 * i] = uint8_t(samples_[i]);
            out[2 * i + 1] = uint8_t(samples_[i] >> 8);
        }
        position = 2 * whole;
        if (whole < count && position < size)
            out[position++] = uint8_t(samples_[whole]);
    } else {
        const size_t whole = std::min(count, size);
        for (size_t i = 0; i < whole; ++i)
            out[i] = uint8_t(samples_[i] >> 6);
        position = whole;
    }
    if (position == count * (settings.sixteenBit ? 2 : 1)) {
        const uint8_t trailer[2] = {uint8_t(settings.trailer), uint8_t(settings.trailer >> 8)};
        for (uint8_t byte : trailer)
            if (position < size)
                out[position++] = byte;
    }
    std::memset(out.data() + position, 0, size - position);
}

}  // namespace quelix::sim
