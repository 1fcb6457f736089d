// The behaviour base's weapon rhythm (recoil decay, shots from the muzzle, the clip
// and the reload, the reload-end sound timed to end with the reload) and its melee
// hit with the half-second gate.
#include "tests/game/entities/test_entity_ai_fixture.h"

#include "app/services/audioman.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

namespace aitest {
namespace {

const char *const kWeapons =
    "<node id=\"Rifle\" projectile_entity=\"Slug\" projectile_angle_spread=\"0\" "
    "shot_interval=\"0.25\" ammo_cost_per_shot=\"1\" clip_size=\"3\" reload_time=\"2\" reload_size=\"3\" "
    "barrel_x=\"10\" barrel_y=\"2\" recoil=\"0\"/>\n";
const char *const kTypesWithSlug =
    "<node id=\"Slug\" flags=\"PROJECTILE\" radius=\"2\" hit_points=\"1\" scale=\"1\"/>\n";

// Stand-in handles for the reload sounds: the recorded play call never reaches the
// engine with them.
char reload_start_sound, reload_end_sound;
float reload_end_length = 0.0f;

float FixedSoundLength(ov_sound_t *sound) {
    return sound == reinterpret_cast<ov_sound_t *>(&reload_end_sound) ? reload_end_length : 0.0f;
}

class WeaponUpdateTest : public EntityAITest {
protected:
    // The world with the rifle; the engine's sound-length slot answers
    // `reload_end_length` for the end sound.
    void StartArmedWorld() {
        StartWorld(kWeapons, "", std::string(kEntityTypes) + kTypesWithSlug);
        for (int i = 0; i < OV_EXT_SLOTS; i++) {
            ext_[i] = ov->ext[i];
        }
        ext_[OV_EXT_GET_SOUND_LENGTH] = reinterpret_cast<void *>(FixedSoundLength);
        ov->ext = ext_;  // the engine table is restored after the test
        rifle = Weapon::GetWeapon("Rifle");
        ASSERT_NE(rifle, nullptr);
        rifle->snd_reload = reinterpret_cast<ov_sound_t *>(&reload_start_sound);
        rifle->snd_reload_end = reinterpret_cast<ov_sound_t *>(&reload_end_sound);
    }
    Entity *ArmedTrooper(vec2_t p) {
        Entity *e = Spawn("Trooper", p);
        if (e != nullptr) {
            rifle->SetActive(e);
        }
        return e;
    }
    int EndSoundsPlayed() {
        int n = 0;
        for (const PlayedSound &s : Played()) {
            if (s.sound == reinterpret_cast<ov_sound_t *>(&reload_end_sound)) {
                EXPECT_EQ(s.volume, aman.GetSoundVolume());  // full volume in the world
                EXPECT_EQ(s.pitch, 1.0f);
                n++;
            }
        }
        return n;
    }
    int ProjectilesInPlay() {
        Entity *found[64];
        return world->QueryEntitiesOfType(world->stock->GetEntityType("Slug"), (int)Entity::PROJECTILE, found, 64);
    }
    void *ext_[OV_EXT_SLOTS] = {};
    Weapon *rifle = nullptr;
};

TEST_F(WeaponUpdateTest, RecoilDecaysByFiveTimesItselfPerSecondAtLeastByDt) {
    StartArmedWorld();
    struct Case {
        float recoil, dt, after;
        bool projectile;
    };
    static const Case kCases[] = {
        {1.0f, 0.1f, 0.5f, false},    // by 1 x 5 x 0.1
        {0.1f, 0.1f, 0.0f, false},    // by dt (0.1), not 0.05
        {0.15f, 0.1f, 0.05f, false},  // by dt again
        {0.05f, 0.1f, 0.0f, false},   // not below 0
        {1.0f, 0.1f, 1.0f, true},     // projectiles have no weapon step
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.recoil << " " << c.dt << (c.projectile ? " projectile" : ""));
        Entity *e = Spawn("Trooper", {300, 300});
        ASSERT_NE(e, nullptr);
        e->weapon = nullptr;  // the decay needs no weapon
        if (c.projectile) {
            e->flags |= Entity::PROJECTILE;
        }
        e->recoil = c.recoil;
        ai->UpdateEntityWeapon(e, c.dt);
        EXPECT_NEAR(e->recoil, c.after, 1e-6f);
    }
}

TEST_F(WeaponUpdateTest, ShotLeavesTheMuzzleAndPacesTheWeapon) {
    StartArmedWorld();
    apptest::WriteFile("texts.xml", gametest::XmlArray("tutorial", "<node id=\"FIRING\" text=\"Tap to fire\"/>"));
    Entity *e = ArmedTrooper({200, 200});
    ASSERT_NE(e, nullptr);
    e->scale = 2.0f;
    e->aim_angle = (float)M_PI / 2;
    e->shot_timer = 0.05f;
    e->trigger = true;
    ai->UpdateEntityWeapon(e, 0.1f);
    EXPECT_EQ(e->shots_fired, 1);
    EXPECT_NEAR(e->shot_timer, 0.25f, 1e-6f);  // from 0, not from -0.05
    EXPECT_EQ(e->ammo, 2.0f);
    ASSERT_EQ(ProjectilesInPlay(), 1);
    Entity *found[1];
    world->QueryEntitiesOfType(world->stock->GetEntityType("Slug"), (int)Entity::PROJECTILE, found, 1);
    // pos + 2 x (10 along the aim + 2 across it).
    EXPECT_NEAR(found[0]->origin.x, 196.0f, 1e-3f);
    EXPECT_NEAR(found[0]->origin.y, 220.0f, 1e-3f);
    EXPECT_EQ(found[0]->owner, e);
    ASSERT_NE(game.tutorial_name, nullptr);
    EXPECT_STREQ(game.tutorial_name, "FIRING");

    ai->UpdateEntityWeapon(e, 0.1f);  // 0.15 s left
    EXPECT_EQ(e->shots_fired, 1);
    ai->UpdateEntityWeapon(e, 0.2f);
    EXPECT_EQ(e->shots_fired, 2);
    EXPECT_NEAR(e->shot_timer, 0.25f, 1e-6f);
}

TEST_F(WeaponUpdateTest, NoShotWithoutTriggerAmmoOrWeaponAndEnemiesRaiseNoTutorial) {
    StartArmedWorld();
    apptest::WriteFile("texts.xml", gametest::XmlArray("tutorial", "<node id=\"FIRING\" text=\"Tap to fire\"/>"));
    Entity *idle = ArmedTrooper({200, 200});
    Entity *empty = ArmedTrooper({300, 200});
    Entity *unarmed = Spawn("Trooper", {400, 200});
    Entity *grunt = Spawn("Grunt", {500, 200});
    ASSERT_TRUE(idle && empty && unarmed && grunt);
    idle->shot_timer = 0.0f;
    empty->trigger = true;
    empty->shot_timer = 0.0f;
    empty->ammo = 0.0f;
    empty->reload_timer = 1.0f;  // reloading already
    unarmed->trigger = true;
    unarmed->ammo = 5.0f;
    unarmed->reload_timer = 0.0f;
    rifle->SetActive(grunt);
    grunt->trigger = true;
    grunt->shot_timer = 0.0f;
    for (Entity *e : {idle, empty, unarmed, grunt}) {
        ai->UpdateEntityWeapon(e, 0.1f);
    }
    EXPECT_EQ(idle->shots_fired + empty->shots_fired + unarmed->shots_fired, 0);
    EXPECT_EQ(unarmed->shot_timer, 0.0f);  // no weapon: no timers
    EXPECT_EQ(grunt->shots_fired, 1);
    EXPECT_EQ(game.tutorial_name, nullptr);
    EXPECT_EQ(ProjectilesInPlay(), 1);
}

TEST_F(WeaponUpdateTest, EmptyClipReloadsAndTheClipRefillsWhenTheTimeIsUp) {
    StartArmedWorld();
    reload_end_length = 0.0f;
    Entity *e = ArmedTrooper({200, 200});
    ASSERT_NE(e, nullptr);
    e->ammo = 1.0f;
    e->shot_timer = 0.0f;
    e->trigger = true;
    ai->UpdateEntityWeapon(e, 0.25f);  // the last round; the reload starts at once
    EXPECT_EQ(e->ammo, 0.0f);
    EXPECT_EQ(e->reload_timer, 1.75f);
    ASSERT_GE(Played().size(), 1u);
    EXPECT_EQ(Played()[0].sound, reinterpret_cast<ov_sound_t *>(&reload_start_sound));
    int frames = 0;
    while (e->reload_timer > 0.0f && frames < 100) {
        ai->UpdateEntityWeapon(e, 0.25f);
        frames++;
    }
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(e->reload_timer, 0.0f);
    EXPECT_EQ(e->ammo, 3.0f);
    EXPECT_EQ(e->shots_fired, 1);
    // A length the engine does not know: the end sound comes as the reload ends.
    EXPECT_EQ(EndSoundsPlayed(), 1);
}

TEST_F(WeaponUpdateTest, ReloadEndSoundStartsItsLengthBeforeTheEnd) {
    StartArmedWorld();
    struct Case {
        float length;
        float reload_time;
        int frame;  // of 0.25 s, counted from 1, in which the end sound starts
    };
    static const Case kCases[] = {
        {0.5f, 2.0f, 6},   // 0.75 left before, 0.5 after: the crossing
        {0.4f, 2.0f, 7},   // 0.5 left before, 0.25 after
        {0.0f, 2.0f, 8},   // unknown length: the last frame
        {3.0f, 2.0f, 1},   // longer than the reload: at once
        {0.2f, 0.1f, 1},   // a reload shorter than one frame
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.length << " " << c.reload_time);
        reload_end_length = c.length;
        rifle->reload_time = c.reload_time;
        Entity *e = ArmedTrooper({200, 200});
        ASSERT_NE(e, nullptr);
        e->ammo = 0.0f;
        Played().clear();
        int started = 0;
        for (int frame = 1; frame <= 12; frame++) {
            ai->UpdateEntityWeapon(e, 0.25f);
            if (EndSoundsPlayed() == 1 && started == 0) {
                started = frame;
            }
        }
        EXPECT_EQ(started, c.frame);
        EXPECT_EQ(EndSoundsPlayed(), 1);
        EXPECT_EQ(e->ammo, 3.0f);
    }
}

class MeleeTest : public EntityAITest {};

TEST_F(MeleeTest, AttackGateIsHalfASecondOfGameClock) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {200, 200});
    Entity *trooper = Spawn("Trooper", {215, 200});
    ASSERT_TRUE(grunt && trooper);
    trooper->age = 5.0f;  // past the newborn's grace
    struct Step {
        uint32_t clock;
        bool hits;
    };
    static const Step kSteps[] = {
        {500, false},  // exactly 500 ms after the birth value 0
        {501, true},  {700, false}, {1001, false}, {1002, true}, {1002, false},
    };
    float hit_points = trooper->hit_points;
    for (const Step &s : kSteps) {
        SCOPED_TRACE(s.clock);
        game.game_clock = s.clock;
        grunt->attack_phase = 0.0f;
        grunt->velocity = {30, 40};
        ai->OnAttack(grunt, trooper);
        if (s.hits) {
            hit_points -= 7.0f;
            EXPECT_EQ(grunt->attack_time, s.clock);
            EXPECT_EQ(grunt->attack_phase, 0.001f);
            EXPECT_EQ(grunt->velocity.x, 0.0f);
            EXPECT_EQ(grunt->velocity.y, 0.0f);
        } else {
            EXPECT_EQ(grunt->attack_phase, 0.0f);
            EXPECT_EQ(grunt->velocity.x, 30.0f);
        }
        EXPECT_FLOAT_EQ(trooper->hit_points, hit_points);
    }
}

TEST_F(MeleeTest, StampFromAnEarlierBattleCountsAsLongAgo) {
    StartWorld();
    Entity *grunt = Spawn("Grunt", {200, 200});
    Entity *trooper = Spawn("Trooper", {215, 200});
    ASSERT_TRUE(grunt && trooper);
    trooper->age = 5.0f;
    grunt->attack_time = 4000000000u;
    game.game_clock = 100;
    ai->OnAttack(grunt, trooper);
    EXPECT_FLOAT_EQ(trooper->hit_points, 93.0f);
    ai->OnAttack(grunt, nullptr);  // no victim: nothing
    EXPECT_EQ(grunt->attack_time, 100u);
}

}  // namespace
}  // namespace aitest
