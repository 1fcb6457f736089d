// The controls on the headless engine: the game fixture's world with a squad of fixture
// entity types, the battle screen "Game" on top of the stack handing every engine event
// to `controls` (as the battle does), fixture screens "Shop" and "PickReinforcement"
// pushed by name, and a fresh active profile. Touches are injected through the headless
// device and reach the controls through the engine and the screen manager.
#ifndef TESTS_GAME_CONTROLS_FIXTURE_H
#define TESTS_GAME_CONTROLS_FIXTURE_H

#include "tests/game/game_fixture.h"

#include "app/services/profiles.h"
#include "game/controls.h"
#include "platform/headless.h"

struct Entity;

namespace controlstest {

// The battle screen's share of input: every event goes to the controls.
class BattleScreen : public uitest::ProbeScreen {
public:
    BattleScreen() : uitest::ProbeScreen("Game") {}
    int ProcessEvent(ov_event_t *event) override;
    int handled = 0;  // events the controls reported consumed
};

class ControlsTest : public gametest::GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Engine, world (fixture types "Trooper", "Alien", "Bunker", "Pickup"), the screens
    // and the profile; the battle is on top of the stack. Controls initialised with `flags`.
    // The display is display_w x display_h device pixels; the battle's reference layout
    // is always 1024 x 768.
    void StartBattle(int flags = CONTROLS_TOUCH_COMMANDS, int display_w = 1024, int display_h = 768);
    // Files a test needs before the world loads its assets (fonts, bitmaps).
    virtual void WriteAssets() {}
    Entity *Spawn(const char *type, float x, float y);
    // One touch event of that id at (x, y) device pixels, delivered by one engine frame.
    void Touch(ovdev::headless::TouchPhase phase, int id, int x, int y);
    // The same with any touch id, also ones the device's touch helper refuses.
    void RawTouch(int screen_event_type, int id, int x, int y);
    // A key pressed and released on the device, delivered by one engine frame.
    void Key(int symbol);
    // A key goes down (and stays held) or comes up; one engine frame delivers it.
    void KeyDown(int symbol);
    void KeyUp(int symbol);
    void AddProfileTag(const char *category, const char *id);
    bool ProfileHas(const char *category, const char *id);

    BattleScreen *battle = nullptr;
    uitest::ProbeScreen *shop = nullptr;
    Profile profile;
};

}  // namespace controlstest

#endif
