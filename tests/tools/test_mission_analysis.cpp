// The mission analysis arithmetic over a level's wave script.
#include "tools/mission-analysis.h"

#include "app/services/dataman.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

int Worth(const char *name, void *)
{
    if (strcmp(name, "Grunt") == 0)
        return 10;
    if (strcmp(name, "Brute") == 0)
        return 20;
    return 0;
}

DMArray *Waves(DMDatabase &db, const std::vector<std::vector<std::pair<const char *, const char *>>> &nodes)
{
    DMArray *waves = db.AddArray("waves");
    for (const auto &pairs : nodes) {
        DMNode *n = waves->AddNode(nullptr);
        for (const auto &p : pairs)
            n->AppendPair(p.first, p.second);
    }
    return waves;
}

TEST(MissionAnalysis, LinesRunningTotals)
{
    struct Case {
        const char *what;
        std::vector<std::vector<std::pair<const char *, const char *>>> nodes;
        std::vector<int> lines;
    } cases[] = {
        {"two spawns",
         {{{"type", "SPAWN"}, {"spawn_type", "Grunt"}, {"num", "3"}},
          {{"type", "SPAWN"}, {"spawn_type", "Brute"}, {"num", "1"}}},
         {500, 530}},
        {"no num counts once",
         {{{"type", "SPAWN"}, {"spawn_type", "Brute"}}, {{"type", "SPAWN"}, {"spawn_type", "Grunt"}}},
         {500, 520}},
        {"other nodes give no line",
         {{{"type", "WAIT"}, {"num", "9"}},
          {{"type", "SPAWN"}, {"spawn_type", "Grunt"}, {"num", "2"}},
          {{"spawn_type", "Grunt"}},
          {{"type", "SPAWN"}, {"spawn_type", "Nobody"}, {"num", "4"}},
          {{"type", "SPAWN"}, {"spawn_type", "Grunt"}}},
         {500, 520, 520}},
    };
    for (const Case &c : cases) {
        DMDatabase db;
        DMArray *waves = Waves(db, c.nodes);
        EXPECT_EQ(c.lines, AnalyzeWaves(waves, 500, Worth, nullptr)) << c.what;
    }
    EXPECT_TRUE(AnalyzeWaves(nullptr, 500, Worth, nullptr).empty());
}

TEST(MissionAnalysis, StartingMoney)
{
    DMDatabase db;
    EXPECT_EQ(0, ReadStartingMoney(db));
    db.SetValue("gameplay", "starting_money", "value", "750");
    EXPECT_EQ(750, ReadStartingMoney(db));
}

}  // namespace
