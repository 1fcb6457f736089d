// The "Leaderboards" screen on the headless engine: the list of scores and ranks read
// through a recording text-drawing slot, the clip band, the category arrows and their
// fading, the developer button, the preload on a worker thread and a picture.
#include "tests/game/screens/test_results_fixture.h"

#include "tests/app/services/app_engine_fixture.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "game/screens/leaderboards-screen.h"
#include "online/leaderboards-manager.h"

#include "ovrecords.h"

#include <stdarg.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

using namespace resultstest;

namespace {

struct TextCall {
    float x, y;
    int align;
    std::string text;
};
std::vector<TextCall> texts;
int text_align = 0;
float (*engine_draw_text)(ov_font_t *, float, float, const char *, ...) = nullptr;
void (*engine_text_align)(int) = nullptr;
std::vector<std::string> popups;
int (*engine_popup)(int, const char *, ...) = nullptr;

float RecordText(ov_font_t *font, float x, float y, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    texts.push_back({x, y, text_align, text});
    return engine_draw_text(font, x, y, "%s", text);
}

void RecordAlign(int align)
{
    text_align = align;
    engine_text_align(align);
}

int RecordPopup(int level, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    popups.push_back(std::to_string(level) + " " + text);
    return 0;
}

// The list area at (40, 100), 400 wide; optional clip band and scroll field.
std::string ListScript(const std::string &extra)
{
    return "CreateComp ('Rectangle', 'backdrop')\nSetProperty ('position_type', 'ABSOLUTE')\n"
           "SetProperty ('position', 0, 0)\nSetProperty ('rectangle.rect_width', 640)\n"
           "SetProperty ('rectangle.rect_height', 480)\nSetProperty ('color', 0.06, 0.1, 0.08, 1)\n"
           "CreateComp ('Textbox', 'CategoryTitle')\nSetProperty ('position_type', 'ABSOLUTE')\n"
           "SetProperty ('position', 40, 40)\n"
           "CreateComp ('Button', 'PrevCategory')\nSetProperty ('position_type', 'ABSOLUTE')\n"
           "SetProperty ('position', 460, 30)\n"
           "CreateComp ('Button', 'NextCategory')\nSetProperty ('position_type', 'ABSOLUTE')\n"
           "SetProperty ('position', 540, 30)\n"
           "CreateComp ('Button', 'Submit50')\nSetProperty ('position_type', 'ABSOLUTE')\n"
           "SetProperty ('position', 460, 400)\n"
           "CreateComp ('Rectangle', 'Scores')\nSetProperty ('position_type', 'ABSOLUTE')\n"
           "SetProperty ('position', 40, 100)\nSetProperty ('rectangle.rect_width', 400)\n"
           "SetProperty ('rectangle.rect_height', 300)\nSetProperty ('color', 0.1, 0.2, 0.15, 1)\n"
           "SetProperty ('custom_draw', 1)\n" +
           extra;
}

class LeaderboardsList : public ResultsTest {
protected:
    void SetUp() override
    {
        ResultsTest::SetUp();
        Begin();
        sman.default_font = ov->OV_GetFont("fonts/blocks.mft");  // line height 12: rows of 10
        texts.clear();
        popups.clear();
        engine_draw_text = ov->OV_DrawTextf;
        engine_text_align = ov->OV_SetTextAlign;
        engine_popup = ov->OV_Popupf;
        ov->OV_DrawTextf = RecordText;
        ov->OV_SetTextAlign = RecordAlign;
        ov->OV_Popupf = RecordPopup;
    }
    void TearDown() override
    {
        if (ov) {
            ov->OV_DrawTextf = engine_draw_text;
            ov->OV_SetTextAlign = engine_text_align;
            ov->OV_Popupf = engine_popup;
            sman.default_font = nullptr;
        }
        AppSetRandomSource(nullptr);
        prog.parms.developer_mode = 0;
        ResultsTest::TearDown();
    }
    ScreenLeaderboards *Open(const std::string &extra = "")
    {
        apptest::WriteFile("ui/fw/leaderboards.lua", ListScript(extra));
        ScreenLeaderboards *s = GetLeaderboardsScreen();
        Preload(s);
        return s;
    }
    // The rows of one drawing of the list: "n.|name|points" by row position.
    std::vector<std::string> Rows(ScreenLeaderboards *s)
    {
        texts.clear();
        s->DrawScores(s->GetComp("Scores"));
        std::vector<std::string> rows;
        for (size_t i = 0; i + 2 < texts.size(); i += 3)
            rows.push_back(texts[i].text + "|" + texts[i + 1].text + "|" + texts[i + 2].text + "@" +
                           std::to_string((int)texts[i].y));
        return rows;
    }
    void Click(ScreenLeaderboards *s, const char *name)
    {
        s->ProcessUICompClick(s->GetComp(name), 0);
        s->Update(0.016f);
    }
    const char *Category(ScreenLeaderboards *s) { return s->client ? s->client->GetCategory() : ""; }
};

TEST_F(LeaderboardsList, ScoresInterleavedWithRanks)
{
    prof->SetName("Rook");
    const std::string me = prof->GetName().Get();
    for (int points : {3000, 6000, 200})
        leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", points, 1000);
    ScreenLeaderboards *s = Open();
    s->ProcessScreenMessage(nullptr, "SetCategory", "JUNGLE_SURVIVAL");
    EXPECT_STREQ(Category(s), "JUNGLE_SURVIVAL");
    std::vector<std::string> rows = Rows(s);
    const std::vector<std::string> expected = {
        "1.|" + me + "|6000@100", "2.|General|5000@110", "3.|" + me + "|3000@120",
        "4.|Sergeant|1000@130",   "5.|" + me + "|200@140", "6.|Private|0@150",
    };
    EXPECT_EQ(rows, expected);
    // Columns: number and name left aligned at x0 and x0 + 15 % of the width, points
    // right aligned at the right edge.
    ASSERT_GE(texts.size(), 3u);
    EXPECT_FLOAT_EQ(texts[0].x, 40.0f);
    EXPECT_EQ(texts[0].align, 0);
    EXPECT_FLOAT_EQ(texts[1].x, 100.0f);
    EXPECT_FLOAT_EQ(texts[2].x, 440.0f);
    EXPECT_EQ(texts[2].align, 1);
    EXPECT_EQ(s->ProcessScreenMessage(nullptr, "setcategory", "DESERT"), 0);  // exact case only
    EXPECT_STREQ(Category(s), "JUNGLE_SURVIVAL");
    // The picture with the rows spaced for reading (the fixture font's line height).
    const int line_height = sman.default_font->line_height;
    sman.default_font->line_height = 24;
    PushAndSettle(s);
    Shot("leaderboards.png");
    sman.default_font->line_height = line_height;
}

TEST_F(LeaderboardsList, RowsOutsideTheClipBandAreSkipped)
{
    for (int points : {3000, 6000, 200})
        leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", points, 1000);
    ScreenLeaderboards *s = Open("CreateComp ('Rectangle', 'Scissor')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                 "SetProperty ('position', 40, 115)\nSetProperty ('rectangle.rect_width', 400)\n"
                                 "SetProperty ('rectangle.rect_height', 20)\nSetProperty ('visible', false)\n"
                                 "CreateComp ('TouchField', 'TF')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                 "SetProperty ('position', 40, 100)\n");
    s->ProcessScreenMessage(nullptr, "SetCategory", "JUNGLE_SURVIVAL");
    // Band 115..135 with rows of 10: rows at 110 (within a row's height), 120 and 130.
    std::vector<std::string> rows = Rows(s);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].substr(0, 10), "2.|General");
    EXPECT_EQ(rows[2].substr(0, 11), "4.|Sergeant");
    UICompTouchField *field = dynamic_cast<UICompTouchField *>(s->GetComp("TF"));
    ASSERT_NE(field, nullptr);
    EXPECT_FLOAT_EQ(field->content_height, 60.0f);  // (12 - 2) x (3 ranks + 3 scores)
}

TEST_F(LeaderboardsList, ScoresBelowEveryRankAreAllDrawn)
{
    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", 100, 1000);
    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", -5, 1000);
    leaderboards_man.SubmitScore("JUNGLE_SURVIVAL", -70, 1000);
    ScreenLeaderboards *s = Open();
    s->ProcessScreenMessage(nullptr, "SetCategory", "JUNGLE_SURVIVAL");
    std::vector<std::string> rows = Rows(s);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[3].substr(0, 9), "4.|Privat");
    EXPECT_NE(rows[4].find("|-5@"), std::string::npos);
    EXPECT_NE(rows[5].find("|-70@"), std::string::npos);
}

TEST_F(LeaderboardsList, ArrowsFadeAtTheEnds)
{
    ScreenLeaderboards *s = Open();
    s->Update(0.016f);
    UIComp *prev = s->GetComp("PrevCategory");
    UIComp *next = s->GetComp("NextCategory");
    EXPECT_STREQ(Category(s), "CAMPAIGN");  // the first category at preload
    EXPECT_TRUE(prev->fading);
    EXPECT_FALSE(next->fading);
    Click(s, "PrevCategory");
    EXPECT_STREQ(Category(s), "CAMPAIGN");
    Click(s, "NextCategory");
    EXPECT_STREQ(Category(s), "JUNGLE_SURVIVAL");
    EXPECT_EQ(std::string(Text(s, "CategoryTitle")), "Jungle");
    // CAMPAIGN keeps one score per player: it lists the players' bests and stays in reach.
    EXPECT_FALSE(prev->fading);
    EXPECT_FALSE(next->fading);
    Click(s, "PrevCategory");
    EXPECT_STREQ(Category(s), "CAMPAIGN");
    Click(s, "NextCategory");
    Click(s, "NextCategory");
    EXPECT_STREQ(Category(s), "DESERT");
    EXPECT_FALSE(prev->fading);
    EXPECT_TRUE(next->fading);
    Click(s, "NextCategory");
    EXPECT_STREQ(Category(s), "DESERT");
    Click(s, "PrevCategory");
    EXPECT_STREQ(Category(s), "JUNGLE_SURVIVAL");
    // An unknown category: a client without scores, an empty title, "PrevCategory"
    // faded and inert, "NextCategory" inert; the developer's popup only in developer mode.
    s->ProcessScreenMessage(nullptr, "SetCategory", "NOWHERE");
    s->Update(0.016f);
    EXPECT_STREQ(Category(s), "NOWHERE");
    EXPECT_EQ(Text(s, "CategoryTitle"), "");
    EXPECT_TRUE(prev->fading);
    Click(s, "NextCategory");
    Click(s, "PrevCategory");
    EXPECT_STREQ(Category(s), "NOWHERE");
    popups.clear();
    s->ProcessScreenMessage(nullptr, "SetCategory", "NOWHERE");
    EXPECT_TRUE(popups.empty());
    prog.parms.developer_mode = 1;
    s->ProcessScreenMessage(nullptr, "SetCategory", "NOWHERE");
    EXPECT_NE(std::find(popups.begin(), popups.end(),
                        "1 ScreenLeaderboards::SetCategory - category 'NOWHERE' does not exist in leaderboards.xml."),
              popups.end());
    EXPECT_TRUE(apptest::Logged("Setting Leaderboards Category 'NOWHERE'\n"));
    EXPECT_EQ(s->ProcessEvent(nullptr), 1);  // every event stops here
}

// A category that keeps one score per player (CAMPAIGN) lists each profile's best once:
// a player's rising campaign total is one row that rises, another profile is a row of
// its own, a profile without a score is no row.
TEST_F(LeaderboardsList, OneScorePerPlayerListsEachProfilesBestOnce)
{
    prof->SetName("Rook");
    for (int total : {3, 8, 15})
        leaderboards_man.SubmitScore("CAMPAIGN", total, 1000);
    Profile *rook = prof;
    Profile *ada = profile_man().CreateNewProfile();
    ASSERT_NE(ada, nullptr);
    ada->SetName("Ada");
    leaderboards_man.SubmitScore("CAMPAIGN", 21, 900);
    Profile *none = profile_man().CreateNewProfile();
    ASSERT_NE(none, nullptr);
    none->SetName("Idle");
    profile_man().SetActiveProfile(rook);
    ScreenLeaderboards *s = Open();
    s->ProcessScreenMessage(nullptr, "SetCategory", "CAMPAIGN");
    ASSERT_NE(s->client, nullptr);
    ASSERT_EQ(s->client->GetNumberOfScores(), 2);
    EXPECT_STREQ(s->client->GetScoreByIndex(0)->player, "Ada");
    EXPECT_EQ(s->client->GetScoreByIndex(0)->points, 21);
    EXPECT_STREQ(s->client->GetScoreByIndex(1)->player, "Rook");
    EXPECT_EQ(s->client->GetScoreByIndex(1)->points, 15);
    EXPECT_EQ(s->client->GetDownloadState(), 0);
    // Another win raises the row; the list is read again when the category is shown.
    leaderboards_man.SubmitScore("CAMPAIGN", 19, 1000);
    s->ProcessScreenMessage(nullptr, "SetCategory", "CAMPAIGN");
    ASSERT_EQ(s->client->GetNumberOfScores(), 2);
    EXPECT_EQ(s->client->GetScoreByIndex(1)->points, 19);
}

// The platform score service's button asks it for the current category, only when the
// service is there.
TEST_F(LeaderboardsList, GameCenterButtonNeedsThePlatformService)
{
    ScreenLeaderboards *s = Open("CreateComp ('Button', 'GameCenter')\n");
    Click(s, "GameCenter");
    EXPECT_TRUE(onlinetest::platform.commands.empty());
    onlinetest::platform.features += ",GAME_CENTER";
    onlinetest::platform.game_center = true;
    feature_man.Initialize();
    Click(s, "GameCenter");
    ASSERT_EQ(onlinetest::platform.commands.size(), 1u);
    EXPECT_EQ(onlinetest::platform.commands[0], "GameCenter ShowLeaderboards,CAMPAIGN,2");
}

TEST_F(LeaderboardsList, Submit50OnlyInDeveloperMode)
{
    AppSetRandomSource([] { return 12345; });
    ScreenLeaderboards *s = Open();
    Click(s, "Submit50");
    LeaderboardsClient *jungle = leaderboards_man.GetLeaderboardsForCategory("JUNGLE_SURVIVAL");
    jungle->Download(1, 100, 0xffffff);
    EXPECT_EQ(jungle->GetNumberOfScores(), 0);
    EXPECT_STREQ(Category(s), "CAMPAIGN");
    prog.parms.developer_mode = 1;
    Click(s, "Submit50");
    jungle->Download(1, 100, 0xffffff);
    EXPECT_EQ(jungle->GetNumberOfScores(), 50);
    EXPECT_EQ(jungle->GetScoreByIndex(0)->points, 12345);
    EXPECT_STREQ(Category(s), "JUNGLE_SURVIVAL");
}

TEST_F(LeaderboardsList, PreloadOnAWorkerMakesTheFirstClient)
{
    leaderboards_man.Reset();  // no server and no client yet
    leaderboards_man.Initialize();
    ASSERT_EQ(leaderboards_man.GetServer(), nullptr);
    apptest::WriteFile("ui/fw/leaderboards.lua", ListScript(""));
    ScreenLeaderboards *s = GetLeaderboardsScreen();
    s->FreeUI();
    s->preloaded.store(false);
    bool ok = false;
    std::thread worker([&] { ok = Screen::PreLoadScreen(s); });
    worker.join();
    EXPECT_TRUE(ok);
    EXPECT_NE(leaderboards_man.GetServer(), nullptr);
    ASSERT_NE(s->client, nullptr);
    EXPECT_STREQ(s->client->GetCategory(), "CAMPAIGN");
    EXPECT_EQ(s->client->GetDownloadState(), 0);  // the first 100 asked for and received
    EXPECT_EQ(Text(s, "CategoryTitle"), "Campaign");
    // Without the categories file the preload fails and the screen stays without client.
    apptest::WriteFile(LEADERBOARDS_CATEGORIES_FILE, "<?xml version=\"1.0\"?>\n<root>\n</root>\n");
    dman().ReleaseDatabase(LEADERBOARDS_CATEGORIES_FILE);
    s->client = nullptr;
    s->FreeUI();
    s->preloaded.store(false);
    EXPECT_FALSE(s->PreLoad());
    EXPECT_EQ(s->client, nullptr);
}

}  // namespace
