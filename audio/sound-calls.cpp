// The play, channel and music calls of the interface table: the rules that hold on
// every platform (dummy '!' sounds, the 50 ms restart rule, channel id 0, the developer
// warnings and clamping of music volumes), then the current sound implementation.
#include "audio/sample.h"
#include "audio/sound.h"
#include "audio/soundimp.h"
#include "core/ov_state.h"
#include "core/services.h"

namespace {

// The current implementation; the null one before initialisation and after shutdown.
SoundImp *Imp()
{
    return ov_state.sound_imp ? ov_state.sound_imp : GetSoundImpNull();
}

bool DeveloperMode()
{
    return ov_prog && ov_prog->parms.developer_mode;
}

float Clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

}  // namespace

void OV_SetMasterVolume(float volume)
{
    Imp()->SetMasterVolume(volume);
}

long OV_PlaySound(struct ov_sound_t *s, float volume, float pan, float frequency)
{
    if (!s || !s->name || s->name[0] == '!')
        return 0;
    uint32_t now = OV_GetTime();
    OV_Printf("Playing sound %s at %ld", s->name, (long)s->last_start);
    if (s->last_start != 0 && now - s->last_start < 50) {
        OV_Printf("Sound %s skipped due because %ld < 50", s->name, (long)(now - s->last_start));
        return 0;
    }
    s->last_start = now;
    return Imp()->PlaySound(s, volume, pan, frequency);
}

void OV_StopChannel(long channel)
{
    if (channel)
        Imp()->StopChannel(channel);
}

void OV_SetChannelPan(long channel, float pan)
{
    if (channel)
        Imp()->SetChannelPan(channel, pan);
}

void OV_SetChannelVolume(long channel, float volume)
{
    if (channel)
        Imp()->SetChannelVolume(channel, volume);
}

void OV_SetChannelPaused(long channel, bool paused)
{
    if (channel)
        Imp()->SetChannelPaused(channel, paused);
}

void OV_SetChannelLooping(long channel, bool looping)
{
    if (channel)
        Imp()->SetChannelLooping(channel, looping);
}

void OV_SetChannelFrequency(long channel, float frequency)
{
    if (channel)
        Imp()->SetChannelFrequency(channel, frequency);
}

bool OV_IsChannelAlive(long channel)
{
    return channel ? Imp()->IsChannelAlive(channel) : false;
}

struct ov_sound_t *OV_GetChannelSound(long channel)
{
    return channel ? Imp()->GetChannelSound(channel) : nullptr;
}

void OV_SlideChannelVolume(long channel, float volume, float seconds)
{
    if (channel)
        Imp()->SlideChannelVolume(channel, volume, seconds);
}

// A slide to a negative volume, which the implementation takes as a stop.
void OV_StopChannelWithFade(long channel, float seconds)
{
    Imp()->SlideChannelVolume(channel, -0.1f, seconds);
}

void OV_PlayMusic(struct ov_sound_t *s, float volume, float fade)
{
    if (!s)
        return;
    if (DeveloperMode()) {
        if (fade > 10.0f)
            OV_Popupf(OV_WARNING, "OV_PlayMusic: Fade in time is suspiciously high (%g)", (double)fade);
        if (volume < 0.0f || volume > 1.0f)
            OV_Popupf(OV_WARNING, "OV_PlayMusic: Volume parameter out of range 0..1 (%g)", (double)volume);
    }
    volume = Clamp01(volume);
    ov_sound_t *current = ov->OV_GetMusicPlaying();
    if (current == s) {
        ov->OV_SetMusicLooping(true);
        ov->OV_SlideMusicVolume(volume, 1.0f);
        return;
    }
    if (current)
        ov->OV_StopMusic(2.0f);
    if (s->name && s->name[0] != '!')
        Imp()->PlayMusic(s, volume, fade);
}

void OV_StopMusic(float fade)
{
    if (DeveloperMode() && fade > 10.0f)
        OV_Popupf(OV_WARNING, "Fade out time in OV_StopMusic suspiciously high (%g)", (double)fade);
    Imp()->StopMusic(fade);
}

void OV_SetMusicPaused(bool paused)
{
    Imp()->SetMusicPaused(paused);
}

void OV_SetMusicLooping(bool looping)
{
    Imp()->SetMusicLooping(looping);
}

struct ov_sound_t *OV_GetMusicPlaying(void)
{
    return Imp()->GetMusicPlaying();
}

void OV_SlideMusicVolume(float volume, float seconds)
{
    if (DeveloperMode()) {
        if (seconds > 10.0f)
            OV_Popupf(OV_WARNING, "OV_SlideMusicVolume: slide_time is suspiciously high (%g)", (double)seconds);
        if (volume < 0.0f || volume > 1.0f)
            OV_Popupf(OV_WARNING, "OV_SlideMusicVolume: target_volume parameter out of range 0..1 (%g)",
                      (double)volume);
    }
    Imp()->SlideMusicVolume(Clamp01(volume), seconds);
}

// Extension slot OV_EXT_GET_SOUND_LENGTH: the platform implementation keeps each loaded
// sound's sample in imp_data[1]; the null implementation keeps nothing there.
float OVE_GetSoundLength(struct ov_sound_t *s)
{
    if (!s || !s->name)
        return 0.0f;
    const ovSample *sample = static_cast<const ovSample *>(s->imp_data[1]);
    return sample && sample->type == OV_SAMPLE_WAV ? sample->seconds : 0.0f;
}
