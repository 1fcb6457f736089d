// The OpenGL ES 1.x renderer: its class, the 64-quad batch, the capability record and
// the EGL set-up it draws through. Main thread only.
#ifndef OV_RENDIMP_GLES_H
#define OV_RENDIMP_GLES_H

#include "gfx/gl-table.h"
#include "gfx/rendimp.h"

enum { OV_BATCH_QUADS = 64 };

// What the driver offers, as far as the renderer cares.
struct ov_gl_caps_t {
    uint8_t npot;               // textures of any size
    uint8_t separate_blendfunc; // never used: stays false
    int framebuffer_format;     // GL_RGB, or GL_RGBA once a target could not complete in GL_RGB
};
extern ov_gl_caps_t gl_caps;

// Up to 64 quads collected and drawn with one glDrawElements.
struct BatchRenderer {
    BatchRenderer();
    unsigned short indices[OV_BATCH_QUADS * 6];
    ov_vertex_t vertices[OV_BATCH_QUADS * 4];
    int count;
    GLuint texture;             // selected texture; 0 = texturing off
    bool texture_valid;         // false until the first selection (forces a bind)
    bool arrays_pointed;        // GL arrays point into this batch
    int pending_quads;          // quads drawn since the last glFlush (or frame start)
    int pending_switches;       // texture selections since the last glFlush (or frame start)
    int flush_every;            // glFlush after this many quads within a frame; 0 = never
    int flush_switches;         // glFlush after this many texture switches within a frame; 0 = never
    float pending_switch_area;  // area (square units) of the batches ended by those switches
    int queued_fill_switches;   // switches between large quads handed over since the last glFinish
    int finish_fill_switches;   // glFinish once that many are queued; 0 = never
    bool heap_kept;             // the first wait has asked the C library to keep freed heap
};

// Quads queued within a frame between two glFlush calls on a software rasteriser, and
// texture switches (each one queues a copy of the rasteriser's state, about 40 KB).
// When the switches end batches that cover much area (on average at least
// OV_SOFTWARE_FILL_AREA square units each), the rasteriser falls behind the submission
// and every queued copy stays alive until it is drawn: after
// OV_SOFTWARE_FINISH_FILL_SWITCHES of them the renderer waits for the queue to drain.
enum {
    OV_SOFTWARE_FLUSH_QUADS = 8192,
    OV_SOFTWARE_FLUSH_SWITCHES = 128,
    OV_SOFTWARE_FILL_AREA = 256,
    OV_SOFTWARE_FINISH_FILL_SWITCHES = 2048
};
// Freed heap at the top kept by the process (not handed back to the system) once the
// renderer has waited for a software rasteriser: more than one drained queue.
enum { OV_SOFTWARE_KEEP_FREED_BYTES = 128 << 20 };
void OV_KeepFreedHeapForSoftwareRasteriser();
// True when the GL_RENDERER string names a software rasteriser that profits from
// mid-frame flushes (Mesa's llvmpipe); never for GPUs, where a flush splits the frame.
bool OV_IsSoftwareRasteriser(const char *renderer);
extern BatchRenderer br;

class RendImpOpenGLES : public RendImp {
public:
    bool IsSupported() override { return true; }
    const char *GetName() override { return "OpenGL ES 1"; }
    bool IsResolutionSupported(int w, int h) override;
    int GetTextureFormat() override { return 0; }
    bool Initialize(orvex_t *ov, ov_state_t *state, ov_parms_t *parms) override;
    bool AttemptReinitialize(int w, int h, bool windowed) override;
    void Shutdown() override;
    void ActivateWindow(bool) override {}
    bool SetRenderTarget(ov_bitmap_t *b) override;
    bool CopyRenderTargetToBitmapPixels(ov_bitmap_t *) override { return true; }
    bool CreateBitmap(ov_bitmap_t *b) override;
    bool LoadBitmap(ov_bitmap_t *b) override;
    void FreeBitmap(void *hw_data) override;
    void FrameStart(ov_eye_mode_t eye) override;
    void FrameReady() override;
    void Flush() override;
    void ClearScreen(float r, float g, float b) override;
    void ClearDepth(float z) override;
    void SetTransform(nTransform *t) override;
    bool SetScissorRect(int x, int y, int w, int h) override;
    void SetBlend(int mode) override;
    void SetPixelFilter(int filter) override;
    void DrawQuad(ov_bitmap_t *b, ov_vertex_t *four) override;
    void DrawNonTexturedQuad(ov_vertex_t *four) override;
    bool DrawLine(float x0, float y0, float x1, float y1) override;
    bool FillOrvexInterface(orvex_t *table) override;
    const char *CallExtension(const char *, const char *) override { return nullptr; }
    void SetDepthRange(float near_z, float plane, float far_z) override;
    void DrawTriangles(ov_bitmap_t *b, ov_vertex3d_t *v, int nverts, unsigned short *indices, int nindices) override;
    void SetRenderStateb(ov_render_state_e s, bool v) override;
    void SetRenderStatef(ov_render_state_e s, float v) override;
    void SetRenderStatei(ov_render_state_e s, int v) override;
    bool DrawScaledCopy(ov_bitmap_t *b, ov_vertex_t *four) override;

    // Not virtual.
    void SetDefaultState();
    // GL state of a context just made current: viewport, projection, arrays, batch caches.
    void ResetContextState();
    void SetProjection(float w, float h);
    void UpdateProjection();
    void SetTexture(ov_bitmap_t *b);
    void LoadExtensions();
    // Sets the texture environment only when it differs from the one GL has.
    void SetTexEnv(int mode);
    // Reads the window's size as shown and places the device screen's picture on it:
    // scaled with its aspect kept and centred when the two differ (a full-screen window
    // on a desktop), the whole surface otherwise.
    void PlacePicture();
    // The viewport of the device screen for an eye pass, inside the picture.
    void SetScreenViewport(ov_eye_mode_t eye);
    // Forgets the scaled copy made from the texture `source` (a texture deleted or
    // uploaded again); 0 deletes the copy's own texture as well (context going away).
    void ForgetScaledCopy(GLuint source);
    // Called as each frame begins: frees the scaled copy once it has gone undrawn for a
    // few frames.
    void AgeScaledCopy();
    // The scaled copy's texture and framebuffer for a screen of w x h.
    bool MakeScaledCopyTarget(int w, int h);
    // A scissor rectangle in device pixels (GL origin, bottom left) onto the surface.
    void ScissorOnSurface(int x, int y, int w, int h);

    int tex_env = 0;
    // The picture on the surface, in GL pixels (origin bottom left), and whether bars
    // lie around it.
    int picture_x = 0, picture_y = 0, picture_w = 0, picture_h = 0;
    int surface_w = 0, surface_h = 0;  // the surface the picture is placed on
    bool software = false;             // the driver is a software rasteriser
    bool letterboxed = false;
    bool scissor_on = false;
    float near_plane = 0.1f, screen_plane = 0.5f, far_plane = 200.0f;
    bool depth_test = false, depth_write = false;
};

// The batch calls installed in the interface table.
void OVID_BeginBatch(ov_bitmap_t *b);
void OVID_BatchDrawQuad(ov_bitmap_t *b, ov_vertex_t *four);
void OVID_EndBatch(void);
// SetColor of the interface table with this renderer: packs R, G, B in memory order.
void OV_SetColor_BGR(float r, float g, float b);
// Multiplies the current GL matrix by an orthographic projection.
void OV_glOrtho(float l, float r, float b, float t, float n, float f);
void ProcessGLError(int code);
int OV_Optimized_glGetError();

// Window, EGL display, surface and context.
bool OVID_OGLES_Initialize();
bool OVID_OGLES_TryActivateContext();
// A new surface for the window on the kept context; false when there is none to keep.
bool OVID_OGLES_RecreateSurface();
void OVID_OGLES_Shutdown();
bool OV_OpenGL_NPOT_Test();
// True while an EGL display exists.
bool OVID_OGLES_HasDisplay();
// Swaps the surface's buffers.
void OVID_OGLES_SwapBuffers();
// True when the back buffer keeps the frame drawn into it over a swap (so that the next
// frame can draw only what changed).
bool OVID_OGLES_BackBufferKept();
// Sets the swap interval (0: present at once; 1: wait for one vertical blank) now and
// for contexts made later; false when the context in use cannot change it.
bool OVID_OGLES_SetSwapInterval(int interval);
// The kind of context in use: "glx" (desktop), "egl" or "none".
const char *OVID_OGLES_ContextKind();

// Test hook: with true, textures are padded to powers of two whatever the driver offers.
void OVID_OGLES_ForceNoNPOT(bool force);

#endif
