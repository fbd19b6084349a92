// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/shared_memory/shared_memory.h"
#include "test_environment.h"

namespace quelix::platform {
namespace {

TEST(SharedMemory, CreatesZeroedAndIsSeenByOtherOpeners)
{
    test::ScopedTestEnvironment environment;
    EXPECT_EQ(SharedMemory::OpenExisting("KORVEX_USBCAMERA"), nullptr);

    bool created = false;
    auto first = SharedMemory::OpenOrCreate("KORVEX_USBCAMERA", 0x4C0000, created);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(created);
    ASSERT_EQ(first->Size(), 0x4C0000u);
    EXPECT_EQ(first->View()[0], 0);
    EXPECT_EQ(first->View()[0x4C0000 - 1], 0);

    // Another process writes; this one sees it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto mine = SharedMemory::OpenExisting("KORVEX_USBCAMERA");
        if (mine == nullptr || mine->Size() != 0x4C0000)
            _exit(1);
        mine->View()[0x95A00] = 0x5A;
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(first->View()[0x95A00], 0x5A);

    auto second = SharedMemory::OpenOrCreate("KORVEX_USBCAMERA", 0x4C0000, created);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(created);
    EXPECT_EQ(second->View()[0x95A00], 0x5A);
}

TEST(SharedMemory, NameComesFromTheEnvironmentWhenSetAndIsTheUsersOwn)
{
    const std::string user = "-" + std::to_string(geteuid());
    const char* before = std::getenv("QUELIX_SHM_NAME");
    const std::string saved = before != nullptr ? before : "";
    setenv("QUELIX_SHM_NAME", "other", 1);
    EXPECT_EQ(SharedMemoryObjectName("KORVEX_USBCAMERA"), "/other" + user);
    unsetenv("QUELIX_SHM_NAME");
    EXPECT_EQ(SharedMemoryObjectName("KORVEX_USBCAMERA"), "/KORVEX_USBCAMERA" + user);
    if (before != nullptr)
        setenv("QUELIX_SHM_NAME", saved.c_str(), 1);
}

}  // namespace
}  // namespace quelix::platform
