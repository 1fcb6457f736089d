// WAV samples: a table of files built in code, each loading or refused with its
// message and never crashing; the padded buffer layout; loading by name ending;
// silence and volume rescaling.
#include "tests/audio/audio_fixture.h"

#include <string.h>

using namespace audiotest;
using harness::Logged;

namespace {

class WavSamples : public harness::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        StartEngine();
    }
};

struct WavCase {
    const char *what;
    WavFormat format;
    int data_bytes;         // bytes of sample data appended after the header
    bool loads;
    const char *message;    // logged on refusal (null: none)
};

WavFormat Format(uint32_t fmt_size, uint16_t channels, uint16_t bits, uint32_t byte_rate, int64_t data_size)
{
    WavFormat s;
    s.fmt_size = fmt_size;
    s.channels = channels;
    s.bits = bits;
    s.byte_rate = byte_rate;
    s.data_size = data_size;
    return s;
}

TEST_F(WavSamples, FixtureTableLoadsOrRefusesWithItsMessage)
{
    const WavCase cases[] = {
        {"valid mono", Format(16, 1, 16, 0, -1), 32, true, nullptr},
        {"valid stereo", Format(16, 2, 16, 0, -1), 64, true, nullptr},
        {"no data", Format(16, 1, 16, 0, -1), 0, false, "Sample file size too small. Must be at least 16 samples."},
        {"15 samples", Format(16, 1, 16, 0, -1), 30, false, "Sample file size too small. Must be at least 16 samples."},
        {"extensible fmt", Format(40, 1, 16, 0, -1), 64, false, "Unsupported or BAD sample format"},
        {"3 channels", Format(16, 3, 16, 0, -1), 96, false, "Unsupported or BAD sample format (3 channels)."},
        {"0 channels", Format(16, 0, 16, 44100, -1), 64, false, "Unsupported or BAD sample format (0 channels)."},
        {"size mismatch", Format(16, 1, 16, 0, 100), 64, false,
         "Sample file size doesn't match header (64 bytes vs 100 bytes)."},
        {"size beyond 2 GB", Format(16, 1, 16, 0, 0xFFFFFFF0ll), 64, false, "Sample file size doesn't match header"},
        {"0 bits", Format(16, 1, 0, 44100, -1), 64, false, "Unsupported sample format (0 bits per sample)"},
        {"4 bits", Format(16, 1, 4, 44100, -1), 64, false, "Unsupported sample format (4 bits per sample)"},
        {"8 bits", Format(16, 1, 8, 22050, -1), 64, false, "Unsupported sample format (8 bits per sample)"},
        {"huge byte rate", Format(16, 1, 16, 0xFFFFFFFFu, -1), 64, false, "Unsupported sample rate (2147483647 Hz)"},
        {"500 Hz", Format(16, 1, 16, 1000, -1), 64, false, "Unsupported sample rate (500 Hz)"},
    };
    for (const WavCase &c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> data = Pcm16(Ramp(c.data_bytes / 2, 100));
        const std::vector<uint8_t> file = MakeWav(c.format, data);
        ovSample sample;
        EXPECT_EQ(sample.LoadWavFromMemory(file.data(), file.size()), c.loads);
        if (c.message) {
            EXPECT_TRUE(Logged(c.message));
        }
        if (!c.loads) {
            EXPECT_EQ(sample.buffer, nullptr) << "a refused file leaves the sample unchanged";
            EXPECT_EQ(sample.channels, 0);
            continue;
        }
        const int bytes_per_sample = c.format.bits / 8;
        const int tail = (int)((float)(bytes_per_sample * 22050) * 0.15f);
        EXPECT_EQ(sample.rate, 22050);
        EXPECT_EQ(sample.channels, c.format.channels);
        EXPECT_EQ(sample.bits, 16);
        EXPECT_EQ(sample.size, c.data_bytes + 8 + tail);
        EXPECT_EQ(sample.sample_count, sample.size / 2);
        ASSERT_NE(sample.buffer, nullptr);
        const std::vector<uint8_t> zeros8(8, 0);
        EXPECT_EQ(memcmp(sample.buffer, zeros8.data(), 8), 0);
        EXPECT_EQ(memcmp(sample.buffer + 8, data.data(), data.size()), 0);
        for (int i = 8 + c.data_bytes; i < sample.size; i++)
            ASSERT_EQ(sample.buffer[i], 0) << "tail byte " << i;
    }
}

TEST_F(WavSamples, ShortOrMissingBuffersFailQuietly)
{
    const std::vector<uint8_t> file = MakeWav(WavFormat(), Pcm16(Ramp(32)));
    ovSample sample;
    const int lines = (int)harness::LogTexts().size();
    EXPECT_FALSE(sample.LoadWavFromMemory(file.data(), 43));
    EXPECT_FALSE(sample.LoadWavFromMemory(nullptr, 1000));
    EXPECT_EQ((int)harness::LogTexts().size(), lines);
}

TEST_F(WavSamples, TheTailIsAFixedTimeOfOneChannel)
{
    // Mono and stereo 22050 Hz files both get 6615 bytes of tail: 0.15 s of one channel.
    for (uint16_t channels : {1, 2}) {
        WavFormat format;
        format.channels = channels;
        const std::vector<uint8_t> file = MakeWav(format, Pcm16(Ramp(64)));
        ovSample sample;
        ASSERT_TRUE(sample.LoadWavFromMemory(file.data(), file.size()));
        EXPECT_EQ(sample.size - 8 - 128, (int)(2 * 22050 * 0.15f));
    }
}

TEST_F(WavSamples, AChunkBeforeTheDataIsReadAsData)
{
    std::vector<uint8_t> file = MakeWav(WavFormat(), Pcm16(Ramp(40)));
    // Turn the data chunk header into a LIST chunk of 26 bytes; the reader takes those
    // 26 bytes from offset 44 as the samples, whatever they hold.
    memcpy(&file[36], "LIST", 4);
    file[40] = 26;
    file[41] = file[42] = file[43] = 0;
    ovSample sample;
    ASSERT_TRUE(sample.LoadWavFromMemory(file.data(), file.size()));
    EXPECT_EQ(memcmp(sample.buffer + 8, &file[44], 26), 0);
    EXPECT_EQ(sample.size, 26 + 8 + 6615);
}

TEST_F(WavSamples, LoadGoesByTheNameEnding)
{
    WriteFileBytes("app/native/sfx/click.WAV", MakeWav(WavFormat(), Pcm16(Ramp(32))));
    ovSample mp3;
    EXPECT_TRUE(mp3.Load("THEME.MP3")) << "no file needed: the renderer opens it";
    EXPECT_EQ(mp3.type, OV_SAMPLE_MP3);
    EXPECT_STREQ(mp3.file_name, "THEME.MP3");
    EXPECT_EQ(mp3.buffer, nullptr);

    ovSample wav;
    EXPECT_TRUE(wav.Load("sfx/click.WAV"));
    EXPECT_EQ(wav.type, OV_SAMPLE_WAV);
    EXPECT_EQ(wav.size, 64 + 8 + 6615);

    ovSample ogg;
    EXPECT_FALSE(ogg.Load("sfx/click.ogg"));
    EXPECT_EQ(ogg.type, OV_SAMPLE_NONE);

    ovSample missing;
    EXPECT_FALSE(missing.Load("sfx/none.wav")) << "a missing WAV fails the load";
    EXPECT_TRUE(Logged("Sample file 'sfx/none.wav' not found."));
    EXPECT_FALSE(missing.Load("mp3"));
}

TEST_F(WavSamples, SilenceAndRescaling)
{
    ovSample silence;
    silence.GenerateSilence(8192, 22050);
    EXPECT_EQ(silence.size, 8192) << "a tail shorter than the size leaves the size";
    EXPECT_EQ(silence.sample_count, 4096);
    EXPECT_EQ(silence.channels, 1);
    for (int i = 0; i < 8192 + 6615; i++)
        ASSERT_EQ(silence.buffer[i], 0);
    ovSample short_one;
    short_one.GenerateSilence(100, 22050);
    EXPECT_EQ(short_one.size, 100 + 6615);

    const std::vector<int16_t> values = {3, -3, 32767, -32768, 0, 101};
    std::vector<uint8_t> file = MakeWav(WavFormat(), Pcm16(values));
    file.resize(file.size() + 64, 0);  // more data than the header names is fine
    file[40] = (uint8_t)(values.size() * 2 + 64);
    ovSample s;
    ASSERT_TRUE(s.LoadWavFromMemory(file.data(), file.size()));
    s.RescaleVolume(0.5f);
    const int16_t *v = (const int16_t *)(s.buffer + 8);
    for (size_t i = 0; i < values.size(); i++)
        EXPECT_EQ(v[i], (int16_t)(int)(values[i] * 0.5f)) << "value " << values[i] << " truncates toward zero";
}

}  // namespace
