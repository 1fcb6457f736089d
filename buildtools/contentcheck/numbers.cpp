// The numbers of the battle data and the levels: every numeric key of "entities.xml",
// "weapons.xml", "powerups.xml", the gameplay tuning ("gameplay-global.xml" and each
// level's "gameplay") and the level arrays within the sane range of its key (one table,
// below), and the weapons as the game builds them through "inherit": a projectile that
// flies needs a speed and a range above 0, and a weapon someone carries as its own
// needs a reload that gives rounds back (a pick-up's loan may give none: the wielder
// returns to its own weapon when it is spent).
#include "contentcheck.h"
#include "dbread.h"

#include "app/services/dataman.h"

#include <stdlib.h>
#include <string.h>

#include <map>

namespace contentcheck {

namespace {

// Where a number lives: a key of a data file's nodes, the "value" of a gameplay node
// named by the key, or a key of a level array's nodes.
enum class Scope { Entities, Weapons, Powerups, Gameplay, Level };

struct Range {
    Scope scope;
    const char *array;  // the level array (Level only)
    const char *key;
    double lo, hi;
    bool above_lo;  // the value must be above lo, not at it
};

// The one table of sane ranges. Random terms are fractions of their value; speeds,
// ranges, intervals and scales above 0; colours 0 to 1; positions on or near the
// 1024 x 768 field.
const Range kRanges[] = {
    {Scope::Entities, nullptr, "radius", 0, 64, false},
    {Scope::Entities, nullptr, "scale", 0, 4, true},
    {Scope::Entities, nullptr, "hit_points", 0, 20000, true},
    {Scope::Entities, nullptr, "damage", 0, 500, false},
    {Scope::Entities, nullptr, "top_speed", 0, 400, false},
    {Scope::Entities, nullptr, "points_worth", 0, 5000, false},
    {Scope::Entities, nullptr, "aggro_radius", 0, 800, false},
    {Scope::Entities, nullptr, "ai_parm_a", 0, 10, false},
    {Scope::Entities, nullptr, "ai_parm_b", 0, 10, false},
    {Scope::Entities, nullptr, "barrel_angle", -6.3, 6.3, false},
    {Scope::Entities, nullptr, "color_r", 0, 1, false},
    {Scope::Entities, nullptr, "color_g", 0, 1, false},
    {Scope::Entities, nullptr, "color_b", 0, 1, false},
    {Scope::Entities, nullptr, "color_a", 0, 1, false},
    {Scope::Entities, nullptr, "trail_interval", 0, 500, true},
    {Scope::Entities, nullptr, "anim_playback_speed", 0, 10, true},

    {Scope::Weapons, nullptr, "rank", 0, 5, false},
    {Scope::Weapons, nullptr, "projectiles_per_shot", 1, 20, false},
    {Scope::Weapons, nullptr, "projectile_range", 0, 2000, true},
    {Scope::Weapons, nullptr, "projectile_range_random", 0, 1, false},
    {Scope::Weapons, nullptr, "projectile_speed", 0, 5000, true},
    {Scope::Weapons, nullptr, "projectile_speed_random", 0, 1, false},
    {Scope::Weapons, nullptr, "projectile_angle_spread", 0, 6.3, false},
    {Scope::Weapons, nullptr, "projectile_piercing", 0, 1, false},
    {Scope::Weapons, nullptr, "projectile_damage_multiplier", 0, 20, true},
    {Scope::Weapons, nullptr, "projectile_splash_damage", 0, 1000, false},
    {Scope::Weapons, nullptr, "projectile_splash_range", 0, 500, false},
    {Scope::Weapons, nullptr, "trail_length", 0, 500, false},
    {Scope::Weapons, nullptr, "fire_sound_pitch_min", 0.5, 2, false},
    {Scope::Weapons, nullptr, "fire_sound_pitch_max", 0.5, 2, false},
    {Scope::Weapons, nullptr, "recoil", 0, 5, false},
    {Scope::Weapons, nullptr, "shot_interval", 0.02, 10, false},
    {Scope::Weapons, nullptr, "ammo_cost_per_shot", 0, 100, true},
    {Scope::Weapons, nullptr, "reload_time", 0, 20, false},
    {Scope::Weapons, nullptr, "reload_size", 0, 10000, false},
    {Scope::Weapons, nullptr, "clip_size", 0, 10000, true},
    {Scope::Weapons, nullptr, "wielding_ent_move_speed_mul", 0, 3, true},
    {Scope::Weapons, nullptr, "barrel_x", -64, 64, false},
    {Scope::Weapons, nullptr, "barrel_y", -64, 64, false},
    {Scope::Weapons, nullptr, "shell_eject_x", -64, 64, false},
    {Scope::Weapons, nullptr, "shell_eject_y", -64, 64, false},
    {Scope::Weapons, nullptr, "clip_eject_x", -64, 64, false},
    {Scope::Weapons, nullptr, "clip_eject_y", -64, 64, false},

    {Scope::Powerups, nullptr, "rarity", 0, 1000, false},
    {Scope::Powerups, nullptr, "min_level", 0, 30, false},

    {Scope::Gameplay, nullptr, "max_troopers", 1, 5, false},
    {Scope::Gameplay, nullptr, "max_powerups", 0, 15, false},
    {Scope::Gameplay, nullptr, "coin_value", 0, 10000, false},
    {Scope::Gameplay, nullptr, "powerup_probability", 0, 100, false},
    {Scope::Gameplay, nullptr, "powerup_interval", 0, 600000, false},
    {Scope::Gameplay, nullptr, "hitpoint_increase_per_wave", 0, 1, false},
    {Scope::Gameplay, nullptr, "powerup_disappear_time", 1, 600, false},
    {Scope::Gameplay, nullptr, "super_soldier_time", 1, 600, false},
    {Scope::Gameplay, nullptr, "starting_money", 0, 100000, false},
    {Scope::Gameplay, nullptr, "delay_between_waves", 0, 600, false},
    {Scope::Gameplay, nullptr, "grouping_interval", -100, 100, false},
    {Scope::Gameplay, nullptr, "reinforcement_wave_interval", 0, 100, false},
    {Scope::Gameplay, nullptr, "spawn_num_increase_per_wave", 0, 1, false},
    {Scope::Gameplay, nullptr, "collector_item_count", 0, 100, false},

    {Scope::Level, "waves", "num", 1, 100, false},
    {Scope::Level, "waves", "interval", 0, 60, false},
    {Scope::Level, "waves", "spawn_delay", 0, 300, false},
    {Scope::Level, "waves", "delay", 0, 300, false},
    {Scope::Level, "waves", "pos_x", -0.5, 1.5, false},
    {Scope::Level, "waves", "pos_y", -0.5, 1.5, false},
    {Scope::Level, "waves", "pos_edge", 0, 12, false},
    {Scope::Level, "waves", "spread", 0, 1000, false},
    {Scope::Level, "waves", "spread_min", 0, 1000, false},
    {Scope::Level, "waves", "min_wave", 1, 1000, false},
    {Scope::Level, "waves", "max_wave", 0, 1000, false},
    {Scope::Level, "waves", "boss_spawns", 0, 64, false},
    {Scope::Level, "waves", "volume", 0, 2, false},
    {Scope::Level, "waves", "pan", -1, 1, false},
    {Scope::Level, "waves", "freq", 0.1, 4, false},
    {Scope::Level, "waves", "angle", -360, 360, false},
    {Scope::Level, "powerups", "num", 1, 20, false},
    {Scope::Level, "powerups", "pos_x", 0, 1, false},
    {Scope::Level, "powerups", "pos_y", 0, 1, false},
    {Scope::Level, "powerups", "pos_edge", 0, 12, false},
    {Scope::Level, "powerups", "spread", 0, 1000, false},
    {Scope::Level, "powerups", "spread_min", 0, 1000, false},
    {Scope::Level, "environment", "x", 0, 1024, false},
    {Scope::Level, "environment", "y", 0, 768, false},
    {Scope::Level, "environment_decals", "x", -128, 1152, false},
    {Scope::Level, "environment_decals", "y", -128, 896, false},
    {Scope::Level, "environment_decals", "scale", 0, 8, true},
    {Scope::Level, "environment_decals", "angle", -360, 360, false},
    {Scope::Level, "environment_decals", "r", 0, 1, false},
    {Scope::Level, "environment_decals", "g", 0, 1, false},
    {Scope::Level, "environment_decals", "b", 0, 1, false},
    {Scope::Level, "environment_decals", "a", 0, 1, false},
    {Scope::Level, "environment_emitters", "x", -128, 1152, false},
    {Scope::Level, "environment_emitters", "y", -128, 896, false},
    {Scope::Level, "environment_emitters", "presimulate", 0, 60, false},
    {Scope::Level, "environment_emitters", "angle", -360, 360, false},
    {Scope::Level, "obstacles", "x", 0, 1024, false},
    {Scope::Level, "obstacles", "y", 0, 768, false},
    {Scope::Level, "obstacles", "angle", -360, 360, false},
    {Scope::Level, "obstacles", "scale", 0, 4, true},
    {Scope::Level, "entities", "x", 0, 1024, false},
    {Scope::Level, "entities", "y", 0, 768, false},
    {Scope::Level, "entities", "angle", -360, 360, false},
    {Scope::Level, "entities", "scale", 0, 4, true},
    {Scope::Level, "ai_points", "x", 0, 1024, false},
    {Scope::Level, "ai_points", "y", 0, 768, false},
    {Scope::Level, "ai_points", "id", 0, 16, false},
    {Scope::Level, "ai_points", "parent", 0, 16, false},
};

// The number a value holds, as the game reads it (its leading decimal number); false
// when the value starts with no number at all.
bool ReadNumber(const std::string &value, double *out)
{
    const char *text = value.c_str();
    char *end = nullptr;
    *out = strtod(text, &end);
    return end != text;
}

std::string RangeText(const Range &r)
{
    return Format("%s%g to %g", r.above_lo ? "above " : "", r.lo, r.hi);
}

// One value against its range: a missing key is fine (the default stands).
void CheckValue(const std::string &rel, const std::string &where, const char *key, const char *value, const Range &r,
                Report *report)
{
    if (!value)
        return;
    double v = 0;
    if (!ReadNumber(value, &v)) {
        report->Add(rel, Format("%s has \"%s\" '%s', which is no number", where.c_str(), key, value));
        return;
    }
    bool low = r.above_lo ? v <= r.lo : v < r.lo;
    if (low || v > r.hi)
        report->Add(rel, Format("%s has \"%s\" %s (%s)", where.c_str(), key, value, RangeText(r).c_str()));
}

void CheckNodes(const std::string &rel, DMArray *array, Scope scope, const char *what, Report *report)
{
    for (int i = 0; array && i < array->GetSize(); i++) {
        DMNode *n = array->GetNode(i);
        std::string where = Format("%s '%s'", what, Id(n).c_str());
        for (const Range &r : kRanges)
            if (r.scope == scope)
                CheckValue(rel, where, r.key, n->GetValue(r.key), r, report);
    }
}

void CheckGameplay(const std::string &rel, DMArray *gameplay, Report *report)
{
    for (const Range &r : kRanges)
        if (r.scope == Scope::Gameplay && gameplay)
            if (DMNode *n = gameplay->GetNode(r.key))
                CheckValue(rel, "gameplay", r.key, n->GetValue("value"), r, report);
}

// A weapon as the game builds it: the start values, then its parent's (through any
// chain of "inherit"), then its own keys.
struct Built {
    double range = 100, range_random = 0, speed = 0, speed_random = 0, reload_size = 10;
    bool entity_class = false;
};

Built Build(DMArray *weapons, const std::string &id, int depth)
{
    Built b;
    DMNode *n = weapons->GetNode(id.c_str());
    if (!n)
        return b;
    std::string parent = Value(n, "inherit");
    if (!parent.empty() && parent != id && depth < 16)
        b = Build(weapons, parent, depth + 1);
    const std::pair<const char *, double *> keys[] = {
        {"projectile_range", &b.range},   {"projectile_range_random", &b.range_random},
        {"projectile_speed", &b.speed},   {"projectile_speed_random", &b.speed_random},
        {"reload_size", &b.reload_size},
    };
    for (const auto &k : keys)
        if (const char *v = n->GetValue(k.first))
            *k.second = atof(v);
    b.entity_class = Value(n, "projectile_class") == "ENTITY";  // never inherited
    return b;
}

void CheckBuiltWeapons(DMArray *weapons, DMArray *entities, DMArray *shop, Report *report)
{
    const char rel[] = "weapons.xml";
    // The weapons somebody carries as its own: an entity type's, a trooper upgrade's.
    std::map<std::string, std::string> own;
    for (int i = 0; entities && i < entities->GetSize(); i++) {
        std::string w = Value(entities->GetNode(i), "weapon");
        if (!w.empty())
            own.emplace(w, Format("type '%s'", Id(entities->GetNode(i)).c_str()));
    }
    for (int i = 0; shop && i < shop->GetSize(); i++) {
        std::string id = Id(shop->GetNode(i));
        size_t cut = id.compare(0, 6, "REARM_") == 0 ? id.find('_', 6) : std::string::npos;
        if (cut != std::string::npos)
            own.emplace(id.substr(cut + 1), Format("upgrade '%s'", id.c_str()));
        if (id == "PYRO_DEATHWISH")
            own.emplace("PyroDeathwish", "upgrade 'PYRO_DEATHWISH'");
    }
    for (int i = 0; i < weapons->GetSize(); i++) {
        std::string id = Id(weapons->GetNode(i));
        Built b = Build(weapons, id, 0);
        if (!b.entity_class) {
            if (b.speed <= 0)
                report->Add(rel, Format("weapon '%s' fires at speed %g (its shots would not fly forward)", id.c_str(),
                                        b.speed));
            if (b.range <= 0)
                report->Add(rel, Format("weapon '%s' has range %g (its shots would die at the muzzle)", id.c_str(),
                                        b.range));
            if (b.speed_random < 0 || b.speed_random > 1)
                report->Add(rel, Format("weapon '%s' has a speed random term of %g (a fraction, 0 to 1)", id.c_str(),
                                        b.speed_random));
            if (b.range_random < 0 || b.range_random > 1)
                report->Add(rel, Format("weapon '%s' has a range random term of %g (a fraction, 0 to 1)", id.c_str(),
                                        b.range_random));
        }
        auto carried = own.find(id);
        if (carried != own.end() && b.reload_size <= 0)
            report->Add(rel, Format("weapon '%s' of %s reloads no rounds: once its clip is empty it never fires "
                                    "again, and it has no weapon to return to",
                                    id.c_str(), carried->second.c_str()));
    }
}

}  // namespace

void CheckDataNumbers(const Tree &tree, Report *report)
{
    DMArray *entities = Array(tree, "entities.xml", "entities");
    DMArray *weapons = Array(tree, "weapons.xml", "weapons");
    CheckNodes("entities.xml", entities, Scope::Entities, "type", report);
    CheckNodes("weapons.xml", weapons, Scope::Weapons, "weapon", report);
    CheckNodes("powerups.xml", Array(tree, "powerups.xml", "powerups"), Scope::Powerups, "power-up", report);
    CheckGameplay("gameplay-global.xml", Array(tree, "gameplay-global.xml", "gameplay"), report);
    if (weapons)
        CheckBuiltWeapons(weapons, entities, Array(tree, "shop.xml", "Upgrades"), report);
}

void CheckLevelNumbers(DMDatabase *level, const std::string &rel, Report *report)
{
    CheckGameplay(rel, level->GetArray("gameplay"), report);
    for (const Range &r : kRanges) {
        if (r.scope != Scope::Level)
            continue;
        DMArray *array = level->GetArray(r.array);
        for (int i = 0; array && i < array->GetSize(); i++) {
            std::string where = Format("%s node %d", r.array, i + 1);
            CheckValue(rel, where, r.key, array->GetNode(i)->GetValue(r.key), r, report);
        }
    }
}

}  // namespace contentcheck
