// SPDX-License-Identifier: MIT
// The settings blocks of a camera: the image-filter block `filter` and the
// camera block `camera`, each a fixed run of 32-bit words. Application
// threads change them while the capture threads read them, so every word is
// atomic; a block is copied and restored as a whole (dialog cancel, registry
// stores) through its plain form.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace quelix {

enum class FilterSlot : int {
    brightness = 0,
    contrast = 1,
    hue = 2,
    saturation = 3,
    sharpness = 4,
    bayerGainRed = 5,
    bayerGainGreen = 6,
    bayerGainBlue = 7,
    gamma = 8,
    bayerMode = 9,
    grayMode = 11,
    grayGainR = 12,
    grayGainG1 = 13,
    grayGainG2 = 14,
    grayGainB = 15,
    grayOffsetR = 16,
    grayOffsetG1 = 17,
    grayOffsetG2 = 18,
    grayOffsetB = 19,
    bayerGainAuto = 25,
    autoBalanceFlag2 = 26,
    autoBalanceFlag3 = 27,
    autoGrayFrames = 29,
};
inline constexpr size_t kFilterSlots = 30;

enum class CameraSlot : int {
    globalGain = 0,
    colorGainGreen1 = 1,
    colorGainRed = 2,
    colorGainBlue = 3,
    colorGainGreen2 = 4,
    exposureTime = 5,  // in sensor lines
    mirrorV = 6,
    mirrorH = 7,
    autoIris = 8,
    peltier = 9,
};
inline constexpr size_t kCameraSlots = 10;

template <class Slot, size_t N>
class SettingsWords {
public:
    using Block = std::array<int32_t, N>;

    int32_t Get(Slot slot) const { return words_[Index(slot)].load(std::memory_order_relaxed); }
    void Set(Slot slot, int32_t value) { words_[Index(slot)].store(value, std::memory_order_relaxed); }
    int32_t GetWord(size_t index) const { return words_[index].load(std::memory_order_relaxed); }
    void SetWord(size_t index, int32_t value) { words_[index].store(value, std::memory_order_relaxed); }
    // Sets the slot to `desired` only if it still holds `expected`, so that a
    // change made meanwhile by another thread is kept.
    bool CompareExchange(Slot slot, int32_t expected, int32_t desired)
    {
        return words_[Index(slot)].compare_exchange_strong(expected, desired, std::memory_order_relaxed);
    }

    Block Copy() const
    {
        Block block{};
        for (size_t i = 0; i < N; ++i)
            block[i] = GetWord(i);
        return block;
    }
    void Assign(const Block& block)
    {
        for (size_t i = 0; i < N; ++i)
            SetWord(i, block[i]);
    }

private:
    static size_t Index(Slot slot) { return static_cast<size_t>(slot); }
    std::array<std::atomic<int32_t>, N> words_{};
};

using ImageFilterSettings = SettingsWords<FilterSlot, kFilterSlots>;
using CameraSettings = SettingsWords<CameraSlot, kCameraSlots>;

}  // namespace quelix
