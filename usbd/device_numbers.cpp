// SPDX-License-Identifier: MIT
#include "usbd/device_numbers.h"

namespace quelix::usbd {

int DeviceNumbers::Take(const std::string& identity)
{
    if (const auto known = remembered_.find(identity); known != remembered_.end()) {
        if (!taken_.contains(known->second)) {
            taken_.insert(known->second);
            return known->second;
        }
    }
    for (int number = 0; number <= kHighestDeviceNumber; ++number) {
        if (!taken_.contains(number)) {
            taken_.insert(number);
            // Another camera that had this number gets a free one when it returns.
            std::erase_if(remembered_, [number](const auto& entry) { return entry.second == number; });
            remembered_[identity] = number;
            return number;
        }
    }
    return -1;
}

void DeviceNumbers::Give(int number)
{
    taken_.erase(number);
}

}  // namespace quelix::usbd
