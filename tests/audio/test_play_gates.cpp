// What decides whether a play starts: the 50 ms restart rule, three instances of a
// sound, eleven effects on twelve channels, the 500 ms hold of a channel whose play
// ended, play ids, and the channel's format check.
#include "tests/audio/audio_fixture.h"

#include <algorithm>

using namespace audiotest;
using harness::Logged;

namespace {

class PlayGates : public AudioTest {
protected:
    // A sound of n mono 16-bit samples at the given rate and channel count.
    ov_sound_t *Sound(const std::string &name, int n = 2000, uint32_t rate = 22050, uint16_t channels = 1)
    {
        WavFormat format;
        format.rate = rate;
        format.channels = channels;
        WriteFileBytes("app/native/" + name + ".wav", MakeWav(format, Pcm16(Ramp(n))));
        return ov->OV_LoadSound(name.c_str());
    }
    long Play(ov_sound_t *s) { return ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f); }
};

// A channel that never carried a play is free from the start of the run: the first
// effects of a program play and are heard.
TEST_F(PlayGates, EffectsPlayAtTheStartOfTheRun)
{
    StartAudio();
    ASSERT_LT(ov->OV_GetTime(), 500u);
    ov_sound_t *s = Sound("sfx/first", 2000);
    hl::clear_pcm_writes();
    hl::clear_captured_audio();
    const long id = Play(s);
    ASSERT_NE(id, 0);
    EXPECT_TRUE(ov->OV_IsChannelAlive(id));
    std::vector<long> more;
    for (int i = 0; i < 10; i++) {
        more.push_back(Play(Sound("sfx/more" + std::to_string(i))));
        EXPECT_NE(more.back(), 0) << "effect " << i + 2;
    }
    ASSERT_TRUE(WaitFor([] { return BusyGroups().size() == 11; }));
    std::string played;
    for (ovSoundChannel *ch : imp()->channels)
        if (ch->play_id == id)
            played = GroupName(ch->number);
    ASSERT_FALSE(played.empty());
    PumpPlay(played, 4096, 20);
    std::vector<int16_t> left;
    const std::vector<int16_t> out = hl::captured_audio();
    for (size_t i = 0; i + 1 < out.size(); i += 2)
        left.push_back(out[i]);
    EXPECT_FALSE(left.empty());
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [](int16_t v) { return v != 0; })) << "the effects are heard";
}

TEST_F(PlayGates, ASoundRestartsOnlyAfter50Ms)
{
    StartAudio();
    Advance(100);  // a start time of 0 reads as "never started"
    ov_sound_t *s = Sound("sfx/shot");
    const uint32_t gaps[] = {49, 1, 0, 60};  // engine time between plays
    const bool plays[] = {false, true, false, true};
    ASSERT_NE(Play(s), 0);
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        Advance(gaps[i]);
        EXPECT_EQ(Play(s) != 0, plays[i]);
    }
    EXPECT_TRUE(Logged("Sound sfx/shot skipped due because 49 < 50"));
}

TEST_F(PlayGates, AtMostThreeInstancesOfOneSound)
{
    StartAudio();
    ov_sound_t *s = Sound("sfx/long", 20000);
    for (int i = 0; i < 3; i++) {
        Advance(50);
        EXPECT_NE(Play(s), 0) << "instance " << i + 1;
    }
    Advance(50);
    EXPECT_EQ(Play(s), 0);
    EXPECT_EQ(imp()->GetNumberOfSoundInstancesPlaying(s), 3);
    ov_sound_t *other = Sound("sfx/other", 20000);
    EXPECT_NE(Play(other), 0) << "the limit is per sound";
}

TEST_F(PlayGates, ElevenEffectsAtOnceOnTwelveChannels)
{
    StartAudio();
    std::vector<long> ids;
    for (int i = 0; i < 12; i++) {
        ov_sound_t *s = Sound("sfx/e" + std::to_string(i), 20000);
        long id = Play(s);
        if (i < 11)
            EXPECT_NE(id, 0) << "effect " << i;
        else
            EXPECT_EQ(id, 0) << "the twelfth channel carries the silence";
        ids.push_back(id);
    }
    for (int i = 0; i < 11; i++)
        EXPECT_TRUE(ov->OV_IsChannelAlive(ids[i]));
    EXPECT_TRUE(WaitFor([] { return BusyGroups().size() == 11; }));
}

TEST_F(PlayGates, AChannelWhosePlayEndedIsHeldFor500Ms)
{
    StartAudio();
    std::vector<long> ids;
    std::vector<ov_sound_t *> sounds;
    for (int i = 0; i < 11; i++) {
        sounds.push_back(Sound("sfx/s" + std::to_string(i), 200));
        ids.push_back(Play(sounds.back()));
        ASSERT_NE(ids.back(), 0);
    }
    // Let every play run out: the queues drain and the audio thread sees them end.
    for (int i = 0; i < 20; i++)
        MixAndSettle(4096);
    ASSERT_TRUE(WaitFor([&] {
        for (int i = 0; i < 11; i++)
            if (imp()->channels[i]->playing)
                return false;
        return true;
    }));
    Advance(499);
    for (long id : ids)
        EXPECT_TRUE(ov->OV_IsChannelAlive(id)) << "held for 500 ms";
    ov_sound_t *late = Sound("sfx/late", 200);
    EXPECT_EQ(Play(late), 0) << "no channel is free while the ended plays are held";
    Advance(1);
    for (long id : ids)
        EXPECT_FALSE(ov->OV_IsChannelAlive(id));
    Advance(50);
    EXPECT_NE(Play(late), 0);
}

TEST_F(PlayGates, PlayIdsCountUpAndAreNeverReused)
{
    StartAudio();
    ov_sound_t *a = Sound("sfx/a", 20000);
    ov_sound_t *b = Sound("sfx/b", 20000);
    long first = Play(a);
    long second = Play(b);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(ov->OV_GetChannelSound(first), a);
    ov->OV_StopChannel(first);
    EXPECT_FALSE(ov->OV_IsChannelAlive(first));
    EXPECT_EQ(ov->OV_GetChannelSound(first), nullptr);
    Advance(600);
    long third = Play(a);
    EXPECT_EQ(third, second + 1);
    EXPECT_FALSE(ov->OV_IsChannelAlive(first)) << "an old id never names the new play";
    EXPECT_TRUE(ov->OV_IsChannelAlive(third));
    ov->OV_StopChannel(0);
    EXPECT_FALSE(ov->OV_IsChannelAlive(0));
    EXPECT_EQ(ov->OV_GetChannelSound(0), nullptr);
    ov->OV_StopChannelWithFade(third, 0.5f);
    EXPECT_FALSE(ov->OV_IsChannelAlive(third)) << "a fade-out stops at once";
}

struct FormatCase {
    uint32_t rate;
    uint16_t channels;
    bool plays;
};

TEST_F(PlayGates, TheChannelFormatDecidesWhatIsHeard)
{
    const FormatCase cases[] = {
        {22050, 1, true}, {24000, 1, true}, {20050, 1, true}, {24100, 1, false}, {44100, 1, false}, {22050, 2, false},
    };
    StartAudio();
    int n = 0;
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.rate);
        SCOPED_TRACE(c.channels);
        hl::clear_pcm_writes();
        const std::string name = "sfx/f" + std::to_string(n++);
        ov_sound_t *s = Sound(name, 4000, c.rate, c.channels);
        Advance(600);
        const long id = Play(s);
        EXPECT_NE(id, 0) << "a play id is handed out either way";
        EXPECT_EQ(ov->OV_IsChannelAlive(id), c.plays);
        char message[160];
        snprintf(message, sizeof message, "Sample format mismatch with '%s': %dHz num_channels=%d", name.c_str(),
                 (int)c.rate, (int)c.channels);
        EXPECT_EQ(Logged(message), !c.plays);
        if (c.plays) {
            EXPECT_TRUE(WaitFor([] { return !BusyGroups().empty(); }));
            ov->OV_StopChannel(id);
        } else {
            MixAndSettle(2048);
            EXPECT_TRUE(BusyGroups().empty());
        }
    }
}

}  // namespace
