// The base entity type's update (behaviour and weapon while alive, the one-second
// dying countdown, the power-up effect timer), the walk-cycle frame choice, and the
// helpers the type and its variants share for both.
#include "game/entities/entity-types.h"

#include "app/services/featureman.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types-internal.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <math.h>
#include <string.h>

namespace enttypes {

float Zoom()
{
    Scape *world = GetScape();
    return world ? world->zoom : 1.0f;
}

int FrameCount(const ov_bitmap_t *b)
{
    return b && b->num_frames > 0 ? b->num_frames : 1;
}

void SetFrameByFraction(ov_bitmap_t *b, float t)
{
    if (!b)
        return;
    const int n = FrameCount(b);
    // Clamped in float first: a fraction outside [0, 1] or NaN never overflows the int.
    int f = (int)Clamp((float)n * t, 0.0f, (float)(n - 1));
    ov->OV_SetBitmapFrame(b, f);
}

bool SmallScreen()
{
    return feature_man.ProductFeatureExists("SMALL_SCREEN");
}

ov_bitmap_t *NamedBitmap::Get()
{
    // Looked up once; looked up again only when the engine's pool was restarted and
    // the record no longer carries this name (a new engine in the same process).
    if (!looked_up || (bitmap && (!bitmap->name || strcmp(bitmap->name, name) != 0))) {
        bitmap = ov->OV_GetBitmap(name);
        looked_up = true;
    }
    return bitmap;
}

namespace {

bool InTrooperRoster(const Entity *e)
{
    for (int i = 0; i < game.troopers.Count(); i++)
        if (game.troopers[i] == e)
            return true;
    return false;
}

}  // namespace

void FinishDying(Entity *e, bool roster_check)
{
    EntityType *type = e->type;
    Scape *world = GetScape();
    e->phase = 1.0f;
    e->state = Entity::STATE_FREE;
    if (world) {
        if (type && type->bm_die) {
            // The corpse is the last frame of the dying animation.
            ov->OV_SetBitmapFrame(type->bm_die, FrameCount(type->bm_die) - 1);
            world->AddDecal(type->bm_die, e->pos, e->angle, e->scale, e->color, 0);
        }
        world->UnlinkEntity(e);
    }
    if (roster_check && InTrooperRoster(e)) {
        // A dead trooper keeps its record (and statistics) for the results screens.
        delete e->path;
        e->path = nullptr;
        return;
    }
    if (world && world->stock)
        world->stock->FreeEntity(e);
}

// Every hit slows a moving entity to 0.6 of its speed; it finds its feet again, regaining
// half of what it lost each second. Without this an enemy hit often enough stands still
// for good, out of reach of a squad holding its posts, and a trooper hit often enough can
// no longer walk the paths drawn for it: either way the mission never ends. A trooper
// regains its walking speed with the weapon in hand; faster power-up speeds are not
// given back by this.
void RecoverFromHits(const EntityType *type, Entity *e, float dt)
{
    const float kRegainPerSecond = 0.5f;
    float full = type->top_speed;
    if (e->friend_group == Entity::PLAYERS) {
        if (!(e->flags & Entity::MOVABLE))
            return;
        if (e->weapon)
            full *= e->weapon->wielding_ent_move_speed_mul;
    } else if (e->friend_group != Entity::ENEMIES) {
        return;
    }
    if (!(full > 0.0f) || !(e->speed < full))
        return;
    e->speed += (full - e->speed) * fminf(1.0f, kRegainPerSecond * dt);
}

void RunBehaviour(EntityType *type, Entity *e, float dt, bool check_owner)
{
    EntityAI *ai = type->ai;
    if (!ai)
        return;
    if (check_owner && e->owner && !e->owner->IsAlive())
        e->owner = nullptr;
    if (e->target && !e->target->IsAlive())
        e->target = nullptr;
    const float step = SmallScreen() ? dt * 0.85f : dt;
    ai->UpdateEntity(e, step);
    if (e->type != type)  // the behaviour handed the record back to the pool
        return;
    ai->UpdateEntityWeapon(e, step);
}

}  // namespace enttypes

using namespace enttypes;

vec2_t EntityScreenPoint(vec2_t world_point)
{
    Scape *world = GetScape();
    vec2_t p = world ? world->TranslatePointToScreenSpace(world_point) : world_point;
    return AdjustPosByAverageScale(p);
}

// Behaviour while alive, dying countdown, then the power-up effect timer.
void EntityType::Update(Entity *e, float dt)
{
    if (e->state == Entity::STATE_ALIVE) {
        RunBehaviour(this, e, dt, true);
        if (e->type != this)
            return;
        if (e->phase >= 1.0f)
            e->phase -= 1.0f;
        RecoverFromHits(this, e, dt);
    }
    if (e->state == Entity::STATE_DYING) {
        e->phase += dt;
        if (e->phase >= 1.0f) {
            FinishDying(e, true);
            if (e->type != this)  // back in the pool
                return;
        }
    }
    if (!e->powerup_active || !(e->powerup_time > 0.001f))
        return;

    // The super-trooper effect: regeneration, the last second shrinking back from 1.5
    // times, then everything back to the type's values.
    const float last = (float)upgrades.super_soldier_time;
    e->hit_points += 0.1f * e->max_hit_points * dt;
    if (e->hit_points > e->max_hit_points)
        e->hit_points = e->max_hit_points;
    e->powerup_time += dt;
    if (e->powerup_time > last - 1.0f && e->powerup_time <= last)
        e->scale = scale * (1.0f + 0.5f * (last - e->powerup_time));
    if (e->powerup_time > last) {
        if (e->powerup_id && strcmp(e->powerup_id, "POWERUP_SUPER_TROOPER") == 0) {
            e->powerup_active = false;
            e->powerup_id = "";
        }
        e->scale = scale;
        e->speed = top_speed;
        e->max_hit_points = hit_points;
        e->powerup_time = 0.0f;
        if (e->hit_points > e->max_hit_points)
            e->hit_points = e->max_hit_points;
    }
}

// The walk-cycle frame of `bitmap` for `phase` in [0, 1).
void EntityType::SetMoveAnimFrame(ov_bitmap_t *bitmap, float phase)
{
    if (!bitmap)
        return;
    const int n = FrameCount(bitmap);
    int frame = 0;
    if (move_anim_pingpong) {
        // Forth over the first half of the cycle, back over the second.
        float f = Clamp(floorf(2.0f * phase * (float)n), 0.0f, (float)(2 * n));
        if (f >= (float)n)
            f = (float)(2 * n) - f;
        frame = (int)Clamp(f, 0.0f, (float)(n - 1));
    } else if (!move_anim_none) {
        frame = (int)Clamp((float)n * phase, 0.0f, (float)(n - 1));
    }
    ov->OV_SetBitmapFrame(bitmap, frame);
}
