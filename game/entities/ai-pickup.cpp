// Pick-ups: the power-up chosen at birth, collection by touch, the drop's slide and the
// score pick-up that comes back (see ai-pickup.h).
#include "game/entities/ai-pickup.h"

#include "game/entities/entity-types.h"
#include "game/entities/powerups.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <math.h>
#include <string.h>

void EntityAIPowerup::OnBirth(Entity *e) {
    const char *parm = e->type != nullptr ? e->type->ai_parm_str : nullptr;
    if (parm == nullptr) {
        return;
    }
    e->powerup = strcmp(parm, "RANDOM") == 0 ? Powerup::GetRandomPowerup() : Powerup::GetPowerup(parm);
}

void EntityAIPowerup::UpdateEntity(Entity *e, float dt) {
    Scape *world = GetScape();
    if (world == nullptr) {
        return;
    }
    if (!e->powerup_active) {
        // A level pick-up: the first living mover of its own side that touches it takes
        // it, once the pick-up is a second old (a newborn one is not taken unseen).
        Entity *picker = e->age >= 1.0f ? world->GetNearestEntityInFriendGroup(e->pos, e->radius,
                                                                                 (int)Entity::MOVABLE, e->friend_group)
                                         : nullptr;
        if (picker != nullptr && picker->IsAlive()) {
            if (e->powerup != nullptr) {
                e->powerup->Activate(e, picker);
            }
            world->KillEntity(e, nullptr, false);
        }
        return;
    }
    // A drop slides to rest (90 % of its speed lost per second) and waits for a tap.
    e->pos.x += dt * e->velocity.x;
    e->pos.y += dt * e->velocity.y;
    e->angle = 0.0f;
    e->phase += dt;
    e->anim_time += dt;
    float keep = powf(0.1f, dt);
    e->velocity.x *= keep;
    e->velocity.y *= keep;
}

void EntityAIPowerup::OnDeath(Entity *e, Entity *killer) {
    (void)killer;
    int mode = game.parms.game_mode;
    if ((mode == GAME_MODE_COLLECTOR || mode == GAME_MODE_INCOMING) && e->powerup != nullptr &&
        e->powerup->id != nullptr && strcmp(e->powerup->id, "POWERUP_SCORE") == 0) {
        game.SpawnPowerUp("PowerupScore");
    }
}
