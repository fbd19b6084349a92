// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "camera/camera_object.h"
#include "capture_fixture.h"
#include "image_readers.h"
#include "sim/scene.h"

namespace quelix {
namespace {

namespace fs = std::filesystem;

constexpr int kColorModes[] = {8, 16, 24, 32, 48, 64};

class SaveImage : public test::CaptureTest {
protected:
    void SetUp() override
    {
        StartCamera(test::CounterCameras());
        directory = fs::path(environment_.Directory()) / "images";
        fs::create_directories(directory);
    }
    std::string Path(const std::string& name) const { return (directory / name).string(); }
    size_t FilesInDirectory() const
    {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
    }
    static std::u16string Wide(const std::string& ascii)
    {
        return std::u16string(ascii.begin(), ascii.end());
    }
    static const QUELIX_WCHAR* W(const std::u16string& text)
    {
        return reinterpret_cast<const QUELIX_WCHAR*>(text.c_str());
    }

    fs::path directory;
};

TEST_F(SaveImage, NeedsADeviceAndAFrame)
{
    CQuelix uninitialised;
    EXPECT_EQ(uninitialised.SaveImage(Path("frame.png").c_str(), QUELIX_IMAGE_PNG), 0);
    EXPECT_EQ(uninitialised.GetLastError(), QUELIX_ERR_NOT_INITIALIZED);
    EXPECT_EQ(uninitialised.SaveImageW(W(Wide(Path("frame.png"))), QUELIX_IMAGE_PNG), 0);
    EXPECT_EQ(uninitialised.GetLastError(), QUELIX_ERR_NOT_INITIALIZED);
    EXPECT_EQ(Quelix_SaveImage(camera + 1, Path("frame.png").c_str(), QUELIX_IMAGE_PNG), 0)
        << "unknown handle";

    EXPECT_EQ(Quelix_SaveImage(camera, Path("frame.png").c_str(), QUELIX_IMAGE_PNG), 0) << "no frame yet";
    EXPECT_EQ(Quelix_SaveImageW(camera, W(Wide(Path("frame.png"))), QUELIX_IMAGE_PNG), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{QUELIX_ERR_NOT_INITIALIZED, QUELIX_ERR_NOT_INITIALIZED}));
    EXPECT_EQ(FilesInDirectory(), 0u);
}

TEST_F(SaveImage, WritesTheLatestFrameOfEveryColourModeInEveryFormat)
{
    for (const int bits : kColorModes) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        ASSERT_EQ(Quelix_SetColorMode(camera, bits), 1);
        ASSERT_EQ(Quelix_SnapShot(camera, nullptr, 0, 1), 1);
        const size_t stride = (320 * bits / 8 + 3) & ~3u;
        std::vector<uint8_t> frame(stride * 256);
        ASSERT_EQ(Quelix_GetImage(camera, frame.data(), static_cast<int32_t>(frame.size()), 1), 1);

        const std::string base = Path("frame" + std::to_string(bits));
        for (int format = QUELIX_IMAGE_BMP; format <= QUELIX_IMAGE_TIFF; ++format)
            ASSERT_EQ(Quelix_SaveImage(camera, (base + "." + std::to_string(format)).c_str(), format), 1)
                << format;
        EXPECT_EQ(test::ReadBinaryFile(base + ".1"), frame)
            << "the raw file is the frame as GetImage gives it";
        EXPECT_EQ(test::ReadBinaryFile(base + ".0").size(), (bits == 8 ? 1078 : 54) + frame.size());
        for (int format = QUELIX_IMAGE_JPEG100; format <= QUELIX_IMAGE_JPEG20; ++format) {
            const auto jpeg = test::ReadJpeg(base + "." + std::to_string(format));
            ASSERT_TRUE(jpeg.has_value());
            EXPECT_EQ(jpeg->image.width, 320);
            EXPECT_EQ(jpeg->image.channels, bits <= 16 ? 1 : 3);
        }
        const auto png = test::ReadPng(base + ".5");
        ASSERT_TRUE(png.has_value());
        EXPECT_EQ(png->image.height, 256);
        const auto tiff = test::ReadTiff(base + ".6");
        ASSERT_TRUE(tiff.has_value());
        EXPECT_EQ(tiff->image.height, 256);
    }
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{});
}

TEST_F(SaveImage, SixteenBitFramesKeepEverySampleInPngAndTiff)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    ASSERT_EQ(Quelix_SnapShot(camera, nullptr, 0, 1), 1);
    ASSERT_EQ(Quelix_SaveImage(camera, Path("frame.png").c_str(), QUELIX_IMAGE_PNG), 1);
    ASSERT_EQ(Quelix_SaveImage(camera, Path("frame.tif").c_str(), QUELIX_IMAGE_TIFF), 1);
    const auto png = test::ReadPng(Path("frame.png"));
    const auto tiff = test::ReadTiff(Path("frame.tif"));
    ASSERT_TRUE(png.has_value());
    ASSERT_TRUE(tiff.has_value());
    ASSERT_EQ(png->image.samples.size(), 320u * 256);
    for (size_t i = 0; i < png->image.samples.size(); ++i) {
        const uint16_t widened = static_cast<uint16_t>(sim::CounterSample(1, i) << 2);
        ASSERT_EQ(png->image.samples[i], widened) << "pixel " << i << ", top row first";
        ASSERT_EQ(tiff->image.samples[i], widened) << "pixel " << i;
    }
}

TEST_F(SaveImage, UnknownFormatsAndMissingNamesWriteNothingAndRecordNothing)
{
    ASSERT_EQ(Quelix_SnapShot(camera, nullptr, 0, 1), 1);
    for (const int format : {7, -1, 1000})
        EXPECT_EQ(Quelix_SaveImage(camera, Path("frame.img").c_str(), format), 0) << format;
    EXPECT_EQ(Quelix_SaveImage(camera, nullptr, QUELIX_IMAGE_PNG), 0);
    EXPECT_EQ(Quelix_SaveImageW(camera, nullptr, QUELIX_IMAGE_PNG), 0);
    EXPECT_EQ(Quelix_SaveImage(camera, Path("missing/frame.png").c_str(), QUELIX_IMAGE_PNG), 0);
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{});
    EXPECT_EQ(FilesInDirectory(), 0u);
}

TEST_F(SaveImage, WideNamesAreConvertedUpToTheLengthOfTheNameBuffer)
{
    ASSERT_EQ(Quelix_SnapShot(camera, nullptr, 0, 1), 1);
    const std::u16string accented =
        Wide(directory.string() + "/") + u"Aufnahme \u00e9t\u00e9 \u65e5\u672c.png";
    ASSERT_EQ(Quelix_SaveImageW(camera, W(accented), QUELIX_IMAGE_PNG), 1);
    EXPECT_TRUE(fs::exists(directory / u8"Aufnahme \u00e9t\u00e9 \u65e5\u672c.png"));

    const std::u16string unpaired = Wide(directory.string() + "/bad") + u'\xD800' + u".png";
    EXPECT_EQ(Quelix_SaveImageW(camera, W(unpaired), QUELIX_IMAGE_PNG), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{QUELIX_ERR_NOT_INITIALIZED}));

    // A name of 1023 bytes fills the 1024-byte buffer with its terminator;
    // one byte more does not fit. Directories of 200 characters make it.
    std::string deep = directory.string();
    while (deep.size() + 1 + 200 + 1 + 20 < 1023) {
        deep += "/" + std::string(200, 'd');
        fs::create_directories(deep);
    }
    const std::string longest = deep + "/" + std::string(1023 - deep.size() - 1, 'n');
    ASSERT_EQ(longest.size(), 1023u);
    EXPECT_EQ(Quelix_SaveImageW(camera, W(Wide(longest)), QUELIX_IMAGE_RAW), 1);
    EXPECT_TRUE(fs::exists(longest));
    EXPECT_EQ(Quelix_SaveImageW(camera, W(Wide(longest + "x")), QUELIX_IMAGE_RAW), 0);
    EXPECT_FALSE(fs::exists(longest + "x"));
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{QUELIX_ERR_NOT_INITIALIZED}));
}

}  // namespace
}  // namespace quelix
