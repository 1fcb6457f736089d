// The game-implementation registry with a test implementation: the script functions on
// an empty registry, registration, the active game, the numbered save files and what
// the profile records about them, and restoring a save through the script function.
#include "app/services/gameman.h"
#include "app/services/luaman.h"
#include "app/services/profiles.h"
#include "tests/app/services/data_fixture.h"
#include "tests/app/services/test_game.h"

#include <stdio.h>
#include <sys/stat.h>

#include <string>

using datatest::CountMessages;
using datatest::DataTest;
using gametest::TestGame;

namespace {

// The timeline as the registry sees it.
const char *s_timeline = "story.xml";
std::vector<std::string> s_loaded_timelines;
int s_skips = 0;

const char *TimelineFile()
{
    return s_timeline;
}
void LoadTimeline(const char *file)
{
    s_loaded_timelines.push_back(file);
}
void Skip()
{
    s_skips++;
}

class GameManTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        profile_man().Clear();
        game_man.Clear();
        s_timeline = "story.xml";
        s_loaded_timelines.clear();
        s_skips = 0;
        game_man.SetTimelineLink(GameTimelineLink{TimelineFile, LoadTimeline, Skip});
        mkdir(UserPath("profiles").c_str(), 0755);
        ASSERT_NE(profile_man().CreateNewProfile(), nullptr);
    }
    void TearDown() override
    {
        if (L_)
            lua_man.CloseLuaState(L_);
        game_man.Clear();
        game_man.SetTimelineLink(GameTimelineLink{nullptr, nullptr, nullptr});
        profile_man().Clear();
        DataTest::TearDown();
    }
    std::string SavePath(int n) const
    {
        char name[64];
        snprintf(name, sizeof name, "profiles/saves/save-game-%.3d.dat", n);
        return UserPath(name);
    }
    void MakeSaveFiles(int from, int to)
    {
        mkdir(UserPath("profiles/saves").c_str(), 0755);
        for (int n = from; n <= to; n++)
            ASSERT_TRUE(WriteNative(SavePath(n), "old"));
    }
    const char *Value(const char *key) { return prof->GetValue("!TIMELINES", s_timeline, key); }
    // Runs "return <call>" and renders the results as nil, true, false, numbers or
    // quoted texts separated by commas ("nothing" for none).
    std::string Run(const std::string &call)
    {
        if (!L_)
            L_ = lua_man.OpenLuaState(0);
        int top = lua_gettop(L_);
        std::string chunk = "return " + call;
        if (luaL_loadstring(L_, chunk.c_str()) != 0 || lua_pcall(L_, 0, LUA_MULTRET, 0) != 0) {
            std::string error = "error: " + std::string(LuaErrorText(L_));
            lua_settop(L_, top);
            return error;
        }
        std::string out;
        for (int i = top + 1; i <= lua_gettop(L_); i++) {
            if (!out.empty())
                out += ",";
            if (lua_isnil(L_, i))
                out += "nil";
            else if (lua_isboolean(L_, i))
                out += lua_toboolean(L_, i) ? "true" : "false";
            else if (lua_type(L_, i) == LUA_TNUMBER)
                out += std::to_string((long)lua_tonumber(L_, i));
            else
                out += "'" + std::string(lua_tostring(L_, i)) + "'";
        }
        lua_settop(L_, top);
        return out.empty() ? "nothing" : out;
    }
    lua_State *L_ = nullptr;
};

}  // namespace

TEST_F(GameManTest, EmptyRegistryAnswersOfTheScriptFunctions)
{
    ASSERT_EQ(game_man.Initialize(), 1);
    prof->SetValue("!TIMELINES", "story.xml", "savefile", "profiles/saves/save-game-001.dat");
    MakeSaveFiles(1, 1);
    struct Step {
        const char *call, *result;
    };
    const Step steps[] = {
        {"GetNumberOfGames()", "0"},
        {"GetActiveGame()", "'NULL'"},
        {"GetGameNameByIndex(0)", "'NULL'"},
        {"GetGameNameByIndex(-1)", "'NULL'"},
        {"SaveGameExists()", "false"},
        {"LoadGameState()", "false"},
        {"SaveGameState('ev')", "nothing"},
        {"InitGameLevel('L1')", "nothing"},
        {"SetActiveGame('!default')", "nothing"},
        {"GetActiveGame()", "'NULL'"},
        {"SetActiveGame('Chess')", "nothing"},
    };
    for (const Step &s : steps)
        EXPECT_EQ(Run(s.call), s.result) << s.call;
    EXPECT_EQ(CountMessages("GameManager::SetActiveGame - Unknown game imp name 'Chess'\n"), 1);
    EXPECT_EQ(prof->GetValue("!TIMELINES", "story.xml", "event"), nullptr) << "saving did nothing";
    EXPECT_EQ(s_skips, 0);
    EXPECT_TRUE(ExistsNative(SavePath(1)));
    EXPECT_EQ(Run("DeleteGameState()"), "nothing");
    EXPECT_FALSE(ExistsNative(SavePath(1))) << "deleting needs no game";
    EXPECT_EQ(Value("savefile"), nullptr);
}

TEST_F(GameManTest, RegistrationNamesAndTheActiveGame)
{
    TestGame a("Arcade"), b("Board");
    game_man.AddGameImplementation(&a);
    game_man.AddGameImplementation(&a);
    EXPECT_EQ(game_man.GetNumberOfGames(), 2) << "a double registration gives two entries";
    EXPECT_EQ(CountMessages("Trying to add already registered game imp 'Arcade' to GameManager.\n"), 1);
    game_man.AddGameImplementation(&b);
    EXPECT_EQ(game_man.GetGameIndex(&b), 2);
    EXPECT_EQ(game_man.GetGameByName("Board"), &b);
    EXPECT_EQ(game_man.GetGameByName("board"), nullptr) << "names compare exactly";
    EXPECT_EQ(game_man.GetGameByName(nullptr), nullptr);

    EXPECT_TRUE(game_man.SetActiveGame("!Default"));
    EXPECT_EQ(game_man.GetActiveGame(), &a);
    EXPECT_TRUE(game_man.SetActiveGame("!DEFAULT"));
    EXPECT_EQ(a.log, std::vector<std::string>{"Load"}) << "loaded once";
    EXPECT_FALSE(game_man.SetActiveGame("Nope"));
    EXPECT_EQ(game_man.GetActiveGame(), nullptr);
    TestGame stray("Stray");
    game_man.LoadGameImplementation(&stray);
    EXPECT_EQ(CountMessages("GameManager::LoadGameImplementation trying to load unregistered game 'Stray'\n"), 1);
    EXPECT_TRUE(stray.log.empty());
    game_man.UnloadGameImplementation(&b);
    EXPECT_TRUE(b.log.empty()) << "not loaded: nothing to unload";
    game_man.UnloadGameImplementation(&a);
    EXPECT_EQ(a.log.back(), "Unload");
    EXPECT_EQ(CountMessages("Unloading Game 'Arcade'..\n"), 1);

    std::vector<TestGame *> more;
    for (int i = 0; i < 40; i++) {
        more.push_back(new TestGame("More"));
        game_man.AddGameImplementation(more.back());
    }
    EXPECT_EQ(game_man.GetNumberOfGames(), GAME_MAX_IMPLEMENTATIONS);
    for (TestGame *g : more)
        delete g;
    game_man.Clear();
}

TEST_F(GameManTest, SavingTakesTheFirstFreeSlotAndDeletesThePreviousSave)
{
    TestGame g("Arcade");
    g.state = "wave 7";
    game_man.AddGameImplementation(&g);
    ASSERT_TRUE(game_man.SetActiveGame("Arcade"));
    MakeSaveFiles(1, 4);
    prof->SetValue("!TIMELINES", "story.xml", "savefile", "profiles/saves/save-game-002.dat");
    game_man.SaveCurrentGame("battle");
    EXPECT_EQ(g.log.back(), "SaveToFile user://profiles/saves/save-game-005.dat");
    EXPECT_EQ(ReadNative(SavePath(5)), "wave 7");
    EXPECT_FALSE(ExistsNative(SavePath(2))) << "the previous save goes";
    EXPECT_TRUE(ExistsNative(SavePath(1)));
    EXPECT_TRUE(ExistsNative(SavePath(3)));
    EXPECT_STREQ(Value("savefile"), "profiles/saves/save-game-005.dat");
    EXPECT_STREQ(Value("event"), "battle");
    EXPECT_STREQ(Value("game"), "Arcade");
    EXPECT_STREQ(prof->GetValue("!SAVE_STATE", "timeline", "value"), "story.xml");
    EXPECT_EQ(s_skips, 1);
    EXPECT_EQ(CountMessages("Saving current game (slot #5)..\n"), 1);
    EXPECT_NE(ReadNative(UserPath("profiles/1.xml")).find("save-game-005.dat"), std::string::npos)
        << "the profiles were saved";
    EXPECT_TRUE(game_man.SaveGameExists());

    // Saving again takes slot 2 (free now) and drops 005.
    game_man.SaveCurrentGame("battle2");
    EXPECT_STREQ(Value("savefile"), "profiles/saves/save-game-002.dat");
    EXPECT_FALSE(ExistsNative(SavePath(5)));
}

TEST_F(GameManTest, AMissingSaveFileIsAConflict)
{
    TestGame g("Arcade");
    game_man.AddGameImplementation(&g);
    game_man.SetActiveGame("Arcade");
    prof->SetValue("!TIMELINES", "story.xml", "savefile", "profiles/saves/save-game-007.dat");
    EXPECT_FALSE(game_man.SaveGameExists());
    EXPECT_EQ(CountMessages("Conflict: Profile claims save state game state exists, but the file doesn't. Ignoring "
                            "save state: 'user://profiles/saves/save-game-007.dat'\n"),
              1);
    g.supports_save_files = false;
    MakeSaveFiles(7, 7);
    EXPECT_FALSE(game_man.SaveGameExists()) << "a game without save files has none";
}

TEST_F(GameManTest, AGameThatCannotSaveNowLeavesOnlyTheEvent)
{
    TestGame g("Arcade");
    game_man.AddGameImplementation(&g);
    game_man.SetActiveGame("Arcade");
    MakeSaveFiles(1, 1);
    prof->SetValue("!TIMELINES", "story.xml", "savefile", "profiles/saves/save-game-001.dat");
    g.can_save_now = false;
    game_man.SaveCurrentGame("cutscene");
    EXPECT_EQ(g.log, std::vector<std::string>{"Load"}) << "no file written";
    EXPECT_FALSE(ExistsNative(SavePath(1))) << "the old save is deleted";
    EXPECT_EQ(Value("savefile"), nullptr);
    EXPECT_STREQ(Value("event"), "cutscene");
    EXPECT_STREQ(Value("game"), "Arcade");
    EXPECT_STREQ(prof->GetValue("!SAVE_STATE", "timeline", "value"), "story.xml");
    EXPECT_NE(ReadNative(UserPath("profiles/1.xml")).find("cutscene"), std::string::npos) << "the profiles were saved";
}

TEST_F(GameManTest, AllSlotsTakenIsReported)
{
    TestGame g("Arcade");
    game_man.AddGameImplementation(&g);
    game_man.SetActiveGame("Arcade");
    MakeSaveFiles(1, GAME_MAX_SAVE_SLOTS);
    game_man.SaveCurrentGame("battle");
    EXPECT_EQ(CountMessages("Unable to save game to any file. Last tried: "
                            "'user://profiles/saves/save-game-999.dat'.\n"),
              1);
    EXPECT_EQ(g.log, std::vector<std::string>{"Load"});
    EXPECT_EQ(Value("event"), nullptr);
}

TEST_F(GameManTest, AFailedSaveStopsAtTheFirstFreeSlotAndRecordsNothing)
{
    TestGame g("Arcade");
    g.save_succeeds = false;
    game_man.AddGameImplementation(&g);
    game_man.SetActiveGame("Arcade");
    game_man.SaveCurrentGame("battle");
    EXPECT_EQ(g.log.back(), "SaveToFile user://profiles/saves/save-game-001.dat");
    EXPECT_EQ(Value("event"), nullptr);
    EXPECT_EQ(Value("savefile"), nullptr);
}

TEST_F(GameManTest, LoadGameStateRestoresThroughTheImplementation)
{
    TestGame g("Arcade");
    game_man.AddGameImplementation(&g);
    ASSERT_EQ(game_man.Initialize(), 1);
    game_man.SetActiveGame("Arcade");
    g.state = "level 3, 120 points";
    game_man.SaveCurrentGame("battle");
    g.state.clear();
    game_man.SetActiveGame("!DEFAULT");
    s_skips = 0;
    EXPECT_EQ(Run("SaveGameExists()"), "true");
    EXPECT_EQ(Run("LoadGameState()"), "true");
    EXPECT_EQ(g.log.back(), "LoadFromFile user://profiles/saves/save-game-001.dat");
    EXPECT_EQ(g.state, "level 3, 120 points");
    EXPECT_EQ(s_loaded_timelines, std::vector<std::string>{"story.xml"}) << "the saved timeline is loaded first";
    EXPECT_EQ(s_skips, 1);
    EXPECT_EQ(Run("GetActiveGame()"), "'Arcade'");
    EXPECT_EQ(Run("GetNumberOfGames(), GetGameNameByIndex(0), GetGameNameByIndex(1)"), "1,'Arcade','NULL'");
    EXPECT_EQ(Run("InitGameLevel('L9')"), "nothing");
    EXPECT_EQ(g.log.back(), "InitLevel L9");

    // Without the game's name or its save file there is nothing to restore.
    prof->RemoveValue("!TIMELINES", "story.xml", "savefile");
    EXPECT_EQ(Run("LoadGameState()"), "false");
    prof->RemoveValue("!TIMELINES", "story.xml", "game");
    EXPECT_EQ(Run("LoadGameState()"), "false");
}

TEST_F(GameManTest, SaveNamesOutsideTheSaveDirectoryAreNeverTouched)
{
    TestGame g("Arcade");
    game_man.AddGameImplementation(&g);
    game_man.SetActiveGame("Arcade");
    ASSERT_TRUE(WriteNative(UserPath("profiles/keep.dat"), "keep"));
    const char *const bad[] = {"profiles/saves/../keep.dat", "profiles/keep.dat", "/etc/passwd", ""};
    for (const char *name : bad) {
        SCOPED_TRACE(name);
        prof->SetValue("!TIMELINES", "story.xml", "savefile", name);
        prof->SetValue("!TIMELINES", "story.xml", "game", "Arcade");
        EXPECT_FALSE(game_man.SaveGameExists());
        EXPECT_FALSE(game_man.LoadSaveGame());
        game_man.DeleteSaveGame();
        EXPECT_EQ(Value("savefile"), nullptr) << "the bad value is dropped";
        EXPECT_TRUE(ExistsNative(UserPath("profiles/keep.dat")));
    }
    EXPECT_EQ(g.log, std::vector<std::string>{"Load"}) << "nothing opened through the game";
}

TEST_F(GameManTest, WithoutAnActiveProfileNothingHappens)
{
    TestGame g("Arcade");
    game_man.AddGameImplementation(&g);
    game_man.SetActiveGame("Arcade");
    profile_man().Clear();
    ASSERT_EQ(prof, nullptr);
    game_man.SaveCurrentGame("battle");
    EXPECT_FALSE(game_man.SaveGameExists());
    EXPECT_FALSE(game_man.LoadSaveGame());
    game_man.DeleteSaveGame();
    EXPECT_EQ(g.log, std::vector<std::string>{"Load"});
    EXPECT_EQ(s_skips, 0);
}
