// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/registry_document.h"
#include "test_environment.h"

namespace quelix::platform {
namespace {

constexpr std::string_view kBase = "Software\\Korvex\\Quelix205KWMXSdk";

class Registry : public testing::Test {
protected:
    test::ScopedTestEnvironment environment;
};

TEST_F(Registry, MissingKeysAndValuesAreAbsent)
{
    EXPECT_FALSE(RegistryKey::Open(kBase).has_value());
    auto key = RegistryKey::Create(kBase);
    ASSERT_TRUE(key.has_value());
    EXPECT_FALSE(key->ReadDword("Size").has_value());
    EXPECT_FALSE(key->OpenSubKey("Camera_00").has_value());
}

TEST_F(Registry, ValuesSurviveReopeningAndTheFileIsARegistryExport)
{
    {
        auto camera = RegistryKey::Create(std::string(kBase) + "\\Camera_00");
        ASSERT_TRUE(camera.has_value());
        ASSERT_TRUE(camera->WriteDwords({{"Color", 2}, {"WaitTime", 1}}));
        ASSERT_TRUE(camera->WriteDword("Size", 0xFFFFFFFFu));
    }
    auto camera = RegistryKey::Open(std::string(kBase) + "\\Camera_00");
    ASSERT_TRUE(camera.has_value());
    EXPECT_EQ(camera->ReadDword("Color"), 2u);
    EXPECT_EQ(camera->ReadDword("WaitTime"), 1u);
    EXPECT_EQ(camera->ReadDword("Size"), 0xFFFFFFFFu);
    EXPECT_TRUE(RegistryKey::Open("Software\\Korvex").has_value()) << "parents exist";

    EXPECT_EQ(test::ReadTextFile(environment.RegistryPath()),
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Korvex]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Korvex\\Quelix205KWMXSdk]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Korvex\\Quelix205KWMXSdk\\Camera_00]\n"
              "\"Color\"=dword:00000002\n"
              "\"WaitTime\"=dword:00000001\n"
              "\"Size\"=dword:ffffffff\n\n");
}

TEST_F(Registry, KeysAndValueNamesCompareWithoutCase)
{
    auto key = RegistryKey::Create("Software\\Korvex\\Camera_00");
    ASSERT_TRUE(key->WriteDword("WaitTime", 5));
    auto upper = RegistryKey::Open("SOFTWARE\\KORVEX\\CAMERA_00");
    ASSERT_TRUE(upper.has_value());
    EXPECT_EQ(upper->ReadDword("waittime"), 5u);
    ASSERT_TRUE(upper->WriteDword("WAITTIME", 6));
    EXPECT_EQ(key->ReadDword("WaitTime"), 6u);
    const std::string text = test::ReadTextFile(environment.RegistryPath());
    EXPECT_EQ(text.find("WAITTIME"), std::string::npos) << "the stored name keeps its spelling";
}

TEST_F(Registry, LinesItDoesNotUseAreKept)
{
    test::WriteTextFile(environment.RegistryPath(),
                        "REGEDIT4\n\n"
                        "; written by hand\n"
                        "[HKEY_CURRENT_USER\\Software\\Other]\n"
                        "\"Name\"=\"text value\"\n"
                        "\"Blob\"=hex:01,02,\\\n"
                        "  03,04\n"
                        "\"Quoted \\\"x\\\"\"=dword:0000000a\n\n");
    auto other = RegistryKey::Open("Software\\Other");
    ASSERT_TRUE(other.has_value());
    EXPECT_FALSE(other->ReadDword("Name").has_value()) << "not a DWORD";
    EXPECT_EQ(other->ReadDword("Quoted \"x\""), 10u);
    ASSERT_TRUE(other->WriteDword("New", 1));
    const std::string text = test::ReadTextFile(environment.RegistryPath());
    EXPECT_NE(text.find("; written by hand"), std::string::npos);
    EXPECT_NE(text.find("\"Name\"=\"text value\""), std::string::npos);
    EXPECT_NE(text.find("\"Blob\"=hex:01,02,\\\n  03,04\n"), std::string::npos);
    EXPECT_NE(text.find("\"New\"=dword:00000001"), std::string::npos);
}

TEST_F(Registry, ACorruptFileIsKeptAsideAndTheNextWriteLands)
{
    test::WriteTextFile(environment.RegistryPath(), "this is not a registry file\n[unterminated\n");
    EXPECT_FALSE(RegistryKey::Open("Software").has_value()) << "reads as empty";
    auto key = RegistryKey::Create("Software\\Korvex");
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE(key->WriteDword("Value", 3));
    EXPECT_EQ(key->ReadDword("Value"), 3u);
    EXPECT_EQ(test::ReadTextFile(environment.RegistryPath() + ".bad"),
              "this is not a registry file\n[unterminated\n");
}

TEST_F(Registry, ParserRejectsWhatIsNotAnExport)
{
    RegistryDocument document;
    EXPECT_FALSE(RegistryDocument::Parse("", document));
    EXPECT_FALSE(RegistryDocument::Parse("REGEDIT4\n\"Orphan\"=dword:1\n", document));
    EXPECT_FALSE(RegistryDocument::Parse("REGEDIT4\n[Key]\nnot a value\n", document));
    EXPECT_TRUE(RegistryDocument::Parse("\xEF\xBB\xBFREGEDIT4\r\n\r\n[Key]\r\n\"A\"=dword:1\r\n", document));
    EXPECT_EQ(document.ReadDword("key", "a"), 1u);
    EXPECT_TRUE(RegistryDocument::Parse("REGEDIT4\n[Key]\n\"A\"=dword:123456789\n", document));
    EXPECT_FALSE(document.ReadDword("Key", "A").has_value()) << "more than eight hex digits";
}

TEST_F(Registry, AValueContinuedAtTheEndOfASectionDoesNotGrowWithEachWrite)
{
    // A hand-edited value whose last line ends in a backslash, just before
    // the blank line that ends its section: every read-modify-write used to
    // join that blank line to the value, one more line each time.
    const std::string edited = "REGEDIT4\n\n[Key]\n\"Bin\"=hex:01,\\\n\n[Other]\n\"A\"=dword:1\n";
    RegistryDocument document;
    ASSERT_TRUE(RegistryDocument::Parse(edited, document));
    const std::string once = document.Format();
    RegistryDocument again;
    ASSERT_TRUE(RegistryDocument::Parse(once, again));
    EXPECT_EQ(again.Format(), once);
    EXPECT_EQ(again.ReadDword("Other", "A"), 1u);
}

TEST_F(Registry, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kValuesPerProcess = 40;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    const char* prefix = child == 0 ? "child" : "parent";
    auto key = RegistryKey::Create("Software\\Korvex\\Shared");
    bool allWritten = key.has_value();
    for (int i = 0; allWritten && i < kValuesPerProcess; ++i)
        allWritten = key->WriteDword(std::string(prefix) + std::to_string(i), static_cast<uint32_t>(i));
    if (child == 0)
        _exit(allWritten ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(allWritten);
    for (const char* who : {"child", "parent"}) {
        for (int i = 0; i < kValuesPerProcess; ++i)
            EXPECT_EQ(key->ReadDword(std::string(who) + std::to_string(i)), static_cast<uint32_t>(i))
                << who << i;
    }
}

TEST(RegistryLocation, FollowsTheEnvironment)
{
    setenv("QUELIX_REGISTRY", "", 1);
    setenv("XDG_CONFIG_HOME", "/some/config", 1);
    EXPECT_EQ(RegistryFilePath(), "/some/config/quelix/registry.reg");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/user", 1);
    EXPECT_EQ(RegistryFilePath(), "/home/user/.config/quelix/registry.reg");
    setenv("QUELIX_REGISTRY", "/tmp/x.reg", 1);
    EXPECT_EQ(RegistryFilePath(), "/tmp/x.reg");
}

}  // namespace
}  // namespace quelix::platform
