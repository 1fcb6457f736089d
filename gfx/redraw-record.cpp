// The recording stubs (see redraw.h): each GL entry point of the renderer follows the GL
// state in the model, and between BeginFrame and EndFrame is recorded instead of issued.
// A draw is recorded with copies of the vertices it reads and cut into items (one per
// triangle) whose keys and screen rectangles the replay compares with the frame before.
#include "gfx/redraw-frame.h"

#include <math.h>
#include <string.h>

namespace redraw {

Recorder rec;

namespace {

// Deliberately a plain constant: the key of the GL state and of nothing.
const uint64_t kSeed = 1469598103934665603ull;
const GLuint kCapEnums[CAP_COUNT] = {GL_BLEND, GL_TEXTURE_2D, GL_SCISSOR_TEST, GL_DEPTH_TEST, GL_ALPHA_TEST,
                                     GL_CULL_FACE, GL_FOG, GL_LIGHTING, GL_STENCIL_TEST, GL_DITHER,
                                     GL_COLOR_LOGIC_OP, GL_POLYGON_OFFSET_FILL, GL_MULTISAMPLE,
                                     GL_SAMPLE_ALPHA_TO_COVERAGE, GL_COLOR_MATERIAL, GL_NORMALIZE,
                                     GL_RESCALE_NORMAL, GL_POINT_SMOOTH, GL_LINE_SMOOTH, GL_SAMPLE_COVERAGE,
                                     GL_SAMPLE_ALPHA_TO_ONE};
const GLuint kArrayEnums[ARRAY_COUNT] = {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY,
                                         GL_POINT_SIZE_ARRAY_OES};

Frame &Cur()
{
    return rec.frames[rec.current];
}

GlState &S()
{
    return rec.model.s;
}

bool Known(uint32_t field)
{
    return (S().known & field) == field;
}

void Identity(float *m)
{
    memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

// out = a * b, column-major as GL keeps them.
void Multiply(float *out, const float *a, const float *b)
{
    float r[16];
    for (int c = 0; c < 4; c++)
        for (int row = 0; row < 4; row++) {
            float v = 0;
            for (int k = 0; k < 4; k++)
                v += a[k * 4 + row] * b[c * 4 + k];
            r[c * 4 + row] = v;
        }
    memcpy(out, r, sizeof r);
}

// The matrix the current matrix mode selects, with its field; null when the mode is
// not known.
float *CurrentMatrix(uint32_t *field)
{
    if (!Known(F_MATRIX_MODE))
        return nullptr;
    switch (S().matrix_mode) {
    case GL_MODELVIEW:
        *field = F_MODELVIEW;
        return S().modelview;
    case GL_PROJECTION:
        *field = F_PROJECTION;
        return S().projection;
    case GL_TEXTURE:
        *field = F_TEXTURE_MATRIX;
        return S().texture_matrix;
    default:
        return nullptr;
    }
}

int TypeSize(GLenum type)
{
    switch (type) {
    case GL_FLOAT:
    case GL_FIXED:
        return 4;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
        return 2;
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
        return 1;
    default:
        return 0;
    }
}

float Component(const unsigned char *p, GLenum type, int i)
{
    switch (type) {
    case GL_FLOAT: {
        float f;
        memcpy(&f, p + 4 * i, 4);
        return f;
    }
    case GL_FIXED: {
        int32_t x;
        memcpy(&x, p + 4 * i, 4);
        return (float)x / 65536.0f;
    }
    case GL_SHORT: {
        int16_t x;
        memcpy(&x, p + 2 * i, 2);
        return x;
    }
    case GL_BYTE:
        return (float)(int8_t)p[i];
    default:
        return 0;
    }
}

void Push(Op op, GLenum e0 = 0, GLenum e1 = 0, GLint i0 = 0, GLint i1 = 0, GLint i2 = 0, GLint i3 = 0)
{
    Call c;
    memset(&c, 0, sizeof c);
    c.op = op;
    c.e0 = e0;
    c.e1 = e1;
    c.i[0] = i0, c.i[1] = i1, c.i[2] = i2, c.i[3] = i3;
    Cur().calls.push_back(c);
}

void PushFloats(Op op, GLenum e0, float a, float b, float c, float d)
{
    Push(op, e0);
    Call &call = Cur().calls.back();
    call.f[0] = a, call.f[1] = b, call.f[2] = c, call.f[3] = d;
}

void Changed()
{
    rec.content_epoch++;
}

// Ends the recording of this frame: what was recorded is drawn whole, the rest of the
// frame goes to the driver, and the frame is no record of the back buffer's pixels.
void StopRecording(const char *why)
{
    if (!rec.recording)
        return;
    rec.recording = false;
    rec.history = false;
    ReplayWhole(Cur());
    ApplyModel(Cur());
    rec.stats.last_whole = why;
}

// Something the model does not follow: the back buffer can no longer be compared.
void Unfollowed(const char *why)
{
    StopRecording(why);
    Changed();
}

Rect Surface()
{
    return Rect{0, 0, Cur().width, Cur().height};
}

// The rectangle a clear or draw can touch: inside the surface, the viewport (draws only)
// and the scissor; the whole surface when the state is not known.
Rect Clipped(Rect r, bool draw)
{
    r = Intersect(r, Surface());
    if (draw && Known(F_VIEWPORT)) {
        const int32_t *v = S().viewport;
        r = Intersect(r, Rect{v[0], v[1], v[0] + v[2], v[1] + v[3]});
    }
    bool scissor_known = (S().caps_known >> CAP_SCISSOR) & 1;
    bool scissor_on = (S().caps_on >> CAP_SCISSOR) & 1;
    if (!scissor_known || (scissor_on && !Known(F_SCISSOR))) {
        Cur().unclippable = true;
        return Surface();
    }
    if (scissor_on) {
        const int32_t *s = S().scissor;
        r = Intersect(r, Rect{s[0], s[1], s[0] + s[2], s[1] + s[3]});
    }
    return r;
}

bool CapIs(uint32_t cap, bool on)
{
    return ((S().caps_known >> cap) & 1) && (((S().caps_on >> cap) & 1) == (on ? 1u : 0u));
}

// Pixels a draw in this state writes without reading what is under them.
bool Overwrites()
{
    return CapIs(CAP_BLEND, false) && CapIs(CAP_DEPTH, false) && CapIs(CAP_STENCIL, false) &&
           CapIs(CAP_ALPHA, false) && CapIs(CAP_CULL, false) && CapIs(CAP_LOGIC_OP, false) &&
           CapIs(CAP_ALPHA_TO_COVERAGE, false) && CapIs(CAP_SAMPLE_COVERAGE, false) && Known(F_COLOR_MASK) &&
           S().color_mask == 15;
}

uint64_t StateKey()
{
    uint64_t h = Hash(kSeed, &S(), sizeof(GlState));
    if (Known(F_TEXTURE)) {
        auto it = rec.model.textures.find(S().texture);
        if (it != rec.model.textures.end())
            h = Hash(h, &it->second, sizeof(TexParams));
        else
            h = Hash(h, "?", 1);
    }
    return h;
}

// Window coordinates of the recorded vertices of a draw, through projection, modelview
// and viewport; false when the model does not know them or a vertex lies behind the eye.
struct Projector {
    float m[16];
    float vx, vy, vw, vh;
    bool ok;
};

Projector MakeProjector()
{
    Projector p;
    p.ok = Known(F_MODELVIEW | F_PROJECTION | F_VIEWPORT);
    if (p.ok) {
        Multiply(p.m, S().projection, S().modelview);
        p.vx = (float)S().viewport[0], p.vy = (float)S().viewport[1];
        p.vw = (float)S().viewport[2], p.vh = (float)S().viewport[3];
    }
    return p;
}

bool Project(const Projector &p, const DrawArray &pos, const unsigned char *bytes, uint32_t vertex, float *x, float *y)
{
    const int n = pos.size;
    const unsigned char *v = bytes + pos.offset + (size_t)vertex * n * TypeSize(pos.type);
    float in[4] = {0, 0, 0, 1};
    for (int i = 0; i < n && i < 4; i++)
        in[i] = Component(v, pos.type, i);
    float c[4];
    for (int r = 0; r < 4; r++)
        c[r] = p.m[r] * in[0] + p.m[4 + r] * in[1] + p.m[8 + r] * in[2] + p.m[12 + r] * in[3];
    if (!(c[3] > 1e-6f))
        return false;
    *x = p.vx + (c[0] / c[3] + 1.0f) * 0.5f * p.vw;
    *y = p.vy + (c[1] / c[3] + 1.0f) * 0.5f * p.vh;
    return isfinite(*x) && isfinite(*y);
}

Rect BoxOf(const float *xs, const float *ys, int n, int margin)
{
    float x0 = xs[0], x1 = xs[0], y0 = ys[0], y1 = ys[0];
    for (int i = 1; i < n; i++) {
        x0 = fminf(x0, xs[i]), x1 = fmaxf(x1, xs[i]);
        y0 = fminf(y0, ys[i]), y1 = fmaxf(y1, ys[i]);
    }
    const float big = 1e7f;
    x0 = fmaxf(x0, -big), y0 = fmaxf(y0, -big), x1 = fminf(x1, big), y1 = fminf(y1, big);
    return Rect{(int)floorf(x0) - margin, (int)floorf(y0) - margin, (int)ceilf(x1) + margin, (int)ceilf(y1) + margin};
}

// A pair of triangles that is exactly an upright rectangle, in window pixels: the pixels
// whose centres it covers.
bool UprightRectangle(const float *xs, const float *ys, Rect *out)
{
    float x0 = xs[0], x1 = xs[0], y0 = ys[0], y1 = ys[0];
    for (int i = 1; i < 6; i++) {
        x0 = fminf(x0, xs[i]), x1 = fmaxf(x1, xs[i]);
        y0 = fminf(y0, ys[i]), y1 = fmaxf(y1, ys[i]);
    }
    const float eps = 0.01f;
    for (int i = 0; i < 6; i++) {
        bool on_x = fabsf(xs[i] - x0) < eps || fabsf(xs[i] - x1) < eps;
        bool on_y = fabsf(ys[i] - y0) < eps || fabsf(ys[i] - y1) < eps;
        if (!on_x || !on_y)
            return false;
    }
    float area = 0;
    for (int t = 0; t < 2; t++) {
        const float *x = xs + 3 * t, *y = ys + 3 * t;
        area += fabsf((x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0])) * 0.5f;
    }
    float whole = (x1 - x0) * (y1 - y0);
    if (whole <= 0 || fabsf(area - whole) > 0.001f * whole)
        return false;
    *out = Rect{(int)ceilf(x0 - 0.5f), (int)ceilf(y0 - 0.5f), (int)ceilf(x1 - 0.5f), (int)ceilf(y1 - 0.5f)};
    return true;
}

// Copies the vertices a draw reads and cuts it into items.
void RecordDraw(GLenum mode, GLsizei count, GLenum index_type, const void *index_data, GLint first)
{
    Frame &f = Cur();
    if (count <= 0)
        return;
    if (!((S().arrays_known >> ARRAY_VERTEX) & 1) || !((S().arrays_on >> ARRAY_VERTEX) & 1)) {
        StopRecording("a draw without a known vertex array");
        return;
    }
    // Normals are read only with lighting (a capability the state key holds) and point
    // sizes only by points: they count when the renderer turns them on, which it never does.
    uint32_t other = (1u << ARRAY_NORMAL) | (1u << ARRAY_POINT_SIZE);
    uint32_t needed = (1u << ARRAY_COLOR) | (1u << ARRAY_TEXCOORD);
    if ((S().arrays_known & needed) != needed || (S().arrays_on & other)) {
        StopRecording("a draw with arrays the recorder does not copy");
        return;
    }
    // The indices, and the range of vertices they read.
    static std::vector<uint32_t> idx;
    idx.resize((size_t)count);
    if (index_data) {
        for (GLsizei i = 0; i < count; i++) {
            if (index_type == GL_UNSIGNED_SHORT) {
                GLushort v;
                memcpy(&v, (const unsigned char *)index_data + 2 * i, 2);
                idx[i] = v;
            } else if (index_type == GL_UNSIGNED_BYTE) {
                idx[i] = ((const unsigned char *)index_data)[i];
            } else {
                StopRecording("a draw with indices the recorder does not copy");
                return;
            }
        }
    } else {
        for (GLsizei i = 0; i < count; i++)
            idx[i] = (uint32_t)(first + i);
    }
    uint32_t lo = idx[0], hi = idx[0];
    for (uint32_t v : idx)
        lo = v < lo ? v : lo, hi = v > hi ? v : hi;
    if (hi - lo >= 65535) {
        StopRecording("a draw of too many vertices");
        return;
    }
    Draw d;
    memset(&d, 0, sizeof d);
    d.mode = mode;
    d.vertex_count = hi - lo + 1;
    int element[3] = {0, 0, 0};
    for (int a = 0; a < 3; a++) {
        const ArrayPointer &p = rec.model.arrays[a];
        bool on = (S().arrays_on >> a) & 1;
        d.arrays[a].on = on;
        if (!on)
            continue;
        int size = TypeSize(p.type) * p.size;
        if (!p.known || size <= 0 || !p.data || (a == ARRAY_COLOR && p.type != GL_UNSIGNED_BYTE && p.type != GL_FLOAT &&
                                                 p.type != GL_FIXED)) {
            StopRecording("a draw from an array the recorder does not copy");
            return;
        }
        element[a] = size;
        d.arrays[a].size = p.size;
        d.arrays[a].type = p.type;
        size_t start = (f.bytes.size() + 3) & ~(size_t)3;
        d.arrays[a].offset = (uint32_t)start;
        f.bytes.resize(start + (size_t)size * d.vertex_count);
        const unsigned char *src = (const unsigned char *)p.data;
        size_t stride = p.stride ? (size_t)p.stride : (size_t)size;
        unsigned char *dst = f.bytes.data() + start;
        for (uint32_t v = 0; v < d.vertex_count; v++)
            memcpy(dst + (size_t)v * size, src + (size_t)(lo + v) * stride, (size_t)size);
    }
    d.first_index = (uint32_t)f.indices.size();
    d.index_count = (uint32_t)count;
    for (uint32_t v : idx)
        f.indices.push_back((GLushort)(v - lo));

    // The items.
    if (!CapIs(CAP_DEPTH, false) || !CapIs(CAP_STENCIL, false))
        f.reads_depth = true;
    // The arrays' formats count, not where the copies lie in the frame's bytes.
    uint32_t formats[7] = {mode};
    for (int a = 0; a < 3; a++) {
        formats[1 + 2 * a] = d.arrays[a].on ? (uint32_t)d.arrays[a].size : 0;
        formats[2 + 2 * a] = d.arrays[a].on ? d.arrays[a].type : 0;
    }
    const uint64_t state = Hash(StateKey(), formats, sizeof formats);
    const Projector proj = MakeProjector();
    const bool overwrites = Overwrites();
    d.per_triangle = mode == GL_TRIANGLES && count % 3 == 0;
    const uint32_t per_item = d.per_triangle ? 3 : (uint32_t)count;
    const int margin = mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN ? 1 : 3;
    d.first_item = (uint32_t)f.items.size();
    static std::vector<float> xs, ys;
    float pair_x[6], pair_y[6];
    for (uint32_t start = 0; start < (uint32_t)count; start += per_item) {
        uint64_t key = state;
        xs.resize(per_item);
        ys.resize(per_item);
        bool placed = proj.ok;
        for (uint32_t k = 0; k < per_item; k++) {
            uint32_t v = f.indices[d.first_index + start + k];
            for (int a = 0; a < 3; a++)
                if (d.arrays[a].on)
                    key = Hash(key, f.bytes.data() + d.arrays[a].offset + (size_t)v * element[a], (size_t)element[a]);
            if (placed)
                placed = Project(proj, d.arrays[ARRAY_VERTEX], f.bytes.data(), v, &xs[k], &ys[k]);
        }
        Item item;
        item.key = key;
        item.box = placed ? Clipped(BoxOf(xs.data(), ys.data(), (int)per_item, margin), true) : Clipped(Surface(), false);
        f.items.push_back(item);
        // Two triangles making an upright rectangle, drawn over what is there.
        if (overwrites && placed && d.per_triangle) {
            uint32_t t = start / 3;
            memcpy(pair_x + 3 * (t & 1), xs.data(), 3 * sizeof(float));
            memcpy(pair_y + 3 * (t & 1), ys.data(), 3 * sizeof(float));
            Rect r;
            if ((t & 1) && UprightRectangle(pair_x, pair_y, &r))
                f.overwrites.push_back(Clipped(r, true));
        }
    }
    d.item_count = (uint32_t)f.items.size() - d.first_item;
    f.draws.push_back(d);
    Push(OP_DRAW);
    f.calls.back().ref = (uint32_t)f.draws.size() - 1;
}

void RecordClear(GLbitfield mask)
{
    Frame &f = Cur();
    Item item;
    uint64_t h = Hash(kSeed, &mask, sizeof mask);
    h = Hash(h, &S().known, sizeof(uint32_t));
    h = Hash(h, S().clear_color, sizeof S().clear_color);
    h = Hash(h, &S().clear_depth, sizeof(float));
    h = Hash(h, &S().color_mask, sizeof(uint32_t));
    item.key = h;
    item.box = Clipped(Surface(), false);
    if ((mask & GL_COLOR_BUFFER_BIT) && Known(F_COLOR_MASK | F_CLEAR_COLOR) && S().color_mask == 15)
        f.overwrites.push_back(item.box);
    f.items.push_back(item);
    Push(OP_CLEAR, mask);
    f.calls.back().ref = (uint32_t)f.items.size() - 1;
}

// ---- the stubs ----

void SetCap(GLenum cap, bool on)
{
    int i = CapIndex(cap);
    if (i < 0) {
        Unfollowed("a capability the recorder does not follow");
        return;
    }
    S().caps_known |= 1u << i;
    if (on)
        S().caps_on |= 1u << i;
    else
        S().caps_on &= ~(1u << i);
}

void StubEnable(GLenum cap)
{
    SetCap(cap, true);
    if (rec.recording)
        Push(OP_ENABLE, cap);
    else
        rec.driver.Enable(cap);
}

void StubDisable(GLenum cap)
{
    SetCap(cap, false);
    if (rec.recording)
        Push(OP_DISABLE, cap);
    else
        rec.driver.Disable(cap);
}

void SetClient(GLenum array, bool on)
{
    int i = ClientIndex(array);
    if (i < 0) {
        Unfollowed("an array the recorder does not follow");
        return;
    }
    S().arrays_known |= 1u << i;
    if (on)
        S().arrays_on |= 1u << i;
    else
        S().arrays_on &= ~(1u << i);
}

void StubEnableClientState(GLenum array)
{
    SetClient(array, true);
    if (rec.recording)
        Push(OP_ENABLE_CLIENT, array);
    else
        rec.driver.EnableClientState(array);
}

void StubDisableClientState(GLenum array)
{
    SetClient(array, false);
    if (rec.recording)
        Push(OP_DISABLE_CLIENT, array);
    else
        rec.driver.DisableClientState(array);
}

void StubBlendFunc(GLenum s, GLenum d)
{
    S().blend_src = s, S().blend_dst = d, S().known |= F_BLEND;
    if (rec.recording)
        Push(OP_BLEND_FUNC, s, d);
    else
        rec.driver.BlendFunc(s, d);
}

void StubTexEnvi(GLenum target, GLenum pname, GLint param)
{
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE)
        Unfollowed("a texture environment the recorder does not follow");
    else
        S().tex_env = param, S().known |= F_TEX_ENV;
    if (rec.recording)
        Push(OP_TEX_ENV, target, pname, param);
    else
        rec.driver.TexEnvi(target, pname, param);
}

void StubAlphaFunc(GLenum func, GLclampf ref)
{
    S().alpha_func = func, S().alpha_ref = ref, S().known |= F_ALPHA_FUNC;
    if (rec.recording)
        PushFloats(OP_ALPHA_FUNC, func, ref, 0, 0, 0);
    else
        rec.driver.AlphaFunc(func, ref);
}

void StubFrontFace(GLenum mode)
{
    S().front_face = mode, S().known |= F_FRONT_FACE;
    if (rec.recording)
        Push(OP_FRONT_FACE, mode);
    else
        rec.driver.FrontFace(mode);
}

void StubDepthFunc(GLenum func)
{
    S().depth_func = func, S().known |= F_DEPTH_FUNC;
    if (rec.recording)
        Push(OP_DEPTH_FUNC, func);
    else
        rec.driver.DepthFunc(func);
}

void StubDepthMask(GLboolean flag)
{
    S().depth_mask = flag ? 1 : 0, S().known |= F_DEPTH_MASK;
    if (rec.recording)
        Push(OP_DEPTH_MASK, flag);
    else
        rec.driver.DepthMask(flag);
}

void StubCullFace(GLenum mode)
{
    S().cull_face = mode, S().known |= F_CULL_FACE;
    if (rec.recording)
        Push(OP_CULL_FACE, mode);
    else
        rec.driver.CullFace(mode);
}

void StubColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a)
{
    S().color_mask = (r ? 1u : 0u) | (g ? 2u : 0u) | (b ? 4u : 0u) | (a ? 8u : 0u);
    S().known |= F_COLOR_MASK;
    if (rec.recording)
        Push(OP_COLOR_MASK, 0, 0, r, g, b, a);
    else
        rec.driver.ColorMask(r, g, b, a);
}

void StubClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    float c[4] = {r, g, b, a};
    memcpy(S().clear_color, c, sizeof c);
    S().known |= F_CLEAR_COLOR;
    if (rec.recording)
        PushFloats(OP_CLEAR_COLOR, 0, r, g, b, a);
    else
        rec.driver.ClearColor(r, g, b, a);
}

void StubClearDepthf(GLclampf depth)
{
    S().clear_depth = depth, S().known |= F_CLEAR_DEPTH;
    if (rec.recording)
        PushFloats(OP_CLEAR_DEPTH, 0, depth, 0, 0, 0);
    else
        rec.driver.ClearDepthf(depth);
}

void StubClear(GLbitfield mask)
{
    if (rec.recording) {
        RecordClear(mask);
        return;
    }
    Changed();
    rec.driver.Clear(mask);
}

void StubViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    int32_t v[4] = {x, y, w, h};
    memcpy(S().viewport, v, sizeof v);
    S().known |= F_VIEWPORT;
    if (rec.recording)
        Push(OP_VIEWPORT, 0, 0, x, y, w, h);
    else
        rec.driver.Viewport(x, y, w, h);
}

void StubScissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    int32_t v[4] = {x, y, w, h};
    memcpy(S().scissor, v, sizeof v);
    S().known |= F_SCISSOR;
    if (rec.recording)
        Push(OP_SCISSOR, 0, 0, x, y, w, h);
    else
        rec.driver.Scissor(x, y, w, h);
}

void StubMatrixMode(GLenum mode)
{
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        Unfollowed("a matrix the recorder does not follow");
        S().known &= ~F_MATRIX_MODE;
    } else {
        S().matrix_mode = mode, S().known |= F_MATRIX_MODE;
    }
    if (rec.recording)
        Push(OP_MATRIX_MODE, mode);
    else
        rec.driver.MatrixMode(mode);
}

// A matrix call: the model's matrix becomes `m` (load), the identity (m null, load) or
// itself times `m` (multiply).
void ChangeMatrix(const GLfloat *m, bool multiply)
{
    uint32_t field = 0;
    float *cur = CurrentMatrix(&field);
    if (!cur) {
        S().known &= ~(F_MODELVIEW | F_PROJECTION | F_TEXTURE_MATRIX);
        return;
    }
    if (multiply) {
        if (Known(field))
            Multiply(cur, cur, m);
        return;
    }
    if (m)
        memcpy(cur, m, 16 * sizeof(float));
    else
        Identity(cur);
    S().known |= field;
}

void PushMatrix(Op op, const GLfloat *m)
{
    Push(op);
    Cur().calls.back().ref = (uint32_t)Cur().matrices.size();
    Cur().matrices.insert(Cur().matrices.end(), m, m + 16);
}

void StubLoadMatrixf(const GLfloat *m)
{
    ChangeMatrix(m, false);
    if (rec.recording)
        PushMatrix(OP_LOAD_MATRIX, m);
    else
        rec.driver.LoadMatrixf(m);
}

void StubLoadIdentity()
{
    ChangeMatrix(nullptr, false);
    if (rec.recording)
        Push(OP_LOAD_IDENTITY);
    else
        rec.driver.LoadIdentity();
}

void StubMultMatrixf(const GLfloat *m)
{
    ChangeMatrix(m, true);
    if (rec.recording)
        PushMatrix(OP_MULT_MATRIX, m);
    else
        rec.driver.MultMatrixf(m);
}

void StubHint(GLenum target, GLenum mode)
{
    if (target != GL_PERSPECTIVE_CORRECTION_HINT)
        Unfollowed("a hint the recorder does not follow");
    else
        S().perspective_hint = mode, S().known |= F_PERSPECTIVE_HINT;
    if (rec.recording)
        Push(OP_HINT, target, mode);
    else
        rec.driver.Hint(target, mode);
}

void Point(int array, GLint size, GLenum type, GLsizei stride, const void *p)
{
    rec.model.arrays[array] = ArrayPointer{size, type, stride, p, true};
}

void StubVertexPointer(GLint size, GLenum type, GLsizei stride, const void *p)
{
    Point(ARRAY_VERTEX, size, type, stride, p);
    if (!rec.recording)
        rec.driver.VertexPointer(size, type, stride, p);
}

void StubColorPointer(GLint size, GLenum type, GLsizei stride, const void *p)
{
    Point(ARRAY_COLOR, size, type, stride, p);
    if (!rec.recording)
        rec.driver.ColorPointer(size, type, stride, p);
}

void StubTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void *p)
{
    Point(ARRAY_TEXCOORD, size, type, stride, p);
    if (!rec.recording)
        rec.driver.TexCoordPointer(size, type, stride, p);
}

void StubDrawElements(GLenum mode, GLsizei count, GLenum type, const void *indices)
{
    if (rec.recording)
        RecordDraw(mode, count, type, indices, 0);
    if (rec.recording)
        return;
    Changed();
    rec.driver.DrawElements(mode, count, type, indices);
}

void StubDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (rec.recording)
        RecordDraw(mode, count, 0, nullptr, first);
    if (rec.recording)
        return;
    Changed();
    rec.driver.DrawArrays(mode, first, count);
}

void StubGenTextures(GLsizei n, GLuint *textures)
{
    rec.driver.GenTextures(n, textures);
    for (GLsizei i = 0; i < n; i++)
        rec.model.textures[textures[i]] = TexParams{GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, GL_FALSE, 31};
}

void StubDeleteTextures(GLsizei n, const GLuint *textures)
{
    StopRecording("a texture deleted");
    Changed();
    for (GLsizei i = 0; i < n; i++) {
        rec.model.textures.erase(textures[i]);
        if (Known(F_TEXTURE) && S().texture == textures[i])
            S().texture = 0;  // deleting the bound texture binds none
    }
    rec.driver.DeleteTextures(n, textures);
}

void StubBindTexture(GLenum target, GLuint texture)
{
    if (target != GL_TEXTURE_2D)
        Unfollowed("a texture target the recorder does not follow");
    else
        S().texture = texture, S().known |= F_TEXTURE;
    if (rec.recording)
        Push(OP_BIND_TEXTURE, target, 0, (GLint)texture);
    else
        rec.driver.BindTexture(target, texture);
}

void StubTexParameteri(GLenum target, GLenum pname, GLint param)
{
    int which = pname == GL_TEXTURE_MIN_FILTER ? 0 : pname == GL_TEXTURE_MAG_FILTER ? 1 : pname == GL_TEXTURE_WRAP_S ? 2
              : pname == GL_TEXTURE_WRAP_T ? 3 : pname == GL_GENERATE_MIPMAP ? 4 : -1;
    if (target != GL_TEXTURE_2D || which < 0 || !Known(F_TEXTURE)) {
        Unfollowed("a texture parameter the recorder does not follow");
        if (Known(F_TEXTURE))
            rec.model.textures.erase(S().texture);
    } else {
        TexParams &p = rec.model.textures[S().texture];  // a texture not seen: nothing known yet
        if (rec.recording) {
            Frame &f = Cur();
            bool seen = false;
            for (const auto &e : f.param_start)
                seen = seen || e.first == S().texture;
            if (!seen)
                f.param_start.push_back({S().texture, p});
        }
        int32_t *field = &p.min_filter + which;
        *field = param;
        p.known |= 1u << which;
    }
    if (rec.recording)
        Push(OP_TEX_PARAMETER, target, pname, param);
    else
        rec.driver.TexParameteri(target, pname, param);
}

void StubTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h, GLint border,
                    GLenum format, GLenum type, const void *pixels)
{
    StopRecording("a texture uploaded");
    Changed();
    rec.driver.TexImage2D(target, level, internalformat, w, h, border, format, type, pixels);
}

GLenum StubGetError()
{
    return rec.driver.GetError();
}

const GLubyte *StubGetString(GLenum name)
{
    return rec.driver.GetString(name);
}

void StubReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void *pixels)
{
    StopRecording("pixels read");
    rec.driver.ReadPixels(x, y, w, h, format, type, pixels);
}

void StubFlush()
{
    if (rec.recording)
        Push(OP_FLUSH);
    else
        rec.driver.Flush();
}

void StubFinish()
{
    if (rec.recording)
        Push(OP_FINISH);
    else
        rec.driver.Finish();
}

void StubGenFramebuffers(GLsizei n, GLuint *fbs)
{
    rec.driver.GenFramebuffersOES(n, fbs);
}

void StubDeleteFramebuffers(GLsizei n, const GLuint *fbs)
{
    Unfollowed("a framebuffer deleted");
    rec.driver.DeleteFramebuffersOES(n, fbs);
}

void StubBindFramebuffer(GLenum target, GLuint fb)
{
    Unfollowed("drawing into a texture");
    rec.driver.BindFramebufferOES(target, fb);
}

void StubFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level)
{
    Unfollowed("drawing into a texture");
    rec.driver.FramebufferTexture2DOES(target, attachment, textarget, texture, level);
}

GLenum StubCheckFramebufferStatus(GLenum target)
{
    StopRecording("a framebuffer checked");
    return rec.driver.CheckFramebufferStatusOES(target);
}

}  // namespace

int CapIndex(GLenum cap)
{
    for (int i = 0; i < CAP_COUNT; i++)
        if (kCapEnums[i] == cap)
            return i;
    return -1;
}

int ClientIndex(GLenum array)
{
    for (int i = 0; i < ARRAY_COUNT; i++)
        if (kArrayEnums[i] == array)
            return i;
    return -1;
}

GLenum CapEnum(int index)
{
    return kCapEnums[index];
}

GLenum ClientEnum(int index)
{
    return kArrayEnums[index];
}

uint64_t Hash(uint64_t h, const void *data, size_t n)
{
    // Eight bytes at a time, each word mixed in by a multiply and a shift; the bytes
    // left over one by one.
    const unsigned char *p = (const unsigned char *)data;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        memcpy(&w, p + i, 8);
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    for (; i < n; i++) {
        h = (h ^ p[i]) * 1099511628211ull;
        h ^= h >> 29;
    }
    return h;
}

void Frame::Clear()
{
    calls.clear();
    draws.clear();
    items.clear();
    matrices.clear();
    bytes.clear();
    indices.clear();
    overwrites.clear();
    param_start.clear();
    reads_depth = false;
    unclippable = false;
}

}  // namespace redraw

using namespace redraw;

ov_gl_table_t OV_RedrawInstall(const ov_gl_table_t &driver)
{
    // A frame being recorded for the context before is not issued on this one.
    DropRecording();
    rec.whole_streak = 0;
    rec.rest_frames = 0;
    rec.rest_length = 0;
    rec.driver = driver;
    memset(&rec.model.s, 0, sizeof rec.model.s);
    for (ArrayPointer &p : rec.model.arrays)
        p = ArrayPointer{0, 0, 0, nullptr, false};
    rec.model.textures.clear();
    // The colour mask decides whether a draw paints over what is there; the renderer
    // sets it only for targets with alpha, so it is set here once to what a new context
    // has, and known from then on.
    if (driver.ColorMask) {
        driver.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        rec.model.s.color_mask = 15;
        rec.model.s.known |= F_COLOR_MASK;
    }
    ov_gl_table_t t = driver;
    t.Enable = StubEnable;
    t.Disable = StubDisable;
    t.EnableClientState = StubEnableClientState;
    t.DisableClientState = StubDisableClientState;
    t.BlendFunc = StubBlendFunc;
    t.TexEnvi = StubTexEnvi;
    t.AlphaFunc = StubAlphaFunc;
    t.FrontFace = StubFrontFace;
    t.DepthFunc = StubDepthFunc;
    t.DepthMask = StubDepthMask;
    t.CullFace = StubCullFace;
    t.ColorMask = StubColorMask;
    t.ClearColor = StubClearColor;
    t.ClearDepthf = StubClearDepthf;
    t.Clear = StubClear;
    t.Viewport = StubViewport;
    t.Scissor = StubScissor;
    t.MatrixMode = StubMatrixMode;
    t.LoadMatrixf = StubLoadMatrixf;
    t.LoadIdentity = StubLoadIdentity;
    t.MultMatrixf = StubMultMatrixf;
    t.Hint = StubHint;
    t.VertexPointer = StubVertexPointer;
    t.ColorPointer = StubColorPointer;
    t.TexCoordPointer = StubTexCoordPointer;
    t.DrawElements = StubDrawElements;
    t.DrawArrays = StubDrawArrays;
    t.GenTextures = StubGenTextures;
    t.DeleteTextures = StubDeleteTextures;
    t.BindTexture = StubBindTexture;
    t.TexParameteri = StubTexParameteri;
    t.TexImage2D = StubTexImage2D;
    t.GetError = StubGetError;
    t.GetString = StubGetString;
    t.ReadPixels = StubReadPixels;
    t.Flush = StubFlush;
    t.Finish = StubFinish;
    // The framebuffer entry points stay null where the driver has none.
    if (driver.GenFramebuffersOES)
        t.GenFramebuffersOES = StubGenFramebuffers;
    if (driver.DeleteFramebuffersOES)
        t.DeleteFramebuffersOES = StubDeleteFramebuffers;
    if (driver.BindFramebufferOES)
        t.BindFramebufferOES = StubBindFramebuffer;
    if (driver.FramebufferTexture2DOES)
        t.FramebufferTexture2DOES = StubFramebufferTexture2D;
    if (driver.CheckFramebufferStatusOES)
        t.CheckFramebufferStatusOES = StubCheckFramebufferStatus;
    return t;
}
