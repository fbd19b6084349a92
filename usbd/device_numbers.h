// SPDX-License-Identifier: MIT
// Device numbers of served cameras: a camera that arrives gets the lowest
// free number, and a camera seen before gets its old number back while that
// number is free. Cameras are known by their identity (bus path, serial).
#pragma once

#include <map>
#include <set>
#include <string>

#include "usbd/driver_messages.h"

namespace quelix::usbd {

class DeviceNumbers {
public:
    // The number for a camera that arrives; -1 when every number is taken.
    int Take(const std::string& identity);
    // The camera left: its number is free, and remembered for its return.
    void Give(int number);

private:
    std::set<int> taken_;
    std::map<std::string, int> remembered_;  // identity -> the number it had last
};

}  // namespace quelix::usbd
