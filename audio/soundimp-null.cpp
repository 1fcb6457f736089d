// The null sound implementation: the engine runs silent with it.
#include "audio/soundimp.h"

namespace {

class SoundImpNull : public SoundImp {
public:
    bool Initialize(ov_state_t *, ov_parms_t *) override { return true; }
    void Shutdown() override {}
    void ActivateWindow(bool) override {}
    void FrameStart() override {}
    void FrameReady() override {}
    bool FillOrvexInterface(orvex_t *) override { return true; }
    const char *CallExtension(const char *, const char *) override { return nullptr; }
};

}  // namespace

SoundImp *GetSoundImpNull()
{
    static SoundImpNull null_sound;
    return &null_sound;
}

// No device-backed implementation is built in yet: every name falls back to null.
SoundImp *OVID_LoadSoundImp(const char *name)
{
    return nullptr;
}

void OVID_UnloadSoundImp(SoundImp *imp) {}
