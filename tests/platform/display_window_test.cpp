// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/windowing/device_context.h"
#include "platform/windowing/window_class.h"
#include "window_test_support.h"

#ifdef QUELIX_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace quelix::platform {
namespace {

using test::Bgr;
using test::ClientPixels;
using test::PixelAt;

intptr_t CountingProc(Hwnd, uint32_t, uintptr_t, intptr_t)
{
    return 7;
}

// A 24-bit memory bitmap filled with one colour.
Hdc SolidBitmap(int32_t width, int32_t height, Bgr colour)
{
    BitmapInfoHeader header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    uint8_t* bits = nullptr;
    const Hdc dc = CreateBitmapDC(header, nullptr, &bits);
    const int32_t stride = DibStride(width, 24);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            bits[y * stride + x * 3] = colour.blue;
            bits[y * stride + x * 3 + 1] = colour.green;
            bits[y * stride + x * 3 + 2] = colour.red;
        }
    }
    return dc;
}

TEST(DisplayWindow, ApplicationWindowIsCentredVisibleAndBlack)
{
    EXPECT_EQ(QuelixPlatform_CreateWindow("none", 0, 10), nullptr);
    EXPECT_EQ(QuelixPlatform_CreateWindow("none", 10, -1), nullptr);
    QUELIX_HWND window = QuelixPlatform_CreateWindow("Quelix test", 120, 90);
    ASSERT_NE(window, nullptr);
    int width = 0;
    int height = 0;
    ASSERT_EQ(QuelixPlatform_GetClientSize(window, &width, &height), 1);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 90);
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    GetScreenSize(screenWidth, screenHeight);
    const std::optional<WindowInfo> info = GetWindowInfo(window);
    EXPECT_EQ(info->x, (screenWidth - 120) / 2);
    EXPECT_EQ(info->y, (screenHeight - 90) / 2);
    EXPECT_EQ(info->caption, "Quelix test");
    EXPECT_EQ(QuelixPlatform_IsWindowVisible(window), 1);

    const std::vector<uint8_t> pixels = ClientPixels(window, width, height);
    ASSERT_EQ(pixels.size(), 120u * 90 * 3);
    EXPECT_EQ(PixelAt(pixels, width, 60, 45), (Bgr{0, 0, 0}));
    uint8_t small[10];
    EXPECT_EQ(QuelixPlatform_ReadClientPixels(window, small, sizeof small), 0) << "buffer too small";
    EXPECT_EQ(QuelixPlatform_ReadClientPixels(window, nullptr, 1 << 20), 0);
    EXPECT_EQ(QuelixPlatform_GetClientSize(window, nullptr, &height), 0);
    QuelixPlatform_DestroyWindow(window);
    EXPECT_EQ(QuelixPlatform_GetClientSize(window, &width, &height), 0);
}

TEST(DisplayWindow, VisibilityFollowsTheWindowAndItsParents)
{
    QUELIX_HWND parent = QuelixPlatform_CreateWindow("parent", 100, 100);
    DisplayWindowParams params;
    params.parent = parent;
    params.x = 5;
    params.y = 5;
    params.width = 20;
    params.height = 20;
    const Hwnd child = CreateDisplayWindow(params);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(QuelixPlatform_ShowWindow(parent, 0), 1);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_EQ(QuelixPlatform_IsWindowVisible(parent), 0);
    std::vector<uint8_t> pixels(100 * 100 * 3);
    EXPECT_EQ(QuelixPlatform_ReadClientPixels(parent, pixels.data(), static_cast<int>(pixels.size())), 0)
        << "a hidden window has nothing on the screen";
    EXPECT_EQ(QuelixPlatform_ShowWindow(parent, 1), 1);
    EXPECT_TRUE(IsWindowVisible(child));

    const Hwnd message = CreateMessageWindow();
    EXPECT_FALSE(IsWindowVisible(message));
    EXPECT_FALSE(ShowWindow(message, true));
    EXPECT_EQ(GetDC(message), nullptr);
    EXPECT_EQ(QuelixPlatform_ShowWindow(nullptr, 1), 0);
    DestroyWindow(message);
    QuelixPlatform_DestroyWindow(parent);
}

TEST(DisplayWindow, ParentPixelsIncludeVisibleChildrenAndDestroyTakesThemAlong)
{
    QUELIX_HWND parent = QuelixPlatform_CreateWindow("parent", 60, 40);
    DisplayWindowParams params;
    params.parent = parent;
    params.x = 50;
    params.y = 10;
    params.width = 20;  // sticks out on the right: clipped by the parent
    params.height = 5;
    const Hwnd child = CreateDisplayWindow(params);
    ASSERT_NE(child, nullptr);
    params.x = 0;
    params.y = 30;
    params.width = 4;
    params.height = 4;
    params.visible = false;
    const Hwnd hidden = CreateDisplayWindow(params);
    ASSERT_NE(hidden, nullptr);

    const Hdc red = SolidBitmap(20, 5, {0, 0, 250});
    const Hdc blue = SolidBitmap(4, 4, {240, 0, 0});
    const Hdc childDc = GetDC(child);
    const Hdc hiddenDc = GetDC(hidden);
    ASSERT_TRUE(BitBlt(childDc, 0, 0, 20, 5, red, 0, 0));
    ASSERT_TRUE(BitBlt(hiddenDc, 0, 0, 4, 4, blue, 0, 0));

    int width = 0;
    int height = 0;
    const std::vector<uint8_t> pixels = ClientPixels(parent, width, height);
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(PixelAt(pixels, width, 50, 10), (Bgr{0, 0, 250}));
    EXPECT_EQ(PixelAt(pixels, width, 59, 14), (Bgr{0, 0, 250}));
    EXPECT_EQ(PixelAt(pixels, width, 49, 10), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(pixels, width, 50, 15), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(pixels, width, 1, 31), (Bgr{0, 0, 0})) << "hidden child not shown";

    ASSERT_EQ(QuelixPlatform_DestroyWindow(parent), 1);
    EXPECT_FALSE(GetWindowInfo(child).has_value());
    EXPECT_FALSE(GetWindowInfo(hidden).has_value());
    EXPECT_FALSE(BitBlt(childDc, 0, 0, 20, 5, red, 0, 0)) << "the window is gone";
    EXPECT_TRUE(ReleaseDC(child, childDc));
    EXPECT_TRUE(ReleaseDC(hidden, hiddenDc));
    DeleteDC(red);
    DeleteDC(blue);
}

TEST(DisplayWindow, ClassesMustBeRegisteredAndOutliveTheirWindows)
{
    EXPECT_FALSE(RegisterWindowClass("", CountingProc));
    EXPECT_FALSE(RegisterWindowClass("QuelixTestClass", nullptr));
    ASSERT_TRUE(RegisterWindowClass("QuelixTestClass", CountingProc));
    EXPECT_FALSE(RegisterWindowClass("QuelixTestClass", CountingProc)) << "already registered";

    DisplayWindowParams params;
    params.className = "QuelixNoSuchClass";
    params.width = 10;
    params.height = 10;
    EXPECT_EQ(CreateDisplayWindow(params), nullptr);
    params.className = "QuelixTestClass";
    const Hwnd window = CreateDisplayWindow(params);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindowInfo(window)->className, "QuelixTestClass");
    EXPECT_FALSE(UnregisterWindowClass("QuelixTestClass")) << "a window still uses it";
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterWindowClass("QuelixTestClass"));
    EXPECT_FALSE(UnregisterWindowClass("QuelixTestClass"));
}

TEST(DisplayWindow, CloseRequestReachesTheApplicationsQueue)
{
    QUELIX_HWND window = QuelixPlatform_CreateWindow("closing", 30, 30);
    DeliverCloseRequest(window);
    QUELIX_MSG msg{};
    ASSERT_EQ(QuelixPlatform_GetMessage(window, &msg, 1000), 1);
    EXPECT_EQ(msg.message, QUELIX_WM_CLOSE);
    EXPECT_EQ(QuelixPlatform_IsWindowVisible(window), 1) << "the application decides";
    QuelixPlatform_DestroyWindow(window);
}

TEST(DisplayWindow, HeadlessScreenSizeComesFromTheEnvironment)
{
    if (DisplayIsX11())
        GTEST_SKIP() << "the X11 display has its own size";
    int32_t width = 0;
    int32_t height = 0;
    unsetenv("QUELIX_SCREEN");
    GetScreenSize(width, height);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1080);
    setenv("QUELIX_SCREEN", "640x480", 1);
    GetScreenSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    for (const char* bad : {"640", "x480", "640x", "640x480x", "-5x10", "0x0", "axb"}) {
        setenv("QUELIX_SCREEN", bad, 1);
        GetScreenSize(width, height);
        EXPECT_EQ(width, 1920) << bad;
    }
    unsetenv("QUELIX_SCREEN");
    int dummy = 0;
    EXPECT_EQ(QuelixPlatform_WrapX11Window(&dummy, 42), nullptr) << "no X11 display";
}

#ifdef QUELIX_HAVE_X11

// The test's own connection to the X server, like an application's.
class X11Client {
public:
    X11Client() : display_(XOpenDisplay(nullptr)) {}
    ~X11Client()
    {
        if (display_ != nullptr)
            XCloseDisplay(display_);
    }
    Display* display() const { return display_; }

private:
    Display* display_;
};

template <class Condition>
bool WaitFor(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(DisplayWindowX11, WindowsAreRealX11Windows)
{
    if (!DisplayIsX11())
        GTEST_SKIP() << "headless";
    X11Client client;
    ASSERT_NE(client.display(), nullptr);
    QUELIX_HWND parent = QuelixPlatform_CreateWindow("parent", 200, 150);
    DisplayWindowParams params;
    params.parent = parent;
    params.x = 10;
    params.y = 20;
    params.width = 100;
    params.height = 50;
    const Hwnd child = CreateDisplayWindow(params);
    ASSERT_NE(child, nullptr);
    const unsigned long native = GetWindowInfo(child)->native;
    ASSERT_NE(native, 0u);

    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(client.display(), native, &attributes), 0);
    EXPECT_EQ(attributes.x, 10);
    EXPECT_EQ(attributes.y, 20);
    EXPECT_EQ(attributes.width, 100);
    EXPECT_EQ(attributes.height, 50);
    EXPECT_EQ(attributes.map_state, IsViewable);

    // The window manager's close request, as a window manager sends it.
    const unsigned long parentNative = GetWindowInfo(parent)->native;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = parentNative;
    event.xclient.message_type = XInternAtom(client.display(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(client.display(), "WM_DELETE_WINDOW", False));
    XSendEvent(client.display(), parentNative, False, NoEventMask, &event);
    XFlush(client.display());
    QUELIX_MSG msg{};
    ASSERT_EQ(QuelixPlatform_GetMessage(parent, &msg, 5000), 1);
    EXPECT_EQ(msg.message, QUELIX_WM_CLOSE);

    ASSERT_EQ(QuelixPlatform_DestroyWindow(parent), 1);
    XSync(client.display(), False);
    ::Window root = 0;
    ::Window above = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    ASSERT_NE(
        XQueryTree(client.display(), DefaultRootWindow(client.display()), &root, &above, &children, &count),
        0);
    for (unsigned i = 0; i < count; ++i)
        EXPECT_NE(children[i], parentNative) << "the X window went with the handle";
    XFree(children);
}

TEST(DisplayWindowX11, ForeignWindowsServeAsParents)
{
    if (!DisplayIsX11())
        GTEST_SKIP() << "headless";
    X11Client client;
    Display* display = client.display();
    ASSERT_NE(display, nullptr);
    const ::Window foreign = XCreateSimpleWindow(display, DefaultRootWindow(display), 300, 200, 160, 120, 0,
                                                 0, WhitePixel(display, DefaultScreen(display)));
    XMapWindow(display, foreign);
    XSync(display, False);

    EXPECT_EQ(QuelixPlatform_WrapX11Window(nullptr, foreign), nullptr);
    EXPECT_EQ(QuelixPlatform_WrapX11Window(display, 0x7FFFFFF0ul), nullptr) << "no such window";
    QUELIX_HWND wrapped = QuelixPlatform_WrapX11Window(display, foreign);
    ASSERT_NE(wrapped, nullptr);
    int width = 0;
    int height = 0;
    ASSERT_EQ(QuelixPlatform_GetClientSize(wrapped, &width, &height), 1);
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 120);
    EXPECT_EQ(QuelixPlatform_IsWindowVisible(wrapped), 1);
    EXPECT_EQ(QuelixPlatform_ShowWindow(wrapped, 0), 0) << "not the library's to hide";

    DisplayWindowParams params;
    params.parent = wrapped;
    params.x = 8;
    params.y = 6;
    params.width = 30;
    params.height = 20;
    const Hwnd child = CreateDisplayWindow(params);
    ASSERT_NE(child, nullptr);
    const Hdc green = SolidBitmap(30, 20, {0, 200, 0});
    const Hdc dc = GetDC(child);
    ASSERT_TRUE(BitBlt(dc, 0, 0, 30, 20, green, 0, 0));
    const std::vector<uint8_t> pixels = ClientPixels(wrapped, width, height);
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(PixelAt(pixels, width, 8, 6), (Bgr{0, 200, 0}));
    EXPECT_EQ(PixelAt(pixels, width, 37, 25), (Bgr{0, 200, 0}));
    EXPECT_EQ(PixelAt(pixels, width, 38, 25), (Bgr{255, 255, 255}));

    ASSERT_EQ(QuelixPlatform_DestroyWindow(wrapped), 1);
    EXPECT_FALSE(GetWindowInfo(child).has_value()) << "the library's window inside went with it";
    XWindowAttributes attributes{};
    EXPECT_NE(XGetWindowAttributes(display, foreign, &attributes), 0) << "the application's window stays";
    ReleaseDC(child, dc);
    DeleteDC(green);
    XDestroyWindow(display, foreign);
}

#endif  // QUELIX_HAVE_X11

}  // namespace
}  // namespace quelix::platform
