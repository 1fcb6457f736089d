// Slots of services that this build does not carry yet: each answers "not available"
// (null, 0 or nothing), so that the application can call through every slot.
#include "core/services.h"

struct ov_font_t * OV_GetFont(const char *name)
{
    return nullptr;
}

struct ov_font_t * OV_LoadFont(const char *name)
{
    return nullptr;
}

int OV_RefreshFont(struct ov_font_t *f)
{
    return 0;
}

void OV_ReleaseFont(struct ov_font_t *f)
{
}

int OV_SaveFont(struct ov_font_t *f, const char *file)
{
    return 0;
}

void OVD_SetCursor(const char *name)
{
}

const char * OV_CallExtension(const char *cmd, const char *arg)
{
    return nullptr;
}

int OV_AddSearchPath(const char *path, bool at_front)
{
    return 0;
}

int OV_RemoveSearchPath(const char *path)
{
    return 0;
}

const char * OV_GetSearchPath(int index)
{
    return nullptr;
}

int OV_GetNumberOfSearchPaths(void)
{
    return 0;
}

struct ov_file_t * OV_OpenFile(const char *name, const char *mode)
{
    return nullptr;
}

int OV_CloseFile(struct ov_file_t *f)
{
    return 0;
}

unsigned OV_ReadFile(void *buf, unsigned size, struct ov_file_t *f)
{
    return 0;
}

unsigned OV_WriteFile(const void *buf, unsigned size, struct ov_file_t *f)
{
    return 0;
}

int OV_FlushFile(struct ov_file_t *f)
{
    return 0;
}

long OV_GetFilePosition(struct ov_file_t *f)
{
    return 0;
}

int OV_SetFilePosition(struct ov_file_t *f, long offset, int origin)
{
    return 0;
}

int OV_fgetc(struct ov_file_t *f)
{
    return 0;
}

int OV_fseek(struct ov_file_t *f, long offset, int origin)
{
    return 0;
}

long OV_ftell(struct ov_file_t *f)
{
    return 0;
}

unsigned OV_fread(void *buf, unsigned size, unsigned count, struct ov_file_t *f)
{
    return 0;
}

unsigned OV_fwrite(const void *buf, unsigned size, unsigned count, struct ov_file_t *f)
{
    return 0;
}

int OV_FindFiles(ov_list_t *list, const char *dir, const char *pattern, bool recursive)
{
    return 0;
}

void OV_FreeList(ov_list_t *list)
{
}

int OV_SendHttpRequest(int method, const char *url, const char *headers, const char *body, int timeout, ov_buffer_t *reply, int *status)
{
    return 0;
}

ov_buffer_t OV_AllocBuffer(int size)
{
    ov_buffer_t b = {nullptr, 0, 0, 0};
    return b;
}

void OV_FreeBuffer(ov_buffer_t *buf)
{
}

struct ov_sound_t * OV_GetSound(const char *name)
{
    return nullptr;
}

struct ov_sound_t * OV_LoadSound(const char *name)
{
    return nullptr;
}

struct ov_sound_t * OV_GetSoundEx(const char *name, int cache_mode)
{
    return nullptr;
}

void OV_ReleaseSound(struct ov_sound_t *s)
{
}

void OV_SetSoundCacheMode(struct ov_sound_t *s, int mode)
{
}

void OV_SetMasterVolume(float volume)
{
}

long OV_PlaySound(struct ov_sound_t *s, float volume, float pan, float frequency)
{
    return 0;
}

void OV_StopChannel(long channel)
{
}

void OV_SetChannelPan(long channel, float pan)
{
}

void OV_SetChannelVolume(long channel, float volume)
{
}

void OV_SetChannelPaused(long channel, bool paused)
{
}

void OV_SetChannelLooping(long channel, bool looping)
{
}

void OV_SetChannelFrequency(long channel, float frequency)
{
}

int OV_IsChannelAlive(long channel)
{
    return 0;
}

struct ov_sound_t * OV_GetChannelSound(long channel)
{
    return nullptr;
}

void OV_SlideChannelVolume(long channel, float volume, float seconds)
{
}

void OV_StopChannelWithFade(long channel, float seconds)
{
}

int OV_PlayMusic(struct ov_sound_t *s, float volume, float fade)
{
    return 0;
}

void OV_StopMusic(float fade)
{
}

void OV_SetMusicPaused(bool paused)
{
}

void OV_SetMusicLooping(bool looping)
{
}

int OV_GetMusicPlaying(void)
{
    return 0;
}

void OV_SlideMusicVolume(float volume, float seconds)
{
}

void OV_PushTransform(nTransform *t)
{
}

void OV_PopTransform(void)
{
}

nTransform * OV_PeekTransform(void)
{
    return nullptr;
}

void OV_PushVertexProcessor(ov_vertex_proc_fn fn, void *user)
{
}

void OV_PopVertexProcessor(void)
{
}

void OV_RemoveVertexProcessor(ov_vertex_proc_fn fn, void *user)
{
}

void OV_ProcessVertex(ov_vertex_t *v)
{
}

struct ov_bitmap_t * OV_GetBitmap(const char *name)
{
    return nullptr;
}

struct ov_bitmap_t * OV_GetBitmapEx(const char *name, int cache_mode)
{
    return nullptr;
}

struct ov_bitmap_t * OV_LoadBitmap(const char *name, int mode)
{
    return nullptr;
}

void OV_ReleaseBitmap(struct ov_bitmap_t *b)
{
}

int OV_SaveBitmap(struct ov_bitmap_t *b, const char *file, int quality)
{
    return 0;
}

int OV_RefreshBitmap(struct ov_bitmap_t *b)
{
    return 0;
}

void OV_SetBitmapCacheMode(struct ov_bitmap_t *b, int mode)
{
}

struct ov_bitmap_t * OV_CreateBitmap(const char *name, int w, int h, int type)
{
    return nullptr;
}

void OV_SetBitmapFrame(struct ov_bitmap_t *b, int frame)
{
}

void OV_ClearScreen(float r, float g, float b)
{
}

void OV_SetScissorRect(int x, int y, int w, int h)
{
}

void OV_DisableScissorRect(void)
{
}

int OV_SetRenderTarget(struct ov_bitmap_t *b)
{
    return 0;
}

void OV_SetBlend(int mode)
{
}

void OV_SetPixelFilter(int filter)
{
}

void OV_SetColor(float r, float g, float b)
{
}

void OV_SetAlpha(float a)
{
}

void OV_SetTextAlign(int align)
{
}

void OV_SetTextboxWidth(int width)
{
}

void OV_SetTextTransform(float scale, float rotation, float spacing)
{
}

void OV_DrawBitmap(struct ov_bitmap_t *b, float x, float y)
{
}

void OV_DrawBitmapRS(struct ov_bitmap_t *b, float x, float y, float rotation, float scale)
{
}

void OV_DrawBitmapLine(struct ov_bitmap_t *b, vec2_t *a, vec2_t *z, float w0, float w1, color_t *c0, color_t *c1)
{
}

void OV_DrawSubBitmap(struct ov_bitmap_t *b, float x, float y, float sx, float sy, float sw, float sh)
{
}

void OV_DrawTextf(struct ov_font_t *f, float x, float y, const char *fmt, ...)
{
}

void OV_DrawRect(float x, float y, float w, float h)
{
}

void OV_DrawLine(float x0, float y0, float x1, float y1)
{
}

void OV_DrawBitmap4V(struct ov_bitmap_t *b, ov_vertex_t *v)
{
}

void OV_BeginBatch(struct ov_bitmap_t *b)
{
}

void OV_BatchDrawQuad(struct ov_bitmap_t *b, ov_vertex_t *v)
{
}

void OV_EndBatch(void)
{
}

void OV_DrawTriangles(struct ov_bitmap_t *b, ov_vertex3d_t *v, int nverts, const uint16_t *indices, int nindices)
{
}

void OV_GetTextSizef(struct ov_font_t *f, float *w, float *h, const char *fmt, ...)
{
}

float OV_GetTextWidthf(struct ov_font_t *f, const char *fmt, ...)
{
    return 0.0f;
}

float OV_GetTextHeightf(struct ov_font_t *f, const char *fmt, ...)
{
    return 0.0f;
}

void OV_SetDepthRange(float near_z, float default_z, float far_z)
{
}

void OV_SetDepthDefault(float z)
{
}

float OV_GetDepthDefault(void)
{
    return 0.0f;
}

void OV_ClearDepth(float z)
{
}

void OV_SetRenderStateb(ov_render_state_e s, bool v)
{
}

void OV_SetRenderStatef(ov_render_state_e s, float v)
{
}

void OV_SetRenderStatei(ov_render_state_e s, int v)
{
}

struct ov_shader_t *OV_GetShader(const char *)
{
    return nullptr;
}

void OV_SetShader(struct ov_shader_t *) {}

void OV_SetShaderBitmap(int, struct ov_bitmap_t *) {}

void OV_SetShaderParm(struct ov_shader_t *, int, float *) {}

void OVE_DrawBitmapRS(struct ov_bitmap_t *, float, float, float, float) {}
// ---- engine-internal seams of the same services

#include "core/ov_state.h"

void OVI_ReleaseBitmapsAtExit(void) {}
void OVI_ReleaseSoundsAtExit(void) {}
void OVI_ReleaseFontsAtExit(void) {}
void OVI_FrameResourceStep(void) {}
bool OVI_InitImageLoader(void)
{
    return true;
}
void OVI_SetupAutoscale(void) {}
void OVI_SelectResolution(int) {}
bool OVI_ResolutionSupported(int, int, int)
{
    return true;
}
void OVI_SetDefaultRenderStates(void) {}
void OVI_PushScreenTransforms(float) {}
void OVI_PopScreenTransforms(void) {}
void OVI_DrawScreenBorders(void) {}
void OVI_DrawHUDs(float) {}
void OVI_ReInitSounds(void) {}
bool OVI_ConsoleProcessEvent(ov_event_t *, int *)
{
    return false;
}
void OVI_SendRenderTargetRedraws(void) {}
int OVI_MediaRendererDomain(void)
{
    return -1;
}
void HandleMMREvent(ovdev::bps_event_t *) {}
void OVI_ResolvePlatformInfo(void) {}
void OVI_InitFileOpeners(void) {}
void OVI_CloseFileOpeners(void) {}
void OVI_AddPackages(void) {}
bool OVI_ProductFeatureExists(const char *)
{
    return false;
}
int OVI_OpenFileCount(void)
{
    return 0;
}

// Until the settings file is read, the log console and its file are on, at the
// most verbose level; a test may adjust the state through the hook.
static void (*s_settings_hook)(void) = nullptr;
void OVI_SetProgramSettingsHook(void (*hook)(void))
{
    s_settings_hook = hook;
}
void OVI_ReadProgramSettings(void)
{
    ov_state.console = 1;
    ov_state.logging = 1;
    ov_state.verbose_level = 0;
    if (s_settings_hook)
        s_settings_hook();
}
