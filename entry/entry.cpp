// The application's entry (see entry.h).
#include "entry/entry.h"

#include "app/services/featureman.h"
#include "app/services/key-state.h"
#include "app/services/manager.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/timeline.h"
#include "game/achievements.h"
#include "game/game-script.h"
#include "game/game-util.h"
#include "game/screens/battle-screen.h"
#include "game/screens/game-over.h"
#include "game/screens/pick-upgrade.h"
#include "game/screens/flags.h"
#include "game/screens/loading.h"
#include "tools/screen-browser.h"
#include "tools/timeline-tools.h"
#include "online/achievementman.h"
#include "online/analytics.h"
#include "online/leaderboards-manager.h"
#include "online/news-manager.h"
#include "tools/edit-mode.h"
#include "tools/level-editor-screens.h"
#include "tools/test-player-hooks.h"

#include <string.h>

uint8_t g_app_active = 1;
float g_master_volume = 1.0f;
uint8_t generate_bitmap = 0;

namespace {

enum {
    KEY_MENU = 18,
    KEY_SLEEP_50 = '1',
    KEY_SLEEP_100 = '2',
    KEY_SLEEP_200 = '3',
    KEY_QUIT = 'X',
    EVENT_STRING = 63,
};

// The longest step the screens get; longer frames become about this long, varied by up
// to a millisecond either way so that nothing locks onto a fixed step.
const float kMaxStep = 1.0f / 15.0f;

// The battle is on: every screen is preloaded and the battle screen is stacked.
bool BattleStacked()
{
    if (!sman.all_screens_preloaded.load(std::memory_order_acquire))
        return false;
    Screen *game = Screen::PeekScreen("Game");
    return game && sman.IsScreenInStack(game);
}

// ---- the service manager's calls into the screen layer

void InitEffects()
{
    pbman.Init();
}

void InitScreens(int reference_width, int reference_height)
{
    sman.InitScreens(reference_width, reference_height);
}

void ShutdownScreens()
{
    sman.Shutdown();
}

void InitTimeline()
{
    timeline.Init();
    timeline.LoadTimeline("timeline.xml");
}

void FreeTimeline()
{
    timeline.FreeTimeline();
}

void InitLeaderboards()
{
    leaderboards_man.Initialize();
}

void RegisterAnalyst()
{
    Analyst::RegisterLuaFunctions();
}

void EnableAnalyst(bool on)
{
    if (on)
        analyst.Initialize();
    else
        analyst.Shutdown();
}

void InitAchievements()
{
    achievement_man.Initialize();
}

// The news area: 96 % of the virtual screen's width, 80 % of its height (truncated).
void InitNews()
{
    news_man.Initialize((int)(sman.virtual_width * 0.96), (int)(sman.virtual_height * 0.8));
    news_man.SetPlayedEnoughHook(NewsManager_PlayedEnoughToShowNews);
}

const ManagerCalls kManagerCalls = {InitEffects,      InitScreens,      InitTimeline,         ShutdownScreens,
                                    FreeTimeline,     InitLeaderboards, RegisterAnalyst,      EnableAnalyst,
                                    InitAchievements, InitNews,         TestPlayerInitialize, TestPlayerSelectProfile};

// The calls are handed over before main: the engine's pre-initialisation event, which
// starts the services, may come at any time after.
struct HandOverCalls {
    HandOverCalls() { man.SetCalls(&kManagerCalls); }
} hand_over_calls;

}  // namespace

ov_prog_t *ProgGetInterface()
{
    memset(&prog, 0, sizeof prog);
    prog.interface_version = OV_INTERFACE_VERSION;
    prog.Init = OV_Init;
    prog.Draw = OV_Draw;
    prog.Shutdown = OV_Shutdown;
    prog.Update = OV_Update;
    prog.EventProc = OV_EventProc;
    prog.parms.windowed = 0;
    prog.parms.app_flag = 1;
    prog.parms.multitouch = 1;
    prog.parms.reference_counting = 1;
    return &prog;
}

int OV_Init()
{
    ov = prog.interface;
    ov->OV_Printf("Prog Init.\n");
    man.InitializeAll();
    RegisterBattleScriptFunctions();
    RegisterResultScreens();  // registered by name before the loading worker preloads
    // The shop, reinforcement and trooper-upgrade screens, registered before loading.
    RegisterEconomyScreens();
    // The battle's road: the loader transition and the battle screen.
    RegisterBattleScreens();
    // The UI edit mode's handler, frame and overlays (Ctrl+E, Ctrl+R in developer mode).
    InstallEditMode();
    // The automated test player's frame, events and overlay.
    InstallTestPlayer();
    // The developer screens ("ScreenBrowser", "Timeline"); their UI needs developer mode.
    GetScreenBrowser();
    GetTimelineScreen();
    // The editors' developer screens, only in developer runs (their UI is developer content).
    if (prog.parms.developer_mode)
        RegisterEditorScreens();
    flagmaster.Init();
    pbman.AddPartDeathFunc("GroundDecal", PMAN_func_death_Decal);
    Screen *loading = Screen::GetScreen("Loading");
    sman.PreloadScreen(loading);
    sman.PushScreen(loading, 0);
    return 1;
}

void OV_Shutdown()
{
    // A preload still running reads the screens and UI sets freed below: it stops first.
    StopLoadingWorker(10000);
    // The flags and the menus' banner give their bitmaps back while the engine is up.
    flagmaster.ReleaseAll();
    FreeMenuBanner();
    TestPlayerShutdown();
    profile_man().SaveProfiles();
    man.Shutdown();
}

void OV_Update(float dt)
{
    if (TestPlayerHoldsFrame())
        return;
    dt = TestPlayerFrameSeconds(dt);
    // The sound fades in over a second after activation and out over a second after
    // deactivation, whether or not anything else runs.
    g_master_volume += g_app_active ? dt : -dt;
    if (g_master_volume < 0.0f)
        g_master_volume = 0.0f;
    if (g_master_volume > 1.0f)
        g_master_volume = 1.0f;
    ov->OV_SetMasterVolume(g_master_volume);
    if (!g_app_active)
        return;

    // Developer slow motion: the sleeps add up.
    if (prog.parms.developer_mode) {
        if (KeyHeld(KEY_SLEEP_50))
            ov->OVT_Sleep(50);
        if (KeyHeld(KEY_SLEEP_100))
            ov->OVT_Sleep(100);
        if (KeyHeld(KEY_SLEEP_200))
            ov->OVT_Sleep(200);
    }

    if (dt > kMaxStep) {
        float r = (float)AppRandom() / (float)APP_RANDOM_MAX;
        dt = kMaxStep + (-0.001f + r * 0.002f);
    }
    flagmaster.Update(dt);
    achievements.UpdateAchievementNotifications(dt);

    mpos.x = ov->OV_GetKeyStatef(OV_KEY_POINTER_X);
    mpos.y = ov->OV_GetKeyStatef(OV_KEY_POINTER_Y);
    if (!prog.parms.console_visible)
        sman.Update(dt);

    // MENU + X ends the program in every mode (the letter under either of its codes).
    if (KeyHeld(KEY_MENU) && (KeyHeld(KEY_QUIT) || KeyHeld(KEY_QUIT + 32)))
        ov->OV_SignalShutdown();

    // The battlefield's terrain bitmap is rebuilt when the display lost it (or, for the
    // developer, when the virtual screen no longer matches it).
    RegenerateBattleTerrain(&generate_bitmap);
}

void OV_Draw(float dt)
{
    if (!g_app_active || TestPlayerHoldsFrame())
        return;
    dt = TestPlayerFrameSeconds(dt);
    sman.DrawScreens(dt);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
    achievements.DrawAchievementNotifications();
}

int OV_EventProc(ov_event_t ev)
{
    // A render target lost its contents: the terrain is drawn again at the next update.
    if (ev.type == OV_EVENT_REDRAW_TARGET && BattleStacked())
        generate_bitmap = 1;

    if (ev.type == OV_EVENT_ACTIVATION) {
        g_app_active = ev.inactive ? 0 : 1;
        // Back in the middle of a battle: pause it.
        Screen *game = Screen::PeekScreen("Game");
        if (g_app_active && game && sman.PeekScreen(0) == game)
            sman.PushScreen("PauseMenu", 0);
    }

    int result = sman.ProcessEvent(ev);
    if (result)
        return result;

    const char *text = (const char *)ev.ptr;
    if (ev.type == OV_EVENT_CONSOLE_COMMAND) {
        if (!text)
            return 0;
        ov->OV_PrintDebugf(1, "Entered '%s'\n", text);
        return 1;
    }
    if (ev.type == EVENT_STRING && text && strcmp(text, "ADS_FULLSCREEN_CLOSED") == 0 &&
        feature_man.ProductFeatureExists("ADS"))
        sman.SendScreenMessage(nullptr, Screen::GetScreen("AdScreen"), "ADS_FULLSCREEN_CLOSED", "");
    return 0;
}
