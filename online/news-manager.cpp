// The news manager: its item record, the fetch start, the moment of showing and the
// seen-news state file "user://talvik-news.txt" ("OLD_NEWS=" and the seen ids joined
// by ",", no newline). The fetcher thread and the reply parser are in news-fetcher.cpp.
#include "online/news-manager.h"

#include "app/services/filehelpers.h"
#include "app/services/prog.h"
#include "app/services/token-lists.h"
#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "online/analytics.h"

#include "ovrecords.h"

#include <stdlib.h>
#include <string.h>

NewsManager news_man;

namespace {

const char kStateHeader[] = "OLD_NEWS=";

char *CopyOrNull(const char *text)
{
    return text ? nStringDuplicate(text) : nullptr;
}

// One more reference of a bitmap the caller already holds one of.
ov_bitmap_t *TakeReference(ov_bitmap_t *bitmap)
{
    return bitmap && bitmap->name ? ov->OV_LoadBitmap(bitmap->name, 4) : bitmap;
}

void HookUpdate(float dt)
{
    news_man.Update(dt);
}
void HookRefresh()
{
    news_man.RefreshNews();
}
bool HookReady()
{
    return news_man.IsNewsReadyToBeShown();
}
void HookShow(const char *event)
{
    news_man.ShowNews(event);
}

// Hands a news event to the analytics log with its pairs: "event" always, "variant"
// when given.
void LogNewsAnalyticsEvent(const char *event, const char *shown, const char *variant)
{
    Analyst::KeyValues pairs;
    pairs.InsertLast(Analyst::KeyValue("event", shown));
    if (variant)
        pairs.InsertLast(Analyst::KeyValue("variant", variant));
    analyst.LogEventWithKeyValues(event, pairs);
}

}  // namespace

// ---- the item record

NewsManager::News::News(const News &other)
{
    *this = other;
}

NewsManager::News &NewsManager::News::operator=(const News &other)
{
    if (this == &other)
        return *this;
    Clear();
    valid = other.valid;
    id = CopyOrNull(other.id);
    image = CopyOrNull(other.image);
    link = CopyOrNull(other.link);
    variant = CopyOrNull(other.variant);
    tags = CopyOrNull(other.tags);
    allowed_events = CopyOrNull(other.allowed_events);
    shown_event = CopyOrNull(other.shown_event);
    skip_text = CopyOrNull(other.skip_text);
    bitmap = TakeReference(other.bitmap);
    return *this;
}

NewsManager::News::~News()
{
    Clear();
}

void NewsManager::News::Clear()
{
    for (char **s : {&id, &image, &link, &variant, &tags, &allowed_events, &shown_event, &skip_text}) {
        nStringFree(*s);
        *s = nullptr;
    }
    if (bitmap)
        ov->OV_ReleaseBitmap(bitmap);
    bitmap = nullptr;
    valid = false;
}

void NewsManager::News::Swap(News &other)
{
    News *a = this, *b = &other;
    std::swap(a->valid, b->valid);
    std::swap(a->id, b->id);
    std::swap(a->image, b->image);
    std::swap(a->link, b->link);
    std::swap(a->variant, b->variant);
    std::swap(a->tags, b->tags);
    std::swap(a->allowed_events, b->allowed_events);
    std::swap(a->shown_event, b->shown_event);
    std::swap(a->skip_text, b->skip_text);
    std::swap(a->bitmap, b->bitmap);
}

// ---- the manager

NewsManager::~NewsManager()
{
    news_.Forget();
}

void NewsManager::Initialize(int width, int height)
{
    if (initialized_)
        return;
    area_width_ = width;
    area_height_ = height;
    running_time_ = 0;
    initialized_ = true;
    frame_services.news_update = HookUpdate;
    frame_services.news_refresh = HookRefresh;
    frame_services.news_ready = HookReady;
    frame_services.news_show = HookShow;
    LoadState();
    RefreshNews();
}

void NewsManager::Shutdown()
{
    while (IsFetching())
        ov->OVT_Sleep(1);
    if (frame_services.news_update == HookUpdate) {
        frame_services.news_update = nullptr;
        frame_services.news_refresh = nullptr;
        frame_services.news_ready = nullptr;
        frame_services.news_show = nullptr;
    }
    ov_mutex_t *mutex = ov->OV_GetMutex(NEWS_MUTEX_NAME);
    ov->OV_LockMutex(mutex);
    news_.Clear();
    ov->OV_UnlockMutex(mutex);
    seen_.Clear();
    initialized_ = false;
    state_loaded_ = false;
    running_time_ = 0;
}

void NewsManager::Update(float dt)
{
    if (!initialized_)
        return;
    int64_t before = running_time_;
    running_time_ += (int64_t)(dt * 1000.0f);
    if (prog.parms.developer_mode && before / 60000 != running_time_ / 60000)
        RefreshNews();
}

void NewsManager::RefreshNews()
{
    if (!initialized_ || IsFetching() || IsShowingNews())
        return;
    ov_mutex_t *mutex = ov->OV_GetMutex(NEWS_MUTEX_NAME);
    ov->OV_LockMutex(mutex);
    news_.valid = false;
    ov->OV_UnlockMutex(mutex);
    // The address is finished here, on the main thread, from the program record and
    // the features; the thread only sends it.
    std::string address = BuildRequestAddress();
    char *block = nStringDuplicate(address.c_str());
    fetching_.store(true, std::memory_order_release);
    // The engine answers 0 (or -1) when no thread started: the block is still ours.
    if (ov->OV_CreateThread("talvik_news_fetcher", NewsFetcherThread, block, 0) <= 0) {
        fetching_.store(false, std::memory_order_release);
        nStringFree(block);
    }
}

bool NewsManager::IsShowingNews()
{
    return sman.IsScreenInStack(GetNewsScreen());
}

bool NewsManager::HasNewsBeenAlreadySeen(const char *id)
{
    for (int i = 0; i < seen_.Count(); i++)
        if (nStringsMatch(seen_[i].Get(), id))
            return true;
    return false;
}

bool NewsManager::IsNewsReadyToBeShown()
{
    if (!state_loaded_)
        return false;
    ov_mutex_t *mutex = ov->OV_GetMutex(NEWS_MUTEX_NAME);
    ov->OV_LockMutex(mutex);
    bool ready = news_.valid && !HasNewsBeenAlreadySeen(news_.id);
    ov->OV_UnlockMutex(mutex);
    return ready && PlayedEnough();
}

void NewsManager::ShowNews(const char *event)
{
    if (!initialized_ || !IsNewsReadyToBeShown() || IsShowingNews())
        return;
    ov_mutex_t *mutex = ov->OV_GetMutex(NEWS_MUTEX_NAME);
    ov->OV_LockMutex(mutex);
    const char *allowed = news_.allowed_events;
    bool admitted = !allowed || strlen(allowed) <= 3 || HasWholeToken(allowed, event);
    if (admitted) {
        nStringFree(news_.shown_event);
        news_.shown_event = nStringDuplicate(event ? event : "");
        seen_.InsertLast(nString(news_.id));
    }
    ov->OV_UnlockMutex(mutex);
    if (!admitted)
        return;
    sman.PushScreen(GetNewsScreen(), 0);
    // A news screen that could not come up (not built, not preloaded) leaves the item
    // unseen for a later moment.
    if (!IsShowingNews()) {
        seen_.Remove(seen_.Count() - 1);
        return;
    }
    SendEventToAnalyst("Shown");
    SaveState();
}

NewsManager::News NewsManager::CopyNews()
{
    ov_mutex_t *mutex = ov->OV_GetMutex(NEWS_MUTEX_NAME);
    ov->OV_LockMutex(mutex);
    News copy(news_);
    ov->OV_UnlockMutex(mutex);
    return copy;
}

const char *NewsManager::GetSeenId(int index) const
{
    return index >= 0 && index < seen_.Count() ? seen_[index].Get() : nullptr;
}

void NewsManager::HandOver(News *fetched)
{
    ov_mutex_t *mutex = ov->OV_GetMutex(NEWS_MUTEX_NAME);
    ov->OV_LockMutex(mutex);
    news_.Swap(*fetched);
    ov->OV_UnlockMutex(mutex);
}

void NewsManager::EndFetch()
{
    fetching_.store(false, std::memory_order_release);
}

// ---- the state file

bool ParseNewsState(const char *data, long size, nArray<nString> *ids)
{
    ids->Clear();
    if (!data || size < 0 || size > NEWS_MAX_STATE_FILE || memchr(data, 0, (size_t)size))
        return false;
    size_t header = sizeof kStateHeader - 1;
    if ((size_t)size < header || memcmp(data, kStateHeader, header) != 0) {
        ov->OV_PrintDebugf(1, "Talvik news: bad header\n");
        return false;
    }
    const char *p = data + header, *end = data + size;
    while (p < end && ids->Count() < NEWS_MAX_READ_IDS) {
        const char *comma = (const char *)memchr(p, ',', (size_t)(end - p));
        const char *stop = comma ? comma : end;
        if (stop > p)
            ids->InsertLast(nString(std::string(p, (size_t)(stop - p)).c_str()));
        p = stop + 1;
    }
    return true;
}

void NewsManager::LoadState()
{
    seen_.Clear();
    seen_.SetShrink(true);
    // In developer mode every item counts as new and the player's list stays untouched.
    if (prog.parms.developer_mode) {
        state_loaded_ = true;
        return;
    }
    state_loaded_ = false;
    long size = 0;
    bool too_large = false;
    char *data = ReadWholeFile(NEWS_STATE_FILE, &size, &too_large);
    if (data || too_large) {
        if (!ParseNewsState(data, size, &seen_)) {
            seen_.Clear();
            nString kept;
            if (KeepDamagedCopy(NEWS_STATE_FILE, &kept))
                ov->OV_PrintDebugf(1, "Talvik news: bad state file kept as '%s'\n", kept.Get());
        }
    }
    free(data);
    state_loaded_ = true;
}

void NewsManager::SaveState()
{
    if (!state_loaded_ || prog.parms.developer_mode)
        return;
    while (seen_.Count() > NEWS_MAX_SAVED_IDS)
        seen_.Remove(0);
    std::string text = kStateHeader;
    for (int i = 0; i < seen_.Count(); i++) {
        if (i > 0)
            text += ",";
        text += seen_[i].Get();
    }
    // After a failed write the old file stays; the ids stay in memory and the next
    // showing writes them again.
    if (!SaveFileReplacing(NEWS_STATE_FILE, text.data(), text.size()))
        ov->OV_Printf("Talvik news: unable to save '%s'\n", NEWS_STATE_FILE);
}

// ---- analytics

void NewsManager::SendEventToAnalyst(const char *action)
{
    ov_mutex_t *mutex = ov->OV_GetMutex(NEWS_MUTEX_NAME);
    ov->OV_LockMutex(mutex);
    std::string event = std::string("NEWS_") + (news_.id ? news_.id : "");
    if (action && action[0])
        event += std::string("_") + action;
    std::string shown = news_.shown_event ? news_.shown_event : "";
    std::string variant = news_.variant ? news_.variant : "";
    ov->OV_UnlockMutex(mutex);
    LogNewsAnalyticsEvent(event.c_str(), shown.c_str(), variant.empty() ? nullptr : variant.c_str());
}
