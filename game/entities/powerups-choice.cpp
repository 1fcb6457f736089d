// The weighted random choice of the next power-up to drop and its refusal rules by
// game mode and state (see powerups.h).
#include "game/entities/powerups.h"

#include "app/services/random.h"
#include "game/entities/entity.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <string.h>

namespace {

enum { kCountedPickups = 15, kAttempts = 10 };

bool Is(const Powerup *p, const char *id)
{
    return p->id && strcmp(p->id, id) == 0;
}

// A trooper of the roster alive with at most 75 % of its hit points.
bool AnyTrooperWounded()
{
    for (int i = 0; i < game.troopers.Count(); i++) {
        const Entity *t = game.troopers[i];
        if (t && t->IsAlive() && t->hit_points <= 0.75f * t->max_hit_points)
            return true;
    }
    return false;
}

// Why a drawn candidate may not drop now.
bool Refused(const Powerup *p, bool artillery_allowed)
{
    const int mode = game.parms.game_mode;
    if (p->min_level > 0 && mode == GAME_MODE_LEVEL && PowerupLevelNumber(game.parms.mission_id) < p->min_level)
        return true;
    if ((Is(p, "POWERUP_ENERGY_SHIELD") || Is(p, "POWERUP_REPAIR_BUNKER")) && !game.base)
        return true;
    if (Is(p, "POWERUP_SUPER_TROOPER") && mode == GAME_MODE_INCOMING)
        return true;
    if ((Is(p, "POWERUP_REINFORCEMENTS") || Is(p, "POWERUP_ALIEN_PETS")) &&
        (mode == 2 || mode == GAME_MODE_COLLECTOR || mode == GAME_MODE_INCOMING))
        return true;
    if (Is(p, "POWERUP_REPAIR_BUNKER") && game.base && game.base->hit_points > 0.9f * game.base->max_hit_points)
        return true;
    if (Is(p, "POWERUP_HEALTH") && !AnyTrooperWounded())
        return true;
    if (Is(p, "POWERUP_ARTILLERY") && !artillery_allowed)
        return true;
    return false;
}

}  // namespace

Powerup *Powerup::GetRandomPowerup()
{
    if (num_powerups <= 0)
        return nullptr;
    long total = 0;
    for (int i = 0; i < num_powerups; i++) {
        if (powerups[i].rarity > 0)
            total += powerups[i].rarity;
    }
    if (total <= 0)
        return nullptr;
    // The sum of 16 positive int32 weights fits a 64-bit long; a draw reaches 32767 at most.

    Entity *on_field[kCountedPickups];
    Scape *world = GetScape();
    int count = world ? world->QueryEntitiesInFriendGroup(Entity::POWERUP, Entity::PLAYERS, on_field,
                                                          kCountedPickups)
                      : 0;
    if (count >= upgrades.max_powerups)
        return nullptr;

    bool artillery_allowed = game.artillery_timer <= 0.0f && !game.artillery_aiming;
    for (int i = 0; i < count; i++) {
        if (on_field[i]->powerup && Is(on_field[i]->powerup, "POWERUP_ARTILLERY"))
            artillery_allowed = false;
    }

    for (int attempt = 0; attempt < kAttempts; attempt++) {
        long r = AppRandom() % total;
        long sum = 0;
        Powerup *candidate = nullptr;
        for (int i = 0; i < num_powerups && !candidate; i++) {
            if (powerups[i].rarity <= 0)
                continue;
            sum += powerups[i].rarity;
            if (sum > r)
                candidate = &powerups[i];
        }
        if (candidate && !Refused(candidate, artillery_allowed))
            return candidate;
    }
    ov->OV_PrintDebugf(1, "Unable to randomize powerup!\n");
    return nullptr;
}
