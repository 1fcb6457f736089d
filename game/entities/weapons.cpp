// Weapons: the table of 64, creation from "weapons.xml" with "inherit", arming and the
// rotated offsets of the sprite (see weapons.h). Firing and reloading are in
// weapons-fire.cpp.
#include "game/entities/weapons.h"

#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/ui/partfx.h"
#include "game/entities/stock.h"
#include "app/services/data-numbers.h"
#include "game/scape.h"
#include "nstring.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

Weapon *Weapon::weapons[WEAPON_MAX];
int Weapon::num_weapons = 0;

namespace {

// Frees the table's weapons (and their texts) when the program ends.
struct WeaponTableRelease {
    ~WeaponTableRelease() { Weapon::ClearWeapons(); }
} weapon_table_release;

void ReadFloat(const DMNode *node, const char *key, float *field)
{
    const char *value = node->GetValue(key);
    if (value)
        *field = DataLeadingFloat(value);
}

void ReadShort(const DMNode *node, const char *key, int16_t *field)
{
    const char *value = node->GetValue(key);
    if (value)
        *field = (int16_t)DataClampInt(DataLeadingInt(value), INT16_MIN, INT16_MAX);
}

void ReadSound(const DMNode *node, const char *key, ov_sound_t **field)
{
    const char *value = node->GetValue(key);
    if (value)
        *field = ov->OV_GetSound(value);
}

// A value starting with "!" leaves the effect in place.
void ReadEffect(const DMNode *node, const char *key, fx_t **field)
{
    const char *value = node->GetValue(key);
    if (value && value[0] != '!')
        *field = pbman.GetFX(value);
}

// The entity type spawned per projectile, by name through the loading stock (the one
// creating a type, else the world's); null without a stock or for no such type.
EntityType *ProjectileType(const char *type_name)
{
    Stock *stock = Stock::GetLoadingStock();
    return stock ? stock->GetEntityType(type_name) : nullptr;
}

}  // namespace

Weapon::Weapon(const char *weapon_id) : id(nStringDuplicate(weapon_id)) {}

Weapon::~Weapon()
{
    nStringFree(id);
    nStringFree(name);
}

void Weapon::ClearWeapons()
{
    for (int i = 0; i < num_weapons; i++) {
        delete weapons[i];
        weapons[i] = nullptr;
    }
    num_weapons = 0;
}

void Weapon::CopyFrom(const Weapon &other)
{
    char *own_id = id;
    char *own_name = name;
    // Every field but the two owned texts is plain data.
    id = nullptr;
    name = nullptr;
    rank = other.rank;
    projectile_entity = other.projectile_entity;
    projectile_class = other.projectile_class;
    projectiles_per_shot = other.projectiles_per_shot;
    projectile_range = other.projectile_range;
    projectile_range_random = other.projectile_range_random;
    projectile_angle_spread = other.projectile_angle_spread;
    projectile_piercing = other.projectile_piercing;
    projectile_damage_multiplier = other.projectile_damage_multiplier;
    projectile_splash_damage = other.projectile_splash_damage;
    projectile_splash_range = other.projectile_splash_range;
    fire_sound_pitch_min = other.fire_sound_pitch_min;
    fire_sound_pitch_max = other.fire_sound_pitch_max;
    recoil = other.recoil;
    shot_interval = other.shot_interval;
    ammo_cost_per_shot = other.ammo_cost_per_shot;
    reload_time = other.reload_time;
    reload_size = other.reload_size;
    clip_size = other.clip_size;
    projectile_speed = other.projectile_speed;
    projectile_speed_random = other.projectile_speed_random;
    wielding_ent_move_speed_mul = other.wielding_ent_move_speed_mul;
    trail_length = other.trail_length;
    icon = other.icon;
    snd_fire = other.snd_fire;
    snd_reload = other.snd_reload;
    snd_reload_end = other.snd_reload_end;
    fx_muzzle_flash = other.fx_muzzle_flash;
    fx_shell_eject = other.fx_shell_eject;
    fx_clip_eject = other.fx_clip_eject;
    fx_idle = other.fx_idle;
    barrel_x = other.barrel_x;
    barrel_y = other.barrel_y;
    shell_eject_x = other.shell_eject_x;
    shell_eject_y = other.shell_eject_y;
    clip_eject_x = other.clip_eject_x;
    clip_eject_y = other.clip_eject_y;
    // The id stays this weapon's; the display name becomes a copy of the parent's.
    id = own_id;
    nStringFree(own_name);
    name = other.name ? nStringDuplicate(other.name) : nullptr;
}

void Weapon::ReadKeys(const DMNode *node)
{
    const char *value = node->GetValue("projectile_entity");
    if (value)
        projectile_entity = ProjectileType(value);
    ReadShort(node, "rank", &rank);
    ReadShort(node, "projectiles_per_shot", &projectiles_per_shot);
    ReadFloat(node, "projectile_range", &projectile_range);
    ReadFloat(node, "projectile_piercing", &projectile_piercing);
    ReadFloat(node, "projectile_range_random", &projectile_range_random);
    ReadFloat(node, "projectile_angle_spread", &projectile_angle_spread);
    ReadFloat(node, "projectile_splash_range", &projectile_splash_range);
    ReadFloat(node, "projectile_splash_damage", &projectile_splash_damage);
    ReadFloat(node, "projectile_damage_multiplier", &projectile_damage_multiplier);
    ReadFloat(node, "projectile_speed", &projectile_speed);
    ReadFloat(node, "projectile_speed_random", &projectile_speed_random);
    ReadFloat(node, "trail_length", &trail_length);
    ReadFloat(node, "fire_sound_pitch_min", &fire_sound_pitch_min);
    ReadFloat(node, "fire_sound_pitch_max", &fire_sound_pitch_max);
    if (fire_sound_pitch_min < 0.5f)
        fire_sound_pitch_min = 1.0f;
    if (fire_sound_pitch_max < 0.5f)
        fire_sound_pitch_max = 1.0f;
    ReadFloat(node, "recoil", &recoil);
    ReadFloat(node, "shot_interval", &shot_interval);
    ReadFloat(node, "ammo_cost_per_shot", &ammo_cost_per_shot);
    ReadFloat(node, "reload_time", &reload_time);
    ReadFloat(node, "reload_size", &reload_size);
    ReadFloat(node, "clip_size", &clip_size);
    value = node->GetValue("icon");
    if (value)
        icon = ov->OV_GetBitmap(value);
    ReadSound(node, "snd_fire", &snd_fire);
    ReadSound(node, "snd_reload", &snd_reload);
    ReadSound(node, "snd_reload_start", &snd_reload);
    ReadSound(node, "snd_reload_end", &snd_reload_end);
    ReadEffect(node, "fx_muzzle_flash", &fx_muzzle_flash);
    ReadEffect(node, "fx_idle", &fx_idle);
    ReadEffect(node, "fx_shell_eject", &fx_shell_eject);
    ReadEffect(node, "fx_clip_eject", &fx_clip_eject);
    ReadFloat(node, "barrel_x", &barrel_x);
    ReadFloat(node, "barrel_y", &barrel_y);
    ReadFloat(node, "wielding_ent_move_speed_mul", &wielding_ent_move_speed_mul);
    ReadFloat(node, "shell_eject_x", &shell_eject_x);
    ReadFloat(node, "shell_eject_y", &shell_eject_y);
    ReadFloat(node, "clip_eject_x", &clip_eject_x);
    ReadFloat(node, "clip_eject_y", &clip_eject_y);
}

Weapon *Weapon::GetWeapon(const char *weapon_name)
{
    if (!weapon_name)
        return nullptr;
    for (int i = 0; i < num_weapons; i++) {
        if (strcmp(weapons[i]->id, weapon_name) == 0)
            return weapons[i];
    }
    if (num_weapons >= WEAPON_MAX) {
        ov->OV_Popupf(1, "Weapon limit exceeded (%d weapons).\n", WEAPON_MAX);
        return nullptr;
    }
    ov->OV_Printf("Creating weapon type '%s'\n", weapon_name);
    DMArray *array = dman().GetDatabase("weapons.xml")->GetArray("weapons");
    if (!array)
        return nullptr;
    DMNode *node = array->GetNode(weapon_name);
    if (!node) {
        ov->OV_Popupf(1, "Unknown weapon type '%s'\n", weapon_name);
        return nullptr;
    }

    Weapon *w = new Weapon(weapon_name);
    weapons[num_weapons++] = w;

    const char *value = node->GetValue("name");
    if (value) {
        nStringFree(w->name);
        w->name = nStringDuplicate(loc_man().Localize(value));
    }
    value = node->GetValue("inherit");
    if (value) {
        // A nested request may fill the table; the parent is then missing and the start
        // values stay.
        Weapon *parent = GetWeapon(value);
        if (parent && parent != w)
            w->CopyFrom(*parent);
    }
    value = node->GetValue("projectile_class");
    w->projectile_class = (value && strcmp(value, "ENTITY") == 0) ? WEAPON_PROJECTILE_ENTITY
                                                                  : WEAPON_PROJECTILE_BULLET;
    w->ReadKeys(node);
    return w;
}

vec2_t WeaponRotatedOffset(vec2_t pos, float a, float b, float t, float s)
{
    vec2_t p;
    p.x = pos.x + s * a * cosf(t) + s * b * cosf(t + (float)M_PI_2);
    p.y = pos.y + s * a * sinf(t) + s * b * sinf(t + (float)M_PI_2);
    return p;
}
