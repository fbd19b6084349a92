// SPDX-License-Identifier: MIT
#include "sim/control_channel.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <filesystem>

#include "platform/driver/driver_wire.h"
#include "sim/unix_socket.h"

namespace quelix::sim {

namespace {

constexpr size_t kMaxLine = 4096;
constexpr char kRawPrefix[] = "raw:";

bool ParseNumber(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc() && stop == end && value >= 0;
}

// The words of a command line; a scene name is the rest of the line, spaces included.
std::vector<std::string> SplitLine(const std::string& line)
{
    std::vector<std::string> words;
    size_t position = 0;
    while (position < line.size()) {
        if (words.size() == 2 && words[0] == "scene") {
            words.push_back(line.substr(position));
            break;
        }
        const size_t space = line.find(' ', position);
        const size_t end = space == std::string::npos ? line.size() : space;
        if (end > position)
            words.push_back(line.substr(position, end - position));
        position = end + 1;
    }
    return words;
}

int ArgumentCount(const std::string& command)
{
    if (command == "trigger" || command == "unplug" || command == "plug" || command == "short")
        return 1;
    if (command == "stall" || command == "fail" || command == "scene")
        return 2;
    return -1;
}

}  // namespace

std::string ControlSocketPath(const std::string& directory, int deviceNumber)
{
    return directory + "/" + driver_wire::kDeviceBaseName + "-" + std::to_string(deviceNumber) + ".control";
}

std::string RunControlCommand(const CameraSimulator& simulator, const std::vector<std::string>& words)
{
    if (words.empty())
        return "no command";
    const std::string& command = words[0];
    const int arguments = ArgumentCount(command);
    if (arguments < 0)
        return "unknown command '" + command + "'";
    if (int(words.size()) != arguments + 1)
        return command + " takes " + std::to_string(arguments) +
               (arguments == 1 ? " argument" : " arguments");
    int number = 0;
    if (!ParseNumber(words[1], number))
        return "'" + words[1] + "' is not a device number";
    SimulatedCamera* camera = simulator.Camera(number);
    if (camera == nullptr)
        return "camera " + words[1] + " is not served here";
    int value = 0;
    if ((command == "stall" || command == "fail") && !ParseNumber(words[2], value))
        return "'" + words[2] + "' is not a count of " + (command == "stall" ? "milliseconds" : "requests");
    std::string error;
    if (command == "trigger")
        camera->Trigger();
    else if (command == "unplug")
        camera->Unplug();
    else if (command == "plug")
        camera->Plug(&error);
    else if (command == "stall")
        camera->Stall(value);
    else if (command == "short")
        camera->ShortNextFrame();
    else if (command == "fail")
        camera->FailNextRequests(value);
    else
        camera->SetScene(words[2], &error);
    return error;
}

std::string AnswerControlLine(const CameraSimulator& simulator, const std::string& line)
{
    const std::string error = RunControlCommand(simulator, SplitLine(line));
    return error.empty() ? "ok\n" : "error " + error + "\n";
}

std::string SendControlCommand(const std::string& directory, std::vector<std::string> words)
{
    int number = 0;
    if (words.size() < 2 || !ParseNumber(words[1], number))
        return "a command names its camera: COMMAND N ...";
    if (words[0] == "scene" && words.size() == 3 && words[2].starts_with(kRawPrefix)) {
        // The simulator runs elsewhere: a file name relative to here means nothing there.
        const std::string file = words[2].substr(sizeof kRawPrefix - 1);
        words[2] = kRawPrefix + std::filesystem::absolute(file).string();
    }
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + word;
    if (line.find('\n') != std::string::npos || line.size() >= kMaxLine)
        return "the command does not fit on one line";
    line += '\n';

    const int fd = ConnectTo(ControlSocketPath(directory, number));
    if (fd < 0)
        return "no quelix-camsim serves camera " + words[1] + " in " + directory;
    iovec part{line.data(), line.size()};
    std::string reply;
    if (SendAll(fd, &part, 1)) {
        char byte;
        while (reply.size() < kMaxLine && recv(fd, &byte, 1, 0) == 1 && byte != '\n')
            reply += byte;
    }
    close(fd);
    if (reply == "ok")
        return "";
    if (reply.starts_with("error "))
        return reply.substr(6);
    return "no answer from quelix-camsim";
}

ControlServer::~ControlServer()
{
    if (thread_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t wrote = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    CloseSockets();
}

void ControlServer::CloseSockets()
{
    for (int fd : listenFds_)
        close(fd);
    for (const std::string& path : paths_)
        unlink(path.c_str());
    if (wakeFd_ >= 0)
        close(wakeFd_);
    listenFds_.clear();
    paths_.clear();
    wakeFd_ = -1;
}

bool ControlServer::Open(std::string& error)
{
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        error = "cannot make an event descriptor";
        return false;
    }
    for (int number : simulator_.DeviceNumbers()) {
        const std::string path = ControlSocketPath(simulator_.Directory(), number);
        const int fd = ListenAt(path, error);
        if (fd < 0) {
            CloseSockets();
            return false;
        }
        listenFds_.push_back(fd);
        paths_.push_back(path);
    }
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        CloseSockets();
        error = "cannot start the control thread";
        return false;
    }
    return true;
}

void ControlServer::Run()
{
    std::vector<pollfd> watched;
    watched.push_back({wakeFd_, POLLIN, 0});
    for (int fd : listenFds_)
        watched.push_back({fd, POLLIN, 0});
    for (;;) {
        if (poll(watched.data(), watched.size(), -1) < 0)
            continue;  // interrupted
        if (watched[0].revents != 0)
            return;
        for (size_t i = 1; i < watched.size(); ++i) {
            if ((watched[i].revents & POLLIN) == 0)
                continue;
            const int client = accept4(watched[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                Answer(client);
                close(client);
            }
        }
    }
}

void ControlServer::Answer(int client)
{
    // A client that says nothing must not hold up the others for long.
    const timeval patience{2, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    std::string line;
    char byte;
    while (line.size() < kMaxLine && recv(client, &byte, 1, 0) == 1 && byte != '\n')
        line += byte;
    std::string reply = AnswerControlLine(simulator_, line);
    iovec part{reply.data(), reply.size()};
    SendAll(client, &part, 1);
}

}  // namespace quelix::sim
