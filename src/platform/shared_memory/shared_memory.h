// SPDX-License-Identifier: MIT
// Named shared memory, seen by every process of one user that opens the
// same name: the POSIX object "/NAME-UID", where NAME is $QUELIX_SHM_NAME
// when set, else the name the caller asks for, and UID the effective user
// id; on Windows the file mapping NAME of the session (CreateFileMappingA).
// The mapping stays while the object lives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quelix::platform {

class SharedMemory {
public:
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Maps an existing object of this name; null when there is none.
    static std::unique_ptr<SharedMemory> OpenExisting(std::string_view name);
    // Maps the object of this name, creating it with `size` zero bytes when it
    // does not exist; an existing smaller object is grown to `size`. `created`
    // tells which happened. Null when it can be neither opened nor created.
    static std::unique_ptr<SharedMemory> OpenOrCreate(std::string_view name, size_t size, bool& created);

    uint8_t* View() const { return view_; }
    size_t Size() const { return size_; }

private:
#ifdef _WIN32
    SharedMemory(uint8_t* view, size_t size, void* mapping) : view_(view), size_(size), mapping_(mapping) {}
#else
    SharedMemory(uint8_t* view, size_t size) : view_(view), size_(size) {}
    static std::unique_ptr<SharedMemory> Map(int fd, size_t size);
#endif
    uint8_t* view_;
    size_t size_;
#ifdef _WIN32
    // The section's handle, held while the view is: a name lives only
    // while a handle of its object is open.
    void* mapping_;
#endif
};

// The system name behind a requested name ("/KORVEX_USBCAMERA-1000";
// Windows: "KORVEX_USBCAMERA").
std::string SharedMemoryObjectName(std::string_view name);

}  // namespace quelix::platform
