// The first chapter's shipped missions played headless on the shipped battle data: the
// starting squad walks to its posts and fights from there, nobody steers it, no shop,
// no upgrade. Every mission must be won within six game minutes, and none may be a walk:
// the enemies must reach the squad or the bunker at least once. Each run prints its line
// of the balance table (game seconds, outcome, stars, kills, money, the bunker's lowest
// hit points, troopers lost).
#include "tests/game/battle_driver.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/support/headless_engine.h"

#include "app/services/dataman.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <set>
#include <string>
#include <vector>

namespace {

const float kStep = 1.0f / 30.0f;
const float kLimitSeconds = 360.0f;

// The parts of the built program directory a battle reads: data, effects, sounds, art.
const char *const kShippedParts[] = {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml", "texts.xml",
                                     "gameplay-global.xml", "fxs", "data-sfx-WAV_22050_MONO", "blood", "game-ui",
                                     "troopers", "chapter-1", "bunker", "projectiles", "powerups", "terrain"};

std::string Read(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ChapterOneBalance : public battletest::BattleTest, public ::testing::WithParamInterface<int> {
protected:
    void StartShippedWorld()
    {
        StartGame(1024, 768);
        ASSERT_NO_FATAL_FAILURE(
            gametest::CopyShippedParts(ORVEX_PROGRAM_DIR, kShippedParts, sizeof kShippedParts / sizeof *kShippedParts));
        ov->OV_AddSearchPath("res://data-sfx-WAV_22050_MONO", true);
        Powerup::last_powerup_timestamp = 0;  // as a fresh run finds it
        // ORVEX_BALANCE_SEED=n plays the same missions from another seed.
        const char *seed = getenv("ORVEX_BALANCE_SEED");
        AppSeedRandom(20261210u + (uint32_t)GetParam() + 1000u * (uint32_t)(seed ? atoi(seed) : 0));
        MakeWorld();
        profile.Reset("1.xml");
        prof = &profile;
        // Every tutorial seen: nobody is there to close them.
        DMDatabase *texts = dman().GetDatabase("texts.xml");
        DMArray *tutorials = texts ? texts->GetArray("tutorial") : nullptr;
        for (int i = 0; tutorials && i < tutorials->GetSize(); i++)
            profile.AddTag("tutorials_completed", tutorials->GetNode(i)->id);
        DMDatabase *powerups = dman().GetDatabase("powerups.xml");
        DMArray *kinds = powerups ? powerups->GetArray("powerups") : nullptr;
        for (int i = 0; kinds && i < kinds->GetSize(); i++)
            profile.AddTag("tutorials_completed", kinds->GetNode(i)->id);
        for (const char *name : {"ArmTroopers", "PickReinforcement", "LevelLost", "LevelWon", "GameOver",
                                 "AchievementUnlocked", "FeatureUnlocked", "Shop"})
            MakeScreen(name);
        battle = MakeScreen("Game");
        sman.PushScreen(battle, 0);
        Steps(1, 0.0f);
        controls.Init(CONTROLS_TOUCH_COMMANDS);
        controls.Reset();
    }
    void HoldPosts();
    void Trace();
    // Draws the battle as shown and keeps it as "campaign/<name>"; false when nothing
    // but a few colours came out.
    bool SaveShot(const std::string &name);

    std::vector<vec2_t> posts_;
    std::vector<bool> alive_;
    uint32_t next_hold_ms_ = 0;
};

// The squad holds its posts: a trooper pushed more than 30 units off the post it was
// sent to is walked back, as a player would drag it, every two seconds.
void ChapterOneBalance::HoldPosts()
{
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *t = game.troopers[i];
        if ((int)posts_.size() <= i) {
            posts_.push_back(vec2_t{0, 0});
            alive_.push_back(false);
        }
        if (!t->IsAlive()) {
            alive_[i] = false;
            continue;
        }
        if (!alive_[i] && t->path && t->path->count > 0) {  // placed or revived: its new post
            posts_[i] = vec2_t{t->path->points[t->path->count - 1].x, t->path->points[t->path->count - 1].y};
            alive_[i] = true;
        }
    }
    if (game.game_clock < next_hold_ms_)
        return;
    next_hold_ms_ = game.game_clock + 2000;
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *t = game.troopers[i];
        if (!t->IsAlive() || !alive_[i] || !t->path)
            continue;
        float dx = t->pos.x - posts_[i].x, dy = t->pos.y - posts_[i].y;
        if (dx * dx + dy * dy <= 30.0f * 30.0f)
            continue;
        t->path_pos = 0.0f;
        t->path->Reset();
        t->path->AddPoint(t->pos);
        t->path->AddPoint(posts_[i]);
    }
}

bool ChapterOneBalance::SaveShot(const std::string &name)
{
    DrawBattleFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    std::set<uint32_t> colours;
    for (size_t i = 3; i < f.px.size(); i += 4) {
        f.px[i] = 255;  // the screen as shown
        if (i % 28 == 3)
            colours.insert((uint32_t)f.px[i - 3] << 16 | (uint32_t)f.px[i - 2] << 8 | f.px[i - 1]);
    }
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("campaign", name)));
    return colours.size() > 200;
}

// One line of the battle's course, the squad, and the enemies when few are left.
void ChapterOneBalance::Trace()
{
    printf("  %6.1f s  wave %d  bunker %.0f  enemies %d  living troopers %d\n", game.game_clock / 1000.0f,
           game.wave_number, game.base ? game.base->hit_points : 0.0f, LivingEnemies(), game.living_troopers);
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *t = game.troopers[i];
        printf("           trooper %s at (%.0f, %.0f) hp %.0f ammo %.0f target %s\n", t->type->name, t->pos.x,
               t->pos.y, t->hit_points, t->ammo, t->target && t->target->type ? t->target->type->name : "-");
    }
    for (int i = 0; i < world->stock->num_entities && LivingEnemies() <= 6; i++) {
        Entity *e = &world->stock->entities[i];
        if (e->type && e->IsAlive() && e->friend_group == Entity::ENEMIES)
            printf("           %s at (%.0f, %.0f) hp %.0f speed %.1f target %s\n", e->type->name, e->pos.x, e->pos.y,
                   e->hit_points, e->speed, e->target && e->target->type ? e->target->type->name : "-");
    }
}

TEST_P(ChapterOneBalance, PassiveSquadWinsWithinSixMinutesButIsReached)
{
    int m = GetParam();
    StartShippedWorld();
    ASSERT_FALSE(HasFatalFailure());
    std::string file = "missions/1_" + std::to_string(m) + ".xml";
    std::string level = Read(std::string(ORVEX_PROGRAM_DIR) + "/" + file);
    ASSERT_FALSE(level.empty()) << file;
    std::string id = "MISSION1_" + std::to_string(m);
    StartLevel(GAME_MODE_LEVEL, level, id.c_str(), "CHAPTER1");
    ASSERT_NE(game.base, nullptr) << file;
    float base_max = game.base->max_hit_points;

    float wounds = 0.0f;  // hit points the squad lost, summed frame by frame
    std::vector<float> last;
    // ORVEX_BALANCE_TRACE=1 prints the course of each battle (waves, bunker, enemies).
    bool trace = getenv("ORVEX_BALANCE_TRACE") != nullptr;
    int wave = -1, tick = -1;
    uint32_t frame = 0;
    bool shot = false;  // the picture four seconds into the second wave
    uint32_t wave2_ms = 0;
    sman.prev_time_ms = sman.time_ms = 0;
    // Bounded by frames too: a tutorial left open would stop the game clock.
    const uint32_t frames = (uint32_t)((kLimitSeconds + 1.0f) / kStep);
    while (!game.won && !game.lost && game.game_clock < (uint32_t)(kLimitSeconds * 1000.0f) + 1000u &&
           frame < frames) {
        // The screen clock follows the game time, so that a run does not depend on the
        // wall clock (power-up drops are spaced by it).
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += (uint32_t)(kStep * 1000.0f) + (frame++ % 3 == 0 ? 1u : 0u);
        battletest::BattleFrame(kStep, false);
        HoldPosts();
        if (game.wave_number == 2 && !shot && game.game_clock >= wave2_ms + 4000) {
            EXPECT_TRUE(SaveShot("1_" + std::to_string(m) + "-wave2.png")) << file;
            shot = true;
        }
        if (game.wave_number < 2)
            wave2_ms = game.game_clock;
        if (trace && (game.wave_number != wave || (int)(game.game_clock / 10000) != tick)) {
            wave = game.wave_number;
            tick = (int)(game.game_clock / 10000);
            Trace();
        }
        for (int i = 0; i < game.troopers.Count(); i++) {
            float hp = game.troopers[i]->IsAlive() ? game.troopers[i]->hit_points : 0.0f;
            if ((int)last.size() <= i)
                last.push_back(hp);
            if (hp < last[i])
                wounds += last[i] - hp;
            last[i] = hp;
        }
    }
    float seconds = game.game_clock / 1000.0f;
    float bunker = game.base ? game.lowest_bunker_hp : 0.0f;
    if (bunker > base_max)
        bunker = base_max;
    printf("balance: %s %-8s %6.1f s  stars %d  kills %d  money %d  bunker %.0f/%.0f  wounds %.0f  lost %d\n",
           id.c_str(), game.won ? "won" : game.lost ? "lost" : "timeout", seconds, (int)game.GetCurrentStarRating(),
           game.regular_kills + game.boss_kills, game.money, bunker, base_max, wounds, game.troopers_lost);
    EXPECT_TRUE(game.won) << file << (game.lost ? " lost" : " not won in time");
    EXPECT_LE(seconds, kLimitSeconds) << file;
    // Not a walk: the enemies reached the squad or the bunker.
    EXPECT_TRUE(wounds > 0.0f || bunker < base_max) << file << ": nothing ever reached the squad";
}

INSTANTIATE_TEST_SUITE_P(Missions, ChapterOneBalance, ::testing::Range(1, 11));

}  // namespace

namespace {

// The extra missions on the shipped data: each sets up in its mode, the squad holds
// through its first waves, enemies come, and the second wave is kept as a picture.
struct Extra {
    const char *file;
    int mode;
    bool base;
};
const Extra kExtras[] = {
    {"x-dune-survival", GAME_MODE_SURVIVAL, true},     {"x-supply-run", GAME_MODE_COLLECTOR, true},
    {"x-incoming", GAME_MODE_INCOMING, true},          {"x-field-hospital", GAME_MODE_DEFEND_THE_FLAG, false},
    {"x-open-ground", GAME_MODE_OPEN_AREA, false},     {"x-jungle-survival", GAME_MODE_SURVIVAL, true},
};

class ExtraMissions : public ChapterOneBalance {};

TEST_P(ExtraMissions, HoldsThroughItsFirstWavesAndIsDrawn)
{
    const Extra &x = kExtras[GetParam()];
    StartShippedWorld();
    ASSERT_FALSE(HasFatalFailure());
    std::string file = std::string("missions/") + x.file + ".xml";
    std::string level = Read(std::string(ORVEX_PROGRAM_DIR) + "/" + file);
    ASSERT_FALSE(level.empty()) << file;
    StartLevel(x.mode, level, "MISSION1_1", "EXTRAS");
    EXPECT_EQ(x.base, game.base != nullptr) << file;
    EXPECT_EQ(x.mode == GAME_MODE_DEFEND_THE_FLAG ? 3 : 0, game.medtent_count) << file;
    uint32_t frame = 0, wave2_ms = 0;
    int most_enemies = 0;
    while (!game.lost && frame++ < (uint32_t)(90.0f / kStep)) {
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += (uint32_t)(kStep * 1000.0f) + (frame % 3 == 0 ? 1u : 0u);
        battletest::BattleFrame(kStep, false);
        HoldPosts();
        most_enemies = std::max(most_enemies, LivingEnemies());
        if (game.wave_number < 2)
            wave2_ms = game.game_clock;
        else if (game.game_clock >= wave2_ms + 4000)
            break;
    }
    EXPECT_FALSE(game.lost) << file;
    EXPECT_GE(game.wave_number, 2) << file;
    EXPECT_EQ(2, game.living_troopers) << file;
    EXPECT_GT(most_enemies, 3) << file;
    EXPECT_TRUE(SaveShot(std::string(x.file) + "-wave2.png")) << file;
}

INSTANTIATE_TEST_SUITE_P(Extras, ExtraMissions, ::testing::Range(0, 6));

}  // namespace
