// Tests of the SDL2 desktop backend as a whole: selection with and without a display,
// the window following the window properties, SDL events pumped into the queue by
// bps_get_event, and (under an X server) the native handles EGL needs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <SDL.h>

#include "platform_fixture.h"

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

    void TearDown() override {
        headless::reset();
        SetDisplayMode(1024, 600);
        unsetenv("SDL_VIDEODRIVER");
    }

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

// Needs an X server (run under xvfb-run); skipped without one.
TEST_F(DesktopBackendTest, X11WindowHasNativeHandlesForEgl) {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no X server";
    Start("x11");
    EXPECT_NE(screen_get_native_window(win_), nullptr);
    EXPECT_NE(screen_get_native_display(ctx_), nullptr);
    ASSERT_EQ(screen_create_window_buffers(win_, 2), 0);
    EXPECT_NE(screen_get_native_window(win_), nullptr);
}

TEST_F(DesktopBackendTest, DummyDriverHasNoNativeHandles) {
    Start("dummy");
    EXPECT_EQ(screen_get_native_window(win_), nullptr);
    EXPECT_EQ(screen_get_native_display(ctx_), nullptr);
}

}  // namespace
