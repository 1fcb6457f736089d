// Terrain generation (`Scape::GenerateTerrain`, game/terrain.cpp): the ground of a
// mission composed once into the render target "TERRAIN" from the level database's
// "environment", "environment_decals" and "obstacles" arrays (background, bunker pad,
// painted decals, obstacle pictures), the level's obstacles and the bunker's outline
// placed into the grid and the vector field, and the "environment_emitters" created
// and run ahead so that smoke or fire is already under way when the battle shows.
//
// The first generation after `Scape::Reset` does all of it; a later one in the same
// mission (the display was re-initialised and the bitmap lost) only draws the bitmap
// again: obstacles, the vector field and the emitters stay as they are.
//
// The helpers below are the rules the generation applies, exposed for tests.
#ifndef GAME_TERRAIN_H
#define GAME_TERRAIN_H

class DMDatabase;
class DMNode;

// The level's bunker: the "environment" node "bunker" when it places one (it gives an
// "x"); null for a level without a bunker, which gets neither base nor outline.
DMNode *LevelBunkerNode(DMDatabase *level);

// The pre-run of the emitters: the longest "presimulate" P in, the number of steps
// out with the step length in *step. P of 0.1 s or less (or not a number) is no
// pre-run (0 steps); above 60 s counts 60 s. The step is P - 0.1, at most 0.5 s.
int TerrainPresimulationSteps(float presimulate, float *step);

// An emitter interval in whole milliseconds, at least 1 (and at most one day).
int TerrainEmitterIntervalMs(float interval);

#endif
