// The entity type tests' set-up on top of the game fixture: the engine's drawing calls
// recorded (each with the colour, alpha and blend in force), tiny generated bitmaps in
// the scratch res://, and a world whose stock's shared bitmaps exist.
#ifndef TESTS_GAME_ENTITIES_TEST_ENTITY_TYPES_FIXTURE_H
#define TESTS_GAME_ENTITIES_TEST_ENTITY_TYPES_FIXTURE_H

#include "tests/game/game_fixture.h"

#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "ovrecords.h"

#include <string>
#include <vector>

namespace enttypestest {

// One recorded call: the operation, its bitmap's name ("" for none) and numbers, and
// the colour, alpha and blend in force when it was made.
struct DrawCall {
    std::string op;
    std::string bitmap;
    std::vector<float> v;
    float r, g, b, alpha;
    int blend;
};

// Calls recorded since the last ClearCalls.
extern std::vector<DrawCall> calls;
void ClearCalls();
// The recorded calls of one operation, optionally only those on one bitmap.
std::vector<DrawCall> CallsOf(const std::string &op, const std::string &bitmap = "");

class EntityTypesTest : public gametest::GameTest {
protected:
    void TearDown() override;
    // The game on a w x h display, the stock's shared bitmaps written as small images,
    // the entities, weapons and power-ups tables written, the world built, and the
    // drawing calls recorded from then on (they still reach the renderer).
    Scape *StartWorld(const std::string &entities, const std::string &weapons = "",
                      const std::string &powerups = "", int w = 320, int h = 240);
    // A new entity of the named type spawned at the point (asserts it exists).
    Entity *Spawn(const char *type_name, vec2_t pos);
    // Runs the entity's type update n times with dt, adding dt to `age` first as the
    // world does.
    void Step(Entity *e, int n, float dt);
};

// A solid w x h image of one colour written into res:// under `name`.
void WriteImage(const std::string &name, int w, int h, int r, int g, int b, int a = 255);

}  // namespace enttypestest

#endif
