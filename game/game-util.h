// Small helpers of the game layer: the uniform float draw, the mapping of world points
// onto the particle layers, and the particle death function that leaves ground decals.
#ifndef GAME_GAME_UTIL_H
#define GAME_GAME_UTIL_H

#include "orvex.h"

struct part_t;
struct fx_t;
class PartMan;
class Scape;

// a + (b - a) x AppRandom() / 32767, computed in double precision.
float randf(float a, float b);

// A world point mapped for the particle layers: each axis times the screen manager's
// reference scale of that axis over the mean of both scales.
vec2_t AdjustPosByAverageScale(vec2_t const &p);
// The inverse mapping (particle-layer point back to world units).
vec2_t UnadjustPosByAverageScale(vec2_t const &p);

// Starts the effect at a world point (mapped as above) on a particle layer, turned by
// `angle`; nothing for a null layer or effect.
void SpawnEffect(PartMan *layer, fx_t *fx, vec2_t world_pos, float angle = 0.0f);
// The same on the world's top layer (above the entities); nothing without a world.
void SpawnTopEffect(Scape *world, fx_t *fx, vec2_t world_pos, float angle = 0.0f);

// Death function "GroundDecal": a dying particle becomes a decal of the world.
void PMAN_func_death_Decal(part_t *part);

// The news manager's question whether the player has played enough to be shown news:
// always yes.
bool NewsManager_PlayedEnoughToShowNews();

#endif
