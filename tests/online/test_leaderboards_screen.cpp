// The leaderboards manager with the screen framework: showing the local leaderboards
// pushes the "Leaderboards" screen after telling it the category, and the screen
// manager hands the platform score-service events to the manager.
#include "online/leaderboards-manager.h"

#include "app/services/luaman.h"
#include "app/services/profiles.h"
#include "tests/app/ui/ui_fixture.h"

#include <string.h>

using namespace uitest;

namespace {

class LeaderboardsScreen : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        apptest::WriteFile("leaderboards/leaderboards.xml",
                           "<?xml version=\"1.0\"?>\n<root>\n<array id=\"CATEGORIES\">\n"
                           "<node id=\"JUNGLE_SURVIVAL\" display_name=\"LB_JUNGLE\" />\n"
                           "<node id=\"DESERT\" display_name=\"LB_DESERT\" />\n</array>\n</root>\n");
        leaderboards_man.Initialize();
    }
    void TearDown() override
    {
        leaderboards_man.Reset();
        profile_man().Clear();
        UITest::TearDown();
    }
    // The probe calls from the message on, without updates and draws.
    std::vector<std::string> Story()
    {
        std::vector<std::string> out;
        for (const std::string &c : calls)
            if (c.find(":Update") == std::string::npos && c.find(":Draw") == std::string::npos)
                out.push_back(c);
        return out;
    }
};

TEST_F(LeaderboardsScreen, ShowingPushesTheScreenAfterSettingTheCategory)
{
    leaderboards_man.ShowLeaderboards("DESERT", "ALL_TIME", "GLOBAL");  // no screen yet: nothing
    EXPECT_EQ(sman.GetNumberOfScreensInStack(), 0);
    ProbeScreen *screen = MakeScreen("Leaderboards");
    calls.clear();
    leaderboards_man.ShowLeaderboards(nullptr, "ALL_TIME", "GLOBAL");
    Steps(1, 0.016f);
    std::vector<std::string> story = Story();
    ASSERT_FALSE(story.empty());
    EXPECT_EQ(story[0], "Leaderboards:Message null SetCategory JUNGLE_SURVIVAL");
    EXPECT_EQ(sman.PeekScreen(0), screen);
    EXPECT_NE(std::find(story.begin(), story.end(), "Leaderboards:Enter"), story.end());
}

TEST_F(LeaderboardsScreen, ScriptShowsTheNamedCategory)
{
    MakeScreen("Leaderboards");
    calls.clear();
    ASSERT_TRUE(lua_man.ExecLuaString(nullptr, "LM_ShowLeaderboards('DESERT')"));
    ASSERT_FALSE(Story().empty());
    EXPECT_EQ(Story()[0], "Leaderboards:Message null SetCategory DESERT");
    EXPECT_TRUE(sman.IsScreenInStack("Leaderboards"));
}

TEST_F(LeaderboardsScreen, ScreenManagerHandsServiceEventsToTheManager)
{
    profile_man().LoadProfiles();
    ASSERT_NE(prof, nullptr);
    ov_event_t e;
    memset(&e, 0, sizeof e);
    e.type = OV_EVENT_SERVICE_19;
    e.index = 1;
    e.ptr2 = (void *)"uid-9";
    e.list = (void *)"Nine";
    sman.ProcessEvent(e);
    EXPECT_STREQ(prof->GetValue("GAME_CENTER", "profile", "uid"), "uid-9");
    EXPECT_STREQ(prof->GetValue("GAME_CENTER", "profile", "alias"), "Nine");
    // Registered once, however often the manager starts.
    leaderboards_man.Initialize();
    EXPECT_EQ(sman.service_event_handlers.Count(), 1);
}

}  // namespace
