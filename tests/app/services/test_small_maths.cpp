// The shared small maths: clamping to [0, 1] (not-a-number included), the ease curve
// at its ends, middle and outside them, distances, whole numbers without overflow, and
// the rotation about a point read back by transforming points.
#include "app/services/small-maths.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <math.h>

namespace {

TEST(SmallMaths, Clamp01KeepsNotANumberOut)
{
    const struct {
        float in, out;
    } kCases[] = {{-2.0f, 0.0f}, {0.0f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}, {7.0f, 1.0f},
                  {NAN, 0.0f},   {INFINITY, 1.0f}, {-INFINITY, 0.0f}};
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(Clamp01(c.in), c.out);
    }
}

TEST(SmallMaths, EaseRunsFromZeroToOneAndStaysThere)
{
    EXPECT_FLOAT_EQ(EaseInOut(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(EaseInOut(1.0f), 1.0f);
    EXPECT_NEAR(EaseInOut(0.5f), 1.0 - cos(M_PI_2 * sin(M_PI_4)), 1e-6);
    // Outside [0, 1] the curve does not come back (1.5 would without the clamp).
    EXPECT_FLOAT_EQ(EaseInOut(1.5f), 1.0f);
    EXPECT_FLOAT_EQ(EaseInOut(3.0f), 1.0f);
    EXPECT_FLOAT_EQ(EaseInOut(-0.5f), 0.0f);
    EXPECT_EQ(EaseInOut(NAN), 0.0f);
    float last = 0.0f;
    for (int i = 1; i <= 100; i++) {
        const float e = EaseInOut((float)i / 100.0f);
        EXPECT_GE(e, last);
        last = e;
    }
}

TEST(SmallMaths, DistanceIsSymmetric)
{
    EXPECT_FLOAT_EQ(Distance({1.0f, 2.0f}, {4.0f, 6.0f}), 5.0f);
    EXPECT_FLOAT_EQ(Distance({4.0f, 6.0f}, {1.0f, 2.0f}), 5.0f);
    EXPECT_EQ(Distance({3.0f, 3.0f}, {3.0f, 3.0f}), 0.0f);
}

TEST(SmallMaths, SaturatedIntTruncatesWithinTheIntRange)
{
    const struct {
        double in;
        int out;
    } kCases[] = {{7.9, 7},           {-7.9, -7},         {0.0, 0},   {2147483646.5, 2147483646},
                  {1e20, INT_MAX},    {-1e20, INT_MIN},   {NAN, 0},   {INFINITY, INT_MAX},
                  {-INFINITY, INT_MIN}};
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(SaturatedInt(c.in), c.out);
    }
}

// Where the transform takes (x, y): row by row, acting on column vectors.
vec2_t Apply(const nTransform &t, vec2_t p)
{
    return {t.m[0] * p.x + t.m[1] * p.y + t.m[3], t.m[4] * p.x + t.m[5] * p.y + t.m[7]};
}

TEST(SmallMaths, RotationAboutAPointKeepsThePointAndTurnsAroundIt)
{
    const vec2_t s = {100.0f, 50.0f};
    const nTransform quarter = RotationAbout(s, kPi / 2.0f);
    const vec2_t centre = Apply(quarter, s);
    EXPECT_NEAR(centre.x, 100.0f, 1e-4f);
    EXPECT_NEAR(centre.y, 50.0f, 1e-4f);
    const vec2_t right = Apply(quarter, {110.0f, 50.0f});  // 10 to the right turns to 10 below
    EXPECT_NEAR(right.x, 100.0f, 1e-4f);
    EXPECT_NEAR(right.y, 60.0f, 1e-4f);
    const nTransform none = RotationAbout(s, 0.0f);
    const vec2_t same = Apply(none, {3.0f, -4.0f});
    EXPECT_FLOAT_EQ(same.x, 3.0f);
    EXPECT_FLOAT_EQ(same.y, -4.0f);
    EXPECT_EQ(none.m[10], 1.0f);
    EXPECT_EQ(none.m[15], 1.0f);
}

}  // namespace
