// SPDX-License-Identifier: MIT
// Makes the bytes of one raw frame: the capture window's samples from the
// sensor model (or a raw scene), the trailer word and zero padding.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "sim/camera_registers.h"
#include "sim/scene.h"
#include "sim/sensor_pixels.h"

namespace quelix::sim {

inline constexpr float kReadNoise = 5.0f;        // DN, standard deviation
inline constexpr float kConversionGain = 0.25f;  // DN per electron at unit analog gain
inline constexpr uint16_t kFullScale = 0x3FFF;

// Everything about the camera that shapes one frame.
struct FrameSettings {
    Window window;
    bool sixteenBit = true;
    uint16_t exposureLines = 0;
    bool globalGain = false;
    std::array<uint8_t, 4> phaseGains{};  // indexed by (row & 1) * 2 + (column & 1)
    double temperatureCelsius = 25.0;
    uint64_t frameIndex = 0;  // picks the frame's noise and the moving target's position
    uint16_t trailer = 0;
    bool noise = true;
};

// The analog gain of a pixel phase: x2 with the global gain, times 1 + value / 32.
float AnalogGain(bool globalGain, uint8_t phaseGain);

class FrameRenderer {
public:
    // The sensor's fixed pattern and its noise follow from the seed.
    explicit FrameRenderer(uint64_t sensorSeed);

    // Writes the first out.size() bytes of the frame: the window's samples row
    // by row, the 16-bit trailer, then zeros.
    void Render(const FrameSettings& settings, const std::shared_ptr<const Scene>& scene,
                std::span<uint8_t> out);

private:
    struct MapKey {
        Window window;
        uint16_t exposureLines;
        bool globalGain;
        std::array<uint8_t, 4> phaseGains;
        const Scene* scene;
        bool operator==(const MapKey&) const = default;
    };

    void PrepareMaps(const FrameSettings& settings, const std::shared_ptr<const Scene>& scene);
    void ExposeModel(const FrameSettings& settings);
    void AddMovingTarget(const FrameSettings& settings);
    void CopyRaw(const Window& window, const Scene& scene);
    void Encode(const FrameSettings& settings, std::span<uint8_t> out) const;

    const SensorPixels pixels_;
    const uint64_t noiseSeed_;

    // Per-pixel maps of the window for the current exposure, gains and scene.
    std::optional<MapKey> mapKey_;
    std::shared_ptr<const Scene> scene_;
    std::vector<float> offset_;        // dark offset, DN
    std::vector<float> staticSignal_;  // the scene's signal, DN
    std::vector<float> darkSignal_;    // dark charge at ambient temperature, DN
    std::vector<float> response_;      // DN per unit of radiance
    std::vector<float> shotVariance_;  // shot noise variance per DN of signal

    std::vector<float> signal_;  // the frame's signal, DN
    std::vector<uint16_t> samples_;
};

}  // namespace quelix::sim
