// The PCM channels of the platform sound implementation: opening and closing them,
// the "QNX audio" thread and its feeding passes, channel look-up by play id, and the
// volume steps that turn a channel volume into its mixer group's value.
#include "audio/soundimp-qnx.h"
#include "core/ov_state.h"

#include <sched.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

using namespace ovdev;

namespace {

const int kRate = 22050;
const int kWriteBytes = 8820;  // 0.2 seconds of mono 16-bit audio at 22050 Hz

// A real pause of the audio thread: its idle time is not engine time.
void IdlePause(long microseconds)
{
    struct timespec ts = {0, microseconds * 1000};
    nanosleep(&ts, nullptr);
}

// An idle channel is held for 500 ms after its play ended; one that never carried a
// play has nothing to hold and is free from the start of the run.
bool IdleAndFree(const ovSoundChannel *ch)
{
    return !ch->playing && (!ch->ended_a_play || OV_GetTime() - ch->last_activity > 499);
}

// The play on the channel is over (ended or stopped) as of now.
void MarkEnded(ovSoundChannel *ch)
{
    ch->last_activity = OV_GetTime();
    ch->ended_a_play = true;
}

// The engine's shutdown request, set on the main thread while this thread runs.
bool ShutdownRequested()
{
    return __atomic_load_n(&ov_state.shutdown_requested, __ATOMIC_ACQUIRE) != 0;
}

void AudioThread(void *arg)
{
    SoundImpQNX *imp = (SoundImpQNX *)arg;
    // Ends on the engine's shutdown request (so that the engine's wait for its threads
    // sees it go) or when Shutdown asks. Shutdown waits for thread_alive to clear before
    // the channels and the mutex go, whatever ended the loop.
    while (!ShutdownRequested() && !imp->stop_thread) {
        int written = imp->FeedChannels();
        imp->passes++;
        if (written > 0)
            sched_yield();
        else
            imp->IdleWait(imp->idle_wait_ms);  // every queue full or every play paused
    }
    imp->thread_alive = false;
}

}  // namespace

bool ovSoundChannel::Feed(int *written)
{
    ovSample *s = sample;
    if (!s || !playing)
        return false;
    snd_mixer_read(mixer, nullptr);
    if (paused)
        return true;
    OV_LockMutex(mutex);
    s = sample;
    if (!s || !playing) {
        Unlock();
        return false;
    }
    if (position >= s->size) {
        // Looping may be set after the whole buffer was written (a play made looping
        // a frame after it started): the next pass writes it again from its start.
        if (looping)
            position = 0;
        Unlock();
        return false;
    }
    int chunk = s->size - position;
    if (chunk > write_size)
        chunk = write_size;
    int n = snd_pcm_plugin_write(pcm, s->buffer + position, (size_t)chunk);
    if (n < 0)
        n = 0;
    position += n;
    *written += n;
    if (n < chunk) {
        snd_pcm_channel_status_t status;
        memset(&status, 0, sizeof status);
        status.channel = SND_PCM_CHANNEL_PLAYBACK;
        if (snd_pcm_plugin_status(pcm, &status) < 0) {
            fprintf(stderr, "underrun: playback channel status error\n");
            Unlock();
            return true;
        }
        if (status.status == SND_PCM_STATUS_READY || status.status == SND_PCM_STATUS_UNDERRUN) {
            if (snd_pcm_plugin_prepare(pcm, SND_PCM_CHANNEL_PLAYBACK) < 0) {
                fprintf(stderr, "underrun: playback channel prepare error\n");
                Unlock();
                return true;
            }
        }
        int m = snd_pcm_plugin_write(pcm, s->buffer + position, (size_t)(chunk - n));
        if (m < 0)
            m = 0;
        position += m;
        *written += m;
    }
    if (looping && position >= s->size)
        position = 0;
    Unlock();
    return true;
}

void ovSoundChannel::Unlock()
{
    OV_UnlockMutex(mutex);
}

bool SoundImpQNX::OpenChannel(ovSoundChannel *ch)
{
    int device = 0;
    if (snd_pcm_open_preferred(&ch->pcm, &ch->card, &device, SND_PCM_OPEN_PLAYBACK) < 0)
        return false;
    snd_pcm_plugin_set_disable(ch->pcm, PLUGIN_DISABLE_MMAP);
    snd_pcm_nonblock_mode(ch->pcm, 1);
    ch->info.channel = SND_PCM_CHANNEL_PLAYBACK;
    if (snd_pcm_plugin_info(ch->pcm, &ch->info) < 0)
        return false;

    snd_pcm_channel_params_t &p = ch->params;
    memset(&p, 0, sizeof p);
    p.channel = SND_PCM_CHANNEL_PLAYBACK;
    p.mode = SND_PCM_MODE_BLOCK;
    p.format.interleave = 1;
    p.format.format = SND_PCM_SFMT_S16_LE;
    p.format.rate = kRate;
    p.format.voices = 1;
    p.start_mode = SND_PCM_START_FULL;
    p.stop_mode = SND_PCM_STOP_STOP;
    p.buf.block.frag_size = ch->info.max_fragment_size;
    p.buf.block.frags_min = 1;
    p.buf.block.frags_max = -1;
    snprintf(p.sw_mixer_subchn_name, sizeof p.sw_mixer_subchn_name, "ovChannel%.2d", ch->number);
    if (snd_pcm_plugin_params(ch->pcm, &p) < 0)
        return false;
    if (snd_pcm_plugin_prepare(ch->pcm, SND_PCM_CHANNEL_PLAYBACK) < 0)
        return false;

    memset(&ch->setup, 0, sizeof ch->setup);
    memset(&ch->group, 0, sizeof ch->group);
    ch->setup.channel = SND_PCM_CHANNEL_PLAYBACK;
    ch->setup.mixer_gid = &ch->group.gid;
    if (snd_pcm_plugin_setup(ch->pcm, &ch->setup) < 0 || !ch->group.gid.name[0])
        return false;
    if (snd_mixer_open(&ch->mixer, ch->card, ch->setup.mixer_device) < 0)
        return false;
    ch->fragment_size = ch->setup.buf.block.frag_size;
    if (ch->fragment_size <= 0 || ch->fragment_size > kWriteBytes)
        return false;
    ch->write_size = kWriteBytes / ch->fragment_size * ch->fragment_size;
    return true;
}

void SoundImpQNX::CloseChannel(ovSoundChannel *ch)
{
    OV_LockMutex(mutex);
    StopChannelLocked(ch);
    snd_mixer_close(ch->mixer);
    ch->mixer = nullptr;
    snd_pcm_close(ch->pcm);
    ch->pcm = nullptr;
    OV_UnlockMutex(mutex);
    delete ch;
}

// Stops the channel's play (caller holds the mutex); the next pass makes it idle.
void SoundImpQNX::StopChannelLocked(ovSoundChannel *ch)
{
    if (!ch->pcm || !ch->mixer)
        return;
    ch->looping = false;
    ch->play_id = 0;
    if (ovSample *s = ch->sample) {
        snd_pcm_plugin_playback_drain(ch->pcm);
        ch->queued_bytes = 0;
        ch->position = s->size;
    }
    ch->sample = nullptr;
}

// Puts a sample of matching format on the channel from its start.
void SoundImpQNX::StartOnChannel(ovSoundChannel *ch, ovSample *s)
{
    OV_LockMutex(mutex);
    ch->queued_bytes = 0;
    // Another channel may be playing the same sample: its size is read there without the
    // lock, so it is written only when the rounding changes it (the first play).
    const int rounded = s->size / ch->fragment_size * ch->fragment_size;
    if (rounded != s->size)
        s->size = rounded;
    ch->sample = s;
    ch->paused = false;
    ch->playing = true;
    ch->looping = false;
    ch->position = 0;
    OV_UnlockMutex(mutex);
    WakeAudioThread();
}

void SoundImpQNX::SetVolume(ovSoundChannel *ch, float volume)
{
    if (volume < 0.0f)
        volume = 0.0f;
    if (volume > 1.0f)
        volume = 1.0f;
    ch->volume = volume;
    const float v = volume * ov_qnx_master_volume;
    int level = (int)(v * 100);
    if (level > 0)
        level = (int)(level * 0.4) + 40;
    if (level == ch->last_level)
        return;
    ch->last_level = level;

    OV_LockMutex(mutex);
    snd_mixer_read(ch->mixer, nullptr);
    if (snd_mixer_group_read(ch->mixer, &ch->group) < 0) {
        OV_UnlockMutex(mutex);
        return;
    }
    float f = 0.5f + 0.5f * v;
    f = f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
    const int value = (int)(ch->group.min + (ch->group.max - ch->group.min) * f);
    ch->group.volume.names.front_left = value;
    ch->group.volume.names.front_right = value;
    if (snd_mixer_group_write(ch->mixer, &ch->group) == 0)
        snd_mixer_read(ch->mixer, nullptr);
    OV_UnlockMutex(mutex);
}

int SoundImpQNX::FeedChannels()
{
    int written = 0;
    if (!running)
        return 0;
    for (ovSoundChannel *ch : channels) {
        if (!ch->playing)
            continue;
        ovSample *s = ch->sample;
        if (!s) {
            ch->playing = false;
            MarkEnded(ch);
            continue;
        }
        if (ch->looping || ch->position < s->size) {
            ch->Feed(&written);
            continue;
        }
        snd_pcm_channel_status_t status;
        memset(&status, 0, sizeof status);
        status.channel = SND_PCM_CHANNEL_PLAYBACK;
        if (snd_pcm_plugin_status(ch->pcm, &status) < 0) {
            fprintf(stderr, "underrun: playback channel status error\n");
        } else {
            ch->last_status = status.status;
            ch->queued_bytes = status.count;
            if (ch->queued_bytes == 0 || status.status == SND_PCM_STATUS_READY ||
                status.status == SND_PCM_STATUS_UNDERRUN) {
                ch->sample = nullptr;
                ch->playing = false;
            }
        }
        if (!ch->playing)
            MarkEnded(ch);
        ch->Feed(&written);
    }
    return written;
}

ovSoundChannel *SoundImpQNX::GetFreeChannel()
{
    const int count = (int)channels.size();
    if (count == 0)
        return nullptr;
    if (++free_start >= count)
        free_start = 0;
    for (int k = 0; k < count; k++) {
        ovSoundChannel *ch = channels[(free_start + k) % count];
        if (IdleAndFree(ch))
            return ch;
    }
    return nullptr;
}

ovSoundChannel *SoundImpQNX::GetChannelById(long id)
{
    for (ovSoundChannel *ch : channels) {
        if (IdleAndFree(ch))
            continue;
        if (ch->play_id == id)
            return ch;
    }
    return nullptr;
}

void SoundImpQNX::StopAllChannels()
{
    OV_LockMutex(mutex);
    for (ovSoundChannel *ch : channels)
        StopChannelLocked(ch);
    OV_UnlockMutex(mutex);
}

void SoundImpQNX::WakeAudioThread()
{
    std::lock_guard<std::mutex> lock(wake_mutex);
    wake_pending = true;
    wake.notify_one();
}

void SoundImpQNX::IdleWait(int ms)
{
    std::unique_lock<std::mutex> lock(wake_mutex);
    wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return wake_pending; });
    wake_pending = false;
}

void SoundImpQNX::StopAudioThread()
{
    stop_thread = true;
    WakeAudioThread();
    // A thread that was created but has not run yet still comes by the loop condition,
    // so this wait always ends; it is not cut short, since the thread uses the channels
    // and the mutex until it clears the flag.
    for (int i = 1; thread_alive; i++) {
        IdlePause(1000);
        if (i % 5000 == 0)
            fprintf(stderr, "SoundImpQNX: still waiting for the audio thread to end\n");
    }
}

void SoundImpQNX::WaitForFeedingPass()
{
    if (!thread_alive)
        return;
    const unsigned start = passes;
    for (int i = 0; i < 500 && thread_alive && passes - start < 2; i++) {
        WakeAudioThread();
        IdlePause(1000);
    }
}

bool SoundImpQNX::Initialize(ov_state_t *, ov_parms_t *)
{
    // A thread still running (Initialize without Shutdown) ends before the channel array
    // changes under it, so that one thread feeds the channels and none keeps the stop
    // request of another.
    if (thread_alive)
        StopAudioThread();
    mutex = OV_GetMutex(nullptr);
    for (int i = 0; i < 12; i++) {
        ovSoundChannel *ch = new ovSoundChannel;
        ch->number = i + 1;
        ch->mutex = mutex;
        if (OpenChannel(ch)) {
            channels.push_back(ch);
            continue;
        }
        fprintf(stderr, "SoundImpQNX unable to open channel #%d\n", i);
        CloseChannel(ch);
    }
    // One thread feeds the channels, also after a re-initialisation.
    stop_thread = false;
    thread_alive = true;
    if (OV_CreateThread("QNX audio", AudioThread, this, 0) <= 0)
        thread_alive = false;
    if (!channels.empty()) {
        ovSoundChannel *last = channels.back();
        silence = new ovSample;
        silence->GenerateSilence(last->write_size, kRate);
        StartOnChannel(last, silence);
        SetVolume(last, 1.0f);
        last->looping = true;
    }
    StartMusicPlayer();
    running = true;
    return true;
}

void SoundImpQNX::Shutdown()
{
    running = false;
    // The audio thread goes before its channels and its mutex.
    StopAudioThread();
    StopAllChannels();
    for (ovSoundChannel *ch : channels)
        CloseChannel(ch);
    channels.clear();
    delete silence;
    silence = nullptr;
    StopMusicPlayer();
    OV_ReleaseMutex(mutex);
    mutex = nullptr;
    free_start = -1;
}
