// The audio manager: volumes applied to effects and music, the low initial volume,
// music switching and the master fade.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/audioman.h"
#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "ovrecords.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

using namespace apptest;

namespace {

orvex_t real;
std::vector<std::string> calls;
ov_sound_t *playing = nullptr;
const char *features = nullptr;

std::string Format(const char *fmt, ...)
{
    char text[256];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

const char *NameOf(ov_sound_t *s)
{
    return s && s->name ? s->name : "null";
}

long FakePlaySound(ov_sound_t *s, float volume, float pan, float frequency)
{
    calls.push_back(Format("PlaySound %s %g %g %g", NameOf(s), volume, pan, frequency));
    return s ? 5 : 0;
}
void FakePlayMusic(ov_sound_t *s, float volume, float fade)
{
    calls.push_back(Format("PlayMusic %s %g %g", NameOf(s), volume, fade));
    playing = s;
}
void FakeStopMusic(float fade)
{
    calls.push_back(Format("StopMusic %g", fade));
}
void FakeSlideMusicVolume(float volume, float seconds)
{
    calls.push_back(Format("SlideMusicVolume %g %g", volume, seconds));
}
ov_sound_t *FakeGetMusicPlaying()
{
    return playing;
}
void FakeSetMasterVolume(float volume)
{
    calls.push_back(Format("SetMasterVolume %g", volume));
}
const char *FakeExtension(const char *command, const char *argument)
{
    if (strcmp(command, "ProgramInfo") == 0 && argument && strcmp(argument, "Features") == 0)
        return features;
    return nullptr;
}

class AudioTest : public AppEngineTest {
protected:
    void SetUp() override {
        AppEngineTest::SetUp();
        Start();
        real = saved_;
        ov->OV_PlaySound = FakePlaySound;
        ov->OV_PlayMusic = FakePlayMusic;
        ov->OV_StopMusic = FakeStopMusic;
        ov->OV_SlideMusicVolume = FakeSlideMusicVolume;
        ov->OV_GetMusicPlaying = FakeGetMusicPlaying;
        ov->OV_SetMasterVolume = FakeSetMasterVolume;
        ov->OV_CallExtension = FakeExtension;
        playing = nullptr;
        features = nullptr;
        feature_man.Initialize();
        aman.Initialize();
        calls.clear();
        memset(&music_a_, 0, sizeof music_a_);
        memset(&music_b_, 0, sizeof music_b_);
        music_a_.name = name_a_;
        music_b_.name = name_b_;
    }
    void TearDown() override {
        aman.Update(1.0f, true);
        AppEngineTest::TearDown();
    }
    char name_a_[8] = "music/a";
    char name_b_[8] = "music/b";
    ov_sound_t music_a_, music_b_;
};

typedef std::vector<std::string> Calls;

}  // namespace

TEST_F(AudioTest, DefaultsAndTheLowInitialVolume)
{
    EXPECT_FLOAT_EQ(aman.GetSoundVolume(), 0.75f);
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.75f);
    features = "ADS LOW_INITIAL_VOLUME";
    feature_man.Initialize();
    aman.Initialize();
    EXPECT_FLOAT_EQ(aman.GetSoundVolume(), 0.375f);
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.375f);
    calls.clear();
    EXPECT_EQ(aman.PlaySound(&music_a_, 1.0f, 0.0f, 1.0f), 5);
    EXPECT_EQ(calls, Calls{"PlaySound music/a 0.375 0 1"});
}

TEST_F(AudioTest, EffectVolumesAreClampedThenScaled)
{
    struct Case {
        float volume;
        const char *engine;
    } cases[] = {
        {2.0f, "PlaySound music/a 0.75 -0.5 1.5"},
        {0.5f, "PlaySound music/a 0.375 -0.5 1.5"},
        {-1.0f, "PlaySound music/a 0 -0.5 1.5"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.volume);
        calls.clear();
        aman.PlaySound(&music_a_, c.volume, -0.5f, 1.5f);
        EXPECT_EQ(calls, Calls{c.engine});
    }
    calls.clear();
    EXPECT_EQ(aman.PlaySound(nullptr, 1.0f, 0.0f, 1.0f), 0);
    EXPECT_EQ(calls, Calls{"PlaySound null 0.75 0 1"});
}

TEST_F(AudioTest, SwitchingToThePlayingTrackOnlySlidesItsVolume)
{
    aman.SwitchMusic(&music_a_, 1.5f, 2.0f);
    EXPECT_EQ(calls, (Calls{"StopMusic 2", "PlayMusic music/a 0.75 1.5"}));
    calls.clear();
    aman.SwitchMusic(&music_a_, 0.5f, 2.0f);
    EXPECT_EQ(calls, Calls{"SlideMusicVolume 0.75 0.5"});
    calls.clear();
    aman.SwitchMusic(&music_b_, 1.0f, 3.0f);
    EXPECT_EQ(calls, (Calls{"StopMusic 3", "PlayMusic music/b 0.75 1"}));
}

TEST_F(AudioTest, MusicVolumeSlidesAndPlays)
{
    aman.SlideMusicVolume(0.5f, 2.0f);
    aman.SlideMusicVolume(7.0f, 1.0f);
    aman.PlayMusic(&music_a_, 0.5f);
    aman.StopMusic(4.0f);
    EXPECT_EQ(calls, (Calls{"SlideMusicVolume 0.5 2", "SlideMusicVolume 1 1", "PlayMusic music/a 0.5 0", "StopMusic 4"}));
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 1.0f);
    aman.SetMusicVolume(-3.0f);
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.0f);
    aman.SetSoundVolume(1.5f);
    EXPECT_FLOAT_EQ(aman.GetSoundVolume(), 1.0f);
}

TEST_F(AudioTest, MasterFadeFollowsActivity)
{
    aman.Update(0.5f, false);
    EXPECT_FLOAT_EQ(aman.GetMasterFade(), 0.5f);
    aman.Update(0.5f, false);
    EXPECT_FLOAT_EQ(aman.GetMasterFade(), 0.0f);
    aman.Update(2.0f, false);
    EXPECT_FLOAT_EQ(aman.GetMasterFade(), 0.0f);
    aman.Update(0.25f, true);
    EXPECT_FLOAT_EQ(aman.GetMasterFade(), 0.25f);
    aman.Update(5.0f, true);
    EXPECT_EQ(calls, (Calls{"SetMasterVolume 0.5", "SetMasterVolume 0", "SetMasterVolume 0", "SetMasterVolume 0.25",
                            "SetMasterVolume 1"}));
}

TEST_F(AudioTest, MusicScriptFunctions)
{
    lua_State *L = lua_man.OpenLuaState(0);
    ASSERT_TRUE(lua_man.ExecLuaString(L, "function check() return GetCurrentMusicAsString() == nil and 1 or 0 end"));
    EXPECT_EQ(lua_man.CallLuaFunction(L, "check"), 1);
    ASSERT_TRUE(lua_man.ExecLuaString(L, "SwitchMusic('music/title', 1, 2)"));
    EXPECT_TRUE(Logged("Switching music to 'music/title'..."));
    ASSERT_TRUE(lua_man.ExecLuaString(L, "function check() return GetCurrentMusicAsString() == 'music/title' and 1 or 0 end"));
    EXPECT_EQ(lua_man.CallLuaFunction(L, "check"), 1);
    calls.clear();
    ASSERT_TRUE(lua_man.ExecLuaString(L, "StopMusic(0.5)"));
    EXPECT_EQ(calls, Calls{"StopMusic 0.5"});
    lua_man.CloseLuaState(L);
}
