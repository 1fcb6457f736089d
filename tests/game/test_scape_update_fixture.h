// What the world update and drawing tests share: the world built on the game fixture
// with an 800 x 600 display and reference layout, probe entity types
// that record their calls (and may act inside them), entities placed by hand, a
// one-particle effect, and a check of every cell's ring.
#ifndef TESTS_GAME_TEST_SCAPE_UPDATE_FIXTURE_H
#define TESTS_GAME_TEST_SCAPE_UPDATE_FIXTURE_H

#include "tests/game/game_fixture.h"

#include "app/ui/partfx.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/scape.h"

#include <functional>
#include <vector>

namespace worldtest {

// An entity type whose update and draw are recorded; `on_update` runs inside the
// update, `fill` (alpha above 0) draws a square of the entity's radius in that colour.
class ProbeType : public EntityType {
public:
    explicit ProbeType(const char *name);
    void Update(Entity *e, float dt) override;
    void Draw(Entity *e) override;

    std::vector<float> steps;       // dt of every update
    std::vector<Entity *> drawn;    // every draw, in order
    std::vector<int> drawn_in_top_pass;  // the world's flag at each draw
    std::function<void(Entity *, float)> on_update;
    color_t fill = {0, 0, 0, 0};
};

class WorldTest : public gametest::GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs after the engine, the screens and the effect library start, before the
    // world is built (files the stock loads at its start go here).
    virtual void BeforeWorld() {}
    // A pool record of the type, alive at pos, in group PLAYERS with 100 hit points,
    // radius 10, age 1, linked into the world.
    Entity *Place(EntityType *type, vec2_t pos, int group = Entity::PLAYERS);
    // Every cell's ring walks back to its head in num_entities steps with consistent
    // links; returns the entities found.
    std::vector<Entity *> CheckRings();
    // A one-particle effect of a white 4 x 4 bitmap, long-lived, placed exactly.
    fx_t *Dot();
    // The live particles of a layer.
    static std::vector<part_t *> Particles(PartMan *layer);

    ov_bitmap_t *dot_bitmap = nullptr;
    fx_t dot_fx = {};
};

vec2_t V(float x, float y);

}  // namespace worldtest

#endif
