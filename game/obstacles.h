// Obstacles: the static, convex, impassable shapes of the battlefield. An
// `ObstacleType` is an outline read once from its outline file and shared by name (a
// table of at most 32, never emptied during a run); an `Obstacle` is one placed,
// rotated and scaled copy of it in world coordinates, owned by the world (`Scape`),
// which references it from the cell holding its centre and answers the collision
// queries (`Scape::IsPointInsideObstacle` and its relatives, game/obstacles.cpp).
//
// Outline file (an XML database of the data registry): array "info" with node
// "bitmap" (key "value": the bitmap name) and optional node "hit_points" (key
// "value", default 100); optional array "edges", one node per edge with keys "p0x",
// "p0y", "p1x", "p1y" (a missing key counts 0). Outlines are listed clockwise on
// screen (y down), so the normals computed on load point out of the shape.
//
// Main thread only (the table is not locked).
#ifndef GAME_OBSTACLES_H
#define GAME_OBSTACLES_H

#include "orvex.h"

#include <stdint.h>

struct ScapeCell;
class Scape;

// One edge: end points and the unit outward normal (six floats).
struct ObstacleEdge {
    vec2_t p0;
    vec2_t p1;
    vec2_t normal;
};

// The outward normal of the edge p0 -> p1: the direction turned a quarter turn,
// (p1.y - p0.y, p0.x - p1.x), made unit length. (0, 0) for an edge shorter than 1e-6.
vec2_t ObstacleEdgeNormal(vec2_t p0, vec2_t p1);

class ObstacleType {
public:
    enum { MAX_TYPES = 32 };
    // Edges whose end points lie closer than this are skipped on load (no direction).
    static constexpr float MIN_EDGE_LENGTH = 1e-6f;

    // The shared type of that outline file name (exact, case-sensitive), loaded on
    // first use ("Creating obstacle type '%s'\n"); a type whose file is missing stays
    // without edges or bitmap. Null for a null name, or for a new name when the table
    // is full (popup "ObstacleType limit exceeded (%d obstacle_types).\n").
    static ObstacleType *GetObstacleType(const char *name);
    // Number of types in the table.
    static int GetNumTypes();
    // Frees every type and empties the table (end of a run; tests).
    static void FreeAll();

    // Reads the outline file through the data registry (which then drops the file's
    // database). 1 when loaded; 0 when the file or its "info" array is missing
    // (popup "Array 'info' not found on obstacle '%s'\n"), the type then keeping its
    // name but no edges.
    int Load(const char *name);
    // Frees the edges and the name; the bitmap reference is dropped (the engine's
    // pool owns it).
    void Free();
    // The outline file is written by the obstacle editor; nothing to do here.
    void Save(const char *name);

    char *name = nullptr;
    ov_bitmap_t *bitmap = nullptr;
    int32_t num_edges = 0;
    ObstacleEdge *edges = nullptr;
    float hit_points = 100.0f;
    float radius = 0.0f;  // largest distance of an end point from the origin
};

// One placed copy of an outline. Plain record: the world creates it with new, calls
// Init, and calls Free before deleting it.
class Obstacle {
public:
    // Places a copy of the type's edges, rotated by angle (radians, when |angle| is at
    // least 1e-6, normals recomputed), scaled and moved to pos. A null type changes
    // nothing. Replaces any edges from an earlier Init.
    void Init(ObstacleType *type, vec2_t pos, float angle, float scale);
    // Frees the edge array.
    void Free();
    // Draws the type's bitmap at the obstacle (reference-scaled, screen space of the
    // world `scape`; at world coordinates when there is no world).
    void Draw();
    // Draws every edge and an 8-unit normal from its midpoint as white lines.
    void DrawDebug();

    ObstacleType *type = nullptr;
    uint32_t visit_stamp = 0;   // last obstacle query that tested it
    ScapeCell *cell = nullptr;  // the cell that references it, null when none does
    int32_t num_edges = 0;
    ObstacleEdge *edges = nullptr;  // owned, world coordinates
    vec2_t pos = {0.0f, 0.0f};
    float radius = 0.0f;  // type radius x scale
    float scale = 1.0f;
    float angle = 0.0f;
    uint8_t drawn_in_terrain = 0;  // placed from the level's list and drawn into the terrain
};

// Raises the world's obstacle query stamp and returns it; at the wrap of the unsigned
// counter every placed obstacle's stamp is cleared first, so no stale stamp matches.
uint32_t NextObstacleVisitStamp(Scape *world);

#endif
