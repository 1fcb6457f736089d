// Loading, initialising, re-initialising and shutting down the current renderer.
#include "gfx/rendimp.h"
#include "core/ov_state.h"

#include <string.h>

RendImp *ov_rendimp = nullptr;

static RendImp *s_override = nullptr;
static int num_failed_reinits = 0;

void OVID_SetRendImpOverride(RendImp *r)
{
    s_override = r;
}

RendImp *OVID_LoadRendImp()
{
    if (s_override)
        return s_override;
    return GetRendImpNull();
}

// Loads the renderer once and lets it replace its slots of a freshly filled table.
void OVI_LoadRendImp()
{
    if (ov_rendimp)
        return;
    ov_rendimp = OVID_LoadRendImp();
    if (!ov_rendimp)
        return;
    OVI_SetBasicInterface(&orvex);
    ov_rendimp->FillOrvexInterface(&orvex);
}

bool OVI_InitRendImp()
{
    for (;;) {
        if (!ov_rendimp) {
            OV_Printf("Renderer doesn't exist, can't continue with init.\n");
            return false;
        }
        if (ov_state.renderer_ready) {
            OV_Printf("Renderer in ready state, shutting it down before new init.\n");
            OVI_ShutdownRendImp();
        }
        ov_state.renderer_ready = 0;

        ov_parms_t previous = ov_parms;
        ov_parms.width = ov_prog->parms.width;
        ov_parms.height = ov_prog->parms.height;
        ov_parms.windowed = ov_prog->parms.windowed;

        OV_PrintDebugf(OV_SYSTEM, "Initializing RendImp.\n");
        const char *mode = "windowed";
        if (!ov_parms.windowed) {
            if (ov_parms.width < 640 || ov_parms.height < 480)
                ov_parms.windowed = 1;
            else
                mode = "fullscreen";
        }
        OV_PrintDebugf(OV_SYSTEM, "Initializing RendImp: %dx%d %s..\n", ov_parms.width, ov_parms.height, mode);

        OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
        bool ok = ov_rendimp->Initialize(&orvex, &ov_state, &ov_parms);
        if (ok) {
            num_failed_reinits = 0;
        } else {
            num_failed_reinits++;
            bool unchanged = ov_parms.width == previous.width && ov_parms.height == previous.height &&
                             ov_parms.windowed == previous.windowed;
            if (num_failed_reinits > 2 || unchanged) {
                OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
                OV_Popupf(OV_ERROR, "Unable to initialize the renderer.\n\nPlease try updating your display adapter drivers and rebooting.\n");
                return false;
            }
            ov_parms = previous;
            OV_PrintDebugf(OV_SYSTEM, "Rolling back parms..\n");
            ok = ov_rendimp->Initialize(&orvex, &ov_state, &ov_parms);
            if (!ok) {
                OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
                continue;
            }
        }
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        ov_prog->parms.renderer_ready = 1;
        ov_state.texture_format = ov_rendimp->GetTextureFormat();
        ov_state.renderer_ready = 1;
        return true;
    }
}

void OVI_ShutdownRendImp()
{
    OV_PrintDebugf(OV_SYSTEM, "Orvex RendImp Shutdown.\n");
    if (!ov_rendimp)
        return;
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    ov_rendimp->Shutdown();
    ov_state.renderer_ready = 0;
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

void OVI_FinalShutdownRendImp()
{
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    ov_rendimp = nullptr;
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

// A display change asked for while running: adapt in place or rebuild the renderer.
void OVI_ReInitRenderer()
{
    ov_event_t ev;
    memset(&ev, 0, sizeof ev);
    ev.type = OV_EVENT_RENDERER_REINIT;
    ev.inactive = 1;
    OVI_SendEvent(&ev);

    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
    bool adapted = ov_rendimp && ov_rendimp->AttemptReinitialize(ov_prog->parms.width, ov_prog->parms.height, ov_prog->parms.windowed);
    if (adapted)
        ov_parms = ov_prog->parms;
    // The full rebuild takes GFX_HW and GET_BITMAP itself; the pool locks are let go
    // first, since the engine's mutexes are not recursive.
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
    if (!adapted) {
        OVI_ShutdownRendImp();
        ov_parms = ov_prog->parms;
        OVI_InitRendImp();
    }
    OVI_ResetKeyboardKeyStates();

    memset(&ev, 0, sizeof ev);
    ev.type = OV_EVENT_RENDERER_REINIT;
    ev.inactive = 1;
    OVI_SendEvent(&ev);
}
