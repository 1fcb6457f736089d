// The vector field over the battlefield and the path walk through it (see
// vector-field.h).
#include "game/vector-field.h"

#include "app/services/small-maths.h"
#include "game/world-counters.h"

#include "game/obstacles.h"
#include "game/scape.h"

#include <math.h>
#include <string.h>

namespace {

// Radius at which the smoothing tests its points and shortcuts against obstacles.
const float SMOOTH_CLEARANCE = 10.0f;
// Spacing of the points tested along a shortcut.
const float SHORTCUT_SPACING = 8.0f;
// Spacing of the samples written along an obstacle edge, and the repetitions per sample.
const float EDGE_SAMPLE_SPACING = 2.0f;
const int EDGE_SAMPLE_REPEATS = 16;

vec2_t Lerp(vec2_t a, vec2_t b, float t)
{
    return vec2_t{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// A grid coordinate clamped in float before it becomes an index (NaN counts 0).
float ClampGrid(float g, int limit)
{
    if (!(g >= 0.0f))
        return 0.0f;
    if (g > (float)limit)
        return (float)limit;
    return g;
}

bool Finite(vec2_t p)
{
    return isfinite(p.x) && isfinite(p.y);
}

}  // namespace

VectorField::VectorField(int world_width, int world_height, Scape *owner) : world(owner)
{
    width = (int)((float)(world_width / 4) + 0.5f);
    height = (int)((float)(world_height / 4) + 0.5f);
    if (width < 2)
        width = 2;
    if (height < 2)
        height = 2;
    cells = new vec2_t[(size_t)width * (size_t)height];
    Clear();
}

VectorField::~VectorField()
{
    delete[] cells;
}

void VectorField::Clear()
{
    memset(cells, 0, sizeof(vec2_t) * (size_t)width * (size_t)height);
}

void VectorField::AddAt(int cx, int cy, vec2_t v)
{
    vec2_t &cell = cells[(size_t)cy * (size_t)width + (size_t)cx];
    cell.x += v.x;
    cell.y += v.y;
}

void VectorField::AddEdge(const ObstacleEdge &edge)
{
    const vec2_t k = {edge.normal.x * EDGE_PUSH, edge.normal.y * EDGE_PUSH};
    const vec2_t k2 = {k.x / 2, k.y / 2}, k4 = {k.x / 4, k.y / 4}, k8 = {k.x / 8, k.y / 8};
    float length = Distance(edge.p0, edge.p1);
    if (!(length > 0.0f) || !isfinite(length))
        return;
    for (float d = 0.0f; d < length; d += EDGE_SAMPLE_SPACING) {
        int cx, cy;
        CellOf(Lerp(edge.p0, edge.p1, d / length), &cx, &cy);
        for (int repeat = 0; repeat < EDGE_SAMPLE_REPEATS; repeat++) {
            if (!(cx > 0 && cx < width && cy > 0 && cy < height))
                continue;
            AddAt(cx, cy, k);
            if (!(cx > 1 && cx < width - 1 && cy > 1 && cy < height - 1))
                continue;
            AddAt(cx - 1, cy, k2);
            AddAt(cx + 1, cy, k2);
            AddAt(cx, cy - 1, k2);
            AddAt(cx, cy + 1, k2);
            AddAt(cx - 1, cy - 1, k4);
            AddAt(cx + 1, cy - 1, k4);
            AddAt(cx - 1, cy + 1, k4);
            AddAt(cx + 1, cy + 1, k4);
            if (!(cx > 2 && cx < width - 2 && cy > 2 && cy < height - 2))
                continue;
            AddAt(cx - 2, cy, k4);
            AddAt(cx + 2, cy, k4);
            AddAt(cx, cy - 2, k4);
            AddAt(cx, cy + 2, k4);
            static const int kKnight[8][2] = {{-1, -2}, {1, -2}, {-1, 2}, {1, 2},
                                              {-2, -1}, {2, -1}, {-2, 1}, {2, 1}};
            for (const auto &o : kKnight)
                AddAt(cx + o[0], cy + o[1], k8);
            if (!(cx > 3 && cx < width - 3 && cy > 3 && cy < height - 3))
                continue;
            AddAt(cx - 3, cy, k8);
            AddAt(cx + 3, cy, k8);
            AddAt(cx, cy - 3, k8);
            AddAt(cx, cy + 3, k8);
        }
    }
}

void VectorField::AddBorderPush()
{
    int n = (int)(8.0f * inv_cell_size);
    for (int r = 0; r < n; r++) {
        float amount = (float)(n - r) * BORDER_PUSH / (float)n;
        if (r < height) {
            for (int x = 0; x < width; x++) {
                AddAt(x, r, vec2_t{0.0f, amount});
                AddAt(x, height - 1 - r, vec2_t{0.0f, -amount});
            }
        }
        if (r < width) {
            for (int y = 0; y < height; y++) {
                AddAt(r, y, vec2_t{amount, 0.0f});
                AddAt(width - 1 - r, y, vec2_t{-amount, 0.0f});
            }
        }
    }
}

void VectorField::CellOf(vec2_t p, int *cx, int *cy) const
{
    *cx = (int)ClampGrid(p.x * inv_cell_size, width - 1);
    *cy = (int)ClampGrid(p.y * inv_cell_size, height - 1);
}

vec2_t VectorField::GetCell(int cx, int cy) const
{
    if (cx < 0 || cy < 0 || cx >= width || cy >= height)
        return vec2_t{0.0f, 0.0f};
    return cells[(size_t)cy * (size_t)width + (size_t)cx];
}

vec2_t VectorField::Sample(vec2_t p) const
{
    float gx = ClampGrid(p.x * inv_cell_size, width - 1);
    float gy = ClampGrid(p.y * inv_cell_size, height - 1);
    int ix = (int)gx, iy = (int)gy;
    if (ix > width - 2)
        ix = width - 2;
    if (iy > height - 2)
        iy = height - 2;
    float fx = gx - (float)ix, fy = gy - (float)iy;
    vec2_t a = GetCell(ix, iy), b = GetCell(ix + 1, iy);
    vec2_t c = GetCell(ix, iy + 1), d = GetCell(ix + 1, iy + 1);
    vec2_t top = Lerp(a, b, fx), bottom = Lerp(c, d, fx);
    return Lerp(top, bottom, fy);
}

Scape *VectorField::World() const
{
    if (world)
        return world;
    return GetScape();
}

bool VectorField::Blocked(vec2_t p, float radius) const
{
    Scape *w = World();
    return w && w->IsPointInsideObstacle(p, radius, nullptr);
}

bool VectorField::ShortcutClear(vec2_t a, vec2_t b) const
{
    float distance = Distance(a, b);
    for (float t = 0.0f; t < distance; t += SHORTCUT_SPACING) {
        if (Blocked(Lerp(a, b, t / distance), SMOOTH_CLEARANCE))
            return false;
    }
    return !Blocked(b, SMOOTH_CLEARANCE);
}

void VectorField::SmoothRemoveClosePoints(nArray<vec2_t> *points, float step) const
{
    nArray<vec2_t> &p = *points;
    if (p.Count() < 4)
        return;
    for (int i = 1; i < p.Count() - 1; i++) {
        if (Distance(p[i], p[i + 1]) < 0.5f * step && ShortcutClear(p[i - 1], p[i + 1]))
            p.Remove(i);
    }
}

void VectorField::SmoothWalk(nArray<vec2_t> *points, float step) const
{
    nArray<vec2_t> &p = *points;
    SmoothRemoveClosePoints(points, step);
    if (p.Count() >= 4) {
        for (int i = 1; i < p.Count() - 2; i += 2) {
            vec2_t m = Lerp(p[i], p[i + 1], 0.5f);
            if (!Blocked(m, SMOOTH_CLEARANCE)) {
                p[i] = m;
                p[i + 1] = m;
            }
        }
    }
    if (p.Count() >= 5) {
        for (int i = 2; i < p.Count() - 2; i += 2) {
            vec2_t a = Lerp(p[i], p[i + 1], 0.25f);
            vec2_t b = Lerp(p[i], p[i + 1], 0.75f);
            if (ShortcutClear(a, b)) {
                p[i] = a;
                p[i + 1] = b;
            }
        }
    }
    SmoothRemoveClosePoints(points, step);
}

nArray<vec2_t> VectorField::WalkFromPointToPoint(vec2_t from, vec2_t to, float step, float radius,
                                                 bool other_side)
{
    nArray<vec2_t> result;
    result.SetShrink(true);
    if (!Finite(from) || !Finite(to) || !(step > 0.0f) || !isfinite(step) || !isfinite(radius))
        return result;
    float distance = Distance(from, to);
    if (distance > MAX_WALK_DISTANCE)
        return result;
    result.InsertLast(from);
    if (distance < 1e-4f) {
        // Already there: no direction to walk in.
        result.InsertLast(to);
        return result;
    }
    Scape *w = World();
    vec2_t cur = from;
    int steps = 0;
    for (;;) {
        world_counters.walk_steps++;
        float left = Distance(cur, to);
        vec2_t u = {0.0f, 0.0f};
        if (left > 0.0f)
            u = vec2_t{(to.x - cur.x) / left, (to.y - cur.y) / left};
        vec2_t v = Sample(vec2_t{cur.x + step * u.x, cur.y + step * u.y});
        float strength = sqrtf(v.x * v.x + v.y * v.y);
        vec2_t dir = u;
        if (strength > FOLLOW_STRENGTH) {
            dir = other_side ? vec2_t{v.y / strength, -v.x / strength}
                             : vec2_t{-v.y / strength, v.x / strength};
        }
        cur = vec2_t{cur.x + step * dir.x, cur.y + step * dir.y};
        if (Distance(cur, to) < 1.5f * step)
            break;
        if (w)
            w->IsPointInsideObstacle(cur, radius, &cur);
        result.InsertLast(cur);
        if (++steps >= MAX_WALK_STEPS || !Finite(cur)) {
            result.Clear();
            return result;
        }
    }
    result.InsertLast(to);
    SmoothWalk(&result, step);
    return result;
}

// ---- The search towards the bunker ----

namespace {

// Whether the cell's centre, or any point every 8 units on the line to the centre it is
// reached from, or that centre itself, lies in an obstacle.
bool CellBlocked(Scape *world, const ScapeCell &cell, const ScapeCell &from)
{
    if (world->IsPointInsideObstacle(cell.center, 40.0f, nullptr))
        return true;
    float distance = Distance(cell.center, from.center);
    for (float t = 0.0f; t < distance; t += SHORTCUT_SPACING) {
        if (world->IsPointInsideObstacle(Lerp(cell.center, from.center, t / distance), 0.0f, nullptr))
            return true;
    }
    return world->IsPointInsideObstacle(from.center, 0.0f, nullptr);
}

}  // namespace

// Depth first over the diagonal neighbours, in the order (+1, +1), (+1, -1), (-1, +1),
// (-1, -1); an explicit stack instead of recursion, so a large grid cannot exhaust the
// thread's stack.
void Scape::RecursePathToBunker(int cx, int cy, int from_cx, int from_cy, int stamp)
{
    if (!cells)
        return;
    struct Frame {
        int cx, cy, from_cx, from_cy, next;
    };
    static const int kDiagonals[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    nArray<Frame> stack;
    stack.InsertLast(Frame{cx, cy, from_cx, from_cy, -1});
    while (stack.Count() > 0) {
        Frame &top = stack[stack.Count() - 1];
        if (top.next < 0) {
            // Entering the cell.
            bool inside = top.cx >= 0 && top.cy >= 0 && top.cx < num_columns && top.cy < num_rows;
            ScapeCell *cell = inside ? &cells[top.cy * num_columns + top.cx] : nullptr;
            if (!cell || cell->path_stamp == stamp) {
                stack.Remove(stack.Count() - 1);
                continue;
            }
            cell->path_stamp = stamp;
            bool from_inside = top.from_cx >= 0 && top.from_cy >= 0 && top.from_cx < num_columns &&
                               top.from_cy < num_rows;
            ScapeCell *from = from_inside ? &cells[top.from_cy * num_columns + top.from_cx] : nullptr;
            if (!from || CellBlocked(this, *cell, *from)) {
                cell->path_next = nullptr;
                stack.Remove(stack.Count() - 1);
                continue;
            }
            cell->path_next = from;
            top.next = 0;
        }
        if (top.next >= 4) {
            stack.Remove(stack.Count() - 1);
            continue;
        }
        Frame child = {top.cx + kDiagonals[top.next][0], top.cy + kDiagonals[top.next][1], top.cx, top.cy, -1};
        top.next++;
        stack.InsertLast(child);  // may move the block: `top` is not used after this
    }
}
