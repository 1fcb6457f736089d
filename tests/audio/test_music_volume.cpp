// How loud music comes out of the device for the engine's music and master volumes:
// our test tone played as music through the media renderer, the mixed output captured
// and compared with full volume, and with an effect played at the same settings.
#include "tests/audio/audio_fixture.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

using namespace audiotest;

namespace {

const int kEffectSamples = 6000;

class MusicVolume : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        std::ifstream tone(ORVEX_TEST_TONE, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(tone)), std::istreambuf_iterator<char>());
        ASSERT_GT(bytes.size(), 1000u);
        WriteFileBytes("app/native/data-music-test/music/tone.mp3", bytes);
        std::vector<int16_t> wave;
        for (int i = 0; i < kEffectSamples; i++)
            wave.push_back((int16_t)lround(16000 * sin(i * 2 * 3.14159265358979 * 440 / 22050)));
        WriteFileBytes("app/native/sfx/tone.wav", MakeWav(WavFormat(), Pcm16(wave)));
        StartAudio();
        ASSERT_TRUE(ov->OV_AddSearchPath("res://data-music-test/", true));
        music = ov->OV_GetSound("music/tone");
        effect = ov->OV_GetSound("sfx/tone");
        ASSERT_NE(music, nullptr);
        ASSERT_NE(effect, nullptr);
    }
    static int Peak(const std::vector<int16_t> &s)
    {
        int p = 0;
        for (int16_t v : s)
            p = std::max(p, std::abs((int)v));
        return p;
    }
    // The loudest sample of the tone's first 8192 frames as music at these settings.
    int MusicPeak(float master, float volume)
    {
        ov->OV_StopMusic(0.0f);
        ov->OV_SetMasterVolume(master);
        ov->OV_PlayMusic(music, volume, 0.0f);
        hl::clear_captured_audio();
        for (int i = 0; i < 8; i++)
            hl::mix_audio(1024);
        return Peak(hl::captured_audio());
    }
    // The loudest sample of the effect played whole at these settings (music stopped).
    int EffectPeak(float master, float volume)
    {
        ov->OV_StopMusic(0.0f);
        ov->OV_SetMasterVolume(master);
        Advance(600);
        hl::clear_pcm_writes();
        const long id = ov->OV_PlaySound(effect, volume, 0.0f, 1.0f);
        EXPECT_NE(id, 0);
        std::string group;
        for (ovSoundChannel *ch : imp()->channels)
            if (ch->play_id == id)
                group = GroupName(ch->number);
        EXPECT_FALSE(group.empty());
        if (group.empty())
            return 0;
        hl::clear_captured_audio();
        // The whole padded buffer: 8 leading zeros, the samples and 0.15 s of silence,
        // in whole 2048-byte fragments.
        PumpPlay(group, (8 + 2 * kEffectSamples + 6615) / 2048 * 2048);
        return Peak(hl::captured_audio());
    }
    ov_sound_t *music = nullptr;
    ov_sound_t *effect = nullptr;
};

struct TaperCase {
    float master, volume;
    float amplitude;  // of full volume
};

TEST_F(MusicVolume, TheMusicVolumeRunsFromNearSilenceToFullLikeEffects)
{
    const TaperCase cases[] = {
        {1.0f, 1.0f, 1.0f},   {1.0f, 0.5f, 0.5f},  {0.5f, 1.0f, 0.5f},   {0.5f, 0.5f, 0.25f},
        {1.0f, 0.25f, 0.25f}, {1.0f, 0.1f, 0.1f},  {1.0f, 0.05f, 0.05f}, {1.0f, 0.01f, 0.0f},
        {0.0f, 1.0f, 0.0f},   {1.0f, 0.0f, 0.0f},
    };
    const int full = MusicPeak(1.0f, 1.0f);
    ASSERT_GT(full, 10000) << "the tone is heard at full volume";
    const int effect_full = EffectPeak(1.0f, 1.0f);
    ASSERT_GT(effect_full, 10000);
    for (const TaperCase &c : cases) {
        SCOPED_TRACE(c.master);
        SCOPED_TRACE(c.volume);
        const int peak = MusicPeak(c.master, c.volume);
        EXPECT_NEAR((double)peak / full, c.amplitude, 0.02);
        if (c.amplitude >= 0.1f) {  // below, the 1-per-cent steps of both laws part more than 1 dB
            // An effect at the same settings sits within 1 dB of the music.
            const double effect = (double)EffectPeak(c.master, c.volume) / effect_full;
            EXPECT_NEAR(20 * log10(((double)peak / full) / effect), 0.0, 1.0);
        }
    }
}

}  // namespace
