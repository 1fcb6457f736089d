// Every engine entry point that fills a slot of the interface table and is owned
// by a service outside the core runtime (files, graphics, text, sound, extensions).
#ifndef OV_PENDING_H
#define OV_PENDING_H

#include "orvex.h"

struct ov_font_t * OV_GetFont(const char *name);
struct ov_font_t * OV_LoadFont(const char *name);
int OV_RefreshFont(struct ov_font_t *f);
void OV_ReleaseFont(struct ov_font_t *f);
int OV_SaveFont(struct ov_font_t *f, const char *file);
void OVD_SetCursor(const char *name);
const char * OV_CallExtension(const char *cmd, const char *arg);
int OV_AddSearchPath(const char *path, bool at_front);
int OV_RemoveSearchPath(const char *path);
const char * OV_GetSearchPath(int index);
int OV_GetNumberOfSearchPaths(void);
struct ov_file_t * OV_OpenFile(const char *name, const char *mode);
int OV_CloseFile(struct ov_file_t *f);
unsigned OV_ReadFile(void *buf, unsigned size, struct ov_file_t *f);
unsigned OV_WriteFile(const void *buf, unsigned size, struct ov_file_t *f);
int OV_FlushFile(struct ov_file_t *f);
long OV_GetFilePosition(struct ov_file_t *f);
int OV_SetFilePosition(struct ov_file_t *f, long offset, int origin);
int OV_fgetc(struct ov_file_t *f);
int OV_fseek(struct ov_file_t *f, long offset, int origin);
long OV_ftell(struct ov_file_t *f);
unsigned OV_fread(void *buf, unsigned size, unsigned count, struct ov_file_t *f);
unsigned OV_fwrite(const void *buf, unsigned size, unsigned count, struct ov_file_t *f);
int OV_FindFiles(ov_list_t *list, const char *dir, const char *pattern, bool recursive);
void OV_FreeList(ov_list_t *list);
int OV_SendHttpRequest(int method, const char *url, const char *headers, const char *body, int timeout, ov_buffer_t *reply, int *status);
ov_buffer_t OV_AllocBuffer(int size);
void OV_FreeBuffer(ov_buffer_t *buf);
struct ov_sound_t * OV_GetSound(const char *name);
struct ov_sound_t * OV_LoadSound(const char *name);
struct ov_sound_t * OV_GetSoundEx(const char *name, int cache_mode);
void OV_ReleaseSound(struct ov_sound_t *s);
void OV_SetSoundCacheMode(struct ov_sound_t *s, int mode);
void OV_SetMasterVolume(float volume);
long OV_PlaySound(struct ov_sound_t *s, float volume, float pan, float frequency);
void OV_StopChannel(long channel);
void OV_SetChannelPan(long channel, float pan);
void OV_SetChannelVolume(long channel, float volume);
void OV_SetChannelPaused(long channel, bool paused);
void OV_SetChannelLooping(long channel, bool looping);
void OV_SetChannelFrequency(long channel, float frequency);
bool OV_IsChannelAlive(long channel);
struct ov_sound_t * OV_GetChannelSound(long channel);
void OV_SlideChannelVolume(long channel, float volume, float seconds);
void OV_StopChannelWithFade(long channel, float seconds);
void OV_PlayMusic(struct ov_sound_t *s, float volume, float fade);
void OV_StopMusic(float fade);
void OV_SetMusicPaused(bool paused);
void OV_SetMusicLooping(bool looping);
struct ov_sound_t * OV_GetMusicPlaying(void);
void OV_SlideMusicVolume(float volume, float seconds);
struct ov_bitmap_t * OV_GetBitmap(const char *name);
struct ov_bitmap_t * OV_GetBitmapEx(const char *name, int cache_mode);
struct ov_bitmap_t * OV_LoadBitmap(const char *name, int mode);
void OV_ReleaseBitmap(struct ov_bitmap_t *b);
int OV_SaveBitmap(struct ov_bitmap_t *b, const char *file, int quality);
int OV_RefreshBitmap(struct ov_bitmap_t *b);
void OV_SetBitmapCacheMode(struct ov_bitmap_t *b, int mode);
struct ov_bitmap_t * OV_CreateBitmap(const char *name, int w, int h, int type);
void OV_SetBitmapFrame(struct ov_bitmap_t *b, int frame);
void OV_ClearScreen(float r, float g, float b);
int OV_SetScissorRect(int x, int y, int w, int h);
void OV_DisableScissorRect(void);
int OV_SetRenderTarget(struct ov_bitmap_t *b);
void OV_SetBlend(int mode);
void OV_SetPixelFilter(int filter);
void OV_SetColor(float r, float g, float b);
void OV_SetAlpha(float a);
void OV_SetTextAlign(int align);
void OV_SetTextboxWidth(int width);
void OV_SetTextTransform(float scale_x, float scale_y, float angle);
void OV_DrawBitmap(struct ov_bitmap_t *b, float x, float y);
void OV_DrawBitmapRS(struct ov_bitmap_t *b, float x, float y, float rotation, float scale);
void OV_DrawBitmapLine(struct ov_bitmap_t *b, vec2_t *a, vec2_t *z, float w0, float w1, color_t *c0, color_t *c1);
void OV_DrawSubBitmap(struct ov_bitmap_t *b, float x, float y, float sx, float sy, float sw, float sh);
float OV_DrawTextf(struct ov_font_t *f, float x, float y, const char *fmt, ...);
void OV_DrawRect(float x, float y, float w, float h);
void OV_DrawLine(float x0, float y0, float x1, float y1);
void OV_DrawBitmap4V(struct ov_bitmap_t *b, ov_vertex_t *v);
void OV_BeginBatch(struct ov_bitmap_t *b);
void OV_BatchDrawQuad(struct ov_bitmap_t *b, ov_vertex_t *v);
void OV_EndBatch(void);
void OV_DrawTriangles(struct ov_bitmap_t *b, ov_vertex3d_t *v, int nverts, const uint16_t *indices, int nindices);
void OV_GetTextSizef(struct ov_font_t *f, float *w, float *h, const char *fmt, ...);
float OV_GetTextWidthf(struct ov_font_t *f, const char *fmt, ...);
float OV_GetTextHeightf(struct ov_font_t *f, const char *fmt, ...);
void OV_SetDepthRange(float near_z, float default_z, float far_z);
void OV_SetDepthDefault(float z);
float OV_GetDepthDefault(void);
void OV_ClearDepth(float z);
void OV_SetRenderStateb(ov_render_state_e s, bool v);
void OV_SetRenderStatef(ov_render_state_e s, float v);
void OV_SetRenderStatei(ov_render_state_e s, int v);
// Slots 75-81: the transform and vertex-processor stacks (gfx/transform.cpp).
void OV_PushTransform(nTransform *m);
void OV_PopTransform(void);
nTransform OV_PeekTransform(void);
void OV_PushVertexProcessor(ov_vertex_proc_fn fn, void *user);
void OV_PopVertexProcessor(void);
int OV_RemoveVertexProcessor(ov_vertex_proc_fn fn, void *user);
void OV_ProcessVertex(ov_vertex_t *v);

// Extension table entries.
struct ov_shader_t *OV_GetShader(const char *name);
void OV_SetShader(struct ov_shader_t *s);
void OV_SetShaderBitmap(int unit, struct ov_bitmap_t *b);
void OV_SetShaderParm(struct ov_shader_t *s, int index, float *values);
void OVE_DrawBitmapRS(struct ov_bitmap_t *b, float x, float y, float rotation, float scale);
// Extension slot OV_EXT_GET_SOUND_LENGTH (audio/sound-calls.cpp).
float OVE_GetSoundLength(struct ov_sound_t *s);

#endif
