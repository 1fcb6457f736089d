// "LevelLost": the lost mission's troopers counted up after 2.5 s (see game-over.h).
#include "game/screens/game-over.h"

#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "game/gamestate.h"

ScreenLevelLost *GetLevelLostScreen()
{
    static ScreenLevelLost *screen = new ScreenLevelLost();
    return screen;
}

ScreenLevelLost::ScreenLevelLost() : Screen("LevelLost") {}

bool ScreenLevelLost::PreLoad()
{
    LoadUI("ui/level-lost.lua");
    return true;
}

void ScreenLevelLost::Draw(float)
{
    DrawUI();
}

void ScreenLevelLost::Enter()
{
    if (prof) {
        prof->SetValue("current_game", "previous_mission", "value", game.parms.mission_id);
        prof->SetValue("current_game", "previous_chapter", "value", game.parms.chapter_id);
    }
    profile_man().SaveProfiles();
    UpdateTrooperImages(this);
    LogLevelStats("LEVEL_LOST");
    tapped = false;
    timer = 0.0;
}

void ScreenLevelLost::Update(float dt)
{
    timer += tapped ? 5.0 * dt : (double)dt;
    if (timer > 2.5)
        UpdateTrooperStats(this, (float)(timer - 2.5));
}

int ScreenLevelLost::ProcessEvent(ov_event_t *event)
{
    if (event && event->type == OV_EVENT_BUTTON_DOWN) {
        tapped = true;
        return 1;
    }
    return 0;
}
