// orvex-contentcheck on the mission catalogue and its level files: a small campaign
// (three chapters of ten missions over a few level files, six extras in the score modes)
// that passes, then one fault at a time, each reported with its own message and exit
// status 1.
#include "tests/buildtools/contentcheck_fixture.h"

#include <gtest/gtest.h>

#include <ctype.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";

// One type per behaviour and the types the code names (the battle data's own rules run
// on the same file), plus the kinds the level rules tell apart.
const char kEntities[] =
    "<array id=\"entities\">\n"
    "<node id=\"BaseBunker\" ai=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"BaseLauncher\" ai=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"BasePowerPlant\" ai=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"MedTent\" ai=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"Wreck\" ai=\"Default\" type=\"Structure\" flags=\"BLOCKS_MOVEMENT\" />\n"
    "<node id=\"MinigunTrooper\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"ShotgunTrooper\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"BazookaTrooper\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"PyroTrooper\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"SniperTrooper\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"UnarmedTrooper\" ai=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"AlienPet\" ai=\"Seeker\" flags=\"NORMAL\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"Hound\" ai=\"Seeker\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Leaper\" ai=\"SeekerLeaper\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Flyer\" ai=\"SeekerFlyer\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Splitter\" ai=\"Splitter\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Quad\" ai=\"QuadSplitter\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Den\" ai=\"Spawner\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Worm\" ai=\"BossSplitter\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Egg\" ai=\"Mine\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Raider\" ai=\"WaypointAttacker\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Drone\" ai=\"HangAround\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Mother\" ai=\"HiveMind\" flags=\"NORMAL\" friend_group=\"ENEMIES\" controls_entities=\"Drone\" />\n"
    "<node id=\"Bloater\" ai=\"Kamikaze\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"Cocoon\" ai=\"Player\" flags=\"NORMAL\" friend_group=\"ENEMIES\" />\n"
    "<node id=\"ProjectileLead\" ai=\"Bullet\" type=\"ProjectileTrailed\" flags=\"PROJECTILE\" />\n"
    "<node id=\"ProjectileRocket\" ai=\"Rocket\" type=\"ProjectileTrailed\" flags=\"PROJECTILE\" />\n"
    "<node id=\"ProjectileNapalm\" ai=\"RocketNapalm\" type=\"ProjectileSimple\" flags=\"PROJECTILE\" />\n"
    "<node id=\"ProjectileFlame\" ai=\"Flame\" type=\"ProjectileFlame\" flags=\"PROJECTILE\" />\n"
    "<node id=\"ProjectileIce\" ai=\"Ice\" type=\"ProjectileSimple\" flags=\"PROJECTILE\" />\n"
    "<node id=\"ProjectileGas\" ai=\"Gas\" type=\"ProjectileSimple\" flags=\"PROJECTILE\" />\n"
    "<node id=\"Powerup\" ai=\"Powerup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"PowerupParachute\" ai=\"Powerup\" type=\"PowerupParachute\" flags=\"POWERUP\" "
    "friend_group=\"PLAYERS\" />\n"
    "<node id=\"PowerupScore\" ai=\"Powerup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"PowerupHealth\" ai=\"Powerup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" />\n"
    "<node id=\"PowerupSuperWeapon\" ai=\"Powerup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" />\n"
    "</array>\n</root>\n";

const char *const kExtras[][3] = {{"X_DUNES", "SURVIVAL", "missions/x-s.xml"},
                                  {"X_SUPPLY", "COLLECTOR", "missions/x-c.xml"},
                                  {"X_INCOMING", "INCOMING", "missions/x-s.xml"},
                                  {"X_TENTS", "DEFEND_THE_FLAG", "missions/x-f.xml"},
                                  {"X_OPEN", "OPEN_AREA", "missions/x-o.xml"},
                                  {"X_JUNGLE", "SURVIVAL", "missions/x-s.xml"}};

std::string Lower(std::string s)
{
    for (char &c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

// Chapter missions play "two", "three" or "four" by their squad; the roaming enemies
// live in MISSION2_3's own level.
std::string Missions()
{
    std::string s = kHead;
    for (int c = 1; c <= 3; c++) {
        s += "<array id=\"CHAPTER" + std::to_string(c) + "\">\n";
        for (int m = 1; m <= 10; m++) {
            std::string level = c == 3 ? "four" : (c == 1 && m <= 3) ? "two" : "three";
            if (c == 2 && m == 3)
                level = "roam";
            std::string id = "MISSION" + std::to_string(c) + "_" + std::to_string(m);
            s += "<node id=\"" + id + "\" mode=\"LEVEL\" level=\"missions/" + level +
                 ".xml\" name=\"N\" desc=\"D\" pic=\"pic.png\" unlocks=\"" +
                 (m == 10 ? "BIG_PRIZE" : m == 1 ? "SMALL_PRIZE,BIG_PRIZE" : "") + "\" />\n";
        }
        s += "</array>\n";
    }
    s += "<array id=\"EXTRAS\">\n";
    int stars = 10;
    for (const auto &x : kExtras) {
        s += std::string("<node id=\"") + x[0] + "\" mode=\"" + x[1] + "\" level=\"" + x[2] +
             "\" name=\"N\" desc=\"D\" pic=\"pic.png\" unlock_stars=\"" + std::to_string(stars) + "\" />\n";
        stars += 20;
    }
    return s + "</array>\n</root>\n";
}

std::string Shop()
{
    std::string s = std::string(kHead) +
                    "<array id=\"Upgrades\">\n<node id=\"SMALL_PRIZE\" />\n<node id=\"BIG_PRIZE\" />\n";
    for (const auto &x : kExtras)
        s += std::string("<node id=\"") + x[0] + "\" />\n";
    return s + "</array>\n</root>\n";
}

std::string Categories()
{
    std::string s = std::string(kHead) + "<array id=\"CATEGORIES\">\n<node id=\"CAMPAIGN\" />\n";
    for (const auto &x : kExtras)
        s += std::string("<node id=\"") + x[0] + "\" />\n";
    return s + "</array>\n</root>\n";
}

std::string Ranks()
{
    std::string s = std::string(kHead) + "<array id=\"game_over_texts\">\n";
    for (int i = 0; i < 6; i++)
        s += "<node text=\"T\" />\n";
    s += "</array>\n";
    std::vector<std::string> cats = {"CAMPAIGN"};
    for (const auto &x : kExtras)
        cats.push_back(x[0]);
    for (const std::string &c : cats) {
        s += "<array id=\"ranks_" + Lower(c) + "\">\n";
        for (int i = 0; i < 6; i++)
            s += "<node name=\"R\" score_limit=\"" + std::to_string(i * 10) + "\" />\n";
        s += "</array>\n";
    }
    return s + "</root>\n";
}

// A LEVEL file for a squad of n troopers: two waves, a tutorial, a boss wave, waypoints.
std::string Level(int n, const char *extra_spawn = "")
{
    std::string s = std::string(kHead) +
                    "<array id=\"environment\">\n<node id=\"bunker\" x=\"780\" y=\"384\" type=\"bunker\" />\n"
                    "</array>\n<array id=\"gameplay\">\n<node id=\"max_troopers\" value=\"" +
                    std::to_string(n) + "\" />\n</array>\n<array id=\"starting_troopers\">\n";
    for (int i = 0; i < n; i++)
        s += "<node type=\"MinigunTrooper\" />\n";
    return s +
           "</array>\n<array id=\"ai_points\">\n<node id=\"1\" x=\"10\" y=\"10\" parent=\"2\" />\n"
           "<node id=\"2\" x=\"90\" y=\"10\" parent=\"0\" />\n</array>\n"
           "<array id=\"waves\">\n<node type=\"WAVE_START\" text=\"One\" />\n"
           "<node type=\"TUTORIAL\" tutorial=\"MOVING\" />\n"
           "<node type=\"SPAWN\" spawn_type=\"Hound\" num=\"10\" interval=\"1\" pos_edge=\"9\" />\n" +
           extra_spawn +
           "<node type=\"DELAY\" delay=\"5\" />\n<node type=\"WAVE_START\" text=\"Two\" />\n"
           "<node type=\"SPAWN\" spawn_type=\"Worm\" num=\"1\" flags=\"BOSS_WAVE\" pos_edge=\"9\" />\n"
           "</array>\n</root>\n";
}

// A score-mode level: wave blocks from wave 1 on, the last one open-ended.
std::string ScoreLevel(bool bunker, const char *entities, const char *drops)
{
    return std::string(kHead) + "<array id=\"environment\">\n" +
           (bunker ? "<node id=\"bunker\" x=\"700\" y=\"384\" type=\"bunker\" />\n" : "") +
           "</array>\n<array id=\"gameplay\">\n<node id=\"delay_between_waves\" value=\"8\" />\n"
           "<node id=\"reinforcement_wave_interval\" value=\"5\" />\n</array>\n"
           "<array id=\"starting_troopers\">\n<node type=\"MinigunTrooper\" />\n</array>\n"
           "<array id=\"entities\">\n" +
           entities +
           "</array>\n<array id=\"powerups\">\n<node id=\"PowerupScore\" num=\"1\" />\n" + drops +
           "</array>\n<array id=\"waves\">\n"
           "<node type=\"WAVE_START\" text=\"Early\" min_wave=\"1\" max_wave=\"3\" />\n"
           "<node type=\"SPAWN\" spawn_type=\"Hound\" num=\"4\" pos_edge=\"9\" />\n"
           "<node type=\"WAVE_START\" text=\"Late\" min_wave=\"4\" />\n"
           "<node type=\"SPAWN\" spawn_type=\"Leaper\" num=\"4\" pos_edge=\"9\" />\n"
           "</array>\n</root>\n";
}

const char kTents[] =
    "<node type=\"MedTent\" x=\"500\" y=\"200\" obstacle=\"terrain/obstacles/medtent.xml\" />\n"
    "<node type=\"MedTent\" x=\"500\" y=\"400\" obstacle=\"terrain/obstacles/medtent.xml\" />\n"
    "<node type=\"MedTent\" x=\"500\" y=\"600\" obstacle=\"terrain/obstacles/medtent.xml\" />\n";

class ContentCheckMissions : public cctest::ContentCheckFixture {
public:
    ContentCheckMissions() : ContentCheckFixture("missions", "native/") {}
    void SetUp() override
    {
        ContentCheckFixture::SetUp();
        files_.clear();
        files_["entities.xml"] = std::string(kHead) + kEntities;
        files_["texts.xml"] = std::string(kHead) + "<array id=\"tutorial\">\n" +
                              "<node id=\"MOVING\" text=\"T\" flags=\"\" />\n</array>\n</root>\n";
        files_["missions.xml"] = Missions();
        files_["shop.xml"] = Shop();
        files_["ranks.xml"] = Ranks();
        files_["leaderboards/leaderboards.xml"] = Categories();
        files_["missions/two.xml"] = Level(2);
        files_["missions/three.xml"] = Level(3);
        files_["missions/four.xml"] = Level(4);
        files_["missions/roam.xml"] =
            Level(3, "<node type=\"SPAWN\" spawn_type=\"Mother\" num=\"2\" pos_edge=\"9\" />\n");
        files_["missions/x-s.xml"] = ScoreLevel(true, "", "");
        files_["missions/x-c.xml"] = ScoreLevel(
            true, "", "<node id=\"PowerupSuperWeapon\" num=\"1\" />\n<node id=\"PowerupHealth\" num=\"1\" />\n");
        files_["missions/x-f.xml"] = ScoreLevel(false, kTents, "");
        files_["missions/x-o.xml"] = ScoreLevel(false, "", "");
        // A wall 20 units thick and 800 long.
        files_["terrain/obstacles/wall.xml"] =
            std::string(kHead) +
            "<array id=\"info\">\n<node id=\"hit_points\" value=\"100\" />\n</array>\n<array id=\"edges\">\n"
            "<node p0x=\"-10\" p0y=\"-400\" p1x=\"10\" p1y=\"-400\" />\n"
            "<node p0x=\"10\" p0y=\"-400\" p1x=\"10\" p1y=\"400\" />\n"
            "<node p0x=\"10\" p0y=\"400\" p1x=\"-10\" p1y=\"400\" />\n"
            "<node p0x=\"-10\" p0y=\"400\" p1x=\"-10\" p1y=\"-400\" />\n</array>\n</root>\n";
    }

    // Writes the files and runs the check: its exit status, its lines in out.
    int Run(std::vector<std::string> *out)
    {
        for (const auto &f : files_)
            Put(f.first, f.second);
        std::ofstream(dir_ + "/ignore.txt") << "pic.png  a picture the fixture never draws\n"
                                               "terrain/obstacles/medtent.xml  an outline the fixture never loads\n";
        return ContentCheckFixture::Run("--ignore ignore.txt native", out);
    }

    std::map<std::string, std::string> files_;
};

using cctest::Joined;
using cctest::Swap;

TEST_F(ContentCheckMissions, ConsistentCampaignPasses)
{
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);
    ASSERT_EQ(out.size(), 1u) << Joined(out);
    EXPECT_EQ(out[0], "content check: 0 problems in 15 files");
}

// A wall the enemies can walk round (here its lower end) leaves the way open.
TEST_F(ContentCheckMissions, AWallWithAGapPasses)
{
    Swap(&files_["missions/three.xml"], "<array id=\"gameplay\">",
         "<array id=\"obstacles\">\n<node obstacle=\"terrain/obstacles/wall.xml\" x=\"300\" y=\"200\" />\n"
         "</array>\n<array id=\"gameplay\">");
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);
}

TEST_F(ContentCheckMissions, EachFaultIsReportedWithItsMessage)
{
    using T = ContentCheckMissions;
    struct Case {
        const char *what;
        std::function<void(T *)> fault;
        const char *line;
    };
    const char kWave2[] = "<node type=\"WAVE_START\" text=\"Two\" />\n";
    const std::vector<Case> cases = {
        // The catalogue.
        {"arrays out of order",
         [](T *t) {
             Swap(&t->files_["missions.xml"], "<array id=\"CHAPTER1\">", "<array id=\"CHAPTERX\">");
         },
         "content: missions.xml: array 1 is 'CHAPTERX' (the arrays are CHAPTER1, CHAPTER2, CHAPTER3, EXTRAS in order)"},
        {"mission ids out of order",
         [](T *t) { Swap(&t->files_["missions.xml"], "id=\"MISSION1_5\"", "id=\"MISSION1_50\""); },
         "content: missions.xml: mission 5 of 'CHAPTER1' is 'MISSION1_50' (MISSION1_5)"},
        {"a chapter mission in a score mode",
         [](T *t) {
             Swap(&t->files_["missions.xml"], "id=\"MISSION1_4\" mode=\"LEVEL\"",
                  "id=\"MISSION1_4\" mode=\"SURVIVAL\"");
         },
         "content: missions.xml: chapter mission 'MISSION1_4' has mode 'SURVIVAL' (only LEVEL missions write "
         "progress)"},
        {"an unlock token without a shop node",
         [](T *t) { Swap(&t->files_["shop.xml"], "<node id=\"SMALL_PRIZE\" />", ""); },
         "content: missions.xml: mission 'MISSION1_1' unlocks 'SMALL_PRIZE', which has no shop node"},
        {"a boss mission that unlocks nothing",
         [](T *t) {
             Swap(&t->files_["missions.xml"], "id=\"MISSION2_10\" mode=\"LEVEL\" level=\"missions/three.xml\" "
                                              "name=\"N\" desc=\"D\" pic=\"pic.png\" unlocks=\"BIG_PRIZE\"",
                  "id=\"MISSION2_10\" mode=\"LEVEL\" level=\"missions/three.xml\" name=\"N\" desc=\"D\" "
                  "pic=\"pic.png\" unlocks=\"\"");
         },
         "content: missions.xml: boss mission 'MISSION2_10' unlocks nothing (its first win would skip the chapter "
         "screen)"},
        {"an extra without a shop node",
         [](T *t) { Swap(&t->files_["shop.xml"], "<node id=\"X_OPEN\" />", ""); },
         "content: missions.xml: extra 'X_OPEN' has no shop node"},
        {"an extra without its ranks array",
         [](T *t) { Swap(&t->files_["ranks.xml"], "<array id=\"ranks_x_tents\">", "<array id=\"ranks_x_tent\">"); },
         "content: missions.xml: extra 'X_TENTS' has no array 'ranks_x_tents' in ranks.xml"},
        {"an extra without its leaderboard category",
         [](T *t) {
             Swap(&t->files_["leaderboards/leaderboards.xml"], "<node id=\"X_JUNGLE\" />", "");
             Swap(&t->files_["ranks.xml"], "<array id=\"ranks_x_jungle\">", "<array id=\"ranks_jungle\">");
         },
         "content: missions.xml: extra 'X_JUNGLE' has no leaderboard category"},
        // Level rules.
        {"a LEVEL file with one WAVE_START",
         [kWave2](T *t) { Swap(&t->files_["missions/two.xml"], kWave2, ""); },
         "content: missions/two.xml: has 1 WAVE_START nodes (a LEVEL mission has 2 to 8 waves)"},
        {"waypoint id 0", [](T *t) { Swap(&t->files_["missions/three.xml"], "<node id=\"2\"", "<node id=\"0\""); },
         "content: missions/three.xml: waypoint 2 has id 0 (1 to 16; id 0 ends the list)"},
        {"a waypoint route in a circle",
         [](T *t) { Swap(&t->files_["missions/three.xml"], "parent=\"0\"", "parent=\"1\""); },
         "content: missions/three.xml: the route from waypoint 1 runs in a circle"},
        {"a Mine as spawn_type",
         [](T *t) { Swap(&t->files_["missions/four.xml"], "spawn_type=\"Hound\"", "spawn_type=\"Egg\""); },
         "content: missions/four.xml: wave node 3 spawns 'Egg', a mine (a spawned mine has no blast; eggs come from "
         "\"EggLayer\")"},
        {"a friendly type as spawn_type",
         [](T *t) { Swap(&t->files_["missions/four.xml"], "spawn_type=\"Hound\"", "spawn_type=\"AlienPet\""); },
         "content: missions/four.xml: wave node 3 spawns 'AlienPet', which is no enemy"},
        {"a roaming enemy outside the five missions",
         [](T *t) { Swap(&t->files_["missions/four.xml"], "spawn_type=\"Hound\"", "spawn_type=\"Raider\""); },
         "content: missions/four.xml: holds 'Raider', which never comes to the base (only MISSION2_3, MISSION2_6, "
         "MISSION3_4, MISSION3_6 and MISSION3_10 may)"},
        {"a cocoon outside the five missions",
         [](T *t) {
             Swap(&t->files_["missions/x-o.xml"], "<array id=\"entities\">\n",
                  "<array id=\"entities\">\n<node type=\"Cocoon\" x=\"300\" y=\"300\" />\n");
         },
         "content: missions/x-o.xml: holds 'Cocoon', which never comes to the base (only MISSION2_3, MISSION2_6, "
         "MISSION3_4, MISSION3_6 and MISSION3_10 may)"},
        {"an unknown tutorial",
         [](T *t) { Swap(&t->files_["missions/two.xml"], "tutorial=\"MOVING\"", "tutorial=\"MOVE\""); },
         "content: missions/two.xml: wave node 2 shows unknown tutorial 'MOVE'"},
        {"too long a LEVEL script",
         [](T *t) { Swap(&t->files_["missions/two.xml"], "delay=\"5\"", "delay=\"400\""); },
         "content: missions/two.xml: spawns and waits for 413 game seconds (at most 360)"},
        {"a boss mission without a boss wave",
         [](T *t) { Swap(&t->files_["missions/four.xml"], " flags=\"BOSS_WAVE\"", ""); },
         "content: missions/four.xml: MISSION3_10 is a boss mission without a BOSS_WAVE node"},
        {"a LEVEL without a bunker",
         [](T *t) {
             Swap(&t->files_["missions/two.xml"], "<node id=\"bunker\" x=\"780\"", "<node id=\"bunk\" x=\"780\"");
         },
         "content: missions/two.xml: has no bunker (mode LEVEL needs one)"},
        {"open ground with a bunker",
         [](T *t) {
             Swap(&t->files_["missions/x-o.xml"], "<array id=\"environment\">\n",
                  "<array id=\"environment\">\n<node id=\"bunker\" x=\"700\" y=\"384\" />\n");
         },
         "content: missions/x-o.xml: has a bunker (mode OPEN_AREA plays without one)"},
        {"a bunker too far left", [](T *t) { Swap(&t->files_["missions/two.xml"], "x=\"780\"", "x=\"500\""); },
         "content: missions/two.xml: has its bunker at x 500 (600 to 900: the posts fan out to its left)"},
        {"two tents to defend",
         [](T *t) {
             Swap(&t->files_["missions/x-f.xml"], "<node type=\"MedTent\" x=\"500\" y=\"600\"",
                  "<node type=\"Wreck\" x=\"500\" y=\"600\"");
         },
         "content: missions/x-f.xml: has 2 MedTents with the outline \"terrain/obstacles/medtent.xml\" (3 to defend)"},
        {"a trooper over the squad size",
         [](T *t) {
             Swap(&t->files_["missions/two.xml"], "<array id=\"starting_troopers\">\n",
                  "<array id=\"starting_troopers\">\n<node type=\"ShotgunTrooper\" />\n");
         },
         "content: missions/two.xml: starts with 3 troopers (at most 5 and the squad size 2)"},
        {"a creature in the starting squad",
         [](T *t) {
             Swap(&t->files_["missions/three.xml"], "<node type=\"MinigunTrooper\" />", "<node type=\"Hound\" />");
         },
         "content: missions/three.xml: starting trooper 1 is 'Hound', which is no trooper type"},
        {"a chapter-three squad of three",
         [](T *t) {
             Swap(&t->files_["missions/four.xml"], "value=\"4\"", "value=\"3\"");
             Swap(&t->files_["missions/four.xml"], "<node type=\"MinigunTrooper\" />\n", "");
         },
         "content: missions/four.xml: MISSION3_1 starts with 3 troopers of a squad of 3 (its squad is 4)"},
        {"the deprecated trooper count",
         [](T *t) {
             Swap(&t->files_["missions/x-s.xml"], "<array id=\"gameplay\">\n",
                  "<array id=\"gameplay\">\n<node id=\"num_troopers_at_start\" value=\"2\" />\n");
         },
         "content: missions/x-s.xml: sets \"num_troopers_at_start\" (list the squad in \"starting_troopers\")"},
        {"a class shown as new that the squad already has",
         [](T *t) {
             Swap(&t->files_["missions.xml"], "unlocks=\"SMALL_PRIZE,BIG_PRIZE\"", "unlocks=\"MINIGUN_TROOPER,BIG_PRIZE\"");
             Swap(&t->files_["shop.xml"], "<node id=\"SMALL_PRIZE\" />",
                  "<node id=\"MINIGUN_TROOPER\" type=\"New trooper class\" />");
         },
         "content: missions.xml: mission 'MISSION1_1' unlocks 'MINIGUN_TROOPER' as a new trooper class, but "
         "'MinigunTrooper' has been in the squad since 'MISSION1_1'"},
        {"a tip waiting for an unknown creature",
         [](T *t) {
             Swap(&t->files_["missions/two.xml"], "tutorial=\"MOVING\"", "tutorial=\"MOVING\" when_on_field=\"Hund\"");
         },
         "content: missions/two.xml: wave node 2 waits for 'Hund', which is no enemy type"},
        {"a wave of no aliens",
         [](T *t) { Swap(&t->files_["missions/two.xml"], "num=\"10\"", "num=\"0\""); },
         "content: missions/two.xml: waves node 3 has \"num\" 0 (1 to 100)"},
        {"a gameplay number out of range",
         [](T *t) {
             Swap(&t->files_["missions/x-s.xml"], "<array id=\"gameplay\">\n",
                  "<array id=\"gameplay\">\n<node id=\"hitpoint_increase_per_wave\" value=\"4\" />\n");
         },
         "content: missions/x-s.xml: gameplay has \"hitpoint_increase_per_wave\" 4 (0 to 1)"},
        {"a score mode without a pause between waves",
         [](T *t) { Swap(&t->files_["missions/x-s.xml"], "value=\"8\"", "value=\"0\""); },
         "content: missions/x-s.xml: has \"delay_between_waves\" 0 or less (a score mode needs a pause between waves)"},
        {"a gap in the score-mode waves",
         [](T *t) { Swap(&t->files_["missions/x-c.xml"], "min_wave=\"4\"", "min_wave=\"5\""); },
         "content: missions/x-c.xml: has no wave block for wave 4"},
        {"score waves that run out",
         [](T *t) { Swap(&t->files_["missions/x-o.xml"], "min_wave=\"4\" />", "min_wave=\"4\" max_wave=\"9\" />"); },
         "content: missions/x-o.xml: has no wave block without \"max_wave\" (the waves would run out)"},
        {"a collector level without health drops",
         [](T *t) { Swap(&t->files_["missions/x-c.xml"], "<node id=\"PowerupHealth\" num=\"1\" />\n", ""); },
         "content: missions/x-c.xml: mode COLLECTOR drops 'PowerupHealth' but the level lists no such pick-up"},
        {"an unknown emitter switched",
         [](T *t) {
             Swap(&t->files_["missions/two.xml"], "<node type=\"DELAY\" delay=\"5\" />",
                  "<node type=\"DELAY\" delay=\"5\" disable_emitter=\"smoke\" />");
         },
         "content: missions/two.xml: wave node 4 switches unknown emitter 'smoke'"},
        {"a missing decal",
         [](T *t) {
             Swap(&t->files_["missions/two.xml"], "<array id=\"gameplay\">",
                  "<array id=\"environment_decals\">\n<node bitmap=\"terrain/decals/none.png\" x=\"1\" y=\"1\" />\n"
                  "</array>\n<array id=\"gameplay\">");
         },
         "content: missions/two.xml: names 'terrain/decals/none.png', which is not in the program directory"},
        {"a wall between the left edge and the bunker",
         [](T *t) {
             Swap(&t->files_["missions/three.xml"], "<array id=\"gameplay\">",
                  "<array id=\"obstacles\">\n<node obstacle=\"terrain/obstacles/wall.xml\" x=\"300\" y=\"384\" />\n"
                  "</array>\n<array id=\"gameplay\">");
         },
         "content: missions/three.xml: obstacles wall the bunker off from the left edge"},
        {"an obstacle on a trooper post",
         [](T *t) {
             Swap(&t->files_["missions/two.xml"], "<array id=\"gameplay\">",
                  "<array id=\"obstacles\">\n<node obstacle=\"terrain/obstacles/medtent.xml\" x=\"660\" y=\"454\" />\n"
                  "</array>\n<array id=\"gameplay\">");
         },
         "content: missions/two.xml: obstacle 1 stands within 80 of trooper post 1"},
    };
    cctest::ExpectEachFault(this, cases, false);
}

}  // namespace
