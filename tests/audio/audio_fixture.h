// Shared set-up of the audio tests: the engine on the headless device with the
// platform sound implementation up, mixed output pumped by hand, a fixed fake clock,
// WAV files written into res://, and helpers to follow one channel's PCM writes.
#ifndef TEST_AUDIO_FIXTURE_H
#define TEST_AUDIO_FIXTURE_H

#include "audio/sample.h"
#include "audio/sound.h"
#include "audio/soundimp-qnx.h"
#include "platform/device.h"
#include "platform/headless_audio.h"
#include "tests/support/engine_harness.h"

#include <functional>
#include <string>
#include <vector>

namespace audiotest {

namespace hl = ovdev::headless;

// The bytes of a WAV file: the canonical 44-byte header, then data (little-endian).
struct WavFormat {
    uint32_t fmt_size = 16;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    uint32_t byte_rate = 0;  // 0: rate x channels x bits / 8
    int64_t data_size = -1;  // -1: the size of data
};
std::vector<uint8_t> MakeWav(const WavFormat &format, const std::vector<uint8_t> &data);
// 16-bit samples as little-endian bytes.
std::vector<uint8_t> Pcm16(const std::vector<int16_t> &samples);
// n samples of a ramp that never repeats a value within 30000 samples.
std::vector<int16_t> Ramp(int n, int16_t start = 1);
// Writes bytes to a file below the working directory (directories are created).
void WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes);

// Polls cond every millisecond of real time; true as soon as it holds.
bool WaitFor(const std::function<bool()> &cond, int timeout_ms = 3000);

// The name of the mixer group of channel number n ("ovChannel%.2d").
std::string GroupName(int n);
// The bytes a sub-channel took, in order (capture must be on), and how many it took.
std::vector<uint8_t> WrittenBytes(const std::string &group);
int AcceptedBytes(const std::string &group);
// Groups of the channels that took bytes since the write log was cleared, the
// always-running silence channel excepted.
std::vector<std::string> BusyGroups();

// The engine clock of the audio tests. The audio thread reads it while a test moves it,
// so it is atomic; sleeps move it by their length and also wait that long in real time,
// so that shutdown's wait for the audio thread is a real wait.
struct TestClock {
    static void Install();
    static void Advance(uint32_t ms);
    static uint32_t Now();
    // Every read of the clock moves it on by step ms (0: it stands still).
    static void SetStepPerRead(uint32_t step);
};

class AudioTest : public harness::EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the engine on the platform sound implementation with capture on; engine
    // time stands at the start of the run, as it does for an application's first frame.
    void StartAudio();
    // Engine time moves on by ms.
    void Advance(uint32_t ms);
    // Mixes output while the group's play runs: each step waits for the audio thread to
    // refill the queue, so the capture holds the play without gaps. Stops when the
    // group took total bytes and its queue is empty, or after max_steps steps.
    void PumpPlay(const std::string &group, int total, int max_steps = 400);
    // Mixes frames in steps while giving the audio thread time to notice what changed.
    void MixAndSettle(int frames);
    SoundImpQNX *imp();
    // The number of channels the implementation opened (the last carries silence).
    int channel_count();
    std::string silence_group();
};

}  // namespace audiotest

#endif
