// "GameOver": the score page slides in and counts up, then the troopers' page follows
// (see game-over.h). The screen's timer is the animation clock; it only runs once the
// screen's fade is complete, five times as fast after a tap.
#include "game/screens/game-over.h"

#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/key-state.h"
#include "app/services/localization.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-touchgrid.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "online/leaderboards-manager.h"
#include "game/missions.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

const int kResetKey = 82;  // 'R': developer replay of the animation while held

void SetOffset(Screen *screen, const char *name, float x, float y)
{
    if (UIComp *comp = screen->GetComp(name)) {
        comp->position_offset_x = x;
        comp->position_offset_y = y;
    }
}

const char *RandomGameOverText()
{
    DMArray *texts = dman().GetArray("ranks.xml", "game_over_texts");
    if (!texts || texts->GetSize() <= 0)
        return "";
    const char *text = texts->GetNodeValue(AppRandom() % texts->GetSize(), "text");
    return text ? loc_man().Localize(text) : "";
}

// The grid on step `step` of its x axis (limited to its steps), scrolled there.
void SelectGridStep(UICompTouchGrid *grid, int step)
{
    UICompTouchGrid::AxisValue &x = grid->axis_x;
    if (step > x.num_steps - 1)
        step = x.num_steps - 1;
    if (step < 0)
        step = 0;
    x.selected = step;
    x.target_offset = (float)step * x.step_size;
}

void ShowAward(Screen *screen, const char *name, bool show)
{
    UIComp *comp = screen->GetComp(name);
    if (!comp)
        return;
    if (!show) {
        sman.SetVisible(comp, false);
        return;
    }
    if (comp->visible)
        return;
    sman.SetVisible(comp, true);
    Scape *world = scape.load();
    fx_t *fx = world && world->stock ? world->stock->fx_hilight_rank : nullptr;
    if (fx)
        pbman.SpawnFX(&pman, fx, comp->GetStaticPos(), 0.0f, 0.0f);
}

}  // namespace

ScreenGameOver *GetGameOverScreen()
{
    static ScreenGameOver *screen = new ScreenGameOver();
    return screen;
}

ScreenGameOver::ScreenGameOver() : Screen("GameOver") {}

bool ScreenGameOver::PreLoad()
{
    LoadUI("ui/game-over.lua");
    page_sound = ov->OV_LoadSound("sfx/baseboom");
    return true;
}

void ScreenGameOver::Draw(float)
{
    DrawUI();
}

void ScreenGameOver::Reset()
{
    timer = 4.0;
    tapped = false;
    new_high_score = false;
    page = -1;
    // The game state has just submitted the score under the mission id.
    const char *mission_id = game.parms.mission_id;
    LeaderboardScore best = leaderboards_man.GetPersonalBestScore(mission_id);
    const int limit = RankLimit(mission_id, -1);
    if (UIComp *result = GetComp("Result")) {
        if (game.score < best.points || game.score <= limit) {
            sman.SetText(result, "%s", RandomGameOverText());
        } else {
            new_high_score = true;
            sman.SetText(result, "%s", loc_man().Localize("New Highscore!"));
        }
    } else {
        new_high_score = !(game.score < best.points || game.score <= limit);
    }
    const bool few = game.troopers.Count() < 5;
    sman.SetVisible(GetComp("custom_gfx_3"), few);
    sman.SetVisible(GetComp("custom_gfx_4"), few);
    const bool keys = !feature_man.ProductFeatureExists("TOUCH_SCREEN");
    sman.SetVisible(GetComp("Left"), keys);
    sman.SetVisible(GetComp("Right"), keys);
    if (UICompTouchGrid *grid = dynamic_cast<UICompTouchGrid *>(GetComp("TF"))) {
        SelectGridStep(grid, grid->axis_x.num_steps - 1);
        grid->axis_x.current_offset = grid->axis_x.target_offset;
    }
}

void ScreenGameOver::Enter()
{
    Reset();
    const char *mission_id = game.parms.mission_id;
    const char *chapter_id = game.parms.chapter_id;
    if (prof) {
        prof->SetValue("current_game", "previous_mission", "value", mission_id);
        prof->SetValue("current_game", "previous_chapter", "value", chapter_id);
    }
    sman.SendScreenMessage(this, this, "MissionId", mission_id);
    sman.SendScreenMessage(this, this, "ChapterId", chapter_id);
    profile_man().SaveProfiles();
    const char *name = GetMissionName(mission_id);
    sman.SendScreenMessage(this, this, "Level", name ? name : "");
    char score[32];
    snprintf(score, sizeof score, "%d", (int)game.score);
    sman.SendScreenMessage(this, this, "Score", score);
    UpdateTrooperImages(this);
    LogLevelStats("SURVIVAL_OVER");
}

void ScreenGameOver::UpdateStats(float progress)
{
    progress = Clamp01(progress);
    if (UIComp *time = GetComp("timespent_value"))
        sman.SetText(time, "%s", loc_man().LocalizeTime((uint32_t)((double)game.game_clock * progress)));
    if (UIComp *kills = GetComp("alienskilled_value"))
        sman.SetText(kills, "%d", (int)((float)(game.boss_kills + game.regular_kills) * progress));
    if (UIComp *wave = GetComp("Wave"))
        sman.SetText(wave, "%d", (int)((float)game.wave_number * progress));
    if (UIComp *score = GetComp("Score"))
        sman.SetText(score, "%d", (int)((double)game.score * progress));
    const bool award = progress >= 1.0f && new_high_score;
    ShowAward(this, "HiScoreAward", award);
    ShowAward(this, "facebook", award && feature_man.ProductFeatureExists("FACEBOOK"));
}

void ScreenGameOver::Update(float dt)
{
    if (sman.PeekScreen(0) != this)
        return;
    if (prog.parms.developer_mode && KeyHeld(kResetKey))
        Reset();
    const float target = leaving ? 0.0f : 1.0f;
    if (fabsf(trans_phase - target) <= 0.000001f)
        timer += tapped ? 5.0 * dt : (double)dt;

    const float t = (float)timer;
    const float a = Clamp01(2.0f * t);
    const float b = Clamp01((t - 0.85f) / 1.8f);
    const float slide = -1.05f * (1.0f - a * a);
    float length = 3.0f;
    if (page < 0) {
        SetOffset(this, "Page1", 0.0f, -2.0f);
        SetOffset(this, "Page2", 0.0f, -2.0f);
        SetOffset(this, "ButtonGroup", 0.0f, -2.0f);
        SetOffset(this, "ButtonGroup2", 0.0f, -2.0f);
        UpdateStats(0.0f);
    } else if (page == 0) {
        SetOffset(this, "Page1", 0.0f, slide);
        SetOffset(this, "InfoBox", 0.0f, slide);
        SetOffset(this, "ScoreBox", 0.0f, slide);
        SetOffset(this, "RankBox", 0.0f, slide);
        UpdateStats(b);
        length = new_high_score ? 4.0f : 3.0f;
    } else {
        SetOffset(this, "Page2", 0.0f, slide);
        SetOffset(this, "troopers", 0.0f, slide);
        const float e = Clamp01(2.0f * b);
        SetOffset(this, "ButtonGroup", 0.0f, 2.0f * (1.0f - e) * (1.0f - e));
        SetOffset(this, "ButtonGroup2", 0.0f, 2.0f * (1.0f - e) * (1.0f - e));
        UpdateTrooperStats(this, 3.0f * b);
    }
    UICompTouchGrid *grid = dynamic_cast<UICompTouchGrid *>(GetComp("TF"));
    if (t >= length && page < 1 && grid) {
        page++;
        if (page_sound)
            aman.PlaySound(page_sound, 1.0f, 0.0f, 1.0f + 0.1f * (float)page);
        timer = 0.0;
        SelectGridStep(grid, page);
    }
}

int ScreenGameOver::ProcessEvent(ov_event_t *event)
{
    if (event && event->type == OV_EVENT_BUTTON_DOWN) {
        tapped = true;
        return 1;
    }
    return 0;
}
