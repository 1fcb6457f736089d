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

void OVI_ReleaseFontsAtExit(void) {}
bool OVI_InitImageLoader(void)
{
    return true;
}
void OVI_DrawHUDs(float) {}
bool OVI_ConsoleProcessEvent(ov_event_t *, int *)
{
    return false;
}

