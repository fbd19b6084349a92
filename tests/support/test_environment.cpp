// SPDX-License-Identifier: MIT
#include "test_environment.h"

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace quelix::test {

namespace {

constexpr const char* kVariables[] = {"QUELIX_REGISTRY", "QUELIX_SHM_NAME", "QUELIX_DEVICE_DIR"};

// Every test process runs in an environment of its own, so that no test ever
// touches the user's settings, shared table or cameras; fixtures nest their
// own inside it.
class IsolatedProcess : public testing::Environment {
public:
    void SetUp() override { environment_ = std::make_unique<ScopedTestEnvironment>(); }
    void TearDown() override { environment_.reset(); }

private:
    std::unique_ptr<ScopedTestEnvironment> environment_;
};

[[maybe_unused]] testing::Environment* const isolatedProcess =
    testing::AddGlobalTestEnvironment(new IsolatedProcess);

}  // namespace

ScopedTestEnvironment::ScopedTestEnvironment()
{
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        saved_.emplace_back(name, value == nullptr ? std::nullopt : std::optional<std::string>(value));
    }
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
    shm_unlink(("/" + sharedMemoryName_ + "-" + std::to_string(geteuid())).c_str());
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
    for (const auto& [name, value] : saved_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
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
