// Comparing a recorded frame with the one before and drawing what changed (see
// redraw.h). Items of the two frames are matched in order; an item without a match in
// the other frame marks its rectangle as changed. A pixel outside every changed
// rectangle is then touched by the same items in the same order in both frames, and as
// long as some item paints it without reading it (the frame covers the surface with
// such items), it comes out as the back buffer already has it. The changed rectangles
// are joined into a few and the frame is replayed once per rectangle, scissored to it,
// each draw cut down to the triangles that reach it.
#include "gfx/redraw-frame.h"

#include <string.h>

#include <algorithm>

namespace redraw {

namespace {

const char *const kMostChanged = "most of it changed";
// A frame changed over more than this share of its surface is drawn whole.
const float kWholeShare = 0.5f;
// At most this many rectangles, on a grid of cells of this many pixels.
const int kMaxRects = 8;
const int kJoinCell = 16;
// At most this many stacked rectangles are joined pair by pair; more are marked again on
// a coarser grid first.
const int kMostJoinedPairwise = 256;
// Whole frames in a row (most changed) before the recorder rests, and for how many
// frames: twice as many each time it finds the same again after a rest (a battle, where
// the whole screen moves), up to the longest rest.
const int kWholeStreak = 4;
const int kRestFrames = 60;
const int kLongestRest = 960;

Frame &Cur()
{
    return rec.frames[rec.current];
}

Rect ScissorRect(const int32_t *s)
{
    return Rect{s[0], s[1], s[0] + s[2], s[1] + s[3]};
}

bool SameRect(const Rect &a, const Rect &b)
{
    return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}

void PointAt(const Frame &f, const Draw &d)
{
    const ov_gl_table_t &gl = rec.driver;
    const DrawArray &v = d.arrays[ARRAY_VERTEX], &c = d.arrays[ARRAY_COLOR], &t = d.arrays[ARRAY_TEXCOORD];
    gl.VertexPointer(v.size, v.type, 0, f.bytes.data() + v.offset);
    if (c.on)
        gl.ColorPointer(c.size, c.type, 0, f.bytes.data() + c.offset);
    if (t.on)
        gl.TexCoordPointer(t.size, t.type, 0, f.bytes.data() + t.offset);
}

// Replays the frame's calls in order; with `clip`, every draw and clear is scissored to
// it (inside the scissor the frame itself sets) and draws keep only the triangles that
// reach it.
void ReplayPass(const Frame &f, const Rect *clip)
{
    const ov_gl_table_t &gl = rec.driver;
    bool app_on = ((f.start.caps_known & f.start.caps_on) >> CAP_SCISSOR) & 1;
    Rect app = (f.start.known & F_SCISSOR) ? ScissorRect(f.start.scissor) : Rect{0, 0, 0, 0};
    Rect applied = {0, 0, -1, -1};
    if (clip)
        gl.Enable(GL_SCISSOR_TEST);
    // Sets the scissor for the next clear or draw; false when nothing of it is visible.
    auto scissor = [&]() {
        Rect r = app_on ? Intersect(app, *clip) : *clip;
        if (r.Empty())
            return false;
        if (!SameRect(r, applied)) {
            gl.Scissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
            applied = r;
        }
        return true;
    };
    static std::vector<GLushort> subset;
    for (const Call &c : f.calls) {
        switch (c.op) {
        case OP_ENABLE:
        case OP_DISABLE:
            if (clip && c.e0 == GL_SCISSOR_TEST)
                app_on = c.op == OP_ENABLE;
            else if (c.op == OP_ENABLE)
                gl.Enable(c.e0);
            else
                gl.Disable(c.e0);
            break;
        case OP_SCISSOR:
            if (clip)
                app = Rect{c.i[0], c.i[1], c.i[0] + c.i[2], c.i[1] + c.i[3]};
            else
                gl.Scissor(c.i[0], c.i[1], c.i[2], c.i[3]);
            break;
        case OP_ENABLE_CLIENT:
            gl.EnableClientState(c.e0);
            break;
        case OP_DISABLE_CLIENT:
            gl.DisableClientState(c.e0);
            break;
        case OP_BLEND_FUNC:
            gl.BlendFunc(c.e0, c.e1);
            break;
        case OP_TEX_ENV:
            gl.TexEnvi(c.e0, c.e1, c.i[0]);
            break;
        case OP_ALPHA_FUNC:
            gl.AlphaFunc(c.e0, c.f[0]);
            break;
        case OP_FRONT_FACE:
            gl.FrontFace(c.e0);
            break;
        case OP_DEPTH_FUNC:
            gl.DepthFunc(c.e0);
            break;
        case OP_DEPTH_MASK:
            gl.DepthMask((GLboolean)c.e0);
            break;
        case OP_CULL_FACE:
            gl.CullFace(c.e0);
            break;
        case OP_COLOR_MASK:
            gl.ColorMask((GLboolean)c.i[0], (GLboolean)c.i[1], (GLboolean)c.i[2], (GLboolean)c.i[3]);
            break;
        case OP_CLEAR_COLOR:
            gl.ClearColor(c.f[0], c.f[1], c.f[2], c.f[3]);
            break;
        case OP_CLEAR_DEPTH:
            gl.ClearDepthf(c.f[0]);
            break;
        case OP_CLEAR:
            if (clip && (!Overlap(f.items[c.ref].box, *clip) || !scissor()))
                break;
            gl.Clear(c.e0);
            break;
        case OP_VIEWPORT:
            gl.Viewport(c.i[0], c.i[1], c.i[2], c.i[3]);
            break;
        case OP_MATRIX_MODE:
            gl.MatrixMode(c.e0);
            break;
        case OP_LOAD_MATRIX:
            gl.LoadMatrixf(&f.matrices[c.ref]);
            break;
        case OP_LOAD_IDENTITY:
            gl.LoadIdentity();
            break;
        case OP_MULT_MATRIX:
            gl.MultMatrixf(&f.matrices[c.ref]);
            break;
        case OP_HINT:
            gl.Hint(c.e0, c.e1);
            break;
        case OP_DRAW: {
            const Draw &d = f.draws[c.ref];
            const GLushort *indices = &f.indices[d.first_index];
            GLsizei count = (GLsizei)d.index_count;
            if (clip) {
                if (d.per_triangle) {
                    subset.clear();
                    for (uint32_t t = 0; t < d.item_count; t++)
                        if (Overlap(f.items[d.first_item + t].box, *clip))
                            subset.insert(subset.end(), indices + 3 * t, indices + 3 * t + 3);
                    if (subset.empty())
                        break;
                    indices = subset.data();
                    count = (GLsizei)subset.size();
                } else if (!Overlap(f.items[d.first_item].box, *clip)) {
                    break;
                }
                if (!scissor())
                    break;
            }
            PointAt(f, d);
            gl.DrawElements(d.mode, count, GL_UNSIGNED_SHORT, indices);
            break;
        }
        case OP_BIND_TEXTURE:
            gl.BindTexture(c.e0, (GLuint)c.i[0]);
            break;
        case OP_TEX_PARAMETER:
            gl.TexParameteri(c.e0, c.e1, c.i[0]);
            break;
        case OP_FLUSH:
            if (!clip)
                gl.Flush();
            break;
        case OP_FINISH:
            if (!clip)
                gl.Finish();
            break;
        }
    }
}

void ApplyParams(GLuint texture, const TexParams &p)
{
    const GLenum names[5] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T,
                             GL_GENERATE_MIPMAP};
    rec.driver.BindTexture(GL_TEXTURE_2D, texture);
    for (int i = 0; i < 5; i++)
        if ((p.known >> i) & 1)
            rec.driver.TexParameteri(GL_TEXTURE_2D, names[i], (&p.min_filter)[i]);
}

// The state as the frame began, for the next pass over it.
void ApplyStart(const Frame &f)
{
    for (const auto &e : f.param_start)
        ApplyParams(e.first, e.second);
    ApplyState(f.start);
}

// True when every state the frame sets was known as it began (so that the frame can be
// replayed more than once from its start).
bool Restorable(const Frame &f)
{
    const GlState &now = rec.model.s;
    if ((now.known & ~f.start.known) || (now.caps_known & ~f.start.caps_known) ||
        (now.arrays_known & ~f.start.arrays_known))
        return false;
    for (const auto &e : f.param_start) {
        auto it = rec.model.textures.find(e.first);
        if (it == rec.model.textures.end() || (it->second.known & ~e.second.known))
            return false;
    }
    return true;
}

// Items of `before` and `now` matched in order (a common subsequence of equal keys, the
// same start and end taken first, then each item with the first equal one after the last
// match); the rectangles of the unmatched ones go to `changed`. False when the frames
// are too far apart to be worth matching.
bool Match(const std::vector<Item> &before, const std::vector<Item> &now, std::vector<Rect> &changed)
{
    size_t n = before.size(), m = now.size(), head = 0, tail = 0;
    while (head < n && head < m && before[head].key == now[head].key)
        head++;
    while (tail < n - head && tail < m - head && before[n - 1 - tail].key == now[m - 1 - tail].key)
        tail++;
    size_t old_end = n - tail, new_end = m - tail;
    if (old_end - head > 20000 || new_end - head > 20000)
        return false;
    // The middle of the frame before, by key and then by place.
    static std::vector<std::pair<uint64_t, uint32_t>> sorted;
    static std::vector<char> matched;
    sorted.clear();
    for (size_t i = head; i < old_end; i++)
        sorted.push_back({before[i].key, (uint32_t)i});
    std::sort(sorted.begin(), sorted.end());
    matched.assign(n, 0);
    uint32_t after = (uint32_t)head;  // the next match lies at or after this place
    for (size_t j = head; j < new_end; j++) {
        auto it = std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(now[j].key, after));
        if (it != sorted.end() && it->first == now[j].key) {
            matched[it->second] = 1;
            after = it->second + 1;
        } else {
            changed.push_back(now[j].box);
        }
    }
    for (size_t i = head; i < old_end; i++)
        if (!matched[i])
            changed.push_back(before[i].box);
    return true;
}

// The changed rectangles marked on a grid of cells of `cell` pixels, as runs of marked
// cells of each row stacked while the rows below run the same (in pixels). Gives false when
// the marked cells cover more than `most` pixels.
bool StackMarkedCells(const std::vector<Rect> &rects, int width, int height, int cell, long most,
                      std::vector<Rect> &out)
{
    const Rect surface = {0, 0, width, height};
    const int gw = (width + cell - 1) / cell, gh = (height + cell - 1) / cell;
    static std::vector<char> grid;
    grid.assign((size_t)gw * gh, 0);
    for (const Rect &r0 : rects) {
        Rect r = Intersect(r0, surface);
        if (r.Empty())
            continue;
        for (int y = r.y0 / cell; y <= (r.y1 - 1) / cell; y++)
            memset(&grid[(size_t)y * gw + r.x0 / cell], 1, (size_t)((r.x1 - 1) / cell - r.x0 / cell + 1));
    }
    long marked = 0;
    for (int y = 0; y < gh; y++)
        for (int x = 0; x < gw; x++)
            if (grid[(size_t)y * gw + x])
                marked += Intersect(Rect{x * cell, y * cell, (x + 1) * cell, (y + 1) * cell}, surface).Area();
    if (marked > most)
        return false;
    out.clear();
    std::vector<Rect> open, runs, still;
    for (int y = 0; y <= gh; y++) {
        runs.clear();
        for (int x = 0; y < gh && x < gw;) {
            if (!grid[(size_t)y * gw + x]) {
                x++;
                continue;
            }
            int x0 = x;
            while (x < gw && grid[(size_t)y * gw + x])
                x++;
            runs.push_back(Rect{x0, y, x, y + 1});
        }
        still.clear();
        for (Rect &o : open) {
            bool grown = false;
            for (Rect &r : runs)
                if (r.x0 == o.x0 && r.x1 == o.x1 && r.y0 == y) {
                    o.y1 = y + 1;
                    r.y0 = -1;  // taken
                    grown = true;
                    break;
                }
            (grown ? still : out).push_back(o);
        }
        for (const Rect &r : runs)
            if (r.y0 == y)
                still.push_back(r);
        open.swap(still);
    }
    for (Rect &r : out)
        r = Intersect(Rect{r.x0 * cell, r.y0 * cell, r.x1 * cell, r.y1 * cell}, surface);
    return true;
}

// Joins the pair of rectangles whose union wastes least (adds the least area outside
// both) until at most `most` are left. Each rectangle keeps the partner it wastes least
// with, so a join looks again only at the new rectangle and at those whose partner was
// one of the two joined: the square of the count instead of its cube.
void JoinLeastWastefulPairs(std::vector<Rect> &rects, int most)
{
    auto waste = [&rects](size_t i, size_t j) {
        return Union(rects[i], rects[j]).Area() - rects[i].Area() - rects[j].Area();
    };
    const size_t none = (size_t)-1;
    std::vector<size_t> partner(rects.size(), none);
    std::vector<long> least(rects.size(), 0);
    std::vector<char> alive(rects.size(), 1);
    auto find_partner = [&](size_t i) {
        partner[i] = none;
        for (size_t j = 0; j < rects.size(); j++)
            if (j != i && alive[j] && (partner[i] == none || waste(i, j) < least[i]))
                partner[i] = j, least[i] = waste(i, j);
    };
    for (size_t i = 0; i < rects.size(); i++)
        find_partner(i);
    for (size_t left = rects.size(); (int)left > most; left--) {
        size_t bi = none;
        for (size_t i = 0; i < rects.size(); i++)
            if (alive[i] && partner[i] != none && (bi == none || least[i] < least[bi]))
                bi = i;
        const size_t bj = partner[bi];
        rects[bi] = Union(rects[bi], rects[bj]);
        alive[bj] = 0;
        for (size_t k = 0; k < rects.size(); k++) {
            if (!alive[k] || k == bi)
                continue;
            if (partner[k] == bi || partner[k] == bj)
                find_partner(k);
            else if (waste(k, bi) < least[k])
                partner[k] = bi, least[k] = waste(k, bi);
        }
        find_partner(bi);
    }
    size_t kept = 0;
    for (size_t i = 0; i < rects.size(); i++)
        if (alive[i])
            rects[kept++] = rects[i];
    rects.resize(kept);
}

// The changed rectangles as a few larger ones: marked on a grid of cells and stacked
// (above), then the pairs that waste least joined until few are left. Joining only adds
// area, so when the marked cells alone cover more than `most` pixels the result is the
// whole surface at once: the frame is drawn whole either way. Hundreds of scattered
// changes are first marked on coarser grids (each cell twice as wide) until few enough
// rectangles are left to join pair by pair.
void Join(std::vector<Rect> &rects, int width, int height, long most)
{
    std::vector<Rect> out;
    for (int cell = kJoinCell;; cell *= 2) {
        if (!StackMarkedCells(rects, width, height, cell, most, out)) {
            rects.assign(1, Rect{0, 0, width, height});
            return;
        }
        if ((int)out.size() <= kMostJoinedPairwise || (cell >= width && cell >= height))
            break;
    }
    JoinLeastWastefulPairs(out, kMaxRects);
    rects.swap(out);
}

// Reads the frame drawn in part, draws it whole over itself and compares.
void Verify(const Frame &f)
{
    static std::vector<uint8_t> part, whole;
    const size_t n = (size_t)f.width * f.height * 4;
    part.resize(n);
    whole.resize(n);
    rec.driver.ReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, part.data());
    ReplayWhole(f);
    ApplyModel(f);
    rec.driver.ReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, whole.data());
    for (size_t i = 0; i < n; i += 4)
        rec.stats.pixels_differing += memcmp(&part[i], &whole[i], 3) != 0;
    rec.stats.frames_verified++;
}

bool CoversSurface(const Frame &f)
{
    for (const Rect &r : f.overwrites)
        if (r.x0 <= 0 && r.y0 <= 0 && r.x1 >= f.width && r.y1 >= f.height)
            return true;
    return false;
}

}  // namespace

Rect Intersect(const Rect &a, const Rect &b)
{
    Rect r{a.x0 > b.x0 ? a.x0 : b.x0, a.y0 > b.y0 ? a.y0 : b.y0, a.x1 < b.x1 ? a.x1 : b.x1, a.y1 < b.y1 ? a.y1 : b.y1};
    if (r.Empty())
        r = Rect{0, 0, 0, 0};
    return r;
}

Rect Union(const Rect &a, const Rect &b)
{
    if (a.Empty())
        return b;
    if (b.Empty())
        return a;
    return Rect{a.x0 < b.x0 ? a.x0 : b.x0, a.y0 < b.y0 ? a.y0 : b.y0, a.x1 > b.x1 ? a.x1 : b.x1, a.y1 > b.y1 ? a.y1 : b.y1};
}

bool Overlap(const Rect &a, const Rect &b)
{
    return !a.Empty() && !b.Empty() && a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

void ApplyState(const GlState &g)
{
    const ov_gl_table_t &gl = rec.driver;
    for (int i = 0; i < CAP_COUNT; i++)
        if ((g.caps_known >> i) & 1) {
            if ((g.caps_on >> i) & 1)
                gl.Enable(CapEnum(i));
            else
                gl.Disable(CapEnum(i));
        }
    for (int i = 0; i < ARRAY_COUNT; i++)
        if ((g.arrays_known >> i) & 1) {
            if ((g.arrays_on >> i) & 1)
                gl.EnableClientState(ClientEnum(i));
            else
                gl.DisableClientState(ClientEnum(i));
        }
    if (g.known & F_BLEND)
        gl.BlendFunc(g.blend_src, g.blend_dst);
    if (g.known & F_TEX_ENV)
        gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, g.tex_env);
    if (g.known & F_ALPHA_FUNC)
        gl.AlphaFunc(g.alpha_func, g.alpha_ref);
    if (g.known & F_FRONT_FACE)
        gl.FrontFace(g.front_face);
    if (g.known & F_DEPTH_FUNC)
        gl.DepthFunc(g.depth_func);
    if (g.known & F_DEPTH_MASK)
        gl.DepthMask((GLboolean)g.depth_mask);
    if (g.known & F_CULL_FACE)
        gl.CullFace(g.cull_face);
    if (g.known & F_COLOR_MASK)
        gl.ColorMask(g.color_mask & 1, (g.color_mask >> 1) & 1, (g.color_mask >> 2) & 1, (g.color_mask >> 3) & 1);
    if (g.known & F_CLEAR_COLOR)
        gl.ClearColor(g.clear_color[0], g.clear_color[1], g.clear_color[2], g.clear_color[3]);
    if (g.known & F_CLEAR_DEPTH)
        gl.ClearDepthf(g.clear_depth);
    if (g.known & F_VIEWPORT)
        gl.Viewport(g.viewport[0], g.viewport[1], g.viewport[2], g.viewport[3]);
    if (g.known & F_SCISSOR)
        gl.Scissor(g.scissor[0], g.scissor[1], g.scissor[2], g.scissor[3]);
    const struct {
        uint32_t field;
        GLenum mode;
        const float *m;
    } matrices[3] = {{F_MODELVIEW, GL_MODELVIEW, g.modelview},
                     {F_PROJECTION, GL_PROJECTION, g.projection},
                     {F_TEXTURE_MATRIX, GL_TEXTURE, g.texture_matrix}};
    for (const auto &m : matrices)
        if (g.known & m.field) {
            gl.MatrixMode(m.mode);
            gl.LoadMatrixf(m.m);
        }
    if (g.known & F_MATRIX_MODE)
        gl.MatrixMode(g.matrix_mode);
    if (g.known & F_TEXTURE)
        gl.BindTexture(GL_TEXTURE_2D, g.texture);
    if (g.known & F_PERSPECTIVE_HINT)
        gl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, g.perspective_hint);
}

void ApplyModel(const Frame &f)
{
    const Model &m = rec.model;
    for (const auto &e : f.param_start) {
        auto it = m.textures.find(e.first);
        if (it != m.textures.end())
            ApplyParams(e.first, it->second);
    }
    ApplyState(m.s);
    const ov_gl_table_t &gl = rec.driver;
    const ArrayPointer &v = m.arrays[ARRAY_VERTEX], &c = m.arrays[ARRAY_COLOR], &t = m.arrays[ARRAY_TEXCOORD];
    if (v.known)
        gl.VertexPointer(v.size, v.type, v.stride, v.data);
    if (c.known)
        gl.ColorPointer(c.size, c.type, c.stride, c.data);
    if (t.known)
        gl.TexCoordPointer(t.size, t.type, t.stride, t.data);
}

void DropRecording()
{
    rec.recording = false;
    rec.in_frame = false;
    rec.history = false;
    rec.content_epoch++;
}

void ReplayWhole(const Frame &f)
{
    ReplayPass(f, nullptr);
}

const char *CompareAndReplay()
{
    Frame &f = Cur();
    const Frame &before = rec.frames[1 - rec.current];
    const char *why = nullptr;
    std::vector<Rect> changed;
    if (!rec.history)
        why = "no frame before it on the back buffer";
    else if (before.width != f.width || before.height != f.height)
        why = "the surface changed size";
    else if (f.reads_depth)
        why = "depth or stencil tests";
    else if (f.unclippable)
        why = "a scissor the recorder does not know";
    else if (!CoversSurface(f))
        why = "the frame does not paint the whole surface";
    else if (!Match(before.items, f.items, changed))
        why = kMostChanged;
    long area = 0;
    if (!why) {
        Join(changed, f.width, f.height, (long)(kWholeShare * (float)f.width * (float)f.height));
        if (changed.size() > 1 && !Restorable(f)) {
            Rect all = {0, 0, 0, 0};
            for (const Rect &r : changed)
                all = Union(all, r);
            changed.assign(1, all);
        }
        for (Rect &r : changed) {
            r = Intersect(r, Rect{0, 0, f.width, f.height});
            area += r.Area();
        }
        if ((float)area > kWholeShare * (float)f.width * (float)f.height)
            why = kMostChanged;
    }
    if (why) {
        ReplayWhole(f);
        ApplyModel(f);
        if (why == kMostChanged && ++rec.whole_streak >= kWholeStreak) {
            rec.whole_streak = 0;
            rec.rest_frames = rec.rest_length > 0 ? rec.rest_length : kRestFrames;
            rec.rest_length = rec.rest_frames * 2 < kLongestRest ? rec.rest_frames * 2 : kLongestRest;
        }
        return why;
    }
    rec.whole_streak = 0;
    rec.rest_length = kRestFrames;
    int passes = 0;
    for (const Rect &r : changed) {
        if (r.Empty())
            continue;
        if (passes++ > 0)
            ApplyStart(f);
        ReplayPass(f, &r);
    }
    ApplyModel(f);
    if (rec.verify)
        Verify(f);
    rec.stats.last_rects = passes;
    rec.stats.last_area = area;
    rec.stats.total_area += area;
    if (passes == 0)
        rec.stats.frames_unchanged++;
    return nullptr;
}

}  // namespace redraw

using namespace redraw;

void OV_RedrawBeginFrame(int width, int height, bool kept)
{
    if (rec.in_frame)
        OV_RedrawEndFrame();
    rec.in_frame = true;
    if (rec.content_epoch != rec.epoch_at_end)
        rec.history = false;
    if (!rec.enabled || !kept || width <= 0 || height <= 0 || !rec.driver.DrawElements) {
        rec.history = false;
        return;
    }
    if (rec.rest_frames > 0) {
        rec.rest_frames--;
        rec.history = false;
        return;
    }
    rec.current = 1 - rec.current;
    Frame &f = Cur();
    f.Clear();
    f.width = width;
    f.height = height;
    f.start = rec.model.s;
    rec.recording = true;
    rec.stats.frames_recorded++;
}

void OV_RedrawEndFrame()
{
    if (!rec.in_frame)
        return;
    rec.in_frame = false;
    if (rec.recording) {
        rec.recording = false;
        const char *why = CompareAndReplay();
        if (why) {
            rec.stats.last_whole = why;
        } else {
            rec.stats.frames_partial++;
            rec.stats.last_whole = "";
        }
        rec.history = true;
    }
    rec.epoch_at_end = rec.content_epoch;
}

void OV_RedrawForget()
{
    if (rec.recording) {
        rec.recording = false;
        ReplayWhole(Cur());
        ApplyModel(Cur());
    }
    DropRecording();
}

void OV_RedrawSetEnabled(bool on)
{
    rec.enabled = on;
    rec.history = false;
}

bool OV_RedrawEnabled()
{
    return rec.enabled;
}

void OV_RedrawSetVerify(bool on)
{
    rec.verify = on;
}

ov_redraw_stats_t OV_RedrawStats()
{
    return rec.stats;
}

void OV_RedrawResetStats()
{
    rec.stats = ov_redraw_stats_t{};
    rec.stats.last_whole = "";
}
