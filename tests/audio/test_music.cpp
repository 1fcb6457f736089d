// Music through the media renderer's call log: the file URL from the music package's
// search path, volume levels, the restart after a clean end (once), requested stops
// and failed tracks that stay stopped, and the window state stopping and resuming it.
#include "tests/audio/audio_fixture.h"

#include "platform/bps.h"
#include "platform/headless.h"
#include "platform/mmrenderer.h"
#include "platform/navigator.h"

#include <unistd.h>

using namespace audiotest;
using harness::CountLogged;

namespace {

class Music : public AudioTest {
protected:
    void StartMusic(bool with_package = true)
    {
        WriteFileBytes("app/native/data-music-test/music/theme.mp3", {'I', 'D', '3', 0});
        WriteFileBytes("app/native/data-music-test/music/other.mp3", {'I', 'D', '3', 0});
        StartAudio();
        if (with_package) {
            ASSERT_TRUE(ov->OV_AddSearchPath("res://data-music-test/", true));
        }
        ASSERT_EQ(ovdev::bps_initialize(), 0);
        ASSERT_EQ(ovdev::navigator_request_events(0), 0);
        theme = ov->OV_GetSound("music/theme");
        other = ov->OV_GetSound("music/other");
        ASSERT_NE(theme, nullptr);
        ASSERT_NE(other, nullptr);
        hl::clear_calls();
    }
    // Runs the main loop over what is queued, until the injected exit.
    void RunLoop()
    {
        hl::inject_exit();
        TestClock::SetStepPerRead(1);
        OVI_RunMainLoop();
        TestClock::SetStepPerRead(0);
        ov_state.shutdown_requested = 0;
    }
    static std::vector<std::string> Calls(const std::string &name)
    {
        std::vector<std::string> out;
        for (const std::string &c : hl::calls())
            if (c.rfind(name + "(", 0) == 0)
                out.push_back(c);
        return out;
    }
    static std::string Url(const char *file)
    {
        char cwd[1024];
        EXPECT_NE(getcwd(cwd, sizeof cwd), nullptr);
        return std::string("file://") + cwd + "/app/native/data-music-test/" + file;
    }
    ov_sound_t *theme = nullptr;
    ov_sound_t *other = nullptr;
};

TEST_F(Music, PlayAttachesTheFileOfTheMusicPackageAndSetsTheVolume)
{
    StartMusic();
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    EXPECT_EQ(ov->OV_GetMusicPlaying(), theme);
    const std::vector<std::string> attach = Calls("mmr_input_attach");
    ASSERT_EQ(attach.size(), 1u);
    EXPECT_NE(attach[0].find("\"" + Url("music/theme.mp3") + "\", \"track\""), std::string::npos) << attach[0];
    EXPECT_EQ(Calls("mmr_play").size(), 1u);
    EXPECT_EQ(hl::music_url(), Url("music/theme.mp3"));
    EXPECT_TRUE(hl::music_playing());
    EXPECT_EQ(hl::music_volume(), 80);
}

struct LevelCase {
    float master, music;
    int level;
};

TEST_F(Music, VolumeLevelsFollowMasterTimesMusic)
{
    StartMusic();
    const LevelCase cases[] = {
        {0.5f, 1.0f, 60}, {0.0f, 1.0f, 0}, {1.0f, 0.004f, 0}, {1.0f, 1.0f, 80}, {0.3f, 1.0f, 52}, {1.0f, 0.5f, 60},
    };
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    for (const LevelCase &c : cases) {
        SCOPED_TRACE(c.master);
        SCOPED_TRACE(c.music);
        ov->OV_SetMasterVolume(c.master);
        ov->OV_SlideMusicVolume(c.music, 0.0f);
        EXPECT_EQ(hl::music_volume(), c.level);
    }
    hl::clear_calls();
    ov->OV_SlideMusicVolume(0.5f, 0.0f);
    EXPECT_TRUE(Calls("mmr_output_parameters").empty()) << "an unchanged level is not sent";
    ov->OV_SetMasterVolume(0.5f);
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);  // the same music: a volume change, no restart
    const std::vector<std::string> sent = Calls("mmr_output_parameters");
    ASSERT_FALSE(sent.empty());
    EXPECT_NE(sent.back().find("{\"volume\": \"60\"}"), std::string::npos) << sent.back();
    EXPECT_TRUE(Calls("mmr_input_attach").empty());
}

TEST_F(Music, ACleanEndRestartsTheTrackOnce)
{
    StartMusic();
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    ASSERT_TRUE(hl::end_music_track(0));
    // The renderer repeats its stopped report: that must not restart the track again.
    ASSERT_TRUE(hl::inject_raw(ovdev::mmrenderer_get_domain(), ovdev::MMRENDERER_STATE_CHANGE,
                               {{ovdev::MMRENDERER_PROPERTY_STATE, {ovdev::MMR_STATE_STOPPED}},
                                {ovdev::MMRENDERER_PROPERTY_ERROR_CODE, {0}}}));
    ov->OV_SlideMusicVolume(0.2f, 0.0f);
    hl::clear_calls();
    RunLoop();
    EXPECT_EQ(Calls("mmr_play").size(), 1u);
    EXPECT_TRUE(hl::music_playing());
    const std::vector<std::string> sent = Calls("mmr_output_parameters");
    ASSERT_EQ(sent.size(), 1u) << "the restart sends the level again";
    EXPECT_NE(sent[0].find("{\"volume\": \"48\"}"), std::string::npos) << sent[0];
}

TEST_F(Music, StopsThatWereAskedForAndFailedTracksStayStopped)
{
    StartMusic();
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    ASSERT_TRUE(hl::end_music_track(ovdev::MMR_ERROR_MEDIA_CORRUPTED));
    hl::clear_calls();
    RunLoop();
    EXPECT_TRUE(Calls("mmr_play").empty()) << "a track that failed is not restarted";

    ov->OV_PlayMusic(other, 1.0f, 0.0f);
    ov->OV_StopMusic(0.0f);
    EXPECT_EQ(ov->OV_GetMusicPlaying(), nullptr);
    hl::clear_calls();
    RunLoop();
    EXPECT_TRUE(Calls("mmr_play").empty()) << "a requested stop is not an end of track";
    EXPECT_FALSE(hl::music_playing());
}

TEST_F(Music, TheWindowStateStopsAndResumesTheMusic)
{
    StartMusic();
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    hl::inject_window_state(ovdev::NAVIGATOR_WINDOW_THUMBNAIL);
    hl::inject_window_state(ovdev::NAVIGATOR_WINDOW_FULLSCREEN);
    hl::clear_calls();
    RunLoop();
    std::vector<std::string> order;
    for (const std::string &c : hl::calls())
        if (c.rfind("mmr_", 0) == 0)
            order.push_back(c.substr(0, c.find('(')));
    const std::vector<std::string> expected = {"mmr_stop", "mmr_play", "mmr_output_parameters"};
    EXPECT_EQ(order, expected) << "the level is sent again on activation, though unchanged";
    EXPECT_TRUE(hl::music_playing());
    EXPECT_EQ(ov->OV_GetMusicPlaying(), theme);
}

TEST_F(Music, AnotherSoundReplacesTheMusicAndBangStopsIt)
{
    StartMusic();
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    hl::clear_calls();
    ov->OV_PlayMusic(other, 1.0f, 0.0f);
    std::vector<std::string> order;
    for (const std::string &c : hl::calls())
        if (c.rfind("mmr_", 0) == 0)
            order.push_back(c.substr(0, c.find('(')));
    const std::vector<std::string> expected = {"mmr_stop", "mmr_input_detach", "mmr_input_attach", "mmr_play"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(hl::music_url(), Url("music/other.mp3"));

    ov_sound_t *none = ov->OV_GetSound("!NONE");
    ov->OV_PlayMusic(none, 1.0f, 0.0f);
    EXPECT_EQ(ov->OV_GetMusicPlaying(), nullptr);
    EXPECT_TRUE(hl::music_url().empty());
}

TEST_F(Music, UnplayableMusicIsReportedOnce)
{
    StartMusic(false);
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    ov->OV_StopMusic(0.0f);
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    EXPECT_EQ(CountLogged("No music package on the search paths: music 'music/theme' not played."), 1);
    EXPECT_TRUE(Calls("mmr_input_attach").empty());
    EXPECT_EQ(ov->OV_GetMusicPlaying(), theme) << "the music stays set";

    ASSERT_TRUE(ov->OV_AddSearchPath("res://data-music-test/", true));
    unlink("app/native/data-music-test/music/other.mp3");
    ov->OV_PlayMusic(other, 1.0f, 0.0f);
    ov->OV_PlayMusic(theme, 1.0f, 0.0f);
    ov->OV_PlayMusic(other, 1.0f, 0.0f);
    EXPECT_EQ(CountLogged("Unable to open music file"), 1);
    EXPECT_FALSE(hl::music_playing());
}

}  // namespace
