// The base structure's behaviour inside whole battle frames: the one-second force field
// every mission sets up runs down once the squad stands, and only then does the bunker
// take damage; a bunker destroyed in a running survival battle loses it.
#include "tests/game/battle_driver.h"

#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <gtest/gtest.h>

namespace {

using battletest::Array;
using battletest::BattleFrame;
using battletest::BattleTest;
using battletest::LevelXml;

const std::string kLevel = LevelXml(Array("environment", "<node id=\"bunker\" x=\"900\" y=\"384\"/>") +
                                    Array("starting_troopers", "<node type=\"Trooper\"/>"));

class BunkerBattle : public BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartBattleWorld();
    }
    Entity *Enemy()
    {
        Entity *alien = world->SpawnEntity(world->stock->GetEntityType("Alien"), vec2_t{100.0f, 100.0f});
        alien->age = 2.0f;
        return alien;
    }
};

TEST_F(BunkerBattle, SetUpForceFieldRunsDownThenTheBunkerTakesDamage)
{
    StartLevel(GAME_MODE_SURVIVAL, kLevel);
    ASSERT_NE(nullptr, game.base);
    EXPECT_FLOAT_EQ(1.0f, game.force_field_time);
    EXPECT_EQ(0, game.force_field_on);
    game.base->age = 2.0f;
    Entity *alien = Enemy();

    // Until the squad stands the field waits; then it runs for a second.
    ASSERT_TRUE(RunUntil([] { return game.living_troopers > 0 && game.force_field_on; }, 2.0f));
    float hp = game.base->hit_points;
    world->DealDamage(game.base, alien, 50.0f);
    EXPECT_FLOAT_EQ(hp, game.base->hit_points);
    EXPECT_EQ(1, game.force_field_hit);

    EXPECT_TRUE(RunUntil([] { return game.force_field_time <= 0.0f; }, 1.1f));
    EXPECT_EQ(0, game.force_field_on);
    EXPECT_FLOAT_EQ(1.0f, game.force_field_fade);
    world->DealDamage(game.base, alien, 50.0f);
    EXPECT_FLOAT_EQ(hp - 50.0f, game.base->hit_points);
}

TEST_F(BunkerBattle, DestroyedBunkerEndsTheBattle)
{
    StartLevel(GAME_MODE_SURVIVAL, kLevel);
    ASSERT_TRUE(RunUntil([] { return game.living_troopers > 0 && game.force_field_time <= 0.0f; }, 3.0f));
    Entity *alien = Enemy();
    game.base->age = 2.0f;
    world->DealDamage(game.base, alien, 5000.0f);
    EXPECT_EQ(1, game.lost);
    EXPECT_STREQ("GameLost", game.end_condition);
    EXPECT_FALSE(alien->IsAlive());
    for (int i = 0; i < game.troopers.Count(); i++)
        EXPECT_FALSE(game.troopers[i]->IsAlive());  // everything went silently
    BattleFrame(1.0f / 20.0f);
    EXPECT_EQ(0, game.lost_no_troopers);  // lost by the bunker, not by the squad
}

}  // namespace
