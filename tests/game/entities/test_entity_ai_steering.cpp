// Steering of the behaviour base: the avoid vector (the vector field, the own group's
// crowd within 1.25 x the radii, the PLAYERS group's 50 units plus 1.05 x the radii
// from structures) and the direction on a fixture field: free, blocked, the side
// commitment, the side shared with the nearest friend, and the zero result.
#include "tests/game/entities/test_entity_ai_fixture.h"

#include <gtest/gtest.h>
#include <math.h>

namespace aitest {
namespace {

void ExpectVector(vec2_t v, float x, float y, float tolerance = 3e-3f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
}

class AvoidVectorTest : public EntityAITest {};

TEST_F(AvoidVectorTest, CrowdOfTheOwnGroupPushesApartWithinOneAndAQuarterRadii) {
    StartWorld();
    // Two radii of 10: r = 25; the push is 1 - d / r away from the neighbour.
    struct Case {
        float d;
        float push;
    };
    static const Case kCases[] = {{10, 0.6f}, {20, 0.2f}, {24, 0.04f}, {25, 0}, {35, 0}};
    float y = 100;
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.d);
        Entity *a = Spawn("Trooper", {300, y});
        Entity *b = Spawn("Trooper", {300 + c.d, y});
        ASSERT_TRUE(a && b);
        ExpectVector(ai->GetAvoidVector(a), -c.push, 0);
        ExpectVector(ai->GetAvoidVector(b), c.push, 0);
        y += 100;
    }
    // Enemies nearby push nothing.
    Entity *a = Spawn("Grunt", {700, 100});
    Entity *b = Spawn("Trooper", {710, 100});
    ASSERT_TRUE(a && b);
    ExpectVector(ai->GetAvoidVector(a), 0, 0);
}

TEST_F(AvoidVectorTest, TroopersKeepFiftyUnitsPlusTheRadiiFromStructures) {
    StartWorld();
    // Wall radius 40, trooper radius 10: r = 50 + 50 x 1.05 = 102.5.
    struct Case {
        float d;
        float push;
    };
    static const Case kCases[] = {{50, 0.51220f}, {100, 0.02439f}, {102.5f, 0}, {120, 0}};
    float y = 100;
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.d);
        Entity *trooper = Spawn("Trooper", {300, y});
        Entity *grunt = Spawn("Grunt", {300, y + 30});
        Entity *wall = Spawn("Wall", {300 + c.d, y});
        ASSERT_TRUE(trooper && grunt && wall);
        ExpectVector(ai->GetAvoidVector(trooper), -c.push, 0);
        y += 150;
        world->KillEntity(wall, nullptr, true);
        wall->phase = 1.0f;
    }
}

TEST_F(AvoidVectorTest, EnemiesIgnoreStructures) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {300, 300});
    Entity *wall = Spawn("Wall", {350, 300});
    ASSERT_TRUE(grunt && wall);
    ExpectVector(ai->GetAvoidVector(grunt), 0, 0);
}

TEST_F(AvoidVectorTest, FieldContributesAQuarterPercentAndAddsToTheCrowd) {
    StartWorld();
    FillField({100, -40});
    Entity *a = Spawn("Trooper", {300, 300});
    ASSERT_NE(a, nullptr);
    ExpectVector(ai->GetAvoidVector(a), 0.25f, -0.1f, 1e-5f);
    Entity *b = Spawn("Trooper", {300, 310});  // push 0.6 upward on a
    ASSERT_NE(b, nullptr);
    ExpectVector(ai->GetAvoidVector(a), 0.25f, -0.7f);
}

class DirectionTest : public EntityAITest {
protected:
    Entity *Walker(float avoid_side, float avoid_time) {
        Entity *e = Spawn("Grunt", {500, 400});
        if (e != nullptr) {
            e->avoid_side = avoid_side;
            e->avoid_time = avoid_time;
        }
        return e;
    }
};

TEST_F(DirectionTest, FreePathFollowsTheWishAndBlendsAWeakOneIntoTheSidestep) {
    StartWorld();
    struct Case {
        const char *what;
        vec2_t field;
        vec2_t attack, avoid;
        float avoid_side;
        vec2_t result;
    };
    static const Case kCases[] = {
        {"strong wish, no field", {0, 0}, {1, 0}, {0, 0}, 0.7f, {1, 0}},
        {"weak wish, left sidestep", {0, 0}, {0.15f, 0}, {0, 0.1f}, 0.7f, {0.6402f, 0.7682f}},
        {"weak wish, right sidestep", {0, 0}, {0.15f, 0}, {0, 0.1f}, 0.2f, {0.9080f, 0.4191f}},
        {"field at right angles to the wish", {0, 50}, {1, 0}, {0, 0}, 0.7f, {1, 0}},
        {"field along the wish", {30, 0}, {1, 0}, {0, 0}, 0.7f, {1, 0}},
        {"field too weak to block", {-0.005f, 0}, {1, 0}, {0, 0}, 0.7f, {1, 0}},
        {"nothing wished, nothing avoided", {0, 0}, {0, 0}, {0, 0}, 0.7f, {0, 0}},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        FillField(c.field);
        Entity *e = Walker(c.avoid_side, 0.5f);
        ASSERT_NE(e, nullptr);
        ScriptRandom({9});
        vec2_t d = ai->GetDirection(e, c.attack, c.avoid, 0.1f, false);
        ExpectVector(d, c.result.x, c.result.y);
        EXPECT_FALSE(isnan(d.x) || isnan(d.y));
        EXPECT_NEAR(e->avoid_time, 0.3f, 1e-6f);  // less 2 x dt
        EXPECT_EQ(e->avoid_side, c.avoid_side);
        EXPECT_EQ(RandomDrawsTaken(), 1);
        world->KillEntity(e, nullptr, true);
        e->phase = 1.0f;
        AppSetRandomSource(nullptr);
    }
}

TEST_F(DirectionTest, BlockedPathSlidesAlongTheObstacleAndCommitsToASide) {
    StartWorld();
    FillField({-100, 0});  // an obstacle to the east pushes west
    struct Case {
        const char *what;
        vec2_t attack;
        float avoid_side, avoid_time;
        vec2_t result;
        float side_after, time_after;
        float buddy_side, buddy_time;  // the nearest friend afterwards (from 0.9, 0.0)
    };
    static const Case kCases[] = {
        {"committed, left of the field", {1, 0}, 0.7f, 0.5f, {-0.025f, -0.9997f}, 0.7f, 0.52f, 0.9f, 0.0f},
        {"committed, right of the field", {1, 0}, 0.2f, 0.5f, {-0.025f, 0.9997f}, 0.2f, 0.52f, 0.9f, 0.0f},
        {"uncommitted, side away from the wish: turns and tells", {1, 0.5f}, 0.7f, -1.5f, {-0.025f, 0.9997f},
         0.3f, 1.02f, 0.3f, 1.0f},
        {"uncommitted, side toward the wish: keeps it and tells", {1, -0.5f}, 0.7f, -1.5f, {-0.025f, -0.9997f},
         0.7f, 1.02f, 0.7f, 1.0f},
        {"wavering, side away from the wish: turns", {1, 0.5f}, 0.7f, 0.1f, {-0.025f, 0.9997f}, 0.3f, 1.02f,
         0.3f, 0.0f},
        {"wavering, side toward the wish: keeps it", {1, -0.5f}, 0.7f, 0.1f, {-0.025f, -0.9997f}, 0.7f, 0.12f,
         0.9f, 0.0f},
    };
    float y = 100;
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        Entity *e = Spawn("Grunt", {300, y});
        Entity *buddy = Spawn("Grunt", {305, y});
        ASSERT_TRUE(e && buddy);
        e->avoid_side = c.avoid_side;
        e->avoid_time = c.avoid_time;
        buddy->avoid_side = 0.9f;
        buddy->avoid_time = 0.0f;
        ScriptRandom({9});  // no sharing by chance
        ExpectVector(ai->GetDirection(e, c.attack, {0, 0}, 0.1f, false), c.result.x, c.result.y);
        EXPECT_NEAR(e->avoid_side, c.side_after, 1e-6f);
        EXPECT_NEAR(e->avoid_time, c.time_after, 1e-6f);
        EXPECT_NEAR(buddy->avoid_side, c.buddy_side, 1e-6f);
        EXPECT_NEAR(buddy->avoid_time, c.buddy_time, 1e-6f);
        EXPECT_EQ(RandomDrawsTaken(), 1);
        y += 100;
    }
}

TEST_F(DirectionTest, NoSideSwitchTakesTheFreePathAgainstTheField) {
    StartWorld();
    FillField({-100, 0});
    Entity *e = Walker(0.7f, 0.5f);
    ASSERT_NE(e, nullptr);
    ScriptRandom({9});
    ExpectVector(ai->GetDirection(e, {1, 0}, {0, 0}, 0.1f, true), 1, 0);
    EXPECT_NEAR(e->avoid_time, 0.3f, 1e-6f);
}

TEST_F(DirectionTest, NearestFriendTakesTheSideThreeTimesInTen) {
    StartWorld();
    struct Case {
        int draw;
        bool blocked;
        bool shared;
    };
    static const Case kCases[] = {
        {0, false, true}, {2, false, true}, {3, false, false}, {12, false, true},
        {2, true, true},  {9, true, false},
    };
    float y = 100;
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.draw << (c.blocked ? " blocked" : " free"));
        FillField(c.blocked ? vec2_t{-100, 0} : vec2_t{0, 0});
        Entity *e = Spawn("Grunt", {300, y});
        Entity *buddy = Spawn("Grunt", {305, y});
        Entity *stranger = Spawn("Grunt", {330, y});  // beyond the radius
        ASSERT_TRUE(e && buddy && stranger);
        e->avoid_side = 0.2f;
        e->avoid_time = 0.5f;
        buddy->avoid_side = 0.9f;
        stranger->avoid_side = 0.9f;
        ScriptRandom({c.draw});
        ai->GetDirection(e, {1, 0}, {0, 0}, 0.1f, false);
        EXPECT_EQ(buddy->avoid_side, c.shared ? 0.2f : 0.9f);
        EXPECT_EQ(stranger->avoid_side, 0.9f);
        y += 100;
    }
}

TEST_F(DirectionTest, FieldSampledOutsideTheWorldOrAtNaNIsClampedNotFaulted) {
    StartWorld();
    FillField({-100, 0});
    Entity *e = Walker(0.7f, 0.5f);
    ASSERT_NE(e, nullptr);
    static const vec2_t kPoints[] = {{-50, -50}, {1e9f, 1e9f}, {NAN, 300}, {300, -INFINITY}};
    for (vec2_t p : kPoints) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        e->pos = p;
        ScriptRandom({9});
        vec2_t d = ai->GetDirection(e, {1, 0}, {0, 0}, 0.1f, false);
        ExpectVector(d, -0.025f, -0.9997f);  // the border cells hold the field too
        vec2_t avoid = ai->GetAvoidVector(e);
        EXPECT_FALSE(isnan(avoid.x) || isnan(avoid.y));
    }
}

}  // namespace
}  // namespace aitest
