// SPDX-License-Identifier: MIT
// The device nodes of quelix-usbd: a transfer whose client goes away is
// cancelled, and the nodes reach only their group.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/driver/driver_connection.h"
#include "test_environment.h"
#include "usbd/camera_service.h"
#include "usbd/device_directory.h"
#include "usbd/socket_io.h"

namespace quelix::usbd {
namespace {

constexpr PipeMap kPipes{{0x01, 0x81, 0x82}};

// A camera whose image endpoint never sends: a frame read lasts until its
// client is gone (or a minute, should the cancellation never come).
struct SilentCamera {
    std::atomic<int> cancelled{0};
    std::atomic<bool> waiting{false};

    UsbPort Port()
    {
        return {this, Bulk, [](void*, uint8_t) { return true; }};
    }
    static TransferResult Bulk(void* context, uint8_t endpoint, uint8_t*, uint32_t length, uint32_t,
                               const AbandonCheck& abandoned)
    {
        auto* camera = static_cast<SilentCamera*>(context);
        if (endpoint != 0x82)
            return {TransferStatus::Completed, length};
        camera->waiting = true;
        for (int i = 0; i < 60000; ++i) {
            if (abandoned && abandoned()) {
                ++camera->cancelled;
                return {TransferStatus::Cancelled, 0};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return {TransferStatus::TimedOut, 0};
    }
};

bool SendRequest(int fd, uint32_t pipe, uint32_t length)
{
    uint8_t input[4] = {uint8_t(pipe), 0, 0, 0};
    std::vector<uint8_t> packet(pipe == 0 ? length : 0, 0x06);
    RequestHeader request{kRequestMagic, pipe == 0 ? kPipeTransferOut : kPipeTransferLarge, 4, length,
                          uint32_t(packet.size())};
    iovec parts[] = {{&request, sizeof request}, {input, 4}, {packet.data(), packet.size()}};
    return SendAll(fd, parts, 3);
}

TEST(UsbdNode, AFrameReadWhoseClientGoesIsCancelled)
{
    test::ScopedTestEnvironment environment;
    SilentCamera camera;
    CameraService service(environment.Directory(), gid_t(-1));
    ASSERT_EQ(service.Add("usb", "port 1", camera.Port(), kPipes, "silent camera"), 0);
    const std::string node = service.NodePath(0);

    const int dying = ConnectTo(node);
    ASSERT_GE(dying, 0);
    ASSERT_TRUE(SendRequest(dying, 2, 4096));
    while (!camera.waiting)
        std::this_thread::yield();
    close(dying);
    while (camera.cancelled == 0)
        std::this_thread::yield();

    // The camera serves the next client.
    const int next = ConnectTo(node);
    ASSERT_GE(next, 0);
    ASSERT_TRUE(SendRequest(next, 0, kPacketSize));
    ResponseHeader response{};
    ASSERT_TRUE(ReceiveExact(next, &response, sizeof response));
    EXPECT_EQ(response.success, 1u);
    EXPECT_EQ(response.bytesReturned, kPacketSize);
    close(next);
}

// Whether a process with this user, group and no other groups but `extra`
// can connect to the node.
bool ConnectsAs(const std::string& node, uid_t user, gid_t group, gid_t extra)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, node.c_str(), sizeof address.sun_path - 1);
    const pid_t child = fork();
    if (child == 0) {
        // Only system calls from here on: the parent has other threads.
        const gid_t groups[] = {extra};
        if (setgroups(extra == gid_t(-1) ? 0 : 1, groups) != 0 || setgid(group) != 0 || setuid(user) != 0)
            _exit(3);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        _exit(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3) << "the child could not take its user";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(UsbdNode, NodesReachTheirGroupOnly)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as other users";
    const group* users = getgrnam("users");
    if (users == nullptr)
        GTEST_SKIP() << "no group 'users'";
    const gid_t nodeGroup = users->gr_gid;
    constexpr uid_t kNobody = 65534;
    constexpr gid_t kNoGroup = 65534;
    ASSERT_NE(nodeGroup, kNoGroup);

    // A world-readable parent, as /run is.
    test::ScopedTestEnvironment environment;
    chmod(environment.Directory().c_str(), 0755);
    const std::string directory = environment.Directory() + "/system-nodes";
    std::string error;
    ASSERT_TRUE(PrepareDirectory(directory, nodeGroup, error)) << error;
    struct stat status;
    ASSERT_EQ(stat(directory.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0750u);
    EXPECT_EQ(status.st_gid, nodeGroup);

    SilentCamera camera;
    CameraService service(directory, nodeGroup);
    ASSERT_EQ(service.Add("usb", "port 1", camera.Port(), kPipes, "camera"), 0);
    ASSERT_EQ(stat(service.NodePath(0).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0660u);
    EXPECT_EQ(status.st_gid, nodeGroup);

    EXPECT_FALSE(ConnectsAs(service.NodePath(0), kNobody, kNoGroup, gid_t(-1)));
    EXPECT_TRUE(ConnectsAs(service.NodePath(0), kNobody, kNoGroup, nodeGroup));
}

// Without QUELIX_DEVICE_DIR the library finds the system driver's node
// where the user has none of that name.
TEST(UsbdNode, TheLibraryFindsTheSystemDriversNodes)
{
    test::ScopedTestEnvironment environment;
    const std::string userDirectory = environment.Directory() + "/runtime/quelix";
    std::filesystem::create_directories(userDirectory);
    setenv("XDG_RUNTIME_DIR", (environment.Directory() + "/runtime").c_str(), 1);
    const char* chosen = std::getenv("QUELIX_DEVICE_DIR");
    const std::string keep = chosen != nullptr ? chosen : "";
    unsetenv("QUELIX_DEVICE_DIR");
    const std::string name = "Qlix205KWMX-0";
    const std::string path = "\\\\.\\" + name;
    const std::string systemNode = std::string("/run/quelix/") + name;

    if (!std::filesystem::exists(systemNode)) {
        EXPECT_EQ(platform::NodePath(path.c_str()), userDirectory + "/" + name);
    }
    // The system directory is made here only where no system driver runs.
    if (geteuid() == 0 && !std::filesystem::exists("/run/quelix")) {
        std::filesystem::create_directories("/run/quelix");
        SilentCamera camera;
        {
            CameraService system("/run/quelix", gid_t(-1));
            ASSERT_EQ(system.Add("system", "port 1", camera.Port(), kPipes, "system camera"), 0);
            EXPECT_EQ(platform::NodePath(path.c_str()), systemNode);
            // The user's own node of the same name comes first.
            CameraService user(userDirectory, gid_t(-1));
            ASSERT_EQ(user.Add("user", "port 2", camera.Port(), kPipes, "user camera"), 0);
            EXPECT_EQ(platform::NodePath(path.c_str()), userDirectory + "/" + name);
        }
        std::filesystem::remove_all("/run/quelix");
    }
    // QUELIX_DEVICE_DIR still decides alone.
    setenv("QUELIX_DEVICE_DIR", "/tmp/elsewhere", 1);
    EXPECT_EQ(platform::NodePath(path.c_str()), "/tmp/elsewhere/" + name);
    setenv("QUELIX_DEVICE_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace quelix::usbd
