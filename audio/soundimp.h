// The sound implementation interface as the engine's lifecycle drives it, and the
// null implementation that plays nothing.
#ifndef OV_SOUNDIMP_H
#define OV_SOUNDIMP_H

#include "orvex.h"

struct ov_state_t;

class SoundImp {
public:
    virtual bool Initialize(ov_state_t *state, ov_parms_t *parms) = 0;
    virtual void Shutdown() = 0;
    virtual void ActivateWindow(bool active) = 0;
    virtual void FrameStart() = 0;
    virtual void FrameReady() = 0;
    virtual bool FillOrvexInterface(orvex_t *table) = 0;
    virtual const char *CallExtension(const char *command, const char *argument) = 0;
};

// The implementation that plays nothing; always available.
SoundImp *GetSoundImpNull();
// The implementation of that name, or null when this build has none by that name.
SoundImp *OVID_LoadSoundImp(const char *name);
void OVID_UnloadSoundImp(SoundImp *imp);

#endif
