// The spawn queue in the world: due items become entities with their facing and
// hit-point factor, a pause holds the clock, the enemies-left questions, and the
// warning signs' alpha, angle, scale and place.
#include "tests/game/test_scape_update_fixture.h"

#include "app/services/dataman.h"
#include "game/entities/stock.h"
#include "game/spawn-manager.h"
#include "ovrecords.h"

#include <math.h>
#include <vector>

using namespace worldtest;

namespace {

struct SignCall {
    float alpha;
    float x, y, angle, scale;
};
std::vector<SignCall> signs;
float current_alpha = 1.0f;
void (*real_set_alpha)(float) = nullptr;
void (*real_draw_rs)(ov_bitmap_t *, float, float, float, float) = nullptr;

void RecordAlpha(float a)
{
    current_alpha = a;
    real_set_alpha(a);
}

void RecordDraw(ov_bitmap_t *b, float x, float y, float angle, float scale)
{
    signs.push_back({current_alpha, x, y, angle, scale});
    real_draw_rs(b, x, y, angle, scale);
}

class SpawnWorldTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        spawner = world->spawn_manager;
        grunt.hit_points = 50.0f;
        grunt.ai = world->stock->GetEntityAI("Default");
    }
    SpawnManager *spawner = nullptr;
    ProbeType grunt{"Grunt"};
};

}  // namespace

TEST_F(SpawnWorldTest, DueItemsSpawnWithFacingAndHitPointFactor)
{
    SpawnInfo *item = spawner->AddSpawnInfo(100, &grunt, V(300, 200));
    ASSERT_NE(item, nullptr);
    item->angle = 0.7f;
    item->hit_point_factor = 1.5f;
    ASSERT_NE(spawner->AddSpawnInfo(250, &grunt, V(400, 200)), nullptr);

    spawner->Update(0.0f);  // a pause: the clock stands, nothing spawns
    EXPECT_EQ(spawner->clock, 0u);
    EXPECT_EQ(world->GetNumberOfEntitiesOfType(&grunt), 0);

    spawner->Update(0.1f);
    EXPECT_EQ(spawner->clock, 100u);
    Entity *list[4];
    ASSERT_EQ(world->QueryEntitiesOfType(&grunt, Entity::NORMAL, list, 4), 1);
    EXPECT_FLOAT_EQ(list[0]->pos.x, 300.0f);
    EXPECT_FLOAT_EQ(list[0]->angle, 0.7f);
    EXPECT_FLOAT_EQ(list[0]->hit_points, 75.0f);
    EXPECT_FLOAT_EQ(list[0]->max_hit_points, 75.0f);
    EXPECT_TRUE(spawner->AreEnemiesLeftToSpawn());

    spawner->Update(0.2f);
    EXPECT_EQ(world->GetNumberOfEntitiesOfType(&grunt), 2);
    EXPECT_FALSE(spawner->AreEnemiesLeftToSpawn());
}

TEST_F(SpawnWorldTest, ItemWhoseSpawnFailsIsDroppedAllTheSame)
{
    while (world->stock->GetFreeEntity(&grunt)) {
    }
    ASSERT_NE(spawner->AddSpawnInfo(0, &grunt, V(300, 200)), nullptr);
    spawner->Update(0.016f);
    EXPECT_FALSE(spawner->AreEnemiesLeftToSpawn());
    int free_items = 0;
    for (SpawnInfo *i = spawner->free_list; i; i = i->next)
        ++free_items;
    EXPECT_EQ(free_items, spawner->num_items);
}

TEST_F(SpawnWorldTest, EnemiesLeftCountsTheLivingAndTheQueued)
{
    EXPECT_FALSE(spawner->AreEnemiesLeft());
    Entity *enemy = Place(&grunt, V(100, 100), Entity::ENEMIES);
    EXPECT_TRUE(spawner->AreEnemiesLeft());
    enemy->state = Entity::STATE_DYING;
    EXPECT_FALSE(spawner->AreEnemiesLeft());
    ASSERT_NE(spawner->AddSpawnInfo(5000, &grunt, V(1, 1)), nullptr);
    EXPECT_TRUE(spawner->AreEnemiesLeft());
}

TEST_F(SpawnWorldTest, WarningSignsPulseInTheirLastTwoSecondsInsideTheField)
{
    // A sign of the shipped one's size.
    ov_bitmap_t *sign_bitmap = ov->OV_CreateBitmap("probe-sign", 48, 48, 1);
    world->stock->bm_incoming_enemies = sign_bitmap;
    spawner->AddSpawnInfo(1000, &grunt, V(300, 200));
    spawner->AddSpawnInfo(1900, &grunt, V(-50, 900));
    spawner->AddSpawnInfo(2000, &grunt, V(600, 200));   // two seconds away: not yet
    spawner->AddSpawnInfo(1500, &grunt, V(700, 200))->no_alert = 1;
    real_set_alpha = ov->OV_SetAlpha;
    real_draw_rs = ov->OV_DrawBitmapRS;
    ov->OV_SetAlpha = RecordAlpha;
    ov->OV_DrawBitmapRS = RecordDraw;
    signs.clear();
    apptest::draw = [this](float) { spawner->DrawSpawnAlerts(); };
    DrawFrame();
    ov->OV_SetAlpha = real_set_alpha;
    ov->OV_DrawBitmapRS = real_draw_rs;
    apptest::draw = nullptr;

    ASSERT_EQ(signs.size(), 2u);
    // Queue order: due at 1000 first.
    EXPECT_FLOAT_EQ(signs[0].alpha, 1.0f);  // 2 sin(pi / 2) clamped
    EXPECT_FLOAT_EQ(signs[0].x, 300.0f);
    EXPECT_NEAR(signs[0].angle, 0.1f * cosf(0.5f), 1e-6);
    EXPECT_NEAR(signs[0].scale, 0.8f, 1e-5);  // 0.9 + 0.1 cos(3 pi)
    EXPECT_NEAR(signs[1].alpha, 2.0f * sinf(0.95f * 3.14159265f), 1e-4);
    EXPECT_NEAR(signs[1].alpha, 0.31f, 0.01);
    // Out at the bottom-left corner: the whole sign (up to 1.1 of its size, turned a
    // little) stays on the screen.
    EXPECT_FLOAT_EQ(signs[1].x, 0.55f * 48.0f + 2.0f);
    EXPECT_FLOAT_EQ(signs[1].y, (float)sman.reference_height - (0.55f * 48.0f + 2.0f));

    // Frozen while the clock stands; gone once due.
    spawner->Update(0.0f);
    signs.clear();
    ov->OV_SetAlpha = RecordAlpha;
    ov->OV_DrawBitmapRS = RecordDraw;
    apptest::draw = [this](float) { spawner->DrawSpawnAlerts(); };
    DrawFrame();
    EXPECT_EQ(signs.size(), 2u);
    spawner->Update(1.95f);  // 1950: the first two spawned, 2000 is 50 ms away
    signs.clear();
    DrawFrame();
    ov->OV_SetAlpha = real_set_alpha;
    ov->OV_DrawBitmapRS = real_draw_rs;
    apptest::draw = nullptr;
    ASSERT_EQ(signs.size(), 1u);
    EXPECT_FLOAT_EQ(signs[0].x, 600.0f);
    world->stock->bm_incoming_enemies = nullptr;
    ov->OV_ReleaseBitmap(sign_bitmap);
}

TEST_F(SpawnWorldTest, GroupTypesComeFromTheWorldsStock)
{
    WriteEntities("<node id=\"Walker\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"30\"/>");
    apptest::WriteFile("spawn-groups.xml",
                       gametest::XmlArray("groups",
                                          "<node id=\"Pack\" formation=\"CIRCLE\" radius=\"20\" pos_x=\"300\" "
                                          "pos_y=\"300\" entity_type=\"Walker\" num_ents_base=\"3\"/>\n"
                                          "<node id=\"Ghosts\" formation=\"POINT\" entity_type=\"Nobody\" "
                                          "num_ents_base=\"3\"/>"));
    dman().ReleaseDatabase("spawn-groups.xml");
    spawner->Init();
    ASSERT_EQ(spawner->num_groups, 2);
    EntityType *walker = world->stock->GetEntityType("Walker");
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(spawner->groups[0].entity_type, walker);
    EXPECT_EQ(spawner->groups[1].entity_type, nullptr);  // unknown: the group queues nothing

    spawner->SpawnSpawnGroupNow("ghosts");
    EXPECT_FALSE(spawner->AreEnemiesLeftToSpawn());
    spawner->SpawnSpawnGroupNow("PACK");
    spawner->Update(0.016f);
    EXPECT_EQ(world->GetNumberOfEntitiesOfType(walker), 3);
    EXPECT_EQ(world->GetNumberOfEntitiesInFriendGroup(Entity::ENEMIES), 3);
}
