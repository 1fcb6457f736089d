// The render-state front end of the interface table (clearing, scissor, blend, filter,
// depth, generic render states), the shader calls of the extension table, and the
// start values of the engine state's graphics group.
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/rendimp.h"
#include "gfx/shader.h"

#include <stdlib.h>
#include <string.h>

static ov_shader_t s_shaders[OV_MAX_SHADERS];
static int s_shader_count = 0;  // records in use, filled in order

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
    ov_text = ov_text_state_t();
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

void OVI_InitShader(ov_shader_t *s, const char *name)
{
    memset(s, 0, sizeof *s);
    s->name = strdup(name ? name : "");
    s->refcount = 1;
    s->kind = strcmp(s->name, "!DOT3_DIRECTIONAL") == 0 ? OV_SHADER_DOT3_DIRECTIONAL : OV_SHADER_PLAIN;
}

int OVI_GetShaderCount(void)
{
    return s_shader_count;
}

// The shader record of a name (null: "!NONE"), created and loaded through the renderer
// on first use; null with a popup when all 32 records are taken. Records stay for the run.
ov_shader_t *OV_GetShader(const char *name)
{
    if (!name)
        name = "!NONE";
    OVI_LockCoreMutex(OV_MUTEX_GET_SHADER);
    for (int i = 0; i < s_shader_count; i++) {
        if (strcmp(s_shaders[i].name, name) == 0) {
            OVI_UnlockCoreMutex(OV_MUTEX_GET_SHADER);
            return &s_shaders[i];
        }
    }
    OV_Printf("..caching shader '%s'\n", name);
    if (s_shader_count >= OV_MAX_SHADERS) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_SHADER);
        OV_Popupf(OV_WARNING, " ! Orvex out of free shaders.\n");
        return nullptr;
    }
    ov_shader_t *s = &s_shaders[s_shader_count++];
    OVI_InitShader(s, name);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SHADER);
    if (ov_rendimp)
        ov_rendimp->LoadShader(s);
    OV_Printf("\n");
    return s;
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
    for (int i = 0; i < s_shader_count; i++) {
        ov_shader_t &s = s_shaders[i];
        if (ov_rendimp)
            ov_rendimp->FreeShader(&s);
        free(s.name);
        memset(&s, 0, sizeof s);
    }
    s_shader_count = 0;
}
