// The recorder's own records (see redraw.h): the GL state model, the recorded calls of a
// frame with copies of the vertex data they draw, and the items (a triangle, a clear, a
// whole draw of lines or points) compared between frames. Shared by the recording stubs
// (redraw-record.cpp) and the comparison and replay (redraw-replay.cpp).
#ifndef OV_REDRAW_FRAME_H
#define OV_REDRAW_FRAME_H

#include "gfx/gl-table.h"
#include "gfx/redraw.h"

#include <stddef.h>
#include <stdint.h>

#include <unordered_map>
#include <utility>
#include <vector>

namespace redraw {

// The capabilities and client arrays the model follows, each a bit.
enum Cap : int {
    CAP_BLEND, CAP_TEXTURE_2D, CAP_SCISSOR, CAP_DEPTH, CAP_ALPHA, CAP_CULL, CAP_FOG, CAP_LIGHTING, CAP_STENCIL,
    CAP_DITHER, CAP_LOGIC_OP, CAP_POLYGON_OFFSET, CAP_MULTISAMPLE, CAP_ALPHA_TO_COVERAGE, CAP_COLOR_MATERIAL,
    CAP_NORMALIZE, CAP_RESCALE_NORMAL, CAP_POINT_SMOOTH, CAP_LINE_SMOOTH, CAP_SAMPLE_COVERAGE, CAP_ALPHA_TO_ONE,
    CAP_COUNT
};
enum Client : int { ARRAY_VERTEX, ARRAY_COLOR, ARRAY_TEXCOORD, ARRAY_NORMAL, ARRAY_POINT_SIZE, ARRAY_COUNT };
// -1 for a capability or array the model does not know.
int CapIndex(GLenum cap);
int ClientIndex(GLenum array);
GLenum CapEnum(int index);
GLenum ClientEnum(int index);

// Fields of the model, each known (set since the model began) or not.
enum Field : uint32_t {
    F_BLEND = 1u << 0, F_TEX_ENV = 1u << 1, F_ALPHA_FUNC = 1u << 2, F_FRONT_FACE = 1u << 3, F_DEPTH_FUNC = 1u << 4,
    F_DEPTH_MASK = 1u << 5, F_CULL_FACE = 1u << 6, F_COLOR_MASK = 1u << 7, F_CLEAR_COLOR = 1u << 8,
    F_CLEAR_DEPTH = 1u << 9, F_VIEWPORT = 1u << 10, F_SCISSOR = 1u << 11, F_MATRIX_MODE = 1u << 12,
    F_MODELVIEW = 1u << 13, F_PROJECTION = 1u << 14, F_TEXTURE_MATRIX = 1u << 15, F_TEXTURE = 1u << 16,
    F_PERSPECTIVE_HINT = 1u << 17
};

// The GL state that decides what a draw puts on the screen. Plain words only (no
// padding), so that it is compared and hashed as bytes.
struct GlState {
    uint32_t known;       // Field bits
    uint32_t caps_on, caps_known;
    uint32_t arrays_on, arrays_known;
    uint32_t blend_src, blend_dst;
    int32_t tex_env;
    uint32_t alpha_func;
    float alpha_ref;
    uint32_t front_face, depth_func, cull_face;
    uint32_t depth_mask;
    uint32_t color_mask;  // bit per channel: 1 red, 2 green, 4 blue, 8 alpha
    float clear_color[4];
    float clear_depth;
    int32_t viewport[4], scissor[4];
    uint32_t matrix_mode;
    float modelview[16], projection[16], texture_matrix[16];
    uint32_t texture;
    uint32_t perspective_hint;
};

// One client array as the renderer pointed it.
struct ArrayPointer {
    GLint size;
    GLenum type;
    GLsizei stride;
    const void *data;
    bool known;
};

// A texture's parameters as far as they are known.
struct TexParams {
    int32_t min_filter, mag_filter, wrap_s, wrap_t, generate_mipmap;
    uint32_t known;  // bit per parameter, in that order
};

// The model: the state, the pointers and every texture's parameters.
struct Model {
    GlState s;
    ArrayPointer arrays[3];  // vertex, colour, texture coordinates
    std::unordered_map<GLuint, TexParams> textures;
};

enum Op : uint8_t {
    OP_ENABLE, OP_DISABLE, OP_ENABLE_CLIENT, OP_DISABLE_CLIENT, OP_BLEND_FUNC, OP_TEX_ENV, OP_ALPHA_FUNC,
    OP_FRONT_FACE, OP_DEPTH_FUNC, OP_DEPTH_MASK, OP_CULL_FACE, OP_COLOR_MASK, OP_CLEAR_COLOR, OP_CLEAR_DEPTH,
    OP_CLEAR, OP_VIEWPORT, OP_SCISSOR, OP_MATRIX_MODE, OP_LOAD_MATRIX, OP_LOAD_IDENTITY, OP_MULT_MATRIX, OP_HINT,
    OP_DRAW, OP_BIND_TEXTURE, OP_TEX_PARAMETER, OP_FLUSH, OP_FINISH
};

// One recorded call: up to four integer and four float arguments; a matrix or a draw
// refers to its record by `ref`.
struct Call {
    Op op;
    GLenum e0, e1;
    GLint i[4];
    GLfloat f[4];
    uint32_t ref;
};

// One array of a recorded draw, copied tightly packed into the frame's bytes.
struct DrawArray {
    bool on;
    GLint size;
    GLenum type;
    uint32_t offset;  // into Frame::bytes
};

// A recorded draw: its vertices copied (indices made to start at 0) and its items.
struct Draw {
    GLenum mode;
    uint32_t index_count;   // indices (unsigned short, in Frame::indices) of the draw
    uint32_t first_index;
    uint32_t vertex_count;
    DrawArray arrays[3];
    uint32_t first_item, item_count;
    bool per_triangle;      // an item per triangle (GL_TRIANGLES), else one for the draw
};

struct Rect {
    int x0, y0, x1, y1;  // GL window pixels, origin bottom left, x1 and y1 excluded
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
    long Area() const { return Empty() ? 0 : (long)(x1 - x0) * (y1 - y0); }
};
Rect Intersect(const Rect &a, const Rect &b);
Rect Union(const Rect &a, const Rect &b);
bool Overlap(const Rect &a, const Rect &b);

// What is compared between frames: a key that decides the item's pixels (state, texture
// and vertices) and the rectangle it can touch.
struct Item {
    uint64_t key;
    Rect box;
};

// A recorded frame.
struct Frame {
    std::vector<Call> calls;
    std::vector<Draw> draws;
    std::vector<Item> items;
    std::vector<GLfloat> matrices;       // 16 per matrix call
    std::vector<unsigned char> bytes;    // copied vertex data
    std::vector<GLushort> indices;
    std::vector<Rect> overwrites;        // rectangles the frame paints without reading them
    bool reads_depth = false;            // a draw with the depth or stencil test (or unknown)
    bool unclippable = false;            // drawn with a scissor the model does not know
    GlState start;                       // the state as the frame began
    // Textures whose parameters the frame sets, with their parameters as it began.
    std::vector<std::pair<GLuint, TexParams>> param_start;
    int width = 0, height = 0;
    void Clear();
};

// The recorder's state shared by both files.
struct Recorder {
    ov_gl_table_t driver;  // the driver's entry points
    Model model;
    Frame frames[2];
    int current = 0;          // frames[current] is being recorded (or was last)
    bool recording = false;   // between BeginFrame and EndFrame, calls recorded
    bool in_frame = false;    // between BeginFrame and EndFrame
    bool history = false;     // frames[1 - current] is a whole record of the back buffer's pixels
    uint64_t content_epoch = 0;  // counts changes to pixels or textures the recorder did not record
    uint64_t epoch_at_end = ~0ull;
    bool enabled = true;
    bool verify = false;
    int whole_streak = 0;     // whole frames in a row (too much changed)
    int rest_frames = 0;      // frames left to pass straight through
    int rest_length = 0;      // frames the next rest lasts (0: the shortest)
    ov_redraw_stats_t stats{};
};
extern Recorder rec;

// Ends a recording without issuing it: the back buffer is no record of a frame and the
// next frame is drawn whole.
void DropRecording();
// Draws the recorded frame whole through the driver (a failed or ended recording).
void ReplayWhole(const Frame &f);
// Compares frames[current] with the frame before and draws what changed; returns why the
// frame was drawn whole, or null when it was drawn in part.
const char *CompareAndReplay();
// Puts a state back on the driver, for the fields it knows (scissor and pointers apart).
void ApplyState(const GlState &from);
// Puts the renderer's current state (the model's) back on the driver after a replay:
// state, the parameters of the textures the frame set, the scissor and the pointers.
void ApplyModel(const Frame &f);

// A 64-bit hash of bytes, continued from h.
uint64_t Hash(uint64_t h, const void *data, size_t n);

}  // namespace redraw

#endif
