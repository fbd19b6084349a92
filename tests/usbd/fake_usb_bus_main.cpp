// SPDX-License-Identifier: MIT
// usbd_fake_bus: quelix-usbd's camera service in front of simulated cameras
// on an emulated USB bus, as a program, for tests that run the quelix tool
// against it. Commands on stdin, one a line: "unplug I", "plug I" (camera I
// of the bus leaves or comes back; the answer is the device number it got)
// and "quit". Prints "ready" once the nodes exist.
//
//   usbd_fake_bus DIR COUNT [SCENE]
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fake_usb_camera.h"
#include "sim/camera_simulator.h"
#include "usbd/camera_service.h"

using namespace quelix;

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: usbd_fake_bus DIR COUNT [SCENE]\n");
        return 2;
    }
    const std::string directory = argv[1];
    const int count = std::atoi(argv[2]);
    if (count < 1 || count > 9) {
        std::fprintf(stderr, "usbd_fake_bus: COUNT is 1 to 9\n");
        return 2;
    }
    sim::CameraOptions options;
    options.fast = true;
    if (argc == 4)
        options.scene = argv[3];
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(i);
    std::string error;
    std::filesystem::create_directories(directory);
    const auto simulator = sim::CameraSimulator::Start(numbers, options, directory + "/usb-bus", &error);
    if (simulator == nullptr) {
        std::fprintf(stderr, "usbd_fake_bus: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::unique_ptr<test::FakeUsbCamera>> usb;
    usb.resize(size_t(count));
    usbd::CameraService service(directory, gid_t(-1));
    const auto plug = [&](int index) {
        usb[size_t(index)] = std::make_unique<test::FakeUsbCamera>(simulator->Camera(index)->NodePath());
        return service.Add("usb" + std::to_string(index), "port " + std::to_string(index),
                           usb[size_t(index)]->Port(), test::FakeUsbCamera::kPipes,
                           "emulated camera " + std::to_string(index));
    };
    for (int i = 0; i < count; ++i)
        if (plug(i) < 0)
            return 1;
    std::printf("ready\n");
    std::fflush(stdout);

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        int index = -1;
        words >> command >> index;
        if (command == "quit")
            break;
        if ((command != "unplug" && command != "plug") || index < 0 || index >= count) {
            std::printf("error %s\n", line.c_str());
        } else if (command == "unplug") {
            usb[size_t(index)]->Unplug();
            service.Remove("usb" + std::to_string(index));
            std::printf("ok\n");
        } else {
            std::printf("number %d\n", plug(index));
        }
        std::fflush(stdout);
    }
    return 0;
}
