// Tests of the screen objects: creating the window the way the renderer does, its
// properties as set and read back, the display mode, buffers and bad handles.
#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::FreshDevice;

class ScreenTest : public FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        ASSERT_EQ(screen_create_context(&ctx_, SCREEN_APPLICATION_CONTEXT), 0);
    }

    screen_window_t CreateWindow() {
        screen_window_t win = nullptr;
        EXPECT_EQ(screen_create_window(&win, ctx_), 0);
        return win;
    }

    static std::vector<int> Get(screen_window_t win, int pname, int count) {
        std::vector<int> values(count, -1);
        if (screen_get_window_property_iv(win, pname, values.data()) != 0) return {};
        return values;
    }

    screen_context_t ctx_ = nullptr;
};

TEST_F(ScreenTest, NewWindowStartsAtTheDisplayMode) {
    screen_window_t win = CreateWindow();
    ASSERT_NE(win, nullptr);
    EXPECT_TRUE(headless::has_window());
    EXPECT_EQ(Get(win, SCREEN_PROPERTY_BUFFER_SIZE, 2), (std::vector<int>{1024, 600}));
    EXPECT_EQ(Get(win, SCREEN_PROPERTY_ROTATION, 1), std::vector<int>{0});
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_BUFFER_SIZE), (std::vector<int>{1024, 600}));
    EXPECT_EQ(headless::window_buffer_count(), 0);
    // Format and usage read as failures until the program sets them.
    EXPECT_TRUE(Get(win, SCREEN_PROPERTY_FORMAT, 1).empty());
    EXPECT_TRUE(headless::window_property(SCREEN_PROPERTY_USAGE).empty());
}

TEST_F(ScreenTest, RendererSequenceSetsAndReadsBack) {
    screen_window_t win = CreateWindow();
    const int format = SCREEN_FORMAT_RGBX8888;
    const int usage = SCREEN_USAGE_OPENGL_ES1 | SCREEN_USAGE_ROTATION;
    ASSERT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_FORMAT, &format), 0);
    ASSERT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_USAGE, &usage), 0);

    void *display = nullptr;
    ASSERT_EQ(screen_get_window_property_pv(win, SCREEN_PROPERTY_DISPLAY, &display), 0);
    ASSERT_NE(display, nullptr);
    int size[2] = {0, 0}, mode[2] = {0, 0};
    ASSERT_EQ(screen_get_display_property_iv(static_cast<screen_display_t>(display), SCREEN_PROPERTY_SIZE, size), 0);
    ASSERT_EQ(screen_get_display_property_iv(static_cast<screen_display_t>(display), SCREEN_PROPERTY_MODE, mode), 0);
    EXPECT_EQ(size[0], 1024);
    EXPECT_EQ(size[1], 600);
    EXPECT_EQ(mode[0], 1024);
    EXPECT_EQ(mode[1], 600);

    const int buffer[2] = {600, 1024};
    const int rotation = 90;
    ASSERT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_BUFFER_SIZE, buffer), 0);
    ASSERT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_ROTATION, &rotation), 0);
    ASSERT_EQ(screen_create_window_buffers(win, 2), 0);

    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_FORMAT), std::vector<int>{9});
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_USAGE), std::vector<int>{528});
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_BUFFER_SIZE), (std::vector<int>{600, 1024}));
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_ROTATION), std::vector<int>{90});
    EXPECT_EQ(Get(win, SCREEN_PROPERTY_BUFFER_SIZE, 2), (std::vector<int>{600, 1024}));
    EXPECT_EQ(headless::window_buffer_count(), 2);
}

TEST_F(ScreenTest, IdleModeIsSetAndReadBack) {
    screen_window_t win = CreateWindow();
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_IDLE_MODE), std::vector<int>{0});
    const int keep_awake = 1;
    ASSERT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_IDLE_MODE, &keep_awake), 0);
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_IDLE_MODE), std::vector<int>{1});
}

struct RejectedSet {
    const char *what;
    int pname;
    std::vector<int> values;
};

TEST_F(ScreenTest, InvalidPropertyValuesAreRejectedAndChangeNothing) {
    screen_window_t win = CreateWindow();
    const std::vector<RejectedSet> cases = {
        {"rotation 45", SCREEN_PROPERTY_ROTATION, {45}},
        {"rotation -90", SCREEN_PROPERTY_ROTATION, {-90}},
        {"zero width", SCREEN_PROPERTY_BUFFER_SIZE, {0, 600}},
        {"negative height", SCREEN_PROPERTY_BUFFER_SIZE, {1024, -1}},
        {"display is not settable", SCREEN_PROPERTY_DISPLAY, {1}},
        {"display mode is not a window property", SCREEN_PROPERTY_MODE, {1, 1}},
        {"unknown property", 4242, {1}},
    };
    for (const RejectedSet &c : cases) {
        SCOPED_TRACE(c.what);
        errno = 0;
        EXPECT_EQ(screen_set_window_property_iv(win, c.pname, c.values.data()), -1);
        EXPECT_EQ(errno, EINVAL);
    }
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_ROTATION), std::vector<int>{0});
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_BUFFER_SIZE), (std::vector<int>{1024, 600}));
    EXPECT_TRUE(headless::window_property(4242).empty());
}

TEST_F(ScreenTest, ConfiguredDisplayModeReachesDisplayAndNewWindow) {
    ASSERT_TRUE(SetDisplayMode(1280, 800));
    EXPECT_EQ(GetDisplayMode().width, 1280);
    screen_window_t win = CreateWindow();
    EXPECT_EQ(Get(win, SCREEN_PROPERTY_BUFFER_SIZE, 2), (std::vector<int>{1280, 800}));
    void *display = nullptr;
    ASSERT_EQ(screen_get_window_property_pv(win, SCREEN_PROPERTY_DISPLAY, &display), 0);
    int mode[2] = {0, 0};
    ASSERT_EQ(screen_get_display_property_iv(static_cast<screen_display_t>(display), SCREEN_PROPERTY_MODE, mode), 0);
    EXPECT_EQ(mode[0], 1280);
    EXPECT_EQ(mode[1], 800);
}

TEST_F(FreshDevice, DisplayModeNeedsPositiveSizesAndSurvivesReset) {
    EXPECT_EQ(GetDisplayMode().width, 1024);
    EXPECT_EQ(GetDisplayMode().height, 600);
    EXPECT_FALSE(SetDisplayMode(0, 600));
    EXPECT_FALSE(SetDisplayMode(800, -1));
    EXPECT_EQ(GetDisplayMode().width, 1024);
    ASSERT_TRUE(SetDisplayMode(800, 480));
    headless::reset();
    EXPECT_EQ(GetDisplayMode().width, 800);
    EXPECT_EQ(GetDisplayMode().height, 480);
}

TEST_F(ScreenTest, OnlyOneWindowAtATime) {
    screen_window_t first = CreateWindow();
    screen_window_t second = nullptr;
    errno = 0;
    EXPECT_EQ(screen_create_window(&second, ctx_), -1);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(second, nullptr);
    ASSERT_EQ(screen_destroy_window(first), 0);
    EXPECT_FALSE(headless::has_window());
    EXPECT_EQ(screen_create_window(&second, ctx_), 0);
    EXPECT_TRUE(headless::has_window());
}

TEST_F(ScreenTest, BuffersAreMadeOnceWithAPositiveCount) {
    screen_window_t win = CreateWindow();
    EXPECT_EQ(screen_create_window_buffers(win, 0), -1);
    EXPECT_EQ(headless::window_buffer_count(), 0);
    EXPECT_EQ(screen_create_window_buffers(win, 2), 0);
    errno = 0;
    EXPECT_EQ(screen_create_window_buffers(win, 3), -1);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(headless::window_buffer_count(), 2);
}

TEST_F(ScreenTest, StaleAndForeignHandlesAreRejected) {
    screen_window_t win = CreateWindow();
    ASSERT_EQ(screen_destroy_window(win), 0);
    const int value = 1;
    int out[2] = {0, 0};
    void *pv = nullptr;
    EXPECT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_FORMAT, &value), -1);
    EXPECT_EQ(screen_get_window_property_iv(win, SCREEN_PROPERTY_BUFFER_SIZE, out), -1);
    EXPECT_EQ(screen_get_window_property_pv(win, SCREEN_PROPERTY_DISPLAY, &pv), -1);
    EXPECT_EQ(screen_create_window_buffers(win, 2), -1);
    EXPECT_EQ(screen_destroy_window(win), -1);
    EXPECT_EQ(screen_get_native_window(win), nullptr);

    screen_display_t not_a_display = reinterpret_cast<screen_display_t>(&out[0]);
    EXPECT_EQ(screen_get_display_property_iv(not_a_display, SCREEN_PROPERTY_SIZE, out), -1);
    screen_context_t not_a_context = reinterpret_cast<screen_context_t>(&out[0]);
    screen_window_t w = nullptr;
    EXPECT_EQ(screen_create_window(&w, not_a_context), -1);
    EXPECT_EQ(screen_request_events(not_a_context), -1);
    EXPECT_EQ(screen_destroy_context(not_a_context), -1);
}

TEST_F(ScreenTest, DestroyingTheContextTakesItsWindow) {
    screen_window_t win = CreateWindow();
    ASSERT_NE(win, nullptr);
    ASSERT_EQ(screen_destroy_context(ctx_), 0);
    EXPECT_FALSE(headless::has_window());
    EXPECT_EQ(screen_destroy_context(ctx_), -1);
    ctx_ = nullptr;
}

TEST_F(ScreenTest, ResetDropsContextAndWindow) {
    screen_window_t win = CreateWindow();
    headless::reset();
    EXPECT_FALSE(headless::has_window());
    int out[2] = {0, 0};
    EXPECT_EQ(screen_get_window_property_iv(win, SCREEN_PROPERTY_BUFFER_SIZE, out), -1);
    EXPECT_EQ(screen_request_events(ctx_), -1);
}

TEST_F(ScreenTest, HeadlessHasNoNativeHandles) {
    screen_window_t win = CreateWindow();
    EXPECT_EQ(screen_get_native_window(win), nullptr);
    EXPECT_EQ(screen_get_native_display(ctx_), nullptr);
}

TEST_F(ScreenTest, NullOutputsAreRejected) {
    screen_window_t win = CreateWindow();
    EXPECT_EQ(screen_create_context(nullptr, SCREEN_APPLICATION_CONTEXT), -1);
    EXPECT_EQ(screen_create_window(nullptr, ctx_), -1);
    EXPECT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_FORMAT, nullptr), -1);
    EXPECT_EQ(screen_get_window_property_iv(win, SCREEN_PROPERTY_ROTATION, nullptr), -1);
    EXPECT_EQ(screen_get_window_property_pv(win, SCREEN_PROPERTY_DISPLAY, nullptr), -1);
    EXPECT_EQ(screen_get_event_property_iv(nullptr, SCREEN_PROPERTY_TYPE, nullptr), -1);
}

}  // namespace
