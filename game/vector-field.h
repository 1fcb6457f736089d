// The vector field: a coarse grid of 4-unit cells over the whole battlefield in which
// every obstacle edge has left a push outward along its normal (strongest at the edge,
// fading over three cells) and whose borders push inward. A drawn path is walked from
// point to point through it (`WalkFromPointToPoint`): where the field is strong the
// walk follows the obstacle's contour to the left or the right instead of going
// straight, every step is pushed out of obstacles, and the result is smoothed.
//
// The world (`Scape`) owns one field, created for its size, cleared and refilled at
// each terrain generation and written by every placed obstacle. Main thread only.
#ifndef GAME_VECTOR_FIELD_H
#define GAME_VECTOR_FIELD_H

#include "narray.h"
#include "orvex.h"

#include <stdint.h>

class Scape;
struct ObstacleEdge;

class VectorField {
public:
    // Push per edge sample along the normal (before the neighbourhood fractions).
    static constexpr float EDGE_PUSH = 20.75f;
    // Strength of the inward push of the outermost border row.
    static constexpr float BORDER_PUSH = 1024.0f;
    // Field strength above which a walk follows the contour.
    static constexpr float FOLLOW_STRENGTH = 60.0f;
    // Walks longer than this, or needing more steps, give an empty result.
    static constexpr float MAX_WALK_DISTANCE = 200.0f;
    enum { MAX_WALK_STEPS = 100 };

    // A field of (world_width / 4 + 0.5) x (world_height / 4 + 0.5) cells (integer
    // division first; at least 2 x 2 so that sampling always has four cells), zeroed.
    // Collision tests of the walk go to `world`, or to the global `scape` when null.
    VectorField(int world_width, int world_height, Scape *world = nullptr);
    ~VectorField();
    VectorField(const VectorField &) = delete;
    VectorField &operator=(const VectorField &) = delete;

    // Zeroes every cell.
    void Clear();
    // Writes one obstacle edge: samples every 2 units from p0 along the edge, each
    // adding 16 x the normal x 20.75 to its cell and fractions of it to the cells up to
    // three away (only where the whole neighbourhood lies inside the field).
    void AddEdge(const ObstacleEdge &edge);
    // The inward push of the outer rows and columns: 1024 for the outermost, 512 for
    // the next (with 4-unit cells).
    void AddBorderPush();

    // The cell holding a world point, clamped into the field (NaN counts 0).
    void CellOf(vec2_t p, int *cx, int *cy) const;
    // The cell's vector; (0, 0) outside the field.
    vec2_t GetCell(int cx, int cy) const;
    // Bilinear sample at a world point; points outside the field (and NaN coordinates,
    // as 0) sample the border cells.
    vec2_t Sample(vec2_t p) const;

    // Walks from `from` towards `to` in steps of `step` for a circle of `radius`, going
    // round obstacles on the left (other_side false) or the right. Returns the walked
    // points (from first, to last), smoothed; empty when the points lie more than 200
    // apart, when more than 100 steps are needed or when an argument is not finite or
    // the step not positive. A `from` within 1e-4 of `to` gives [from, to] as is.
    // The caller owns the result.
    nArray<vec2_t> WalkFromPointToPoint(vec2_t from, vec2_t to, float step, float radius,
                                        bool other_side);
    // The walk's smoothing, four passes over the points (first and last kept): points
    // closer than step / 2 to the next dropped where the shortcut is clear, pairs
    // joined at their midpoints, quarter points, and the first pass again.
    void SmoothWalk(nArray<vec2_t> *points, float step) const;

    vec2_t *cells = nullptr;  // row-major, width x height, owned
    int32_t width = 0;
    int32_t height = 0;
    float cell_size = 4.0f;
    float inv_cell_size = 0.25f;
    Scape *world = nullptr;

private:
    void AddAt(int cx, int cy, vec2_t v);
    Scape *World() const;
    bool Blocked(vec2_t p, float radius) const;
    bool ShortcutClear(vec2_t a, vec2_t b) const;
    void SmoothRemoveClosePoints(nArray<vec2_t> *points, float step) const;
};

#endif
