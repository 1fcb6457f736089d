// Angle helpers: wrapping at +-pi, quantisation to 1/65536 of a turn, turns that never
// overshoot, and the fast inverse square root.
#include "game/entities/angles.h"

#include <gtest/gtest.h>

#include <math.h>
#include <random>
#include <string.h>
#include <vector>

static const double kPi = 3.14159265358979323846;
static const double kStep = 2.0 * kPi / 65536.0;

TEST(AngleWrap, Table)
{
    const struct { float in; double out; } cases[] = {
        {0.0f, 0.0},
        {(float)kPi, kPi},                   // pi stays pi: the range is (-pi, pi]
        {(float)-kPi, kPi},                  // -pi wraps to pi
        {3.1420f, 3.1420 - 2.0 * kPi},       // just past pi goes negative
        {(float)(2.0 * kPi), 0.0},
        {(float)(-2.5 * kPi), -0.5 * kPi},
        {(float)(4.5 * kPi), 0.5 * kPi},
        {-1e-7f, 0.0},                       // truncation toward zero
        {(float)(kStep * 0.999), 0.0},       // below one step: 0
        {(float)(kStep * 1.001), kStep},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(c.out, AngleWrap(c.in), kStep + 1e-6) << "in " << c.in;
}

TEST(AngleWrap, NonFiniteIsZeroAndHugeStaysInRange)
{
    EXPECT_EQ(0.0f, AngleWrap(INFINITY));
    EXPECT_EQ(0.0f, AngleWrap(-INFINITY));
    EXPECT_EQ(0.0f, AngleWrap(NAN));
    const float huge[] = {1e9f, -1e9f, 3e38f, -3e38f, 123456.789f, -65536.0f * 7.0f};
    for (float a : huge) {
        float w = AngleWrap(a);
        EXPECT_TRUE(isfinite(w)) << a;
        EXPECT_GT(w, (float)-kPi) << a;
        EXPECT_LE(w, (float)kPi) << a;
    }
}

// Every result is a whole number of steps, inside (-pi, pi], less than one step from
// the input (modulo a turn).
TEST(AngleWrap, QuantisesBelowOneStep)
{
    std::mt19937 gen(23);
    std::uniform_real_distribution<float> dist(-200.0f, 200.0f);
    for (int i = 0; i < 20000; i++) {
        float a = dist(gen);
        double w = AngleWrap(a);
        double steps = w / kStep;
        EXPECT_NEAR(steps, nearbyint(steps), 1e-2) << a;
        double gap = fmod((double)a - w, 2.0 * kPi);
        if (gap < 0)
            gap += 2.0 * kPi;
        if (gap > kPi)
            gap -= 2.0 * kPi;
        EXPECT_LT(fabs(gap), kStep + 1e-5) << a;
        ASSERT_GT(w, -kPi - 1e-6);
        ASSERT_LE(w, kPi + 1e-6);
    }
}

// The wrap as a formula over doubles with the library's trunc and fmod: the result
// must be the same number, bit for bit (signed zeros included), for every input.
static double WrapByFormula(double a)
{
    if (!isfinite(a))
        return 0.0;
    double m = fmod(trunc(a * 65536.0 / (2.0 * kPi)), 65536.0);
    if (m < 0.0)
        m += 65536.0;
    double r = m * (2.0 * kPi) / 65536.0;
    return r > kPi ? r - 2.0 * kPi : r;
}

TEST(AngleWrap, SameBitsAsTheFormulaOverManyAngles)
{
    std::vector<float> inputs = {0.0f, -0.0f, 1e-30f, -1e-30f, 1e-45f, -1e-45f, (float)kPi, (float)-kPi,
                                 (float)(2.0 * kPi), (float)(-2.0 * kPi), 3e38f, -3e38f, 1e15f, -1e15f,
                                 9.1e15f, 8.9e15f, (float)kStep, (float)-kStep};
    for (int k = -40; k <= 40; k++) {
        double a = k * kPi / 4.0;
        inputs.push_back((float)a);
        inputs.push_back(nextafterf((float)a, INFINITY));
        inputs.push_back(nextafterf((float)a, -INFINITY));
    }
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> wide(-1e6f, 1e6f), near(-20.0f, 20.0f);
    for (int i = 0; i < 200000; i++)
        inputs.push_back(i % 2 ? wide(rng) : near(rng));
    for (float a : inputs) {
        float got = AngleWrap(a);
        float want = (float)WrapByFormula(a);
        ASSERT_EQ(0, memcmp(&got, &want, sizeof got)) << "angle " << a << ": " << got << " against " << want;
    }
    // Through the turns as well: both sides of a step, gaps across the seam.
    for (int i = 0; i < 20000; i++) {
        float a = near(rng), b = near(rng), dt = 1.0f / 60.0f;
        double gap = WrapByFormula(WrapByFormula(b) - WrapByFormula(a));
        double step = fabs(WrapByFormula(WrapByFormula(a) - WrapByFormula(b))) * 2.0 * dt;
        step = step > fabs(gap) ? fabs(gap) : step;
        float want = step > 0.0 ? (float)(a + (gap < 0.0 ? -step : step)) : a;
        float got = TurnTowardGain(a, b, 2.0f, dt);
        ASSERT_EQ(0, memcmp(&got, &want, sizeof got)) << a << " toward " << b;
    }
}

TEST(AngleDiff, SmallestSignedDifference)
{
    const struct { float a, b; double out; } cases[] = {
        {0.5f, 0.2f, 0.3},
        {0.2f, 0.5f, -0.3},
        {(float)(kPi - 0.1), (float)(-kPi + 0.1), -0.2},  // across the seam
        {(float)(-kPi + 0.1), (float)(kPi - 0.1), 0.2},
        {(float)(10.0 * kPi + 0.25), 0.0f, 0.25},
        {NAN, 1.0f, -1.0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(c.out, AngleDiff(c.a, c.b), 2.0 * kStep + 1e-6) << c.a << " " << c.b;
}

TEST(TurnToward, CappedTable)
{
    const struct { float a, b, rate, dt; double out; } cases[] = {
        {0.0f, 1.0f, 2.0f, 0.1f, 0.2},        // capped at rate x dt
        {0.0f, -1.0f, 2.0f, 0.1f, -0.2},
        {0.0f, 0.1f, 2.0f, 0.1f, 0.1},        // gap smaller than the cap: lands on b
        {(float)(kPi - 0.05), (float)(-kPi + 0.05), 1.0f, 1.0f, kPi + 0.05},  // the short way
        {0.0f, 1.0f, -2.0f, 0.1f, 0.0},       // negative rate: no turn
        {0.0f, 1.0f, NAN, 0.1f, 0.0},
        {0.0f, 1.0f, 2.0f, -0.1f, 0.0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(c.out, TurnTowardCapped(c.a, c.b, c.rate, c.dt), 2.0 * kStep + 1e-6)
            << c.a << " -> " << c.b;
}

TEST(TurnToward, GainClosesAFractionOfTheGap)
{
    // Gap 1.0, gain 2/s, dt 0.1: a fifth of the gap.
    EXPECT_NEAR(0.2, TurnTowardGain(0.0f, 1.0f, 2.0f, 0.1f), 2.0 * kStep);
    EXPECT_NEAR(-0.2, TurnTowardGain(0.0f, -1.0f, 2.0f, 0.1f), 2.0 * kStep);
    // A gain x dt above 1 stops on the target.
    EXPECT_NEAR(1.0, TurnTowardGain(0.0f, 1.0f, 50.0f, 0.1f), 2.0 * kStep);
    EXPECT_NEAR(0.0, TurnTowardGain(0.0f, 1.0f, -5.0f, 0.1f), 1e-9);
}

// Seeded turns of both kinds: the remaining gap never changes sign and never grows.
TEST(TurnToward, NeverOvershoots)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> ang(-20.0f, 20.0f);
    std::uniform_real_distribution<float> rate(0.0f, 100.0f);
    std::uniform_real_distribution<float> dt(0.0f, 0.5f);
    for (int i = 0; i < 20000; i++) {
        float a = ang(gen), b = ang(gen), r = rate(gen), t = dt(gen);
        double before = AngleDiff(b, a);
        for (int kind = 0; kind < 2; kind++) {
            float turned = kind == 0 ? TurnTowardCapped(a, b, r, t) : TurnTowardGain(a, b, r, t);
            double after = AngleDiff(b, turned);
            ASSERT_LE(fabs(after), fabs(before) + 2.0 * kStep) << a << " " << b << " " << r << " " << t;
            if (fabs(after) > 2.0 * kStep) {
                ASSERT_EQ(before > 0, after > 0) << a << " " << b << " " << r << " " << t;
            }
            if (kind == 0) {
                ASSERT_LE(fabs((double)turned - a), (double)r * t + 1e-4);
            }
        }
    }
}

TEST(FastInvSqrt, CloseToTheLibrary)
{
    const float cases[] = {1e-6f, 0.01f, 0.25f, 1.0f, 2.0f, 100.0f, 12345.0f, 1e12f};
    for (float x : cases)
        EXPECT_NEAR(1.0 / sqrt((double)x), FastInvSqrt(x), 2e-3 / sqrt((double)x)) << x;
    EXPECT_TRUE(isfinite(FastInvSqrt(0.0f)));
}

TEST(FastNormalize, UnitLengthAndZeroStaysZero)
{
    vec2_t v = FastNormalize(vec2_t{3.0f, 4.0f});
    EXPECT_NEAR(0.6, v.x, 2e-3);
    EXPECT_NEAR(0.8, v.y, 2e-3);
    vec2_t z = FastNormalize(vec2_t{0.0f, 0.0f});
    EXPECT_EQ(0.0f, z.x);
    EXPECT_EQ(0.0f, z.y);
    vec2_t n = FastNormalize(vec2_t{NAN, 1.0f});
    EXPECT_EQ(0.0f, n.x);
    EXPECT_EQ(0.0f, n.y);
}
