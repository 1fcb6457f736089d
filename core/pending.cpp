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

int OV_SaveBitmap(struct ov_bitmap_t *b, const char *file, int quality)
{
    return 0;
}

int OV_RefreshBitmap(struct ov_bitmap_t *b)
{
    return 0;
}

void OV_DrawTextf(struct ov_font_t *f, float x, float y, const char *fmt, ...)
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

// ---- engine-internal seams of the same services

#include "core/ov_state.h"

void OVI_ReleaseSoundsAtExit(void) {}
void OVI_ReleaseFontsAtExit(void) {}
bool OVI_InitImageLoader(void)
{
    return true;
}
void OVI_DrawHUDs(float) {}
void OVI_ReInitSounds(void) {}
bool OVI_ConsoleProcessEvent(ov_event_t *, int *)
{
    return false;
}
int OVI_MediaRendererDomain(void)
{
    return -1;
}
void HandleMMREvent(ovdev::bps_event_t *) {}

