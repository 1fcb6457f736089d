// The behaviour base's choice of target and its wish to move: the target that died
// mid-attack, the bunker, the MedTents of DEFEND_THE_FLAG, primary targets, the
// one-second aggro search; the walk along the level's waypoints to the bunker; the
// panic of a burning, nearly dead entity.
#include "tests/game/entities/test_entity_ai_fixture.h"

#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <initializer_list>

namespace aitest {
namespace {

TEST(EntityAIBase, NameIsAnOwnedCopyAndTheTrivialSlotsDoTheirLittle) {
    char text[] = "Seeker";
    EntityAI named(text);
    text[0] = 'X';
    EXPECT_STREQ(named.name, "Seeker");
    EntityAI unnamed(nullptr);
    EXPECT_STREQ(unnamed.name, "");

    Entity e;
    memset(&e, 0, sizeof e);
    e.attack_phase = 0.7f;
    e.pos = {3, 4};
    named.UpdateEntity(&e, 0.1f);
    named.OnDeath(&e, nullptr);
    EXPECT_FALSE(named.FixCollisions(&e));
    EXPECT_EQ(e.attack_phase, 0.7f);
    EXPECT_EQ(e.pos.x, 3.0f);
    named.OnBirth(&e);
    EXPECT_EQ(e.attack_phase, 0.0f);
}

class TargetChoiceTest : public EntityAITest {};

TEST_F(TargetChoiceTest, TargetThatDiedMidAttackIsClearedAndReplaced) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *victim = Spawn("Trooper", {120, 100});
    Entity *other = Spawn("Trooper", {700, 100});
    ASSERT_TRUE(grunt && victim && other);
    grunt->target = victim;
    grunt->attack_phase = 0.5f;
    world->KillEntity(victim, grunt, true);
    ASSERT_FALSE(victim->IsAlive());
    victim->phase = 0.6f;  // dying for over half a second: out of the queries

    Entity *chosen = ai->GetTargetForEntity(grunt);
    EXPECT_EQ(grunt->target, nullptr);
    EXPECT_EQ(grunt->attack_phase, 0.0f);
    EXPECT_EQ(chosen, other);  // the 1500-unit search
}

TEST_F(TargetChoiceTest, AttackInProgressKeepsTheTarget) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *far_trooper = Spawn("Trooper", {900, 100});
    Entity *near_trooper = Spawn("Trooper", {150, 100});
    ASSERT_TRUE(grunt && far_trooper && near_trooper);
    grunt->target = far_trooper;
    grunt->attack_phase = 0.2f;
    SetSecondTick(true);
    EXPECT_EQ(ai->GetTargetForEntity(grunt), far_trooper);
    grunt->attack_phase = 0.0f;
    EXPECT_EQ(ai->GetTargetForEntity(grunt), near_trooper);  // the tick's aggro search
}

TEST_F(TargetChoiceTest, LivingTargetIsKeptBetweenTicksAndReplacedByAggroOnTheTick) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *far_trooper = Spawn("Trooper", {900, 100});
    Entity *near_trooper = Spawn("Trooper", {250, 100});  // within aggro 200
    ASSERT_TRUE(grunt && far_trooper && near_trooper);
    grunt->target = far_trooper;
    SetSecondTick(false);
    EXPECT_EQ(ai->GetTargetForEntity(grunt), far_trooper);
    SetSecondTick(true);
    EXPECT_EQ(ai->GetTargetForEntity(grunt), near_trooper);
}

TEST_F(TargetChoiceTest, BunkerOfTheOtherGroupIsChosenUnlessAnEnemyIsWithinAggro) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *bunker = Spawn("BaseBunker", {800, 500});
    Entity *trooper = Spawn("Trooper", {600, 100});  // within 1500, beyond aggro 200
    ASSERT_TRUE(grunt && bunker && trooper);
    game.base = bunker;
    EXPECT_EQ(ai->GetTargetForEntity(grunt), bunker);
    trooper->pos = {250, 100};
    world->UnlinkEntity(trooper);
    world->LinkEntity(trooper);
    // The bunker as candidate always looks for an enemy within aggro.
    EXPECT_EQ(ai->GetTargetForEntity(grunt), trooper);
}

TEST_F(TargetChoiceTest, BunkerOfTheOwnGroupIsNotATarget) {
    StartWorld();
    Entity *trooper = Spawn("Trooper", {100, 100});
    Entity *bunker = Spawn("BaseBunker", {200, 100});
    Entity *grunt = Spawn("Grunt", {1000, 100});
    ASSERT_TRUE(trooper && bunker && grunt);
    game.base = bunker;
    EXPECT_EQ(ai->GetTargetForEntity(trooper), grunt);
}

TEST_F(TargetChoiceTest, PrimaryTargetsAreNotAdoptedAndStopTheDefaultSearch) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *trooper = Spawn("Trooper", {600, 100});  // beyond aggro, within 1500
    Entity *marked = Spawn("Grunt", {120, 100});
    ASSERT_TRUE(grunt && trooper && marked);
    controls.targets.InsertLast({marked, 0.0f});
    EXPECT_EQ(ai->GetTargetForEntity(grunt), nullptr);
    controls.targets.Clear();
    EXPECT_EQ(ai->GetTargetForEntity(grunt), trooper);
}

TEST_F(TargetChoiceTest, NothingInRangeGivesNoTarget) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {50, 50});
    ASSERT_NE(grunt, nullptr);
    EXPECT_EQ(ai->GetTargetForEntity(grunt), nullptr);
    EXPECT_EQ(grunt->target, nullptr);  // the caller stores the result
}

TEST_F(TargetChoiceTest, DefendTheFlagFindsTheNearestLivingMedTentAmongAllPlayers) {
    StartWorld();
    game.parms.game_mode = GAME_MODE_DEFEND_THE_FLAG;
    Entity *grunt = Spawn("Grunt", {100, 100});
    ASSERT_NE(grunt, nullptr);
    // Twelve troopers come first in pool order, out of every search's reach.
    for (int i = 0; i < 12; i++) {
        ASSERT_NE(Spawn("Trooper", {1000.0f - 5.0f * (float)i, 700}), nullptr);
    }
    Entity *far_tent = Spawn("MedTent", {900, 100});
    Entity *dead_tent = Spawn("MedTent", {350, 100});  // beyond aggro
    Entity *near_tent = Spawn("MedTent", {500, 100});
    ASSERT_TRUE(far_tent && dead_tent && near_tent);
    world->KillEntity(dead_tent, nullptr, true);
    EXPECT_EQ(ai->GetTargetForEntity(grunt), near_tent);

    // Without tents the candidate stays empty: no 1500-unit search in this mode.
    world->KillEntity(near_tent, nullptr, true);
    world->KillEntity(far_tent, nullptr, true);
    EXPECT_EQ(ai->GetTargetForEntity(grunt), nullptr);

    // A trooper in this mode searches as usual.
    Entity *trooper = Spawn("Trooper", {300, 300});
    ASSERT_NE(trooper, nullptr);
    EXPECT_EQ(ai->GetTargetForEntity(trooper), grunt);
}

class AttackVectorTest : public EntityAITest {
protected:
    void SetWaypoints(std::initializer_list<GameWaypoint> points) {
        int n = 0;
        for (const GameWaypoint &w : points) {
            game.waypoints[n++] = w;
        }
        game.num_waypoints = n;
    }
};

void ExpectVector(vec2_t v, float x, float y) {
    EXPECT_NEAR(v.x, x, 2e-3f);
    EXPECT_NEAR(v.y, y, 2e-3f);
}

TEST_F(AttackVectorTest, NoTargetNoWish) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    ASSERT_NE(grunt, nullptr);
    ExpectVector(ai->GetAttackVector(grunt), 0, 0);
}

TEST_F(AttackVectorTest, UnitVectorTowardTheTargetUntilWithinReach) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *trooper = Spawn("Trooper", {400, 500});
    ASSERT_TRUE(grunt && trooper);
    grunt->target = trooper;
    ExpectVector(ai->GetAttackVector(grunt), 0.6f, 0.8f);
    // Reach: the radii less 4 (16 here).
    grunt->pos = {400, 483.9f};
    ExpectVector(ai->GetAttackVector(grunt), 0, 1);
    grunt->pos = {400, 484.5f};
    ExpectVector(ai->GetAttackVector(grunt), 0, 0);
}

TEST_F(AttackVectorTest, PanicTable) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *trooper = Spawn("Trooper", {500, 100});  // due east
    ASSERT_TRUE(grunt && trooper);
    struct Case {
        float burn_time, hit_points, random_phase;
        float x, y;
    };
    static const Case kCases[] = {
        {0.6f, 19.0f, 0.7f, 0, 1},   // panics to the left (-y, x)
        {0.6f, 19.0f, 0.5f, 0, 1},
        {0.6f, 19.0f, 0.2f, 0, -1},  // to the right (y, -x)
        {0.5f, 19.0f, 0.7f, 1, 0},   // not burning enough
        {0.6f, 20.0f, 0.7f, 1, 0},   // not hurt enough
        {0.0f, 5.0f, 0.7f, 1, 0},
    };
    grunt->target = trooper;
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.burn_time << " " << c.hit_points << " " << c.random_phase);
        grunt->burn_time = c.burn_time;
        grunt->hit_points = c.hit_points;
        grunt->random_phase = c.random_phase;
        ExpectVector(ai->GetAttackVector(grunt), c.x, c.y);
    }
}

TEST_F(AttackVectorTest, WaypointWalkToParentsThenToTheBunker) {
    StartWorld();
    Entity *bunker = Spawn("BaseBunker", {900, 700});
    Entity *grunt = Spawn("Grunt", {100, 100});
    Entity *trooper = Spawn("Trooper", {100, 700});
    ASSERT_TRUE(bunker && grunt && trooper);
    game.base = bunker;
    // A route 1 -> 2 -> 3 (3 has no parent); 4 lies off the route, farther away.
    SetWaypoints({{1, 2, 300, 100}, {2, 3, 300, 400}, {3, 0, 700, 400}, {4, 1, 100, 500}});
    grunt->target = trooper;
    grunt->attack_phase = 0.0f;

    ExpectVector(ai->GetAttackVector(grunt), 1, 0);  // toward waypoint 1
    EXPECT_EQ(grunt->waypoint, 0);

    grunt->pos = {275, 100};  // within radius + 20 of waypoint 1: on to 2
    ExpectVector(ai->GetAttackVector(grunt), 0.0830f, 0.9965f);
    EXPECT_EQ(grunt->waypoint, 1);

    grunt->pos = {300, 300};  // on the way: still waypoint 2
    ExpectVector(ai->GetAttackVector(grunt), 0, 1);
    EXPECT_EQ(grunt->waypoint, 1);

    grunt->pos = {300, 371};
    ExpectVector(ai->GetAttackVector(grunt), 0.9973f, 0.0725f);
    EXPECT_EQ(grunt->waypoint, 2);

    grunt->pos = {690, 400};  // the last waypoint: the route is done
    grunt->attack_phase = 0.3f;
    vec2_t last = ai->GetAttackVector(grunt);
    ExpectVector(last, -0.8914f, 0.4532f);  // this frame still aims at the trooper
    EXPECT_EQ(grunt->target, bunker);
    EXPECT_EQ(grunt->attack_phase, 0.0f);
    EXPECT_EQ(grunt->waypoint, 4);

    ExpectVector(ai->GetAttackVector(grunt), 0.5735f, 0.8192f);  // straight at the bunker
    EXPECT_EQ(grunt->waypoint, 4);
}

TEST_F(AttackVectorTest, FirstWaypointMustBeNearerThanTheBase) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {500, 400});
    Entity *trooper = Spawn("Trooper", {100, 100});
    Entity *bunker = Spawn("BaseBunker", {560, 400});
    ASSERT_TRUE(grunt && trooper && bunker);
    // Distances 300, 250 and 300 from the grunt.
    SetWaypoints({{7, 0, 800, 400}, {8, 0, 500, 150}, {9, 0, 500, 700}});
    grunt->target = trooper;
    struct Case {
        const char *what;
        bool bunker;
        bool medtent;
        int waypoint;
    };
    static const Case kCases[] = {
        {"neither bunker nor MedTent: the nearest waypoint of all", false, false, 1},
        {"bunker nearer than every waypoint", true, false, 3},
        {"MedTent nearer than every waypoint", false, true, 3},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        game.base = c.bunker ? bunker : nullptr;
        if (c.medtent) {
            ASSERT_NE(Spawn("MedTent", {500, 450}), nullptr);
        }
        grunt->waypoint = -1;
        ai->GetAttackVector(grunt);
        EXPECT_EQ(grunt->waypoint, c.waypoint);
    }
}

TEST_F(AttackVectorTest, PlayersAndEntitiesWithoutWaypointsIgnoreThem) {
    StartWorld();
    Entity *trooper = Spawn("Trooper", {100, 100});
    Entity *grunt = Spawn("Grunt", {100, 500});
    ASSERT_TRUE(trooper && grunt);
    SetWaypoints({{1, 0, 600, 100}});
    trooper->target = grunt;
    ExpectVector(ai->GetAttackVector(trooper), 0, 1);
    EXPECT_EQ(trooper->waypoint, -1);
    game.num_waypoints = 0;
    grunt->target = trooper;
    ExpectVector(ai->GetAttackVector(grunt), 0, -1);
    EXPECT_EQ(grunt->waypoint, -1);
}

}  // namespace
}  // namespace aitest
