// SPDX-License-Identifier: MIT
// Two cameras with different colour settings correct frames at the same time
// without touching each other's tables.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "pipeline/pixel_kernels.h"
#include "pipeline_camera.h"

namespace quelix::test {
namespace {

std::vector<uint8_t> OutputBytes(PipelineCamera& p)
{
    const CDibImage& output = *p.Output();
    return {output.pBits, output.pBits + static_cast<size_t>(output.stride) * output.height};
}

TEST(PipelineConcurrency, CamerasWithDifferentSaturationCorrectFramesSideBySide)
{
    std::mt19937 random(8);
    std::vector<std::unique_ptr<PipelineCamera>> cameras;
    std::vector<std::vector<uint8_t>> expected;
    for (int32_t saturation : {-200, 180}) {
        auto p = std::make_unique<PipelineCamera>(2, 64, 48);
        FillRandom(*p->camera.Image(ImageRole::rawFrame), random);
        p->camera.filter.Set(FilterSlot::hue, 40);
        p->camera.filter.Set(FilterSlot::saturation, saturation);
        p->camera.filter.Set(FilterSlot::gamma, 120);
        p->camera.filter.Set(FilterSlot::sharpness, 5);
        p->camera.CorrectFrame();
        expected.push_back(OutputBytes(*p));
        cameras.push_back(std::move(p));
    }
    ASSERT_NE(expected[0], expected[1]);

    std::vector<int> mismatches(cameras.size(), 0);
    std::vector<std::thread> threads;
    for (size_t k = 0; k < cameras.size(); ++k) {
        threads.emplace_back([&, k] {
            for (int frame = 0; frame < 200; ++frame) {
                cameras[k]->camera.CorrectFrame();
                mismatches[k] += OutputBytes(*cameras[k]) != expected[k] ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, (std::vector<int>{0, 0}));
}

TEST(PipelineConcurrency, HueKernelsWithDifferentSaturationRunSideBySide)
{
    std::mt19937 random(12);
    CDibImage source;
    ASSERT_TRUE(source.Create(97, 31, 24));
    FillRandom(source, random);
    const HueSatParams params[2] = {{30, 0, -255, 14}, {-90, 0, 255, 14}};
    std::vector<std::vector<uint8_t>> expected;
    const auto run = [&source](const HueSatParams& p) {
        CDibImage image;
        image.CreateLike(&source);
        std::memcpy(image.pBits, source.pBits, static_cast<size_t>(source.stride) * source.height);
        image.Convert(HueSat24, &image, nullptr, 0, 0, &p);
        return std::vector<uint8_t>(image.pBits,
                                    image.pBits + static_cast<size_t>(image.stride) * image.height);
    };
    for (const HueSatParams& p : params)
        expected.push_back(run(p));
    std::vector<int> mismatches(2, 0);
    std::vector<std::thread> threads;
    for (int k = 0; k < 2; ++k) {
        threads.emplace_back([&, k] {
            for (int round = 0; round < 300; ++round)
                mismatches[k] += run(params[k]) != expected[k] ? 1 : 0;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, (std::vector<int>{0, 0}));
}

}  // namespace
}  // namespace quelix::test
