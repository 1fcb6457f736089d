// Control of the device layer's audio for tests and headless runs: how mixed output is
// consumed (real time or pumped frame by frame), the capture of that output, the log
// of every PCM write, mixer group values, the media renderer's track, and failures of
// the audio calls.
//
// Real-time mode (the default after every backend selection): while any sub-channel
// or renderer connection is open, a layer thread consumes 22050 frames per second, so
// queues drain and tracks advance as on a device. Manual mode: nothing is consumed
// until a test calls mix_audio. Selecting a backend resets all of this.
#ifndef OVDEV_HEADLESS_AUDIO_H
#define OVDEV_HEADLESS_AUDIO_H

#include <cstdint>
#include <string>
#include <vector>

namespace ovdev {
namespace headless {

enum class AudioMode { RealTime, Manual, Device };

// One call of snd_pcm_plugin_write as the sub-channel saw it.
struct PcmWrite {
    int subchannel = 0;     // 1..12, in opening order of free slots
    std::string group;      // the sub-channel's mixer group name
    int requested = 0;      // bytes offered
    int accepted = 0;       // bytes taken (negative: the call failed)
    std::vector<uint8_t> data;  // the bytes taken, kept only while capture is on
};

// Chooses real-time or manual consumption (not while the desktop device is in use);
// false for AudioMode::Device or when a desktop backend owns the output.
bool set_audio_mode(AudioMode mode);
AudioMode audio_mode();
// Manual mode: mixes exactly frames frames (into the capture when it is on); returns
// the frames mixed, 0 in the other modes.
int mix_audio(int frames);

// Capture of mixed output (interleaved stereo) and of the written bytes; off at start.
void set_audio_capture(bool on);
std::vector<int16_t> captured_audio();
void clear_captured_audio();

// The PCM writes since the last reset or clear, oldest first (at most 20000 kept; only
// while calls are recorded, see set_recording in headless.h).
std::vector<PcmWrite> pcm_writes();
void clear_pcm_writes();
// Open sub-channels, and the queued bytes of one (-1 when it is not open).
int open_subchannels();
int queued_bytes(int subchannel);
// The front-left value of the mixer group of that name, -1 when no sub-channel has it.
int mixer_group_value(const std::string &group);

// The renderer's track: the URL of the track attached to the first context that has
// one ("" when none), whether it plays, and its output volume (0..100).
std::string music_url();
bool music_playing();
int music_volume();
// Ends the playing track now as the renderer would: STOPPED with this error code (0 =
// a clean end). False when no track plays.
bool end_music_track(int error_code);

// Makes the next count calls of the named audio call fail (errno EIO, a failure result)
// without effect; 0 disarms. False for names not in failable_audio_calls().
bool fail_audio(const std::string &call, int count);
const std::vector<std::string> &failable_audio_calls();

}  // namespace headless
}  // namespace ovdev

#endif
