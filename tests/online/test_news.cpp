// The news feed through the fake HTTP slot: replies and their messages, the request
// address, the moments an item may be shown at, the seen-news state file, the refusals
// of a fetch and the image's references.
#include "tests/online/online_fixture.h"

#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/transition.h"
#include "online/news-manager.h"

#include "ovrecords.h"

#include <stdio.h>
#include <stdlib.h>
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
    void MakeNewsScreen() { PrepareNewsScreen(); }
    void Fetch(const std::string &reply)
    {
        WriteReply(reply);
        news_man.RefreshNews();
        WaitForFetch();
    }
    void CloseNews()
    {
        sman.PopScreen(GetNewsScreen(), false);
        Steps(1, 0.016f);
        ASSERT_FALSE(news_man.IsShowingNews());
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

struct TokenCase {
    const char *allowed;
    const char *event;
    bool shown;
};

TEST_F(NewsTest, AnItemIsShownOnlyAtAMomentItListsAsAWholeToken)
{
    Begin();
    MakeNewsScreen();
    news_man.Initialize(300, 200);
    WaitForFetch();
    const TokenCase cases[] = {
        {"Before_Shop;Before_Game", "Before_Shop", true},
        {"Before_Shop;Before_Game", "Before_Game", true},
        {"Before_Shop;Before_Game", "Before_Sho", false},
        {"Before_Shop;Before_Game", "Before_Shopping", false},
        {"Before_Shop;Before_Game", "Shop", false},
        {"Before_Shop, Before_Game", "Before_Game", true},
        {"Before_Shopping,Before_Shop", "Before_Shop", true},
        {"xBefore_Shop", "Before_Shop", false},
        {"Before_Shop\tBefore_Game", "Before_Game", true},
        {"abc", "Before_Anything", true},
        {"", "Before_Anything", true},
        {"abcd", "Before_Anything", false},
    };
    int n = 0;
    for (const TokenCase &c : cases) {
        SCOPED_TRACE(std::string(c.allowed) + " / " + c.event);
        std::string id = "token" + std::to_string(n++);
        EXPECT_EQ(FetchAndShow(id, c.event, std::string(" allowed_events=\"") + c.allowed + "\""), c.shown);
        // A refused item stays waiting; a shown one is seen.
        EXPECT_EQ(news_man.HasNewsBeenAlreadySeen(id.c_str()), c.shown);
        EXPECT_EQ(news_man.IsNewsReadyToBeShown(), !c.shown);
    }
}

TEST_F(NewsTest, ShowingRemembersTheIdPushesTheScreenAndWritesTheStateFile)
{
    Begin();
    MakeNewsScreen();
    news_man.Initialize(300, 200);
    WaitForFetch();
    Fetch(Reply("first"));
    ASSERT_TRUE(news_man.IsNewsReadyToBeShown());
    // The game's say: not played enough, nothing is shown.
    news_man.SetPlayedEnoughHook([] { return false; });
    EXPECT_FALSE(news_man.IsNewsReadyToBeShown());
    news_man.ShowNews("Before_Menu");
    EXPECT_FALSE(news_man.IsShowingNews());
    news_man.SetPlayedEnoughHook(nullptr);
    news_man.ShowNews("Before_Menu");
    EXPECT_TRUE(news_man.IsShowingNews());
    EXPECT_STREQ(news_man.CopyNews().shown_event, "Before_Menu");
    EXPECT_FALSE(news_man.IsNewsReadyToBeShown());
    EXPECT_EQ(onlinetest::ReadEngineFile(NEWS_STATE_FILE), "OLD_NEWS=first");
    // A second showing while the screen is up does nothing.
    Fetch(Reply("second"));
    news_man.ShowNews("Before_Menu");
    EXPECT_EQ(news_man.GetNumberOfSeenIds(), 1);
    CloseNews();
    // The same item fetched again is not shown again.
    Fetch(Reply("first"));
    EXPECT_TRUE(news_man.CopyNews().valid);
    EXPECT_FALSE(news_man.IsNewsReadyToBeShown());
}

TEST_F(NewsTest, ANinthIdDropsTheOldestAndAFreshRunReadsTheFileBack)
{
    Begin();
    MakeNewsScreen();
    news_man.Initialize(300, 200);
    WaitForFetch();
    for (int i = 1; i <= 8; i++)
        ASSERT_TRUE(FetchAndShow("n" + std::to_string(i), "Before_X"));
    EXPECT_EQ(onlinetest::ReadEngineFile(NEWS_STATE_FILE), "OLD_NEWS=n1,n2,n3,n4,n5,n6,n7,n8");
    ASSERT_TRUE(FetchAndShow("n9", "Before_X"));
    EXPECT_EQ(onlinetest::ReadEngineFile(NEWS_STATE_FILE), "OLD_NEWS=n2,n3,n4,n5,n6,n7,n8,n9");
    EXPECT_EQ(SeenIds(), (std::vector<std::string>{"n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9"}));

    news_man.Shutdown();
    EXPECT_EQ(news_man.GetNumberOfSeenIds(), 0);
    news_man.Initialize(300, 200);
    WaitForFetch();
    EXPECT_EQ(SeenIds(), (std::vector<std::string>{"n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9"}));
    Fetch(Reply("n1"));
    EXPECT_TRUE(news_man.IsNewsReadyToBeShown());
    Fetch(Reply("n5"));
    EXPECT_FALSE(news_man.IsNewsReadyToBeShown());
}

struct StateCase {
    const char *name;
    std::string text;
    std::vector<std::string> ids;
    const char *kept_as;  // the damaged file's copy, null when it reads well
};

std::string IdList(int count, int width)
{
    std::string list;
    for (int i = 0; i < count; i++) {
        char id[32];
        snprintf(id, sizeof id, "%0*d", width, i);
        list += (i ? "," : "") + std::string(id);
    }
    return list;
}

std::vector<std::string> Ids(int count, int width)
{
    std::vector<std::string> ids;
    for (int i = 0; i < count; i++) {
        char id[32];
        snprintf(id, sizeof id, "%0*d", width, i);
        ids.push_back(id);
    }
    return ids;
}

TEST_F(NewsTest, TheStateFileIsReadOrKeptAside)
{
    Begin();
    std::string list300 = IdList(30, 9);
    ASSERT_GE(list300.size(), 299u);
    std::vector<std::string> first102 = Ids(102, 4);
    const StateCase cases[] = {
        {"two ids and a trailing comma", "OLD_NEWS=alpha,beta,", {"alpha", "beta"}, nullptr},
        {"empty tokens", "OLD_NEWS=,,alpha,,beta", {"alpha", "beta"}, nullptr},
        {"no ids", "OLD_NEWS=", {}, nullptr},
        {"a 300-character list", "OLD_NEWS=" + list300, Ids(30, 9), nullptr},
        {"more than 102 ids", "OLD_NEWS=" + IdList(150, 4), first102, nullptr},
        {"bad header", "OLD_NEWZ=alpha", {}, "user://talvik-news.txt.bad"},
        {"2 MiB", "OLD_NEWS=" + std::string(2 * 1048576, 'a'), {}, "user://talvik-news.txt.bad2"},
        {"a NUL", std::string("OLD_NEWS=alpha\0beta", 19), {}, "user://talvik-news.txt.bad3"},
        {"empty file", "", {}, "user://talvik-news.txt.bad4"},
    };
    for (const StateCase &c : cases) {
        SCOPED_TRACE(c.name);
        news_man.Shutdown();
        std::string bytes = c.text;
        ov_file_t *f = ov->OV_OpenFile(NEWS_STATE_FILE, "wb");
        ASSERT_NE(f, nullptr);
        ov->OV_WriteFile(bytes.data(), (unsigned)bytes.size(), f);
        ov->OV_CloseFile(f);
        news_man.Initialize(300, 200);
        WaitForFetch();
        EXPECT_TRUE(news_man.IsStateLoaded());
        EXPECT_EQ(SeenIds(), c.ids);
        if (c.kept_as) {
            EXPECT_TRUE(onlinetest::EngineFileExists(c.kept_as));
            EXPECT_EQ(onlinetest::ReadEngineFile(c.kept_as), bytes);
            EXPECT_TRUE(Logged(std::string("Talvik news: bad state file kept as '") + c.kept_as + "'"));
        }
    }
    EXPECT_EQ(CountLogged("Talvik news: bad header"), 2);
    EXPECT_FALSE(onlinetest::EngineFileExists("user://talvik-news.txt.bad5"));

    // A missing file gives no ids and nothing kept.
    news_man.Shutdown();
    ov->OV_DeleteFile(NEWS_STATE_FILE);
    news_man.Initialize(300, 200);
    WaitForFetch();
    EXPECT_TRUE(news_man.IsStateLoaded());
    EXPECT_EQ(news_man.GetNumberOfSeenIds(), 0);
    EXPECT_FALSE(onlinetest::EngineFileExists("user://talvik-news.txt.bad5"));
}

TEST_F(NewsTest, DeveloperModeNeitherReadsNorWritesTheStateFile)
{
    Begin(true);
    MakeNewsScreen();
    ov_file_t *f = ov->OV_OpenFile(NEWS_STATE_FILE, "wb");
    ASSERT_NE(f, nullptr);
    ov->OV_WriteFile("OLD_NEWS=old", 12, f);
    ov->OV_CloseFile(f);
    news_man.Initialize(300, 200);
    WaitForFetch();
    EXPECT_TRUE(news_man.IsStateLoaded());
    EXPECT_EQ(news_man.GetNumberOfSeenIds(), 0);
    ASSERT_TRUE(FetchAndShow("old", "Before_X"));
    EXPECT_EQ(onlinetest::ReadEngineFile(NEWS_STATE_FILE), "OLD_NEWS=old");
    EXPECT_TRUE(news_man.HasNewsBeenAlreadySeen("old"));
}

TEST_F(NewsTest, AFailedWriteKeepsTheIdsAndTheNextShowingWritesAgain)
{
    Begin();
    MakeNewsScreen();
    ov_file_t *f = ov->OV_OpenFile(NEWS_STATE_FILE, "wb");
    ov->OV_WriteFile("OLD_NEWS=old", 12, f);
    ov->OV_CloseFile(f);
    news_man.Initialize(300, 200);
    WaitForFetch();
    // A directory where the sibling would go: the write fails, the old file stays.
    std::string sibling = dir_ + "/data/Tests/AppTest/talvik-news.txt.tmp";
    ASSERT_EQ(system(("mkdir '" + sibling + "'").c_str()), 0);
    ASSERT_TRUE(FetchAndShow("one", "Before_X"));
    EXPECT_TRUE(Logged("Talvik news: unable to save 'user://talvik-news.txt'"));
    EXPECT_EQ(onlinetest::ReadEngineFile(NEWS_STATE_FILE), "OLD_NEWS=old");
    ASSERT_EQ(system(("rmdir '" + sibling + "'").c_str()), 0);
    ASSERT_TRUE(FetchAndShow("two", "Before_X"));
    EXPECT_EQ(onlinetest::ReadEngineFile(NEWS_STATE_FILE), "OLD_NEWS=old,one,two");
}

TEST_F(NewsTest, RefreshIsRefusedWhileFetchingOrShowing)
{
    Begin();
    MakeNewsScreen();
    onlinetest::HoldHttp(true);
    news_man.Initialize(300, 200);
    while (Addresses().size() < 1)
        ov->OVT_Sleep(1);
    EXPECT_TRUE(news_man.IsFetching());
    news_man.RefreshNews();
    news_man.RefreshNews();
    onlinetest::HoldHttp(false);
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), 1u);

    Fetch(Reply("shown"));
    news_man.ShowNews("Before_X");
    ASSERT_TRUE(news_man.IsShowingNews());
    size_t before = Addresses().size();
    news_man.RefreshNews();
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), before);
    EXPECT_TRUE(news_man.CopyNews().valid);
    CloseNews();
    news_man.RefreshNews();
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), before + 1);
}

TEST_F(NewsTest, ActivationStartsAFetchAndDeveloperModeFetchesEveryMinute)
{
    Begin();
    news_man.Initialize(300, 200);
    WaitForFetch();
    ov_event_t event = {};
    event.type = OV_EVENT_ACTIVATION;
    event.inactive = 1;
    sman.ProcessEvent(event);
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), 1u);
    event.inactive = 0;
    sman.ProcessEvent(event);
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), 2u);

    // The frame passes its time on once all screens are preloaded.
    sman.all_screens_preloaded.store(true);
    news_man.Update(59.0f);
    Steps(1, 0.5f);
    EXPECT_EQ(news_man.GetRunningTime(), 59500);
    prog.parms.developer_mode = 0;
    Steps(1, 1.0f);
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), 2u);
    prog.parms.developer_mode = 1;
    news_man.Update(59.0f);
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), 2u);
    news_man.Update(0.6f);
    WaitForFetch();
    EXPECT_EQ(Addresses().size(), 3u);
    prog.parms.developer_mode = 0;
}

TEST_F(NewsTest, TheImageReferenceGoesBackWithTheItem)
{
    Begin();
    ov_bitmap_t *image = ov->OV_LoadBitmap(kImage, 4);
    ASSERT_NE(image, nullptr);
    int start = onlinetest::RefCount(image);
    news_man.Initialize(300, 200);
    WaitForFetch();
    for (int i = 0; i < 3; i++) {
        Fetch(Reply("ref" + std::to_string(i)));
        EXPECT_EQ(onlinetest::RefCount(image), start + 1);
    }
    // A fetch that fails leaves the old item (and its reference) until replaced.
    Fetch(Reply("x"));
    EXPECT_EQ(onlinetest::RefCount(image), start + 1);
    // An oversized image is given back at once.
    ov_bitmap_t *big = ov->OV_LoadBitmap(kBigImage, 4);
    int big_start = onlinetest::RefCount(big);
    Fetch(std::string("{id=\"big\" image=\"") + kBigImage + "\"}");
    EXPECT_EQ(onlinetest::RefCount(big), big_start);
    EXPECT_EQ(onlinetest::RefCount(image), start);
    ov->OV_ReleaseBitmap(big);
    Fetch(Reply("again"));
    {
        NewsManager::News copy = news_man.CopyNews();
        EXPECT_EQ(onlinetest::RefCount(image), start + 2);
    }
    EXPECT_EQ(onlinetest::RefCount(image), start + 1);
    news_man.Shutdown();
    EXPECT_EQ(onlinetest::RefCount(image), start);
    ov->OV_ReleaseBitmap(image);
}

TEST_F(NewsTest, ASwitchShowsWaitingNewsFirstAndWaitsForIt)
{
    Begin();
    MakeNewsScreen();
    sman.all_screens_preloaded.store(true);
    news_man.Initialize(300, 200);
    WaitForFetch();
    MakeScreen("Target");
    ASSERT_TRUE(Screen::PreLoadScreen(&screen_transition));
    Fetch(Reply("switch"));
    sman.SwitchScreen("Target");
    for (int i = 0; i < 200 && !news_man.IsShowingNews(); i++)
        DrawFrame();
    ASSERT_TRUE(news_man.IsShowingNews());
    EXPECT_STREQ(news_man.CopyNews().shown_event, "Before_Target");
    // The switch waits while the news is up.
    for (int i = 0; i < 30; i++)
        DrawFrame();
    EXPECT_FALSE(sman.IsScreenInStack(Screen::PeekScreen("Target")));
    sman.PopScreen(GetNewsScreen(), false);
    for (int i = 0; i < 200 && !sman.IsScreenInStack(Screen::PeekScreen("Target")); i++)
        DrawFrame();
    EXPECT_TRUE(sman.IsScreenInStack(Screen::PeekScreen("Target")));

    // News that does not admit this moment holds nothing up.
    MakeScreen("Other");
    Fetch(Reply("elsewhere", " allowed_events=\"Before_Shop\""));
    sman.SwitchScreen("Other");
    for (int i = 0; i < 200 && !sman.IsScreenInStack(Screen::PeekScreen("Other")); i++)
        DrawFrame();
    EXPECT_TRUE(sman.IsScreenInStack(Screen::PeekScreen("Other")));
    EXPECT_FALSE(news_man.IsShowingNews());
    EXPECT_TRUE(news_man.IsNewsReadyToBeShown());
}

}  // namespace
