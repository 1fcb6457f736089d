// The updates of the entity type variants: pick-ups expire, parachute pick-ups land
// (with the power-up hint on the first landing) and expire later, and flames die in a
// quarter of a second without waiting on the trooper roster.
#include "game/entities/entity-types.h"

#include "app/services/profiles.h"
#include "game/entities/entity-types-internal.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"
#include "game/scape.h"

using namespace enttypes;

namespace {

// Seconds a parachute takes to land.
const float kLandingAge = 3.7f;

// Kills a living pick-up older than `lifetime` seconds (no killer, not silent). A
// pick-up without a power-up expires like the others.
void Expire(Entity *e, float lifetime)
{
    if (e->state != Entity::STATE_ALIVE || !(e->age > lifetime))
        return;
    Scape *world = GetScape();
    if (world)
        world->KillEntity(e, nullptr, false);
}

}  // namespace

void EntityTypePowerup::Update(Entity *e, float dt)
{
    EntityType::Update(e, dt);
    if (e->type != this)
        return;
    Expire(e, (float)upgrades.powerup_disappear_time);
}

// `powerup_active` is the falling flag of a parachute pick-up.
void EntityTypePowerupParachute::Update(Entity *e, float dt)
{
    EntityType::Update(e, dt);
    if (e->type != this)
        return;
    if (e->powerup_active && e->age > kLandingAge) {
        if (!prof || !prof->TagExists("tutorials_completed", "POWERUPS")) {
            game.delayed_tutorial = "POWERUPS";
            game.delayed_tutorial_time = 5.0f;
        }
    }
    e->powerup_active = e->age < kLandingAge;
    Expire(e, (float)upgrades.powerup_disappear_time + 4.0f);
}

// As the base while alive (only the target's liveness is checked); a quarter-second
// death; no power-up effect.
void EntityTypeProjectileFlame::Update(Entity *e, float dt)
{
    if (e->state == Entity::STATE_ALIVE) {
        RunBehaviour(this, e, dt, false);
        if (e->type != this)
            return;
        if (e->phase >= 1.0f)
            e->phase -= 1.0f;
    }
    if (e->state == Entity::STATE_DYING) {
        e->phase += 4.0f * dt;
        if (e->phase >= 1.0f)
            FinishDying(e, false);
    }
}
