// The small game-state operations the world, the controls and the entities call: the
// star rating, score and money with their floating notices, the tactical pause and the
// search for a free spot on the field.
#include "game/gamestate.h"

#include "app/services/audioman.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/game-util.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <math.h>

namespace {

// Seconds a floating score or money notice lives.
const float kNoticeLifetime = 2.0f;

// A rising "+%d" / "$%d" text in the world's top particle layer at a world point.
void SpawnNotice(const char *format, int value, vec2_t where)
{
    Scape *world = GetScape();
    if (!world || !world->top_parts || !world->stock)
        return;
    vec2_t at = AdjustPosByAverageScale(world->TranslatePointToScape(where));
    part_t *part = world->top_parts->SpawnPartTextf(at, world->stock->font_medium, kNoticeLifetime, format, value);
    if (!part || PartMan::IsThrowaway(part))
        return;
    part->scale = 1.0f;
    part->scale_graph = &graph_smooth_fade;
    part->alpha_graph = &graph_smooth_fade;
    part->vx = 0.0f;
    part->vy = -4.0f;
    part->start_angle = 0.0f;
    part->end_angle = (float)AppRandom() / 32767.0f * 0.2617994f - 0.1308997f;
}

void PlayNamedSound(const char *name)
{
    ov_sound_t *sound = ov->OV_GetSound(name);
    if (sound)
        aman.PlaySound(sound, 1.0f, 0.0f, 1.0f);
}

UICompButton *GameButton(const char *name)
{
    Screen *screen = Screen::GetScreen("Game");
    if (!screen)
        return nullptr;
    return (UICompButton *)screen->GetCompOfType(name, UICOMP_BUTTON);
}

}  // namespace

int GameState::GetCurrentStarRating()
{
    if (parms.game_mode != GAME_MODE_LEVEL)
        return 5;
    Scape *world = GetScape();
    EntityType *type = world && world->stock ? world->stock->GetEntityType(base_type) : nullptr;
    if (!type || !(type->hit_points > 0.0f))
        return 0;
    float r = lowest_bunker_hp / type->hit_points;
    int stars;
    if (r < 0.0f)
        stars = 1;
    else if (r >= 0.75f)
        stars = 5;
    else
        stars = (int)(1.0f + r / 0.75f * 4.0f);
    stars -= troopers_lost;
    return stars < 1 ? 1 : stars;
}

void GameState::AddScore(int points, vec2_t where)
{
    if (IsFeatureActive("HONOR_AMPLIFIER"))
        points = (int)((float)points * 1.2f);
    if (parms.game_mode == GAME_MODE_DEFEND_THE_FLAG)
        points *= medtent_count;
    score += points;
    if (parms.game_mode != GAME_MODE_LEVEL && points > 0)
        SpawnNotice("+%d", points, where);
}

void GameState::AddMoney(int amount, vec2_t where)
{
    if (!money_enabled)
        return;
    SpawnNotice("$%d", amount, where);
    if (IsFeatureActive("TREASURE_FINDER"))
        amount = (int)((float)amount * 1.1f);
    money += amount;
    money_earned += amount;
}

void GameState::SetPause(bool on)
{
    bool changed = (paused != 0) != on;
    paused = on ? 1 : 0;
    Scape *world = GetScape();
    Stock *stock = world ? world->stock : nullptr;
    UICompButton *pause_time = GameButton("PauseTime");
    if (on) {
        if (changed)
            PlayNamedSound("sfx/tactical_mode_start");
        if (pause_time && stock)
            pause_time->SetIcon(stock->bm_play_button);
        Screen *screen = Screen::GetScreen("Game");
        UIComp *highlight = screen ? screen->GetComp("PauseTimeHighlight") : nullptr;
        if (highlight)
            highlight->visible = false;
        SetTutorial("TACTICAL");
        if (world) {
            Entity *list[16];
            int n = world->QueryLivingEntitiesInFriendGroup(Entity::MOVABLE, Entity::PLAYERS, list, 16);
            for (int i = 0; i < n; i++)
                list[i]->highlight = 0.0f;
        }
    } else {
        if (changed) {
            PlayNamedSound("sfx/tactical_mode_end");
            SetTutorialCompleted("TACTICAL_2");
        }
        if (pause_time && stock)
            pause_time->SetIcon(stock->bm_pause_button);
    }
}

void GameState::GetFreePosition(float radius, const vec2_t &centre, float spread, vec2_t &out)
{
    Scape *world = GetScape();
    vec2_t start = centre;
    if (world) {
        float reach = 1.5f * radius;
        for (int attempt = 0; attempt < 100; attempt++) {
            float u1 = (float)AppRandom() / 32767.0f;
            float u2 = (float)AppRandom() / 32767.0f;
            float a = 2.0f * kPi * u1;
            float d = spread * sqrtf(u2);
            vec2_t p = {start.x + d * cosf(a), start.y + d * sinf(a)};
            if (world->IsPointInsideObstacle(p, radius, nullptr))
                continue;
            if (!(p.x > 0.0f && p.x < (float)sman.reference_width && p.y > 0.0f &&
                  p.y < (float)sman.reference_height))
                continue;
            if (world->GetNearestEntityInFriendGroup(p, reach, Entity::POWERUP, Entity::PLAYERS))
                continue;
            if (world->GetNearestEntityInFriendGroup(p, reach, Entity::NORMAL, Entity::PLAYERS))
                continue;
            if ((world->spawn_manager && world->spawn_manager->PickupQueuedNear(p, reach)))
                continue;
            out = p;
            return;
        }
    }
    out = start;
}
