// The service manager on the headless engine: its three sequences run with the slots
// of the interface table that the services use wrapped to record, in order, what each
// service asks of the engine, and with recording calls standing in for the layers
// above the services.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/localization.h"
#include "app/services/luaman.h"
#include "app/services/manager.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "online/analytics.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> steps;
orvex_t real;  // the engine's slots the wrappers forward to
// The feature string the engine's extension answers, when set.
const char *features = nullptr;

std::string Lua()
{
    return lua_man.GetMainState() ? " (lua)" : "";
}

int AddSearchPath(const char *path, bool at_front)
{
    steps.push_back(std::string("path ") + path + (at_front ? " front" : " back") + Lua());
    return real.OV_AddSearchPath(path, at_front);
}
const char *CallExtension(const char *command, const char *arg)
{
    if (strcmp(command, "ProgramInfo") == 0 && arg && strcmp(arg, "Features") == 0) {
        steps.push_back("features" + Lua());
        if (features)
            return features;
    }
    return real.OV_CallExtension(command, arg);
}
// The log lines that mark a service's start or stop.
void Note(const char *text)
{
    static const char *const kMarks[] = {"Random seed", "AudioManager::Initialize.", "Initializing language translation.",
                                         "Loading all profiles.",     "Manager::Shutdown.",
                                         "LocalizationManager::Shutdown", "LuaManager::Shutdown."};
    for (const char *mark : kMarks)
        if (strncmp(text, mark, strlen(mark)) == 0)
            steps.push_back(mark + Lua());
}
int Printf(const char *fmt, ...)
{
    char text[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    Note(text);
    return real.OV_Printf("%s", text);
}
int PrintDebugf(int level, const char *fmt, ...)
{
    char text[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    Note(text);
    return real.OV_PrintDebugf(level, "%s", text);
}

bool GamesRegistered()
{
    lua_State *L = lua_man.GetMainState();
    return L && LuaManager::DoesLuaFunctionExist(L, "GetNumberOfGames");
}
void InitEffects()
{
    steps.push_back("effects" + std::string(prof ? " (profiles)" : "") + (GamesRegistered() ? " (games)" : ""));
}
void InitScreens(int w, int h)
{
    steps.push_back("screens " + std::to_string(w) + "x" + std::to_string(h) + Lua());
}
void InitTimeline()
{
    steps.push_back("timeline");
}
void ShutdownScreens()
{
    steps.push_back("screens down");
}
void FreeTimeline()
{
    steps.push_back("timeline freed" + Lua());
}
void InitLeaderboards()
{
    steps.push_back("leaderboards" + Lua());
}
void RegisterAnalyst()
{
    steps.push_back("analytics functions" + Lua());
}
void EnableAnalyst(bool on)
{
    steps.push_back(std::string("analytics ") + (on ? "on" : "off") + Lua());
}
void InitAchievements()
{
    steps.push_back("achievements" + Lua());
}
void InitNews()
{
    steps.push_back("news" + Lua());
}
const ManagerCalls kCalls = {InitEffects,  InitScreens,      InitTimeline,    ShutdownScreens,
                             FreeTimeline, InitLeaderboards, RegisterAnalyst, EnableAnalyst,
                             InitAchievements, InitNews, nullptr, nullptr};

class ManagerTest : public apptest::AppEngineTest {
protected:
    void SetUp() override
    {
        AppEngineTest::SetUp();
        Start();
        real = *ov;
        ov->OV_AddSearchPath = AddSearchPath;
        ov->OV_CallExtension = CallExtension;
        ov->OV_Printf = Printf;
        ov->OV_PrintDebugf = PrintDebugf;
        man.SetCalls(&kCalls);
        steps.clear();
    }
    void TearDown() override
    {
        man.SetCalls(nullptr);
        features = nullptr;
        lua_man.Shutdown();
        prog.parms.locale = nullptr;
        AppEngineTest::TearDown();
    }
};

}  // namespace

TEST_F(ManagerTest, PreInitialisationStartsTheServicesInOrder)
{
    prog.parms.developer_mode = 1;
    prog.parms.locale = "en";
    EXPECT_EQ(man.PreInitializeBeforeVideoInit(), 1);
    const std::vector<std::string> kOrder = {
        "Random seed",  // before anything draws: the profiles draw their identifiers
        "path res://data-src back",
        "path user:// front",
        "features (lua)",
        "AudioManager::Initialize. (lua)",
        "Initializing language translation. (lua)",
        "path res://data-en front (lua)",
        "Loading all profiles. (lua)",
        // The saved developer edits go before the program's data, in its order.
        "path user://dev-edits/data-src/ front (lua)",
        "path user://dev-edits/ front (lua)",
        "path user://dev-edits/data-en/ front (lua)",
        "effects (profiles)",
    };
    EXPECT_EQ(steps, kOrder);
    EXPECT_TRUE(GamesRegistered()) << "the game registry comes last";
}

TEST_F(ManagerTest, UserFilesAreSearchedFirstAndTheDeveloperDataOnlyInDeveloperMode)
{
    for (int developer : {0, 1}) {
        SCOPED_TRACE(developer ? "developer mode" : "player mode");
        ov->OV_RemoveSearchPath("res://data-src");
        prog.parms.developer_mode = developer;
        steps.clear();
        man.PreInitializeBeforeVideoInit();
        std::vector<std::string> paths;
        for (const std::string &s : steps)
            if (s.compare(0, 5, "path ") == 0)
                paths.push_back(s);
        std::vector<std::string> expected;
        if (developer)
            expected.push_back("path res://data-src back");
        expected.push_back("path user:// front");
        if (developer) {
            // The saved developer edits, placed after user:// and before the program's data.
            for (const char *path : {"path user://dev-edits/data-src/ front (lua)", "path user://dev-edits/ front (lua)",
                                     "path user:// front (lua)"})
                expected.push_back(path);
        }
        EXPECT_EQ(paths, expected);
        int n = ov->OV_GetNumberOfSearchPaths();
        ASSERT_GE(n, 2);
        EXPECT_STREQ(ov->OV_GetSearchPath(0), "user://");
        bool found = false;
        for (int i = 0; i < n; i++)
            found = found || strcmp(ov->OV_GetSearchPath(i), "res://data-src/") == 0;
        EXPECT_EQ(found, developer == 1);
        if (developer) {
            EXPECT_STREQ(ov->OV_GetSearchPath(n - 1), "res://data-src/") << "appended after the others";
        }
        lua_man.Shutdown();
    }
}

TEST_F(ManagerTest, InitialisationStartsTheScreensWithTheReferenceSizeThenTheTimeline)
{
    prog.parms.reference_width = 1024;
    prog.parms.reference_height = 768;
    man.PreInitializeBeforeVideoInit();
    steps.clear();
    EXPECT_EQ(man.InitializeAll(), 1);
    const std::vector<std::string> kOrder = {"analytics functions (lua)", "screens 1024x768 (lua)", "timeline"};
    EXPECT_EQ(steps, kOrder);
}

TEST_F(ManagerTest, OnlineServicesFollowTheProductFeaturesInTheirPlaces)
{
    features = "MOUSE_INTERFACE,ACHIEVEMENTS,LEADERBOARDS;ANALYST,NEWS";
    prog.parms.reference_width = 800;
    prog.parms.reference_height = 600;
    prog.parms.locale = "en";
    man.PreInitializeBeforeVideoInit();
    steps.clear();
    man.InitializeAll();
    man.Shutdown();
    const std::vector<std::string> kOrder = {
        "achievements (lua)", "leaderboards (lua)", "analytics functions (lua)", "analytics on (lua)",
        "screens 800x600 (lua)", "news (lua)", "timeline",
        "Manager::Shutdown. (lua)", "LocalizationManager::Shutdown (lua)", "screens down", "timeline freed (lua)",
        "LuaManager::Shutdown. (lua)", "analytics off",
    };
    EXPECT_EQ(steps, kOrder);
}

TEST_F(ManagerTest, ShutdownStopsLocalisationScreensTimelineThenScripting)
{
    prog.parms.locale = "en";
    man.PreInitializeBeforeVideoInit();
    steps.clear();
    man.Shutdown();
    const std::vector<std::string> kOrder = {
        "Manager::Shutdown. (lua)", "LocalizationManager::Shutdown (lua)", "screens down",
        "timeline freed (lua)", "LuaManager::Shutdown. (lua)", "analytics off",
    };
    EXPECT_EQ(steps, kOrder);
    EXPECT_EQ(lua_man.GetMainState(), nullptr);
    EXPECT_FALSE(loc_man().IsActive());
}

TEST_F(ManagerTest, WithoutCallsTheServicesStillStartAndStop)
{
    man.SetCalls(nullptr);
    prog.parms.developer_mode = 0;
    man.PreInitializeBeforeVideoInit();
    EXPECT_EQ(man.InitializeAll(), 1);
    EXPECT_NE(lua_man.GetMainState(), nullptr);
    EXPECT_NE(prof, nullptr);
    man.Shutdown();
    EXPECT_EQ(lua_man.GetMainState(), nullptr);
    const std::vector<std::string> kOrder = {"Random seed", "path user:// front", "features (lua)",
                                             "AudioManager::Initialize. (lua)",
                                             "Loading all profiles. (lua)", "Manager::Shutdown. (lua)",
                                             "LuaManager::Shutdown. (lua)"};
    EXPECT_EQ(steps, kOrder);
}

// The tools' saved edits are searched, in developer mode only, before the program's data.
TEST_F(ManagerTest, DeveloperModeSearchesTheSavedEditsBeforeTheProgramData)
{
    apptest::WriteFile("ui/x.lua", "shipped");
    apptest::WriteFile("data-src/ui/y.lua", "unpacked");
    for (int developer : {0, 1}) {
        SCOPED_TRACE(developer ? "developer mode" : "player mode");
        ov->OV_CreateDirectory("user://dev-edits");
        ov->OV_CreateDirectory("user://dev-edits/ui");
        ov->OV_CreateDirectory("user://dev-edits/data-src");
        ov->OV_CreateDirectory("user://dev-edits/data-src/ui");
        for (const char *name : {"user://dev-edits/ui/x.lua", "user://dev-edits/data-src/ui/y.lua"}) {
            ov_file_t *f = ov->OV_OpenFile(name, "wb");
            ASSERT_NE(f, nullptr);
            ov->OV_WriteFile("edited", 6, f);
            ASSERT_EQ(ov->OV_CloseFile(f), 0);
        }
        prog.parms.developer_mode = developer;
        man.PreInitializeBeforeVideoInit();
        std::vector<std::string> paths;
        for (int i = 0; i < ov->OV_GetNumberOfSearchPaths(); i++)
            paths.push_back(ov->OV_GetSearchPath(i));
        std::vector<std::string> expected;
        if (developer)
            expected = {"user://", "user://dev-edits/", "user://dev-edits/data-src/", "res://", "res://data-src/"};
        else
            expected = {"user://", "res://"};
        EXPECT_EQ(paths, expected);
        for (const char *name : {"ui/x.lua", "ui/y.lua"}) {
            char text[16] = {0};
            ov_file_t *f = ov->OV_OpenFile(name, "rb");
            if (f) {
                ov->OV_ReadFile(text, sizeof text - 1, f);
                ov->OV_CloseFile(f);
            }
            if (developer) {
                EXPECT_STREQ(text, "edited") << name;
            } else {
                EXPECT_STRNE(text, "edited") << name;
            }
        }
        lua_man.Shutdown();
        ov->OV_RemoveSearchPath("res://data-src");
        ov->OV_RemoveSearchPath("user://dev-edits/");
        ov->OV_RemoveSearchPath("user://dev-edits/data-src/");
    }
}

// The program's start: the engine puts "res://" and "user://" in front only after the
// pre-initialisation, so the edits are placed again when the services start.
TEST_F(ManagerTest, TheEditsStayBeforeTheProgramDataWhenTheEngineAddsItsPathsLater)
{
    apptest::WriteFile("ui/x.lua", "shipped");
    ov->OV_CreateDirectory("user://dev-edits");
    ov->OV_CreateDirectory("user://dev-edits/ui");
    ov_file_t *f = ov->OV_OpenFile("user://dev-edits/ui/x.lua", "wb");
    ASSERT_NE(f, nullptr);
    ov->OV_WriteFile("edited", 6, f);
    ASSERT_EQ(ov->OV_CloseFile(f), 0);
    prog.parms.developer_mode = 1;
    ov->OV_RemoveSearchPath("res://");
    ov->OV_RemoveSearchPath("user://");
    man.PreInitializeBeforeVideoInit();
    // What the engine does after the application's pre-initialisation.
    ov->OV_AddSearchPath("res://", true);
    ov->OV_AddSearchPath("user://", true);
    man.InitializeAll();
    std::vector<std::string> paths;
    for (int i = 0; i < ov->OV_GetNumberOfSearchPaths(); i++)
        paths.push_back(ov->OV_GetSearchPath(i));
    const std::vector<std::string> expected = {"user://", "user://dev-edits/", "user://dev-edits/data-src/", "res://",
                                               "res://data-src/"};
    EXPECT_EQ(paths, expected);
    char text[16] = {0};
    f = ov->OV_OpenFile("ui/x.lua", "rb");
    ASSERT_NE(f, nullptr);
    ov->OV_ReadFile(text, sizeof text - 1, f);
    ov->OV_CloseFile(f);
    EXPECT_STREQ(text, "edited");
    // Placed again, the list stays as it is.
    steps.clear();
    man.InitializeAll();
    for (const std::string &s : steps)
        EXPECT_NE(s.compare(0, 5, "path "), 0) << s;
    man.Shutdown();
    ov->OV_RemoveSearchPath("res://data-src");
    ov->OV_RemoveSearchPath("user://dev-edits/");
    ov->OV_RemoveSearchPath("user://dev-edits/data-src/");
}

// Every fresh install draws its own profile identifier (the analytics' "udid"): the
// start-up seeds the random helper before the profiles load. A run seeded with "--seed"
// draws the same one every time.
TEST_F(ManagerTest, EachFreshInstallDrawsItsOwnProfileIdentifierUnlessSeeded)
{
    struct Case {
        const char *command_line;
        bool same;
    } cases[] = {
        {"--headless", false},
        {"--headless --seed 7", true},
    };
    char profiles[512];
    ov->OV_GetPathEx(profiles, sizeof profiles, 1, "%s", "profiles");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command_line);
        std::vector<int> ids;
        for (int install = 0; install < 3; install++) {
            // A fresh process on a fresh install: the generators as a process starts
            // them, no player files.
            AppSeedRandom(1);
            srand(1);
            std::error_code ignored;
            std::filesystem::remove_all(profiles, ignored);
            prog.parms.command_line = c.command_line;
            steps.clear();
            ASSERT_EQ(man.PreInitializeBeforeVideoInit(), 1);
            ASSERT_NE(prof, nullptr);
            ids.push_back(prof->GetRandom());
            // The udid of the analytics' address is that identifier.
            nString address = Analyst::BuildUploadAddress("");
            EXPECT_NE(std::string(address.Get()).find("&udid=" + std::to_string(ids.back()) + "&"), std::string::npos)
                << address.Get();
            profile_man().Clear();
            lua_man.Shutdown();
        }
        if (c.same) {
            EXPECT_EQ(ids[0], ids[1]);
            EXPECT_EQ(ids[0], ids[2]);
        } else {
            EXPECT_FALSE(ids[0] == ids[1] && ids[1] == ids[2]) << ids[0];
        }
    }
    prog.parms.command_line = nullptr;
}
