// The sound implementation through the engine's lifecycle: what initialisation opens,
// re-initialisation reloading every record with one feeding thread, shutdown leaving
// the null implementation to answer, and channels that cannot be opened.
#include "tests/audio/audio_fixture.h"

#include "platform/headless.h"

#include <chrono>
#include <thread>

using namespace audiotest;
using harness::Logged;

namespace {

class SoundLifecycle : public AudioTest {};

TEST_F(SoundLifecycle, InitialisationOpensTwelveChannelsWithSilenceOnTheLast)
{
    StartAudio();
    EXPECT_TRUE(Logged("SoundImp initialized."));
    EXPECT_STREQ(ov_state.sound_imp->GetName(), "QNX SoundImp");
    EXPECT_EQ(hl::open_subchannels(), 12);
    EXPECT_EQ(OVT_GetNumberOfThreadsRunning(), 1) << "the audio thread";
    EXPECT_TRUE(WaitFor([] { return AcceptedBytes(GroupName(12)) > 0; })) << "silence keeps the last channel running";
    for (const hl::PcmWrite &w : hl::pcm_writes())
        EXPECT_EQ(w.group, GroupName(12));
    EXPECT_EQ(hl::mixer_group_value(GroupName(12)), 100);
    EXPECT_EQ(OVID_LoadSoundImp(""), OVID_LoadSoundImp("anything")) << "one platform implementation";
}

TEST_F(SoundLifecycle, ReInitialisationReloadsEveryRecordAndKeepsOneThread)
{
    WriteFileBytes("app/native/sfx/a.wav", MakeWav(WavFormat(), Pcm16(Ramp(500))));
    StartAudio();
    ov_sound_t *a = ov->OV_LoadSound("sfx/a");
    ov_sound_t *hibernated = ov->OV_LoadSound("sfx/a.wav");
    ov->OV_ReleaseSound(hibernated);
    ASSERT_EQ(hibernated->imp_data[1], nullptr);
    void *before = a->imp_data[1];
    ASSERT_NE(before, nullptr);

    OVI_ReInitSounds();
    EXPECT_EQ(OVT_GetNumberOfThreadsRunning(), 1);
    EXPECT_EQ(hl::open_subchannels(), 12);
    ASSERT_NE(a->imp_data[1], nullptr);
    EXPECT_NE(hibernated->imp_data[1], nullptr) << "hibernated records are loaded too";
    Advance(600);
    EXPECT_NE(ov->OV_PlaySound(a, 1.0f, 0.0f, 1.0f), 0);
}

TEST_F(SoundLifecycle, AfterShutdownTheNullImplementationAnswers)
{
    StartAudio();
    ov_sound_t *music = ov->OV_GetSound("music/theme");
    ORVEX_Shutdown();
    EXPECT_EQ(ov_state.sound_imp, nullptr);
    EXPECT_EQ(hl::open_subchannels(), 0) << "shutdown closes the channels";
    EXPECT_EQ(OVT_GetNumberOfThreadsRunning(), 0);
    EXPECT_EQ(ov->OV_PlaySound(music, 1.0f, 0.0f, 1.0f), 0);
    EXPECT_FALSE(ov->OV_IsChannelAlive(1));
    EXPECT_EQ(ov->OV_GetMusicPlaying(), nullptr);
}

TEST_F(SoundLifecycle, ChannelsThatCannotOpenAreLeftOut)
{
    ASSERT_TRUE(hl::fail_audio("snd_pcm_plugin_setup", 3));
    StartEngine();
    EXPECT_EQ(channel_count(), 9);
    EXPECT_EQ(hl::open_subchannels(), 9) << "the failed ones were closed again";
    ASSERT_TRUE(hl::fail_audio("mmr_connect", 1));
    OVI_ReInitSounds();
    EXPECT_EQ(channel_count(), 12);
    EXPECT_EQ(imp()->player.context, nullptr) << "music stays silent";
    EXPECT_TRUE(Logged("SoundImp initialized.")) << "effects work without music";
}

// With every queue full (nothing mixes the output here) the audio thread has nothing to
// write: it rests instead of looking again every millisecond, and a play started while
// it rests is written at once, not when the rest is over (made five seconds here).
TEST_F(SoundLifecycle, WithEveryQueueFullTheAudioThreadRestsAndAPlayWakesIt)
{
    WriteFileBytes("app/native/sfx/a.wav", MakeWav(WavFormat(), Pcm16(Ramp(4000))));
    StartAudio();
    ov_sound_t *a = ov->OV_LoadSound("sfx/a");
    ASSERT_TRUE(WaitFor([] { return AcceptedBytes(GroupName(12)) > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the silence fills its queue

    const unsigned before = imp()->passes.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LE(imp()->passes.load() - before, 100u) << "passes in half a second with nothing to write";

    imp()->idle_wait_ms = 5000;
    for (int i = 0; i < 5; i++) {
        Advance(600);  // past the hold of the channel the last round stopped
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the thread rests again
        const auto start = std::chrono::steady_clock::now();
        const long id = ov->OV_PlaySound(a, 1.0f, 0.0f, 1.0f);
        ASSERT_NE(id, 0) << "round " << i;
        ovSoundChannel *ch = imp()->GetChannelById(id);
        ASSERT_NE(ch, nullptr);
        EXPECT_TRUE(WaitFor([ch] { return ch->position.load() > 0; }, 2000)) << "round " << i;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "round " << i;
        ov->OV_StopChannel(id);
        imp()->WaitForFeedingPass();
    }
    imp()->idle_wait_ms = 10;
    imp()->WakeAudioThread();  // out of the long rest before the engine's shutdown waits for it
}

}  // namespace
