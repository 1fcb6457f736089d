// The audio manager: the player's sound and music volumes, applied to every sound
// effect and music track the application plays, and the master fade that follows the
// screen manager's activity.
#ifndef APP_SERVICES_AUDIOMAN_H
#define APP_SERVICES_AUDIOMAN_H

#include "orvex.h"

class AudioManager {
public:
    // Both volumes to 0.75, halved with the product feature "LOW_INITIAL_VOLUME".
    void Initialize();
    // Only logs; nothing is held.
    void Shutdown();

    // Plays an effect at clamp(volume, 0, 1) times the sound volume; the engine's channel
    // id, 0 when nothing plays (a null sound plays nothing).
    int PlaySound(ov_sound_t *sound, float volume, float pan, float frequency);
    // Music: a track that already plays only slides to the music volume over fadeIn;
    // another one stops the current music over fadeOut and starts at the music volume.
    // The switch first asks the screen frame that follows to run with a zero time step
    // (through the hook the screen manager registers).
    void SwitchMusic(ov_sound_t *music, float fadeIn, float fadeOut);
    // What SwitchMusic calls to make the next frame's time step zero; null for none.
    void SetSkipNextFrameHook(void (*hook)()) { skip_next_frame_ = hook; }
    // Sets the music volume (clamped to [0, 1]) and slides the playing music to it.
    void SlideMusicVolume(float target, float seconds);
    void StopMusic(float fadeOut);
    // Starts music at clamp(volume, 0, 1) times the music volume, without fade-in.
    void PlayMusic(ov_sound_t *music, float volume);

    // Once per frame: the master fade moves toward 1 while `active`, toward 0 otherwise,
    // one unit per second, and becomes the engine's master volume.
    void Update(float dt, bool active);

    // The settings, clamped to [0, 1] when set (profiles load and save them).
    float GetSoundVolume() const { return sound_volume_; }
    float GetMusicVolume() const { return music_volume_; }
    void SetSoundVolume(float volume);
    void SetMusicVolume(float volume);
    float GetMasterFade() const { return master_fade_; }

private:
    float sound_volume_ = 0.75f;
    float music_volume_ = 0.75f;
    float master_fade_ = 1.0f;
    void (*skip_next_frame_)() = nullptr;
};

// The one audio manager (constant-initialised: usable from any static initialiser).
// Main thread only.
extern AudioManager aman;

#endif
