// Faults met by the marsh and foundry missions: a hive mind armed with an egg-laying
// weapon lays its eggs; a raider with a spitting weapon spits ahead at its target (an
// egg-laying raider still lays behind itself); and a field crowded with enemies up to
// the pool's limit leaves the squad records to shoot with.
#include "tests/game/entities/test_ai_enemies_fixture.h"

#include "game/entities/angles.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>

namespace {

using aitest::EnemyAITest;

const float kPi = 3.14159265358979f;

const char kExtraTypes[] =
    "<node id=\"Brood\" ai=\"HiveMind\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"100\" "
    "radius=\"10\" top_speed=\"40\" aggro_radius=\"50\" damage=\"7\" scale=\"1\" ai_parm_a=\"0.5\" "
    "controls_entities=\"Drone\" weapon=\"EggLayer\"/>\n"
    "<node id=\"Spitter\" ai=\"WaypointAttacker\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" "
    "hit_points=\"100\" radius=\"10\" top_speed=\"100\" aggro_radius=\"50\" damage=\"7\" scale=\"1\" "
    "ai_parm_a=\"0.5\" weapon=\"Gun\"/>\n"
    "<node id=\"Gunner\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" top_speed=\"70\" scale=\"1\" weapon=\"Gun\"/>\n";

class CampaignFaults : public EnemyAITest {
protected:
    void Start()
    {
        StartWorld(aitest::kEnemyWeapons, "", std::string(aitest::kEnemyTypes) + kExtraTypes);
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        game.game_clock = 100000;
    }
    Entity *Dummy(const char *kind, vec2_t at)
    {
        Entity *e = Spawn(kind, at);
        if (e)
            e->age = 1.0f;
        return e;
    }
    // The entity's behaviour and weapon for a number of frames.
    void Run(Entity *e, int frames, float dt = 1.0f / 30.0f)
    {
        for (int i = 0; i < frames && e->IsAlive(); i++) {
            e->type->ai->UpdateEntity(e, dt);
            e->type->ai->UpdateEntityWeapon(e, dt);
            e->age += dt;
        }
    }
};

TEST_F(CampaignFaults, HiveMindLaysEggsWithItsWeapon)
{
    Start();
    Entity *base = Spawn("BaseBunker", {800, 384});
    ASSERT_NE(base, nullptr);
    game.base = base;
    Entity *mother = Spawn("Brood", {300, 384});
    ASSERT_NE(mother, nullptr);
    ASSERT_NE(mother->weapon, nullptr);
    Run(mother, 90);  // three seconds
    std::vector<Entity *> eggs = LivingOfType("Egg");
    ASSERT_FALSE(eggs.empty());
    EXPECT_EQ(eggs[0]->friend_group, Entity::ENEMIES);
    EXPECT_GT(eggs[0]->splash_damage, 0.0f);  // it will burst for something
    game.base = nullptr;
}

TEST_F(CampaignFaults, RaiderSpitsAheadAtItsTarget)
{
    Start();
    Entity *raider = Spawn("Spitter", {300, 300});
    Entity *victim = Dummy("Ally", {300, 200});  // due north (screen up)
    ASSERT_TRUE(raider && victim);
    raider->age = 5.0f;
    raider->angle = 0.0f;  // facing east, away from the target
    raider->target = victim;
    raider->goal = raider->pos;  // at its goal, about to pick the next and fire
    raider->goal_timer = 0.01f;
    raider->goal_count = 1;
    raider->type->ai->UpdateEntity(raider, 0.05f);
    std::vector<Entity *> shots = LivingOfType("Slug");
    ASSERT_EQ(shots.size(), 1u);
    Entity *spit = shots[0];
    EXPECT_LT(spit->pos.y, raider->pos.y - 20.0f);  // from its front toward the target
    EXPECT_LT(spit->velocity.y, 0.0f);               // flying at it
    EXPECT_LT(fabsf(AngleDiff(spit->angle, -kPi / 2.0f)), 0.31f);
    EXPECT_EQ(spit->friend_group, Entity::ENEMIES);
}

TEST_F(CampaignFaults, RaiderWithoutTargetSpitsAtTheNearestTrooperInRange)
{
    Start();
    Entity *raider = Spawn("Spitter", {300, 300});
    Entity *trooper = Dummy("Ally", {180, 300});  // due west, within the gun's 300
    ASSERT_TRUE(raider && trooper);
    raider->age = 5.0f;
    raider->angle = 0.0f;
    raider->goal = raider->pos;
    raider->goal_timer = 0.01f;
    raider->goal_count = 1;
    raider->type->ai->UpdateEntity(raider, 0.05f);
    std::vector<Entity *> shots = LivingOfType("Slug");
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_LT(shots[0]->pos.x, raider->pos.x);
    EXPECT_LT(shots[0]->velocity.x, 0.0f);
}

TEST_F(CampaignFaults, EggLayingRaiderStillLaysBehindItself)
{
    Start();
    Entity *raider = Spawn("Raider", {300, 300});
    ASSERT_NE(raider, nullptr);
    raider->age = 5.0f;
    raider->angle = 0.0f;
    raider->goal = raider->pos;
    raider->goal_timer = 0.01f;
    raider->goal_count = 1;
    raider->type->ai->UpdateEntity(raider, 0.05f);
    std::vector<Entity *> eggs = LivingOfType("Egg");
    ASSERT_EQ(eggs.size(), 1u);
    EXPECT_NEAR(eggs[0]->pos.x, 300.0f - 26.0f, 0.5f);
}

// Waves up to the pool's limit: the spawn manager stops short of the squad's reserve
// (the rest is dropped, as when the pool is exhausted), enemy weapons fire nothing into
// it, and a trooper still gets its bullet.
TEST_F(CampaignFaults, CrowdedFieldLeavesTheSquadItsShots)
{
    Start();
    SpawnManager *spawns = world->spawn_manager;
    ASSERT_NE(spawns, nullptr);
    for (int i = 0; i < 520; i++)
        spawns->AddSpawnInfo(0, world->stock->GetEntityType("Target"), vec2_t{900.0f, 100.0f});
    spawns->Update(0.1f);
    EXPECT_EQ(world->stock->CountFreeEntities(), Stock::PLAYER_RESERVE + 1);
    EXPECT_FALSE(spawns->AreEnemiesLeftToSpawn());  // the rest is dropped

    Entity *enemy_gun = LivingOfType("Target")[0];
    Weapon::GetWeapon("Gun")->SetActive(enemy_gun);
    Weapon::GetWeapon("Gun")->Fire(enemy_gun, enemy_gun->pos, 0.0f);
    EXPECT_EQ(LivingOfType("Slug").size(), 0u);

    Entity *gunner = Spawn("Gunner", {600, 100});
    ASSERT_NE(gunner, nullptr);
    Weapon::GetWeapon("Gun")->Fire(gunner, gunner->pos, 0.0f);
    std::vector<Entity *> shots = LivingOfType("Slug");
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0]->friend_group, Entity::PLAYERS);
}

}  // namespace

namespace {

// A hit slows an enemy to 0.6 of its speed; it regains half the loss each second, so
// that one hit often enough does not leave it rooted to the spot for good. A trooper
// regains its walking speed the same way (a squad hit often enough stood still for good
// and never reached the last enemies at the bunker), up to its weapon's walking speed and
// no further.
TEST_F(CampaignFaults, HitEnemyFindsItsFeetAgain)
{
    Start();
    Entity *seeker = Spawn("Seeker", {300, 300});
    Entity *trooper = Spawn("Gunner", {600, 600});
    ASSERT_TRUE(seeker && trooper);
    seeker->age = trooper->age = 1.0f;  // past the newborn's grace
    for (int i = 0; i < 10; i++)
        world->DealDamage(seeker, nullptr, 1.0f);
    float hit_speed = seeker->speed;
    EXPECT_LT(hit_speed, 1.0f);  // 100 x 0.6^10
    seeker->type->Update(seeker, 1.0f);
    EXPECT_NEAR(seeker->speed, hit_speed + (100.0f - hit_speed) * 0.5f, 0.01f);
    for (int i = 0; i < 300; i++)
        seeker->type->Update(seeker, 1.0f / 30.0f);
    EXPECT_GT(seeker->speed, 95.0f);
    EXPECT_LE(seeker->speed, 100.0f);

    Weapon *gun = Weapon::GetWeapon("Gun");
    ASSERT_NE(gun, nullptr);
    const float walk = 70.0f * gun->wielding_ent_move_speed_mul;
    trooper->weapon = gun;
    trooper->speed = walk;
    for (int i = 0; i < 10; i++)
        world->DealDamage(trooper, nullptr, 1.0f);
    float trooper_speed = trooper->speed;
    EXPECT_LT(trooper_speed, 0.01f * walk + 0.5f);
    trooper->type->Update(trooper, 1.0f);
    EXPECT_NEAR(trooper->speed, trooper_speed + (walk - trooper_speed) * 0.5f, 0.01f);
    for (int i = 0; i < 300; i++)
        trooper->type->Update(trooper, 1.0f / 30.0f);
    EXPECT_GT(trooper->speed, 0.95f * walk);
    EXPECT_LE(trooper->speed, walk);

    // A faster power-up speed is kept: recovery never slows a trooper down.
    trooper->speed = 1.6f * walk;
    trooper->type->Update(trooper, 1.0f);
    EXPECT_FLOAT_EQ(trooper->speed, 1.6f * walk);
}

}  // namespace
