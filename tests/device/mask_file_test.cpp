// SPDX-License-Identifier: MIT
// The mask-file format, the defect masks derived from references, and the
// averaging of frames into a reference: byte layout, whole-file checks on
// every kind of damaged file, the thresholds at their edges, and means.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "device/defect_masks.h"
#include "device/mask_file.h"
#include "device/reference_average.h"
#include "file_size_limit.h"

namespace quelix {
namespace {

namespace fs = std::filesystem;

uint32_t Word32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k)
        value = value << 8 | bytes[offset + k];
    return value;
}

void PutWord32At(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[offset + k] = static_cast<uint8_t>(value >> (8 * k));
}

MaskReferences RandomReferences(uint32_t seed)
{
    std::mt19937 random(seed);
    MaskReferences references;
    for (auto* samples : {&references.dark8, &references.bright8})
        for (uint8_t& sample : *samples)
            sample = static_cast<uint8_t>(random());
    for (auto* samples : {&references.dark16, &references.bright16})
        for (uint16_t& sample : *samples)
            sample = static_cast<uint16_t>(random() & 0x3FFF);
    return references;
}

bool Same(const MaskReferences& a, const MaskReferences& b)
{
    return a.dark8 == b.dark8 && a.bright8 == b.bright8 && a.dark16 == b.dark16 && a.bright16 == b.bright16;
}

class MaskFileOnDisk : public testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("quelix-mask-" + std::to_string(getpid()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const std::string path = (directory / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static std::vector<uint8_t> Contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path directory;
};

TEST(MaskFileFormat, LaysOutTheHeaderAndTheFourBlocksLittleEndian)
{
    MaskReferences references = RandomReferences(1);
    references.dark16[0] = 0x1234;
    references.bright16[kMaskPixels - 1] = 0x3ABC;
    const std::vector<uint8_t> bytes = EncodeMaskFile(references);
    ASSERT_EQ(bytes.size(), 491560u);
    EXPECT_EQ(std::memcmp(bytes.data(), "KORVEX MASK1000", 16), 0) << "the magic ends in a zero byte";
    const uint32_t fields[] = {320, 256, 81920, 81920, 163840, 163840};
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(Word32At(bytes, 16 + 4 * k), fields[k]) << "header field at " << 16 + 4 * k;
    EXPECT_EQ(std::memcmp(bytes.data() + 40, references.dark8.data(), 81920), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 81960, references.bright8.data(), 81920), 0);
    EXPECT_EQ(bytes[163880], 0x34);
    EXPECT_EQ(bytes[163881], 0x12);
    EXPECT_EQ(bytes[327720 + 2 * 320], static_cast<uint8_t>(references.bright16[320]));
    EXPECT_EQ(bytes[491558], 0xBC);
    EXPECT_EQ(bytes[491559], 0x3A);

    MaskReferences decoded;
    ASSERT_TRUE(DecodeMaskFile(bytes, decoded));
    EXPECT_TRUE(Same(decoded, references));
}

// Every damaged file is refused as a whole and leaves the references as they were.
TEST(MaskFileFormat, RefusesDamagedFilesAndKeepsTheReferences)
{
    const std::vector<uint8_t> good = EncodeMaskFile(RandomReferences(2));
    std::vector<std::pair<std::string, std::vector<uint8_t>>> damaged;
    for (size_t size : {size_t{0}, size_t{1}, size_t{16}, size_t{39}, size_t{40}, size_t{81960},
                        size_t{40} + (kMaskFileSize - 40) / 2, kMaskFileSize - 1})
        damaged.emplace_back("truncated to " + std::to_string(size),
                             std::vector<uint8_t>(good.begin(), good.begin() + size));
    for (size_t extra : {size_t{1}, size_t{4096}}) {
        std::vector<uint8_t> longer = good;
        longer.resize(good.size() + extra, 0);
        damaged.emplace_back(std::to_string(extra) + " bytes longer", longer);
    }
    std::vector<uint8_t> magic = good;
    magic[15] = 'X';
    damaged.emplace_back("byte 15 of the magic not zero", magic);
    magic = good;
    magic[0] = 'k';
    damaged.emplace_back("lower-case magic", magic);
    for (size_t field = 0; field < 6; ++field) {
        for (uint32_t value : {0u, 640u, 0xFFFFFFFFu}) {
            std::vector<uint8_t> wrong = good;
            PutWord32At(wrong, 16 + 4 * field, value);
            damaged.emplace_back("header field " + std::to_string(field) + " = " + std::to_string(value),
                                 wrong);
        }
    }
    const MaskReferences before = RandomReferences(3);
    for (const auto& [what, bytes] : damaged) {
        MaskReferences references = before;
        EXPECT_FALSE(DecodeMaskFile(bytes, references)) << what;
        EXPECT_TRUE(Same(references, before)) << what;
    }
}

TEST_F(MaskFileOnDisk, WritesAndReadsBackExactly)
{
    const MaskReferences references = RandomReferences(4);
    const std::string path = (directory / "camera.msk").string();
    ASSERT_TRUE(WriteMaskFile(path, references));
    EXPECT_EQ(fs::file_size(path), kMaskFileSize);
    MaskReferences read;
    ASSERT_TRUE(ReadMaskFile(path, read));
    EXPECT_TRUE(Same(read, references));
}

TEST_F(MaskFileOnDisk, ReadingRefusesWhatIsNotACompleteMaskFile)
{
    const std::vector<uint8_t> good = EncodeMaskFile(RandomReferences(5));
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    const std::string fifo = (directory / "pipe").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string paths[] = {
        Write("empty.msk", {}),
        Write("half.msk", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)),
        Write("longer.msk", longer),
        (directory / "missing.msk").string(),
        directory.string(),
        fifo,
        "",
    };
    const MaskReferences before;
    for (const std::string& path : paths) {
        MaskReferences references;
        EXPECT_FALSE(ReadMaskFile(path, references)) << path;
        EXPECT_TRUE(Same(references, before)) << path;
    }
}

TEST_F(MaskFileOnDisk, AFailedWriteKeepsTheExistingFile)
{
    const std::string path = (directory / "camera.msk").string();
    ASSERT_TRUE(WriteMaskFile(path, RandomReferences(6)));
    const std::vector<uint8_t> before = Contents(path);
    {
        const test::ScopedFileSizeLimit diskFull(100000);
        EXPECT_FALSE(WriteMaskFile(path, RandomReferences(7)));
    }
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator()), 1)
        << "no half file left";
    EXPECT_FALSE(
        WriteMaskFile((directory / "no-such-directory" / "camera.msk").string(), RandomReferences(8)));
}

// A reference of one value everywhere, with chosen values at chosen places.
template <class Sample>
std::vector<Sample> Reference(Sample background, std::initializer_list<std::tuple<int, int, Sample>> pixels)
{
    std::vector<Sample> reference(kMaskPixels, background);
    for (const auto& [i, j, value] : pixels)
        reference[static_cast<size_t>(i) * kMaskWidth + j] = value;
    return reference;
}

template <class Sample>
Sample At(const std::vector<Sample>& mask, int i, int j)
{
    return mask[static_cast<size_t>(i) * kMaskWidth + j];
}

TEST(DefectMasks, MarkStrictlyBeyondTheThresholdsInsideTheBorder)
{
    MaskReferences references;
    references.dark8 = Reference<uint8_t>(0, {{10, 10, 192}, {10, 11, 193}, {10, 12, 255}});
    references.bright8 = Reference<uint8_t>(255, {{20, 10, 64}, {20, 11, 63}, {20, 12, 0}});
    references.dark16 = Reference<uint16_t>(0, {{30, 10, 0x3000}, {30, 11, 0x3001}, {30, 12, 0x3FFF}});
    references.bright16 = Reference<uint16_t>(0x3FFF, {{40, 10, 4096}, {40, 11, 4095}, {40, 12, 0}});
    const DefectMasks masks = DeriveDefectMasks(references);
    EXPECT_EQ(At(masks.hot8, 10, 10), 0);
    EXPECT_EQ(At(masks.hot8, 10, 11), 1);
    EXPECT_EQ(At(masks.hot8, 10, 12), 1);
    EXPECT_EQ(At(masks.dead8, 20, 10), 0);
    EXPECT_EQ(At(masks.dead8, 20, 11), 1);
    EXPECT_EQ(At(masks.dead8, 20, 12), 1);
    EXPECT_EQ(At(masks.hot16, 30, 10), 0);
    EXPECT_EQ(At(masks.hot16, 30, 11), 1);
    EXPECT_EQ(At(masks.hot16, 30, 12), 1);
    EXPECT_EQ(At(masks.dead16, 40, 10), 0);
    EXPECT_EQ(At(masks.dead16, 40, 11), 1);
    EXPECT_EQ(At(masks.dead16, 40, 12), 1);
    EXPECT_EQ(std::count(masks.hot8.begin(), masks.hot8.end(), 1), 2);
    EXPECT_EQ(std::count(masks.dead16.begin(), masks.dead16.end(), 1), 2);
}

TEST(DefectMasks, LeaveTheTwoPixelBorderUnmarked)
{
    MaskReferences references;
    references.dark8.assign(kMaskPixels, 255);   // every pixel hot
    references.bright16.assign(kMaskPixels, 0);  // every pixel dead
    const DefectMasks masks = DeriveDefectMasks(references);
    for (int i = 0; i < kMaskHeight; ++i) {
        for (int j = 0; j < kMaskWidth; ++j) {
            const int expected = i >= 2 && i < kMaskHeight - 2 && j >= 2 && j < kMaskWidth - 2 ? 1 : 0;
            ASSERT_EQ(At(masks.hot8, i, j), expected) << i << ", " << j;
            ASSERT_EQ(At(masks.dead16, i, j), expected) << i << ", " << j;
        }
    }
    EXPECT_EQ(std::count(masks.dead8.begin(), masks.dead8.end(), 1), 0)
        << "the default bright reference is sound";
    EXPECT_EQ(std::count(masks.hot16.begin(), masks.hot16.end(), 1), 0)
        << "the default dark reference is sound";
}

// Frames of a window as the 16-bit output holds them: rows of `stride` bytes.
std::vector<uint8_t> Frame(int width, int height, int stride, const std::function<uint16_t(int, int)>& sample)
{
    std::vector<uint8_t> frame(static_cast<size_t>(stride) * height, 0xEE);
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            const uint16_t value = sample(i, j);
            std::memcpy(frame.data() + static_cast<size_t>(i) * stride + 2 * j, &value, 2);
        }
    return frame;
}

// The 16-bit reference is the rounded mean; the 8-bit one the rounded mean
// of the samples narrowed as 8-bit frames carry them (sample >> 6).
TEST(ReferenceAverage, StoresRoundedMeansAtTheWindowAndKeepsTheRest)
{
    ReferenceAverage average;
    ASSERT_TRUE(average.Start(10, 20, 3, 2));
    const int stride = 8;  // 3 samples and padding
    // 16 bits: 100 + 64k and 101 + 64k give 100.5 + 64k -> 101 + 64k.
    ASSERT_TRUE(
        average.Add(Frame(3, 2, stride, [](int i, int j) { return uint16_t(100 + 64 * (i * 3 + j)); }).data(),
                    stride, false, false));
    ASSERT_TRUE(
        average.Add(Frame(3, 2, stride, [](int i, int j) { return uint16_t(101 + 64 * (i * 3 + j)); }).data(),
                    stride, false, false));
    EXPECT_EQ(average.Frames(), 2);
    MaskReferences references;
    ASSERT_TRUE(average.StoreInto(references, false));
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j) {
            const int k = i * 3 + j;
            EXPECT_EQ(At(references.dark16, 20 + i, 10 + j), 101 + 64 * k);
            EXPECT_EQ(At(references.dark8, 20 + i, 10 + j), (100 + 64 * k) >> 6);
        }
    EXPECT_EQ(At(references.dark16, 19, 10), 0) << "outside the window";
    EXPECT_EQ(At(references.dark16, 20, 13), 0) << "outside the window";
    EXPECT_EQ(references.bright16, MaskReferences().bright16) << "the other reference stays";

    // 63 and 64 narrow to 0 and 1: 0.5 -> 1, where 63.5 >> 6 would give 0.
    ASSERT_TRUE(average.Start(0, 0, 1, 1));
    for (uint16_t value : {uint16_t{63}, uint16_t{64}})
        ASSERT_TRUE(average.Add(Frame(1, 1, 4, [value](int, int) { return value; }).data(), 4, false, false));
    ASSERT_TRUE(average.StoreInto(references, true));
    EXPECT_EQ(references.bright16[0], 64);
    EXPECT_EQ(references.bright8[0], 1);
}

TEST(ReferenceAverage, UndoesMirroringAndHoldsSamplesToFourteenBits)
{
    const auto sensor = [](int i, int j) { return uint16_t(i * 100 + j); };
    for (const bool h : {false, true}) {
        for (const bool v : {false, true}) {
            ReferenceAverage average;
            ASSERT_TRUE(average.Start(5, 6, 4, 3));
            const auto shown = [&](int i, int j) { return sensor(v ? 2 - i : i, h ? 3 - j : j); };
            ASSERT_TRUE(average.Add(Frame(4, 3, 8, shown).data(), 8, h, v));
            MaskReferences references;
            ASSERT_TRUE(average.StoreInto(references, false));
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 4; ++j)
                    EXPECT_EQ(At(references.dark16, 6 + i, 5 + j), sensor(i, j)) << h << v << i << j;
        }
    }
    ReferenceAverage average;
    ASSERT_TRUE(average.Start(0, 0, 1, 1));
    ASSERT_TRUE(
        average.Add(Frame(1, 1, 4, [](int, int) { return uint16_t{0xFFFF}; }).data(), 4, false, false));
    MaskReferences references;
    ASSERT_TRUE(average.StoreInto(references, false));
    EXPECT_EQ(references.dark16[0], 0x3FFF);
    EXPECT_EQ(references.dark8[0], 0xFF);
}

TEST(ReferenceAverage, RefusesWindowsOffTheSensorAndMissingFrames)
{
    ReferenceAverage average;
    for (const auto& [x, y, w, h] : std::vector<std::array<int32_t, 4>>{{-1, 0, 10, 10},
                                                                        {0, -1, 10, 10},
                                                                        {0, 0, 0, 10},
                                                                        {0, 0, 10, 0},
                                                                        {0, 0, 321, 1},
                                                                        {0, 0, 1, 257},
                                                                        {311, 0, 10, 1},
                                                                        {0, 250, 1, 7},
                                                                        {0x7FFFFFFF, 0, 0x7FFFFFFF, 1}})
        EXPECT_FALSE(average.Start(x, y, w, h)) << x << " " << y << " " << w << " " << h;
    const std::vector<uint8_t> frame(64);
    EXPECT_FALSE(average.Add(frame.data(), 64, false, false)) << "no average started";
    ASSERT_TRUE(average.Start(310, 250, 10, 6));
    MaskReferences references;
    EXPECT_FALSE(average.StoreInto(references, false)) << "no frame yet";
    EXPECT_FALSE(average.Add(frame.data(), 19, false, false)) << "a stride shorter than a row";
    EXPECT_FALSE(average.Add(nullptr, 20, false, false));
    references.dark16.resize(10);
    ASSERT_TRUE(average.Add(std::vector<uint8_t>(120).data(), 20, false, false));
    EXPECT_FALSE(average.StoreInto(references, false)) << "references of another size";
}

}  // namespace
}  // namespace quelix
