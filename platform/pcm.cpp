// The PCM playback and mixer calls (asound.h) on the device layer's 12 sub-channels.
// Control calls go to the call log; writes, status reads and mixer reads, which the
// engine's audio thread makes continuously, go to the PCM write log instead.
#include "platform/asound.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/audio_core.h"
#include "platform/call_trace.h"

namespace ovdev {
namespace {

using detail::Audio;
using detail::AudioState;
using detail::PcmChannel;

std::string PcmText(const snd_pcm_t *h) { return h ? "pcm" + std::to_string(h->slot) : "null"; }
std::string MixerText(const snd_mixer_t *h) { return h ? "mixer" + std::to_string(h->id) : "null"; }

void Record(const char *name, const std::string &args) {
    if (detail::Recording()) detail::RecordCall(name, args);
}

// The open sub-channel behind a handle (caller holds the audio lock), or null.
PcmChannel *Channel(AudioState &a, const snd_pcm_t *h) {
    if (!h || h->slot < 1 || h->slot > detail::kPcmSubchannels) return nullptr;
    PcmChannel &ch = a.pcm[h->slot - 1];
    return ch.open ? &ch : nullptr;
}

bool MixerOpen(AudioState &a, const snd_mixer_t *h) { return h && a.mixer_notices.count(h->id) > 0; }

PcmChannel *GroupChannel(AudioState &a, const char *name) {
    for (PcmChannel &ch : a.pcm)
        if (ch.open && !ch.group_name.empty() && ch.group_name == name) return &ch;
    return nullptr;
}

}  // namespace

int snd_pcm_open_preferred(snd_pcm_t **handle, int *card, int *device, int mode) {
    Record("snd_pcm_open_preferred", detail::Args(mode));
    if (detail::ConsumeAudioFailure("snd_pcm_open_preferred")) return -EIO;
    if (!handle || mode != SND_PCM_OPEN_PLAYBACK) return -EINVAL;
    AudioState &a = Audio();
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        int slot = 0;
        for (int i = 0; i < detail::kPcmSubchannels && !slot; ++i)
            if (!a.pcm[i].open) slot = i + 1;
        if (!slot) return -EBUSY;
        a.pcm[slot - 1] = PcmChannel();
        a.pcm[slot - 1].open = true;
        char name[32];
        std::snprintf(name, sizeof name, "PCM Subchannel %d", slot);
        a.pcm[slot - 1].group_name = name;
        *handle = new snd_pcm_t{slot};
    }
    if (card) *card = 0;
    if (device) *device = 0;
    detail::AddAudioUser();
    return 0;
}

int snd_pcm_close(snd_pcm_t *handle) {
    Record("snd_pcm_close", PcmText(handle));
    if (!handle) return 0;
    AudioState &a = Audio();
    bool was_open = false;
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        if (PcmChannel *ch = Channel(a, handle)) {
            *ch = PcmChannel();
            was_open = true;
        }
    }
    delete handle;
    if (was_open) detail::RemoveAudioUser();
    return 0;
}

int snd_pcm_plugin_set_disable(snd_pcm_t *handle, unsigned what) {
    Record("snd_pcm_plugin_set_disable", PcmText(handle) + ", " + std::to_string(what));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    return Channel(a, handle) ? 0 : -EINVAL;
}

int snd_pcm_nonblock_mode(snd_pcm_t *handle, int on) {
    Record("snd_pcm_nonblock_mode", PcmText(handle) + ", " + std::to_string(on));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    return Channel(a, handle) ? 0 : -EINVAL;
}

int snd_pcm_plugin_info(snd_pcm_t *handle, snd_pcm_channel_info_t *info) {
    Record("snd_pcm_plugin_info", PcmText(handle));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    if (!Channel(a, handle) || !info) return -EINVAL;
    const int channel = info->channel;
    std::memset(info, 0, sizeof *info);
    info->channel = channel;
    info->min_rate = info->max_rate = detail::kMixRate;
    info->min_voices = 1;
    info->max_voices = 2;
    info->min_fragment_size = detail::kMinFragmentBytes;
    info->max_fragment_size = detail::kMaxFragmentBytes;
    info->max_buffer_size = detail::kQueueBytes;
    return 0;
}

int snd_pcm_plugin_params(snd_pcm_t *handle, snd_pcm_channel_params_t *params) {
    Record("snd_pcm_plugin_params",
           params ? PcmText(handle) + ", " + detail::Args(params->format.format, params->format.rate,
                                                          params->format.voices, params->buf.block.frag_size,
                                                          static_cast<const char *>(params->sw_mixer_subchn_name))
                  : PcmText(handle) + ", null");
    if (detail::ConsumeAudioFailure("snd_pcm_plugin_params")) return -EIO;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    PcmChannel *ch = Channel(a, handle);
    if (!ch || !params || params->channel != SND_PCM_CHANNEL_PLAYBACK) return -EINVAL;
    const snd_pcm_format_t &f = params->format;
    if (f.format != SND_PCM_SFMT_S16_LE || f.rate != detail::kMixRate || f.voices < 1 || f.voices > 2)
        return -EINVAL;
    int frag = params->buf.block.frag_size;
    frag = std::clamp(frag, detail::kMinFragmentBytes, detail::kMaxFragmentBytes) & ~3;
    ch->voices = f.voices;
    ch->frag_size = frag;
    char name[sizeof params->sw_mixer_subchn_name + 1];
    std::memcpy(name, params->sw_mixer_subchn_name, sizeof params->sw_mixer_subchn_name);
    name[sizeof params->sw_mixer_subchn_name] = 0;
    if (name[0]) ch->group_name = name;
    ch->queue.clear();
    ch->state = SND_PCM_STATUS_READY;
    return 0;
}

int snd_pcm_plugin_prepare(snd_pcm_t *handle, int channel) {
    Record("snd_pcm_plugin_prepare", PcmText(handle) + ", " + std::to_string(channel));
    if (detail::ConsumeAudioFailure("snd_pcm_plugin_prepare")) return -EIO;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    PcmChannel *ch = Channel(a, handle);
    if (!ch || channel != SND_PCM_CHANNEL_PLAYBACK || ch->state == SND_PCM_STATUS_NOTREADY) return -EINVAL;
    ch->queue.clear();
    ch->state = SND_PCM_STATUS_PREPARED;
    return 0;
}

int snd_pcm_plugin_setup(snd_pcm_t *handle, snd_pcm_channel_setup_t *setup) {
    Record("snd_pcm_plugin_setup", PcmText(handle));
    if (detail::ConsumeAudioFailure("snd_pcm_plugin_setup")) return -EIO;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    PcmChannel *ch = Channel(a, handle);
    if (!ch || !setup || ch->state == SND_PCM_STATUS_NOTREADY) return -EINVAL;
    snd_mixer_gid_t *gid = setup->mixer_gid;
    const int channel = setup->channel;
    std::memset(setup, 0, sizeof *setup);
    setup->channel = channel;
    setup->mode = SND_PCM_MODE_BLOCK;
    setup->format = {1, SND_PCM_SFMT_S16_LE, detail::kMixRate, ch->voices};
    setup->buf.block.frag_size = ch->frag_size;
    setup->buf.block.frags = detail::kQueueBytes / ch->frag_size;
    setup->buf.block.frags_min = 1;
    setup->buf.block.frags_max = detail::kQueueBytes / ch->frag_size;
    setup->mixer_device = 0;
    setup->mixer_gid = gid;
    if (gid) {
        std::memset(gid, 0, sizeof *gid);
        std::snprintf(gid->name, sizeof gid->name, "%s", ch->group_name.c_str());
    }
    return 0;
}

int snd_pcm_plugin_write(snd_pcm_t *handle, const void *data, std::size_t size) {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    PcmChannel *ch = Channel(a, handle);
    int accepted = -1;
    if (!ch || (!data && size > 0)) {
        errno = EINVAL;
    } else if (ch->state != SND_PCM_STATUS_PREPARED && ch->state != SND_PCM_STATUS_RUNNING) {
        errno = EPIPE;
    } else {
        const std::size_t space = detail::kQueueBytes - ch->queue.size();
        std::size_t take = size <= space ? size : space / ch->frag_size * ch->frag_size;
        const uint8_t *bytes = static_cast<const uint8_t *>(data);
        ch->queue.insert(ch->queue.end(), bytes, bytes + take);
        if (take > 0 && ch->state == SND_PCM_STATUS_PREPARED) ch->state = SND_PCM_STATUS_RUNNING;
        accepted = static_cast<int>(take);
    }
    if (ch && detail::Recording()) {
        headless::PcmWrite w;
        w.subchannel = handle->slot;
        w.group = ch->group_name;
        w.requested = static_cast<int>(size);
        w.accepted = accepted;
        if (a.capture && accepted > 0) {
            const uint8_t *bytes = static_cast<const uint8_t *>(data);
            w.data.assign(bytes, bytes + accepted);
        }
        a.writes.push_back(std::move(w));
        if (a.writes.size() > detail::kMaxWrites) a.writes.pop_front();
    }
    return accepted;
}

int snd_pcm_plugin_status(snd_pcm_t *handle, snd_pcm_channel_status_t *status) {
    if (detail::ConsumeAudioFailure("snd_pcm_plugin_status")) return -EIO;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    PcmChannel *ch = Channel(a, handle);
    if (!ch || !status) return -EINVAL;
    const int channel = status->channel;
    std::memset(status, 0, sizeof *status);
    status->channel = channel;
    status->status = ch->state;
    status->count = static_cast<int>(ch->queue.size());
    status->underrun = ch->underruns;
    return 0;
}

int snd_pcm_plugin_playback_drain(snd_pcm_t *handle) {
    Record("snd_pcm_plugin_playback_drain", PcmText(handle));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    PcmChannel *ch = Channel(a, handle);
    if (!ch) return -EINVAL;
    ch->queue.clear();
    if (ch->state != SND_PCM_STATUS_NOTREADY) ch->state = SND_PCM_STATUS_READY;
    return 0;
}

int snd_mixer_open(snd_mixer_t **handle, int card, int device) {
    Record("snd_mixer_open", detail::Args(card, device));
    if (detail::ConsumeAudioFailure("snd_mixer_open")) return -EIO;
    if (!handle || card != 0 || device != 0) return -EINVAL;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    const int id = a.next_id++;
    a.mixer_notices[id] = 0;
    *handle = new snd_mixer_t{id};
    return 0;
}

int snd_mixer_close(snd_mixer_t *handle) {
    Record("snd_mixer_close", MixerText(handle));
    if (!handle) return 0;
    AudioState &a = Audio();
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        a.mixer_notices.erase(handle->id);
    }
    delete handle;
    return 0;
}

int snd_mixer_read(snd_mixer_t *handle, snd_mixer_callbacks_t *callbacks) {
    AudioState &a = Audio();
    int pending = 0;
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        if (!MixerOpen(a, handle)) return -EINVAL;
        pending = a.mixer_notices[handle->id];
        a.mixer_notices[handle->id] = 0;
    }
    if (callbacks && callbacks->group)
        for (int i = 0; i < pending; ++i) callbacks->group(callbacks->private_data, 0, nullptr);
    return pending;
}

int snd_mixer_group_read(snd_mixer_t *handle, snd_mixer_group_t *group) {
    Record("snd_mixer_group_read", MixerText(handle) + ", " +
                                       (group ? detail::ArgText(static_cast<const char *>(group->gid.name)) : "null"));
    if (detail::ConsumeAudioFailure("snd_mixer_group_read")) return -EIO;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    if (!MixerOpen(a, handle) || !group) return -EINVAL;
    group->gid.name[sizeof group->gid.name - 1] = 0;
    PcmChannel *ch = GroupChannel(a, group->gid.name);
    if (!ch) return -ENOENT;
    group->channels = SND_MIXER_CHN_MASK_FRONT_LEFT | SND_MIXER_CHN_MASK_FRONT_RIGHT;
    group->min = 0;
    group->max = detail::kGroupMax;
    group->volume.names.front_left = ch->group_left;
    group->volume.names.front_right = ch->group_right;
    return 0;
}

int snd_mixer_group_write(snd_mixer_t *handle, const snd_mixer_group_t *group) {
    Record("snd_mixer_group_write",
           MixerText(handle) + ", " +
               (group ? detail::Args(static_cast<const char *>(group->gid.name), group->volume.names.front_left,
                                     group->volume.names.front_right)
                      : std::string("null")));
    if (detail::ConsumeAudioFailure("snd_mixer_group_write")) return -EIO;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    if (!MixerOpen(a, handle) || !group) return -EINVAL;
    char name[sizeof group->gid.name + 1];
    std::memcpy(name, group->gid.name, sizeof group->gid.name);
    name[sizeof group->gid.name] = 0;
    PcmChannel *ch = GroupChannel(a, name);
    if (!ch) return -ENOENT;
    ch->group_left = std::clamp(group->volume.names.front_left, 0, detail::kGroupMax);
    ch->group_right = std::clamp(group->volume.names.front_right, 0, detail::kGroupMax);
    for (auto &notice : a.mixer_notices) notice.second++;
    return 0;
}

}  // namespace ovdev
