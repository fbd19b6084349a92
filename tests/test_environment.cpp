#include "test_environment.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quelix::test {

ScopedTestEnvironment::ScopedTestEnvironment()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quelix-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    directory_ = pattern;
    registryPath_ = directory_ + "/registry.reg";
    sharedMemoryName_ = "quelix-test-" + std::to_string(getpid()) + "-" +
                        std::filesystem::path(directory_).filename().string();
    setenv("QUELIX_REGISTRY", registryPath_.c_str(), 1);
    setenv("QUELIX_SHM_NAME", sharedMemoryName_.c_str(), 1);
    setenv("QUELIX_DEVICE_DIR", (directory_ + "/devices").c_str(), 1);
}

ScopedTestEnvironment::~ScopedTestEnvironment()
{
    shm_unlink(("/" + sharedMemoryName_).c_str());
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace quelix::test
