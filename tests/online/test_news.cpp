// The news feed through the fake HTTP slot: replies and their messages, the request
// address, the moments an item may be shown at, the seen-news state file, the refusals
// of a fetch and the image's references.
#include "tests/online/online_fixture.h"

#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "online/news-manager.h"

#include "ovrecords.h"

#include <string.h>

#include <string>
#include <vector>

using apptest::CountLogged;
using apptest::Logged;
using onlinetest::Addresses;
using onlinetest::WriteReply;

namespace {

const char kImage[] = "http://news.invalid/img/news.tga";       // 100 x 50
const char kBigImage[] = "http://news.invalid/img/big.tga";     // 400 x 50, wider than the area
const char kMissingImage[] = "http://news.invalid/img/gone.tga";  // not in the cache

std::string Reply(const std::string &id, const std::string &rest = "")
{
    return "{id=\"" + id + "\" image=\"" + kImage + "\"" + rest + "}";
}

class NewsTest : public onlinetest::OnlineTest {
protected:
    // Outside developer mode (the state file is read and written) unless asked.
    void Begin(bool developer = false)
    {
        StartOnline("NEWS");
        prog.parms.developer_mode = developer ? 1 : 0;
        ASSERT_TRUE(onlinetest::SeedCachedImage(kImage, 100, 50, 0xff2080ffu));
        ASSERT_TRUE(onlinetest::SeedCachedImage(kBigImage, 400, 50, 0xff00ff00u));
    }
    // A probe screen under the news screen's name, so that showing can push it.
    void MakeNewsScreen()
    {
        if (!Screen::PeekScreen(NEWS_SCREEN_NAME))
            MakeScreen(NEWS_SCREEN_NAME);
    }
    void Fetch(const std::string &reply)
    {
        WriteReply(reply);
        news_man.RefreshNews();
        WaitForFetch();
    }
    void CloseNews()
    {
        sman.PopScreen(NEWS_SCREEN_NAME);
        Steps(1, 0.016f);
    }
    // Fetches an item of that id and shows it at that moment; whether it came up.
    bool FetchAndShow(const std::string &id, const std::string &event, const std::string &rest = "")
    {
        Fetch(Reply(id, rest));
        news_man.ShowNews(event.c_str());
        bool shown = sman.IsScreenInStack(NEWS_SCREEN_NAME);
        if (shown)
            CloseNews();
        return shown;
    }
    std::vector<std::string> SeenIds()
    {
        std::vector<std::string> ids;
        for (int i = 0; i < news_man.GetNumberOfSeenIds(); i++)
            ids.push_back(news_man.GetSeenId(i) ? news_man.GetSeenId(i) : "");
        return ids;
    }
};

struct ReplyCase {
    const char *name;
    std::string reply;
    bool reachable;       // false: the reply file is missing (status 0)
    bool valid;
    const char *message;  // logged once by this fetch; null for none
};

TEST_F(NewsTest, RepliesAreCheckedAndReadWithTheirMessages)
{
    Begin();
    news_man.Initialize(300, 200);
    WaitForFetch();
    std::string padded = Reply("long8191");
    padded.insert(padded.size() - 1, std::string(8191 - padded.size(), ' '));
    std::string too_long = padded;
    too_long.insert(too_long.size() - 1, " ");
    ASSERT_EQ(padded.size(), 8191u);
    ASSERT_EQ(too_long.size(), 8192u);
    const ReplyCase cases[] = {
        {"8191 bytes", padded, true, true, nullptr},
        {"8192 bytes", too_long, true, false, "Returned buffer fails sanity check (size 8192)"},
        {"empty", "", true, false, "Returned buffer fails sanity check (size 0)"},
        {"no connection", "", false, false, "Connection failure (http returns 0)"},
        {"no braces", "id=\"nobrace\" image=\"x\"", true, false, "Failed {} check ('id=\"nobrace\" image=\"x\"')"},
        {"closing brace missing", "{id=\"half\" image=\"x\"", true, false, "Failed {} check ("},
        {"no id", std::string("{image=\"") + kImage + "\"}", true, false, "Talvik News: Missing news id tag."},
        {"one-character id", Reply("a"), true, false, "Talvik News: news id 'a' too short."},
        {"no image", "{id=\"noimg\"}", true, false, "Talvik News: Missing image tag."},
        {"unloadable image", std::string("{id=\"gone\" image=\"") + kMissingImage + "\"}", true, false,
         "Talvik News: Unable to load received bitmap (http://news.invalid/img/gone.tga)"},
        {"oversized image", std::string("{id=\"big\" image=\"") + kBigImage + "\"}", true, false, nullptr},
        {"comma in the id", Reply("a,b"), true, false, "Talvik News: news id 'a,b' not storable."},
        {"line break in the id", Reply("a\nb"), true, false, "not storable."},
        {"a good one", Reply("good"), true, true, nullptr},
    };
    for (const ReplyCase &c : cases) {
        SCOPED_TRACE(c.name);
        int before = c.message ? CountLogged(c.message) : 0;
        WriteReply(c.reply);
        if (!c.reachable)
            onlinetest::SetReplyFile(dir_ + "/no-such-reply.txt");
        news_man.RefreshNews();
        WaitForFetch();
        onlinetest::SetReplyFile(reply_path_);
        NewsManager::News news = news_man.CopyNews();
        EXPECT_EQ(news.valid, c.valid);
        EXPECT_EQ(news_man.IsNewsReadyToBeShown(), c.valid);
        if (c.message) {
            EXPECT_EQ(CountLogged(c.message), before + 1);
        }
    }
    // Every fetch announced its address.
    EXPECT_GE(CountLogged("Call 'http://news.invalid/?"), 15);
}

TEST_F(NewsTest, AReplyCarriesEveryAttribute)
{
    Begin();
    news_man.Initialize(300, 200);
    WaitForFetch();
    Fetch("{x=1 id=\"item-7\" image=\"" + std::string(kImage) +
          "\" link=\"http://example.invalid/read\" tags=\"a b\" variant=\"blue\" "
          "allowed_events=\"Before_Shop\" skip_text=\"Not now\"}");
    NewsManager::News news = news_man.CopyNews();
    ASSERT_TRUE(news.valid);
    EXPECT_STREQ(news.id, "item-7");
    EXPECT_STREQ(news.image, kImage);
    EXPECT_STREQ(news.link, "http://example.invalid/read");
    EXPECT_STREQ(news.tags, "a b");
    EXPECT_STREQ(news.variant, "blue");
    EXPECT_STREQ(news.allowed_events, "Before_Shop");
    EXPECT_STREQ(news.skip_text, "Not now");
    ASSERT_NE(news.bitmap, nullptr);
    EXPECT_EQ(news.bitmap->width, 100);
    EXPECT_EQ(news.bitmap->height, 50);

    // Optional attributes left out: no link, empty texts.
    Fetch(Reply("item-8"));
    news = news_man.CopyNews();
    ASSERT_TRUE(news.valid);
    EXPECT_EQ(news.link, nullptr);
    EXPECT_STREQ(news.tags, "");
    EXPECT_STREQ(news.variant, "");
    EXPECT_STREQ(news.allowed_events, "");
    EXPECT_STREQ(news.skip_text, "");
}

TEST_F(NewsTest, TheRequestNamesPlatformFormFactorLocaleAreaAndTestMode)
{
    Begin(true);
    const char *saved_locale = prog.parms.locale;
    prog.parms.locale = "de";
    news_man.Initialize(300, 200);
    WaitForFetch();
    // Outside developer mode, without a locale and a form factor.
    prog.parms.developer_mode = 0;
    prog.parms.locale = "";
    onlinetest::platform.screen_size = "";
    feature_man.Initialize();
    news_man.RefreshNews();
    WaitForFetch();
    // A platform id with an empty form factor, and no area size.
    onlinetest::platform.platform_id = "pc";
    onlinetest::platform.screen_size = "";
    feature_man.Initialize();
    news_man.Shutdown();
    news_man.Initialize(0, 200);
    WaitForFetch();
    prog.parms.locale = saved_locale;
    std::vector<std::string> a = Addresses();
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0], "http://news.invalid/?version=2.5.1&app=app.test&platform=qnx&form_factor=tablet&locale=de"
                    "&area_size=300x200&tags=TEST_MODE");
    EXPECT_EQ(a[1], "http://news.invalid/?version=2.5.1&app=app.test&platform=qnx&area_size=300x200");
    EXPECT_EQ(a[2], "http://news.invalid/?version=2.5.1&app=app.test&platform=pc");
    EXPECT_TRUE(Logged("Call '" + a[0] + "'"));
}

}  // namespace
