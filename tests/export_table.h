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

// Exports that other parts of the library may not define yet: the table
// reaches them through weak references and marks them unavailable while
// they are missing, so the sweep skips rather than fails them.
#pragma weak Quelix_LoadMaskFile
#pragma weak Quelix_LoadMaskFileW
#pragma weak Quelix_Record
#pragma weak Quelix_RecordW
#pragma weak Quelix_SaveImage
#pragma weak Quelix_SaveImageW
#pragma weak Quelix_SaveMaskFile
#pragma weak Quelix_SaveMaskFileW
#pragma weak Quelix_SetAnalogDlg
#pragma weak Quelix_SetCameraDlg
#pragma weak Quelix_SetImageDlg
#pragma weak Quelix_UpdateMaskData

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
    bool available;    // false while the library does not define the export yet
};

const std::vector<ExportEntry>& ExportTable();
// Test names show the export's name.
void PrintTo(const ExportEntry& entry, std::ostream* out);
// Whether the library defines the export of that name.
bool ExportAvailable(const std::string& name);

// The names the public header declares with QUELIX_API.
std::vector<std::string> HeaderExportNames(const std::string& headerPath);

}  // namespace quelix::test
