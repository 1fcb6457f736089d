// The audio state of the device layer, shared by the PCM, mixer and media-renderer
// calls and the output sinks: the 12 playback sub-channels, the media contexts, the
// software mixer that sums them into 22050 Hz stereo 16-bit frames, the sink that
// consumes those frames (a real-time thread, a test's manual pumping or an SDL audio
// device), the capture of mixed output and the log of PCM writes. Internal.
#ifndef OVDEV_AUDIO_CORE_H
#define OVDEV_AUDIO_CORE_H

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/asound.h"
#include "platform/headless_audio.h"
#include "platform/mmrenderer.h"

namespace ovdev {

struct snd_pcm_t {
    int slot = 0;  // 1..12; 0 once closed
};

struct snd_mixer_t {
    int id = 0;
};

struct mmr_connection_t {
    int id = 0;
};

struct mmr_context_t {
    int id = 0;
};

struct strm_dict_t {
    std::map<std::string, std::string> values;
};

namespace detail {

constexpr int kMixRate = 22050;
constexpr int kMaxFragmentBytes = 2048;
constexpr int kMinFragmentBytes = 256;
constexpr int kQueueBytes = 16384;
constexpr int kPcmSubchannels = 12;
constexpr int kGroupMax = 100;

// Amplitude factor of a mixer group value (the law documented in asound.h).
float GroupGain(int value);
// Amplitude factor of a media output's "volume" (the taper documented in
// mmrenderer.h): silent up to 40, rising to unity at 80, unity above.
constexpr int kTrackSilentBelow = 40;
constexpr int kTrackUnityFrom = 80;
float TrackGain(int volume);

// A decoded track: stereo 16-bit frames at kMixRate.
class TrackDecoder {
public:
    virtual ~TrackDecoder() = default;
    // Fills up to frames frames; returns how many, 0 at the end, -1 on a decoding error.
    virtual int Read(int16_t *stereo, int frames) = 0;
};
// Opens the MP3 file at path for decoding; null (and why) when it cannot be decoded.
std::unique_ptr<TrackDecoder> OpenTrack(const std::string &path, std::string *error);

// Consumes mixed frames while audio is in use.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Audio came into use (first sub-channel or connection opened) / went out of use.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual headless::AudioMode Mode() const = 0;
};
// Real-time consumption by a layer thread (the headless default) and manual pumping.
std::unique_ptr<AudioSink> MakeRealTimeSink();
std::unique_ptr<AudioSink> MakeManualSink();

struct PcmChannel {
    bool open = false;
    int state = SND_PCM_STATUS_NOTREADY;
    int voices = 1;
    int frag_size = kMaxFragmentBytes;
    std::string group_name;
    int group_left = kGroupMax, group_right = kGroupMax;
    std::deque<uint8_t> queue;
    int underruns = 0;
};

struct MediaContext {
    std::unique_ptr<mmr_context_t> handle;
    mmr_connection_t *connection = nullptr;
    std::string name;
    int state = MMR_STATE_IDLE;
    bool output = false;
    int volume = 100;
    std::string url, path;  // the attached track
    std::unique_ptr<TrackDecoder> decoder;
};

struct AudioState {
    std::mutex mutex;  // guards everything below; never held while calling the sink
    std::array<PcmChannel, kPcmSubchannels> pcm;
    std::map<int, int> mixer_notices;  // open mixer id -> pending change notices
    std::vector<std::unique_ptr<MediaContext>> contexts;
    std::vector<std::unique_ptr<mmr_connection_t>> connections;
    std::map<int, std::string> event_requests;  // request id -> context name
    int next_id = 1;

    bool capture = false;
    std::vector<int16_t> captured;
    std::deque<headless::PcmWrite> writes;
    std::map<std::string, int> failures;

    std::mutex sink_mutex;  // serialises sink changes; taken before mutex, never inside it
    std::unique_ptr<AudioSink> sink;
    int users = 0;  // open sub-channels and connections
};

// The one audio state of the process.
AudioState &Audio();
// Mixes frames stereo frames into out (interleaved) and advances every running queue
// and playing track; queues the renderer's end-of-track events. Any thread.
void MixAudio(int16_t *out, int frames);
// One more / one less user of audio; starts or stops the sink at the edges.
void AddAudioUser();
void RemoveAudioUser();
// Replaces the sink (stopping the old one, starting the new one while audio is in use).
void SetAudioSink(std::unique_ptr<AudioSink> sink);
// Closes every sub-channel, mixer, context and connection; clears capture, write log,
// failures; restores the real-time sink. Part of resetting the device layer.
void ResetAudio();
// True (and one failure used up, errno EIO) when a failure is armed for this call.
bool ConsumeAudioFailure(const char *name);
// Queues a state event of the context when its events were requested (caller holds
// the audio lock; the events go out through PushEvent, which takes other locks only).
void QueueMediaEvent(const MediaContext &context, int state, int error_code);

constexpr std::size_t kMaxWrites = 20000;
constexpr std::size_t kMaxCapturedSamples = static_cast<std::size_t>(kMixRate) * 2 * 300;

}  // namespace detail
}  // namespace ovdev

#endif
