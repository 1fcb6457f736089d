// The campaign's tables looked up: a mission's node in whichever chapter holds it, a
// category's ranks (its name in any letter case, the top rank by -1) and the five
// trooper classes by entity type or by feature id.
#include "tests/game/game_fixture.h"

#include "app/services/dataman.h"
#include "game/missions.h"
#include "game/trooper-classes.h"

#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>

namespace {

class Missions : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        apptest::WriteFile("missions.xml", "<?xml version=\"1.0\"?>\n<root>\n"
                                           "<array id=\"CHAPTER1\">\n<node id=\"MISSION1_1\" name=\"First\"/>\n</array>\n"
                                           "<array id=\"CHAPTER2\">\n<node id=\"MISSION2_4\" name=\"Later\"/>\n</array>\n"
                                           "</root>\n");
        apptest::WriteFile("ranks.xml", "<?xml version=\"1.0\"?>\n<root>\n"
                                        "<array id=\"ranks_dune_survival\">\n"
                                        "<node id=\"r0\" name=\"Private\" score_limit=\"0\"/>\n"
                                        "<node id=\"r1\" name=\"Sergeant\" score_limit=\"1500\"/>\n"
                                        "<node id=\"r2\" name=\"Major\" score_limit=\"9000\"/>\n</array>\n"
                                        "<array id=\"ranks_empty\">\n</array>\n"
                                        "</root>\n");
        dman().ReleaseDatabase("missions.xml");
        dman().ReleaseDatabase("ranks.xml");
    }
};

TEST_F(Missions, ANodeIsFoundInWhicheverChapterHoldsIt)
{
    DMNode *first = MissionNode("MISSION1_1");
    DMNode *later = MissionNode("MISSION2_4");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, later);
    EXPECT_STREQ("First", first->GetValue("name"));
    EXPECT_STREQ("Later", later->GetValue("name"));
    EXPECT_EQ(nullptr, MissionNode("MISSION9_9"));
    EXPECT_EQ(nullptr, MissionNode(nullptr));
}

TEST_F(Missions, RanksOfACategoryInAnyLetterCase)
{
    ASSERT_NE(nullptr, RankArray("DUNE_SURVIVAL"));
    EXPECT_EQ(RankArray("DUNE_SURVIVAL"), RankArray("Dune_Survival"));
    EXPECT_EQ(nullptr, RankArray("JUNGLE"));
    EXPECT_EQ(nullptr, RankArray(nullptr));
    const struct {
        const char *category;
        int index, limit;
    } cases[] = {
        {"DUNE_SURVIVAL", 0, 0},  {"DUNE_SURVIVAL", 1, 1500}, {"DUNE_SURVIVAL", -1, 9000},
        {"DUNE_SURVIVAL", 3, 0},  {"EMPTY", -1, 0},           {"JUNGLE", -1, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.limit, RankLimit(c.category, c.index)) << c.category << " " << c.index;
}

// Each class under its four names; types compare exactly, feature ids in any case.
TEST(TrooperClasses, EachClassByTypeAndByFeature)
{
    std::set<std::string> words, features, types, icons;
    for (const TrooperClass &c : kTrooperClasses) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(&c, TrooperClassOfType(c.type));
        EXPECT_EQ(&c, TrooperClassOfFeature(c.feature));
        EXPECT_EQ(std::string(c.word) + "Trooper", c.type);
        words.insert(c.word);
        features.insert(c.feature);
        types.insert(c.type);
        icons.insert(c.icon);
    }
    EXPECT_EQ(5u, words.size());
    EXPECT_EQ(5u, features.size());
    EXPECT_EQ(5u, icons.size());
    EXPECT_STREQ("Minigun", kTrooperClasses[0].word) << "the first button, the one escape picks";
    EXPECT_STREQ("PyroTrooper", TrooperClassOfFeature("pyro_trooper")->type);
    EXPECT_EQ(nullptr, TrooperClassOfType("pyrotrooper"));
    EXPECT_EQ(nullptr, TrooperClassOfType("UnarmedTrooper"));
    EXPECT_EQ(nullptr, TrooperClassOfFeature("PYRO_TROOPER_UPGRADE"));
    EXPECT_EQ(nullptr, TrooperClassOfType(nullptr));
    EXPECT_EQ(nullptr, TrooperClassOfFeature(nullptr));
}

}  // namespace
