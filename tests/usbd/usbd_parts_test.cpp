// SPDX-License-Identifier: MIT
// The parts of quelix-usbd that need no camera: the pipe shape of interface
// 0, which devices are cameras, device numbers and the command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "usbd/command_line.h"
#include "usbd/device_match.h"
#include "usbd/device_numbers.h"
#include "usbd/pipe_map.h"

namespace quelix::usbd {
namespace {

constexpr uint8_t kBulk = 2;

TEST(UsbdPipeMap, TakesExactlyBulkOutInInInDescriptorOrder)
{
    std::string why;
    const EndpointInfo camera[] = {{0x02, kBulk, 64}, {0x86, kBulk, 64}, {0x81, kBulk, 512}};
    const auto map = MapPipes(camera, why);
    ASSERT_TRUE(map.has_value()) << why;
    EXPECT_EQ(map->endpoints, (std::array<uint8_t, 3>{0x02, 0x86, 0x81}));

    const struct {
        std::vector<EndpointInfo> endpoints;
        const char* says;
    } refused[] = {
        {{}, "0 endpoints"},
        {{{0x01, kBulk, 64}, {0x81, kBulk, 64}}, "2 endpoints"},
        {{{0x01, kBulk, 64}, {0x81, kBulk, 64}, {0x82, kBulk, 64}, {0x83, kBulk, 64}}, "4 endpoints"},
        {{{0x81, kBulk, 64}, {0x01, kBulk, 64}, {0x82, kBulk, 64}}, "endpoint 0 of interface 0 is bulk IN"},
        {{{0x01, kBulk, 64}, {0x81, 3, 64}, {0x82, kBulk, 64}}, "endpoint 1 of interface 0 is interrupt IN"},
        {{{0x01, kBulk, 64}, {0x81, kBulk, 64}, {0x82, 1, 1024}}, "isochronous IN"},
        {{{0x01, kBulk, 64}, {0x81, kBulk, 64}, {0x02, kBulk, 64}}, "endpoint 2 of interface 0 is bulk OUT"},
    };
    for (const auto& shape : refused) {
        why.clear();
        EXPECT_FALSE(MapPipes(shape.endpoints, why).has_value());
        EXPECT_NE(why.find(shape.says), std::string::npos) << why;
    }
}

TEST(UsbdDeviceMatch, ParsesIdsAndRefusesEverythingElse)
{
    UsbId id;
    std::string error;
    ASSERT_TRUE(ParseUsbId("0AbC:ff01", id, error));
    EXPECT_EQ(id, (UsbId{0x0abc, 0xff01}));
    EXPECT_EQ(FormatUsbId(id), "0abc:ff01");
    for (const char* bad :
         {"", ":", "1234", "1234:", ":5678", "123:5678", "12345:678", "1234:56789", "g234:5678", "1234-5678",
          " 1234:5678", "1234:5678 ", "-123:5678", "1234:5678:9abc"}) {
        error.clear();
        EXPECT_FALSE(ParseUsbId(bad, id, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(UsbdDeviceMatch, IdsWinOverTheProductString)
{
    const UsbId device{0x1234, 0x5678};
    EXPECT_TRUE(IsCamera({}, device, "Quelix 205KWMX"));
    EXPECT_FALSE(IsCamera({}, device, "205KWM"));
    EXPECT_FALSE(IsCamera({}, device, ""));
    EXPECT_TRUE(IsCamera({{0x1234, 0x5678}}, device, ""));
    EXPECT_FALSE(IsCamera({{0x1234, 0x5679}}, device, "Quelix 205KWMX"));
}

class UsbdConfigFile : public ::testing::Test {
protected:
    std::string Write(const std::string& text)
    {
        std::ofstream(path_) << text;
        return path_;
    }
    void TearDown() override { std::filesystem::remove(path_); }
    const std::string path_ =
        std::filesystem::temp_directory_path() / ("usbd-config-" + std::to_string(getpid()) + ".conf");
};

TEST_F(UsbdConfigFile, ReadsIdLinesAndNamesTheBadLine)
{
    std::vector<UsbId> ids;
    std::string error;
    ASSERT_TRUE(ReadConfigFile(Write("# cameras\n\nid 1234:5678\n  id\t0abc:0def  \r\n"), true, ids, error))
        << error;
    EXPECT_EQ(ids, (std::vector<UsbId>{{0x1234, 0x5678}, {0x0abc, 0x0def}}));

    const struct {
        const char* text;
        const char* says;
    } bad[] = {
        {"id 1234:5678\nvendor 1234\n", ":2: unknown setting 'vendor'"},
        {"id\n", ":1: '' is no USB id"},
        {"id 12:34\n", ":1: '12:34' is no USB id"},
    };
    for (const auto& file : bad) {
        ids.clear();
        EXPECT_FALSE(ReadConfigFile(Write(file.text), true, ids, error));
        EXPECT_NE(error.find(file.says), std::string::npos) << error;
    }
    EXPECT_FALSE(ReadConfigFile(Write(std::string(2000, 'x')), true, ids, error));
    EXPECT_NE(error.find("line too long"), std::string::npos) << error;
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "id 1234:5678\n";
    ids.clear();
    EXPECT_FALSE(ReadConfigFile(Write(many), true, ids, error));

    // The default file may be missing; a file named on the command line may not.
    std::filesystem::remove(path_);
    ids.clear();
    EXPECT_TRUE(ReadConfigFile(path_, false, ids, error));
    EXPECT_TRUE(ids.empty());
    EXPECT_FALSE(ReadConfigFile(path_, true, ids, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
}

TEST(UsbdDeviceNumbers, LowestFreeNumberAndTheOldNumberBackWhileFree)
{
    DeviceNumbers numbers;
    EXPECT_EQ(numbers.Take("a"), 0);
    EXPECT_EQ(numbers.Take("b"), 1);
    EXPECT_EQ(numbers.Take("c"), 2);
    numbers.Give(1);
    numbers.Give(0);
    // b comes back first: its number is free, so it gets it, not the lowest.
    EXPECT_EQ(numbers.Take("b"), 1);
    // A new camera takes the lowest free number, which a's return then finds taken.
    EXPECT_EQ(numbers.Take("d"), 0);
    EXPECT_EQ(numbers.Take("a"), 3);
    for (int expected = 4; expected <= kHighestDeviceNumber; ++expected)
        EXPECT_EQ(numbers.Take("e" + std::to_string(expected)), expected);
    EXPECT_EQ(numbers.Take("overflow"), -1);
    numbers.Give(5);
    EXPECT_EQ(numbers.Take("overflow"), 5);
}

TEST(UsbdCommandLine, OptionsAndClearErrors)
{
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--id", "1234:5678", "--id", "abcd:ef01", "--dir", "/tmp/x", "--group",
                                  "video", "--config", "/etc/x.conf"},
                                 line, error))
        << error;
    EXPECT_EQ(line.mode, CommandLine::Mode::Serve);
    EXPECT_EQ(line.ids, (std::vector<UsbId>{{0x1234, 0x5678}, {0xabcd, 0xef01}}));
    EXPECT_EQ(line.directory, "/tmp/x");
    EXPECT_EQ(line.group, "video");
    EXPECT_EQ(line.configPath, "/etc/x.conf");

    line = {};
    ASSERT_TRUE(ParseCommandLine({"--list"}, line, error));
    EXPECT_EQ(line.mode, CommandLine::Mode::List);
    line = {};
    ASSERT_TRUE(ParseCommandLine({"--dir", "x", "--help"}, line, error));
    EXPECT_EQ(line.mode, CommandLine::Mode::Help);

    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } bad[] = {
        {{"--bogus"}, "unknown argument '--bogus'"},
        {{"list"}, "unknown argument 'list'"},
        {{"--id"}, "--id needs a value"},
        {{"--dir", ""}, "--dir needs a value"},
        {{"--id", "1234"}, "'1234' is no USB id"},
        {{"--config", "a", "--config", "b"}, "--config given twice"},
    };
    for (const auto& arguments : bad) {
        line = {};
        error.clear();
        EXPECT_FALSE(ParseCommandLine(arguments.arguments, line, error));
        EXPECT_NE(error.find(arguments.says), std::string::npos) << error;
    }
}

TEST(UsbdCommandLine, DefaultDirectoryFollowsTheLibrary)
{
    const char* saved = std::getenv("QUELIX_DEVICE_DIR");
    const std::string keep = saved != nullptr ? saved : "";
    setenv("QUELIX_DEVICE_DIR", "/tmp/chosen", 1);
    EXPECT_EQ(DefaultDirectory(), "/tmp/chosen");
    unsetenv("QUELIX_DEVICE_DIR");
    if (geteuid() == 0)
        EXPECT_EQ(DefaultDirectory(), kSystemDeviceDirectory);
    else
        EXPECT_TRUE(DefaultDirectory().ends_with("/quelix"));
    if (saved != nullptr)
        setenv("QUELIX_DEVICE_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace quelix::usbd
