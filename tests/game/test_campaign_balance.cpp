// The campaign's balance on the shipped data, played headless without the test
// player's boosts: every LEVEL mission of the three chapters, from its level file, by
// two squads.
//
// The steered squad plays as a player would, by drawing paths and tapping (`Steering`):
// it stands round the base, holds its posts, goes after enemies that keep their distance
// and taps the drops. The passive squad is given no orders: it walks to its posts as the
// game places it (to the west of the base) and fights from wherever it is pushed to.
//
// The balance: the steered squad wins every mission within six game minutes, for every
// seed; the passive squad, from MISSION1_3 on, loses or earns at most three stars (a
// mission it cannot finish, whose roaming creatures it never reaches, earns nothing).
// Each run prints its line of the balance table: mission, squad, seed, outcome, stars,
// game seconds, the base's hit points lost (in percent), troopers lost, kills.
//
// CTest runs a slice (`BalanceSlice`: seed 1, the missions of kSlice) and the extra
// missions; the whole table (`FullCampaign`: every mission, 8 seeds, both squads) is the
// program campaign_balance_table, built from this file with ORVEX_BALANCE_TABLE, which
// scripts/balance.sh runs in parallel. The seeds are 1 to ORVEX_BALANCE_SEEDS (8);
// ORVEX_BALANCE_TRACE=<mission id> prints the course of that mission every ten seconds.
#include "tests/game/battle_driver.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/support/headless_engine.h"

#include "app/services/dataman.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/economy.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const float kStep = 1.0f / 60.0f;
const float kLimitSeconds = 360.0f;
// The passive squad's most stars from this mission on (chapter, mission).
const int kPassiveMostStars = 3;
// Seconds with nothing to shoot at, enemies on the field, before the steered squad hunts.
const float kIdleBeforeHunt = 6.0f;
// How much of its weapon's reach a trooper sent after an enemy keeps between them.
const float kKeepReach = 0.85f;
// The steered squad's posts stand this far from the base's centre, this far apart (in
// radians of the ring).
const float kRingRadius = 140.0f;
const float kPostSpread = 0.35f;
// A trooper below this share of its hit points with an enemy this near falls back.
const float kRetreatShare = 0.35f;
const float kRetreatDistance = 120.0f;

// The parts of the built program directory a battle reads: data, effects, sounds, art.
const char *const kShippedParts[] = {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml", "texts.xml", "missions.xml",
                                     "gameplay-global.xml", "fxs", "data-sfx-WAV_22050_MONO", "blood",
                                     "game-ui", "shop", "troopers", "chapter-1", "chapter-2", "chapter-3",
                                     "bunker", "projectiles", "powerups", "terrain"};

std::string Read(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Mission {
    int chapter, number;
    std::string Id() const { return "MISSION" + std::to_string(chapter) + "_" + std::to_string(number); }
    std::string File() const { return "missions/" + std::to_string(chapter) + "_" + std::to_string(number) + ".xml"; }
};

#ifdef ORVEX_BALANCE_TABLE
std::vector<Mission> AllMissions()
{
    std::vector<Mission> all;
    for (int c = 1; c <= 3; c++)
        for (int m = 1; m <= 10; m++)
            all.push_back({c, m});
    return all;
}

int Seeds()
{
    const char *n = getenv("ORVEX_BALANCE_SEEDS");
    int seeds = n ? atoi(n) : 8;
    return seeds < 1 ? 1 : seeds;
}
#else
// The ctest slice: the first mission the passive squad must not walk, the chapters'
// bosses, and two missions of roaming creatures the steered squad must hunt down.
const Mission kSlice[] = {{1, 3}, {1, 10}, {2, 3}, {2, 10}, {3, 6}, {3, 10}};
#endif

std::string MissionName(const ::testing::TestParamInfo<Mission> &info)
{
    return "M" + std::to_string(info.param.chapter) + "x" + std::to_string(info.param.number);
}

struct Outcome {
    bool won = false, lost = false;
    float seconds = 0.0f;
    int stars = 0;          // earned: 0 unless won
    float base_lost = 0.0f; // percent of the base's hit points lost (its lowest point)
    int troopers_lost = 0;
    int kills = 0;
};

// The steered squad's orders, as a player gives them by drawing paths and tapping: once
// placed, the squad takes posts close round the base, spread over the side the enemies
// come from (turning as they come from elsewhere), and holds them: half a second apart, a trooper knocked off its post walks back, and a badly
// hurt one with an enemy at it falls back behind the base; the field shop (when the
// campaign has opened it) sells it repairs, heals, reinforcements and force fields when
// the battle calls for them. When the squad
// has had nothing to shoot at for a while though an enemy is on the field that comes no
// nearer (creatures that keep their distance, stragglers out of every post's reach),
// half the squad goes after the one nearest the base, to within most of its reach,
// until it is dead or a fight with another starts, and comes back. Every pick-up on the
// field is tapped.
class Steering {
public:
    void Update(Scape *world, float dt)
    {
        for (int i = 0; i < game.troopers.Count(); i++) {
            Entity *t = game.troopers[i];
            if ((int)placed_.size() <= i)
                placed_.push_back(false);
            if (!t->IsAlive()) {
                placed_[i] = false;
                continue;
            }
            if (!placed_[i] && t->path && t->path->count > 0)  // placed or revived: to its post
                placed_[i] = true;
        }
        bool shooting = false;
        for (int i = 0; i < game.troopers.Count(); i++)
            shooting = shooting || (game.troopers[i]->IsAlive() && game.troopers[i]->target);
        idle_ = shooting ? 0.0f : idle_ + dt;
        next_order_ -= dt;
        if (next_order_ > 0.0f || !game.base)
            return;
        next_order_ = 0.5f;
        UpdateBearing(world);
        TapPickups(world);
        Shop();
        // The quarry: the enemy nearest the base, when it is not on its way in (it has
        // come no nearer since the last order: a creature that keeps its distance, one
        // at work on the base where no post reaches it); hunted till it dies or leaves.
        // A fight with another enemy (or the quarry gone) calls the hunters back.
        bool other_fight = false;
        for (int i = 0; i < game.troopers.Count(); i++) {
            Entity *t = game.troopers[i];
            other_fight = other_fight || (t->IsAlive() && t->target && t->target != quarry_);
        }
        if (quarry_ && (other_fight || !quarry_->IsAlive() || !OnField(world, quarry_)))
            quarry_ = nullptr;
        if (!quarry_ && idle_ >= kIdleBeforeHunt) {
            Entity *candidate = NearestEnemyOnField(world);
            float d = candidate ? sqrtf(Distance2(candidate->pos, game.base->pos)) : 0.0f;
            if (candidate && candidate == last_candidate_ && d >= last_candidate_distance_ - 5.0f)
                quarry_ = candidate;
            last_candidate_ = candidate;
            last_candidate_distance_ = d;
        }
        Entity *quarry = quarry_;
        // Half the squad (rounded up), those nearest the quarry, hunts; the rest hold.
        std::vector<bool> hunting(game.troopers.Count(), false);
        if (quarry) {
            std::vector<std::pair<float, int>> by_distance;
            for (int i = 0; i < game.troopers.Count(); i++)
                if (game.troopers[i]->IsAlive() && placed_[i])
                    by_distance.push_back({Distance2(game.troopers[i]->pos, quarry->pos), i});
            std::sort(by_distance.begin(), by_distance.end());
            for (size_t k = 0; k < (by_distance.size() + 1) / 2; k++)
                hunting[by_distance[k].second] = true;
        }
        for (int i = 0; i < game.troopers.Count(); i++) {
            Entity *t = game.troopers[i];
            bool hurt = t->hit_points < kRetreatShare * t->max_hit_points;
            if (!t->IsAlive() || !placed_[i] || !t->path || (t->target && !hurt))
                continue;
            vec2_t to = Post(i, game.troopers.Count());
            Entity *near = world->GetNearestEnemy(t, t->pos, kRetreatDistance);
            if (near && t->hit_points < kRetreatShare * t->max_hit_points) {
                // Badly hurt, with an enemy at it: behind the base, away from the enemy.
                float dx = game.base->pos.x - near->pos.x, dy = game.base->pos.y - near->pos.y;
                float d = sqrtf(dx * dx + dy * dy);
                if (d > 0.0f)
                    to = vec2_t{game.base->pos.x + dx / d * kRingRadius, game.base->pos.y + dy / d * kRingRadius};
            } else if (quarry && t->weapon && hunting[i]) {
                float d = sqrtf(Distance2(t->pos, quarry->pos));
                float keep = kKeepReach * t->weapon->projectile_range;
                if (d <= keep || d <= 0.0f)
                    continue;
                to = vec2_t{quarry->pos.x + (t->pos.x - quarry->pos.x) / d * keep,
                            quarry->pos.y + (t->pos.y - quarry->pos.y) / d * keep};
            }
            if (Distance2(t->pos, to) <= 20.0f * 20.0f)
                continue;
            t->path_pos = 0.0f;
            t->path->Reset();
            t->path->AddPoint(t->pos);
            t->path->AddPoint(to);
        }
    }

private:
    static float Distance2(vec2_t a, vec2_t b)
    {
        float dx = a.x - b.x, dy = a.y - b.y;
        return dx * dx + dy * dy;
    }
    static bool OnField(const Scape *world, const Entity *e)
    {
        return e->pos.x >= 0.0f && e->pos.y >= 0.0f && e->pos.x <= (float)world->width &&
               e->pos.y <= (float)world->height;
    }
    // Post k of n on the ring round the base: the squad spread over an arc facing the
    // enemies on the field (the nearer, the more they count), west when there are none.
    vec2_t Post(int k, int n) const
    {
        const float a = bearing_ + kPostSpread * ((float)k - 0.5f * (float)(n - 1));
        return vec2_t{game.base->pos.x + kRingRadius * cosf(a), game.base->pos.y + kRingRadius * sinf(a)};
    }
    // Where the enemies on the field are, seen from the base.
    void UpdateBearing(Scape *world)
    {
        float x = 0.0f, y = 0.0f;
        for (int i = 0; i < world->stock->num_entities; i++) {
            Entity *e = &world->stock->entities[i];
            if (!e->type || !e->IsAlive() || e->friend_group != Entity::ENEMIES || !(e->flags & Entity::NORMAL))
                continue;
            float dx = e->pos.x - game.base->pos.x, dy = e->pos.y - game.base->pos.y;
            float d2 = dx * dx + dy * dy;
            if (d2 < 1.0f)
                continue;
            x += dx / d2;  // a unit vector weighted by 1 / distance
            y += dy / d2;
        }
        bearing_ = x * x + y * y > 0.0f ? atan2f(y, x) : 3.14159265f;
    }
    // Taps what lies on the field, as a player collects drops; not the reinforcements,
    // whose choice of class would wait on a screen this battle does not answer.
    static void TapPickups(Scape *world)
    {
        for (int i = 0; i < world->stock->num_entities; i++) {
            Entity *e = &world->stock->entities[i];
            if (!e->type || !e->IsAlive() || !(e->flags & Entity::POWERUP) || e->age < 1.0f || !OnField(world, e))
                continue;
            if (e->powerup && e->powerup->id && strcmp(e->powerup->id, "POWERUP_REINFORCEMENTS") == 0)
                continue;
            controls.TryPickStuff(e->pos);
        }
    }
    // Buys what the battle calls for, when it is for sale and the money is there: a
    // repair for a bunker below half its hit points, a heal for a trooper below 60 % of
    // its own, a reinforcement for a trooper lost, a force field for a bunker below a
    // third (through the shop's own purchase, as its "Buy" does).
    static void Shop()
    {
        DMArray *catalogue = dman().GetArray(SHOP_FILE, SHOP_ARRAY);
        if (!catalogue || !prof || !prof->TagExists("features", "POWERUP_MONEY"))
            return;
        bool wounded = false;
        for (int i = 0; i < game.troopers.Count(); i++) {
            Entity *t = game.troopers[i];
            wounded = wounded || (t->IsAlive() && t->hit_points < 0.6f * t->max_hit_points);
        }
        float bunker = game.base && game.base->IsAlive() ? game.base->hit_points / game.base->max_hit_points : 1.0f;
        const struct {
            const char *id;
            bool wanted;
        } kWants[] = {
            {"REPAIR_BUNKER", bunker < 0.5f},
            {"BUNKER_FORCEFIELD", bunker < 0.34f},
            {"REINFORCEMENT", game.living_troopers < game.most_troopers_held},
            {"HEAL", wounded},
        };
        for (const auto &w : kWants) {
            DMNode *node = catalogue->GetNode(w.id);
            if (!w.wanted || !node || !prof->TagExists("features", w.id) ||
                !ShopRequirementsMet(node->GetValue("requires")))
                continue;
            ShopItem item{};
            SetShopItemContents(&item, node);
            if (game.money >= item.price)
                BuyShopItem(&item, catalogue);
        }
    }
    // The living enemy on the field nearest to the base.
    static Entity *NearestEnemyOnField(Scape *world)
    {
        Entity *best = nullptr;
        float best_d2 = 0.0f;
        for (int i = 0; i < world->stock->num_entities; i++) {
            Entity *e = &world->stock->entities[i];
            if (!e->type || !e->IsAlive() || e->friend_group != Entity::ENEMIES || !(e->flags & Entity::NORMAL) ||
                !OnField(world, e))
                continue;
            float d2 = Distance2(e->pos, game.base->pos);
            if (!best || d2 < best_d2) {
                best = e;
                best_d2 = d2;
            }
        }
        return best;
    }

    std::vector<bool> placed_;
    float bearing_ = 3.14159265f;
    float idle_ = 0.0f;
    float next_order_ = 0.0f;
    Entity *quarry_ = nullptr;
    Entity *last_candidate_ = nullptr;
    float last_candidate_distance_ = 0.0f;
};

class CampaignBalance : public battletest::BattleTest {
protected:
    // The engine, the shipped parts and the screens the battle pushes or messages, once
    // per test.
    void StartShippedGame()
    {
        StartGame(1024, 768);
        ASSERT_NO_FATAL_FAILURE(
            gametest::CopyShippedParts(ORVEX_PROGRAM_DIR, kShippedParts, sizeof kShippedParts / sizeof *kShippedParts));
        ov->OV_AddSearchPath("res://data-sfx-WAV_22050_MONO", true);
        for (const char *name : {"ArmTroopers", "PickReinforcement", "LevelLost", "LevelWon", "GameOver",
                                 "AchievementUnlocked", "FeatureUnlocked", "Shop", "PickUpgrade"})
            MakeScreen(name);
        battle = MakeScreen("Game");
        sman.PushScreen(battle, 0);
        Steps(1, 0.0f);
        started_ = true;
    }
    // A fresh world, game state and profile (every tutorial seen: nobody is there to
    // close them) for one run from this seed.
    void StartShippedWorld(uint32_t seed)
    {
        if (!started_)
            StartShippedGame();
        if (HasFatalFailure())
            return;
        // The result screens of the last run go: the battle is the top screen again.
        for (int i = sman.stack.Count() - 1; i >= 0 && sman.stack[i] != battle; i--)
            sman.PopScreen(sman.stack[i], false);
        Steps(1, 0.0f);
        ASSERT_EQ(sman.PeekScreen(0), battle) << (sman.PeekScreen(0) ? sman.PeekScreen(0)->name : "no screen");
        FreeWorld();
        gametest::ResetGameState();
        Weapon::ClearWeapons();
        Powerup::ClearPowerups();
        ObstacleType::FreeAll();
        for (const char *db : {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml"})
            dman().ReleaseDatabase(db);
        Powerup::last_powerup_timestamp = 0;  // as a fresh run finds it
        AppSeedRandom(20261210u + 7919u * seed);
        MakeWorld();
        FreshProfileWithEveryTutorialSeen();
        controls.Init(CONTROLS_TOUCH_COMMANDS);
        controls.Reset();
    }

    // The unlocks of every mission before this one: the campaign as a player has played
    // it so far (the shop, its items, the trooper classes for reinforcements).
    void UnlockCampaignSoFar(const Mission &m)
    {
        DMDatabase *missions = dman().GetDatabase("missions.xml");
        for (int c = 1; missions && c <= 3; c++) {
            DMArray *chapter = missions->GetArray(("CHAPTER" + std::to_string(c)).c_str());
            for (int k = 0; chapter && k < chapter->GetSize(); k++) {
                if (c > m.chapter || (c == m.chapter && k + 1 >= m.number))
                    return;
                std::string unlocks = chapter->GetNodeValue(k, "unlocks") ? chapter->GetNodeValue(k, "unlocks") : "";
                std::stringstream list(unlocks);
                for (std::string token; std::getline(list, token, ',');)
                    if (!token.empty())
                        profile.AddTag("features", token.c_str());
            }
        }
    }
    Outcome Play(const Mission &m, bool steered, int seed);
    void Trace(const Mission &m);

    bool started_ = false;
};

Outcome CampaignBalance::Play(const Mission &m, bool steered, int seed)
{
    Outcome out;
    StartShippedWorld((uint32_t)seed);
    if (HasFatalFailure())
        return out;
    std::string level = Read(std::string(ORVEX_PROGRAM_DIR) + "/" + m.File());
    EXPECT_FALSE(level.empty()) << m.File();
    UnlockCampaignSoFar(m);
    StartLevel(GAME_MODE_LEVEL, level, m.Id().c_str(), ("CHAPTER" + std::to_string(m.chapter)).c_str());
    EXPECT_NE(game.base, nullptr) << m.File();
    if (!game.base)
        return out;
    const float base_max = game.base->max_hit_points;
    const bool trace = getenv("ORVEX_BALANCE_TRACE") && m.Id() == getenv("ORVEX_BALANCE_TRACE");
    Steering steering;
    sman.prev_time_ms = sman.time_ms = 0;
    int tick = -1;
    // Bounded by frames too: a tutorial left open would stop the game clock.
    const int frames = (int)((kLimitSeconds + 1.0f) / kStep);
    for (int frame = 0; frame < frames && !game.won && !game.lost; frame++) {
        // The screen clock follows the game time, so that a run does not depend on the
        // wall clock (power-up drops are spaced by it).
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += 1000 / 60 + (frame % 3 == 0 ? 1u : 0u);
        battletest::BattleFrame(kStep, false);
        // The squad is armed as it stands (the player's "Select" on the arming screen).
        if (Screen *top = sman.PeekScreen(0)) {
            if (top->name && strcmp(top->name, "ArmTroopers") == 0) {
                sman.PopScreen(top, false);
                Steps(1, 0.0f);
            }
        }
        if (steered)
            steering.Update(world, kStep);
        if (trace && (int)(game.game_clock / 10000) != tick) {
            tick = (int)(game.game_clock / 10000);
            Trace(m);
        }
    }
    out.won = game.won;
    out.lost = game.lost;
    out.seconds = game.game_clock / 1000.0f;
    out.stars = game.won ? game.GetCurrentStarRating() : 0;
    float lowest = std::min(game.lowest_bunker_hp, base_max);
    out.base_lost = 100.0f * (1.0f - std::max(0.0f, lowest) / base_max);
    out.troopers_lost = game.troopers_lost;
    out.kills = game.regular_kills + game.boss_kills;
    printf("balance: %-11s %-7s seed %d  %-7s stars %d  %6.1f s  base lost %3.0f %%  troopers lost %d  kills %d\n",
           m.Id().c_str(), steered ? "steered" : "passive", seed, out.won ? "won" : out.lost ? "lost" : "timeout",
           out.stars, out.seconds, out.base_lost, out.troopers_lost, out.kills);
    fflush(stdout);
    return out;
}

// One line of the battle's course, the squad, and the enemies when few are left.
void CampaignBalance::Trace(const Mission &)
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
            printf("           %s at (%.0f, %.0f) hp %.0f\n", e->type->name, e->pos.x, e->pos.y, e->hit_points);
    }
}

// What each squad must achieve in a mission.
void ExpectBalanced(const Mission &m, const Outcome &steered, const Outcome &passive, int seed)
{
    EXPECT_TRUE(steered.won) << m.Id() << " seed " << seed << ": the steered squad "
                             << (steered.lost ? "lost" : "did not win in time");
    EXPECT_LE(steered.seconds, kLimitSeconds) << m.Id() << " seed " << seed;
    if (m.chapter > 1 || m.number >= 3) {
        EXPECT_LE(passive.stars, kPassiveMostStars)
            << m.Id() << " seed " << seed << ": a squad given no orders earns " << passive.stars << " stars";
    }
}

#ifndef ORVEX_BALANCE_TABLE

class BalanceSlice : public CampaignBalance, public ::testing::WithParamInterface<Mission> {};

TEST_P(BalanceSlice, SteeredSquadWinsAndPassiveSquadEarnsLittle)
{
    const Mission &m = GetParam();
    Outcome steered = Play(m, true, 1);
    if (HasFatalFailure())
        return;
    Outcome passive = Play(m, false, 1);
    ExpectBalanced(m, steered, passive, 1);
}

INSTANTIATE_TEST_SUITE_P(Missions, BalanceSlice, ::testing::ValuesIn(kSlice), MissionName);

#else

// The whole table: every mission, every seed, both squads (campaign_balance_table, which
// scripts/balance.sh runs in parallel shards).
class FullCampaign : public CampaignBalance, public ::testing::WithParamInterface<Mission> {};

TEST_P(FullCampaign, EverySeed)
{
    const Mission &m = GetParam();
    for (int seed = 1; seed <= Seeds(); seed++) {
        Outcome steered = Play(m, true, seed);
        if (HasFatalFailure())
            return;
        Outcome passive = Play(m, false, seed);
        ExpectBalanced(m, steered, passive, seed);
    }
}

INSTANTIATE_TEST_SUITE_P(Missions, FullCampaign, ::testing::ValuesIn(AllMissions()), MissionName);

#endif

}  // namespace

#ifndef ORVEX_BALANCE_TABLE
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

class ExtraMissions : public CampaignBalance, public ::testing::WithParamInterface<int> {
protected:
    // Draws the battle as shown and keeps it as "campaign/<name>"; false when nothing
    // but a few colours came out.
    bool SaveShot(const std::string &name)
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
};

TEST_P(ExtraMissions, HoldsThroughItsFirstWavesAndIsDrawn)
{
    const Extra &x = kExtras[GetParam()];
    StartShippedWorld((uint32_t)GetParam());
    ASSERT_FALSE(HasFatalFailure());
    std::string file = std::string("missions/") + x.file + ".xml";
    std::string level = Read(std::string(ORVEX_PROGRAM_DIR) + "/" + file);
    ASSERT_FALSE(level.empty()) << file;
    StartLevel(x.mode, level, "MISSION1_1", "EXTRAS");
    EXPECT_EQ(x.base, game.base != nullptr) << file;
    EXPECT_EQ(x.mode == GAME_MODE_DEFEND_THE_FLAG ? 3 : 0, game.medtent_count) << file;
    Steering steering;
    uint32_t frame = 0, wave2_ms = 0;
    int most_enemies = 0;
    while (!game.lost && frame++ < (uint32_t)(90.0f / kStep)) {
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += 1000 / 60 + (frame % 3 == 0 ? 1u : 0u);
        battletest::BattleFrame(kStep, false);
        steering.Update(world, kStep);
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
#endif
