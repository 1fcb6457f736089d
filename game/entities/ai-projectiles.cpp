// Projectile behaviours (see ai-projectiles.h).
#include "game/entities/ai-projectiles.h"

#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/scape.h"

#include <math.h>

namespace {

// Entities one projectile looks at per frame.
const int kMaxTouched = 32;
// Entities one rocket's splash reaches.
const int kMaxSplashed = 64;
// Flames a napalm rocket scatters.
const int kNapalmFlames = 10;
// Seconds flames, ice and gas live.
const float kCloudLife = 5.0f;

float Fraction() {
    return (float)AppRandom() / 32767.0f;
}

void Kill(Scape *world, Entity *e) {
    world->KillEntity(e, nullptr, false);
}

// The common start: heading from the velocity; false (and the projectile killed)
// outside the world's inner rectangle.
bool StartFrame(Scape *world, Entity *e) {
    e->angle = atan2f(e->velocity.y, e->velocity.x);
    float w = (float)world->width;
    float h = (float)world->height;
    if (e->pos.x > 5.0f && e->pos.x < w - 5.0f && e->pos.y > 5.0f && e->pos.y < h - 5.0f) {
        return true;
    }
    Kill(world, e);
    return false;
}

// Whether a flame or ice has flown past its weapon's range (no weapon: no limit).
bool BeyondWeaponRange(const Entity *e) {
    if (e->weapon == nullptr) {
        return false;
    }
    float range = e->weapon->projectile_range;
    return DistanceSquared(e->pos, e->origin) > range * range;
}

// The first entity touched that is of another side (never the projectile itself).
Entity *FirstOpponent(Scape *world, Entity *e) {
    Entity *touched[kMaxTouched];
    int n = world->QueryEntitiesInRadius(e->pos, e->radius, (int)Entity::NORMAL, touched, kMaxTouched);
    for (int i = 0; i < n; i++) {
        if (touched[i] != e && touched[i]->friend_group != e->friend_group) {
            return touched[i];
        }
    }
    return nullptr;
}

void Fly(Entity *e, float dt) {
    e->pos.x += dt * e->velocity.x;
    e->pos.y += dt * e->velocity.y;
}

// Splash of a dying rocket's weapon on one friend group: full damage at the centre,
// falling linearly to 0 at R + both radii (a zero denominator deals it in full).
void Splash(Scape *world, Entity *e, int group) {
    const Weapon *weapon = e->weapon;
    float range = weapon->projectile_splash_range;
    float damage = weapon->projectile_splash_damage;
    Entity *hit[kMaxSplashed];
    int n = world->QueryEntitiesInRadiusInFriendGroup(e->pos, range, (int)Entity::NORMAL, group, hit, kMaxSplashed);
    for (int i = 0; i < n; i++) {
        Entity *it = hit[i];
        if (it->friend_group == e->friend_group) {
            continue;
        }
        float d = sqrtf(DistanceSquared(e->pos, it->pos));
        float span = range + e->radius + it->radius;
        float share = span != 0.0f ? 1.0f - d / span : 1.0f;
        world->DealDamage(it, e, fmaxf(0.0f, share) * damage);
    }
}

// A burning projectile sets its victim alight: the burn is credited to the projectile's
// shooter, a second of burning is added while less than one is left, at 10 hit points a
// second times the weapon's multiplier (1 without a weapon).
void SetAlight(Entity *victim, const Entity *fire) {
    victim->burner = fire->owner;
    if (victim->burn_time < 1.0f) {
        victim->burn_time += 1.0f;
    }
    victim->burn_damage = fire->weapon != nullptr ? 10.0f * fire->weapon->projectile_damage_multiplier : 1.0f;
}

int OpposingGroup(const Entity *e) {
    return e->friend_group == Entity::PLAYERS ? Entity::ENEMIES : Entity::PLAYERS;
}

}  // namespace

void EntityAIBullet::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr || !StartFrame(world, e)) {
        return;
    }
    if (DistanceSquared(e->pos, e->origin) > e->range * e->range) {
        Kill(world, e);  // the rest of the frame still runs
    }
    Entity *touched[kMaxTouched];
    int n = world->QueryEntitiesInRadius(e->pos, e->radius, (int)Entity::NORMAL, touched, kMaxTouched);
    for (int i = 0; i < n; i++) {
        Entity *it = touched[i];
        if (it == e || it->friend_group == e->friend_group || it == e->last_hit) {
            continue;
        }
        if (e->flags & Entity::INCENDIARY) {
            SetAlight(it, e);  // incendiary rounds burn as the flames do
        }
        world->DealDamage(it, e, e->damage);
        bool pierces = false;
        if (e->weapon != nullptr) {
            float piercing = e->weapon->projectile_piercing;
            // A piercing of 1 or more always pierces (the draw may be exactly 1).
            pierces = Fraction() < piercing || piercing >= 1.0f;
        }
        if (pierces) {
            e->last_hit = it;
        } else {
            Kill(world, e);
        }
        break;
    }
    Fly(e, dt);
}

void EntityAIRocket::OnDeath(Entity *e, Entity *) {
    Scape *world = GetScape();
    if (world != nullptr && e->weapon != nullptr) {
        Splash(world, e, OpposingGroup(e));
    }
}

void EntityAIRocketNapalm::OnDeath(Entity *e, Entity *) {
    Scape *world = GetScape();
    Weapon *weapon = e->weapon;
    if (world == nullptr || weapon == nullptr || world->stock == nullptr) {
        return;
    }
    Splash(world, e, Entity::ENEMIES);  // napalm's blast spares the players
    EntityType *flame_type = world->stock->GetEntityType("ProjectileFlame");
    for (int i = 0; i < kNapalmFlames; i++) {
        float a = randf(-kPi, kPi);
        float r = randf(5.0f, 15.0f);
        vec2_t at = {e->pos.x + r * cosf(a), e->pos.y + r * sinf(a)};
        // The flames burn for the rocket's shooter, on its side.
        Entity *flame = flame_type == nullptr ? nullptr
                        : world->SpawnEntityInGroup(flame_type, at,
                                                    e->owner != nullptr ? e->owner->friend_group
                                                                        : flame_type->friend_group);
        if (flame == nullptr) {
            continue;
        }
        flame->owner = e->owner;
        flame->age = 1.0f;
        flame->points_worth = 0;
        flame->angle = (float)i * 2.0f * kPi / (float)kNapalmFlames - kPi;
        flame->range = weapon->projectile_range * (1.0f + weapon->projectile_range_random * (Fraction() - 0.5f));
        if (weapon->projectile_class == WEAPON_PROJECTILE_BULLET) {
            flame->weapon = weapon;
            flame->speed = 5.0f * (1.0f + 0.5f * (Fraction() - 0.5f));
            flame->velocity = vec2_t{flame->speed * cosf(flame->angle), flame->speed * sinf(flame->angle)};
            flame->damage *= weapon->projectile_damage_multiplier;
        } else {
            flame->splash_range = 20.0f;
            flame->splash_damage = 20.0f;
        }
    }
}

void EntityAIFlame::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr || !StartFrame(world, e)) {
        return;
    }
    if (BeyondWeaponRange(e)) {
        Kill(world, e);
        return;
    }
    if (e->age > kCloudLife) {
        Kill(world, e);  // the frame continues
    }
    if (e->type != nullptr && e->type->fx_idle != nullptr && sman.IsIntervalElapsed(0.125f) &&
        world->ground_parts != nullptr) {
        pbman.SpawnFX(world->ground_parts, e->type->fx_idle, AdjustPosByAverageScale(e->pos), e->angle, 0.0f);
    }

    Entity *touched[kMaxTouched];
    int n = world->QueryEntitiesInRadius(e->pos, e->radius, (int)Entity::NORMAL, touched, kMaxTouched);
    Entity *victim = nullptr;
    for (int i = 0; i < n; i++) {
        Entity *it = touched[i];
        if (it == e || it->friend_group == e->friend_group) {
            continue;
        }
        if (it->throttle > 0.5f) {
            it->throttle -= dt;  // it staggers
        }
        // Burning victims close to death are passed over.
        if (victim == nullptr && (it->burn_time <= 0.5f || it->hit_points >= 20.0f)) {
            victim = it;
        }
    }
    if (victim != nullptr) {
        SetAlight(victim, e);
        float h = victim->hit_points;
        if (h > 0.0f) {
            e->hit_points -= h;  // the flame spends itself on the victim's hit points
        }
        world->DealDamage(victim, e, e->damage);
        if (e->hit_points < 1.0f) {
            Kill(world, e);
        }
    }
    Fly(e, dt);
    e->anim_time += dt;
}

void EntityAIFlame::OnDeath(Entity *, Entity *) {}

void EntityAIIce::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr || !StartFrame(world, e)) {
        return;
    }
    if (BeyondWeaponRange(e)) {
        Kill(world, e);
        return;
    }
    if (e->age > kCloudLife) {
        Kill(world, e);
    }
    Entity *it = FirstOpponent(world, e);
    if (it != nullptr) {
        it->chill_time = fminf(2.0f, fmaxf(0.0f, it->chill_time + 5.0f * dt));
        world->DealDamage(it, e, e->damage);
        if (e->hit_points < 1.0f) {
            Kill(world, e);
        }
    }
    Fly(e, dt);
    e->anim_time += dt;
}

void EntityAIGas::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr || !StartFrame(world, e)) {
        return;
    }
    if (e->age > kCloudLife) {
        Kill(world, e);
    }
    e->velocity.x *= 0.98f;  // per frame: the drift depends on the frame rate
    e->velocity.y *= 0.98f;
    Entity *it = FirstOpponent(world, e);
    if (it != nullptr) {
        it->angle += randf(-0.1f, 0.1f);  // confused
        world->DealDamage(it, e, e->damage);
        if (e->age > 10.0f || e->hit_points < 1.0f) {
            Kill(world, e);
        }
    }
    Fly(e, dt);
    e->anim_time += dt;
}
