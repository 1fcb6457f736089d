// Firing through the world: the fan of projectiles with scripted draws, bullets and
// entity projectiles (hit points scaled by a smaller shooter), recoil and the shot
// counter, the fire sound's volume and pitch, and a weapon without projectile type.
// Also the reload's sound and clip effect in a world.
#include "tests/game/game_fixture.h"

#include "app/services/audioman.h"
#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "ovrecords.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <fstream>

#include <string>
#include <vector>

namespace {

struct PlayedSound {
    std::string name;
    float volume, pan, frequency;
};
std::vector<PlayedSound> played;

long RecordPlaySound(ov_sound_t *s, float volume, float pan, float frequency)
{
    played.push_back({s && s->name ? s->name : "", volume, pan, frequency});
    return 1;
}

std::vector<int> script;
size_t script_next = 0;
int ScriptedRandom()
{
    if (script.empty())
        return 0;
    return script[script_next++ % script.size()];
}
void ScriptDraws(std::vector<int> values)
{
    script = std::move(values);
    script_next = 0;
    AppSetRandomSource(ScriptedRandom);
}

const char kEntities[] =
    "<node id=\"Shooter\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" scale=\"1\" "
    "top_speed=\"100\" />\n"
    "<node id=\"Slug\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"1\" damage=\"10\" scale=\"1\" />\n"
    "<node id=\"Drone\" flags=\"NORMAL MOVABLE\" friend_group=\"INHERIT\" hit_points=\"40\" damage=\"3\" "
    "scale=\"1\" />\n";

const char kWeapons[] =
    "<node id=\"Fan\" projectile_entity=\"Slug\" projectiles_per_shot=\"5\" projectile_angle_spread=\"0.5\" "
    "projectile_range=\"200\" projectile_range_random=\"0.5\" projectile_speed=\"300\" "
    "projectile_speed_random=\"0.2\" projectile_damage_multiplier=\"2\" recoil=\"1.5\" snd_fire=\"sfx/fan\" "
    "fire_sound_pitch_min=\"0.8\" fire_sound_pitch_max=\"1.2\" fx_muzzle_flash=\"fxs/flash.lua\" "
    "fx_shell_eject=\"fxs/shell.lua\" shell_eject_x=\"4\" />\n"
    "<node id=\"FireTrail\" inherit=\"Fan\" projectiles_per_shot=\"1\" />\n"
    "<node id=\"Launcher\" projectile_entity=\"Drone\" projectile_class=\"ENTITY\" projectile_splash_damage=\"30\" "
    "projectile_splash_range=\"45\" projectile_angle_spread=\"0\" projectile_damage_multiplier=\"5\" />\n"
    "<node id=\"Dud\" recoil=\"2\" snd_fire=\"sfx/dud\" />\n"
    "<node id=\"Clip\" reload_time=\"2\" snd_reload=\"sfx/reload\" fx_clip_eject=\"fxs/clip.lua\" "
    "clip_eject_x=\"3\" />\n"
    "<node id=\"SlowReload\" clip_size=\"3\" reload_size=\"3\" reload_time=\"2\" "
    "snd_reload_end=\"sfx/reload-end\" />\n";

// A mono 16-bit WAV file of the given frames at 22050 Hz, written into the program folder.
void WriteWav(const std::string &name, int frames)
{
    std::string bytes;
    auto put32 = [&bytes](uint32_t v) {
        for (int i = 0; i < 4; i++)
            bytes += (char)((v >> (8 * i)) & 0xff);
    };
    auto put16 = [&bytes](uint16_t v) {
        bytes += (char)(v & 0xff);
        bytes += (char)(v >> 8);
    };
    const uint32_t data_size = (uint32_t)frames * 2;
    bytes += "RIFF";
    put32(36 + data_size);
    bytes += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(22050);
    put32(44100);
    put16(2);
    put16(16);
    bytes += "data";
    put32(data_size);
    for (int i = 0; i < frames; i++)
        put16((uint16_t)(i * 7));
    apptest::WriteFile(name, bytes);
}

class WeaponFireTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame();
        apptest::WriteFile("fxs/flash.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') "
                                          "FXParm ('age_to_die', 5, 5)");
        apptest::WriteFile("fxs/shell.lua", "FXParm ('num_parts', 2) FXParm ('bitmap', 'dot') "
                                          "FXParm ('age_to_die', 5, 5)");
        apptest::WriteFile("fxs/clip.lua", "FXParm ('num_parts', 3) FXParm ('bitmap', 'dot') "
                                          "FXParm ('age_to_die', 5, 5)");
        WriteEntities(kEntities);
        WriteWeapons(kWeapons);
        MakeWorld();
        played.clear();
        ov->OV_PlaySound = RecordPlaySound;
        aman.SetSoundVolume(1.0f);
        shooter = world->SpawnEntity(world->stock->GetEntityType("Shooter"), {300.0f, 200.0f});
        ASSERT_NE(shooter, nullptr);
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        GameTest::TearDown();
    }
    // Entities in play carrying the flag, in pool order.
    std::vector<Entity *> InPlay(uint32_t flag)
    {
        std::vector<Entity *> out;
        for (int i = 0; i < world->stock->num_entities; i++) {
            Entity *e = &world->stock->entities[i];
            if (e->type && e->state == Entity::STATE_ALIVE && (e->flags & flag))
                out.push_back(e);
        }
        return out;
    }
    Entity *shooter = nullptr;
};

struct FanCase {
    int draw;          // every draw gives this value
    float angle;       // of each projectile, aim 1.0
    float range;
    float speed;
    float pitch;
};

TEST_F(WeaponFireTest, FiveShotFanWithScriptedDraws)
{
    Weapon *fan = Weapon::GetWeapon("Fan");
    ASSERT_NE(fan, nullptr);
    ASSERT_NE(fan->projectile_entity, nullptr);
    const FanCase kCases[] = {
        {0, 0.75f, 150.0f, 270.0f, 0.8f},
        {32767, 1.25f, 250.0f, 330.0f, 1.2f},
        {16383, 1.0f - 0.5f * 0.5f / 32767.0f, 200.0f - 100.0f * 0.5f / 32767.0f,
         300.0f - 60.0f * 0.5f / 32767.0f, 1.0f - 0.4f * 0.5f / 32767.0f},
    };
    for (const FanCase &c : kCases) {
        SCOPED_TRACE(c.draw);
        world->Reset();
        shooter = world->SpawnEntity(world->stock->GetEntityType("Shooter"), {300.0f, 200.0f});
        ASSERT_NE(shooter, nullptr);
        played.clear();
        const int shots = game.shots_fired;
        ScriptDraws({c.draw});
        fan->Fire(shooter, {310.0f, 205.0f}, 1.0f);
        AppSetRandomSource(nullptr);
        std::vector<Entity *> slugs = InPlay(Entity::PROJECTILE);
        ASSERT_EQ(slugs.size(), 5u);
        for (Entity *p : slugs) {
            EXPECT_EQ(p->owner, shooter);
            EXPECT_EQ(p->friend_group, Entity::PLAYERS);
            EXPECT_FLOAT_EQ(p->age, 1.0f);
            EXPECT_NEAR(p->angle, c.angle, 1e-5f);
            EXPECT_EQ(p->points_worth, 0);
            EXPECT_NEAR(p->range, c.range, 1e-3f);
            EXPECT_EQ(p->weapon, fan);
            EXPECT_NEAR(p->speed, c.speed, 1e-3f);
            EXPECT_NEAR(p->velocity.x, c.speed * cosf(p->angle), 1e-3f);
            EXPECT_NEAR(p->velocity.y, c.speed * sinf(p->angle), 1e-3f);
            EXPECT_FLOAT_EQ(p->damage, 20.0f);
            EXPECT_FLOAT_EQ(p->pos.x, 310.0f);
            EXPECT_FLOAT_EQ(p->pos.y, 205.0f);
        }
        EXPECT_EQ(game.shots_fired, shots + 1);
        EXPECT_FLOAT_EQ(shooter->recoil, 1.5f);
        ASSERT_EQ(played.size(), 1u);
        EXPECT_EQ(played[0].name, "sfx/fan");
        EXPECT_FLOAT_EQ(played[0].volume, 1.0f);
        EXPECT_NEAR(played[0].frequency, c.pitch, 1e-5f);
    }
}

TEST_F(WeaponFireTest, FanSpreadsWithinHalfTheSpreadEitherWay)
{
    Weapon *fan = Weapon::GetWeapon("Fan");
    ASSERT_NE(fan, nullptr);
    // Distinct draws: each projectile takes its own direction inside aim +- 0.25.
    ScriptDraws({1000, 30000, 5000, 22000, 12000, 27000, 3000, 17000, 9000, 31000, 500, 25000, 14000});
    fan->Fire(shooter, shooter->pos, -2.0f);
    AppSetRandomSource(nullptr);
    std::vector<Entity *> slugs = InPlay(Entity::PROJECTILE);
    ASSERT_EQ(slugs.size(), 5u);
    std::vector<float> angles;
    for (Entity *p : slugs) {
        EXPECT_GE(p->angle, -2.25f);
        EXPECT_LE(p->angle, -1.75f);
        for (float a : angles)
            EXPECT_NE(a, p->angle);
        angles.push_back(p->angle);
    }
}

TEST_F(WeaponFireTest, FireTrailPlaysAtHalfVolumeAndGroupFollowsTheShooter)
{
    Weapon *trail = Weapon::GetWeapon("FireTrail");
    ASSERT_NE(trail, nullptr);
    shooter->ChangeGroup(Entity::ENEMIES);
    const int enemies = world->group_counts[Entity::ENEMIES];
    trail->Fire(shooter, shooter->pos, 0.0f);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_FLOAT_EQ(played[0].volume, 0.5f);
    std::vector<Entity *> slugs = InPlay(Entity::PROJECTILE);
    ASSERT_EQ(slugs.size(), 1u);
    EXPECT_EQ(slugs[0]->friend_group, Entity::ENEMIES);
    EXPECT_EQ(world->group_counts[Entity::ENEMIES], enemies + 1);
}

struct ScaleCase {
    float shooter_scale;
    float hit_points;
};

TEST_F(WeaponFireTest, EntityProjectilesScaleWithASmallerShooter)
{
    Weapon *launcher = Weapon::GetWeapon("Launcher");
    ASSERT_NE(launcher, nullptr);
    EXPECT_EQ(launcher->projectile_class, WEAPON_PROJECTILE_ENTITY);
    const ScaleCase kCases[] = {{1.0f, 40.0f}, {0.5f, 20.0f}, {0.25f, 10.0f}, {1.5f, 40.0f}};
    for (const ScaleCase &c : kCases) {
        SCOPED_TRACE(c.shooter_scale);
        world->Reset();
        shooter = world->SpawnEntity(world->stock->GetEntityType("Shooter"), {300.0f, 200.0f});
        ASSERT_NE(shooter, nullptr);
        shooter->scale = c.shooter_scale;
        launcher->Fire(shooter, shooter->pos, 0.5f);
        std::vector<Entity *> drones;
        for (Entity *e : InPlay(Entity::NORMAL))
            if (e != shooter)
                drones.push_back(e);
        ASSERT_EQ(drones.size(), 1u);
        Entity *d = drones[0];
        EXPECT_FLOAT_EQ(d->hit_points, c.hit_points);
        EXPECT_FLOAT_EQ(d->max_hit_points, c.hit_points);
        EXPECT_FLOAT_EQ(d->splash_damage, 30.0f);
        EXPECT_FLOAT_EQ(d->splash_range, 45.0f);
        // Entity projectiles keep their own damage, weapon and speed.
        EXPECT_FLOAT_EQ(d->damage, 3.0f);
        EXPECT_EQ(d->weapon, nullptr);
        EXPECT_FLOAT_EQ(d->angle, 0.5f);
        EXPECT_EQ(d->owner, shooter);
    }
}

TEST_F(WeaponFireTest, WeaponWithoutProjectileStillSoundsAndKicks)
{
    Weapon *dud = Weapon::GetWeapon("Dud");
    ASSERT_NE(dud, nullptr);
    const int shots = game.shots_fired;
    const size_t before = InPlay(0xffffffffu).size();
    dud->Fire(shooter, shooter->pos, 0.0f);
    dud->Fire(shooter, shooter->pos, 0.0f);
    EXPECT_EQ(InPlay(0xffffffffu).size(), before);
    EXPECT_FLOAT_EQ(shooter->recoil, 4.0f);
    EXPECT_EQ(game.shots_fired, shots + 2);
    EXPECT_EQ(played.size(), 2u);
}

TEST_F(WeaponFireTest, EffectsGoToTheTopLayer)
{
    Weapon *fan = Weapon::GetWeapon("Fan");
    ASSERT_NE(fan, nullptr);
    const int before = world->top_parts->GetLiveCount();
    fan->Fire(shooter, shooter->pos, 0.0f);
    // One muzzle particle and two shell particles.
    EXPECT_EQ(world->top_parts->GetLiveCount(), before + 3);
}

TEST_F(WeaponFireTest, ReloadPlaysItsSoundAndEjectsTheClip)
{
    Weapon *clip = Weapon::GetWeapon("Clip");
    ASSERT_NE(clip, nullptr);
    clip->SetActive(shooter);
    const int before = world->top_parts->GetLiveCount();
    clip->Reload(shooter);
    EXPECT_FLOAT_EQ(shooter->reload_timer, 2.0f);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].name, "sfx/reload");
    EXPECT_FLOAT_EQ(played[0].volume, 1.0f);
    EXPECT_FLOAT_EQ(played[0].frequency, 1.0f);
    EXPECT_EQ(world->top_parts->GetLiveCount(), before + 3);
}

// The weapon update starts the reload-end sound when the reload time left crosses the
// sound's length as the engine reports it, so that the sound ends with the reload.
TEST_F(WeaponFireTest, ReloadEndSoundStartsItsLengthBeforeTheEnd)
{
    WriteWav("sfx/reload-end.wav", 11025);  // 0.5 s
    Weapon *slow = Weapon::GetWeapon("SlowReload");
    ASSERT_NE(slow, nullptr);
    ASSERT_NE(slow->snd_reload_end, nullptr);
    ov_get_sound_length_fn length = reinterpret_cast<ov_get_sound_length_fn>(ov->ext[OV_EXT_GET_SOUND_LENGTH]);
    ASSERT_NE(length, nullptr);
    ASSERT_NEAR(length(slow->snd_reload_end), 0.5f, 1e-6f);

    slow->SetActive(shooter);
    shooter->ammo = 0.0f;  // the clip is spent: the next update reloads
    EntityAI *ai = shooter->type->ai;
    ASSERT_NE(ai, nullptr);
    played.clear();
    float started_at = -1.0f;
    for (int frame = 0; frame < 30 && shooter->reload_timer >= 0.0f; frame++) {
        const float before = shooter->reload_timer;
        ai->UpdateEntityWeapon(shooter, 0.125f);
        if (!played.empty() && started_at < 0.0f) {
            started_at = shooter->reload_timer;
            EXPECT_GT(before, 0.5f);
        }
        if (shooter->ammo > 0.0f)
            break;
    }
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].name, "sfx/reload-end");
    // Started when half a second was left, and the clip refilled 0.5 s later.
    EXPECT_FLOAT_EQ(started_at, 0.5f);
    EXPECT_FLOAT_EQ(shooter->ammo, 3.0f);
    EXPECT_FLOAT_EQ(shooter->reload_timer, 0.0f);
}

}  // namespace
