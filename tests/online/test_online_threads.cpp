// Threads of the online services (a binary of the ThreadSanitizer build): analytics
// uploads running while the main thread logs events and switches profiles, and the
// leaderboards asked for clients and downloads on a loading worker while the main
// thread submits.
#include "online/analytics.h"
#include "online/leaderboards-manager.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "tests/online/service_fixture.h"

#include <map>
#include <string>
#include <thread>

using servicetest::Addresses;
using servicetest::ServiceTest;

namespace {

class OnlineThreads : public ServiceTest {};

TEST_F(OnlineThreads, UploadsRunWhileTheMainThreadSwitchesProfiles)
{
    SetFeatures("ANALYST ANALYST_LIVELOGGER ANALYST_LOCAL_STORE");
    LoadProfiles();
    profile_man().CreateNewProfile()->SetName("Second");
    profile_man().CreateNewProfile()->SetName("Third");
    analyst.Initialize();
    std::map<std::string, int> expected;
    for (int i = 0; i < 50; i++) {
        ASSERT_TRUE(profile_man().SetActiveProfile(i % 3));
        expected["udid=" + std::to_string(prof->GetRandom()) + "&"]++;
        analyst.LogEventWithKeyValue("TICK", "n", std::to_string(i).c_str());
    }
    ASSERT_TRUE(WaitForThreads());
    std::vector<std::string> sent = Addresses();
    ASSERT_EQ(sent.size(), 50u);
    std::map<std::string, int> seen;
    for (const std::string &a : sent) {
        size_t at = a.find("udid=");
        ASSERT_NE(at, std::string::npos);
        seen[a.substr(at, a.find('&', at) - at + 1)]++;
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(datatest::CountMessages("ret:200\n"), 50);
}

TEST_F(OnlineThreads, ClientsAndDownloadsOnAWorkerWhileTheMainThreadSubmits)
{
    LoadProfiles();
    leaderboards_man.Initialize();
    const int kCategories = 8, kScores = 5;
    std::thread worker([&] {
        for (int round = 0; round < 3; round++) {
            for (int c = 0; c < kCategories; c++) {
                std::string name = "C" + std::to_string(c);
                LeaderboardsClient *client = leaderboards_man.GetLeaderboardsForCategory(name.c_str());
                client->Download(1, 100, 0xffffff);
            }
        }
    });
    for (int c = kCategories - 1; c >= 0; c--) {
        std::string name = "C" + std::to_string(c);
        LeaderboardsClient *client = leaderboards_man.GetLeaderboardsForCategory(name.c_str());
        for (int s = 0; s < kScores; s++)
            client->SubmitScore(100 * c + s, s);
    }
    worker.join();
    for (int c = 0; c < kCategories; c++) {
        std::string name = "C" + std::to_string(c);
        LeaderboardsClient *client = leaderboards_man.GetLeaderboardsForCategory(name.c_str());
        client->Download(1, 100, 0xffffff);
        EXPECT_EQ(client->GetNumberOfScores(), kScores);
        EXPECT_EQ(client->GetScoreByRank(1)->points, 100 * c + kScores - 1);
    }
}

}  // namespace
