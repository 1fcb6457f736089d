// The sound operations of the platform implementation: loading and freeing samples,
// starting plays (instance limit, free channel, format check, play ids), the channel
// operations by play id, the master volume and the window state.
#include "audio/soundimp-qnx.h"
#include "audio/sound.h"
#include "core/ov_state.h"

#include <stdlib.h>
#include <string.h>

float ov_qnx_master_volume = 1.0f;

namespace {

bool IsMusicName(const char *name)
{
    return strncmp(name, "music/", 6) == 0;
}

bool HasMp3Ending(const char *name)
{
    size_t n = strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".mp3") == 0;
}

float Clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

ovSample *SampleOf(ov_sound_t *sound)
{
    return sound ? (ovSample *)sound->imp_data[1] : nullptr;
}

}  // namespace

SoundImpQNX *ORVEX_SoundImp_GetInterface()
{
    static SoundImpQNX *si_qnx = new SoundImpQNX;
    return si_qnx;
}

bool SoundImpQNX::LoadSound(ov_sound_t *sound, const char *file)
{
    if (!sound || !file)
        return false;
    if (IsMusicName(file) && !HasMp3Ending(file))
        return false;
    // A record that still holds data (a re-initialisation, an earlier candidate)
    // gives it up first, so no sample is left behind.
    if (SampleOf(sound))
        FreeSound(sound);
    ovSample *sample = new ovSample;
    sample->sound = sound;
    sound->imp_data[1] = sample;
    if (sample->Load(file))
        return true;
    sound->imp_data[1] = nullptr;
    delete sample;
    return false;
}

void SoundImpQNX::FreeSound(ov_sound_t *sound)
{
    ovSample *sample = SampleOf(sound);
    if (!sample)
        return;
    bool held = false;
    if (mutex) {
        OV_LockMutex(mutex);
        for (ovSoundChannel *ch : channels)
            if (ch->sample == sample && ch->pcm && ch->mixer) {
                StopChannelLocked(ch);
                held = true;
            }
        OV_UnlockMutex(mutex);
    }
    if (held) {
        OVT_Sleep(80);
        WaitForFeedingPass();  // the audio thread may still look at the sample
    }
    sound->imp_data[1] = nullptr;
    delete sample;
}

void SoundImpQNX::SetMasterVolume(float volume)
{
    ov_qnx_master_volume = Clamp01(volume);
    if (player.music) {
        player.music_volume = Clamp01(player.music_volume);
        player.SendLevel(player.music_volume * ov_qnx_master_volume);
    }
    for (ovSoundChannel *ch : channels)
        if (ch->playing && ch->sample)
            SetVolume(ch, ch->volume);
}

long SoundImpQNX::PlaySound(ov_sound_t *sound, float volume, float, float)
{
    if (volume <= 0.0f)
        return 0;
    ovSample *sample = SampleOf(sound);
    if (!sample)
        return 0;
    if (GetNumberOfSoundInstancesPlaying(sound) > 2)
        return 0;
    ovSoundChannel *ch = GetFreeChannel();
    if (!ch)
        return 0;
    const int voices = ch->params.format.voices;
    const int rate = ch->params.format.rate;
    if (sample->channels == voices && abs(sample->rate - rate) <= 2000) {
        StartOnChannel(ch, sample);
        SetVolume(ch, volume);
    } else {
        OV_Printf("Sample format mismatch with '%s': %dHz num_channels=%d", sound->name ? sound->name : "",
                  sample->rate, sample->channels);
    }
    ch->play_id = next_play_id++;
    return ch->play_id;
}

void SoundImpQNX::StopChannel(long id)
{
    if (!id)
        return;
    ovSoundChannel *ch = GetChannelById(id);
    if (!ch || !mutex)
        return;
    OV_LockMutex(mutex);
    StopChannelLocked(ch);
    OV_UnlockMutex(mutex);
}

void SoundImpQNX::SetChannelVolume(long id, float volume)
{
    ovSoundChannel *ch = GetChannelById(id);
    if (ch && ch->playing && ch->sample)
        SetVolume(ch, volume);
}

void SoundImpQNX::SetChannelPaused(long id, bool paused)
{
    ovSoundChannel *ch = GetChannelById(id);
    if (ch && ch->playing && ch->sample) {
        ch->paused = paused;
        if (!paused)
            WakeAudioThread();
    }
}

void SoundImpQNX::SetChannelLooping(long id, bool looping)
{
    if (ovSoundChannel *ch = GetChannelById(id))
        ch->looping = looping;
}

bool SoundImpQNX::IsChannelAlive(long id)
{
    return id != 0 && GetChannelById(id) != nullptr;
}

ov_sound_t *SoundImpQNX::GetChannelSound(long id)
{
    if (!id)
        return nullptr;
    ovSoundChannel *ch = GetChannelById(id);
    ovSample *s = ch ? ch->sample.load() : nullptr;
    return s ? s->sound : nullptr;
}

void SoundImpQNX::SlideChannelVolume(long id, float target, float)
{
    if (target < 0.0f)
        StopChannel(id);
    else
        SetChannelVolume(id, target);
}

int SoundImpQNX::GetNumberOfSoundInstancesPlaying(ov_sound_t *sound)
{
    int n = 0;
    for (ovSoundChannel *ch : channels) {
        ovSample *s = ch->sample;
        if (s && s->sound == sound)
            n++;
    }
    return n;
}

void SoundImpQNX::ActivateWindow(bool active)
{
    if (player.music && player.context) {
        if (!active) {
            ovdev::mmr_stop(player.context);
        } else {
            ovdev::mmr_play(player.context);
            player.last_level = -1;
            player.music_volume = Clamp01(player.music_volume);
            player.SendLevel(player.music_volume * ov_qnx_master_volume);
        }
    }
    running = active;
}
