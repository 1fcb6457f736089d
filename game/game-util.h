// Small helpers of the game layer: the uniform float draw, the mapping of world points
// onto the particle layers, and the particle death function that leaves ground decals.
#ifndef GAME_GAME_UTIL_H
#define GAME_GAME_UTIL_H

#include "orvex.h"

struct part_t;

// a + (b - a) x AppRandom() / 32767, computed in double precision.
float randf(float a, float b);

// A world point mapped for the particle layers: each axis times the screen manager's
// reference scale of that axis over the mean of both scales.
vec2_t AdjustPosByAverageScale(vec2_t const &p);
// The inverse mapping (particle-layer point back to world units).
vec2_t UnadjustPosByAverageScale(vec2_t const &p);

// Death function "GroundDecal": a dying particle becomes a decal of the world.
void PMAN_func_death_Decal(part_t *part);

// The news manager's question whether the player has played enough to be shown news:
// always yes.
bool NewsManager_PlayedEnoughToShowNews();

#endif
