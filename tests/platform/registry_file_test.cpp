// SPDX-License-Identifier: MIT
// The registry file when something other than this system has been at it: a
// file that cannot be read, names planted beside it, a lock that is never
// released. A change either lands safely or fails and leaves every file as
// it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_file.h"
#include "test_environment.h"

namespace quelix::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kKey = "Software\\Korvex\\Camera_00";
constexpr uid_t kNobody = 65534;

std::vector<std::string> Entries(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What the directory holds after changes that leave nothing behind.
std::vector<std::string> FileAndLock()
{
    return {"registry.reg", "registry.reg.lock"};
}

class RegistryFile : public testing::Test {
protected:
    void SetUp() override
    {
        auto created = RegistryKey::Create(kKey);
        ASSERT_TRUE(created.has_value());
        key_ = *created;
        ASSERT_TRUE(key_->WriteDword("Color", 2));
        original_ = test::ReadTextFile(path_);
    }

    // The registry file holds what it held before the test's change, and no
    // temporary file is left beside it.
    void ExpectUntouched()
    {
        EXPECT_EQ(test::ReadTextFile(path_), original_);
        EXPECT_EQ(Entries(environment_.Directory()), FileAndLock());
    }

    test::ScopedTestEnvironment environment_;
    const std::string& path_ = environment_.RegistryPath();
    std::optional<RegistryKey> key_;
    std::string original_;
};

// Runs `change` in a child process for which a file made unreadable is
// unreadable: as root, the child becomes the nobody user, who is given the
// directory and what it holds. The child's exit status: 0 when `change`
// returned true, 1 when false, 77 when the privileges could not be dropped.
int RunAsOwnerOfDirectory(const std::string& directory, const std::function<bool()>& change)
{
    const bool root = geteuid() == 0;
    if (root) {
        if (chown(directory.c_str(), kNobody, kNobody) != 0)
            return 77;
        for (const auto& entry : fs::directory_iterator(directory)) {
            if (chown(entry.path().c_str(), kNobody, kNobody) != 0)
                return 77;
        }
    }
    const pid_t child = fork();
    if (child == 0) {
        if (root && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(77);
        _exit(change() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(RegistryFile, AFileThatCannotBeReadFailsTheChangeAndIsKept)
{
    // Only a missing file is an empty registry: writing an empty document
    // plus one value over an unreadable one would wipe every other setting.
    ASSERT_EQ(chmod(path_.c_str(), 0), 0);
    const RegistryKey key = *key_;
    const int status = RunAsOwnerOfDirectory(environment_.Directory(), [&key] {
        const bool wrote = key.WriteDword("WaitTime", 1);
        const bool created = RegistryKey::Create("Software\\Other").has_value();
        const bool read = key.ReadDword("Color").has_value();
        return !wrote && !created && !read;
    });
    if (status == 77)
        GTEST_SKIP() << "cannot take another user's privileges";
    EXPECT_EQ(status, 0) << "every change fails while the file cannot be read";
    ASSERT_EQ(chmod(path_.c_str(), 0600), 0);
    ExpectUntouched();
    EXPECT_TRUE(key_->WriteDword("WaitTime", 1)) << "readable again";
    EXPECT_EQ(key_->ReadDword("Color"), 2u);
}

TEST_F(RegistryFile, AnEntryThatIsNotARegularFileIsNeitherReadNorReplaced)
{
    ASSERT_EQ(unlink(path_.c_str()), 0);
    ASSERT_EQ(mkdir(path_.c_str(), 0700), 0);
    test::WriteTextFile(path_ + "/inside", "kept\n");
    EXPECT_FALSE(key_->WriteDword("WaitTime", 1));
    EXPECT_FALSE(RegistryKey::Create("Software\\Other").has_value());
    EXPECT_EQ(test::ReadTextFile(path_ + "/inside"), "kept\n");
    ASSERT_EQ(unlink((path_ + "/inside").c_str()), 0);
    ASSERT_EQ(rmdir(path_.c_str()), 0);

    // A named pipe with no writer: neither a read nor a change may wait for one.
    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    EXPECT_FALSE(RegistryKey::Open(kKey).has_value());
    EXPECT_FALSE(key_->WriteDword("WaitTime", 1));
    struct stat status {};
    ASSERT_EQ(lstat(path_.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(Entries(environment_.Directory()), FileAndLock());
}

TEST_F(RegistryFile, SizesAreBoundedOnReadAndOnWrite)
{
    // A file of exactly the limit is read; one byte more is refused and kept.
    const std::string header =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Korvex\\Camera_00]\n\"Color\"=dword:00000002\n";
    const std::string filler = "; padding\n";
    std::string text = header;
    while (text.size() + filler.size() < kRegistryFileLimit)
        text += filler;
    text += std::string(kRegistryFileLimit - text.size() - 1, ';') + "\n";
    ASSERT_EQ(text.size(), kRegistryFileLimit);
    test::WriteTextFile(path_, text);
    EXPECT_EQ(key_->ReadDword("Color"), 2u);
    // Any value added would take the file past the limit: the change fails.
    EXPECT_FALSE(key_->WriteDword("WaitTime", 1));
    EXPECT_EQ(test::ReadTextFile(path_), text);

    test::WriteTextFile(path_, text + "\n");
    EXPECT_FALSE(key_->ReadDword("Color").has_value());
    EXPECT_FALSE(key_->WriteDword("Color", 3));
    EXPECT_EQ(test::ReadTextFile(path_), text + "\n");
    EXPECT_EQ(Entries(environment_.Directory()), FileAndLock());
}

TEST_F(RegistryFile, LinksPlantedBesideTheFileAreNotFollowed)
{
    const std::string victim = environment_.Directory() + "/victim";
    const std::string absent = environment_.Directory() + "/absent";
    test::WriteTextFile(victim, "victim\n");

    // The old fixed temporary name: the change writes a temporary of its own.
    ASSERT_EQ(symlink(victim.c_str(), (path_ + ".tmp").c_str()), 0);
    ASSERT_TRUE(key_->WriteDword("WaitTime", 1));
    EXPECT_EQ(key_->ReadDword("WaitTime"), 1u);
    EXPECT_EQ(fs::read_symlink(path_ + ".tmp").string(), victim);
    EXPECT_FALSE(fs::is_symlink(path_));
    EXPECT_EQ(test::ReadTextFile(victim), "victim\n");
    ASSERT_EQ(unlink((path_ + ".tmp").c_str()), 0);
    original_ = test::ReadTextFile(path_);

    // A corrupt file is moved aside over the link, not through it.
    test::WriteTextFile(path_, "not a registry file\n");
    ASSERT_EQ(symlink(victim.c_str(), (path_ + ".bad").c_str()), 0);
    ASSERT_TRUE(key_->WriteDword("Color", 4));
    EXPECT_EQ(key_->ReadDword("Color"), 4u);
    EXPECT_FALSE(fs::is_symlink(path_ + ".bad"));
    EXPECT_EQ(test::ReadTextFile(path_ + ".bad"), "not a registry file\n");
    EXPECT_EQ(test::ReadTextFile(victim), "victim\n");
    ASSERT_EQ(unlink((path_ + ".bad").c_str()), 0);
    original_ = test::ReadTextFile(path_);

    // The lock file, to an existing file and to a name that does not exist
    // yet: the change fails and creates nothing.
    const std::string lock = path_ + ".lock";
    for (const std::string& target : {victim, absent}) {
        ASSERT_EQ(unlink(lock.c_str()), 0);
        ASSERT_EQ(symlink(target.c_str(), lock.c_str()), 0);
        EXPECT_FALSE(key_->WriteDword("WaitTime", 9)) << target;
        EXPECT_EQ(test::ReadTextFile(path_), original_);
        EXPECT_EQ(test::ReadTextFile(victim), "victim\n");
        EXPECT_FALSE(fs::exists(absent));
        EXPECT_EQ(key_->ReadDword("Color"), 4u) << "reads need no lock";
    }
    EXPECT_EQ(Entries(environment_.Directory()),
              (std::vector<std::string>{"registry.reg", "registry.reg.lock", "victim"}));
}

TEST_F(RegistryFile, ANewFileIsPrivateAndAReplacementKeepsTheFilesMode)
{
    struct stat status {};
    ASSERT_EQ(stat(path_.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
    ASSERT_TRUE(key_->WriteDword("WaitTime", 1));
    ASSERT_EQ(stat(path_.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// A child process that takes the registry's lock and stops, as a process
// halted in a debugger or by SIGSTOP would. It is killed when this goes.
class StoppedLockHolder {
public:
    explicit StoppedLockHolder(const std::string& lockPath)
    {
        child_ = fork();
        if (child_ == 0) {
            const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0 || flock(fd, LOCK_EX) != 0)
                _exit(1);
            raise(SIGSTOP);
            _exit(0);
        }
        int status = 0;
        stopped_ = child_ > 0 && waitpid(child_, &status, WUNTRACED) == child_ && WIFSTOPPED(status);
    }
    ~StoppedLockHolder() { Kill(); }
    StoppedLockHolder(const StoppedLockHolder&) = delete;
    StoppedLockHolder& operator=(const StoppedLockHolder&) = delete;

    bool Stopped() const { return stopped_; }
    void Kill()
    {
        if (child_ <= 0)
            return;
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
        child_ = -1;
    }

private:
    pid_t child_ = -1;
    bool stopped_ = false;
};

TEST_F(RegistryFile, ALockNeverReleasedFailsTheChangeInsteadOfBlocking)
{
    StoppedLockHolder holder(path_ + ".lock");
    ASSERT_TRUE(holder.Stopped());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(key_->WriteDword("WaitTime", 1));
    EXPECT_FALSE(RegistryKey::Create("Software\\Other").has_value());
    // The first change waits out the deadline; the holder is then taken to
    // be stuck and the second fails at once, so a release that saves
    // several blocks waits for one deadline, not one per block.
    EXPECT_FALSE(key_->WriteDword("Color", 3));
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(kRegistryLockWaitMs + 1500));
    EXPECT_EQ(key_->ReadDword("Color"), 2u) << "reads need no lock";
    ExpectUntouched();

    holder.Kill();
    ASSERT_TRUE(key_->WriteDword("WaitTime", 1));
    EXPECT_EQ(key_->ReadDword("WaitTime"), 1u);
}

TEST_F(RegistryFile, ALockHeldBrieflyIsWaitedFor)
{
    // Another open file description of the lock file conflicts like another
    // process would.
    const int other = open((path_ + ".lock").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(kRegistryLockWaitMs / 10));
        close(other);
    });
    EXPECT_TRUE(key_->WriteDword("WaitTime", 7));
    release.join();
    EXPECT_EQ(key_->ReadDword("WaitTime"), 7u);
}

}  // namespace
}  // namespace quelix::platform
