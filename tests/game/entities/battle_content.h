// Fixture content for whole battles with every behaviour kind: entity types (one per
// behaviour and per type variant), weapons, power-ups, the shared effects, the bunker's
// outline and the sprites. Shared by the all-kinds battle test and the battle benchmark.
#ifndef TESTS_GAME_ENTITIES_BATTLE_CONTENT_H
#define TESTS_GAME_ENTITIES_BATTLE_CONTENT_H

namespace battlecontent {

// Nodes of "entities.xml", "weapons.xml" and "powerups.xml".
extern const char kEntities[];
extern const char kWeapons[];
extern const char kPowerups[];

// The bunker's obstacle outline file, named by the levels' fixed entities.
extern const char kBunkerOutline[];

// Writes the effects the stock and the world spawn, the bunker's outline, an empty text
// table and the sprites into the program directory.
void WriteAssets();

}  // namespace battlecontent

#endif
