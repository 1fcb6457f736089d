// Tutorials: which are shown and whether they pause, completion recorded in the
// profile's "tutorials_completed", the fade, the delayed and developer requests, the
// mission rule that unlocks primary targets, and completion by a drawn path.
#include "tests/game/controls_fixture.h"

#include "app/services/dataman.h"
#include "app/services/prog.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using controlstest::ControlsTest;

class TutorialTest : public ControlsTest {
protected:
    void WriteAssets() override
    {
        apptest::WriteFile(
            "texts.xml",
            gametest::XmlArray("tutorial",
                               "<node id=\"FIRING\" text=\"Troopers fire on their own\" flags=\"TUTORIAL_PAUSES\"/>\n"
                               "<node id=\"MOVING\" text=\"Drag a trooper\"/>\n"
                               "<node id=\"TACTICAL\" text=\"Tap to go on\" flags=\"NONE\"/>\n"
                               "<node id=\"LISTED\" text=\"x\" flags=\"SLOW, TUTORIAL_PAUSES;LOUD\"/>\n"
                               "<node id=\"PREFIXED\" text=\"x\" flags=\"TUTORIAL_PAUSES_LATER\"/>\n"
                               "<node id=\"EMPTY\" text=\"\" flags=\"TUTORIAL_PAUSES\"/>\n"
                               "<node id=\"TARGETING\" text=\"Tap an enemy\"/>\n"
                               "<node id=\"POWERUPS\" text=\"Tap the crates\"/>\n"
                               "<node id=\"UNDER_ATTACK\" text=\"Defend the bunker\" flags=\"TUTORIAL_PAUSES\"/>\n"
                               "<node id=\"A_NAME_OF_SEVENTY_CHARACTERS_THAT_DOES_NOT_FIT_THE_NAME_COPY_OF_SIXTY_F\""
                               " text=\"long\"/>"));
        WritePowerups("<node id=\"POWERUP_HEALTH\" name=\"Health\" desc=\"Heals the squad\"/>\n"
                      "<node id=\"POWERUP_BLANK\" name=\"Blank\"/>");
    }
    bool Completed(const char *name) { return ProfileHas("tutorials_completed", name); }
    std::string Current() { return game.tutorial_name != nullptr ? game.tutorial_name : ""; }
};

TEST_F(TutorialTest, WhichTutorialsShowAndWhetherTheyPause)
{
    StartBattle();
    struct Case {
        const char *name;
        bool shown;
        const char *current;  // the current tutorial afterwards
        bool pauses;
    } cases[] = {
        {"FIRING", true, "FIRING", true},
        {"MOVING", true, "MOVING", false},          // no "flags": no pause
        {"FIRING", true, "FIRING", true},
        {"TACTICAL", true, "TACTICAL", false},
        {"LISTED", true, "LISTED", true},
        {"PREFIXED", true, "PREFIXED", false},      // the token must stand whole
        {"POWERUP_HEALTH", true, "POWERUP_HEALTH", true},
        {"MOVING", true, "MOVING", false},
        {"EMPTY", false, "MOVING", false},          // no text: nothing changes
        {"UNKNOWN", false, "MOVING", false},
        {"POWERUP_BLANK", false, "MOVING", false},  // no "desc"
        {"POWERUP_MISSING", false, "MOVING", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        game.tutorial_time = 3.0f;
        game.tutorial_alpha = 0.7f;
        game.SetTutorial(c.name);
        EXPECT_EQ(Current(), c.current);
        EXPECT_EQ(game.tutorial_pauses, c.pauses ? 1 : 0);
        EXPECT_TRUE(game.tutorial_shown);
        EXPECT_EQ(game.tutorial_time, c.shown ? 0.0f : 3.0f);
        EXPECT_EQ(game.tutorial_alpha, c.shown ? 0.0f : 0.7f);
    }
    EXPECT_FALSE(Completed("EMPTY"));
    EXPECT_FALSE(Completed("UNKNOWN"));
    // Names are copied into 63 characters.
    game.SetTutorial("A_NAME_OF_SEVENTY_CHARACTERS_THAT_DOES_NOT_FIT_THE_NAME_COPY_OF_SIXTY_F");
    EXPECT_EQ(Current().size(), 63u);
    game.SetTutorial(nullptr);
    EXPECT_EQ(game.tutorial_name, nullptr);
    EXPECT_FALSE(game.tutorial_shown);
}

TEST_F(TutorialTest, ACompletedTutorialIsNeverShownAgain)
{
    StartBattle();
    game.SetTutorialCompleted("FIRING");
    EXPECT_TRUE(Completed("FIRING"));
    game.SetTutorial("FIRING");
    EXPECT_EQ(game.tutorial_name, nullptr);
    // Nor through the delayed request.
    game.delayed_tutorial = "FIRING";
    game.delayed_tutorial_time = 0.1f;
    game.UpdateTutorial(0.2f);
    EXPECT_EQ(game.delayed_tutorial_time, 0.0f);
    EXPECT_EQ(game.tutorial_name, nullptr);
}

TEST_F(TutorialTest, CompletingTheCurrentTutorialFadesItOutAndRecordsItOnce)
{
    StartBattle();
    game.SetTutorial("FIRING");
    game.UpdateTutorial(0.25f);
    EXPECT_FLOAT_EQ(game.tutorial_alpha, 0.5f);
    game.UpdateTutorial(1.0f);
    EXPECT_FLOAT_EQ(game.tutorial_alpha, 1.0f);
    EXPECT_FLOAT_EQ(game.tutorial_time, 1.25f);

    game.SetTutorialCompleted("MOVING");  // not the current one: only recorded
    EXPECT_TRUE(Completed("MOVING"));
    EXPECT_TRUE(game.tutorial_shown);

    game.SetTutorialCompleted("FIRING");
    game.SetTutorialCompleted("FIRING");
    game.SetTutorialCompleted(nullptr);
    EXPECT_EQ(profile.GetNumberOfValuesInCategory("tutorials_completed"), 2);
    EXPECT_FALSE(game.tutorial_shown);
    EXPECT_FLOAT_EQ(game.tutorial_time, 0.5f);
    EXPECT_EQ(Current(), "FIRING");
    game.UpdateTutorial(0.25f);
    EXPECT_FLOAT_EQ(game.tutorial_alpha, 0.5f);
    EXPECT_EQ(Current(), "FIRING");
    game.UpdateTutorial(0.25f);
    EXPECT_EQ(game.tutorial_name, nullptr);
}

TEST_F(TutorialTest, TheDelayedTutorialAppearsWhenItsDelayRunsOut)
{
    StartBattle();
    game.delayed_tutorial = "POWERUPS";
    game.delayed_tutorial_time = 0.5f;
    game.UpdateTutorial(0.3f);
    EXPECT_EQ(game.tutorial_name, nullptr);
    EXPECT_FLOAT_EQ(game.delayed_tutorial_time, 0.2f);
    game.UpdateTutorial(0.3f);
    EXPECT_EQ(Current(), "POWERUPS");
    EXPECT_EQ(game.delayed_tutorial_time, 0.0f);
}

TEST_F(TutorialTest, TargetingUnlocksPrimaryTargetsInTheThirdMission)
{
    StartBattle();
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "MISSION1_3");
    game.game_clock = 6000;
    game.UpdateTutorial(0.016f);
    EXPECT_EQ(game.tutorial_name, nullptr);
    game.game_clock = 6001;
    game.UpdateTutorial(0.016f);
    EXPECT_EQ(Current(), "TARGETING");
    EXPECT_TRUE(ProfileHas("features", "PRIMARY_TARGET"));
    // Asked for anywhere else, "TARGETING" unlocks them too.
    profile.RemoveValue("features", "PRIMARY_TARGET");
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "MISSION1_4");
    game.SetTutorial(nullptr);
    game.SetTutorial("TARGETING");
    EXPECT_TRUE(ProfileHas("features", "PRIMARY_TARGET"));
}

TEST_F(TutorialTest, DeveloperKeysForceTutorials)
{
    StartBattle();
    prog.parms.developer_mode = 1;
    KeyDown('3');  // held while the battle's next frame runs
    game.UpdateTutorial(0.016f);
    EXPECT_EQ(Current(), "POWERUPS");
    KeyUp('3');
    game.SetTutorialCompleted("MOVING");
    KeyDown('1');
    game.UpdateTutorial(0.016f);
    EXPECT_EQ(Current(), "POWERUPS");  // completed ones stay away
    KeyUp('1');
    KeyDown('2');
    game.UpdateTutorial(0.016f);
    EXPECT_EQ(Current(), "FIRING");
    KeyUp('2');
    prog.parms.developer_mode = 0;
    KeyDown('7');
    game.UpdateTutorial(0.016f);
    EXPECT_EQ(Current(), "FIRING") << "outside developer mode the keys do nothing";
    KeyUp('7');
}

TEST_F(TutorialTest, ALongEnoughPathCompletesMovingAndUnderAttack)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    game.SetTutorial("UNDER_ATTACK");
    ASSERT_TRUE(controls.TrySelectEntity(vec2_t{200, 200}, 0));
    for (int i = 1; i <= 10; i++)
        trooper->path->AddPoint(vec2_t{200.0f + 10.0f * (float)i, 200.0f});
    ASSERT_FLOAT_EQ(trooper->path->length, 100.0f);
    game.UpdateTutorial(0.016f);
    EXPECT_FALSE(Completed("UNDER_ATTACK"));
    trooper->path->AddPoint(vec2_t{311.0f, 200.0f});
    game.UpdateTutorial(0.016f);
    EXPECT_TRUE(Completed("UNDER_ATTACK"));
    EXPECT_TRUE(Completed("MOVING"));
    EXPECT_FALSE(game.tutorial_shown);
}

TEST_F(TutorialTest, APowerUpTutorialPausesUntilATapAfterOneAndAHalfSeconds)
{
    StartBattle();
    game.SetTutorial("POWERUP_HEALTH");
    ASSERT_TRUE(game.tutorial_pauses);
    game.UpdateTutorial(1.0f);
    Touch(ovdev::headless::TouchPhase::Down, 0, 500, 500);
    Touch(ovdev::headless::TouchPhase::Up, 0, 500, 500);
    EXPECT_TRUE(game.tutorial_shown);
    game.UpdateTutorial(0.6f);
    Touch(ovdev::headless::TouchPhase::Down, 0, 500, 500);
    EXPECT_FALSE(game.tutorial_shown);
    EXPECT_TRUE(Completed("POWERUP_HEALTH"));
}

}  // namespace
