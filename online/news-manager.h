// The news feed: one news item (an image with an optional link) fetched from the news
// web service on a worker thread, kept until a screen switch offers a moment, shown
// once through the news screen "TalvikNews" and then remembered by its id in the
// player's file "user://talvik-news.txt" (at most the 8 newest ids), so that it is not
// shown again.
//
// Threads: the fetcher "talvik_news_fetcher" fills a record of its own and hands it
// over under the named engine mutex "Talvik_NEWS"; the main thread reads the item under
// the same mutex. The fetching flag is atomic. Everything else (the seen ids, the state
// file, the running time) is main thread only.
#ifndef ONLINE_NEWS_MANAGER_H
#define ONLINE_NEWS_MANAGER_H

#include "narray.h"
#include "nstring.h"
#include "orvex.h"

#include <stdint.h>

#include <atomic>
#include <string>

// The news service's address up to its query.
#define NEWS_ENDPOINT "http://news.invalid/?"
#define NEWS_STATE_FILE "user://talvik-news.txt"
#define NEWS_SCREEN_NAME "TalvikNews"
#define NEWS_MUTEX_NAME "Talvik_NEWS"

enum {
    NEWS_MAX_REPLY = 8191,          // bytes of a reply that is read at all
    NEWS_MAX_VALUE = 1023,          // characters of one attribute value
    NEWS_MAX_SAVED_IDS = 8,         // ids the state file keeps
    NEWS_MAX_READ_IDS = 102,        // ids read back from it
    NEWS_MAX_STATE_FILE = 1048576,  // bytes of a readable state file
};

class NewsManager {
public:
    // One news item. Owns its strings and one reference of its bitmap: a copy takes a
    // reference of its own, replacing or destroying the record gives its one back.
    struct News {
        News() = default;
        News(const News &other);
        News &operator=(const News &other);
        ~News();
        // Frees the strings, gives the bitmap back, clears the valid flag.
        void Clear();
        // Exchanges the whole contents (no reference changes hands).
        void Swap(News &other);
        // Drops the bitmap pointer without giving its reference back (the engine is gone).
        void Forget() { bitmap = nullptr; }

        bool valid = false;
        char *id = nullptr;
        char *image = nullptr;
        char *link = nullptr;
        char *variant = nullptr;
        char *tags = nullptr;
        char *allowed_events = nullptr;
        char *shown_event = nullptr;
        char *skip_text = nullptr;
        ov_bitmap_t *bitmap = nullptr;
    };

    NewsManager() = default;
    // Leaves the engine alone: a bitmap still held is the engine's to free at its end.
    ~NewsManager();
    NewsManager(const NewsManager &) = delete;
    NewsManager &operator=(const NewsManager &) = delete;

    // Once: keeps the news area size, reads the seen ids, starts a fetch, and hangs the
    // manager off the screen framework's frame. Later calls do nothing.
    void Initialize(int width, int height);
    // Waits for a running fetch to end, gives the item back, forgets the seen ids and
    // unhooks the manager; Initialize may run again.
    void Shutdown();

    // Adds the frame time to the running time; in developer mode a running time that
    // crosses a whole minute starts a fetch.
    void Update(float dt);
    // Starts a fetch unless uninitialized, fetching or showing: the item turns invalid
    // until the fetch hands over a good one.
    void RefreshNews();
    bool IsShowingNews();
    bool IsFetching() const { return fetching_.load(std::memory_order_acquire); }
    bool HasNewsBeenAlreadySeen(const char *id);
    // The state file was read, the item is valid, its id not seen and the game agrees.
    bool IsNewsReadyToBeShown();
    // Shows the waiting item at the moment `event` (see news-manager.cpp): remembers
    // it as seen, pushes the news screen, reports "Shown" and writes the state file.
    void ShowNews(const char *event);
    // Logs the analytics event "NEWS_<id>[_<action>]" with the shown event and the variant.
    void SendEventToAnalyst(const char *action);
    // The seen ids from the state file (nothing read in developer mode).
    void LoadState();
    // The 8 newest seen ids to the state file (nothing written in developer mode).
    void SaveState();

    // A copy of the current item, its own bitmap reference included. Main thread.
    News CopyNews();
    int GetNewsAreaWidth() const { return area_width_; }
    int GetNewsAreaHeight() const { return area_height_; }
    bool IsInitialized() const { return initialized_; }
    bool IsStateLoaded() const { return state_loaded_; }
    int64_t GetRunningTime() const { return running_time_; }
    int GetNumberOfSeenIds() const { return seen_.Count(); }
    const char *GetSeenId(int index) const;
    // The game's say on whether the player has played enough to be shown news; without
    // one, the answer is yes.
    void SetPlayedEnoughHook(bool (*hook)()) { played_enough_ = hook; }

    // The fetcher's hand-over: exchanges the record with the current item under the
    // mutex (the old item comes back in the record). Any thread.
    void HandOver(News *fetched);
    // The fetcher's last step: the fetch has ended. Any thread.
    void EndFetch();
    // The request address of a fetch with this manager's area size.
    std::string BuildRequestAddress() const;

private:
    bool PlayedEnough() const { return !played_enough_ || played_enough_(); }

    bool initialized_ = false;
    bool state_loaded_ = false;
    int64_t running_time_ = 0;
    nArray<nString> seen_;
    News news_;
    std::atomic<bool> fetching_{false};
    int area_width_ = 0;
    int area_height_ = 0;
    bool (*played_enough_)() = nullptr;
};

// Checks one reply body and reads its attributes into the record's strings (the
// bitmap is not loaded); logs every failure and returns false then. Any thread.
bool ParseNewsReply(const uint8_t *data, int size, NewsManager::News *out);
// The value of `name="..."` (the first occurrence, up to the next quote or the end, at
// most NEWS_MAX_VALUE characters) as a new heap string; null when absent.
char *GetNewsAttribute(const char *text, const char *name);
// Reads a state file's bytes: the seen ids into `ids`; false for a damaged file (no
// header, a NUL, more than NEWS_MAX_STATE_FILE bytes), after "bad header" when the
// header is missing.
bool ParseNewsState(const char *data, long size, nArray<nString> *ids);

class Screen;
// The news screen "TalvikNews" (news-screen.cpp).
Screen *GetNewsScreen();

// The fetcher thread's body: sends the request (the address, a heap string it frees),
// checks and reads the reply, loads the image and hands the item over.
void NewsFetcherThread(void *address);

// The one news manager.
extern NewsManager news_man;

#endif
