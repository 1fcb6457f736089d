// Particle systems: a `PartMan` owns a fixed pool of particles, moves them each frame
// under gravity and dampening, ages them through value-over-life curves, kills them
// at the end of their life and draws them as rotated, scaled bitmaps, as text or as
// trails. Effects of the effect library (partfx.h) spawn bursts into any system and
// may be carried by particles that emit them while they fly.
//
// The global system `pman` (pool of 1536) belongs to the screen manager, which updates
// and draws it above the screens. A system is used by one thread, the main thread.
// No allocation happens per particle except the text of text particles: a full pool
// drops new particles (they go to a throwaway particle that is never updated nor drawn).
#ifndef APP_UI_PARTS_H
#define APP_UI_PARTS_H

#include "orvex.h"

#include <stdint.h>

struct fx_t;
struct part_t;

enum { PART_GRAPH_MAX_POINTS = 16 };

// A value-over-life curve of up to 16 (t, value) points, t from 0 at birth to 1 at death.
struct part_graph_point_t {
    float t, value;
};
struct part_graph_t {
    part_graph_point_t points[PART_GRAPH_MAX_POINTS];
    int32_t count;
};

// The curve's value at t: counts 0 and 1 give the first value; 2 blends the two values
// by t whatever their t; 3 or more interpolate between the first point whose t is
// above the given t and the point before it (the first value before the first point,
// the last value past the last one). A null curve is 1.
float PartGraphValue(const part_graph_t *graph, float t);

// The five shared curves, set up again by every PartMan::InitParts.
extern part_graph_t graph_linear_0_1;
extern part_graph_t graph_linear_1_0;
extern part_graph_t graph_constant1;
extern part_graph_t graph_smooth_fade;
extern part_graph_t graph_fade_in_out;

typedef void (*part_func_t)(part_t *part);

// One particle of a pool. Curves, bitmap, font and effect are borrowed; the text is owned.
struct part_t {
    part_t *next, *prev;        // links of the live or free list
    float x, y;                 // position, world units of the owning system
    float trail_x, trail_y;     // tail of a trail particle
    float vx, vy;               // velocity, units per second
    float age, lifetime;        // seconds; a negative age: not born yet
    const part_graph_t *scale_graph, *alpha_graph;
    part_func_t death_func;     // called when the particle dies; may be null
    part_func_t draw_func;
    float r, g, b, a;           // colour 0..1 (a is not used by the drawing functions)
    float alpha, scale;         // multiplied with the curves
    float dampening;            // velocity x dampening^dt each update; 1 = none
    float trail_width, trail_alpha;
    float start_angle, end_angle;  // radians, blended over the life
    float mass;                 // factor of the system's gravity
    ov_bitmap_t *bitmap;
    ov_font_t *font;
    uint8_t emit_by_time;       // 0: the effect is emitted by distance travelled
    fx_t *emitter_fx;           // effect emitted while flying, null for none
    float emit_interval;        // seconds, or distance units
    float emit_countdown;
    int16_t blend_mode;         // 0 normal, 1 additive
    char *text;                 // text particles only
};

class PartMan {
public:
    // A pool of 1536, or of n; camera 0, scale, alpha and reference scale 1.
    PartMan();
    explicit PartMan(int n);
    ~PartMan();
    PartMan(const PartMan &) = delete;
    PartMan &operator=(const PartMan &) = delete;

    // Sets up the shared curves and gravity (0, 9.81), replaces the pool by n zeroed
    // particles (a negative n counts as 0; a failed allocation gives an empty pool) and
    // resets it. Live particles are dropped.
    void InitParts(int n);
    // Frees every text, zeroes the pool and puts every particle on the free list.
    void ResetParts();
    void ResetAndResizePool(int n);
    // Frees every text and the pool.
    void FreeParts();

    // The head of the free list, appended to the live list (its emitter cleared, nothing
    // else reset); with the pool full, the throwaway particle, in no list.
    part_t *GetFreePart();
    // Unlinks a live particle, frees its text, puts it at the head of the free list.
    void KillPart(part_t *part);
    // True for the throwaway particle a full pool hands out.
    static bool IsThrowaway(const part_t *part);

    // A bitmap particle at rest at pos: alpha fading 1 to 0 over the life, constant scale
    // 1, white, normal blending, drawn by PMAN_Draw_Normal.
    part_t *SpawnPart(vec2_t pos, ov_bitmap_t *bitmap, float lifetime);
    // The same as a text particle of the font, drawn by PMAN_Draw_Text; the text is
    // formatted into at most 1023 characters and copied (not kept by the throwaway).
    part_t *SpawnPartTextf(vec2_t pos, ov_font_t *font, float lifetime, const char *format, ...);
    // The same as SpawnPart drawn by PMAN_Draw_Trail: a streak of the bitmap from the
    // fixed tail to the particle, width units wide, its tail end at alpha x alphaFactor.
    part_t *SpawnPartTrail(vec2_t pos, vec2_t tail, ov_bitmap_t *bitmap, float lifetime, float width,
                           float alphaFactor);

    // Ages, moves, kills and lets particles emit their effects, in list order; particles
    // appended meanwhile (by death functions and emissions) are updated in the same pass.
    void UpdateParts(float dt);
    // Draws the born particles in list order (the newest last) with the camera offset,
    // scale and alpha; leaves colour white, blending normal, text alignment 0, alpha 1.
    void DrawParts();
    // When the reference scale is not 1: velocity, scale and mass times it.
    void ApplyReferenceScaleToPart(part_t *part);

    int GetLiveCount() const { return live_count; }
    int GetPoolSize() const { return pool_size; }
    // The live particles in list order: first, then next until null.
    part_t *FirstLive() { return live.next == &live ? nullptr : live.next; }
    part_t *NextLive(part_t *part) { return part->next == &live ? nullptr : part->next; }

    int live_count = 0;
    int pool_size = 0;
    float gravity_x = 0, gravity_y = 9.81f;
    float cam_x = 0, cam_y = 0;
    float scale = 1, alpha = 1;
    float reference_scale = 1;
    part_t *pool = nullptr;

private:
    void Link(part_t *list, part_t *part, bool at_head);
    static void Unlink(part_t *part);
    part_t live;   // sentinel of the circular live list
    part_t free_;  // sentinel of the circular free list
};

// The system the screen manager updates and draws above all screens.
extern PartMan pman;

// Drawing state of the system being drawn (DrawParts sets it).
extern vec2_t pman_cam;   // camera offset times the reference scale
extern float pman_scale;
extern float pman_alpha;

// The drawing functions a particle can carry (main thread, inside a draw pass).
void PMAN_Draw_Normal(part_t *part);
void PMAN_Draw_Text(part_t *part);
void PMAN_Draw_Trail(part_t *part);

// Shapes of bitmaps whose pixels are in memory (RGBA), for bitmap-shaped emission.
// A point is a pair of signed 16-bit integers (x, y).
struct part_point_t {
    int16_t x, y;
};
// Pixels whose alpha is not 0 (0 for a null bitmap or one without pixels).
int GetNumberOfInnerPoints(ov_bitmap_t *bitmap);
// The (k + 1)-th pixel of alpha not 0 in row-major order, as (column, row); false when
// there are not that many (or no pixels).
bool GetInnerPoint(ov_bitmap_t *bitmap, int k, part_point_t *point);
// Edge pixels: rows 1 to height - 2 where alpha crosses 128 between the left and right
// neighbours (in row-major order, so across row ends) or the pixels above and below.
int GetNumberOfEdgePoints(ov_bitmap_t *bitmap);
// Writes one point per edge pixel in row-major order, scaled from pixel to drawing
// size; the caller gives room for GetNumberOfEdgePoints points. Returns the count.
int GetEdgePoints(ov_bitmap_t *bitmap, part_point_t *points);
// The same, less half the drawing size (integer halves).
int GetEdgePointsCentered(ov_bitmap_t *bitmap, part_point_t *points);

#endif
