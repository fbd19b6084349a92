// SPDX-License-Identifier: MIT
#include "usbd/command_line.h"

#include <unistd.h>

#include <cstdlib>

namespace quelix::usbd {

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line, std::string& error)
{
    bool configGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            line.mode = CommandLine::Mode::Help;
            return true;
        }
        if (argument == "--list") {
            line.mode = CommandLine::Mode::List;
            continue;
        }
        const bool takesValue =
            argument == "--id" || argument == "--config" || argument == "--dir" || argument == "--group";
        if (!takesValue) {
            error = "unknown argument '" + argument + "'";
            return false;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            error = argument + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (argument == "--id") {
            UsbId id;
            if (!ParseUsbId(value, id, error))
                return false;
            line.ids.push_back(id);
        } else if (argument == "--config") {
            if (configGiven) {
                error = "--config given twice";
                return false;
            }
            configGiven = true;
            line.configPath = value;
        } else if (argument == "--dir") {
            line.directory = value;
        } else {
            line.group = value;
        }
    }
    return true;
}

std::string DefaultDirectory()
{
    const char* directory = std::getenv("QUELIX_DEVICE_DIR");
    if (directory != nullptr && directory[0] != '\0')
        return directory;
    if (geteuid() == 0)
        return kSystemDeviceDirectory;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && runtime[0] != '\0' ? runtime : "/tmp") + "/quelix";
}

const char* UsageText()
{
    return "usage: quelix-usbd [--id VVVV:PPPP]... [--config FILE] [--dir DIR] [--group GROUP]\n"
           "       quelix-usbd --list [--id VVVV:PPPP]... [--config FILE]\n"
           "\n"
           "The user-space USB driver of the Quelix 205KWMX camera: serves every attached\n"
           "camera as a device node DIR/Qlix205KWMX-N, follows cameras that are plugged in\n"
           "and out, and logs on stderr. Runs until SIGINT or SIGTERM.\n"
           "\n"
           "  --id VVVV:PPPP   serve devices with this USB vendor and product id (hexadecimal;\n"
           "                   repeatable); with no ids here or in the configuration file,\n"
           "                   devices whose product string contains \"205KWMX\" are served\n"
           "  --config FILE    ids from FILE, one \"id VVVV:PPPP\" a line\n"
           "                   (default /etc/quelix/usbd.conf, when it exists)\n"
           "  --dir DIR        device directory (default $QUELIX_DEVICE_DIR, else /run/quelix\n"
           "                   for root, else ${XDG_RUNTIME_DIR:-/tmp}/quelix)\n"
           "  --group GROUP    the group that may open the nodes (default the driver's group)\n"
           "  --list           print every attached device whose interface 0 has the camera's\n"
           "                   three bulk pipes, with its ids, strings and bus path, and exit\n"
           "  --help           this text\n";
}

}  // namespace quelix::usbd
