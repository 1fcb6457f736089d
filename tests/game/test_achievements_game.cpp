// The game's achievements: every id's condition from profile and game-state fixtures,
// the unlock's reports (the online achievement manager, observed through its profile
// record and its platform commands; the analytics log, observed as the "LogEvent"
// extension command), the popups that hold the end screens, and the notices: two
// seconds each, one at a time, their bitmap released at expiry, updated and drawn by
// the application hooks.
#include "tests/game/hud_fixture.h"

#include "entry/entry.h"
#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "game/achievements.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "online/achievementman.h"
#include "online/analytics.h"
#include "ovrecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using hudtest::HudTest;
using widgettest::Frame;
using widgettest::Rgba;

typedef std::vector<std::string> Ids;

const char *const kIds[] = {"they_just_keep_coming", "xenocide", "chemical_warfare", "pyromaniac",
                            "boomaniac",             "well_supplied", "tactical_retreat", "not_a_scratch",
                            "supreme_commander",     "worm_slayer", "egg_stomper", "jaw_breaker",
                            "flawless",              "like_no_tomorrow", "general", "medal_of_valor"};

// The fixture table: small thresholds where a check reads one.
std::string AchievementTable()
{
    std::string nodes;
    for (const char *id : kIds) {
        std::string amount;
        const std::string name = id;
        if (name == "they_just_keep_coming")
            amount = " amount=\"10\"";
        else if (name == "xenocide")
            amount = " amount=\"100\"";
        else if (name == "pyromaniac")
            amount = " amount=\"40\"";
        else if (name == "boomaniac")
            amount = " amount=\"5\"";
        else if (name == "well_supplied")
            amount = " amount=\"6\"";
        else if (name == "like_no_tomorrow")
            amount = " amount=\"300\"";
        nodes += "<node id=\"" + name + "\" name=\"" + name + "\" image=\"achievements/icon.png\" displayname=\"Got " +
                 name + "\"" + amount + "/>\n";
    }
    return gametest::XmlArray("ACHIEVEMENTS", nodes);
}

class AchievementGameTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        if (HasFatalFailure())
            return;
        apptest::WriteFile("achievements/achievements.xml", AchievementTable());
        widgettest::WritePng("achievements/icon.png", 40, 40, [](int, int) { return Rgba{255, 0, 255, 255}; });
        // Ranks: six limits per category, rising by 100 (the fifth 400, the last 500).
        std::string ranks = "<?xml version=\"1.0\"?>\n<root>\n";
        for (const char *category : {"ranks_a", "ranks_b", "ranks_c", "ranks_d", "ranks_dune_survival"}) {
            ranks += std::string("<array id=\"") + category + "\">\n";
            for (int i = 0; i < 6; i++)
                ranks += "<node id=\"r" + std::to_string(i) + "\" score_limit=\"" + std::to_string(i * 100) + "\"/>\n";
            ranks += "</array>\n";
        }
        ranks += "</root>\n";
        apptest::WriteFile("ranks.xml", ranks);
        apptest::WriteFile("missions.xml", gametest::XmlArray("EXTRAS", "<node id=\"X1\"/>\n<node id=\"X2\"/>"));
        game_center = true;
        SetFeatures("ACHIEVEMENTS GAME_CENTER ANALYST");
        achievement_man.Initialize();
        ASSERT_TRUE(achievement_man.IsInitialized());
        analyst.Initialize();
        commands.clear();
    }
    void TearDown() override
    {
        // Notices expire while the engine that holds their bitmaps still runs.
        for (int i = 0; i < 32 && achievements.GetNumberOfNotices() > 0; i++)
            achievements.UpdateAchievementNotifications(3.0f);
        analyst.Shutdown();
        achievement_man.Shutdown();
        HudTest::TearDown();
    }
    // The ids of "achievement_queue", in order.
    Ids Queue()
    {
        Ids out;
        for (int i = 0; i < profile.GetNumberOfValuesInCategory("achievement_queue"); i++)
            out.push_back(profile.GetValueNameByIndex("achievement_queue", i));
        return out;
    }
    // The ids the analytics log saw, in order.
    static Ids Logged()
    {
        Ids out;
        const std::string prefix = "LogEvent|achievement_unlocked,id,";
        for (const std::string &c : commands)
            if (c.compare(0, prefix.size(), prefix) == 0)
                out.push_back(c.substr(prefix.size()));
        return out;
    }
    // The ids reported to the platform score service by the achievement manager.
    static Ids Reported()
    {
        Ids out;
        const std::string prefix = "GameCenter|UnlockAchievement,";
        for (const std::string &c : commands)
            if (c.compare(0, prefix.size(), prefix) == 0)
                out.push_back(c.substr(prefix.size(), c.rfind(',') - prefix.size()));
        return out;
    }
    void Fresh()
    {
        gametest::ResetGameState();
        profile.Reset("1.xml");
        achievement_man.Shutdown();
        achievement_man.Initialize();
        commands.clear();
    }
    Entity *Spawn()
    {
        return world->SpawnEntity(world->stock->GetEntityType("BaseBunker"), {300, 300});
    }
    void Stat(const char *name, int value) { profile.SetValuef("stats", name, "value", "%d", value); }
};

TEST_F(AchievementGameTest, GeneralChecks)
{
    struct Case {
        const char *name;
        int regular, boss, gas, burn, blast;
        int aliens_killed, aliens_burned, power_ups;
        Ids before;  // already in the queue
        Ids earned;
    } cases[] = {
        {"kills in the mission", 8, 2, 0, 0, 0, 0, 0, 0, {}, {"they_just_keep_coming"}},
        {"one kill short", 8, 1, 0, 0, 0, 0, 0, 0, {}, {}},
        {"kills in all", 4, 1, 0, 0, 0, 95, 0, 0, {}, {"xenocide"}},
        {"kills in all short", 4, 0, 0, 0, 0, 95, 0, 0, {}, {}},
        {"every kill by gas", 2, 1, 3, 0, 0, 0, 0, 0, {}, {"chemical_warfare"}},
        {"one kill not by gas", 2, 1, 2, 0, 0, 0, 0, 0, {}, {}},
        {"no kills, no gas", 0, 0, 0, 0, 0, 0, 0, 0, {}, {}},
        {"burned", 1, 0, 0, 5, 0, 0, 35, 0, {}, {"pyromaniac"}},
        {"burned short", 1, 0, 0, 5, 0, 0, 34, 0, {}, {}},
        {"blasts", 5, 0, 0, 0, 5, 0, 0, 0, {}, {"boomaniac"}},
        {"power-ups", 0, 0, 0, 0, 0, 0, 0, 6, {}, {"well_supplied"}},
        {"several", 10, 0, 10, 0, 5, 0, 0, 0, {}, {"they_just_keep_coming", "chemical_warfare", "boomaniac"}},
        {"already earned", 10, 0, 0, 0, 0, 0, 0, 0, {"they_just_keep_coming"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        for (const std::string &id : c.before)
            profile.SetValue("achievement_queue", id.c_str(), "id", id.c_str());
        game.regular_kills = c.regular;
        game.boss_kills = c.boss;
        game.gas_kills = c.gas;
        game.burn_kills = c.burn;
        game.blast_kills = c.blast;
        Stat("aliens_killed", c.aliens_killed);
        Stat("aliens_burned", c.aliens_burned);
        Stat("power_ups_picked", c.power_ups);
        achievements.CheckGeneralAchievements();
        Ids queue = c.before;
        queue.insert(queue.end(), c.earned.begin(), c.earned.end());
        EXPECT_EQ(Queue(), queue);
        EXPECT_EQ(Logged(), c.earned);
        EXPECT_EQ(Reported(), c.earned);
        EXPECT_EQ(achievements.GetNumberOfNotices(), 0);  // the checks do not notify
    }
}

TEST_F(AchievementGameTest, AThresholdMissingFromTheTableSkipsItsAchievement)
{
    apptest::WriteFile("achievements/achievements.xml",
                       gametest::XmlArray("ACHIEVEMENTS", "<node id=\"they_just_keep_coming\"/>\n<node id=\"boomaniac\" "
                                                          "amount=\"1\"/>"));
    dman().ReleaseDatabase("achievements/achievements.xml");
    Fresh();
    game.regular_kills = 500;
    game.blast_kills = 1;
    achievements.CheckGeneralAchievements();
    EXPECT_EQ(Queue(), Ids{"boomaniac"});
}

TEST_F(AchievementGameTest, LevelWon)
{
    struct Case {
        const char *name;
        const char *chapter, *mission;
        float lowest_hp;
        float trooper_damage;  // < 0: no trooper
        uint32_t clock;
        int stars;
        bool missions_array;
        Ids ratings;  // "<mission>=<rating>" recorded before
        Ids earned;
        Ids ratings_after;  // "<mission>=<rating>" afterwards
    } cases[] = {
        {"undamaged bunker", "CHAPTER1", "MISSION1_2", 100, -1, 1000, 4, true, {}, {"not_a_scratch"}, {}},
        {"damaged bunker", "CHAPTER1", "MISSION1_2", 99.5f, -1, 1000, 4, true, {}, {}, {}},
        {"worm (any case)", "CHAPTER1", "mission1_10", 50, -1, 1000, 4, true, {}, {"worm_slayer"}, {}},
        {"egg", "CHAPTER2", "MISSION2_10", 50, -1, 1000, 4, true, {}, {"egg_stomper"}, {}},
        {"jaw, slow", "CHAPTER3", "MISSION3_10", 50, -1, 301000, 4, true, {}, {"jaw_breaker"}, {}},
        {"jaw, fast", "CHAPTER3", "MISSION3_10", 50, -1, 300000, 4, true, {}, {"jaw_breaker", "like_no_tomorrow"}, {}},
        {"flawless", "chapter3", "MISSION3_4", 100, 0.0005f, 1000, 4, true, {}, {"not_a_scratch", "flawless"}, {}},
        {"a trooper hurt", "CHAPTER3", "MISSION3_4", 100, 0.01f, 1000, 4, true, {}, {"not_a_scratch"}, {}},
        {"flawless outside chapter 3", "CHAPTER2", "MISSION2_4", 100, 0, 1000, 4, true, {}, {"not_a_scratch"}, {}},
        {"five stars everywhere", "CHAPTER1", "MISSION1_2", 50, -1, 1000, 5, true,
         {"MISSION3_10=5", "MISSION1_1=5"}, {"supreme_commander"}, {"MISSION3_10=5", "MISSION1_1=5", "MISSION1_2=5"}},
        {"the last mission first recorded", "CHAPTER3", "MISSION3_10", 50, -1, 400000, 5, true, {"MISSION1_1=5"},
         {"supreme_commander", "jaw_breaker"}, {"MISSION1_1=5", "MISSION3_10=5"}},
        {"one mission at four", "CHAPTER1", "MISSION1_2", 50, -1, 1000, 5, true,
         {"MISSION3_10=5", "MISSION1_1=4", "MISSION1_2=3"}, {}, {"MISSION3_10=5", "MISSION1_1=4", "MISSION1_2=5"}},
        {"four stars record nothing", "CHAPTER1", "MISSION1_2", 50, -1, 1000, 4, true, {"MISSION1_2=3"}, {},
         {"MISSION1_2=3"}},
        {"no missions array ends the checks", "CHAPTER1", "MISSION1_10", 100, -1, 1000, 5, false, {},
         {"not_a_scratch"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        snprintf(game.parms.chapter_id, sizeof game.parms.chapter_id, "%s", c.chapter);
        snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", c.mission);
        game.parms.game_mode = GAME_MODE_LEVEL;
        world->Reset();
        game.base = Spawn();
        ASSERT_NE(game.base, nullptr);
        ASSERT_EQ(game.base->max_hit_points, 100.0f);
        game.lowest_bunker_hp = c.lowest_hp;
        if (c.trooper_damage >= 0) {
            Entity *trooper = Spawn();
            trooper->damage_taken = c.trooper_damage;
            game.troopers.InsertLast(trooper);
        }
        game.game_clock = c.clock;
        game.star_rating = (uint16_t)c.stars;
        game.regular_kills = 10;  // enough for the general "they_just_keep_coming"
        if (c.missions_array)
            profile.LockDatabase()->AddArray("missions");
        for (const std::string &r : c.ratings) {
            const size_t eq = r.find('=');
            profile.SetValue("missions", r.substr(0, eq).c_str(), "rating", r.substr(eq + 1).c_str());
        }
        achievements.CheckAchievementsAfterLevelWon();
        Ids earned = c.earned;
        if (c.missions_array || c.stars != 5)
            earned.push_back("they_just_keep_coming");  // the general checks ran last
        EXPECT_EQ(Queue(), earned);
        Ids ratings;
        DMArray *missions = profile.LockDatabase()->GetArray("missions");
        for (int i = 0; missions && i < missions->GetSize(); i++)
            ratings.push_back(std::string(missions->GetNode(i)->id) + "=" +
                              (missions->GetNodeValue(i, "rating") ? missions->GetNodeValue(i, "rating") : "-"));
        EXPECT_EQ(ratings, c.ratings_after.empty() ? Ids(c.ratings) : c.ratings_after);
        game.troopers.Clear();
    }
}

TEST_F(AchievementGameTest, LevelLostAndSurvivalOver)
{
    struct Case {
        const char *name;
        bool level_lost;  // else the survival checks
        int mode, kills;
        const char *mission;
        int score;
        Ids best;  // "<category>=<points>"
        Ids earned;
    } cases[] = {
        {"level lost without kills", true, 3, 0, "MISSION1_1", 0, {}, {"tactical_retreat"}},
        {"level lost with a kill", true, 3, 1, "MISSION1_1", 0, {}, {}},
        {"survival without kills", false, 1, 0, "A", 0, {}, {"tactical_retreat"}},
        {"level by the survival checks", false, 3, 0, "A", 0, {}, {"tactical_retreat"}},
        {"collector without kills", false, 4, 0, "A", 0, {}, {}},
        // Four categories at the top rank also hold the fifth: the medal comes along.
        {"four top ranks", false, 4, 1, "Q", 0, {"CAMPAIGN=9999", "A=500", "B=600", "C=500", "D=500"},
         {"general", "medal_of_valor"}},
        {"three top ranks", false, 4, 1, "Q", 0, {"CAMPAIGN=9999", "A=500", "B=600", "C=500", "D=499"},
         {"medal_of_valor"}},
        {"this run's score counts", false, 4, 1, "D", 500, {"A=500", "B=600", "C=500", "D=10"},
         {"general", "medal_of_valor"}},
        {"a category without ranks counts", false, 4, 1, "Q", 0, {"A=500", "B=600", "C=500", "Z=0"},
         {"general", "medal_of_valor"}},
        {"ranks by the lower-cased name", false, 4, 1, "Q", 0, {"A=500", "B=600", "C=500", "Dune_Survival=499"},
         {"medal_of_valor"}},
        {"medal: two at the fifth rank", false, 4, 1, "Q", 0, {"A=400", "B=450"}, {"medal_of_valor"}},
        {"medal: one at the fifth rank", false, 4, 1, "Q", 0, {"A=400", "B=399"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.parms.game_mode = c.mode;
        snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", c.mission);
        game.regular_kills = c.kills;
        game.score = c.score;
        for (const std::string &b : c.best) {
            const size_t eq = b.find('=');
            profile.SetValue("BEST_SCORES", b.substr(0, eq).c_str(), "points", b.substr(eq + 1).c_str());
        }
        if (c.level_lost)
            achievements.CheckAchievementsAfterLevelLost();
        else
            achievements.CheckAchievementsAfterSurvivalOver();
        EXPECT_EQ(Queue(), c.earned);
    }
    // Without any extra mission the medal is not earned against an empty list.
    apptest::WriteFile("missions.xml", gametest::XmlArray("CHAPTER1", "<node id=\"M\"/>"));
    dman().ReleaseDatabase("missions.xml");
    Fresh();
    game.parms.game_mode = GAME_MODE_COLLECTOR;
    game.regular_kills = 1;
    achievements.CheckAchievementsAfterSurvivalOver();
    EXPECT_EQ(Queue(), Ids{});
}

TEST_F(AchievementGameTest, AQueuedIdIsOnlyReportedToTheManagerAgain)
{
    ov_bitmap_t *icon = ov->OV_LoadBitmap("achievements/icon.png", 4);
    const int refs = icon->refcount;
    achievements.UnlockAchievement("boomaniac", true);
    EXPECT_TRUE(achievements.IsUnlocked("boomaniac"));
    EXPECT_TRUE(achievement_man.IsAchievementUnlocked("boomaniac"));
    EXPECT_EQ(Reported(), Ids{"boomaniac"});
    EXPECT_EQ(Logged(), Ids{"boomaniac"});
    ASSERT_EQ(achievements.GetNumberOfNotices(), 1);
    EXPECT_STREQ(achievements.GetNotice(0).text, "Got boomaniac");
    EXPECT_EQ(achievements.GetNotice(0).bitmap, icon);
    EXPECT_EQ(icon->refcount, refs + 1);

    // Again, once the platform confirmed it: the manager hears of it (and marks it
    // unconfirmed again), nothing else happens.
    profile.SetValue("ACHIEVEMENTS", "boomaniac", "game_center_ack", "1");
    commands.clear();
    achievements.UnlockAchievement("boomaniac", true);
    EXPECT_STREQ(profile.GetValue("ACHIEVEMENTS", "boomaniac", "game_center_ack"), "0");
    EXPECT_EQ(Logged(), Ids{});
    EXPECT_EQ(achievements.GetNumberOfNotices(), 1);
    EXPECT_EQ(icon->refcount, refs + 1);
    EXPECT_EQ(Queue(), Ids{"boomaniac"});

    // A null or empty id reaches nobody.
    achievements.UnlockAchievement(nullptr, true);
    achievements.UnlockAchievement("", true);
    EXPECT_EQ(Queue(), Ids{"boomaniac"});
    ov->OV_ReleaseBitmap(icon);
}

TEST_F(AchievementGameTest, NoticesLiveTwoSecondsOneAtATimeThenReleaseTheirBitmap)
{
    ov_bitmap_t *icon = ov->OV_LoadBitmap("achievements/icon.png", 4);
    const int refs = icon->refcount;
    achievements.UnlockAchievement("xenocide", true);
    achievements.UnlockAchievement("pyromaniac", true);
    ASSERT_EQ(achievements.GetNumberOfNotices(), 2);
    EXPECT_EQ(icon->refcount, refs + 2);
    struct Step {
        float dt;
        int notices;
        float first_age;
        int refs_held;
    } steps[] = {
        {1.0f, 2, 1.0f, 2},
        {1.0f, 2, 2.0f, 2},   // exactly two seconds: still shown
        {0.01f, 1, 0.0f, 1},  // past two: gone, its bitmap given back; the next starts at 0
        {1.5f, 1, 1.5f, 1},
        {0.6f, 0, 0.0f, 0},
    };
    for (const Step &s : steps) {
        achievements.UpdateAchievementNotifications(s.dt);
        ASSERT_EQ(achievements.GetNumberOfNotices(), s.notices);
        if (s.notices > 0) {
            EXPECT_NEAR(achievements.GetNotice(0).age, s.first_age, 1e-5f);
        }
        EXPECT_EQ(icon->refcount, refs + s.refs_held);
    }
    ov->OV_ReleaseBitmap(icon);
}

TEST_F(AchievementGameTest, NoticeFadeAndSlide)
{
    struct Case {
        float t, alpha;
    } cases[] = {{0.0f, 0.0f}, {0.25f, 0.5f}, {0.5f, 1.0f}, {1.0f, 1.0f}, {1.5f, 1.0f}, {1.75f, 0.5f}, {2.0f, 0.0f}};
    for (const Case &c : cases)
        EXPECT_NEAR(AchievementNoticeAlpha(c.t), c.alpha, 1e-5f) << c.t;
}

TEST_F(AchievementGameTest, TheApplicationHooksUpdateAndDrawTheNotice)
{
    achievements.UnlockAchievement("general", true);
    ASSERT_EQ(achievements.GetNumberOfNotices(), 1);
    g_app_active = 1;
    // Twenty frames of 50 ms (below the hook's step cap).
    for (int i = 0; i < 20; i++)
        OV_Update(0.05f);
    EXPECT_NEAR(achievements.GetNotice(0).age, 1.0f, 1e-4f);
    // At one second the notice rests in the middle: band, icon and text.
    apptest::draw = [](float dt) { OV_Draw(dt); };
    DrawFrame();
    apptest::draw = nullptr;
    Frame f = widgettest::ReadFrame();
    Shot(f, "achievement-notice.png");
    auto magenta = widgettest::LitBox(f, 0, 0, 1023, 767, [](const Rgba &p) { return p[0] > 200 && p[1] < 60 && p[2] > 200; });
    ASSERT_NE(magenta[0], -1);
    // Centred on y = 768 - 45, scaled by the pulse 1 + 0.3 (1 - u) at t = 1 (u = 0).
    EXPECT_NEAR((magenta[1] + magenta[3]) / 2.0f, 723.0f, 1.5f);
    EXPECT_NEAR(magenta[2] - magenta[0] + 1, 52.0f, 2.0f);
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    const float text_w = ov->OV_GetTextWidthf(GetScape()->stock->font_medium, "%s", "Got general");
    const float width = 40.0f + 20.0f + text_w;
    const float x = 512.0f - (float)(int)(width / 2.0f);
    EXPECT_NEAR((magenta[0] + magenta[2]) / 2.0f, x, 1.5f);
    auto text = widgettest::LitBox(f, 0, 690, 1023, 760, hudtest::White);
    ASSERT_NE(text[0], -1);
    EXPECT_NEAR(text[0], x + 20.0f + 20.0f, 3.0f);
    // The band: black at 0.7 over the empty stack's black display; it shows in the
    // frame's alpha, rows 698 to 747.
    auto band = widgettest::LitBox(f, 2, 600, 4, 767, [](const Rgba &p) { return p[3] > 150 && p[3] < 230; });
    EXPECT_EQ(band[1], 698);
    EXPECT_EQ(band[3], 747);
    // Past two seconds the hook's updates release it.
    for (int i = 0; i < 20; i++)
        OV_Update(0.05f);
    ASSERT_EQ(achievements.GetNumberOfNotices(), 1);  // two seconds, within rounding
    OV_Update(0.05f);
    EXPECT_EQ(achievements.GetNumberOfNotices(), 0);
}

TEST_F(AchievementGameTest, PopupsHoldTheEndScreensUntilEveryUnlockIsShown)
{
    uitest::ProbeScreen *popup = MakeScreen("AchievementUnlocked");
    EXPECT_FALSE(achievements.ShowNextAchievementPopup());  // no queue at all
    achievements.UnlockAchievement("worm_slayer", false);
    achievements.UnlockAchievement("flawless", false);
    uitest::calls.clear();
    EXPECT_TRUE(achievements.ShowNextAchievementPopup());
    EXPECT_EQ(uitest::CallsOf("AchievementUnlocked:Message"),
              std::vector<std::string>{"AchievementUnlocked:Message null unlock_item worm_slayer"});
    EXPECT_TRUE(sman.IsScreenInStack(popup));
    EXPECT_STREQ(profile.GetValue("achievement_queue", "worm_slayer", "ack"), "1");
    EXPECT_EQ(profile.GetValue("achievement_queue", "flawless", "ack"), nullptr);
    EXPECT_TRUE(achievements.ShowNextAchievementPopup());
    EXPECT_EQ(uitest::CallsOf("AchievementUnlocked:Message").back(),
              "AchievementUnlocked:Message null unlock_item flawless");
    EXPECT_FALSE(achievements.ShowNextAchievementPopup());
    EXPECT_EQ(uitest::CallsOf("AchievementUnlocked:Message").size(), 2u);
    // The shop's call checks nothing.
    game.regular_kills = 1000;
    achievements.CheckAchievementsAfterPurchasing();
    EXPECT_EQ(Queue(), (Ids{"worm_slayer", "flawless"}));
}

}  // namespace
