// Movement paths: the point block with its growth and shrink rules, the acceptance
// rules for new points, the walk by distance and the front trimming as the follower
// advances. Drawing and the obstacle test live in move-path-draw.cpp, beside the world.
#include "move-path.h"
#include "game/world-counters.h"

#include <math.h>
#include <string.h>

MovePath::~MovePath() {
    delete[] points;
}

// Moves the points into a new block of `slots` slots (at least the count).
static MovePathPoint *MoveIntoNewBlock(MovePathPoint *old_block, int count, int slots) {
    MovePathPoint *block = new MovePathPoint[slots]();
    if (count > 0) {
        memcpy(block, old_block, sizeof(MovePathPoint) * (size_t)count);
    }
    delete[] old_block;
    return block;
}

// As the program's growable arrays: 32 slots at first, then the larger of twice the
// capacity and count + 1.
void MovePath::Grow() {
    int slots = FIRST_CAPACITY;
    if (points != nullptr) {
        slots = capacity * 2 > count + 1 ? capacity * 2 : count + 1;
    }
    points = MoveIntoNewBlock(points, count, slots);
    capacity = slots;
}

// With `shrink` set, a block used to a quarter or less halves, never below the count.
void MovePath::ShrinkIfSparse() {
    if (!shrink || points == nullptr || count < 1 || count > capacity / 4) {
        return;
    }
    int slots = capacity / 2 < count ? count : capacity / 2;
    points = MoveIntoNewBlock(points, count, slots);
    capacity = slots;
}

void MovePath::Reset() {
    count = 0;
    length = 0.0f;
    pulse_time = 0.0f;
}

bool MovePath::AddPoint(vec2_t p) {
    if (count > 0 && IsInsideObstacle(p)) {
        return false;  // only the first point may stand next to an obstacle
    }
    if (count >= 3 && points[count - 1].cum_len - points[0].cum_len > MAX_SPAN) {
        return false;  // the follower must trim the front first
    }
    float seg_len = 0.0f;
    if (count > 0) {
        float dx = p.x - points[count - 1].x;
        float dy = p.y - points[count - 1].y;
        seg_len = sqrtf(dx * dx + dy * dy);
        if (!(seg_len >= MIN_SPACING)) {
            return false;  // too near the last point (or not a number)
        }
    }
    // The same rule as the growable arrays: grow before the last slot is taken.
    if (count + 1 >= capacity) {
        Grow();
    }
    length += seg_len;
    MovePathPoint &point = points[count++];
    point.x = p.x;
    point.y = p.y;
    point.seg_len = seg_len;
    point.cum_len = length;
    return true;
}

vec2_t MovePath::GetPoint(float d) const {
    if (count <= 0) {
        return vec2_t{0.0f, 0.0f};
    }
    for (int i = 0; i + 1 < count; i++) {
        world_counters.path_steps++;
        const MovePathPoint &a = points[i];
        const MovePathPoint &b = points[i + 1];
        if (b.cum_len >= d) {
            if (b.seg_len <= 0.0f) {
                return vec2_t{b.x, b.y};
            }
            float f = (b.cum_len - d) / b.seg_len;
            return vec2_t{f * a.x + (1.0f - f) * b.x, f * a.y + (1.0f - f) * b.y};
        }
    }
    return vec2_t{points[count - 1].x, points[count - 1].y};
}

void MovePath::Trim(float d) {
    if (count <= 2 || !(points[1].cum_len < d)) {
        return;
    }
    memmove(points, points + 1, sizeof(MovePathPoint) * (size_t)(count - 1));
    count--;
    ShrinkIfSparse();
}

void MovePath::Update(float dt) {
    if (!held) {
        pulse_time += dt;
    }
}
