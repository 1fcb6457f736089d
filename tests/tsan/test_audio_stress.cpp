// Stress of the sound paths: the main thread starts and stops effects while the audio
// thread feeds the channels and the device mixes, and a worker thread gets and
// releases sounds through the shared cache at the same time; and the engine started and
// shut down many times in one process while effects play.
#include "tests/audio/audio_fixture.h"

#include <atomic>
#include <thread>

using namespace audiotest;

namespace {

class AudioStress : public AudioTest {
protected:
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
    Advance(1000);
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
        Advance(130);  // past the restart gap of a sound
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
            // The audio thread frees a stopped channel on its next pass; waiting for it
            // keeps the count of free channels independent of how the threads ran.
            imp()->WaitForFeedingPass();
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

    // Four plays live and at most four more held after their stop (130 ms a round
    // against the 500 ms hold) leave a free channel for every play.
    EXPECT_EQ(played, 120);
    for (long id : live)
        EXPECT_FALSE(ov->OV_IsChannelAlive(id));
    for (ov_sound_t *s : sounds)
        EXPECT_EQ(imp()->GetNumberOfSoundInstancesPlaying(s), 0);
    EXPECT_GT(worker_gets.load(), 0);
}

// Every shutdown ends the audio thread before its channels and mutex go, and the next
// run starts exactly one new thread, however the runs follow each other: effects are
// playing (and the device mixing) when each run ends.
TEST_F(AudioStress, EngineRunsStartAndStopWithEffectsPlaying)
{
    const int runs = 25;
    int started_runs = 0, plays = 0;
    for (int run = 0; run < runs; run++) {
        StartEngine();
        ASSERT_EQ(channel_count(), 12) << "run " << run;
        ASSERT_EQ(OVT_GetNumberOfThreadsRunning(), 1) << "one audio thread in run " << run;
        started_runs++;
        Advance(1000);
        std::vector<ov_sound_t *> sounds;
        for (int i = 0; i < 3; i++)
            sounds.push_back(Sound("sfx/r" + std::to_string(i), 3000 + 500 * i));
        for (int i = 0; i < 6; i++) {
            if (ov->OV_PlaySound(sounds[i % 3], 1.0f, 0.0f, 1.0f) != 0)
                plays++;
            hl::mix_audio(128);
        }
        // Let the audio thread be inside its passes when the run ends (on every other run
        // it may not have run at all yet).
        if (run % 2 == 0)
            WaitFor([&] { return imp()->passes.load() > 2; }, 2000);
        ORVEX_Shutdown();
        EXPECT_EQ(OVT_GetNumberOfThreadsRunning(), 0) << "no thread left after run " << run;
        EXPECT_FALSE(imp()->thread_alive.load()) << "run " << run;
        EXPECT_EQ(hl::open_subchannels(), 0) << "run " << run;
        EXPECT_EQ(imp()->mutex, nullptr) << "run " << run;
    }
    EXPECT_EQ(started_runs, runs);
    EXPECT_GE(plays, runs * 3) << "effects were playing when the runs ended";
}
