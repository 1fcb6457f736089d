// The OpenGL ES renderer's textures and quads: the 64-quad batch, texture selection
// and per-texture filtering, bitmap uploads with edge padding, render-target textures
// with their framebuffers, and the release of GPU data.
#include "core/ov_state.h"
#include "gfx/rendimp-gles.h"

#include <stdlib.h>
#include <string.h>

BatchRenderer br;
extern bool ov_gles_render_targets_enabled;

BatchRenderer::BatchRenderer()
    : count(0), texture(0), texture_valid(false), arrays_pointed(false), pending_quads(0), pending_switches(0),
      flush_every(0), flush_switches(0), pending_switch_area(0), queued_fill_switches(0), finish_fill_switches(0), heap_kept(false)
{
    // Both triangles of a quad (top-left, top-right, bottom-left, bottom-right) wind the
    // same way: a rasteriser can then take the pair as one rectangle and shades the
    // shared diagonal once.
    for (int q = 0; q < OV_BATCH_QUADS; q++) {
        unsigned short *i = &indices[q * 6];
        unsigned short v = (unsigned short)(q * 4);
        i[0] = v;
        i[1] = (unsigned short)(v + 1);
        i[2] = (unsigned short)(v + 2);
        i[3] = (unsigned short)(v + 2);
        i[4] = (unsigned short)(v + 1);
        i[5] = (unsigned short)(v + 3);
    }
    for (ov_vertex_t &v : vertices) {
        memset(&v, 0, sizeof v);
        v.z = 0.5f;
        memset(v.color, 255, 4);
    }
}

static void PointArrays(ov_vertex_t *v)
{
    ovgl.VertexPointer(3, GL_FLOAT, sizeof(ov_vertex_t), &v->x);
    ovgl.ColorPointer(4, GL_UNSIGNED_BYTE, sizeof(ov_vertex_t), &v->color[0]);
    ovgl.TexCoordPointer(2, GL_FLOAT, sizeof(ov_vertex_t), &v->u);
}

// The area the pending quads cover (each a parallelogram of its first three corners).
static float BatchArea()
{
    float area = 0;
    for (int q = 0; q < br.count; q++) {
        const ov_vertex_t *v = &br.vertices[q * 4];
        float cross = (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[1].y - v[0].y) * (v[2].x - v[0].x);
        area += cross < 0 ? -cross : cross;
    }
    return area;
}

static void HandOver()
{
    // Switches between large quads are rasterised more slowly than they are submitted:
    // the copies queued ahead of the rasteriser would all stay in memory (up to hundreds
    // of megabytes in a frame). A wait for the queue to drain bounds them; smaller
    // batches instead of the wait would bound them too, but cost the rasteriser threads
    // a synchronisation per batch.
    if (br.finish_fill_switches > 0 && br.pending_switches > 0 &&
        br.pending_switch_area >= (float)br.pending_switches * OV_SOFTWARE_FILL_AREA)
        br.queued_fill_switches += br.pending_switches;
    if (br.finish_fill_switches > 0 && br.queued_fill_switches >= br.finish_fill_switches) {
        ovgl.Finish();
        br.queued_fill_switches = 0;
        if (!br.heap_kept) {
            OV_KeepFreedHeapForSoftwareRasteriser();
            br.heap_kept = true;
        }
    } else {
        ovgl.Flush();
    }
    br.pending_quads = 0;
    br.pending_switches = 0;
    br.pending_switch_area = 0;
}

static void FlushBatch()
{
    if (br.count <= 0)
        return;
    if (!br.arrays_pointed) {
        PointArrays(br.vertices);
        br.arrays_pointed = true;
    }
    ovgl.DrawElements(GL_TRIANGLES, br.count * 6, GL_UNSIGNED_SHORT, br.indices);
    // On a software rasteriser, hand the queued work to its threads every so many quads,
    // so that they rasterise while the frame is still being submitted, and every so many
    // texture switches: each switch stores a copy of the rasteriser's state (about 40 KB)
    // in the queued work, so a frame of thousands of switches would otherwise pile up
    // hundreds of megabytes, written once, read once and given back to the system.
    br.pending_quads += br.count;
    if ((br.flush_every > 0 && br.pending_quads >= br.flush_every) ||
        (br.flush_switches > 0 && br.pending_switches >= br.flush_switches))
        HandOver();
    br.count = 0;
}

static void AppendQuad(const ov_vertex_t *four)
{
    memcpy(&br.vertices[br.count * 4], four, 4 * sizeof(ov_vertex_t));
    if (++br.count >= OV_BATCH_QUADS)
        FlushBatch();
}

static void SelectTexture(GLuint t)
{
    if (br.texture_valid && t == br.texture)
        return;
    if (br.finish_fill_switches > 0)
        br.pending_switch_area += BatchArea();
    FlushBatch();
    bool had_texture = br.texture_valid && br.texture != 0;
    if (t == 0) {
        if (had_texture || !br.texture_valid) {
            ovgl.Disable(GL_TEXTURE_2D);
            ovgl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    } else {
        if (!had_texture) {
            ovgl.Enable(GL_TEXTURE_2D);
            ovgl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        ovgl.BindTexture(GL_TEXTURE_2D, t);
    }
    br.texture = t;
    br.texture_valid = true;
    br.pending_switches++;
}

static void ApplyFilter(ov_bitmap_t *b)
{
    if (!b || b->hw.filter == ov_state.pixel_filter)
        return;
    if (ov_state.pixel_filter == 0 || ov_state.pixel_filter == 1) {
        GLint f = ov_state.pixel_filter == 0 ? GL_NEAREST : GL_LINEAR;
        ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
        ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    }
    b->hw.filter = ov_state.pixel_filter;
}

void RendImpOpenGLES::Flush()
{
    FlushBatch();
}

// The batch calls of the interface table do nothing before the renderer is ready
// (an application may call them from its pre-initialisation event).
void OVID_EndBatch(void)
{
    if (OVI_RendererReady())
        FlushBatch();
}

void OVID_BeginBatch(ov_bitmap_t *b)
{
    if (!OVI_RendererReady())
        return;
    SelectTexture(b ? b->hw.texture : 0);
    ApplyFilter(b);
}

void OVID_BatchDrawQuad(ov_bitmap_t *, ov_vertex_t *four)
{
    if (OVI_RendererReady())
        AppendQuad(four);
}

void RendImpOpenGLES::SetTexture(ov_bitmap_t *b)
{
    SelectTexture(b ? b->hw.texture : 0);
}

void RendImpOpenGLES::DrawQuad(ov_bitmap_t *b, ov_vertex_t *four)
{
    SelectTexture(b ? b->hw.texture : 0);
    ApplyFilter(b);
    AppendQuad(four);
}

void RendImpOpenGLES::DrawNonTexturedQuad(ov_vertex_t *four)
{
    SelectTexture(0);
    AppendQuad(four);
}

bool RendImpOpenGLES::DrawLine(float x0, float y0, float x1, float y1)
{
    SelectTexture(0);
    FlushBatch();
    float positions[6] = {x0, y0, screen_plane, x1, y1, screen_plane};
    uint8_t colors[8];
    memcpy(colors, ov_state.packed_color, 4);
    memcpy(colors + 4, ov_state.packed_color, 4);
    ovgl.VertexPointer(3, GL_FLOAT, 12, positions);
    ovgl.ColorPointer(4, GL_UNSIGNED_BYTE, 0, colors);
    ovgl.DrawArrays(GL_LINES, 0, 2);
    PointArrays(br.vertices);
    br.arrays_pointed = true;
    return true;
}

void RendImpOpenGLES::DrawTriangles(ov_bitmap_t *b, ov_vertex3d_t *v, int, unsigned short *indices, int nindices)
{
    // Selecting the texture may flush the batch, which points the arrays back at it: the
    // caller's arrays are set only after that, and the next flush points them back again.
    FlushBatch();
    SelectTexture(b ? b->hw.texture : 0);
    PointArrays(v);
    br.arrays_pointed = false;
    ovgl.DrawElements(GL_TRIANGLES, nindices, GL_UNSIGNED_SHORT, indices);
}

static bool IsPowerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

static int NextPowerOfTwo(int v)
{
    int p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

static void CopyPixel(uint8_t *buf, int stride, int dx, int dy, int sx, int sy)
{
    memcpy(buf + dy * stride + dx * 4, buf + sy * stride + sx * 4, 4);
}

// Repeats the picture's edge rows and columns into the one-pixel border (padded axes only).
static void FillEdges(uint8_t *buf, int tw, int sw, int sh, int px, int py)
{
    int stride = tw * 4;
    if (py) {
        memcpy(buf + (py - 1) * stride + px * 4, buf + py * stride + px * 4, (size_t)sw * 4);
        memcpy(buf + (py + sh) * stride + px * 4, buf + (py + sh - 1) * stride + px * 4, (size_t)sw * 4);
    }
    if (px) {
        for (int row = 0; row < sh + 2 * py; row++) {
            CopyPixel(buf, stride, 0, row, 1, row);
            CopyPixel(buf, stride, sw + 1, row, sw, row);
        }
    }
}

// Makes the border transparent (padded axes only).
static void ClearBorderAlpha(uint8_t *buf, int tw, int sw, int sh, int px, int py)
{
    int stride = tw * 4;
    if (py) {
        for (int c = 0; c < tw; c++) {
            buf[c * 4 + 3] = 0;
            buf[(py + sh) * stride + c * 4 + 3] = 0;
        }
    }
    if (px) {
        for (int row = 0; row < sh + 2 * py; row++) {
            buf[row * stride + 3] = 0;
            buf[row * stride + (px + sw) * 4 + 3] = 0;
        }
    }
}

// True when every texel's red, green and blue are equal (a font's white glyphs, grey
// smoke): such a texture draws exactly the same from luminance and alpha alone, and the
// software rasteriser then keeps 2 bytes a texel instead of 4.
static bool AllTexelsGrey(const uint8_t *rgba, size_t texels)
{
    for (size_t i = 0; i < texels; i++, rgba += 4)
        if (rgba[0] != rgba[1] || rgba[0] != rgba[2])
            return false;
    return true;
}

// Uploads w x h RGBA texels to the bound texture: as luminance and alpha when every texel
// is grey (rows padded to the default unpack alignment of 4 bytes), else as they are.
static void UploadTexels(const uint8_t *rgba, int w, int h)
{
    const size_t stride = ((size_t)w * 2 + 3) & ~(size_t)3;
    uint8_t *pairs = rgba && AllTexelsGrey(rgba, (size_t)w * h) ? (uint8_t *)malloc(stride * h) : nullptr;
    if (!pairs) {
        ovgl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return;
    }
    for (int row = 0; row < h; row++) {
        const uint8_t *from = rgba + (size_t)row * w * 4;
        uint8_t *to = pairs + (size_t)row * stride;
        for (int x = 0; x < w; x++) {
            to[x * 2] = from[x * 4];
            to[x * 2 + 1] = from[x * 4 + 3];
        }
    }
    ovgl.TexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, w, h, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, pairs);
    free(pairs);
}

bool RendImpOpenGLES::LoadBitmap(ov_bitmap_t *b)
{
    if (!b || !b->pixels) {
        OV_PrintDebugf(OV_WARNING, "RendImpOpenGLES::LoadBitmap invalid parameters (bm=%x)", (unsigned)(uintptr_t)b);
        return false;
    }
    FlushBatch();
    if (b->hw.uploaded) {
        if (b->hw.texture) {
            ovgl.DeleteTextures(1, &b->hw.texture);
            if (br.texture == b->hw.texture)
                br.texture_valid = false;
        }
        b->hw.uploaded = 0;
    }
    ovgl.Enable(GL_TEXTURE_2D);

    int sw = b->src_width, sh = b->src_height;
    if (sw == 0 || sh == 0) {
        sw = b->src_width = b->width;
        sh = b->src_height = b->height;
    }
    int mode = b->pack_mode;
    if (IsPowerOfTwo(sw) && IsPowerOfTwo(sh))
        mode = OV_NO_PADDING;
    if (!(b->flags & OV_BITMAP_ALPHA) && mode == OV_PAD_TRANSPARENT)
        mode = OV_PAD_EXPAND;
    int px = mode < OV_NO_PADDING ? 1 : 0, py = px;
    if ((sw >= 1024 && IsPowerOfTwo(sw)) || (sw >= 1023 && sw == NextPowerOfTwo(sw) - px))
        px = 0;
    if ((sh >= 1024 && IsPowerOfTwo(sh)) || (sh >= 1023 && sh == NextPowerOfTwo(sh) - py))
        py = 0;
    if (!px && !py)
        mode = OV_NO_PADDING;
    int tw = sw + 2 * px, th = sh + 2 * py;
    if (!gl_caps.npot) {
        tw = NextPowerOfTwo(tw);
        th = NextPowerOfTwo(th);
    }

    GLuint texture = 0;
    ovgl.GenTextures(1, &texture);
    ovgl.BindTexture(GL_TEXTURE_2D, texture);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    b->hw.filter = 1;
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    uint8_t *buffer = nullptr;
    const uint8_t *upload = b->pixels;
    if (tw != sw || th != sh) {
        buffer = (uint8_t *)calloc((size_t)tw * th, 4);
        if (!buffer)
            OV_PrintDebugf(OV_WARNING, "BitmapTexturePacker unable to get target pixel memory.\n");
        else {
            for (int row = 0; row < sh; row++)
                memcpy(buffer + ((size_t)(py + row) * tw + px) * 4, b->pixels + (size_t)row * sw * 4, (size_t)sw * 4);
            if (mode == OV_PAD_EXPAND || mode == OV_PAD_TRANSPARENT)
                FillEdges(buffer, tw, sw, sh, px, py);
            if (mode == OV_PAD_TRANSPARENT)
                ClearBorderAlpha(buffer, tw, sw, sh, px, py);
        }
        upload = buffer;
    }
    UploadTexels(upload, tw, th);
    free(buffer);

    b->hw.tex_width = tw;
    b->hw.tex_height = th;
    b->hw.texture = texture;
    b->hw.uploaded = 1;
    b->hw.u0 = (float)px / (float)tw;
    b->hw.v0 = (float)py / (float)th;
    b->hw.u1 = (float)(px + sw) / (float)tw;
    b->hw.v1 = (float)(py + sh) / (float)th;
    br.texture_valid = false;  // the bind above changed GL's texture
    SelectTexture(texture);
    return true;
}

// Releases a texture the renderer made without a usable framebuffer.
static void DeleteTarget(GLuint texture, GLuint framebuffer)
{
    if (framebuffer)
        ovgl.DeleteFramebuffersOES(1, &framebuffer);
    if (texture)
        ovgl.DeleteTextures(1, &texture);
    br.texture_valid = false;
}

bool RendImpOpenGLES::CreateBitmap(ov_bitmap_t *b)
{
    b->flags |= OV_BITMAP_RENDER_TARGET;
    // Rounded up to powers of two only where the driver needs it (a 1024 x 600 target
    // would take 4 MB instead of 2.4).
    int tw = gl_caps.npot ? b->width : NextPowerOfTwo(b->width);
    int th = gl_caps.npot ? b->height : NextPowerOfTwo(b->height);
    FlushBatch();
    if (!ov_gles_render_targets_enabled || !OVGL_HasFramebufferObjects())
        return false;
    if (b->hw.uploaded)
        return true;

    GLuint texture = 0, framebuffer = 0;
    ovgl.GenTextures(1, &texture);
    ovgl.BindTexture(GL_TEXTURE_2D, texture);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    bool complete = false;
    for (int attempt = 0; attempt < 2; attempt++) {
        int format = gl_caps.framebuffer_format;
        ovgl.TexImage2D(GL_TEXTURE_2D, 0, format, tw, th, 0, format, GL_UNSIGNED_BYTE, nullptr);
        b->hw.filter = 1;
        ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        ovgl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        ovgl.AlphaFunc(GL_GREATER, 0);
        ovgl.Disable(GL_ALPHA_TEST);
        ovgl.GenFramebuffersOES(1, &framebuffer);
        ovgl.BindFramebufferOES(GL_FRAMEBUFFER_OES, framebuffer);
        ovgl.FramebufferTexture2DOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, texture, 0);
        complete = ovgl.CheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES;
        if (complete || attempt == 1)
            break;
        ovgl.DeleteFramebuffersOES(1, &framebuffer);
        framebuffer = 0;
        gl_caps.framebuffer_format = GL_RGBA;
    }
    tex_env = GL_MODULATE;
    OV_Printf(gl_caps.framebuffer_format == GL_RGBA ? "Rendertarget uses GL_RGBA" : "Rendertarget uses GL_RGB");
    if (!complete) {
        OV_Popupf(OV_WARNING, "glCheckFramebufferStatusOES failed (fb=%d color_tex=%d)\n", (int)framebuffer, (int)texture);
        ovgl.BindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
        DeleteTarget(texture, framebuffer);
        return false;
    }

    ovgl.Disable(GL_DEPTH_TEST);
    ovgl.Disable(GL_STENCIL_TEST);
    ovgl.Disable(GL_CULL_FACE);
    ovgl.Disable(GL_LIGHTING);
    ovgl.Disable(GL_ALPHA_TEST);
    ovgl.Enable(GL_BLEND);
    ovgl.Enable(GL_TEXTURE_2D);
    ovgl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (gl_caps.framebuffer_format == GL_RGBA) {
        ovgl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        ovgl.ClearColor(1, 1, 1, 1);
        ovgl.Clear(GL_COLOR_BUFFER_BIT);
        int previous = ov_state.blend_mode;
        SetBlend(-1);
        SetBlend(previous);
    }
    ovgl.BindFramebufferOES(GL_FRAMEBUFFER_OES, 0);

    b->hw.u0 = 0;
    b->hw.v0 = 1;
    b->hw.u1 = (float)b->width / (float)tw;
    b->hw.v1 = (float)(th - b->height) / (float)th;
    b->hw.tex_width = tw;
    b->hw.tex_height = th;
    b->hw.texture = texture;
    b->hw.uploaded = 1;
    b->hw.framebuffer = framebuffer;
    br.texture_valid = false;
    SelectTexture(texture);
    return true;
}

void RendImpOpenGLES::FreeBitmap(void *hw_data)
{
    ov_bitmap_t::hw_data_t *hw = static_cast<ov_bitmap_t::hw_data_t *>(hw_data);
    FlushBatch();
    if (!hw->uploaded)
        return;
    hw->uploaded = 0;
    if (hw->texture) {
        ovgl.DeleteTextures(1, &hw->texture);
        if (br.texture == hw->texture)
            br.texture_valid = false;
        hw->texture = 0;
    }
    if (hw->framebuffer && ovgl.DeleteFramebuffersOES) {
        ovgl.DeleteFramebuffersOES(1, &hw->framebuffer);
        hw->framebuffer = 0;
    }
}
