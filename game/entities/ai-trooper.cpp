// The trooper's own play: the walk along the drawn path, targeting and aiming, the
// idle reload, the deathwish blast, and what its death changes (see ai-trooper.h).
#include "game/entities/ai-trooper.h"

#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <math.h>
#include <string.h>

namespace {

// The last stretch of a path over which the trooper slows to a stop.
const float kArrivalStretch = 10.0f;
// Targets are kept up to this many times the weapon's range (edge to centre).
const float kKeepTargetFactor = 1.1f;
// A dying target stays the trooper's target for this long.
const float kDyingTargetSeconds = 0.5f;
// The aim is on target (and the trigger pulled) within this angle.
const float kTriggerAngle = 0.1f;

bool WeaponIs(const Weapon *weapon, const char *id) {
    return weapon != nullptr && weapon->id != nullptr && strcmp(weapon->id, id) == 0;
}

bool IsTypeNamed(const Entity *e, const char *name) {
    return e->type != nullptr && e->type->name != nullptr && strcmp(e->type->name, name) == 0;
}

bool EnemiesAlive(const Scape *world) {
    return world->group_counts[Entity::ENEMIES] > 0;
}

// The type of the deathwish replacement, looked up once and kept by the game state.
EntityType *PyroTrooperType(Scape *world) {
    if (game.pyro_trooper_type == nullptr && world->stock != nullptr) {
        game.pyro_trooper_type = world->stock->GetEntityType("PyroTrooper");
    }
    return game.pyro_trooper_type;
}

// Seconds a trooper lives before the deathwish can set it off: the span in which nothing
// can hurt a newborn either.
const float kDeathwishGrace = 0.1f;

// A PyroTrooper of the deathwish touching an enemy: blast, death, and a fresh
// PyroTrooper in the same squad slot. True when it exploded.
bool TryDeathwish(Scape *world, Entity *e) {
    if (!game.pyro_deathwish) {
        return false;
    }
    EntityType *pyro = PyroTrooperType(world);
    if (pyro == nullptr || e->type != pyro) {
        return false;
    }
    // Only a living enemy is worth the blast, and only once the trooper is past the
    // newborn's grace: a replacement arrives beside the base, and an enemy dying there
    // (still found as "just dying") set it off at once, again and again within one
    // frame, for ever.
    if (e->age < kDeathwishGrace) {
        return false;
    }
    Entity *near[16];
    int n = world->QueryEntitiesInRadiusNotInFriendGroup(e->pos, e->radius + 1.0f, Entity::NORMAL, e->friend_group,
                                                         near, 16);
    bool touching = false;
    for (int i = 0; i < n && !touching; i++) {
        touching = near[i]->state == Entity::STATE_ALIVE;
    }
    if (!touching) {
        return false;
    }
    world->DealSplashDamage(e, e->pos, e->splash_range, e->splash_damage);
    controls.UnselectEntity(e);
    int slot = e->slot;  // the replacement takes this trooper's own slot
    world->KillEntity(e, nullptr, false);
    Entity *fresh = game.SpawnReinforcementTrooper(pyro, slot);
    Powerup *health = Powerup::GetPowerup("POWERUP_HEALTH");
    if (fresh != nullptr && health != nullptr) {
        SpawnTopEffect(world, health->fx_activate, fresh->pos, 0.0f);
    }
    return true;
}

void WalkPath(Entity *e, float dt) {
    MovePath *path = e->path;
    if (path == nullptr || !(e->path_pos < path->length)) {
        return;
    }
    float total = path->length;
    float remaining = total - e->path_pos;
    bool arriving = remaining < kArrivalStretch;
    if (arriving) {
        e->throttle = remaining / kArrivalStretch;
    } else {
        e->select_time = game.game_clock;
        e->throttle = fminf(1.0f, e->throttle + 5.0f * dt);
    }
    float walk = 2.0f * e->throttle * dt;
    if (arriving) {
        walk *= remaining / kArrivalStretch;
    }
    e->phase += walk;

    vec2_t before = e->pos;
    e->pos = path->GetPoint(e->path_pos);
    e->path_pos += e->throttle * e->speed * dt * (1.0f - e->chill_time / 3.0f);
    e->path_pos = fminf(fmaxf(e->path_pos, 0.0f), total);
    float dx = e->pos.x - before.x, dy = e->pos.y - before.y;
    if (e->path_pos < total && (dx != 0.0f || dy != 0.0f)) {
        e->angle = atan2f(dy, dx);  // a frame without movement keeps the heading
    }
    path->Trim(e->path_pos);
    if (e->path_pos >= total) {
        e->path_pos = 0.0f;
        path->Reset();
    }
}

// Nearest enemy in range when there is none; a dying one is let go after 0.5 s; the
// first primary target in range wins.
void KeepTarget(Scape *world, Entity *e) {
    Weapon *weapon = e->weapon;
    if (weapon != nullptr && (e->target == nullptr || !e->target->IsAlive())) {
        e->target = world->GetNearestEnemy(e, e->pos, weapon->projectile_range);
    }
    if (e->target != nullptr && !e->target->IsAlive() && e->target->phase > kDyingTargetSeconds) {
        e->target = nullptr;
    }
    if (weapon != nullptr) {
        for (int i = 0; i < controls.targets.Count(); i++) {
            Entity *marked = controls.targets[i].entity;
            if (marked != nullptr && Distance(marked->pos, e->pos) < weapon->projectile_range) {
                e->target = marked;
                break;
            }
        }
    }
}

}  // namespace

void EntityAIPlayer::UpdateEntity(Entity *e, float dt) {
    (void)e;
    (void)dt;
}

void EntityAITrooper::OnBirth(Entity *e) {
    game.living_troopers++;
    if (g_battle_enter_phase != 1 && e->type != nullptr) {
        e->type->snd_select.PlayAt(e->pos);
    }
}

void EntityAITrooper::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr) {
        return;
    }
    if (game.IsFeatureActive("SPEED_BOOSTER")) {
        dt *= 1.4f;
    }
    Weapon *weapon = e->weapon;
    if (weapon != nullptr && weapon->fx_idle != nullptr && sman.IsIntervalElapsed(0.0125f)) {
        vec2_t muzzle = WeaponRotatedOffset(e->pos, weapon->barrel_x, weapon->barrel_y, e->aim_angle, e->scale);
        SpawnTopEffect(world, weapon->fx_idle, muzzle, e->aim_angle);
    }
    if (TryDeathwish(world, e)) {
        return;
    }

    WalkPath(e, dt);
    if (FixCollisions(e)) {
        controls.UnselectEntity(e);
        if (e->path != nullptr) {
            e->path->Reset();
        }
    }
    e->pos.x = fminf(fmaxf(e->pos.x, 10.0f), (float)world->width - 10.0f);
    e->pos.y = fminf(fmaxf(e->pos.y, 10.0f), (float)world->height - 10.0f);
    e->anim_time += dt;

    KeepTarget(world, e);

    float range = weapon != nullptr ? weapon->projectile_range : 0.0f;
    bool aiming = false;
    float theta = 0.0f;
    if (e->target != nullptr) {
        if (Distance(e->target->pos, e->pos) - e->target->radius > kKeepTargetFactor * range) {
            e->target = nullptr;
        } else {
            theta = atan2f(e->target->pos.y - e->pos.y, e->target->pos.x - e->pos.x);
            float gap = fabsf(AngleDiff(e->aim_angle, theta));
            e->aim_angle = TurnTowardCapped(e->aim_angle, theta, 2.0f * kPi * fmaxf(gap, 0.3f), dt);
            aiming = true;
        }
    }
    if (!aiming) {
        if (e->throttle > 0.1f) {
            e->aim_angle = TurnTowardGain(e->aim_angle, e->angle, kPi, dt);
        }
        bool super_weapon = e->powerup_active && e->powerup_id != nullptr &&
                            strcmp(e->powerup_id, "POWERUP_SUPER_WEAPON") == 0;
        if (weapon != nullptr && e->ammo < 0.75f * weapon->clip_size && e->reload_timer <= 0.0f &&
            !EnemiesAlive(world) && !super_weapon) {
            e->ammo = 0.0f;  // the weapon step starts the reload
        }
    }

    if (aiming && fabsf(AngleDiff(e->aim_angle, theta)) < kTriggerAngle && EnemiesAlive(world)) {
        e->trigger = true;
        e->aim_angle = theta;
    } else {
        e->trigger = false;
    }
    if (WeaponIs(weapon, "FireTrail")) {
        e->trigger = true;
    }
}

namespace {

// One gas cloud of the dying PyroTrooper's ring, made directly.
void SpawnGasCloud(Scape *world, Entity *e, Weapon *weapon, float ring_angle) {
    Entity *gas = world->SpawnEntityInGroup(weapon->projectile_entity, e->pos, e->friend_group);
    if (gas == nullptr) {
        return;
    }
    gas->owner = e;
    gas->age = 1.0f;
    gas->angle = ring_angle + ((float)AppRandom() / 32767.0f - 0.5f) * weapon->projectile_angle_spread;
    gas->points_worth = 0;
    gas->speed = 0.0f;
    gas->weapon = weapon;
    gas->range = weapon->projectile_range *
                 (1.0f + weapon->projectile_range_random * ((float)AppRandom() / 32767.0f - 0.5f));
    gas->damage *= weapon->projectile_damage_multiplier;
}

// A dying PyroTrooper empties its clip in a ring (at most one shot per pool record).
void FireRing(Scape *world, Entity *e) {
    Weapon *weapon = e->weapon;
    if (weapon == nullptr || !IsTypeNamed(e, "PyroTrooper")) {
        return;
    }
    float clip = weapon->clip_size;
    int pool = world->stock != nullptr ? world->stock->num_entities : 0;
    int n = clip >= (float)pool ? pool : (clip > 0.0f ? (int)clip : 0);
    if (n <= 0) {
        return;
    }
    float start = randf(-kPi, kPi);
    bool gas = WeaponIs(weapon, "PyroGas");
    for (int i = 0; i < n; i++) {
        float angle = start + (float)i * 2.0f * kPi / (float)n;
        if (!gas) {
            weapon->Fire(e, e->pos, angle);
        } else if (weapon->projectile_entity != nullptr) {
            SpawnGasCloud(world, e, weapon, angle);
        }
    }
}

}  // namespace

void EntityAITrooper::OnDeath(Entity *e, Entity *killer) {
    (void)killer;
    Scape *world = GetScape();
    if (world == nullptr) {
        return;
    }
    // In a level, a star is lost while the rating is above one.
    if (game.parms.game_mode == GAME_MODE_LEVEL && game.GetCurrentStarRating() > 1) {
        world->LoseStar(e->pos);
    }

    game.living_troopers--;
    game.troopers_lost++;
    e->deaths++;
    if (game.parms.game_mode == GAME_MODE_LEVEL && game.living_troopers > 0) {
        game.SetTutorial("TROOPER_DEATH");
    }
    controls.UnselectEntity(e);
    // Markers of enemies that are gone are of no use to anyone now.
    for (int i = controls.targets.Count() - 1; i >= 0; i--) {
        Entity *marked = controls.targets[i].entity;
        if (marked == nullptr || !marked->IsAlive()) {
            controls.RemoveTargetMarker(marked);
        }
    }

    FireRing(world, e);
}
