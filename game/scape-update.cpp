// The world's frame: the game clock, every entity's update with burning, chill, the
// field's border and trails, the environment emitters, both particle layers, and the
// decal queue baked into the terrain bitmap.
#include "game/scape.h"

#include "app/services/key-state.h"
#include "app/services/prog.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/spawn-manager.h"
#include "ovrecords.h"

#include <math.h>
#include <stdint.h>

namespace {

const float kMaxBurnTime = 2.0f;
const float kMaxChillTime = 2.0f;
const float kBorder = 5.0f;
const float kMinInterval = 0.001f;  // 1 ms: the interval test divides by it
const int kDeveloperScoreKey = 72;

float Clampf(float v, float lo, float hi)
{
    if (!(v == v))
        return lo;
    return v < lo ? lo : (v > hi ? hi : v);
}

// Burning: damage over time, credited to the burner's root owner in the PLAYERS group.
void Burn(Scape *world, Entity *e, float t)
{
    if (e->burn_time > kMaxBurnTime)
        e->burn_time = kMaxBurnTime;
    float damage = t * e->burn_damage;
    float health_before = e->hit_points;
    e->hit_points -= damage;
    e->damage_taken += damage;
    e->burn_time -= t;
    if (e->burn_time < 0.0f)
        e->burn_time = 0.0f;
    if (e->burner && !e->burner->type)
        e->burner = nullptr;
    if (e->burner) {
        Entity *root = RootOwner(e->burner);
        if (root->friend_group == Entity::PLAYERS) {
            float remaining = health_before > 0.0f ? health_before : 0.0f;
            root->damage_dealt += damage < remaining ? damage : remaining;
        }
    }
    if (e->hit_points <= 0.0f)
        world->KillEntity(e, e->burner, false);
}

// Trail effects of the type, laid on the ground layer.
void LayTrail(Scape *world, Entity *e, vec2_t before)
{
    EntityType *type = e->type;
    if (!type->fx_trail)
        return;
    if (type->trail_mode == EntityType::TRAIL_DISTANCE) {
        float dx = e->pos.x - before.x, dy = e->pos.y - before.y;
        e->trail_distance += sqrtf(dx * dx + dy * dy);
        float interval = type->trail_interval;
        if (!(interval > 0.0f))
            return;  // no spacing: no trail (the loop below would never end)
        float vx = e->velocity.x, vy = e->velocity.y;
        float length = sqrtf(vx * vx + vy * vy);
        vec2_t dir = {0.0f, 0.0f};
        if (length > 0.0f) {
            dir.x = vx / length;
            dir.y = vy / length;
        }
        while (e->trail_distance - e->trail_emitted >= interval) {
            // The point where the travelled distance reached the next multiple.
            float back = e->trail_distance - e->trail_emitted - interval;
            vec2_t at = {e->pos.x - dir.x * back, e->pos.y - dir.y * back};
            pbman.SpawnFX(world->ground_parts, type->fx_trail, at, e->angle, 0.0f);
            e->trail_emitted += interval;
        }
    } else if (type->trail_mode == EntityType::TRAIL_TIME) {
        float interval = type->trail_interval > kMinInterval ? type->trail_interval : kMinInterval;
        if (sman.IsIntervalElapsedOffset(interval, (int)(5000.0f * e->random_phase)))
            pbman.SpawnFX(world->ground_parts, type->fx_trail, e->pos, e->angle, 0.0f);
    }
}

// One emitter burst at its place on its layer.
void Emit(ScapeEmitter *em)
{
    pbman.SpawnFX(em->layer, em->fx, AdjustPosByAverageScale(em->pos), em->angle, 0.0f);
}

float EmitterInterval(const ScapeEmitter *em)
{
    return em->interval > kMinInterval ? em->interval : kMinInterval;
}

}  // namespace

// One frame of the world. Paused: no clock, no ageing, no emitters, but every entity's
// type still updates with a zero step.
void Scape::Update(float dt)
{
    float t = game.paused ? 0.0f : dt;
    game.game_clock = (uint32_t)(uint64_t)((double)game.game_clock + (double)t * 1000.0);

    if (prog.parms.developer_mode && KeyHeld(kDeveloperScoreKey))
        game.AddScore((int)(t * 10000.0f), mpos);

    shake_time -= t;
    if (shake_time < 0.0f)
        shake_time = 0.0f;

    if (stock) {
        for (int i = 0; i < stock->num_entities; ++i) {
            Entity *e = &stock->entities[i];
            if (!e->type || e->state == Entity::STATE_FREE)
                continue;
            UnlinkEntity(e);
            e->age += t;
            vec2_t before = e->pos;
            e->type->Update(e, t);
            // A record its own update returned to the pool stays out of the world: its
            // links are the free list's now.
            if (!e->type || e->state == Entity::STATE_FREE)
                continue;

            if (e->burn_time > 0.0f)
                Burn(this, e, t);
            if (e->chill_time > 0.0f) {
                if (e->chill_time > kMaxChillTime)
                    e->chill_time = kMaxChillTime;
                e->chill_time -= t;
                if (e->chill_time < 0.0f)
                    e->chill_time = 0.0f;
            }
            if (!e->type)
                continue;
            e->pos.x = Clampf(e->pos.x, kBorder, (float)width - kBorder);
            e->pos.y = Clampf(e->pos.y, kBorder, (float)height - kBorder);
            LayTrail(this, e, before);
            if (e->type && e->state != Entity::STATE_FREE)
                LinkEntity(e);
        }
    }

    if (!game.paused) {
        for (int i = 0; i < emitters.Count(); ++i) {
            ScapeEmitter *em = &emitters[i];
            if (em->mode == 1 && spawn_manager && !spawn_manager->AreEnemiesLeftToSpawn()) {
                em->mode = 0;
                em->active = em->active ? 0 : 1;
            }
            if (em->active && sman.IsIntervalElapsed(EmitterInterval(em)))
                Emit(em);
        }
    }

    if (ground_parts)
        ground_parts->UpdateParts(t);
    if (top_parts)
        top_parts->UpdateParts(t);

    DrawDecals();
}

ScapeDecal *Scape::AddDecal(ov_bitmap_t *bitmap, vec2_t pos, float angle, float scale, color_t color, int blend)
{
    if (num_decals >= SCAPE_MAX_DECALS)
        return nullptr;
    ScapeDecal *d = &decals[num_decals++];
    d->pos = pos;
    d->bitmap = bitmap;
    d->color = color;
    d->angle = angle;
    d->scale = scale;
    d->blend = blend;
    return d;
}

// Bakes the queued decals into the terrain bitmap and empties the queue. Without a
// terrain bitmap the queue is dropped (the screen is no place for them).
void Scape::DrawDecals()
{
    if (num_decals <= 0)
        return;
    if (!terrain) {
        num_decals = 0;
        return;
    }
    float rx = sman.reference_scale_x, ry = sman.reference_scale_y;
    ov->OV_SetRenderTarget(terrain);
    ov->OV_SetBlend(0);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    for (int i = 0; i < num_decals; ++i) {
        ScapeDecal *d = &decals[i];
        if (!d->bitmap)
            continue;
        ov->OV_SetBlend(d->blend);
        ov->OV_SetAlpha(d->color.a);
        ov->OV_SetColor(d->color.r, d->color.g, d->color.b);
        ov->OV_SetBitmapFrame(d->bitmap, d->bitmap->num_frames - 1);
        nTransform move = {{1, 0, 0, -d->pos.x * (1.0f - rx), 0, 1, 0, -d->pos.y * (1.0f - ry), 0, 0, 1, 0,
                            0, 0, 0, 1}};
        ov->OV_PushTransform(&move);
        ov->OV_DrawBitmapRS(d->bitmap, d->pos.x, d->pos.y, d->angle, d->scale * sman.reference_scale);
        ov->OV_PopTransform();
    }
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    num_decals = 0;
    ov->OV_SetRenderTarget(nullptr);
}
