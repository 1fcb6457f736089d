// Arming, firing and reloading (see weapons.h).
#include "game/entities/weapons.h"

#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "app/services/data-numbers.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "nstring.h"

#include <math.h>
#include <string.h>

namespace {

const float kTwoPi = 6.28318530718f;
const float kSuperSpeed = 1.6f;

// A fresh uniform number in [0, 1].
float Fraction()
{
    return (float)AppRandom() / (float)APP_RANDOM_MAX;
}

bool IdIs(const char *id, const char *name)
{
    return id && strcmp(id, name) == 0;
}

// The weapon a trooper returns to when its super weapon's clip is spent and it has no
// base weapon: the profile's active upgrade of its class.
Weapon *UpgradeWeapon(const Entity *e)
{
    if (!prof || !e->type || !e->type->name)
        return nullptr;
    const char *upgrade = prof->GetValue("team_setup", e->type->name, "active_upgrade");
    if (!upgrade)
        return nullptr;
    if (strncmp(upgrade, "REARM_", 6) == 0) {
        // "REARM_" trooper "_" weapon; a value of 256 characters or more gives no token.
        const char *weapon_name = nStringGetToken(upgrade, "_", 2);
        return weapon_name ? Weapon::GetWeapon(weapon_name) : nullptr;
    }
    if (strcmp(upgrade, "PYRO_DEATHWISH") == 0)
        return Weapon::GetWeapon("PyroDeathwish");
    return nullptr;
}

// Arms e with its own weapon again; an entity still enlarged by the super trooper
// stays one, with its speed.
void Rearm(Entity *e, Weapon *back)
{
    if (!e->type || e->scale == e->type->scale) {
        if (IdIs(e->powerup_id, "POWERUP_SUPER_WEAPON")) {
            e->powerup_active = false;
            e->powerup_id = "";
        }
        back->SetActive(e);
        return;
    }
    e->powerup_active = true;
    e->powerup_id = "POWERUP_SUPER_TROOPER";
    back->SetActive(e);
    e->speed = e->type->top_speed * kSuperSpeed;
}

// A spent super-weapon clip ends the effect: e returns to its own weapon (or is left
// unarmed when it has none), staying a super trooper while still enlarged.
void EndSuperWeapon(Entity *e)
{
    Weapon *back = e->base_weapon ? e->base_weapon : UpgradeWeapon(e);
    if (!back) {
        e->powerup_active = false;
        e->weapon = nullptr;
        e->powerup_id = "";
        return;
    }
    Rearm(e, back);
}

// A weapon whose reload gives nothing back (the rocket pack of a pick-up) is a loan:
// when its clip is spent the wielder takes up its own weapon again: its base weapon,
// else its class's upgrade in the profile, else its type's weapon. False when it has
// none other than the loan (it then keeps the empty loan).
bool ReturnLoan(Entity *e, Weapon *loan)
{
    Weapon *back = e->base_weapon ? e->base_weapon : UpgradeWeapon(e);
    if (!back && e->type)
        back = e->type->weapon;
    if (!back || back == loan)
        return false;
    Rearm(e, back);
    return true;
}

}  // namespace

void Weapon::SetActive(Entity *e)
{
    if (!e)
        return;
    e->weapon = this;
    e->shot_timer = 0.5f;
    e->reload_timer = 0.0f;
    e->ammo = clip_size;
    if (e->type)
        e->speed = e->type->top_speed * wielding_ent_move_speed_mul;
    e->splash_damage = projectile_splash_damage;
    e->splash_range = projectile_splash_range;
}

void Weapon::Fire(Entity *e, vec2_t pos, float angle)
{
    Scape *world = GetScape();
    const float pitch = fire_sound_pitch_min + (fire_sound_pitch_max - fire_sound_pitch_min) * Fraction();
    if (world && snd_fire)
        world->PlaySoundAt(snd_fire, pos, IdIs(id, "FireTrail") ? 0.5f : 1.0f, pitch);

    SpawnTopEffect(world, fx_muzzle_flash, pos, angle);
    const float scale = e ? e->scale : 1.0f;
    SpawnTopEffect(world, fx_shell_eject, WeaponRotatedOffset(pos, shell_eject_x, shell_eject_y, angle, scale),
                   angle + kTwoPi);

    game.shots_fired++;
    if (e)
        e->recoil += recoil;

    if (!world || !projectile_entity)
        return;
    // The shots join the shooter's side (so an enemy's leave the squad's reserve alone).
    const int group = e ? e->friend_group : projectile_entity->friend_group;
    for (int i = 0; i < projectiles_per_shot; i++) {
        Entity *p = world->SpawnEntityInGroup(projectile_entity, pos, group);
        if (!p)
            continue;
        if (e)
            p->owner = e;
        p->age = 1.0f;
        p->angle = angle + (Fraction() - 0.5f) * projectile_angle_spread;
        p->points_worth = 0;
        p->range = projectile_range * (1.0f + projectile_range_random * (Fraction() - 0.5f));
        if (projectile_class == WEAPON_PROJECTILE_ENTITY) {
            p->splash_damage = projectile_splash_damage;
            p->splash_range = projectile_splash_range;
            // A shooter drawn smaller than its type fires proportionally weaker entities.
            if (e && e->type && e->type->scale > 0.0f && e->scale < e->type->scale) {
                p->max_hit_points = p->max_hit_points * e->scale / e->type->scale;
                p->hit_points = p->max_hit_points;
            }
        } else {
            p->weapon = this;
            p->speed = projectile_speed * (1.0f + (Fraction() - 0.5f) * projectile_speed_random);
            p->velocity.x = p->speed * cosf(p->angle);
            p->velocity.y = p->speed * sinf(p->angle);
            p->damage *= projectile_damage_multiplier;
        }
    }
}

void Weapon::Reload(Entity *e)
{
    if (!e)
        return;
    if (e->powerup_active && IdIs(e->powerup_id, "POWERUP_SUPER_WEAPON"))
        EndSuperWeapon(e);
    else if (e->weapon && e->weapon->reload_size <= 0.0f && ReturnLoan(e, e->weapon))
        return;  // its own weapon comes loaded
    Weapon *w = e->weapon;
    if (!w)
        return;
    e->reload_timer = w->reload_time;
    Scape *world = GetScape();
    if (world && w->snd_reload)
        world->PlaySoundAt(w->snd_reload, e->pos, 1.0f, 1.0f);
    if (w->fx_clip_eject)
        SpawnTopEffect(world, w->fx_clip_eject,
                       WeaponRotatedOffset(e->pos, w->clip_eject_x, w->clip_eject_y, e->angle, e->scale),
                       e->angle + kTwoPi);
    // A reload that takes no time is done at once (it would restart every frame).
    if (w->reload_time <= 0.0f) {
        e->reload_timer = 0.0f;
        e->ammo += w->reload_size;
    }
}
