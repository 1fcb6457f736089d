// The small maths every layer above the services repeats: pi, clamping to [0, 1], the
// ease curve of the animations, the distance of two points, a number made a whole int
// without overflow, and the rotation of the drawing about a point.
//
// Inline and pure: any thread. Each rule is the one the game's results are made with;
// where copies differed, the one that keeps a not-a-number from spreading was kept.
#ifndef APP_SERVICES_SMALL_MATHS_H
#define APP_SERVICES_SMALL_MATHS_H

#include "orvex.h"

#include <math.h>

// Pi in float (what the drawing and the entities turn with) and in double (what the
// spawn formations and the angle tables are computed in).
constexpr float kPi = 3.14159265358979323846f;
constexpr double kPiDouble = 3.14159265358979323846;

// v clamped to [0, 1]; not-a-number (a script's 0/0, a zero-length animation) gives 0.
inline float Clamp01(float v)
{
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
}

// The ease-in-out curve of the animations, 1 - cos((pi/2) sin((pi/2) t)), with t
// clamped to [0, 1] first: 0 at 0, 1 at 1, flat at both ends.
inline float EaseInOut(float t)
{
    const float half_pi = kPi / 2.0f;
    return 1.0f - cosf(half_pi * sinf(half_pi * Clamp01(t)));
}

// The squared distance between two points (for comparing with a squared reach).
inline float DistanceSquared(vec2_t a, vec2_t b)
{
    const float dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// The distance between two points.
inline float Distance(vec2_t a, vec2_t b)
{
    return sqrtf(DistanceSquared(a, b));
}

// The whole part of v (truncated toward zero) saturated at the int32 limits; NaN gives 0.
inline int SaturatedInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return (int)v;
}

// The transform that rotates the drawing by angle (radians) about the point s:
// x' = s + R (x - s), for OV_PushTransform.
inline nTransform RotationAbout(vec2_t s, float angle)
{
    const float c = cosf(angle), sn = sinf(angle);
    return nTransform{{c, -sn, 0.0f, s.x - c * s.x + sn * s.y,
                       sn, c, 0.0f, s.y - sn * s.x - c * s.y,
                       0.0f, 0.0f, 1.0f, 0.0f,
                       0.0f, 0.0f, 0.0f, 1.0f}};
}

#endif
