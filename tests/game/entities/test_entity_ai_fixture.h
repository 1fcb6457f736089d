// The behaviour base's tests on the game fixture: a world with a small table of
// entity kinds (enemies, troopers, a bunker, MedTents, a wall, pick-ups), scripted
// random values, the screen clock's one-second tick held still unless a test moves
// it, and the engine's sound calls recorded instead of played.
#ifndef TESTS_GAME_ENTITIES_TEST_ENTITY_AI_FIXTURE_H
#define TESTS_GAME_ENTITIES_TEST_ENTITY_AI_FIXTURE_H

#include "tests/game/game_fixture.h"

#include "app/services/random.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"

#include <string>
#include <vector>

namespace aitest {

// The kinds every test has: "Grunt" (ENEMIES, radius 10, aggro 200, damage 7),
// "Trooper" (PLAYERS, radius 10), "BaseBunker" (PLAYERS structure, radius 40,
// 1000 hit points), "MedTent" (PLAYERS structure, radius 30), "Wall" (movement-blocking
// only, radius 40) and "Powerup" (a PLAYERS pick-up of radius 20).
extern const char *const kEntityTypes;

// AppRandom() returns these values in order, then `fallback` for every further draw.
void ScriptRandom(const std::vector<int> &values, int fallback = 16383);
// Draws taken since the last ScriptRandom.
int RandomDrawsTaken();

// One sound the world asked the engine to play.
struct PlayedSound {
    ov_sound_t *sound;
    float volume;
    float pitch;
};

class EntityAITest : public gametest::GameTest {
protected:
    void TearDown() override;
    // The game up, the tables written (kEntityTypes unless `entities` is given), the
    // world built with its vector field zeroed, sounds recorded, and `ai` set to the
    // stock's "Default" behaviour.
    Scape *StartWorld(const std::string &weapons = "", const std::string &powerups = "",
                      const std::string &entities = kEntityTypes);
    // A live entity of that kind at p (null when the spawn fails).
    Entity *Spawn(const char *type_name, vec2_t p);
    // Makes the next IsIntervalElapsed(1.0) true (tick) or false (no tick).
    void SetSecondTick(bool tick);
    // Every cell of the vector field set to v.
    void FillField(vec2_t v);
    // Sounds played since the world was started.
    std::vector<PlayedSound> &Played();

    EntityAI *ai = nullptr;
};

}  // namespace aitest

#endif
