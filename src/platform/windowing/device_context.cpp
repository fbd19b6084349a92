// SPDX-License-Identifier: MIT
#include "platform/windowing/device_context.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/windowing/display_window.h"
#include "platform/windowing/opaque_handles.h"
#include "platform/windowing/surface.h"

namespace quelix::platform {

namespace {

// A memory context owns its bitmap; a window context names its window.
struct DeviceContext {
    std::shared_ptr<Surface> bitmap;
    Hwnd window = nullptr;
};

using DeviceContextTable = OpaqueHandleTable<DeviceContext>;

DeviceContextTable& Table()
{
    static DeviceContextTable table(0x20000);
    return table;
}

Hdc AddContext(std::shared_ptr<DeviceContext> context)
{
    return reinterpret_cast<Hdc>(Table().Add(std::move(context)));
}

std::shared_ptr<DeviceContext> FindContext(Hdc dc)
{
    return Table().Find(reinterpret_cast<uintptr_t>(dc));
}

// Removes a context if `matches` accepts it.
template <class Predicate>
bool RemoveContext(Hdc dc, Predicate matches)
{
    std::shared_ptr<DeviceContext> removed;
    DeviceContextTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(reinterpret_cast<uintptr_t>(dc));
    if (found == table.objects.end() || !matches(*found->second))
        return false;
    removed = std::move(found->second);
    table.objects.erase(found);
    return true;
}

std::shared_ptr<Surface> ColorTableOwner(Hdc dc)
{
    const std::shared_ptr<DeviceContext> context = FindContext(dc);
    if (context == nullptr || context->bitmap == nullptr || context->bitmap->bitCount != 8)
        return nullptr;
    return context->bitmap;
}

}  // namespace

Hdc CreateBitmapDC(const BitmapInfoHeader& header, const RgbQuad* colors, uint8_t** bits)
{
    if (bits == nullptr || header.biPlanes != 1 || header.biCompression != 0)
        return nullptr;
    std::shared_ptr<Surface> bitmap = CreateSurface(header.biWidth, header.biHeight, header.biBitCount);
    if (bitmap == nullptr)
        return nullptr;
    if (header.biBitCount == 8 && colors != nullptr)
        std::copy(colors, colors + kColorTableSize, bitmap->colors.begin());
    uint8_t* const pixels = bitmap->pixels.get();
    const Hdc dc = AddContext(std::make_shared<DeviceContext>(DeviceContext{std::move(bitmap), nullptr}));
    *bits = pixels;
    return dc;
}

bool DeleteDC(Hdc dc)
{
    return RemoveContext(dc, [](const DeviceContext& context) { return context.bitmap != nullptr; });
}

Hdc GetDC(Hwnd window)
{
    const std::shared_ptr<Window> target = FindWindow(window);
    if (target == nullptr || (target->kind != WindowKind::TopLevel && target->kind != WindowKind::Child))
        return nullptr;
    return AddContext(std::make_shared<DeviceContext>(DeviceContext{nullptr, window}));
}

bool ReleaseDC(Hwnd window, Hdc dc)
{
    return RemoveContext(dc, [window](const DeviceContext& context) {
        return context.bitmap == nullptr && context.window == window;
    });
}

int SetDIBColorTable(Hdc dc, int start, int count, const RgbQuad* colors)
{
    const std::shared_ptr<Surface> bitmap = ColorTableOwner(dc);
    if (bitmap == nullptr || colors == nullptr || start < 0 || start >= kColorTableSize || count <= 0)
        return 0;
    const int entries = std::min(count, kColorTableSize - start);
    std::copy(colors, colors + entries, bitmap->colors.begin() + start);
    return entries;
}

int GetDIBColorTable(Hdc dc, int start, int count, RgbQuad* colors)
{
    const std::shared_ptr<Surface> bitmap = ColorTableOwner(dc);
    if (bitmap == nullptr || colors == nullptr || start < 0 || start >= kColorTableSize || count <= 0)
        return 0;
    const int entries = std::min(count, kColorTableSize - start);
    std::copy(bitmap->colors.begin() + start, bitmap->colors.begin() + start + entries, colors);
    return entries;
}

bool BitBlt(Hdc dst, int32_t x, int32_t y, int32_t w, int32_t h, Hdc src, int32_t sx, int32_t sy)
{
    return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h);
}

bool StretchBlt(Hdc dst, int32_t x, int32_t y, int32_t w, int32_t h, Hdc src, int32_t sx, int32_t sy,
                int32_t sw, int32_t sh)
{
    if (w < 0 || h < 0 || sw != w || (sh != h && sh != -h))
        return false;
    const std::shared_ptr<DeviceContext> target = FindContext(dst);
    const std::shared_ptr<DeviceContext> source = FindContext(src);
    if (target == nullptr || source == nullptr || source->bitmap == nullptr)
        return false;
    const bool flip = sh < 0;
    if (target->bitmap == nullptr)
        return BlitToWindow(target->window, x, y, w, h, *source->bitmap, sx, sy, flip);
    return BlitSurface(*target->bitmap, x, y, w, h, *source->bitmap, sx, sy, flip);
}

}  // namespace quelix::platform
