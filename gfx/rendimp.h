// The renderer interface: every drawing call of the engine reaches the GPU through
// one `RendImp`. The operations are in a fixed order; `RendImpNull` draws nothing and
// reports success. Only the main thread calls the renderer.
#ifndef OV_RENDIMP_H
#define OV_RENDIMP_H

#include "orvex.h"
#include "gfx/bitmap.h"

struct ov_state_t;
struct ov_shader_t;
typedef int ov_eye_mode_t;  // 0 whole screen, 1 left half, 2 right half

class RendImp {
public:
    virtual bool IsSupported() = 0;
    virtual bool IsThreadSafe() { return false; }
    virtual const char *GetName() = 0;
    virtual bool IsResolutionSupported(int w, int h) = 0;
    virtual int GetTextureFormat() = 0;
    virtual bool Initialize(orvex_t *ov, ov_state_t *state, ov_parms_t *parms) = 0;
    virtual bool AttemptReinitialize(int w, int h, bool windowed) { return false; }
    virtual void Shutdown() = 0;
    virtual void ActivateWindow(bool active) = 0;
    virtual bool SetRenderTarget(ov_bitmap_t *b) = 0;
    virtual bool CopyRenderTargetToBitmapPixels(ov_bitmap_t *b) = 0;
    virtual bool CreateBitmap(ov_bitmap_t *b) = 0;
    virtual bool LoadBitmap(ov_bitmap_t *b) = 0;
    virtual void FreeBitmap(void *hw_data) = 0;  // hw_data: the bitmap's ov_bitmap_t::hw_data_t
    virtual bool LoadShader(ov_shader_t *s) { return true; }
    virtual void FreeShader(ov_shader_t *s) {}
    virtual void SetShader(ov_shader_t *s) {}
    virtual void SetShaderParm(ov_shader_t *s, int index, float *values) {}
    virtual void SetBitmap(int unit, ov_bitmap_t *b) {}
    virtual void DrawShadedQuad(ov_bitmap_t *b, ov_vertex_t *v) {}
    // Draws an opaque quad (blend mode 2 set) from a copy of it kept at the screen's
    // size, pixel for pixel what drawing it would give; false when it did not (the caller
    // then draws the quad itself).
    virtual bool DrawScaledCopy(ov_bitmap_t *b, ov_vertex_t *four) { return false; }
    virtual void FrameStart(ov_eye_mode_t eye) = 0;
    virtual void FrameReady() = 0;
    virtual void Flush() = 0;
    virtual void ClearScreen(float r, float g, float b) = 0;
    virtual void ClearDepth(float z) {}
    virtual void SetTransform(nTransform *t) = 0;
    virtual bool SetScissorRect(int x, int y, int w, int h) = 0;
    virtual void SetBlend(int mode) = 0;
    virtual void SetPixelFilter(int filter) = 0;
    virtual void DrawQuad(ov_bitmap_t *b, ov_vertex_t *four) = 0;
    virtual void DrawNonTexturedQuad(ov_vertex_t *four) = 0;
    virtual bool DrawLine(float x0, float y0, float x1, float y1) = 0;
    virtual bool FillOrvexInterface(orvex_t *table) = 0;
    virtual const char *CallExtension(const char *command, const char *argument) = 0;
    virtual void Activate() {}
    virtual void Deactivate() {}
    virtual void SetDepthRange(float near_z, float plane, float far_z) {}
    virtual void DrawTriangles(ov_bitmap_t *b, ov_vertex3d_t *v, int nverts, unsigned short *indices, int nindices) {}
    virtual void SetRenderStateb(ov_render_state_e s, bool v) {}
    virtual void SetRenderStatef(ov_render_state_e s, float v) {}
    virtual void SetRenderStatei(ov_render_state_e s, int v) {}
};

// The current renderer implementation; null when none is loaded.
extern RendImp *ov_rendimp;

// The renderer that draws nothing: every operation succeeds.
RendImp *GetRendImpNull();
// The OpenGL ES 1.x renderer (one object, created on the first call).
RendImp *ORVEX_RendImpOpenGLES_GetInterface();
RendImp *ORVEX_RendImp_GetInterface();

// The renderer this build loads. Tests may put another in its place (null restores).
void OVID_SetRendImpOverride(RendImp *r);
RendImp *OVID_LoadRendImp();

void OVI_LoadRendImp();
bool OVI_InitRendImp();
void OVI_ShutdownRendImp();
void OVI_FinalShutdownRendImp();
void OVI_ReInitRenderer();
// True between a successful Initialize and the renderer's shutdown (GL calls are valid).
bool OVI_RendererLive();
// True while the renderer-ready flag is set: the drawing and render-state front end
// calls the renderer only then (earlier calls do nothing).
bool OVI_RendererReady();
// Frees the shader records at exit.
void OVI_ReleaseShadersAtExit(void);

#endif
