// The entity types' drawings through the recorded engine calls: the base drawing's
// overlays (health bar, reload rounds, range ring, icon, foot glow, stars, lunge,
// chill) and the variants' looks over time.
#include "tests/game/entities/test_entity_types_fixture.h"

#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"

#include <math.h>
#include <string.h>

#include <map>
#include <string>

using namespace enttypestest;

namespace {

const float kPi = 3.14159265f;

float Ease(float t)
{
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return 1.0f - cosf(kPi / 2 * sinf(kPi / 2 * t));
}

orvex_t real_table;
std::map<std::string, std::string> extension_replies;
const char *FakeExtension(const char *command, const char *argument)
{
    auto it = extension_replies.find(std::string(command ? command : "") + "/" + (argument ? argument : ""));
    return it == extension_replies.end() ? real_table.OV_CallExtension(command, argument) : it->second.c_str();
}

const char *kTypes =
    "<node id=\"MinigunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" scale=\"1\""
    " radius=\"10\" weapon=\"Minigun\" bm_move=\"b/trooper.png\" bm_move2=\"b/gun.png\" barrel_angle=\"0.5\"/>\n"
    "<node id=\"SniperTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" scale=\"1\""
    " radius=\"10\" weapon=\"Rail\" bm_move=\"b/trooper.png\"/>\n"
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"50\" scale=\"1\" radius=\"8\""
    " bm_move=\"b/grunt.png\" bm_die=\"b/corpse.png\"/>\n"
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""
    " hit_points=\"1000\" scale=\"1\" bm_move=\"b/bunker.png\"/>\n"
    "<node id=\"MedTent\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\" hit_points=\"100\""
    " scale=\"1\" bm_move=\"b/tent.png\"/>\n"
    "<node id=\"Pickup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" scale=\"1\""
    " bm_move=\"b/never.png\" bm_move2=\"b/crate.png\"/>\n"
    "<node id=\"Chute\" type=\"PowerupParachute\" flags=\"POWERUP\" friend_group=\"PLAYERS\" scale=\"1\""
    " bm_move2=\"b/crate.png\"/>\n"
    "<node id=\"Flame\" type=\"ProjectileFlame\" flags=\"PROJECTILE\" friend_group=\"PLAYERS\" scale=\"2\""
    " color_r=\"1\" color_g=\"0.5\" color_b=\"0.25\" bm_move=\"b/flame.png\" bm_move2=\"b/flame2.png\"/>\n"
    "<node id=\"Pellet\" type=\"ProjectileSimple\" flags=\"PROJECTILE\" friend_group=\"PLAYERS\" scale=\"1\""
    " blend_mode=\"ADDITIVE\" bm_move=\"b/pellet.png\"/>\n"
    "<node id=\"Tracer\" type=\"ProjectileTrailed\" flags=\"PROJECTILE\" friend_group=\"PLAYERS\" scale=\"1\""
    " bm_move=\"b/head.png\" bm_move2=\"b/trail.png\"/>\n";

const char *kWeapons =
    "<node id=\"Minigun\" rank=\"2\" reload_time=\"13\" projectile_range=\"100\" trail_length=\"20\"/>\n"
    "<node id=\"Rail\" rank=\"10\" projectile_range=\"100\"/>\n";

class EntityTypesDrawTest : public EntityTypesTest {
protected:
    void SetUp() override
    {
        EntityTypesTest::SetUp();
        extension_replies.clear();
    }
    void Start()
    {
        WriteImage("shop/minigunammo.png", 20, 10, 255, 255, 255);
        WriteImage("b/icon.png", 12, 12, 255, 255, 255);
        StartWorld(kTypes, kWeapons);
        real_table = *ov;
        ov->OV_CallExtension = FakeExtension;
        upgrades = Upgrades();
        game.upgrade_icon_size = 0.0f;
    }
    void SetSmallScreen(bool on)
    {
        extension_replies["ProgramInfo/Features"] = on ? "SMALL_SCREEN" : "";
        feature_man.Initialize();
    }
    // The entity's drawing alone, recorded.
    void DrawOnly(Entity *e)
    {
        ClearCalls();
        e->type->Draw(e);
    }
};

}  // namespace

TEST_F(EntityTypesDrawTest, HealthBarsShowForTroopersTheWoundedAndTheHighlighted)
{
    Start();
    struct Case {
        const char *type;
        float hp, max_hp, highlight, phase;
        bool dying, drawn;
        float alpha, size, fill;
    } cases[] = {
        {"Grunt", 50, 50, 0, 0, false, false, 0, 0, 0},
        {"Grunt", 49, 50, 0, 0, false, true, 0.75f, 0.4f, 0.98f},
        {"Grunt", 50, 50, 0.5f, 0, false, true, 0.75f, 0.4f, 1.0f},
        {"Grunt", 50, 50, 0.1f, 0, false, true, 0.225f, 0.4f, 1.0f},
        {"Grunt", 0, 50, 0, 0.5f, true, true, 0.1875f, 0.4f, 0.0f},
        {"Grunt", 0, 0, 1, 0, false, true, 0.75f, 0.4f, 0.0f},  // no maximum: an empty bar
        {"MinigunTrooper", 100, 100, 0, 0, false, true, 0.75f, 0.6f, 1.0f},
        {"MinigunTrooper", 25, 100, 0, 0, false, true, 0.75f, 0.6f, 0.25f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.type) + " hp " + std::to_string(c.hp) + "/" + std::to_string(c.max_hp));
        Entity *e = Spawn(c.type, {100, 120});
        ASSERT_NE(e, nullptr);
        e->age = 2;
        e->hit_points = c.hp;
        e->max_hit_points = c.max_hp;
        e->highlight = c.highlight;
        if (c.dying) {
            e->state = Entity::STATE_DYING;
            e->phase = c.phase;
        }
        DrawOnly(e);
        auto back = CallsOf("DrawBitmapRS", "game-ui/health-background.png");
        auto fore = CallsOf("DrawBitmap4V", "game-ui/health-foreground.png");
        if (!c.drawn) {
            EXPECT_TRUE(back.empty());
            EXPECT_TRUE(fore.empty());
        } else {
            ASSERT_EQ(1u, back.size());
            ASSERT_EQ(1u, fore.size());
            EXPECT_FLOAT_EQ(c.alpha, back[0].alpha);
            EXPECT_FLOAT_EQ(c.size, back[0].v[3]);
            EXPECT_FLOAT_EQ(100.0f, back[0].v[0]);
            EXPECT_FLOAT_EQ(120.0f + e->radius + 2.0f, back[0].v[1]);
            // The fill: texture u from 0 to v, the width cut to v, red to green.
            const std::vector<float> &q = fore[0].v;
            EXPECT_FLOAT_EQ(0.0f, q[2]);
            EXPECT_NEAR(c.fill, q[8 + 2], 1e-5);
            EXPECT_NEAR(40.0f * c.size * c.fill, q[8 + 0] - q[0], 1e-3);
            EXPECT_EQ((int)((1.0f - c.fill) * 255.0f), (int)q[4]);
            EXPECT_EQ((int)(fminf(2.0f * c.fill, 1.0f) * 255.0f), (int)q[5]);
            EXPECT_EQ(0, (int)q[6]);
        }
        world->stock->FreeEntity(e);
    }
}

TEST_F(EntityTypesDrawTest, ReloadRoundsFillTheMagazineOneAfterAnother)
{
    Start();
    Entity *e = Spawn("MinigunTrooper", {100, 120});
    e->age = 2;
    // Magazine 20 high, rounds 4 high: slot k sits at top + 0.66 x 4 x k.
    const float top = 120.0f - 3.32f - 0.66f * 10.0f;
    struct Case {
        float s;
        int placed;
        float fraction;  // of the sliding round; -1 for none
    } cases[] = {{3, 0, 0.75f}, {5, 1, 1.0f / 3.0f}, {8, 2, 0.5f}, {9.5f, 3, 0.5f}, {12, 4, -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.s);
        e->reload_timer = 13.0f - c.s;
        DrawOnly(e);
        const float p = c.s / 13.0f;
        const float a = p > 0.75f ? 4.0f * (1.0f - p) : fminf(5.0f * p, 1.0f);
        auto magazine = CallsOf("DrawBitmapRS", "game-ui/reload-magazine.png");
        ASSERT_EQ(1u, magazine.size());
        EXPECT_FLOAT_EQ(118.0f, magazine[0].v[1]);
        EXPECT_FLOAT_EQ(0.66f, magazine[0].v[3]);
        EXPECT_NEAR(0.75f * a, magazine[0].alpha, 1e-5);
        auto rounds = CallsOf("DrawBitmapRS", "game-ui/reload-ammo.png");
        ASSERT_EQ((size_t)(c.placed + (c.fraction >= 0 ? 1 : 0)), rounds.size());
        for (int i = 0; i < c.placed; i++) {
            EXPECT_NEAR(top + 0.66f * 4.0f * (float)(4 - i), rounds[i].v[1], 1e-3) << i;
            EXPECT_NEAR(0.75f * a, rounds[i].alpha, 1e-5);
        }
        if (c.fraction >= 0) {
            const DrawCall &slide = rounds.back();
            EXPECT_NEAR(top + 0.66f * 4.0f * (float)(4 - c.placed) * c.fraction, slide.v[1], 1e-3);
            EXPECT_NEAR(0.75f * fminf(a, fminf(5.0f * c.fraction, 1.0f)), slide.alpha, 1e-5);
        }
    }
    // A timer above the reload time shows an empty, invisible magazine; none below 0.01 s.
    e->reload_timer = 20.0f;
    DrawOnly(e);
    auto magazine = CallsOf("DrawBitmapRS", "game-ui/reload-magazine.png");
    ASSERT_EQ(1u, magazine.size());
    EXPECT_FLOAT_EQ(0.0f, magazine[0].alpha);
    e->reload_timer = 0.01f;
    DrawOnly(e);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "game-ui/reload-magazine.png").empty());
}

TEST_F(EntityTypesDrawTest, TheRangeRingHasHalfItsRadiusPlusTenSegmentsAtMostAThousand)
{
    Start();
    Entity *e = Spawn("MinigunTrooper", {100, 120});
    e->age = 2;
    struct Case {
        float range, zoom, highlight;
        int segments;
        float width, alpha;
    } cases[] = {
        {100, 1, 0, 60, 2.0f, 0.4f},       {100, 1, 0.5f, 60, 3.75f, 0.575f}, {100, 1, 3, 60, 5.5f, 0.75f},
        {100, 2, 0, 110, 2.0f, 0.4f},      {5000, 1, 0, 1000, 2.0f, 0.4f},    {1e30f, 1, 0, 1000, 2.0f, 0.4f},
        {0, 1, 0, 10, 2.0f, 0.4f},         {-500, 1, 0, 0, 2.0f, 0.4f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.range) + " zoom " + std::to_string(c.zoom));
        e->weapon->projectile_range = c.range;
        world->zoom = c.zoom;
        e->highlight = c.highlight;
        DrawOnly(e);
        auto ring = CallsOf("DrawBitmapLine", "game-ui/range_indicator.png");
        ASSERT_EQ((size_t)c.segments, ring.size());
        if (ring.empty())
            continue;
        const float cx = 100.0f * c.zoom, cy = 120.0f * c.zoom, r = c.range * c.zoom;
        EXPECT_NEAR(cx + r, ring[0].v[0], fmaxf(1e-3f, r * 1e-6f));
        EXPECT_NEAR(cy, ring[0].v[1], fmaxf(1e-3f, r * 1e-6f));
        EXPECT_FLOAT_EQ(ring[0].v[0], ring.back().v[2]);  // closed
        EXPECT_FLOAT_EQ(c.width, ring[0].v[4]);
        EXPECT_FLOAT_EQ(c.width, ring[0].v[5]);
        EXPECT_FLOAT_EQ(c.alpha, ring[0].v[9]);
        EXPECT_FLOAT_EQ(c.alpha, ring[0].v[13]);
        EXPECT_FLOAT_EQ(0.7f, ring[0].v[7]);
        EXPECT_EQ(1, ring[0].blend);
    }
}

TEST_F(EntityTypesDrawTest, TheWeaponIconIsTheTypesLinePlusTheRankInsideTheShopIcons)
{
    Start();
    Entity *minigun = Spawn("MinigunTrooper", {100, 120});
    Entity *sniper = Spawn("SniperTrooper", {100, 120});
    minigun->age = sniper->age = 2;
    game.upgrade_icon_size = 1.0f;
    game.show_upgrade_icon = 0;
    DrawOnly(minigun);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "shop/minigunammo.png").empty());
    game.show_upgrade_icon = 1;
    DrawOnly(minigun);
    auto icon = CallsOf("DrawBitmapRS", "shop/minigunammo.png");
    ASSERT_EQ(1u, icon.size());
    EXPECT_FLOAT_EQ(120.0f - 10.0f * 0.5f, icon[0].v[1]);
    EXPECT_FLOAT_EQ(0.5f, icon[0].v[3]);
    minigun->pos.y = 20;  // within the top 1/4.5 of the screen: below the trooper
    DrawOnly(minigun);
    icon = CallsOf("DrawBitmapRS", "shop/minigunammo.png");
    ASSERT_EQ(1u, icon.size());
    EXPECT_FLOAT_EQ(20.0f + 5.0f, icon[0].v[1]);
    // Rank 10 on the sniper line would be icon 34: none.
    DrawOnly(sniper);
    for (const DrawCall &c : CallsOf("DrawBitmapRS"))
        EXPECT_EQ(std::string::npos, c.bitmap.find("shop/")) << c.bitmap;
}

TEST_F(EntityTypesDrawTest, BodyWeaponLayerFootGlowChillAndLunge)
{
    Start();
    Entity *e = Spawn("MinigunTrooper", {100, 120});
    e->age = 0.5f;
    e->angle = 0.3f;
    e->aim_angle = 1.0f;
    e->anim_time = 0.0f;
    e->chill_time = 1.0f;
    e->recoil = 0.5f;
    DrawOnly(e);
    auto glow = CallsOf("DrawBitmapRS", "fxs/foot-glow.png");
    ASSERT_EQ(1u, glow.size());
    EXPECT_EQ(1, glow[0].blend);
    EXPECT_FLOAT_EQ(0.75f, glow[0].alpha);
    EXPECT_FLOAT_EQ(1.1f, glow[0].v[3]);
    auto body = CallsOf("DrawBitmapRS", "b/trooper.png");
    ASSERT_EQ(1u, body.size());
    EXPECT_FLOAT_EQ(Ease(0.5f), body[0].alpha);
    EXPECT_FLOAT_EQ(0.3f, body[0].v[2]);
    EXPECT_FLOAT_EQ(0.75f, body[0].r);
    EXPECT_FLOAT_EQ(0.75f, body[0].g);
    EXPECT_FLOAT_EQ(1.0f, body[0].b);
    auto gun = CallsOf("DrawBitmapRS", "b/gun.png");
    ASSERT_EQ(1u, gun.size());
    EXPECT_FLOAT_EQ(1.5f, gun[0].v[2]);  // aim + barrel angle
    EXPECT_NEAR(100.0f - 10.0f * cosf(1.0f), gun[0].v[0], 1e-4);  // kicked back 2 x radius x recoil
    EXPECT_NEAR(120.0f - 10.0f * sinf(1.0f), gun[0].v[1], 1e-4);

    // An enemy gets no foot glow; a lunge at mid-attack touches the target.
    Entity *grunt = Spawn("Grunt", {200, 120});
    grunt->age = 2;
    grunt->target = e;
    grunt->attack_phase = 0.5f;
    DrawOnly(grunt);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "fxs/foot-glow.png").empty());
    auto lunge = CallsOf("DrawBitmapRS", "b/grunt.png");
    ASSERT_EQ(1u, lunge.size());
    EXPECT_NEAR(200.0f - (100.0f - 8.0f - 10.0f), lunge[0].v[0], 1e-3);
    // Dying: the corpse frame by phase, the lunge fading.
    grunt->state = Entity::STATE_DYING;
    grunt->phase = 0.5f;
    DrawOnly(grunt);
    auto corpse = CallsOf("DrawBitmapRS", "b/corpse.png");
    ASSERT_EQ(1u, corpse.size());
    EXPECT_NEAR(200.0f - 82.0f * 0.5f, corpse[0].v[0], 1e-3);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "b/grunt.png").empty());

    // A trooper lunging is a fault the developer hears about.
    ASSERT_TRUE(prog.parms.developer_mode);
    e->target = grunt;
    grunt->state = Entity::STATE_ALIVE;
    e->attack_phase = 0.25f;
    DrawOnly(e);
    EXPECT_TRUE(apptest::Logged("Entity 'MinigunTrooper' is melee attacking 'Grunt'!!"));
}

TEST_F(EntityTypesDrawTest, ASuperWeaponShowsSixTurningStars)
{
    Start();
    Entity *e = Spawn("MinigunTrooper", {100, 120});
    e->age = 2;
    e->powerup_active = true;
    e->powerup_id = "POWERUP_SUPER_WEAPON";
    game.game_clock = 2500;  // a quarter turn
    DrawOnly(e);
    auto stars = CallsOf("DrawBitmapRS", "fxs/bluestar.png");
    ASSERT_EQ(6u, stars.size());
    const float expected[6] = {90, 210, 330, -90, -210, -330};
    for (int i = 0; i < 6; i++) {
        EXPECT_NEAR(expected[i] * kPi / 180.0f, stars[i].v[2], 1e-4) << i;
        EXPECT_FLOAT_EQ(1.1f, stars[i].v[3]);
        EXPECT_EQ(1, stars[i].blend);
    }
}

TEST_F(EntityTypesDrawTest, ASuperTrooperIsDrawnAtItsShrinkingScale)
{
    Start();
    upgrades.super_soldier_time = 20;
    Entity *e = Spawn("MinigunTrooper", {100, 120});
    e->powerup_active = true;
    e->powerup_id = "POWERUP_SUPER_TROOPER";
    e->powerup_time = 19.5f;
    e->scale = 1.5f;
    Step(e, 1, 0.25f);
    DrawOnly(e);
    auto body = CallsOf("DrawBitmapRS", "b/trooper.png");
    ASSERT_EQ(1u, body.size());
    EXPECT_NEAR(1.125f, body[0].v[3], 1e-5);
}

TEST_F(EntityTypesDrawTest, StructuresShowTheirStageBarAndForceField)
{
    Start();
    Entity *bunker = Spawn("BaseBunker", {150, 120});
    bunker->age = 2;
    struct Stage {
        float hp;
        int frame;
    } stages[] = {{1000, 0}, {750, 0}, {740, 1}, {10, 1}};
    for (const Stage &s : stages) {
        SCOPED_TRACE(s.hp);
        bunker->hit_points = s.hp;
        DrawOnly(bunker);
        auto frame = CallsOf("SetBitmapFrame", "b/bunker.png");
        ASSERT_EQ(1u, frame.size());
        EXPECT_EQ(s.frame, (int)frame[0].v[0]);
    }
    strcpy(game.base_type, "BaseBunker");
    game.base = bunker;
    bunker->hit_points = 500;
    DrawOnly(bunker);
    auto back = CallsOf("DrawBitmapRS", "game-ui/health-bunker-back.png");
    ASSERT_EQ(1u, back.size());
    EXPECT_FLOAT_EQ(159.0f, back[0].v[0]);
    EXPECT_FLOAT_EQ(145.0f, back[0].v[1]);
    EXPECT_FLOAT_EQ(0.0f, back[0].r);
    EXPECT_FLOAT_EQ(0.75f, back[0].alpha);
    auto fore = CallsOf("DrawSubBitmap", "game-ui/health-bunker-fore.png");
    ASSERT_EQ(1u, fore.size());
    EXPECT_FLOAT_EQ(159.0f - 30.0f, fore[0].v[0]);
    EXPECT_FLOAT_EQ(145.0f - 4.0f, fore[0].v[1]);
    EXPECT_FLOAT_EQ(30.0f, fore[0].v[4]);  // half the width
    EXPECT_FLOAT_EQ(8.0f, fore[0].v[5]);
    EXPECT_FLOAT_EQ(0.5f, fore[0].r);
    EXPECT_FLOAT_EQ(1.0f, fore[0].g);
    SetSmallScreen(true);
    DrawOnly(bunker);
    fore = CallsOf("DrawSubBitmap", "game-ui/health-bunker-fore.png");
    ASSERT_EQ(1u, fore.size());
    EXPECT_FLOAT_EQ(7.0f, fore[0].v[5]);
    SetSmallScreen(false);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "game-ui/bunker-force-field.png").empty());

    struct Field {
        float t;
        bool upgraded;
        float fade;
        float alpha, grow;
        size_t layers;
    } fields[] = {
        {0.5f, false, 0, 0.25f, 0.5f, 1},
        {2.25f, false, 0, 0.5f, 1.0f, 1},  // |sin(4.5 pi)| = 1
        {5.0f, false, 0, 0.5f, 1.0f, 1},
        {5.0f, true, 0.4f, 0.3f, 1.0f, 2},
    };
    game.game_clock = 0;
    for (const Field &f : fields) {
        SCOPED_TRACE(f.t);
        game.force_field_time = f.t;
        game.force_field_upgraded = f.upgraded;
        game.force_field_fade = f.fade;
        DrawOnly(bunker);
        auto field = CallsOf("DrawBitmapRS", "game-ui/bunker-force-field.png");
        ASSERT_EQ(f.layers, field.size());
        EXPECT_NEAR(f.alpha, field[0].alpha, 1e-5);
        EXPECT_EQ(1, field[0].blend);
        EXPECT_FLOAT_EQ(156.0f, field[0].v[0]);
        EXPECT_FLOAT_EQ(120.0f, field[0].v[1]);
        const float k = (1.5f - 0.5f * f.grow) * 1.2f;
        const float wobble = 2.0f * kPi * 123.0f / 500.0f;
        if (f.layers == 1) {
            EXPECT_NEAR(k * (1.0f + 0.01f * cosf(wobble + 5.0f)), field[0].v[3], 1e-5);
        } else {
            EXPECT_NEAR(-2.0f * kPi * 1000.0f / 2000.0f, field[0].v[2], 1e-5);
            EXPECT_NEAR(k * (1.0f + 0.02f * cosf(wobble)), field[0].v[3], 1e-5);
            EXPECT_NEAR(2.0f * kPi * 1400.0f / 3000.0f + 1.0f, field[1].v[2], 1e-5);
            EXPECT_NEAR(0.9f * k * (1.0f + 0.01f * cosf(wobble + 5.0f)), field[1].v[3], 1e-5);
        }
    }
    // Dying: no body, the bar fading; a MedTent without a bunker in the level.
    game.force_field_time = 0;
    bunker->state = Entity::STATE_DYING;
    bunker->phase = 0.5f;
    DrawOnly(bunker);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "b/bunker.png").empty());
    back = CallsOf("DrawBitmapRS", "game-ui/health-bunker-back.png");
    ASSERT_EQ(1u, back.size());
    EXPECT_FLOAT_EQ(0.75f * 0.25f, back[0].alpha);
    game.base = nullptr;
    Entity *tent = Spawn("MedTent", {60.5f, 40.5f});
    tent->age = 2;
    DrawOnly(tent);
    back = CallsOf("DrawBitmapRS", "game-ui/health-bunker-back.png");
    ASSERT_EQ(1u, back.size());
    EXPECT_FLOAT_EQ(60.0f, back[0].v[0]);  // truncated
    EXPECT_FLOAT_EQ(65.0f, back[0].v[1]);
}

TEST_F(EntityTypesDrawTest, PickupsFadeInBlinkBeforeTheyGoAndShrinkWhenTaken)
{
    Start();
    upgrades.powerup_disappear_time = 15;
    Entity *e = Spawn("Pickup", {100, 120});
    e->anim_time = 0.0f;
    struct Case {
        float age;
        float alpha;
    } cases[] = {{0.5f, Ease(0.5f)}, {5, 1}, {9.9f, 1}, {10.5f, 0.25f}, {11, 1.0f}, {14.25f, 0.625f}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.age);
        e->age = c.age;
        DrawOnly(e);
        auto crate = CallsOf("DrawBitmapRS", "b/crate.png");
        ASSERT_EQ(1u, crate.size());  // no power-up: no icon
        EXPECT_NEAR(c.alpha, crate[0].alpha, 1e-4);
        EXPECT_FLOAT_EQ(1.15f, crate[0].v[3]);
        EXPECT_NEAR(0.25f * sinf(2.0f), crate[0].v[2], 1e-5);
        EXPECT_TRUE(CallsOf("DrawBitmapRS", "b/never.png").empty());
    }
    Powerup carried = {};
    carried.icon = ov->OV_GetBitmap("b/icon.png");
    e->powerup = &carried;
    e->age = 5;
    e->state = Entity::STATE_DYING;
    e->phase = 0.25f;
    DrawOnly(e);
    auto drawn = CallsOf("DrawBitmapRS");
    ASSERT_EQ(2u, drawn.size());
    EXPECT_EQ("b/icon.png", drawn[0].bitmap);  // the icon first
    EXPECT_EQ("b/crate.png", drawn[1].bitmap);
    EXPECT_NEAR(1.15f * Ease(0.5f), drawn[0].v[3], 1e-5);
    e->powerup = nullptr;
}

TEST_F(EntityTypesDrawTest, AParachuteFallsInTheTopPassAndBlinksInItsLastSecond)
{
    Start();
    upgrades.powerup_disappear_time = 15;
    Entity *e = Spawn("Chute", {200, 150});
    Powerup carried = {};
    carried.icon = ov->OV_GetBitmap("b/icon.png");
    e->powerup = &carried;
    e->anim_time = 0;
    e->age = 2;
    world->drawing_top_pass = 0;
    DrawOnly(e);
    EXPECT_TRUE(calls.empty());
    world->drawing_top_pass = 1;
    DrawOnly(e);
    auto icons = CallsOf("DrawBitmapRS", "b/icon.png");
    ASSERT_EQ(2u, icons.size());
    EXPECT_FLOAT_EQ(200.0f, icons[0].v[0]);  // the shadow on the landing point
    EXPECT_FLOAT_EQ(0.0f, icons[0].r);
    EXPECT_FLOAT_EQ(0.5f, icons[0].alpha);
    EXPECT_FLOAT_EQ(200.0f - 75.0f, icons[1].v[0]);  // falling, two seconds up
    EXPECT_FLOAT_EQ(150.0f - 40.0f, icons[1].v[1]);
    EXPECT_FLOAT_EQ(1.0f, icons[1].alpha);
    auto chute = CallsOf("DrawBitmapRS", "game-ui/parachute.png");
    ASSERT_EQ(1u, chute.size());
    EXPECT_FLOAT_EQ(125.0f, chute[0].v[0]);
    EXPECT_NEAR(0.4f * cosf(2.0f), chute[0].v[2], 1e-5);
    EXPECT_NEAR(0.6f, chute[0].v[3], 1e-5);
    e->age = 4;
    DrawOnly(e);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "game-ui/parachute.png").empty());
    struct Case {
        float age, alpha;
    } cases[] = {{13.9f, 1}, {14.5f, 0.25f}, {15, 1}};
    for (const Case &c : cases) {
        e->age = c.age;
        DrawOnly(e);
        auto crate = CallsOf("DrawBitmapRS", "b/crate.png");
        ASSERT_EQ(1u, crate.size()) << c.age;
        EXPECT_NEAR(c.alpha, crate[0].alpha, 1e-4) << c.age;
    }
    e->powerup = nullptr;
    world->drawing_top_pass = 0;
}

TEST_F(EntityTypesDrawTest, FlamesStartBlueAndGrowProjectilesFadeIn)
{
    Start();
    Entity *flame = Spawn("Flame", {100, 120});
    flame->angle = 1.0f;
    flame->anim_time = 0.25f;
    struct Case {
        float age, alpha, c;
    } cases[] = {{1.0f, 0, 0}, {1.1f, 0.5f, 0.2f}, {1.25f, 1, 0.5f}, {1.5f, 1, 1}, {4, 1, 1}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.age);
        flame->age = k.age;
        DrawOnly(flame);
        auto drawn = CallsOf("DrawBitmapRS");
        ASSERT_EQ(2u, drawn.size());
        EXPECT_EQ("b/flame2.png", drawn[0].bitmap);
        EXPECT_EQ("b/flame.png", drawn[1].bitmap);
        EXPECT_NEAR(k.alpha, drawn[1].alpha, 1e-5);
        EXPECT_NEAR(k.c, drawn[1].r, 1e-5);
        EXPECT_NEAR(0.5f * k.c, drawn[1].g, 1e-5);
        EXPECT_FLOAT_EQ(0.25f, drawn[1].b);
        EXPECT_EQ(1, drawn[1].blend);
        EXPECT_NEAR(fminf(k.age / 3.0f, 1.0f) * 2.0f * 1.2f, drawn[1].v[3], 1e-5);
        EXPECT_FLOAT_EQ(0.75f, drawn[1].v[2]);
    }
    flame->age = 2;
    flame->state = Entity::STATE_DYING;
    flame->phase = 0.5f;
    DrawOnly(flame);
    EXPECT_FLOAT_EQ(0.5f, CallsOf("DrawBitmapRS", "b/flame.png")[0].alpha);

    Entity *pellet = Spawn("Pellet", {100, 120});
    struct Simple {
        float age, phase;
        bool dying;
        float alpha;
    } simple[] = {{0.05f, 0, false, 0.5f}, {1, 0, false, 1}, {1, 0.2f, true, 0.4f}, {1, 0.5f, true, 0}};
    for (const Simple &s : simple) {
        pellet->age = s.age;
        pellet->state = s.dying ? Entity::STATE_DYING : Entity::STATE_ALIVE;
        pellet->phase = s.phase;
        DrawOnly(pellet);
        auto drawn = CallsOf("DrawBitmapRS", "b/pellet.png");
        ASSERT_EQ(1u, drawn.size());
        EXPECT_NEAR(s.alpha, drawn[0].alpha, 1e-5);
        EXPECT_EQ(1, drawn[0].blend);
    }
}

TEST_F(EntityTypesDrawTest, TrailsStartAtTheLaunchPointUntilTheyAreLongerThanTheWeaponsTrail)
{
    Start();
    Entity *e = Spawn("Tracer", {30, 100});
    e->origin = {0, 100};
    e->age = 1.5f;
    struct Case {
        float x;
        const char *weapon;
        float tail_x;
    } cases[] = {{30, nullptr, 0}, {49, nullptr, 0}, {100, nullptr, 50}, {100, "Minigun", 80}, {15, "Minigun", 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.x);
        e->pos.x = c.x;
        e->weapon = c.weapon ? Weapon::GetWeapon(c.weapon) : nullptr;
        DrawOnly(e);
        auto line = CallsOf("DrawBitmapLine", "b/trail.png");
        ASSERT_EQ(1u, line.size());
        EXPECT_NEAR(c.tail_x, line[0].v[0], 0.1);  // the fast reciprocal square root
        EXPECT_FLOAT_EQ(100.0f, line[0].v[1]);
        EXPECT_FLOAT_EQ(c.x, line[0].v[2]);
        EXPECT_FLOAT_EQ(2.1f, line[0].v[4]);
        EXPECT_FLOAT_EQ(2.2f, line[0].v[5]);
        EXPECT_FLOAT_EQ(0.0f, line[0].v[9]);
        EXPECT_FLOAT_EQ(1.0f, line[0].v[13]);
        EXPECT_EQ(1u, CallsOf("DrawBitmapRS", "b/head.png").size());
    }
    e->state = Entity::STATE_DYING;
    e->phase = 0.1f;
    DrawOnly(e);
    auto line = CallsOf("DrawBitmapLine", "b/trail.png");
    ASSERT_EQ(1u, line.size());
    EXPECT_NEAR(0.7f, line[0].v[13], 1e-5);
    EXPECT_TRUE(CallsOf("DrawBitmapRS", "b/head.png").empty());
}

TEST_F(EntityTypesDrawTest, WalkCycleFramesForwardPingPongAndNone)
{
    Start();
    ov_bitmap_t eight = {};
    eight.num_frames = 8;
    EntityType forward("F"), pingpong("P"), none("N");
    pingpong.move_anim_pingpong = true;
    none.move_anim_none = true;
    struct Case {
        EntityType *type;
        float phase;
        int frame;
    } cases[] = {
        {&forward, 0.0f, 0}, {&forward, 0.5f, 4},   {&forward, 0.99f, 7},  {&forward, 5.0f, 7},
        {&forward, -1, 0},   {&pingpong, 0.0f, 0},  {&pingpong, 0.25f, 4}, {&pingpong, 0.5f, 7},
        {&pingpong, 0.75f, 4}, {&pingpong, 0.99f, 1}, {&none, 0.7f, 0},
    };
    orvex_t saved = *ov;
    static int last_frame;
    ov->OV_SetBitmapFrame = [](ov_bitmap_t *, int f) { last_frame = f; };
    for (const Case &c : cases) {
        last_frame = -99;
        c.type->SetMoveAnimFrame(&eight, c.phase);
        EXPECT_EQ(c.frame, last_frame) << c.type->name << " " << c.phase;
    }
    *ov = saved;
}

namespace {
std::map<std::string, int> fetched;
orvex_t before_counting;
ov_bitmap_t *CountingGetBitmap(const char *name)
{
    fetched[name ? name : ""]++;
    return before_counting.OV_GetBitmap(name);
}
}  // namespace

TEST_F(EntityTypesDrawTest, BitmapsDrawnByNameAreLookedUpOnceNotPerFrame)
{
    Start();
    Entity *trooper = Spawn("MinigunTrooper", {100, 120});
    trooper->powerup_active = true;
    trooper->powerup_id = "POWERUP_SUPER_WEAPON";
    Entity *bunker = Spawn("BaseBunker", {150, 120});
    Entity *chute = Spawn("Chute", {200, 150});
    chute->age = 1;
    game.force_field_time = 2;
    world->drawing_top_pass = 1;
    fetched.clear();
    before_counting = *ov;
    ov->OV_GetBitmap = CountingGetBitmap;
    for (int frame = 0; frame < 5; frame++)
        for (Entity *e : {trooper, bunker, chute})
            e->type->Draw(e);
    *ov = before_counting;
    world->drawing_top_pass = 0;
    EXPECT_EQ(6u * 5u, CallsOf("DrawBitmapRS", "fxs/bluestar.png").size());
    EXPECT_EQ(5u, CallsOf("DrawBitmapRS", "game-ui/bunker-force-field.png").size());
    EXPECT_EQ(5u, CallsOf("DrawBitmapRS", "game-ui/parachute.png").size());
    for (const auto &f : fetched)
        EXPECT_LE(f.second, 1) << f.first;
}
