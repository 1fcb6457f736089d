// The local leaderboards server: every category's scores in the player's database
// "user://leaderboards-db.xml", loaded once, written after every submission.
#include "online/leaderboards.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "nstring.h"
#include "orvex.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

namespace {

// Removes the nodes whose points are not an integer; true when any went.
bool DropUnreadableScores(DMDatabase *db)
{
    bool dropped = false;
    for (int a = 0; a < db->GetNumberOfArrays(); a++) {
        DMArray *array = db->GetArray(a);
        for (int n = array->GetSize() - 1; n >= 0; n--) {
            if (!IsLeaderboardInteger(array->GetNode(n)->GetValue("points"))) {
                array->RemoveNode(n);
                dropped = true;
            }
        }
    }
    return dropped;
}

// The index of the lowest points, the last of equal lowest; -1 for an empty array.
int LowestScoreIndex(const DMArray *array)
{
    int lowest = -1;
    int32_t lowest_points = 0;
    for (int n = 0; n < array->GetSize(); n++) {
        int32_t points = ReadLeaderboardNumber(array->GetNodeValue(n, "points"));
        if (lowest < 0 || points <= lowest_points) {
            lowest = n;
            lowest_points = points;
        }
    }
    return lowest;
}

}  // namespace

LeaderboardsServerLocalDatabase::~LeaderboardsServerLocalDatabase()
{
    delete db_;
}

bool LeaderboardsServerLocalDatabase::Initialize()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (db_)
        return true;
    db_ = new DMDatabase;
    if (!FileOpens(LEADERBOARDS_DB_FILE)) {
        db_->name = nStringDuplicate(LEADERBOARDS_DB_FILE);
        return true;
    }
    bool loaded = db_->Load(LEADERBOARDS_DB_FILE);
    bool damaged = !loaded || db_->HadParseError();
    damaged = DropUnreadableScores(db_) || damaged;
    if (damaged) {
        // Kept aside before anything overwrites it; the scores that read stay and are
        // written back at once, so the next start finds a clean file.
        nString kept;
        if (KeepDamagedCopy(LEADERBOARDS_DB_FILE, &kept)) {
            ov->OV_PrintDebugf(1, "Leaderboards database damaged, kept as '%s'.\n", kept.Get());
            save_pending_ = !db_->Save(LEADERBOARDS_DB_FILE);
        }
    }
    return true;
}

void LeaderboardsServerLocalDatabase::Shutdown()
{
}

bool LeaderboardsServerLocalDatabase::Save()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_)
        return false;
    save_pending_ = !db_->Save(LEADERBOARDS_DB_FILE);
    return !save_pending_;
}

void LeaderboardsServerLocalDatabase::SubmitScore(LeaderboardsClient *client, LeaderboardScore score)
{
    const char *category = client ? client->GetCategory() : nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_ || !category)
        return;
    DMArray *array = db_->GetArray(category);
    if (!array)
        array = db_->AddArray(category);
    DMNode *node = array->AddNode(nullptr);
    char number[64];
    node->SetValue("player", score.player);
    snprintf(number, sizeof number, "%d", score.points);
    node->SetValue("points", number);
    snprintf(number, sizeof number, "%d", score.duration);
    node->SetValue("duration", number);
    if (array->GetSize() > LEADERBOARDS_MAX_SCORES) {
        int lowest = LowestScoreIndex(array);
        if (lowest >= 0)
            array->RemoveNode(lowest);
        else
            ov->OV_Popupf(1, "Unable to trim out lowest score for category '%s'. Should not be possible.\n", category);
    }
    // A failed write keeps the old file; the scores stay here for the next one.
    save_pending_ = !db_->Save(LEADERBOARDS_DB_FILE);
}

void LeaderboardsServerLocalDatabase::RequestScores(LeaderboardsClient *client, int from, int count, int flags)
{
    const char *category = client ? client->GetCategory() : nullptr;
    std::vector<LeaderboardScore> scores;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!db_ || !category)
            return;
        if (DMArray *array = db_->GetArray(category)) {
            for (int n = 0; n < array->GetSize(); n++) {
                const DMNode *node = array->GetNode(n);
                scores.push_back(MakeLeaderboardScore(node->GetValue("player"),
                                                      ReadLeaderboardNumber(node->GetValue("points")),
                                                      ReadLeaderboardNumber(node->GetValue("duration"))));
            }
        }
    }
    // Highest first, equal points in file order.
    std::stable_sort(scores.begin(), scores.end(),
                     [](const LeaderboardScore &a, const LeaderboardScore &b) { return a.points > b.points; });
    client->Lock();
    client->ReleaseScores();
    for (const LeaderboardScore &score : scores)
        client->InsertScore(new LeaderboardScore(score));
    client->SetDownloadState(0);
    client->Unlock();
}
