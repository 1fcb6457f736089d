// Angle helpers and the fast inverse square root of the behaviours and entity types.
#include "game/entities/angles.h"

#include "app/services/small-maths.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

static const double kTwoPi = 6.283185307179586476925286766559;
static const double kSteps = 65536.0;

// Below this magnitude a step count is exact in an int64_t.
static const double kExactSteps = 9.0e15;

// Quantised and wrapped, in double: the whole step count is taken modulo 65536 (made
// non-negative), so no finite angle overflows an integer. A count that fits an integer
// is truncated and reduced by integer arithmetic, which gives the very numbers of trunc
// and fmod (a zero remainder keeping the count's sign) without the library calls.
static double WrapExact(double a)
{
    if (!isfinite(a))
        return 0.0;
    double x = a * kSteps / kTwoPi;
    double m;
    if (fabs(x) < kExactSteps) {
        int64_t r = (int64_t)x % 65536;
        m = r != 0 ? (double)r : (signbit(x) ? -0.0 : 0.0);
    } else {
        m = fmod(trunc(x), kSteps);
    }
    if (m < 0.0)
        m += kSteps;
    double r = m * kTwoPi / kSteps;
    if (r > kPiDouble)
        r -= kTwoPi;
    return r;
}

float AngleWrap(float a)
{
    return (float)WrapExact(a);
}

float AngleDiff(float a, float b)
{
    return (float)WrapExact(WrapExact(a) - WrapExact(b));
}

// a moved toward a + gap by at most `step` (>= 0), never past it.
static float TurnBy(float a, double gap, double step)
{
    if (!(step > 0.0))  // negative or NaN
        return a;
    double mag = fabs(gap);
    if (step > mag)
        step = mag;
    return (float)(a + (gap < 0.0 ? -step : step));
}

float TurnTowardCapped(float a, float b, float rate, float dt)
{
    double gap = WrapExact(WrapExact(b) - WrapExact(a));
    return TurnBy(a, gap, (double)rate * dt);
}

float TurnTowardGain(float a, float b, float gain, float dt)
{
    double wa = WrapExact(a), wb = WrapExact(b);
    double gap = WrapExact(wb - wa);
    double back = WrapExact(wa - wb);
    return TurnBy(a, gap, fabs(back) * gain * dt);
}

float FastInvSqrt(float x)
{
    uint32_t bits;
    memcpy(&bits, &x, sizeof bits);
    bits = 0x5F3759DFu - (bits >> 1);
    float y;
    memcpy(&y, &bits, sizeof y);
    return y * (1.5f - 0.5f * x * y * y);
}

vec2_t FastNormalize(vec2_t v)
{
    float len2 = v.x * v.x + v.y * v.y;
    if (!(len2 > 0.0f))
        return vec2_t{0.0f, 0.0f};
    float k = FastInvSqrt(len2);
    return vec2_t{v.x * k, v.y * k};
}
