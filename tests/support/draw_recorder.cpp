#include "tests/support/draw_recorder.h"

#include "core/ov_state.h"
#include "orvex.h"
#include "ovrecords.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>

#include <algorithm>

namespace enginetest {

void Box::Add(float x, float y)
{
    if (empty) {
        x0 = x1 = x;
        y0 = y1 = y;
        empty = false;
        return;
    }
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
}

void Box::Add(const Box &b)
{
    if (b.empty)
        return;
    Add(b.x0, b.y0);
    Add(b.x1, b.y1);
}

Box Box::Clipped(const Box &clip) const
{
    Box out;
    if (empty || clip.empty)
        return out;
    const float ax = std::max(x0, clip.x0), ay = std::max(y0, clip.y0);
    const float bx = std::min(x1, clip.x1), by = std::min(y1, clip.y1);
    if (ax >= bx || ay >= by)
        return out;
    out.Add(ax, ay);
    out.Add(bx, by);
    return out;
}

float Box::Outside(const Box &outer) const
{
    if (empty)
        return 0.0f;
    return std::max({0.0f, outer.x0 - x0, outer.y0 - y0, x1 - outer.x1, y1 - outer.y1});
}

std::array<float, 2> Box::Overlap(const Box &other) const
{
    if (empty || other.empty)
        return {0.0f, 0.0f};
    const float w = std::min(x1, other.x1) - std::max(x0, other.x0);
    const float h = std::min(y1, other.y1) - std::max(y0, other.y0);
    if (w <= 0.0f || h <= 0.0f)
        return {0.0f, 0.0f};
    return {w, h};
}

bool Box::Contains(const Box &inner, float tolerance) const
{
    return inner.Outside(*this) <= tolerance;
}

std::string Box::Str() const
{
    if (empty)
        return "(nothing)";
    char s[96];
    snprintf(s, sizeof s, "(%.0f,%.0f)-(%.0f,%.0f)", x0, y0, x1, y1);
    return s;
}

Box Union(const std::vector<DrawnPiece> &pieces)
{
    Box b;
    for (const DrawnPiece &p : pieces)
        b.Add(p.box);
    return b;
}

namespace {

// The one recorder that is on: the wrapped calls, the open piece and the clip.
struct State {
    orvex_t saved;
    std::vector<DrawnPiece> pieces;
    DrawnPiece open;
    int depth = 0;
    bool clipping = false;
    Box clip;
};
State *g_state = nullptr;

void Begin(DrawnPiece::Kind kind, const std::string &label)
{
    if (g_state->depth++ > 0)
        return;
    g_state->open = DrawnPiece();
    g_state->open.kind = kind;
    g_state->open.label = label;
}

void End()
{
    if (--g_state->depth > 0)
        return;
    if (!g_state->open.box.empty)
        g_state->pieces.push_back(g_state->open);
    g_state->open = DrawnPiece();
}

const char *BitmapName(const ov_bitmap_t *b)
{
    return b && b->name ? b->name : "";
}

// Quads drawn outside any wrapped call (particles, batches) go to a piece of their own.
void Record(ov_vertex_t *v, int count, void *)
{
    const bool loose = g_state->depth == 0;
    if (loose)
        Begin(DrawnPiece::OTHER, "");
    const nTransform t = ov->OV_PeekTransform();
    Box quad;
    float alpha = 0.0f;
    for (int i = 0; i < count; i++) {
        const float a = (float)v[i].color[3] / 255.0f;
        if (a <= 0.0f)
            continue;
        alpha = std::max(alpha, a);
        quad.Add(t.m[0] * v[i].x + t.m[1] * v[i].y + t.m[3], t.m[4] * v[i].x + t.m[5] * v[i].y + t.m[7]);
    }
    if (g_state->clipping)
        quad = quad.Clipped(g_state->clip);
    DrawnPiece &p = g_state->open;
    if (!quad.empty) {
        p.box.Add(quad);
        p.max_alpha = std::max(p.max_alpha, alpha);
        if (p.kind == DrawnPiece::TEXT) {
            // The GL renderer packs red, green, blue, alpha.
            const std::array<float, 4> c = {(float)v[0].color[0] / 255.0f, (float)v[0].color[1] / 255.0f,
                                            (float)v[0].color[2] / 255.0f, alpha};
            if (std::find(p.colours.begin(), p.colours.end(), c) == p.colours.end())
                p.colours.push_back(c);
        }
    }
    if (loose)
        End();
}

float DrawText(ov_font_t *f, float x, float y, const char *fmt, ...)
{
    char text[4096];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    Begin(DrawnPiece::TEXT, text);
    if (g_state->depth == 1 && f) {
        const nTransform t = ov->OV_PeekTransform();
        g_state->open.font = f;
        g_state->open.glyph_height = (float)f->height * fabsf(ov_text.text_scale_y) * fabsf(t.m[5]);
    }
    const float w = g_state->saved.OV_DrawTextf(f, x, y, "%s", text);
    End();
    return w;
}

void DrawBitmap(ov_bitmap_t *b, float x, float y)
{
    Begin(DrawnPiece::BITMAP, BitmapName(b));
    g_state->saved.OV_DrawBitmap(b, x, y);
    End();
}

void DrawBitmapRS(ov_bitmap_t *b, float x, float y, float angle, float scale)
{
    Begin(DrawnPiece::BITMAP, BitmapName(b));
    g_state->saved.OV_DrawBitmapRS(b, x, y, angle, scale);
    End();
}

void DrawSubBitmap(ov_bitmap_t *b, float x, float y, float sx, float sy, float sw, float sh)
{
    Begin(DrawnPiece::BITMAP, BitmapName(b));
    g_state->saved.OV_DrawSubBitmap(b, x, y, sx, sy, sw, sh);
    End();
}

void DrawBitmap4V(ov_bitmap_t *b, ov_vertex_t *v)
{
    Begin(DrawnPiece::BITMAP, BitmapName(b));
    g_state->saved.OV_DrawBitmap4V(b, v);
    End();
}

void DrawBitmapLine(ov_bitmap_t *b, vec2_t *a, vec2_t *z, float w0, float w1, color_t *c0, color_t *c1)
{
    Begin(DrawnPiece::LINE, BitmapName(b));
    g_state->saved.OV_DrawBitmapLine(b, a, z, w0, w1, c0, c1);
    End();
}

void DrawRect(float x, float y, float w, float h)
{
    Begin(DrawnPiece::RECT, "");
    g_state->saved.OV_DrawRect(x, y, w, h);
    End();
}

void DrawLine(float x0, float y0, float x1, float y1)
{
    Begin(DrawnPiece::LINE, "");
    g_state->saved.OV_DrawLine(x0, y0, x1, y1);
    End();
}

int SetScissorRect(int x, int y, int w, int h)
{
    g_state->clipping = true;
    g_state->clip = Box();
    g_state->clip.Add((float)x, (float)y);
    g_state->clip.Add((float)(x + w), (float)(y + h));
    return g_state->saved.OV_SetScissorRect(x, y, w, h);
}

void DisableScissorRect()
{
    g_state->clipping = false;
    g_state->saved.OV_DisableScissorRect();
}

}  // namespace

DrawRecorder::DrawRecorder()
{
    g_state = new State;
    g_state->saved = *ov;
    ov->OV_DrawTextf = DrawText;
    ov->OV_DrawBitmap = DrawBitmap;
    ov->OV_DrawBitmapRS = DrawBitmapRS;
    ov->OV_DrawSubBitmap = DrawSubBitmap;
    ov->OV_DrawBitmap4V = DrawBitmap4V;
    ov->OV_DrawBitmapLine = DrawBitmapLine;
    ov->OV_DrawRect = DrawRect;
    ov->OV_DrawLine = DrawLine;
    ov->OV_SetScissorRect = SetScissorRect;
    ov->OV_DisableScissorRect = DisableScissorRect;
    ov->OV_PushVertexProcessor(Record, nullptr);
}

DrawRecorder::~DrawRecorder()
{
    ov->OV_RemoveVertexProcessor(Record, nullptr);
    const orvex_t &s = g_state->saved;
    ov->OV_DrawTextf = s.OV_DrawTextf;
    ov->OV_DrawBitmap = s.OV_DrawBitmap;
    ov->OV_DrawBitmapRS = s.OV_DrawBitmapRS;
    ov->OV_DrawSubBitmap = s.OV_DrawSubBitmap;
    ov->OV_DrawBitmap4V = s.OV_DrawBitmap4V;
    ov->OV_DrawBitmapLine = s.OV_DrawBitmapLine;
    ov->OV_DrawRect = s.OV_DrawRect;
    ov->OV_DrawLine = s.OV_DrawLine;
    ov->OV_SetScissorRect = s.OV_SetScissorRect;
    ov->OV_DisableScissorRect = s.OV_DisableScissorRect;
    delete g_state;
    g_state = nullptr;
}

std::vector<DrawnPiece> DrawRecorder::Take()
{
    std::vector<DrawnPiece> out;
    out.swap(g_state->pieces);
    return out;
}

}  // namespace enginetest
