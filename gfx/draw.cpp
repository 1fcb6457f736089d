// The 2-D drawing front end of the interface table: current colour and alpha, text
// state, quads from bitmaps, rectangles, lines, triangle lists and the default batch
// calls. Every quad is built in the four current vertices, passed through the vertex
// processors and handed to the renderer, which applies the top transform.
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/bitmap.h"
#include "gfx/rendimp.h"
#include "gfx/transform.h"

#include <math.h>
#include <string.h>

static bool Drawable(ov_bitmap_t *b)
{
    return b && b->load_state == OV_BITMAP_LOADED && b->hw.uploaded;
}

static void SetCorners(ov_vertex_t *v, float x0, float y0, float x1, float y1)
{
    v[0].x = x0, v[0].y = y0;
    v[1].x = x1, v[1].y = y0;
    v[2].x = x0, v[2].y = y1;
    v[3].x = x1, v[3].y = y1;
}

static void SetTexRect(ov_vertex_t *v, float u0, float v0, float u1, float v1)
{
    v[0].u = u0, v[0].v = v0;
    v[1].u = u1, v[1].v = v0;
    v[2].u = u0, v[2].v = v1;
    v[3].u = u1, v[3].v = v1;
}

static void Process(ov_vertex_t *v)
{
    if (ov_state.vertex_processor_top >= 0)
        OV_ApplyVertexProcessing(v, 4);
}

static void DrawCurrentQuad(ov_bitmap_t *b)
{
    ov_vertex_t *v = ov_state.cur_vertices;
    Process(v);
    if (OVI_RendererReady())
        ov_rendimp->DrawQuad(b, v);
}

// Packs B, G, R into the current colour (the renderer may install its own order).
void OV_SetColor(float r, float g, float b)
{
    ov_state.color_r = r;
    ov_state.color_g = g;
    ov_state.color_b = b;
    ov_state.packed_color[0] = (uint8_t)(int)(b * 255.0f);
    ov_state.packed_color[1] = (uint8_t)(int)(g * 255.0f);
    ov_state.packed_color[2] = (uint8_t)(int)(r * 255.0f);
    for (ov_vertex_t &v : ov_state.cur_vertices)
        memcpy(v.color, ov_state.packed_color, 4);
}

// Clamps alpha to 0..1 and writes it into the packed colour and the current vertices.
void OV_SetAlpha(float a)
{
    if (a < 0)
        a = 0;
    if (a > 1)
        a = 1;
    ov_state.color_a = a;
    uint8_t byte = (uint8_t)(int)(a * 255.0f);
    ov_state.packed_color[3] = byte;
    for (ov_vertex_t &v : ov_state.cur_vertices)
        v.color[3] = byte;
}

void OV_SetTextAlign(int align)
{
    ov_text.text_align = align;
}

void OV_SetTextboxWidth(int width)
{
    ov_text.textbox_width = (float)width;
}

void OV_SetTextTransform(float scale_x, float scale_y, float angle)
{
    ov_text.text_scale_x = scale_x;
    ov_text.text_scale_y = scale_y;
    ov_text.text_angle = angle;
}

// The bitmap at (x, y) at its own size.
void OV_DrawBitmap(ov_bitmap_t *b, float x, float y)
{
    if (!Drawable(b) || ov_state.color_a <= 0)
        return;
    ov_vertex_t *v = ov_state.cur_vertices;
    SetCorners(v, x, y, x + (float)b->width, y + (float)b->height);
    SetTexRect(v, b->hw.u0, b->hw.v0, b->hw.u1, b->hw.v1);
    DrawCurrentQuad(b);
}

static void RotatedCorners(ov_vertex_t *v, float cx, float cy, float hw, float hh, float angle)
{
    float s = sinf(angle), c = cosf(angle);
    const float d[4][2] = {{-hw, -hh}, {hw, -hh}, {-hw, hh}, {hw, hh}};
    for (int i = 0; i < 4; i++) {
        v[i].x = cx + c * d[i][0] - s * d[i][1];
        v[i].y = cy + s * d[i][0] + c * d[i][1];
    }
}

// The bitmap centred on (x, y), rotated by angle (radians) and scaled.
void OV_DrawBitmapRS(ov_bitmap_t *b, float x, float y, float angle, float scale)
{
    if (!Drawable(b))
        return;
    if (b->width & 1)
        x -= scale / 2;
    if (b->height & 1)
        y -= scale / 2;
    ov_vertex_t *v = ov_state.cur_vertices;
    RotatedCorners(v, x, y, scale * (float)b->width / 2, scale * (float)b->height / 2, angle);
    SetTexRect(v, b->hw.u0, b->hw.v0, b->hw.u1, b->hw.v1);
    DrawCurrentQuad(b);
}

static float FastInverseSqrt(float len2)
{
    float y = len2;
    uint32_t i;
    memcpy(&i, &y, 4);
    i = 0x5f3759df - (i >> 1);
    memcpy(&y, &i, 4);
    return y * (1.5f - 0.5f * len2 * y * y);
}

static void PackColor(uint8_t *out, const color_t *c)
{
    auto byte = [](float f) {
        int v = (int)(f * 255.0f);
        return (uint8_t)(v < 0 ? 0 : v);
    };
    // The interface's colour setter decides the order: R, G, B with the GLES renderer.
    bool rgb = ov && ov->OV_SetColor != OV_SetColor;
    out[0] = byte(rgb ? c->r : c->b);
    out[1] = byte(c->g);
    out[2] = byte(rgb ? c->b : c->r);
    out[3] = byte(c->a);
}

// A band from a to z, w0 wide at a and w1 at z, coloured c0 at a and c1 at z.
void OV_DrawBitmapLine(ov_bitmap_t *b, vec2_t *a, vec2_t *z, float w0, float w1, color_t *c0, color_t *c1)
{
    if (!Drawable(b))
        return;
    float dx = z->x - a->x, dy = z->y - a->y;
    float inv = FastInverseSqrt(dx * dx + dy * dy);
    float nx = dy * inv, ny = -dx * inv;
    ov_vertex_t *v = ov_state.cur_vertices;
    v[0].x = a->x - w0 / 2 * nx, v[0].y = a->y - w0 / 2 * ny;
    v[1].x = a->x + w0 / 2 * nx, v[1].y = a->y + w0 / 2 * ny;
    v[2].x = z->x - w1 / 2 * nx, v[2].y = z->y - w1 / 2 * ny;
    v[3].x = z->x + w1 / 2 * nx, v[3].y = z->y + w1 / 2 * ny;
    PackColor(v[0].color, c0);
    PackColor(v[1].color, c0);
    PackColor(v[2].color, c1);
    PackColor(v[3].color, c1);
    SetTexRect(v, b->hw.u0, b->hw.v0, b->hw.u1, b->hw.v1);
    DrawCurrentQuad(b);
}

// The source rectangle (sx1, sy1)-(sx2, sy2) of the bitmap, unscaled at (x, y).
void OV_DrawSubBitmap(ov_bitmap_t *b, float x, float y, float sx1, float sy1, float sx2, float sy2)
{
    if (!Drawable(b))
        return;
    ov_vertex_t *v = ov_state.cur_vertices;
    SetCorners(v, x, y, x + sx2 - sx1, y + sy2 - sy1);
    float du = b->hw.u1 - b->hw.u0, dv = b->hw.v1 - b->hw.v0;
    float w = (float)b->width, h = (float)b->height;
    SetTexRect(v, b->hw.u0 + du * sx1 / w, b->hw.v0 + dv * sy1 / h, b->hw.u0 + du * sx2 / w, b->hw.v0 + dv * sy2 / h);
    DrawCurrentQuad(b);
}

// A filled rectangle in the current colour.
void OV_DrawRect(float x, float y, float w, float h)
{
    if (ov_state.color_a <= 0)
        return;
    ov_vertex_t *v = ov_state.cur_vertices;
    SetCorners(v, x, y, x + w, y + h);
    Process(v);
    if (OVI_RendererReady())
        ov_rendimp->DrawNonTexturedQuad(v);
}

// A one-pixel line in the current colour.
void OV_DrawLine(float x0, float y0, float x1, float y1)
{
    if (OVI_RendererReady())
        ov_rendimp->DrawLine(x0, y0, x1, y1);
}

// Below this area (square units) an opaque quad keeps the normal blend: the copy saves a
// little per pixel, but the switch to it and back ends the batch twice and changes the
// rasteriser's state twice, which costs more than a small quad's blend (a waving flag's
// cells, many of them fully lit, would otherwise switch once or twice each).
static const float kOpaqueCopyMinArea = 128.0f * 128.0f;

// Whether a quad drawn with the normal blend would only copy its texels, and is large
// enough for the copy to pay: the screen is the target, the bitmap is its own opaque
// texture (no atlas whose neighbouring texels a filtered edge could mix in, no
// transparent padding) and every corner is fully white.
static bool CopiesOpaque(const ov_bitmap_t *b, const ov_vertex_t *v)
{
    if (ov_state.blend_mode != 0 || ov_state.render_target || ov_state.cur_shader || b->atlas || b->frames ||
        (b->flags & (OV_BITMAP_ALPHA | OV_BITMAP_RENDER_TARGET)))
        return false;
    for (int i = 0; i < 4; i++) {
        if ((v[i].color[0] & v[i].color[1] & v[i].color[2] & v[i].color[3]) != 255)
            return false;
    }
    // The area of the parallelogram on the first three corners (the corner order is top
    // left, top right, bottom left, bottom right).
    const float area = fabsf((v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[1].y - v[0].y) * (v[2].x - v[0].x));
    return area >= kOpaqueCopyMinArea;
}

// Four caller vertices; their u, v (0..1) are mapped into the bitmap's texture rectangle.
void OV_DrawBitmap4V(ov_bitmap_t *b, ov_vertex_t *four)
{
    if (b && !Drawable(b))
        return;
    ov_vertex_t *v = ov_state.user_vertices;
    memcpy(v, four, 4 * sizeof(ov_vertex_t));
    if (b) {
        for (int i = 0; i < 4; i++) {
            v[i].u = b->hw.u0 + (b->hw.u1 - b->hw.u0) * four[i].u;
            v[i].v = b->hw.v0 + (b->hw.v1 - b->hw.v0) * four[i].v;
        }
    }
    Process(v);
    if (!OVI_RendererReady())
        return;
    if (!b) {
        ov_rendimp->DrawNonTexturedQuad(v);
    } else if (CopiesOpaque(b, v)) {
        // Blending an opaque quad over the screen gives its texels unchanged: a plain
        // copy costs a software rasteriser far less than the blend (the menus' backdrops
        // cover the whole screen every frame). A stretched one is copied from its picture
        // kept at the screen's size, when the renderer keeps one.
        ov_rendimp->SetBlend(2);
        if (!ov_rendimp->DrawScaledCopy(b, v))
            ov_rendimp->DrawQuad(b, v);
        ov_rendimp->SetBlend(0);
    } else {
        ov_rendimp->DrawQuad(b, v);
    }
}

// Default batch: nothing to begin or end; each quad is drawn at once.
void OV_BeginBatch(ov_bitmap_t *) {}

void OV_BatchDrawQuad(ov_bitmap_t *b, ov_vertex_t *four)
{
    ov_vertex_t *v = ov_state.user_vertices;
    memcpy(v, four, 4 * sizeof(ov_vertex_t));
    Process(v);
    if (!OVI_RendererReady())
        return;
    if (b)
        ov_rendimp->DrawQuad(b, v);
    else
        ov_rendimp->DrawNonTexturedQuad(v);
}

void OV_EndBatch(void) {}

// Caller-indexed triangles, straight to the renderer.
void OV_DrawTriangles(ov_bitmap_t *b, ov_vertex3d_t *v, int nverts, const uint16_t *indices, int nindices)
{
    if (OVI_RendererReady())
        ov_rendimp->DrawTriangles(b, v, nverts, const_cast<unsigned short *>(indices), nindices);
}

// A glyph quad through the batch slot (used by the text drawer).
void OV_DrawBatchBitmap(ov_bitmap_t *b, float x, float y)
{
    if (ov_state.color_a <= 0 || !OVI_RendererReady())
        return;
    ov_vertex_t *v = ov_state.cur_vertices;
    SetCorners(v, x, y, x + (float)b->width, y + (float)b->height);
    SetTexRect(v, b->hw.u0, b->hw.v0, b->hw.u1, b->hw.v1);
    Process(v);
    ov->OV_BatchDrawQuad(b, v);
}

// A glyph quad turned by a 2x2 matrix about a pivot, through the batch slot.
void OV_DrawBatchBitmapT(ov_bitmap_t *b, float x, float y, mat2_t *m, vec2_t *pivot)
{
    if (!OVI_RendererReady())
        return;
    ov_vertex_t *v = ov_state.cur_vertices;
    SetCorners(v, x, y, x + (float)b->width, y + (float)b->height);
    for (int i = 0; i < 4; i++) {
        float cx = v[i].x - pivot->x, cy = v[i].y - pivot->y;
        v[i].x = m->m00 * cx + m->m01 * cy + pivot->x;
        v[i].y = m->m10 * cx + m->m11 * cy + pivot->y;
    }
    SetTexRect(v, b->hw.u0, b->hw.v0, b->hw.u1, b->hw.v1);
    Process(v);
    ov->OV_BatchDrawQuad(b, v);
}

// Same geometry as OV_DrawBitmapRS, drawn with the current shader; no tests, no processors.
void OVE_DrawBitmapRS(ov_bitmap_t *b, float x, float y, float angle, float scale)
{
    if (b->width & 1)
        x -= 0.5f;
    if (b->height & 1)
        y -= 0.5f;
    ov_vertex_t *v = ov_state.cur_vertices;
    RotatedCorners(v, x, y, scale * (float)b->width / 2, scale * (float)b->height / 2, angle);
    SetTexRect(v, b->hw.u0, b->hw.v0, b->hw.u1, b->hw.v1);
    if (OVI_RendererReady())
        ov_rendimp->DrawShadedQuad(b, v);
}
