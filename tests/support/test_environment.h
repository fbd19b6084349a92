// SPDX-License-Identifier: MIT
// Gives each test its own registry file, shared-memory name and device
// directory, so that tests run in parallel without seeing each other. The
// variables it replaces are restored when it goes.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quelix::test {

class ScopedTestEnvironment {
public:
    ScopedTestEnvironment();
    ~ScopedTestEnvironment();
    ScopedTestEnvironment(const ScopedTestEnvironment&) = delete;
    ScopedTestEnvironment& operator=(const ScopedTestEnvironment&) = delete;

    const std::string& Directory() const { return directory_; }
    const std::string& RegistryPath() const { return registryPath_; }
    const std::string& SharedMemoryName() const { return sharedMemoryName_; }

private:
    std::string directory_;
    std::string registryPath_;
    std::string sharedMemoryName_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

std::string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& text);

}  // namespace quelix::test
