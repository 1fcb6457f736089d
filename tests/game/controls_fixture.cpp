// The controls fixture (see controls_fixture.h).
#include "tests/game/controls_fixture.h"

#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "platform/screen.h"

namespace controlstest {

namespace hl = ovdev::headless;

int BattleScreen::ProcessEvent(ov_event_t *event)
{
    events++;
    if (controls.ProcessEvent(event))
        handled++;
    return 0;
}

void ControlsTest::SetUp()
{
    gametest::GameTest::SetUp();
    controls.Reset();
}

void ControlsTest::TearDown()
{
    controls.Reset();
    controls.Init(0);
    if (prof == &profile)
        prof = nullptr;
    battle = nullptr;
    shop = nullptr;
    gametest::GameTest::TearDown();
}

void ControlsTest::StartBattle(int flags, int display_w, int display_h)
{
    if (display_w == 1024 && display_h == 768) {
        StartGame(1024, 768);
    } else {
        // The game fixture's start with a reference layout other than the display.
        StartUI(display_w, display_h, 1024, 768);
        WriteWeapons("");
        WritePowerups("");
        apptest::WriteFile("spawn-groups.xml", gametest::XmlArray("groups", ""));
        apptest::WriteFile("spawn-events.xml", gametest::XmlArray("events", ""));
        apptest::WriteFile("gameplay-global.xml", gametest::XmlArray("gameplay", ""));
    }
    WriteEntities(
        "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
        " hit_points=\"100\"/>\n"
        "<node id=\"Alien\" flags=\"NORMAL\" friend_group=\"ENEMIES\" radius=\"10\" scale=\"1\""
        " hit_points=\"50\"/>\n"
        "<node id=\"Bunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""
        " radius=\"50\" scale=\"1\" hit_points=\"1000\" ai=\"BaseBunker\"/>\n"
        "<node id=\"Pickup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" radius=\"10\""
        " scale=\"1\" hit_points=\"1\"/>");
    WriteAssets();
    MakeWorld();
    profile.Reset("1.xml");
    prof = &profile;
    shop = MakeScreen("Shop");
    MakeScreen("PickReinforcement");
    battle = new BattleScreen();
    screens_.push_back(battle);
    Screen::PreLoadScreen(battle);
    sman.PushScreen(battle, 0);
    Steps(20, 0.05f);  // the battle takes input once shown in full
    controls.Init(flags);
    controls.Reset();
}

Entity *ControlsTest::Spawn(const char *type, float x, float y)
{
    Entity *e = world->SpawnEntity(world->stock->GetEntityType(type), vec2_t{x, y});
    EXPECT_NE(e, nullptr) << type;
    return e;
}

void ControlsTest::Touch(hl::TouchPhase phase, int id, int x, int y)
{
    ASSERT_TRUE(hl::inject_touch(phase, id, x, y));
    PumpFrame();
}

void ControlsTest::RawTouch(int screen_event_type, int id, int x, int y)
{
    using namespace ovdev;
    ASSERT_TRUE(hl::inject_raw(DOMAIN_SCREEN, (unsigned)screen_event_type,
                               {{SCREEN_PROPERTY_TYPE, {screen_event_type}},
                                {SCREEN_PROPERTY_POSITION, {x, y}},
                                {SCREEN_PROPERTY_TOUCH_ID, {id}}}));
    PumpFrame();
}

void ControlsTest::Key(int symbol)
{
    ASSERT_TRUE(hl::inject_key(symbol, true));
    ASSERT_TRUE(hl::inject_key(symbol, false));
    PumpFrame();
}

void ControlsTest::KeyDown(int symbol)
{
    ASSERT_TRUE(hl::inject_key(symbol, true));
    PumpFrame();
}

void ControlsTest::KeyUp(int symbol)
{
    ASSERT_TRUE(hl::inject_key(symbol, false));
    PumpFrame();
}

void ControlsTest::AddProfileTag(const char *category, const char *id)
{
    profile.AddTag(category, id);
}

bool ControlsTest::ProfileHas(const char *category, const char *id)
{
    return profile.TagExists(category, id);
}

}  // namespace controlstest
