// The twelve power-up effects through the world, with a trooper picking the pick-up and
// with a touch (no picker: the kinds that act on a trooper go to the living trooper of
// the roster nearest the pick-up); pick-ups younger than a second apply nothing; the
// statistics, tutorial and pick effect of every collection.
#include "tests/game/game_fixture.h"

#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "ovrecords.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> played;

long RecordPlaySound(ov_sound_t *s, float, float, float)
{
    played.push_back(s && s->name ? s->name : "");
    return 1;
}

const char kEntities[] =
    "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"50\" scale=\"1\" "
    "top_speed=\"100\" />\n"
    "<node id=\"Pickup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" hit_points=\"1\" scale=\"1\" />\n"
    "<node id=\"AlienPet\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"30\" scale=\"1\" />\n"
    "<node id=\"BaseBunker\" flags=\"NORMAL\" friend_group=\"PLAYERS\" hit_points=\"1000\" scale=\"1\" />\n"
    "<node id=\"Blast\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"1\" scale=\"1\" />\n";

const char kWeapons[] =
    "<node id=\"RocketLauncher\" clip_size=\"4\" />\n"
    "<node id=\"AlienPlasmGun\" clip_size=\"50\" wielding_ent_move_speed_mul=\"0.5\" />\n"
    "<node id=\"BazookaBoom\" projectile_entity=\"Blast\" projectile_angle_spread=\"0\" />\n";

const char kPowerups[] =
    "<node id=\"ROCKET_LAUNCHER\" fx_picked=\"fxs/picked.lua\" />\n"
    "<node id=\"POWERUP_SUPER_WEAPON\" />\n"
    "<node id=\"POWERUP_SUPER_TROOPER\" />\n"
    "<node id=\"POWERUP_MONEY\" />\n"
    "<node id=\"POWERUP_SCORE\" />\n"
    "<node id=\"POWERUP_ALIEN_PETS\" />\n"
    "<node id=\"POWERUP_HEALTH\" fx_activate=\"fxs/heal.lua\" />\n"
    "<node id=\"POWERUP_REINFORCEMENTS\" />\n"
    "<node id=\"POWERUP_REPAIR_BUNKER\" />\n"
    "<node id=\"POWERUP_ENERGY_SHIELD\" />\n"
    "<node id=\"POWERUP_ARTILLERY\" />\n"
    "<node id=\"POWERUP_BOOM\" />\n";

class ActivateTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame();
        apptest::WriteFile("fxs/picked.lua", "FXParm ('num_parts', 2) FXParm ('bitmap', 'dot') "
                                          "FXParm ('age_to_die', 5, 5)");
        apptest::WriteFile("fxs/heal.lua", "FXParm ('num_parts', 3) FXParm ('bitmap', 'dot') "
                                          "FXParm ('age_to_die', 5, 5)");
        WriteEntities(kEntities);
        WriteWeapons(kWeapons);
        WritePowerups(kPowerups);
        profile_.Reset("1.xml");
        prof = &profile_;
        MakeWorld();
        ASSERT_EQ(Powerup::num_powerups, 12);
        played.clear();
        ov->OV_PlaySound = RecordPlaySound;
        game.money_enabled = 1;
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        upgrades = Upgrades();
        upgrades.coin_value = 40;
        trooper_type = world->stock->GetEntityType("Trooper");
        // The picker far from the pick-up, another trooper near it, a dying one nearer.
        picker = Trooper({100.0f, 100.0f});
        near = Trooper({420.0f, 300.0f});
        dying = Trooper({401.0f, 300.0f});
        world->KillEntity(dying, nullptr, true);
        pickup = world->SpawnEntity(world->stock->GetEntityType("Pickup"), {400.0f, 300.0f});
        ASSERT_NE(pickup, nullptr);
        pickup->age = 1.0f;
    }
    void TearDown() override
    {
        prof = nullptr;
        upgrades = Upgrades();
        GameTest::TearDown();
    }
    Entity *Trooper(vec2_t at)
    {
        Entity *t = world->SpawnEntity(trooper_type, at);
        EXPECT_NE(t, nullptr);
        game.troopers.InsertLast(t);
        return t;
    }
    int Picked()
    {
        const char *value = profile_.GetValue("stats", "power_ups_picked", "value");
        return value ? atoi(value) : 0;
    }
    void Activate(const char *id, Entity *by)
    {
        Powerup *p = Powerup::GetPowerup(id);
        ASSERT_NE(p, nullptr) << id;
        pickup->powerup = p;
        p->Activate(pickup, by);
    }
    std::vector<Entity *> OfType(const char *name)
    {
        std::vector<Entity *> out;
        EntityType *type = world->stock->GetEntityType(name);
        for (int i = 0; i < world->stock->num_entities; i++)
            if (world->stock->entities[i].type == type && world->stock->entities[i].state == Entity::STATE_ALIVE)
                out.push_back(&world->stock->entities[i]);
        return out;
    }

    Profile profile_;
    EntityType *trooper_type = nullptr;
    Entity *picker = nullptr, *near = nullptr, *dying = nullptr, *pickup = nullptr;
};

TEST_F(ActivateTest, YoungPickupAppliesNothing)
{
    pickup->age = 0.99f;
    picker->hit_points = 10.0f;
    Activate("POWERUP_HEALTH", picker);
    Activate("POWERUP_MONEY", nullptr);
    EXPECT_FLOAT_EQ(picker->hit_points, 10.0f);
    EXPECT_EQ(game.money, 0);
    EXPECT_EQ(Picked(), 0);
    EXPECT_FALSE(profile_.TagExists("tutorials_completed", "POWERUPS"));
}

TEST_F(ActivateTest, EveryCollectionCountsMarksTheTutorialAndPlaysThePickEffect)
{
    const int before = world->top_parts->GetLiveCount();
    Activate("ROCKET_LAUNCHER", picker);
    EXPECT_EQ(Picked(), 1);
    EXPECT_TRUE(profile_.TagExists("tutorials_completed", "POWERUPS"));
    EXPECT_EQ(world->top_parts->GetLiveCount(), before + 2);
    Activate("POWERUP_SCORE", nullptr);
    EXPECT_EQ(Picked(), 2);
    // Score pick-ups of the timed modes are not counted.
    for (int mode : {GAME_MODE_COLLECTOR, GAME_MODE_INCOMING}) {
        game.parms.game_mode = mode;
        Activate("POWERUP_SCORE", nullptr);
        EXPECT_EQ(Picked(), 2);
        Activate("POWERUP_MONEY", nullptr);
        EXPECT_EQ(Picked(), 3);
        profile_.SetValue("stats", "power_ups_picked", "value", "2");
    }
}

// Kinds acting on a trooper: the picker, or for a touch the nearest living trooper.
TEST_F(ActivateTest, RocketLauncherArmsThePickerOrTheNearestTrooper)
{
    Weapon *rockets = Weapon::GetWeapon("RocketLauncher");
    ASSERT_NE(rockets, nullptr);
    Activate("ROCKET_LAUNCHER", picker);
    EXPECT_EQ(picker->weapon, rockets);
    EXPECT_FLOAT_EQ(picker->ammo, 4.0f);
    EXPECT_NE(near->weapon, rockets);
    Activate("ROCKET_LAUNCHER", nullptr);
    EXPECT_EQ(near->weapon, rockets);
    EXPECT_NE(dying->weapon, rockets);
}

TEST_F(ActivateTest, SuperWeaponArmsThePlasmaGun)
{
    Weapon *plasma = Weapon::GetWeapon("AlienPlasmGun");
    Activate("POWERUP_SUPER_WEAPON", picker);
    EXPECT_TRUE(picker->powerup_active);
    EXPECT_STREQ(picker->powerup_id, "POWERUP_SUPER_WEAPON");
    EXPECT_EQ(picker->weapon, plasma);
    EXPECT_FLOAT_EQ(picker->speed, 50.0f);
    // A super trooper keeps its speed.
    near->powerup_active = true;
    near->powerup_id = "POWERUP_SUPER_TROOPER";
    Activate("POWERUP_SUPER_WEAPON", nullptr);
    EXPECT_EQ(near->weapon, plasma);
    EXPECT_STREQ(near->powerup_id, "POWERUP_SUPER_WEAPON");
    EXPECT_FLOAT_EQ(near->speed, 160.0f);
}

TEST_F(ActivateTest, SuperTrooperGrowsAndKeepsTheSuperWeaponId)
{
    Activate("POWERUP_SUPER_TROOPER", picker);
    EXPECT_TRUE(picker->powerup_active);
    EXPECT_STREQ(picker->powerup_id, "POWERUP_SUPER_TROOPER");
    EXPECT_FLOAT_EQ(picker->scale, 1.5f);
    EXPECT_FLOAT_EQ(picker->speed, 160.0f);
    EXPECT_FLOAT_EQ(picker->hit_points, 100.0f);
    EXPECT_FLOAT_EQ(picker->max_hit_points, 100.0f);
    EXPECT_FLOAT_EQ(picker->powerup_time, 0.01f);
    Activate("POWERUP_SUPER_WEAPON", nullptr);
    Activate("POWERUP_SUPER_TROOPER", nullptr);
    EXPECT_STREQ(near->powerup_id, "POWERUP_SUPER_WEAPON");
    EXPECT_FLOAT_EQ(near->scale, 1.5f);
    EXPECT_FLOAT_EQ(near->speed, 160.0f);
    EXPECT_FLOAT_EQ(near->hit_points, 100.0f);
}

TEST_F(ActivateTest, HealthHealsWithOrWithoutItsEffect)
{
    picker->hit_points = 5.0f;
    int before = world->top_parts->GetLiveCount();
    Activate("POWERUP_HEALTH", picker);
    EXPECT_FLOAT_EQ(picker->hit_points, 50.0f);
    // Nothing picked (no fx_picked), three particles of the activation effect.
    EXPECT_EQ(world->top_parts->GetLiveCount(), before + 3);

    Powerup::GetPowerup("POWERUP_HEALTH")->fx_activate = nullptr;
    near->hit_points = 7.0f;
    before = world->top_parts->GetLiveCount();
    Activate("POWERUP_HEALTH", nullptr);
    EXPECT_FLOAT_EQ(near->hit_points, 50.0f);
    EXPECT_EQ(world->top_parts->GetLiveCount(), before);
}

TEST_F(ActivateTest, BoomFiresAtThePicker)
{
    Activate("POWERUP_BOOM", picker);
    std::vector<Entity *> blasts = OfType("Blast");
    ASSERT_EQ(blasts.size(), 1u);
    EXPECT_EQ(blasts[0]->owner, picker);
    EXPECT_FLOAT_EQ(blasts[0]->pos.x, picker->pos.x);
    EXPECT_FLOAT_EQ(blasts[0]->pos.y, picker->pos.y);
    EXPECT_FLOAT_EQ(blasts[0]->angle, 0.0f);
    Activate("POWERUP_BOOM", nullptr);
    blasts = OfType("Blast");
    ASSERT_EQ(blasts.size(), 2u);
    EXPECT_EQ(blasts[1]->owner, near);
}

TEST_F(ActivateTest, TroopersKindsWithoutLivingTrooperDoNothing)
{
    world->KillEntity(picker, nullptr, true);
    world->KillEntity(near, nullptr, true);
    near->hit_points = 3.0f;
    for (const char *id : {"ROCKET_LAUNCHER", "POWERUP_SUPER_WEAPON", "POWERUP_SUPER_TROOPER", "POWERUP_HEALTH",
                           "POWERUP_BOOM"}) {
        SCOPED_TRACE(id);
        Activate(id, nullptr);
        // A dead picker collects nothing either.
        Activate(id, picker);
    }
    EXPECT_EQ(Picked(), 10);
    EXPECT_EQ(near->weapon, nullptr);
    EXPECT_FALSE(near->powerup_active);
    EXPECT_FLOAT_EQ(near->hit_points, 3.0f);
    EXPECT_TRUE(OfType("Blast").empty());
}

TEST_F(ActivateTest, MoneyAndScore)
{
    Activate("POWERUP_MONEY", picker);
    EXPECT_EQ(game.money, 40);
    Activate("POWERUP_MONEY", nullptr);
    EXPECT_EQ(game.money, 80);
    Activate("POWERUP_SCORE", nullptr);
    EXPECT_EQ(game.score, 40);
    game.parms.game_mode = GAME_MODE_INCOMING;
    Activate("POWERUP_SCORE", picker);
    EXPECT_EQ(game.score, 160);
    game.parms.game_mode = GAME_MODE_COLLECTOR;
    Activate("POWERUP_SCORE", nullptr);
    EXPECT_EQ(game.score, 280);
}

TEST_F(ActivateTest, AlienPetsSpawnAtThePickupFacingWest)
{
    Activate("POWERUP_ALIEN_PETS", nullptr);
    std::vector<Entity *> pets = OfType("AlienPet");
    ASSERT_EQ(pets.size(), 1u);
    EXPECT_FLOAT_EQ(pets[0]->pos.x, 400.0f);
    EXPECT_FLOAT_EQ(pets[0]->pos.y, 300.0f);
    EXPECT_FLOAT_EQ(pets[0]->angle, (float)-M_PI);
    EXPECT_FLOAT_EQ(pets[0]->aim_angle, (float)-M_PI);
    Activate("POWERUP_ALIEN_PETS", picker);
    EXPECT_EQ(OfType("AlienPet").size(), 2u);
}

TEST_F(ActivateTest, ReinforcementsPushThePickScreen)
{
    MakeScreen("PickReinforcement");
    Activate("POWERUP_REINFORCEMENTS", nullptr);
    EXPECT_TRUE(sman.IsScreenInStack("PickReinforcement"));
}

TEST_F(ActivateTest, ReinforcementsPickedByATrooperPushThePickScreen)
{
    MakeScreen("PickReinforcement");
    Activate("POWERUP_REINFORCEMENTS", picker);
    EXPECT_TRUE(sman.IsScreenInStack("PickReinforcement"));
}

TEST_F(ActivateTest, RepairBunkerPlaysAndQueuesATenth)
{
    Entity *bunker = world->SpawnEntity(world->stock->GetEntityType("BaseBunker"), {500.0f, 500.0f});
    ASSERT_NE(bunker, nullptr);
    game.base = bunker;
    Activate("POWERUP_REPAIR_BUNKER", nullptr);
    EXPECT_FLOAT_EQ(game.pending_bunker_repair, 100.0f);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], "sfx/repair");
    world->KillEntity(bunker, nullptr, true);
    Activate("POWERUP_REPAIR_BUNKER", picker);
    EXPECT_FLOAT_EQ(game.pending_bunker_repair, 100.0f);
    EXPECT_EQ(played.size(), 2u);
    game.base = nullptr;
    Activate("POWERUP_REPAIR_BUNKER", picker);
    EXPECT_FLOAT_EQ(game.pending_bunker_repair, 100.0f);
}

TEST_F(ActivateTest, EnergyShieldAddsTheShopDuration)
{
    game.force_field_time = 2.0f;
    Activate("POWERUP_ENERGY_SHIELD", nullptr);
    EXPECT_FLOAT_EQ(game.force_field_time, 12.0f);
    apptest::WriteFile("shop.xml", gametest::XmlArray("Upgrades", "<node id=\"BUNKER_FORCEFIELD\" "
                                                                 "forcefield_duration=\"25.5\" price=\"100\" />"));
    dman().ReleaseDatabase("shop.xml");
    Activate("POWERUP_ENERGY_SHIELD", picker);
    EXPECT_FLOAT_EQ(game.force_field_time, 37.5f);
}

TEST_F(ActivateTest, ArtilleryArmsTheStrike)
{
    EXPECT_FALSE(game.artillery_aiming);
    Activate("POWERUP_ARTILLERY", nullptr);
    EXPECT_TRUE(game.artillery_aiming);
    game.artillery_aiming = 0;
    Activate("POWERUP_ARTILLERY", picker);
    EXPECT_TRUE(game.artillery_aiming);
    EXPECT_EQ(picker->weapon, nullptr);
}

// The weighted choice counts the PLAYERS group's pick-ups on the field.
TEST_F(ActivateTest, ChoiceCountsPickupsOnTheField)
{
    EntityType *pickup_type = world->stock->GetEntityType("Pickup");
    upgrades.max_powerups = 2;  // the fixture's pick-up is one
    EXPECT_NE(Powerup::GetRandomPowerup(), nullptr);
    Entity *second = world->SpawnEntity(pickup_type, {600.0f, 300.0f});
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Powerup::GetRandomPowerup(), nullptr);
    // A pick-up of the other group is not counted.
    second->ChangeGroup(Entity::ENEMIES);
    EXPECT_NE(Powerup::GetRandomPowerup(), nullptr);
}

TEST_F(ActivateTest, ArtilleryOnTheFieldForbidsAnother)
{
    WritePowerups("<node id=\"POWERUP_ARTILLERY\" />");
    ASSERT_TRUE(Powerup::LoadPowerups());
    ASSERT_EQ(Powerup::num_powerups, 1);
    Powerup *artillery = &Powerup::powerups[0];
    EXPECT_EQ(Powerup::GetRandomPowerup(), artillery);
    pickup->powerup = artillery;
    EXPECT_EQ(Powerup::GetRandomPowerup(), nullptr);
    pickup->powerup = nullptr;
    EXPECT_EQ(Powerup::GetRandomPowerup(), artillery);
}

}  // namespace
