// Tests of the call log: what a start-up sequence records, how arguments are shown,
// that failed and rejected calls are recorded too, and clearing.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::FreshDevice;
using ovdev_test::RunningDevice;
using Lines = std::vector<std::string>;

TEST_F(FreshDevice, StartUpSequenceIsRecordedInOrder) {
    screen_context_t ctx = nullptr;
    screen_window_t win = nullptr;
    ASSERT_EQ(screen_create_context(&ctx, SCREEN_APPLICATION_CONTEXT), 0);
    ASSERT_EQ(screen_create_window(&win, ctx), 0);
    const int usage = SCREEN_USAGE_OPENGL_ES1 | SCREEN_USAGE_ROTATION;
    ASSERT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_USAGE, &usage), 0);
    const int buffer[2] = {1024, 600};
    ASSERT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_BUFFER_SIZE, buffer), 0);
    ASSERT_EQ(screen_create_window_buffers(win, 2), 0);
    ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    ASSERT_EQ(screen_request_events(ctx), 0);
    ASSERT_EQ(navigator_request_events(0), BPS_SUCCESS);
    ASSERT_EQ(virtualkeyboard_request_events(0), BPS_SUCCESS);
    ASSERT_EQ(navigator_rotation_lock(false), BPS_SUCCESS);

    EXPECT_EQ(headless::calls(), (Lines{
                                     "screen_create_context(0)",
                                     "screen_create_window(ctx1)",
                                     "screen_set_window_property_iv(win2, 1002, [528])",
                                     "screen_set_window_property_iv(win2, 1006, [1024, 600])",
                                     "screen_create_window_buffers(win2, 2)",
                                     "bps_initialize()",
                                     "screen_request_events(ctx1)",
                                     "navigator_request_events(0)",
                                     "virtualkeyboard_request_events(0)",
                                     "navigator_rotation_lock(false)",
                                 }));
}

TEST_F(RunningDevice, EventReadsNameTheEventTheyRead) {
    ASSERT_TRUE(headless::inject_touch(headless::TouchPhase::Down, 4, 5, 6));
    bps_event_t *event = NextEvent();
    ASSERT_NE(event, nullptr);
    bps_event_get_domain(event);
    int pos[2];
    ASSERT_EQ(screen_get_event_property_iv(screen_event_get_event(event), SCREEN_PROPERTY_POSITION, pos), 0);

    const Lines calls = headless::calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], "bps_get_event(0)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(calls[1], m, std::regex(R"(bps_event_get_domain\((ev[0-9]+)\))")));
    const std::string name = m[1];
    EXPECT_EQ(calls[2], "screen_event_get_event(" + name + ")");
    EXPECT_EQ(calls[3], "screen_get_event_property_iv(" + name + ", 41)");
}

TEST_F(RunningDevice, TextsAreQuotedAndMissingPointersShownAsNull) {
    navigator_invoke("https://example.org/?q=1", nullptr);
    navigator_invoke(nullptr, nullptr);
    virtualkeyboard_change_options(3, 7);
    virtualkeyboard_show();
    screen_get_window_property_iv(nullptr, SCREEN_PROPERTY_ROTATION, nullptr);
    screen_set_window_property_iv(nullptr, SCREEN_PROPERTY_BUFFER_SIZE, nullptr);
    EXPECT_EQ(headless::calls(), (Lines{
                                     "navigator_invoke(\"https://example.org/?q=1\")",
                                     "navigator_invoke(null)",
                                     "virtualkeyboard_change_options(3, 7)",
                                     "virtualkeyboard_show()",
                                     "screen_get_window_property_iv(null, 1007)",
                                     "screen_set_window_property_iv(null, 1006, null)",
                                 }));
}

TEST_F(RunningDevice, StaleHandlesAreLoggedWithoutBeingRead) {
    screen_window_t win = nullptr;
    ASSERT_EQ(screen_create_window(&win, ctx_), 0);
    ASSERT_EQ(screen_destroy_window(win), 0);
    headless::clear_calls();
    EXPECT_EQ(screen_destroy_window(win), -1);
    EXPECT_EQ(headless::calls(), Lines{"screen_destroy_window(invalid)"});
}

TEST_F(RunningDevice, FailedAndRejectedCallsAreRecorded) {
    ASSERT_TRUE(headless::fail("navigator_rotation_lock", 1));
    EXPECT_EQ(navigator_rotation_lock(true), BPS_FAILURE);
    const int rotation = 45;
    screen_window_t win = nullptr;
    ASSERT_EQ(screen_create_window(&win, ctx_), 0);
    EXPECT_EQ(screen_set_window_property_iv(win, SCREEN_PROPERTY_ROTATION, &rotation), -1);
    EXPECT_EQ(headless::calls(), (Lines{
                                     "navigator_rotation_lock(true)",
                                     "screen_create_window(ctx1)",
                                     "screen_set_window_property_iv(win2, 1007, [45])",
                                 }));
}

TEST_F(RunningDevice, ClearAndResetEmptyTheLog) {
    navigator_rotation_lock(true);
    ASSERT_EQ(headless::calls().size(), 1u);
    headless::clear_calls();
    EXPECT_TRUE(headless::calls().empty());
    navigator_rotation_lock(false);
    headless::reset();
    EXPECT_TRUE(headless::calls().empty());
    // Injection is control, not a platform call.
    headless::inject_exit();
    EXPECT_TRUE(headless::calls().empty());
}

}  // namespace
