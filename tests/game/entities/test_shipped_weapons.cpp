// Every weapon of the shipped "weapons.xml", fired on the shipped battle data (types,
// projectiles, effects and sounds of the built program directory).
//
// `EveryShotLeavesForwardAtItsNominalSpeedAndRange`: each player and enemy weapon fires
// from its own shooter, aimed along +x; every projectile leaves within half the
// weapon's spread of the aim, moving forward, at a speed and with a flight range within
// the weapon's random terms around its nominal "projectile_speed" and
// "projectile_range" (the terms are fractions: 0.2 lets a value fall 10 % either way).
//
// `LoneTrooperDealsItsNominalRateToATargetLine`: a trooper of the weapon's class stands
// alone before a line of standing targets (inert enemies of the shipped data that never
// die) and fires at will for twelve game seconds; the damage the line takes must stay
// within a band of the weapon's nominal rate: its projectiles' damage (and the blast of
// the blast weapons, and the burn of the burning ones) times its cycle-averaged shots per
// second. A pick-up weapon without reload is measured over its one clip against the
// clip's nominal damage.
//
// `EachClassIsDrawnFiringForward`: each class's own weapon and the burning upgrades, drawn
// in flight; what the projectiles paint lies ahead of the trooper, round its aim.
//
// They print their tables (run the binary to read it).
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/battle_driver.h"
#include "tests/support/headless_engine.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "app/services/data-numbers.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const float kPi = 3.14159265358979f;
const float kStep = 1.0f / 60.0f;
const float kMeasureSeconds = 12.0f;
// The band the measured damage must keep around the nominal rate.
const float kBandLow = 0.6f;
const float kBandHigh = 1.6f;
// And the band an upgrade's nominal rate keeps around its class's own weapon (a
// per-frame damage meant per second would leave it far behind).
const float kClassLow = 0.5f;
const float kClassHigh = 5.0f;

const char *const kShippedParts[] = {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml", "texts.xml",
                                     "gameplay-global.xml", "fxs", "data-sfx-WAV_22050_MONO", "blood",
                                     "game-ui", "shop", "troopers", "chapter-1", "chapter-2", "chapter-3", "bunker",
                                     "projectiles", "powerups", "terrain"};

// The trooper classes and the weapon each carries as its own.
const struct {
    const char *weapon;
    const char *type;
} kClasses[] = {{"Minigun", "MinigunTrooper"}, {"Shotgun", "ShotgunTrooper"}, {"Bazooka", "BazookaTrooper"},
                {"Pyro", "PyroTrooper"},       {"Sniper", "SniperTrooper"}};

struct ShippedWeapon {
    std::string id;
    std::string root;     // the first weapon of its "inherit" chain
    std::string shooter;  // entity type that carries it ("" for a player weapon)
};

class ShippedWeapons : public battletest::BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(
            StartOnShippedData(ORVEX_PROGRAM_DIR, kShippedParts, sizeof kShippedParts / sizeof *kShippedParts));
        battle = MakeScreen("Game");
        sman.PushScreen(battle, 0);
        Steps(1, 0.0f);
        // An open field with no waves and no base: nothing but what the test places, and
        // no star rating to scale the damage.
        StartLevel(GAME_MODE_OPEN_AREA,
                   battletest::LevelXml(battletest::Array(
                       "environment", "<node id=\"background\" value=\"terrain/bg/desert-a.png\" />")),
                   "OPEN_GROUND", "EXTRAS");
        game.game_clock = 1000;
    }

    // The weapons of the shipped file in order, with their roots and enemy shooters.
    std::vector<ShippedWeapon> Weapons()
    {
        std::vector<ShippedWeapon> out;
        DMArray *weapons = dman().GetArray("weapons.xml", "weapons");
        DMArray *types = dman().GetArray("entities.xml", "entities");
        for (int i = 0; weapons && i < weapons->GetSize(); i++) {
            ShippedWeapon w;
            w.id = weapons->GetNode(i)->id;
            w.root = w.id;
            for (int guard = 0; guard < 16; guard++) {
                const char *parent = weapons->GetNodeValue(w.root.c_str(), "inherit");
                if (!parent)
                    break;
                w.root = parent;
            }
            for (int t = 0; types && t < types->GetSize(); t++) {
                DMNode *n = types->GetNode(t);
                const char *carried = n->GetValue("weapon"), *group = n->GetValue("friend_group");
                if (carried && w.id == carried && group && strcmp(group, "ENEMIES") == 0)
                    w.shooter = n->id;
            }
            out.push_back(w);
        }
        return out;
    }

    // The trooper type of a player weapon's class; the sniper (the longest reach) for a
    // weapon of no class.
    EntityType *TrooperFor(const ShippedWeapon &w)
    {
        for (const auto &c : kClasses)
            if (w.root == c.weapon)
                return world->stock->GetEntityType(c.type);
        return world->stock->GetEntityType("SniperTrooper");
    }

    void ClearField()
    {
        for (int i = 0; i < world->stock->num_entities; i++) {
            Entity *e = &world->stock->entities[i];
            if (e->type && e->IsAlive())
                world->KillEntity(e, nullptr, true);
        }
        for (int i = 0; i < 90; i++)
            Frame();
    }

    void Frame()
    {
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += 1000 / 60 + (frame_++ % 3 == 0 ? 1 : 0);
        battletest::BattleFrame(kStep, false);
    }

    int frame_ = 0;
};

float Nominal(float value, float random, float r)
{
    return value * (1.0f + random * (r - 0.5f));
}

TEST_F(ShippedWeapons, EveryShotLeavesForwardAtItsNominalSpeedAndRange)
{
    std::vector<ShippedWeapon> all = Weapons();
    ASSERT_GE(all.size(), 30u);
    printf("%-20s %-12s %5s %12s %17s %17s\n", "weapon", "shooter", "shots", "angle (spread)", "speed min..max",
           "range min..max");
    for (const ShippedWeapon &sw : all) {
        SCOPED_TRACE(sw.id);
        Weapon *w = Weapon::GetWeapon(sw.id.c_str());
        ASSERT_NE(w, nullptr);
        EntityType *type = sw.shooter.empty() ? TrooperFor(sw) : world->stock->GetEntityType(sw.shooter.c_str());
        ASSERT_NE(type, nullptr);
        Entity *shooter = world->SpawnEntity(type, vec2_t{300.0f, 384.0f});
        ASSERT_NE(shooter, nullptr);
        w->SetActive(shooter);
        float worst_angle = 0.0f, speed_lo = 1e9f, speed_hi = -1e9f, range_lo = 1e9f, range_hi = -1e9f;
        int shots = 0;
        for (int k = 0; k < 12; k++) {
            w->Fire(shooter, shooter->pos, 0.0f);
            for (int i = 0; i < world->stock->num_entities; i++) {
                Entity *p = &world->stock->entities[i];
                if (!p->type || !p->IsAlive() || p->owner != shooter)
                    continue;
                shots++;
                if (w->projectile_class == WEAPON_PROJECTILE_ENTITY) {
                    EXPECT_EQ(p->type, w->projectile_entity);  // laid where the shooter stands
                } else {
                    float heading = atan2f(p->velocity.y, p->velocity.x);
                    worst_angle = fmaxf(worst_angle, fabsf(heading));
                    EXPECT_GT(p->velocity.x, 0.0f) << "a shot flies backwards";
                    EXPECT_LE(fabsf(heading), 0.5f * w->projectile_angle_spread + 1e-4f) << "outside the spread";
                    speed_lo = fminf(speed_lo, p->speed);
                    speed_hi = fmaxf(speed_hi, p->speed);
                    range_lo = fminf(range_lo, p->range);
                    range_hi = fmaxf(range_hi, p->range);
                    EXPECT_GT(p->speed, 0.0f);
                    EXPECT_GE(p->speed, Nominal(w->projectile_speed, w->projectile_speed_random, 0.0f) - 1e-2f);
                    EXPECT_LE(p->speed, Nominal(w->projectile_speed, w->projectile_speed_random, 1.0f) + 1e-2f);
                    EXPECT_GT(p->range, 0.0f);
                    EXPECT_GE(p->range, Nominal(w->projectile_range, w->projectile_range_random, 0.0f) - 1e-2f);
                    EXPECT_LE(p->range, Nominal(w->projectile_range, w->projectile_range_random, 1.0f) + 1e-2f);
                }
                world->KillEntity(p, nullptr, true);
            }
        }
        EXPECT_EQ(shots, 12 * w->projectiles_per_shot);
        if (w->projectile_class == WEAPON_PROJECTILE_ENTITY)
            printf("%-20s %-12s %5d %12s %17s %17s\n", sw.id.c_str(), type->name, shots, "laid", "-", "-");
        else
            printf("%-20s %-12s %5d %5.3f (%4.2f) %7.0f..%-7.0f %7.0f..%-7.0f\n", sw.id.c_str(), type->name, shots,
                   worst_angle, w->projectile_angle_spread, speed_lo, speed_hi, range_lo, range_hi);
        world->KillEntity(shooter, nullptr, true);
        ClearField();
    }
}

// The target line: inert enemies of this radius, this far apart.
const float kTargetRadius = 14.0f;
const float kTargetSpacing = 30.0f;
// The frame rate the per-frame damage of clouds and ice is counted at.
const float kFramesPerSecond = 60.0f;
const float kCloudLife = 5.0f;

// A blast of damage D and range R centred on one target of the line: each target at
// distance d takes D (1 - d / (R + both radii)).
float LineBlast(float damage, float range, float projectile_radius)
{
    float span = range + projectile_radius + kTargetRadius;
    float sum = 0.0f;
    for (int k = -20; k <= 20; k++) {
        float share = 1.0f - fabsf((float)k) * kTargetSpacing / span;
        sum += share > 0.0f ? share : 0.0f;
    }
    return damage * sum;
}

// Frames a projectile flying straight through the line's column spends touching a
// target: a cloud slows to 0.98 of its speed every frame and rests where it stops, ice
// flies on at its speed; both live five seconds.
float ContactFrames(const Weapon *w, float distance, bool slows)
{
    const float reach = w->projectile_entity->radius + kTargetRadius;
    const float centre = w->barrel_x > distance ? w->barrel_x : distance + kTargetRadius;
    float x = w->barrel_x, v = w->projectile_speed;
    int frames = 0;
    for (int f = 0; f < (int)(kCloudLife * kFramesPerSecond); f++) {
        if (fabsf(x - centre) < reach)
            frames++;
        x += v / kFramesPerSecond;
        if (slows)
            v *= 0.98f;
    }
    return (float)frames;
}

// The damage one shot promises to the line, by what its projectile does: a bullet its
// damage; a rocket its damage and its blast over the line (a napalm rocket also its ten
// flames); a flame its damage once (it spends itself on a sturdy target); ice and gas
// their damage every frame they touch a target on their way.
float NominalShotDamage(const Weapon *w, float distance, Scape *world)
{
    const EntityType *p = w->projectile_entity;
    if (!p)
        return 0.0f;
    float damage = p->damage * w->projectile_damage_multiplier;
    const char *ai = p->ai && p->ai->name ? p->ai->name : "";
    if (strcmp(ai, "Rocket") == 0 || strcmp(ai, "RocketNapalm") == 0)
        damage += LineBlast(w->projectile_splash_damage, w->projectile_splash_range, p->radius);
    if (strcmp(ai, "RocketNapalm") == 0) {
        const EntityType *flame = world->stock->GetEntityType("ProjectileFlame");
        damage += 10.0f * (flame ? flame->damage : 0.0f) * w->projectile_damage_multiplier;
    }
    if (strcmp(ai, "Ice") == 0)
        damage *= ContactFrames(w, distance, false);
    else if (strcmp(ai, "Gas") == 0)
        damage *= ContactFrames(w, distance, true);
    return damage * (float)w->projectiles_per_shot;
}

// Whether what the weapon fires sets targets alight (10 hit points a second, times the
// weapon's multiplier, for as long as the fire keeps coming).
bool Burns(const Weapon *w)
{
    const EntityType *p = w->projectile_entity;
    const char *ai = p && p->ai && p->ai->name ? p->ai->name : "";
    return p && (strcmp(ai, "Flame") == 0 || strcmp(ai, "RocketNapalm") == 0 || (p->flags & Entity::INCENDIARY));
}

TEST_F(ShippedWeapons, LoneTrooperDealsItsNominalRateToATargetLine)
{
    std::vector<ShippedWeapon> all = Weapons();
    EntityType *target_type = world->stock->GetEntityType("Cocoon");
    ASSERT_NE(target_type, nullptr);
    printf("%-20s %-15s %8s %10s %10s %6s %6s\n", "weapon", "trooper", "distance", "dealt/s", "nominal/s", "ratio",
           "class");
    int measured = 0;
    std::map<std::string, float> class_rate;  // the nominal rate of each class's own weapon
    for (const ShippedWeapon &sw : all) {
        Weapon *w = Weapon::GetWeapon(sw.id.c_str());
        ASSERT_NE(w, nullptr);
        // Enemy weapons, and the blast the blast pick-up sets off at the picker's feet,
        // are nobody's to hold.
        if (!sw.shooter.empty() || w->projectile_class == WEAPON_PROJECTILE_ENTITY || sw.id == "BazookaBoom")
            continue;
        SCOPED_TRACE(sw.id);
        EntityType *type = TrooperFor(sw);
        ASSERT_NE(type, nullptr);
        const vec2_t at = {200.0f, 384.0f};
        float distance = fminf(0.6f * w->projectile_range, 0.6f * w->projectile_range + 40.0f);
        distance = fmaxf(distance, 40.0f);
        std::vector<Entity *> line;
        for (int k = -6; k <= 6; k++) {
            Entity *t = world->SpawnEntity(target_type, vec2_t{at.x + distance + kTargetRadius, at.y + kTargetSpacing * (float)k});
            ASSERT_NE(t, nullptr);
            t->hit_points = t->max_hit_points = 1e7f;
            line.push_back(t);
        }
        Entity *trooper = world->SpawnEntity(type, at);
        ASSERT_NE(trooper, nullptr);
        w->SetActive(trooper);
        trooper->base_weapon = w;
        trooper->angle = trooper->aim_angle = 0.0f;
        for (int i = 0; i < 12; i++)
            Frame();  // past the newborn's first tenth of a second
        for (Entity *t : line)
            t->damage_taken = 0.0f;
        // Shots come every interval; the last of a clip starts the reload, and the next
        // clip's first shot waits for the longer of the reload and the interval.
        const bool loan = w->reload_size <= 0.0f;
        const float shots_per_clip = w->clip_size / w->ammo_cost_per_shot;
        const float firing = shots_per_clip * w->shot_interval;
        const float burn = Burns(w) ? 10.0f * w->projectile_damage_multiplier : 0.0f;
        const float shot = NominalShotDamage(w, distance, world);
        float nominal;
        float seconds = kMeasureSeconds;
        if (loan) {
            seconds = firing + 3.0f;  // one clip and its flight
            nominal = (shots_per_clip * shot + burn * firing) / seconds;
        } else {
            float cycle = (shots_per_clip - 1.0f) * w->shot_interval + fmaxf(w->shot_interval, w->reload_time);
            nominal = (shots_per_clip * shot + burn * fminf(firing, cycle)) / cycle;
        }
        for (float t = 0.0f; t < seconds; t += kStep)
            Frame();
        float dealt = 0.0f;
        for (Entity *t : line)
            dealt += t->damage_taken;
        float rate = dealt / seconds;
        float ratio = nominal > 0.0f ? rate / nominal : 0.0f;
        if (sw.root == sw.id)
            class_rate[sw.id] = nominal;
        float to_class = class_rate.count(sw.root) && class_rate[sw.root] > 0.0f ? nominal / class_rate[sw.root] : 1.0f;
        printf("%-20s %-15s %8.0f %10.1f %10.1f %6.2f %6.2f\n", sw.id.c_str(), type->name, distance, rate, nominal,
               ratio, to_class);
        EXPECT_GE(ratio, kBandLow) << "dealt " << rate << "/s of a nominal " << nominal << "/s";
        EXPECT_LE(ratio, kBandHigh) << "dealt " << rate << "/s of a nominal " << nominal << "/s";
        if (!loan) {
            EXPECT_GE(to_class, kClassLow) << "far weaker than its class's own weapon";
            EXPECT_LE(to_class, kClassHigh) << "far stronger than its class's own weapon";
        }
        measured++;
        ClearField();
    }
    EXPECT_GE(measured, 30);
}

}  // namespace

namespace {

// The shipped rocket pack, picked up by a minigunner before a line of targets: six
// rockets, then the trooper fires its own minigun again (it used to stand reloading
// the empty pack for ever).
TEST_F(ShippedWeapons, SpentRocketPackReturnsTheTrooperToItsOwnGun)
{
    EntityType *target_type = world->stock->GetEntityType("Cocoon");
    EntityType *pickup_type = world->stock->GetEntityType("Powerup");
    Powerup *pack = Powerup::GetPowerup("ROCKET_LAUNCHER");
    ASSERT_TRUE(target_type && pickup_type && pack);
    for (int k = -3; k <= 3; k++) {
        Entity *t = world->SpawnEntity(target_type, vec2_t{420.0f, 384.0f + 30.0f * (float)k});
        ASSERT_NE(t, nullptr);
        t->hit_points = t->max_hit_points = 1e7f;
    }
    Entity *trooper = world->SpawnEntity(world->stock->GetEntityType("MinigunTrooper"), vec2_t{200.0f, 384.0f});
    Entity *pickup = world->SpawnEntity(pickup_type, vec2_t{200.0f, 384.0f});
    ASSERT_TRUE(trooper && pickup);
    Weapon *own = trooper->weapon;
    ASSERT_NE(own, nullptr);
    pickup->powerup = pack;
    pickup->age = 2.0f;
    pack->Activate(pickup, trooper);
    ASSERT_EQ(trooper->weapon, Weapon::GetWeapon("RocketLauncher"));
    int rockets = 0, own_shots = 0;
    for (int i = 0; i < 60 * 10 && own_shots < 3; i++) {
        const bool holding_pack = trooper->weapon != own;
        const int before = trooper->shots_fired;
        Frame();
        (holding_pack ? rockets : own_shots) += trooper->shots_fired - before;
    }
    const bool back = own_shots >= 3;
    EXPECT_EQ(rockets, 6);
    EXPECT_TRUE(back) << "still holding " << (trooper->weapon ? trooper->weapon->id : "nothing");
}

}  // namespace

namespace {

// The shipped medkit does what its text says: tapped, it heals the trooper nearest to it
// in full and no other; its text names the nearest trooper (it once promised to heal
// every trooper).
TEST_F(ShippedWeapons, MedkitHealsTheNearestTrooperAsItsTextSays)
{
    Powerup *medkit = Powerup::GetPowerup("POWERUP_HEALTH");
    ASSERT_NE(medkit, nullptr);
    const char *desc = dman().GetValue("powerups.xml", "powerups", "POWERUP_HEALTH", "desc");
    ASSERT_NE(desc, nullptr);
    EXPECT_NE(strstr(desc, "nearest trooper"), nullptr) << desc;
    EXPECT_EQ(strstr(desc, "every"), nullptr) << desc;

    EntityType *type = world->stock->GetEntityType("MinigunTrooper");
    Entity *near = game.SpawnReinforcementTrooper(type, -1);
    Entity *far = game.SpawnReinforcementTrooper(type, -1);
    ASSERT_TRUE(near && far);
    near->pos = vec2_t{300.0f, 300.0f};
    far->pos = vec2_t{700.0f, 500.0f};
    near->hit_points = 20.0f;
    far->hit_points = 30.0f;
    Entity *pickup = world->SpawnEntity(world->stock->GetEntityType("Powerup"), vec2_t{320.0f, 320.0f});
    ASSERT_NE(pickup, nullptr);
    pickup->powerup = medkit;
    pickup->age = 2.0f;
    medkit->Activate(pickup, nullptr);  // collected by a tap
    EXPECT_FLOAT_EQ(near->hit_points, near->max_hit_points);
    EXPECT_FLOAT_EQ(far->hit_points, 30.0f);
}

}  // namespace

namespace {

// The pixels that differ between two frames of the same size (any channel by more than
// a little), as {x, y} pairs.
std::vector<std::array<int, 2>> Changed(const widgettest::Frame &a, const widgettest::Frame &b)
{
    std::vector<std::array<int, 2>> out;
    for (int y = 0; y < a.h; y++)
        for (int x = 0; x < a.w; x++) {
            const size_t i = 4 * ((size_t)y * (size_t)a.w + (size_t)x);
            int d = 0;
            for (int c = 0; c < 3; c++)
                d = std::max(d, abs((int)a.px[i + c] - (int)b.px[i + c]));
            if (d > 24)
                out.push_back({x, y});
        }
    return out;
}

// Each trooper class's own weapon, and the two upgrades that fire burning rounds, seen
// in flight as the player sees them: a lone trooper faces a target line to its right and
// fires. What its projectiles paint (the frame against the same frame with them lifted
// off the field) must lie ahead of the trooper, within a cone round its aim: the spread
// and a margin for the sprites' size. Pellets and flames once flew backwards as often as forwards. The
// pictures are kept in build/shots/weapons/.
TEST_F(ShippedWeapons, EachClassIsDrawnFiringForward)
{
    EntityType *target_type = world->stock->GetEntityType("Cocoon");
    ASSERT_NE(target_type, nullptr);
    const char *const weapons[] = {"Minigun", "MinigunFireBullets", "Shotgun", "ShotgunFirePellets",
                                   "Bazooka", "Pyro",               "Sniper"};
    printf("%-20s %9s %8s %8s %10s\n", "weapon", "in flight", "pixels", "ahead", "widest");
    for (const char *id : weapons) {
        SCOPED_TRACE(id);
        Weapon *w = Weapon::GetWeapon(id);
        ASSERT_NE(w, nullptr);
        ShippedWeapon sw;
        sw.id = id;
        for (const auto &c : kClasses)
            if (strncmp(id, c.weapon, strlen(c.weapon)) == 0)
                sw.root = c.weapon;
        EntityType *type = TrooperFor(sw);
        ASSERT_NE(type, nullptr);
        const vec2_t at = {200.0f, 384.0f};
        const float distance = std::min(std::max(0.8f * w->projectile_range, 80.0f), 600.0f);
        for (int k = -6; k <= 6; k++) {
            Entity *t = world->SpawnEntity(target_type,
                                           vec2_t{at.x + distance + kTargetRadius, at.y + kTargetSpacing * (float)k});
            ASSERT_NE(t, nullptr);
            t->hit_points = t->max_hit_points = 1e7f;
        }
        Entity *trooper = world->SpawnEntity(type, at);
        ASSERT_NE(trooper, nullptr);
        w->SetActive(trooper);
        trooper->base_weapon = w;
        trooper->angle = trooper->aim_angle = 0.0f;
        auto in_flight = [&]() {
            std::vector<Entity *> out;
            for (int i = 0; i < world->stock->num_entities; i++) {
                Entity *p = &world->stock->entities[i];
                if (p->type && p->IsAlive() && p->owner == trooper && (p->flags & Entity::PROJECTILE))
                    out.push_back(p);
            }
            return out;
        };
        int frames = 0;
        while (in_flight().empty() && frames < 60 * 5) {
            Frame();
            frames++;
        }
        ASSERT_FALSE(in_flight().empty()) << "nothing fired in five seconds";
        for (int i = 0; i < 4; i++)
            Frame();  // clear of the muzzle, short of the line
        std::vector<Entity *> shots = in_flight();
        ASSERT_FALSE(shots.empty());

        DrawBattleFrame();
        widgettest::Frame all = widgettest::ReadFrame();
        for (Entity *p : shots)
            p->pos.y += 100000.0f;
        DrawBattleFrame();
        widgettest::Frame without_shots = widgettest::ReadFrame();
        for (Entity *p : shots)
            p->pos.y -= 100000.0f;
        EXPECT_TRUE(widgettest::SavePng(all, enginetest::ShotPath("weapons", std::string(id) + ".png")));

        // The trooper's place on the display (the frame is the reference size).
        ASSERT_EQ(all.w, sman.reference_width);
        const vec2_t centre = world->TranslatePointToScreenSpace(trooper->pos);
        const float cx = centre.x, cy = centre.y;
        std::vector<std::array<int, 2>> painted = Changed(all, without_shots);
        const float cone = tanf(0.5f * w->projectile_angle_spread + 0.25f);
        const float margin = 24.0f;
        size_t ahead = 0;
        float widest = 0.0f;
        for (const auto &q : painted) {
            const float dx = (float)q[0] - cx, dy = (float)q[1] - cy;
            if (dx > 0.0f && fabsf(dy) <= dx * cone + margin)
                ahead++;
            if (dx > margin)
                widest = fmaxf(widest, fabsf(atan2f(dy, dx)));
        }
        const double share = painted.empty() ? 0.0 : (double)ahead / (double)painted.size();
        printf("%-20s %9zu %8zu %7.1f%% %6.2f rad\n", id, shots.size(), painted.size(), 100.0 * share,
               (double)widest);
        EXPECT_GE(painted.size(), 20u) << "the projectiles are not drawn";
        EXPECT_GE(share, 0.95) << "drawn behind the trooper or outside its aim";
        // The next picture without this line or its remains: the records go back to the
        // pool without dying.
        for (int i = 0; i < world->stock->num_entities; i++)
            if (world->stock->entities[i].type)
                world->stock->FreeEntity(&world->stock->entities[i]);
        for (int i = 0; i < 90; i++)
            Frame();
        world->num_decals = 0;
    }
}

}  // namespace
