// The table of the five trooper classes and its two look-ups.
#include "game/trooper-classes.h"

#include <string.h>
#include <strings.h>

const TrooperClass kTrooperClasses[kTrooperClassCount] = {
    {"Minigun", "MINIGUN_TROOPER", "MinigunTrooper", "shop/minigun.png"},
    {"Shotgun", "SHOTGUN_TROOPER", "ShotgunTrooper", "shop/shotgun.png"},
    {"Bazooka", "BAZOOKA_TROOPER", "BazookaTrooper", "shop/bazooka.png"},
    {"Pyro", "PYRO_TROOPER", "PyroTrooper", "shop/pyro.png"},
    {"Sniper", "SNIPER_TROOPER", "SniperTrooper", "shop/sniper.png"},
};

const TrooperClass *TrooperClassOfType(const char *type)
{
    for (const TrooperClass &c : kTrooperClasses)
        if (type && strcmp(type, c.type) == 0)
            return &c;
    return nullptr;
}

const TrooperClass *TrooperClassOfFeature(const char *feature)
{
    for (const TrooperClass &c : kTrooperClasses)
        if (feature && strcasecmp(feature, c.feature) == 0)
            return &c;
    return nullptr;
}
