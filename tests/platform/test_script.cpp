// Tests of the event-script reader: each line kind, comments and line endings, waits,
// error messages, loading a file and the timed release of scripted events.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/events.h"
#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::FreshDevice;
using ovdev_test::RunningDevice;
using ovdev_test::Describe;
using headless::ScriptStep;
using Clock = std::chrono::steady_clock;

struct LineCase {
    const char *line;
    std::vector<RawEvent> events;
};

TEST(ScriptParse, EachLineKindGivesItsEvents) {
    const std::vector<LineCase> cases = {
        {"touch down 3 10 20", {MakeTouchEvent(SCREEN_EVENT_MTOUCH_TOUCH, 3, 10, 20)}},
        {"touch move 3 -5 0x10", {MakeTouchEvent(SCREEN_EVENT_MTOUCH_MOVE, 3, -5, 16)}},
        {"  touch up 0 7 8  ", {MakeTouchEvent(SCREEN_EVENT_MTOUCH_RELEASE, 0, 7, 8)}},
        {"pointer 100 200 1", {MakePointerEvent(100, 200, 1)}},
        {"key 'q' down", {MakeKeyEvent('q', true)}},
        {"key 113 up", {MakeKeyEvent(113, false)}},
        {"key '\xc2\xa7' down", {MakeKeyEvent(0xA7, true)}},  // a quoted UTF-8 character: its code point
        {"key '\xc3\xa4' up", {MakeKeyEvent(0xE4, false)}},
        {"key backspace press", {MakeKeyEvent(KEYCODE_BACKSPACE, true), MakeKeyEvent(KEYCODE_BACKSPACE, false)}},
        {"key return down", {MakeKeyEvent(0xF00D, true)}},
        {"key f12 down", {MakeKeyEvent(KEYCODE_F12, true)}},
        {"key 0xF051 down", {MakeKeyEvent(KEYCODE_LEFT, true)}},
        {"key lalt down", {MakeKeyEvent(KEYCODE_LEFT_ALT, true)}},
        {"key ralt up", {MakeKeyEvent(KEYCODE_RIGHT_ALT, false)}},
        {"text Hi 2", {MakeKeyEvent('H', true), MakeKeyEvent('H', false), MakeKeyEvent('i', true),
                       MakeKeyEvent('i', false), MakeKeyEvent(' ', true), MakeKeyEvent(' ', false),
                       MakeKeyEvent('2', true), MakeKeyEvent('2', false)}},
        {"window thumbnail", {MakeWindowStateEvent(1)}},
        {"window invisible", {MakeWindowStateEvent(2)}},
        {"window fullscreen", {MakeWindowStateEvent(0)}},
        {"window 1", {MakeWindowStateEvent(1)}},
        {"swipe_down", {MakeSwipeDownEvent()}},
        {"exit", {MakeExitEvent()}},
        {"close", {MakeWindowCloseEvent()}},
        {"raw 3 9", {RawEvent{3, 9, {}}}},
        {"raw 1 100 47=100 41=5,6", {RawEvent{1, 100, {{47, {100}}, {41, {5, 6}}}}}},
    };
    for (const LineCase &c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<ScriptStep> steps;
        std::string error;
        ASSERT_TRUE(headless::parse_script(c.line, &steps, &error)) << error;
        ASSERT_EQ(steps.size(), c.events.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].delay_ms, 0);
            EXPECT_EQ(Describe(steps[i].event), Describe(c.events[i])) << "event " << i;
        }
    }
}

TEST(ScriptParse, CommentsBlankLinesAndCarriageReturnsAreSkipped) {
    const std::string text = "# a scripted tap\r\n\r\n   \ntouch down 1 2 3 # finger goes down\r\n\ttouch up 1 2 3\n";
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(headless::parse_script(text, &steps, &error)) << error;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(Describe(steps[0].event), Describe(MakeTouchEvent(SCREEN_EVENT_MTOUCH_TOUCH, 1, 2, 3)));
    EXPECT_EQ(Describe(steps[1].event), Describe(MakeTouchEvent(SCREEN_EVENT_MTOUCH_RELEASE, 1, 2, 3)));
}

TEST(ScriptParse, WaitsAddUpAndDelayTheNextEventOnly) {
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(headless::parse_script("wait 10\nwait 15\nkey 'a' press\nwait 5\nexit\n", &steps, &error)) << error;
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].delay_ms, 25);
    EXPECT_EQ(steps[1].delay_ms, 0);
    EXPECT_EQ(steps[2].delay_ms, 5);
    EXPECT_EQ(Describe(steps[2].event), Describe(MakeExitEvent()));
}

struct ErrorCase {
    const char *text;
    const char *message_start;
};

TEST(ScriptParse, ErrorsNameTheLine) {
    const std::vector<ErrorCase> cases = {
        {"tuch down 1 2 3", "line 1: unknown event"},
        {"exit\ntouch sideways 1 2 3", "line 2: touch phase"},
        {"touch down 1 2", "line 1: touch takes"},
        {"touch down a 2 3", "line 1: touch id must be a number from 0 to 9, not 'a'"},
        {"\n\npointer 1 2", "line 3: pointer takes"},
        {"key 'q' hold", "line 1: key takes down"},
        {"key nokey down", "line 1: unknown key symbol"},
        {"key f13 down", "line 1: unknown key symbol"},
        {"key '\xe2\x82\xac' down", "line 1: unknown key symbol"},  // beyond U+07FF
        {"key '\xc3' down", "line 1: unknown key symbol"},             // cut short
        {"window upside", "line 1: unknown window state"},
        {"window 3", "line 1: unknown window state"},
        {"exit now", "line 1: exit takes no arguments"},
        {"raw 1", "line 1: raw takes"},
        {"raw 1 2 47", "line 1: bad property"},
        {"raw 1 2 47=", "line 1: bad property"},
        {"wait -4", "line 1: wait must be a number from 0 to 86400000, not '-4'"},
        {"wait 99999999999", "line 1: wait must be a number"},
        {"text", "line 1: text needs"},
    };
    for (const ErrorCase &c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<ScriptStep> steps = {ScriptStep{}};
        std::string error;
        EXPECT_FALSE(headless::parse_script(c.text, &steps, &error));
        EXPECT_EQ(error.rfind(c.message_start, 0), 0u) << "got: " << error;
        EXPECT_EQ(steps.size(), 1u) << "steps are untouched on error";
    }
}

TEST(ScriptParse, AnyWhitespaceIsBlank) {
    // Lines of only form feed or vertical tab once crashed the reader.
    const std::vector<std::string> blank = {"\f", "\v", "\f\v \t\r", "\v# only a comment", "\f\r"};
    for (const std::string &line : blank) {
        SCOPED_TRACE(testing::PrintToString(line));
        std::vector<ScriptStep> steps;
        std::string error;
        ASSERT_TRUE(headless::parse_script(line + "\nexit\n" + line, &steps, &error)) << error;
        ASSERT_EQ(steps.size(), 1u);
        EXPECT_EQ(Describe(steps[0].event), Describe(MakeExitEvent()));
    }
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(headless::parse_script("\ftouch\vdown\t1\f2 3\v\r\nwait\f7\nexit", &steps, &error)) << error;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(Describe(steps[0].event), Describe(MakeTouchEvent(SCREEN_EVENT_MTOUCH_TOUCH, 1, 2, 3)));
    EXPECT_EQ(steps[1].delay_ms, 7);
}

TEST(ScriptParse, TextKeepsItsCharactersButNotTheLineEnding) {
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(headless::parse_script("\vtext a b\r\n", &steps, &error)) << error;
    ASSERT_EQ(steps.size(), 6u) << "a press of each character";
    EXPECT_EQ(Describe(steps[2].event), Describe(MakeKeyEvent(' ', true)));
    EXPECT_EQ(Describe(steps[4].event), Describe(MakeKeyEvent('b', true)));
    EXPECT_EQ(Describe(steps[5].event), Describe(MakeKeyEvent('b', false)));
    EXPECT_FALSE(headless::parse_script("text\f\r\n", &steps, &error));
    EXPECT_EQ(error, "line 1: text needs characters");
}

TEST(ScriptParse, WaitsMayNotAddUpPastADay) {
    std::vector<ScriptStep> steps;
    std::string error;
    // Each wait is fine on its own; together they would pass the int range.
    EXPECT_FALSE(headless::parse_script("exit\nwait 86400000\n\nwait 1\nexit\n", &steps, &error));
    EXPECT_EQ(error, "line 4: waits before one event add up to more than 86400000 ms");
    EXPECT_FALSE(headless::parse_script("wait 2147483647\n", &steps, &error));
    EXPECT_EQ(error.rfind("line 1: wait must be a number from 0 to 86400000", 0), 0u) << error;
    // The sum starts again after each event.
    ASSERT_TRUE(headless::parse_script("wait 86400000\nexit\nwait 86400000\nexit\n", &steps, &error)) << error;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].delay_ms, 86400000);
    EXPECT_EQ(steps[1].delay_ms, 86400000);
}

TEST(ScriptParse, NumbersOutsideTheirRangeAreRefused) {
    const std::vector<ErrorCase> refused = {
        {"touch down 10 0 0", "line 1: touch id must be a number from 0 to 9, not '10'"},
        {"touch down -1 0 0", "line 1: touch id must be a number from 0 to 9, not '-1'"},
        {"touch move 0 65536 0", "line 1: touch x must be a number from -65535 to 65535, not '65536'"},
        {"touch up 0 0 -0x10000", "line 1: touch y must be a number from -65535 to 65535"},
        {"pointer 0 0 8", "line 1: pointer buttons must be a number from 0 to 7, not '8'"},
        {"pointer 99999999999 0 1", "line 1: pointer x must be a number"},
        {"key -1 down", "line 1: key symbol '-1' is out of range"},
        {"key 0x110000 down", "line 1: key symbol '0x110000' is out of range"},
        {"raw -1 2", "line 1: raw domain must be a number from 0 to 2147483647, not '-1'"},
        {"raw 1 -2", "line 1: raw code must be a number from 0 to 2147483647, not '-2'"},
        {"wait 86400001", "line 1: wait must be a number from 0 to 86400000, not '86400001'"},
    };
    for (const ErrorCase &c : refused) {
        SCOPED_TRACE(c.text);
        std::vector<ScriptStep> steps;
        std::string error;
        EXPECT_FALSE(headless::parse_script(c.text, &steps, &error));
        EXPECT_EQ(error.rfind(c.message_start, 0), 0u) << "got: " << error;
    }
    // The ends of each range are accepted.
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(headless::parse_script("touch down 9 -65535 65535\npointer 65535 -65535 7\nkey 0x10FFFF down\n"
                                       "raw 0 2147483647\nwait 0\nwait 86400000\nexit\n",
                                       &steps, &error))
        << error;
    EXPECT_EQ(steps.size(), 5u);
}

class ScriptFile : public RunningDevice {
protected:
    void TearDown() override {
        if (!path_.empty()) std::remove(path_.c_str());
    }

    std::string Write(const std::string &text) {
        // One file per test and process: ctest may run the tests of this file at once.
        path_ = ::testing::TempDir() + "orvex_script_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                std::to_string(getpid()) + ".txt";
        std::ofstream(path_) << text;
        return path_;
    }

    std::string path_;
};

TEST_F(ScriptFile, LoadedScriptPlaysAtTheFirstFetch) {
    std::string error;
    ASSERT_TRUE(headless::load_script(Write("touch down 2 30 40\nswipe_down\n"), &error)) << error;
    EXPECT_EQ(headless::pending_script_steps(), 2u);
    EXPECT_EQ(headless::queued_events(), 0u) << "nothing goes out before the program fetches";

    bps_event_t *event = NextEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(SCREEN_EVENT_MTOUCH_TOUCH));
    EXPECT_EQ(Property(event, SCREEN_PROPERTY_TOUCH_ID, 1), std::vector<int>{2});
    event = NextEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(NAVIGATOR_SWIPE_DOWN));
    EXPECT_EQ(headless::pending_script_steps(), 0u);
}

TEST_F(ScriptFile, WaitHoldsLaterEventsBack) {
    std::string error;
    ASSERT_TRUE(headless::load_script(Write("key 'a' down\nwait 60\nexit\n"), &error)) << error;
    const Clock::time_point start = Clock::now();
    bps_event_t *event = NextEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(SCREEN_EVENT_KEYBOARD));

    ASSERT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
    EXPECT_EQ(event, nullptr) << "the exit waits its turn";
    EXPECT_EQ(headless::pending_script_steps(), 1u);

    ASSERT_EQ(bps_get_event(&event, -1), BPS_SUCCESS);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(NAVIGATOR_EXIT));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(55));
}

TEST_F(ScriptFile, BadFileOrBadTextIsReported) {
    std::string error;
    EXPECT_FALSE(headless::load_script(::testing::TempDir() + "no_such_orvex_script.txt", &error));
    EXPECT_NE(error.find("no_such_orvex_script.txt: cannot be read"), std::string::npos) << error;
    const std::string path = Write("exit\nbogus\n");
    EXPECT_FALSE(headless::load_script(path, &error));
    EXPECT_EQ(error, path + ": line 2: unknown event 'bogus'");
    EXPECT_EQ(headless::pending_script_steps(), 0u);
}

TEST_F(ScriptFile, ResetDropsAPendingScript) {
    ASSERT_TRUE(headless::play_script({ScriptStep{0, MakeExitEvent()}}));
    EXPECT_EQ(headless::pending_script_steps(), 1u);
    headless::reset();
    EXPECT_EQ(headless::pending_script_steps(), 0u);
}

}  // namespace

TEST(ScriptParse, AwaitGatesTheEventsAfterIt) {
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(headless::parse_script("wait 30\nawait 5000 logs/run.log   PushScreen: 'Shop'  # the shop\nexit\n",
                                       &steps, &error))
        << error;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].delay_ms, 30);
    EXPECT_EQ(steps[0].await_file, "logs/run.log");
    EXPECT_EQ(steps[0].await_text, "PushScreen: 'Shop'");
    EXPECT_EQ(steps[0].await_limit_ms, 5000);
    EXPECT_EQ(steps[1].delay_ms, 0);
    EXPECT_TRUE(steps[1].await_text.empty());
    const struct {
        const char *line;
        const char *message;
    } bad[] = {
        {"await 5000 log.txt\n", "line 1: await takes a limit in milliseconds, a file and a text"},
        {"await 0 log.txt Shop\n", "line 1: await"},
        {"await soon log.txt Shop\n", "line 1: await"},
    };
    for (const auto &b : bad) {
        EXPECT_FALSE(headless::parse_script(b.line, &steps, &error)) << b.line;
        EXPECT_EQ(error.rfind(b.message, 0), 0u) << "got: " << error;
    }
}

// The gate opens when the text shows in the file, each await matching after the last;
// a text that never comes opens it at its limit.
TEST_F(ScriptFile, AwaitHoldsLaterEventsUntilTheFileSaysSo) {
    const std::string log = ::testing::TempDir() + "orvex_await_" + std::to_string(getpid()) + ".log";
    std::ofstream(log) << "PushScreen: 'Game'\n";
    std::string error;
    ASSERT_TRUE(headless::load_script(Write("await 60000 " + log + " PushScreen: 'Game'\nkey 'a' press\n" +
                                            "await 60000 " + log + " PushScreen: 'Game'\nkey 'b' press\n" +
                                            "await 50 " + log + " never written\nexit\n"),
                                      &error))
        << error;
    // The first await finds the line already there.
    bps_event_t *event = NextEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(SCREEN_EVENT_KEYBOARD));
    event = NextEvent();
    ASSERT_NE(event, nullptr);  // the key's release
    // The second needs a second line: nothing until the file gets it.
    ASSERT_EQ(bps_get_event(&event, 100), BPS_SUCCESS);
    EXPECT_EQ(event, nullptr) << "the second key waits for a second 'Game' line";
    std::ofstream(log, std::ios::app) << "PushScreen: 'Game'\n";
    event = NextEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(SCREEN_EVENT_KEYBOARD));
    event = NextEvent();
    ASSERT_NE(event, nullptr);
    // The text that never comes: the exit goes out once the 50 ms limit passed (the
    // fetch waits at most 5 s, so a broken gate fails here instead of hanging).
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(bps_get_event(&event, 5000), BPS_SUCCESS);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), static_cast<unsigned>(NAVIGATOR_EXIT));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
    std::remove(log.c_str());
}
