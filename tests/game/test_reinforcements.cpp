// Power-up drops and troopers: the posts around the base, revivals that keep the
// trooper's record and statistics, the squad limit, drops from the level's "powerups"
// array, revivals and the reinforcement picker driven by the update.
#include "tests/game/battle_driver.h"

#include "app/services/random.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <math.h>

#include <string>
#include <vector>

namespace {

using battletest::Array;
using battletest::BattleTest;
using battletest::LevelXml;

const float kPi = 3.14159265358979f;

class ReinforceTest : public BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartBattleWorld();
    }
    void Start(const std::string &arrays, int mode = GAME_MODE_LEVEL)
    {
        StartLevel(mode, LevelXml(arrays));
    }
    EntityType *Trooper() { return world->stock->GetEntityType("Trooper"); }
    std::vector<SpawnInfo *> Queue()
    {
        std::vector<SpawnInfo *> out;
        for (SpawnInfo *s = world->spawn_manager->queue_head; s; s = s->next)
            out.push_back(s);
        return out;
    }
};

const char *kBunker = "<node id=\"bunker\" x=\"800\" y=\"400\"/>";

TEST_F(ReinforceTest, PostsFanOutLeftOfTheBase)
{
    Start(Array("environment", kBunker));
    game.squad_size = 6;
    const float angles[] = {-kPi - kPi / 6, -kPi - kPi / 18, -kPi + kPi / 18, -kPi + kPi / 6, -kPi + 5 * kPi / 18,
                            -kPi - kPi / 6};
    for (int k = 0; k < 6; k++) {
        Entity *t = game.SpawnReinforcementTrooper(Trooper(), -1);
        ASSERT_NE(nullptr, t) << k;
        EXPECT_FLOAT_EQ(800.0f - (40.0f + 10.0f + 1.0f), t->pos.x);  // beside the base
        EXPECT_FLOAT_EQ(400.0f, t->pos.y);
        EXPECT_EQ(-1, t->slot);
        EXPECT_FLOAT_EQ(-kPi, t->angle);
        EXPECT_FLOAT_EQ(-kPi, t->aim_angle);
        ASSERT_EQ(2, t->path->count);
        EXPECT_NEAR(800.0f + 140.0f * cosf(angles[k]), t->path->points[1].x, 1e-3f) << k;
        EXPECT_NEAR(400.0f + 140.0f * sinf(angles[k]), t->path->points[1].y, 1e-3f) << k;
        EXPECT_EQ(k + 1, game.troopers_spawned);
        EXPECT_EQ(k + 1, game.living_troopers);
        EXPECT_EQ(k + 1, game.most_troopers_held);
        EXPECT_EQ(t->weapon, t->base_weapon);
    }
    EXPECT_EQ(6, game.troopers.Count());
}

TEST_F(ReinforceTest, WithoutABaseTroopersArriveAtTheCentre)
{
    Start("");
    game.squad_size = 5;
    for (int k = 0; k < 2; k++) {
        Entity *t = game.SpawnReinforcementTrooper(Trooper(), k);
        ASSERT_NE(nullptr, t);
        EXPECT_FLOAT_EQ(512.0f, t->pos.x);
        EXPECT_FLOAT_EQ(384.0f, t->pos.y);
        float a = -kPi + (float)k / 5.0f * 2.0f * kPi;
        EXPECT_NEAR(512.0f + 40.0f * cosf(a), t->path->points[1].x, 1e-3f);
        EXPECT_NEAR(384.0f + 40.0f * sinf(a), t->path->points[1].y, 1e-3f);
    }
}

TEST_F(ReinforceTest, SquadLimitAndRefusals)
{
    Start(Array("environment", kBunker));
    game.squad_size = 2;
    EXPECT_EQ(nullptr, game.SpawnReinforcementTrooper(nullptr, 0));
    ASSERT_NE(nullptr, game.SpawnReinforcementTrooper(Trooper(), 0));
    ASSERT_NE(nullptr, game.SpawnReinforcementTrooper(Trooper(), 1));
    EXPECT_EQ(nullptr, game.SpawnReinforcementTrooper(Trooper(), 2));
    EXPECT_EQ(nullptr, game.SpawnReinforcementTrooper(Trooper(), 0));  // revivals too
    EXPECT_EQ(2, game.troopers_spawned);
    EXPECT_EQ(2, game.most_troopers_held);

    // A slot whose trooper lives is not revived.
    game.squad_size = 4;
    EXPECT_EQ(nullptr, game.SpawnReinforcementTrooper(Trooper(), 1));
    EXPECT_EQ(2, game.troopers.Count());
}

TEST_F(ReinforceTest, RevivalKeepsTheRecordAndItsStatistics)
{
    Start(Array("environment", kBunker));
    game.squad_size = 4;
    game.SpawnReinforcementTrooper(Trooper(), 0);
    game.SpawnReinforcementTrooper(Trooper(), 1);
    Entity *t = game.SpawnReinforcementTrooper(Trooper(), 2);
    ASSERT_NE(nullptr, t);
    t->damage_dealt = 120.5f;
    t->kills = 7;
    t->shots_fired = 99;
    t->deaths = 1;
    t->damage_taken = 42.0f;
    t->pos = vec2_t{300.0f, 300.0f};
    uint16_t before = world->group_counts[Entity::PLAYERS];
    world->KillEntity(t, nullptr, false);
    EXPECT_EQ(before - 1, world->group_counts[Entity::PLAYERS]);
    game.game_clock = 4321;

    Entity *again = game.SpawnReinforcementTrooper(Trooper(), 2);
    ASSERT_EQ(t, again);  // the same record
    EXPECT_TRUE(again->IsAlive());
    EXPECT_FLOAT_EQ(100.0f, again->hit_points);
    EXPECT_FLOAT_EQ(120.5f, again->damage_dealt);
    EXPECT_EQ(7, again->kills);
    EXPECT_EQ(99, again->shots_fired);
    EXPECT_EQ(1, again->deaths);
    EXPECT_FLOAT_EQ(42.0f, again->damage_taken);
    EXPECT_EQ(2, again->slot);
    EXPECT_EQ(4321u, again->select_time);
    EXPECT_FLOAT_EQ(749.0f, again->pos.x);  // back beside the base
    EXPECT_NE(nullptr, again->cell);
    EXPECT_EQ(before, world->group_counts[Entity::PLAYERS]);
    EXPECT_EQ(3, game.troopers_spawned);  // a revival is not a new trooper
    EXPECT_EQ(3, game.troopers.Count());
    // k = 3: the fourth post.
    EXPECT_NEAR(800.0f + 140.0f * cosf(-kPi + kPi / 6), again->path->points[1].x, 1e-3f);
}

TEST_F(ReinforceTest, TheSlotsUpgradeArmsTheTrooperAndBecomesItsBaseWeapon)
{
    WriteWeapons("<node id=\"Rifle\" clip_size=\"20\"/>\n<node id=\"Laser\" clip_size=\"10\"/>");
    WriteEntities(std::string(battletest::kBattleTypes) +
                  "<node id=\"Gunner\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\""
                  " hit_points=\"100\" weapon=\"Rifle\"/>");
    MakeWorld();
    Start(Array("environment", kBunker));
    game.squad_size = 3;
    profile.SetValue("team_setup", "Trooper_2", "active_upgrade", "REARM_Gunner_Laser");
    EntityType *gunner = world->stock->GetEntityType("Gunner");
    Weapon *rifle = Weapon::GetWeapon("Rifle");
    Weapon *laser = Weapon::GetWeapon("Laser");
    ASSERT_NE(nullptr, rifle);
    ASSERT_NE(nullptr, laser);

    Entity *plain = game.SpawnReinforcementTrooper(gunner, 0);
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(rifle, plain->weapon);
    EXPECT_EQ(rifle, plain->base_weapon);
    Entity *upgraded = game.SpawnReinforcementTrooper(gunner, 2);
    ASSERT_NE(nullptr, upgraded);
    EXPECT_EQ(laser, upgraded->weapon);
    EXPECT_EQ(laser, upgraded->base_weapon);

    // Revived, it keeps its upgrade.
    world->KillEntity(upgraded, nullptr, false);
    Entity *again = game.SpawnReinforcementTrooper(gunner, 2);
    ASSERT_EQ(upgraded, again);
    EXPECT_EQ(laser, again->weapon);
    EXPECT_EQ(laser, again->base_weapon);
}

TEST_F(ReinforceTest, UpdateRevivesOnePendingTrooperPerFrame)
{
    Start(Array("environment", kBunker) +
          Array("starting_troopers", "<node type=\"Trooper\"/>\n<node type=\"Trooper\"/>\n<node/>"));
    game.squad_size = 3;
    Frames(3);
    ASSERT_EQ(1, game.starting_troopers_placed);
    ASSERT_EQ(2, game.troopers.Count());  // the slot without a type is never placed
    world->KillEntity(game.troopers[0], nullptr, false);
    world->KillEntity(game.troopers[1], nullptr, false);
    Entity *other = world->SpawnEntity(Trooper(), vec2_t{100, 100});  // keeps the battle going
    game.troopers.InsertLast(other);
    other->slot = -1;
    game.pending_reinforcements = 3;
    Frames(1);
    EXPECT_EQ(2, game.pending_reinforcements);
    int alive = game.troopers[0]->IsAlive() + game.troopers[1]->IsAlive();
    EXPECT_EQ(1, alive);
    Frames(1);
    EXPECT_TRUE(game.troopers[0]->IsAlive());
    EXPECT_TRUE(game.troopers[1]->IsAlive());
    Frames(1);
    EXPECT_EQ(0, game.pending_reinforcements);  // nothing left to revive: dropped
    EXPECT_EQ(3, game.troopers.Count());
}

TEST_F(ReinforceTest, PowerUpDrops)
{
    std::string powerups = Array("powerups",
                                 "<node id=\"PowerupScore\" num=\"3\" pos_x=\"0.5\" pos_y=\"0.5\" spread=\"100\"/>\n"
                                 "<node id=\"PowerupHealth\" num=\"0\" pos_edge=\"3\"/>\n"
                                 "<node id=\"PowerupSuperWeapon\" num=\"2\" pos_x=\"-5\" pos_y=\"0.5\"/>");
    Start(powerups);
    game.SpawnPowerUp("Nothing");
    EXPECT_TRUE(Queue().empty());

    game.SpawnPowerUp("PowerupScore");
    std::vector<SpawnInfo *> q = Queue();
    ASSERT_EQ(3u, q.size());
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ((uint32_t)(i * 1000), q[i]->time);
        EXPECT_LE(hypotf(q[i]->pos.x - 512.0f, q[i]->pos.y - 384.0f), 100.01f);
        for (int j = 0; j < i; j++)  // clear of the copies queued before
            EXPECT_GE(hypotf(q[i]->pos.x - q[j]->pos.x, q[i]->pos.y - q[j]->pos.y), 1.5f * 12.0f);
    }
    world->spawn_manager->ClearSpawnList();

    game.SpawnPowerUp("PowerupHealth");  // num below 1 counts 1; clock position 3
    q = Queue();
    ASSERT_EQ(1u, q.size());
    EXPECT_FLOAT_EQ(1064.0f, q[0]->pos.x);
    world->spawn_manager->ClearSpawnList();

    game.SpawnPowerUp("PowerupSuperWeapon");  // never on the field: every copy skipped
    EXPECT_TRUE(Queue().empty());

    Start(Array("powerups", ""));
    game.SpawnPowerUp(nullptr);
    game.SpawnPowerUp("PowerupScore");
    EXPECT_TRUE(Queue().empty());
}

TEST_F(ReinforceTest, PickerWaitsWhileTheSquadIsFull)
{
    Start(Array("environment", kBunker) + Array("gameplay", "<node id=\"num_troopers_at_start\" value=\"2\"/>"));
    game.squad_size = 2;
    Entity *first = game.SpawnReinforcementTrooper(Trooper(), -1);
    ASSERT_NE(nullptr, game.SpawnReinforcementTrooper(Trooper(), -1));
    Frames(3);
    EXPECT_EQ(2, game.troopers_to_pick);
    EXPECT_TRUE(uitest::CallsOf("PickReinforcement:Enter").empty());
    world->KillEntity(first, nullptr, false);
    Frames(3);
    EXPECT_EQ(1, game.troopers_to_pick);  // the picker covers the battle now
    EXPECT_EQ(1u, uitest::CallsOf("PickReinforcement:Enter").size());
    EXPECT_TRUE(OnTop("PickReinforcement"));
}

}  // namespace
