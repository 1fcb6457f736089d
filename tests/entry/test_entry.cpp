// The application's five hooks called directly on the headless engine, with slots of
// the interface table wrapped to record what the hooks ask of the engine (keys are
// pressed on the headless device and reach the engine's key states as a player's do): the record
// handed to the engine, the frame (master fade, developer sleeps, time-step cap,
// console, shutdown keys), the events (pause on return, render-target rebuild
// requests, adverts, console lines, pre-initialisation), drawing and start and stop.
#include "tests/app/ui/ui_fixture.h"

#include "entry/entry.h"
#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/services/manager.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "app/ui/timeline.h"
#include "game/game-util.h"
#include "game/screens/battle-screen.h"
#include "game/screens/flags.h"
#include "game/screens/loading.h"
#include "core/console.h"
#include "platform/headless.h"
#include "platform/screen.h"

#include <string.h>

using namespace uitest;
using apptest::Pixel;
using apptest::Rgba;

namespace {

// What the wrapped slots saw.
std::vector<float> master_volumes;
int slept_ms = 0;
int shutdowns = 0;
const char *features_reply = nullptr;

void SetMasterVolume(float v)
{
    master_volumes.push_back(v);
}
void Sleep(int ms)
{
    slept_ms += ms;
}
int SignalShutdown()
{
    shutdowns++;
    return 1;
}
const char *Extension(const char *command, const char *arg)
{
    if (strcmp(command, "ProgramInfo") == 0 && arg && strcmp(arg, "Features") == 0)
        return features_reply;
    return nullptr;
}

ov_event_t Event(int type)
{
    ov_event_t ev;
    memset(&ev, 0, sizeof ev);
    ev.type = type;
    return ev;
}
ov_event_t Activation(bool active)
{
    ov_event_t ev = Event(OV_EVENT_ACTIVATION);
    ev.inactive = active ? 0 : 1;
    return ev;
}
ov_event_t Text(int type, const char *text)
{
    ov_event_t ev = Event(type);
    ev.ptr = (void *)text;
    return ev;
}

class Entry : public UITest {
protected:
    void SetUp() override
    {
        // The program's own battle screen is linked in and registered under "Game" too;
        // which of two screens of one name a lookup finds depends on the order the
        // program's static screens were made in. Its name steps aside for the probe while
        // no other thread looks screens up.
        screen_game.SetName("Game (the program's, unused here)");
        UITest::SetUp();
        StartUI();
        master_volumes.clear();
        slept_ms = 0;
        shutdowns = 0;
        features_reply = nullptr;
        ov->OV_SetMasterVolume = SetMasterVolume;
        ov->OVT_Sleep = Sleep;
        ov->OV_SignalShutdown = SignalShutdown;
        g_app_active = 1;
        g_master_volume = 1.0f;
        generate_bitmap = 0;
        AppSetRandomSource(nullptr);
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        prog.parms.developer_mode = 1;
        prog.parms.console_visible = 0;
        UITest::TearDown();
        screen_game.SetName("Game");
    }
    // Keys go down (and stay held) or come up on the device; one engine frame delivers
    // them, and what that frame's screens slept or signalled is forgotten.
    void Keys(const std::vector<int> &symbols, bool down)
    {
        for (int sym : symbols)
            ASSERT_TRUE(ovdev::headless::inject_key(sym, down));
        PumpFrame();
        slept_ms = 0;
        shutdowns = 0;
    }
    // A probe screen pushed and fully shown.
    ProbeScreen *Shown(const char *name, const char *script = nullptr)
    {
        ProbeScreen *s = MakeScreen(name, script);
        sman.PushScreen(s, 0);
        Steps(40, 0.05f);
        return s;
    }
};

int fixed_random = 0;
int FixedRandom()
{
    return fixed_random;
}

}  // namespace

// ---- the record

TEST(EntryRecord, GetInterfaceClearsTheRecordAndSetsVersionHooksAndFlags)
{
    ov_prog_t saved = prog;
    memset(&prog, 0xab, sizeof prog);
    ov_prog_t *record = ProgGetInterface();
    ov_prog_t filled = prog;
    prog = saved;
    ASSERT_EQ(record, &prog);
    EXPECT_EQ(filled.interface_version, 1201);
    EXPECT_EQ(filled.Init, OV_Init);
    EXPECT_EQ(filled.Shutdown, OV_Shutdown);
    EXPECT_EQ(filled.Update, OV_Update);
    EXPECT_EQ(filled.Draw, OV_Draw);
    EXPECT_EQ(filled.EventProc, OV_EventProc);
    EXPECT_EQ(filled.parms.windowed, 0);
    EXPECT_EQ(filled.parms.app_flag, 1);
    EXPECT_EQ(filled.parms.multitouch, 1);
    EXPECT_EQ(filled.parms.reference_counting, 1);
    EXPECT_EQ(filled.interface, nullptr);
    EXPECT_EQ(filled.title[0], 0);
    EXPECT_EQ(filled.parms.developer_mode, 0);
    EXPECT_EQ(filled.parms.quit, 0);
    EXPECT_EQ(filled.parms.width, 0);
}

// ---- the frame

TEST_F(Entry, LongFramesReachTheScreensCappedNearOneFifteenth)
{
    ProbeScreen *s = Shown("Probe");
    struct Case {
        float dt;
        int random;
        float expected;
    };
    const float cap = 1.0f / 15.0f;
    const Case kCases[] = {
        {0.5f, 0, cap - 0.001f},
        {0.5f, 32767, cap + 0.001f},
        {0.5f, 16384, cap + (-0.001f + (16384.0f / 32767.0f) * 0.002f)},
        {0.2f, 8000, cap + (-0.001f + (8000.0f / 32767.0f) * 0.002f)},
        {cap, 32767, cap},
        {0.05f, 0, 0.05f},
    };
    AppSetRandomSource(FixedRandom);
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "dt " << c.dt << " random " << c.random);
        fixed_random = c.random;
        s->last_update_dt = -1.0f;
        OV_Update(c.dt);
        EXPECT_FLOAT_EQ(s->last_update_dt, c.expected);
        if (c.dt > cap) {
            EXPECT_GE(s->last_update_dt, 0.0656f);
            EXPECT_LE(s->last_update_dt, 0.0677f);
        }
    }
    AppSetRandomSource(nullptr);
    for (int i = 0; i < 200; i++) {
        OV_Update(0.5f);
        ASSERT_GE(s->last_update_dt, 0.0656f);
        ASSERT_LE(s->last_update_dt, 0.0677f);
    }
}

// The waving flags advance with every active frame, by the frame's step.
TEST_F(Entry, FlagsWaveWithEveryActiveFrame)
{
    Shown("Probe");
    // A 2 x 2 true-colour TGA.
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 2;
    tga[14] = 2;
    tga[16] = 24;
    tga += std::string(12, '\x7f');
    apptest::WriteFile("cloth.tga", tga);
    flagmaster.Init();
    int id = flagmaster.LoadFlag("cloth.tga", 2);
    ASSERT_GE(id, 0);
    FlagMesh flag;
    OV_Update(0.05f);
    ASSERT_TRUE(flagmaster.GetFlag(id, &flag));
    EXPECT_NEAR(flag.phase, 0.05f * 0.25f, 1e-6f);
    g_app_active = 0;
    OV_Update(0.05f);
    g_app_active = 1;
    ASSERT_TRUE(flagmaster.GetFlag(id, &flag));
    EXPECT_NEAR(flag.phase, 0.05f * 0.25f, 1e-6f);
    flagmaster.ReleaseAll();
}

TEST_F(Entry, DeveloperKeysSleepOnlyInDeveloperMode)
{
    struct Case {
        bool developer;
        std::vector<int> held;
        int slept;
    };
    const Case kCases[] = {
        {true, {'1', '3'}, 250}, {true, {'1', '2', '3'}, 350}, {true, {'2'}, 100},
        {true, {}, 0},           {false, {'1', '3'}, 0},       {false, {'1', '2', '3'}, 0},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "developer " << c.developer << ", " << c.held.size() << " keys");
        prog.parms.developer_mode = c.developer;
        Keys(c.held, true);
        OV_Update(0.016f);
        EXPECT_EQ(slept_ms, c.slept) << "while held";
        OV_Update(0.016f);
        EXPECT_EQ(slept_ms, 2 * c.slept) << "every frame they are held";
        Keys(c.held, false);
        OV_Update(0.016f);
        EXPECT_EQ(slept_ms, 0) << "released";
    }
}

TEST_F(Entry, MenuAndXSignalShutdownInEveryMode)
{
    using ovdev::KEYCODE_LEFT_ALT;
    using ovdev::KEYCODE_RIGHT_ALT;
    struct Case {
        bool developer, console;
        std::vector<int> held;
        bool signalled;
    };
    const Case kCases[] = {
        {false, false, {KEYCODE_LEFT_ALT, 'X'}, true}, {false, true, {KEYCODE_LEFT_ALT, 'X'}, true},
        {true, false, {KEYCODE_RIGHT_ALT, 'X'}, true}, {true, true, {KEYCODE_LEFT_ALT, 'X'}, true},
        {false, false, {KEYCODE_RIGHT_ALT, 'x'}, true}, {false, false, {KEYCODE_LEFT_ALT}, false},
        {false, false, {'X'}, false},                   {false, false, {ovdev::KEYCODE_LEFT_CTRL, 'X'}, false},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "developer " << c.developer << " console " << c.console << " keys "
                                        << c.held.size() << " second " << c.held.back());
        prog.parms.developer_mode = c.developer;
        prog.parms.console_visible = c.console;
        Keys(c.held, true);
        OV_Update(0.016f);
        // In developer mode the screen manager signals too (when it runs).
        EXPECT_EQ(shutdowns > 0, c.signalled);
        if (!c.developer || c.console) {
            EXPECT_EQ(shutdowns, c.signalled ? 1 : 0) << "the hook alone";
        }
        Keys(c.held, false);
        OV_Update(0.016f);
        EXPECT_EQ(shutdowns, 0) << "released";
    }
    // MENU released before X goes down is no combination.
    prog.parms.developer_mode = 0;
    prog.parms.console_visible = 0;
    Keys({KEYCODE_LEFT_ALT}, true);
    Keys({KEYCODE_LEFT_ALT}, false);
    Keys({'X'}, true);
    OV_Update(0.016f);
    EXPECT_EQ(shutdowns, 0);
    Keys({'X'}, false);
}

TEST_F(Entry, VisibleConsoleStopsTheScreensButNotTheFade)
{
    ProbeScreen *s = Shown("Probe");
    OV_EventProc(Activation(false));
    OV_EventProc(Activation(true));
    g_master_volume = 0.0f;
    prog.parms.console_visible = 1;
    calls.clear();
    master_volumes.clear();
    s->last_update_dt = -1.0f;
    OV_Update(0.25f);
    EXPECT_TRUE(CallsOf("Probe:Update").empty());
    EXPECT_EQ(s->last_update_dt, -1.0f);
    ASSERT_EQ(master_volumes.size(), 1u) << "the screen manager, which fades too, did not run";
    EXPECT_FLOAT_EQ(master_volumes[0], 0.25f);
    prog.parms.console_visible = 0;
    OV_Update(0.25f);
    EXPECT_EQ(CallsOf("Probe:Update").size(), 1u);
}

TEST_F(Entry, MasterVolumeFadesOutOverOneSecondAfterDeactivation)
{
    Shown("Probe");
    EXPECT_EQ(OV_EventProc(Activation(false)), 0);
    EXPECT_EQ(g_app_active, 0);
    calls.clear();
    master_volumes.clear();
    for (int i = 0; i < 3; i++)
        OV_Update(0.5f);
    const std::vector<float> kOut = {0.5f, 0.0f, 0.0f};
    EXPECT_EQ(master_volumes, kOut);
    EXPECT_TRUE(CallsOf("Probe:Update").empty()) << "nothing is updated while inactive";
    OV_EventProc(Activation(true));
    master_volumes.clear();
    OV_Update(0.5f);
    ASSERT_FALSE(master_volumes.empty());
    EXPECT_FLOAT_EQ(master_volumes.front(), 0.5f);
}

// ---- events

TEST_F(Entry, ReturningPausesOnlyWhenTheBattleScreenIsOnTop)
{
    ProbeScreen *game = Shown("Game");
    ProbeScreen *pause = MakeScreen("PauseMenu");
    ProbeScreen *menu = Shown("Menu");
    OV_EventProc(Activation(false));
    OV_EventProc(Activation(true));
    EXPECT_FALSE(sman.IsScreenInStack(pause)) << "a menu already covers the battle";

    sman.PopScreen(menu, false);
    Steps(1, 0.01f);
    ASSERT_EQ(sman.PeekScreen(0), game);
    OV_EventProc(Activation(false));
    EXPECT_FALSE(sman.IsScreenInStack(pause)) << "leaving does not pause";
    OV_EventProc(Activation(true));
    EXPECT_EQ(sman.PeekScreen(0), pause);
}

TEST_F(Entry, RenderTargetRebuildIsRequestedOnlyInABattleAfterPreloading)
{
    ov_event_t rebuild = Event(OV_EVENT_REDRAW_TARGET);
    ProbeScreen *game = Shown("Game");
    sman.all_screens_preloaded.store(false);
    OV_EventProc(rebuild);
    EXPECT_EQ(generate_bitmap, 0) << "screens still preloading";
    sman.all_screens_preloaded.store(true);
    OV_EventProc(rebuild);
    EXPECT_EQ(generate_bitmap, 1);
    OV_Update(0.016f);
    EXPECT_EQ(generate_bitmap, 0) << "the update takes the request";
    sman.PopScreen(game, false);
    Steps(1, 0.01f);
    OV_EventProc(rebuild);
    EXPECT_EQ(generate_bitmap, 0) << "no battle stacked";
}

TEST_F(Entry, AdvertClosedReachesTheAdScreenOnlyWithTheAdsFeature)
{
    MakeScreen("AdScreen");
    ov->OV_CallExtension = Extension;
    for (const char *features : {"ADS", "NEWS,ADS_LITE"}) {
        SCOPED_TRACE(features);
        features_reply = features;
        feature_man.Initialize();
        calls.clear();
        EXPECT_EQ(OV_EventProc(Text(63, "ADS_FULLSCREEN_CLOSED")), 0);
        EXPECT_EQ(OV_EventProc(Text(63, "ADS_SHOWN")), 0);
        EXPECT_EQ(OV_EventProc(Text(63, nullptr)), 0);
        std::vector<std::string> expected;
        if (strcmp(features, "ADS") == 0)
            expected.push_back("AdScreen:Message null ADS_FULLSCREEN_CLOSED ");
        EXPECT_EQ(CallsOf("AdScreen:"), expected);
    }
}

TEST_F(Entry, ConsoleLineOutsideDeveloperModeIsEchoedAndConsumed)
{
    prog.parms.developer_mode = 0;
    EXPECT_EQ(OV_EventProc(Text(OV_EVENT_CONSOLE_COMMAND, "spawn 3")), 1);
    EXPECT_EQ(apptest::CountLogged("Entered 'spawn 3'"), 1);
    EXPECT_EQ(OV_EventProc(Text(OV_EVENT_CONSOLE_COMMAND, nullptr)), 0) << "no text, nothing read";
    EXPECT_EQ(OV_EventProc(Event(99)), 0);
}

TEST_F(Entry, PreInitialisationStartsTheServicesAndHandsOnTheWindowMode)
{
    lua_man.Shutdown();
    pbman.Shutdown();
    ASSERT_EQ(lua_man.GetMainState(), nullptr);
    ASSERT_EQ(pbman.GetLuaState(), nullptr);
    prog.parms.windowed = 1;
    ov_parms_t block;
    memset(&block, 0, sizeof block);
    ov_event_t ev = Event(OV_EVENT_PREINIT);
    ev.ptr = ov;
    ev.ptr2 = &block;
    OV_EventProc(ev);
    EXPECT_NE(lua_man.GetMainState(), nullptr);
    EXPECT_NE(pbman.GetLuaState(), nullptr) << "the effect library was started";
    ASSERT_NE(prof, nullptr) << "the profiles were loaded";
    EXPECT_EQ(block.windowed, 1);
    EXPECT_TRUE(apptest::Logged("Loading all profiles."));
}

// ---- drawing

TEST_F(Entry, DrawShowsTheScreensOnlyWhileActive)
{
    ProbeScreen *s = Shown("Painted");
    Script(s, "function OnDraw()\n OV_SetColor(1, 0, 0)\n OV_DrawRect(20, 20, 60, 40)\nend\n");
    ASSERT_TRUE(s->ui->has_OnDraw);
    apptest::draw = nullptr;
    DrawFrame();
    const Rgba untouched = Pixel(40, 30);  // a frame in which the application draws nothing
    ASSERT_NE(untouched, (Rgba{255, 0, 0, 255}));
    apptest::draw = [](float dt) { OV_Draw(dt); };
    OV_EventProc(Activation(false));
    calls.clear();
    DrawFrame();
    EXPECT_TRUE(CallsOf("Painted:Draw").empty());
    EXPECT_EQ(Pixel(40, 30), untouched) << "the display was not even cleared";

    OV_EventProc(Activation(true));
    DrawFrame();
    EXPECT_EQ(CallsOf("Painted:Draw").size(), 1u);
    EXPECT_EQ(Pixel(40, 30), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(Pixel(10, 10), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(Pixel(90, 30), (Rgba{0, 0, 0, 255}));
}

// ---- start and stop

TEST_F(Entry, InitShowsTheLoadingScreen)
{
    // The game's own loading screen (registered before any screen a test makes).
    Screen *loading = &screen_loading;
    ASSERT_EQ(Screen::GetScreen("Loading"), loading);
    apptest::WriteFile("timeline.xml", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
                                       "<array id=\"timeline\">\n<node id=\"START\" screens=\"Loading\" />\n"
                                       "</array>\n</root>\n");
    timeline.FreeTimeline();
    EXPECT_EQ(OV_Init(), 1);
    EXPECT_EQ(ov, prog.interface);
    EXPECT_TRUE(apptest::Logged("Prog Init."));
    EXPECT_TRUE(loading->preloaded.load());
    EXPECT_EQ(sman.PeekScreen(0), loading);
    EXPECT_NE(sman.templates, nullptr) << "the screens were started";
    ASSERT_NE(timeline.GetTimelineFilename(), nullptr) << "the timeline was started";
    EXPECT_STREQ(timeline.GetTimelineFilename(), "timeline.xml");
    EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(lua_man.GetMainState(), "EndTimelineEvent"));
    // The game's nine script functions and its ground-decal death function.
    for (const char *name : {"DeveloperToggle", "LoadEntityType", "GetScore", "GetStat", "SaveScore",
                             "GetHighestScore", "GetTotalHighScore", "GetTimeString", "KV_DeleteSaveState"})
        EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(lua_man.GetMainState(), name)) << name;
    EXPECT_EQ(pbman.GetPartDeathFunc("GroundDecal"), &PMAN_func_death_Decal);
    // The waving flags' script functions.
    EXPECT_TRUE(flagmaster.initialised);
    for (const char *name : {"LoadFlag", "DrawFlag", "ReleaseFlag", "SetFlagWind"})
        EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(lua_man.GetMainState(), name)) << name;
}

TEST_F(Entry, ShutdownSavesTheProfilesBeforeTheServicesStop)
{
    profile_man().Initialize();
    apptest::WriteFile("timeline.xml", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
                                       "<array id=\"timeline\">\n<node id=\"START\" screens=\"Probe\" />\n"
                                       "</array>\n</root>\n");
    timeline.LoadTimeline("timeline.xml");
    ASSERT_NE(timeline.GetTimelineFilename(), nullptr);
    Shown("Probe");
    const int first = (int)ov_con.lines.size();
    calls.clear();
    OV_Shutdown();
    // The menus' banner gave its bitmap and mesh back.
    EXPECT_TRUE(bg_banner.released);
    EXPECT_EQ(bg_banner.vertices, nullptr);
    EXPECT_EQ(bg_banner.bitmap, nullptr);
    int saved = -1, manager = -1, lua = -1;
    for (int i = first; i < (int)ov_con.lines.size(); i++) {
        const char *t = ov_con.lines[i].text;
        if (!t)
            continue;
        if (strstr(t, "Saving all profiles.") && saved < 0)
            saved = i;
        if (strstr(t, "Manager::Shutdown.") && manager < 0)
            manager = i;
        if (strstr(t, "LuaManager::Shutdown.") && lua < 0)
            lua = i;
    }
    ASSERT_GE(saved, 0);
    EXPECT_LT(saved, manager);
    EXPECT_LT(manager, lua);
    EXPECT_EQ(lua_man.GetMainState(), nullptr);
    EXPECT_EQ(timeline.GetTimelineFilename(), nullptr);
    EXPECT_EQ(CallsOf("Probe:Leave").size(), 1u) << "the stacked screens left";
    ov_file_t *index = ov->OV_OpenFile("user://profiles/index.xml", "rb");
    EXPECT_NE(index, nullptr);
    if (index)
        ov->OV_CloseFile(index);
}
