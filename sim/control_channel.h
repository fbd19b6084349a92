// SPDX-License-Identifier: MIT
// Control of a running quelix-camsim from outside: a control socket
// "Qlix205KWMX-N.control" beside each camera's node takes one command line
// and answers "ok" or "error MESSAGE".
//
// Commands: trigger N, unplug N, plug N, stall N MS, short N, fail N COUNT,
// scene N NAME.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "sim/camera_simulator.h"

namespace quelix::sim {

std::string ControlSocketPath(const std::string& directory, int deviceNumber);

// Carries out one command on the simulator's cameras. Empty on success, else what went wrong.
std::string RunControlCommand(const CameraSimulator& simulator, const std::vector<std::string>& words);

// The reply to one line read from a control socket (without its newline):
// "ok\n" or "error MESSAGE\n".
std::string AnswerControlLine(const CameraSimulator& simulator, const std::string& line);

// Sends one command to the quelix-camsim that serves camera N in `directory`
// (a relative raw scene path is made absolute first). Empty on success, else the error.
std::string SendControlCommand(const std::string& directory, std::vector<std::string> words);

// Serves the control sockets of a simulator's cameras on a thread of its own.
class ControlServer {
public:
    explicit ControlServer(const CameraSimulator& simulator) : simulator_(simulator) {}
    // Closes and removes the sockets.
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool Open(std::string& error);

private:
    void Run();
    void Answer(int client);
    void CloseSockets();

    const CameraSimulator& simulator_;
    std::vector<int> listenFds_;
    std::vector<std::string> paths_;
    int wakeFd_ = -1;  // written to stop the thread
    std::thread thread_;
};

}  // namespace quelix::sim
