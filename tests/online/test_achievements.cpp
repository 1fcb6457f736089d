// Achievements with the fixture table: unlocks and their notices, the platform score
// service's commands and replies (through the wrapped extension slot), the script
// functions, and the notice read back from the headless display.
#include "tests/online/online_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "online/achievementman.h"

#include "ovrecords.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using apptest::CountLogged;
using onlinetest::platform;

namespace {

class AchievementTest : public onlinetest::OnlineTest {
protected:
    void Begin(const std::string &features = "ACHIEVEMENTS", bool game_center = false)
    {
        StartOnline(features);
        platform.game_center = game_center;
        std::ifstream in(std::string(ONLINE_FIXTURES_DIR) + "/achievements/achievements.xml");
        std::stringstream text;
        text << in.rdbuf();
        apptest::WriteFile("achievements/achievements.xml", text.str());
        ASSERT_TRUE(onlinetest::WriteTga("res://achievements/first_blood.tga", 32, 32, 0xff0000ffu));
        ASSERT_TRUE(onlinetest::WriteTga("res://achievements/sharpshooter.tga", 32, 32, 0xff00ff00u));
        ASSERT_TRUE(onlinetest::WriteTga("res://achievements/survivor.tga", 32, 32, 0xffff0000u));
        achievement_man.Initialize();
        ASSERT_TRUE(achievement_man.IsInitialized());
    }
    // Commands sent to the platform score service.
    std::vector<std::string> Commands() { return platform.commands; }
    const char *Ack(const char *id) { return prof->GetValue("ACHIEVEMENTS", id, "game_center_ack"); }
};

TEST_F(AchievementTest, WithoutTheTableNothingIsRegisteredOrRecorded)
{
    StartOnline("ACHIEVEMENTS");
    int functions = lua_man.GetNumberOfFunctions();
    achievement_man.Initialize();
    EXPECT_TRUE(apptest::Logged("AchievementManager Initializing."));
    EXPECT_FALSE(achievement_man.IsInitialized());
    achievement_man.UnlockAchievement("first_blood");
    EXPECT_FALSE(achievement_man.IsAchievementUnlocked("first_blood"));
    EXPECT_EQ(achievement_man.GetNumberOfQueuedPopups(), 0);
    EXPECT_EQ(achievement_man.GetAchievementValue("first_blood", "name"), nullptr);
    EXPECT_LE(lua_man.GetNumberOfFunctions(), functions + 3);
}

struct UnlockCase {
    const char *name;
    std::vector<const char *> ids;  // unlocked in order
    bool developer;
    int popups;
    std::vector<std::string> commands;
    int unknown_popups;  // developer popups for unknown ids
};

TEST_F(AchievementTest, UnlockTable)
{
    const UnlockCase cases[] = {
        {"one", {"first_blood"}, false, 1, {"GameCenter UnlockAchievement,first_blood,100"}, 0},
        {"twice", {"first_blood", "first_blood"}, false, 1, {"GameCenter UnlockAchievement,first_blood,100"}, 0},
        {"two", {"first_blood", "survivor"}, false, 2,
         {"GameCenter UnlockAchievement,first_blood,100", "GameCenter UnlockAchievement,survivor,100"}, 0},
        {"unknown, developer mode", {"nope"}, true, 0, {}, 1},
        {"unknown, player mode", {"nope"}, false, 0, {}, 0},
    };
    Begin("ACHIEVEMENTS,GAME_CENTER", true);
    for (const UnlockCase &c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh player and manager for each case.
        achievement_man.Shutdown();
        profile_man().Clear();
        profile_man().CreateNewProfile();
        achievement_man.Initialize();
        prog.parms.developer_mode = c.developer ? 1 : 0;
        platform.commands.clear();
        int unknown_before = CountLogged("OV: AchievementManager::UnlockAchievement: Unknown Achievement id 'nope'");
        for (const char *id : c.ids)
            achievement_man.UnlockAchievement(id);
        EXPECT_EQ(achievement_man.GetNumberOfQueuedPopups(), c.popups);
        EXPECT_EQ(Commands(), c.commands);
        EXPECT_EQ(CountLogged("OV: AchievementManager::UnlockAchievement: Unknown Achievement id 'nope'") - unknown_before,
                  c.unknown_popups);
        for (const char *id : c.ids) {
            bool known = achievement_man.GetAchievementValue(id, "name") != nullptr;
            EXPECT_EQ(achievement_man.IsAchievementUnlocked(id), known);
            if (known) {
                EXPECT_STREQ(Ack(id), "0");
                EXPECT_STREQ(prof->GetValue("ACHIEVEMENTS", id, "tag"), "1");
            }
        }
    }
}

TEST_F(AchievementTest, ASecondUnlockResetsTheAcknowledgement)
{
    Begin("ACHIEVEMENTS,GAME_CENTER", true);
    achievement_man.UnlockAchievement("sharpshooter");
    ov_event_t event = {};
    event.type = OV_EVENT_SERVICE_20;
    event.ptr = (void *)"sharpshooter";
    event.x = 1;
    sman.ProcessEvent(event);
    EXPECT_STREQ(Ack("sharpshooter"), "1");
    achievement_man.UnlockAchievement("sharpshooter");
    EXPECT_STREQ(Ack("sharpshooter"), "0");
    EXPECT_EQ(achievement_man.GetNumberOfQueuedPopups(), 1);
    EXPECT_EQ(Commands().size(), 2u);  // "Authenticate" and one report
}

TEST_F(AchievementTest, ThreeUnlocksAreShownOneAfterAnother)
{
    Begin();
    achievement_man.UnlockAchievement("first_blood");
    achievement_man.UnlockAchievement("sharpshooter");
    achievement_man.UnlockAchievement("survivor");
    ASSERT_EQ(achievement_man.GetNumberOfQueuedPopups(), 3);
    EXPECT_STREQ(achievement_man.GetPopup(0)->name, "First Blood");
    EXPECT_STREQ(achievement_man.GetPopup(2)->name, "Survivor");
    // The frame time reaches the notices through the screen manager's step.
    std::vector<float> gone;
    float t = 0.0f;
    int left = 3;
    for (int i = 0; i < 1000 && left > 0; i++) {
        Steps(1, 0.05f);
        t += 0.05f;
        if (achievement_man.GetNumberOfQueuedPopups() < left) {
            left = achievement_man.GetNumberOfQueuedPopups();
            gone.push_back(t);
        }
        if (left > 0) {
            // Only the front one ages.
            for (int k = 1; k < left; k++)
                EXPECT_EQ(achievement_man.GetPopup(k)->timer, 0.0f);
        }
    }
    ASSERT_EQ(gone.size(), 3u);
    EXPECT_NEAR(gone[0], 2.8f, 0.01f);
    EXPECT_NEAR(gone[1], 5.6f, 0.01f);
    EXPECT_NEAR(gone[2], 8.4f, 0.01f);
}

TEST_F(AchievementTest, HiddenNotificationsStillRecordAndReport)
{
    Begin("ACHIEVEMENTS,GAME_CENTER,HIDE_ACHIEVEMENT_NOTIFICATIONS", true);
    EXPECT_FALSE(achievement_man.AreNotificationsOn());
    achievement_man.UnlockAchievement("survivor");
    EXPECT_TRUE(achievement_man.IsAchievementUnlocked("survivor"));
    EXPECT_EQ(achievement_man.GetNumberOfQueuedPopups(), 0);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"GameCenter Authenticate", "GameCenter UnlockAchievement,survivor,100"}));
}

struct MotionCase {
    float t, alpha, slide;
};

TEST_F(AchievementTest, FadeAndSlide)
{
    const MotionCase cases[] = {
        {0.0f, 0.0f, -1.0f}, {0.35f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {2.15f, 1.0f, 0.0f}, {2.85f, 0.0f, 1.0f},
    };
    for (const MotionCase &c : cases) {
        SCOPED_TRACE(c.t);
        float alpha, slide;
        AchievementPopupMotion(c.t, &alpha, &slide);
        EXPECT_NEAR(alpha, c.alpha, 1e-5);
        EXPECT_NEAR(slide, c.slide, 1e-5);
    }
    // Halfway in, part faded and on its way.
    float alpha, slide;
    AchievementPopupMotion(0.175f, &alpha, &slide);
    EXPECT_NEAR(alpha, 0.5f, 1e-5);
    EXPECT_LT(slide, 0.0f);
    EXPECT_GT(slide, -1.0f);
}

TEST_F(AchievementTest, SignInStoresThePlayerAndReportsUnconfirmedUnlocks)
{
    Begin("ACHIEVEMENTS,GAME_CENTER", true);
    achievement_man.UnlockAchievement("first_blood");
    achievement_man.UnlockAchievement("sharpshooter");
    achievement_man.UnlockAchievement("survivor");
    ov_event_t confirmed = {};
    confirmed.type = OV_EVENT_SERVICE_20;
    confirmed.ptr = (void *)"sharpshooter";
    confirmed.x = 1;
    sman.ProcessEvent(confirmed);
    ov_event_t failed = confirmed;
    failed.ptr = (void *)"survivor";
    failed.x = 0;
    sman.ProcessEvent(failed);
    EXPECT_STREQ(Ack("sharpshooter"), "1");
    EXPECT_STREQ(Ack("survivor"), "0");

    platform.commands.clear();
    ov_event_t signed_in = {};
    signed_in.type = OV_EVENT_SERVICE_19;
    signed_in.index = 1;
    signed_in.ptr2 = (void *)"uid-42";
    signed_in.list = (void *)"Commander";
    sman.ProcessEvent(signed_in);
    EXPECT_STREQ(prof->GetValue("GAME_CENTER", "profile", "uid"), "uid-42");
    EXPECT_STREQ(prof->GetValue("GAME_CENTER", "profile", "alias"), "Commander");
    EXPECT_EQ(Commands(), (std::vector<std::string>{"GameCenter UnlockAchievement,first_blood,100",
                                                   "GameCenter UnlockAchievement,survivor,100"}));

    // A failed sign-in stores nothing and reports nothing.
    platform.commands.clear();
    signed_in.index = 0;
    signed_in.ptr2 = (void *)"other";
    sman.ProcessEvent(signed_in);
    EXPECT_STREQ(prof->GetValue("GAME_CENTER", "profile", "uid"), "uid-42");
    EXPECT_TRUE(Commands().empty());

    // Answers: other types are not taken with the service in use.
    ov_event_t other = {};
    other.type = OV_EVENT_SERVICE_21;
    EXPECT_FALSE(achievement_man.ProcessEvent(other));
    EXPECT_TRUE(achievement_man.ProcessEvent(signed_in));
}

TEST_F(AchievementTest, WithoutThePlatformServiceRepliesChangeNothing)
{
    Begin();
    achievement_man.UnlockAchievement("first_blood");
    ov_event_t confirmed = {};
    confirmed.type = OV_EVENT_SERVICE_20;
    confirmed.ptr = (void *)"first_blood";
    confirmed.x = 1;
    EXPECT_TRUE(achievement_man.ProcessEvent(confirmed));
    EXPECT_STREQ(Ack("first_blood"), "0");
    EXPECT_TRUE(Commands().empty());
}

TEST_F(AchievementTest, QueriesAndScriptFunctions)
{
    Begin("ACHIEVEMENTS,GAME_CENTER", true);
    EXPECT_STREQ(achievement_man.GetAchievementValue("survivor", "desc"), "Survive 20 waves.");
    EXPECT_EQ(achievement_man.GetAchievementValue("nope", "desc"), nullptr);
    lua_State *L = lua_man.GetMainState();
    ASSERT_TRUE(lua_man.ExecLuaString(L, "AM_UnlockAchievement ('survivor') AM_UnlockAchievement ()"));
    ASSERT_TRUE(lua_man.ExecLuaString(L, "a = AM_IsAchievementUnlocked ('survivor') "
                                         "b = AM_IsAchievementUnlocked ('first_blood') c = AM_IsAchievementUnlocked ()"));
    lua_getglobal(L, "a");
    lua_getglobal(L, "b");
    lua_getglobal(L, "c");
    EXPECT_TRUE(lua_isboolean(L, -3) && lua_toboolean(L, -3));
    EXPECT_TRUE(lua_isboolean(L, -2) && !lua_toboolean(L, -2));
    EXPECT_TRUE(lua_isboolean(L, -1) && !lua_toboolean(L, -1));
    lua_pop(L, 3);
    EXPECT_EQ(achievement_man.GetNumberOfUnlockedAchievements(), 1);
    EXPECT_STREQ(achievement_man.GetUnlockedAchievementByIndex(0), "survivor");

    // With the platform service: its own list; progress reports while it is there.
    platform.commands.clear();
    ASSERT_TRUE(lua_man.ExecLuaString(L, "AM_ShowAchievements ()"));
    achievement_man.ReportAchievementProgress("first_blood", 40);
    platform.game_center = false;
    achievement_man.ReportAchievementProgress("first_blood", 60);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"GameCenter ShowAchievements",
                                                   "GameCenter UnlockAchievement,first_blood,40"}));
    // Without it the screen "Achievements" comes up when there is one.
    MakeScreen("Achievements");
    ASSERT_TRUE(lua_man.ExecLuaString(L, "AM_ShowAchievements ()"));
    EXPECT_TRUE(sman.IsScreenInStack("Achievements"));
}

TEST_F(AchievementTest, ANoticeIsDrawnAsABandWithIconAndName)
{
    Begin();
    ov_bitmap_t *icon = ov->OV_LoadBitmap("achievements/first_blood.tga", 4);
    int start = onlinetest::RefCount(icon);
    achievement_man.UnlockAchievement("first_blood");
    EXPECT_EQ(onlinetest::RefCount(icon), start + 1);
    // At rest (t = 1): the band at 0.9 H, the red icon and the white name beside it.
    Steps(20, 0.05f);
    DrawFrame();
    widgettest::Frame frame = widgettest::ReadFrame();
    EXPECT_TRUE(widgettest::SavePng(frame, "/tmp/achievement-notice.png"));
    const int H = 240, band_top = (int)(0.9f * H - 16), band_bottom = (int)(0.9f * H + 16);
    // Half-black over the cleared (black) display: the band is still black; what shows
    // is the icon (red, 32 x 32 at scale 1 plus the pulse) and the name's blocks.
    auto red = [](const widgettest::Rgba &c) { return c[0] > 200 && c[1] < 40 && c[2] < 40; };
    auto white = [](const widgettest::Rgba &c) { return c[0] > 200 && c[1] > 200 && c[2] > 200; };
    std::array<int, 4> icon_box = widgettest::LitBox(frame, 0, 0, frame.w - 1, frame.h - 1, red);
    std::array<int, 4> text_box = widgettest::LitBox(frame, 0, 0, frame.w - 1, frame.h - 1, white);
    ASSERT_GE(icon_box[0], 0);
    ASSERT_GE(text_box[0], 0);
    EXPECT_NEAR((icon_box[1] + icon_box[3]) / 2.0, 0.9 * H, 1.5);
    EXPECT_GE(icon_box[1], band_top - 4);
    EXPECT_LE(icon_box[3], band_bottom + 4);
    // The name sits right of the icon, centred on the band.
    EXPECT_GT(text_box[0], icon_box[2]);
    EXPECT_NEAR((text_box[1] + text_box[3]) / 2.0, 0.9 * H, 4);
    // "First Blood": 11 characters of 8 units, the last glyph 6 wide.
    EXPECT_NEAR(text_box[2] - text_box[0] + 1, 86, 2);
    // Icon and name together are centred across the screen.
    EXPECT_NEAR((icon_box[0] + text_box[2]) / 2.0, 160, 6);

    // Once its time is up the icon's reference goes back.
    Steps(40, 0.05f);
    EXPECT_EQ(achievement_man.GetNumberOfQueuedPopups(), 0);
    EXPECT_EQ(onlinetest::RefCount(icon), start);
    ov->OV_ReleaseBitmap(icon);
}

TEST_F(AchievementTest, TheBandIsHalfBlackOverWhatIsBelow)
{
    Begin();
    // A white screen below the notice.
    Screen *below = MakeScreen("Below", "CreateComp (\"Rectangle\", \"white\");\n"
                                        "SetProperty (\"scale_type\", \"STRETCH_TO_COVER_SCREEN\");\n"
                                        "SetProperty (\"rectangle.rect_width\", \"320\");\n"
                                        "SetProperty (\"rectangle.rect_height\", \"240\");\n");
    below->covers_screen = true;
    sman.PushScreen(below, 0);
    Steps(20, 0.05f);
    achievement_man.ShowPopup("Plain", nullptr);
    achievement_man.UnlockAchievement("survivor");
    Steps(20, 0.05f);
    DrawFrame();
    widgettest::Frame frame = widgettest::ReadFrame();
    EXPECT_TRUE(widgettest::SavePng(frame, "/tmp/achievement-band.png"));
    // "!NONE" has no height: the band is twice the text height (2 x 12) around 0.9 H.
    widgettest::Rgba mid = frame.At(5, 216);
    EXPECT_NEAR(mid[0], 128, 12);
    EXPECT_NEAR(mid[1], 128, 12);
    widgettest::Rgba above = frame.At(5, 200);
    EXPECT_GT(above[0], 240);
    auto grey = [](const widgettest::Rgba &c) { return c[0] > 100 && c[0] < 160 && c[1] > 100 && c[1] < 160; };
    std::array<int, 4> band = widgettest::LitBox(frame, 2, 0, 2, frame.h - 1, grey);
    EXPECT_NEAR(band[3] - band[1] + 1, 24, 2);
    EXPECT_NEAR((band[1] + band[3]) / 2.0, 216, 1.5);
}

}  // namespace
