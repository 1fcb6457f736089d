// Fighting in the behaviour base: the weapon's rhythm (recoil, shots, reloads and the
// reload-end sound timed to end with the reload), the melee hit with its half-second
// gate, and the pick-up an enemy may leave when it dies.
#include "game/entities/entity-ai.h"

#include "app/services/profiles.h"
#include "app/services/random.h"
#include "game/entities/entity-types.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <math.h>

namespace {

// Game clock (ms) that must pass between two melee hits of one entity.
const uint32_t MELEE_INTERVAL_MS = 500;

// Length in seconds of a sound's own data; 0 when the engine does not know it.
float SoundLength(ov_sound_t *sound) {
    if (sound == nullptr || ov == nullptr || ov->ext == nullptr) {
        return 0.0f;
    }
    ov_get_sound_length_fn length = reinterpret_cast<ov_get_sound_length_fn>(ov->ext[OV_EXT_GET_SOUND_LENGTH]);
    if (length == nullptr) {
        return 0.0f;
    }
    float seconds = length(sound);
    return seconds > 0.0f && isfinite(seconds) ? seconds : 0.0f;
}

float RandomPercent() {
    return (float)AppRandom() / 32767.0f * 100.0f;
}

// Up to three 10 % rolls for a wounded entity, one per band its health has fallen to
// (3/4, 1/2, 1/4); true at the first success.
bool WoundRollsSucceed(const Entity *e) {
    float fraction = e->max_hit_points > 0.0f ? e->hit_points / e->max_hit_points : 0.0f;
    static const float kBands[] = {0.75f, 0.5f, 0.25f};
    for (float band : kBands) {
        if (fraction <= band && AppRandom() % 10 == 0) {
            return true;
        }
    }
    return false;
}

// The power-up to drop: health for a wounded trooper, a bunker repair for a damaged
// bunker, else the weighted random choice; null for none.
Powerup *ChoosePowerup() {
    const char *chosen = nullptr;
    for (int i = 0; i < game.troopers.Count() && chosen == nullptr; i++) {
        Entity *trooper = game.troopers[i];
        if (trooper != nullptr && trooper->IsAlive() && WoundRollsSucceed(trooper)) {
            chosen = "POWERUP_HEALTH";
        }
    }
    if (chosen == nullptr && game.base != nullptr && game.base->IsAlive() && WoundRollsSucceed(game.base)) {
        chosen = "POWERUP_REPAIR_BUNKER";
    }
    Powerup *powerup = chosen != nullptr ? Powerup::GetPowerup(chosen) : nullptr;
    return powerup != nullptr ? powerup : Powerup::GetRandomPowerup();
}

}  // namespace

void EntityAI::UpdateEntityWeapon(Entity *e, float dt) {
    if (e->flags & Entity::PROJECTILE) {
        return;
    }
    if (e->recoil > 0.0f) {
        e->recoil -= fmaxf(e->recoil * 5.0f * dt, dt);
        if (e->recoil < 0.0f) {
            e->recoil = 0.0f;
        }
    }
    Weapon *weapon = e->weapon;
    if (weapon == nullptr) {
        return;
    }

    e->shot_timer -= dt;
    if (e->trigger && e->shot_timer <= 0.0f && e->ammo > 0.0f) {
        e->shot_timer = 0.0f;
        vec2_t muzzle = WeaponRotatedOffset(e->pos, weapon->barrel_x, weapon->barrel_y, e->aim_angle, e->scale);
        e->shots_fired++;
        weapon->Fire(e, muzzle, e->aim_angle);
        if (e->friend_group == Entity::PLAYERS) {
            game.SetTutorial("FIRING");
        }
        e->shot_timer += weapon->shot_interval;
        e->ammo -= weapon->ammo_cost_per_shot;
    }

    bool reload_started = false;
    if (e->ammo <= 0.0f && e->reload_timer <= 0.0f) {
        weapon->Reload(e);  // may hand the entity another weapon
        weapon = e->weapon;
        reload_started = e->reload_timer > 0.0f;
        if (weapon == nullptr) {
            return;
        }
    }

    if (e->reload_timer > 0.0f) {
        float before = e->reload_timer;
        e->reload_timer -= dt;
        // The end sound starts when the time left crosses its length, so that it ends
        // with the reload; a reload shorter than the sound starts it at once.
        float length = SoundLength(weapon->snd_reload_end);
        if (weapon->snd_reload_end != nullptr && (before > length || reload_started) && e->reload_timer <= length) {
            Scape *world = GetScape();
            if (world != nullptr) {
                world->PlaySoundAt(weapon->snd_reload_end, e->pos, 1.0f, 1.0f);
            }
        }
        if (e->reload_timer <= 0.0f) {
            e->reload_timer = 0.0f;
            e->ammo += weapon->reload_size;
        }
    }
}

void EntityAI::OnAttack(Entity *e, Entity *victim) {
    uint32_t now = game.game_clock;
    if (victim == nullptr || (uint32_t)(now - e->attack_time) <= MELEE_INTERVAL_MS) {
        return;
    }
    if (e->type != nullptr) {
        e->type->snd_attack.PlayAt(e->pos);
    }
    e->attack_time = now;
    Scape *world = GetScape();
    if (world != nullptr) {
        world->DealDamage(victim, e, e->damage);
    }
    e->attack_phase = 0.001f;
    e->velocity = vec2_t{0.0f, 0.0f};
}

void EntityAI::PowerupDrop(vec2_t pos) {
    Scape *world = GetScape();
    if (world == nullptr || world->stock == nullptr) {
        return;
    }
    bool forced = false;
    if (game.parms.game_mode == GAME_MODE_LEVEL) {
        // A worse star rating forces more drops.
        forced = (float)(5 - game.GetCurrentStarRating()) > RandomPercent();
        bool enemies_to_come = world->spawn_manager != nullptr && world->spawn_manager->AreEnemiesLeftToSpawn();
        if (world->group_counts[Entity::ENEMIES] < 2 && !enemies_to_come && game.wave_number >= game.num_waves) {
            return;  // the last enemy of the last wave leaves nothing
        }
    }
    if (!forced && !(upgrades.powerup_probability > RandomPercent())) {
        return;
    }
    // Unsigned difference: a stamp from an earlier battle counts as long ago.
    uint32_t since_last = game.game_clock - Powerup::last_powerup_timestamp;
    float interval = upgrades.powerup_interval;
    if ((float)since_last < interval) {
        return;
    }
    float r = (float)since_last / ((float)since_last + interval);
    if ((float)(AppRandom() % 100) < r) {
        return;
    }
    EntityType *pickup_type = world->stock->GetEntityType("Powerup");
    if (pickup_type == nullptr) {
        return;
    }
    if (world->GetNearestEntityInFriendGroup(pos, 1.5f * pickup_type->radius, (int)Entity::POWERUP,
                                             Entity::PLAYERS) != nullptr) {
        return;
    }
    Powerup *powerup = ChoosePowerup();
    if (powerup == nullptr) {
        return;
    }
    Entity *pickup = world->SpawnEntity(pickup_type, pos);
    if (pickup == nullptr) {
        return;
    }
    pickup->powerup = powerup;
    pickup->powerup_active = true;  // a drop: it must be tapped to be picked up
    Powerup::last_powerup_timestamp = game.game_clock;
    // The supply-drop tip comes with the first drop the player sees.
    bool seen = prof != nullptr && prof->TagExists("tutorials_completed", "POWERUPS");
    if (!seen && !(game.delayed_tutorial_time > 0.0f)) {
        game.delayed_tutorial = "POWERUPS";
        game.delayed_tutorial_time = 0.5f;
    }
}
