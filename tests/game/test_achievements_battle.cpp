// Achievement popups hold the end screens: battles driven frame by frame end in a loss
// or a win; the unlocks that the end earned are shown one by one on
// "AchievementUnlocked" before the result screen is pushed.
#include "tests/game/battle_driver.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "game/achievements.h"
#include "game/entities/entity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using battletest::Array;
using battletest::BattleTest;
using battletest::LevelXml;

class AchievementBattleTest : public BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartBattleWorld();
        apptest::WriteFile("achievements/achievements.xml",
                           gametest::XmlArray("ACHIEVEMENTS", "<node id=\"tactical_retreat\"/>\n"
                                                              "<node id=\"not_a_scratch\"/>\n"
                                                              "<node id=\"they_just_keep_coming\" amount=\"100\"/>"));
        dman().ReleaseDatabase("achievements/achievements.xml");
    }
    // A LEVEL mission whose script waits long before its only wave.
    void StartWaitingLevel()
    {
        StartLevel(GAME_MODE_LEVEL,
                   LevelXml(Array("environment", "<node id=\"bunker\" x=\"900\" y=\"384\"/>") + Array("gameplay", "") +
                            Array("waves", "<node type=\"DELAY\" delay=\"600\"/>\n<node type=\"WAVE_START\"/>")));
    }
    std::vector<std::string> Popups() { return uitest::CallsOf("AchievementUnlocked:Message"); }
    Screen *Top() { return sman.PeekScreen(0); }
};

TEST_F(AchievementBattleTest, ALossWithoutKillsShowsTacticalRetreatBeforeLevelLost)
{
    StartWaitingLevel();
    Frames(5);
    ASSERT_FALSE(game.lost);
    // Every trooper gone once the squad was placed: the battle is lost.
    game.starting_troopers_placed = 1;
    KillTroopers();
    ASSERT_TRUE(RunUntil([] { return game.lost != 0; }, 2.0f));
    uitest::calls.clear();
    ASSERT_TRUE(RunUntil([this] { return OnTop("AchievementUnlocked"); }, 5.0f));
    EXPECT_GT(game.lose_timer, 5.0f);
    EXPECT_EQ(Popups(), std::vector<std::string>{"AchievementUnlocked:Message null unlock_item tactical_retreat"});
    // While the popup is up the end screen waits.
    Frames(40);
    EXPECT_TRUE(OnTop("AchievementUnlocked"));
    EXPECT_TRUE(uitest::CallsOf("LevelLost:").empty());
    // Closed: the next frame with the battle on top pushes "LevelLost".
    sman.PopScreen("AchievementUnlocked");
    Steps(1, 0.05f);  // the screen manager's frame ends the pop
    ASSERT_TRUE(OnTop("Game"));
    ASSERT_TRUE(RunUntil([this] { return OnTop("LevelLost"); }, 2.0f));
    EXPECT_EQ(Popups().size(), 1u);
    EXPECT_STREQ(profile.GetValue("current_game", "times_lost", "value"), "1");
    EXPECT_TRUE(achievements.IsUnlocked("tactical_retreat"));
}

TEST_F(AchievementBattleTest, AnEarnedAchievementIsNotShownAgainAtTheNextLoss)
{
    profile.SetValue("achievement_queue", "tactical_retreat", "id", "tactical_retreat");
    profile.SetValue("achievement_queue", "tactical_retreat", "ack", "1");
    StartWaitingLevel();
    game.starting_troopers_placed = 1;
    KillTroopers();
    uitest::calls.clear();
    ASSERT_TRUE(RunUntil([this] { return OnTop("LevelLost"); }, 8.0f));
    EXPECT_TRUE(Popups().empty());
}

}  // namespace
