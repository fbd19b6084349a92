// SPDX-License-Identifier: MIT
// The headless screen: display windows live in memory only (their state and
// client surfaces are all there is). The screen is 1920 x 1080 pixels unless
// $QUELIX_SCREEN says otherwise ("WxH").
#include <cstdlib>
#include <string>

#include "platform/windowing/display_backend.h"

namespace quelix::platform {

namespace {

constexpr int32_t kDefaultScreenWidth = 1920;
constexpr int32_t kDefaultScreenHeight = 1080;

bool ParseScreenSize(const char* text, int32_t& width, int32_t& height)
{
    if (text == nullptr)
        return false;
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X'))
        return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0' || w <= 0 || h <= 0 || w > 1'000'000 || h > 1'000'000)
        return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

class HeadlessBackend final : public DisplayBackend {
public:
    bool IsX11() const override { return false; }

    void ScreenSize(int32_t& width, int32_t& height) override
    {
        if (!ParseScreenSize(std::getenv("QUELIX_SCREEN"), width, height)) {
            width = kDefaultScreenWidth;
            height = kDefaultScreenHeight;
        }
    }

    bool IsSameDisplay(void*) override { return false; }
    bool CreateNative(Hwnd, DisplayState&, unsigned long, std::string_view) override { return true; }
    void DestroyNative(DisplayState&) override {}
    void ShowNative(DisplayState&) override {}
    bool Flush() override { return true; }
    bool NativeClientSize(const DisplayState&, int32_t&, int32_t&) override { return false; }
    void Present(DisplayState&, const Rect&) override {}
    bool ReadNative(unsigned long, uint8_t*, int32_t, int32_t) override { return false; }
    bool QueryForeign(unsigned long, int32_t&, int32_t&, bool&) override { return false; }
};

}  // namespace

std::unique_ptr<DisplayBackend> MakeHeadlessBackend()
{
    return std::make_unique<HeadlessBackend>();
}

}  // namespace quelix::platform
