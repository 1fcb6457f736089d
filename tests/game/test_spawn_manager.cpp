// The spawn queue: order of due times, the pool limit and its popup, the formations
// with scripted random values, the limits of the group and event tables, and the
// groups and events read from their data files.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "game/entities/entity-types.h"
#include "game/spawn-manager.h"

#include <math.h>
#include <string>
#include <vector>

using namespace apptest;

namespace {

std::string features;

const char *FakeExtension(const char *command, const char *argument)
{
    std::string key = std::string(command ? command : "") + "/" + (argument ? argument : "");
    return key == "ProgramInfo/Features" ? features.c_str() : nullptr;
}

std::vector<int> scripted;
size_t next_value = 0;
int ScriptedRandom()
{
    return next_value < scripted.size() ? scripted[next_value++] : 0;
}

class SpawnManagerTest : public AppEngineTest {
protected:
    void SetUp() override
    {
        AppEngineTest::SetUp();
        Start();
        ov->OV_CallExtension = FakeExtension;
        SetFeatures("");
        dman().ReleaseAllDatabases();
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        SetFeatures("");
        dman().ReleaseAllDatabases();
        AppEngineTest::TearDown();
    }
    void SetFeatures(const char *text)
    {
        features = text;
        feature_man.Initialize();
    }
    void Script(std::vector<int> values)
    {
        scripted = values;
        next_value = 0;
        AppSetRandomSource(ScriptedRandom);
    }
    // The queued items, head first.
    static std::vector<SpawnInfo *> Queue(const SpawnManager &m)
    {
        std::vector<SpawnInfo *> out;
        for (SpawnInfo *i = m.queue_head; i; i = i->next)
            out.push_back(i);
        return out;
    }
    static int FreeCount(const SpawnManager &m)
    {
        int n = 0;
        for (SpawnInfo *i = m.free_list; i; i = i->next)
            ++n;
        return n;
    }

    EntityType grunt{"Grunt"};
};

vec2_t V(float x, float y)
{
    vec2_t v = {x, y};
    return v;
}

}  // namespace

TEST_F(SpawnManagerTest, QueueKeepsDueOrderNewestFirstAmongEqualTimesAndNeverBeforeTheHead)
{
    struct Case {
        const char *name;
        std::vector<unsigned long> times;  // queued in this order, tagged 0, 1, 2 ... by x
        std::vector<int> expected;         // tags head first
    };
    const Case kCases[] = {
        {"ascending", {100, 200, 300}, {0, 1, 2}},
        {"descending after the head", {300, 200, 100}, {0, 2, 1}},
        {"equal times: newest first behind the head", {100, 100, 100}, {0, 2, 1}},
        {"earlier than the head goes right after it", {500, 600, 100}, {0, 2, 1}},
        {"equal to a middle item goes before it", {100, 200, 300, 200}, {0, 3, 1, 2}},
        {"later than the tail appends", {100, 100, 150}, {0, 1, 2}},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        SpawnManager m(16);
        for (size_t i = 0; i < c.times.size(); ++i)
            ASSERT_NE(m.AddSpawnInfo(c.times[i], &grunt, V((float)i, 0)), nullptr);
        std::vector<int> tags;
        for (SpawnInfo *item : Queue(m))
            tags.push_back((int)item->pos.x);
        EXPECT_EQ(tags, c.expected);
        EXPECT_EQ((int)m.queue_tail->pos.x, c.expected.back());
        EXPECT_EQ(FreeCount(m), 16 - (int)c.times.size());
    }
}

TEST_F(SpawnManagerTest, NewItemHasDefaultsAndNullTypeQueuesNothing)
{
    SpawnManager m(4);
    EXPECT_EQ(m.AddSpawnInfo(10, nullptr, V(1, 2)), nullptr);
    EXPECT_FALSE(m.AreEnemiesLeftToSpawn());
    SpawnInfo *item = m.AddSpawnInfo(10, &grunt, V(1, 2));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->time, 10u);
    EXPECT_EQ(item->type, &grunt);
    EXPECT_FLOAT_EQ(item->angle, 0.0f);
    EXPECT_FLOAT_EQ(item->hit_point_factor, 1.0f);
    EXPECT_EQ(item->no_alert, 0);
    EXPECT_TRUE(m.AreEnemiesLeftToSpawn());
    m.Reset();
    EXPECT_FALSE(m.AreEnemiesLeftToSpawn());
    EXPECT_EQ(FreeCount(m), 4);
    EXPECT_EQ(m.clock, 0u);
    EXPECT_EQ(m.level, 1);
    EXPECT_EQ(m.sub_level, 1);
}

TEST_F(SpawnManagerTest, The513thItemIsRefusedWithThePopupUnlessAutoTesting)
{
    // Auto-testing first: the popup shows each text once, so the silent run must not
    // follow a run that showed it.
    for (bool auto_testing : {true, false}) {
        SCOPED_TRACE(auto_testing ? "AUTO_TESTING_MODE" : "no features");
        SetFeatures(auto_testing ? "BETA AUTO_TESTING_MODE" : "BETA");
        int before = CountLogged("Out of free spawn info items...");
        SpawnManager m(512);
        for (int i = 0; i < 512; ++i)
            ASSERT_NE(m.AddSpawnInfo((unsigned long)i, &grunt, V(0, 0)), nullptr) << i;
        EXPECT_EQ(CountLogged("Out of free spawn info items..."), before);
        EXPECT_EQ(m.AddSpawnInfo(5, &grunt, V(0, 0)), nullptr);
        EXPECT_EQ(Queue(m).size(), 512u);
        DrawFrame();  // popups reach the log at the frame's end
        // The popup is shown once per text, so only the first run can add its line.
        if (auto_testing)
            EXPECT_EQ(CountLogged("Out of free spawn info items..."), before);
        else
            EXPECT_GT(CountLogged("Out of free spawn info items..."), before);
    }
}

TEST_F(SpawnManagerTest, CircleAndPointFormations)
{
    SpawnManager m(16);
    m.SpawnGroupCircle(1000, &grunt, 4, 0.25f, V(100, 50), 10.0f);
    std::vector<SpawnInfo *> q = Queue(m);
    ASSERT_EQ(q.size(), 4u);
    const float kX[] = {110, 100, 90, 100}, kY[] = {50, 60, 50, 40};
    const unsigned kTimes[] = {1000, 1250, 1500, 1750};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(q[i]->pos.x, kX[i], 1e-4);
        EXPECT_NEAR(q[i]->pos.y, kY[i], 1e-4);
        EXPECT_EQ(q[i]->time, kTimes[i]);
    }
    SpawnManager p(4);
    p.SpawnGroupCircle(0, &grunt, 3, 0.0f, V(7, 8), 0.0f);
    for (SpawnInfo *item : Queue(p)) {
        EXPECT_FLOAT_EQ(item->pos.x, 7.0f);
        EXPECT_FLOAT_EQ(item->pos.y, 8.0f);
    }
    EXPECT_EQ(Queue(p).size(), 3u);
}

TEST_F(SpawnManagerTest, LineFormationSpreadsMembersAndGivesThemTheFacing)
{
    SpawnManager m(16);
    m.SpawnGroupLine(0, &grunt, 3, 1.0f, V(0, 0), V(20, 10), 1.5f);
    std::vector<SpawnInfo *> q = Queue(m);
    ASSERT_EQ(q.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(q[i]->pos.x, 10.0f * (float)i);
        EXPECT_FLOAT_EQ(q[i]->pos.y, 5.0f * (float)i);
        EXPECT_FLOAT_EQ(q[i]->angle, 1.5f);
        EXPECT_EQ(q[i]->time, 1000u * (unsigned)i);
    }
    SpawnManager one(4);
    one.SpawnGroupLine(0, &grunt, 1, 1.0f, V(3, 4), V(20, 10), 0.5f);
    ASSERT_EQ(Queue(one).size(), 1u);
    EXPECT_FLOAT_EQ(one.queue_head->pos.x, 3.0f);
    EXPECT_FLOAT_EQ(one.queue_head->pos.y, 4.0f);
}

TEST_F(SpawnManagerTest, RectangleFormationDrawsXThenYFromTheRandomSource)
{
    Script({0, 32767, 32767, 0, 16383, 16383});
    SpawnManager m(16);
    m.SpawnGroupRectangle(0, &grunt, 3, 0.5f, V(100, 100), 40.0f, 20.0f);
    std::vector<SpawnInfo *> q = Queue(m);
    ASSERT_EQ(q.size(), 3u);
    EXPECT_FLOAT_EQ(q[0]->pos.x, 80.0f);
    EXPECT_FLOAT_EQ(q[0]->pos.y, 110.0f);
    EXPECT_FLOAT_EQ(q[1]->pos.x, 120.0f);
    EXPECT_FLOAT_EQ(q[1]->pos.y, 90.0f);
    EXPECT_NEAR(q[2]->pos.x, 100.0f, 0.01);
    EXPECT_NEAR(q[2]->pos.y, 100.0f, 0.01);
    EXPECT_EQ(next_value, 6u);
}

TEST_F(SpawnManagerTest, FormationEdgeCounts)
{
    struct Case {
        const char *name;
        int n;
        float delay;
        int pool;
        size_t queued;
        unsigned last_time;
    };
    const Case kCases[] = {
        {"zero members", 0, 1.0f, 8, 0, 0},
        {"negative members", -3, 1.0f, 8, 0, 0},
        {"negative delay counts 0", 3, -2.0f, 8, 3, 500},
        {"stops at the first refused item", 10, 0.1f, 4, 4, 800},
    };
    for (const Case &c : kCases) {
        for (int formation = 0; formation < 3; ++formation) {
            SCOPED_TRACE(std::string(c.name) + " formation " + std::to_string(formation));
            Script(std::vector<int>(64, 100));
            SpawnManager m(c.pool);
            if (formation == 0)
                m.SpawnGroupCircle(500, &grunt, c.n, c.delay, V(0, 0), 5.0f);
            else if (formation == 1)
                m.SpawnGroupLine(500, &grunt, c.n, c.delay, V(0, 0), V(10, 0), 0.0f);
            else
                m.SpawnGroupRectangle(500, &grunt, c.n, c.delay, V(0, 0), 10.0f, 10.0f);
            std::vector<SpawnInfo *> q = Queue(m);
            ASSERT_EQ(q.size(), c.queued);
            if (!q.empty()) {
                EXPECT_EQ(m.queue_tail->time, c.last_time);
            }
        }
    }
}

TEST_F(SpawnManagerTest, GroupNumberAndCentreFollowLevelAndPlayer)
{
    SpawnManager m(64);
    SpawnGroup &g = m.groups[0];
    g.id = strdup("Ring");
    g.formation = SPAWN_FORMATION_CIRCLE;
    g.around_player = 1;
    g.pos = V(10, 0);
    g.radius = 0.0f;
    g.entity_type = &grunt;
    g.num_ents_base = 1.5f;
    g.num_ents_per_level = 1.0f;
    g.num_ents_per_sub_level = 0.5f;
    g.spawn_delay = 0.1f;
    m.num_groups = 1;
    m.SetSpawnParms(V(100, 200), 2, 3);
    m.SpawnSpawnGroup(m.GetSpawnGroup("rING"), 40, 2);
    // 2 + int(1.5 + 2 + 1.5) = 7 members around (110, 200).
    std::vector<SpawnInfo *> q = Queue(m);
    ASSERT_EQ(q.size(), 7u);
    EXPECT_FLOAT_EQ(q[0]->pos.x, 110.0f);
    EXPECT_FLOAT_EQ(q[0]->pos.y, 200.0f);
    EXPECT_EQ(m.queue_tail->time, 640u);

    // A line never moves with the player.
    m.Reset();
    g.formation = SPAWN_FORMATION_LINE;
    g.pos_to = V(10, 60);
    g.num_ents_base = 2.0f;
    g.num_ents_per_level = g.num_ents_per_sub_level = 0.0f;
    m.SpawnSpawnGroup(&g, 0, 0);
    q = Queue(m);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[0]->pos.x, 10.0f);
    EXPECT_FLOAT_EQ(q[1]->pos.y, 60.0f);

    EXPECT_EQ(m.GetSpawnGroup(nullptr), nullptr);
    EXPECT_EQ(m.GetSpawnGroup("Other"), nullptr);
    m.SpawnSpawnGroup(nullptr, 0, 5);
    m.SpawnSpawnGroupNow("Other");
    EXPECT_EQ(Queue(m).size(), 2u);
}

TEST_F(SpawnManagerTest, GroupsAndEventsAreReadFromTheirFiles)
{
    prog.parms.width = 480;
    prog.parms.height = 320;
    WriteFile("spawn-groups.xml",
              "<?xml version=\"1.0\"?>\n<root><array id=\"groups\">\n"
              " <node id=\"Dot\" formation=\"POINT\" pos_x=\"5\" pos_y=\"6\" tags=\"SPAWN_AROUND_PLAYER\" "
              "num_ents_base=\"2\" spawn_delay=\"0.5\"/>\n"
              " <node id=\"Ring\" formation=\"CIRCLE\" radius=\"30\" tags=\"BIG,SPAWN_AROUND_PLAYERS\"/>\n"
              " <node id=\"Row\" formation=\"LINE\" pos_to_x=\"100\" pos_to_y=\"50\" angle=\"90\"/>\n"
              " <node id=\"Box\" formation=\"RECTANGLE\" width=\"40\" height=\"20\" num_ents_per_level=\"x\"/>\n"
              " <node id=\"Any\" formation=\"SCATTER\"/>\n"
              " <node formation=\"RANDOM\"/>\n"
              "</array></root>\n");
    WriteFile("spawn-events.xml",
              "<?xml version=\"1.0\"?>\n<root><array id=\"events\">\n"
              " <node tags=\"UNIQUE;FORCE_SPAWN\" min_level=\"2\" max_level=\"9\" rarity=\"3\" num_extra_ents=\"4\" "
              "group=\"Ring\"/>\n"
              " <node tags=\"UNIQUES\" group=\"Nowhere\"/>\n"
              "</array></root>\n");
    SpawnManager m(8);
    m.Init();
    ASSERT_EQ(m.num_groups, 6);
    const SpawnGroup &dot = m.groups[0];
    EXPECT_STREQ(dot.id, "Dot");
    EXPECT_EQ(dot.formation, SPAWN_FORMATION_POINT);
    EXPECT_EQ(dot.around_player, 1);
    EXPECT_FLOAT_EQ(dot.pos.x, 5.0f);
    EXPECT_FLOAT_EQ(dot.num_ents_base, 2.0f);
    EXPECT_FLOAT_EQ(dot.spawn_delay, 0.5f);
    EXPECT_EQ(dot.entity_type, nullptr);  // no "entity_type": queues nothing
    EXPECT_EQ(m.groups[1].formation, SPAWN_FORMATION_CIRCLE);
    EXPECT_FLOAT_EQ(m.groups[1].radius, 30.0f);
    EXPECT_EQ(m.groups[1].around_player, 0);
    EXPECT_EQ(m.groups[2].formation, SPAWN_FORMATION_LINE);
    EXPECT_FLOAT_EQ(m.groups[2].pos_to.x, 100.0f);
    EXPECT_NEAR(m.groups[2].angle, 1.5707963f, 1e-6);
    EXPECT_EQ(m.groups[3].formation, SPAWN_FORMATION_RECTANGLE);
    EXPECT_FLOAT_EQ(m.groups[3].width, 40.0f);
    EXPECT_FLOAT_EQ(m.groups[3].num_ents_per_level, 0.0f);
    for (int i : {4, 5}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m.groups[i].formation, SPAWN_FORMATION_RECTANGLE);
        EXPECT_FLOAT_EQ(m.groups[i].pos.x, 240.0f);
        EXPECT_FLOAT_EQ(m.groups[i].pos.y, 160.0f);
        EXPECT_FLOAT_EQ(m.groups[i].width, 450.0f);
        EXPECT_FLOAT_EQ(m.groups[i].height, 290.0f);
    }
    EXPECT_STREQ(m.groups[5].id, "");

    ASSERT_EQ(m.num_events, 2);
    EXPECT_EQ(m.events[0].flags, SPAWN_EVENT_UNIQUE | SPAWN_EVENT_FORCE_SPAWN);
    EXPECT_EQ(m.events[0].min_level, 2);
    EXPECT_EQ(m.events[0].max_level, 9);
    EXPECT_EQ(m.events[0].rarity, 3);
    EXPECT_EQ(m.events[0].num_extra_ents, 4);
    EXPECT_EQ(m.events[0].group, &m.groups[1]);
    EXPECT_EQ(m.events[1].flags, 0);
    EXPECT_EQ(m.events[1].group, nullptr);

    m.events[0].times_used = 3;
    m.Reset();
    EXPECT_EQ(m.events[0].times_used, 0);

    // Files without their arrays keep what was loaded.
    dman().ReleaseAllDatabases();
    const char *other = "<?xml version=\"1.0\"?>\n<root><array id=\"other\"><node id=\"x\"/></array></root>\n";
    WriteFile("spawn-groups.xml", other);
    WriteFile("spawn-events.xml", other);
    m.Init();
    EXPECT_EQ(m.num_groups, 6);
    EXPECT_EQ(m.num_events, 2);
}

TEST_F(SpawnManagerTest, TablesIgnoreGroupsPast64AndEventsPast128)
{
    const std::string head = "<?xml version=\"1.0\"?>\n<root><array id=";
    std::string groups = head + "\"groups\">\n", events = head + "\"events\">\n";
    for (int i = 0; i < 70; ++i)
        groups += " <node id=\"G" + std::to_string(i) + "\" formation=\"POINT\"/>\n";
    for (int i = 0; i < 140; ++i)
        events += " <node rarity=\"" + std::to_string(i) + "\" group=\"G63\"/>\n";
    WriteFile("spawn-groups.xml", groups + "</array></root>\n");
    WriteFile("spawn-events.xml", events + "</array></root>\n");
    SpawnManager m(8);
    m.Init();
    EXPECT_EQ(m.num_groups, SPAWN_MAX_GROUPS);
    EXPECT_STREQ(m.groups[63].id, "G63");
    EXPECT_EQ(m.GetSpawnGroup("G64"), nullptr);
    EXPECT_EQ(m.num_events, SPAWN_MAX_EVENTS);
    EXPECT_EQ(m.events[127].rarity, 127);
    EXPECT_EQ(m.events[127].group, &m.groups[63]);
}
