// Leaderboards: one `LeaderboardsClient` per score category keeps that category's
// scores in memory, sorted by points (highest first) and ranked 1..n, and talks to a
// score server. The only server is `LeaderboardsServerLocalDatabase`, which keeps
// every category (at most 100 scores each) in the player's file
// "user://leaderboards-db.xml" and delivers a download at once.
//
// The file: one array per category (its id the category name), one node per score
// in submission order with the attributes player, points and duration. It is loaded
// by the server itself: a file that does not parse cleanly, or holds a score without
// an integer "points", is first copied aside ("user://leaderboards-db.xml.bad", or the
// first free ".badN") and the scores that did read stay. It is written whole after
// every submission through the ".tmp" sibling; a failed write keeps the old file and
// the scores in memory, and the next submission writes again.
//
// Threads: a client's mutex guards its score list and download state while they are
// replaced; readers take no lock (they run on the main thread). The server's
// database is guarded by the server's own lock, so a download started by a screen
// preloading on a worker never meets a submission half done.
#ifndef ONLINE_LEADERBOARDS_H
#define ONLINE_LEADERBOARDS_H

#include "narray.h"

#include <stdint.h>

#include <atomic>
#include <mutex>

class DMDatabase;
class LeaderboardsClient;
struct ov_mutex_t;

// The file of the local leaderboards.
#define LEADERBOARDS_DB_FILE "user://leaderboards-db.xml"
// Scores kept per category in the file.
#define LEADERBOARDS_MAX_SCORES 100
// The longest player name kept (characters); a longer one reads as "Unknown".
#define LEADERBOARDS_MAX_NAME 30

// One score, copied by value.
struct LeaderboardScore {
    int32_t rank;         // 1-based position in a client's list
    char player[32];      // display name, zero-terminated
    int32_t points;
    int32_t duration;
    int32_t time_created; // seconds since 1970; personal bests only
};

// A record with the name as it is kept: up to 30 characters as given, "Unknown" for a
// longer one, "" for null; rank 1, the other fields zero.
LeaderboardScore MakeLeaderboardScore(const char *player, int32_t points, int32_t duration);
// A number as the database holds it: the leading decimal number (exponents read too),
// saturated at the int32 limits; 0 for null or no number.
int32_t ReadLeaderboardNumber(const char *text);
// True when the whole text is an integer (an optional sign, then digits only).
bool IsLeaderboardInteger(const char *text);

// The base of score servers: each operation does nothing (Initialize answers false).
class LeaderboardsServer {
public:
    virtual ~LeaderboardsServer() = default;
    virtual bool Initialize();
    virtual void Shutdown();
    virtual void SubmitScore(LeaderboardsClient *client, LeaderboardScore score);
    // Delivers the client's category; from, count and flags may be ignored.
    virtual void RequestScores(LeaderboardsClient *client, int from, int count, int flags);
};

class LeaderboardsServerLocalDatabase : public LeaderboardsServer {
public:
    ~LeaderboardsServerLocalDatabase() override;
    // Loads the file (or starts empty when it does not exist); answers true. A damaged
    // file is kept aside with "Leaderboards database damaged, kept as '%s'.\n".
    bool Initialize() override;
    void Shutdown() override;
    // Appends the score to the category's array, drops the lowest score (the last one
    // of equal lowest points) past 100 and saves the file. Nothing before Initialize.
    void SubmitScore(LeaderboardsClient *client, LeaderboardScore score) override;
    // Replaces the client's list by the whole category and ends its download (state 0);
    // a category without scores delivers an empty list.
    void RequestScores(LeaderboardsClient *client, int from, int count, int flags) override;
    // Writes the database; false when the write failed (the old file stays).
    bool Save();
    // Whether the last save failed (the next submission writes again).
    bool IsSavePending() const { return save_pending_; }

private:
    DMDatabase *db_ = nullptr;  // owned; null until Initialize
    bool save_pending_ = false;
    std::mutex mutex_;
};

class LeaderboardsClient {
public:
    LeaderboardsClient() = default;
    virtual ~LeaderboardsClient();
    LeaderboardsClient(const LeaderboardsClient &) = delete;
    LeaderboardsClient &operator=(const LeaderboardsClient &) = delete;

    // False (nothing changed) when any argument is null. Stores the server (not owned)
    // and copies of the texts; the display name is the active profile's name cut to 30
    // characters, or "Player".
    virtual bool Initialize(LeaderboardsServer *server, const char *gameName, const char *gameVersion,
                            const char *category);
    virtual const char *GetGameName() { return game_name_; }
    virtual const char *GetGameVersion() { return game_version_; }
    virtual const char *GetCategory() { return category_; }
    // A null text stores "".
    virtual void SetGamePlatform(const char *platform);
    virtual const char *GetGamePlatform(const char *unused);
    virtual void SetLocalPlayerId(const char *id);
    virtual const char *GetLocalPlayerId() { return player_id_; }
    // A name of more than 30 characters is refused at level 1 with
    // "LeaderboardsClient::SetLocalPlayerDisplayName name '%s' too long.\n"; the old stays.
    virtual void SetLocalPlayerDisplayName(const char *name);
    virtual const char *GetLocalPlayerDisplayName() { return display_name_; }
    // Hands the score to the server and shows it in the list at once; false before
    // Initialize.
    virtual bool SubmitScore(long points, long duration);
    // Starts a download of the first `count` scores; nothing while one is running.
    virtual void Download(int from, int count, int flags);
    virtual int GetDownloadState() { return download_state_; }
    // A finished state (3 or 4) back to 0: true; any other state stays: false.
    virtual bool ResetDownloadState();
    virtual int GetCurrentPlayerRank() { return 0; }
    // The first record of that rank, or null. Owned by the client.
    virtual LeaderboardScore *GetScoreByRank(int rank);
    // Null unless 0 <= index < count. Owned by the client.
    virtual LeaderboardScore *GetScoreByIndex(int index);
    virtual int GetNumberOfScores() { return scores_.Count(); }

    void Lock();
    void Unlock();
    // Gives the client's engine mutex back (while the engine runs; the engine frees
    // what is left at its shutdown, so the destructor leaves it alone).
    void ReleaseMutex();
    // Deletes every record (the storage stays). Caller holds the lock.
    void ReleaseScores();
    // Takes the record and puts it after every record of higher or equal points; the
    // ranks from it on become index + 1. Caller holds the lock.
    void InsertScore(LeaderboardScore *score);
    // Sets the download state. Caller holds the lock (the server ends a download).
    void SetDownloadState(int state) { download_state_ = state; }
    bool IsInitialized() const { return initialized_; }

private:
    LeaderboardsServer *server_ = nullptr;
    nArray<LeaderboardScore *> scores_;
    ov_mutex_t *mutex_ = nullptr;
    std::atomic<int> download_state_{0};
    char *display_name_ = nullptr;
    char *player_id_ = nullptr;
    char *platform_ = nullptr;
    char *game_name_ = nullptr;
    char *category_ = nullptr;
    char *game_version_ = nullptr;
    bool initialized_ = false;
};

#endif
