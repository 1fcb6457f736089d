// What each of the twelve power-up kinds does when its pick-up is collected (see
// powerups.h). A pick-up collected by touch has no picker: the kinds that act on a
// trooper then act on the living trooper of the roster nearest the pick-up.
#include "game/entities/powerups.h"

#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/player-values.h"
#include "app/services/profiles.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "app/services/data-numbers.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <limits.h>
#include <math.h>
#include <string.h>

namespace {

const float kForceFieldDefault = 10.0f;

bool IdIs(const char *id, const char *name)
{
    return id && strcmp(id, name) == 0;
}

// Kinds whose effect lands on a trooper.
bool ActsOnTrooper(const char *id)
{
    return IdIs(id, "ROCKET_LAUNCHER") || IdIs(id, "POWERUP_SUPER_WEAPON") || IdIs(id, "POWERUP_SUPER_TROOPER") ||
           IdIs(id, "POWERUP_HEALTH") || IdIs(id, "POWERUP_BOOM");
}

// The living trooper of the roster nearest to p; null when none lives.
Entity *NearestLivingTrooper(vec2_t p)
{
    Entity *best = nullptr;
    float best_d2 = 0.0f;
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *t = game.troopers[i];
        if (!t || !t->IsAlive())
            continue;
        float dx = t->pos.x - p.x, dy = t->pos.y - p.y;
        float d2 = dx * dx + dy * dy;
        if (!best || d2 < best_d2) {
            best = t;
            best_d2 = d2;
        }
    }
    return best;
}

void CountPickInStatistics()
{
    if (!prof)
        return;
    long long picked = PlayerCount(PlayerNumber(prof->GetValue("stats", "power_ups_picked", "value")));
    prof->SetValuef("stats", "power_ups_picked", "value", "%d", PlayerCount(picked + 1));
}

void SuperWeapon(Entity *picker)
{
    Weapon *w = Weapon::GetWeapon("AlienPlasmGun");
    if (!w)
        return;
    bool super_trooper = IdIs(picker->powerup_id, "POWERUP_SUPER_TROOPER");
    picker->powerup_active = true;
    picker->powerup_id = "POWERUP_SUPER_WEAPON";
    w->SetActive(picker);
    if (super_trooper && picker->type)
        picker->speed = picker->type->top_speed * 1.6f;
}

void SuperTrooper(Entity *picker)
{
    if (!picker->type)
        return;
    picker->powerup_active = true;
    if (!IdIs(picker->powerup_id, "POWERUP_SUPER_WEAPON"))
        picker->powerup_id = "POWERUP_SUPER_TROOPER";
    picker->scale = picker->type->scale * 1.5f;
    picker->speed = picker->type->top_speed * 1.6f;
    picker->hit_points = picker->max_hit_points = 2.0f * picker->type->hit_points;
    picker->powerup_time = 0.01f;
}

void AlienPets(vec2_t where)
{
    Scape *world = GetScape();
    if (!world || !world->stock)
        return;
    EntityType *pet = world->stock->GetEntityType("AlienPet");
    if (!pet)
        return;
    world->stock->CacheEntityType(pet, true);
    Entity *e = world->SpawnEntity(pet, where);
    if (e) {
        e->angle = (float)-M_PI;
        e->aim_angle = (float)-M_PI;
    }
}

void RepairBunker()
{
    static ov_sound_t *repair = nullptr;
    if (!repair)
        repair = ov->OV_GetSound("sfx/repair");
    aman.PlaySound(repair, 1.0f, 0.0f, 1.0f);
    if (game.base && game.base->IsAlive())
        game.pending_bunker_repair += game.base->max_hit_points / 10.0f;
}

float ForceFieldDuration()
{
    const char *value = dman().GetValue("shop.xml", "Upgrades", "BUNKER_FORCEFIELD", "forcefield_duration");
    return value ? DataLeadingFloat(value) : kForceFieldDefault;
}

}  // namespace

void Powerup::Activate(Entity *pickup, Entity *picker)
{
    if (!pickup || pickup->age < 1.0f)
        return;
    const int mode = game.parms.game_mode;
    const bool score_in_timed_mode = IdIs(id, "POWERUP_SCORE") && (mode == GAME_MODE_COLLECTOR ||
                                                                   mode == GAME_MODE_INCOMING);
    if (!score_in_timed_mode)
        CountPickInStatistics();
    game.SetTutorialCompleted("POWERUPS");
    if (id)
        game.SetTutorial(id);
    SpawnTopEffect(GetScape(), fx_picked, pickup->pos);

    // Only the living collect; a touch gives the trooper nearest the pick-up.
    if (picker && !picker->IsAlive())
        picker = nullptr;
    if (!picker && ActsOnTrooper(id))
        picker = NearestLivingTrooper(pickup->pos);

    if (IdIs(id, "ROCKET_LAUNCHER")) {
        Weapon *w = Weapon::GetWeapon("RocketLauncher");
        if (w && picker)
            w->SetActive(picker);
    } else if (IdIs(id, "POWERUP_SUPER_WEAPON")) {
        if (picker)
            SuperWeapon(picker);
    } else if (IdIs(id, "POWERUP_SUPER_TROOPER")) {
        if (picker)
            SuperTrooper(picker);
    } else if (IdIs(id, "POWERUP_MONEY")) {
        game.AddMoney(upgrades.coin_value, pickup->pos);
    } else if (IdIs(id, "POWERUP_SCORE")) {
        game.AddScore(score_in_timed_mode ? 3 * upgrades.coin_value : upgrades.coin_value, pickup->pos);
    } else if (IdIs(id, "POWERUP_ALIEN_PETS")) {
        AlienPets(pickup->pos);
    } else if (IdIs(id, "POWERUP_HEALTH")) {
        // Heals with or without its effect; the effect plays when there is one.
        if (picker) {
            picker->hit_points = picker->max_hit_points;
            SpawnTopEffect(GetScape(), fx_activate, picker->pos);
        }
    } else if (IdIs(id, "POWERUP_REINFORCEMENTS")) {
        sman.PushScreen("PickReinforcement", 0);
    } else if (IdIs(id, "POWERUP_REPAIR_BUNKER")) {
        RepairBunker();
    } else if (IdIs(id, "POWERUP_ENERGY_SHIELD")) {
        game.force_field_time += ForceFieldDuration();
    } else if (IdIs(id, "POWERUP_ARTILLERY")) {
        game.artillery_aiming = 1;
    } else if (IdIs(id, "POWERUP_BOOM")) {
        Weapon *w = Weapon::GetWeapon("BazookaBoom");
        if (w && picker)
            w->Fire(picker, picker->pos, 0.0f);
    }
}
