// SPDX-License-Identifier: MIT
#include "pipeline/render_table.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "image/kernel_loops.h"
#include "pipeline/false_color.h"
#include "pipeline/pixel_kernels.h"

namespace quelix {

namespace {

// 16-bit samples from here on all take the last palette colour.
constexpr int32_t kLastColorIndex16 = 8078;

void RunOnRow(ConvertKernel kernel, uint8_t* row, int32_t count, int32_t bytes, const void* params)
{
    const Rect rect{0, 0, count, 1};
    kernel(row, row, rect, 0, 0, bytes, bytes, count * bytes, count * bytes, params, nullptr);
}

struct StageKernels {
    ConvertKernel hueSat;  // null for mono output
    ConvertKernel gamma;
    ConvertKernel contrast;
    ConvertKernel brightness;
};

// The stages of the settings in their order, over one row of pixels.
void RunStages(const RenderSettings& s, const StageKernels& kernels, uint8_t* row, int32_t count,
               int32_t bytes)
{
    if (kernels.hueSat != nullptr && (s.hue != 0 || s.saturation != 0)) {
        const HueSatParams params{s.hue, 0, s.saturation, kSignificantBits};
        RunOnRow(kernels.hueSat, row, count, bytes, &params);
    }
    const auto level = [&](ConvertKernel kernel, int32_t setting) {
        const LevelParams params{setting, kSignificantBits};
        RunOnRow(kernel, row, count, bytes, &params);
    };
    if (s.gamma != 100)
        level(kernels.gamma, s.gamma);
    if (s.contrast != 0)
        level(kernels.contrast, s.contrast);
    if (s.brightness != 0)
        level(kernels.brightness, s.brightness);
}

const uint8_t* RowOf(const CDibImage& image, int32_t i)
{
    return image.pBits + static_cast<ptrdiff_t>(i) * image.stride;
}

uint8_t* RowOf(CDibImage& image, int32_t i)
{
    return image.pBits + static_cast<ptrdiff_t>(i) * image.stride;
}

// Writes the first `Bytes` bytes of each pixel's entry; all but the last
// pixel of a row store the whole entry, which the next pixel overwrites.
template <int Bytes, class Entry, class IndexFn>
void WriteRow(uint8_t* to, int32_t count, const Entry* table, IndexFn index)
{
    if (count <= 0)
        return;
    for (int32_t j = 0; j < count - 1; ++j)
        std::memcpy(to + static_cast<ptrdiff_t>(j) * Bytes, &table[index(j)], sizeof(Entry));
    std::memcpy(to + static_cast<ptrdiff_t>(count - 1) * Bytes, &table[index(count - 1)], Bytes);
}

template <int Bytes>
void RenderColor8(const CDibImage& work, CDibImage& output, const uint32_t* table, int32_t rows,
                  int32_t columns)
{
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* from = RowOf(work, i);
        WriteRow<Bytes>(RowOf(output, i), columns, table, [from](int32_t j) { return from[j]; });
    }
}

template <int Bytes>
void RenderColor16(const CDibImage& work, CDibImage& output, const uint64_t* table, int32_t rows,
                   int32_t columns)
{
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* from = RowOf(work, i);
        WriteRow<Bytes>(RowOf(output, i), columns, table, [from](int32_t j) {
            return std::min<int32_t>(Load16(from + 2 * static_cast<ptrdiff_t>(j)), kLastColorIndex16);
        });
    }
}

}  // namespace

void RenderTable::Prepare(const RenderSettings& settings)
{
    if (made_ && settings == settings_)
        return;
    settings_ = settings;
    made_ = true;
    identity_ =
        !settings.luminance && settings.gamma == 100 && settings.contrast == 0 && settings.brightness == 0;
    switch (settings.colorMode) {
        case 0:
            Make8To8();
            break;
        case 1:
            Make16To16();
            break;
        case 2:
        case 3:
            Make8ToColor(settings.colorMode == 2 ? 3 : 4);
            break;
        case 4:
        case 5:
            Make16ToColor(settings.colorMode == 4 ? 6 : 8);
            break;
        default:
            made_ = false;
            break;
    }
}

void RenderTable::Make8To8()
{
    gray8_.resize(256);
    std::iota(gray8_.begin(), gray8_.end(), 0);
    if (settings_.luminance) {
        std::vector<uint8_t> colors(256 * 3);
        FalseColorRow(colors.data(), 3, gray8_.data(), 1, 256);
        BgrToGray(gray8_.data(), colors.data(), Rect{0, 0, 256, 1}, 0, 0, 1, 3, 256, 256 * 3, nullptr,
                  nullptr);
    }
    RunStages(settings_, {nullptr, Gamma8, Contrast8, Brightness8}, gray8_.data(), 256, 1);
}

void RenderTable::Make16To16()
{
    gray16_.resize(65536);
    std::iota(gray16_.begin(), gray16_.end(), 0);
    RunStages(settings_, {nullptr, Gamma16, Contrast16, Brightness16},
              reinterpret_cast<uint8_t*>(gray16_.data()), 65536, 2);
}

void RenderTable::Make8ToColor(int32_t outputBytes)
{
    std::vector<uint8_t> ramp(256);
    std::iota(ramp.begin(), ramp.end(), 0);
    std::vector<uint8_t> pixels(256 * static_cast<size_t>(outputBytes));
    FalseColorRow(pixels.data(), outputBytes, ramp.data(), 1, 256);
    RunStages(settings_, {HueSat24, Gamma24, Contrast24, Brightness24}, pixels.data(), 256, outputBytes);
    color8_.assign(256, 0);
    for (size_t v = 0; v < 256; ++v)
        std::memcpy(&color8_[v], &pixels[v * outputBytes], static_cast<size_t>(outputBytes));
}

void RenderTable::Make16ToColor(int32_t outputBytes)
{
    constexpr int32_t kCount = kLastColorIndex16 + 1;
    std::vector<uint16_t> ramp(kCount);
    std::iota(ramp.begin(), ramp.end(), 0);
    std::vector<uint8_t> pixels(kCount * static_cast<size_t>(outputBytes));
    FalseColorRow(pixels.data(), outputBytes, reinterpret_cast<const uint8_t*>(ramp.data()), 2, kCount);
    RunStages(settings_, {HueSat48, Gamma48, Contrast48, Brightness48}, pixels.data(), kCount, outputBytes);
    color16_.assign(kCount, 0);
    for (size_t v = 0; v < kCount; ++v)
        std::memcpy(&color16_[v], &pixels[v * outputBytes], static_cast<size_t>(outputBytes));
}

void RenderTable::Render(const CDibImage& work, CDibImage& output) const
{
    if (!made_ || work.pBits == nullptr || output.pBits == nullptr)
        return;
    static constexpr int kOutputBits[] = {8, 16, 24, 32, 48, 64};
    const int32_t mode = settings_.colorMode;
    if (work.bitCount != (mode == 0 || mode == 2 || mode == 3 ? 8 : 16) ||
        output.bitCount != kOutputBits[mode])
        return;
    const int32_t rows = std::min(work.height, output.height);
    const int32_t columns = std::min(work.width, output.width);
    switch (mode) {
        case 0:
        case 1:
            if (identity_) {
                if (&output != &work) {
                    for (int32_t i = 0; i < rows; ++i)
                        std::memcpy(RowOf(output, i), RowOf(work, i),
                                    static_cast<size_t>(columns) * (mode + 1));
                }
                return;
            }
            for (int32_t i = 0; i < rows; ++i) {
                const uint8_t* from = RowOf(work, i);
                uint8_t* to = RowOf(output, i);
                if (mode == 0) {
                    for (int32_t j = 0; j < columns; ++j)
                        to[j] = gray8_[from[j]];
                } else {
                    for (int32_t j = 0; j < columns; ++j)
                        Store16(to + 2 * static_cast<ptrdiff_t>(j),
                                gray16_[Load16(from + 2 * static_cast<ptrdiff_t>(j))]);
                }
            }
            return;
        case 2:
            return RenderColor8<3>(work, output, color8_.data(), rows, columns);
        case 3:
            return RenderColor8<4>(work, output, color8_.data(), rows, columns);
        case 4:
            return RenderColor16<6>(work, output, color16_.data(), rows, columns);
        default:
            return RenderColor16<8>(work, output, color16_.data(), rows, columns);
    }
}

}  // namespace quelix
