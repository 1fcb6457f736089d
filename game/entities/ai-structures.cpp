// The base structures' smoke, force field, repair and fall, and the spawner's hounds
// and homing (see ai-structures.h).
#include "game/entities/ai-structures.h"

#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include "ovrecords.h"
#include "game/world-counters.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {

const char *const kSmokeEffect = "fxs/smoke_burns.lua";
// Seconds between two smoke puffs of a damaged structure.
const float kSmokeInterval = 0.35f;
// Hit points restored per second while a repair is pending.
const float kRepairRate = 100.0f;

bool IsMedTent(const Entity *e) {
    return e->type != nullptr && e->type->name != nullptr && strcmp(e->type->name, "MedTent") == 0;
}

// The three smoke points of a structure: by the level's base kind, or turning with a
// MedTent; each offset corrected for the display's two scales.
void SmokePoints(const Entity *e, vec2_t out[3]) {
    float a = sman.reference_scale_x, b = sman.reference_scale_y;
    float m = 1.0f + (a + b) * 0.5f;
    float sx = m - a, sy = m - b;
    vec2_t offsets[3];
    if (IsMedTent(e)) {
        static const float kTent[3][2] = {{21.0f, 0.65f}, {15.0f, -2.1f}, {25.0f, -0.9f}};
        for (int i = 0; i < 3; i++) {
            offsets[i] = {kTent[i][0] * cosf(e->angle + kTent[i][1]), kTent[i][0] * sinf(e->angle + kTent[i][1])};
        }
    } else if (strcmp(game.base_type, "BaseLauncher") == 0) {
        offsets[0] = {29.0f, -23.0f};
        offsets[1] = {-35.0f, -23.0f};
        offsets[2] = {59.0f, 22.0f};
    } else if (strcmp(game.base_type, "BasePowerPlant") == 0) {
        offsets[0] = {37.0f, 3.0f};
        offsets[1] = {-2.0f, 34.0f};
        offsets[2] = {23.0f, 34.0f};
    } else {
        offsets[0] = {15.0f, -20.0f};
        offsets[1] = {-8.0f, 6.0f};
        offsets[2] = {35.0f, -15.0f};
    }
    for (int i = 0; i < 3; i++) {
        out[i] = {e->pos.x + offsets[i].x * sx, e->pos.y + offsets[i].y * sy};
    }
}

void EmitSmoke(Scape *world, Entity *e) {
    // Looked up in the effect library (which keeps it loaded) at each puff, so a
    // restarted library never leaves a stale pointer here.
    fx_t *smoke = pbman.GetFX(kSmokeEffect);
    if (smoke == nullptr) {
        return;
    }
    smoke->move_angle = world->ground_angle;
    vec2_t points[3];
    SmokePoints(e, points);
    float health = e->max_hit_points > 0.0f ? e->hit_points / e->max_hit_points : 0.0f;
    if (!(health < 0.75f)) {
        return;
    }
    // Never below 0.1: the values grow as the health falls but stay finite.
    float r = fminf(fmaxf(fmaxf(health, 0.0f) + 0.1f, 0.0f), 1.0f);
    smoke->scale = {0.4f / r, 0.35f / r};
    smoke->lifetime = {0.35f / r, 0.5f / r};
    for (const vec2_t &p : points) {
        SpawnTopEffect(world, smoke, p, 0.0f);
    }
}

bool AnyTrooperAlive() {
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *t = game.troopers[i];
        if (t != nullptr && t->IsAlive()) {
            return true;
        }
    }
    return false;
}

// The structure that keeps the game state's force field and repair: the base, or,
// when there is none (defend the flag), the first standing structure of this kind in
// pool order, so the field runs down once per frame however many tents there are.
bool KeepsTheBase(Scape *world, Entity *e) {
    if (game.base != nullptr) {
        return game.base == e;
    }
    Stock *stock = world->stock;
    world_counters.pool_scans++;
    for (int i = 0; stock != nullptr && i < stock->num_entities; i++) {
        Entity *it = &stock->entities[i];
        if (it->type == e->type && it->IsAlive()) {
            return it == e;
        }
    }
    return false;
}

void RunForceField(float dt) {
    if (game.force_field_time > 0.0f && AnyTrooperAlive()) {
        game.force_field_on = 1;
        game.force_field_fade = fmaxf(0.0f, game.force_field_fade - dt);
        game.force_field_time -= dt;
        if (game.force_field_time > 0.0f) {
            return;
        }
    } else if (!game.force_field_on) {
        return;  // not started yet: it waits for the first trooper
    }
    game.force_field_time = 0.0f;
    game.force_field_on = 0;
    game.force_field_fade = 1.0f;
}

void RunRepair(Scape *world, Entity *e, float dt) {
    float pending = game.pending_bunker_repair;
    if (!(pending > 0.0f)) {
        return;
    }
    float step = kRepairRate * dt;
    float after = pending - step;
    e->hit_points += step;
    if (e->hit_points >= e->max_hit_points) {
        e->hit_points = e->max_hit_points;
        game.pending_bunker_repair = 0.0f;
        return;
    }
    game.pending_bunker_repair = after;
    if (floorf(after / 50.0f) != floorf(pending / 50.0f)) {
        float dx = randf(-40.0f, 40.0f);
        float dy = randf(-40.0f, 40.0f);
        SpawnTopEffect(world, pbman.GetFX("fxs/repair-bunker.lua"), vec2_t{e->pos.x + dx, e->pos.y + dy}, 0.0f);
    }
}

// Stamps frame `frame` of the structure's sprite into the ground; a structure without a
// sprite leaves nothing.
void StampRuin(Scape *world, Entity *e, int frames_from_end, float scale) {
    ov_bitmap_t *bitmap = e->type != nullptr ? e->type->bm_move : nullptr;
    if (bitmap == nullptr) {
        return;
    }
    int frame = bitmap->num_frames - frames_from_end;
    ov->OV_SetBitmapFrame(bitmap, frame > 0 ? frame : 0);
    world->AddDecal(bitmap, e->pos, e->angle, scale, e->color, 0);
}

// A fallen MedTent: its ruin, a burning-tent emitter, and the shake of the device.
void TentFalls(Scape *world, Entity *e) {
    game.medtent_count--;
    ov->OV_CallExtension("IPHONE_Vibration", nullptr);
    StampRuin(world, e, 2, e->scale * world->zoom);
    fx_t *fire = pbman.GetFX(kSmokeEffect);
    if (fire == nullptr) {
        return;
    }
    fire->scale = {1.9f, 1.8f};
    fire->lifetime = {3.0f, 3.5f};
    fire->speed = {9.0f, 12.0f};
    fire->move_angle = world->ground_angle;
    fire->rot_angle = world->ground_angle;
    ScapeEmitter emitter;
    memset(&emitter, 0, sizeof emitter);
    emitter.active = 1;
    emitter.mode = 0;
    snprintf(emitter.id, sizeof emitter.id, "%s", "TentFire");
    emitter.fx = fire;
    float dx = randf(-10.0f, 10.0f);
    float dy = randf(-10.0f, 10.0f);
    emitter.pos = vec2_t{e->pos.x + dx, e->pos.y + dy};
    emitter.layer = world->top_parts;
    emitter.interval = kSmokeInterval;
    emitter.angle = world->ground_angle;
    world->emitters.InsertLast(emitter);
    world->num_emitters = world->emitters.Count();
}

}  // namespace

void EntityAIBaseBunker::OnBirth(Entity *e) {
    (void)e;
}

void EntityAIBaseBunker::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr) {
        return;
    }
    e->anim_time += dt;
    if (e->anim_time > kSmokeInterval) {
        e->anim_time = 0.0f;
        EmitSmoke(world, e);
    }
    if (KeepsTheBase(world, e)) {
        RunForceField(dt);
        if (e == game.base) {
            RunRepair(world, e, dt);
        }
    }
}

void EntityAIBaseBunker::OnDeath(Entity *e, Entity *killer) {
    (void)killer;
    Scape *world = GetScape();
    if (world == nullptr) {
        return;
    }
    if (IsMedTent(e)) {
        TentFalls(world, e);
        if (game.medtent_count > 0) {
            return;
        }
    }
    if (!game.lost && game.living_troopers >= 1) {
        game.lost = 1;
        game.end_condition = "GameLost";
        ov->OV_CallExtension("IPHONE_Vibration", nullptr);
        if (game.parms.game_mode == GAME_MODE_DEFEND_THE_FLAG) {
            game.lose_timer = 2.0f;
        }
        world->shake_time = 2.0f;
        Stock *stock = world->stock;
        for (int i = 0; stock != nullptr && i < stock->num_entities; i++) {
            Entity *it = &stock->entities[i];
            if (it->type != nullptr && it->IsAlive()) {
                world->KillEntity(it, nullptr, true);
            }
        }
    }
    if (game.parms.game_mode != GAME_MODE_DEFEND_THE_FLAG) {
        StampRuin(world, e, 1, e->scale);
    }
}

void EntityAISpawner::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr) {
        return;
    }
    e->shot_timer -= dt;
    if (e->shot_timer <= 0.0f) {
        e->shot_timer = SPAWNER_HOUND_INTERVAL;
        EntityType *hound_type = world->stock != nullptr ? world->stock->GetEntityType("Hound") : nullptr;
        Entity *hound = hound_type != nullptr ? world->SpawnEntity(hound_type, e->pos) : nullptr;
        if (hound != nullptr) {
            hound->owner = e;
            hound->angle = e->angle;
            float v = (1.0f - hound->chill_time / 3.0f) * hound->speed;
            hound->velocity = vec2_t{v * cosf(e->angle), v * sinf(e->angle)};
        }
    }

    e->target = game.base;
    if (game.base != nullptr) {
        // A spawner sitting on the bunker has no direction: (0, 0).
        vec2_t u = FastNormalize(vec2_t{game.base->pos.x - e->pos.x, game.base->pos.y - e->pos.y});
        if (u.x != 0.0f || u.y != 0.0f) {
            e->angle = atan2f(u.y, u.x);
        }
        float f = 1.0f + 0.2f * (e->random_phase - 0.5f);
        e->velocity.x += f * 200.0f * dt * u.x;
        e->velocity.y += f * 200.0f * dt * u.y;
        float cap = f * e->speed * (1.0f - e->chill_time / 3.0f);
        float len = sqrtf(e->velocity.x * e->velocity.x + e->velocity.y * e->velocity.y);
        if (len > cap && len > 0.0f) {
            float k = fmaxf(cap, 0.0f) / len;
            e->velocity.x *= k;
            e->velocity.y *= k;
        }
    }
    e->pos.x += dt * e->velocity.x;
    e->pos.y += dt * e->velocity.y;

    Entity *target = e->target;
    if (e->attack_phase <= 0.0f) {
        if (target != nullptr && e->age >= 2.0f) {
            float dx = target->pos.x - e->pos.x, dy = target->pos.y - e->pos.y;
            float reach = e->radius + target->radius + 4.0f;
            if (dx * dx + dy * dy < reach * reach) {
                OnAttack(e, target);
            }
        }
    } else {
        e->attack_phase += 4.0f * dt;
        if (e->attack_phase >= 1.0f) {
            e->attack_phase = 0.0f;
        }
        if (target != nullptr) {
            float toward = atan2f(target->pos.y - e->pos.y, target->pos.x - e->pos.x);
            e->angle = TurnTowardCapped(e->angle, toward, 15.0f, dt);
        }
    }

    FixCollisions(e);
    e->anim_time += dt;
    e->phase += dt;
}

void EntityAISpawner::OnDeath(Entity *e, Entity *killer) {
    (void)killer;
    vec2_t spot = e->pos;
    game.GetFreePosition(10.0f, e->pos, 200.0f, spot);
    PowerupDrop(spot);
}
