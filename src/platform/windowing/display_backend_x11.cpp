// SPDX-License-Identifier: MIT
// The X11 screen: display windows are windows of the X server named by
// $DISPLAY, on a connection of the library's own that is used only with
// DisplayLock() held. A thread of the backend reads the connection's events
// and turns the window manager's close requests into QUELIX_WM_CLOSE.
#ifdef QUELIX_HAVE_X11

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/windowing/display_backend.h"

// After the library's own headers: Xlib defines macros (None, Status, ...).
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quelix::platform {

namespace {

// X11 coordinates and sizes travel as 16-bit values.
constexpr int32_t kMaxCoordinate = 32767;

// Errors of the library's own connection are noted for the request that
// caused them (the connection is used only under DisplayLock(), so is
// gLastError); errors of other connections go to the handler installed
// before.
std::atomic<Display*> gOwnDisplay{nullptr};
std::atomic<XErrorHandler> gPreviousHandler{nullptr};
int gLastError = 0;

int OnXError(Display* display, XErrorEvent* event)
{
    if (display == gOwnDisplay.load()) {
        gLastError = event->error_code;
        return 0;
    }
    const XErrorHandler previous = gPreviousHandler.load();
    return previous != nullptr ? previous(display, event) : 0;
}

// One colour channel of a true-colour pixel value.
struct Channel {
    explicit Channel(unsigned long mask) : shift(std::countr_zero(mask)), bits(std::popcount(mask)) {}

    unsigned long Encode(uint8_t value) const
    {
        const unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8)
                                               : static_cast<unsigned long>(value) >> (8 - bits);
        return scaled << shift;
    }

    uint8_t Decode(unsigned long pixel) const
    {
        const unsigned long value = (pixel >> shift) & ((1ul << bits) - 1);
        return static_cast<uint8_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
    }

    int shift;
    int bits;
};

// "host:display.screen" without the screen, so that ":1" and ":1.0" match.
std::string DisplayWithoutScreen(const char* name)
{
    std::string text = name != nullptr ? name : "";
    const size_t colon = text.rfind(':');
    const size_t dot = text.find('.', colon == std::string::npos ? 0 : colon);
    if (dot != std::string::npos)
        text.erase(dot);
    return text;
}

class X11Backend final : public DisplayBackend {
public:
    X11Backend(Display* display, Visual* visual, int depth)
        : display_(display),
          screen_(DefaultScreen(display)),
          visual_(visual),
          depth_(depth),
          connection_(ConnectionNumber(display)),
          wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
          red_(visual->red_mask),
          green_(visual->green_mask),
          blue_(visual->blue_mask)
    {
        gc_ = XCreateGC(display_, RootWindow(display_, screen_), 0, nullptr);
        wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
        wmDeleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        gOwnDisplay = display_;
        gPreviousHandler = XSetErrorHandler(OnXError);
        events_ = std::thread([this] { ReadEvents(); });
    }

    ~X11Backend() override
    {
        stopping_ = true;
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t wrote = write(wakeFd_, &one, sizeof one);
        events_.join();
        close(wakeFd_);
        XFreeGC(display_, gc_);
        XCloseDisplay(display_);
        gOwnDisplay = nullptr;
    }

    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    bool IsX11() const override { return true; }

    void ScreenSize(int32_t& width, int32_t& height) override
    {
        width = DisplayWidth(display_, screen_);
        height = DisplayHeight(display_, screen_);
    }

    bool IsSameDisplay(void* display) override
    {
        return DisplayWithoutScreen(DisplayString(static_cast<Display*>(display))) ==
               DisplayWithoutScreen(DisplayString(display_));
    }

    bool CreateNative(Hwnd handle, DisplayState& window, unsigned long parentNative,
                      std::string_view className) override
    {
        const bool topLevel = parentNative == 0;
        XSetWindowAttributes attributes{};
        attributes.background_pixel = BlackPixel(display_, screen_);
        attributes.border_pixel = 0;
        gLastError = 0;
        const ::Window native = XCreateWindow(
            display_, topLevel ? RootWindow(display_, screen_) : parentNative, Coordinate(window.x),
            Coordinate(window.y), Extent(window.width), Extent(window.height), 0, depth_, InputOutput,
            visual_, CWBackPixel | CWBorderPixel, &attributes);
        XStoreName(display_, native, window.caption.c_str());
        if (topLevel) {
            XSetWMProtocols(display_, native, &wmDeleteWindow_, 1);
            XSizeHints hints{};
            hints.flags = USPosition | USSize;
            hints.x = Coordinate(window.x);
            hints.y = Coordinate(window.y);
            hints.width = static_cast<int>(Extent(window.width));
            hints.height = static_cast<int>(Extent(window.height));
            XSetWMNormalHints(display_, native, &hints);
            std::string name = "quelix";
            std::string windowClass = className.empty() ? std::string("Quelix") : std::string(className);
            XClassHint classHint{name.data(), windowClass.data()};
            XSetClassHint(display_, native, &classHint);
        }
        if (window.visible)
            XMapWindow(display_, native);
        XSync(display_, False);
        if (gLastError != 0) {
            XDestroyWindow(display_, native);
            XSync(display_, False);
            return false;
        }
        window.native = native;
        if (topLevel)
            topLevels_[native] = handle;
        return true;
    }

    void DestroyNative(DisplayState& window) override
    {
        if (window.native == 0)
            return;
        topLevels_.erase(window.native);
        XDestroyWindow(display_, window.native);
        XSync(display_, False);
        window.native = 0;
    }

    void ShowNative(DisplayState& window) override
    {
        if (window.native == 0)
            return;
        if (window.visible)
            XMapWindow(display_, window.native);
        else
            XUnmapWindow(display_, window.native);
        XSync(display_, False);
    }

    bool Flush() override
    {
        XSync(display_, False);
        return true;
    }

    bool NativeClientSize(const DisplayState& window, int32_t& width, int32_t& height) override
    {
        ::Window root = 0;
        int x = 0;
        int y = 0;
        unsigned int w = 0;
        unsigned int h = 0;
        unsigned int border = 0;
        unsigned int depth = 0;
        if (window.native == 0 ||
            XGetGeometry(display_, window.native, &root, &x, &y, &w, &h, &border, &depth) == 0)
            return false;
        width = static_cast<int32_t>(w);
        height = static_cast<int32_t>(h);
        return true;
    }

    void Present(DisplayState& window, const Rect& area) override
    {
        if (window.native == 0 || window.client == nullptr)
            return;
        const int width = area.right - area.left;
        const int height = area.bottom - area.top;
        XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (image == nullptr)
            return;
        // XDestroyImage frees the pixel memory with free().
        image->data = static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * height));
        if (image->data == nullptr) {
            XDestroyImage(image);
            return;
        }
        const bool packed32 = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
        // The usual true-colour layout, 0x00RRGGBB, takes the short way.
        const bool xrgb = packed32 && blue_.shift == 0 && green_.shift == 8 && red_.shift == 16 &&
                          blue_.bits == 8 && green_.bits == 8 && red_.bits == 8;
        for (int y = 0; y < height; ++y) {
            const uint8_t* from = window.client->Row(area.top + y) + static_cast<size_t>(area.left) * 3;
            auto* to =
                reinterpret_cast<uint8_t*>(image->data) + static_cast<size_t>(y) * image->bytes_per_line;
            for (int x = 0; x < width; ++x, from += 3) {
                const auto pixel = xrgb
                                       ? static_cast<uint32_t>(from[0] | from[1] << 8 | from[2] << 16)
                                       : static_cast<uint32_t>(blue_.Encode(from[0]) |
                                                               green_.Encode(from[1]) | red_.Encode(from[2]));
                if (packed32)
                    std::memcpy(to + static_cast<size_t>(x) * 4, &pixel, 4);
                else
                    XPutPixel(image, x, y, pixel);
            }
        }
        XPutImage(display_, window.native, gc_, image, 0, 0, area.left, area.top,
                  static_cast<unsigned>(width), static_cast<unsigned>(height));
        XDestroyImage(image);
        XFlush(display_);
    }

    bool ReadNative(unsigned long native, uint8_t* bgr, int32_t width, int32_t height) override
    {
        XImage* image = XGetImage(display_, native, 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return false;
        const bool packed32 = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
        for (int y = 0; y < height; ++y) {
            const auto* from = reinterpret_cast<const uint8_t*>(image->data) +
                               static_cast<size_t>(y) * image->bytes_per_line;
            uint8_t* to = bgr + static_cast<size_t>(y) * width * 3;
            for (int x = 0; x < width; ++x, to += 3) {
                unsigned long pixel = 0;
                if (packed32) {
                    uint32_t value = 0;
                    std::memcpy(&value, from + static_cast<size_t>(x) * 4, 4);
                    pixel = value;
                } else {
                    pixel = XGetPixel(image, x, y);
                }
                to[0] = blue_.Decode(pixel);
                to[1] = green_.Decode(pixel);
                to[2] = red_.Decode(pixel);
            }
        }
        XDestroyImage(image);
        return true;
    }

    bool QueryForeign(unsigned long native, int32_t& width, int32_t& height, bool& viewable) override
    {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, native, &attributes) == 0)
            return false;
        width = attributes.width;
        height = attributes.height;
        viewable = attributes.map_state == IsViewable;
        return true;
    }

private:
    static int Coordinate(int32_t value) { return std::clamp(value, -kMaxCoordinate, kMaxCoordinate); }
    // X11 windows are at least 1 x 1; the state keeps an empty client area.
    static unsigned Extent(int32_t value)
    {
        return static_cast<unsigned>(std::clamp(value, 1, kMaxCoordinate));
    }

    void ReadEvents()
    {
        pollfd watched[2] = {{connection_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        while (!stopping_) {
            std::vector<Hwnd> closing;
            {
                std::lock_guard lock(DisplayLock());
                while (XPending(display_) > 0) {
                    XEvent event;
                    XNextEvent(display_, &event);
                    if (event.type == ClientMessage && event.xclient.message_type == wmProtocols_ &&
                        static_cast<Atom>(event.xclient.data.l[0]) == wmDeleteWindow_) {
                        const auto found = topLevels_.find(event.xclient.window);
                        if (found != topLevels_.end())
                            closing.push_back(found->second);
                    }
                }
            }
            for (Hwnd window : closing)
                DeliverCloseRequest(window);
            // Other calls on the connection may read events into Xlib's
            // queue without the socket becoming readable again, so the
            // queue is looked at every 100 ms as well.
            poll(watched, 2, 100);
        }
    }

    Display* const display_;
    const int screen_;
    Visual* const visual_;
    const int depth_;
    const int connection_;
    const int wakeFd_;
    const Channel red_;
    const Channel green_;
    const Channel blue_;
    GC gc_ = nullptr;
    Atom wmProtocols_ = 0;
    Atom wmDeleteWindow_ = 0;
    std::unordered_map<unsigned long, Hwnd> topLevels_;  // guarded by DisplayLock()
    std::atomic<bool> stopping_{false};
    std::thread events_;
};

}  // namespace

std::unique_ptr<DisplayBackend> OpenX11Backend()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if (visual->c_class != TrueColor || depth < 15) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<X11Backend>(display, visual, depth);
}

}  // namespace quelix::platform

#endif  // QUELIX_HAVE_X11
