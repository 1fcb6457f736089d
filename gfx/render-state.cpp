// The render-state front end of the interface table (clearing, scissor, blend, filter,
// depth, generic render states), the shader calls of the extension table, and the
// start values of the engine state's graphics group.
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/rendimp.h"

#include <stdlib.h>
#include <string.h>

struct ov_shader_t {
    char *name;
    int refcount;
};

static ov_shader_t s_shaders[32];

void OVI_GfxStateSetup(void)
{
    ov_state.vertex_processor_first = 0;
    ov_state.color_r = ov_state.color_g = ov_state.color_b = ov_state.color_a = 1.0f;
    memset(ov_state.packed_color, 255, 4);
    for (int i = 0; i < 4; i++) {
        ov_vertex_t v = {};
        v.z = 0.5f;
        memset(v.color, 255, 4);
        ov_state.cur_vertices[i] = v;
        ov_state.user_vertices[i] = v;
    }
    ov_state.text_scale_x = ov_state.text_scale_y = 1.0f;
    ov_state.depth_near = 0.1f;
    ov_state.depth_plane = 0.5f;
    ov_state.depth_far = 200.0f;
    ov_state.depth_default = 0.5f;
    ov_state.default_cache_mode = 4;
    ov_state.default_pack_mode = 2;
    ov_state.autoscale_scale_x = ov_state.autoscale_scale_y = 1.0f;
    ov_state.autoscale_inv_scale_x = ov_state.autoscale_inv_scale_y = 1.0f;
}

void OV_ClearScreen(float r, float g, float b)
{
    if (OVI_RendererReady())
        ov_rendimp->ClearScreen(r, g, b);
}

// Scissor rectangle in program coordinates (autoscaled to device pixels); 0 without a ready renderer.
int OV_SetScissorRect(int x, int y, int w, int h)
{
    if (ov_state.autoscale && ov_prog) {
        float sx = ov_state.autoscale_scale_x, sy = ov_state.autoscale_scale_y;
        int nx = (int)(ov_state.autoscale_offset_x + (float)x * sx);
        int ny = (int)(ov_state.autoscale_offset_y + (float)y * sy);
        int nw = (int)(sx * (float)w);
        int nh = (int)(sy * (float)h);
        x = nx, y = ny, w = nw, h = nh;
    }
    if (!OVI_RendererReady())
        return 0;
    return ov_rendimp->SetScissorRect(x, y, w, h) ? 1 : 0;
}

void OV_DisableScissorRect(void)
{
    if (OVI_RendererReady() && ov_prog)
        ov_rendimp->SetScissorRect(0, 0, ov_prog->parms.width, ov_prog->parms.height);
}

void OV_SetBlend(int mode)
{
    if (OVI_RendererReady())
        ov_rendimp->SetBlend(mode);
}

void OV_SetPixelFilter(int filter)
{
    if (OVI_RendererReady())
        ov_rendimp->SetPixelFilter(filter);
}

void OV_ClearDepth(float z)
{
    if (OVI_RendererReady())
        ov_rendimp->ClearDepth(z);
}

// Clamps near to at least 0.1 and far to at least near, then hands them on.
void OV_SetDepthRange(float near_z, float plane_z, float far_z)
{
    if (OVI_RendererReady())
        ov_rendimp->Flush();
    if (!(near_z > 0.1f))
        near_z = 0.1f;
    if (!(far_z > near_z))
        far_z = near_z;
    ov_state.depth_near = near_z;
    ov_state.depth_plane = plane_z;
    ov_state.depth_far = far_z;
    if (OVI_RendererReady())
        ov_rendimp->SetDepthRange(near_z, plane_z, far_z);
}

// The z of 2-D quads.
void OV_SetDepthDefault(float z)
{
    ov_state.depth_default = z;
    for (ov_vertex_t &v : ov_state.cur_vertices)
        v.z = z;
}

float OV_GetDepthDefault(void)
{
    return ov_state.depth_default;
}

void OV_SetRenderStateb(ov_render_state_e s, bool v)
{
    if (!OVI_RendererReady())
        return;
    ov_rendimp->Flush();
    ov_rendimp->SetRenderStateb(s, v);
}

void OV_SetRenderStatef(ov_render_state_e s, float v)
{
    if (!OVI_RendererReady())
        return;
    ov_rendimp->Flush();
    ov_rendimp->SetRenderStatef(s, v);
}

void OV_SetRenderStatei(ov_render_state_e s, int v)
{
    if (!OVI_RendererReady())
        return;
    ov_rendimp->Flush();
    ov_rendimp->SetRenderStatei(s, v);
}

// A named shader record (pool of 32), loaded through the renderer; null when the pool is full.
ov_shader_t *OV_GetShader(const char *name)
{
    if (!name)
        return nullptr;
    OVI_LockCoreMutex(OV_MUTEX_GET_SHADER);
    ov_shader_t *free_slot = nullptr;
    for (ov_shader_t &s : s_shaders) {
        if (s.name && strcmp(s.name, name) == 0) {
            s.refcount++;
            OVI_UnlockCoreMutex(OV_MUTEX_GET_SHADER);
            return &s;
        }
        if (!s.name && !free_slot)
            free_slot = &s;
    }
    if (free_slot) {
        free_slot->name = strdup(name);
        free_slot->refcount = 1;
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SHADER);
    if (free_slot && ov_rendimp)
        ov_rendimp->LoadShader(free_slot);
    return free_slot;
}

void OV_SetShader(ov_shader_t *s)
{
    ov_state.cur_shader = s;
    if (OVI_RendererReady())
        ov_rendimp->SetShader(s);
}

void OV_SetShaderParm(ov_shader_t *s, int index, float *values)
{
    if (OVI_RendererReady())
        ov_rendimp->SetShaderParm(s, index, values);
}

void OV_SetShaderBitmap(int unit, ov_bitmap_t *b)
{
    if (OVI_RendererReady())
        ov_rendimp->SetBitmap(unit, b);
}

// Frees the shader records at exit.
void OVI_ReleaseShadersAtExit(void)
{
    for (ov_shader_t &s : s_shaders) {
        if (s.name && ov_rendimp)
            ov_rendimp->FreeShader(&s);
        free(s.name);
        s.name = nullptr;
        s.refcount = 0;
    }
}
