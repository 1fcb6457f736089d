// The HUD fixture (see hud_fixture.h).
#include "tests/support/headless_engine.h"
#include "tests/game/hud_fixture.h"

#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/ui/partfx.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace hudtest {

using widgettest::Rgba;

const Rgba kPanel = {200, 110, 30, 255};
const Rgba kMarker = {255, 0, 0, 255};
const Rgba kNotch = {0, 0, 255, 255};
const Rgba kStar = {255, 255, 0, 255};
const Rgba kStarsBg = {0, 160, 0, 255};

std::vector<std::string> HudTest::commands;
std::string HudTest::features;
bool HudTest::game_center = false;

namespace {

const char *(*engine_extension)(const char *, const char *) = nullptr;

const char *FakeExtension(const char *command, const char *argument)
{
    const std::string c = command ? command : "", a = argument ? argument : "";
    if (c == "ProgramInfo" && a == "Features")
        return HudTest::features.c_str();
    if (c == "GetProductValue" && a == "reference_resolution")
        return "1024x768";
    if (c == "GetProductValue")
        return nullptr;
    if (c == "GameCenter" && a == "IsAvailable")
        return HudTest::game_center ? "1" : nullptr;
    if (c == "LogEvent" || c == "GameCenter") {
        HudTest::commands.push_back(c + "|" + a);
        return nullptr;
    }
    return engine_extension ? engine_extension(command, argument) : nullptr;
}

void Solid(const std::string &name, int w, int h, const Rgba &colour)
{
    widgettest::WritePng(name, w, h, [&](int, int) { return colour; });
}

}  // namespace

void HudTest::SetUp()
{
    GameTest::SetUp();
    commands.clear();
    features.clear();
    game_center = false;
    StartGame(1024, 768);
    if (HasFatalFailure())
        return;
    widgettest::InstallFonts();
    Solid("game-ui/waves-progress-panel.png", 400, 40, kPanel);
    Solid("game-ui/waves-progress-marker.png", 16, 16, kMarker);
    Solid("game-ui/waves-progress-notch.png", 4, 16, kNotch);
    Solid("game-ui/star.png", 20, 20, kStar);
    Solid("game-ui/stars_bg.png", 150, 30, kStarsBg);
    Solid("fxs/star.png", 8, 8, {255, 255, 255, 255});
    // One long-lived particle per burst: the live count tells the bursts apart.
    apptest::WriteFile("fxs/star-lost.lua", "FXParm (\"num_parts\", 1);\nFXParm (\"bitmap\", \"fxs/star.png\");\n"
                                            "FXParm (\"age_to_die\", 10, 10);\nAddFX ();\n");
    WriteEntities("<node id=\"BaseBunker\" flags=\"NORMAL\" hit_points=\"100\"/>");
    engine_extension = ov->OV_CallExtension;
    ov->OV_CallExtension = FakeExtension;
    feature_man.Initialize();
    MakeWorld();
    battle = MakeScreen("Game");
    AddComp(battle, "Progress", 312, 20, 400, 40);
    profile.Reset("1.xml");
    prof = &profile;
}

void HudTest::TearDown()
{
    if (prof == &profile)
        prof = nullptr;
    if (engine_extension) {
        ov->OV_CallExtension = engine_extension;
        engine_extension = nullptr;
    }
    apptest::draw = nullptr;
    GameTest::TearDown();
}

void HudTest::SetFeatures(const std::string &text)
{
    features = text;
    feature_man.Initialize();
}

widgettest::Frame HudTest::Draw(const std::function<void()> &draw)
{
    apptest::draw = [&draw](float) {
        ov->OV_ClearScreen(100.0f / 255.0f, 100.0f / 255.0f, 100.0f / 255.0f);
        ov->OV_PushTransform(nullptr);  // the battle screen's reference scaling
        draw();
        ov->OV_PopTransform();
    };
    DrawFrame();
    apptest::draw = nullptr;
    return widgettest::ReadFrame();
}

void HudTest::Shot(const widgettest::Frame &f, const std::string &name)
{
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("hud", name)));
}

int CountPixels(const widgettest::Frame &f, int x0, int y0, int x1, int y1,
                const std::function<bool(const widgettest::Rgba &)> &lit)
{
    int n = 0;
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            if (x >= 0 && y >= 0 && x < f.w && y < f.h && lit(f.At(x, y)))
                n++;
    return n;
}

std::function<bool(const widgettest::Rgba &)> Near(const widgettest::Rgba &colour)
{
    return [colour](const widgettest::Rgba &p) {
        return abs(p[0] - colour[0]) < 40 && abs(p[1] - colour[1]) < 40 && abs(p[2] - colour[2]) < 40;
    };
}

bool White(const widgettest::Rgba &p)
{
    return p[0] > 200 && p[1] > 200 && p[2] > 200;
}

}  // namespace hudtest
