// The menus' start-up on the headless engine with fixture screens: the loading screen's
// worker "App Loading" preloading every registered screen while frames run, the
// hand-over to the main menu, the load-game prompt holding it ("Yes", "No"), the
// fallback when the worker cannot be started, and shutdown while loading. The whole
// preload, with a leaderboards screen and UI scripts loading flags on the worker, is
// also run under ThreadSanitizer.
#include "tests/support/headless_engine.h"
#include "tests/app/ui/ui_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "core/ov_state.h"
#include "gfx/bitmap.h"
#include "game/screens/flags.h"
#include "game/screens/load-game-prompt.h"
#include "game/screens/loading.h"
#include "game/screens/main-menu.h"
#include "online/leaderboards-manager.h"
#include "ovrecords.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

using uitest::UITest;

namespace {

std::mutex record_lock;
std::vector<std::string> messages;   // "from message value" arriving at fixture screens
std::vector<std::string> popups;
std::atomic<int> fixture_preloads{0};
std::atomic<bool> hold_preload{false};
std::atomic<bool> preload_held{false};

int RecordPopup(int level, const char *fmt, ...)
{
    char text[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    std::lock_guard<std::mutex> hold(record_lock);
    popups.push_back(std::to_string(level) + " " + text);
    return 1;
}

// Popups about the stack (a refused push) or about flags.
int StackOrFlagPopups()
{
    std::lock_guard<std::mutex> hold(record_lock);
    int n = 0;
    for (const std::string &p : popups)
        if (p.find("PushScreen") != std::string::npos || p.find("flag") != std::string::npos)
            n++;
    return n;
}

int64_t NoThread(const char *, ov_thread_fn, void *, int)
{
    return -1;
}

// A screen the content would provide: loads its fixture UI script when preloaded (on
// the worker) and records the screen messages it receives.
class FixtureScreen : public Screen {
public:
    FixtureScreen(const char *name, const char *ui_file) : Screen(name), ui_file_(ui_file ? ui_file : "") {}
    ~FixtureScreen() override { FreeUI(); }
    bool PreLoad() override
    {
        if (!ui_file_.empty())
            LoadUI(ui_file_.c_str());
        fixture_preloads.fetch_add(1);
        return true;
    }
    void Draw(float) override { DrawUI(); }
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override
    {
        std::lock_guard<std::mutex> hold(record_lock);
        messages.push_back(std::string(from ? from->name : "null") + " " + message + " " + value);
        return 1;
    }
    std::string ui_file_;
};

// The leaderboards screen's preload creates the leaderboards manager's server and first
// client on the worker.
class FixtureLeaderboards : public FixtureScreen {
public:
    FixtureLeaderboards() : FixtureScreen("Leaderboards", "ui/leaderboards.lua") {}
    bool PreLoad() override
    {
        const char *category = leaderboards_man.GetDefaultCategory();
        client = leaderboards_man.GetLeaderboardsForCategory(category ? category : "MAIN");
        return FixtureScreen::PreLoad();
    }
    std::atomic<LeaderboardsClient *> client{nullptr};
};

// Holds the worker inside its preload while `hold_preload` is set.
class FixtureSlowScreen : public FixtureScreen {
public:
    explicit FixtureSlowScreen(const char *ui_file = nullptr) : FixtureScreen("SlowScreen", ui_file) {}
    bool PreLoad() override
    {
        preloads.fetch_add(1);
        preload_held.store(true);
        for (int i = 0; i < 5000 && hold_preload.load(); i++)
            ov->OVT_Sleep(1);
        return FixtureScreen::PreLoad();
    }
    std::atomic<int> preloads{0};
};

// Counts the "App Loading" workers started through the engine's own thread start.
std::atomic<int> loading_workers_started{0};
int64_t (*engine_create_thread)(const char *, ov_thread_fn, void *, int) = nullptr;

int64_t CountingCreateThread(const char *name, ov_thread_fn fn, void *arg, int flags)
{
    if (name && strcmp(name, "App Loading") == 0)
        loading_workers_started.fetch_add(1);
    return engine_create_thread(name, fn, arg, flags);
}

const char kBannerScript[] = R"(
CreateComp("UnknownPlain", "Banner")
SetProperty("position", 0.125, 0.125)
SetProperty("custom_draw", 1)
)";

class Loading : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        messages.clear();
        popups.clear();
        fixture_preloads.store(0);
        hold_preload.store(false);
        preload_held.store(false);
    }
    void TearDown() override
    {
        WaitForWorker();
        __atomic_store_n(&prog.parms.quit, (uint8_t)0, __ATOMIC_RELEASE);
        if (ui_started_) {
            sman.Release();
            sman.all_screens_preloaded.store(false);
            for (Screen *s : fixtures_)
                delete s;
            fixtures_.clear();
            flagmaster.ReleaseAll();
            FreeMenuBanner();
            leaderboards_man.Reset();
        }
        UITest::TearDown();
    }
    // The screen framework up with the menus' fixture scripts and bitmaps and the
    // content screens the menus meet.
    void StartMenus()
    {
        StartUI();
        // The frames below give the screens their time steps themselves.
        prog.Update = [](float) {};
        sman.all_screens_preloaded.store(false);
        flagmaster.initialised = false;
        flagmaster.Init();
        ov->OV_Popupf = RecordPopup;
        widgettest::WritePng("ui/gfx/banner-cloth.png", 64, 32, [](int, int) {
            return widgettest::Rgba{0, 255, 0, 255};
        });
        widgettest::WritePng("game-ui/bullet.png", 8, 8, [](int, int) { return widgettest::Rgba{255, 255, 0, 255}; });
        apptest::WriteFile("ui/loading.lua", std::string(kBannerScript) + R"(
CreateComp("UnknownPlain", "Loader")
SetProperty("position", 0.9, 0.9)
CreateComp("UnknownPlain", "Windmill")
SetProperty("position", 0.85, 0.8)
)");
        apptest::WriteFile("ui/main-menu.lua", kBannerScript);
        apptest::WriteFile("ui/popup-load-game.lua", R"(
CreateComp("UnknownPlain", "Yes")
CreateComp("UnknownPlain", "No")
)");
        // Content screens: a menu whose script loads a flag on the worker and reads the
        // data registry, the leaderboards, and the battle's way in.
        apptest::WriteFile("ui/play-menu.lua", R"(
flag = LoadFlag("ui/gfx/banner-cloth.png", 8)
CreateComp("UnknownPlain", "Title")
function OnLoad() loaded = 1 end
)");
        apptest::WriteFile("leaderboards/leaderboards.xml",
                           "<?xml version=\"1.0\"?>\n<root>\n<array id=\"CATEGORIES\">\n"
                           "<node id=\"MAIN\" display_name=\"LB_MAIN\" tags=\"\" />\n</array>\n</root>\n");
        apptest::WriteFile("ui/leaderboards.lua", "CreateComp(\"UnknownPlain\", \"List\")\n");
        leaderboards_man.Initialize();
        fixtures_.push_back(new FixtureScreen("PlayMenu", "ui/play-menu.lua"));
        fixtures_.push_back(leaderboards_ = new FixtureLeaderboards);
        fixtures_.push_back(transition_ = new FixtureScreen("LoaderTransition", nullptr));
    }
    // As the application's initialise hook: the loading screen preloaded here and pushed.
    void PushLoading()
    {
        ASSERT_TRUE(sman.PreloadScreen(&screen_loading));
        sman.PushScreen(&screen_loading, 0);
    }
    // One frame as the application runs it: the flags, the screens, the drawing.
    void Frame(float dt)
    {
        flagmaster.Update(dt);
        sman.Update(dt);
        DrawFrame();
    }
    // The worker started and held inside the preload of a slow screen, with one more
    // screen after it to preload.
    void HoldTheWorkerOnASlowScreen()
    {
        StartMenus();
        fixtures_.push_back(new FixtureSlowScreen);
        hold_preload.store(true);
        PushLoading();
        Frame(0.125f);
        for (int i = 0; i < 5000 && !preload_held.load(); i++)
            ov->OVT_Sleep(1);
        ASSERT_TRUE(preload_held.load());
        fixtures_.push_back(new FixtureScreen("AfterTheSlowOne", nullptr));
    }
    void WaitForWorker()
    {
        for (int i = 0; i < 10000 && loading_thread_running.load(); i++)
            ov->OVT_Sleep(1);
        ASSERT_FALSE(loading_thread_running.load());
    }
    std::vector<std::string> Stack()
    {
        std::vector<std::string> names;
        for (int i = 0; i < sman.stack.Count(); i++)
            names.push_back(sman.stack[i]->name);
        return names;
    }
    bool AllPreloaded()
    {
        for (int i = 0; Screen *s = Screen::GetScreenByIndex(i); i++)
            if (!s->preloaded.load())
                return false;
        return true;
    }
    void Click(Screen *screen, const char *name)
    {
        UIComp *comp = screen->GetComp(name);
        ASSERT_NE(comp, nullptr) << name;
        sman.SendComponentClick(comp, screen->ui);
    }
    static std::string SavePath()
    {
        char name[512];
        ov->OV_GetPathEx(name, sizeof name, 1, "%s", "user/save-15.dat");
        return name;
    }
    void WriteSave()
    {
        ov->OV_CreateDirectory("user://user");
        const char bytes[] = "a saved battle";
        ASSERT_TRUE(SaveFileReplacing(SavePath().c_str(), bytes, sizeof bytes));
    }
    static bool SaveExists()
    {
        ov_file_t *f = ov->OV_OpenFile(SavePath().c_str(), "rb");
        if (f)
            ov->OV_CloseFile(f);
        return f != nullptr;
    }
    void Shot(const char *name)
    {
        widgettest::Frame f = widgettest::ReadFrame();
        widgettest::SavePng(f, enginetest::ShotPath("menus", name));
    }
    // Loading pushed, the worker started by the first frame and waited for.
    void LoadEverything()
    {
        PushLoading();
        Frame(0.125f);
        WaitForWorker();
        ASSERT_TRUE(sman.all_screens_preloaded.load());
    }
    std::vector<Screen *> fixtures_;
    FixtureLeaderboards *leaderboards_ = nullptr;
    FixtureScreen *transition_ = nullptr;
};

}  // namespace

namespace {
// The real clock, with the main thread's waits of a loading screen's length counted.
std::atomic<int> s_main_waits{0};
uint32_t ClockMs()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)((uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u);
}
void SleepSeconds(unsigned s)
{
    sleep(s);
}
void SleepMicroseconds(unsigned us)
{
    if (us >= 10000 && ov->OV_IsMainThread())
        s_main_waits++;
    usleep(us);
}
const ov_time_source_t kCountingClock = {ClockMs, SleepSeconds, SleepMicroseconds, nullptr};
}  // namespace

// The loading screen gives the worker processor time by waiting in its updates, but not
// before its first frame is on the display: that frame is what the player waits for.
TEST_F(Loading, TheFirstFrameIsNotHeldUpForTheWorker)
{
    StartMenus();
    OVT_SetTimeSource(&kCountingClock);
    s_main_waits = 0;
    PushLoading();
    sman.Update(0.0f);  // the start-up's own update, before any frame
    Frame(1.0f / 60.0f);
    EXPECT_EQ(s_main_waits.load(), 0) << "no wait before the first frame is drawn";
    Frame(1.0f / 60.0f);
    EXPECT_EQ(s_main_waits.load(), 1) << "from then on the worker gets its time";
    OVT_SetTimeSource(nullptr);
}

// Whether the bitmap pool holds a bitmap of that name (read under the pool's lock: the
// worker may be adding bitmaps meanwhile).
bool BitmapInPool(const char *name)
{
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    bool found = false;
    for (int i = 0; i < OVI_GetBitmapHighWater() && !found; i++) {
        const ov_bitmap_t *b = OVI_GetBitmapRecord(i);
        found = b->name && strcmp(b->name, name) == 0;
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    return found;
}

// What the loading screen's first frame shows is read when the screen is entered (in
// the program, while the GL driver still loads), the windmill's bitmap included: the
// first frame reads no file.
TEST_F(Loading, TheFirstFrameFindsTheWindmillsBitmapReadAlready)
{
    StartMenus();
    PushLoading();
    EXPECT_TRUE(BitmapInPool("game-ui/bullet.png")) << "read when the screen is entered";
    Frame(1.0f / 60.0f);
    ov_bitmap_t *bullet = ov->OV_GetBitmap("game-ui/bullet.png");
    ASSERT_NE(bullet, nullptr);
    EXPECT_EQ(bullet->refcount, 1) << "one reference for the screen's look-ups";
}

TEST_F(Loading, TheMainMenuFollowsHalfASecondAfterTheLastPreload)
{
    StartMenus();
    EXPECT_EQ(bg_banner.grid_w, 0);
    PushLoading();
    // Entered: the banner built over its bitmap (25 x 25 vertices, the table's values).
    EXPECT_EQ(bg_banner.grid_w, 25);
    EXPECT_EQ(bg_banner.grid_h, 25);
    ASSERT_NE(bg_banner.bitmap, nullptr);
    EXPECT_FALSE(bg_banner.released);
    EXPECT_FLOAT_EQ(bg_banner.ripple_y, 5.0f);
    Frame(0.125f);
    EXPECT_TRUE(screen_loading.thread_started);
    WaitForWorker();
    EXPECT_TRUE(apptest::Logged("Spawned loading thread.\n"));
    EXPECT_TRUE(AllPreloaded());
    EXPECT_EQ(fixture_preloads.load(), 3);
    EXPECT_NE(leaderboards_->client.load(), nullptr);
    EXPECT_NE(leaderboards_man.GetServer(), nullptr);
    // The flag the content script loaded on the worker.
    EXPECT_EQ(flagmaster.Count(), 1);

    // The timer runs from here: 0.125 per frame, the hand-over once past 0.5.
    const float expected_alpha[] = {0.75f, 0.5f, 0.25f, 0.0f};
    for (int i = 0; i < 4; i++) {
        float phase_before = bg_banner.phase;
        float fade = screen_loading.trans_phase;   // the fade the update sees
        Frame(0.125f);
        EXPECT_NEAR(bg_banner.phase - phase_before, 0.125f * 0.25f * 0.25f, 1e-6f);
        EXPECT_FLOAT_EQ(screen_loading.handover_timer, 0.125f * (i + 1));
        EXPECT_NEAR(screen_loading.GetComp("Loader")->alpha, fade * expected_alpha[i], 1e-5f);
        EXPECT_FALSE(sman.IsScreenInStack("MainMenu")) << i;
    }
    DrawFrame();
    Shot("loading.png");
    Frame(0.125f);
    EXPECT_TRUE(sman.IsScreenInStack("MainMenu"));
    EXPECT_TRUE(screen_loading.leaving);
    for (int i = 0; i < 4; i++)
        Frame(0.125f);
    EXPECT_EQ(Stack(), std::vector<std::string>{"MainMenu"});
    // The banner's wave carries on in the main menu.
    float phase = bg_banner.phase;
    for (int i = 0; i < 8; i++)
        Frame(0.125f);
    EXPECT_NEAR(bg_banner.phase - phase, 8 * 0.125f * 0.25f * 0.25f, 1e-5f);

    // Read back: the green banner drawn into the main menu's "Banner" component.
    DrawFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    Shot("main-menu.png");
    UIComp *banner = screen_main_menu.GetComp("Banner");
    ASSERT_NE(banner, nullptr);
    EXPECT_FLOAT_EQ(banner->width, 64.0f * banner->GetDynamicScale());
    EXPECT_FLOAT_EQ(banner->height, 32.0f * banner->GetDynamicScale());
    auto box = widgettest::LitBox(f, 0, 0, f.w - 1, f.h - 1,
                                  [](const widgettest::Rgba &p) { return p[1] > 150 && p[0] < 80 && p[2] < 80; });
    vec2_t at = banner->GetAlignedPos();
    ASSERT_GE(box[0], 0) << at.x << " " << at.y << " " << banner->visible << " " << banner->position_type;
    EXPECT_NEAR(box[0], at.x, 2.0f);   // the top edge stays where it is placed
    EXPECT_NEAR(box[1], at.y, 2.0f);
    EXPECT_GT(box[2], at.x + 64.0f);   // the cloth blows to the right below the top
    EXPECT_EQ(StackOrFlagPopups(), 0);
}

// The banner's cloth is posed 15 times a second whatever the frame rate: the frames
// between two poses draw the same quads (so a frame drawn only where it changed redraws
// no banner), and from one pose to the next, anywhere in the wave's cycle, no corner
// moves more than a third of a pixel per unit of scale nor shades more than two levels.
TEST_F(Loading, TheBannersClothIsPosedFifteenTimesASecondAndMovesUnderAPixel)
{
    StartMenus();
    PushLoading();
    UIComp *comp = screen_loading.GetComp("Banner");
    ASSERT_NE(comp, nullptr);
    static std::vector<ov_vertex_t> drawn;
    auto draw4v = ov->OV_DrawBitmap4V;
    ov->OV_DrawBitmap4V = [](ov_bitmap_t *, ov_vertex_t *v) { drawn.insert(drawn.end(), v, v + 4); };
    const float scale = comp->GetDynamicScale();
    std::vector<ov_vertex_t> last;
    int poses = 0;
    float worst_move = 0.0f;
    int worst_shade = 0;
    const int frames = 32 * 60;  // the wave's whole cycle (phase 0..2) at 60 frames a second
    for (int i = 0; i < frames; i++) {
        UpdateMenuBanner(1.0f / 60.0f);
        drawn.clear();
        ASSERT_TRUE(DrawMenuBannerInto(comp));
        ASSERT_EQ(drawn.size(), 144u * 4) << "frame " << i;
        if (!last.empty() && memcmp(last.data(), drawn.data(), drawn.size() * sizeof(ov_vertex_t)) != 0) {
            poses++;
            for (size_t k = 0; k < drawn.size(); k++) {
                worst_move = std::max(worst_move, hypotf(drawn[k].x - last[k].x, drawn[k].y - last[k].y));
                worst_shade = std::max(worst_shade, abs((int)drawn[k].color[0] - (int)last[k].color[0]));
            }
        }
        last = drawn;
    }
    ov->OV_DrawBitmap4V = draw4v;
    EXPECT_NEAR(poses, 15 * 32, 2) << "poses in 32 seconds";
    EXPECT_LE(worst_move, 0.37f * scale);
    EXPECT_GT(worst_move, 0.25f * scale) << "the cloth does move from pose to pose";
    EXPECT_LE(worst_shade, 2);
}

// Entering the loading screen again rebuilds the banner, giving the old one's bitmap
// reference and mesh back first (the count stays put over many entries); at exit they
// are given back too.
TEST_F(Loading, TheBannerIsFreedBeforeItIsRebuiltAndAtExit)
{
    StartMenus();
    PushLoading();
    ov_bitmap_t *bitmap = bg_banner.bitmap;
    ASSERT_NE(bitmap, nullptr);
    // The play menu's script loads a flag over the same bitmap on the worker (one more
    // reference of its own): the count is read once the worker is done.
    WaitForWorker();
    ASSERT_TRUE(sman.all_screens_preloaded.load());
    ASSERT_EQ(flagmaster.Count(), 1);
    const int refs = bitmap->refcount;
    for (int i = 0; i < 4; i++) {
        sman.PopScreen(&screen_loading, false);
        sman.Update(0.0f);
        sman.PushScreen(&screen_loading, 0);
        WaitForWorker();
        EXPECT_EQ(bg_banner.bitmap, bitmap);
        EXPECT_EQ(bitmap->refcount, refs) << i;
        EXPECT_EQ(bg_banner.grid_w, 25);
        EXPECT_FLOAT_EQ(bg_banner.phase, 0.0f);
    }
    FreeMenuBanner();
    EXPECT_EQ(bitmap->refcount, refs - 1);
    EXPECT_TRUE(bg_banner.released);
    EXPECT_EQ(bg_banner.vertices, nullptr);
    EXPECT_EQ(bg_banner.bitmap, nullptr);
    // Released, the banner draws nothing and its component keeps its own size.
    UIComp *banner = screen_loading.GetComp("Banner");
    ASSERT_NE(banner, nullptr);
    banner->width = 7.0f;
    EXPECT_TRUE(DrawMenuBannerInto(banner));
    EXPECT_FLOAT_EQ(banner->width, 7.0f);
}

// Entering the loading screen again while its worker still preloads (a script or the
// developer's screen browser may push it) leaves the preload to that worker: no second
// worker preloads the same screens beside it, every screen is preloaded once, and the
// hand-over follows as usual.
TEST_F(Loading, EnteringAgainWhileTheWorkerPreloadsStartsNoSecondWorker)
{
    StartMenus();
    apptest::WriteFile("ui/slow.lua", "CreateComp(\"UnknownPlain\", \"Slow\")\n");
    FixtureSlowScreen *slow = new FixtureSlowScreen("ui/slow.lua");
    fixtures_.push_back(slow);
    engine_create_thread = ov->OV_CreateThread;
    ov->OV_CreateThread = CountingCreateThread;
    loading_workers_started.store(0);
    hold_preload.store(true);
    PushLoading();
    for (int i = 0; i < 5000 && !preload_held.load(); i++)
        ov->OVT_Sleep(1);
    ASSERT_TRUE(preload_held.load());
    for (int i = 0; i < 3; i++) {
        sman.PopScreen(&screen_loading, false);
        sman.Update(0.0f);
        sman.PushScreen(&screen_loading, 0);
        Frame(0.125f);
    }
    EXPECT_EQ(loading_workers_started.load(), 1);
    hold_preload.store(false);
    WaitForWorker();
    for (int i = 0; i < 2000 && !sman.all_screens_preloaded.load(); i++)
        ov->OVT_Sleep(1);
    ASSERT_TRUE(sman.all_screens_preloaded.load());
    EXPECT_TRUE(AllPreloaded());
    EXPECT_EQ(slow->preloads.load(), 1);
    EXPECT_EQ(fixture_preloads.load(), 4);
    EXPECT_NE(slow->GetComp("Slow"), nullptr);
    for (int i = 0; i < 10; i++)
        Frame(0.125f);
    EXPECT_EQ(Stack(), std::vector<std::string>{"MainMenu"});
    EXPECT_EQ(loading_workers_started.load(), 1);
}

TEST_F(Loading, AMenuWithoutABannerComponentShowsNoBanner)
{
    StartMenus();
    apptest::WriteFile("ui/main-menu.lua", "CreateComp(\"UnknownPlain\", \"Title\")\n");
    LoadEverything();
    for (int i = 0; i < 10; i++)
        Frame(0.125f);
    ASSERT_EQ(Stack(), std::vector<std::string>{"MainMenu"});
    apptest::draw = [](float dt) {
        ov->OV_ClearScreen(0, 0, 0);
        sman.DrawScreens(dt);
    };
    DrawFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    auto box = widgettest::LitBox(f, 0, 0, f.w - 1, f.h - 1, [](const widgettest::Rgba &p) { return p[1] > 150; });
    EXPECT_EQ(box[0], -1);
}

TEST_F(Loading, ThePromptHoldsTheHandOverAndYesResumesTheSavedBattle)
{
    StartMenus();
    LoadEverything();
    sman.PushScreen("PopupLoadGame", 0);
    EXPECT_FLOAT_EQ(screen_popup_load_game.trans_phase, 0.001f);
    for (int i = 0; i < 12; i++)
        Frame(0.125f);
    // Covered, the loading screen neither counts nor hands over.
    EXPECT_FLOAT_EQ(screen_loading.handover_timer, 0.0f);
    EXPECT_EQ(Stack(), (std::vector<std::string>{"Loading", "PopupLoadGame"}));
    Click(&screen_popup_load_game, "Yes");
    {
        std::lock_guard<std::mutex> hold(record_lock);
        EXPECT_EQ(messages, std::vector<std::string>{"PopupLoadGame ENTER_OLD_BATTLE "});
    }
}

TEST_F(Loading, NoDeletesTheSaveAndLeavesOnlyTheMainMenu)
{
    struct Case {
        const char *over;                       // the screen the prompt covers
        std::vector<std::string> before_no;
    } cases[] = {
        {"Loading", {"Loading", "PopupLoadGame"}},
        // The main menu's "Continue" pushes the prompt too.
        {"MainMenu", {"MainMenu", "PopupLoadGame"}},
    };
    StartMenus();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.over);
        sman.Release();
        sman.all_screens_preloaded.store(false);
        LoadEverything();
        if (std::string(c.over) == "MainMenu")
            for (int i = 0; i < 10; i++)
                Frame(0.125f);
        ASSERT_EQ(Stack(), std::vector<std::string>{c.over});
        WriteSave();
        ASSERT_TRUE(SaveExists());
        sman.PushScreen("PopupLoadGame", 0);
        for (int i = 0; i < 4; i++)
            Frame(0.125f);
        ASSERT_EQ(Stack(), c.before_no);
        popups.clear();
        Click(&screen_popup_load_game, "No");
        EXPECT_FALSE(SaveExists());
        EXPECT_TRUE(screen_popup_load_game.leaving);
        for (int i = 0; i < 6; i++)
            Frame(0.125f);
        EXPECT_EQ(Stack(), std::vector<std::string>{"MainMenu"});
        EXPECT_EQ(StackOrFlagPopups(), 0);   // nothing pushed twice
    }
}

// "No" before the main menu is preloaded closes the prompt only; the loading screen
// then hands over as usual. (Preloading on the main thread here, which the covering
// prompt holds, so the main menu is surely not ready when "No" comes.)
TEST_F(Loading, NoBeforeTheMainMenuIsReadyLeavesTheHandOverToTheLoadingScreen)
{
    StartMenus();
    ov->OV_CreateThread = NoThread;
    PushLoading();
    Frame(0.125f);
    ASSERT_TRUE(screen_loading.preload_on_main_thread);
    ASSERT_TRUE(sman.PreloadScreen(&screen_popup_load_game));
    sman.PushScreen(&screen_popup_load_game, 0);
    for (int i = 0; i < 4; i++)
        Frame(0.125f);
    ASSERT_FALSE(screen_main_menu.preloaded.load());
    WriteSave();
    Click(&screen_popup_load_game, "No");
    EXPECT_FALSE(SaveExists());
    for (int i = 0; i < 4; i++)
        Frame(0.125f);
    EXPECT_EQ(Stack(), std::vector<std::string>{"Loading"});
    for (int i = 0; i < 100 && !sman.IsScreenInStack("MainMenu"); i++)
        Frame(0.125f);
    for (int i = 0; i < 4; i++)
        Frame(0.125f);
    EXPECT_EQ(Stack(), std::vector<std::string>{"MainMenu"});
    EXPECT_EQ(StackOrFlagPopups(), 0);
}

TEST_F(Loading, WithoutAWorkerTheScreensPreloadOnePerFrame)
{
    StartMenus();
    ov->OV_CreateThread = NoThread;
    PushLoading();
    Frame(0.125f);
    EXPECT_FALSE(loading_thread_running.load());
    EXPECT_TRUE(screen_loading.preload_on_main_thread);
    int total = Screen::total_num_screens.load();
    int waiting = 0;
    for (int i = 0; Screen *s = Screen::GetScreenByIndex(i); i++)
        waiting += s->preloaded.load() ? 0 : 1;
    ASSERT_GT(waiting, 3);
    // One screen per frame (a last call may find nothing left and report the end).
    int frames = 0, preloading_frames = 0;
    while (!sman.all_screens_preloaded.load() && frames < 200) {
        int before = Screen::total_num_screens_preloaded.load();
        Frame(0.125f);
        int grown = Screen::total_num_screens_preloaded.load() - before;
        EXPECT_LE(grown, 1);
        preloading_frames += grown;
        frames++;
    }
    EXPECT_EQ(preloading_frames, waiting);
    EXPECT_TRUE(AllPreloaded());
    EXPECT_LE(frames, total);
    EXPECT_FALSE(apptest::Logged("Spawned loading thread."));
    for (int i = 0; i < 10; i++)
        Frame(0.125f);
    EXPECT_EQ(Stack(), std::vector<std::string>{"MainMenu"});
}

TEST_F(Loading, ShutdownStopsTheWorkerAtItsNextCall)
{
    HoldTheWorkerOnASlowScreen();
    if (HasFatalFailure())
        return;
    __atomic_store_n(&prog.parms.quit, (uint8_t)1, __ATOMIC_RELEASE);
    hold_preload.store(false);
    WaitForWorker();
    EXPECT_FALSE(fixtures_.back()->preloaded.load());
    EXPECT_FALSE(sman.all_screens_preloaded.load());
    __atomic_store_n(&prog.parms.quit, (uint8_t)0, __ATOMIC_RELEASE);
    // Still on the loading screen: no hand-over without every screen preloaded.
    for (int i = 0; i < 6; i++)
        Frame(0.125f);
    EXPECT_EQ(Stack(), std::vector<std::string>{"Loading"});
}

// The application's shutdown stops the worker after the screen it preloads, without the
// program's quit flag, and waits for it: nothing it reads is freed under it.
TEST_F(Loading, TheApplicationsShutdownStopsAndWaitsForTheWorker)
{
    HoldTheWorkerOnASlowScreen();
    if (HasFatalFailure())
        return;
    EXPECT_FALSE(StopLoadingWorker(20)) << "the held preload keeps the worker busy past the limit";
    EXPECT_TRUE(apptest::Logged("The loading thread did not stop within 20 ms."));
    hold_preload.store(false);
    EXPECT_TRUE(StopLoadingWorker(10000));
    EXPECT_FALSE(loading_thread_running.load());
    EXPECT_FALSE(fixtures_.back()->preloaded.load()) << "no screen after the one it was preloading";
    EXPECT_EQ(__atomic_load_n(&prog.parms.quit, __ATOMIC_ACQUIRE), 0);
    EXPECT_TRUE(StopLoadingWorker(0)) << "no worker: nothing to wait for";
}

// The whole preload on the worker while the main thread runs frames that update and
// draw the loading screen, read the data registry and the leaderboards, draw flags and
// look screens up by name (a binary of the ThreadSanitizer build).
TEST_F(Loading, ThePreloadRunsBesideTheFrames)
{
    StartMenus();
    for (int i = 0; i < 6; i++) {
        std::string name = "Content" + std::to_string(i);
        std::string file = "ui/" + name + ".lua";
        apptest::WriteFile(file, "f = LoadFlag('ui/gfx/banner-cloth.png', 4)\nCreateComp('UnknownPlain', 'c')\n"
                                 "SetProperty('position', 0.1, 0.1)\nfunction OnLoad() ReleaseFlag(f) end\n");
        fixtures_.push_back(new FixtureScreen(name.c_str(), file.c_str()));
    }
    PushLoading();
    int frames = 0;
    while (!sman.IsScreenInStack("MainMenu") && frames < 2000) {
        Frame(1.0f / 60.0f);
        flagmaster.DrawFlag(0, 0, 0, 1, 1);
        leaderboards_man.GetBestLocalScore("MAIN");
        dman().GetArray("leaderboards/leaderboards.xml", "CATEGORIES");
        Screen::GetScreen("PlayMenu");
        frames++;
    }
    WaitForWorker();
    EXPECT_TRUE(sman.IsScreenInStack("MainMenu"));
    EXPECT_TRUE(AllPreloaded());
    EXPECT_EQ(fixture_preloads.load(), 9);
    EXPECT_NE(leaderboards_->client.load(), nullptr);
    EXPECT_EQ(flagmaster.Count(), 1);   // the play menu's flag; the six released theirs
}
