// SPDX-License-Identifier: MIT
#include "process_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

namespace quelix::soak {

long ResidentKilobytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long HeapInUseKilobytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

std::string HeapText(long kilobytes)
{
    return kilobytes > 0 ? std::to_string(kilobytes) + " KiB" : "unknown";
}

}  // namespace quelix::soak
