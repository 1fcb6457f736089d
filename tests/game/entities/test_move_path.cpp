// Movement paths without the world: point spacing and span rules, the walk by
// distance, front trimming with the block's growth and shrink tables, the pulse.
// (The obstacle rule and the drawn arrows are tested with the world in
// test_move_path_world.cpp.)
#include "game/entities/move-path.h"

#include <gtest/gtest.h>

#include <math.h>

#include <vector>

namespace {

// Appends points along the x axis at the given coordinates; returns how many were taken.
int AddAlongX(MovePath *path, const std::vector<float> &xs) {
    int taken = 0;
    for (float x : xs) {
        taken += path->AddPoint(vec2_t{x, 0.0f}) ? 1 : 0;
    }
    return taken;
}

TEST(MovePath, NewPathHasNoBlockAndShrinks) {
    MovePath path;
    EXPECT_EQ(path.points, nullptr);
    EXPECT_EQ(path.count, 0);
    EXPECT_EQ(path.capacity, 0);
    EXPECT_TRUE(path.shrink);
    EXPECT_EQ(sizeof(MovePathPoint), 16u);
}

TEST(MovePath, SpacingRuleTable) {
    struct Case {
        vec2_t second;
        bool taken;
    };
    static const Case kCases[] = {
        {{9.9f, 0.0f}, false},  {{10.0f, 0.0f}, true},  {{0.0f, -10.0f}, true},
        {{6.0f, 7.9f}, false},  {{6.0f, 8.0f}, true},   {{0.0f, 0.0f}, false},
        {{NAN, 0.0f}, false},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.second.x << "," << c.second.y);
        MovePath path;
        ASSERT_TRUE(path.AddPoint(vec2_t{0.0f, 0.0f}));
        EXPECT_EQ(path.AddPoint(c.second), c.taken);
        EXPECT_EQ(path.count, c.taken ? 2 : 1);
    }
}

TEST(MovePath, AcceptedPointsCarrySegmentAndCumulativeLengths) {
    MovePath path;
    path.AddPoint(vec2_t{0, 0});
    path.AddPoint(vec2_t{30, 40});
    path.AddPoint(vec2_t{30, 52});
    ASSERT_EQ(path.count, 3);
    EXPECT_FLOAT_EQ(path.points[0].seg_len, 0.0f);
    EXPECT_FLOAT_EQ(path.points[0].cum_len, 0.0f);
    EXPECT_FLOAT_EQ(path.points[1].seg_len, 50.0f);
    EXPECT_FLOAT_EQ(path.points[1].cum_len, 50.0f);
    EXPECT_FLOAT_EQ(path.points[2].seg_len, 12.0f);
    EXPECT_FLOAT_EQ(path.points[2].cum_len, 62.0f);
    EXPECT_FLOAT_EQ(path.length, 62.0f);
}

TEST(MovePath, SpanRuleTable) {
    struct Case {
        const char *what;
        std::vector<float> xs;
        bool next_taken;
    };
    const Case kCases[] = {
        {"three points spanning 2000.5 take no more", {0, 1000, 2000.5f}, false},
        {"three points spanning exactly 2000 take one more", {0, 1000, 2000}, true},
        {"two points spanning 5000 take one more", {0, 5000}, true},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        MovePath path;
        ASSERT_EQ(AddAlongX(&path, c.xs), (int)c.xs.size());
        EXPECT_EQ(path.AddPoint(vec2_t{c.xs.back() + 50, 0}), c.next_taken);
    }
}

TEST(MovePath, OverlongPathExtendsAgainOnceTheFollowerTrimsTheFront) {
    MovePath path;
    ASSERT_EQ(AddAlongX(&path, {0, 1000, 2000.5f}), 3);
    EXPECT_FALSE(path.AddPoint(vec2_t{2100, 0}));
    path.Trim(999.0f);  // not past the second point yet
    EXPECT_EQ(path.count, 3);
    EXPECT_FALSE(path.AddPoint(vec2_t{2100, 0}));
    path.Trim(1000.5f);
    EXPECT_EQ(path.count, 2);
    EXPECT_TRUE(path.AddPoint(vec2_t{2100, 0}));
}

TEST(MovePath, GetPointTable) {
    MovePath path;
    ASSERT_EQ(AddAlongX(&path, {100, 200, 300}), 3);
    struct Case {
        float d;
        float x;
    };
    static const Case kCases[] = {
        {0, 100},    {50, 150},  {100, 200}, {150, 250}, {200, 300},
        {250, 300},  {1e9f, 300}, {-50, 50},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.d);
        vec2_t p = path.GetPoint(c.d);
        EXPECT_NEAR(p.x, c.x, 1e-3f);
        EXPECT_FLOAT_EQ(p.y, 0.0f);
    }
}

TEST(MovePath, GetPointOnTwoPointPathAtHalfTheLengthIsTheMidpoint) {
    MovePath path;
    path.AddPoint(vec2_t{10, 20});
    path.AddPoint(vec2_t{40, 60});
    vec2_t p = path.GetPoint(path.points[1].cum_len / 2);
    EXPECT_FLOAT_EQ(p.x, 25.0f);
    EXPECT_FLOAT_EQ(p.y, 40.0f);
}

TEST(MovePath, GetPointOfEmptyAndSinglePointPaths) {
    MovePath path;
    vec2_t p = path.GetPoint(5.0f);
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    path.AddPoint(vec2_t{7, 8});
    for (float d : {-10.0f, 0.0f, 10.0f}) {
        p = path.GetPoint(d);
        EXPECT_EQ(p.x, 7.0f);
        EXPECT_EQ(p.y, 8.0f);
    }
}

TEST(MovePath, TrimRemovesOnePointPerCallKeepsAbsoluteDistancesAndTwoPoints) {
    MovePath path;
    ASSERT_EQ(AddAlongX(&path, {0, 10, 20, 30, 40}), 5);
    path.Trim(1000.0f);
    EXPECT_EQ(path.count, 4);
    EXPECT_FLOAT_EQ(path.points[0].x, 10.0f);
    EXPECT_FLOAT_EQ(path.points[0].cum_len, 10.0f);
    EXPECT_NEAR(path.GetPoint(25.0f).x, 25.0f, 1e-4f);
    path.Trim(1000.0f);
    path.Trim(1000.0f);
    EXPECT_EQ(path.count, 2);
    path.Trim(1000.0f);
    EXPECT_EQ(path.count, 2);
    EXPECT_FLOAT_EQ(path.points[0].x, 30.0f);
    EXPECT_FLOAT_EQ(path.points[1].x, 40.0f);
    // The second point at exactly d is not yet passed.
    MovePath exact;
    ASSERT_EQ(AddAlongX(&exact, {0, 10, 20}), 3);
    exact.Trim(10.0f);
    EXPECT_EQ(exact.count, 3);
}

// Capacity after each count while growing to 100 points, then while trimming down.
TEST(MovePath, GrowthAndShrinkTables) {
    struct Step {
        int count;
        int capacity;
    };
    static const Step kGrowth[] = {
        {1, 32}, {30, 32}, {31, 32}, {32, 64}, {63, 64}, {64, 128}, {100, 128},
    };
    static const Step kShrink[] = {
        {99, 128}, {33, 128}, {32, 64}, {17, 64}, {16, 32}, {9, 32},
        {8, 16},   {5, 16},   {4, 8},   {3, 8},   {2, 4},
    };
    MovePath path;
    int growth = 0;
    for (int i = 0; i < 100; i++) {
        ASSERT_TRUE(path.AddPoint(vec2_t{(float)(i * 10), 0.0f}));
        if (path.count == kGrowth[growth].count) {
            EXPECT_EQ(path.capacity, kGrowth[growth].capacity) << "count " << path.count;
            growth++;
        }
    }
    EXPECT_EQ(growth, (int)(sizeof(kGrowth) / sizeof(kGrowth[0])));
    MovePath steady;  // the same path without the shrink flag
    steady.shrink = false;
    for (int i = 0; i < 100; i++) {
        steady.AddPoint(vec2_t{(float)(i * 10), 0.0f});
    }
    int shrink = 0;
    while (path.count > 2) {
        path.Trim(1e9f);
        steady.Trim(1e9f);
        if (path.count == kShrink[shrink].count) {
            EXPECT_EQ(path.capacity, kShrink[shrink].capacity) << "count " << path.count;
            shrink++;
        }
        EXPECT_EQ(steady.capacity, 128);
    }
    EXPECT_EQ(shrink, (int)(sizeof(kShrink) / sizeof(kShrink[0])));
    EXPECT_FLOAT_EQ(path.points[0].x, 980.0f);
    EXPECT_FLOAT_EQ(path.points[1].x, 990.0f);
    EXPECT_FLOAT_EQ(steady.points[1].x, 990.0f);
}

TEST(MovePath, ResetKeepsTheBlockAndTheHeldFlagAndRestartsDistances) {
    MovePath path;
    path.held = true;
    AddAlongX(&path, {0, 10, 20});
    path.pulse_time = 3.0f;
    MovePathPoint *block = path.points;
    path.Reset();
    EXPECT_EQ(path.count, 0);
    EXPECT_EQ(path.length, 0.0f);
    EXPECT_EQ(path.pulse_time, 0.0f);
    EXPECT_EQ(path.points, block);
    EXPECT_EQ(path.capacity, 32);
    EXPECT_TRUE(path.held);
    ASSERT_TRUE(path.AddPoint(vec2_t{5, 5}));  // near the old points: they are gone
    EXPECT_EQ(path.points[0].cum_len, 0.0f);
}

TEST(MovePath, PulseClockStandsStillWhileHeld) {
    MovePath path;
    path.held = true;
    path.Update(0.5f);
    EXPECT_EQ(path.pulse_time, 0.0f);
    path.held = false;
    path.Update(0.5f);
    path.Update(0.25f);
    EXPECT_FLOAT_EQ(path.pulse_time, 0.75f);
}

TEST(MovePath, ArrowLookTable) {
    // w = (pulse_time - d / 2000) x 10; inside (0, 2 pi) q = (1 - cos w) / 4.
    struct Case {
        bool held;
        float pulse_time;
        float d;
        float alpha, size;
    };
    const float pi = (float)M_PI;
    const Case kCases[] = {
        {true, pi / 10, 0, 0.5f, 1.0f},         // held: no pulse
        {false, 0.0f, 0, 0.5f, 1.0f},           // w = 0
        {false, 0.1f, 400, 0.5f, 1.0f},         // w < 0: the wave has not reached d
        {false, pi / 10, 0, 1.0f, 1.5f},        // w = pi: the crest
        {false, pi / 20, 0, 0.75f, 1.25f},      // w = pi / 2
        {false, pi / 10 + 0.05f, 100, 1.0f, 1.5f},  // the crest 100 units on
        {false, 2 * pi / 10 + 0.01f, 0, 0.5f, 1.0f},  // w > 2 pi: passed
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.held << " " << c.pulse_time << " " << c.d);
        MovePath path;
        path.held = c.held;
        path.pulse_time = c.pulse_time;
        float alpha = -1, size = -1;
        path.GetArrowLook(c.d, &alpha, &size);
        EXPECT_NEAR(alpha, c.alpha, 1e-4f);
        EXPECT_NEAR(size, c.size, 1e-4f);
    }
}

}  // namespace
