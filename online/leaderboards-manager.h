// The leaderboards manager (`leaderboards_man`): the application's one entry point for
// scores. A submission goes to the category's local leaderboard (unless the
// category is tagged ONE_SCORE_PER_PLAYER in "leaderboards/leaderboards.xml"), to the
// active profile's personal best (profile category BEST_SCORES) and, once the profile
// knows its platform player id, to the queue of scores awaiting the platform score
// service (GAME_CENTER_LEADERBOARDS_QUEUE). It shows a leaderboard through the
// platform service ("GameCenter" extension) or the "Leaderboards" screen, takes the
// platform's replies (engine events 19, 21 and 22) and offers the "LM_" script
// functions.
//
// The clients and their shared local server are made on first use and live for the
// run; the category map is guarded by the manager's lock, because the leaderboards
// screen asks for its client while it preloads on the loading worker. Everything else
// is main thread only.
#ifndef ONLINE_LEADERBOARDS_MANAGER_H
#define ONLINE_LEADERBOARDS_MANAGER_H

#include "nmap.h"
#include "online/leaderboards.h"
#include "orvex.h"

#include <mutex>

class Profile;

// The categories and their tags.
#define LEADERBOARDS_CATEGORIES_FILE "leaderboards/leaderboards.xml"

class LeaderboardsManager {
public:
    LeaderboardsManager() = default;
    ~LeaderboardsManager();
    LeaderboardsManager(const LeaderboardsManager &) = delete;
    LeaderboardsManager &operator=(const LeaderboardsManager &) = delete;

    // Marks the leaderboards active, prints "LeaderboardsManager Initializing.\n",
    // registers the script functions and the platform-event hook with the screen
    // manager and, with the platform service in use, sends it "Authenticate". True.
    bool Initialize();
    bool IsActive() const { return active_; }

    // The category's client, made and initialized on first request (the local server
    // with the first one); null for a null category. Any thread.
    LeaderboardsClient *GetLeaderboardsForCategory(const char *category);
    // The client of the latest local submission, or null.
    LeaderboardsClient *GetLastClient() { return last_client_; }
    // The shared server, null before the first client.
    LeaderboardsServerLocalDatabase *GetServer() { return server_; }

    // Records a score: platform service, local leaderboard, personal best, platform
    // queue, and in developer mode the score history; saves the profiles when they
    // changed (always in developer mode).
    void SubmitScore(const char *category, long points, unsigned long duration);
    // A null category is the default one (the first of the categories file). Through
    // the platform service: "ShowLeaderboards,<category>,<scope>" with the time scope
    // 0 "TODAY", 1 "WEEK", 2 "ALL_TIME" (any other 2); else the "Leaderboards" screen
    // gets "SetCategory" and is pushed on top. Nothing without that screen.
    void ShowLeaderboards(const char *category, const char *timeScope, const char *playerScope);

    // A personal best read from the profile's BEST_SCORES: rank 1, the profile's name.
    LeaderboardScore GetBestScoreForProfile(Profile *profile, const char *category);
    LeaderboardScore GetPersonalBestScore(const char *category);
    // The best personal best of all profiles (ties to the first); the empty record
    // when no profile has a positive score.
    LeaderboardScore GetBestLocalScore(const char *category);
    // Replaces the client's list by the personal bests of every profile, one row per
    // player with a positive score: the list of a category that keeps one score per
    // player (its scores stay out of the local database).
    void ListPersonalBests(LeaderboardsClient *client);
    // The id of the first node of the categories file, or null.
    const char *GetDefaultCategory();
    // Whether the category's tags hold ONE_SCORE_PER_PLAYER as a whole token.
    bool IsOneScorePerPlayer(const char *category);

    // Events 19 (signed in), 21 (notice) and 22 (score reported); whether consumed.
    // Every event is ignored (false) while the manager is not active.
    bool ProcessEvent(ov_event_t &event);

    // Forgets every client and the server and clears the active flag: a fresh start
    // (tests, a new run in the same process). Main thread, nothing else using them.
    void Reset();

private:
    bool active_ = false;
    std::mutex mutex_;                       // guards the map and the server's creation
    nMap<LeaderboardsClient *> clients_;
    LeaderboardsClient *last_client_ = nullptr;
    LeaderboardsServerLocalDatabase *server_ = nullptr;
};

// Registers the "LM_" script functions (leaderboards-script.cpp).
void RegisterLeaderboardsScriptFunctions();

// The one leaderboards manager.
extern LeaderboardsManager leaderboards_man;

#endif
