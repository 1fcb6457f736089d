// The entity drawings on the headless GLES renderer, read back as pixels: a trooper
// with its path arrows, foot glow, range ring, reload magazine and health bar; a
// bunker with its force field; a pick-up, a falling parachute, a flame and a trailed
// projectile. The frame is also written as a PNG for a person to look at.
#include "tests/support/headless_engine.h"
#include "tests/game/entities/test_entity_types_fixture.h"

#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "tests/app/ui/widget_fixture.h"

#include <sys/stat.h>

#include <string>
#include <vector>

using namespace enttypestest;
using widgettest::Rgba;

namespace {


const char *kTypes =
    "<node id=\"MinigunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" scale=\"1\""
    " radius=\"10\" weapon=\"Minigun\" bm_move=\"b/trooper.png\" bm_move2=\"b/gun.png\" barrel_angle=\"0\"/>\n"
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""
    " hit_points=\"1000\" scale=\"1\" bm_move=\"b/bunker.png\"/>\n"
    "<node id=\"Pickup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" scale=\"1\""
    " bm_move2=\"b/crate.png\"/>\n"
    "<node id=\"Chute\" type=\"PowerupParachute\" flags=\"POWERUP\" friend_group=\"PLAYERS\" scale=\"1\""
    " bm_move2=\"b/crate.png\"/>\n"
    "<node id=\"Flame\" type=\"ProjectileFlame\" flags=\"PROJECTILE\" friend_group=\"PLAYERS\" scale=\"2\""
    " color_r=\"1\" color_g=\"0.5\" color_b=\"0.1\" bm_move=\"b/flame.png\"/>\n"
    "<node id=\"Tracer\" type=\"ProjectileTrailed\" flags=\"PROJECTILE\" friend_group=\"PLAYERS\" scale=\"1\""
    " bm_move=\"b/head.png\" bm_move2=\"b/trail.png\"/>\n";

const char *kWeapons = "<node id=\"Minigun\" reload_time=\"2\" projectile_range=\"60\" trail_length=\"80\"/>\n";

const int kBackground = 50;

class EntityTypesPixelsTest : public EntityTypesTest {};

bool Near(const Rgba &c, int r, int g, int b, int tolerance)
{
    return abs(c[0] - r) <= tolerance && abs(c[1] - g) <= tolerance && abs(c[2] - b) <= tolerance;
}

// A w x h region of the frame from (x0, y0), each pixel blown up to z x z.
widgettest::Frame Zoomed(const widgettest::Frame &f, int x0, int y0, int w, int h, int z)
{
    widgettest::Frame out;
    out.w = w * z;
    out.h = h * z;
    out.px.resize((size_t)out.w * out.h * 4);
    for (int y = 0; y < out.h; y++)
        for (int x = 0; x < out.w; x++) {
            const Rgba c = f.At(x0 + x / z, y0 + y / z);
            for (int k = 0; k < 4; k++)
                out.px[((size_t)y * out.w + x) * 4 + k] = (unsigned char)(c[k] < 0 ? 0 : c[k]);
        }
    return out;
}

std::string Show(const Rgba &c)
{
    return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) + ")";
}

}  // namespace

TEST_F(EntityTypesPixelsTest, ABattlefieldOfEntitiesDrawsEveryPart)
{
    WriteImage("b/trooper.png", 16, 16, 40, 200, 40);
    WriteImage("b/gun.png", 20, 4, 90, 90, 90);
    WriteImage("b/bunker.png", 48, 32, 150, 150, 150);
    WriteImage("b/crate.png", 8, 8, 230, 140, 20);
    WriteImage("b/icon.png", 12, 12, 220, 40, 220);
    WriteImage("b/flame.png", 16, 16, 255, 255, 255);
    WriteImage("b/head.png", 6, 6, 255, 255, 0);
    WriteImage("b/trail.png", 4, 4, 255, 255, 255);
    StartWorld(kTypes, kWeapons, "", 480, 320);
    // A canopy over a transparent lower half, so the crate shows beneath it.
    widgettest::WritePng("game-ui/parachute.png", 32, 24,
                         [](int, int y) { return y < 12 ? Rgba{245, 245, 245, 255} : Rgba{0, 0, 0, 0}; });
    upgrades = Upgrades();
    game.upgrade_icon_size = 0.0f;

    // The trooper: wounded, reloading, holding a path that runs down from it.
    Entity *trooper = Spawn("MinigunTrooper", {90, 110});
    trooper->age = 2;
    trooper->anim_time = 0;
    trooper->hit_points = 60;
    trooper->reload_timer = 1.0f;
    trooper->path = new MovePath;
    for (int y = 110; y <= 200; y += 10)
        trooper->path->AddPoint({90, (float)y});
    trooper->path->held = true;

    Entity *bunker = Spawn("BaseBunker", {250, 80});
    bunker->age = 2;
    game.base = bunker;
    game.force_field_time = 5.0f;

    Powerup carried = {};
    carried.icon = ov->OV_GetBitmap("b/icon.png");
    Entity *pickup = Spawn("Pickup", {60, 250});
    pickup->age = 2;
    pickup->anim_time = 0;
    pickup->powerup = &carried;
    Entity *chute = Spawn("Chute", {200, 290});
    chute->age = 2;
    chute->anim_time = 0;
    chute->powerup = &carried;

    Entity *flame = Spawn("Flame", {400, 220});
    flame->age = 2;
    flame->angle = 0;
    flame->anim_time = 0;
    Entity *tracer = Spawn("Tracer", {440, 40});
    tracer->origin = {330, 40};
    tracer->weapon = Weapon::GetWeapon("Minigun");

    std::vector<Entity *> all = {trooper, bunker, pickup, flame, tracer};
    apptest::draw = [&](float) {
        ov->OV_ClearScreen(kBackground / 255.0f, kBackground / 255.0f, kBackground / 255.0f);
        for (Entity *e : all)
            e->type->Draw(e);
        world->drawing_top_pass = 1;
        chute->type->Draw(chute);
        world->drawing_top_pass = 0;
    };
    DrawFrame();
    const widgettest::Frame f = widgettest::ReadFrame();
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("ent-types", "entities.png")));
    EXPECT_TRUE(widgettest::SavePng(Zoomed(f, 60, 80, 64, 56, 6), enginetest::ShotPath("ent-types", "trooper-zoomed.png")));

    struct Probe {
        const char *what;
        int x, y;
        bool (*check)(const Rgba &);
        bool everywhere;  // every pixel within one of the point must pass (an absence)
    } probes[] = {
        {"background", 470, 310, [](const Rgba &c) { return Near(c, kBackground, kBackground, kBackground, 2); }, true},
        {"trooper body", 84, 116, [](const Rgba &c) { return c[1] > 150 && c[0] < 80 && c[2] < 80; }, false},
        {"foot glow beside the body", 101, 110, [](const Rgba &c) { return c[2] > 120 && c[2] > c[0] + 40; }, false},
        {"range ring", 150, 110, [](const Rgba &c) { return c[1] > c[0] + 30 && c[1] > c[2] + 30; }, false},
        {"path arrow below", 90, 160, [](const Rgba &c) { return c[0] > 110 && c[1] > 110 && c[2] > 110; }, false},
        {"reload magazine over the body", 90, 104, [](const Rgba &c) { return c[0] > 120 && c[2] > 120; }, false},
        {"health bar filled part", 82, 122, [](const Rgba &c) { return c[1] > 150 && c[2] < 60; }, false},
        {"health bar empty part", 100, 122, [](const Rgba &c) { return c[1] < 80 && c[0] < 80; }, false},
        {"bunker body under the additive field", 240, 80, [](const Rgba &c) { return Near(c, 190, 230, 255, 15); }, false},
        {"force field beyond the bunker", 288, 80, [](const Rgba &c) { return c[2] > 110 && c[2] > c[0] + 40; }, false},
        {"bunker health bar", 259, 105, [](const Rgba &c) { return c[1] > 200 && c[0] < 70; }, false},
        {"pick-up crate", 60, 250, [](const Rgba &c) { return Near(c, 230, 140, 20, 20); }, false},
        {"pick-up icon around the crate", 66, 250, [](const Rgba &c) { return Near(c, 220, 40, 220, 25); }, false},
        {"parachute shadow", 200, 290, [](const Rgba &c) { return c[0] < kBackground - 10; }, false},
        {"falling crate", 125, 252, [](const Rgba &c) { return Near(c, 230, 140, 20, 20); }, false},
        {"parachute", 125, 245, [](const Rgba &c) { return c[0] > 200 && c[1] > 200 && c[2] > 200; }, false},
        {"flame", 400, 220, [](const Rgba &c) { return c[0] > 240 && c[1] > 150 && c[2] < 120; }, false},
        {"trail near the head", 430, 40, [](const Rgba &c) { return c[0] > 150 && c[2] > 150; }, false},
        {"no trail before its length", 350, 40, [](const Rgba &c) { return Near(c, kBackground, kBackground, kBackground, 2); }, true},
        {"projectile head", 440, 40, [](const Rgba &c) { return c[0] > 200 && c[1] > 200 && c[2] < 120; }, false},
    };
    // Thin lines may fall a pixel either way: a probe passes when a pixel within one
    // of its point does.
    for (const Probe &p : probes) {
        int passed = 0;
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                passed += p.check(f.At(p.x + dx, p.y + dy)) ? 1 : 0;
        EXPECT_TRUE(p.everywhere ? passed == 9 : passed > 0) << p.what << " at (" << p.x << ", " << p.y << ") is " << Show(f.At(p.x, p.y));
    }
    game.base = nullptr;
    pickup->powerup = chute->powerup = nullptr;
}
