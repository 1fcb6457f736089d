// Tests of the SDL2 desktop backend as a whole: selection with and without a display,
// the window following the window properties, full screen and back, SDL events pumped
// into the queue by bps_get_event, and on a private Xvfb of 1920 x 1080 the native
// handles EGL needs, the X window's real geometry in both modes and a real click mapped
// back into the buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "platform_fixture.h"
#include "tests/support/xvfb.h"

namespace {

using namespace ovdev;

// The one SDL window the backend made, found without reaching into the backend.
SDL_Window *TheSdlWindow() {
    for (Uint32 id = 1; id < 64; ++id) {
        if (SDL_Window *w = SDL_GetWindowFromID(id)) return w;
    }
    return nullptr;
}

class DesktopBackendTest : public ::testing::Test {
protected:
    // Starts the desktop backend on the given SDL video driver and opens the services
    // the way the program does.
    void Start(const char *driver) {
        ASSERT_EQ(setenv("SDL_VIDEODRIVER", driver, 1), 0);
        ASSERT_TRUE(SetDisplayMode(800, 480));
        std::string error;
        ASSERT_TRUE(UseDesktopBackend(&error)) << error;
        ASSERT_STREQ(BackendName(), "desktop");
        ASSERT_EQ(screen_create_context(&ctx_, SCREEN_APPLICATION_CONTEXT), 0);
        ASSERT_EQ(screen_create_window(&win_, ctx_), 0);
        ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
        ASSERT_EQ(screen_request_events(ctx_), 0);
        ASSERT_EQ(navigator_request_events(0), BPS_SUCCESS);
    }

    // Starts a private X server of 1920 x 1080 and the backend on it; false (the test
    // then skips) without Xvfb.
    bool StartOnXvfb(int buffer_w, int buffer_h) {
        xvfb_ = std::make_unique<testsupport::Xvfb>("1920x1080x24");
        if (xvfb_->display().empty()) return false;
        const char *display = std::getenv("DISPLAY");
        saved_display_ = display ? display : "";
        had_display_ = display != nullptr;
        setenv("DISPLAY", xvfb_->display().c_str(), 1);
        Start("x11");
        const int buffer[2] = {buffer_w, buffer_h};
        EXPECT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_BUFFER_SIZE, buffer), 0);
        return true;
    }

    void TearDown() override {
        headless::reset();
        SetDisplayMode(1024, 600);
        unsetenv("SDL_VIDEODRIVER");
        if (xvfb_) {
            if (had_display_) setenv("DISPLAY", saved_display_.c_str(), 1);
            else unsetenv("DISPLAY");
            xvfb_.reset();
        }
    }

    // The X window's geometry on the root window, as the X server has it, once it
    // settles at the wanted size (within two seconds); x, y, width, height.
    std::vector<int> XGeometry(int want_w, int want_h) {
        Display *display = static_cast<Display *>(screen_get_native_display(ctx_));
        const Window window = static_cast<Window>(reinterpret_cast<std::uintptr_t>(screen_get_native_window(win_)));
        std::vector<int> g;
        for (int i = 0; i < 200; ++i) {
            bps_event_t *event = nullptr;
            bps_get_event(&event, 0);  // lets SDL see the configure events
            XWindowAttributes a;
            Window child;
            int x = 0, y = 0;
            if (!XGetWindowAttributes(display, window, &a) ||
                !XTranslateCoordinates(display, window, a.root, 0, 0, &x, &y, &child))
                return {};
            g = {x, y, a.width, a.height};
            if (a.width == want_w && a.height == want_h) break;
            SDL_Delay(10);
        }
        return g;
    }

    // The first screen event of the given type, fetched within two seconds; its position.
    std::vector<int> NextScreenEvent(int type) {
        for (int i = 0; i < 200; ++i) {
            bps_event_t *event = nullptr;
            if (bps_get_event(&event, 10) != BPS_SUCCESS || !event) continue;
            if (bps_event_get_domain(event) != screen_get_domain()) continue;
            screen_event_t sev = screen_event_get_event(event);
            int t = 0, pos[2] = {-1, -1};
            screen_get_event_property_iv(sev, SCREEN_PROPERTY_TYPE, &t);
            if (t != type) continue;
            screen_get_event_property_iv(sev, SCREEN_PROPERTY_POSITION, pos);
            return {pos[0], pos[1]};
        }
        return {};
    }

    // A real left click at the root position (x, y): the pointer moves there and rests
    // (SDL drops a click that comes with the focus the move gave), the button goes down
    // and up.
    void ClickAt(int x, int y) {
        Display *display = static_cast<Display *>(screen_get_native_display(ctx_));
        XTestFakeMotionEvent(display, -1, x, y, 0);
        XFlush(display);
        for (int i = 0; i < 5; ++i) {
            bps_event_t *event = nullptr;
            bps_get_event(&event, 10);
        }
        XTestFakeButtonEvent(display, 1, True, 0);
        XTestFakeButtonEvent(display, 1, False, 0);
        XFlush(display);
    }

    std::unique_ptr<testsupport::Xvfb> xvfb_;
    std::string saved_display_;
    bool had_display_ = false;

    // Pushes an SDL event and fetches what the backend made of it.
    bps_event_t *RoundTrip(SDL_Event e) {
        EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        bps_event_t *event = nullptr;
        EXPECT_EQ(bps_get_event(&event, 1000), BPS_SUCCESS);
        return event;
    }

    screen_context_t ctx_ = nullptr;
    screen_window_t win_ = nullptr;
};

TEST_F(DesktopBackendTest, NoDisplayIsAClearFailureAndKeepsTheBackend) {
    headless::reset();
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "x11", 1), 0);
    const char *display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    std::string error;
    const bool opened = UseDesktopBackend(&error);
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_FALSE(opened);
    EXPECT_NE(error.find("display"), std::string::npos) << error;
    EXPECT_STREQ(BackendName(), "headless");
}

TEST_F(DesktopBackendTest, WindowFollowsBufferSizeAndShowsWithBuffers) {
    Start("dummy");
    SDL_Window *window = TheSdlWindow();
    ASSERT_NE(window, nullptr);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 480);
    EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN, 0u) << "hidden until it has buffers";

    const int buffer[2] = {480, 800};
    ASSERT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_BUFFER_SIZE, buffer), 0);
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 800);

    ASSERT_EQ(screen_create_window_buffers(win_, 2), 0);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN, 0u);

    ASSERT_EQ(screen_destroy_window(win_), 0);
    EXPECT_EQ(TheSdlWindow(), nullptr);
}

TEST_F(DesktopBackendTest, SdlEventsArePumpedIntoTheQueue) {
    Start("dummy");
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_F3;
    bps_event_t *event = RoundTrip(key);
    ASSERT_NE(event, nullptr);
    ASSERT_EQ(bps_event_get_domain(event), screen_get_domain());
    int sym = 0, flags = 0;
    screen_event_t sev = screen_event_get_event(event);
    ASSERT_EQ(screen_get_event_property_iv(sev, SCREEN_PROPERTY_KEY_SYM, &sym), 0);
    ASSERT_EQ(screen_get_event_property_iv(sev, SCREEN_PROPERTY_KEY_FLAGS, &flags), 0);
    EXPECT_EQ(sym, KEYCODE_F1 + 2);
    EXPECT_EQ(flags, KEY_DOWN);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    event = RoundTrip(quit);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_domain(event), navigator_get_domain());
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(NAVIGATOR_EXIT));
}

TEST_F(DesktopBackendTest, FingerPositionsUseTheBufferSize) {
    Start("dummy");
    SDL_Event finger{};
    finger.type = SDL_FINGERDOWN;
    finger.tfinger.touchId = 1;
    finger.tfinger.fingerId = 123456789;
    finger.tfinger.x = 0.5f;
    finger.tfinger.y = 0.5f;
    bps_event_t *event = RoundTrip(finger);
    ASSERT_NE(event, nullptr);
    int pos[2] = {0, 0}, id = -1;
    screen_event_t sev = screen_event_get_event(event);
    ASSERT_EQ(screen_get_event_property_iv(sev, SCREEN_PROPERTY_POSITION, pos), 0);
    ASSERT_EQ(screen_get_event_property_iv(sev, SCREEN_PROPERTY_TOUCH_ID, &id), 0);
    EXPECT_EQ(pos[0], 400);
    EXPECT_EQ(pos[1], 240);
    EXPECT_EQ(id, 0);
}

TEST_F(DesktopBackendTest, DesktopKeepsNoCallLog) {
    Start("dummy");
    navigator_rotation_lock(false);
    EXPECT_TRUE(headless::calls().empty());
}

TEST_F(DesktopBackendTest, X11WindowHasNativeHandlesForEgl) {
    if (!StartOnXvfb(1024, 600)) GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb)";
    EXPECT_NE(screen_get_native_window(win_), nullptr);
    EXPECT_NE(screen_get_native_display(ctx_), nullptr);
    ASSERT_EQ(screen_create_window_buffers(win_, 2), 0);
    EXPECT_NE(screen_get_native_window(win_), nullptr);
}

// Full screen without a window manager: the X window itself covers the monitor, the
// surface reports its size, and it comes back as a 1024 x 600 window where it was.
TEST_F(DesktopBackendTest, X11FullScreenCoversTheMonitorAndReturns) {
    if (!StartOnXvfb(1024, 600)) GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb)";
    ASSERT_EQ(screen_create_window_buffers(win_, 2), 0);
    const std::vector<int> windowed = XGeometry(1024, 600);
    ASSERT_EQ(windowed.size(), 4u);
    EXPECT_EQ(windowed[2], 1024);
    EXPECT_EQ(windowed[3], 600);
    screen_display_t disp = nullptr;
    ASSERT_EQ(screen_get_window_property_pv(win_, SCREEN_PROPERTY_DISPLAY, reinterpret_cast<void **>(&disp)), 0);
    int desktop[2] = {0, 0};
    ASSERT_EQ(screen_get_display_property_iv(disp, SCREEN_PROPERTY_DESKTOP_SIZE, desktop), 0);
    EXPECT_EQ(desktop[0], 1920);
    EXPECT_EQ(desktop[1], 1080);

    const int on = 1, off = 0;
    ASSERT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_FULLSCREEN, &on), 0);
    EXPECT_EQ(XGeometry(1920, 1080), (std::vector<int>{0, 0, 1920, 1080}));
    int surface[2] = {0, 0};
    ASSERT_EQ(screen_get_window_property_iv(win_, SCREEN_PROPERTY_SURFACE_SIZE, surface), 0);
    EXPECT_EQ(surface[0], 1920);
    EXPECT_EQ(surface[1], 1080);

    ASSERT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_FULLSCREEN, &off), 0);
    EXPECT_EQ(XGeometry(1024, 600), windowed);
    ASSERT_EQ(screen_get_window_property_iv(win_, SCREEN_PROPERTY_SURFACE_SIZE, surface), 0);
    EXPECT_EQ(surface[0], 1024);
    EXPECT_EQ(surface[1], 600);
}

// A real click, through the X server, SDL and the device layer: in the window it lands
// on the buffer pixel under it; in full screen the picture is 1843 x 1080 from x 38, and
// the click on the same spot of the picture lands on the same buffer pixel.
TEST_F(DesktopBackendTest, X11ClicksLandOnTheSameBufferPixelInBothModes) {
    if (!StartOnXvfb(1024, 600)) GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb)";
    ASSERT_EQ(screen_create_window_buffers(win_, 2), 0);
    const std::vector<int> windowed = XGeometry(1024, 600);
    ASSERT_EQ(windowed.size(), 4u);
    ClickAt(windowed[0] + 368, windowed[1] + 348);
    EXPECT_EQ(NextScreenEvent(SCREEN_EVENT_MTOUCH_TOUCH), (std::vector<int>{368, 348}));
    EXPECT_EQ(NextScreenEvent(SCREEN_EVENT_MTOUCH_RELEASE), (std::vector<int>{368, 348}));

    const int on = 1;
    ASSERT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_FULLSCREEN, &on), 0);
    ASSERT_EQ(XGeometry(1920, 1080), (std::vector<int>{0, 0, 1920, 1080}));
    // Buffer pixel (368, 348) covers surface 38 + 662.4.. and 626.4..: its inside.
    ClickAt(38 + 663, 627);
    EXPECT_EQ(NextScreenEvent(SCREEN_EVENT_MTOUCH_TOUCH), (std::vector<int>{368, 348}));
    // On the left bar: the picture's left edge.
    ClickAt(10, 627);
    EXPECT_EQ(NextScreenEvent(SCREEN_EVENT_MTOUCH_TOUCH), (std::vector<int>{0, 348}));
}

// The dummy video driver has no window manager either: full screen takes its display's
// size and the window gets the buffer size back.
TEST_F(DesktopBackendTest, FullScreenTakesTheDisplaySizeAndReturns) {
    Start("dummy");
    SDL_Window *window = TheSdlWindow();
    ASSERT_NE(window, nullptr);
    SDL_Rect bounds;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &bounds), 0) << SDL_GetError();
    int fullscreen = -1;
    ASSERT_EQ(screen_get_window_property_iv(win_, SCREEN_PROPERTY_FULLSCREEN, &fullscreen), 0);
    EXPECT_EQ(fullscreen, 0) << "a window at start";
    const int on = 1, off = 0, bad = 2;
    EXPECT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_FULLSCREEN, &bad), -1);
    ASSERT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_FULLSCREEN, &on), 0);
    int w = 0, h = 0, surface[2] = {0, 0};
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, bounds.w);
    EXPECT_EQ(h, bounds.h);
    ASSERT_EQ(screen_get_window_property_iv(win_, SCREEN_PROPERTY_SURFACE_SIZE, surface), 0);
    EXPECT_EQ(surface[0], bounds.w);
    EXPECT_EQ(surface[1], bounds.h);
    // A new buffer size while full screen waits for the window to come back.
    const int buffer[2] = {640, 400};
    ASSERT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_BUFFER_SIZE, buffer), 0);
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, bounds.w);
    ASSERT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_FULLSCREEN, &off), 0);
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 400);
}

TEST_F(DesktopBackendTest, DummyDriverHasNoNativeHandles) {
    Start("dummy");
    EXPECT_EQ(screen_get_native_window(win_), nullptr);
    EXPECT_EQ(screen_get_native_display(ctx_), nullptr);
}

}  // namespace
