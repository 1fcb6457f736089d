// The enemies that roam instead of hunting straight: the hang-around shooter weaving
// around its goal, the hive mind steering its drones, the waypoint attacker hopping
// between random points and laying eggs, and the mine counting down to its blast.
#include "game/entities/ai-enemies.h"
#include "game/entities/ai-enemies-internal.h"

#include "app/ui/partfx.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <math.h>

using namespace enemyai;

namespace {

const float kHangAroundGain = 1.1f * kPi;
const float kHiveMindGain = 2.0f * kPi;
const float kRaiderGain = 2.0f * kPi;
// Distance from the goal at which a roamer counts as arrived.
const float kArrived = 10.0f;
// Seconds a roamer waits at each goal.
const float kGoalWait = 2.0f;
// Drones one hive mind steers.
const int kMaxDrones = 64;
// Draws of a raider's next goal before the last one is kept.
const int kMaxGoalDraws = 100;
// A raider's next goal lies at least this far from the previous one.
const float kMinHop = 100.0f;
// Distance behind a raider at which it lays what its weapon fires.
const float kEggOffset = 26.0f;
// A mine's fuse in seconds.
const float kMineFuse = 15.0f;

float PlaybackSpeed(const Entity *e) {
    return e->type != nullptr ? e->type->anim_playback_speed : 0.0f;
}

float AggroRadius(const Entity *e) {
    return e->type != nullptr ? e->type->aggro_radius : 0.0f;
}

// The goal vector, normalised when longer than 1.
vec2_t TowardGoal(const Entity *e) {
    vec2_t g = {e->goal.x - e->pos.x, e->goal.y - e->pos.y};
    if (g.x * g.x + g.y * g.y > 1.0f) {
        g = FastNormalize(g);
    }
    return g;
}

// Once every trooper is dead, the roamers head for the bunker.
void FallBackToBunker(Entity *e) {
    if (game.living_troopers < 1 && game.base != nullptr) {
        e->goal = game.base->pos;
    }
}

bool NearGoal(const Entity *e) {
    return DistanceSquared(e->pos, e->goal) < kArrived * kArrived;
}

// Roaming around the goal: after waiting at it, the goal moves by up to 50 units on
// each axis, kept inside the roaming bounds.
void WanderGoal(Entity *e, float dt) {
    if (!NearGoal(e)) {
        return;
    }
    e->goal_timer -= dt;
    if (e->goal_timer > 0.0f) {
        return;
    }
    e->goal_count++;
    e->goal.x += Uniform(-50.0f, 50.0f);
    e->goal.y += Uniform(-50.0f, 50.0f);
    e->goal.x = fminf(fmaxf(e->goal.x, 20.0f), RoamMaxX(e));
    e->goal.y = fminf(fmaxf(e->goal.y, 20.0f), RoamMaxY());
    e->goal_timer = kGoalWait;
}

// Steps 1 to 4 of the roamers around a goal: target, goal direction with avoidance,
// bunker fallback, goal re-pick, weapon always firing. Returns the direction.
vec2_t RoamAroundGoal(EntityAI *ai, Entity *e, float dt) {
    vec2_t g = TowardGoal(e);
    ai->GetAttackVector(e);  // for its effect on the waypoint and the target only
    vec2_t avoid = ai->GetAvoidVector(e);
    vec2_t direction = {g.x + 1.5f * avoid.x, g.y + 1.5f * avoid.y};
    FallBackToBunker(e);
    WanderGoal(e, dt);
    if (e->weapon != nullptr) {
        e->aim_angle = e->angle;
        e->trigger = true;
    }
    return direction;
}

// What a raider fires once at each goal. An entity weapon (eggs, mines) lays its entity
// behind the raider. A projectile weapon spits from the raider's front at its target, or
// else at the nearest enemy within the weapon's range, or else along its heading: fired
// from behind at a fixed world angle the spit would fly off wherever the map's east is.
void RaiderShot(Entity *e) {
    Weapon *weapon = e->weapon;
    float scatter = Uniform(-0.3f, 0.3f);
    if (weapon->projectile_class == WEAPON_PROJECTILE_ENTITY) {
        vec2_t behind = {e->pos.x + kEggOffset * cosf(e->angle - kPi), e->pos.y + kEggOffset * sinf(e->angle - kPi)};
        weapon->Fire(e, behind, scatter);
        return;
    }
    Entity *aim_at = e->target;
    Scape *world = GetScape();
    if (aim_at == nullptr && world != nullptr) {
        aim_at = world->GetNearestEnemy(e, e->pos, weapon->projectile_range);
    }
    float aim = aim_at != nullptr ? HeadingTo(e, aim_at) : e->angle;
    vec2_t front = {e->pos.x + kEggOffset * cosf(aim), e->pos.y + kEggOffset * sinf(aim)};
    e->aim_angle = aim;
    weapon->Fire(e, front, aim + scatter);
}

fx_t *MineBlinkEffect(const Scape *world, const Entity *e, float t) {
    if (t >= 0.0f && t < 3.0f) {
        return world->stock != nullptr ? world->stock->fx_egg_glow_exploding : nullptr;
    }
    return e->type != nullptr ? e->type->fx_idle : nullptr;
}

}  // namespace

void EntityAIHangAround::UpdateEntity(Entity *e, float dt) {
    e->target = GetTargetForEntity(e);
    vec2_t direction = RoamAroundGoal(this, e, dt);

    float heading = RampThrottle(e, direction, dt);
    if (direction.x * direction.x + direction.y * direction.y > 0.01f) {
        // It weaves while moving.
        float weave = 0.75f * (e->type != nullptr ? e->type->ai_parm_b : 0.0f) * cosf(3.0f * e->anim_time);
        direction = vec2_t{direction.x - weave * direction.y, direction.y + weave * direction.x};
    }
    MoveAlong(e, direction, dt);
    e->angle = TurnTowardGain(e->angle, heading, kHangAroundGain, dt);

    if (e->attack_phase <= 0.0f) {
        if (e->target != nullptr) {
            float toward = HeadingTo(e, e->target);
            e->angle = TurnTowardCapped(e->angle, toward, 5.0f, dt);
            // The wrapped difference: a target due west (heading near pi) aligns too.
            if (fabsf(AngleDiff(e->angle, toward)) < 0.1f && WithinContact(e, e->target, AggroRadius(e)) &&
                e->age >= 2.0f && e->type != nullptr && e->type->ai != nullptr) {
                e->type->ai->OnAttack(e, e->target);
            }
        }
    } else {
        PlayStrike(e, 3.0f, dt);
    }

    e->anim_time += dt * PlaybackSpeed(e);
    e->phase += 2.0f * PlaybackSpeed(e) * dt;
    FixCollisions(e);
}

void EntityAIHangAround::OnDeath(Entity *, Entity *) {}

void EntityAIHiveMind::UpdateEntity(Entity *e, float dt) {
    e->target = GetTargetForEntity(e);
    Scape *world = GetScape();
    EntityType *drones = e->type != nullptr ? e->type->controls_entities : nullptr;
    if (drones != nullptr && e->target != nullptr && world != nullptr) {
        Entity *found[kMaxDrones];
        int n = world->QueryEntitiesOfType(drones, (int)Entity::NORMAL, found, kMaxDrones);
        for (int i = 0; i < n; i++) {
            found[i]->goal = e->target->pos;
        }
    }
    vec2_t direction = RoamAroundGoal(this, e, dt);
    float heading = RampThrottle(e, direction, dt);
    MoveAlong(e, direction, dt);
    e->angle = TurnTowardGain(e->angle, heading, kHiveMindGain, dt);

    if (e->attack_phase <= 0.0f) {
        if (e->target != nullptr && WithinContact(e, e->target, AggroRadius(e)) && e->age >= 2.0f &&
            e->type != nullptr && e->type->ai != nullptr) {
            e->type->ai->OnAttack(e, e->target);
        }
    } else {
        PlayStrike(e, 3.0f, dt);
    }

    e->anim_time += dt * PlaybackSpeed(e);
    e->phase += 2.0f * PlaybackSpeed(e) * dt;
    FixCollisions(e);
}

void EntityAIHiveMind::OnDeath(Entity *e, Entity *killer) {
    EntityAISeeker::OnDeath(e, killer);
}

void EntityAIWaypointAttacker::UpdateEntity(Entity *e, float dt) {
    vec2_t g = TowardGoal(e);
    FallBackToBunker(e);
    float playback = PlaybackSpeed(e);

    if (NearGoal(e)) {
        // Waiting at the goal: only the animation runs.
        e->goal_timer -= dt;
        if (e->goal_timer <= 0.0f) {
            e->goal_count++;
            vec2_t old = e->goal;
            float max_x = RoamMaxX(e);
            float max_y = RoamMaxY();
            // At most kMaxGoalDraws draws; the last is kept (an area too small for a
            // hop of kMinHop never yields one).
            for (int draw = 0; draw < kMaxGoalDraws; draw++) {
                e->goal.x = Uniform(20.0f, max_x);
                e->goal.y = Uniform(20.0f, max_y);
                if (DistanceSquared(e->goal, old) >= kMinHop * kMinHop) {
                    break;
                }
            }
            if (e->weapon != nullptr && e->goal_count > 0) {
                RaiderShot(e);
            }
            e->goal_timer = kGoalWait;
        }
        e->anim_time += 2.0f * playback * dt;
        e->phase += 4.0f * playback * e->throttle * dt;
        return;
    }

    // Straight along the goal vector, no avoidance.
    float heading = RampThrottle(e, g, dt);
    MoveAlong(e, g, dt);
    e->angle = TurnTowardGain(e->angle, heading, kRaiderGain, dt);
    if (e->weapon != nullptr) {
        e->trigger = false;
        e->aim_angle = e->angle;
    }

    if (e->attack_phase <= 0.0f) {
        if (e->target != nullptr && WithinContact(e, e->target, AggroRadius(e)) && e->age >= 2.0f &&
            e->type != nullptr && e->type->ai != nullptr) {
            e->type->ai->OnAttack(e, e->target);
        }
    } else {
        PlayStrike(e, 4.0f, dt);
    }

    e->anim_time += dt * playback;
    e->phase += 2.0f * playback * e->throttle * dt;
    FixCollisions(e);
}

void EntityAIMine::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr) {
        return;
    }
    float t = kMineFuse - e->age;
    float period = fminf(3.0f, fmaxf(0.25f, (t - 2.5f) * 0.5f));
    e->anim_time += dt;
    if (e->anim_time > period) {
        e->anim_time = 0.0f;
        SpawnTopEffect(world, MineBlinkEffect(world, e, t), e->pos, e->angle);
    }
    if (e->age > kMineFuse) {
        SpawnTopEffect(world, e->type != nullptr ? e->type->fx_attack : nullptr, e->pos, e->angle);
        world->DealSplashDamage(e, e->pos, e->splash_range, e->splash_damage);
        world->KillEntity(e, nullptr, false);
    }
}

void EntityAIMine::OnDeath(Entity *, Entity *) {}
