// Stress of the sound paths: the main thread starts and stops effects while the audio
// thread feeds the channels and the device mixes, and a worker thread gets and
// releases sounds through the shared cache at the same time.
#include "tests/audio/audio_fixture.h"

#include <atomic>
#include <thread>

using namespace audiotest;

namespace {

// A clock the audio thread may read while the test moves it (the harness clock is a
// plain integer, which only the main thread may touch).
std::atomic<uint32_t> s_now{100000};
uint32_t Now()
{
    return s_now.load();
}
// Sleeps really wait a little but leave the clock alone: only the test moves it.
void SleepS(unsigned)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
void SleepUs(unsigned us)
{
    std::this_thread::sleep_for(std::chrono::microseconds(us < 1000 ? us : 1000));
}
const ov_time_source_t kClock = {Now, SleepS, SleepUs};

class AudioStress : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        OVT_SetTimeSource(&kClock);
    }
    ov_sound_t *Sound(const std::string &name, int n)
    {
        WriteFileBytes("app/native/" + name + ".wav", MakeWav(WavFormat(), Pcm16(Ramp(n))));
        return ov->OV_LoadSound(name.c_str());
    }
};

}  // namespace

TEST_F(AudioStress, EffectsStartAndStopWhileTheAudioThreadFeedsChannels)
{
    StartEngine();
    ASSERT_EQ(channel_count(), 12);
    hl::set_audio_capture(true);
    s_now += 1000;
    std::vector<ov_sound_t *> sounds;
    for (int i = 0; i < 4; i++)
        sounds.push_back(Sound("sfx/s" + std::to_string(i), 4000 + 1000 * i));
    WriteFileBytes("app/native/sfx/worker.wav", MakeWav(WavFormat(), Pcm16(Ramp(500))));

    std::atomic<bool> stop{false};
    std::atomic<int> worker_gets{0};
    std::thread worker([&] {
        while (!stop.load() && worker_gets.load() < 2000) {
            ov_sound_t *s = ov->OV_LoadSound("sfx/worker");  // one reference per call
            if (s)
                worker_gets++;
            ov->OV_ReleaseSound(s);
        }
    });

    int played = 0;
    long last_id = 0;
    std::vector<long> live;
    for (int round = 0; round < 120; round++) {
        s_now += 130;  // past the restart gap of a sound
        long id = ov->OV_PlaySound(sounds[round % 4], 1.0f, 0.0f, 1.0f);
        if (id != 0) {
            EXPECT_GT(id, last_id) << "play ids count up";
            last_id = id;
            played++;
            live.push_back(id);
        }
        if (live.size() > 3) {  // stop the oldest: at most four effects at once
            ov->OV_StopChannel(live.front());
            EXPECT_FALSE(ov->OV_IsChannelAlive(live.front()));
            live.erase(live.begin());
        }
        hl::mix_audio(256);
        if (round % 8 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop = true;
    worker.join();
    for (long id : live)
        ov->OV_StopChannel(id);
    MixAndSettle(4096);

    // Whether a channel is free again right after a stop depends on when the audio
    // thread last ran; most plays find one.
    EXPECT_GE(played, 60);
    for (long id : live)
        EXPECT_FALSE(ov->OV_IsChannelAlive(id));
    for (ov_sound_t *s : sounds)
        EXPECT_EQ(imp()->GetNumberOfSoundInstancesPlaying(s), 0);
    EXPECT_GT(worker_gets.load(), 0);
}
