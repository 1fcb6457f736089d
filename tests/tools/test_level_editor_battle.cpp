// The level editor beside the real battle road: an editor that built the world first
// leaves the loader transition its other first-battle steps, and importing the running
// battle's own level does not disturb the battle.
#include "tools/level-editor.h"

#include "app/services/dataman.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/screens/battle-screen.h"
#include "game/screens/loader-transition.h"
#include "tests/game/screens/battle_screens_fixture.h"

#include <gtest/gtest.h>

namespace {

class LevelEditorBattle : public screentest::BattleScreensTest {
protected:
    void SetUp() override
    {
        BattleScreensTest::SetUp();
        StartScreens(1024, 768);
        if (HasFatalFailure())
            return;
        apptest::WriteFile("terrain/assets.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"backgrounds\" />"
                                                 "</root>\n");
        apptest::WriteFile("ui/level-editor.lua", "");
    }
    void TearDown() override
    {
        editor.FreeUI();
        BattleScreensTest::TearDown();
    }
    ScreenLevelEditor editor;
};

TEST_F(LevelEditorBattle, TheEditorsWorldServesTheBattleAndTheImportLeavesItsLevel)
{
    loader->world_ready = false;
    ASSERT_EQ(nullptr, world->stock);
    editor.PreLoad();
    editor.Enter();  // builds the world once
    Stock *stock = world->stock;
    ASSERT_NE(nullptr, stock);
    // A mark a rebuilt stock would not carry (a fresh one loads its own large font).
    ASSERT_NE(nullptr, stock->font_medium);
    ASSERT_NE(stock->font_medium, stock->font_large);
    ov_font_t *large = stock->font_large;
    stock->font_large = stock->font_medium;

    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_4");
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game") && battle->trans_phase >= 1.0f; }));
    EXPECT_TRUE(loader->world_ready);
    EXPECT_EQ(stock, world->stock);  // not built a second time
    EXPECT_EQ(world->stock->font_medium, world->stock->font_large);
    world->stock->font_large = large;
    EXPECT_STREQ("levels/field.xml", game.parms.level_file);

    DMDatabase *level = dman().GetDatabase("levels/field.xml");
    ASSERT_TRUE(editor.ImportTerrain("levels/field.xml"));
    EXPECT_FLOAT_EQ(900.0f, editor.bunker.x);
    EXPECT_EQ(level, dman().GetDatabase("levels/field.xml"));
    EXPECT_STREQ("SPAWN", level->GetValue("waves", 1, "type"));

    // The battle goes on over the same level.
    double clock = game.game_clock;
    Frames(60);
    EXPECT_TRUE(OnTop("Game"));
    EXPECT_GT(game.game_clock, clock);
}

}  // namespace
