// The leaderboards client: one category's scores in memory, sorted and ranked, filled
// by submissions and replaced by downloads from its server.
#include "online/leaderboards.h"

#include "app/services/profiles.h"
#include "app/services/small-maths.h"
#include "nstring.h"
#include "orvex.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

LeaderboardScore MakeLeaderboardScore(const char *player, int32_t points, int32_t duration)
{
    LeaderboardScore score;
    memset(&score, 0, sizeof score);
    score.rank = 1;
    if (player && strlen(player) > LEADERBOARDS_MAX_NAME)
        player = "Unknown";
    nStringFormat(score.player, sizeof score.player, "%s", player ? player : "");
    score.points = points;
    score.duration = duration;
    return score;
}

int32_t ReadLeaderboardNumber(const char *text)
{
    if (!text)
        return 0;
    char *end = nullptr;
    double value = strtod(text, &end);
    if (end == text || value != value)
        return 0;
    if (value >= (double)INT32_MAX)
        return INT32_MAX;
    if (value <= (double)INT32_MIN)
        return INT32_MIN;
    return (int32_t)value;
}

bool IsLeaderboardInteger(const char *text)
{
    if (!text)
        return false;
    const char *p = text;
    if (*p == '-' || *p == '+')
        p++;
    if (*p < '0' || *p > '9')
        return false;
    while (*p >= '0' && *p <= '9')
        p++;
    return *p == '\0';
}

// --- LeaderboardsServer: the base does nothing.

bool LeaderboardsServer::Initialize()
{
    return false;
}

void LeaderboardsServer::Shutdown()
{
}

void LeaderboardsServer::SubmitScore(LeaderboardsClient *client, LeaderboardScore score)
{
}

void LeaderboardsServer::RequestScores(LeaderboardsClient *client, int from, int count, int flags)
{
}

// --- LeaderboardsClient

namespace {

// Replaces an owned text by a copy ("" for null).
void Store(char **field, const char *text)
{
    char *copy = nStringDuplicate(text);
    nStringFree(*field);
    *field = copy;
}

}  // namespace

LeaderboardsClient::~LeaderboardsClient()
{
    ReleaseScores();
    nStringFree(display_name_);
    nStringFree(player_id_);
    nStringFree(platform_);
    nStringFree(game_name_);
    nStringFree(category_);
    nStringFree(game_version_);
}

bool LeaderboardsClient::Initialize(LeaderboardsServer *server, const char *gameName, const char *gameVersion,
                                    const char *category)
{
    if (!server || !gameName || !gameVersion || !category)
        return false;
    server_ = server;
    Store(&game_name_, gameName);
    Store(&game_version_, gameVersion);
    Store(&category_, category);
    nString name = prof ? prof->GetName() : nString();
    char cut[LEADERBOARDS_MAX_NAME + 1];
    nStringFormat(cut, sizeof cut, "%s", name.IsEmpty() ? "Player" : name.Get());
    Store(&display_name_, cut);
    ov->OV_Printf("Initializing leaderboards for '%s' v%s %s\n", gameName, gameVersion, category);
    if (!mutex_)
        mutex_ = ov->OV_GetMutex(nullptr);
    initialized_ = true;
    return true;
}

void LeaderboardsClient::SetGamePlatform(const char *platform)
{
    Store(&platform_, platform);
}

const char *LeaderboardsClient::GetGamePlatform(const char *unused)
{
    return platform_;
}

void LeaderboardsClient::SetLocalPlayerId(const char *id)
{
    Store(&player_id_, id);
}

void LeaderboardsClient::SetLocalPlayerDisplayName(const char *name)
{
    if (name && strlen(name) > LEADERBOARDS_MAX_NAME) {
        ov->OV_PrintDebugf(1, "LeaderboardsClient::SetLocalPlayerDisplayName name '%s' too long.\n", name);
        return;
    }
    Store(&display_name_, name);
}

bool LeaderboardsClient::SubmitScore(long points, long duration)
{
    if (!initialized_)
        return false;
    LeaderboardScore score = MakeLeaderboardScore(display_name_, SaturatedInt(points), SaturatedInt(duration));
    server_->SubmitScore(this, score);
    LeaderboardScore *record = new LeaderboardScore(score);
    Lock();
    InsertScore(record);
    int rank = record->rank;
    Unlock();
    ov->OV_Printf("Submit #%d - %d by '%s'\n", rank, score.points, score.player);
    return true;
}

void LeaderboardsClient::Download(int from, int count, int flags)
{
    ov->OV_Printf("Downloading %d scores.\n", count);
    if (!initialized_)
        return;
    Lock();
    if (download_state_ != 0) {
        Unlock();
        return;
    }
    download_state_ = 1;
    ReleaseScores();
    Unlock();
    // The request always starts at the first rank.
    server_->RequestScores(this, 1, count, flags);
}

bool LeaderboardsClient::ResetDownloadState()
{
    Lock();
    bool finished = download_state_ == 3 || download_state_ == 4;
    if (finished)
        download_state_ = 0;
    Unlock();
    return finished;
}

LeaderboardScore *LeaderboardsClient::GetScoreByRank(int rank)
{
    for (int i = 0; i < scores_.Count(); i++)
        if (scores_[i]->rank == rank)
            return scores_[i];
    return nullptr;
}

LeaderboardScore *LeaderboardsClient::GetScoreByIndex(int index)
{
    if (index < 0 || index >= scores_.Count())
        return nullptr;
    return scores_[index];
}

void LeaderboardsClient::Lock()
{
    if (mutex_)
        ov->OV_LockMutex(mutex_);
}

void LeaderboardsClient::Unlock()
{
    if (mutex_)
        ov->OV_UnlockMutex(mutex_);
}

void LeaderboardsClient::ReleaseMutex()
{
    if (mutex_)
        ov->OV_ReleaseMutex(mutex_);
    mutex_ = nullptr;
}

void LeaderboardsClient::ReleaseScores()
{
    for (int i = 0; i < scores_.Count(); i++)
        delete scores_[i];
    // Count to zero, storage kept: remove from the end so nothing moves.
    while (scores_.Count() > 0)
        scores_.Remove(scores_.Count() - 1);
}

void LeaderboardsClient::InsertScore(LeaderboardScore *score)
{
    int count = scores_.Count();
    int position = count;
    if (count == 0 || score->points > scores_[0]->points) {
        position = 0;
    } else {
        for (int i = 1; i < count; i++) {
            if (scores_[i]->points < score->points) {
                position = i;
                break;
            }
        }
    }
    scores_.Insert(position, score);
    for (int i = position; i < scores_.Count(); i++)
        scores_[i]->rank = i + 1;
}
