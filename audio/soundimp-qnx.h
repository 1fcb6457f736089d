// The platform sound implementation: sound effects on up to 12 mono 16-bit 22050 Hz
// PCM channels of the device layer, fed by the "QNX audio" thread, with a mixer group
// per channel for its volume; music through the device layer's media renderer.
#ifndef OV_SOUNDIMP_QNX_H
#define OV_SOUNDIMP_QNX_H

#include "audio/sample.h"
#include "audio/soundimp.h"
#include "platform/asound.h"
#include "platform/mmrenderer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct ov_mutex_t;

// The master volume of effects and music, always within 0..1 (1.0 at start).
extern float ov_qnx_master_volume;
// The last media-renderer state seen by HandleMMREvent (2, stopped, at start).
extern int ov_mmr_old_state;

// One PCM channel and the play it carries.
struct ovSoundChannel {
    int number = 0;                      // 1..12
    std::atomic<long> play_id{0};        // 0 when the channel carries no play
    std::atomic<bool> playing{false};
    // Written by the audio thread's end-of-play detection without the lock, and under the
    // lock when a play starts or stops.
    std::atomic<int> queued_bytes{0};
    ovdev::snd_pcm_t *pcm = nullptr;
    ovdev::snd_mixer_t *mixer = nullptr;
    ovdev::snd_pcm_channel_info_t info{};
    ovdev::snd_pcm_channel_params_t params{};
    ovdev::snd_mixer_group_t group{};
    ovdev::snd_pcm_channel_setup_t setup{};
    int card = -1;
    std::atomic<int> last_status{0};
    int fragment_size = 0;
    int write_size = 0;                  // 8820 bytes rounded down to whole fragments
    // Bytes of the sample already written: changed under the lock, read without it by the
    // end-of-play detection.
    std::atomic<int> position{0};
    std::atomic<ovSample *> sample{nullptr};
    std::atomic<uint32_t> last_activity{0};
    std::atomic<bool> ended_a_play{false};  // set with last_activity: a play ended here
    std::atomic<bool> looping{false};
    std::atomic<bool> paused{false};
    float volume = 0.0f;
    ov_mutex_t *mutex = nullptr;         // shared by all channels
    int last_level = -1;

    // Writes the next chunk of the sample; false when there was nothing to feed.
    bool Feed(int *written);
    void Unlock();
};

// The music half: one media-renderer context playing the music's file.
struct QNX_MusicPlayer {
    ovdev::mmr_connection_t *connection = nullptr;
    ovdev::mmr_context_t *context = nullptr;
    int events = 0;
    int output_id = 0;
    ov_sound_t *music = nullptr;
    float music_volume = 0.0f;
    int last_level = -1;
    std::set<std::string> unopened;      // music files already reported as unusable

    // Makes the sound the music and starts its file (the fade-in time is not used).
    void Play(ov_sound_t *sound, float volume, float fade_in);
    // Sends the volume level of v (music volume x master) when it changed.
    void SendLevel(float v);
};

class SoundImpQNX final : public SoundImp {
public:
    bool IsSupported() override { return true; }
    const char *GetName() override { return "QNX SoundImp"; }
    bool Initialize(ov_state_t *state, ov_parms_t *parms) override;
    void Shutdown() override;
    bool LoadSound(ov_sound_t *sound, const char *file) override;
    void FreeSound(ov_sound_t *sound) override;
    void SetMasterVolume(float volume) override;
    long PlaySound(ov_sound_t *sound, float volume, float pan, float frequency) override;
    void StopChannel(long id) override;
    void SetChannelPan(long, float) override {}
    void SetChannelVolume(long id, float volume) override;
    void SetChannelPaused(long id, bool paused) override;
    void SetChannelLooping(long id, bool looping) override;
    void SetChannelFrequency(long, float) override {}
    bool IsChannelAlive(long id) override;
    ov_sound_t *GetChannelSound(long id) override;
    void SlideChannelVolume(long id, float target, float seconds) override;
    void PlayMusic(ov_sound_t *sound, float volume, float fade_in) override;
    void StopMusic(float fade_out) override;
    void SetMusicPaused(bool) override {}
    void SetMusicLooping(bool) override {}
    ov_sound_t *GetMusicPlaying() override { return player.music; }
    void SlideMusicVolume(float target, float seconds) override;
    void ActivateWindow(bool active) override;
    void FrameStart() override {}
    void FrameReady() override {}
    bool FillOrvexInterface(orvex_t *) override { return true; }
    const char *CallExtension(const char *, const char *) override { return nullptr; }
    // How many channels hold that sound's data.
    int GetNumberOfSoundInstancesPlaying(ov_sound_t *sound);

    // One feeding pass over the channels (only while running); the bytes written.
    int FeedChannels();
    ovSoundChannel *GetFreeChannel();
    ovSoundChannel *GetChannelById(long id);
    void StopAllChannels();
    // Waits until a feeding pass that began after the call has ended (real time).
    void WaitForFeedingPass();
    // Ends the audio thread's idle wait now: a play started or resumed, a pass or the
    // thread's end is awaited.
    void WakeAudioThread();
    // The audio thread's pause when a pass wrote nothing: until woken, at most `ms`.
    void IdleWait(int ms);
    // Restarts the music after its track ended cleanly.
    void MusicTrackEnded();

    QNX_MusicPlayer player;
    char context_name[64] = {0};
    std::vector<ovSoundChannel *> channels;
    long next_play_id = 1;
    std::atomic<bool> running{false};
    ovSample *silence = nullptr;

    // The audio thread: started by Initialize, ended by Shutdown before the channels and
    // the mutex go. thread_alive is set before the thread is created and cleared by the
    // thread as the last thing it does with this object.
    std::atomic<bool> thread_alive{false};
    std::atomic<bool> stop_thread{false};
    std::atomic<unsigned> passes{0};
    ov_mutex_t *mutex = nullptr;
    // The longest rest of the audio thread when a pass wrote nothing, in ms: a queue
    // holds over a third of a second, so a pass every 10 ms keeps it full, and a play
    // started or resumed wakes the thread at once (tests lengthen the rest to see that).
    std::atomic<int> idle_wait_ms{10};
    std::mutex wake_mutex;
    std::condition_variable wake;
    bool wake_pending = false;  // under wake_mutex

private:
    bool OpenChannel(ovSoundChannel *ch);
    void CloseChannel(ovSoundChannel *ch);
    void StopChannelLocked(ovSoundChannel *ch);
    void StartOnChannel(ovSoundChannel *ch, ovSample *sample);
    void SetVolume(ovSoundChannel *ch, float volume);
    void StartMusicPlayer();
    void StopMusicPlayer();
    // Asks the audio thread to end and waits until it has (real time, no time limit).
    void StopAudioThread();
    int free_start = -1;
};

// The one platform implementation, created on first use and never deleted.
SoundImpQNX *ORVEX_SoundImp_GetInterface();
// Restarts the music when the implementation exists and music is set.
void OV_QNX_MusicTrackEnded();
// Music events of the media renderer: their event domain, and what one of them does.
int OVI_MediaRendererDomain(void);
namespace ovdev { struct bps_event_t; }
void HandleMMREvent(ovdev::bps_event_t *event);

#endif
