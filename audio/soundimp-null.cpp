// The null sound implementation: loads succeed (so sounds are cached and counted as
// usual), plays start nothing, and every query answers "nothing playing".
#include "audio/soundimp.h"

namespace {

class SoundImpNull final : public SoundImp {
public:
    bool IsSupported() override { return true; }
    const char *GetName() override { return "SoundImp Null"; }
    bool Initialize(ov_state_t *, ov_parms_t *) override { return true; }
    void Shutdown() override {}
    bool LoadSound(ov_sound_t *, const char *) override { return true; }
    void FreeSound(ov_sound_t *) override {}
    void SetMasterVolume(float) override {}
    long PlaySound(ov_sound_t *, float, float, float) override { return 0; }
    void StopChannel(long) override {}
    void SetChannelPan(long, float) override {}
    void SetChannelVolume(long, float) override {}
    void SetChannelPaused(long, bool) override {}
    void SetChannelLooping(long, bool) override {}
    void SetChannelFrequency(long, float) override {}
    bool IsChannelAlive(long) override { return false; }
    ov_sound_t *GetChannelSound(long) override { return nullptr; }
    void SlideChannelVolume(long, float, float) override {}
    void PlayMusic(ov_sound_t *, float, float) override {}
    void StopMusic(float) override {}
    void SetMusicPaused(bool) override {}
    void SetMusicLooping(bool) override {}
    ov_sound_t *GetMusicPlaying() override { return nullptr; }
    void SlideMusicVolume(float, float) override {}
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
