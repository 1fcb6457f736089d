// Leaderboards clients over the local database: order and ranks, the 100-score trim,
// bounds, download states, the file's bytes and its reading back, damaged files,
// failed writes and a writer killed while saving.
#include "online/leaderboards.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "tests/online/service_fixture.h"

#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using datatest::CountMessages;
using servicetest::ServiceTest;

namespace {

const char kDb[] = "leaderboards-db.xml";

// A server and its clients, freed (with their engine mutexes) before the engine goes.
struct Board {
    Board() { server.Initialize(); }
    ~Board()
    {
        for (auto &c : clients)
            c->ReleaseMutex();
    }
    LeaderboardsClient *Client(const char *category)
    {
        clients.emplace_back(new LeaderboardsClient);
        EXPECT_TRUE(clients.back()->Initialize(&server, "orvextest", "1.2", category));
        return clients.back().get();
    }
    LeaderboardsServerLocalDatabase server;
    std::vector<std::unique_ptr<LeaderboardsClient>> clients;
};

// "points/duration" of every record in list order, and their ranks.
std::string Listing(LeaderboardsClient *client)
{
    std::string out;
    for (int i = 0; i < client->GetNumberOfScores(); i++) {
        LeaderboardScore *s = client->GetScoreByIndex(i);
        out += std::to_string(s->rank) + ":" + std::to_string(s->points) + "/" + std::to_string(s->duration) + " ";
    }
    return out;
}

class LeaderboardsTest : public ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        LoadProfiles();
    }
    // The points of the category's nodes in file order, read by a fresh database.
    std::vector<int> FilePoints(const char *category)
    {
        DMDatabase db;
        EXPECT_TRUE(db.Load("user://leaderboards-db.xml"));
        EXPECT_FALSE(db.HadParseError());
        std::vector<int> out;
        DMArray *array = db.GetArray(category);
        for (int n = 0; array && n < array->GetSize(); n++)
            out.push_back(atoi(array->GetNodeValue(n, "points")));
        return out;
    }
};

TEST_F(LeaderboardsTest, InsertionKeepsHigherFirstAndEqualPointsInArrivalOrder)
{
    Board board;
    LeaderboardsClient *c = board.Client("SURVIVAL");
    const int kPoints[] = {50, 70, 50, 90};
    for (int i = 0; i < 4; i++)
        ASSERT_TRUE(c->SubmitScore(kPoints[i], i + 1));
    EXPECT_EQ(Listing(c), "1:90/4 2:70/2 3:50/1 4:50/3 ");
    // The rank each got when it arrived: the second 50 went after the first.
    EXPECT_EQ(CountMessages("Submit #1 - 50 by 'Player'\n"), 1);
    EXPECT_EQ(CountMessages("Submit #3 - 50 by 'Player'\n"), 1);
    EXPECT_EQ(CountMessages("Submit #1 - 90 by 'Player'\n"), 1);
    // A download gives the same order from the file.
    c->Download(1, 100, 0xffffff);
    EXPECT_EQ(Listing(c), "1:90/4 2:70/2 3:50/1 4:50/3 ");
    EXPECT_EQ(c->GetDownloadState(), 0);
}

TEST_F(LeaderboardsTest, HundredAndFirstScoreDropsTheLowestNearestTheEnd)
{
    struct TrimCase {
        const char *name;
        int low_count;    // scores of 10 among the first hundred (the rest 500)
        int new_points;
        std::vector<int> expected_tail;  // the file's last points after the trim
        int tens_left;
    };
    const TrimCase kCases[] = {
        {"one lowest goes", 1, 300, {500, 500, 300}, 0},
        {"the new score itself when it ties the lowest", 3, 10, {500, 500, 500}, 3},
        {"the last of the tied lowest", 3, 20, {500, 500, 20}, 2},
        {"a new lowest goes at once", 0, 5, {500, 500, 500}, 0},
    };
    for (const TrimCase &t : kCases) {
        SCOPED_TRACE(t.name);
        Board board;
        LeaderboardsClient *c = board.Client(t.name);
        for (int i = 0; i < 100; i++)
            c->SubmitScore(i % 30 == 5 && i / 30 < t.low_count ? 10 : 500, 0);
        ASSERT_EQ(FilePoints(t.name).size(), 100u);
        c->SubmitScore(t.new_points, 0);
        std::vector<int> points = FilePoints(t.name);
        ASSERT_EQ(points.size(), 100u);
        EXPECT_EQ(std::vector<int>(points.end() - 3, points.end()), t.expected_tail);
        EXPECT_EQ((int)std::count(points.begin(), points.end(), 10), t.tens_left);
        // The client shows every submission until the next download.
        EXPECT_EQ(c->GetNumberOfScores(), 101);
        c->Download(1, 100, 0xffffff);
        EXPECT_EQ(c->GetNumberOfScores(), 100);
    }
}

TEST_F(LeaderboardsTest, RankAndIndexBounds)
{
    Board board;
    LeaderboardsClient *c = board.Client("SURVIVAL");
    EXPECT_EQ(c->GetScoreByRank(1), nullptr);
    EXPECT_EQ(c->GetScoreByIndex(0), nullptr);
    c->SubmitScore(10, 0);
    c->SubmitScore(20, 0);
    EXPECT_EQ(c->GetScoreByRank(0), nullptr);
    EXPECT_EQ(c->GetScoreByRank(3), nullptr);
    EXPECT_EQ(c->GetScoreByRank(-1), nullptr);
    ASSERT_NE(c->GetScoreByRank(2), nullptr);
    EXPECT_EQ(c->GetScoreByRank(2)->points, 10);
    EXPECT_EQ(c->GetScoreByIndex(-1), nullptr);
    EXPECT_EQ(c->GetScoreByIndex(2), nullptr);
    ASSERT_NE(c->GetScoreByIndex(1), nullptr);
    EXPECT_EQ(c->GetScoreByIndex(1)->rank, 2);
    EXPECT_EQ(c->GetCurrentPlayerRank(), 0);
}

TEST_F(LeaderboardsTest, DownloadStates)
{
    // A server that never answers leaves the download running; a second one is refused.
    LeaderboardsServer silent;
    EXPECT_FALSE(silent.Initialize());
    LeaderboardsClient waiting;
    ASSERT_TRUE(waiting.Initialize(&silent, "g", "1", "A"));
    waiting.SubmitScore(5, 0);
    waiting.Download(1, 10, 0);
    EXPECT_EQ(waiting.GetDownloadState(), 1);
    EXPECT_EQ(waiting.GetNumberOfScores(), 0);
    waiting.Lock();
    waiting.InsertScore(new LeaderboardScore(MakeLeaderboardScore("x", 7, 0)));
    waiting.Unlock();
    waiting.Download(1, 10, 0);  // still running: the list stays
    EXPECT_EQ(waiting.GetNumberOfScores(), 1);
    EXPECT_EQ(CountMessages("Downloading 10 scores.\n"), 2);
    // Only the finished states go back to idle.
    const struct {
        int state;
        bool reset;
        int after;
    } kStates[] = {{0, false, 0}, {1, false, 1}, {2, false, 2}, {3, true, 0}, {4, true, 0}, {5, false, 5}};
    for (const auto &s : kStates) {
        SCOPED_TRACE(s.state);
        waiting.SetDownloadState(s.state);
        EXPECT_EQ(waiting.ResetDownloadState(), s.reset);
        EXPECT_EQ(waiting.GetDownloadState(), s.after);
    }
    waiting.ReleaseMutex();

    // The local database answers at once, also for a category never submitted to.
    Board board;
    LeaderboardsClient *empty = board.Client("NEVER");
    empty->Download(1, 100, 0xffffff);
    EXPECT_EQ(empty->GetDownloadState(), 0);
    EXPECT_EQ(empty->GetNumberOfScores(), 0);
    // Calls before Initialize do nothing.
    LeaderboardsClient fresh;
    EXPECT_FALSE(fresh.SubmitScore(1, 1));
    EXPECT_FALSE(fresh.Initialize(nullptr, "g", "1", "A"));
    EXPECT_FALSE(fresh.Initialize(&board.server, "g", "1", nullptr));
}

TEST_F(LeaderboardsTest, FileAfterTwoSubmissionsIsExactAndReadsBackInAFreshRun)
{
    {
        Board board;
        LeaderboardsClient *c = board.Client("SURVIVAL");
        c->SubmitScore(500, 10);
        c->SubmitScore(700, 20);
        EXPECT_FALSE(ExistsNative(UserPath("leaderboards-db.xml.tmp")));
    }
    EXPECT_EQ(ReadNative(UserPath(kDb)),
              "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
              "\n\t<array id=\"SURVIVAL\">\n"
              "\t\t<node player=\"Player\" points=\"500\" duration=\"10\" />\n"
              "\t\t<node player=\"Player\" points=\"700\" duration=\"20\" />\n"
              "\t</array>\n</root>\n");
    Board fresh;
    LeaderboardsClient *c = fresh.Client("SURVIVAL");
    EXPECT_EQ(c->GetNumberOfScores(), 0);
    c->Download(1, 100, 0xffffff);
    EXPECT_EQ(Listing(c), "1:700/20 2:500/10 ");
    EXPECT_STREQ(c->GetScoreByRank(1)->player, "Player");
}

TEST_F(LeaderboardsTest, NameLimitIsThirtyCharacters)
{
    const std::string thirty(30, 'n'), thirty_one(31, 'm');
    Board board;
    LeaderboardsClient *c = board.Client("NAMES");
    c->SetLocalPlayerDisplayName(thirty.c_str());
    EXPECT_EQ(c->GetLocalPlayerDisplayName(), thirty);
    c->SetLocalPlayerDisplayName(thirty_one.c_str());
    EXPECT_EQ(CountMessages("LeaderboardsClient::SetLocalPlayerDisplayName name '" + thirty_one + "' too long.\n"), 1);
    EXPECT_EQ(c->GetLocalPlayerDisplayName(), thirty);
    c->SubmitScore(1, 0);
    EXPECT_EQ(c->GetScoreByIndex(0)->player, thirty);
    c->SetLocalPlayerDisplayName(nullptr);
    EXPECT_STREQ(c->GetLocalPlayerDisplayName(), "");
    c->SetGamePlatform(nullptr);
    EXPECT_STREQ(c->GetGamePlatform(nullptr), "");
    c->SetLocalPlayerId("p1");
    EXPECT_STREQ(c->GetLocalPlayerId(), "p1");
    // A name too long for a record, in the file, reads as "Unknown".
    WriteUser(kDb, "<?xml version=\"1.0\"?>\n<root>\n<array id=\"NAMES\">\n<node player=\"" + thirty_one +
                       "\" points=\"3\" duration=\"1\" />\n<node points=\"2\" />\n</array>\n</root>\n");
    Board other;
    LeaderboardsClient *d = other.Client("NAMES");
    d->Download(1, 100, 0);
    ASSERT_EQ(d->GetNumberOfScores(), 2);
    EXPECT_STREQ(d->GetScoreByIndex(0)->player, "Unknown");
    EXPECT_STREQ(d->GetScoreByIndex(1)->player, "");
    EXPECT_EQ(d->GetScoreByIndex(1)->duration, 0);
}

TEST_F(LeaderboardsTest, DamagedFileIsKeptAsideAndWhatReadWellStays)
{
    const std::string head = "<?xml version=\"1.0\"?>\n<root>\n<array id=\"A\">\n"
                             "<node player=\"p\" points=\"30\" duration=\"1\" />\n"
                             "<node player=\"q\" points=\"20\" duration=\"2\" />\n";
    struct DamageCase {
        const char *name;
        std::string text;
        std::string listing;  // of category A after loading
    };
    const DamageCase kCases[] = {
        {"truncated", head + "<node player=\"r\" poi", "1:30/1 2:20/2 "},
        {"not XML", "this is not a database at all", ""},
        {"points not a number", head + "<node player=\"r\" points=\"many\" />\n</array>\n</root>\n",
         "1:30/1 2:20/2 "},
        {"points missing", head + "<node player=\"r\" />\n</array>\n</root>\n", "1:30/1 2:20/2 "},
        {"huge numbers saturate", "<?xml version=\"1.0\"?>\n<root>\n<array id=\"A\">\n"
                                  "<node player=\"p\" points=\"99999999999\" duration=\"-99999999999\" />\n"
                                  "<node player=\"q\" points=\"x\" />\n</array>\n</root>\n",
         "1:2147483647/-2147483648 "},
    };
    for (const DamageCase &d : kCases) {
        SCOPED_TRACE(d.name);
        datatest::ClearMessages();
        ASSERT_EQ(system(("rm -f '" + UserPath(kDb) + "'*").c_str()), 0);
        WriteUser(kDb, d.text);
        {
            Board board;
            LeaderboardsClient *c = board.Client("A");
            c->Download(1, 100, 0);
            EXPECT_EQ(Listing(c), d.listing);
        }
        EXPECT_EQ(ReadNative(UserPath("leaderboards-db.xml.bad")), d.text);
        EXPECT_EQ(CountMessages("Leaderboards database damaged, kept as 'user://leaderboards-db.xml.bad'.\n"), 1)
            << datatest::Dump();
        // The salvaged scores were written back as a clean file.
        DMDatabase clean;
        EXPECT_TRUE(clean.Load("user://leaderboards-db.xml"));
        EXPECT_FALSE(clean.HadParseError());
        // A second damaged file goes to the next free name.
        WriteUser(kDb, d.text);
        Board again;
        EXPECT_EQ(ReadNative(UserPath("leaderboards-db.xml.bad2")), d.text);
    }
    // A sound file is not copied.
    ASSERT_EQ(system(("rm -f '" + UserPath(kDb) + "'*").c_str()), 0);
    WriteUser(kDb, head + "</array>\n</root>\n");
    datatest::ClearMessages();
    Board sound;
    EXPECT_FALSE(ExistsNative(UserPath("leaderboards-db.xml.bad")));
    EXPECT_EQ(datatest::CountContaining("damaged"), 0);
}

// A user:// that refuses writes: the engine's open call fails for every writing mode.
ov_file_t *(*s_engine_open)(const char *, const char *) = nullptr;
ov_file_t *ReadOnlyOpen(const char *name, const char *mode)
{
    if (mode && mode[0] != 'r')
        return nullptr;
    return s_engine_open(name, mode);
}

TEST_F(LeaderboardsTest, UnwritableFolderKeepsTheScoresAndTheNextSubmissionSaves)
{
    Board board;
    LeaderboardsClient *c = board.Client("A");
    c->SubmitScore(100, 1);
    const std::string before = ReadNative(UserPath(kDb));
    s_engine_open = ov->OV_OpenFile;
    ov->OV_OpenFile = ReadOnlyOpen;
    c->SubmitScore(200, 2);
    ov->OV_OpenFile = s_engine_open;
    EXPECT_EQ(CountMessages("Unable to open file 'user://leaderboards-db.xml' for writing.\n"), 1);
    EXPECT_TRUE(board.server.IsSavePending());
    EXPECT_EQ(ReadNative(UserPath(kDb)), before);
    EXPECT_EQ(Listing(c), "1:200/2 2:100/1 ");
    c->Download(1, 100, 0);  // the server still holds it
    EXPECT_EQ(Listing(c), "1:200/2 2:100/1 ");
    c->SubmitScore(300, 3);
    EXPECT_FALSE(board.server.IsSavePending());
    EXPECT_EQ(FilePoints("A"), (std::vector<int>{100, 200, 300}));
}

// Every file the killed writer left must read cleanly and hold whole generations: the
// points of consecutive submissions ending at the newest.
TEST_F(LeaderboardsTest, WriterKilledWhileSavingLeavesTheOldOrTheNewFile)
{
    std::mt19937 rng((unsigned)time(nullptr));
    int checked = 0;
    for (int round = 0; round < 12; round++) {
        const unsigned long before = InodeOf(UserPath(kDb));
        pid_t pid = fork();
        if (pid == 0) {
            if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
                _exit(9);
            execl(LEADERBOARDS_WRITER, LEADERBOARDS_WRITER, (char *)nullptr);
            _exit(8);
        }
        ASSERT_GT(pid, 0);
        // Killed at a random moment of its saves, not of its start-up.
        if (!WaitForReplacement(UserPath(kDb), before, pid)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            FAIL() << "the writer made no save";
        }
        usleep(rng() % 200000);
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself with " << WEXITSTATUS(status);
        if (!ExistsNative(UserPath(kDb)))
            continue;
        std::vector<int> points = FilePoints("KILL");
        ASSERT_FALSE(points.empty());
        std::vector<int> sorted = points;
        std::sort(sorted.begin(), sorted.end());
        for (size_t i = 1; i < sorted.size(); i++)
            ASSERT_EQ(sorted[i], sorted[i - 1] + 1);
        ASSERT_LE(points.size(), 100u);
        checked++;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
