// Fuzzes the news feed's two readers of outside bytes: the news reply (checked and
// read into an item) and the seen-news state file (split into ids, through the
// manager's loader with its copy of a damaged file). Whatever comes in, an accepted
// reply has a storable id of at least 2 characters and an image, every value fits
// its limit, and the state gives at most 102 non-empty ids without a comma.
#include "app/services/token-lists.h"
#include "fuzz/fuzz_env.h"
#include "online/news-manager.h"

#include <limits.h>
#include <string.h>

namespace {

void CheckValue(const char *value)
{
    if (value && strlen(value) > NEWS_MAX_VALUE)
        __builtin_trap();
}

void CheckIds(const NewsManager &manager, const nArray<nString> &ids)
{
    if (ids.Count() > NEWS_MAX_READ_IDS)
        __builtin_trap();
    for (int i = 0; i < ids.Count(); i++) {
        const char *id = ids[i].Get();
        if (!id || !id[0] || strchr(id, ','))
            __builtin_trap();
    }
    (void)manager;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();

    // The reply.
    NewsManager::News news;
    if (ParseNewsReply(data, (int)size, &news)) {
        if (!news.id || strlen(news.id) < 2 || strchr(news.id, ',') || !news.image)
            __builtin_trap();
        for (const unsigned char *p = (const unsigned char *)news.id; *p; p++)
            if (*p < 0x20 || *p == 0x7f)
                __builtin_trap();
        for (const char *value : {news.id, news.image, news.link, news.tags, news.variant, news.allowed_events,
                                  news.skip_text})
            CheckValue(value);
        if (size < 2 || size > NEWS_MAX_REPLY)
            __builtin_trap();
    }
    (void)HasWholeToken((const char *)news.allowed_events, "Before_Game");

    // The state file, split directly and read by the manager from user://.
    nArray<nString> ids;
    bool readable = ParseNewsState((const char *)data, (long)size, &ids);
    CheckIds(news_man, ids);
    if (!readable && ids.Count() != 0)
        __builtin_trap();
    ov_file_t *f = ov->OV_OpenFile(NEWS_STATE_FILE, "wb");
    if (!f)
        return 0;
    bool written = size == 0 || ov->OV_WriteFile(data, (unsigned)size, f) == size;
    ov->OV_CloseFile(f);
    if (!written)
        return 0;
    news_man.LoadState();
    if (!news_man.IsStateLoaded() || news_man.GetNumberOfSeenIds() != ids.Count())
        __builtin_trap();
    for (int i = 0; i < ids.Count(); i++)
        if (strcmp(news_man.GetSeenId(i), ids[i].Get()) != 0)
            __builtin_trap();
    ov->OV_DeleteFile(NEWS_STATE_FILE ".bad");
    return 0;
}
