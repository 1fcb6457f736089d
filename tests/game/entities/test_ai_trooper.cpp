// The trooper behaviour in a world: the walk along a drawn path with its arrival ramp
// and the speed booster, target upkeep and primary targets, aim and trigger, the idle
// reload, and what a death changes (counters, star, blast pick-up, selection, markers,
// the PyroTrooper's ring and the deathwish replacement). "Player" does nothing.
#include "tests/game/entities/test_entity_ai_fixture.h"

#include "tests/app/services/app_engine_fixture.h"

#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/ai-trooper.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <string>

namespace {

using aitest::EntityAITest;
using aitest::ScriptRandom;

const float kPi = 3.14159265358979f;

const char *const kTypes =
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"100\" radius=\"10\" "
    "scale=\"1\"/>\n"
    "<node id=\"Soldier\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" scale=\"1\" top_speed=\"100\" weapon=\"Rifle\"/>\n"
    "<node id=\"PyroTrooper\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" scale=\"1\" top_speed=\"80\" weapon=\"PyroGas\"/>\n"
    "<node id=\"Inert\" ai=\"Player\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" scale=\"1\" top_speed=\"100\" weapon=\"Rifle\"/>\n"
    "<node id=\"Talker\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" scale=\"2\" weapon=\"Idler\" snd_select1=\"sfx/hello.wav\"/>\n"
    "<node id=\"Gas\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"1\" damage=\"4\" scale=\"1\"/>\n"
    "<node id=\"Slug\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"1\" damage=\"10\" scale=\"1\"/>\n"
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" "
    "hit_points=\"1000\" radius=\"40\" scale=\"1\"/>\n"
    "<node id=\"Powerup\" type=\"Powerup\" ai=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
    "hit_points=\"1\" radius=\"20\" scale=\"1\"/>\n";

const char *const kWeapons =
    "<node id=\"Rifle\" projectile_entity=\"Slug\" projectile_range=\"200\" clip_size=\"10\" reload_size=\"10\" "
    "reload_time=\"1\"/>\n"
    "<node id=\"PyroGas\" projectile_entity=\"Gas\" projectile_range=\"60\" projectile_range_random=\"0.5\" "
    "projectile_angle_spread=\"0.2\" projectile_damage_multiplier=\"2\" projectile_splash_damage=\"30\" "
    "projectile_splash_range=\"50\" clip_size=\"8\"/>\n"
    "<node id=\"PyroFlame\" projectile_entity=\"Slug\" projectile_angle_spread=\"0.4\" clip_size=\"6\"/>\n"
    "<node id=\"FireTrail\" projectile_entity=\"Slug\" projectile_range=\"100\" clip_size=\"50\"/>\n"
    "<node id=\"Idler\" projectile_entity=\"Slug\" barrel_x=\"10\" barrel_y=\"5\" fx_idle=\"fxs/idle-test.lua\"/>\n"
    "<node id=\"Endless\" inherit=\"PyroGas\" clip_size=\"1000000\"/>\n";

const char *const kPowerups =
    "<node id=\"POWERUP_BOOM\" name=\"Boom\" rarity=\"1\" min_level=\"12\"/>\n"
    "<node id=\"POWERUP_HEALTH\" name=\"Health\" rarity=\"1\"/>\n";

class TrooperTest : public EntityAITest {
protected:
    void SetUp() override
    {
        EntityAITest::SetUp();  // a scratch program folder and a fresh game state
        StartWorld(kWeapons, kPowerups, kTypes);
        ASSERT_TRUE(Powerup::LoadPowerups());
        trooper_ai = world->stock->GetEntityAI("Trooper");
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        game.squad_size = 8;
    }
    void TearDown() override
    {
        g_battle_enter_phase = 0;
        EntityAITest::TearDown();
    }
    // A grown-up trooper of that kind, armed with a full clip and nothing to reload.
    Entity *Trooper(const char *type, vec2_t p)
    {
        Entity *e = Spawn(type, p);
        if (e && e->weapon) {
            e->weapon->SetActive(e);
            e->age = 2.0f;
        }
        return e;
    }
    // A straight path from `from` east over `length` units (points 10 apart).
    void GivePath(Entity *e, vec2_t from, float length)
    {
        e->path = new MovePath;
        for (float d = 0.0f; d <= length + 0.01f; d += 10.0f)
            e->path->AddPoint(vec2_t{from.x + d, from.y});
        e->path_pos = 0.0f;
    }
    int CountOf(const char *type)
    {
        Entity *list[512];
        return world->QueryEntitiesOfType(world->stock->GetEntityType(type), Entity::ALL_FLAGS, list, 512);
    }

    EntityAI *trooper_ai = nullptr;
};

// Each row's "ai" word gives its entities that behaviour, driven through the type as the
// world drives it: a "Trooper" row walks the path it is given, a "Player" row given the
// same path stays where it stands.
TEST_F(TrooperTest, EachRowBehavesAsItsAiWordSays)
{
    Entity *walker = Trooper("Soldier", {100, 300});
    Entity *inert = Trooper("Inert", {100, 500});
    ASSERT_NE(nullptr, walker->type->ai);
    ASSERT_NE(nullptr, inert->type->ai);
    GivePath(walker, {100, 300}, 100.0f);
    GivePath(inert, {100, 500}, 100.0f);
    for (int frame = 0; frame < 5; frame++) {
        walker->type->ai->UpdateEntity(walker, 0.1f);
        inert->type->ai->UpdateEntity(inert, 0.1f);
    }
    EXPECT_GT(walker->path_pos, 10.0f);
    EXPECT_GT(walker->pos.x, 110.0f);
    EXPECT_FLOAT_EQ(0.0f, inert->path_pos);
    EXPECT_FLOAT_EQ(100.0f, inert->pos.x);
    EXPECT_FLOAT_EQ(500.0f, inert->pos.y);
}

// Throttle and distance along a 100-unit path, frame by frame, with and without the
// booster (dt x 1.4 for the whole update).
TEST_F(TrooperTest, PathWalkRampsUpAndTheBoosterSpeedsItUp)
{
    struct Row {
        bool booster;
        float throttle[2];
        float path_pos[2];
    } rows[] = {
        {false, {0.5f, 1.0f}, {5.0f, 15.0f}},    // 0.5 x 100 x 0.1, then + 1 x 100 x 0.1
        {true, {0.7f, 1.0f}, {9.8f, 23.8f}},     // dt 0.14: 0.7 x 100 x 0.14, then + 14
    };
    for (const Row &row : rows) {
        if (row.booster)
            game.AddFeature("SPEED_BOOSTER");
        Entity *e = Trooper("Soldier", {100, 300});
        GivePath(e, {100, 300}, 100.0f);
        for (int f = 0; f < 2; f++) {
            float before = e->path_pos;
            trooper_ai->UpdateEntity(e, 0.1f);
            EXPECT_NEAR(row.throttle[f], e->throttle, 1e-5f) << row.booster << " frame " << f;
            EXPECT_NEAR(row.path_pos[f], e->path_pos, 1e-4f) << row.booster << " frame " << f;
            // The body stands at the point reached before this frame's step.
            EXPECT_NEAR(100.0f + before, e->pos.x, 1e-3f);
            EXPECT_EQ(game.game_clock, e->select_time);
        }
        world->KillEntity(e, nullptr, true);
        game.RemoveFeature("SPEED_BOOSTER");
    }
}

TEST_F(TrooperTest, ArrivalSlowsOverTheLastTenUnitsAndTheEndResetsThePath)
{
    Entity *e = Trooper("Soldier", {100, 300});
    GivePath(e, {100, 300}, 100.0f);
    e->path_pos = 95.0f;
    e->throttle = 1.0f;
    e->phase = 0.0f;
    e->angle = 1.0f;
    trooper_ai->UpdateEntity(e, 0.1f);
    EXPECT_FLOAT_EQ(0.5f, e->throttle);                    // remaining 5 of 10
    EXPECT_NEAR(2.0f * 0.5f * 0.1f * 0.5f, e->phase, 1e-6f);  // once more x remaining / 10
    // 95 + 0.5 x 100 x 0.1 reaches the end: back to 0 with the path emptied.
    EXPECT_FLOAT_EQ(0.0f, e->path_pos);
    EXPECT_EQ(0, e->path->count);
    EXPECT_FLOAT_EQ(1.0f, e->angle);  // the last step of a path turns nothing

    // Chilled for 1.5 s: half the step.
    Entity *cold = Trooper("Soldier", {100, 400});
    GivePath(cold, {100, 400}, 100.0f);
    cold->throttle = 1.0f;
    cold->chill_time = 1.5f;
    trooper_ai->UpdateEntity(cold, 0.1f);
    EXPECT_NEAR(5.0f, cold->path_pos, 1e-4f);
    trooper_ai->UpdateEntity(cold, 0.1f);
    EXPECT_NEAR(0.0f, cold->angle, 1e-5f);  // heading east along the path
}

// A mono 16-bit WAV of `frames` silent samples at 22050 Hz.
void WriteWav(const std::string &name, int frames)
{
    std::string bytes = "RIFF";
    auto put = [&bytes](uint32_t v, int n) {
        for (int i = 0; i < n; i++)
            bytes += (char)((v >> (8 * i)) & 0xff);
    };
    put(36 + 2 * frames, 4);
    bytes += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(22050, 4);
    put(44100, 4);
    put(2, 2);
    put(16, 2);
    bytes += "data";
    put(2 * frames, 4);
    bytes.append((size_t)(2 * frames), '\0');
    apptest::WriteFile(name, bytes);
}

// The selection voice at birth, except while a saved battle is resumed; the weapon's
// idle effect at the muzzle on the 0.0125 s tick.
TEST_F(TrooperTest, BirthVoiceAndIdleEffect)
{
    WriteWav("sfx/hello.wav", 100);
    apptest::WriteFile("fxs/idle-test.lua",
                       "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 5, 5)");
    size_t played = Played().size();
    Entity *e = Spawn("Talker", {300, 300});
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(played + 1, Played().size());
    EXPECT_FLOAT_EQ(1.0f, Played().back().pitch);
    g_battle_enter_phase = 1;
    Spawn("Talker", {400, 300});
    EXPECT_EQ(played + 1, Played().size());

    int top = world->top_parts->GetLiveCount();
    SetSecondTick(false);
    trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_EQ(top, world->top_parts->GetLiveCount());
    sman.prev_time_ms = 1007;  // the screen clock crosses a tick of the short interval
    sman.time_ms = 1008;
    trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_EQ(top + 1, world->top_parts->GetLiveCount());
}

TEST_F(TrooperTest, PlayerDoesNothing)
{
    Entity *e = Trooper("Inert", {300, 300});
    GivePath(e, {300, 300}, 50.0f);
    Spawn("Grunt", {350, 300});
    Entity before = *e;
    world->stock->GetEntityAI("Player")->UpdateEntity(e, 0.5f);
    EXPECT_EQ(0, memcmp(&before, e, sizeof before));
}

// Target upkeep: the nearest enemy within weapon range is taken; a dying one is kept
// for 0.5 s; a target whose edge is beyond 1.1 x range is dropped.
TEST_F(TrooperTest, TargetUpkeep)
{
    struct Row {
        float enemy_x;   // the trooper stands at 300
        bool preset;     // the enemy is already the target
        float dying;     // < 0: alive; else seconds dying
        bool kept;
    } rows[] = {
        {450, false, -1, true},    // 150 < range 200
        {510, false, -1, false},   // 210: outside the search
        {525, true, -1, true},     // edge 215 <= 220
        {535, true, -1, false},    // edge 225 > 1.1 x 200
        {400, true, 0.3f, true},   // dying for 0.3 s
        {400, true, 0.6f, false},  // dying for 0.6 s
    };
    for (const Row &row : rows) {
        Entity *e = Trooper("Soldier", {300, 300});
        Entity *enemy = Spawn("Grunt", {row.enemy_x, 300});
        if (row.preset)
            e->target = enemy;
        if (row.dying >= 0.0f) {
            world->KillEntity(enemy, nullptr, true);
            enemy->phase = row.dying;
        }
        trooper_ai->UpdateEntity(e, 0.01f);
        EXPECT_EQ(row.kept ? enemy : nullptr, e->target) << row.enemy_x << " " << row.dying;
        world->KillEntity(e, nullptr, true);
        world->KillEntity(enemy, nullptr, true);
        world->stock->FreeEntity(e);
        world->stock->FreeEntity(enemy);
    }
}

TEST_F(TrooperTest, PrimaryTargetInRangeIsPreferred)
{
    Entity *e = Trooper("Soldier", {300, 300});
    Entity *near = Spawn("Grunt", {340, 300});
    Entity *marked_far = Spawn("Grunt", {600, 300});   // 300 away: out of range
    Entity *marked = Spawn("Grunt", {300, 450});       // 150 away
    controls.targets.InsertLast(Controls::TargetMarker{marked_far, 0.0f});
    trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_EQ(near, e->target);  // the only marked one is out of range
    controls.targets.InsertLast(Controls::TargetMarker{marked, 0.0f});
    trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_EQ(marked, e->target);
}

TEST_F(TrooperTest, AimTurnsAndTheTriggerSnaps)
{
    struct Row {
        float target_angle;
        float dt;
        float aim_after;
        bool trigger;
    } rows[] = {
        // gap pi/2: a turn of 2 pi x (pi/2) x 0.1
        {kPi / 2, 0.1f, 2.0f * kPi * (kPi / 2) * 0.1f, false},
        // gap 0.2: the turn 2 pi x 0.3 x 0.1 reaches it, then the snap
        {0.2f, 0.1f, 0.2f, true},
        // gap 0.15 with a tiny step of 2 pi x 0.3 x 0.01: 0.131 left, no trigger
        {0.15f, 0.01f, 2.0f * kPi * 0.3f * 0.01f, false},
        // gap 0.115, the step leaves under 0.1: the aim snaps onto the target
        {0.115f, 0.01f, 0.115f, true},
    };
    for (const Row &row : rows) {
        Entity *e = Trooper("Soldier", {300, 300});
        Entity *enemy = Spawn("Grunt", {300 + 100 * cosf(row.target_angle), 300 + 100 * sinf(row.target_angle)});
        e->target = enemy;
        e->aim_angle = 0.0f;
        trooper_ai->UpdateEntity(e, row.dt);
        EXPECT_NEAR(row.aim_after, e->aim_angle, 2e-4f) << row.target_angle;
        EXPECT_EQ(row.trigger, e->trigger) << row.target_angle;
        world->KillEntity(e, nullptr, true);
        world->KillEntity(enemy, nullptr, true);
    }
}

TEST_F(TrooperTest, NoFireWithoutLivingEnemiesExceptFireTrail)
{
    Entity *e = Trooper("Soldier", {300, 300});
    Entity *enemy = Spawn("Grunt", {350, 300});
    world->KillEntity(enemy, nullptr, true);  // dying: still a target, but nobody alive
    e->target = enemy;
    e->aim_angle = 0.0f;
    trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_EQ(enemy, e->target);
    EXPECT_FALSE(e->trigger);

    Entity *trail = Trooper("Soldier", {600, 300});
    Weapon::GetWeapon("FireTrail")->SetActive(trail);
    trooper_ai->UpdateEntity(trail, 0.01f);
    EXPECT_EQ(nullptr, trail->target);
    EXPECT_TRUE(trail->trigger);
}

TEST_F(TrooperTest, IdleReloadBetweenWaves)
{
    struct Row {
        float ammo;
        bool enemy_alive;
        bool super_weapon;
        float reload_timer;
        float ammo_after;
    } rows[] = {
        {5, false, false, 0, 0},    // below 75 %: emptied so the weapon step reloads
        {7.5f, false, false, 0, 7.5f},  // exactly 75 %: kept
        {5, true, false, 0, 5},     // an enemy lives (out of range): kept
        {5, false, true, 0, 5},     // super weapon running: kept
        {5, false, false, 0.5f, 5}, // already reloading
    };
    for (const Row &row : rows) {
        Entity *e = Trooper("Soldier", {300, 300});
        Entity *enemy = row.enemy_alive ? Spawn("Grunt", {900, 700}) : nullptr;
        e->ammo = row.ammo;
        e->reload_timer = row.reload_timer;
        if (row.super_weapon) {
            e->powerup_active = true;
            e->powerup_id = "POWERUP_SUPER_WEAPON";
        }
        trooper_ai->UpdateEntity(e, 0.01f);
        EXPECT_FLOAT_EQ(row.ammo_after, e->ammo) << row.ammo << row.enemy_alive << row.super_weapon;
        world->KillEntity(e, nullptr, true);
        if (enemy)
            world->KillEntity(enemy, nullptr, true);
    }
}

TEST_F(TrooperTest, BirthCountsAndDeathCountsUnselectsAndDropsDeadMarkers)
{
    int living = game.living_troopers;
    Entity *e = Trooper("Soldier", {300, 300});
    EXPECT_EQ(living + 1, game.living_troopers);
    controls.selection[0].entity = e;
    Entity *alive = Spawn("Grunt", {600, 300});
    Entity *dead = Spawn("Grunt", {650, 300});
    controls.targets.InsertLast(Controls::TargetMarker{dead, 0.0f});
    controls.targets.InsertLast(Controls::TargetMarker{alive, 0.0f});
    world->KillEntity(dead, nullptr, true);

    world->KillEntity(e, alive, false);
    EXPECT_EQ(living, game.living_troopers);
    EXPECT_EQ(1, game.troopers_lost);
    EXPECT_EQ(1, e->deaths);
    EXPECT_EQ(nullptr, controls.selection[0].entity);
    ASSERT_EQ(1, controls.targets.Count());
    EXPECT_EQ(alive, controls.targets[0].entity);
}

// LEVEL mode: a star-lost effect above one star, and the blast pick-up only from its
// min_level (12) on, placed near the middle of the screen.
TEST_F(TrooperTest, BoomDropOnlyFromItsLevel)
{
    // The stock's shared star effect, replaced by one of two particles made here (the
    // stock fetched its own before this test's files existed).
    apptest::WriteFile("fxs/star-test.lua",
                       "FXParm ('num_parts', 2) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 5, 5)");
    world->stock->fx_star_lost[1] = pbman.GetFX("fxs/star-test.lua");
    struct Row {
        int mode;
        const char *mission;
        int troopers_lost;  // stars = 5 - lost
        bool star;
        bool boom;
    } rows[] = {
        {GAME_MODE_LEVEL, "MISSION2_3", 0, true, true},    // number 13
        {GAME_MODE_LEVEL, "MISSION2_2", 0, true, true},    // 12
        {GAME_MODE_LEVEL, "MISSION2_1", 0, true, false},   // 11
        {GAME_MODE_LEVEL, "MISSION2_3", 4, false, false},  // one star left: nothing
        {GAME_MODE_SURVIVAL, "MISSION2_3", 0, false, false},
    };
    for (const Row &row : rows) {
        game.parms.game_mode = row.mode;
        snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", row.mission);
        game.troopers_lost = row.troopers_lost;
        Entity *e = Trooper("Soldier", {100, 100});
        int pickups = CountOf("Powerup");
        int top = world->top_parts->GetLiveCount();
        world->KillEntity(e, nullptr, false);
        EXPECT_EQ(row.star ? top + 2 : top, world->top_parts->GetLiveCount()) << row.mission;
        ASSERT_EQ(pickups + (row.boom ? 1 : 0), CountOf("Powerup")) << row.mission;
        if (row.boom) {
            Entity *list[8];
            int n = world->QueryEntitiesOfType(world->stock->GetEntityType("Powerup"), Entity::ALL_FLAGS, list, 8);
            Entity *p = list[n - 1];
            EXPECT_EQ(Powerup::GetPowerup("POWERUP_BOOM"), p->powerup);
            EXPECT_LE(hypotf(p->pos.x - 512.0f, p->pos.y - 384.0f), 300.01f);
            world->KillEntity(p, nullptr, true);
        }
    }
}

// A dying PyroTrooper with "PyroGas" and a clip of 8: eight clouds 45 degrees apart from
// a random start, each with its spread, range and damage; every draw scripted at 0.75.
TEST_F(TrooperTest, DyingPyroTrooperLeavesARingOfGas)
{
    Entity *e = Trooper("PyroTrooper", {400, 300});
    ScriptRandom({}, 24575);  // 24575 / 32767 = 0.75
    world->KillEntity(e, nullptr, false);
    Entity *list[16];
    int n = world->QueryEntitiesOfType(world->stock->GetEntityType("Gas"), Entity::ALL_FLAGS, list, 16);
    ASSERT_EQ(8, n);
    float fraction = 24575.0f / 32767.0f;
    float start = -kPi + 2.0f * kPi * fraction;
    float offset = (fraction - 0.5f) * 0.2f;
    for (int i = 0; i < n; i++) {
        EXPECT_NEAR(start + i * kPi / 4 + offset, list[i]->angle, 1e-4f) << i;
        EXPECT_EQ(e, list[i]->owner);
        EXPECT_EQ(Entity::PLAYERS, list[i]->friend_group);
        EXPECT_FLOAT_EQ(1.0f, list[i]->age);
        EXPECT_FLOAT_EQ(0.0f, list[i]->speed);
        EXPECT_EQ(0, list[i]->points_worth);
        EXPECT_EQ(e->weapon, list[i]->weapon);
        EXPECT_NEAR(60.0f * (1.0f + 0.5f * (fraction - 0.5f)), list[i]->range, 1e-3f);
        EXPECT_FLOAT_EQ(8.0f, list[i]->damage);  // 4 x 2
    }
}

TEST_F(TrooperTest, OtherPyroWeaponsFireTheirRing)
{
    Entity *e = Trooper("PyroTrooper", {400, 300});
    Weapon::GetWeapon("PyroFlame")->SetActive(e);
    int shots = game.shots_fired;
    ScriptRandom({}, 24575);
    world->KillEntity(e, nullptr, false);
    EXPECT_EQ(shots + 6, game.shots_fired);  // Weapon::Fire six times
    Entity *list[16];
    int n = world->QueryEntitiesOfType(world->stock->GetEntityType("Slug"), Entity::ALL_FLAGS, list, 16);
    ASSERT_EQ(6, n);
    float start = -kPi + 2.0f * kPi * (24575.0f / 32767.0f);
    for (int i = 0; i < n; i++)
        EXPECT_NEAR(AngleWrap(start + i * kPi / 3 + 0.25f * 0.4f), AngleWrap(list[i]->angle), 1e-3f) << i;

    // A Soldier with the same weapon leaves nothing.
    Entity *s = Trooper("Soldier", {600, 300});
    Weapon::GetWeapon("PyroFlame")->SetActive(s);
    world->KillEntity(s, nullptr, false);
    EXPECT_EQ(6, world->QueryEntitiesOfType(world->stock->GetEntityType("Slug"), Entity::ALL_FLAGS, list, 16));
}

TEST_F(TrooperTest, RingIsCappedAtThePool)
{
    Entity *e = Trooper("PyroTrooper", {400, 300});
    Weapon *endless = Weapon::GetWeapon("Endless");
    ASSERT_NE(nullptr, endless);
    endless->SetActive(e);
    world->KillEntity(e, nullptr, false);
    EXPECT_EQ(1, world->stock->CountFreeEntities());  // every record handed out in use
}

// The deathwish: a PyroTrooper touching an enemy blasts, dies and is replaced in its
// own slot, keeping its statistics; slot -1 brings a new trooper.
TEST_F(TrooperTest, DeathwishExplodesAndReplacesInTheSameSlot)
{
    game.pyro_deathwish = 1;
    EntityType *pyro = world->stock->GetEntityType("PyroTrooper");
    for (int slot : {2, -1}) {
        Entity *e = game.SpawnReinforcementTrooper(pyro, slot);
        ASSERT_NE(nullptr, e);
        e->weapon->SetActive(e);  // splash 30 within 50
        e->age = 2.0f;
        e->kills = 3;
        e->damage_dealt = 50.0f;
        controls.selection[1].entity = e;
        int roster = game.troopers.Count();
        int lost = game.troopers_lost;
        Entity *enemy = Spawn("Grunt", {e->pos.x + 5.0f, e->pos.y});
        enemy->age = 2.0f;  // past the newborn's grace
        trooper_ai->UpdateEntity(e, 0.01f);
        EXPECT_LT(enemy->hit_points, 100.0f);  // the splash of 30 within 50
        EXPECT_EQ(nullptr, controls.selection[1].entity);
        EXPECT_EQ(lost + 1, game.troopers_lost);
        Entity *fresh = nullptr;
        for (int i = 0; i < game.troopers.Count(); i++)
            if (game.troopers[i]->IsAlive() && game.troopers[i]->slot == slot)
                fresh = game.troopers[i];
        ASSERT_NE(nullptr, fresh) << slot;
        EXPECT_EQ(pyro, fresh->type);
        if (slot >= 0) {
            EXPECT_EQ(e, fresh);  // the record revived in its own slot
            EXPECT_EQ(roster, game.troopers.Count());
            EXPECT_EQ(3, fresh->kills);
            EXPECT_FLOAT_EQ(50.0f + (100.0f - enemy->hit_points), fresh->damage_dealt);  // kept, plus the blast
            EXPECT_EQ(1, fresh->deaths);
        } else {
            EXPECT_EQ(roster + 1, game.troopers.Count());  // a new trooper
            EXPECT_NE(e, fresh);
        }
        world->KillEntity(enemy, nullptr, true);
        world->KillEntity(fresh, nullptr, true);
    }

    // Without the flag, or for another kind, nothing explodes.
    game.pyro_deathwish = 0;
    Entity *calm = Trooper("PyroTrooper", {300, 600});
    Spawn("Grunt", {305, 600});
    trooper_ai->UpdateEntity(calm, 0.01f);
    EXPECT_TRUE(calm->IsAlive());
    game.pyro_deathwish = 1;
    Entity *soldier = Trooper("Soldier", {600, 600});
    Spawn("Grunt", {605, 600});
    trooper_ai->UpdateEntity(soldier, 0.01f);
    EXPECT_TRUE(soldier->IsAlive());
}

// The replacement arrives beside the base, where an enemy may be dying: a dying enemy
// sets off no blast (it set off the replacement at once, again and again within one
// frame, and the battle hung), and neither does anything in the trooper's first tenth
// of a second.
TEST_F(TrooperTest, DeathwishSparesTheDyingAndTheNewborn)
{
    game.pyro_deathwish = 1;
    EntityType *pyro = world->stock->GetEntityType("PyroTrooper");
    Entity *e = game.SpawnReinforcementTrooper(pyro, 1);
    ASSERT_NE(nullptr, e);
    e->weapon->SetActive(e);
    e->age = 2.0f;
    const int lost = game.troopers_lost;

    Entity *dying = Spawn("Grunt", {e->pos.x + 5.0f, e->pos.y});
    dying->age = 2.0f;
    world->KillEntity(dying, nullptr, false);
    ASSERT_EQ(Entity::STATE_DYING, dying->state);
    for (int i = 0; i < 3; i++)
        trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_TRUE(e->IsAlive());
    EXPECT_EQ(lost, game.troopers_lost);
    world->KillEntity(dying, nullptr, true);

    // A living enemy: nothing while the trooper is newborn, the blast once it is not.
    Entity *enemy = Spawn("Grunt", {e->pos.x + 5.0f, e->pos.y});
    enemy->age = 2.0f;
    e->age = 0.0f;
    trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_TRUE(e->IsAlive());
    EXPECT_EQ(lost, game.troopers_lost);
    e->age = 0.2f;
    trooper_ai->UpdateEntity(e, 0.01f);
    EXPECT_EQ(lost + 1, game.troopers_lost);
    EXPECT_LT(enemy->hit_points, 100.0f);
}

TEST_F(TrooperTest, SetUpClearsTheDeathwish)
{
    game.pyro_deathwish = 1;
    NewGameParms parms = {};
    parms.game_mode = GAME_MODE_SURVIVAL;
    game.InitNewGame(&parms);
    EXPECT_EQ(0, game.pyro_deathwish);
}

}  // namespace
