// Looking up the battle features active in the running mission (the table itself is
// filled by the shop and the wave script).
#include "game/gamestate.h"

#include <string.h>

GameFeature *GameState::GetFeature(const char *name)
{
    if (!name || !*name)
        return nullptr;
    int used = num_features < GAME_MAX_FEATURES ? num_features : GAME_MAX_FEATURES;
    for (int i = 0; i < used; i++) {
        if (features[i].name[0] && strncmp(features[i].name, name, sizeof features[i].name) == 0)
            return &features[i];
    }
    return nullptr;
}

bool GameState::IsFeatureActive(const char *name)
{
    return GetFeature(name) != nullptr;
}
