// PCM playback and mixer calls of our device layer: up to 12 playback sub-channels
// (mono or stereo signed 16-bit at 22050 Hz) that one software mixer sums into the
// device's stereo output, each with a mixer group that sets its gain.
//
// Rules callers rely on:
// - a sub-channel is opened, given its parameters, prepared, then written; playback
//   starts with the first accepted write;
// - the queue holds kQueueBytes; a write takes what fits, in whole fragments when it
//   does not all fit, and never blocks; the rest is for a later write;
// - a running sub-channel whose queue the mixer drained reports UNDERRUN; it must be
//   prepared again before it takes more data;
// - playback drain stops at once, discards the queue and leaves the sub-channel READY;
// - mixer groups range 0..100. Gain law (amplitude): 0 at or below 50, else
//   (value - 50) / 50; so the group's middle is silent and its maximum is unity gain;
// - snd_pcm_close and snd_mixer_close accept null; snd_mixer_read is thread-safe.
// Failures return a negative errno value. Every name lives in ovdev: Linux's own
// libasound defines some of the same C names.
#ifndef OVDEV_ASOUND_H
#define OVDEV_ASOUND_H

#include <cstddef>
#include <cstdint>

namespace ovdev {

struct snd_pcm_t;    // opaque: one opened playback sub-channel
struct snd_mixer_t;  // opaque: one opened mixer

enum {
    SND_PCM_OPEN_PLAYBACK = 1,
    SND_PCM_CHANNEL_PLAYBACK = 0,

    SND_PCM_MODE_BLOCK = 1,
    SND_PCM_SFMT_S16_LE = 4,
    SND_PCM_START_FULL = 1,   // accepted; playback starts with the first write in any case
    SND_PCM_STOP_STOP = 1,    // a drained queue stops the sub-channel (UNDERRUN)
    PLUGIN_DISABLE_MMAP = 2,  // the only transfer this layer has is write

    // Sub-channel states reported by snd_pcm_plugin_status.
    SND_PCM_STATUS_NOTREADY = 0,  // opened, no parameters yet
    SND_PCM_STATUS_READY = 1,     // parameters set, or drained: prepare before writing
    SND_PCM_STATUS_PREPARED = 2,  // takes writes; the first one starts playback
    SND_PCM_STATUS_RUNNING = 3,   // the mixer consumes the queue
    SND_PCM_STATUS_UNDERRUN = 4,  // the queue ran dry while running

    SND_MIXER_CHN_MASK_FRONT_LEFT = 1,
    SND_MIXER_CHN_MASK_FRONT_RIGHT = 2,
};

struct snd_pcm_format_t {
    int interleave;  // 1 = interleaved samples
    int format;      // SND_PCM_SFMT_S16_LE is the only one
    int rate;        // 22050 is the only one
    int voices;      // 1 or 2
};

// What a sub-channel can do (snd_pcm_plugin_info).
struct snd_pcm_channel_info_t {
    int channel;
    int min_rate, max_rate;
    int min_voices, max_voices;
    int min_fragment_size, max_fragment_size;
    int max_buffer_size;  // the queue size in bytes
};

struct snd_pcm_channel_params_t {
    int channel;
    int mode;  // SND_PCM_MODE_BLOCK
    snd_pcm_format_t format;
    int start_mode;
    int stop_mode;
    struct {
        struct {
            int frag_size;  // bytes; clamped to the sub-channel's fragment range
            int frags_min;
            int frags_max;
        } block;
    } buf;
    char sw_mixer_subchn_name[32];  // the name of the sub-channel's mixer group
};

struct snd_mixer_gid_t {
    int type;
    char name[32];
    int index;
};

// What the sub-channel was set up with (snd_pcm_plugin_setup); when mixer_gid is set,
// the sub-channel's mixer group id is written there.
struct snd_pcm_channel_setup_t {
    int channel;
    int mode;
    snd_pcm_format_t format;
    struct {
        struct {
            int frag_size;
            int frags;
            int frags_min;
            int frags_max;
        } block;
    } buf;
    int mixer_device;
    snd_mixer_gid_t *mixer_gid;
};

struct snd_pcm_channel_status_t {
    int channel;
    int status;    // SND_PCM_STATUS_*
    int count;     // bytes waiting in the queue
    int underrun;  // how often the queue ran dry
};

struct snd_mixer_group_t {
    snd_mixer_gid_t gid;
    unsigned channels;  // SND_MIXER_CHN_MASK_* of the voices the group has
    int min, max;       // 0 and 100
    union {
        int values[2];
        struct {
            int front_left;
            int front_right;
        } names;
    } volume;
};

struct snd_mixer_callbacks_t {
    void *private_data;
    void (*group)(void *private_data, int cmd, snd_mixer_gid_t *gid);
};

// Opens a free playback sub-channel (mode SND_PCM_OPEN_PLAYBACK); card and device, when
// given, receive the numbers to open its mixer with. -EBUSY when all 12 are open.
int snd_pcm_open_preferred(snd_pcm_t **handle, int *card, int *device, int mode);
// Closes a sub-channel; its queued data are dropped. Null is accepted.
int snd_pcm_close(snd_pcm_t *handle);
// Disables plugin features (PLUGIN_DISABLE_MMAP); always succeeds on an open handle.
int snd_pcm_plugin_set_disable(snd_pcm_t *handle, unsigned what);
// Non-blocking writes on or off (writes never block here either way).
int snd_pcm_nonblock_mode(snd_pcm_t *handle, int on);
// Fills what the sub-channel supports.
int snd_pcm_plugin_info(snd_pcm_t *handle, snd_pcm_channel_info_t *info);
// Sets format, fragment size and mixer group name; the sub-channel becomes READY.
int snd_pcm_plugin_params(snd_pcm_t *handle, snd_pcm_channel_params_t *params);
// Makes a READY or UNDERRUN sub-channel PREPARED, dropping what is queued.
int snd_pcm_plugin_prepare(snd_pcm_t *handle, int channel);
// Reports the set-up in effect and the sub-channel's mixer group.
int snd_pcm_plugin_setup(snd_pcm_t *handle, snd_pcm_channel_setup_t *setup);
// Queues up to size bytes; returns the bytes taken, or -1 with errno EPIPE when the
// sub-channel is not PREPARED or RUNNING (and EINVAL for bad arguments).
int snd_pcm_plugin_write(snd_pcm_t *handle, const void *data, std::size_t size);
// State and queued byte count of the sub-channel.
int snd_pcm_plugin_status(snd_pcm_t *handle, snd_pcm_channel_status_t *status);
// Stops playback at once and discards the queue; the sub-channel becomes READY.
int snd_pcm_plugin_playback_drain(snd_pcm_t *handle);

// Opens the mixer of a card and device from snd_pcm_open_preferred / setup.
int snd_mixer_open(snd_mixer_t **handle, int card, int device);
// Closes a mixer; null is accepted.
int snd_mixer_close(snd_mixer_t *handle);
// Takes the change notices pending for this handle, calling callbacks->group for each
// when given; returns how many there were. Safe from any thread.
int snd_mixer_read(snd_mixer_t *handle, snd_mixer_callbacks_t *callbacks);
// Reads the group named by group->gid.name; -ENOENT when no sub-channel has it.
int snd_mixer_group_read(snd_mixer_t *handle, snd_mixer_group_t *group);
// Writes the group's volume (clamped to 0..100); every open mixer gets a notice.
int snd_mixer_group_write(snd_mixer_t *handle, const snd_mixer_group_t *group);

}  // namespace ovdev

#endif
