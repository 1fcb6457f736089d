// The sound cache: references per call, the 4096 cap, hibernation and reloading, the
// 256-record limit, the extension fallback of names without one, dummy '!' names.
#include "tests/audio/audio_fixture.h"

using namespace audiotest;
using harness::CountLogged;
using harness::Logged;

namespace {

class SoundCache : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        WriteFileBytes("app/native/sfx/boom.wav", MakeWav(WavFormat(), Pcm16(Ramp(400))));
    }
    static ovSample *SampleOf(ov_sound_t *s) { return (ovSample *)s->imp_data[1]; }
};

TEST_F(SoundCache, GetSoundCountsOneReferencePerRecordAndLoadSoundOnePerCall)
{
    StartAudio();
    ov_sound_t *a = ov->OV_GetSound("sfx/boom");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(ov->OV_GetSound("sfx/boom"), a);
    EXPECT_EQ(ov->OV_GetSoundEx("sfx/boom", OV_SOUND_LOAD), a);
    EXPECT_EQ(a->refcount, 1);
    EXPECT_TRUE(a->flags & OV_SOUND_GOT);
    for (int i = 1; i <= 3; i++) {
        EXPECT_EQ(ov->OV_LoadSound("sfx/boom"), a);
        EXPECT_EQ(a->refcount, 1 + i);
    }
    ov_sound_t *b = ov->OV_LoadSound("sfx/boom2");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->refcount, 1);
    EXPECT_FALSE(b->flags & OV_SOUND_GOT) << "LoadSound does not mark the record as got";
    EXPECT_EQ(b->default_volume, 1.0f);
    EXPECT_EQ(b->default_pan, 0.0f);
    EXPECT_EQ(b->default_frequency, 1.0f);
}

TEST_F(SoundCache, LookupModeNeitherCreatesNorCounts)
{
    StartAudio();
    const int count = OVI_GetSoundCount();
    EXPECT_EQ(ov->OV_GetSoundEx("sfx/unknown", OV_SOUND_LOOKUP), nullptr);
    EXPECT_EQ(OVI_GetSoundCount(), count);
    ov_sound_t *s = ov->OV_LoadSound("sfx/boom");
    EXPECT_EQ(ov->OV_GetSoundEx("sfx/boom", OV_SOUND_LOOKUP), s);
    EXPECT_EQ(s->refcount, 1);
}

TEST_F(SoundCache, NullNamesRaiseThePopup)
{
    StartAudio();
    EXPECT_EQ(ov->OV_GetSoundEx(nullptr, OV_SOUND_LOOKUP), nullptr);
    EXPECT_TRUE(Logged("OV_GetSoundEx called with null parameter (forbidden)."));
    ov_sound_t *s = ov->OV_GetSoundEx(nullptr, OV_SOUND_LOAD);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->name, "");
}

TEST_F(SoundCache, LoadSoundCountIsCappedAt4096)
{
    StartAudio();
    ov_sound_t *s = nullptr;
    for (int i = 0; i < OV_SOUND_MAX_REFS; i++)
        s = ov->OV_LoadSound("sfx/boom");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->refcount, OV_SOUND_MAX_REFS);
    EXPECT_FALSE(Logged("reference count suspiciously high"));
    ov->OV_LoadSound("sfx/boom");
    EXPECT_EQ(s->refcount, OV_SOUND_MAX_REFS);
    EXPECT_TRUE(Logged("Sound 'sfx/boom' reference count suspiciously high: capping at 4096."));
}

TEST_F(SoundCache, ReleaseToZeroHibernatesAndLoadSoundReloads)
{
    StartAudio();
    ov_sound_t *s = ov->OV_LoadSound("sfx/boom");
    ASSERT_NE(SampleOf(s), nullptr);
    EXPECT_EQ(s->cache_mode, OV_SOUND_LOAD);

    ov->OV_ReleaseSound(s);
    EXPECT_EQ(s->refcount, 0);
    EXPECT_STREQ(s->name, "sfx/boom") << "a hibernated record keeps its name";
    EXPECT_EQ(SampleOf(s), nullptr) << "and gives up its data";
    EXPECT_EQ(s->cache_mode, OV_SOUND_NOT_LOADED);
    EXPECT_TRUE(Logged("Hibernating sound 'sfx/boom'.."));

    EXPECT_EQ(ov->OV_LoadSound("sfx/boom"), s);
    EXPECT_EQ(s->refcount, 1);
    ASSERT_NE(SampleOf(s), nullptr);
    EXPECT_EQ(SampleOf(s)->type, OV_SAMPLE_WAV);

    ov->OV_ReleaseSound(s);
    ov->OV_ReleaseSound(s);
    EXPECT_EQ(s->refcount, 0);
    EXPECT_TRUE(Logged("Sound 'sfx/boom' reference count less than zero."));
}

// An application that releases a sound and later gets it by name again plays it.
TEST_F(SoundCache, GetSoundOnAHibernatedRecordReloadsIt)
{
    StartAudio();
    struct Case {
        const char *how;
        bool got_first;  // the record was first got with OV_GetSound, else loaded
    } cases[] = {{"loaded", false}, {"got", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        const std::string name = std::string("sfx/") + c.how;
        WriteFileBytes("app/native/" + name + ".wav", MakeWav(WavFormat(), Pcm16(Ramp(400))));
        ov_sound_t *s = c.got_first ? ov->OV_GetSound(name.c_str()) : ov->OV_LoadSound(name.c_str());
        ov->OV_ReleaseSound(s);
        ASSERT_EQ(SampleOf(s), nullptr) << "hibernated";
        EXPECT_EQ(ov->OV_GetSound(name.c_str()), s);
        EXPECT_EQ(s->refcount, 1);
        EXPECT_EQ(s->cache_mode, OV_SOUND_LOAD);
        ASSERT_NE(SampleOf(s), nullptr);
        Advance(100);
        hl::clear_pcm_writes();
        EXPECT_NE(ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f), 0);
        EXPECT_TRUE(WaitFor([] { return !BusyGroups().empty(); })) << "and it is heard";
        // One release hibernates it again: the reference got back is the only one.
        ov->OV_ReleaseSound(s);
        EXPECT_EQ(s->refcount, 0);
        EXPECT_EQ(SampleOf(s), nullptr);
    }
}

TEST_F(SoundCache, ReleasingAGotSoundToZeroWarns)
{
    StartAudio();
    ov_sound_t *s = ov->OV_GetSound("sfx/boom");
    ov->OV_ReleaseSound(s);
    EXPECT_TRUE(Logged("Releasing sound 'sfx/boom' too many times"));
    EXPECT_EQ(SampleOf(s), nullptr);
}

TEST_F(SoundCache, The257thNameFailsAndAFreedRecordIsReused)
{
    StartAudio();
    std::vector<ov_sound_t *> sounds;
    for (int i = 0; i < OV_MAX_SOUNDS; i++) {
        char name[32];
        snprintf(name, sizeof name, "!slot%d", i);
        sounds.push_back(ov->OV_LoadSound(name));
        ASSERT_NE(sounds.back(), nullptr) << name;
    }
    EXPECT_EQ(ov->OV_LoadSound("!one-too-many"), nullptr);
    EXPECT_TRUE(Logged(" ! Orvex out of free sounds."));

    harness::record.parms.reference_counting = 0;
    ov->OV_ReleaseSound(sounds[17]);
    EXPECT_EQ(sounds[17]->name, nullptr) << "without reference counting a release frees the record";
    EXPECT_EQ(ov->OV_LoadSound("!newcomer"), sounds[17]);
    EXPECT_EQ(OVI_GetSoundCount(), OV_MAX_SOUNDS);
}

struct FallbackCase {
    const char *name;
    const char *file;      // written below app/native, or null
    const char *expected;  // the file the sample was loaded from, or null when none
    int type;
};

TEST_F(SoundCache, NamesWithoutExtensionTryWavThenOggThenMp3ForMusic)
{
    const FallbackCase cases[] = {
        {"sfx/click", "sfx/click.wav", "sfx/click.wav", OV_SAMPLE_WAV},
        {"music/theme", nullptr, "music/theme.mp3", OV_SAMPLE_MP3},  // music names must be .mp3
        {"dir.v2/hit", "dir.v2/hit.wav", "dir.v2/hit.wav", OV_SAMPLE_WAV},  // a '.' before a '/' is no extension
        {"sfx/click.wav", "sfx/click.wav", "sfx/click.wav", OV_SAMPLE_WAV},
        {"sfx/missing", nullptr, nullptr, OV_SAMPLE_NONE},  // only music falls back to an unopened MP3 name
        {"music/missing", nullptr, "music/missing.mp3", OV_SAMPLE_MP3},
        {"sfx/missing.wav", nullptr, nullptr, OV_SAMPLE_NONE},
        {"music/theme.wav", "music/theme.wav", nullptr, OV_SAMPLE_NONE},
    };
    for (const FallbackCase &c : cases)
        if (c.file)
            WriteFileBytes(std::string("app/native/") + c.file, MakeWav(WavFormat(), Pcm16(Ramp(64))));
    StartAudio();
    for (const FallbackCase &c : cases) {
        SCOPED_TRACE(c.name);
        ov_sound_t *s = ov->OV_LoadSound(c.name);
        ASSERT_NE(s, nullptr) << "a record exists even when nothing loaded";
        ovSample *sample = SampleOf(s);
        if (!c.expected) {
            EXPECT_EQ(sample, nullptr);
            EXPECT_TRUE(Logged(std::string("Sound resource '") + c.name + "' not found."));
            Advance(100);
            EXPECT_EQ(ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f), 0);
            continue;
        }
        ASSERT_NE(sample, nullptr);
        EXPECT_STREQ(sample->file_name, c.expected);
        EXPECT_EQ(sample->type, c.type);
    }
}

TEST_F(SoundCache, BangNamesNeverPlay)
{
    StartAudio();
    ov_sound_t *none = ov->OV_LoadSound("!none");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->cache_mode, OV_SOUND_LOAD) << "!NONE takes the requested mode at once";
    EXPECT_EQ(SampleOf(none), nullptr);
    ov_sound_t *bang = ov->OV_GetSound("!click");
    ASSERT_NE(bang, nullptr);
    EXPECT_EQ(ov->OV_LoadSound("!click"), bang);
    EXPECT_EQ(bang->refcount, 1) << "dummy records take no further references";

    hl::clear_pcm_writes();
    EXPECT_EQ(ov->OV_PlaySound(none, 1.0f, 0.0f, 1.0f), 0);
    EXPECT_EQ(ov->OV_PlaySound(bang, 1.0f, 0.0f, 1.0f), 0);
    EXPECT_FALSE(Logged("Playing sound !"));
    MixAndSettle(4096);
    EXPECT_TRUE(BusyGroups().empty());
}

TEST_F(SoundCache, NullImplementationStillCachesAndCounts)
{
    harness::record.parms.no_sound = 1;
    StartEngine();
    EXPECT_TRUE(Logged("Sounds disabled. Null Sound Implementation in use."));
    ov_sound_t *s = ov->OV_LoadSound("sfx/boom");
    ASSERT_NE(s, nullptr);
    ov->OV_LoadSound("sfx/boom");
    EXPECT_EQ(s->refcount, 2);
    Advance(1000);
    EXPECT_EQ(ov->OV_PlaySound(s, 1.0f, 0.0f, 1.0f), 0);
    EXPECT_EQ(hl::open_subchannels(), 0);
}

}  // namespace
