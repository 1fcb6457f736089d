// Tests that every kind of injected event reaches the queue with the right domain,
// code and properties, and that the request filter holds events back.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::FreshDevice;
using ovdev_test::RunningDevice;

struct Expected {
    int pname;
    std::vector<int> values;
};

struct ScreenCase {
    const char *what;
    std::function<bool()> inject;
    int type;
    std::vector<Expected> properties;
};

using InjectionTest = RunningDevice;

TEST_F(InjectionTest, ScreenInjectionsCarryTheirProperties) {
    using headless::TouchPhase;
    const std::vector<ScreenCase> cases = {
        {"touch down", [] { return headless::inject_touch(TouchPhase::Down, 3, 10, 20); },
         SCREEN_EVENT_MTOUCH_TOUCH,
         {{SCREEN_PROPERTY_POSITION, {10, 20}}, {SCREEN_PROPERTY_TOUCH_ID, {3}}}},
        {"touch move", [] { return headless::inject_touch(TouchPhase::Move, 3, 15, 25); },
         SCREEN_EVENT_MTOUCH_MOVE,
         {{SCREEN_PROPERTY_POSITION, {15, 25}}, {SCREEN_PROPERTY_TOUCH_ID, {3}}}},
        {"touch up", [] { return headless::inject_touch(TouchPhase::Up, 9, 1023, 599); },
         SCREEN_EVENT_MTOUCH_RELEASE,
         {{SCREEN_PROPERTY_POSITION, {1023, 599}}, {SCREEN_PROPERTY_TOUCH_ID, {9}}}},
        {"pointer pressed", [] { return headless::inject_pointer(40, 50, SCREEN_BUTTON_LEFT); },
         SCREEN_EVENT_POINTER,
         {{SCREEN_PROPERTY_POSITION, {40, 50}}, {SCREEN_PROPERTY_BUTTONS, {1}}, {SCREEN_PROPERTY_TOUCH_ID, {0}}}},
        {"pointer hover", [] { return headless::inject_pointer(-4, 7, 0); },
         SCREEN_EVENT_POINTER,
         {{SCREEN_PROPERTY_POSITION, {-4, 7}}, {SCREEN_PROPERTY_BUTTONS, {0}}}},
        {"letter down", [] { return headless::inject_key('q', true); },
         SCREEN_EVENT_KEYBOARD,
         {{SCREEN_PROPERTY_KEY_FLAGS, {KEY_DOWN}}, {SCREEN_PROPERTY_KEY_SYM, {113}}}},
        {"letter up", [] { return headless::inject_key('q', false); },
         SCREEN_EVENT_KEYBOARD,
         {{SCREEN_PROPERTY_KEY_FLAGS, {0}}, {SCREEN_PROPERTY_KEY_SYM, {113}}}},
        {"backspace down", [] { return headless::inject_key(KEYCODE_BACKSPACE, true); },
         SCREEN_EVENT_KEYBOARD,
         {{SCREEN_PROPERTY_KEY_FLAGS, {KEY_DOWN}}, {SCREEN_PROPERTY_KEY_SYM, {0xF008}}}},
        {"raw screen event",
         [] {
             return headless::inject_raw(DOMAIN_SCREEN, 55,
                                         {{SCREEN_PROPERTY_TYPE, {55}}, {SCREEN_PROPERTY_POSITION, {-1, 2}}});
         },
         55,
         {{SCREEN_PROPERTY_POSITION, {-1, 2}}}},
    };
    for (const ScreenCase &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.inject());
        bps_event_t *event = NextEvent();
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(bps_event_get_domain(event), screen_get_domain());
        EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(c.type));
        EXPECT_EQ(Property(event, SCREEN_PROPERTY_TYPE, 1), std::vector<int>{c.type});
        for (const Expected &p : c.properties) {
            EXPECT_EQ(Property(event, p.pname, static_cast<int>(p.values.size())), p.values)
                << "property " << p.pname;
        }
        EXPECT_EQ(navigator_event_get_window_state(event), BPS_FAILURE);
    }
    EXPECT_EQ(headless::queued_events(), 0u);
}

TEST_F(InjectionTest, KeyEventsCarryNoPosition) {
    ASSERT_TRUE(headless::inject_key('a', true));
    bps_event_t *event = NextEvent();
    int position[2] = {7, 7};
    errno = 0;
    EXPECT_EQ(screen_get_event_property_iv(screen_event_get_event(event), SCREEN_PROPERTY_POSITION, position), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(position[0], 7);
}

struct NavigatorCase {
    const char *what;
    std::function<bool()> inject;
    unsigned code;
    int window_state;  // BPS_FAILURE for events that carry none
};

TEST_F(InjectionTest, NavigatorInjectionsCarryTheirCodes) {
    const std::vector<NavigatorCase> cases = {
        {"full screen", [] { return headless::inject_window_state(0); }, NAVIGATOR_WINDOW_STATE, 0},
        {"thumbnail", [] { return headless::inject_window_state(1); }, NAVIGATOR_WINDOW_STATE, 1},
        {"invisible", [] { return headless::inject_window_state(2); }, NAVIGATOR_WINDOW_STATE, 2},
        {"swipe down", [] { return headless::inject_swipe_down(); }, NAVIGATOR_SWIPE_DOWN, BPS_FAILURE},
        {"exit", [] { return headless::inject_exit(); }, NAVIGATOR_EXIT, BPS_FAILURE},
        {"raw window state",
         [] {
             return headless::inject_raw(DOMAIN_NAVIGATOR, NAVIGATOR_WINDOW_STATE,
                                         {{NAVIGATOR_PROPERTY_WINDOW_STATE, {2}}});
         },
         NAVIGATOR_WINDOW_STATE, 2},
    };
    for (const NavigatorCase &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.inject());
        bps_event_t *event = NextEvent();
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(bps_event_get_domain(event), navigator_get_domain());
        EXPECT_EQ(bps_event_get_code(event), c.code);
        EXPECT_EQ(navigator_event_get_window_state(event), c.window_state);
        EXPECT_EQ(screen_event_get_event(event), nullptr);
    }
}

TEST_F(InjectionTest, RawEventOfOtherDomainKeepsDomainAndCode) {
    ASSERT_TRUE(headless::inject_raw(DOMAIN_MEDIA_RENDERER, 12, {{5, {1, 2, 3}}}));
    bps_event_t *event = NextEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_domain(event), DOMAIN_MEDIA_RENDERER);
    EXPECT_EQ(bps_event_get_code(event), 12u);
    EXPECT_EQ(screen_event_get_event(event), nullptr);
}

TEST_F(InjectionTest, MixedInjectionsKeepTheirOrder) {
    ASSERT_TRUE(headless::inject_touch(headless::TouchPhase::Down, 0, 1, 1));
    ASSERT_TRUE(headless::inject_swipe_down());
    ASSERT_TRUE(headless::inject_key('x', true));
    ASSERT_TRUE(headless::inject_exit());
    const int expected[][2] = {{DOMAIN_SCREEN, SCREEN_EVENT_MTOUCH_TOUCH},
                               {DOMAIN_NAVIGATOR, NAVIGATOR_SWIPE_DOWN},
                               {DOMAIN_SCREEN, SCREEN_EVENT_KEYBOARD},
                               {DOMAIN_NAVIGATOR, NAVIGATOR_EXIT}};
    for (const auto &e : expected) {
        bps_event_t *event = NextEvent();
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(bps_event_get_domain(event), e[0]);
        EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(e[1]));
    }
}

TEST_F(FreshDevice, ScreenAndNavigatorEventsWaitForTheirRequests) {
    ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    screen_context_t ctx = nullptr;
    ASSERT_EQ(screen_create_context(&ctx, SCREEN_APPLICATION_CONTEXT), 0);

    EXPECT_FALSE(headless::inject_touch(headless::TouchPhase::Down, 0, 1, 1));
    EXPECT_FALSE(headless::inject_exit());
    EXPECT_TRUE(headless::inject_raw(DOMAIN_MEDIA_RENDERER, 1, {}));
    EXPECT_EQ(headless::queued_events(), 1u);

    ASSERT_EQ(screen_request_events(ctx), 0);
    EXPECT_TRUE(headless::inject_touch(headless::TouchPhase::Down, 0, 1, 1));
    EXPECT_FALSE(headless::inject_swipe_down());
    ASSERT_EQ(navigator_request_events(0), BPS_SUCCESS);
    EXPECT_TRUE(headless::inject_swipe_down());
    EXPECT_EQ(headless::queued_events(), 3u);

    ASSERT_EQ(screen_stop_events(ctx), 0);
    EXPECT_FALSE(headless::inject_key('a', true));
    EXPECT_EQ(headless::queued_events(), 3u);
}

TEST_F(RunningDevice, ShutdownWithdrawsTheRequests) {
    ASSERT_EQ(bps_shutdown(), BPS_SUCCESS);
    EXPECT_FALSE(headless::inject_touch(headless::TouchPhase::Down, 0, 1, 1));
    EXPECT_FALSE(headless::inject_window_state(1));
    EXPECT_EQ(headless::queued_events(), 0u);
}

TEST_F(FreshDevice, RequestsNeedTheEventServiceStarted) {
    screen_context_t ctx = nullptr;
    ASSERT_EQ(screen_create_context(&ctx, SCREEN_APPLICATION_CONTEXT), 0);
    EXPECT_EQ(screen_request_events(ctx), -1);
    EXPECT_EQ(navigator_request_events(0), BPS_FAILURE);
    EXPECT_EQ(virtualkeyboard_request_events(0), BPS_FAILURE);
    ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    EXPECT_EQ(screen_request_events(ctx), 0);
    EXPECT_EQ(navigator_request_events(0), BPS_SUCCESS);
    EXPECT_EQ(virtualkeyboard_request_events(0), BPS_SUCCESS);
}

}  // namespace
