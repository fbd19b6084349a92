// SPDX-License-Identifier: MIT
#include "platform/shared_memory/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace quelix::platform {

std::string SharedMemoryObjectName(std::string_view name)
{
    // One object per user, as the original table was one per login session:
    // another user's object is neither readable nor in the way.
    const std::string user = "-" + std::to_string(geteuid());
    if (const char* override = std::getenv("QUELIX_SHM_NAME"); override != nullptr && *override != '\0')
        return std::string("/") + override + user;
    return "/" + std::string(name) + user;
}

SharedMemory::~SharedMemory()
{
    munmap(view_, size_);
}

std::unique_ptr<SharedMemory> SharedMemory::OpenExisting(std::string_view name)
{
    const int fd = shm_open(SharedMemoryObjectName(name).c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    std::unique_ptr<SharedMemory> memory;
    if (fstat(fd, &status) == 0 && status.st_size > 0)
        memory = Map(fd, static_cast<size_t>(status.st_size));
    close(fd);
    return memory;
}

std::unique_ptr<SharedMemory> SharedMemory::OpenOrCreate(std::string_view name, size_t size, bool& created)
{
    const std::string objectName = SharedMemoryObjectName(name);
    created = true;
    int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = shm_open(objectName.c_str(), O_RDWR | O_CLOEXEC, 0);
    }
    if (fd < 0)
        return nullptr;
    // A new object is empty until sized; an opener racing the creator sizes it
    // too, which is harmless because both ask for the same zero-filled size.
    struct stat status {};
    std::unique_ptr<SharedMemory> memory;
    if (fstat(fd, &status) == 0 &&
        (static_cast<size_t>(status.st_size) >= size || ftruncate(fd, static_cast<off_t>(size)) == 0))
        memory = Map(fd, size);
    close(fd);
    return memory;
}

std::unique_ptr<SharedMemory> SharedMemory::Map(int fd, size_t size)
{
    void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED)
        return nullptr;
    return std::unique_ptr<SharedMemory>(new SharedMemory(static_cast<uint8_t*>(view), size));
}

}  // namespace quelix::platform
