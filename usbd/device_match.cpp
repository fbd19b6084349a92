// SPDX-License-Identifier: MIT
#include "usbd/device_match.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace quelix::usbd {

namespace {

constexpr size_t kMaxConfigLine = 1024;
constexpr size_t kMaxConfigIds = 256;

bool ParseHex16(const std::string& text, uint16_t& value)
{
    if (text.size() != 4)
        return false;
    value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = uint16_t(value << 4 | digit);
    }
    return true;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool ParseUsbId(const std::string& text, UsbId& id, std::string& error)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos || !ParseHex16(text.substr(0, colon), id.vendor) ||
        !ParseHex16(text.substr(colon + 1), id.product)) {
        error = "'" + text + "' is no USB id VVVV:PPPP (four hexadecimal digits each)";
        return false;
    }
    return true;
}

std::string FormatUsbId(const UsbId& id)
{
    char text[10];
    std::snprintf(text, sizeof text, "%04x:%04x", id.vendor, id.product);
    return text;
}

bool ReadConfigFile(const std::string& path, bool mustExist, std::vector<UsbId>& ids, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        if (!mustExist && errno == ENOENT)
            return true;
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (line.size() > kMaxConfigLine) {
            error = where + "line too long";
            return false;
        }
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t space = line.find_first_of(" \t");
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : Trim(line.substr(space));
        if (key != "id") {
            error = where + "unknown setting '" + key + "' (known: id VVVV:PPPP)";
            return false;
        }
        UsbId id;
        std::string why;
        if (!ParseUsbId(value, id, why)) {
            error = where + why;
            return false;
        }
        if (ids.size() >= kMaxConfigIds) {
            error = where + "more than " + std::to_string(kMaxConfigIds) + " ids";
            return false;
        }
        ids.push_back(id);
    }
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

bool IsCamera(const std::vector<UsbId>& ids, const UsbId& device, const std::string& productString)
{
    if (!ids.empty())
        return std::find(ids.begin(), ids.end(), device) != ids.end();
    return productString.find(kProductMark) != std::string::npos;
}

}  // namespace quelix::usbd
