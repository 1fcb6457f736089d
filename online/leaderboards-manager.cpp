// The leaderboards manager: submissions, personal bests, the platform queue, showing
// a leaderboard and the platform score-service events.
#include "online/leaderboards-manager.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/services/token-lists.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>

LeaderboardsManager leaderboards_man;

namespace {

const char kBestScores[] = "BEST_SCORES";
const char kGameCenter[] = "GAME_CENTER";
const char kQueue[] = "GAME_CENTER_LEADERBOARDS_QUEUE";
const char kHistory[] = "SCORE_HISTORY";

// The profile's name as a display name: cut to the names the leaderboards keep.
void CutName(char *out, size_t size, Profile *profile)
{
    nString name = profile ? profile->GetName() : nString();
    size_t keep = size - 1 < LEADERBOARDS_MAX_NAME ? size - 1 : LEADERBOARDS_MAX_NAME;
    snprintf(out, keep + 1, "%s", name.Get() ? name.Get() : "");
}

bool OnServiceEvent(ov_event_t &event)
{
    return leaderboards_man.ProcessEvent(event);
}

}  // namespace

LeaderboardsManager::~LeaderboardsManager()
{
    // The engine has gone by now: the clients' mutexes went with it.
    for (int i = 0; i < clients_.Count(); i++)
        delete clients_.ValueAt(i);
    delete server_;
}

bool LeaderboardsManager::Initialize()
{
    static bool functions_registered = false;
    active_ = true;
    ov->OV_Printf("LeaderboardsManager Initializing.\n");
    if (!functions_registered) {
        RegisterLeaderboardsScriptFunctions();
        functions_registered = true;
    }
    sman.AddServiceEventHandler(OnServiceEvent);
    if (feature_man.IsGameCenterEnabled())
        ov->OV_CallExtension("GameCenter", "Authenticate");
    return true;
}

void LeaderboardsManager::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < clients_.Count(); i++) {
        clients_.ValueAt(i)->ReleaseMutex();
        delete clients_.ValueAt(i);
    }
    clients_.Clear();
    delete server_;
    server_ = nullptr;
    last_client_ = nullptr;
    active_ = false;
}

LeaderboardsClient *LeaderboardsManager::GetLeaderboardsForCategory(const char *category)
{
    if (!category)
        return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!server_) {
        server_ = new LeaderboardsServerLocalDatabase;
        server_->Initialize();
    }
    if (LeaderboardsClient **found = clients_.Find(category))
        return *found;
    LeaderboardsClient *client = new LeaderboardsClient;
    client->Initialize(server_, prog.id, prog.version, category);
    clients_.AddPair(category, client);
    return client;
}

const char *LeaderboardsManager::GetDefaultCategory()
{
    DMArray *categories = dman().GetArray(LEADERBOARDS_CATEGORIES_FILE, "CATEGORIES");
    return categories ? categories->GetNodeValue(0, "id") : nullptr;
}

bool LeaderboardsManager::IsOneScorePerPlayer(const char *category)
{
    DMArray *categories = dman().GetArray(LEADERBOARDS_CATEGORIES_FILE, "CATEGORIES");
    if (!categories || !category)
        return false;
    for (int i = 0; i < categories->GetSize(); i++)
        if (nStringsMatch(categories->GetNodeValue(i, "id"), category))
            return HasWholeToken(categories->GetNodeValue(i, "tags"), "ONE_SCORE_PER_PLAYER");
    return false;
}

void LeaderboardsManager::SubmitScore(const char *category, long points, unsigned long duration)
{
    char command[512];
    const char *name = category ? category : "";
    int32_t score = SaturatedInt(points);
    int32_t time_taken = SaturatedInt((double)duration);
    if (feature_man.IsGameCenterEnabled()) {
        snprintf(command, sizeof command, "SubmitScore,%s,%d", name, score);
        ov->OV_CallExtension("GameCenter", command);
    }

    // The local leaderboard, unless the category keeps one score per player.
    if (!IsOneScorePerPlayer(category)) {
        if (LeaderboardsClient *client = GetLeaderboardsForCategory(category)) {
            last_client_ = client;
            char player[LEADERBOARDS_MAX_NAME + 1];
            CutName(player, sizeof player, prof);
            client->SetLocalPlayerDisplayName(player);
            nString id = prof ? prof->GetName() : nString();
            client->SetLocalPlayerId(id.Get());
            client->SubmitScore(score, time_taken);
        }
    }
    if (!prof)
        return;

    // The personal best: only a higher score is written.
    bool changed = false;
    int now = (int)time(nullptr);
    if (GetPersonalBestScore(category).points < score) {
        prof->SetValuef(kBestScores, name, "points", "%d", score);
        prof->SetValuef(kBestScores, name, "duration", "%d", time_taken);
        prof->SetValuef(kBestScores, name, "time_created", "%d", now);
        changed = true;
    }

    // The platform queue keeps the best score per player and category until the
    // platform acknowledges it.
    if (const char *uid = prof->GetValue(kGameCenter, "profile", "uid")) {
        char id[512];
        snprintf(id, sizeof id, "%s_%s", uid, name);
        int queued = ReadLeaderboardNumber(prof->GetValue(kQueue, id, "points"));
        prof->SetValuef(kQueue, id, "points", "%d", queued > score ? queued : score);
        prof->SetValue(kQueue, id, "category", name);
        changed = true;
    }

    if (prog.parms.developer_mode) {
        char id[16];
        snprintf(id, sizeof id, "%d", prof->GetNumberOfValuesInCategory(kHistory));
        prof->SetValue(kHistory, id, "category", name);
        prof->SetValuef(kHistory, id, "points", "%d", score);
        prof->SetValuef(kHistory, id, "duration", "%d", time_taken);
        prof->SetValuef(kHistory, id, "time_created", "%d", now);
        profile_man().SaveProfiles();
    } else if (changed) {
        profile_man().SaveProfiles();
    }
}

void LeaderboardsManager::ShowLeaderboards(const char *category, const char *timeScope, const char *playerScope)
{
    if (!category)
        category = GetDefaultCategory();
    if (feature_man.IsGameCenterEnabled()) {
        int scope = 2;
        if (nStringsMatch(timeScope, "TODAY"))
            scope = 0;
        else if (nStringsMatch(timeScope, "WEEK"))
            scope = 1;
        char command[512];
        snprintf(command, sizeof command, "ShowLeaderboards,%s,%d", category ? category : "", scope);
        ov->OV_CallExtension("GameCenter", command);
        return;
    }
    Screen *screen = Screen::PeekScreen("Leaderboards");
    if (!screen)
        return;
    sman.SendScreenMessage(nullptr, screen, "SetCategory", category);
    sman.PushScreen(screen, 0);
}

LeaderboardScore LeaderboardsManager::GetBestScoreForProfile(Profile *profile, const char *category)
{
    LeaderboardScore best;
    memset(&best, 0, sizeof best);
    best.rank = 1;
    if (!profile)
        return best;
    CutName(best.player, sizeof best.player, profile);
    const char *name = category ? category : "";
    best.points = ReadLeaderboardNumber(profile->GetValue(kBestScores, name, "points"));
    best.duration = ReadLeaderboardNumber(profile->GetValue(kBestScores, name, "duration"));
    best.time_created = ReadLeaderboardNumber(profile->GetValue(kBestScores, name, "time_created"));
    return best;
}

LeaderboardScore LeaderboardsManager::GetPersonalBestScore(const char *category)
{
    return GetBestScoreForProfile(prof, category);
}

LeaderboardScore LeaderboardsManager::GetBestLocalScore(const char *category)
{
    LeaderboardScore best;
    memset(&best, 0, sizeof best);
    for (int i = 0; i < profile_man().GetNumberOfProfiles(); i++) {
        LeaderboardScore score = GetBestScoreForProfile(profile_man().GetProfileByIndex(i), category);
        if (score.points > best.points)
            best = score;
    }
    return best;
}

void LeaderboardsManager::ListPersonalBests(LeaderboardsClient *client)
{
    if (!client)
        return;
    client->Lock();
    client->ReleaseScores();
    for (int i = 0; i < profile_man().GetNumberOfProfiles(); i++) {
        LeaderboardScore best = GetBestScoreForProfile(profile_man().GetProfileByIndex(i), client->GetCategory());
        if (best.points > 0)
            client->InsertScore(new LeaderboardScore(best));
    }
    client->SetDownloadState(0);
    client->Unlock();
}

bool LeaderboardsManager::ProcessEvent(ov_event_t &event)
{
    if (!active_)
        return false;
    switch (event.type) {
    case OV_EVENT_SERVICE_21:
        return true;
    case OV_EVENT_SERVICE_22: {
        // Word 1 the leaderboard id, word 2 the points, the first byte of word 3 success.
        if ((event.y & 0xff) == 0)
            return true;
        const char *id = (const char *)event.ptr;
        DMDatabase *db = prof ? prof->LockDatabase() : nullptr;
        if (!db)
            return false;
        DMArray *queue = db->GetArray(kQueue);
        const char *prefix = feature_man.GetProductValue("game_center_id");
        for (int n = 0; queue && id && n < queue->GetSize(); n++) {
            const DMNode *node = queue->GetNode(n);
            const char *category = node->GetValue("category");
            char expected[256];
            if (prefix)
                snprintf(expected, sizeof expected, "%s.%s", prefix, category ? category : "");
            else
                snprintf(expected, sizeof expected, "%s", category ? category : "");
            const char *points = node->GetValue("points");
            if (strcmp(expected, id) == 0 && ReadLeaderboardNumber(points) == event.x) {
                queue->RemoveNode(n);
                prof->MarkDirty();
                prof->UnlockDatabase();
                profile_man().SaveProfiles();
                return true;
            }
        }
        prof->UnlockDatabase();
        return false;
    }
    case OV_EVENT_SERVICE_19: {
        // The byte after the type word: success; word 2 the uid, word 5 the alias.
        const char *uid = (const char *)event.ptr2;
        const char *alias = (const char *)event.list;
        if (event.index == 0 || !prof)
            return true;
        prof->SetValue(kGameCenter, "profile", "uid", uid);
        prof->SetValue(kGameCenter, "profile", "alias", alias);
        if (!uid)
            return true;
        if (!feature_man.IsGameCenterEnabled())
            return true;  // the queue stays until the service is in use
        std::string prefix = std::string(uid) + "_";
        DMDatabase *db = prof->LockDatabase();
        DMArray *queue = db ? db->GetArray(kQueue) : nullptr;
        for (int n = 0; queue && n < queue->GetSize(); n++) {
            const DMNode *node = queue->GetNode(n);
            if (!node->id || strncmp(node->id, prefix.c_str(), prefix.size()) != 0)
                continue;
            const char *category = node->GetValue("category");
            const char *points = node->GetValue("points");
            char command[512];
            snprintf(command, sizeof command, "SubmitScore,%s,%s", category ? category : "", points ? points : "0");
            ov->OV_CallExtension("GameCenter", command);
        }
        if (db)
            prof->UnlockDatabase();
        return true;
    }
    default:
        return false;
    }
}
