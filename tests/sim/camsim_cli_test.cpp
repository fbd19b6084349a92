// SPDX-License-Identifier: MIT
// quelix-camsim as a program: its command line, serving cameras, the ctl
// commands against it, and a clean exit on SIGTERM.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "raw_driver_requests.h"
#include "sim/command_line.h"
#include "test_environment.h"

extern char** environ;

namespace quelix::test {
namespace {

using sim::CommandLine;

// A child process with its standard output and error on one pipe.
struct Child {
    pid_t pid = -1;
    int output = -1;
};

Child Spawn(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    std::string program = QUELIX_CAMSIM_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    Child child;
    if (posix_spawn(&child.pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    child.output = pipeFds[0];
    return child;
}

// Reads output up to a newline or the end. Reads give up after 30 s so that a
// broken program cannot hang the test.
std::string ReadLine(int fd)
{
    std::string line;
    char byte;
    pollfd watched{fd, POLLIN, 0};
    while (poll(&watched, 1, 30000) == 1 && read(fd, &byte, 1) == 1 && byte != '\n')
        line += byte;
    return line;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    pollfd watched{fd, POLLIN, 0};
    ssize_t got = 0;
    while (poll(&watched, 1, 30000) == 1 && (got = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, size_t(got));
    return text;
}

int WaitForExit(Child& child)
{
    int status = 0;
    waitpid(child.pid, &status, 0);
    close(child.output);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs the program to its end; its exit code, and its output in `output`.
int RunCamsim(const std::vector<std::string>& arguments, std::string* output = nullptr)
{
    Child child = Spawn(arguments);
    const std::string text = ReadAll(child.output);
    if (output != nullptr)
        *output = text;
    return WaitForExit(child);
}

TEST(CamsimCommandLine, ReadsServeAndControlArguments)
{
    CommandLine line;
    std::string error;
    ASSERT_TRUE(sim::ParseCommandLine({}, line, error));
    EXPECT_EQ(line.mode, CommandLine::Mode::Serve);
    EXPECT_EQ(line.cameras, std::vector<int>{0});
    EXPECT_EQ(line.options.scene, "flat");
    EXPECT_FALSE(line.options.fast);

    ASSERT_TRUE(sim::ParseCommandLine({"--dir", "/d", "--cameras", "0,2", "--scene", "raw:/x y", "--seed",
                                       "42", "--fast", "--no-noise", "--trigger-every", "25"},
                                      line, error));
    EXPECT_EQ(line.directory, "/d");
    EXPECT_EQ(line.cameras, (std::vector<int>{0, 2}));
    EXPECT_EQ(line.options.scene, "raw:/x y");
    EXPECT_EQ(line.options.seed, 42u);
    EXPECT_TRUE(line.options.fast);
    EXPECT_FALSE(line.options.noise);
    EXPECT_EQ(line.options.triggerEveryMs, 25);
    EXPECT_EQ(line.options.tcpPort, 0);

    ASSERT_TRUE(sim::ParseCommandLine({"--tcp", "65527"}, line, error));
    EXPECT_EQ(line.options.tcpPort, 65527);

    ASSERT_TRUE(sim::ParseCommandLine({"ctl", "--dir", "/d", "stall", "1", "200"}, line, error));
    EXPECT_EQ(line.mode, CommandLine::Mode::Control);
    EXPECT_EQ(line.directory, "/d");
    EXPECT_EQ(line.command, (std::vector<std::string>{"stall", "1", "200"}));

    ASSERT_TRUE(sim::ParseCommandLine({"--fast", "--help"}, line, error));
    EXPECT_EQ(line.mode, CommandLine::Mode::Help);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--cameras", "0,x"},
                                                {"--cameras", ""},
                                                {"--cameras", "1,"},
                                                {"--seed", "-1"},
                                                {"--trigger-every", "0"},
                                                {"--trigger-every", "5ms"},
                                                {"--tcp", "0"},
                                                {"--tcp", "65528"},
                                                {"--tcp", "-1"},
                                                {"--tcp", "80x"},
                                                {"--tcp"},
                                                {"--bogus"},
                                                {"--dir"},
                                                {"stray"},
                                                {"ctl"},
                                                {"ctl", "--dir", "/d"},
                                                {"ctl", "--fast", "trigger", "0"}}) {
        EXPECT_FALSE(sim::ParseCommandLine(bad, line, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(CamsimProgram, HelpListsEveryOptionAndCommand)
{
    std::string output;
    EXPECT_EQ(RunCamsim({"--help"}, &output), 0);
    for (const char* word :
         {"--dir", "--cameras", "--scene", "--seed", "--fast", "--no-noise", "--trigger-every", "--tcp",
          "trigger N", "unplug N", "plug N", "stall N MS", "short N", "fail N COUNT", "scene N NAME"})
        EXPECT_NE(output.find(word), std::string::npos) << word;
    EXPECT_EQ(RunCamsim({"--cameras", "9"}, &output), 1);
    EXPECT_NE(output.find("0 to 8"), std::string::npos) << output;
    EXPECT_EQ(RunCamsim({"--scene", "nonsense"}, &output), 1);
    EXPECT_NE(output.find("unknown scene"), std::string::npos) << output;
    EXPECT_EQ(RunCamsim({"--bogus"}), 2);
}

TEST(CamsimProgram, ServesUntilSigtermAndTakesControlCommands)
{
    ScopedTestEnvironment environment;
    const std::string directory = platform::DeviceDirectory();
    Child server = Spawn({"--dir", directory, "--cameras", "0,2", "--fast"});
    ASSERT_GT(server.pid, 0);
    ASSERT_EQ(ReadLine(server.output), "ready");
    auto exists = [&](const std::string& name) { return std::filesystem::exists(directory + "/" + name); };
    EXPECT_TRUE(exists("Qlix205KWMX-0"));
    EXPECT_TRUE(exists("Qlix205KWMX-2"));
    EXPECT_FALSE(exists("Qlix205KWMX-1"));
    auto ctl = [&](std::vector<std::string> words, std::string* output = nullptr) {
        words.insert(words.begin(), {"ctl", "--dir", directory});
        return RunCamsim(words, output);
    };

    {
        OpenDevice device(0);
        ASSERT_TRUE(device.Valid());
        EXPECT_EQ(ctl({"fail", "0", "1"}), 0);
        EXPECT_FALSE(WriteFpga(device.Handle(), 7, 1));
        EXPECT_TRUE(WriteFpga(device.Handle(), 7, 1));
        EXPECT_EQ(ctl({"trigger", "0"}), 0);
        EXPECT_EQ(ctl({"stall", "0", "10"}), 0);
        EXPECT_EQ(ctl({"short", "0"}), 0);
        std::vector<uint8_t> frame;
        EXPECT_EQ(ReadFrame(device.Handle(), 82944 * 2, frame).bytes, 82944u);

        // A raw file named relative to the ctl's working directory.
        const std::string file = environment.Directory() + "/scene.raw";
        WriteTextFile(file, std::string(320 * 256 * 2, '\x01'));
        const std::string relative = std::filesystem::relative(file).string();
        EXPECT_EQ(ctl({"scene", "0", "raw:" + relative}), 0);
        ASSERT_TRUE(ReadFrame(device.Handle(), 82944 * 2, frame).success);
        EXPECT_EQ(Sample16(frame, 0), 0x0101);
    }

    EXPECT_EQ(ctl({"unplug", "2"}), 0);
    EXPECT_FALSE(exists("Qlix205KWMX-2"));
    EXPECT_EQ(ctl({"plug", "2"}), 0);
    EXPECT_TRUE(exists("Qlix205KWMX-2"));

    std::string output;
    EXPECT_EQ(ctl({"scene", "0", "raw:/no/such/file"}, &output), 1);
    EXPECT_NE(output.find("cannot read raw scene file /no/such/file"), std::string::npos) << output;
    EXPECT_EQ(ctl({"trigger", "1"}, &output), 1);
    EXPECT_NE(output.find("no quelix-camsim serves camera 1"), std::string::npos) << output;
    EXPECT_EQ(ctl({"stall", "0", "soon"}), 1);
    EXPECT_EQ(ctl({"fail", "0"}), 1);
    EXPECT_EQ(ctl({"wiggle", "0"}, &output), 1);
    EXPECT_NE(output.find("unknown command 'wiggle'"), std::string::npos) << output;

    ASSERT_EQ(kill(server.pid, SIGTERM), 0);
    EXPECT_EQ(WaitForExit(server), 0);
    EXPECT_TRUE(std::filesystem::is_empty(directory)) << "nodes and control sockets removed";
}

}  // namespace
}  // namespace quelix::test
