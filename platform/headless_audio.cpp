// The audio control functions for tests and headless runs (headless_audio.h).
#include "platform/headless_audio.h"

#include <algorithm>

#include "platform/audio_core.h"

namespace ovdev {
namespace headless {
namespace {

using detail::Audio;
using detail::AudioState;

detail::MediaContext *TrackContext(AudioState &a) {
    for (auto &c : a.contexts)
        if (!c->path.empty()) return c.get();
    return nullptr;
}

}  // namespace

bool set_audio_mode(AudioMode mode) {
    if (mode == AudioMode::Device || audio_mode() == AudioMode::Device) return false;
    if (audio_mode() == mode) return true;
    detail::SetAudioSink(mode == AudioMode::Manual ? detail::MakeManualSink() : detail::MakeRealTimeSink());
    return true;
}

AudioMode audio_mode() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.sink_mutex);
    return a.sink ? a.sink->Mode() : AudioMode::Manual;
}

int mix_audio(int frames) {
    if (frames <= 0 || audio_mode() != AudioMode::Manual) return 0;
    std::vector<int16_t> out;
    for (int left = frames; left > 0;) {
        const int n = std::min(left, 4096);
        out.resize(static_cast<std::size_t>(n) * 2);
        detail::MixAudio(out.data(), n);
        left -= n;
    }
    return frames;
}

void set_audio_capture(bool on) {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    a.capture = on;
}

std::vector<int16_t> captured_audio() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    return a.captured;
}

void clear_captured_audio() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    a.captured.clear();
}

std::vector<PcmWrite> pcm_writes() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    return std::vector<PcmWrite>(a.writes.begin(), a.writes.end());
}

void clear_pcm_writes() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    a.writes.clear();
}

int open_subchannels() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    return static_cast<int>(std::count_if(a.pcm.begin(), a.pcm.end(), [](const detail::PcmChannel &c) { return c.open; }));
}

int queued_bytes(int subchannel) {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    if (subchannel < 1 || subchannel > detail::kPcmSubchannels || !a.pcm[subchannel - 1].open) return -1;
    return static_cast<int>(a.pcm[subchannel - 1].queue.size());
}

int mixer_group_value(const std::string &group) {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    for (const detail::PcmChannel &c : a.pcm)
        if (c.open && c.group_name == group) return c.group_left;
    return -1;
}

std::string music_url() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    detail::MediaContext *c = TrackContext(a);
    return c ? c->url : std::string();
}

bool music_playing() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    detail::MediaContext *c = TrackContext(a);
    return c && c->state == MMR_STATE_PLAYING;
}

int music_volume() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    detail::MediaContext *c = TrackContext(a);
    return c ? c->volume : -1;
}

bool end_music_track(int error_code) {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    for (auto &c : a.contexts) {
        if (c->state != MMR_STATE_PLAYING) continue;
        c->decoder.reset();
        c->state = MMR_STATE_STOPPED;
        detail::QueueMediaEvent(*c, MMR_STATE_STOPPED, error_code < 0 ? 0 : error_code);
        return true;
    }
    return false;
}

bool fail_audio(const std::string &call, int count) {
    const std::vector<std::string> &names = failable_audio_calls();
    if (count < 0 || std::find(names.begin(), names.end(), call) == names.end()) return false;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    if (count == 0)
        a.failures.erase(call);
    else
        a.failures[call] = count;
    return true;
}

const std::vector<std::string> &failable_audio_calls() {
    static const std::vector<std::string> names = {
        "snd_pcm_open_preferred", "snd_pcm_plugin_params",   "snd_pcm_plugin_prepare", "snd_pcm_plugin_setup",
        "snd_pcm_plugin_status",  "snd_mixer_open",          "snd_mixer_group_read",   "snd_mixer_group_write",
        "mmr_connect",            "mmr_context_create",      "mmr_output_attach",      "mmr_input_attach",
        "mmr_play",               "mmrenderer_request_events",
    };
    return names;
}

}  // namespace headless
}  // namespace ovdev
