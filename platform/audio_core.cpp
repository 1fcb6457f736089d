// The device layer's software mixer and its sinks: sums every running sub-channel
// queue (times its group gain, mono to both sides) and every playing track into
// 22050 Hz stereo 16-bit frames, and hands them to whoever consumes them.
#include "platform/audio_core.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <thread>

#include "platform/device.h"

namespace ovdev {
namespace detail {
namespace {

using Clock = std::chrono::steady_clock;

// Sums the running sub-channels into acc; a queue that runs dry stops its sub-channel.
void MixSubchannels(AudioState &a, float *acc, int frames) {
    for (PcmChannel &ch : a.pcm) {
        if (!ch.open || ch.state != SND_PCM_STATUS_RUNNING) continue;
        const float left = GroupGain(ch.group_left), right = GroupGain(ch.group_right);
        const std::size_t frame_bytes = ch.voices == 2 ? 4 : 2;
        for (int f = 0; f < frames; ++f) {
            if (ch.queue.size() < frame_bytes) {
                ch.state = SND_PCM_STATUS_UNDERRUN;
                ch.underruns++;
                break;
            }
            uint8_t b[4];
            for (std::size_t i = 0; i < frame_bytes; ++i) {
                b[i] = ch.queue.front();
                ch.queue.pop_front();
            }
            const int16_t l = static_cast<int16_t>(b[0] | (b[1] << 8));
            const int16_t r = ch.voices == 2 ? static_cast<int16_t>(b[2] | (b[3] << 8)) : l;
            acc[2 * f] += l * left;
            acc[2 * f + 1] += r * right;
        }
    }
}

// Adds the playing tracks; a track that ends or fails stops with its event.
void MixTracks(AudioState &a, float *acc, int frames) {
    std::vector<int16_t> buffer(static_cast<std::size_t>(frames) * 2);
    for (auto &context : a.contexts) {
        MediaContext &c = *context;
        if (c.state != MMR_STATE_PLAYING) continue;
        int got = 0, last = 0;
        while (c.decoder && got < frames) {
            last = c.decoder->Read(buffer.data() + 2 * got, frames - got);
            if (last <= 0) break;
            got += last;
        }
        const float gain = TrackGain(c.volume);
        for (int i = 0; i < 2 * got; ++i) acc[i] += buffer[i] * gain;
        if (got < frames) {
            const bool clean = c.decoder && last == 0;
            c.decoder.reset();
            c.state = MMR_STATE_STOPPED;
            QueueMediaEvent(c, MMR_STATE_STOPPED, clean ? MMR_ERROR_NONE : MMR_ERROR_MEDIA_CORRUPTED);
        }
    }
}

class ManualSink : public AudioSink {
public:
    void Start() override {}
    void Stop() override {}
    headless::AudioMode Mode() const override { return headless::AudioMode::Manual; }
};

// A layer thread that consumes kMixRate frames per second of the steady clock.
class RealTimeSink : public AudioSink {
public:
    ~RealTimeSink() override { Stop(); }

    void Start() override {
        if (thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = false;
        }
        thread_ = std::thread([this] { Run(); });
    }

    void Stop() override {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    headless::AudioMode Mode() const override { return headless::AudioMode::RealTime; }

private:
    void Run() {
        const Clock::time_point start = Clock::now();
        long long mixed = 0;
        std::vector<int16_t> out;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return stop_; });
            if (stop_) break;
            lock.unlock();
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
            long long due = us * kMixRate / 1000000 - mixed;
            while (due > 0) {
                const int n = static_cast<int>(std::min<long long>(due, 2048));
                out.resize(static_cast<std::size_t>(n) * 2);
                MixAudio(out.data(), n);
                mixed += n;
                due -= n;
            }
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

float GroupGain(int value) {
    if (value <= kGroupMax / 2) return 0.0f;
    if (value >= kGroupMax) return 1.0f;
    return static_cast<float>(value - kGroupMax / 2) / static_cast<float>(kGroupMax / 2);
}

float TrackGain(int volume) {
    if (volume <= kTrackSilentBelow) return 0.0f;
    if (volume >= kTrackUnityFrom) return 1.0f;
    return static_cast<float>(volume - kTrackSilentBelow) / static_cast<float>(kTrackUnityFrom - kTrackSilentBelow);
}

std::unique_ptr<AudioSink> MakeRealTimeSink() { return std::make_unique<RealTimeSink>(); }

std::unique_ptr<AudioSink> MakeManualSink() { return std::make_unique<ManualSink>(); }

AudioState &Audio() {
    // Never destroyed: sinks and the engine's audio thread may still run at exit.
    static AudioState *state = [] {
        auto *s = new AudioState;
        s->sink = MakeRealTimeSink();
        return s;
    }();
    return *state;
}

void MixAudio(int16_t *out, int frames) {
    if (frames <= 0) return;
    AudioState &a = Audio();
    std::vector<float> acc(static_cast<std::size_t>(frames) * 2, 0.0f);
    std::lock_guard<std::mutex> lock(a.mutex);
    MixSubchannels(a, acc.data(), frames);
    MixTracks(a, acc.data(), frames);
    for (std::size_t i = 0; i < acc.size(); ++i) {
        const long v = std::lround(acc[i]);
        out[i] = static_cast<int16_t>(std::clamp<long>(v, -32768, 32767));
    }
    if (a.capture && a.captured.size() + acc.size() <= kMaxCapturedSamples)
        a.captured.insert(a.captured.end(), out, out + acc.size());
}

void AddAudioUser() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.sink_mutex);
    if (++a.users == 1 && a.sink) a.sink->Start();
}

void RemoveAudioUser() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.sink_mutex);
    if (a.users > 0 && --a.users == 0 && a.sink) a.sink->Stop();
}

void SetAudioSink(std::unique_ptr<AudioSink> sink) {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.sink_mutex);
    if (a.sink && a.users > 0) a.sink->Stop();
    a.sink = std::move(sink);
    if (a.sink && a.users > 0) a.sink->Start();
}

void ResetAudio() {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> sink_lock(a.sink_mutex);
    if (a.sink && a.users > 0) a.sink->Stop();
    a.users = 0;
    std::unique_ptr<AudioSink> old;
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        for (PcmChannel &ch : a.pcm) ch = PcmChannel();
        a.mixer_notices.clear();
        a.contexts.clear();
        a.connections.clear();
        a.event_requests.clear();
        a.capture = false;
        a.captured.clear();
        a.captured.shrink_to_fit();
        a.writes.clear();
        a.failures.clear();
        old = std::move(a.sink);
    }
    old.reset();
    a.sink = MakeRealTimeSink();
}

bool ConsumeAudioFailure(const char *name) {
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    auto it = a.failures.find(name);
    if (it == a.failures.end()) return false;
    if (--it->second <= 0) a.failures.erase(it);
    errno = EIO;
    return true;
}

void QueueMediaEvent(const MediaContext &context, int state, int error_code) {
    AudioState &a = Audio();
    for (const auto &request : a.event_requests) {
        if (request.second != context.name) continue;
        RawEvent e;
        e.domain = DOMAIN_MEDIA_RENDERER;
        e.code = MMRENDERER_STATE_CHANGE;
        e.properties.push_back({MMRENDERER_PROPERTY_STATE, {state}});
        if (error_code >= 0) e.properties.push_back({MMRENDERER_PROPERTY_ERROR_CODE, {error_code}});
        e.properties.push_back({MMRENDERER_PROPERTY_REQUEST, {request.first}});
        PushEvent(e);
    }
}

}  // namespace detail
}  // namespace ovdev
