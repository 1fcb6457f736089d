// The leaderboards manager: submissions into the local leaderboard, the personal best,
// the platform queue and the score history; the platform score service through the
// wrapped extension slot and its events; the "LM_" script functions.
#include "online/leaderboards-manager.h"

#include "app/services/dataman.h"
#include "app/services/luaman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "tests/online/service_fixture.h"

#include <string.h>

#include <string>
#include <vector>

using datatest::CountMessages;
using servicetest::CommandArgs;
using servicetest::ServiceTest;

namespace {

const char kCategories[] =
    "<?xml version=\"1.0\"?>\n<root>\n<array id=\"CATEGORIES\">\n"
    "<node id=\"JUNGLE_SURVIVAL\" display_name=\"LB_JUNGLE\" tags=\"\" />\n"
    "<node id=\"DESERT\" display_name=\"LB_DESERT\" tags=\"TIMED, ONE_SCORE_PER_PLAYER\" />\n"
    "<node id=\"SNOW\" display_name=\"LB_SNOW\" tags=\"ONE_SCORE_PER_PLAYERS\" />\n"
    "<node id=\"SWAMP\" display_name=\"LB_SWAMP\" tags=\"ONE_SCORE_PER_PLAYERX;ONE_SCORE_PER_PLAYER\" />\n"
    "<node id=\"CAVE\" display_name=\"LB_CAVE\" tags=\"XONE_SCORE_PER_PLAYER\" />\n"
    "</array>\n</root>\n";

const char kSaving[] = "Saving all profiles.\n";

class LeaderboardsManagerTest : public ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        WriteRes("leaderboards/leaderboards.xml", kCategories);
        LoadProfiles();
        leaderboards_man.Initialize();
        datatest::ClearMessages();
        servicetest::ClearRecords();
    }
    // The platform score service in use.
    void UsePlatform()
    {
        SetFeatures("GAME_CENTER");
        servicetest::platform.game_center_available = true;
    }
    std::string Best(const char *category, const char *key)
    {
        const char *v = prof->GetValue("BEST_SCORES", category, key);
        return v ? v : "(none)";
    }
    int LocalCount(const char *category)
    {
        LeaderboardsClient *c = leaderboards_man.GetLeaderboardsForCategory(category);
        return c ? c->GetNumberOfScores() : -1;
    }
    static ov_event_t Event(int type)
    {
        ov_event_t e;
        memset(&e, 0, sizeof e);
        e.type = type;
        return e;
    }
};

TEST_F(LeaderboardsManagerTest, PersonalBestKeepsTheHighestAndItsFirstTime)
{
    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", 500, 61000);
    EXPECT_EQ(CountMessages(kSaving), 1);
    EXPECT_EQ(Best("JUNGLE_SURVIVAL", "points"), "500");
    EXPECT_EQ(Best("JUNGLE_SURVIVAL", "duration"), "61000");
    prof->SetValue("BEST_SCORES", "JUNGLE_SURVIVAL", "time_created", "12345");  // an older best
    ASSERT_TRUE(profile_man().SaveProfiles());
    datatest::ClearMessages();

    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", 400, 1000);  // lower
    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", 500, 1000);  // equal
    EXPECT_EQ(Best("JUNGLE_SURVIVAL", "points"), "500");
    EXPECT_EQ(Best("JUNGLE_SURVIVAL", "time_created"), "12345");
    EXPECT_EQ(CountMessages(kSaving), 0);  // no uid, no developer mode: nothing changed
    EXPECT_EQ(LocalCount("JUNGLE_SURVIVAL"), 3);
    EXPECT_EQ(leaderboards_man.GetLastClient(), leaderboards_man.GetLeaderboardsForCategory("JUNGLE_SURVIVAL"));

    LeaderboardScore best = leaderboards_man.GetPersonalBestScore("JUNGLE_SURVIVAL");
    EXPECT_EQ(best.rank, 1);
    EXPECT_STREQ(best.player, "Player");
    EXPECT_EQ(best.points, 500);
    EXPECT_EQ(best.duration, 61000);
    EXPECT_EQ(best.time_created, 12345);
}

TEST_F(LeaderboardsManagerTest, LargeScoresAreWrittenWholeAndOldExponentFormsStillRead)
{
    leaderboards_man.SubmitScore("A", 1234567, 0);
    EXPECT_EQ(Best("A", "points"), "1234567");
    profile_man().Clear();
    dman().ReleaseAllDatabases();
    LoadProfiles();
    EXPECT_EQ(leaderboards_man.GetPersonalBestScore("A").points, 1234567);
    prof->SetValue("BEST_SCORES", "B", "points", "1.23457e+06");
    EXPECT_EQ(leaderboards_man.GetPersonalBestScore("B").points, 1234570);
    prof->SetValue("BEST_SCORES", "C", "points", "9e99");
    EXPECT_EQ(leaderboards_man.GetPersonalBestScore("C").points, 2147483647);
}

TEST_F(LeaderboardsManagerTest, OneScorePerPlayerIsAWholeToken)
{
    struct TagCase {
        const char *category;
        bool local;
    };
    const TagCase kCases[] = {
        {"JUNGLE_SURVIVAL", true},
        {"DESERT", false},  // after another tag and a comma
        {"SNOW", true},     // a longer word
        {"SWAMP", false},   // the second occurrence is whole
        {"CAVE", true},     // a word ending in it
        {"NOT_LISTED", true},
    };
    for (const TagCase &c : kCases) {
        SCOPED_TRACE(c.category);
        leaderboards_man.SubmitScore(c.category, 100, 0);
        EXPECT_EQ(leaderboards_man.IsOneScorePerPlayer(c.category), !c.local);
        DMDatabase db;
        ASSERT_TRUE(db.Load("user://leaderboards-db.xml"));
        EXPECT_EQ(db.GetArray(c.category) != nullptr, c.local);
        EXPECT_EQ(Best(c.category, "points"), "100");  // the personal best either way
    }
}

TEST_F(LeaderboardsManagerTest, QueueKeepsTheMaximumPerUidAndCategory)
{
    prof->SetValue("GAME_CENTER", "profile", "uid", "G:77");
    leaderboards_man.SubmitScore("A", 300, 0);
    leaderboards_man.SubmitScore("A", 200, 0);
    EXPECT_STREQ(prof->GetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "G:77_A", "points"), "300");
    EXPECT_STREQ(prof->GetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "G:77_A", "category"), "A");
    EXPECT_EQ(CountMessages(kSaving), 2);  // the queue counts as a change
    leaderboards_man.SubmitScore("A", 400, 0);
    EXPECT_STREQ(prof->GetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "G:77_A", "points"), "400");
    EXPECT_TRUE(CommandArgs("GameCenter").size() <= 3u);  // availability queries only
    for (const std::string &a : CommandArgs("GameCenter"))
        EXPECT_EQ(a, "IsAvailable");
}

TEST_F(LeaderboardsManagerTest, ScoreHistoryOnlyInDeveloperMode)
{
    leaderboards_man.SubmitScore("A", 10, 5);
    EXPECT_EQ(prof->GetNumberOfValuesInCategory("SCORE_HISTORY"), 0);
    prog.parms.developer_mode = 1;
    datatest::ClearMessages();
    leaderboards_man.SubmitScore("A", 5, 6);  // lower: saved all the same
    leaderboards_man.SubmitScore("B", 7, 8);
    EXPECT_EQ(CountMessages(kSaving), 2);
    ASSERT_EQ(prof->GetNumberOfValuesInCategory("SCORE_HISTORY"), 2);
    EXPECT_STREQ(prof->GetValueNameByIndex("SCORE_HISTORY", 0), "0");
    EXPECT_STREQ(prof->GetValue("SCORE_HISTORY", "0", "category"), "A");
    EXPECT_STREQ(prof->GetValue("SCORE_HISTORY", "0", "points"), "5");
    EXPECT_STREQ(prof->GetValue("SCORE_HISTORY", "0", "duration"), "6");
    EXPECT_STREQ(prof->GetValue("SCORE_HISTORY", "1", "category"), "B");
    EXPECT_NE(prof->GetValue("SCORE_HISTORY", "1", "time_created"), nullptr);
}

TEST_F(LeaderboardsManagerTest, LongProfileNameIsCutForTheDisplayName)
{
    const std::string name(40, 'q');
    prof->SetName(name.c_str());
    leaderboards_man.SubmitScore("A", 10, 0);
    LeaderboardsClient *c = leaderboards_man.GetLeaderboardsForCategory("A");
    EXPECT_EQ(std::string(c->GetLocalPlayerDisplayName()), name.substr(0, 30));
    EXPECT_EQ(std::string(c->GetLocalPlayerId()), name);
    EXPECT_EQ(std::string(c->GetScoreByIndex(0)->player), name.substr(0, 30));
    EXPECT_EQ(CountMessages("LeaderboardsClient::SetLocalPlayerDisplayName name '" + name + "' too long.\n"), 0);
}

TEST_F(LeaderboardsManagerTest, BestLocalScoreOverAllProfiles)
{
    prof->SetName("First");
    leaderboards_man.SubmitScore("A", 300, 0);
    Profile *second = profile_man().CreateNewProfile();
    second->SetName("Second");
    leaderboards_man.SubmitScore("A", 300, 0);  // a tie goes to the first
    EXPECT_STREQ(leaderboards_man.GetBestLocalScore("A").player, "First");
    leaderboards_man.SubmitScore("A", 301, 0);
    EXPECT_STREQ(leaderboards_man.GetBestLocalScore("A").player, "Second");
    EXPECT_EQ(leaderboards_man.GetBestLocalScore("A").points, 301);
    LeaderboardScore none = leaderboards_man.GetBestLocalScore("NOTHING");
    EXPECT_EQ(none.rank, 0);
    EXPECT_STREQ(none.player, "");
    EXPECT_EQ(none.points, 0);
}

TEST_F(LeaderboardsManagerTest, PlatformCommandsInOrder)
{
    UsePlatform();
    leaderboards_man.Initialize();
    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", 900, 0);
    leaderboards_man.ShowLeaderboards(nullptr, "ALL_TIME", "GLOBAL");
    leaderboards_man.ShowLeaderboards("DESERT", "TODAY", "GLOBAL");
    leaderboards_man.ShowLeaderboards("DESERT", "WEEK", "FRIENDS");
    std::vector<std::string> sent;
    for (const std::string &a : CommandArgs("GameCenter"))
        if (a != "IsAvailable")
            sent.push_back(a);
    EXPECT_EQ(sent, (std::vector<std::string>{"Authenticate", "SubmitScore,JUNGLE_SURVIVAL,900",
                                              "ShowLeaderboards,JUNGLE_SURVIVAL,2", "ShowLeaderboards,DESERT,0",
                                              "ShowLeaderboards,DESERT,1"}));
    // Without the service nothing goes to it.
    servicetest::ClearRecords();
    servicetest::platform.game_center_available = false;
    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", 950, 0);
    EXPECT_EQ(CommandArgs("GameCenter"), (std::vector<std::string>{"IsAvailable"}));
}

TEST_F(LeaderboardsManagerTest, SignInResendsTheQueueOfThatUidOnly)
{
    UsePlatform();
    prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "12_A", "points", "300");
    prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "12_A", "category", "A");
    prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "123_B", "points", "400");
    prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "123_B", "category", "B");
    prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "12_C", "points", "5");
    prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "12_C", "category", "C");
    servicetest::ClearRecords();

    ov_event_t failed = Event(19);
    failed.index = 0;
    failed.ptr2 = (void *)"12";
    EXPECT_TRUE(leaderboards_man.ProcessEvent(failed));
    EXPECT_EQ(prof->GetValue("GAME_CENTER", "profile", "uid"), nullptr);

    ov_event_t signed_in = Event(19);
    signed_in.index = 1;
    signed_in.ptr2 = (void *)"12";
    signed_in.list = (void *)"Ace";
    EXPECT_TRUE(leaderboards_man.ProcessEvent(signed_in));
    EXPECT_STREQ(prof->GetValue("GAME_CENTER", "profile", "uid"), "12");
    EXPECT_STREQ(prof->GetValue("GAME_CENTER", "profile", "alias"), "Ace");
    std::vector<std::string> sent;
    for (const std::string &a : CommandArgs("GameCenter"))
        if (a != "IsAvailable")
            sent.push_back(a);
    EXPECT_EQ(sent, (std::vector<std::string>{"SubmitScore,A,300", "SubmitScore,C,5"}));
}

TEST_F(LeaderboardsManagerTest, ScoreReportRemovesTheMatchingQueueEntry)
{
    struct ReportCase {
        const char *name;
        const char *prefix;  // product value "game_center_id", null for none
        const char *id;
        int points;
        bool success;
        bool consumed;
        int left;  // queue entries left of two
    };
    const ReportCase kCases[] = {
        {"match", nullptr, "A", 300, true, true, 1},
        {"other points", nullptr, "A", 299, true, false, 2},
        {"failure flag", nullptr, "A", 300, false, true, 2},
        {"null id", nullptr, nullptr, 300, true, false, 2},
        {"prefixed match", "com.orvex", "com.orvex.B", 400, true, true, 1},
        {"prefix missing from the id", "com.orvex", "B", 400, true, false, 2},
    };
    for (const ReportCase &c : kCases) {
        SCOPED_TRACE(c.name);
        prof->RemoveCategory("GAME_CENTER_LEADERBOARDS_QUEUE");
        prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "u_A", "points", "300");
        prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "u_A", "category", "A");
        prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "u_B", "points", "400");
        prof->SetValue("GAME_CENTER_LEADERBOARDS_QUEUE", "u_B", "category", "B");
        ASSERT_TRUE(profile_man().SaveProfiles());
        servicetest::platform.product_values.clear();
        if (c.prefix)
            servicetest::platform.product_values["game_center_id"] = c.prefix;
        datatest::ClearMessages();
        ov_event_t e = Event(22);
        e.ptr = (void *)c.id;
        e.x = c.points;
        e.y = c.success ? 0x101 : 0x100;  // only the first byte is the flag
        EXPECT_EQ(leaderboards_man.ProcessEvent(e), c.consumed);
        EXPECT_EQ(prof->GetNumberOfValuesInCategory("GAME_CENTER_LEADERBOARDS_QUEUE"), c.left);
        EXPECT_EQ(CountMessages(kSaving), c.left == 1 ? 1 : 0);
    }
}

TEST_F(LeaderboardsManagerTest, NoticeIsConsumedAndAnInactiveManagerIgnoresEverything)
{
    ov_event_t notice = Event(21);
    EXPECT_TRUE(leaderboards_man.ProcessEvent(notice));
    ov_event_t other = Event(20);
    EXPECT_FALSE(leaderboards_man.ProcessEvent(other));
    leaderboards_man.Reset();
    EXPECT_FALSE(leaderboards_man.ProcessEvent(notice));
    ov_event_t report = Event(22);
    report.y = 1;
    EXPECT_FALSE(leaderboards_man.ProcessEvent(report));
}

TEST_F(LeaderboardsManagerTest, ScriptFunctions)
{
    lua_State *L = lua_man.OpenLuaState();
    ASSERT_NE(L, nullptr);
    prof->SetName("Ann");
    ASSERT_TRUE(lua_man.ExecLuaString(L,
                                      "LM_SubmitScore('A', 500, 42000)\n"
                                      "LM_SubmitScore('A', 700)\n"
                                      "LM_SubmitScore(nil, 5)\n"
                                      "LM_DownloadTopHundred('A')\n"
                                      "best = LM_GetPersonalBestScore('A')\n"
                                      "local_best = LM_GetBestLocalScore('A')\n"
                                      "who = LM_GetBestLocalScoreDisplayName('A')\n"
                                      "nobody = LM_GetBestLocalScoreDisplayName('NONE')\n"
                                      "first, second = LM_GetScoreByRank('A', 1), LM_GetScoreByRank('A', 2)\n"
                                      "name = LM_GetNameByRank('A', 2)\n"
                                      "missing = select('#', LM_GetScoreByRank('A', 3))\n"
                                      "missing_name = select('#', LM_GetNameByRank('A', 0))\n"
                                      "no_category = select('#', LM_GetPersonalBestScore())\n"));
    auto number = [L](const char *name) {
        lua_getglobal(L, name);
        double v = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return v;
    };
    auto text = [L](const char *name) {
        lua_getglobal(L, name);
        std::string v = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(nil)";
        lua_pop(L, 1);
        return v;
    };
    EXPECT_EQ(number("best"), 700);
    EXPECT_EQ(number("local_best"), 700);
    EXPECT_EQ(text("who"), "Ann");
    EXPECT_EQ(text("nobody"), "");
    EXPECT_EQ(number("first"), 700);
    EXPECT_EQ(number("second"), 500);
    EXPECT_EQ(text("name"), "Ann");
    EXPECT_EQ(number("missing"), 0);
    EXPECT_EQ(number("missing_name"), 0);
    EXPECT_EQ(number("no_category"), 0);
    EXPECT_EQ(Best("A", "duration"), "0");  // 700 came without a duration
    EXPECT_EQ(CountMessages("Downloading 100 scores.\n"), 1);
    lua_man.CloseLuaState(L);
}

}  // namespace
