// Angle and vector helpers shared by every behaviour and entity type.
//
// Headings are radians. A heading is quantised to 1/65536 of a turn (truncated toward
// zero) and wrapped into (-pi, pi]; a difference of two headings is the wrapped
// difference of the wrapped headings. Turning is capped at a rate or proportional to
// the remaining gap and never overshoots. Any finite angle is accepted (the modulo is
// taken in floating point, no integer overflow); a non-finite angle counts as 0.
#ifndef GAME_ENTITIES_ANGLES_H
#define GAME_ENTITIES_ANGLES_H

#include "orvex.h"

// `a` quantised to 1/65536 of a turn and moved into (-pi, pi].
float AngleWrap(float a);
// Signed smallest difference a - b: AngleWrap(AngleWrap(a) - AngleWrap(b)).
float AngleDiff(float a, float b);
// Heading `a` turned toward `b` by at most rate x dt, never past `b`
// (a negative or non-finite rate x dt turns nothing).
float TurnTowardCapped(float a, float b, float rate, float dt);
// Heading `a` turned toward `b` by the gap x gain x dt, never past `b`
// (a negative or non-finite gain x dt turns nothing).
float TurnTowardGain(float a, float b, float gain, float dt);

// 1 / sqrt(x) by the bit trick (magic 0x5F3759DF, bits copied with memcpy) and one
// Newton step; finite for 0.
float FastInvSqrt(float x);
// `v` scaled to unit length with FastInvSqrt; a zero-length vector gives (0, 0).
vec2_t FastNormalize(vec2_t v);

#endif
