// Weapons: the shared, read-only definition of what an entity fires (projectile type,
// projectiles per shot, range, spread, speed, damage, firing rhythm, clip and reload,
// sounds, effects and the barrel and ejection offsets on the sprite). Weapons are made
// on first request by name from "weapons.xml" and kept in one static table of 64 for
// the life of the program; the table frees its weapons at exit. An entity holds a
// pointer to its current weapon; the behaviour's weapon update decides when to fire
// and calls `Fire` and `Reload`; `SetActive` arms an entity. Main thread only.
#ifndef GAME_ENTITIES_WEAPONS_H
#define GAME_ENTITIES_WEAPONS_H

#include "orvex.h"

#include <stdint.h>

struct Entity;
class DMNode;
class EntityType;
struct fx_t;

enum {
    WEAPON_MAX = 64,
    // projectile_class
    WEAPON_PROJECTILE_BULLET = 1,
    WEAPON_PROJECTILE_ENTITY = 2,
};

class Weapon {
public:
    // Copies the id and sets the start values below.
    explicit Weapon(const char *weapon_id);
    // Frees `id` and `name`.
    ~Weapon();
    Weapon(const Weapon &) = delete;
    Weapon &operator=(const Weapon &) = delete;

    // The weapon of that exact name, made from "weapons.xml" and entered in the table on
    // first request; null for a null name, a full table, an unknown name or missing data.
    static Weapon *GetWeapon(const char *weapon_name);
    // Deletes every weapon of the table and empties it (program exit; tests).
    static void ClearWeapons();

    // Arms e with this weapon: shot timer 0.5, no reload, a full clip, the wielder's
    // speed and the weapon's splash values.
    void SetActive(Entity *e);
    // One shot from pos in direction angle: sound, effects, recoil, shot counter and
    // `projectiles_per_shot` projectiles spawned through the world.
    void Fire(Entity *e, vec2_t pos, float angle);
    // Starts e's reload with e's weapon; first ends a super-weapon effect whose clip is
    // spent, rearming e with the weapon it returns to.
    void Reload(Entity *e);

    char *id = nullptr;                        // owned: the name requested
    char *name = nullptr;                      // owned: localised display name
    int16_t rank = 0;                          // upgrade rank (trooper's shop icon)
    EntityType *projectile_entity = nullptr;   // spawned per projectile
    int16_t projectile_class = WEAPON_PROJECTILE_BULLET;
    int16_t projectiles_per_shot = 1;
    float projectile_range = 100.0f;
    float projectile_range_random = 0.0f;
    float projectile_angle_spread = 0.1f;      // radians, full width
    float projectile_piercing = 0.0f;
    float projectile_damage_multiplier = 1.0f;
    float projectile_splash_damage = 0.0f;
    float projectile_splash_range = 0.0f;
    float fire_sound_pitch_min = 1.0f;
    float fire_sound_pitch_max = 1.0f;
    float recoil = 0.0f;                       // kick added to the shooter per shot
    float shot_interval = 0.1f;                // seconds between shots
    float ammo_cost_per_shot = 1.0f;
    float reload_time = 3.0f;
    float reload_size = 10.0f;                 // rounds added when a reload completes
    float clip_size = 10.0f;                   // rounds when armed
    float projectile_speed = 0.0f;
    float projectile_speed_random = 0.0f;
    float wielding_ent_move_speed_mul = 1.0f;  // factor on the wielder's top speed
    float trail_length = 50.0f;
    ov_bitmap_t *icon = nullptr;
    ov_sound_t *snd_fire = nullptr;
    ov_sound_t *snd_reload = nullptr;          // played when a reload starts
    ov_sound_t *snd_reload_end = nullptr;      // played so that it ends with the reload
    fx_t *fx_muzzle_flash = nullptr;
    fx_t *fx_shell_eject = nullptr;
    fx_t *fx_clip_eject = nullptr;
    fx_t *fx_idle = nullptr;
    float barrel_x = 0.0f, barrel_y = 0.0f;    // along and across the aim, sprite units
    float shell_eject_x = 0.0f, shell_eject_y = 0.0f;
    float clip_eject_x = 0.0f, clip_eject_y = 0.0f;

    // The table in creation order; a weapon is entered as soon as it is constructed.
    static Weapon *weapons[WEAPON_MAX];
    static int num_weapons;

private:
    // Every field of other except `id` (the display name copied deeply).
    void CopyFrom(const Weapon &other);
    void ReadKeys(const DMNode *node);
};

// The point pos + s a (cos t, sin t) + s b (cos(t + pi/2), sin(t + pi/2)): an offset (a, b)
// of a weapon at an entity facing t drawn at scale s.
vec2_t WeaponRotatedOffset(vec2_t pos, float a, float b, float t, float s);

#endif
