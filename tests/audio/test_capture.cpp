// What reaches the device: the padded sample in whole fragments, loops, nothing while
// the window is inactive, the volume law on the mixer groups (written only when the
// level changes), and the mixed output compared with the source samples.
#include "tests/audio/audio_fixture.h"

#include "platform/headless.h"

#include <algorithm>
#include <cmath>

using namespace audiotest;

namespace {

class Capture : public AudioTest {
protected:
    ov_sound_t *Sound(const std::string &name, const std::vector<int16_t> &samples)
    {
        WriteFileBytes("app/native/" + name + ".wav", MakeWav(WavFormat(), Pcm16(samples)));
        return ov->OV_LoadSound(name.c_str());
    }
    // The single effect channel that took bytes since the write log was cleared.
    std::string OnlyBusyGroup()
    {
        EXPECT_TRUE(WaitFor([] { return !BusyGroups().empty(); }));
        std::vector<std::string> groups = BusyGroups();
        EXPECT_EQ(groups.size(), 1u);
        return groups.empty() ? std::string() : groups[0];
    }
    // The padded buffer the engine plays: 8 zeros, the data, 0.15 s of zeros, cut to
    // whole 2048-byte fragments.
    static std::vector<uint8_t> Padded(const std::vector<int16_t> &samples)
    {
        std::vector<uint8_t> out(8, 0);
        const std::vector<uint8_t> data = Pcm16(samples);
        out.insert(out.end(), data.begin(), data.end());
        out.resize(out.size() + (size_t)(int)((float)(2 * 22050) * 0.15f), 0);
        out.resize(out.size() / 2048 * 2048);
        return out;
    }
    int GroupWrites(const std::string &group)
    {
        int n = 0;
        for (const std::string &call : hl::calls())
            n += call.rfind("snd_mixer_group_write(", 0) == 0 && call.find("\"" + group + "\"") != std::string::npos;
        return n;
    }
};

TEST_F(Capture, TheSampleIsWrittenPaddedInWholeFragments)
{
    StartAudio();
    const std::vector<int16_t> samples = Ramp(5000, 7);
    ov_sound_t *s = Sound("sfx/ramp", samples);
    hl::clear_pcm_writes();
    ASSERT_NE(ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f), 0);
    const std::string group = OnlyBusyGroup();
    const std::vector<uint8_t> expected = Padded(samples);
    PumpPlay(group, (int)expected.size());
    EXPECT_EQ(WrittenBytes(group), expected);
    for (const hl::PcmWrite &w : hl::pcm_writes())
        if (w.group == group && w.accepted > 0) {
            EXPECT_EQ(w.accepted % 2048, 0) << "every write is whole fragments";
        }
}

TEST_F(Capture, ALoopingPlayRepeatsTheWholeBuffer)
{
    StartAudio();
    const std::vector<int16_t> samples = Ramp(3000, -500);
    ov_sound_t *s = Sound("sfx/loop", samples);
    hl::clear_pcm_writes();
    const long id = ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f);
    ov->OV_SetChannelLooping(id, true);
    const std::string group = OnlyBusyGroup();
    const std::vector<uint8_t> once = Padded(samples);
    PumpPlay(group, (int)once.size() * 3, 40);
    const std::vector<uint8_t> written = WrittenBytes(group);
    ASSERT_GE(written.size(), once.size() * 3);
    for (int rep = 0; rep < 3; rep++)
        EXPECT_TRUE(std::equal(once.begin(), once.end(), written.begin() + rep * once.size())) << "repeat " << rep;
    EXPECT_TRUE(ov->OV_IsChannelAlive(id));
}

// Every short effect is made looping a frame after its play started, when its whole
// buffer may already sit in the device's queue: the loop starts over from the beginning.
TEST_F(Capture, LoopingSetAfterTheBufferWasWrittenRestartsIt)
{
    StartAudio();
    const std::vector<int16_t> samples = Ramp(3000, 11);
    ov_sound_t *s = Sound("sfx/late-loop", samples);
    hl::clear_pcm_writes();
    hl::clear_captured_audio();
    const long id = ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f);
    ASSERT_NE(id, 0);
    const std::string group = OnlyBusyGroup();
    const std::vector<uint8_t> once = Padded(samples);
    ASSERT_TRUE(WaitFor([&] { return AcceptedBytes(group) >= (int)once.size(); }));
    MixAndSettle(1024);  // a feeding pass or more sees the whole buffer written
    ov->OV_SetChannelLooping(id, true);
    PumpPlay(group, (int)once.size() * 3, 40);
    const std::vector<uint8_t> written = WrittenBytes(group);
    ASSERT_GE(written.size(), once.size() * 3);
    for (int rep = 0; rep < 3; rep++)
        EXPECT_TRUE(std::equal(once.begin(), once.end(), written.begin() + rep * once.size())) << "repeat " << rep;
    // What is heard: the ramp twice, one buffer apart.
    std::vector<int16_t> left;
    const std::vector<int16_t> out = hl::captured_audio();
    for (size_t i = 0; i + 1 < out.size(); i += 2)
        left.push_back(out[i]);
    auto first = std::search(left.begin(), left.end(), samples.begin(), samples.end());
    ASSERT_NE(first, left.end());
    auto second = std::search(first + 1, left.end(), samples.begin(), samples.end());
    ASSERT_NE(second, left.end()) << "the loop is heard again";
    EXPECT_EQ(second - first, (long)once.size() / 2);
    EXPECT_TRUE(ov->OV_IsChannelAlive(id));
}

TEST_F(Capture, NothingIsWrittenWhileTheWindowIsInactive)
{
    StartAudio();
    ov_sound_t *s = Sound("sfx/wait", Ramp(4000));
    ov_state.sound_imp->ActivateWindow(false);
    MixAndSettle(8192);  // the silence channel's queue drains and is not refilled
    hl::clear_pcm_writes();
    const long id = ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f);
    EXPECT_NE(id, 0) << "plays may start while inactive";
    MixAndSettle(4096);
    EXPECT_TRUE(hl::pcm_writes().empty());
    ov_state.sound_imp->ActivateWindow(true);
    EXPECT_TRUE(WaitFor([] { return !BusyGroups().empty(); }));
    const std::string group = BusyGroups()[0];
    EXPECT_EQ(WrittenBytes(group).size() % 2048, 0u);
    EXPECT_EQ(WrittenBytes(group)[8], Pcm16(Ramp(4000))[0]) << "feeding starts at the sample's beginning";
}

struct VolumeStep {
    float volume;
    bool written;  // the level changed, so the mixer group is written
};

TEST_F(Capture, VolumeLevelsReachTheMixerOnlyWhenTheyChange)
{
    StartAudio();
    ov_sound_t *s = Sound("sfx/vol", Ramp(20000));
    hl::clear_pcm_writes();
    hl::clear_calls();
    const long id = ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f);
    ov->OV_SetChannelLooping(id, true);
    const std::string group = OnlyBusyGroup();
    EXPECT_EQ(GroupWrites(group), 1);
    EXPECT_EQ(hl::mixer_group_value(group), 100);
    const VolumeStep steps[] = {
        {0.5f, true},    // level 60
        {0.505f, false}, // still 60
        {0.001f, true},  // level 0: the group's middle
        {0.004f, false}, // still 0
        {0.01f, true},   // level 40
        {0.0f, true},    // 0 again
        {2.0f, true},    // clamped to 1: level 80
        {1.0f, false},
    };
    int writes = GroupWrites(group);
    for (const VolumeStep &st : steps) {
        SCOPED_TRACE(st.volume);
        ov->OV_SetChannelVolume(id, st.volume);
        const int now = GroupWrites(group);
        EXPECT_EQ(now - writes, st.written ? 1 : 0);
        writes = now;
        const float v = std::min(std::max(st.volume, 0.0f), 1.0f);
        if (st.written) {
            EXPECT_EQ(hl::mixer_group_value(group), (int)(100 * std::min(1.0f, 0.5f + 0.5f * v)));
        }
    }
    ov->OV_SetMasterVolume(0.5f);
    EXPECT_EQ(GroupWrites(group) - writes, 1) << "the master volume changes the level";
    EXPECT_EQ(hl::mixer_group_value(group), 75);
}

TEST_F(Capture, MixedOutputMatchesTheSourceAndTwoEffectsAddUp)
{
    StartAudio();
    std::vector<int16_t> wave;
    for (int i = 0; i < 4000; i++)
        wave.push_back((int16_t)lround(12000 * sin(i * 2 * 3.14159265358979 * 440 / 22050)));
    ov_sound_t *tone = Sound("sfx/tone", wave);
    hl::clear_pcm_writes();
    ASSERT_NE(ov->OV_PlaySound(tone, 1.0f, 0.0f, 1.0f), 0);
    const std::string group = OnlyBusyGroup();
    hl::clear_captured_audio();
    PumpPlay(group, (int)Padded(wave).size());
    const std::vector<int16_t> out = hl::captured_audio();
    std::vector<int16_t> left, right;
    for (size_t i = 0; i + 1 < out.size(); i += 2) {
        left.push_back(out[i]);
        right.push_back(out[i + 1]);
    }
    EXPECT_EQ(left, right) << "a mono effect goes to both sides";
    auto at = std::search(left.begin(), left.end(), wave.begin(), wave.end());
    EXPECT_NE(at, left.end()) << "the tone comes out unchanged at full volume";

    // Two constant effects at once: their sum, clamped to 16 bits.
    Advance(600);
    ov_sound_t *a = Sound("sfx/ca", std::vector<int16_t>(6000, 20000));
    ov_sound_t *b = Sound("sfx/cb", std::vector<int16_t>(6000, 15000));
    hl::clear_pcm_writes();
    ASSERT_NE(ov->OV_PlaySound(a, 1.0f, 0.0f, 1.0f), 0);
    ASSERT_NE(ov->OV_PlaySound(b, 1.0f, 0.0f, 1.0f), 0);
    ASSERT_TRUE(WaitFor([] { return BusyGroups().size() == 2; }));
    ASSERT_TRUE(WaitFor([&] { return AcceptedBytes(BusyGroups()[0]) >= 8192 && AcceptedBytes(BusyGroups()[1]) >= 8192; }));
    hl::clear_captured_audio();
    hl::mix_audio(2048);
    const std::vector<int16_t> sum = hl::captured_audio();
    const int clamped = std::min(20000 + 15000, 32767);
    EXPECT_EQ(std::count(sum.begin(), sum.end(), (int16_t)clamped), 2 * (2048 - 4)) << "all but the 8 leading zero bytes";
}

}  // namespace
