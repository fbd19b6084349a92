// SPDX-License-Identifier: MIT
// Mask files are loaded and saved and references taken while a preview
// streams with shading correction and defect repair on: frames keep coming,
// and whoever holds correctionLock always finds masks that match their
// references.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "QuelixPlatform.h"
#include "camera/camera_object.h"
#include "device/defect_masks.h"
#include "device/mask_file.h"
#include "sim_fixture.h"

namespace quelix {
namespace {

template <class Sample>
std::vector<Sample> SamplesOf(const CDibImage& image)
{
    std::vector<Sample> samples(kMaskPixels);
    std::memcpy(samples.data(), image.pBits, kMaskPixels * sizeof(Sample));
    return samples;
}

// Under correctionLock, as the pipeline sees them.
bool MasksMatchReferences(CQuelix& camera)
{
    platform::CriticalSectionGuard guard(camera.correctionLock);
    const MaskReferences references{SamplesOf<uint8_t>(*camera.Image(ImageRole::darkRef8)),
                                    SamplesOf<uint8_t>(*camera.Image(ImageRole::brightRef8)),
                                    SamplesOf<uint16_t>(*camera.Image(ImageRole::darkRef16)),
                                    SamplesOf<uint16_t>(*camera.Image(ImageRole::brightRef16))};
    const DefectMasks derived = DeriveDefectMasks(references);
    return derived.hot8 == SamplesOf<uint8_t>(*camera.Image(ImageRole::defectWork8a)) &&
           derived.dead8 == SamplesOf<uint8_t>(*camera.Image(ImageRole::defectWork8b)) &&
           derived.hot16 == SamplesOf<uint16_t>(*camera.Image(ImageRole::defectWork16a)) &&
           derived.dead16 == SamplesOf<uint16_t>(*camera.Image(ImageRole::defectWork16b));
}

MaskReferences References(uint16_t dark, uint16_t bright, size_t defectEvery)
{
    MaskReferences references;
    for (size_t k = 0; k < kMaskPixels; ++k) {
        const bool defect = k % defectEvery == 0;
        references.dark8[k] = static_cast<uint8_t>(defect ? 250 : dark >> 6);
        references.bright8[k] = static_cast<uint8_t>(defect ? 10 : bright >> 6);
        references.dark16[k] = defect ? 0x3F00 : dark;
        references.bright16[k] = defect ? 100 : bright;
    }
    return references;
}

class MaskConcurrency : public test::SimulatedCameraTest {};

TEST_F(MaskConcurrency, MasksChangeWhileAPreviewStreams)
{
    StartCameras();
    const std::filesystem::path directory = environment_.Directory();
    const std::string first = (directory / "first.msk").string();
    const std::string second = (directory / "second.msk").string();
    const std::string saved = (directory / "saved.msk").string();
    ASSERT_TRUE(WriteMaskFile(first, References(600, 9000, 97)));
    ASSERT_TRUE(WriteMaskFile(second, References(500, 12000, 31)));

    const platform::Hwnd window = QuelixPlatform_CreateMessageWindow();
    ASSERT_NE(window, nullptr);
    {
        CQuelix camera;
        ASSERT_EQ(camera.Initialize(window), 1);
        ASSERT_EQ(camera.SetDeviceNumber(0), 1);
        ASSERT_EQ(camera.SetColorMode(16), 1);
        camera.maskFilter = 1;
        camera.dotFilter = 1;
        std::vector<uint8_t> buffer(320 * 256 * 2);
        ASSERT_EQ(camera.CallBackPreview(window, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);

        std::atomic<bool> done{false};
        std::atomic<int> mismatches{0};
        std::atomic<int> checks{0};
        std::thread checker([&] {
            while (!done) {
                mismatches += MasksMatchReferences(camera) ? 0 : 1;
                ++checks;
            }
        });
        int failures = 0;
        long frames = 0;
        for (int round = 0; round < 20; ++round) {
            failures += camera.LoadMaskFile(round % 2 == 0 ? first.c_str() : second.c_str()) == 1 ? 0 : 1;
            failures += camera.SaveMaskFile(saved.c_str()) == 1 ? 0 : 1;
            failures += camera.UpdateMaskData(round % 2) == 1 ? 0 : 1;
            failures += camera.LoadMaskFile(saved.c_str()) == 1 ? 0 : 1;
            QUELIX_MSG msg{};
            while (QuelixPlatform_PeekMessage(window, &msg) == 1)
                frames += msg.message == QUELIX_WM_FRAME && msg.wParam != 0 ? 1 : 0;
        }
        // Frames still arrive after all the changes.
        QUELIX_MSG msg{};
        while (QuelixPlatform_GetMessage(window, &msg, 5000) == 1 && frames < 60)
            frames += msg.message == QUELIX_WM_FRAME && msg.wParam != 0 ? 1 : 0;
        done = true;
        checker.join();
        EXPECT_EQ(camera.StopAcquisition(), 1);
        EXPECT_EQ(failures, 0);
        EXPECT_EQ(mismatches, 0) << "of " << checks << " checks";
        EXPECT_GT(checks, 0);
        EXPECT_GE(frames, 60);
        EXPECT_EQ(camera.GetLastError(), 0);
    }
    QuelixPlatform_DestroyWindow(window);
}

}  // namespace
}  // namespace quelix
