// The gameplay-tuning record: every key from the level database, else from
// "gameplay-global.xml", else its default.
#include "tests/game/entities/test_weapons_fixture.h"

#include "game/entities/upgrades.h"

#include <string>
#include <vector>

using namespace contenttest;

namespace {

struct TuningKey {
    const char *key;
    float Upgrades::*float_field;
    int32_t Upgrades::*int_field;
    float default_value;
};

const TuningKey kKeys[] = {
    {"max_troopers", nullptr, &Upgrades::max_troopers, 2},
    {"max_powerups", nullptr, &Upgrades::max_powerups, 3},
    {"coin_value", nullptr, &Upgrades::coin_value, 100},
    {"powerup_probability", &Upgrades::powerup_probability, nullptr, 100.0f},
    {"powerup_interval", &Upgrades::powerup_interval, nullptr, 15000.0f},
    {"hitpoint_increase_per_wave", &Upgrades::hitpoint_increase_per_wave, nullptr, 0.0f},
    {"powerup_disappear_time", nullptr, &Upgrades::powerup_disappear_time, 45},
    {"super_soldier_time", nullptr, &Upgrades::super_soldier_time, 30},
};

float Read(const Upgrades &u, const TuningKey &k)
{
    return k.float_field ? u.*(k.float_field) : (float)(u.*(k.int_field));
}

void WriteGameplay(const std::string &file, const std::vector<std::pair<std::string, std::string>> &values)
{
    std::string text = "<?xml version=\"1.0\"?>\n<root>\n<array id=\"gameplay\">\n";
    for (const auto &v : values)
        text += "<node id=\"" + v.first + "\" value=\"" + v.second + "\" />\n";
    text += "</array>\n</root>\n";
    apptest::WriteFile(file, text);
}

class UpgradesTest : public ContentTest {
protected:
    void TearDown() override
    {
        upgrades = Upgrades();
        ContentTest::TearDown();
    }
};

// Where a key is set decides its value: the level over the global file over the default.
enum Source { kLevel, kGlobal, kNeither };

TEST_F(UpgradesTest, LevelOverGlobalOverDefaultForEveryKey)
{
    for (Source source : {kLevel, kGlobal, kNeither}) {
        for (const TuningKey &k : kKeys) {
            SCOPED_TRACE(std::string(k.key) + " source " + std::to_string(source));
            dman().ReleaseAllDatabases();
            std::vector<std::pair<std::string, std::string>> level, global;
            if (source == kLevel) {
                level.push_back({k.key, "7"});
                global.push_back({k.key, "9"});
            } else if (source == kGlobal) {
                global.push_back({k.key, "9"});
            }
            // Another key in both files, so neither array is empty.
            level.push_back({"unrelated", "1"});
            global.push_back({"unrelated", "1"});
            WriteGameplay("levels/level1.xml", level);
            WriteGameplay("gameplay-global.xml", global);
            Upgrades u;
            u.max_troopers = -1;  // every field is written, whatever it held
            u.powerup_interval = -1.0f;
            u.Init("levels/level1.xml");
            float expected = source == kLevel ? 7.0f : source == kGlobal ? 9.0f : k.default_value;
            EXPECT_FLOAT_EQ(Read(u, k), expected);
            for (const TuningKey &other : kKeys) {
                if (&other != &k) {
                    EXPECT_FLOAT_EQ(Read(u, other), other.default_value) << other.key;
                }
            }
        }
    }
}

TEST_F(UpgradesTest, NumbersFollowTheirFieldType)
{
    WriteGameplay("level.xml", {{"max_troopers", "4.9"},
                                {"coin_value", "abc"},
                                {"powerup_probability", "12.5%"},
                                {"powerup_interval", "2e3"},
                                {"super_soldier_time", " -5s"}});
    WriteGameplay("gameplay-global.xml", {{"hitpoint_increase_per_wave", "0.25"}, {"max_powerups", "6"}});
    upgrades.Init("level.xml");
    EXPECT_EQ(upgrades.max_troopers, 4);
    EXPECT_EQ(upgrades.coin_value, 0);
    EXPECT_FLOAT_EQ(upgrades.powerup_probability, 12.5f);
    EXPECT_FLOAT_EQ(upgrades.powerup_interval, 2000.0f);
    EXPECT_EQ(upgrades.super_soldier_time, -5);
    EXPECT_FLOAT_EQ(upgrades.hitpoint_increase_per_wave, 0.25f);
    EXPECT_EQ(upgrades.max_powerups, 6);
    EXPECT_EQ(upgrades.powerup_disappear_time, 45);
}

TEST_F(UpgradesTest, MissingFilesGiveDefaults)
{
    upgrades.max_troopers = 50;
    upgrades.powerup_probability = 1.0f;
    upgrades.Init("no-such-level.xml");
    EXPECT_EQ(upgrades.max_troopers, 2);
    EXPECT_FLOAT_EQ(upgrades.powerup_probability, 100.0f);
    WriteGameplay("gameplay-global.xml", {{"coin_value", "250"}});
    dman().ReleaseAllDatabases();
    upgrades.Init(nullptr);
    EXPECT_EQ(upgrades.coin_value, 250);
    EXPECT_EQ(upgrades.super_soldier_time, 30);
}

}  // namespace
