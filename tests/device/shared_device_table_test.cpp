// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "device/shared_device_table.h"
#include "platform/os/process.h"
#include "test_environment.h"

namespace quelix {
namespace {

const auto kWindowA = reinterpret_cast<platform::Hwnd>(uintptr_t{0x10010});
const auto kWindowB = reinterpret_cast<platform::Hwnd>(uintptr_t{0x10020});

class SharedTable : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(first.OpenSharedTable());
        ASSERT_TRUE(second.OpenSharedTable());
    }
    test::ScopedTestEnvironment environment;
    SharedDeviceTable first;
    SharedDeviceTable second;
};

TEST_F(SharedTable, AClaimWritesTheEntryBytesAndAReleaseClearsThem)
{
    EXPECT_FALSE(first.IsDeviceClaimed(2));
    EXPECT_EQ(first.ClaimDevice(2, kWindowA), 1);

    // Read the bytes where other programs read them: entry 4032 + 2.
    auto raw = platform::SharedMemory::OpenExisting("KORVEX_USBCAMERA");
    ASSERT_NE(raw, nullptr);
    const uint8_t* entry = raw->View() + (4032 + 2) * 152;
    uint64_t window = 0;
    uint64_t module = 0;
    uint64_t reserved = 1;
    std::memcpy(&window, entry, 8);
    std::memcpy(&module, entry + 8, 8);
    std::memcpy(&reserved, entry + 16, 8);
    EXPECT_EQ(window, 0x10010u);
    EXPECT_EQ(module, platform::CurrentProcessId());
    EXPECT_EQ(reserved, 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(entry + 24), "QuelixSdk_205KWMX.dll");
    EXPECT_TRUE(second.IsDeviceClaimed(2)) << "seen through another mapping";
    EXPECT_FALSE(second.IsDeviceClaimed(3));

    EXPECT_EQ(first.ReleaseDevice(2, kWindowA), 1);
    const uint8_t zeros[152] = {};
    EXPECT_EQ(std::memcmp(entry, zeros, sizeof zeros), 0);
    EXPECT_FALSE(second.IsDeviceClaimed(2));
}

TEST_F(SharedTable, ReleaseLeavesAnotherOwnersEntryAlone)
{
    first.ClaimDevice(0, kWindowA);
    second.ClaimDevice(0, kWindowB);  // overwrites the first claim
    first.ReleaseDevice(0, kWindowA);
    ASSERT_NE(first.Entry(0), nullptr);
    EXPECT_EQ(first.Entry(0)->ownerWindow, 0x10020u);
    EXPECT_TRUE(first.IsDeviceClaimed(0));

    // A camera that never claimed does not clear an entry that names the same
    // identity (two cameras of one process without error windows).
    SharedDeviceTable third;
    ASSERT_TRUE(third.OpenSharedTable());
    first.ClaimDevice(1, nullptr);
    third.ReleaseDevice(1, nullptr);
    EXPECT_TRUE(third.IsDeviceClaimed(1)) << "a claim without an error window still keeps others out";
    first.ReleaseDevice(1, nullptr);
    EXPECT_FALSE(third.IsDeviceClaimed(1));
}

TEST_F(SharedTable, AClaimLeftByAKilledProcessIsFree)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SharedDeviceTable table;
        if (!table.OpenSharedTable())
            _exit(1);
        table.ClaimDevice(4, kWindowB);
        const char go = 1;
        [[maybe_unused]] const ssize_t wrote = write(ready[1], &go, 1);
        pause();
        _exit(0);
    }
    char go = 0;
    ASSERT_EQ(read(ready[0], &go, 1), 1);
    EXPECT_TRUE(first.IsDeviceClaimed(4)) << "the owner runs";
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_FALSE(first.IsDeviceClaimed(4)) << "the owner is gone";
    close(ready[0]);
    close(ready[1]);
}

TEST(SharedTableWithoutView, EverythingFailsQuietly)
{
    SharedDeviceTable table;
    EXPECT_FALSE(table.HasView());
    EXPECT_EQ(table.ClaimDevice(0, kWindowA), 0);
    EXPECT_EQ(table.ReleaseDevice(0, kWindowA), 0);
    EXPECT_FALSE(table.IsDeviceClaimed(0));
    EXPECT_EQ(table.Entry(9), nullptr);
}

}  // namespace
}  // namespace quelix
