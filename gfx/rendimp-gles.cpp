// The OpenGL ES renderer's state: initialisation and default GL state, projection,
// frame start and end, clearing, scissoring, blend modes, pixel filter, transforms,
// render states and render targets.
#include "core/ov_state.h"
#include "gfx/redraw.h"
#include "gfx/rendimp-gles.h"
#include "gfx/screen-transform.h"
#include "gfx/window.h"
#include "platform/picture_fit.h"

#include <math.h>
#include <string.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

static RendImpOpenGLES *g_ri = nullptr;
static ov_bitmap_t *bm_gl_rt = nullptr;
static ov_eye_mode_t cur_eye_mode = 0;
static bool ov_open_gl_es_ran_out_of_texture_memory = false;
static bool s_out_of_memory_shown = false;
static const GLuint ov_iphone_gl_framebuffer = 0;
static bool s_force_no_npot = false;
// Set by Initialize: render-target textures can be made.
bool ov_gles_render_targets_enabled = false;

RendImp *ORVEX_RendImpOpenGLES_GetInterface()
{
    if (!g_ri)
        g_ri = new RendImpOpenGLES();
    return g_ri;
}

RendImp *ORVEX_RendImp_GetInterface()
{
    return ORVEX_RendImpOpenGLES_GetInterface();
}

void OVID_OGLES_ForceNoNPOT(bool force)
{
    s_force_no_npot = force;
    if (force)
        gl_caps.npot = 0;
}

bool RendImpOpenGLES::IsResolutionSupported(int w, int h)
{
    int dw = ov_device_info.width, dh = ov_device_info.height;
    return (w == dw && h == dh) || (w == dh && h == dw);
}

static void PointArraysAtBatch()
{
    ovgl.VertexPointer(3, GL_FLOAT, sizeof(ov_vertex_t), &br.vertices[0].x);
    ovgl.ColorPointer(4, GL_UNSIGNED_BYTE, sizeof(ov_vertex_t), &br.vertices[0].color[0]);
    ovgl.TexCoordPointer(2, GL_FLOAT, sizeof(ov_vertex_t), &br.vertices[0].u);
    br.arrays_pointed = true;
}

void RendImpOpenGLES::PlacePicture()
{
    int dw = ov_device_info.width, dh = ov_device_info.height;
    int sw = dw, sh = dh;
    OV_QNX_GetSurfaceSize(&sw, &sh);
    ovdev::PictureRect r = ovdev::FitPicture(dw, dh, sw, sh);
    if (r.width <= 0 || r.height <= 0) {
        r.x = r.y = 0;
        r.width = sw = dw;
        r.height = sh = dh;
    }
    picture_x = r.x;
    picture_y = sh - r.y - r.height;
    picture_w = r.width;
    picture_h = r.height;
    surface_w = sw;
    surface_h = sh;
    letterboxed = r.width != sw || r.height != sh;
}

void RendImpOpenGLES::SetScreenViewport(ov_eye_mode_t eye)
{
    if (eye == 1)
        ovgl.Viewport(picture_x, picture_y, picture_w / 2, picture_h);
    else if (eye == 2)
        ovgl.Viewport(picture_x + picture_w / 2, picture_y, picture_w / 2, picture_h);
    else
        ovgl.Viewport(picture_x, picture_y, picture_w, picture_h);
}

// Device pixel v of a span of size pixels, on the picture's span pixels.
static int DeviceToPicture(int v, int span, int size)
{
    return size > 0 ? (int)floorf((float)v * (float)span / (float)size) : v;
}

void RendImpOpenGLES::ScissorOnSurface(int x, int y, int w, int h)
{
    int W = ov_device_info.width, H = ov_device_info.height;
    int x0 = picture_x + DeviceToPicture(x, picture_w, W), x1 = picture_x + DeviceToPicture(x + w, picture_w, W);
    int y0 = picture_y + DeviceToPicture(y, picture_h, H), y1 = picture_y + DeviceToPicture(y + h, picture_h, H);
    ovgl.Scissor(x0, y0, x1 - x0, y1 - y0);
}

void RendImpOpenGLES::ResetContextState()
{
    OV_RedrawForget();
    int w = ov_device_info.width, h = ov_device_info.height;
    PlacePicture();
    SetScreenViewport(0);
    SetProjection((float)w, (float)h);
    ovgl.LoadIdentity();
    ovgl.Disable(GL_SCISSOR_TEST);
    scissor_on = false;

    ovgl.Disable(GL_FOG);
    ovgl.Disable(GL_DEPTH_TEST);
    ovgl.Disable(GL_STENCIL_TEST);
    ovgl.Disable(GL_CULL_FACE);
    ovgl.Disable(GL_LIGHTING);
    ovgl.Disable(GL_ALPHA_TEST);
    ovgl.Enable(GL_BLEND);
    ovgl.Enable(GL_TEXTURE_2D);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_FALSE);

    ovgl.EnableClientState(GL_VERTEX_ARRAY);
    GLenum error = ovgl.GetError();
    if (error != GL_NO_ERROR)
        OV_Printf("*****************OVID_OGLES_Initialize GL_VERTEX_ARRAY ERROR %i \n", (int)error);
    ovgl.EnableClientState(GL_COLOR_ARRAY);
    error = ovgl.GetError();
    if (error != GL_NO_ERROR)
        OV_Printf("*****************OVID_OGLES_Initialize GL_COLOR_ARRAY ERROR %i \n", (int)error);

    // A fresh context: the batch's cached selection no longer holds.
    br.count = 0;
    br.pending_quads = 0;
    br.pending_switches = 0;
    br.pending_switch_area = 0;
    br.queued_fill_switches = 0;
    br.texture_valid = false;
    br.arrays_pointed = false;
    tex_env = 0;
    bm_gl_rt = nullptr;
    SetTexture(nullptr);
    PointArraysAtBatch();
    SetDefaultState();
}

bool RendImpOpenGLES::Initialize(orvex_t *ov, ov_state_t *state, ov_parms_t *parms)
{
    state->atlas_packing = 1;
    ov_gles_render_targets_enabled = true;

    if (!OVID_OGLES_Initialize()) {
        OV_Printf("OVID_OGLES_Initialize failed\n");
        return false;
    }
    LoadExtensions();
    software = OV_IsSoftwareRasteriser((const char *)ovgl.GetString(GL_RENDERER));
    br.flush_every = software ? OV_SOFTWARE_FLUSH_QUADS : 0;
    br.flush_switches = software ? OV_SOFTWARE_FLUSH_SWITCHES : 0;
    br.finish_fill_switches = software ? OV_SOFTWARE_FINISH_FILL_SWITCHES : 0;
    ResetContextState();
    OV_PrintDebugf(OV_SYSTEM, "OpenGL ES Init ok.\n");
    gl_caps.npot = OV_OpenGL_NPOT_Test() && !s_force_no_npot;
    return true;
}

// A display change keeps the context (and with it every texture): only the surface is
// made again. Without a context to keep, false makes the engine rebuild everything.
bool RendImpOpenGLES::AttemptReinitialize(int, int, bool windowed)
{
    if (!OV_QNX_SetWindowFullScreen(!windowed))
        return false;
    ForgetScaledCopy(0);
    if (!OVID_OGLES_RecreateSurface())
        return false;
    ResetContextState();
    return true;
}

void RendImpOpenGLES::Shutdown()
{
    br.count = 0;  // pending quads are dropped, not drawn
    OV_RedrawForget();
    ov_redraw_stats_t redraw = OV_RedrawStats();
    if (redraw.frames_recorded > 0)
        OV_Printf("Frames drawn only where they changed: %d of %d recorded (%d with nothing to draw, "
                  "%ld pixels drawn a frame on average).\n",
                  redraw.frames_partial, redraw.frames_recorded, redraw.frames_unchanged,
                  redraw.frames_partial > 0 ? redraw.total_area / redraw.frames_partial : 0L);
    ForgetScaledCopy(0);
    OVID_OGLES_Shutdown();
}

void OV_KeepFreedHeapForSoftwareRasteriser()
{
#ifdef __GLIBC__
    // After each wait for the software rasteriser's queue the drained work (tens of
    // megabytes) is freed at once and allocated again at once: with the default
    // threshold the C library hands the top of the heap back to the system each time and
    // every page of it is faulted in again. Set at the first wait only: without waits
    // the queue drains a little at a time and keeping its memory would raise the peak.
    mallopt(M_TRIM_THRESHOLD, OV_SOFTWARE_KEEP_FREED_BYTES);
#endif
}

bool OV_IsSoftwareRasteriser(const char *renderer)
{
    return renderer && strstr(renderer, "llvmpipe") != nullptr;
}

void RendImpOpenGLES::SetTexEnv(int mode)
{
    if (tex_env == mode)
        return;
    ovgl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    tex_env = mode;
}

void RendImpOpenGLES::SetDefaultState()
{
    ovgl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    ovgl.AlphaFunc(GL_GREATER, 0);
    ovgl.Disable(GL_STENCIL_TEST);
    ovgl.Disable(GL_CULL_FACE);
    ovgl.Disable(GL_LIGHTING);
    ovgl.FrontFace(GL_CW);
    if (depth_test)
        ovgl.Enable(GL_DEPTH_TEST);
    else
        ovgl.Disable(GL_DEPTH_TEST);
    ovgl.DepthFunc(GL_LEQUAL);
    ovgl.Disable(GL_ALPHA_TEST);
    ovgl.Enable(GL_BLEND);
    ovgl.Enable(GL_TEXTURE_2D);
    ovgl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    ov_state.blend_mode = 1;
    SetBlend(0);
    ov_state.pixel_filter = 0;
    SetPixelFilter(1);
    ovgl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    tex_env = GL_MODULATE;
    ovgl.EnableClientState(GL_VERTEX_ARRAY);
    ovgl.EnableClientState(GL_COLOR_ARRAY);
}

// A perspective projection whose screen plane maps 0..w, 0..h exactly onto the viewport.
void RendImpOpenGLES::SetProjection(float w, float h)
{
    float n = near_plane, d = screen_plane, f = far_plane;
    float k = h / 600.0f * 8.0f;
    float a = d * (k + 1.0f);
    float m[16] = {};
    m[0] = a * 2.0f / w;
    m[5] = a * -2.0f / h;
    m[10] = f / (f - n);
    m[11] = 1.0f;
    m[12] = -a;
    m[13] = a;
    m[14] = -(n * f) / (f - n) + 0.99f * d * k;
    m[15] = d * k;
    ovgl.MatrixMode(GL_PROJECTION);
    ovgl.LoadMatrixf(m);
    ovgl.MatrixMode(GL_MODELVIEW);
}

void RendImpOpenGLES::UpdateProjection()
{
    if (bm_gl_rt)
        SetProjection((float)bm_gl_rt->hw.tex_width, (float)bm_gl_rt->hw.tex_height);
    else
        SetProjection((float)ov_device_info.width, (float)ov_device_info.height);
}

void RendImpOpenGLES::SetDepthRange(float near_z, float plane, float far_z)
{
    near_plane = near_z;
    screen_plane = plane;
    far_plane = far_z;
    UpdateProjection();
}

void RendImpOpenGLES::FrameStart(ov_eye_mode_t eye)
{
    cur_eye_mode = eye;
    if (eye != 2)
        AgeScaledCopy();
    int w = ov_device_info.width, h = ov_device_info.height;
    if (eye != 2)
        PlacePicture();
    // A frame of the whole screen is recorded and drawn where it changed at its end. Only
    // for a software rasteriser, whose every pixel costs the processor: a GPU draws the
    // whole frame for less than the recording and the passes would cost.
    if (eye == 0)
        OV_RedrawBeginFrame(surface_w, surface_h, software && OVID_OGLES_BackBufferKept());
    else
        OV_RedrawForget();
    if (eye != 2) {
        // The bars around a scaled picture are black; the program clears only its picture.
        if (letterboxed) {
            ovgl.Disable(GL_SCISSOR_TEST);
            ovgl.ClearColor(0, 0, 0, 1);
            ovgl.Clear(GL_COLOR_BUFFER_BIT);
            if (scissor_on)
                ovgl.Enable(GL_SCISSOR_TEST);
        }
    }
    SetScreenViewport(eye);
    SetProjection((float)w, (float)h);
    ovgl.LoadIdentity();
    PointArraysAtBatch();
    br.pending_quads = 0;
    br.pending_switches = 0;
    br.pending_switch_area = 0;
    br.queued_fill_switches = 0;
}

void RendImpOpenGLES::FrameReady()
{
    if (!OVID_OGLES_HasDisplay()) {
        OV_RedrawForget();
        return;
    }
    Flush();
    OV_RedrawEndFrame();
    OVID_OGLES_SwapBuffers();
    if (ov_open_gl_es_ran_out_of_texture_memory && !s_out_of_memory_shown) {
        s_out_of_memory_shown = true;
        OV_Popupf(OV_WARNING, "Running out of graphics memory. The game will run, but you may encounter visual errors. To "
                              "fix the issue, please reboot the device.");
    }
}

void RendImpOpenGLES::ClearScreen(float r, float g, float b)
{
    Flush();
    ovgl.ClearColor(r, g, b, 1.0f);
    if (letterboxed && !bm_gl_rt && !scissor_on) {
        ovgl.Enable(GL_SCISSOR_TEST);
        ovgl.Scissor(picture_x, picture_y, picture_w, picture_h);
        ovgl.Clear(GL_COLOR_BUFFER_BIT);
        ovgl.Disable(GL_SCISSOR_TEST);
        return;
    }
    ovgl.Clear(GL_COLOR_BUFFER_BIT);
}

void RendImpOpenGLES::ClearDepth(float z)
{
    Flush();
    ovgl.ClearDepthf(z);
    ovgl.Clear(GL_DEPTH_BUFFER_BIT);
}

bool RendImpOpenGLES::SetScissorRect(int x, int y, int w, int h)
{
    Flush();
    if (x <= 0 && y <= 0 && ov_prog && w >= ov_prog->parms.width && h >= ov_prog->parms.height) {
        ovgl.Disable(GL_SCISSOR_TEST);
        scissor_on = false;
        return true;
    }
    OV_TranslateRectByOrientation(&x, &y, &w, &h);
    int W = ov_device_info.width, H = ov_device_info.height;
    if (cur_eye_mode == 1) {
        x /= 2;
        w /= 2;
    } else if (cur_eye_mode == 2) {
        w /= 2;
        x = W / 2 + x / 2;
    }
    ovgl.Enable(GL_SCISSOR_TEST);
    scissor_on = true;
    if (bm_gl_rt)
        ovgl.Scissor(x, H - y - h, w, h);
    else
        ScissorOnSurface(x, H - y - h, w, h);
    return true;
}

void RendImpOpenGLES::SetBlend(int mode)
{
    int old = ov_state.blend_mode;
    if (mode == old)
        return;
    Flush();
    if (old == 2 && mode != 2)
        ovgl.Enable(GL_BLEND);
    bool rgba = gl_caps.framebuffer_format == GL_RGBA;
    GLboolean alpha_on = bm_gl_rt ? GL_TRUE : GL_FALSE;
    int env = GL_MODULATE;
    switch (mode) {
    case 1:
        ovgl.BlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
    case 2:
        ovgl.Disable(GL_BLEND);
        env = GL_REPLACE;
        break;
    case 3:
        ovgl.BlendFunc(GL_DST_COLOR, GL_ONE_MINUS_SRC_ALPHA);
        break;
    case 4:
        ovgl.BlendFunc(GL_DST_COLOR, GL_SRC_ALPHA);
        break;
    default:
        ovgl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        alpha_on = GL_FALSE;
        break;
    }
    if (rgba)
        ovgl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, alpha_on);
    ov_state.blend_mode = mode;
    SetTexEnv(env);
}

void RendImpOpenGLES::SetPixelFilter(int filter)
{
    ov_state.pixel_filter = filter;
}

void RendImpOpenGLES::SetTransform(nTransform *t)
{
    Flush();
    float m[16];
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            m[4 * c + r] = t->m[4 * r + c];
    ovgl.LoadMatrixf(m);
}

void RendImpOpenGLES::SetRenderStateb(ov_render_state_e s, bool v)
{
    if (s == OV_RS_DEPTH_TEST) {
        depth_test = v;
        if (v)
            ovgl.Enable(GL_DEPTH_TEST);
        else
            ovgl.Disable(GL_DEPTH_TEST);
    } else if (s == OV_RS_DEPTH_WRITE) {
        depth_write = v;
        ovgl.DepthMask(v ? GL_TRUE : GL_FALSE);
    } else {
        OV_Popupf(OV_WARNING, "SetRenderStateb (%d, %s) state not supported with this method.", (int)s, v ? "true" : "false");
    }
}

void RendImpOpenGLES::SetRenderStatef(ov_render_state_e s, float v)
{
    OV_Popupf(OV_WARNING, "SetRenderStatef (%d, %g) state not supported with this method.", (int)s, (double)v);
}

void RendImpOpenGLES::SetRenderStatei(ov_render_state_e s, int v)
{
    if (s == OV_RS_CULL_MODE && v >= 0 && v <= 2) {
        if (v == 0) {
            ovgl.Disable(GL_CULL_FACE);
        } else {
            ovgl.Enable(GL_CULL_FACE);
            ovgl.CullFace(v == 1 ? GL_FRONT : GL_BACK);
        }
        return;
    }
    OV_Popupf(OV_WARNING, "SetRenderStatei (%d, %d) state not supported with this method.", (int)s, v);
}

bool RendImpOpenGLES::SetRenderTarget(ov_bitmap_t *b)
{
    if (b && (!(b->flags & OV_BITMAP_RENDER_TARGET) || !b->hw.texture || !b->hw.framebuffer))
        return false;
    if (!OVGL_HasFramebufferObjects())
        return b == nullptr;
    Flush();
    if (!b) {
        ovgl.BindFramebufferOES(GL_FRAMEBUFFER_OES, ov_iphone_gl_framebuffer);
        SetScreenViewport(0);
        bm_gl_rt = nullptr;
        SetProjection((float)ov_device_info.width, (float)ov_device_info.height);
    } else {
        ovgl.BindFramebufferOES(GL_FRAMEBUFFER_OES, b->hw.framebuffer);
        ovgl.Viewport(0, 0, b->hw.tex_width, b->hw.tex_height);
        bm_gl_rt = b;
        SetProjection((float)b->hw.tex_width, (float)b->hw.tex_height);
    }
    if (gl_caps.framebuffer_format == GL_RGBA) {
        int previous = ov_state.blend_mode;
        SetBlend(-1);
        SetBlend(previous);
    }
    return true;
}

bool RendImpOpenGLES::FillOrvexInterface(orvex_t *table)
{
    table->OV_SetColor = OV_SetColor_BGR;
    table->OV_BeginBatch = OVID_BeginBatch;
    table->OV_BatchDrawQuad = OVID_BatchDrawQuad;
    table->OV_EndBatch = OVID_EndBatch;
    return true;
}

void OV_SetColor_BGR(float r, float g, float b)
{
    ov_state.packed_color[0] = (uint8_t)(int)(r * 255.0f);
    ov_state.packed_color[1] = (uint8_t)(int)(g * 255.0f);
    ov_state.packed_color[2] = (uint8_t)(int)(b * 255.0f);
    for (ov_vertex_t &v : ov_state.cur_vertices)
        memcpy(v.color, ov_state.packed_color, 4);
}

void OV_glOrtho(float l, float r, float b, float t, float n, float f)
{
    float m[16] = {};
    m[0] = 2.0f / (r - l);
    m[5] = 2.0f / (t - b);
    m[10] = 2.0f / (f - n);
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
    m[15] = 1.0f;
    ovgl.MultMatrixf(m);
}

void ProcessGLError(int code)
{
    if (code == GL_OUT_OF_MEMORY)
        ov_open_gl_es_ran_out_of_texture_memory = true;
}

int OV_Optimized_glGetError()
{
    return 0;
}

// The render target the renderer draws into (null: the window).
ov_bitmap_t *OVID_OGLES_CurrentTarget()
{
    return bm_gl_rt;
}
