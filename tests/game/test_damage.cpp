// Spawning, killing and damage through the real world, stock and entity types built
// from fixture data on the headless engine.
#include "tests/game/game_fixture.h"

#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/parts.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <deque>
#include <string>
#include <vector>

namespace {

const char *kTypes =
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"100\" radius=\"10\" "
    "points_worth=\"25\" top_speed=\"50\" material=\"FLESH\" scale=\"1\"/>\n"
    "<node id=\"Crate\" flags=\"NORMAL\" friend_group=\"ENEMIES\" hit_points=\"10\" radius=\"10\" "
    "fx_killed=\"fxs/test-burst.lua\" fx_killed_fore=\"fxs/test-burst.lua\"/>\n"
    "<node id=\"Boss\" flags=\"NORMAL\" friend_group=\"ENEMIES\" hit_points=\"180\" radius=\"20\" "
    "points_worth=\"100\" material=\"METAL\"/>\n"
    "<node id=\"NearBoss\" flags=\"NORMAL\" friend_group=\"ENEMIES\" hit_points=\"179.9\" radius=\"20\" "
    "points_worth=\"90\" material=\"METAL\"/>\n"
    "<node id=\"Tank\" flags=\"NORMAL\" friend_group=\"ENEMIES\" hit_points=\"1000\" radius=\"10\" "
    "points_worth=\"7\" material=\"METAL\"/>\n"
    "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"10\" "
    "material=\"METAL\"/>\n"
    "<node id=\"Soldier\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\"/>\n"
    "<node id=\"Shell\" flags=\"PROJECTILE\" friend_group=\"PLAYERS\" hit_points=\"1\" radius=\"2\"/>\n"
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" "
    "hit_points=\"1000\" radius=\"40\" material=\"CONCRETE\" ai=\"BaseBunker\"/>\n"
    "<node id=\"Powerup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" hit_points=\"1\" "
    "radius=\"12\" ai=\"Powerup\"/>\n";

const char *kPowerups = "<node id=\"POWERUP_BOOM\" name=\"Boom\" rarity=\"1\" min_level=\"2\"/>\n";

std::vector<std::string> extension_calls;
const char *RecordExtension(const char *cmd, const char *arg)
{
    extension_calls.push_back(cmd ? cmd : "");
    return nullptr;
}

std::deque<int> scripted;
int Scripted()
{
    if (scripted.empty())
        return 0;
    int v = scripted.front();
    scripted.pop_front();
    return v;
}

class Damage : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        WriteEntities(kTypes);
        WritePowerups(kPowerups);
        MakeWorld();
        ASSERT_TRUE(Powerup::LoadPowerups());
        extension_calls.clear();
        ov->OV_CallExtension = RecordExtension;
        game.parms.game_mode = GAME_MODE_SURVIVAL;
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        gametest::GameTest::TearDown();
    }
    EntityType *Type(const char *name) { return world->stock->GetEntityType(name); }
    // A grown-up entity (older than the newborn grace of 0.1 s).
    Entity *Spawn(const char *name, float x, float y)
    {
        Entity *e = world->SpawnEntity(Type(name), vec2_t{x, y});
        EXPECT_NE(nullptr, e) << name;
        if (e)
            e->age = 5.0f;
        return e;
    }
    int Count(int group) { return world->group_counts[group]; }
};

}  // namespace

TEST_F(Damage, SpawnLinksCountsAndStampsTheClock)
{
    game.game_clock = 4321;
    Entity *e = world->SpawnEntity(Type("Grunt"), vec2_t{300.0f, 200.0f});
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(Entity::STATE_ALIVE, e->state);
    EXPECT_EQ(world->GetCellAt(e->pos), e->cell);
    EXPECT_EQ(4321u, e->select_time);
    EXPECT_EQ(0.0f, e->age);
    EXPECT_EQ(1, Count(Entity::ENEMIES));

    e->select_time = 17;
    Entity *quiet = world->SpawnEntitySilent(Type("Trooper"), vec2_t{20.0f, 20.0f});
    ASSERT_NE(nullptr, quiet);
    EXPECT_FLOAT_EQ(1.0f, quiet->age);
    EXPECT_NE(nullptr, quiet->cell);
    EXPECT_EQ(1, Count(Entity::PLAYERS));

    EXPECT_EQ(nullptr, world->SpawnEntity(nullptr, vec2_t{0, 0}));
    EXPECT_EQ(nullptr, world->SpawnEntity(Type("Nobody"), vec2_t{0, 0}));
}

TEST_F(Damage, BirthAndDeathEffectsGoToTheirLayers)
{
    apptest::WriteFile("fxs/sparks.lua",
                       "FXParm ('num_parts', 2) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 5, 5)");
    apptest::WriteFile("fxs/test-burst.lua",
                       "FXParm ('num_parts', 3) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 5, 5)");
    int top = world->top_parts->GetLiveCount();
    int ground = world->ground_parts->GetLiveCount();
    // A NORMAL entity without its own birth effect gets the sparks; a silent one none.
    Entity *crate = world->SpawnEntity(Type("Crate"), vec2_t{300.0f, 300.0f});
    ASSERT_NE(nullptr, crate);
    EXPECT_EQ(top + 2, world->top_parts->GetLiveCount());
    world->SpawnEntitySilent(Type("Crate"), vec2_t{400.0f, 300.0f});
    world->SpawnEntity(Type("Shell"), vec2_t{500.0f, 300.0f});  // not NORMAL
    EXPECT_EQ(top + 2, world->top_parts->GetLiveCount());
    // Death: the killed effect on the ground, the fore one on top; none when silent.
    world->KillEntity(crate, nullptr, false);
    EXPECT_EQ(ground + 3, world->ground_parts->GetLiveCount());
    EXPECT_EQ(top + 5, world->top_parts->GetLiveCount());
    Entity *quiet = world->SpawnEntitySilent(Type("Crate"), vec2_t{600.0f, 300.0f});
    world->KillEntity(quiet, nullptr, true);
    EXPECT_EQ(ground + 3, world->ground_parts->GetLiveCount());
    EXPECT_EQ(top + 5, world->top_parts->GetLiveCount());
}

TEST_F(Damage, PoolExhaustedSpawnsNothing)
{
    int made = 0;
    while (world->SpawnEntitySilent(Type("Tank"), vec2_t{500.0f, 400.0f}) && made < 600)
        made++;
    EXPECT_EQ(511, made);
    EXPECT_EQ(nullptr, world->SpawnEntity(Type("Tank"), vec2_t{1, 1}));
    EXPECT_EQ(511, Count(Entity::ENEMIES));
}

TEST_F(Damage, KillTwiceCountsOnceAndReleasesThePath)
{
    Entity *e = Spawn("Grunt", 100, 100);
    e->path = new MovePath;
    world->KillEntity(e, nullptr, false);
    EXPECT_EQ(Entity::STATE_DYING, e->state);
    EXPECT_EQ(0.0f, e->phase);
    EXPECT_EQ(0.0f, e->hit_points);
    EXPECT_EQ(nullptr, e->path);
    EXPECT_EQ(0, Count(Entity::ENEMIES));
    world->KillEntity(e, nullptr, false);
    EXPECT_EQ(0, Count(Entity::ENEMIES));
    // A second enemy keeps its count through the first one's double kill.
    Spawn("Grunt", 150, 100);
    world->KillEntity(e, nullptr, false);
    EXPECT_EQ(1, Count(Entity::ENEMIES));
    world->KillEntity(nullptr, nullptr, false);
}

TEST_F(Damage, KillCreditGoesToThePlayersRootOwner)
{
    struct Case {
        const char *victim;
        const char *weapon;
        bool silent;
        int boss, regular, gas, burn, blast;
    } cases[] = {
        {"Boss", "Minigun", false, 1, 0, 0, 0, 0},
        {"NearBoss", "Minigun", false, 0, 1, 0, 0, 0},
        {"Grunt", "PyroGas", false, 0, 1, 1, 0, 0},
        {"Grunt", "MinigunFireBullets", false, 0, 1, 0, 1, 0},
        {"Grunt", "ShotgunFirePellets", false, 0, 1, 0, 1, 0},
        {"Grunt", "BazookaNapalm", false, 0, 1, 0, 1, 0},
        {"Grunt", "Pyro", false, 0, 1, 0, 1, 0},
        {"Grunt", "PyroPower", false, 0, 1, 0, 1, 0},
        {"Grunt", "PyroDeathwish", false, 0, 1, 0, 1, 0},
        {"Grunt", "FireTrail", false, 0, 1, 0, 1, 0},
        {"Grunt", "BazookaBoom", false, 0, 1, 0, 0, 1},
        {"Grunt", "PyroGas", true, 0, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        gametest::ResetGameState();
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        Weapon weapon(c.weapon);
        Entity *trooper = Spawn("Trooper", 50, 50);
        Entity *shell = Spawn("Shell", 60, 60);
        shell->owner = trooper;
        shell->weapon = &weapon;
        Entity *victim = Spawn(c.victim, 400, 300);
        world->KillEntity(victim, shell, c.silent);
        int worth = victim->points_worth;
        EXPECT_EQ(worth, game.score) << c.victim << " " << c.weapon;
        EXPECT_EQ(c.boss, game.boss_kills) << c.victim;
        EXPECT_EQ(c.regular, game.regular_kills) << c.victim;
        EXPECT_EQ(c.gas, game.gas_kills) << c.weapon;
        EXPECT_EQ(c.burn, game.burn_kills) << c.weapon;
        EXPECT_EQ(c.blast, game.blast_kills) << c.weapon;
        EXPECT_EQ(c.silent ? 0 : 1, game.stats.enemies_killed);
        EXPECT_EQ(c.silent ? 0 : 1, trooper->kills);
        EXPECT_EQ(0, shell->kills);
        world->Reset();
    }
}

TEST_F(Damage, EnemyKillerEarnsNothingAndOwnerCyclesEnd)
{
    Entity *grunt = Spawn("Grunt", 50, 50);
    Entity *victim = Spawn("Trooper", 80, 50);
    world->KillEntity(victim, grunt, false);
    EXPECT_EQ(0, game.score);
    EXPECT_EQ(0, grunt->kills);

    // A stale owner cycle: the walk stops after 512 steps instead of looping.
    Entity *a = Spawn("Shell", 10, 10), *b = Spawn("Shell", 12, 12);
    a->owner = b;
    b->owner = a;
    Entity *target = Spawn("Grunt", 300, 300);
    world->KillEntity(target, a, false);
    EXPECT_EQ(1, a->kills + b->kills);
}

TEST_F(Damage, DealDamageGates)
{
    Entity *grunt = Spawn("Grunt", 200, 200);
    Entity *trooper = Spawn("Trooper", 300, 300);

    Entity blank = {};
    EXPECT_EQ(1, world->DealDamage(&blank, nullptr, 10.0f));
    EXPECT_EQ(1, world->DealDamage(nullptr, nullptr, 10.0f));

    prog.parms.developer_mode = 1;
    game.invulnerable = 1;
    EXPECT_EQ(0, world->DealDamage(trooper, grunt, 10.0f));
    EXPECT_FLOAT_EQ(100.0f, trooper->hit_points);
    game.invulnerable = 0;

    Entity *bunker = Spawn("BaseBunker", 512, 384);
    game.base = bunker;
    game.force_field_time = 0.5f;
    EXPECT_EQ(0, world->DealDamage(bunker, grunt, 10.0f));
    EXPECT_EQ(1, game.force_field_hit);
    EXPECT_FLOAT_EQ(1000.0f, bunker->hit_points);
    game.force_field_time = 0.0f;

    Entity *pickup = Spawn("Powerup", 600, 100);
    pickup->powerup = Powerup::GetPowerup("POWERUP_BOOM");
    ASSERT_NE(nullptr, pickup->powerup);
    EXPECT_EQ(1, world->DealDamage(pickup, grunt, 10.0f));
    EXPECT_TRUE(apptest::Logged("STRESSTEST: Tried to DealDamage to powerup 'Boom'!"));

    Entity *newborn = world->SpawnEntity(Type("Grunt"), vec2_t{700, 500});
    newborn->age = 0.09f;
    EXPECT_EQ(0, world->DealDamage(newborn, trooper, 10.0f));
    EXPECT_FLOAT_EQ(100.0f, newborn->hit_points);
    newborn->age = 0.1f;
    EXPECT_EQ(0, world->DealDamage(newborn, trooper, 10.0f));
    EXPECT_FLOAT_EQ(90.0f, newborn->hit_points);
    prog.parms.developer_mode = 0;
}

TEST_F(Damage, StarCatchUpScalesByTheSourcesSide)
{
    struct Case {
        float lowest;  // lowest bunker hit points of 1000
        bool from_trooper;
        float expected;
    } cases[] = {
        {400.0f, true, 12.0f},   // 3 stars: +20 %
        {400.0f, false, 8.0f},   // 3 stars: -20 %
        {800.0f, true, 10.0f},   // 5 stars
        {800.0f, false, 10.0f},
    };
    Entity *trooper = Spawn("Trooper", 100, 100);
    Entity *grunt = Spawn("Grunt", 200, 100);
    for (const Case &c : cases) {
        game.parms.game_mode = GAME_MODE_LEVEL;
        game.lowest_bunker_hp = c.lowest;
        Entity *victim = Spawn("Tank", 400, 400);
        Entity *source = c.from_trooper ? trooper : grunt;
        world->DealDamage(victim, source, 10.0f);
        EXPECT_FLOAT_EQ(1000.0f - c.expected, victim->hit_points) << c.lowest << " " << c.from_trooper;
        // Without a source the amount stays.
        world->DealDamage(victim, nullptr, 10.0f);
        EXPECT_FLOAT_EQ(1000.0f - c.expected - 10.0f, victim->hit_points);
    }
}

TEST_F(Damage, DealtNeverExceedsHealthAndKillsAtZero)
{
    Entity *trooper = Spawn("Trooper", 100, 100);
    Entity *shell = Spawn("Shell", 110, 100);
    shell->owner = trooper;
    Entity *grunt = Spawn("Grunt", 300, 100);
    grunt->hit_points = 5.0f;
    EXPECT_EQ(1, world->DealDamage(grunt, shell, 20.0f));
    EXPECT_FLOAT_EQ(5.0f, grunt->damage_taken);
    EXPECT_FLOAT_EQ(5.0f, trooper->damage_dealt);
    EXPECT_EQ(Entity::STATE_DYING, grunt->state);
    EXPECT_EQ(0, Count(Entity::ENEMIES));
    // A dying victim takes the hit but is not killed again.
    EXPECT_EQ(0, world->DealDamage(grunt, shell, 20.0f));
    EXPECT_FLOAT_EQ(5.0f, grunt->damage_taken);

    Entity *tank = Spawn("Tank", 500, 500);
    EXPECT_EQ(0, world->DealDamage(tank, shell, 30.0f));
    EXPECT_FLOAT_EQ(970.0f, tank->hit_points);
    EXPECT_FLOAT_EQ(35.0f, trooper->damage_dealt);
    // The hit entity turns on the root owner of its attacker.
    EXPECT_EQ(trooper, tank->target);
    // Negative damage heals and is not counted as dealt.
    world->DealDamage(tank, shell, -10.0f);
    EXPECT_FLOAT_EQ(980.0f, tank->hit_points);
    EXPECT_FLOAT_EQ(30.0f, tank->damage_taken);
}

TEST_F(Damage, MovingVictimSlowsAndBleeds)
{
    Entity *trooper = Spawn("Trooper", 100, 100);
    Entity *grunt = Spawn("Grunt", 160, 100);
    float speed = grunt->speed;
    ASSERT_GT(speed, 0.0f);
    int ground_before = world->ground_parts->GetLiveCount();
    world->DealDamage(grunt, trooper, 1.0f);
    EXPECT_FLOAT_EQ(speed * 0.6f, grunt->speed);
    EXPECT_LE(fabsf(grunt->angle), 0.07f + 1e-6f);
    if (world->stock->num_blood_decals > 0) {
        EXPECT_EQ(ground_before + 1, world->ground_parts->GetLiveCount());
        part_t *blood = world->ground_parts->FirstLive();
        for (part_t *next = blood; next; next = world->ground_parts->NextLive(next))
            blood = next;
        EXPECT_GT(blood->vx, 0.0f);  // away from the trooper on the left
        EXPECT_NEAR(0.0f, blood->vy, 1e-4f);
        EXPECT_EQ(&graph_constant1, blood->alpha_graph);
    }
    // An empty blood list sheds nothing (no draw modulo zero).
    world->stock->num_blood_decals = 0;
    ground_before = world->ground_parts->GetLiveCount();
    world->DealDamage(grunt, trooper, 1.0f);
    EXPECT_EQ(ground_before, world->ground_parts->GetLiveCount());
}

TEST_F(Damage, WoundedTrooperOnAPathStepsAside)
{
    game.game_clock = 10000;
    Entity *grunt = Spawn("Grunt", 300, 400);
    Entity *trooper = Spawn("Trooper", 500, 400);
    trooper->select_time = 0;
    trooper->path = new MovePath;
    vec2_t far = {700.0f, 600.0f};
    trooper->path->AddPoint(trooper->pos);
    trooper->path->AddPoint(far);
    AppSetRandomSource(Scripted);
    scripted = {0};  // the coin toss: keep the side
    world->DealDamage(trooper, grunt, 1.0f);
    ASSERT_EQ(2, trooper->path->count);
    // Across the line from the attacker on the left: straight down by 120.
    EXPECT_NEAR(500.0f, trooper->path->points[1].x, 1e-3f);
    EXPECT_NEAR(520.0f, trooper->path->points[1].y, 1e-3f);

    // An attacker standing on the trooper counts as none: a random direction.
    grunt->pos = trooper->pos;
    scripted = {16383, 0};  // direction randf(-pi, pi) ~ 0, then the coin keeps it
    world->DealDamage(trooper, grunt, 1.0f);
    ASSERT_EQ(2, trooper->path->count);
    float dx = trooper->path->points[1].x - trooper->pos.x;
    float dy = trooper->path->points[1].y - trooper->pos.y;
    EXPECT_NEAR(120.0f, sqrtf(dx * dx + dy * dy), 0.5f);
    EXPECT_FALSE(isnan(trooper->path->points[1].x));
}

TEST_F(Damage, BunkerLosesAStarAndDropsABoom)
{
    game.parms.game_mode = GAME_MODE_LEVEL;
    strcpy(game.parms.mission_id, "MISSION1_3");
    Entity *grunt = Spawn("Grunt", 100, 100);
    Entity *bunker = Spawn("BaseBunker", 512, 384);
    game.base = bunker;
    int pickups_before = world->GetNumberOfEntitiesOfType(Type("Powerup"));
    world->DealDamage(bunker, grunt, 300.0f);  // 1.0 -> 0.7: band 6 -> 4
    EXPECT_FLOAT_EQ(700.0f, game.lowest_bunker_hp);
    Entity *list[4];
    int n = world->QueryEntitiesOfType(Type("Powerup"), Entity::POWERUP, list, 4);
    ASSERT_EQ(pickups_before + 1, n);
    EXPECT_EQ(Powerup::GetPowerup("POWERUP_BOOM"), list[n - 1]->powerup);
    // No vibration above a quarter.
    EXPECT_TRUE(extension_calls.empty());

    // Mission 1_1 (number 1) is below the boom's min_level 2: a star, no drop.
    strcpy(game.parms.mission_id, "MISSION1_1");
    world->DealDamage(bunker, grunt, 300.0f);  // 0.7 -> 0.4
    EXPECT_EQ(n, world->QueryEntitiesOfType(Type("Powerup"), Entity::POWERUP, list, 4));
}

// Every star lost drops one blast pick-up, whether the bunker's health fell a band or a
// trooper died, and never a second one for the same star: the bunker worn down 50 hit
// points a hit (at most one band a hit) with a trooper dying after every fourth hit, the
// pick-ups counted after each event against the stars lost so far. Once the battle is
// over a lost star drops none.
TEST_F(Damage, EachLostStarDropsOneBlastPickUp)
{
    game.parms.game_mode = GAME_MODE_LEVEL;
    strcpy(game.parms.mission_id, "MISSION1_3");
    strcpy(game.base_type, "BaseBunker");
    Entity *bunker = Spawn("BaseBunker", 512, 384);
    game.base = bunker;
    std::vector<Entity *> squad;
    for (int i = 0; i < 4; i++)
        squad.push_back(Spawn("Soldier", 100.0f + 40.0f * (float)i, 600.0f));
    game.living_troopers = 4;
    auto drops = [&] { return world->GetNumberOfEntitiesOfType(Type("Powerup")); };
    ASSERT_EQ(5, game.GetCurrentStarRating());
    int events = 0;
    for (int hit = 1; hit <= 19; hit++) {
        world->DealDamage(bunker, nullptr, 50.0f);  // no source: no catch-up scaling
        events++;
        ASSERT_EQ(5 - game.GetCurrentStarRating(), drops()) << "after hit " << hit;
        if (hit % 4 == 0 && !squad.empty()) {
            world->KillEntity(squad.back(), nullptr, false);
            squad.pop_back();
            events++;
            ASSERT_EQ(5 - game.GetCurrentStarRating(), drops()) << "after the death following hit " << hit;
        }
    }
    EXPECT_EQ(1, game.GetCurrentStarRating());
    EXPECT_EQ(4, drops());
    EXPECT_EQ(23, events);

    // A battle already lost: a trooper dying above one star drops no pick-up, and neither
    // does the bunker falling a band.
    gametest::ResetGameState();
    world->Reset();
    game.parms.game_mode = GAME_MODE_LEVEL;
    strcpy(game.parms.mission_id, "MISSION1_3");
    strcpy(game.base_type, "BaseBunker");
    bunker = Spawn("BaseBunker", 512, 384);
    game.base = bunker;
    Entity *soldier = Spawn("Soldier", 100, 600);
    game.living_troopers = 1;
    game.lost = 1;
    world->KillEntity(soldier, nullptr, false);
    EXPECT_EQ(4, game.GetCurrentStarRating());
    world->DealDamage(bunker, nullptr, 300.0f);
    EXPECT_EQ(3, game.GetCurrentStarRating());
    EXPECT_EQ(0, drops());
}

TEST_F(Damage, BunkerVibratesAtEachThreshold)
{
    game.parms.game_mode = GAME_MODE_SURVIVAL;
    Entity *grunt = Spawn("Grunt", 100, 100);
    Entity *bunker = Spawn("BaseBunker", 512, 384);
    game.base = bunker;
    struct Step {
        float amount;
        int calls;  // total so far
    } steps[] = {{650.0f, 0}, {110.0f, 1}, {91.0f, 2}, {10.0f, 2}, {45.0f, 3}, {100.0f, 3}};
    for (const Step &s : steps) {
        world->DealDamage(bunker, grunt, s.amount);
        EXPECT_EQ((size_t)s.calls, extension_calls.size()) << bunker->hit_points;
    }
    for (const std::string &cmd : extension_calls)
        EXPECT_EQ("IPHONE_Vibration", cmd);

    // One hit through all three thresholds sends three.
    extension_calls.clear();
    Entity *second = Spawn("BaseBunker", 200, 600);
    world->DealDamage(second, grunt, 960.0f);
    EXPECT_EQ(3u, extension_calls.size());

    // No maximum: no stages and no fault.
    extension_calls.clear();
    second->hit_points = 50.0f;
    second->max_hit_points = 0.0f;
    world->DealDamage(second, grunt, 10.0f);
    EXPECT_TRUE(extension_calls.empty());
}

TEST_F(Damage, SplashByDistanceAndSide)
{
    struct Case {
        float distance;
        float expected;
    } cases[] = {{0.0f, 100.0f}, {55.0f, 50.0f}, {30.0f, 100.0f * (1.0f - 30.0f / 110.0f)}};
    for (const Case &c : cases) {
        Entity *tank = Spawn("Tank", 500.0f + c.distance, 400.0f);
        world->DealSplashDamage(nullptr, vec2_t{500.0f, 400.0f}, 50.0f, 100.0f);
        EXPECT_NEAR(1000.0f - c.expected, tank->hit_points, 1e-3f) << c.distance;
        world->Reset();
    }

    // A sourceless blast hurts troopers only in INCOMING mode.
    Entity *trooper = Spawn("Trooper", 500, 400);
    world->DealSplashDamage(nullptr, vec2_t{500, 400}, 50.0f, 10.0f);
    EXPECT_FLOAT_EQ(100.0f, trooper->hit_points);
    game.parms.game_mode = GAME_MODE_INCOMING;
    world->DealSplashDamage(nullptr, vec2_t{500, 400}, 50.0f, 10.0f);
    EXPECT_LT(trooper->hit_points, 100.0f);

    // A trooper's blast spares its own side.
    Entity *shooter = Spawn("Trooper", 100, 100);
    Entity *tank = Spawn("Tank", 505, 400);
    float trooper_hp = trooper->hit_points;
    world->DealSplashDamage(shooter, vec2_t{500, 400}, 50.0f, 10.0f);
    EXPECT_FLOAT_EQ(trooper_hp, trooper->hit_points);
    EXPECT_LT(tank->hit_points, 1000.0f);

    // A zero denominator deals the full damage.
    shooter->radius = -60.0f;  // -60 + 50 + 10
    float before = tank->hit_points;
    world->DealSplashDamage(shooter, vec2_t{500, 400}, 50.0f, 10.0f);
    EXPECT_NEAR(before - 10.0f, tank->hit_points, 1e-4f);
}

TEST_F(Damage, SourcelessKillScoresTheEnemy)
{
    Entity *grunt = Spawn("Grunt", 500, 400);
    world->DealSplashDamage(nullptr, vec2_t{500, 400}, 50.0f, 1000.0f);
    EXPECT_EQ(Entity::STATE_DYING, grunt->state);
    EXPECT_EQ(25, game.score);
}

TEST(UnderscoreToken, Table)
{
    struct Case {
        const char *text;
        int n;
        const char *expected;  // null: null result
    } cases[] = {
        {"3_7", 1, "7"}, {"3_", 1, ""}, {"3_7", 0, "3"}, {"37", 0, "37"}, {"37", 1, ""},
        {"a_b_c", 2, "c"}, {"a_b_c", 3, ""}, {"_x", 0, ""}, {"_x", 1, "x"}, {nullptr, 0, nullptr},
        {"a_b", -1, ""},
    };
    for (const Case &c : cases) {
        char *got = GetUnderscoreToken(c.text, c.n);
        if (!c.expected) {
            EXPECT_EQ(nullptr, got);
        } else {
            ASSERT_NE(nullptr, got);
            EXPECT_STREQ(c.expected, got) << (c.text ? c.text : "(null)") << " " << c.n;
        }
        free(got);
    }
    std::string long_text(1023, 'x');
    long_text[5] = '_';
    char *got = GetUnderscoreToken(long_text.c_str(), 0);
    EXPECT_STREQ("", got);
    free(got);
}
