// The reinforcement choice through injected taps and keys: the buttons of the unlocked
// classes, the 0.3 s gate after the fade-in, one trooper for two quick taps, Escape,
// a full squad (the pick is kept) and a profile without any class.
#include "tests/game/screens/test_economy_fixture.h"

#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/screens/pick-reinforcement.h"
#include "platform/screen.h"

#include <gtest/gtest.h>

namespace {

using economytest::EconomyTest;

const char *const kButtons[] = {"Minigun", "Shotgun", "Bazooka", "Pyro", "Sniper"};

class ReinforcementScreenTest : public EconomyTest {
protected:
    void SetUp() override
    {
        EconomyTest::SetUp();
        StartEconomy();
        MakeBunker(1000.0f);
        game.wave_number = 7;
    }
    ScreenPickReinforcement &Pick() { return GetPickReinforcementScreen(); }
    int Count(const char *type) { return world->GetNumberOfEntitiesOfType(world->stock->GetEntityType(type)); }
    int AllTroopers()
    {
        int n = 0;
        for (const char *t : {"MinigunTrooper", "ShotgunTrooper", "BazookaTrooper", "PyroTrooper", "SniperTrooper"})
            n += Count(t);
        return n;
    }
    void TapButton(const char *name)
    {
        vec2_t c = Centre(&Pick(), name);
        Tap((int)c.x, (int)c.y);
    }
    // Opens the screen with its clock at 0 once it has fully faded in.
    void OpenFresh()
    {
        Open(&Pick());
        Pick().timer = 0.0;
    }
};

TEST_F(ReinforcementScreenTest, ButtonsOfTheUnlockedClassesAndTheWave)
{
    Unlock("SHOTGUN_TROOPER PYRO_TROOPER");
    sman.reset_next_frame_time_delta.store(false);
    sman.PushScreen(&Pick(), 0);
    EXPECT_TRUE(sman.reset_next_frame_time_delta.load());  // the battle skips the time the screen was up
    Run(25, 0.02f);
    const bool shown[] = {false, true, false, true, false};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(shown[i], Pick().GetComp(kButtons[i])->visible) << kButtons[i];
    EXPECT_EQ("For Level 7", TextOf(&Pick(), "Level"));
    Shot("pick-reinforcement.png");
}

TEST_F(ReinforcementScreenTest, TapsCountOnly0point3SecondsAfterTheFadeIn)
{
    Unlock("SHOTGUN_TROOPER");
    sman.PushScreen(&Pick(), 0);
    // The clock stands while the screen fades in.
    Run(5, 0.02f);
    ASSERT_LT(Pick().trans_phase, 1.0f);
    EXPECT_DOUBLE_EQ(0.0, Pick().timer);
    Run(20, 0.02f);
    Pick().timer = 0.0;
    Pick().ProcessUICompClick(Pick().GetComp("Shotgun"), 0);
    Run(14, 0.02f);  // 0.28 s
    Pick().ProcessUICompClick(Pick().GetComp("Shotgun"), 0);
    EXPECT_EQ(0, AllTroopers());
    EXPECT_FALSE(Pick().leaving);
    Run(2, 0.02f);  // 0.32 s
    TapButton("Shotgun");
    EXPECT_EQ(1, Count("ShotgunTrooper"));
    EXPECT_TRUE(Pick().leaving);
    Run(30, 0.02f);
    EXPECT_FALSE(sman.IsScreenInStack(&Pick()));
}

TEST_F(ReinforcementScreenTest, TwoQuickTapsBringOneTrooper)
{
    Unlock("SHOTGUN_TROOPER BAZOOKA_TROOPER");
    OpenFresh();
    Run(20, 0.02f);
    TapButton("Bazooka");
    TapButton("Shotgun");
    Pick().ProcessUICompClick(Pick().GetComp("Shotgun"), 0);  // even when it reaches the screen
    EXPECT_EQ(1, Count("BazookaTrooper"));
    EXPECT_EQ(1, AllTroopers());
    // A tap on anything else spawns nothing and keeps the screen open.
    Run(30, 0.02f);
    OpenFresh();
    Run(20, 0.02f);
    TapButton("Level");
    Pick().ProcessUICompClick(Pick().GetComp("Level"), 0);
    EXPECT_FALSE(Pick().leaving);
    EXPECT_EQ(1, AllTroopers());
}

TEST_F(ReinforcementScreenTest, EscapePicksTheMinigunEvenWhenHidden)
{
    Unlock("SNIPER_TROOPER");
    OpenFresh();
    EXPECT_FALSE(Pick().GetComp("Minigun")->visible);
    Key(ovdev::KEYCODE_ESCAPE);  // within the gate: ignored (the engine's key 27)
    EXPECT_EQ(0, AllTroopers());
    Run(20, 0.02f);
    Key(ovdev::KEYCODE_ESCAPE);
    EXPECT_EQ(1, Count("MinigunTrooper"));
    EXPECT_TRUE(Pick().leaving);
}

TEST_F(ReinforcementScreenTest, FullSquadKeepsThePick)
{
    Unlock("MINIGUN_TROOPER");
    Troopers(3);  // squad of 3
    game.troopers_to_pick = 0;
    OpenFresh();
    Run(20, 0.02f);
    TapButton("Minigun");
    EXPECT_TRUE(Pick().leaving);
    EXPECT_EQ(3, AllTroopers());
    EXPECT_EQ(1, game.troopers_to_pick);  // offered again once a trooper falls
}

TEST_F(ReinforcementScreenTest, WithoutAnyClassTheMinigunIsOffered)
{
    OpenFresh();
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(i == 0, Pick().GetComp(kButtons[i])->visible) << kButtons[i];
    Run(20, 0.02f);
    TapButton("Minigun");
    EXPECT_EQ(1, Count("MinigunTrooper"));
}

}  // namespace
