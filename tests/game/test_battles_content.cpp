// The first mission and the extra missions, every game mode, set up and run for their first waves with
// fixture types of the names they use: base or none, squad, tents, waves queued.
#include "tests/game/battle_driver.h"

#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

using battletest::BattleTest;

std::string Read(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Type(const char *id, const char *group, const char *extra = "")
{
    return std::string("<node id=\"") + id + "\" flags=\"NORMAL MOVABLE\" friend_group=\"" + group +
           "\" radius=\"10\" scale=\"1\" hit_points=\"100\" " + extra + "/>\n";
}

class ContentLevels : public BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartBattleWorld();
        std::string types = battletest::kBattleTypes;
        for (const char *t : {"MinigunTrooper", "ShotgunTrooper"})
            types += Type(t, "PLAYERS");
        for (const char *t : {"Hellhound", "Hound", "Crabfly", "Splitter", "Leaper", "Sandworm", "Den", "Bloater",
                              "Quadblob", "Jugger", "BroodQueen"})
            types += Type(t, "ENEMIES");
        WriteEntities(types);
    }
};

TEST_F(ContentLevels, EveryModeSetsUpAndStartsItsWaves)
{
    struct Case {
        const char *file;
        int mode;
        bool base;
        int medtents;
    } cases[] = {
        {"1_1.xml", GAME_MODE_LEVEL, true, 0},
        {"x-dune-survival.xml", GAME_MODE_SURVIVAL, true, 0},
        {"x-supply-run.xml", GAME_MODE_COLLECTOR, true, 0},
        {"x-incoming.xml", GAME_MODE_INCOMING, true, 0},
        {"x-field-hospital.xml", GAME_MODE_DEFEND_THE_FLAG, false, 3},
        {"x-open-ground.xml", GAME_MODE_OPEN_AREA, false, 0},
        {"x-jungle-survival.xml", GAME_MODE_SURVIVAL, true, 0},
    };
    for (const Case &c : cases) {
        std::string text = Read(std::string(ORVEX_SOURCE_DIR) + "/content/missions/" + c.file);
        ASSERT_FALSE(text.empty()) << c.file;
        StartLevel(c.mode, text, "MISSION1_1", c.mode == GAME_MODE_LEVEL ? "CHAPTER1" : "EXTRAS");
        EXPECT_EQ(c.base, game.base != nullptr) << c.file;
        EXPECT_EQ(c.medtents, game.medtent_count) << c.file;
        EXPECT_GE(game.num_waves, c.mode == GAME_MODE_LEVEL ? 2 : 3) << c.file;
        EXPECT_EQ(0, game.troopers_to_pick) << c.file;  // squads come from "starting_troopers"
        // Through the first wave: the squad placed, enemies queued or spawned.
        ASSERT_TRUE(RunUntil([] { return game.wave_number == 1; }, 12.0f)) << c.file;
        EXPECT_EQ(2, game.living_troopers) << c.file;
        Frames(60);
        EXPECT_TRUE(world->spawn_manager->AreEnemiesLeft()) << c.file;
        EXPECT_FALSE(game.lost) << c.file;
    }
}

}  // namespace
