// "GameOver" and "LevelLost" on the headless engine with fixture squads: the card
// layout, the counters, the game-over pages and their timing, the new-high-score rule
// after a real submission, the play-log lines and pictures of both screens.
#include "tests/game/screens/test_results_fixture.h"

#include "tests/app/services/app_engine_fixture.h"

#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-image.h"
#include "app/ui/widgets/ui-touchgrid.h"
#include "game/gamestate.h"
#include "game/screens/game-over.h"
#include "online/leaderboards-manager.h"

#include "ovrecords.h"

#include <string>
#include <vector>

using namespace resultstest;

namespace {

// The page sound: a stand-in record handed out for "sfx/baseboom", and the pitches the
// engine's play slot was asked for.
ov_sound_t page_sound_record;
std::vector<float> page_pitches;
ov_sound_t *(*engine_load_sound)(const char *) = nullptr;
long (*engine_play_sound)(ov_sound_t *, float, float, float) = nullptr;

ov_sound_t *LoadPageSound(const char *name)
{
    return std::string(name) == "sfx/baseboom" ? &page_sound_record : engine_load_sound(name);
}

long RecordPlaySound(ov_sound_t *sound, float volume, float pan, float frequency)
{
    if (sound != &page_sound_record)
        return engine_play_sound(sound, volume, pan, frequency);
    page_pitches.push_back(frequency);
    return 1;
}

// The game-over page components besides the cards: pages, boxes, buttons, the award,
// the optional pictures and a two-page touch grid.
std::string GameOverExtras()
{
    std::string s;
    const char *texts[] = {"Result", "Score"};
    float y = 20;
    for (const char *t : texts) {
        s += "CreateComp ('Textbox', '" + std::string(t) + "')\nSetProperty ('position_type', 'ABSOLUTE')\n" +
             "SetProperty ('position', 40, " + std::to_string((int)y) + ")\n";
        y += 30;
    }
    const char *plain[] = {"Page1",  "Page2",        "InfoBox",      "ScoreBox",     "RankBox", "troopers",
                           "ButtonGroup", "ButtonGroup2", "custom_gfx_3", "custom_gfx_4", "Left",    "Right",
                           "facebook"};
    for (const char *p : plain)
        s += "CreateComp ('Rectangle', '" + std::string(p) + "')\nSetProperty ('position_type', 'ABSOLUTE')\n"
             "SetProperty ('position', 0, 0)\nSetProperty ('rectangle.rect_width', 4)\n"
             "SetProperty ('rectangle.rect_height', 4)\n";
    s += "CreateComp ('Rectangle', 'HiScoreAward')\nSetProperty ('position_type', 'ABSOLUTE')\n"
         "SetProperty ('position', 560, 20)\nSetProperty ('rectangle.rect_width', 60)\n"
         "SetProperty ('rectangle.rect_height', 60)\nSetProperty ('color', 1, 0.8, 0.1, 1)\n"
         "SetProperty ('visible', false)\n";
    s += "CreateComp ('TouchGrid', 'TF')\nSetProperty ('position_type', 'ABSOLUTE')\n"
         "SetProperty ('position', 0, 0)\nSetProperty ('touchgrid.num_steps_axis_x', 2)\n"
         "SetProperty ('touchgrid.step_size_axis_x', 640)\n";
    return s;
}

const std::vector<FixtureTrooper> kSquad5 = {
    {"MinigunTrooper", "Laser", 150.5f, 10, 40}, {"BazookaTrooper", "Bazooka", 75.25f, 5, 12},
    {"UnarmedTrooper", "", 0.0f, 2, 7},          {"PyroTrooper", "PyroDeathwish", 0.5f, 1, 3},
    {"SniperTrooper", "", 30.0f, 3, 9},
};

class Results : public ResultsTest {
protected:
    virtual std::string Features() { return ""; }
    void SetUp() override
    {
        ResultsTest::SetUp();
        Begin(Features());
        apptest::WriteFile("ui/game-over.lua", ResultScript(GameOverExtras()));
        apptest::WriteFile("ui/level-lost.lua", ResultScript(""));
        game.score = 1234;
        game.game_clock = 65400;
        game.star_rating = 3;
        game.boss_kills = 2;
        game.regular_kills = 40;
        game.wave_number = 7;
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        ResultsTest::TearDown();
    }
    ScreenGameOver *Over()
    {
        ScreenGameOver *s = GetGameOverScreen();
        Preload(s);
        return s;
    }
    ScreenLevelLost *Lost()
    {
        ScreenLevelLost *s = GetLevelLostScreen();
        Preload(s);
        return s;
    }
    ov_bitmap_t *Bitmap(Screen *s, const std::string &comp)
    {
        UICompImage *image = dynamic_cast<UICompImage *>(s->GetComp(comp.c_str()));
        return image ? image->bitmap : nullptr;
    }
    static std::string Counter(const char *label, int n)
    {
        return std::string(label) + ": |#ff5a50|" + std::to_string(n) + "|#ffffff|";
    }
};

TEST_F(Results, CardsOfThreeAndFiveTroopersStayCentred)
{
    struct Row {
        int n;
        float offset;
    } rows[] = {{3, kCardSpacing}, {5, 0.0f}, {1, 2.0f * kCardSpacing}};
    ScreenLevelLost *s = Lost();
    for (const Row &row : rows) {
        SetSquad(std::vector<FixtureTrooper>(kSquad5.begin(), kSquad5.begin() + row.n));
        UpdateTrooperImages(s);
        for (int i = 0; i < 5; i++) {
            const std::string card = "trooper_" + std::to_string(i);
            EXPECT_EQ(Visible(s, card), i < row.n) << row.n << " " << i;
            if (i < row.n) {
                EXPECT_FLOAT_EQ(s->GetComp(card.c_str())->position_offset_x, row.offset) << row.n;
                EXPECT_EQ(Text(s, card + "_damage"), "Dmg:  ");
                EXPECT_EQ(Text(s, card + "_kills"), "Kills:  ");
                EXPECT_EQ(Text(s, card + "_shots"), "Shots:  ");
            }
        }
        EXPECT_EQ(Text(s, "timespent_value"), "");
        EXPECT_EQ(Text(s, "Wave"), "");
    }
    // Trooper pictures by type, weapon pictures by the trooper's own weapon.
    EXPECT_EQ(Bitmap(s, "trooper_0_image"), ov->OV_GetBitmap("gfx/t_minigun.png"));
    EXPECT_EQ(Bitmap(s, "trooper_0_image_weapon"), ov->OV_GetBitmap("gfx/w_laser.png"));
    EXPECT_EQ(Bitmap(s, "trooper_1_image"), ov->OV_GetBitmap("gfx/t_bazooka.png"));
    EXPECT_EQ(Bitmap(s, "trooper_1_image_weapon"), ov->OV_GetBitmap("gfx/w_vanilla.png"));  // no REARM_ node
    EXPECT_EQ(Bitmap(s, "trooper_2_image"), ov->OV_GetBitmap("gfx/t_minigun.png"));         // unarmed
    EXPECT_FALSE(Visible(s, "trooper_2_image_weapon"));
    EXPECT_EQ(Bitmap(s, "trooper_3_image_weapon"), ov->OV_GetBitmap("gfx/w_deathwish.png"));
    EXPECT_EQ(Bitmap(s, "trooper_4_image"), ov->OV_GetBitmap("gfx/t_sniper.png"));
    EXPECT_EQ(Bitmap(s, "trooper_4_image_weapon"), nullptr);  // no VANILLA_SniperTrooper
    EXPECT_FALSE(Visible(s, "trooper_4_image_weapon"));
    // A type without a picture keeps no picture of an earlier squad.
    SetSquad({{"HeavyTrooper", "Laser", 1.0f, 1, 1}});
    UpdateTrooperImages(s);
    EXPECT_FALSE(Visible(s, "trooper_0_image"));
    EXPECT_FALSE(Visible(s, "trooper_0_image_weapon"));
}

TEST_F(Results, CountersRiseTogetherAndStopAtTheirTotals)
{
    ScreenLevelLost *s = Lost();
    SetSquad(kSquad5);
    struct Row {
        float t;
        int slot, damage, kills, shots;
    } rows[] = {
        // g = 1: every card at its exact totals (d = 150.5 with 10 kills shows 10; d < 1 too).
        {2.0f, 0, 150, 10, 40}, {2.0f, 1, 75, 5, 12}, {2.0f, 2, 0, 2, 7}, {2.0f, 3, 0, 1, 3}, {2.0f, 4, 30, 3, 9},
        // g = 0.5: the top trooper halfway, the others at M / 2 = 75.25 damage or done.
        {1.0f, 0, 75, 5, 20}, {1.0f, 1, 75, 5, 12}, {1.0f, 4, 30, 3, 9},
        // g = 0.1: 15.05 damage each; a trooper without damage shows everything at once.
        {0.2f, 0, 15, 1, 4}, {0.2f, 2, 0, 2, 7}, {0.2f, 4, 15, 1, 4},
        {9.0f, 0, 150, 10, 40},
    };
    for (const Row &row : rows) {
        UpdateTrooperStats(s, row.t);
        const std::string card = "trooper_" + std::to_string(row.slot);
        EXPECT_EQ(Text(s, card + "_damage"), Counter("Dmg", row.damage)) << row.t << " " << row.slot;
        EXPECT_EQ(Text(s, card + "_kills"), Counter("Kills", row.kills)) << row.t << " " << row.slot;
        EXPECT_EQ(Text(s, card + "_shots"), Counter("Shots", row.shots)) << row.t << " " << row.slot;
    }
    UpdateTrooperStats(s, 2.0f);
    EXPECT_EQ(Text(s, "timespent_value"), loc_man().LocalizeTime(65400));
    EXPECT_EQ(Text(s, "alienskilled_value"), "42");
    EXPECT_EQ(Text(s, "Wave"), "7");
    UpdateTrooperStats(s, 1.0f);
    EXPECT_EQ(Text(s, "timespent_value"), loc_man().LocalizeTime(32700));
    EXPECT_EQ(Text(s, "alienskilled_value"), "21");
    EXPECT_EQ(Text(s, "Wave"), "3");
}

TEST_F(Results, GameOverPagesAndTheFivefoldTap)
{
    engine_load_sound = ov->OV_LoadSound;
    engine_play_sound = ov->OV_PlaySound;
    ov->OV_LoadSound = LoadPageSound;
    ov->OV_PlaySound = RecordPlaySound;
    for (bool tap : {false, true}) {
        page_pitches.clear();
        SetSquad(std::vector<FixtureTrooper>(kSquad5.begin(), kSquad5.begin() + 3));
        ScreenGameOver *s = Over();
        EXPECT_EQ(s->page_sound, &page_sound_record);
        PushAndSettle(s);
        UICompTouchGrid *grid = dynamic_cast<UICompTouchGrid *>(s->GetComp("TF"));
        ASSERT_NE(grid, nullptr);
        // The first update after the fade starts page 0 and scrolls the grid to step 0.
        for (int i = 0; i < 10 && s->page < 0; i++)
            Steps(1, 0.01f);
        ASSERT_EQ(s->page, 0);
        EXPECT_EQ(grid->axis_x.selected, 0);
        EXPECT_TRUE(Visible(s, "custom_gfx_3"));  // three troopers
        EXPECT_TRUE(Visible(s, "Left"));          // no TOUCH_SCREEN
        if (tap) {
            ov_event_t down = {};
            down.type = OV_EVENT_BUTTON_DOWN;
            EXPECT_EQ(s->ProcessEvent(&down), 1);
        }
        float real = 0.0f;
        while (s->page == 0 && real < 10.0f) {
            Steps(1, 0.01f);
            real += 0.01f;
        }
        EXPECT_EQ(s->page, 1);
        EXPECT_NEAR(real, tap ? 0.6f : 3.0f, 0.025f) << tap;
        EXPECT_EQ(grid->axis_x.selected, 1);
        EXPECT_EQ(Text(s, "Score"), "1234");  // page 0 counted up fully
        // Page 1 counts the troopers; it is the last page.
        for (int i = 0; i < 500; i++)
            Steps(1, 0.02f);
        EXPECT_EQ(s->page, 1);
        EXPECT_EQ(page_pitches, (std::vector<float>{1.0f, 1.1f}));  // one sound per page
        EXPECT_EQ(Text(s, "trooper_0_damage"), Counter("Dmg", 150));
        EXPECT_FLOAT_EQ(s->GetComp("ButtonGroup")->position_offset_y, 0.0f);
        if (!tap)
            Shot("game-over-page2.png");
        sman.PopScreen(s, false);
        Steps(2, 0.02f);
    }
    ov->OV_LoadSound = engine_load_sound;
    ov->OV_PlaySound = engine_play_sound;
    ov_event_t move = {};
    move.type = OV_EVENT_POINTER_MOVE;
    EXPECT_EQ(GetGameOverScreen()->ProcessEvent(&move), 0);
}

TEST_F(Results, NewHighScoreAfterARealSubmission)
{
    struct Row {
        const char *mission;
        int earlier;           // submitted before under the mission id (0: none)
        int chapter_best;      // submitted under the chapter id, never read
        int score;
        bool new_high;
    } rows[] = {
        {"MISSION1_9", 0, 0, 6000, true},          // above the top rank's 5000
        {"MISSION1_9", 0, 0, 5000, false},         // not above the limit
        {"MISSION1_9", 8000, 0, 6000, false},      // below the personal best
        {"MISSION1_9", 6000, 0, 6000, true},       // equal to the personal best
        {"MISSION1_9", 0, 90000, 6000, true},      // the chapter's category does not count
        {"MISSION2_3", 0, 0, 701, true},           // ranks_mission2_3: limit 700
        {"MISSION2_3", 0, 0, 700, false},
    };
    SetSquad(kSquad5);
    for (const Row &row : rows) {
        prof->RemoveCategory("BEST_SCORES");
        snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", row.mission);
        if (row.earlier)
            leaderboards_man.SubmitScore(row.mission, row.earlier, 1000);
        if (row.chapter_best)
            leaderboards_man.SubmitScore("CHAPTER1", row.chapter_best, 1000);
        game.score = row.score;
        leaderboards_man.SubmitScore(row.mission, row.score, game.game_clock);  // as the game state does
        ScreenGameOver *s = Over();
        s->Reset();
        EXPECT_EQ(s->new_high_score, row.new_high) << row.mission << " " << row.score << " " << row.earlier;
        if (row.new_high)
            EXPECT_EQ(Text(s, "Result"), "New Highscore!");
        else
            EXPECT_TRUE(Text(s, "Result") == "They overran you." || Text(s, "Result") == "The base has fallen.");
        EXPECT_FALSE(Visible(s, "custom_gfx_3"));  // five troopers
        EXPECT_EQ(dynamic_cast<UICompTouchGrid *>(s->GetComp("TF"))->axis_x.selected, 1);
    }
    // The text is a random node; the high-score award shows at full progress only.
    AppSetRandomSource([] { return 1; });
    game.score = 10;
    ScreenGameOver *s = Over();
    s->Reset();
    EXPECT_EQ(Text(s, "Result"), "The base has fallen.");
    game.score = 999999;
    leaderboards_man.SubmitScore(game.parms.mission_id, game.score, 1);
    s->Reset();
    s->UpdateStats(0.5f);
    EXPECT_FALSE(Visible(s, "HiScoreAward"));
    EXPECT_EQ(Text(s, "Score"), "499999");
    s->UpdateStats(1.0f);
    EXPECT_TRUE(Visible(s, "HiScoreAward"));
}

// On a touch screen with the sharing feature: no arrow keys shown, the award and the
// sharing button together; the developer's 'R' replays the animation while held.
class TouchResults : public Results {
protected:
    std::string Features() override { return "TOUCH_SCREEN,FACEBOOK"; }
};

TEST_F(TouchResults, ArrowsHiddenSharingAwardedAndDeveloperReplay)
{
    SetSquad(kSquad5);
    game.score = 999999;
    leaderboards_man.SubmitScore(game.parms.mission_id, game.score, 1);
    ScreenGameOver *s = Over();
    PushAndSettle(s);
    EXPECT_FALSE(Visible(s, "Left"));
    EXPECT_FALSE(Visible(s, "Right"));
    EXPECT_TRUE(s->new_high_score);
    for (int i = 0; i < 200 && s->page < 1; i++)
        Steps(1, 0.05f);
    ASSERT_EQ(s->page, 1);
    EXPECT_TRUE(Visible(s, "HiScoreAward"));
    EXPECT_TRUE(Visible(s, "facebook"));
    Shot("game-over-new-highscore.png");
    // Held 'R' in developer mode: back to the first page every frame.
    prog.parms.developer_mode = 1;
    ov->OV_SetKeyStatei(82, 2);
    for (int i = 0; i < 100; i++)
        Steps(1, 0.05f);
    EXPECT_EQ(s->page, 0);
    EXPECT_LT(s->timer, 0.06);
    ov->OV_SetKeyStatei(82, 0);
    prog.parms.developer_mode = 0;
    for (int i = 0; i < 100; i++)
        Steps(1, 0.05f);
    EXPECT_EQ(s->page, 1);
}

TEST_F(Results, AnEmptyTextListGivesAnEmptyResult)
{
    apptest::WriteFile("ranks.xml", "<?xml version=\"1.0\"?>\n<root>\n<array id=\"game_over_texts\">\n"
                                    "</array>\n</root>\n");
    dman().ReleaseDatabase("ranks.xml");
    game.score = 0;
    ScreenGameOver *s = Over();
    sman.SetText(s->GetComp("Result"), "stale");
    s->Reset();
    EXPECT_FALSE(s->new_high_score);
    EXPECT_EQ(Text(s, "Result"), "");
}

TEST_F(Results, PlayLogLinesAndProfileOfBothScreens)
{
    SetSquad(kSquad5);
    ScreenGameOver *over = Over();
    over->Enter();
    ScreenLevelLost *lost = Lost();
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "MISSION2_3");
    snprintf(game.parms.chapter_id, sizeof game.parms.chapter_id, "CHAPTER2");
    lost->Enter();
    std::vector<std::string> log = PlayLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "SURVIVAL_OVER,chapter_id,CHAPTER1,mission_id,MISSION1_9,score,1234,time,65,stars,3");
    EXPECT_EQ(log[1], "LEVEL_LOST,chapter_id,CHAPTER2,mission_id,MISSION2_3,score,1234,time,65,stars,3");
    EXPECT_STREQ(prof->GetValue("current_game", "previous_mission", "value"), "MISSION2_3");
    EXPECT_STREQ(prof->GetValue("current_game", "previous_chapter", "value"), "CHAPTER2");
}

TEST_F(Results, LevelLostCountsAfterTwoAndAHalfSeconds)
{
    SetSquad(kSquad5);
    ScreenLevelLost *s = Lost();
    PushAndSettle(s);
    s->timer = 0.0;
    s->Update(2.4f);
    EXPECT_EQ(Text(s, "trooper_0_damage"), "Dmg:  ");
    s->Update(0.6f);  // 0.5 s of statistics: g = 0.25
    EXPECT_EQ(Text(s, "trooper_0_damage"), Counter("Dmg", 37));
    ov_event_t down = {};
    down.type = OV_EVENT_BUTTON_DOWN;
    EXPECT_EQ(s->ProcessEvent(&down), 1);
    s->Update(0.1f);  // five times as fast: 0.5 s more
    EXPECT_EQ(Text(s, "trooper_0_damage"), Counter("Dmg", 75));
    s->Update(1.0f);
    EXPECT_EQ(Text(s, "trooper_4_damage"), Counter("Dmg", 30));
    Shot("level-lost.png");
}

}  // namespace
