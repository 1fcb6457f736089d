// The entity types' updates: the behaviour's time step (85 % under SMALL_SCREEN), the
// liveness checks, the walk-cycle wrap, dying (decal, unlink, back to the pool unless
// kept in the trooper roster), the super-trooper timer, and the variants' times.
#include "tests/game/entities/test_entity_types_fixture.h"

#include "app/services/featureman.h"
#include "app/services/profiles.h"
#include "game/entities/entity-ai.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"

#include <string.h>

#include <map>
#include <string>
#include <vector>

using namespace enttypestest;

namespace {

// A behaviour that notes the time steps and what the entity pointed to when it ran.
struct Seen {
    float dt;
    Entity *owner, *target;
    bool weapon;
};
std::vector<Seen> seen;
// When set, the behaviour's update hands the record back to the pool.
bool free_in_update = false;

class RecorderAI : public EntityAI {
public:
    RecorderAI() : EntityAI("Recorder") {}
    void UpdateEntity(Entity *e, float dt) override
    {
        seen.push_back({dt, e->owner, e->target, false});
        if (free_in_update)
            GetScape()->stock->FreeEntity(e);
    }
    void UpdateEntityWeapon(Entity *e, float dt) override { seen.push_back({dt, e->owner, e->target, true}); }
};

orvex_t real_table;
std::map<std::string, std::string> extension_replies;
const char *FakeExtension(const char *command, const char *argument)
{
    auto it = extension_replies.find(std::string(command ? command : "") + "/" + (argument ? argument : ""));
    return it == extension_replies.end() ? real_table.OV_CallExtension(command, argument) : it->second.c_str();
}

const char *kTypes =
    "<node id=\"Grunt\" ai=\"Recorder\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"50\""
    " scale=\"1\" radius=\"8\" bm_move=\"b/grunt.png\" bm_die=\"b/corpse.png\"/>\n"
    "<node id=\"Ghost\" ai=\"Recorder\" flags=\"NORMAL\" friend_group=\"ENEMIES\" hit_points=\"5\"/>\n"
    "<node id=\"Trooper\" ai=\"Recorder\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\""
    " scale=\"1\" top_speed=\"60\" bm_move=\"b/trooper.png\" bm_die=\"b/corpse.png\"/>\n"
    "<node id=\"Fire\" type=\"ProjectileFlame\" ai=\"Recorder\" flags=\"PROJECTILE\" friend_group=\"PLAYERS\""
    " bm_move=\"b/flame.png\" bm_die=\"b/scorch.png\" scale=\"1\"/>\n"
    "<node id=\"Pickup\" type=\"Powerup\" ai=\"Recorder\" flags=\"POWERUP\" friend_group=\"PLAYERS\" scale=\"1\"/>\n"
    "<node id=\"Chute\" type=\"PowerupParachute\" ai=\"Recorder\" flags=\"POWERUP\" friend_group=\"PLAYERS\""
    " scale=\"1\"/>\n";

class EntityTypesUpdateTest : public EntityTypesTest {
protected:
    void SetUp() override
    {
        EntityTypesTest::SetUp();
        seen.clear();
        free_in_update = false;
        extension_replies.clear();
    }
    void Start()
    {
        StartWorld(kTypes);
        ASSERT_TRUE(world->stock->RegisterEntityAI(new RecorderAI));
        real_table = *ov;
        ov->OV_CallExtension = FakeExtension;
        upgrades = Upgrades();
    }
    void SetSmallScreen(bool on)
    {
        extension_replies["ProgramInfo/Features"] = on ? "ADS SMALL_SCREEN" : "ADS";
        feature_man.Initialize();
    }
    int DecalsOf(const char *bitmap)
    {
        int n = 0;
        for (int i = 0; i < world->num_decals; i++)
            if (world->decals[i].bitmap && !strcmp(world->decals[i].bitmap->name, bitmap))
                n++;
        return n;
    }
    bool OnFreeList(const Entity *e)
    {
        for (Entity *f = world->stock->free_head; f; f = f->next)
            if (f == e)
                return true;
        return false;
    }
};

}  // namespace

TEST_F(EntityTypesUpdateTest, BehavioursSeeEightyFivePercentOfTheFrameUnderSmallScreen)
{
    Start();
    Entity *e = Spawn("Grunt", {100, 100});
    ASSERT_NE(e, nullptr);
    struct Case {
        bool small;
        float dt, expected;
    } cases[] = {{false, 0.1f, 0.1f}, {true, 0.1f, 0.085f}, {true, 0.02f, 0.017f}, {false, 0.02f, 0.02f}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.small ? "SMALL_SCREEN" : "normal");
        SetSmallScreen(c.small);
        seen.clear();
        const float age = e->age;
        Step(e, 1, c.dt);
        ASSERT_EQ(2u, seen.size());
        EXPECT_FALSE(seen[0].weapon);  // the behaviour, then its weapon update
        EXPECT_TRUE(seen[1].weapon);
        EXPECT_FLOAT_EQ(c.expected, seen[0].dt);
        EXPECT_FLOAT_EQ(c.expected, seen[1].dt);
        EXPECT_FLOAT_EQ(age + c.dt, e->age);
    }
}

TEST_F(EntityTypesUpdateTest, OwnersAndTargetsThatAreNoLongerAliveAreClearedFirst)
{
    Start();
    Entity *e = Spawn("Grunt", {100, 100});
    Entity *owner = Spawn("Ghost", {200, 100});
    Entity *target = Spawn("Ghost", {300, 100});
    e->owner = owner;
    e->target = target;
    Step(e, 1, 0.1f);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(owner, seen[0].owner);
    EXPECT_EQ(target, seen[0].target);

    world->KillEntity(owner, nullptr, true);
    world->KillEntity(target, nullptr, true);
    seen.clear();
    Step(e, 1, 0.1f);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(nullptr, seen[0].owner);
    EXPECT_EQ(nullptr, seen[0].target);

    // A flame checks only its target.
    Entity *flame = Spawn("Fire", {150, 150});
    Entity *shooter = Spawn("Ghost", {160, 100});
    Entity *aim = Spawn("Ghost", {170, 100});
    flame->owner = shooter;
    flame->target = aim;
    world->KillEntity(shooter, nullptr, true);
    world->KillEntity(aim, nullptr, true);
    seen.clear();
    Step(flame, 1, 0.1f);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(shooter, seen[0].owner);
    EXPECT_EQ(nullptr, seen[0].target);
}

TEST_F(EntityTypesUpdateTest, TheWalkCycleWrapsWhileAlive)
{
    Start();
    Entity *e = Spawn("Grunt", {100, 100});
    e->phase = 1.25f;
    Step(e, 1, 0.01f);
    EXPECT_FLOAT_EQ(0.25f, e->phase);
    e->phase = 0.5f;
    Step(e, 1, 0.01f);
    EXPECT_FLOAT_EQ(0.5f, e->phase);
}

TEST_F(EntityTypesUpdateTest, ARecordFreedByItsBehaviourGetsNoWeaponUpdate)
{
    Start();
    Entity *e = Spawn("Grunt", {100, 100});
    free_in_update = true;
    e->type->Update(e, 0.1f);
    ASSERT_EQ(1u, seen.size());
    EXPECT_FALSE(seen[0].weapon);
    EXPECT_EQ(nullptr, e->type);
}

TEST_F(EntityTypesUpdateTest, DyingLaysTheDecalAfterExactlyOneSecondAndFreesTheRecord)
{
    Start();
    SetSmallScreen(true);  // dying runs at the full frame time
    Entity *e = Spawn("Grunt", {120, 80});
    e->angle = 0.5f;
    e->scale = 1.25f;
    e->color = {0.5f, 0.25f, 1.0f, 1.0f};
    ASSERT_NE(e->cell, nullptr);
    const int decals = world->num_decals;
    world->KillEntity(e, nullptr, true);
    ASSERT_EQ(Entity::STATE_DYING, e->state);
    seen.clear();
    for (int i = 0; i < 3; i++) {
        Step(e, 1, 0.25f);
        ASSERT_EQ(Entity::STATE_DYING, e->state) << i;
        EXPECT_NE(e->cell, nullptr);
        EXPECT_EQ(decals, world->num_decals);
    }
    EXPECT_FLOAT_EQ(0.75f, e->phase);
    EXPECT_TRUE(seen.empty());  // no behaviour while dying
    Step(e, 1, 0.25f);
    EXPECT_FLOAT_EQ(1.0f, e->phase);
    EXPECT_EQ(Entity::STATE_FREE, e->state);
    EXPECT_EQ(nullptr, e->cell);
    EXPECT_EQ(nullptr, e->type);
    EXPECT_TRUE(OnFreeList(e));
    EXPECT_EQ(e, world->stock->free_tail);
    ASSERT_EQ(decals + 1, world->num_decals);
    const ScapeDecal &d = world->decals[world->num_decals - 1];
    ASSERT_NE(d.bitmap, nullptr);
    EXPECT_STREQ("b/corpse.png", d.bitmap->name);
    EXPECT_FLOAT_EQ(120.0f, d.pos.x);
    EXPECT_FLOAT_EQ(80.0f, d.pos.y);
    EXPECT_FLOAT_EQ(0.5f, d.angle);
    EXPECT_FLOAT_EQ(1.25f, d.scale);
    EXPECT_FLOAT_EQ(0.25f, d.color.g);
    EXPECT_EQ(0, d.blend);
}

TEST_F(EntityTypesUpdateTest, ADeadTrooperInTheRosterKeepsItsRecordButNotItsPath)
{
    Start();
    Entity *e = Spawn("Trooper", {100, 100});
    game.troopers.InsertLast(e);
    world->KillEntity(e, nullptr, true);
    e->path = new MovePath;  // a path given after the kill is still released
    e->path->AddPoint({100, 100});
    e->kills = 7;
    Step(e, 4, 0.25f);
    EXPECT_EQ(Entity::STATE_FREE, e->state);
    EXPECT_NE(nullptr, e->type);
    EXPECT_EQ(nullptr, e->path);
    EXPECT_EQ(nullptr, e->cell);
    EXPECT_EQ(7, e->kills);
    EXPECT_FALSE(OnFreeList(e));
    EXPECT_EQ(1, DecalsOf("b/corpse.png"));
}

TEST_F(EntityTypesUpdateTest, WithoutACorpseBitmapNoDecalIsLaid)
{
    Start();
    Entity *e = Spawn("Ghost", {100, 100});
    const int decals = world->num_decals;
    world->KillEntity(e, nullptr, true);
    Step(e, 5, 0.25f);
    EXPECT_EQ(nullptr, e->type);
    EXPECT_EQ(decals, world->num_decals);
}

TEST_F(EntityTypesUpdateTest, AFlameDiesInAQuarterSecondWithoutTheRosterCheck)
{
    Start();
    Entity *e = Spawn("Fire", {100, 100});
    game.troopers.InsertLast(e);
    world->KillEntity(e, nullptr, true);
    Step(e, 3, 0.0625f);
    EXPECT_EQ(Entity::STATE_DYING, e->state);
    EXPECT_FLOAT_EQ(0.75f, e->phase);
    Step(e, 1, 0.0625f);
    EXPECT_EQ(nullptr, e->type);
    EXPECT_TRUE(OnFreeList(e));
    EXPECT_EQ(1, DecalsOf("b/scorch.png"));
}

TEST_F(EntityTypesUpdateTest, ASuperTrooperShrinksBackInTheLastSecondAndThenReturnsToItsType)
{
    Start();
    upgrades.super_soldier_time = 20;
    Entity *e = Spawn("Trooper", {100, 100});
    // The super-trooper power-up's effect.
    e->powerup_active = true;
    e->powerup_id = "POWERUP_SUPER_TROOPER";
    e->scale = 1.5f;
    e->speed = 96.0f;
    e->hit_points = e->max_hit_points = 200.0f;
    e->powerup_time = 0.01f;
    Step(e, 75, 0.25f);  // 18.76 s: still at 1.5 times
    EXPECT_NEAR(18.76f, e->powerup_time, 1e-3);
    EXPECT_FLOAT_EQ(1.5f, e->scale);
    EXPECT_FLOAT_EQ(96.0f, e->speed);
    e->powerup_time = 18.75f;
    struct Check {
        float time, scale;
    } checks[] = {{19.0f, 1.5f}, {19.25f, 1.375f}, {19.5f, 1.25f}, {19.75f, 1.125f}, {20.0f, 1.0f}};
    for (const Check &c : checks) {
        SCOPED_TRACE(c.time);
        Step(e, 1, 0.25f);
        EXPECT_FLOAT_EQ(c.time, e->powerup_time);
        EXPECT_FLOAT_EQ(c.scale, e->scale);
        EXPECT_TRUE(e->powerup_active);
        EXPECT_FLOAT_EQ(96.0f, e->speed);
    }
    e->hit_points = 150.0f;
    Step(e, 1, 0.25f);  // 20.25 s: expired
    EXPECT_FALSE(e->powerup_active);
    EXPECT_STREQ("", e->powerup_id);
    EXPECT_FLOAT_EQ(1.0f, e->scale);
    EXPECT_FLOAT_EQ(60.0f, e->speed);
    EXPECT_FLOAT_EQ(100.0f, e->max_hit_points);
    EXPECT_FLOAT_EQ(100.0f, e->hit_points);  // 155 after regenerating, cut to the maximum
    EXPECT_FLOAT_EQ(0.0f, e->powerup_time);
    Step(e, 4, 0.25f);
    EXPECT_FLOAT_EQ(1.0f, e->scale);
    EXPECT_FLOAT_EQ(0.0f, e->powerup_time);
}

TEST_F(EntityTypesUpdateTest, ThePowerupTimerRegeneratesTenPercentPerSecondWithoutOverflowing)
{
    Start();
    upgrades.super_soldier_time = 30;
    Entity *e = Spawn("Trooper", {100, 100});
    e->powerup_active = true;
    e->powerup_id = "POWERUP_SUPER_WEAPON";
    e->powerup_time = 0.01f;
    e->hit_points = 50.0f;
    Step(e, 4, 0.25f);
    EXPECT_FLOAT_EQ(60.0f, e->hit_points);
    Step(e, 40, 0.25f);
    EXPECT_FLOAT_EQ(100.0f, e->hit_points);
    // A super weapon keeps its flag and id past the time; only the timer stops.
    Step(e, 90, 0.25f);
    EXPECT_TRUE(e->powerup_active);
    EXPECT_STREQ("POWERUP_SUPER_WEAPON", e->powerup_id);
    EXPECT_FLOAT_EQ(0.0f, e->powerup_time);
    // Under SMALL_SCREEN the timer still runs at the full frame time.
    SetSmallScreen(true);
    e->powerup_time = 0.01f;
    Step(e, 4, 0.25f);
    EXPECT_NEAR(1.01f, e->powerup_time, 1e-5);
}

TEST_F(EntityTypesUpdateTest, PickupsExpireAfterTheirTimeAndParachutesFourSecondsLater)
{
    Start();
    upgrades.powerup_disappear_time = 15;
    Entity *pickup = Spawn("Pickup", {100, 100});  // carries no power-up: still expires
    Entity *chute = Spawn("Chute", {200, 100});
    Step(pickup, 60, 0.25f);
    EXPECT_FLOAT_EQ(15.0f, pickup->age);
    EXPECT_EQ(Entity::STATE_ALIVE, pickup->state);
    Step(pickup, 1, 0.25f);
    EXPECT_EQ(Entity::STATE_DYING, pickup->state);

    Step(chute, 76, 0.25f);
    EXPECT_FLOAT_EQ(19.0f, chute->age);
    EXPECT_EQ(Entity::STATE_ALIVE, chute->state);
    Step(chute, 1, 0.25f);
    EXPECT_EQ(Entity::STATE_DYING, chute->state);
}

TEST_F(EntityTypesUpdateTest, AParachuteLandsAtThreePointSevenSecondsAndHintsOnce)
{
    Start();
    Entity *chute = Spawn("Chute", {200, 100});
    Step(chute, 1, 0.1f);
    EXPECT_TRUE(chute->powerup_active);  // falling
    while (chute->age < 3.65f)
        Step(chute, 1, 0.1f);
    EXPECT_TRUE(chute->powerup_active);
    EXPECT_EQ(nullptr, game.delayed_tutorial);
    Step(chute, 1, 0.1f);  // 3.75 s: landed
    EXPECT_FALSE(chute->powerup_active);
    ASSERT_NE(nullptr, game.delayed_tutorial);
    EXPECT_STREQ("POWERUPS", game.delayed_tutorial);
    EXPECT_FLOAT_EQ(5.0f, game.delayed_tutorial_time);
    game.delayed_tutorial = nullptr;
    Step(chute, 10, 0.1f);
    EXPECT_EQ(nullptr, game.delayed_tutorial);
}

TEST_F(EntityTypesUpdateTest, APlayerWhoCompletedThePowerupTutorialGetsNoHint)
{
    Start();
    Profile profile;
    profile.Reset("1.xml");
    prof = &profile;
    prof->AddTag("tutorials_completed", "POWERUPS");
    Entity *chute = Spawn("Chute", {200, 100});
    Step(chute, 40, 0.1f);
    prof = nullptr;
    EXPECT_FALSE(chute->powerup_active);
    EXPECT_EQ(nullptr, game.delayed_tutorial);
}
