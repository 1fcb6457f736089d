// The sound-length call of the extension table: seconds of a WAV file's own data, the
// same whatever the padding and tail of the played buffer; 0 whenever the length is
// not known; the sixth slot stays empty.
#include "tests/audio/audio_fixture.h"

#include <math.h>

using namespace audiotest;

namespace {

ov_get_sound_length_fn LengthCall()
{
    return reinterpret_cast<ov_get_sound_length_fn>(ov->ext[OV_EXT_GET_SOUND_LENGTH]);
}

class SoundLength : public AudioTest {};

struct LengthCase {
    const char *file;
    uint16_t channels;
    uint32_t rate;
    int frames;
    float seconds;
};

TEST_F(SoundLength, WavLengthIsItsDataOverItsRate)
{
    const LengthCase kCases[] = {
        {"sfx/half.wav", 1, 22050, 11025, 0.5f},
        {"sfx/stereo.wav", 2, 44100, 11025, 0.25f},
        {"sfx/short.wav", 1, 8000, 16, 0.002f},
        {"sfx/long.wav", 2, 22050, 66150, 3.0f},
    };
    for (const LengthCase &c : kCases) {
        WavFormat format;
        format.channels = c.channels;
        format.rate = c.rate;
        WriteFileBytes(std::string("app/native/") + c.file, MakeWav(format, Pcm16(Ramp(c.frames * c.channels))));
    }
    StartAudio();
    ASSERT_NE(LengthCall(), nullptr);
    EXPECT_EQ(ov->ext[5], nullptr);
    for (const LengthCase &c : kCases) {
        SCOPED_TRACE(c.file);
        ov_sound_t *s = ov->OV_LoadSound(c.file);
        ASSERT_NE(s, nullptr);
        EXPECT_NEAR(LengthCall()(s), c.seconds, 1e-6f);
    }
}

TEST_F(SoundLength, UnknownLengthsAreZero)
{
    WriteFileBytes("app/native/sfx/tune.mp3", std::vector<uint8_t>(64, 0));
    WriteFileBytes("app/native/sfx/broken.wav", std::vector<uint8_t>(20, 0));
    StartAudio();
    EXPECT_EQ(LengthCall()(nullptr), 0.0f);
    // A name that loads nothing, a file refused as a sample, a file played by the media
    // renderer (its length is not read ahead).
    EXPECT_EQ(LengthCall()(ov->OV_GetSound("sfx/missing")), 0.0f);
    EXPECT_EQ(LengthCall()(ov->OV_LoadSound("sfx/broken.wav")), 0.0f);
    EXPECT_EQ(LengthCall()(ov->OV_LoadSound("sfx/tune.mp3")), 0.0f);
}

TEST_F(SoundLength, NullImplementationKnowsNoLength)
{
    WriteFileBytes("app/native/sfx/half.wav", MakeWav(WavFormat(), Pcm16(Ramp(11025))));
    harness::record.parms.no_sound = 1;
    StartEngine();
    ASSERT_TRUE(harness::Logged("Sounds disabled. Null Sound Implementation in use."));
    ov_sound_t *s = ov->OV_LoadSound("sfx/half.wav");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(LengthCall()(s), 0.0f);
    EXPECT_EQ(ov->ext[5], nullptr);
}

}  // namespace
