// The five trooper classes a player commands, each under the names the game's tables
// give it: the word of its buttons and texts, its feature id (also its node in
// "shop.xml" "Upgrades"), its entity type and its shop icon. One table, in the order the
// class buttons stand on the screens (minigun first).
#ifndef GAME_TROOPER_CLASSES_H
#define GAME_TROOPER_CLASSES_H

struct TrooperClass {
    const char *word;     // "Minigun"
    const char *feature;  // "MINIGUN_TROOPER"
    const char *type;     // "MinigunTrooper"
    const char *icon;     // "shop/minigun.png"
};

const int kTrooperClassCount = 5;
extern const TrooperClass kTrooperClasses[kTrooperClassCount];

// The class of an entity type name (exact comparison); null for any other name or null.
const TrooperClass *TrooperClassOfType(const char *type);
// The class of a feature id such as "PYRO_TROOPER", in any letter case; null for any
// other id or null.
const TrooperClass *TrooperClassOfFeature(const char *feature);

#endif
