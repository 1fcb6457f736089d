// The route a player draws with a finger for a trooper: a polyline of points with
// their cumulative distances, which the trooper follows by distance and which the
// entity's drawing shows as a line of arrows with a pulse running along it.
//
// The controls create a path (new MovePath) the first time a trooper is selected,
// reset it at each later selection and feed it points while the finger moves; the
// entity owns it through its `path` field and releases it (delete) when it dies or
// its record returns to the pool. The destructor frees the point block.
// Main thread only.
#ifndef GAME_ENTITIES_MOVE_PATH_H
#define GAME_ENTITIES_MOVE_PATH_H

#include "orvex.h"

#include <stdint.h>

// One point of a path (16 bytes).
struct MovePathPoint {
    float x, y;     // world units
    float seg_len;  // distance from the previous point, 0 for the first
    float cum_len;  // distance along the path from the first point ever added
};

class MovePath {
public:
    // Points are at least this far apart (world units).
    static constexpr float MIN_SPACING = 10.0f;
    // A point closer than this to an obstacle is refused, except the first.
    static constexpr float OBSTACLE_CLEARANCE = 10.0f;
    // A path of 3 points or more spanning further than this takes no more points.
    static constexpr float MAX_SPAN = 2000.0f;
    // Slots of the first block.
    static constexpr int FIRST_CAPACITY = 32;

    MovePathPoint *points = nullptr;  // owned block of `capacity` slots
    int32_t count = 0;                // points in use
    int32_t capacity = 0;             // slots in the block
    bool shrink = true;               // the block halves when the count falls to a quarter
    float length = 0.0f;              // cumulative length at the last point added
    float pulse_time = 0.0f;          // animation clock of the arrows' pulse (seconds)
    bool held = false;                // still being drawn: the pulse clock stands still

    MovePath() = default;
    ~MovePath();
    MovePath(const MovePath &) = delete;
    MovePath &operator=(const MovePath &) = delete;

    // Count 0, length 0, pulse_time 0; the block and `held` are kept.
    void Reset();
    // Appends p unless it lies inside an obstacle (radius 10; allowed for the first
    // point only), the path already spans more than 2000 units (3 points or more), or
    // p is nearer than 10 units to the last point. Refused points are dropped
    // silently; returns whether p was appended.
    bool AddPoint(vec2_t p);
    // The point at distance d along the path: (0, 0) for an empty path, the last
    // point beyond the end, extrapolated along the first segment before the start.
    vec2_t GetPoint(float d) const;
    // Drops the first point once the follower at distance d has passed the second;
    // at most one point per call, never leaving fewer than two.
    void Trim(float d);
    // Advances the pulse clock by dt unless the path is held.
    void Update(float dt);
    // Draws the arrows (the stock's path arrow, white) from distance `from` onward;
    // alpha is 1 afterwards.
    void Draw(float from) const;

    // Alpha and size of the arrow at distance d, with the pulse running along the
    // path after it is released.
    void GetArrowLook(float d, float *alpha, float *size) const;

private:
    // The world's obstacle test with the path's clearance (move-path-draw.cpp).
    static bool IsInsideObstacle(vec2_t p);
    void Grow();
    void ShrinkIfSparse();
};

#endif
