// SPDX-License-Identifier: MIT
// The Windows platform services on their own, under Wine: text in the
// system code page, the real registry, staged files, bounded reads, named
// shared memory and the machine-wide claim. Exits 0 when every check holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/driver/device_claim.h"
#include "platform/os/input_file.h"
#include "platform/os/pixel_pages.h"
#include "platform/os/staged_file.h"
#include "platform/registry/registry.h"
#include "platform/shared_memory/shared_memory.h"
#include "platform/text/text.h"

namespace {

using namespace quelix::platform;

int failures = 0;

void Check(bool condition, const char* what, int line)
{
    if (!condition) {
        std::fprintf(stderr, "FAIL line %d: %s\n", line, what);
        ++failures;
    }
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

std::string ReadWhole(const std::string& path)
{
    std::vector<uint8_t> bytes;
    bool longer = false;
    if (!ReadFileUpTo(path, 1 << 20, bytes, longer))
        return "<unreadable>";
    return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TextRoundTripsAndRefusesUnpairedSurrogates()
{
    std::u16string wide;
    std::string narrow;
    CHECK(Utf8ToUtf16("C:\\frames\\a.png", wide) && wide == u"C:\\frames\\a.png");
    CHECK(Utf16ToUtf8(wide, narrow) && narrow == "C:\\frames\\a.png");
    CHECK(Utf8ToUtf16("", wide) && wide.empty());
    const char16_t lone[] = {u'a', 0xD800, u'b'};
    CHECK(!Utf16ToUtf8(std::u16string_view(lone, 3), narrow));
    const char16_t lowFirst[] = {0xDC00, 0xD800};
    CHECK(!Utf16ToUtf8(std::u16string_view(lowFirst, 2), narrow));
    // A character the code page cannot hold fails instead of becoming '?'.
    if (GetACP() != CP_UTF8)
        CHECK(!Utf16ToUtf8(u"\u65E5", narrow));
    const wchar_t terminated[] = L"ab";
    CHECK(WideView(terminated) == u"ab");
    CHECK(WideView(nullptr).empty());
}

void RegistryKeepsDwordsUnderTheCurrentUser()
{
    const auto key = RegistryKey::Create("Software\\Korvex\\QuelixPlatformTest\\Camera_00");
    CHECK(key.has_value());
    if (!key)
        return;
    CHECK(key->WriteDwords({{"Color", 2}, {"Wait", 0xFFFFFFFFu}}));
    CHECK(key->ReadDword("Color") == 2u);
    CHECK(key->ReadDword("Wait") == 0xFFFFFFFFu);
    CHECK(!key->ReadDword("Missing").has_value());
    CHECK(RegistryKey::Open("Software\\Korvex\\QuelixPlatformTest").has_value());
    CHECK(!RegistryKey::Open("Software\\Korvex\\QuelixPlatformTest\\Nothing").has_value());
    const auto sub = RegistryKey::Open("Software\\Korvex")->OpenSubKey("QuelixPlatformTest\\Camera_00");
    CHECK(sub.has_value() && sub->ReadDword("Color") == 2u);
    // A value of another type is no DWORD.
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Korvex\\QuelixPlatformTest\\Camera_00", 0, KEY_SET_VALUE,
                      &raw) == ERROR_SUCCESS) {
        RegSetValueExW(raw, L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
        RegCloseKey(raw);
    }
    CHECK(!key->ReadDword("Text").has_value());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Korvex\\QuelixPlatformTest");
}

void StagedFilesReplaceOnlyWhenWhole(const std::string& directory)
{
    const std::string target = directory + "\\staged.bin";
    DeleteFileA(target.c_str());
    {
        StagedFile file;
        CHECK(file.Open(target));
        CHECK(file.Write("hello world", 11));
        CHECK(file.WriteAt(0, "J", 1));
        CHECK(!file.WriteAt(10, "xy", 2));  // past what was written: the file fails
        CHECK(!file.Commit());
        CHECK(!Exists(target));
    }
    {
        StagedFile file;
        CHECK(file.Open(target));
        CHECK(file.Write("first", 5));
        CHECK(file.Commit());
    }
    CHECK(ReadWhole(target) == "first");
    {
        StagedFile file;
        CHECK(file.Open(target));
        CHECK(file.Write("second, longer", 14));
        CHECK(file.Truncate(6));
        CHECK(!file.Truncate(7));
        CHECK(file.Size() == 6);
        CHECK(ReadWhole(target) == "first");  // the old file stays until the commit
        CHECK(file.Commit());
    }
    CHECK(ReadWhole(target) == "second");
    {
        StagedFile file;
        CHECK(file.Open(target));
        CHECK(file.Write("dropped", 7));
        file.Discard();
    }
    CHECK(ReadWhole(target) == "second");
    StagedFile nowhere;
    CHECK(!nowhere.Open(directory + "\\no such folder\\x.bin"));
    CHECK(!nowhere.Open(""));
    CHECK(!nowhere.Open(directory + "\\"));
    // Nothing but the committed file is left in the folder.
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((directory + "\\*.part").c_str(), &found);
    CHECK(search == INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

void ReadsAreBounded(const std::string& directory)
{
    const std::string path = directory + "\\bounded.bin";
    StagedFile file;
    CHECK(file.Open(path) && file.Write("0123456789", 10) && file.Commit());
    std::vector<uint8_t> bytes;
    bool longer = false;
    CHECK(ReadFileUpTo(path, 4, bytes, longer) && longer && bytes.size() == 4);
    CHECK(ReadFileUpTo(path, 10, bytes, longer) && !longer && bytes.size() == 10);
    CHECK(ReadFileUpTo(path, 0, bytes, longer) && longer && bytes.empty());
    CHECK(!ReadFileUpTo(directory, 100, bytes, longer));  // a folder
    CHECK(!ReadFileUpTo(directory + "\\missing", 100, bytes, longer));
    CHECK(!ReadFileUpTo(std::string("a\0b", 3), 100, bytes, longer));
}

void SharedMemoryIsSeenByName()
{
    bool created = false;
    auto first = SharedMemory::OpenOrCreate("QUELIX_PLATFORM_TEST", 5000, created);
    CHECK(first != nullptr && created);
    if (first == nullptr)
        return;
    first->View()[4999] = 0x5A;
    auto second = SharedMemory::OpenOrCreate("QUELIX_PLATFORM_TEST", 5000, created);
    CHECK(second != nullptr && !created && second->View()[4999] == 0x5A);
    auto existing = SharedMemory::OpenExisting("QUELIX_PLATFORM_TEST");
    CHECK(existing != nullptr && existing->Size() >= 5000);
    CHECK(SharedMemory::OpenExisting("QUELIX_PLATFORM_TEST_NONE") == nullptr);
    CHECK(SharedMemory::OpenOrCreate("QUELIX_PLATFORM_TEST_EMPTY", 0, created) == nullptr);
    CHECK(SharedMemoryObjectName("KORVEX_USBCAMERA") == "KORVEX_USBCAMERA");
}

void ClaimsAreHeldOnceUntilReleased()
{
    DeviceClaim first;
    DeviceClaim second;
    CHECK(first.Take("\\\\.\\Qlix205KWMX-7"));
    CHECK(first.Held());
    CHECK(DeviceClaim::HeldElsewhere("\\\\.\\Qlix205KWMX-7"));
    CHECK(!second.Take("\\\\.\\Qlix205KWMX-7"));
    CHECK(!DeviceClaim::HeldElsewhere("\\\\.\\Qlix205KWMX-6"));
    first.Release();
    CHECK(!DeviceClaim::HeldElsewhere("\\\\.\\Qlix205KWMX-7"));
    CHECK(second.Take("\\\\.\\Qlix205KWMX-7"));
    // A path that names no device claims nothing and succeeds.
    DeviceClaim none;
    CHECK(none.Take("C:\\Qlix205KWMX-7") && !none.Held());
    CHECK(none.Take(nullptr) && !none.Held());
}

void PixelPagesAreZeroedAndGiveBack()
{
    for (const size_t bytes : {size_t{1}, size_t{4095}, size_t{4096}, size_t{320 * 256 * 8 + 3}}) {
        uint8_t* pixels = MapPixelPages(bytes);
        CHECK(pixels != nullptr);
        if (pixels == nullptr)
            continue;
        CHECK(pixels[0] == 0 && pixels[bytes - 1] == 0);
        std::memset(pixels, 0xAB, bytes);
        // The page after the last is a guard: not accessible.
        MEMORY_BASIC_INFORMATION after{};
        const size_t span = (bytes + 4095) / 4096 * 4096;
        CHECK(VirtualQuery(pixels + span, &after, sizeof after) != 0 && after.State != MEM_COMMIT);
        UnmapPixelPages(pixels, bytes);
    }
    CHECK(MapPixelPages(0) == nullptr);
    CHECK(MapPixelPages(SIZE_MAX) == nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: platform_services_test FOLDER\n");
        return 2;
    }
    TextRoundTripsAndRefusesUnpairedSurrogates();
    RegistryKeepsDwordsUnderTheCurrentUser();
    StagedFilesReplaceOnlyWhenWhole(argv[1]);
    ReadsAreBounded(argv[1]);
    SharedMemoryIsSeenByName();
    ClaimsAreHeldOnceUntilReleased();
    PixelPagesAreZeroedAndGiveBack();
    if (failures == 0)
        std::printf("ok\n");
    return failures == 0 ? 0 : 1;
}
