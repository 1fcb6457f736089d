// The null renderer: draws nothing and reports success for every call. Tests derive
// from it to record single calls without writing a whole renderer.
#ifndef OV_RENDIMP_NULL_H
#define OV_RENDIMP_NULL_H

#include "gfx/rendimp.h"

class RendImpNull : public RendImp {
public:
    bool IsSupported() override { return true; }
    const char *GetName() override { return "Null"; }
    bool IsResolutionSupported(int, int) override { return true; }
    int GetTextureFormat() override { return 0; }
    bool Initialize(orvex_t *, ov_state_t *, ov_parms_t *) override { return true; }
    void Shutdown() override {}
    void ActivateWindow(bool) override {}
    bool SetRenderTarget(ov_bitmap_t *) override { return true; }
    bool CopyRenderTargetToBitmapPixels(ov_bitmap_t *) override { return true; }
    bool CreateBitmap(ov_bitmap_t *) override { return true; }
    bool LoadBitmap(ov_bitmap_t *) override { return true; }
    void FreeBitmap(void *) override {}
    void FrameStart(ov_eye_mode_t) override {}
    void FrameReady() override {}
    void Flush() override {}
    void ClearScreen(float, float, float) override {}
    void SetTransform(nTransform *) override {}
    bool SetScissorRect(int, int, int, int) override { return true; }
    void SetBlend(int) override {}
    void SetPixelFilter(int) override {}
    void DrawQuad(ov_bitmap_t *, ov_vertex_t *) override {}
    void DrawNonTexturedQuad(ov_vertex_t *) override {}
    bool DrawLine(float, float, float, float) override { return true; }
    bool FillOrvexInterface(orvex_t *) override { return true; }
    const char *CallExtension(const char *, const char *) override { return nullptr; }
};

#endif
