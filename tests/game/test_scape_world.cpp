// Building, resetting and freeing the whole world on the headless engine: the grid, the
// owned stock, spawn manager, vector field, particle layers and terrain bitmap.
#include "tests/game/game_fixture.h"

#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/spawn-manager.h"
#include "game/vector-field.h"
#include "ovrecords.h"

namespace {

class ScapeWorld : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame(640, 480);
        WriteEntities("<node id=\"Grunt\" flags=\"NORMAL\" friend_group=\"ENEMIES\" hit_points=\"10\" radius=\"8\"/>");
    }
};

}  // namespace

TEST_F(ScapeWorld, InitBuildsEverythingAndResets)
{
    Scape *w = MakeWorld(8, 6, 128.0f);
    EXPECT_EQ(w, GetScape());
    ASSERT_NE(nullptr, w->cells);
    EXPECT_EQ(8, w->num_columns);
    EXPECT_EQ(6, w->num_rows);
    EXPECT_EQ(1024, w->width);
    EXPECT_EQ(768, w->height);
    ASSERT_NE(nullptr, w->stock);
    EXPECT_EQ(512, w->stock->num_entities);
    EXPECT_EQ(512, w->stock->CountFreeEntities());
    ASSERT_NE(nullptr, w->spawn_manager);
    EXPECT_EQ(512, w->spawn_manager->num_items);
    ASSERT_NE(nullptr, w->vector_field);
    EXPECT_EQ(256, w->vector_field->width);
    EXPECT_EQ(192, w->vector_field->height);
    ASSERT_NE(nullptr, w->terrain);
    EXPECT_EQ(sman.virtual_width, w->terrain->width);
    EXPECT_EQ(sman.virtual_height, w->terrain->height);
    // Both layers made with 256 particles, then re-initialised by the reset with 1536.
    ASSERT_NE(nullptr, w->ground_parts);
    ASSERT_NE(nullptr, w->top_parts);
    EXPECT_EQ(1536, w->ground_parts->GetPoolSize());
    EXPECT_EQ(1536, w->top_parts->GetPoolSize());
    EXPECT_GE(w->ground_angle, 3.14159f);
    EXPECT_LE(w->ground_angle, 6.28319f);

    Entity *e = w->SpawnEntity(w->stock->GetEntityType("Grunt"), vec2_t{300.0f, 300.0f});
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(1, w->group_counts[Entity::ENEMIES]);
    w->Reset();
    EXPECT_EQ(0, w->group_counts[Entity::ENEMIES]);
    EXPECT_EQ(nullptr, e->type);
    EXPECT_EQ(nullptr, w->GetCellAt(vec2_t{300.0f, 300.0f})->first);

    // A second Init replaces everything of the first.
    w->Init(4, 3, 64.0f);
    EXPECT_EQ(256, w->width);
    EXPECT_EQ(192, w->height);
    EXPECT_EQ(64, w->vector_field->width);

    w->Free();
    EXPECT_EQ(nullptr, w->cells);
    EXPECT_EQ(nullptr, w->stock);
    EXPECT_EQ(nullptr, w->spawn_manager);
    EXPECT_EQ(nullptr, w->vector_field);
    EXPECT_EQ(nullptr, w->terrain);
    // Queries of a freed world find nothing.
    Entity *out[2];
    EXPECT_EQ(0, w->QueryEntitiesInRadius(vec2_t{1, 1}, 100.0f, Entity::NORMAL, out, 2));
}
