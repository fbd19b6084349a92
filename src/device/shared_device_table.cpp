// SPDX-License-Identifier: MIT
#include "device/shared_device_table.h"

#include <cstring>
#include <mutex>

#include "platform/os/process.h"

namespace quelix {

namespace {

constexpr char kTableName[] = "KORVEX_USBCAMERA";
constexpr char kOwnerText[] = "QuelixSdk_205KWMX.dll";

uint64_t WindowValue(platform::Hwnd window)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
}

// Entries are shared with other processes without a lock; inside this
// process the cameras at least take turns.
std::mutex entryLock;

}  // namespace

bool SharedDeviceTable::OpenSharedTable()
{
    memory_ = platform::SharedMemory::OpenExisting(kTableName);
    if (memory_ != nullptr && memory_->Size() < kSharedTableSize)
        memory_.reset();
    if (memory_ == nullptr) {
        bool created = false;
        memory_ = platform::SharedMemory::OpenOrCreate(kTableName, kSharedTableSize, created);
        if (memory_ != nullptr && created)
            std::memset(memory_->View(), 0, kSharedTableZeroedOnCreate);
    }
    return memory_ != nullptr;
}

SharedDeviceEntry* SharedDeviceTable::MutableEntry(int n) const
{
    if (memory_ == nullptr || n < 0 || n >= kSharedTableDevices)
        return nullptr;
    return reinterpret_cast<SharedDeviceEntry*>(
        memory_->View() + (kSharedEntryBase + static_cast<size_t>(n)) * kSharedEntrySize);
}

const SharedDeviceEntry* SharedDeviceTable::Entry(int n) const
{
    return MutableEntry(n);
}

int SharedDeviceTable::ClaimDevice(int n, platform::Hwnd ownerWindow)
{
    std::lock_guard lock(entryLock);
    SharedDeviceEntry* entry = MutableEntry(n);
    if (entry == nullptr)
        return 0;
    entry->ownerWindow = WindowValue(ownerWindow);
    entry->ownerModule = platform::CurrentProcessId();
    entry->reserved = 0;
    std::memset(entry->text, 0, sizeof entry->text);
    std::memcpy(entry->text, kOwnerText, sizeof kOwnerText);
    claimed_ |= 1u << n;
    return 1;
}

int SharedDeviceTable::ReleaseDevice(int n, platform::Hwnd ownerWindow)
{
    std::lock_guard lock(entryLock);
    SharedDeviceEntry* entry = MutableEntry(n);
    if (entry == nullptr)
        return 0;
    const bool mine = (claimed_ & (1u << n)) != 0;
    claimed_ &= ~(1u << n);
    if (mine && entry->ownerWindow == WindowValue(ownerWindow) &&
        entry->ownerModule == platform::CurrentProcessId() && entry->reserved == 0) {
        entry->ownerWindow = 0;
        entry->ownerModule = 0;
        entry->reserved = 0;
        std::memset(entry->text, 0, sizeof entry->text);
    }
    return 1;
}

bool SharedDeviceTable::IsDeviceClaimed(int n) const
{
    std::lock_guard lock(entryLock);
    const SharedDeviceEntry* entry = MutableEntry(n);
    if (entry == nullptr)
        return false;
    // An owner that ended without releasing (a crash, a kill) holds nothing.
    return (entry->ownerWindow != 0 || entry->ownerModule != 0) &&
           platform::ProcessExists(entry->ownerModule);
}

void SharedDeviceTable::CloseSharedTable()
{
    memory_.reset();
    claimed_ = 0;
}

}  // namespace quelix
