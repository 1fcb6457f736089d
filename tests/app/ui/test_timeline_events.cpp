// What an event does once its transition hands it over: the "parm_" keys reach the key
// screen in key order, the game step with a test game implementation, the profile
// records written and read by the script functions, restarting and resuming the saved
// event, and a simulated run through a recording processor.
#include "tests/app/ui/timeline_fixture.h"

#include "app/services/dataman.h"
#include "app/services/gameman.h"
#include "app/services/luaman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "tests/app/services/test_game.h"

#include <algorithm>

using namespace timelinetest;
using gametest::TestGame;

namespace {

class Events : public TimelineTest {
protected:
    void Do(const char *code)
    {
        lua_State *L = Lua();
        ASSERT_EQ(luaL_dostring(L, code), 0) << LuaErrorText(L);
        lua_settop(L, 0);
    }
    const char *Saved(const char *key) { return prof->GetValue("!TIMELINES", "story.xml", key); }
    bool Logged(const TestGame &g, const std::string &entry)
    {
        return std::find(g.log.begin(), g.log.end(), entry) != g.log.end();
    }
    bool LoadedFromFile(const TestGame &g)
    {
        for (const std::string &entry : g.log)
            if (entry.compare(0, 13, "LoadFromFile ") == 0)
                return true;
        return false;
    }
};

// Records what the timeline hands it.
class RecordingProcessor : public TimelineProcessor {
public:
    bool ProcessEventParameters(DMNode *event) override
    {
        log.push_back(std::string("params ") + event->id);
        return handle;
    }
    bool ExportEvent(FILE *, DMNode *) override { return false; }
    void BeginSimulation() override { log.push_back("begin"); }
    void SimulateEvent(const char *target, DMNode *event) override
    {
        log.push_back(std::string("passed ") + event->id + " to " + (target ? target : "null") + " current " +
                      (timeline.current_event_id ? timeline.current_event_id : "null"));
    }
    std::vector<std::string> log;
    bool handle = false;
};

}  // namespace

TEST_F(Events, ParametersReachTheKeyScreenInKeyOrder)
{
    MakeScreen("Other");
    uitest::ProbeScreen *key = MakeScreen("Key");
    Script(key, "got = ''\nfunction OnScreenMessage(m, v) got = got .. m .. '=' .. v .. ';' end\n");
    LoadTimeline("story.xml", "<node id=\"e\" screens=\"Other,Key\" parm_zeta=\"1\" level=\"x\" parm_alpha=\"two\" "
                              "parm_=\"empty\" />\n"
                              "<node id=\"k\" screens=\"Key,Other\" key_screen=\"Key\" parm_mode=\"hard\" />\n");
    uitest::calls.clear();
    timeline.SendEventParametersToKeyScreen("e");
    EXPECT_STREQ(timeline.current_event_id, "e");
    std::vector<std::string> expected = {"Key:Message null zeta 1", "Key:Message null alpha two",
                                         "Key:Message null  empty"};
    EXPECT_EQ(uitest::CallsOf("Key:Message"), expected);
    lua_getglobal(key->ui->L, "got");
    EXPECT_STREQ(lua_tostring(key->ui->L, -1), "zeta=1;alpha=two;=empty;");
    lua_settop(key->ui->L, 0);

    uitest::calls.clear();
    timeline.SendEventParametersToKeyScreen("k");
    EXPECT_EQ(uitest::CallsOf("Key:Message"), std::vector<std::string>{"Key:Message null mode hard"});
    EXPECT_TRUE(uitest::CallsOf("Other:Message").empty()) << "\"key_screen\" names the receiver";
    // A null id is the first event.
    timeline.SendEventParametersToKeyScreen(nullptr);
    EXPECT_STREQ(timeline.current_event_id, "e");
}

TEST_F(Events, TheGameStepStartsTheLevelAndSaves)
{
    MakeScreen("Play");
    TestGame game("Arcade");
    game_man.AddGameImplementation(&game);
    LoadTimeline("story.xml", "<node id=\"g1\" screens=\"Play\" game=\"Arcade\" level=\"L7\" />\n"
                              "<node id=\"g2\" screens=\"Play\" game=\"Arcade\" />\n"
                              "<node id=\"g3\" screens=\"Play\" game=\"Chess\" />\n"
                              "<node id=\"g4\" screens=\"Play\" game=\"Arcade\" level=\"L9\" />\n");
    timeline.SendEventParametersToKeyScreen("g1");
    EXPECT_EQ(game.log, (std::vector<std::string>{"Load", "InitLevel L7",
                                                  "SaveToFile user://profiles/saves/save-game-001.dat"}));
    EXPECT_STREQ(Saved("event"), "g1");
    EXPECT_STREQ(Saved("game"), "Arcade");
    EXPECT_STREQ(Saved("savefile"), "profiles/saves/save-game-001.dat");

    timeline.SendEventParametersToKeyScreen("g2");
    EXPECT_TRUE(Logged(game, "InitLevel g2")) << "the level defaults to the event id";
    timeline.SendEventParametersToKeyScreen("g3");
    EXPECT_EQ(CountPopups("Timeline::SendEventParametersToKeyScreen: event referring to unknown game 'Chess'\n"), 1);

    // A processor that handles the event skips the game step.
    RecordingProcessor processor;
    processor.handle = true;
    timeline.SetCustomEventProcessor(&processor);
    game.log.clear();
    timeline.SendEventParametersToKeyScreen("g4");
    EXPECT_EQ(processor.log, std::vector<std::string>{"params g4"});
    EXPECT_FALSE(Logged(game, "InitLevel L9"));
    timeline.SetCustomEventProcessor(nullptr);

    // With the resume flag the saved game is restored after the level starts.
    game_man.SetActiveGame("Arcade");
    game.state = "restored";
    game_man.SaveCurrentGame("g1");
    game.state.clear();
    game.log.clear();
    timeline.resume = true;
    timeline.SendEventParametersToKeyScreen("g1");
    ASSERT_GE(game.log.size(), 2u);
    EXPECT_EQ(game.log[0], "InitLevel L7");
    EXPECT_TRUE(LoadedFromFile(game));
    EXPECT_EQ(game.state, "restored");
}

TEST_F(Events, ScriptFunctionsKeepTheSavedPositionInTheProfile)
{
    MakeScreen("A");
    MakeScreen("B");
    MakeScreen("C");
    TestGame game("Arcade");
    game_man.AddGameImplementation(&game);
    LoadTimeline("story.xml", "<node id=\"e1\" type=\"MENU\" screens=\"A\" />\n"
                              "<node id=\"e2\" screens=\"B\" game=\"Arcade\" />\n"
                              "<node id=\"e3\" screens=\"C\" />\n");
    game_man.SetActiveGame("Arcade");
    EXPECT_EQ(LuaString("GetActiveTimeline()"), "story.xml");
    EXPECT_EQ(LuaString("GetCurrentTimelineEvent()"), "nil");
    EXPECT_EQ(LuaString("SavedTimelineEventExists()"), "false");

    Do("BeginTimelineEvent('!FIRST')");
    EXPECT_STREQ(timeline_transition.event_id, "e1");
    EXPECT_FALSE(timeline.resume);
    ASSERT_TRUE(RunTransition());
    EXPECT_EQ(LuaString("GetCurrentTimelineEvent()"), "e1");
    EXPECT_EQ(LuaString("GetCurrentTimelineEventType()"), "MENU");
    EXPECT_STREQ(Saved("event"), "e1");
    EXPECT_EQ(LuaString("SavedTimelineEventExists()"), "true");

    Do("SaveAtNextTimelineEvent()");
    EXPECT_STREQ(Saved("event"), "e2");

    Do("EndTimelineEvent()");
    EXPECT_STREQ(timeline_transition.event_id, "e2");
    EXPECT_STREQ(Saved("event"), "e1") << "saved before the transition ran";
    ASSERT_TRUE(RunTransition());
    EXPECT_STREQ(Saved("event"), "e2") << "the transition saves at the new event";
    EXPECT_EQ(LuaString("select('#', GetCurrentTimelineEventType())"), "0") << "no type, no result";

    // Begin at an id: resume set, the saved game is loaded by the game step.
    game.log.clear();
    Do("BeginTimelineEvent('e2')");
    EXPECT_TRUE(timeline.resume);
    ASSERT_TRUE(RunTransition());
    EXPECT_TRUE(LoadedFromFile(game));

    // Restart: the save goes, the saved event starts without resuming.
    game.log.clear();
    Do("RestartTimelineEvent()");
    EXPECT_EQ(Saved("savefile"), nullptr);
    EXPECT_STREQ(timeline_transition.event_id, "e2");
    EXPECT_FALSE(timeline.resume);
    EXPECT_EQ(timeline_transition.transition_type, TIMELINE_FADE_BLACK);
    ASSERT_TRUE(RunTransition());
    EXPECT_FALSE(LoadedFromFile(game));

    // Resume: the saved event starts and its game loads the save.
    game.log.clear();
    Do("ResumeSavedTimelineEvent()");
    EXPECT_TRUE(timeline.resume);
    ASSERT_TRUE(RunTransition());
    ASSERT_NE(Saved("savefile"), nullptr);
    EXPECT_TRUE(Logged(game, "InitLevel e2"));
    EXPECT_TRUE(LoadedFromFile(game));
    EXPECT_EQ(LuaString("EventExists('e3')"), "true");
    EXPECT_EQ(LuaString("EventExists('e9')"), "false");

    // Ending the last event starts the first again.
    Do("EndTimelineEvent()");
    ASSERT_TRUE(RunTransition());
    Do("EndTimelineEvent()");
    EXPECT_STREQ(timeline_transition.event_id, "e1");
}

TEST_F(Events, RestartDeletesTheSaveAndStartsTheSavedEvent)
{
    MakeScreen("A");
    MakeScreen("B");
    TestGame game("Arcade");
    game_man.AddGameImplementation(&game);
    LoadTimeline("story.xml", "<node id=\"e1\" screens=\"A\" />\n"
                              "<node id=\"e2\" screens=\"B\" game=\"Arcade\" />\n");
    game_man.SetActiveGame("Arcade");
    game_man.SaveCurrentGame("e2");
    const std::string savefile = Saved("savefile");
    ov_file_t *f = ov->OV_OpenFile(("user://" + savefile).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ov->OV_CloseFile(f);
    timeline.RestartEvent();
    EXPECT_EQ(Saved("savefile"), nullptr);
    EXPECT_EQ(ov->OV_OpenFile(("user://" + savefile).c_str(), "rb"), nullptr) << "the save file is deleted";
    EXPECT_STREQ(timeline_transition.event_id, "e2");
    EXPECT_FALSE(timeline.resume);
    Unstack();

    // Without a saved event the first event starts.
    prof->RemoveValue("!TIMELINES", "story.xml", "event");
    timeline.ResumeSavedEvent();
    EXPECT_STREQ(timeline_transition.event_id, "e1");
    EXPECT_FALSE(timeline.resume);
}

TEST_F(Events, NullEventsAreReportedByTheScriptFunctions)
{
    LoadTimeline("story.xml", "<node id=\"e1\" screens=\"A\" />\n");
    TestGame game("Arcade");
    game_man.AddGameImplementation(&game);
    game_man.SetActiveGame("Arcade");
    Do("EndTimelineEvent()");
    Do("SaveAtNextTimelineEvent()");
    EXPECT_EQ(CountPopups("Warning: null timeline event."), 2);
    EXPECT_EQ(game.log, std::vector<std::string>{"Load"}) << "nothing saved";
    Do("SetActiveTimeline('other.xml')");
    EXPECT_EQ(LuaString("GetActiveTimeline()"), "nil") << "a missing file leaves no timeline";
}

TEST_F(Events, SimulatingARunHandsEveryPassedEventToTheProcessor)
{
    MakeScreen("A");
    LoadTimeline("story.xml", "<node id=\"a\" screens=\"A\" />\n"
                              "<node id=\"b\" screens=\"A\" />\n"
                              "<node id=\"c\" screens=\"A\" />\n"
                              "<node id=\"d\" screens=\"A\" />\n");
    RecordingProcessor processor;
    timeline.SetCustomEventProcessor(&processor);
    timeline.SimulateGameToTimelineEvent("c");
    EXPECT_EQ(processor.log, (std::vector<std::string>{"begin", "passed a to c current a", "passed b to c current b"}));
    EXPECT_STREQ(timeline.current_event_id, "b");
    EXPECT_STREQ(timeline_transition.event_id, "c");
    Unstack();

    processor.log.clear();
    timeline.SimulateGameToTimelineEvent("a");
    EXPECT_EQ(processor.log, std::vector<std::string>{"begin"});
    EXPECT_STREQ(timeline_transition.event_id, "a");
}

TEST_F(Events, TheDeveloperKeyEndsTheCurrentEvent)
{
    MakeScreen("A");
    LoadTimeline("story.xml", "<node id=\"a\" screens=\"A\" />\n<node id=\"b\" screens=\"A\" />\n");
    timeline.SendEventParametersToKeyScreen("a");
    ov_event_t key = {};
    key.type = 8;
    key.key = 66;
    EXPECT_FALSE(timeline.ProcessEvent(key));
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition)) << "another key";
    prog.parms.developer_mode = 0;
    key.key = 67;
    EXPECT_FALSE(timeline.ProcessEvent(key));
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition)) << "only in developer mode";
    prog.parms.developer_mode = 1;
    EXPECT_FALSE(timeline.ProcessEvent(key)) << "never consumed";
    ASSERT_TRUE(sman.IsScreenInStack(&timeline_transition));
    EXPECT_STREQ(timeline_transition.event_id, "b");
}
