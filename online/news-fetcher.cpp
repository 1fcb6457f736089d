// The news fetcher: the request address, the worker thread "talvik_news_fetcher"
// that sends it, the checks and reading of the reply, and the loading of the item's
// image. The reply is a text of 1 to 8191 bytes in braces; its attributes are found by
// plain search for `name="` and run to the next quote.
#include "online/news-manager.h"

#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "online/percent-encoding.h"

#include "ovrecords.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

// An id goes into a comma-separated file: a comma or a control character cannot.
bool IsStorableId(const char *id)
{
    for (const unsigned char *p = (const unsigned char *)id; *p; p++)
        if (*p == ',' || *p < 0x20 || *p == 0x7f)
            return false;
    return true;
}

char *AttributeOrEmpty(const char *text, const char *name)
{
    char *value = GetNewsAttribute(text, name);
    return value ? value : nStringDuplicate("");
}

// Loads the item's image. False (nothing to hand over) when it does not load; an image
// larger than the news area is given back and the item handed over invalid.
bool LoadNewsImage(NewsManager::News *news, int area_width, int area_height)
{
    ov_bitmap_t *bitmap = ov->OV_LoadBitmap(news->image, 4);
    if (!bitmap || bitmap->width < 1 || bitmap->height < 1) {
        ov->OV_PrintDebugf(1, "Talvik News: Unable to load received bitmap (%s)\n",
                           bitmap && bitmap->name ? bitmap->name : news->image);
        if (bitmap)
            ov->OV_ReleaseBitmap(bitmap);
        return false;
    }
    news->bitmap = bitmap;
    news->valid = true;
    if (bitmap->width > area_width || bitmap->height > area_height) {
        ov->OV_ReleaseBitmap(bitmap);
        news->bitmap = nullptr;
        news->valid = false;
    }
    return true;
}

}  // namespace

std::string NewsManager::BuildRequestAddress() const
{
    std::string address = NEWS_ENDPOINT;
    address += "version=" + PercentEncoded(prog.version);
    address += "&app=" + PercentEncoded(prog.id);
    const char *platform = feature_man.GetCurrentPlatformId();
    const char *slash = strchr(platform, '/');
    std::string name = slash ? std::string(platform, (size_t)(slash - platform)) : std::string(platform);
    address += "&platform=" + PercentEncoded(name.c_str());
    if (slash && slash[1])
        address += "&form_factor=" + PercentEncoded(slash + 1);
    if (prog.parms.locale && prog.parms.locale[0])
        address += "&locale=" + PercentEncoded(prog.parms.locale);
    if (area_width_ > 0 && area_height_ > 0)
        address += "&area_size=" + std::to_string(area_width_) + "x" + std::to_string(area_height_);
    if (prog.parms.developer_mode)
        address += "&tags=TEST_MODE";
    return address;
}

char *GetNewsAttribute(const char *text, const char *name)
{
    if (!text || !name || !name[0])
        return nullptr;
    std::string key = std::string(name) + "=\"";
    const char *found = strstr(text, key.c_str());
    if (!found)
        return nullptr;
    const char *start = found + key.size();
    const char *end = strchr(start, '"');
    size_t length = end ? (size_t)(end - start) : strlen(start);
    if (length > NEWS_MAX_VALUE)
        length = NEWS_MAX_VALUE;
    return nStringDuplicate(std::string(start, length).c_str());
}

bool ParseNewsReply(const uint8_t *data, int size, NewsManager::News *out)
{
    out->Clear();
    if (!data || size < 1 || size > NEWS_MAX_REPLY) {
        ov->OV_Printf("Returned buffer fails sanity check (size %d)\n", size);
        return false;
    }
    // As text: a NUL inside ends it.
    std::string copy((const char *)data, (size_t)size);
    const char *text = copy.c_str();
    size_t length = strlen(text);
    if (length == 0 || text[0] != '{' || text[length - 1] != '}') {
        ov->OV_PrintDebugf(1, "Failed {} check ('%s').\n", text);
        return false;
    }
    char *id = GetNewsAttribute(text, "id");
    if (!id) {
        ov->OV_Printf("Talvik News: Missing news id tag.\n");
        return false;
    }
    if (strlen(id) < 2) {
        ov->OV_Printf("Talvik News: news id '%s' too short.\n", id);
        nStringFree(id);
        return false;
    }
    if (!IsStorableId(id)) {
        ov->OV_Printf("Talvik News: news id '%s' not storable.\n", id);
        nStringFree(id);
        return false;
    }
    char *image = GetNewsAttribute(text, "image");
    if (!image) {
        ov->OV_Printf("Talvik News: Missing image tag.\n");
        nStringFree(id);
        return false;
    }
    out->id = id;
    out->image = image;
    out->link = GetNewsAttribute(text, "link");
    out->tags = AttributeOrEmpty(text, "tags");
    out->variant = AttributeOrEmpty(text, "variant");
    out->allowed_events = AttributeOrEmpty(text, "allowed_events");
    out->skip_text = AttributeOrEmpty(text, "skip_text");
    return true;
}

void NewsFetcherThread(void *arg)
{
    char *address = (char *)arg;
    ov->OV_Printf("Call '%s'\n", address);
    ov_buffer_t reply = {nullptr, 0, 0, 0};
    int status = ov->OV_SendHttpRequest(2, address, "application/x-www-form-urlencoded", nullptr, 0, &reply, nullptr);
    NewsManager::News fetched;
    bool replace = false;
    if (status != 200)
        ov->OV_Printf("Connection failure (http returns %d)\n", status);
    else if (ParseNewsReply(reply.data, reply.data ? reply.used : 0, &fetched))
        replace = LoadNewsImage(&fetched, news_man.GetNewsAreaWidth(), news_man.GetNewsAreaHeight());
    ov->OV_FreeBuffer(&reply);
    // The item it replaces comes back in `fetched` and is given up here, before the
    // fetch counts as ended (whoever waits for the end finds nothing left to free).
    if (replace)
        news_man.HandOver(&fetched);
    fetched.Clear();
    nStringFree(address);
    news_man.EndFetch();
}
