// The sound implementation interface (28 operations in a fixed order) that every
// platform sound service offers the engine, the null implementation that plays
// nothing, and how the engine picks, unloads and re-initialises an implementation.
#ifndef OV_SOUNDIMP_H
#define OV_SOUNDIMP_H

#include "orvex.h"

struct ov_state_t;
struct ov_sound_t;

class SoundImp {
public:
    // Whether the implementation can run here.
    virtual bool IsSupported() = 0;
    // "QNX SoundImp" or "SoundImp Null".
    virtual const char *GetName() = 0;
    // Prepares the implementation; true when it can be used.
    virtual bool Initialize(ov_state_t *state, ov_parms_t *parms) = 0;
    // Stops all sound and releases what Initialize set up.
    virtual void Shutdown() = 0;
    // Loads the file as the record's data; true when accepted.
    virtual bool LoadSound(ov_sound_t *sound, const char *file) = 0;
    // Stops whatever plays the record's data, frees it and clears the record's pointer.
    virtual void FreeSound(ov_sound_t *sound) = 0;
    // Clamps to 0..1 and applies to everything playing and to later plays.
    virtual void SetMasterVolume(float volume) = 0;
    // Starts the data on a channel; the play id, 0 when nothing was started.
    virtual long PlaySound(ov_sound_t *sound, float volume, float pan, float frequency) = 0;
    virtual void StopChannel(long id) = 0;
    virtual void SetChannelPan(long id, float pan) = 0;
    virtual void SetChannelVolume(long id, float volume) = 0;
    virtual void SetChannelPaused(long id, bool paused) = 0;
    virtual void SetChannelLooping(long id, bool looping) = 0;
    virtual void SetChannelFrequency(long id, float frequency) = 0;
    virtual bool IsChannelAlive(long id) = 0;
    virtual ov_sound_t *GetChannelSound(long id) = 0;
    // Moves the volume to the target; a negative target stops the play.
    virtual void SlideChannelVolume(long id, float target, float seconds) = 0;
    // Makes the sound the music and starts it.
    virtual void PlayMusic(ov_sound_t *sound, float volume, float fade_in) = 0;
    // Stops the music; afterwards no music is set.
    virtual void StopMusic(float fade_out) = 0;
    virtual void SetMusicPaused(bool paused) = 0;
    virtual void SetMusicLooping(bool looping) = 0;
    // The sound set as music, or null.
    virtual ov_sound_t *GetMusicPlaying() = 0;
    virtual void SlideMusicVolume(float target, float seconds) = 0;
    // The application window became active or inactive.
    virtual void ActivateWindow(bool active) = 0;
    // Called at the start of every engine frame and after its drawing.
    virtual void FrameStart() = 0;
    virtual void FrameReady() = 0;
    // May replace slots of the interface table; true on success.
    virtual bool FillOrvexInterface(orvex_t *table) = 0;
    // Implementation-specific commands; a reply or null.
    virtual const char *CallExtension(const char *command, const char *argument) = 0;

protected:
    ~SoundImp() = default;  // implementations are static objects, never deleted here
};

// The implementation that plays nothing; always available.
SoundImp *GetSoundImpNull();
// The platform implementation (the same instance whatever the name, which is not
// consulted: this platform has one).
SoundImp *OVID_LoadSoundImp(const char *name);
// Makes the null implementation current and lets it fill the interface table; the
// implementation given must already be shut down.
void OVID_UnloadSoundImp(SoundImp *imp);
// Shuts the current implementation down, loads one again (the null one when none can
// start) and reloads every cached sound into it.
void OVI_ReInitSounds(void);

#endif
