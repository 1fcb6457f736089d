// The terrain file: the ground of a level as the level editor writes it and reads it
// back (the world reads the same arrays when it builds a level's ground).
//
// Written text: an XML declaration, "<root>", the arrays "environment" (background
// and bunker), "environment_decals" (one node per decal, in placing order) and
// "obstacles" (one node per obstacle, in placing order), each followed by an empty
// line, then "</root>". Positions are truncated to integers, angles written in
// degrees. Text values are escaped as the database writer does (\\ \" \n \r \t and
// "&amp;"), so every name reads back exactly.
//
// Read back, missing attributes take defaults: bunker (200, 200); decal (100, 100),
// angle 0, scale 1, colour and alpha 1, blend normal unless "blend_mode" is exactly
// "ADDITIVE"; obstacle (100, 100), angle 0, scale 1. The background is taken only
// when the node "background" has a "value". A number that is not finite takes its
// default too, and positions are held within +-kTerrainMaxCoordinate (read and written).
#ifndef TOOLS_TERRAIN_FORMAT_H
#define TOOLS_TERRAIN_FORMAT_H

#include "orvex.h"

#include <string>
#include <vector>

class DMDatabase;
class Obstacle;

// The farthest a position of the file may lie from the origin, in reference units.
const float kTerrainMaxCoordinate = 1000000.0f;

// One placed ground decal (reference units, radians; blend 1 additive, 0 normal).
struct TerrainDecal {
    float x, y;
    ov_bitmap_t *bitmap;
    float r, g, b, a;
    float angle;
    float scale;
    int blend;
};

// The terrain text. A null background or decal bitmap is written as an empty name;
// an obstacle without a type is left out.
std::string FormatTerrain(const char *background, vec2_t bunker, const TerrainDecal *decals, int num_decals,
                          const Obstacle *obstacles, int num_obstacles);

// What a terrain file holds, by name (nothing loaded).
struct TerrainImport {
    bool has_background = false;
    std::string background;
    vec2_t bunker = {200.0f, 200.0f};
    struct Decal {
        std::string bitmap;
        float x, y, r, g, b, a, angle, scale;  // angle in radians
        int blend;
    };
    struct Placed {
        std::string obstacle;
        float x, y, angle, scale;  // angle in radians
    };
    std::vector<Decal> decals;
    std::vector<Placed> obstacles;
};

// Reads the three arrays with the defaults above. False, leaving *out alone, when the
// database has none of them.
bool ReadTerrain(const DMDatabase &db, TerrainImport *out);

// Degrees to radians and back, as the file converts them.
float TerrainDegreesToRadians(float degrees);
double TerrainRadiansToDegrees(float radians);

// The XML writer's escape of a value.
void AppendTerrainEscaped(std::string &out, const char *text);

#endif
