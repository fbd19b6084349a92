// SPDX-License-Identifier: MIT
// The camera object's mask operations: loading, saving and taking shading
// references, with the masks that go with them, and the errors of each.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "QuelixSdk_205KWMX.h"
#include "camera/camera_object.h"
#include "capture_fixture.h"
#include "device/defect_masks.h"
#include "device/mask_file.h"
#include "file_size_limit.h"
#include "platform/text/text.h"
#include "test_environment.h"

namespace quelix {
namespace {

namespace fs = std::filesystem;

template <class Sample>
std::vector<Sample> SamplesOf(const CDibImage& image)
{
    std::vector<Sample> samples(static_cast<size_t>(image.width) * image.height);
    for (int32_t i = 0; i < image.height; ++i)
        std::memcpy(samples.data() + static_cast<size_t>(i) * image.width,
                    image.pBits + static_cast<ptrdiff_t>(i) * image.stride, image.width * sizeof(Sample));
    return samples;
}

MaskReferences ReferencesOf(const CQuelix& camera)
{
    return {SamplesOf<uint8_t>(*camera.Image(ImageRole::darkRef8)),
            SamplesOf<uint8_t>(*camera.Image(ImageRole::brightRef8)),
            SamplesOf<uint16_t>(*camera.Image(ImageRole::darkRef16)),
            SamplesOf<uint16_t>(*camera.Image(ImageRole::brightRef16))};
}

DefectMasks MasksOf(const CQuelix& camera)
{
    return {SamplesOf<uint8_t>(*camera.Image(ImageRole::defectWork8a)),
            SamplesOf<uint8_t>(*camera.Image(ImageRole::defectWork8b)),
            SamplesOf<uint16_t>(*camera.Image(ImageRole::defectWork16a)),
            SamplesOf<uint16_t>(*camera.Image(ImageRole::defectWork16b))};
}

bool Same(const MaskReferences& a, const MaskReferences& b)
{
    return a.dark8 == b.dark8 && a.bright8 == b.bright8 && a.dark16 == b.dark16 && a.bright16 == b.bright16;
}

bool Same(const DefectMasks& a, const DefectMasks& b)
{
    return a.hot8 == b.hot8 && a.dead8 == b.dead8 && a.hot16 == b.hot16 && a.dead16 == b.dead16;
}

// References with defects of every kind, at and beyond their thresholds.
MaskReferences References(uint32_t seed)
{
    std::mt19937 random(seed);
    MaskReferences references;
    for (size_t k = 0; k < kMaskPixels; ++k) {
        references.dark8[k] = static_cast<uint8_t>(random() % 200);
        references.bright8[k] = static_cast<uint8_t>(60 + random() % 196);
        references.dark16[k] = static_cast<uint16_t>(random() % 0x3100);
        references.bright16[k] = static_cast<uint16_t>(4000 + random() % 12384);
    }
    return references;
}

std::vector<uint8_t> Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

std::vector<int32_t> Errors(CQuelix& camera)
{
    std::vector<int32_t> codes;
    for (int32_t code = camera.GetLastError(); code != 0; code = camera.GetLastError())
        codes.push_back(code);
    return codes;
}

std::u16string Wide(const std::string& text)
{
    std::u16string wide;
    EXPECT_TRUE(platform::Utf8ToUtf16(text, wide));
    return wide;
}

const uint16_t* Units(const std::u16string& text)
{
    return reinterpret_cast<const uint16_t*>(text.c_str());
}

// An initialised camera object (no camera attached) and a directory for files.
class MaskOperations : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(camera.Initialize(nullptr), 1);
        Errors(camera);
    }
    std::string PathOf(const std::string& name) const
    {
        return (fs::path(environment.Directory()) / name).string();
    }
    // A raw frame of the window, as capture leaves it.
    void SetRawFrame(int32_t x, int32_t y, int32_t w, int32_t h, int bits,
                     const std::function<uint16_t(int, int)>& sample)
    {
        camera.active.x = x;
        camera.active.y = y;
        camera.active.width = w;
        camera.active.height = h;
        ASSERT_EQ(camera.Image(ImageRole::rawFrame)->Create(w, h, bits), 1);
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j) {
                uint8_t* at = camera.Image(ImageRole::rawFrame)->pBits +
                              i * camera.Image(ImageRole::rawFrame)->stride + j * bits / 8;
                const uint16_t value = sample(i, j);
                if (bits == 8)
                    *at = static_cast<uint8_t>(value);
                else
                    std::memcpy(at, &value, 2);
            }
    }

    test::ScopedTestEnvironment environment;
    CQuelix camera;
};

TEST_F(MaskOperations, SaveThenLoadReproducesReferencesAndMasksWithBlankBorders)
{
    const std::string first = PathOf("first.msk");
    const std::string second = PathOf("second.msk");
    const MaskReferences references = References(2);
    ASSERT_TRUE(WriteMaskFile(first, references));
    ASSERT_EQ(camera.LoadMaskFile(first.c_str()), 1);
    EXPECT_TRUE(Same(ReferencesOf(camera), references));
    EXPECT_TRUE(Same(MasksOf(camera), DeriveDefectMasks(references)));
    ASSERT_EQ(camera.SaveMaskFile(second.c_str()), 1);
    EXPECT_EQ(Contents(second), Contents(first));

    CQuelix other;
    ASSERT_EQ(other.Initialize(nullptr), 1);
    ASSERT_EQ(other.LoadMaskFile(second.c_str()), 1);
    EXPECT_TRUE(Same(ReferencesOf(other), ReferencesOf(camera)));
    const DefectMasks masks = MasksOf(other);
    EXPECT_TRUE(Same(masks, MasksOf(camera)));
    EXPECT_GT(std::count(masks.hot8.begin(), masks.hot8.end(), 1), 0);
    EXPECT_GT(std::count(masks.dead16.begin(), masks.dead16.end(), 1), 0);
    for (int i = 0; i < kMaskHeight; ++i)
        for (int j = 0; j < kMaskWidth; ++j)
            if (i < 2 || i >= kMaskHeight - 2 || j < 2 || j >= kMaskWidth - 2) {
                const size_t k = static_cast<size_t>(i) * kMaskWidth + j;
                ASSERT_EQ(masks.hot8[k] | masks.dead8[k] | masks.hot16[k] | masks.dead16[k], 0)
                    << i << ", " << j;
            }
}

TEST_F(MaskOperations, ANewCameraSavesBlackAndFullScaleReferences)
{
    const std::string path = PathOf("fresh.msk");
    ASSERT_EQ(camera.SaveMaskFile(path.c_str()), 1);
    EXPECT_EQ(Contents(path), EncodeMaskFile(MaskReferences()));
}

// A damaged file is refused whole (error 14) and nothing changes: no mix of
// old and new references, no masks of references that are not there.
TEST_F(MaskOperations, ADamagedFileChangesNothing)
{
    const std::string good = PathOf("good.msk");
    ASSERT_TRUE(WriteMaskFile(good, References(3)));
    ASSERT_EQ(camera.LoadMaskFile(good.c_str()), 1);
    const MaskReferences references = ReferencesOf(camera);
    const DefectMasks masks = MasksOf(camera);

    const std::vector<uint8_t> other = EncodeMaskFile(References(4));
    std::vector<uint8_t> wide = other;
    wide[16] = 0x80;  // width 640
    wide[17] = 0x02;
    std::vector<uint8_t> magic = other;
    magic[15] = '0';
    std::vector<uint8_t> longer = other;
    longer.push_back(0);
    const std::string paths[] = {
        WriteBytes(PathOf("half.msk"), std::vector<uint8_t>(other.begin(), other.begin() + other.size() / 2)),
        WriteBytes(PathOf("wide.msk"), wide),
        WriteBytes(PathOf("magic.msk"), magic),
        WriteBytes(PathOf("longer.msk"), longer),
        PathOf("missing.msk"),
        environment.Directory(),
    };
    for (const std::string& path : paths) {
        EXPECT_EQ(camera.LoadMaskFile(path.c_str()), 0) << path;
        EXPECT_EQ(Errors(camera), std::vector<int32_t>{kErrMaskFile}) << path;
        EXPECT_TRUE(Same(ReferencesOf(camera), references)) << path;
        EXPECT_TRUE(Same(MasksOf(camera), masks)) << path;
    }
    EXPECT_EQ(camera.LoadMaskFile(nullptr), 0);
    EXPECT_EQ(Errors(camera), std::vector<int32_t>{kErrMaskFile});
}

TEST_F(MaskOperations, AFailedSaveReportsErrorFourteenAndKeepsTheFile)
{
    const std::string path = PathOf("camera.msk");
    ASSERT_TRUE(WriteMaskFile(path, References(5)));
    const std::vector<uint8_t> before = Contents(path);
    {
        const test::ScopedFileSizeLimit diskFull(200000);
        EXPECT_EQ(camera.SaveMaskFile(path.c_str()), 0);
    }
    EXPECT_EQ(Errors(camera), std::vector<int32_t>{kErrMaskFile});
    EXPECT_EQ(Contents(path), before);
    for (const std::string& bad : {PathOf("no-such-directory/camera.msk"), std::string(), PathOf("")}) {
        EXPECT_EQ(camera.SaveMaskFile(bad.c_str()), 0) << bad;
        EXPECT_EQ(Errors(camera), std::vector<int32_t>{kErrMaskFile}) << bad;
    }
    EXPECT_EQ(camera.SaveMaskFile(nullptr), 0);
    EXPECT_EQ(Errors(camera), std::vector<int32_t>{kErrMaskFile});
}

TEST_F(MaskOperations, WidePathsConvertOrFailWithErrorTwelve)
{
    const std::u16string path = Wide(PathOf("マスク ü.msk"));
    ASSERT_EQ(camera.SaveMaskFileW(Units(path)), 1);
    EXPECT_TRUE(fs::exists(fs::u8path(PathOf("マスク ü.msk"))));
    ASSERT_EQ(camera.LoadMaskFileW(Units(path)), 1);

    std::u16string unpaired = Wide(PathOf("bad"));
    unpaired.push_back(u'\xD800');
    const std::u16string tooLong = Wide(PathOf(std::string(1024, 'x')));
    for (const uint16_t* bad : {Units(unpaired), Units(tooLong), static_cast<const uint16_t*>(nullptr)}) {
        EXPECT_EQ(camera.SaveMaskFileW(bad), 0);
        EXPECT_EQ(camera.LoadMaskFileW(bad), 0);
        EXPECT_EQ(Errors(camera), (std::vector<int32_t>{kErrFile, kErrFile}));
    }
}

TEST_F(MaskOperations, WithoutInitialisationEveryOperationFailsWithErrorOne)
{
    CQuelix bare;
    const std::string path = PathOf("camera.msk");
    ASSERT_TRUE(WriteMaskFile(path, References(6)));
    EXPECT_EQ(bare.LoadMaskFile(path.c_str()), 0);
    EXPECT_EQ(bare.SaveMaskFile(path.c_str()), 0);
    EXPECT_EQ(bare.UpdateMaskData(0), 0);
    EXPECT_EQ(bare.BuildMask(0, 0), 0);
    EXPECT_EQ(Errors(bare),
              (std::vector<int32_t>{kErrNotInitialized, kErrNotInitialized, kErrNotInitialized}));
}

TEST_F(MaskOperations, UpdateTakesTheFullFrameAsTheReferenceOfItsDepth)
{
    SetRawFrame(0, 0, 320, 256, 16,
                [](int i, int j) { return uint16_t(i == 10 && j == 10 ? 0x3001 : i * 7 + j); });
    const MaskReferences before = ReferencesOf(camera);
    ASSERT_EQ(camera.UpdateMaskData(0), 1);
    MaskReferences after = ReferencesOf(camera);
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 320; ++j)
            ASSERT_EQ(after.dark16[i * 320 + j], i == 10 && j == 10 ? 0x3001 : i * 7 + j);
    EXPECT_EQ(after.dark8, before.dark8);
    EXPECT_EQ(after.bright16, before.bright16);
    const DefectMasks masks = MasksOf(camera);
    EXPECT_EQ(masks.hot16[10 * 320 + 10], 1);
    EXPECT_EQ(std::count(masks.hot16.begin(), masks.hot16.end(), 1), 1);

    SetRawFrame(0, 0, 320, 256, 8, [](int i, int j) { return uint16_t(i == 20 && j == 30 ? 63 : 64); });
    ASSERT_EQ(camera.UpdateMaskData(1), 1);
    after = ReferencesOf(camera);
    EXPECT_EQ(after.bright8[20 * 320 + 30], 63);
    EXPECT_EQ(after.bright8[20 * 320 + 31], 64);
    EXPECT_EQ(after.bright16, before.bright16) << "an 8-bit frame touches the 8-bit pair only";
    const DefectMasks dead = MasksOf(camera);
    EXPECT_EQ(std::count(dead.dead8.begin(), dead.dead8.end(), 1), 1);
    EXPECT_EQ(dead.dead8[20 * 320 + 30], 1);
    EXPECT_TRUE(Errors(camera).empty());
}

TEST_F(MaskOperations, UpdateFromASmallerWindowFillsItsPlaceOnTheSensor)
{
    SetRawFrame(40, 30, 160, 128, 16, [](int, int) { return uint16_t{0x3FFF}; });
    ASSERT_EQ(camera.UpdateMaskData(0), 1);
    const MaskReferences after = ReferencesOf(camera);
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 320; ++j) {
            const bool inside = i >= 30 && i < 158 && j >= 40 && j < 200;
            ASSERT_EQ(after.dark16[i * 320 + j], inside ? 0x3FFF : 0) << i << ", " << j;
        }
    const DefectMasks masks = MasksOf(camera);
    EXPECT_EQ(std::count(masks.hot16.begin(), masks.hot16.end(), 1), 160 * 128);
}

// Another value than 0 or 1 is refused whatever the window, and nothing changes.
TEST_F(MaskOperations, UpdateRefusesOtherValuesWithErrorTwelve)
{
    const MaskReferences before = ReferencesOf(camera);
    const DefectMasks masks = MasksOf(camera);
    for (const auto& [w, h] : {std::pair{320, 256}, std::pair{160, 128}}) {
        SetRawFrame(0, 0, w, h, 16, [](int, int) { return uint16_t{0x3FFF}; });
        for (int value : {2, -1, 0x7FFFFFFF}) {
            EXPECT_EQ(camera.UpdateMaskData(value), 0) << value;
            EXPECT_EQ(Errors(camera), std::vector<int32_t>{kErrFile});
        }
    }
    EXPECT_TRUE(Same(ReferencesOf(camera), before));
    EXPECT_TRUE(Same(MasksOf(camera), masks));
    EXPECT_EQ(camera.BuildMask(2, 0), 0);
    EXPECT_EQ(camera.BuildMask(0, 2), 0);
    EXPECT_EQ(camera.BuildMask(-1, 0), 0);
}

TEST_F(MaskOperations, UpdateWithoutAFrameOfTheWindowFailsWithErrorOne)
{
    EXPECT_EQ(camera.UpdateMaskData(0), 0) << "no frame taken yet";
    SetRawFrame(0, 0, 160, 128, 16, [](int, int) { return uint16_t{1}; });
    camera.active.width = 320;  // the window changed since the frame
    EXPECT_EQ(camera.UpdateMaskData(1), 0);
    SetRawFrame(200, 0, 160, 128, 16, [](int, int) { return uint16_t{1}; });
    EXPECT_EQ(camera.UpdateMaskData(1), 0) << "a window off the sensor";
    EXPECT_EQ(Errors(camera),
              (std::vector<int32_t>{kErrNotInitialized, kErrNotInitialized, kErrNotInitialized}));
    EXPECT_TRUE(Same(ReferencesOf(camera), MaskReferences()));
}

// Through the exports on a simulated camera: a snapshot of the dark scene
// becomes the dark reference that the saved file holds.
class MaskExports : public test::CaptureTest {};

TEST_F(MaskExports, ASnapshotBecomesTheSavedDarkReference)
{
    sim::CameraOptions options = test::FastCameras();
    options.scene = "dark";
    StartCamera(options);
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    ASSERT_EQ(Quelix_SetGamma(camera, 100), 1);
    std::vector<uint8_t> frame(320 * 256 * 2);
    ASSERT_EQ(Quelix_SnapShot(camera, frame.data(), static_cast<int32_t>(frame.size()), 1), 1);
    ASSERT_EQ(Quelix_UpdateMaskData(camera, 0), 1);
    const std::string path = (fs::path(environment_.Directory()) / "dark.msk").string();
    ASSERT_EQ(Quelix_SaveMaskFile(camera, path.c_str()), 1);
    const std::vector<uint8_t> file = Contents(path);
    ASSERT_EQ(file.size(), kMaskFileSize);
    EXPECT_EQ(std::memcmp(file.data() + 163880, frame.data(), frame.size()), 0);
    ASSERT_EQ(Quelix_LoadMaskFile(camera, path.c_str()), 1);

    EXPECT_EQ(Quelix_UpdateMaskData(camera, 2), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_FILE);
    EXPECT_EQ(Quelix_LoadMaskFile(camera, (path + ".missing").c_str()), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_MASK_FILE);
    const std::u16string unpaired = u"x\xDC00";
    EXPECT_EQ(Quelix_SaveMaskFileW(camera, Units(unpaired)), 0);
    EXPECT_EQ(Quelix_LoadMaskFileW(camera, Units(unpaired)), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_FILE);
    for (int32_t unknown : {0, -1, camera + 1}) {
        EXPECT_EQ(Quelix_LoadMaskFile(unknown, path.c_str()), 0);
        EXPECT_EQ(Quelix_SaveMaskFile(unknown, path.c_str()), 0);
        EXPECT_EQ(Quelix_UpdateMaskData(unknown, 0), 0);
    }
}

}  // namespace
}  // namespace quelix
