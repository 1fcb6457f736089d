// Tests of failure injection: every call that can fail does so for exactly the armed
// number of calls, reports the failure, and leaves the device state untouched.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::RunningDevice;

class FailureTest : public RunningDevice {
protected:
    void SetUp() override {
        RunningDevice::SetUp();
        ASSERT_EQ(screen_create_window(&win_, ctx_), 0);
        ASSERT_TRUE(headless::inject_touch(headless::TouchPhase::Down, 0, 1, 2));
        event_ = NextEvent();
        ASSERT_NE(event_, nullptr);
    }

    screen_window_t win_ = nullptr;
    bps_event_t *event_ = nullptr;
};

struct FailCase {
    const char *call;
    std::function<int()> make;  // a call that succeeds unless a failure is armed
};

TEST_F(FailureTest, EveryFailableCallFailsOnceWhenArmedOnce) {
    int ints[2] = {0, 0};
    void *pv = nullptr;
    screen_context_t ctx = nullptr;
    // The fetched event stays valid only until the next bps_get_event, so it is read first.
    const std::vector<FailCase> cases = {
        {"screen_get_event_property_iv",
         [&] {
             return screen_get_event_property_iv(screen_event_get_event(event_), SCREEN_PROPERTY_POSITION, ints);
         }},
        {"bps_initialize", [] { return bps_initialize(); }},
        {"bps_get_event",
         [] {
             bps_event_t *e = nullptr;
             return bps_get_event(&e, 0);
         }},
        {"screen_create_context", [&] { return screen_create_context(&ctx, 0); }},
        {"screen_request_events", [&] { return screen_request_events(ctx_); }},
        {"screen_stop_events", [&] { return screen_stop_events(ctx_); }},
        {"screen_get_window_property_iv",
         [&] { return screen_get_window_property_iv(win_, SCREEN_PROPERTY_BUFFER_SIZE, ints); }},
        {"screen_get_window_property_pv",
         [&] { return screen_get_window_property_pv(win_, SCREEN_PROPERTY_DISPLAY, &pv); }},
        {"screen_get_display_property_iv",
         [&] {
             void *d = nullptr;
             screen_get_window_property_pv(win_, SCREEN_PROPERTY_DISPLAY, &d);
             return screen_get_display_property_iv(static_cast<screen_display_t>(d), SCREEN_PROPERTY_SIZE, ints);
         }},
        {"screen_set_window_property_iv",
         [&] {
             const int format = SCREEN_FORMAT_RGBX8888;
             return screen_set_window_property_iv(win_, SCREEN_PROPERTY_FORMAT, &format);
         }},
        {"screen_set_window_property_cv",
         [&] { return screen_set_window_property_cv(win_, SCREEN_PROPERTY_TITLE, 4, "Game"); }},
        {"navigator_request_events", [] { return navigator_request_events(0); }},
        {"navigator_rotation_lock", [] { return navigator_rotation_lock(false); }},
        {"navigator_invoke", [] { return navigator_invoke("https://example.org/", nullptr); }},
        {"virtualkeyboard_request_events", [] { return virtualkeyboard_request_events(0); }},
        {"screen_create_window_buffers", [&] { return screen_create_window_buffers(win_, 2); }},
        {"screen_destroy_window", [&] { return screen_destroy_window(win_); }},
        {"screen_create_window", [&] { return screen_create_window(&win_, ctx_); }},
        {"screen_destroy_context",
         [&] {
             screen_context_t extra = nullptr;
             screen_create_context(&extra, 0);
             return screen_destroy_context(extra);
         }},
        {"bps_shutdown", [] { return bps_shutdown(); }},
    };

    std::set<std::string> covered;
    for (const FailCase &c : cases) {
        SCOPED_TRACE(c.call);
        covered.insert(c.call);
        ASSERT_TRUE(headless::fail(c.call, 1));
        errno = 0;
        EXPECT_EQ(c.make(), -1);
        EXPECT_EQ(errno, EIO);
        EXPECT_EQ(c.make(), 0) << "only one failure was armed";
    }
    const std::vector<std::string> &failable = headless::failable_calls();
    EXPECT_EQ(covered, std::set<std::string>(failable.begin(), failable.end()));
}

TEST_F(FailureTest, FailureCountIsHonouredExactly) {
    ASSERT_TRUE(headless::fail("navigator_rotation_lock", 3));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(navigator_rotation_lock(true), BPS_FAILURE) << "call " << i;
    EXPECT_FALSE(headless::rotation_lock().has_value());
    EXPECT_EQ(navigator_rotation_lock(true), BPS_SUCCESS);
    EXPECT_EQ(headless::rotation_lock(), std::optional<bool>(true));
}

TEST_F(FailureTest, ArmingAgainReplacesAndZeroDisarms) {
    ASSERT_TRUE(headless::fail("screen_stop_events", 5));
    ASSERT_TRUE(headless::fail("screen_stop_events", 1));
    EXPECT_EQ(screen_stop_events(ctx_), -1);
    EXPECT_EQ(screen_stop_events(ctx_), 0);
    ASSERT_TRUE(headless::fail("screen_request_events", 2));
    ASSERT_TRUE(headless::fail("screen_request_events", 0));
    EXPECT_EQ(screen_request_events(ctx_), 0);
}

TEST_F(FailureTest, UnknownNamesAndNegativeCountsAreRefused) {
    EXPECT_FALSE(headless::fail("screen_create_windows", 1));
    EXPECT_FALSE(headless::fail("virtualkeyboard_show", 1));  // cannot report a failure
    EXPECT_FALSE(headless::fail("bps_event_get_domain", 1));
    EXPECT_FALSE(headless::fail("", 1));
    EXPECT_FALSE(headless::fail("screen_create_window", -1));
}

TEST_F(FailureTest, FailedCallsChangeNothing) {
    const int buffer[2] = {600, 1024};
    ASSERT_TRUE(headless::fail("screen_set_window_property_iv", 1));
    EXPECT_EQ(screen_set_window_property_iv(win_, SCREEN_PROPERTY_BUFFER_SIZE, buffer), -1);
    EXPECT_EQ(headless::window_property(SCREEN_PROPERTY_BUFFER_SIZE), (std::vector<int>{1024, 600}));

    ASSERT_TRUE(headless::fail("screen_create_window_buffers", 1));
    EXPECT_EQ(screen_create_window_buffers(win_, 2), -1);
    EXPECT_EQ(headless::window_buffer_count(), 0);

    ASSERT_TRUE(headless::fail("screen_destroy_window", 1));
    EXPECT_EQ(screen_destroy_window(win_), -1);
    EXPECT_TRUE(headless::has_window());

    char *err = nullptr;
    ASSERT_TRUE(headless::fail("navigator_invoke", 1));
    EXPECT_EQ(navigator_invoke("https://example.org/a", &err), BPS_FAILURE);
    ASSERT_NE(err, nullptr);
    EXPECT_STRNE(err, "");
    bps_free(err);
    EXPECT_TRUE(headless::invoked_urls().empty());

    ASSERT_TRUE(headless::inject_exit());
    ASSERT_TRUE(headless::fail("bps_get_event", 1));
    bps_event_t *event = reinterpret_cast<bps_event_t *>(0x1);
    EXPECT_EQ(bps_get_event(&event, 0), BPS_FAILURE);
    EXPECT_EQ(event, nullptr);
    EXPECT_EQ(headless::queued_events(), 1u) << "a failed fetch takes nothing from the queue";

    ASSERT_TRUE(headless::fail("screen_create_window", 1));
    ASSERT_EQ(screen_destroy_window(win_), 0);
    screen_window_t again = nullptr;
    EXPECT_EQ(screen_create_window(&again, ctx_), -1);
    EXPECT_EQ(again, nullptr);
    EXPECT_FALSE(headless::has_window());
}

TEST_F(FailureTest, ResetDisarmsEveryFailure) {
    ASSERT_TRUE(headless::fail("bps_initialize", 4));
    ASSERT_TRUE(headless::fail("screen_create_context", 4));
    headless::reset();
    EXPECT_EQ(bps_initialize(), BPS_SUCCESS);
    screen_context_t ctx = nullptr;
    EXPECT_EQ(screen_create_context(&ctx, 0), 0);
}

TEST_F(FailureTest, FailuresReachTheStartUpSequenceWhereItChecks) {
    // The start-up requests fail independently: the rotation lock failing leaves the
    // earlier requests in force.
    headless::reset();
    ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    screen_context_t ctx = nullptr;
    ASSERT_EQ(screen_create_context(&ctx, 0), 0);
    ASSERT_TRUE(headless::fail("navigator_rotation_lock", 1));
    EXPECT_EQ(screen_request_events(ctx), 0);
    EXPECT_EQ(navigator_request_events(0), BPS_SUCCESS);
    EXPECT_EQ(navigator_rotation_lock(false), BPS_FAILURE);
    EXPECT_TRUE(headless::inject_swipe_down());
    EXPECT_FALSE(headless::rotation_lock().has_value());
}

}  // namespace
