// The timeline on fixture files: the screens list and its fresh flags, the order of
// events with JUMP redirections, the transition type and fade speeds, unknown ids,
// the developer checks, empty and missing timelines.
#include "tests/app/ui/timeline_fixture.h"

#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/ui/ui-comps.h"

#include <string.h>

using namespace timelinetest;

namespace {

class Timelines : public TimelineTest {};

struct TokenCase {
    const char *list;
    std::vector<std::string> names;
    std::vector<bool> fresh;
};

}  // namespace

TEST(TimelineTokens, ScreensListsSplitAtSingleCommasWithPrefixes)
{
    const TokenCase cases[] = {
        {"", {}, {}},
        {"Menu", {"Menu"}, {true}},
        {"A,B,", {"A", "B"}, {true, true}},              // a trailing comma starts nothing
        {"A, B", {"A", " B"}, {true, true}},             // blanks are part of the next name
        {"A,,B", {"A", "", "B"}, {true, true, true}},
        {"!A,&B,!&C", {"A", "B", "C"}, {true, false, true}},
        {"&!A", {"!A"}, {false}},                        // '!' only counts before '&'
        {",", {""}, {true}},
    };
    for (const TokenCase &c : cases) {
        SCOPED_TRACE(c.list);
        std::vector<TimelineToken> tokens = SplitTimelineScreens(c.list);
        ASSERT_EQ(tokens.size(), c.names.size());
        for (size_t i = 0; i < tokens.size(); i++) {
            EXPECT_EQ(tokens[i].name, c.names[i]);
            EXPECT_EQ(tokens[i].fresh, c.fresh[i]) << i;
        }
    }
    EXPECT_TRUE(SplitTimelineScreens("!&A")[0].forced);
    EXPECT_FALSE(SplitTimelineScreens("!A")[0].forced);
    EXPECT_TRUE(SplitTimelineScreens(nullptr).empty());
    // No length limit: a long list keeps its names.
    std::string long_list;
    for (int i = 0; i < 300; i++)
        long_list += "Screen" + std::to_string(i) + ",";
    std::vector<TimelineToken> many = SplitTimelineScreens(long_list.c_str());
    ASSERT_EQ(many.size(), 300u);
    EXPECT_EQ(many[299].name, "Screen299");
}

TEST_F(Timelines, StartEventFillsTheTransitionWithFreshFlags)
{
    uitest::ProbeScreen *a = MakeScreen("A");
    MakeScreen("B");
    MakeScreen("C");
    MakeScreen("D");
    LoadTimeline("flags.xml", "<node id=\"e\" screens=\"A,&amp;B,!&amp;C,!D, E,\" />\n"
                              "<node id=\"f\" screens=\"!&amp;A,B\" />\n"
                              "<node id=\"g\" screens=\"&amp;A,B\" />\n");
    sman.PushScreen(a, 0);
    timeline.StartEvent("e", false, TIMELINE_DEFAULT);
    TimelineTransition &t = timeline_transition;
    ASSERT_TRUE(sman.IsScreenInStack(&t));
    EXPECT_STREQ(t.event_id, "e");
    ASSERT_EQ(t.screens.Count(), 5);
    const char *names[] = {"A", "B", "C", "D", nullptr};
    const bool fresh[] = {false, false, true, true, true};
    for (int i = 0; i < 5; i++) {
        SCOPED_TRACE(i);
        if (names[i])
            EXPECT_STREQ(t.screens[i].screen->name, names[i]);
        else
            EXPECT_EQ(t.screens[i].screen, nullptr);
        EXPECT_EQ(t.screens[i].fresh, fresh[i]);
    }
    EXPECT_EQ(CountPopups("Screen::GetScreen (' E') -- screen not found!\n"), 1);

    Unstack();
    timeline.StartEvent("f", false, TIMELINE_DEFAULT);
    ASSERT_EQ(t.screens.Count(), 2);
    EXPECT_TRUE(t.screens[0].fresh) << "\"!&\" keeps a stacked first screen fresh";
    Unstack();
    sman.PopScreen(a, false);
    sman.UpdateScreens(0.0f);
    timeline.StartEvent("g", false, TIMELINE_DEFAULT);
    EXPECT_FALSE(t.screens[0].fresh) << "'&' is not fresh, stacked or not";
    EXPECT_TRUE(t.screens[1].fresh);
}

TEST_F(Timelines, NextEventWrapsAndFollowsOneJump)
{
    LoadTimeline("jumps.xml", "<node id=\"a\" screens=\"A\" />\n"
                              "<node id=\"b\" screens=\"A\" />\n"
                              "<node id=\"j1\" type=\"JUMP\" event=\"j2\" />\n"
                              "<node id=\"c\" screens=\"A\" />\n"
                              "<node id=\"j2\" type=\"JUMP\" event=\"a\" />\n"
                              "<node id=\"d\" screens=\"A\" />\n");
    struct Case {
        const char *id, *next;
    };
    const Case cases[] = {
        {"a", "b"}, {"b", "j2"}, {"j1", "c"}, {"c", "a"}, {"d", "a"}, {"zz", nullptr}, {nullptr, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id ? c.id : "null");
        const char *next = timeline.GetNextEventId(c.id);
        if (c.next)
            EXPECT_STREQ(next, c.next);
        else
            EXPECT_EQ(next, nullptr);
    }
    // Ending "b" starts the JUMP event "j2" itself.
    MakeScreen("A");
    timeline.SendEventParametersToKeyScreen("b");
    timeline.EndEvent();
    EXPECT_STREQ(timeline_transition.event_id, "j2");
    EXPECT_EQ(timeline_transition.screens.Count(), 0);
}

TEST_F(Timelines, TransitionTypeAndFadeSpeeds)
{
    uitest::ProbeScreen *base = MakeScreen("Base");
    MakeScreen("X");
    LoadTimeline("types.xml", "<node id=\"plain\" screens=\"Base,X\" />\n"
                              "<node id=\"fb\" screens=\"Base,X\" transition=\"FADE_BLACK\" transition_duration=\"0.25\" />\n"
                              "<node id=\"dyn\" screens=\"Base,X\" transition=\"dynamic\" transition_duration=\"0\" />\n"
                              "<node id=\"odd\" screens=\"Base,X\" transition=\"SIDEWAYS\" transition_duration=\"-2\" />\n"
                              "<node id=\"text\" screens=\"X\" transition_duration=\"soon\" />\n");
    struct Case {
        const char *id;
        int type, default_type;
        bool base_stacked;
        int expect;
        float speed;
    };
    const Case cases[] = {
        {"plain", TIMELINE_DEFAULT, TIMELINE_AUTOMATIC, true, TIMELINE_DYNAMIC, 2.0f},
        {"plain", TIMELINE_DEFAULT, TIMELINE_AUTOMATIC, false, TIMELINE_FADE_BLACK, 2.0f},
        {"plain", TIMELINE_DEFAULT, TIMELINE_FADE_BLACK, true, TIMELINE_FADE_BLACK, 2.0f},
        {"plain", TIMELINE_DYNAMIC, TIMELINE_AUTOMATIC, false, TIMELINE_DYNAMIC, 2.0f},
        {"fb", TIMELINE_AUTOMATIC, TIMELINE_AUTOMATIC, true, TIMELINE_FADE_BLACK, 4.0f},
        {"dyn", TIMELINE_FADE_BLACK, TIMELINE_AUTOMATIC, false, TIMELINE_DYNAMIC, 1000.0f},
        {"odd", TIMELINE_AUTOMATIC, TIMELINE_AUTOMATIC, true, TIMELINE_DYNAMIC, 1000.0f},
        {"text", TIMELINE_AUTOMATIC, TIMELINE_AUTOMATIC, true, TIMELINE_FADE_BLACK, 1000.0f},
    };
    TimelineTransition &t = timeline_transition;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.id) + " " + std::to_string(c.type) + " " + std::to_string(c.base_stacked));
        if (c.base_stacked != sman.IsScreenInStack(base)) {
            if (c.base_stacked)
                sman.PushScreen(base, 0);
            else
                sman.PopScreen(base, false);
            sman.UpdateScreens(0.0f);
        }
        timeline.default_transition_type = c.default_type;
        timeline.StartEvent(c.id, false, c.type);
        ASSERT_TRUE(sman.IsScreenInStack(&t));
        EXPECT_EQ(t.transition_type, c.expect);
        UIComp *fader = t.GetComp("fader");
        ASSERT_NE(fader, nullptr);
        EXPECT_EQ(fader->color.a, c.expect == TIMELINE_FADE_BLACK ? 1.0f : 0.0f);
        EXPECT_FLOAT_EQ(t.enter_speed, c.speed);
        EXPECT_FLOAT_EQ(t.leave_speed, c.speed);
        Unstack();
    }
    EXPECT_TRUE(apptest::Logged("SetTransitionType 1 (DYNAMIC)"));
}

TEST_F(Timelines, UnknownIdsChangeNothing)
{
    MakeScreen("A");
    MakeScreen("B");
    LoadTimeline("unknown.xml", "<node id=\"a\" screens=\"A,B\" />\n"
                                "<node id=\"bare\" type=\"GAME\" />\n");
    timeline.StartEvent("a", false, TIMELINE_FADE_BLACK);
    Unstack();
    TimelineTransition &t = timeline_transition;
    timeline.SendEventParametersToKeyScreen("a");
    ASSERT_STREQ(timeline.current_event_id, "a");
    popups.clear();

    timeline.StartEvent("nope", true, TIMELINE_DYNAMIC);
    EXPECT_EQ(CountPopups("Timeline::StartEvent error: timeline event with id 'nope' doesn't exist.\n"), 1);
    EXPECT_FALSE(sman.IsScreenInStack(&t));
    EXPECT_STREQ(t.event_id, "a");
    EXPECT_EQ(t.screens.Count(), 2);
    EXPECT_EQ(t.transition_type, TIMELINE_FADE_BLACK);
    EXPECT_FALSE(timeline.resume);

    EXPECT_EQ(timeline.GetKeyScreenForEvent("nope"), nullptr);
    EXPECT_EQ(CountPopups("Unknown event id 'nope' in Timeline::GetKeyScreenForEvent.\n"), 1);
    timeline.SendEventParametersToKeyScreen("nope");
    EXPECT_EQ(CountPopups("Unknown event id 'nope' in Timeline::SendEventParametersToKeyScreen.\n"), 1);
    EXPECT_STREQ(timeline.current_event_id, "a");
    EXPECT_EQ(timeline.GetKeyScreenForEvent("bare"), nullptr);
    EXPECT_EQ(CountPopups("No Key Screen found for event id 'bare' in Timeline::GetKeyScreenForEvent.\n"), 1);
    EXPECT_EQ(timeline.GetKeyScreenForEvent("a"), Screen::PeekScreen("B")) << "the last listed screen";

    // A transition that is running is not overwritten.
    timeline.StartEvent("a", false, TIMELINE_DYNAMIC);
    ASSERT_TRUE(sman.IsScreenInStack(&t));
    timeline.StartEvent("bare", true, TIMELINE_FADE_BLACK);
    EXPECT_EQ(CountPopups("Timeline::StartEvent: transition already running, event 'bare' not started.\n"), 1);
    EXPECT_STREQ(t.event_id, "a");
    EXPECT_EQ(t.screens.Count(), 2);
    EXPECT_EQ(t.transition_type, TIMELINE_DYNAMIC);
    timeline.EndEvent();
    EXPECT_STREQ(t.event_id, "a") << "ending is refused while the transition runs";
}

TEST_F(Timelines, DeveloperChecksReportAndKeepTheFile)
{
    LoadTimeline("checks.xml", "<node id=\"ok\" screens=\"A\" />\n"
                               "<node id=\"noscreens\" type=\"GAME\" />\n"
                               "<node id=\"withui\" screens=\"A\" ui=\"ui/x.lua\" />\n"
                               "<node id=\"jump\" type=\"JUMP\" event=\"ok\" />\n"
                               "<node id=\"dup\" screens=\"A\" />\n"
                               "<node id=\"dup\" screens=\"A\" />\n");
    EXPECT_EQ(CountPopups("Event id 'noscreens' is missing 'screens' definition in timeline 'checks.xml'.\n"), 1);
    EXPECT_EQ(CountPopups("Event id 'withui' has 'ui' defined in timeline 'checks.xml'. The UI is tied to Screen at "
                          "load time and cannot be altered afterwards.\n"),
              1);
    EXPECT_EQ(CountPopups("Duplicate id 'dup' in timeline 'checks.xml'.\n"), 2) << "once from each side";
    EXPECT_EQ(popups.size(), 4u) << "the JUMP needs no screens";
    EXPECT_STREQ(timeline.GetTimelineFilename(), "checks.xml");
    EXPECT_TRUE(timeline.EventExists("dup"));

    // Loading the same file again does nothing; outside developer mode nothing is checked.
    popups.clear();
    timeline.LoadTimeline("checks.xml");
    EXPECT_TRUE(popups.empty());
    prog.parms.developer_mode = 0;
    LoadTimeline("checks2.xml", "<node id=\"noscreens\" type=\"GAME\" />\n");
    prog.parms.developer_mode = 1;
    EXPECT_TRUE(popups.empty());
    EXPECT_STREQ(timeline.GetTimelineFilename(), "checks2.xml");
}

TEST_F(Timelines, EmptyAndMissingTimelinesStartNothing)
{
    LoadTimeline("empty.xml", "");
    ASSERT_STREQ(timeline.GetTimelineFilename(), "empty.xml");
    timeline.StartEvent(nullptr, false, TIMELINE_DEFAULT);
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition));
    EXPECT_EQ(timeline.GetNextEventId("a"), nullptr);
    timeline.SendEventParametersToKeyScreen(nullptr);
    timeline.EndEvent();
    timeline.SimulateGameToTimelineEvent(nullptr);
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition));
    EXPECT_EQ(timeline.current_event_id, nullptr);

    timeline.LoadTimeline("missing.xml");
    EXPECT_EQ(timeline.GetTimelineFilename(), nullptr);
    EXPECT_EQ(timeline.events, nullptr);
    EXPECT_FALSE(timeline.EventExists("a"));
    EXPECT_EQ(timeline.GetEventType("a"), nullptr);
    timeline.StartEvent("a", false, TIMELINE_DEFAULT);
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition));
}

TEST_F(Timelines, TheLoadedFileIsRecordedInTheActiveProfile)
{
    LoadTimeline("story.xml", "<node id=\"a\" type=\"MENU\" screens=\"A\" game=\"Arcade\" />\n"
                              "<node id=\"b\" screens=\"A\" />\n");
    EXPECT_STREQ(prof->GetValue("!SAVE_STATE", "timeline", "value"), "story.xml");
    TimelineEventInfo info;
    timeline.GetEventInfo(&info, "a");
    EXPECT_STREQ(info.type, "MENU");
    EXPECT_STREQ(info.game, "Arcade");
    EXPECT_STREQ(info.screens, "A");
    TimelineEventInfo untouched;
    timeline.GetEventInfo(&untouched, "b");
    EXPECT_EQ(untouched.type, nullptr) << "an event without type leaves the info alone";

    // A first run has no profile: the timeline loads all the same.
    timeline.FreeTimeline();
    profile_man().Clear();
    ASSERT_EQ(prof, nullptr);
    LoadTimeline("first-run.xml", "<node id=\"a\" screens=\"A\" />\n");
    EXPECT_STREQ(timeline.GetTimelineFilename(), "first-run.xml");
    EXPECT_FALSE(timeline.SavedEventExists());
    timeline.RestartEvent();
    timeline.ResumeSavedEvent();
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition));
}
