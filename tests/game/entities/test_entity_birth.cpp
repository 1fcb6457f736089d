// An entity's birth values, the friend-group change and the voice sets: scripted random
// values, the world's per-group counters, and the sounds picked as the engine sees them.
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"

#include "app/services/audioman.h"
#include "app/services/random.h"
#include "tests/app/services/app_engine_fixture.h"
#include "tests/game/game_fixture.h"

#include "ovrecords.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

// Scripted values for AppRandom, and how many were drawn.
std::vector<int> g_script;
size_t g_drawn = 0;
int ScriptedRandom()
{
    int v = g_drawn < g_script.size() ? g_script[g_drawn] : 0;
    g_drawn++;
    return v;
}
void ScriptRandom(std::vector<int> values)
{
    g_script = std::move(values);
    g_drawn = 0;
    AppSetRandomSource(ScriptedRandom);
}

// A world of the given width, published for the test's duration.
class WorldScope {
public:
    explicit WorldScope(int width)
    {
        world.width = width;
        world.height = width / 2;
        SetScape(&world);
    }
    ~WorldScope() { SetScape(nullptr); }
    Scape world;
};

float Frac(int v)
{
    return (float)v / 32767.0f;
}

}  // namespace

class EntityBirth : public ::testing::Test {
protected:
    void TearDown() override { AppSetRandomSource(nullptr); }
};

TEST_F(EntityBirth, ValuesFromTheTypeAndFiveScriptedDraws)
{
    WorldScope scope(1025);  // integer halving: 512
    EntityType type("Grunt");
    type.flags = Entity::NORMAL | Entity::MOVABLE;
    type.radius = 12.0f;
    type.damage = 3.5f;
    type.scale = 0.75f;
    type.points_worth = 40;
    type.material = Entity::METAL;
    type.friend_group = Entity::ENEMIES;
    type.color = color_t{0.1f, 0.2f, 0.3f, 0.4f};
    type.hit_points = 55.0f;
    type.top_speed = 80.0f;
    Weapon *weapon = reinterpret_cast<Weapon *>(&type);  // an address only; never used

    type.weapon = weapon;
    Entity e;
    memset(&e, 0x5a, sizeof e);  // leftovers of a former life
    e.type = &type;
    e.burn_damage = 9.0f;
    e.range = 300.0f;
    e.select_time = 1234;
    e.path_pos = 77.0f;
    Entity *keep_next = e.next;

    ScriptRandom({1000, 2000, 3000, 4000, 5000, 6000});
    type.InitEntity(&e, vec2_t{100.0f, 200.0f});
    EXPECT_EQ(5u, g_drawn);

    EXPECT_EQ(Entity::NORMAL | Entity::MOVABLE, e.flags);
    EXPECT_EQ(weapon, e.weapon);
    EXPECT_EQ(12.0f, e.radius);
    EXPECT_EQ(3.5f, e.damage);
    EXPECT_EQ(0.75f, e.scale);
    EXPECT_EQ(40, e.points_worth);
    EXPECT_EQ(Entity::METAL, e.material);
    EXPECT_EQ(Entity::ENEMIES, e.friend_group);
    EXPECT_EQ(0.3f, e.color.b);
    EXPECT_EQ(55.0f, e.hit_points);
    EXPECT_EQ(55.0f, e.max_hit_points);
    EXPECT_EQ(80.0f, e.speed);

    EXPECT_EQ(Entity::STATE_ALIVE, e.state);
    EXPECT_TRUE(e.IsAlive());
    EXPECT_EQ(0.0f, e.phase);
    EXPECT_EQ(0.0f, e.age);
    EXPECT_EQ(100.0f, e.pos.x);
    EXPECT_EQ(200.0f, e.pos.y);
    EXPECT_EQ(100.0f, e.origin.x);
    EXPECT_EQ(200.0f, e.origin.y);
    EXPECT_FLOAT_EQ(0.2f, e.reload_timer);
    EXPECT_EQ(0.0f, e.ammo);

    EXPECT_FLOAT_EQ(Frac(1000), e.anim_time);
    EXPECT_FLOAT_EQ(50.0f + 462.0f * Frac(2000), e.goal.x);
    EXPECT_FLOAT_EQ(50.0f + 462.0f * Frac(3000), e.goal.y);
    EXPECT_FLOAT_EQ(Frac(4000), e.random_phase);
    EXPECT_FLOAT_EQ(Frac(5000), e.avoid_side);

    EXPECT_EQ(-1, e.slot);
    EXPECT_EQ(-1, e.waypoint);
    EXPECT_STREQ("", e.powerup_id);
    EXPECT_FALSE(e.powerup_active);

    // Cleared.
    EXPECT_EQ(nullptr, e.owner);
    EXPECT_EQ(nullptr, e.target);
    EXPECT_EQ(nullptr, e.base_weapon);
    EXPECT_EQ(nullptr, e.powerup);
    EXPECT_EQ(nullptr, e.burner);
    EXPECT_EQ(nullptr, e.last_hit);
    EXPECT_EQ(nullptr, e.path);
    const float cleared[] = {e.powerup_time, e.recoil,        e.highlight,      e.shot_timer,    e.throttle,
                             e.attack_phase, e.aim_angle,     e.splash_damage,  e.splash_range,  e.trail_distance,
                             e.trail_emitted, e.burn_time,    e.chill_time,     e.velocity.x,    e.velocity.y,
                             e.angle,        e.avoid_time,    e.goal_timer,     e.damage_dealt,  e.damage_taken};
    for (size_t i = 0; i < sizeof cleared / sizeof cleared[0]; i++)
        EXPECT_EQ(0.0f, cleared[i]) << "cleared float " << i;
    EXPECT_EQ(0u, e.attack_time);
    EXPECT_FALSE(e.trigger);
    EXPECT_EQ(0, e.goal_count);
    EXPECT_EQ(0, e.kills);
    EXPECT_EQ(0, e.shots_fired);
    EXPECT_EQ(0, e.deaths);

    // Left for whoever uses them first; links are the pool's and the world's.
    EXPECT_EQ(9.0f, e.burn_damage);
    EXPECT_EQ(300.0f, e.range);
    EXPECT_EQ(1234u, e.select_time);
    EXPECT_EQ(77.0f, e.path_pos);
    EXPECT_EQ(&type, e.type);
    EXPECT_EQ(keep_next, e.next);
}

// Goals span 50 .. W/2 for the extreme draws.
TEST_F(EntityBirth, GoalRangeFollowsTheWorldWidth)
{
    EntityType type("Grunt");
    const struct { int width; int draw; float goal; } cases[] = {
        {1024, 0, 50.0f}, {1024, 32767, 512.0f}, {1025, 32767, 512.0f}, {301, 32767, 150.0f},
    };
    for (const auto &c : cases) {
        WorldScope scope(c.width);
        Entity e = {};
        ScriptRandom({0, c.draw, c.draw, 0, 0});
        type.InitEntity(&e, vec2_t{0.0f, 0.0f});
        EXPECT_FLOAT_EQ(c.goal, e.goal.x) << c.width;
        EXPECT_FLOAT_EQ(c.goal, e.goal.y) << c.width;
    }
}

TEST(EntityGroup, ChangeGroupMovesOneCount)
{
    WorldScope scope(800);
    Scape &w = scope.world;
    Entity e = {};
    e.friend_group = Entity::PLAYERS;
    w.group_counts[Entity::PLAYERS] = 3;
    w.group_counts[Entity::ENEMIES] = 5;

    e.ChangeGroup(Entity::PLAYERS);  // same group: nothing changes
    EXPECT_EQ(3, w.group_counts[Entity::PLAYERS]);
    EXPECT_EQ(5, w.group_counts[Entity::ENEMIES]);

    e.ChangeGroup(Entity::ENEMIES);
    EXPECT_EQ(Entity::ENEMIES, e.friend_group);
    EXPECT_EQ(2, w.group_counts[Entity::PLAYERS]);
    EXPECT_EQ(6, w.group_counts[Entity::ENEMIES]);

    // An emptied counter is not wrapped; a group outside the counters only renames.
    w.group_counts[Entity::ENEMIES] = 0;
    e.ChangeGroup(Entity::PLAYERS);
    EXPECT_EQ(0, w.group_counts[Entity::ENEMIES]);
    EXPECT_EQ(3, w.group_counts[Entity::PLAYERS]);
    e.ChangeGroup(200);
    EXPECT_EQ(200, e.friend_group);
    EXPECT_EQ(2, w.group_counts[Entity::PLAYERS]);
}

// ---- Voice sets, with the engine up and its play call recorded.

namespace {

struct PlayedSound {
    ov_sound_t *sound;
    float volume, pan, frequency;
};
std::vector<PlayedSound> g_played;
long RecordPlay(ov_sound_t *s, float volume, float pan, float frequency)
{
    g_played.push_back({s, volume, pan, frequency});
    return (long)g_played.size();
}

void PutLE(std::string &out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out.push_back((char)((v >> (8 * i)) & 0xff));
}

// A short mono 16-bit WAV.
std::string TinyWav(int samples)
{
    std::string data;
    for (int i = 0; i < samples; i++)
        PutLE(data, (uint32_t)(uint16_t)(int16_t)(i * 64), 2);
    std::string wav = "RIFF";
    PutLE(wav, 36 + (uint32_t)data.size(), 4);
    wav += "WAVEfmt ";
    PutLE(wav, 16, 4);
    PutLE(wav, 1, 2);      // PCM
    PutLE(wav, 1, 2);      // mono
    PutLE(wav, 22050, 4);  // rate
    PutLE(wav, 44100, 4);  // bytes per second
    PutLE(wav, 2, 2);      // block align
    PutLE(wav, 16, 2);     // bits
    wav += "data";
    PutLE(wav, (uint32_t)data.size(), 4);
    return wav + data;
}

}  // namespace

// The engine and a 1024-unit world up, with the engine's play call recorded.
class SoundSetTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        for (int i = 0; i < 6; i++)
            apptest::WriteFile("sfx/voice" + std::to_string(i) + ".wav", TinyWav(200 + i));
        MakeWorld(8, 6, 128.0f);
        ov->OV_PlaySound = RecordPlay;
        g_played.clear();
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        gametest::GameTest::TearDown();
    }
};

TEST_F(SoundSetTest, KeepsFiveInOrderAndIgnoresNull)
{
    SoundSet set;
    set.AddSound(nullptr);
    EXPECT_EQ(0, set.count);
    for (int i = 0; i < 6; i++)
        set.AddSound(("sfx/voice" + std::to_string(i) + ".wav").c_str());
    ASSERT_EQ(5, set.count);
    for (int i = 0; i < 5; i++) {
        ASSERT_NE(nullptr, set.sounds[i]);
        EXPECT_NE(nullptr, strstr(set.sounds[i]->name, ("voice" + std::to_string(i)).c_str())) << i;
    }
}

TEST_F(SoundSetTest, EmptySetPlaysNothingAndDrawsNothing)
{
    SoundSet set;
    ScriptRandom({1, 2, 3});
    EXPECT_EQ(0, set.PlayAt(vec2_t{400.0f, 200.0f}));
    EXPECT_EQ(0u, g_drawn);
    EXPECT_TRUE(g_played.empty());
}

// Member, then volume, then pitch: recorded as the engine's play call sees them.
TEST_F(SoundSetTest, PicksMemberThenVolumeThenPitch)
{
    SoundSet set;
    for (int i = 0; i < 3; i++)
        set.AddSound(("sfx/voice" + std::to_string(i) + ".wav").c_str());
    const struct { int member, vol, pitch; int index; float volume, frequency; } cases[] = {
        {0, 0, 0, 0, 0.9f, 0.9f},
        {4, 32767, 32767, 1, 1.0f, 1.1f},
        {5, 16383, 0, 2, 0.9f + 0.1f * Frac(16383), 0.9f},
    };
    for (const auto &c : cases) {
        g_played.clear();
        ScriptRandom({c.member, c.vol, c.pitch});
        EXPECT_EQ(1, set.PlayAt(vec2_t{400.0f, 200.0f}));
        EXPECT_EQ(3u, g_drawn);
        ASSERT_EQ(1u, g_played.size());
        EXPECT_EQ(set.sounds[c.index], g_played[0].sound);
        EXPECT_FLOAT_EQ(c.frequency, g_played[0].frequency);
        // The world plays at the set's volume under the player's sound volume, panned
        // by the position in the 1024-unit world.
        EXPECT_FLOAT_EQ(c.volume * aman.GetSoundVolume(), g_played[0].volume);
        EXPECT_FLOAT_EQ((400.0f - 512.0f) / 1024.0f * 0.5f, g_played[0].pan);
    }
}

// A select set's fixed pitch range plays every voice at 1.0.
TEST_F(SoundSetTest, SelectSetPlaysAtPitchOne)
{
    SoundSet set;
    set.pitch_min = set.pitch_max = 1.0f;
    set.AddSound("sfx/voice0.wav");
    const int draws[] = {0, 9000, 32767};
    for (int d : draws) {
        g_played.clear();
        ScriptRandom({0, d, d});
        set.PlayAt(vec2_t{400.0f, 200.0f});
        ASSERT_EQ(1u, g_played.size());
        EXPECT_FLOAT_EQ(1.0f, g_played[0].frequency);
    }
}

// ---- Spawning through the world draws on the pool.

class WorldPool : public gametest::GameTest {};

TEST_F(WorldPool, FiveHundredTwelfthSpawnFailsAndAReturnedRecordLeavesItsCell)
{
    StartGame();
    WriteEntities("<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"5\"/>\n");
    MakeWorld();
    EntityType *grunt = world->stock->GetEntityType("Grunt");
    ASSERT_NE(nullptr, grunt);
    std::vector<Entity *> spawned;
    for (int i = 0; i < 511; i++) {
        Entity *e = world->SpawnEntitySilent(grunt, vec2_t{100.0f + (float)(i % 50) * 10.0f, 100.0f});
        ASSERT_NE(nullptr, e) << i;
        spawned.push_back(e);
    }
    EXPECT_EQ(nullptr, world->SpawnEntity(grunt, vec2_t{300.0f, 300.0f}));

    // Returned while still linked: it leaves its cell's ring, whose others stay.
    Entity *gone = spawned[7];
    ScapeCell *cell = gone->cell;
    ASSERT_NE(nullptr, cell);
    int before = cell->num_entities;
    world->stock->FreeEntity(gone);
    EXPECT_EQ(nullptr, gone->cell);
    EXPECT_EQ(before - 1, cell->num_entities);
    int walked = 0;
    for (Entity *r = cell->first; r && walked <= before; r = r->next) {
        EXPECT_NE(gone, r);
        walked++;
        if (r->next == cell->first)
            break;
    }
    EXPECT_EQ(before - 1, walked);
    // One more record fits now (placed as a level places it: an enemy spawned in play
    // would leave the squad's reserve free).
    EXPECT_NE(nullptr, world->SpawnEntitySilent(grunt, vec2_t{300.0f, 300.0f}));
    EXPECT_EQ(nullptr, world->SpawnEntitySilent(grunt, vec2_t{300.0f, 300.0f}));
}
