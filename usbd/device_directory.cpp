// SPDX-License-Identifier: MIT
#include "usbd/device_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quelix::usbd {

bool PrepareDirectory(const std::string& directory, gid_t group, std::string& error)
{
    struct stat status;
    if (stat(directory.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode)) {
            error = directory + " is not a directory";
            return false;
        }
        return true;
    }
    if (mkdir(directory.c_str(), 0750) != 0 && errno != EEXIST) {
        error = "cannot make " + directory + ": " + std::strerror(errno);
        return false;
    }
    // mkdir honours the umask: the mode is set whole afterwards.
    if (chmod(directory.c_str(), 0750) != 0 ||
        (group != gid_t(-1) && chown(directory.c_str(), uid_t(-1), group) != 0)) {
        error = "cannot give " + directory + " its mode and group: " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace quelix::usbd
