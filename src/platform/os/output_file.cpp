// SPDX-License-Identifier: MIT
#include "platform/os/output_file.h"

namespace quelix {

bool COutputFile::OpenForWrite(const std::string& name)
{
    return file_.Open(name);
}

bool COutputFile::Write(const void* data, size_t size)
{
    return file_.Write(data, size);
}

bool COutputFile::WriteAt(uint64_t offset, const void* data, size_t size)
{
    return file_.WriteAt(offset, data, size);
}

}  // namespace quelix
