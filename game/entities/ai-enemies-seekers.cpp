// The common hunter and its movement variants (leaper, flyer), the deaths that leave
// a pick-up or split, the boss's money and hounds, and the kamikaze's last strike.
#include "game/entities/ai-enemies.h"
#include "game/entities/ai-enemies-internal.h"

#include "app/services/random.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <math.h>

namespace enemyai {

float Uniform(float lo, float hi) {
    return lo + (hi - lo) * ((float)AppRandom() / 32767.0f);
}

float RampThrottle(Entity *e, vec2_t direction, float dt) {
    if (direction.x * direction.x + direction.y * direction.y <= 0.01f) {
        e->throttle = fmaxf(0.0f, e->throttle - 4.0f * dt);
        return e->angle;
    }
    e->throttle = fminf(1.0f, e->throttle + 4.0f * dt);
    return atan2f(direction.y, direction.x);
}

void MoveAlong(Entity *e, vec2_t direction, float dt) {
    float k = (1.0f - e->chill_time / 3.0f) * e->throttle * e->speed;
    e->velocity = vec2_t{k * direction.x, k * direction.y};
    e->pos.x += dt * e->velocity.x;
    e->pos.y += dt * e->velocity.y;
}

void PlayStrike(Entity *e, float rate, float dt) {
    e->attack_phase += rate * dt;
    if (e->attack_phase >= 1.0f) {
        e->attack_phase = 0.0f;
    }
    if (e->target != nullptr) {
        e->angle = TurnTowardCapped(e->angle, HeadingTo(e, e->target), 15.0f, dt);
    }
}

float RoamMaxX(const Entity *e) {
    Scape *world = GetScape();
    float width = world != nullptr ? (float)world->width : 0.0f;
    float parm = e->type != nullptr ? e->type->ai_parm_a : 0.0f;
    return fmaxf(20.0f, width * parm);
}

float RoamMaxY() {
    Scape *world = GetScape();
    float height = world != nullptr ? (float)world->height : 0.0f;
    return fmaxf(20.0f, height - 20.0f);
}

}  // namespace enemyai

using namespace enemyai;

namespace {

// Turn gains of the hunters (the fraction of the heading gap closed per second).
const float kHunterGain = 1.1f * kPi;
const float kFlyerGain = 0.8f * kPi;
// Maximum a boss's count of hounds is taken as (never more than the pool holds).
const int kMaxBossSpawns = SCAPE_ENTITY_RECORDS;

enum class Steering { CONTACT_STOPS_AVOIDING, ALWAYS_AVOID };

// One frame of the hunter: target, steering, throttle (with the leap pulse when
// `leap`), move, turn, weapon, animation, melee strike, collisions.
void Hunt(EntityAI *ai, Entity *e, float dt, Steering steering, float gain, bool leap) {
    e->target = ai->GetTargetForEntity(e);
    vec2_t attack = ai->GetAttackVector(e);
    vec2_t direction;
    if (steering == Steering::CONTACT_STOPS_AVOIDING && e->target != nullptr && WithinContact(e, e->target, 0.0f)) {
        direction = ai->GetDirection(e, attack, vec2_t{0.0f, 0.0f}, dt, true);
    } else {
        direction = ai->GetDirection(e, attack, ai->GetAvoidVector(e), dt, false);
    }

    float heading = RampThrottle(e, direction, dt);
    if (leap) {
        // Each leaper bounds in its own rhythm.
        float pulse = cosf((e->random_phase + 1.0f) * e->age + 31.0f * e->random_phase) + 0.75f;
        e->throttle *= fminf(1.0f, fmaxf(0.0f, pulse));
    }
    MoveAlong(e, direction, dt);
    e->angle = TurnTowardGain(e->angle, heading, gain, dt);
    if (e->weapon != nullptr) {
        e->trigger = true;
        e->aim_angle = e->angle;
    }

    float playback = e->type != nullptr ? e->type->anim_playback_speed : 0.0f;
    e->anim_time += dt * playback;
    e->phase += 2.0f * playback * e->throttle * dt;

    if (e->attack_phase <= 0.0f) {
        if (e->target != nullptr && WithinContact(e, e->target, 0.0f) && e->age >= 2.0f && e->type != nullptr &&
            e->type->ai != nullptr) {
            e->type->ai->OnAttack(e, e->target);
        }
    } else {
        PlayStrike(e, 4.0f, dt);
    }
    ai->FixCollisions(e);
}

// A copy of the dying entity at its place with its age and a share of its scale.
Entity *SpawnChild(Scape *world, const Entity *parent, float scale_factor, vec2_t velocity) {
    Entity *child = world->SpawnEntity(parent->type, parent->pos);
    if (child != nullptr) {
        child->age = parent->age;
        child->scale = scale_factor * parent->scale;
        child->velocity = velocity;
    }
    return child;
}

// Splits into `count` copies at `scale_factor`: the first keeps the velocity, the
// others get it reversed. False when the entity is too small to split.
bool Split(Entity *e, int count, float scale_factor) {
    Scape *world = GetScape();
    if (!(e->scale > 0.75f) || world == nullptr) {
        return false;
    }
    vec2_t reversed = {-e->velocity.x, -e->velocity.y};
    for (int i = 0; i < count; i++) {
        SpawnChild(world, e, scale_factor, i == 0 ? e->velocity : reversed);
    }
    return true;
}

}  // namespace

void EntityAISeeker::UpdateEntity(Entity *e, float dt) {
    Hunt(this, e, dt, Steering::CONTACT_STOPS_AVOIDING, kHunterGain, false);
}

void EntityAISeeker::OnDeath(Entity *e, Entity *) {
    vec2_t spot = e->pos;
    game.GetFreePosition(10.0f, e->pos, 200.0f, spot);
    PowerupDrop(spot);
}

void EntityAISeekerLeaper::UpdateEntity(Entity *e, float dt) {
    Hunt(this, e, dt, Steering::ALWAYS_AVOID, kFlyerGain, true);
}

void EntityAISeekerFlyer::UpdateEntity(Entity *e, float dt) {
    Hunt(this, e, dt, Steering::ALWAYS_AVOID, kFlyerGain, false);
}

void EntityAISplitter::OnDeath(Entity *e, Entity *killer) {
    if (!Split(e, 2, 0.7f)) {
        EntityAISeeker::OnDeath(e, killer);
    }
}

void EntityAIQuadSplitter::OnDeath(Entity *e, Entity *killer) {
    if (!Split(e, 4, 0.5f)) {
        EntityAISeeker::OnDeath(e, killer);
    }
}

void EntityAIBossSplitter::OnDeath(Entity *e, Entity *killer) {
    Scape *world = GetScape();
    if (world == nullptr || world->stock == nullptr) {
        return;
    }
    Powerup *money = Powerup::GetPowerup("POWERUP_MONEY");
    if (money != nullptr) {
        // Two coins flung apart at 50 units/s; they slide to rest and wait for a tap.
        float theta = Uniform(0.0f, 2.0f * kPi);
        EntityType *pickup_type = world->stock->GetEntityType("Powerup");
        for (int i = 1; i <= 2; i++) {
            Entity *coin = pickup_type != nullptr ? world->SpawnEntity(pickup_type, e->pos) : nullptr;
            if (coin == nullptr) {
                continue;
            }
            float a = theta + (float)i * kPi;
            coin->powerup = money;
            coin->powerup_active = true;
            coin->velocity = vec2_t{50.0f * cosf(a), 50.0f * sinf(a)};
        }
    } else {
        EntityAISeeker::OnDeath(e, killer);
    }

    int hounds = game.boss_spawns < kMaxBossSpawns ? game.boss_spawns : kMaxBossSpawns;
    if (world->stock->num_entities < hounds) {
        hounds = world->stock->num_entities;
    }
    EntityType *hound_type = hounds > 0 ? world->stock->GetEntityType("Hound") : nullptr;
    if (hound_type == nullptr) {
        return;
    }
    for (int i = 0; i < hounds; i++) {
        float phi = 0.5f * Uniform(-kPi, kPi);
        Entity *hound = world->SpawnEntity(hound_type, e->pos);
        if (hound == nullptr) {
            continue;
        }
        hound->velocity = vec2_t{200.0f * cosf(phi), 200.0f * sinf(phi)};
        hound->age = e->age;
        hound->scale = 0.7f * e->scale;
    }
}

void EntityAIKamikaze::OnDeath(Entity *, Entity *) {}

void EntityAIKamikaze::OnAttack(Entity *e, Entity *victim) {
    uint32_t before = e->attack_time;
    float phase_before = e->attack_phase;
    EntityAI::OnAttack(e, victim);
    bool struck = e->attack_time != before || e->attack_phase != phase_before;
    if (!struck) {
        return;  // held back by the half-second gate
    }
    Scape *world = GetScape();
    if (world != nullptr) {
        world->KillEntity(e, e, false);  // its own kill: nobody is credited
    }
}
