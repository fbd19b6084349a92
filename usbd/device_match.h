// SPDX-License-Identifier: MIT
// Which USB devices are cameras: the ids given with --id or in the
// configuration file, else every device whose product string contains
// "205KWMX".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelix::usbd {

struct UsbId {
    uint16_t vendor = 0;
    uint16_t product = 0;
    bool operator==(const UsbId&) const = default;
};

inline constexpr char kProductMark[] = "205KWMX";

// "VVVV:PPPP", four hexadecimal digits each; false with a message otherwise.
bool ParseUsbId(const std::string& text, UsbId& id, std::string& error);
std::string FormatUsbId(const UsbId& id);

// The ids of a configuration file: one "id VVVV:PPPP" a line; blank lines
// and lines starting with '#' are skipped. A missing file is an error only
// when `mustExist`. False with a message ("FILE:LINE: ...") otherwise.
bool ReadConfigFile(const std::string& path, bool mustExist, std::vector<UsbId>& ids, std::string& error);

bool IsCamera(const std::vector<UsbId>& ids, const UsbId& device, const std::string& productString);

}  // namespace quelix::usbd
