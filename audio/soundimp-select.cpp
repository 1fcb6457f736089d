// Which sound implementation is current: loading the platform one, unloading it at
// shutdown (the null one answers afterwards), and re-initialising sounds at run time.
#include "audio/sound.h"
#include "audio/soundimp-qnx.h"
#include "core/ov_state.h"

SoundImp *OVID_LoadSoundImp(const char *)
{
    return ORVEX_SoundImp_GetInterface();
}

void OVID_UnloadSoundImp(SoundImp *)
{
    ov_state.sound_imp = GetSoundImpNull();
    ov_state.sound_imp->FillOrvexInterface(ov);
    // The run is over: a later run starts at full volume.
    ov_qnx_master_volume = 1.0f;
}

void OVI_ReInitSounds(void)
{
    ov_parms.no_sound = ov_prog ? ov_prog->parms.no_sound : ov_parms.no_sound;
    if (ov_state.sound_imp)
        ov_state.sound_imp->Shutdown();
    SoundImp *imp = OVID_LoadSoundImp(ov_state.sound_implementation);
    if (imp && imp->Initialize(&ov_state, &ov_parms)) {
        OV_PrintDebugf(OV_SYSTEM, "SoundImp initialized.\n");
    } else {
        OV_PrintDebugf(OV_WARNING, "No Sound Implementation available.\n");
        imp = GetSoundImpNull();
    }
    ov_state.sound_imp = imp;
    imp->FillOrvexInterface(ov);
    for (int i = 0; i < OVI_GetSoundCount(); i++) {
        ov_sound_t *s = OVI_GetSoundRecord(i);
        if (s && s->name && !OVI_LoadSound(s))
            OV_PrintDebugf(OV_WARNING, "Unable to reload sound '%s'\n", s->name);
    }
}
