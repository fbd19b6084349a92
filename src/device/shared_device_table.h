// SPDX-License-Identifier: MIT
// The table of claimed cameras shared by every process that uses the
// library: named shared memory "KORVEX_USBCAMERA" of 32,768 entries of 152
// bytes. The entry of device number n (0 to 8) is entry 4032 + n; a camera
// writes its owner entry there while it streams, and a camera whose entry is
// held by another owner does not start.
//
// Entry layout (little-endian): owner window (8 bytes), the owning process's
// id in the module-handle field (8), a field this system only reads and
// zeroes (8), the text "QuelixSdk_205KWMX.dll" (128, zero-terminated).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/shared_memory/shared_memory.h"
#include "platform/windowing/window_table.h"

namespace quelix {

inline constexpr size_t kSharedTableSize = 0x4C0000;
inline constexpr size_t kSharedEntrySize = 152;
inline constexpr size_t kSharedEntryBase = 4032;
inline constexpr size_t kSharedTableZeroedOnCreate = 0x8000;
inline constexpr int kSharedTableDevices = 9;

struct SharedDeviceEntry {
    uint64_t ownerWindow;
    uint64_t ownerModule;
    uint64_t reserved;
    char text[128];
};
static_assert(sizeof(SharedDeviceEntry) == kSharedEntrySize);

class SharedDeviceTable {
public:
    // Maps the table, creating it (and zeroing its first 0x8000 bytes) when
    // no process has it yet; false without a view.
    bool OpenSharedTable();
    // Writes this camera's owner entry for device n; 0 without a view.
    int ClaimDevice(int n, platform::Hwnd ownerWindow);
    // Clears the entry of device n when this camera claimed it and the entry
    // still names this owner; another owner's entry is left alone. 0 without a view.
    int ReleaseDevice(int n, platform::Hwnd ownerWindow);
    // true when the entry of device n has an owner whose process still runs.
    bool IsDeviceClaimed(int n) const;
    void CloseSharedTable();

    bool HasView() const { return memory_ != nullptr; }
    // The raw entry, for readers that show who holds a camera; null without a view.
    const SharedDeviceEntry* Entry(int n) const;

private:
    SharedDeviceEntry* MutableEntry(int n) const;

    std::unique_ptr<platform::SharedMemory> memory_;
    uint32_t claimed_ = 0;  // bit n: this camera wrote the entry of device n
};

}  // namespace quelix
