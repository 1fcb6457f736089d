// The test player's places in the application (see test-player-hooks.h).
#include "tools/test-player-hooks.h"

#include "app/services/prog.h"
#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/timeline-transition.h"
#include "game/screens/loading.h"
#include "tools/ai-korvald.h"
#include "tools/ai-player.h"
#include "tools/autoplay.h"

namespace {

bool Active()
{
    return ai_man.enabled;
}

void Frame(float dt)
{
    ai_man.PlayTheGame(dt);
}

void Event(ov_event_t &event)
{
    ai_man.ProcessEvent(event);
}

void DrawOverlay()
{
    ai_man.Draw();
}

}  // namespace

void TestPlayerInitialize()
{
    // The game's player is registered before main; naming it here keeps it linked in.
    if (ai_Korvald.GetName()[0] == 0)
        return;
    ai_man.Initialize();
    autoplay.Read(prog.parms.command_line);
}

void TestPlayerSelectProfile()
{
    ai_man.SelectOrCreateAIProfile();
}

void InstallTestPlayer()
{
    frame_services.test_player_active = Active;
    frame_services.test_player_frame = Frame;
    frame_services.test_player_event = Event;
    frame_services.test_player_draw = DrawOverlay;
}

float TestPlayerFrameSeconds(float engine_seconds)
{
    return autoplay.FrameSeconds(engine_seconds);
}

bool TestPlayerHoldsFrame()
{
    if (!autoplay.fixed_frame)
        return false;
    return loading_thread_running.load(std::memory_order_acquire) ||
           timeline_transition.loader_state.load(std::memory_order_acquire) == LOADER_LOADING ||
           sman.loader_count.load(std::memory_order_acquire) > 0;
}

void TestPlayerShutdown()
{
    if (ai_man.enabled || ai_man.clicks || ai_man.presses || ai_man.drags)
        ai_man.LogTotals();
    ai_Korvald.RestoreBoostedWeapons();
}
