// SPDX-License-Identifier: MIT
// quelix-usbd: the user-space USB driver of the camera (see --help).
#include <grp.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "usbd/command_line.h"
#include "usbd/log.h"
#include "usbd/usb_daemon.h"

namespace {

using namespace quelix::usbd;

bool GroupId(const std::string& name, gid_t& group)
{
    if (name.empty()) {
        group = gid_t(-1);
        return true;
    }
    const struct group* entry = getgrnam(name.c_str());
    if (entry == nullptr)
        return false;
    group = entry->gr_gid;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, error)) {
        std::fprintf(stderr, "quelix-usbd: %s\n\n%s", error.c_str(), UsageText());
        return 2;
    }
    if (line.mode == CommandLine::Mode::Help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    std::vector<UsbId> ids = line.ids;
    const bool configGiven = !line.configPath.empty();
    if (!ReadConfigFile(configGiven ? line.configPath : kDefaultConfigPath, configGiven, ids, error)) {
        Log(error);
        return 2;
    }
    if (line.mode == CommandLine::Mode::List)
        return ListDevices(ids);

    DaemonSettings settings;
    settings.ids = ids;
    settings.directory = line.directory.empty() ? DefaultDirectory() : line.directory;
    if (!GroupId(line.group, settings.group)) {
        Log("no group '" + line.group + "'");
        return 2;
    }
    // The signals are taken by sigwait, and every thread started from here on inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    return RunDaemon(settings, stopSignals);
}
