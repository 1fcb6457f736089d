// The loading screen and the menus' banner (see loading.h).
#include "game/screens/loading.h"

#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/screens/load-game-prompt.h"
#include "game/screens/main-menu.h"
#include "ovrecords.h"

#include <math.h>
#include <strings.h>

ScreenLoading screen_loading;
FlagMesh bg_banner;
std::atomic<bool> loading_thread_running{false};

namespace {
// Set by StopLoadingWorker; a new worker clears it before it starts.
std::atomic<bool> loading_stop_requested{false};
}  // namespace
Screen *const menu_screens[3] = {&screen_loading, &screen_main_menu, &screen_popup_load_game};

namespace {

const char *kBannerBitmap = "ui/gfx/banner-cloth.png";
const char *kWindmillBitmap = "game-ui/bullet.png";
const int kBannerResolution = 24;
// The banner's phase advance per second, times its speed; and how often its cloth is
// posed (see DrawMenuBannerInto).
const float kBannerPhasePerSecond = 0.25f;
const float kBannerPosesPerSecond = 15.0f;
// Seconds between the all-preloaded report and the hand-over to the main menu.
const float kHandOverDelay = 0.5f;

}  // namespace

// ---- the banner

void UpdateMenuBanner(float dt)
{
    AdvanceFlagPhase(&bg_banner, dt * kBannerPhasePerSecond * bg_banner.speed);
    bg_banner.wave_x = 20.0f;
}

bool DrawMenuBannerInto(UIComp *comp)
{
    if (!comp || !comp->name || strcasecmp(comp->name, "Banner") != 0)
        return false;
    if (bg_banner.released)
        return true;
    const float scale = comp->GetDynamicScale();
    if (bg_banner.bitmap) {
        comp->width = scale * (float)bg_banner.bitmap->width;
        comp->height = scale * (float)bg_banner.bitmap->height;
    }
    vec2_t at = comp->GetAlignedPos();
    // The cloth is posed 15 times a second, not every frame: between two poses it moves
    // at most a third of a pixel (at scale 1) and its shading two levels, so it waves as
    // smoothly, and the frames between poses leave its pixels as they are (a frame is
    // drawn only where it changed: the idle menu's banner costs half as much).
    FlagMesh posed = bg_banner;
    const float step = kBannerPhasePerSecond * bg_banner.speed / kBannerPosesPerSecond;
    if (step > 0.0f)
        posed.phase = floorf(bg_banner.phase / step) * step;
    DrawFlagMesh(posed, at.x, at.y, scale, comp->alpha);
    return true;
}

void FreeMenuBanner()
{
    FreeFlagMesh(&bg_banner);
}

// ---- the loading screen

ScreenLoading::ScreenLoading() : Screen("Loading") {}

bool ScreenLoading::PreLoad()
{
    LoadUI("ui/loading.lua");
    return true;
}

void ScreenLoading::Enter()
{
    handover_timer = 0.0f;
    thread_started = false;
    drawn = false;
    preload_on_main_thread = false;
    // The old banner's bitmap and mesh go before the new ones are made. The banner holds
    // a reference of its own (the get-bitmap call's one reference is shared by all its
    // callers, so freeing the banner must not give that one back).
    BuildFlagMesh(&bg_banner, LoadFlagBitmap(kBannerBitmap, sman.cache_flags), kBannerResolution);
    // The windmill's bitmap is read now, while the start-up waits for the GL driver
    // anyway, not in the first frame (its package's index and the picture). The same
    // cached look-up as in Draw: one reference for both.
    if (GetComp("Windmill"))
        ov->OV_GetBitmap(kWindmillBitmap);
}

void ScreenLoading::Leave() {}

bool ScreenLoading::ProcessUICompClick(UIComp *, int)
{
    return true;
}

void ScreenLoading::Update(float dt)
{
    Screen::Update(dt);
    UpdateMenuBanner(dt);
    // The worker gets processor time while the frames run (once the screen is on the
    // display: its first frame is not held up).
    if (drawn)
        ov->OVT_Sleep(10);

    if (sman.PeekScreen(0) != this)
        return;
    if (preload_on_main_thread && !sman.all_screens_preloaded.load(std::memory_order_acquire))
        Screen::PreLoadAllScreens(true);
    if (sman.all_screens_preloaded.load(std::memory_order_acquire) && !leaving) {
        handover_timer += dt;
        if (handover_timer > kHandOverDelay) {
            sman.PushScreen("MainMenu", 0);
            sman.PopScreen(this, true);
        }
    }
    if (UIComp *loader = GetComp("Loader"))
        loader->alpha = trans_phase * Clamp01(1.0f - 2.0f * handover_timer);

    if (!thread_started) {
        thread_started = true;
        // A worker started by an earlier entry that still preloads carries on for this
        // one: a second worker would preload the same screen at the same time.
        bool idle = false;
        if (loading_thread_running.compare_exchange_strong(idle, true, std::memory_order_acq_rel)) {
            loading_stop_requested.store(false, std::memory_order_release);
            int64_t id = ov->OV_CreateThread("App Loading", ScreenLoading_LoadingThread, nullptr, 0);
            if (id <= 0) {
                loading_thread_running.store(false, std::memory_order_release);
                ov->OV_PrintDebugf(1, "The loading thread could not be started; preloading on the main thread.\n");
                preload_on_main_thread = true;
            }
        }
    }
}

void ScreenLoading::Draw(float)
{
    drawn = true;
    DrawUI();
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
    if (UIComp *windmill = GetComp("Windmill")) {
        // The engine's cached look-up: one reference taken at the first call only.
        if (ov_bitmap_t *bullet = ov->OV_GetBitmap(kWindmillBitmap)) {
            vec2_t at = windmill->GetStaticPos();
            ov->OV_SetAlpha(windmill->alpha);
            ov->OV_DrawBitmapRS(bullet, at.x, at.y, (float)ov->OV_GetTime() * 0.002f, 1.0f);
        }
        ov->OV_SetAlpha(1.0f);
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        ov->OV_SetBlend(0);
    }
}

void ScreenLoading::DrawUIComp(UIComp *comp)
{
    DrawMenuBannerInto(comp);
}

void ScreenLoading_LoadingThread(void *)
{
    ov->OV_Printf("Spawned loading thread.\n");
    while (!ProgQuitRequested() && !loading_stop_requested.load(std::memory_order_acquire)) {
        if (Screen::PreLoadAllScreens(true))
            break;
        ov->OVT_Sleep(1);
    }
    loading_thread_running.store(false, std::memory_order_release);
}

bool StopLoadingWorker(int limit_ms)
{
    if (!loading_thread_running.load(std::memory_order_acquire))
        return true;
    loading_stop_requested.store(true, std::memory_order_release);
    for (int waited = 0; waited < limit_ms && loading_thread_running.load(std::memory_order_acquire); waited++)
        ov->OVT_Sleep(1);
    bool stopped = !loading_thread_running.load(std::memory_order_acquire);
    if (!stopped)
        ov->OV_PrintDebugf(1, "The loading thread did not stop within %d ms.\n", limit_ms);
    return stopped;
}
