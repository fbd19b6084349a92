// SPDX-License-Identifier: MIT
// Every export of the public header, callable with any handle value: the
// bad-argument sweep calls each with dead and random handles and checks its
// failure value, and a test compares the table with the header so that no
// export is left out.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "QuelixSdk_205KWMX.h"

namespace quelix::test {

// Memory the table's calls point their pointer arguments at. Filled with a
// pattern before a call on a dead handle, so that a write through any of
// them shows.
struct ExportScratch {
    static constexpr uint8_t kPattern = 0xA5;
    alignas(8) uint8_t bytes[16384];
    void Fill();
    bool Untouched() const;
    int32_t* Int(int index) { return reinterpret_cast<int32_t*>(bytes) + index; }
    char* Text() { return reinterpret_cast<char*>(bytes); }
    uint16_t* Wide() { return reinterpret_cast<uint16_t*>(bytes); }
    QUELIX_CAMERA_INFO* Info() { return reinterpret_cast<QUELIX_CAMERA_INFO*>(bytes); }
};

struct ExportEntry {
    std::string name;
    // Calls the export with this handle and harmless other arguments;
    // exports that take no handle ignore it.
    double (*call)(int32_t handle, ExportScratch& scratch);
    double failure;    // the result for an unknown handle
    bool takesHandle;  // false for Quelix_Initialize and Quelix_GetDllVersion
};

const std::vector<ExportEntry>& ExportTable();
// Test names show the export's name.
void PrintTo(const ExportEntry& entry, std::ostream* out);

// The names the public header declares with QUELIX_API.
std::vector<std::string> HeaderExportNames(const std::string& headerPath);

}  // namespace quelix::test
