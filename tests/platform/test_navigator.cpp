// Tests of the navigator and virtual-keyboard state: rotation lock, keyboard
// visibility and options, links handed to navigator_invoke.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::FreshDevice;
using ovdev_test::RunningDevice;

TEST_F(FreshDevice, RotationLockReadsBackTheLastValue) {
    EXPECT_FALSE(headless::rotation_lock().has_value());
    ASSERT_EQ(navigator_rotation_lock(false), BPS_SUCCESS);
    EXPECT_EQ(headless::rotation_lock(), std::optional<bool>(false));
    ASSERT_EQ(navigator_rotation_lock(true), BPS_SUCCESS);
    EXPECT_EQ(headless::rotation_lock(), std::optional<bool>(true));
    headless::reset();
    EXPECT_FALSE(headless::rotation_lock().has_value());
}

TEST_F(FreshDevice, KeyboardVisibilityFollowsShowAndHide) {
    EXPECT_FALSE(headless::keyboard_visible());
    virtualkeyboard_show();
    EXPECT_TRUE(headless::keyboard_visible());
    virtualkeyboard_show();
    EXPECT_TRUE(headless::keyboard_visible());
    virtualkeyboard_hide();
    EXPECT_FALSE(headless::keyboard_visible());
}

TEST_F(FreshDevice, KeyboardOptionsAreKept) {
    EXPECT_EQ(headless::keyboard_layout(), 0);
    EXPECT_EQ(headless::keyboard_enter_key(), 0);
    virtualkeyboard_change_options(4, 2);
    EXPECT_EQ(headless::keyboard_layout(), 4);
    EXPECT_EQ(headless::keyboard_enter_key(), 2);
    virtualkeyboard_show();
    headless::reset();
    EXPECT_EQ(headless::keyboard_layout(), 0);
    EXPECT_FALSE(headless::keyboard_visible());
}

TEST_F(FreshDevice, InvokedLinksAreRecordedInOrder) {
    char *err = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(navigator_invoke("https://example.org/one", &err), BPS_SUCCESS);
    EXPECT_EQ(err, nullptr);
    EXPECT_EQ(navigator_invoke("mailto:someone@example.org", nullptr), BPS_SUCCESS);
    EXPECT_EQ(headless::invoked_urls(),
              (std::vector<std::string>{"https://example.org/one", "mailto:someone@example.org"}));
}

TEST_F(FreshDevice, MissingLinkFailsWithAnErrorText) {
    const char *bad[] = {nullptr, ""};
    for (const char *uri : bad) {
        char *err = nullptr;
        EXPECT_EQ(navigator_invoke(uri, &err), BPS_FAILURE);
        ASSERT_NE(err, nullptr);
        EXPECT_GT(std::string(err).size(), 0u);
        bps_free(err);
    }
    EXPECT_TRUE(headless::invoked_urls().empty());
}

TEST_F(RunningDevice, WindowStateOfOtherEventsIsAFailure) {
    ASSERT_TRUE(headless::inject_swipe_down());
    EXPECT_EQ(navigator_event_get_window_state(NextEvent()), BPS_FAILURE);
    EXPECT_EQ(navigator_event_get_window_state(nullptr), BPS_FAILURE);
    // A window-state event that lost its state reads as a failure, not as full screen.
    ASSERT_TRUE(headless::inject_raw(DOMAIN_NAVIGATOR, NAVIGATOR_WINDOW_STATE, {}));
    EXPECT_EQ(navigator_event_get_window_state(NextEvent()), BPS_FAILURE);
}

}  // namespace
