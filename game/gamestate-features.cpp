// Battle features: the named effects bought in the shop or granted during a mission
// (weapon upgrades of a trooper type, squad size, reinforcements, healing, artillery).
// The game state keeps the active ones in its fixed table; the first addition switches
// the effect on, later ones only count. The lookups are in gamestate-feature-lookup.cpp.
#include "game/gamestate.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/token-lists.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/scape.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

const char *kShopFile = "shop.xml";
const char *kUpgrades = "Upgrades";
const int kMaxHighlighted = 16;  // entities of one upgraded type that get the icon
const int kMaxHealed = 16;
const int kMaxRearmed = 32;
const vec2_t kFieldCentre = {10.0f, 10.0f};
const float kFieldReach = 5000.0f;  // "everywhere" on any battlefield

// The trooper words and the entity types they spawn.
struct TrooperWord {
    const char *feature;
    const char *type;
};
const TrooperWord kTrooperWords[] = {
    {"UNARMED_TROOPER", "UnarmedTrooper"}, {"BAZOOKA_TROOPER", "BazookaTrooper"},
    {"MINIGUN_TROOPER", "MinigunTrooper"}, {"SHOTGUN_TROOPER", "ShotgunTrooper"},
    {"PYRO_TROOPER", "PyroTrooper"},       {"SNIPER_TROOPER", "SniperTrooper"},
};

// Whether the comma-separated list names exactly `type` as one of its items (blanks
// around an item ignored).
bool ListNamesType(const char *list, const char *type)
{
    if (!list || !type || !*type)
        return false;
    size_t n = strlen(type);
    const char *at = list;
    while (*at) {
        while (*at == ' ')
            at++;
        const char *end = strchr(at, ',');
        size_t length = end ? (size_t)(end - at) : strlen(at);
        while (length > 0 && at[length - 1] == ' ')
            length--;
        if (length == n && strncmp(at, type, n) == 0)
            return true;
        if (!end)
            break;
        at = end + 1;
    }
    return false;
}

// The weapon of that name with its assets kept resident; null when unknown.
Weapon *CachedWeapon(const char *name)
{
    Weapon *weapon = Weapon::GetWeapon(name);
    Stock *stock = WorldStock();
    if (weapon && stock)
        stock->CacheWeapon(weapon, true);
    return weapon;
}

// Whether the trooper holds a power-up's temporary weapon.
bool HoldsSuperWeapon(const Entity *e)
{
    return e->powerup_active && e->powerup_id && strcmp(e->powerup_id, "POWERUP_SUPER_WEAPON") == 0;
}

// Gives the trooper the weapon unless it holds a temporary one, its type is not named
// `type_name` or it already has that weapon.
void ArmTrooper(Entity *e, const char *type_name, Weapon *weapon)
{
    if (HoldsSuperWeapon(e) || !e->type || !e->type->name || strcmp(e->type->name, type_name) != 0)
        return;
    if (e->weapon == weapon)
        return;
    weapon->SetActive(e);
}

// Two particles of the upgrade's icon over every living trooper of the types it lists.
void HighlightUpgradedTroopers(const char *types, const char *icon_name)
{
    Scape *world = GetScape();
    if (!world || !world->stock || !types)
        return;
    ov_bitmap_t *icon = icon_name ? ov->OV_GetBitmap(icon_name) : nullptr;
    char name[64];
    const char *at = types;
    while (*at) {
        const char *end = strchr(at, ',');
        size_t length = end ? (size_t)(end - at) : strlen(at);
        if (length < sizeof name) {
            memcpy(name, at, length);
            name[length] = '\0';
            EntityType *type = world->stock->GetEntityType(name);
            Entity *found[kMaxHighlighted];
            int n = type ? world->QueryEntitiesOfType(type, Entity::MOVABLE, found, kMaxHighlighted) : 0;
            for (int i = 0; i < n && world->top_parts; i++) {
                vec2_t at_trooper = AdjustPosByAverageScale(found[i]->pos);
                part_t *first = world->top_parts->SpawnPart(at_trooper, icon, 1.5f);
                if (first && !PartMan::IsThrowaway(first)) {
                    first->age = -0.15f;
                    first->scale = 0.75f;
                    first->scale_graph = &graph_linear_0_1;
                    first->alpha_graph = &graph_smooth_fade;
                }
                part_t *second = world->top_parts->SpawnPart(at_trooper, icon, 1.0f);
                if (second && !PartMan::IsThrowaway(second)) {
                    second->blend_mode = 1;
                    second->scale = 1.15f;
                    second->scale_graph = &graph_linear_0_1;
                    second->alpha_graph = &graph_smooth_fade;
                }
            }
        }
        if (!end)
            break;
        at = end + 1;
    }
}

// Every living trooper back to its maximum hit points, with the health power-up's
// effect on each.
void HealTroopers()
{
    Scape *world = GetScape();
    if (!world)
        return;
    Entity *found[kMaxHealed];
    int n = world->QueryEntitiesInRadiusInFriendGroup(kFieldCentre, kFieldReach, Entity::MOVABLE, Entity::PLAYERS,
                                                      found, kMaxHealed);
    Powerup *health = Powerup::GetPowerup("POWERUP_HEALTH");
    fx_t *fx = health ? health->fx_activate : nullptr;
    for (int i = 0; i < n; i++) {
        if (!found[i]->IsAlive())
            continue;
        found[i]->hit_points = found[i]->max_hit_points;
        if (fx && world->top_parts)
            pbman.SpawnFX(world->top_parts, fx, AdjustPosByAverageScale(found[i]->pos), 0.0f, 0.0f);
    }
}

}  // namespace

void GameState::ActivateFeature(const char *name, bool on)
{
    ActivateFeature(name, on, true);
}

void GameState::ActivateFeature(const char *name, bool on, bool spawn_troopers)
{
    if (!on || !name)
        return;

    const char *types = dman().GetValue(kShopFile, kUpgrades, name, "upgraded_ent_types");
    if (types)
        HighlightUpgradedTroopers(types, dman().GetValue(kShopFile, kUpgrades, name, "icon"));

    if (strcmp(name, "ARTILLERY_1") == 0) {
        sman.PopScreen("Shop");
        artillery_aiming = 1;
    }
    if (strcmp(name, "HEAL") == 0)
        HealTroopers();
    if (strncmp(name, "SQUAD_SIZE_", 11) == 0 && name[11] >= '1' && name[11] <= '6' && name[12] == '\0')
        squad_size = name[11] - '0';
    if (strcmp(name, "REINFORCEMENT") == 0)
        sman.PushScreen("PickReinforcement", 0);
    for (const TrooperWord &word : kTrooperWords) {
        if (strcmp(name, word.feature) != 0 || !spawn_troopers)
            continue;
        Stock *stock = WorldStock();
        EntityType *type = stock ? stock->GetEntityType(word.type) : nullptr;
        if (type)
            SpawnReinforcementTrooper(type, -1);
    }
    if (strncmp(name, "REARM_", 6) == 0) {
        char *type = GetUnderscoreToken(name, 1);
        char *weapon = GetUnderscoreToken(name, 2);
        RearmEntitiesOfTypeWithNewWeapon(type, weapon);
        free(type);
        free(weapon);
    }
    if (strcmp(name, "PYRO_DEATHWISH") == 0) {
        pyro_deathwish = 1;
        Stock *stock = WorldStock();
        if (stock && !pyro_trooper_type)
            pyro_trooper_type = stock->GetEntityType("PyroTrooper");
        RearmEntitiesOfTypeWithNewWeapon("PyroTrooper", "PyroDeathwish");
    }
}

void GameState::ActivateFeature(Entity *e, const char *name, bool /*on*/)
{
    if (!e || !name)
        return;
    if (strcasecmp(name, "PYRO_DEATHWISH") == 0) {
        Weapon *weapon = CachedWeapon("PyroDeathwish");
        if (!weapon) {
            ov->OV_PrintDebugf(1, "RearmTroopers: Unknown weapon PyroDeathwish\n");
            return;
        }
        pyro_deathwish = 1;
        ArmTrooper(e, "PyroTrooper", weapon);
        return;
    }
    char *type = GetUnderscoreToken(name, 1);
    char *weapon_name = GetUnderscoreToken(name, 2);
    if (type && weapon_name && *weapon_name) {
        Weapon *weapon = CachedWeapon(weapon_name);
        if (!weapon)
            ov->OV_PrintDebugf(1, "RearmTroopers: Unknown weapon '%s'\n", weapon_name);
        else
            ArmTrooper(e, type, weapon);
    }
    free(type);
    free(weapon_name);
}

void GameState::AddFeature(const char *name)
{
    AddFeature(name, true);
}

void GameState::AddFeature(const char *name, bool spawn_troopers)
{
    if (!name || !*name)
        return;
    if (strlen(name) >= sizeof features[0].name) {
        ov->OV_Popupf(1, "Feature name '%.63s...' is too long (at most %d characters).\n", name,
                      (int)sizeof features[0].name - 1);
        return;
    }
    GameFeature *known = GetFeature(name);
    if (known) {
        if (known->count < UINT16_MAX)
            known->count++;
        return;
    }
    ActivateFeature(name, true, spawn_troopers);
    for (int i = 0; i < GAME_MAX_FEATURES; i++) {
        if (features[i].name[0])
            continue;
        strcpy(features[i].name, name);
        features[i].count = 1;
        if (num_features < i + 1)
            num_features = i + 1;
        return;
    }
}

void GameState::RemoveFeature(const char *name)
{
    GameFeature *feature = GetFeature(name);
    if (!feature)
        return;
    ActivateFeature(name, false);
    int index = (int)(feature - features);
    feature->name[0] = '\0';
    feature->count = 0;
    if (index == num_features - 1)
        num_features--;
}

bool GameState::DoesFeatureHaveFlag(const char *name, const char *flag)
{
    if (!name || !flag)
        return false;
    return HasWholeToken(dman().GetValue(kShopFile, kUpgrades, name, "flags"), flag);
}

bool GameState::HasUpgrades()
{
    DMArray *starting = level_db ? level_db->GetArray("starting_troopers") : nullptr;
    DMArray *upgrades = dman().GetArray(kShopFile, kUpgrades);
    if (!starting || !upgrades || !prof)
        return false;
    for (int i = 0; i < starting->GetSize(); i++) {
        DMNode *slot = starting->GetNode(i);
        const char *type = slot ? slot->GetValue("type") : nullptr;
        if (!type || !*type)
            continue;
        for (int j = 0; j < upgrades->GetSize(); j++) {
            DMNode *upgrade = upgrades->GetNode(j);
            if (!upgrade || !upgrade->id)
                continue;
            if (ListNamesType(upgrade->GetValue("upgraded_ent_types"), type) &&
                prof->TagExists("features", upgrade->id))
                return true;
        }
    }
    return false;
}

void GameState::RearmEntitiesOfTypeWithNewWeapon(const char *type_name, const char *weapon_name)
{
    Weapon *weapon = CachedWeapon(weapon_name);
    if (!weapon) {
        ov->OV_PrintDebugf(1, "RearmTroopers: Unknown weapon '%s'\n", weapon_name ? weapon_name : "");
        return;
    }
    Scape *world = GetScape();
    EntityType *type = world && world->stock ? world->stock->GetEntityType(type_name) : nullptr;
    if (!type) {
        ov->OV_PrintDebugf(1, "RearmTroopers: Unknown trooper type '%s'\n", type_name ? type_name : "");
        return;
    }
    Entity *found[kMaxRearmed];
    int n = world->QueryEntitiesInRadiusInFriendGroup(kFieldCentre, kFieldReach, Entity::MOVABLE, Entity::PLAYERS,
                                                      found, kMaxRearmed);
    for (int i = 0; i < n; i++) {
        if (found[i]->type == type && found[i]->IsAlive())
            ArmTrooper(found[i], type->name, weapon);
    }
}
