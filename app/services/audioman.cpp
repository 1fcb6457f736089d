// The audio manager (see audioman.h).
#include "app/services/audioman.h"

#include "app/services/featureman.h"
#include "app/services/small-maths.h"

AudioManager aman;

namespace {

}  // namespace

void AudioManager::Initialize()
{
    ov->OV_PrintDebugf(3, "AudioManager::Initialize.\n");
    sound_volume_ = music_volume_ = 0.75f;
    if (feature_man.ProductFeatureExists("LOW_INITIAL_VOLUME")) {
        sound_volume_ *= 0.5f;
        music_volume_ *= 0.5f;
    }
}

void AudioManager::Shutdown()
{
    ov->OV_PrintDebugf(3, "AudioManager::Shutdown.\n");
}

int AudioManager::PlaySound(ov_sound_t *sound, float volume, float pan, float frequency)
{
    return (int)ov->OV_PlaySound(sound, Clamp01(volume) * sound_volume_, pan, frequency);
}

void AudioManager::SwitchMusic(ov_sound_t *music, float fadeIn, float fadeOut)
{
    if (skip_next_frame_)
        skip_next_frame_();
    if (music == ov->OV_GetMusicPlaying()) {
        ov->OV_SlideMusicVolume(music_volume_, fadeIn);
        return;
    }
    ov->OV_StopMusic(fadeOut);
    ov->OV_PlayMusic(music, music_volume_, fadeIn);
}

void AudioManager::SlideMusicVolume(float target, float seconds)
{
    music_volume_ = Clamp01(target);
    ov->OV_SlideMusicVolume(music_volume_, seconds);
}

void AudioManager::StopMusic(float fadeOut)
{
    ov->OV_StopMusic(fadeOut);
}

void AudioManager::PlayMusic(ov_sound_t *music, float volume)
{
    ov->OV_PlayMusic(music, Clamp01(volume) * music_volume_, 0.0f);
}

void AudioManager::Update(float dt, bool active)
{
    master_fade_ = Clamp01(master_fade_ + (active ? dt : -dt));
    ov->OV_SetMasterVolume(master_fade_);
}

void AudioManager::SetSoundVolume(float volume)
{
    sound_volume_ = Clamp01(volume);
}

void AudioManager::SetMusicVolume(float volume)
{
    music_volume_ = Clamp01(volume);
}
