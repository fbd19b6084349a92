// SPDX-License-Identifier: MIT
#include "output/avi_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <vector>

#include "avi_reader.h"
#include "file_size_limit.h"
#include "test_environment.h"

namespace quelix {
namespace {

using test::AviFile;
using test::LoadU16;
using test::LoadU32;

class AviWriterTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return environment_.Directory() + "/" + name; }

    // A frame whose bytes count up from `seed`, so that frames differ.
    static std::vector<uint8_t> Frame(int32_t width, int32_t height, uint8_t seed)
    {
        std::vector<uint8_t> pixels(AviFrameBytes(width, height));
        std::iota(pixels.begin(), pixels.end(), seed);
        return pixels;
    }

    // Opens, adds `frames` frames with the seeds 0, 1, ... and finishes.
    AviFile Write(const std::string& name, int32_t width, int32_t height, int frames,
                  uint32_t rate = kAviNominalRate)
    {
        CAviWriter writer;
        writer.width = width;
        writer.height = height;
        EXPECT_EQ(writer.Open(PathOf(name)), 1);
        for (int i = 0; i < frames; ++i)
            EXPECT_EQ(writer.AddFrame(Frame(width, height, static_cast<uint8_t>(i)).data()),
                      CAviWriter::AddResult::Added);
        writer.rate = rate;
        EXPECT_TRUE(writer.Finish());
        return test::ReadAvi(PathOf(name));
    }

    size_t FilesInDirectory() const
    {
        return static_cast<size_t>(
            std::distance(std::filesystem::directory_iterator(environment_.Directory()),
                          std::filesystem::directory_iterator()));
    }

    test::ScopedTestEnvironment environment_;
};

TEST_F(AviWriterTest, EveryHeaderFieldOfAFullSizeRecordingIsAtItsOffset)
{
    const AviFile file = Write("full.avi", 320, 256, 2);
    ASSERT_EQ(file.error, "");
    constexpr uint32_t F = 245760;
    EXPECT_EQ(file.bytes.size(), 232u + 2 * (8 + F) + 8 + 2 * 16);
    const struct {
        uint32_t offset;
        uint32_t value;
    } words[] = {{4, static_cast<uint32_t>(file.bytes.size() - 8)},
                 {16, 200},
                 {28, 56},
                 {32, 33333},
                 {36, (F + 8) * 30},
                 {40, 0},
                 {44, 0x10010},
                 {48, 2},
                 {52, 0},
                 {56, 1},
                 {60, 245768},
                 {64, 320},
                 {68, 256},
                 {72, 0},
                 {76, 0},
                 {80, 0},
                 {84, 0},
                 {92, 124},
                 {104, 64},
                 {116, 0},
                 {120, 0},
                 {124, 0},
                 {128, 333333},
                 {132, 10000000},
                 {136, 0},
                 {140, 2},
                 {144, 245768},
                 {148, 0},
                 {152, 0},
                 {156, 0},
                 {160, 0},
                 {164, 0},
                 {168, 0},
                 {176, 40},
                 {180, 40},
                 {184, 320},
                 {188, 256},
                 {196, 0},
                 {200, 0},
                 {204, 0},
                 {208, 0},
                 {212, 0},
                 {216, 0},
                 {224, 4 + 2 * (8 + F)},
                 {236, F}};
    for (const auto& [offset, value] : words)
        EXPECT_EQ(LoadU32(file.bytes, offset), value) << "offset " << offset;
    const struct {
        uint32_t offset;
        const char* id;
    } ids[] = {{0, "RIFF"},   {8, "AVI "},   {12, "LIST"},          {20, "hdrl"},
               {24, "avih"},  {88, "LIST"},  {96, "strl"},          {100, "strh"},
               {108, "vids"}, {112, "DIB "}, {172, "strf"},         {220, "LIST"},
               {228, "movi"}, {232, "00db"}, {232 + 8 + F, "00db"}, {232 + 2 * (8 + F), "idx1"}};
    for (const auto& [offset, id] : ids)
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.bytes.data()) + offset, 4), id)
            << "offset " << offset;
    EXPECT_EQ(LoadU16(file.bytes, 192), 1) << "planes";
    EXPECT_EQ(LoadU16(file.bytes, 194), 24) << "bit count";

    ASSERT_EQ(file.index.size(), 2u);
    EXPECT_EQ(file.index[0].id, "00db");
    EXPECT_EQ(file.index[0].flags, 0x10u);
    EXPECT_EQ(file.index[0].offset, 4u);
    EXPECT_EQ(file.index[1].offset, 245772u);
    EXPECT_EQ(file.index[1].size, F);
    EXPECT_EQ(test::IndexDisagreement(file), "");
    EXPECT_EQ(file.frames[0].offset, 232u);
}

TEST_F(AviWriterTest, FramesAreStoredByteForByteAtEveryOddSize)
{
    for (const int32_t width : {1, 2, 3, 4, 5, 321, 322, 323}) {
        for (const int32_t height : {1, 2, 7}) {
            SCOPED_TRACE(testing::Message() << width << " x " << height);
            const AviFile file = Write("odd.avi", width, height, 3);
            ASSERT_EQ(file.error, "");
            const uint32_t stride = (3 * width + 3) & ~3;
            ASSERT_EQ(file.frames.size(), 3u);
            EXPECT_EQ(file.frames[0].size, stride * height);
            EXPECT_EQ(LoadU32(file.bytes, 60), stride * height + 8) << "suggested buffer size";
            EXPECT_EQ(test::IndexDisagreement(file), "");
            for (size_t i = 0; i < 3; ++i) {
                const std::vector<uint8_t> expected = Frame(width, height, static_cast<uint8_t>(i));
                EXPECT_EQ(std::memcmp(file.FrameData(i), expected.data(), expected.size()), 0)
                    << "frame " << i;
            }
        }
    }
    EXPECT_EQ(AviStride(322), 968u);
    EXPECT_EQ(AviFrameBytes(322, 256), 968u * 256);
}

TEST_F(AviWriterTest, TheMeasuredRateGoesIntoBothHeaders)
{
    const struct {
        uint64_t frames;
        uint32_t elapsedMs;
        uint32_t rate;
        uint32_t microSecPerFrame;
        uint32_t scale;
    } cases[] = {
        {300, 10000, 3000, 33333, 333333},     {299, 10000, 2990, 33444, 334448},
        {0, 5000, 3000, 33333, 333333},         // nothing measured: the nominal rate
        {5, 0, 3000, 33333, 333333},            // no time between the frames
        {1, 200000, 1, 100000000, 1000000000},  // below 0.01 frames per second
        {4000000000, 1, 100000000, 1, 10},      // no overflow, held to a million per second
        {100000, 1000, 10000000, 10, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames << " frames in " << c.elapsedMs << " ms");
        EXPECT_EQ(MeasuredAviRate(c.frames, c.elapsedMs), c.rate);
        const AviFile file = Write("rate.avi", 4, 2, 1, c.rate);
        ASSERT_EQ(file.error, "");
        EXPECT_EQ(LoadU32(file.bytes, 32), c.microSecPerFrame);
        EXPECT_EQ(LoadU32(file.bytes, 128), c.scale);
        EXPECT_EQ(LoadU32(file.bytes, 132), 10000000u);
    }
    const AviFile zero = Write("zero-rate.avi", 4, 2, 1, 0);
    EXPECT_EQ(LoadU32(zero.bytes, 32), 100000000u) << "a rate of 0 is guarded";
    EXPECT_EQ(LoadU32(zero.bytes, 128), 1000000000u);
}

TEST_F(AviWriterTest, ARecordingWithoutFramesIsStillAWholeFile)
{
    const AviFile file = Write("empty.avi", 320, 256, 0);
    ASSERT_EQ(file.error, "");
    EXPECT_EQ(file.bytes.size(), 240u);
    EXPECT_EQ(LoadU32(file.bytes, 48), 0u);
    EXPECT_EQ(LoadU32(file.bytes, 224), 4u);
    EXPECT_TRUE(file.index.empty());
}

TEST_F(AviWriterTest, ALongIndexAgreesWithEveryChunk)
{
    const AviFile file = Write("long.avi", 1, 1, 9000);
    ASSERT_EQ(file.error, "");
    EXPECT_EQ(file.frames.size(), 9000u);
    EXPECT_EQ(test::IndexDisagreement(file), "");
    EXPECT_EQ(file.FrameData(8999)[0], static_cast<uint8_t>(8999));
}

TEST_F(AviWriterTest, AFrameThatWouldPassTheSizeLimitIsRefusedAndTheFileFinished)
{
    constexpr int32_t width = 16;
    constexpr int32_t height = 8;
    const uint64_t chunk = 8 + AviFrameBytes(width, height);
    const uint64_t threeFrames = 232 + 3 * chunk + 8 + 3 * 16;
    for (const uint64_t limit : {threeFrames, threeFrames + 1, threeFrames - 1}) {
        SCOPED_TRACE(limit);
        CAviWriter writer;
        writer.width = width;
        writer.height = height;
        writer.fileSizeLimit = limit;
        ASSERT_EQ(writer.Open(PathOf("limit.avi")), 1);
        const std::vector<uint8_t> pixels = Frame(width, height, 7);
        int added = 0;
        CAviWriter::AddResult result;
        while ((result = writer.AddFrame(pixels.data())) == CAviWriter::AddResult::Added)
            ++added;
        EXPECT_EQ(result, CAviWriter::AddResult::Full);
        EXPECT_EQ(added, limit >= threeFrames ? 3 : 2);
        ASSERT_TRUE(writer.Finish());
        const AviFile file = test::ReadAvi(PathOf("limit.avi"));
        ASSERT_EQ(file.error, "");
        EXPECT_LE(file.bytes.size(), limit);
        EXPECT_EQ(file.frames.size(), static_cast<size_t>(added));
    }
    // The real limit: the RIFF size field holds file size - 8.
    EXPECT_EQ(kAviMaxFileBytes - 8, 0xFFFFFFFFull);
    CAviWriter tooLarge;
    tooLarge.width = 320;
    tooLarge.height = 256;
    tooLarge.fileSizeLimit = 232 + 8 + 245760 + 8 + 16 - 1;
    EXPECT_EQ(tooLarge.Open(PathOf("none.avi")), 0) << "not even one frame fits";
}

// A full disk part way through a frame: the file ends at the last whole frame,
// and when the index does not fit after it, frames give way to it.
TEST_F(AviWriterTest, AFullDiskLeavesAFinishedFileOfTheWholeFrames)
{
    constexpr int32_t width = 16;
    constexpr int32_t height = 8;
    const uint64_t chunk = 8 + AviFrameBytes(width, height);  // 392
    const struct {
        uint64_t limit;
        size_t framesKept;
    } cases[] = {
        {232 + 5 * chunk + 8 + 5 * 16, 5},  // the sixth frame fails, the index of five fits
        {232 + 5 * chunk + 10, 4},          // the index of five does not fit: one frame gives way
        {232 + 8, 0},                       // no frame at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const std::string path = PathOf("full-disk.avi");
        std::filesystem::remove(path);
        bool finished = false;
        {
            test::ScopedFileSizeLimit limit(c.limit);
            CAviWriter writer;
            writer.width = width;
            writer.height = height;
            ASSERT_EQ(writer.Open(path), 1);
            const std::vector<uint8_t> pixels = Frame(width, height, 1);
            CAviWriter::AddResult result;
            while ((result = writer.AddFrame(pixels.data())) == CAviWriter::AddResult::Added) {
            }
            EXPECT_EQ(result, CAviWriter::AddResult::Failed);
            EXPECT_EQ(writer.AddFrame(pixels.data()), CAviWriter::AddResult::Failed)
                << "no frame after a failure";
            finished = writer.Finish();
        }
        ASSERT_TRUE(finished);
        const AviFile file = test::ReadAvi(path);
        ASSERT_EQ(file.error, "");
        EXPECT_EQ(file.frames.size(), c.framesKept);
        EXPECT_EQ(LoadU32(file.bytes, 48), c.framesKept);
        EXPECT_EQ(test::IndexDisagreement(file), "");
        EXPECT_EQ(FilesInDirectory(), 1u) << "no staged file is left";
    }
}

TEST_F(AviWriterTest, FailuresToOpenLeaveNothingAndKeepAnExistingFile)
{
    const std::string path = PathOf("kept.avi");
    test::WriteTextFile(path, "an older file");
    {
        test::ScopedFileSizeLimit limit(100);
        CAviWriter writer;
        writer.width = 320;
        writer.height = 256;
        EXPECT_EQ(writer.Open(path), 0) << "the headers do not fit";
    }
    for (const auto& [width, height] : {std::pair{0, 256}, {320, 0}, {-1, 5}, {5, -1}}) {
        CAviWriter writer;
        writer.width = width;
        writer.height = height;
        EXPECT_EQ(writer.Open(path), 0) << width << " x " << height;
    }
    CAviWriter writer;
    writer.width = 320;
    writer.height = 256;
    EXPECT_EQ(writer.Open(PathOf("no-such-directory/x.avi")), 0);
    EXPECT_EQ(writer.Open(""), 0);
    EXPECT_FALSE(writer.Finish()) << "nothing open";

    // An unfinished file is dropped when the writer opens another one or is discarded.
    ASSERT_EQ(writer.Open(path), 1);
    ASSERT_EQ(writer.AddFrame(Frame(320, 256, 0).data()), CAviWriter::AddResult::Added);
    ASSERT_EQ(writer.Open(PathOf("second.avi")), 1);
    EXPECT_EQ(writer.frameCount, 0u);
    writer.Discard();
    EXPECT_EQ(test::ReadTextFile(path), "an older file");
    EXPECT_EQ(FilesInDirectory(), 1u);
}

}  // namespace
}  // namespace quelix
