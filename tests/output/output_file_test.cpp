// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>
#include "file_size_limit.h"
#include "platform/os/output_file.h"

namespace quelix {
namespace {

namespace fs = std::filesystem;

class OutputFile : public testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("quelix-output-" + std::to_string(getpid()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    static std::string Contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    size_t EntriesInDirectory() const
    {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
    }

    fs::path directory;
};

TEST_F(OutputFile, CommitReplacesTheTargetWithWhatWasWrittenAndPatched)
{
    const fs::path target = directory / "image.bin";
    std::ofstream(target) << "an older and longer file";
    COutputFile file;
    ASSERT_TRUE(file.OpenForWrite(target.string()));
    ASSERT_TRUE(file.Write("header-body", 11));
    ASSERT_TRUE(file.WriteAt(0, "HEADER", 6));
    EXPECT_EQ(file.Size(), 11u);
    EXPECT_EQ(Contents(target), "an older and longer file") << "the target changes only at Commit";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Contents(target), "HEADER-body");
    EXPECT_EQ(EntriesInDirectory(), 1u);
}

TEST_F(OutputFile, AFileClosedOrDestroyedUncommittedLeavesNothing)
{
    const fs::path kept = directory / "kept.bin";
    std::ofstream(kept) << "keep me";
    {
        COutputFile file;
        ASSERT_TRUE(file.OpenForWrite(kept.string()));
        ASSERT_TRUE(file.Write("new", 3));
    }
    COutputFile file;
    ASSERT_TRUE(file.OpenForWrite((directory / "new.bin").string()));
    file.Close();
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(Contents(kept), "keep me");
    EXPECT_EQ(EntriesInDirectory(), 1u);
}

TEST_F(OutputFile, AFullDiskFailsTheWriteAndTheCommitAndKeepsTheOldFile)
{
    const fs::path target = directory / "full.bin";
    std::ofstream(target) << "previous";
    const std::vector<char> block(64 * 1024, 'x');
    COutputFile file;
    ASSERT_TRUE(file.OpenForWrite(target.string()));
    {
        test::ScopedFileSizeLimit limit(100 * 1024);
        EXPECT_TRUE(file.Write(block.data(), block.size()));
        EXPECT_FALSE(file.Write(block.data(), block.size()));
    }
    EXPECT_FALSE(file.Write("x", 1)) << "a failed file takes no more writes";
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(Contents(target), "previous");
    EXPECT_EQ(EntriesInDirectory(), 1u);
}

TEST_F(OutputFile, BadTargetsAndOutOfRangePatchesAreRefused)
{
    COutputFile file;
    EXPECT_FALSE(file.OpenForWrite(""));
    EXPECT_FALSE(file.OpenForWrite((directory / "missing" / "x.bin").string()));
    EXPECT_FALSE(file.OpenForWrite(directory.string() + "/"));
    EXPECT_FALSE(file.Write("x", 1));
    ASSERT_TRUE(file.OpenForWrite((directory / "patch.bin").string()));
    ASSERT_TRUE(file.Write("abcd", 4));
    EXPECT_FALSE(file.WriteAt(2, "xyz", 3)) << "a patch past the end";
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(EntriesInDirectory(), 0u);
}

}  // namespace
}  // namespace quelix
