// Power-up drops and troopers: `SpawnPowerUp` queues the pick-ups a "powerups" node of
// the level describes at free spots; `SpawnReinforcementTrooper` places a new trooper
// beside the base, or brings a fallen one back to life in its old squad slot, and sends
// it walking to its post.
#include "game/gamestate.h"

#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

const int kPlacementAttempts = 100;
// Posts around the base and around the arrival point without one.
const float kPostDistanceFromBase = 140.0f;
const float kPostDistanceWithoutBase = 40.0f;

float Random01()
{
    return (float)AppRandom() / 32767.0f;
}

// A free, on-field, clear point for one pick-up copy; false after 100 failed draws.
// `spread` grows by 10 after each failure while below the reference height.
bool FindDropPoint(Scape *world, vec2_t centre, float inner, float &spread, float size, vec2_t &out)
{
    float w = (float)sman.reference_width, h = (float)sman.reference_height;
    for (int attempt = 0; attempt < kPlacementAttempts; attempt++) {
        float a = 2.0f * kPi * Random01();
        float d = inner + spread * Random01();
        vec2_t p = {centre.x + d * cosf(a), centre.y + d * sinf(a)};
        bool free = !world->IsPointInsideObstacle(p, 0.75f * size, nullptr);
        bool on_field = p.x > 0.0f && p.x < w && p.y > 0.0f && p.y < h;
        if (free && on_field) {
            if (p.x < 20.0f)
                p.x += 20.0f;
            if (p.x > w - 20.0f)
                p.x -= 20.0f;
            if (p.y < 20.0f)
                p.y += 20.0f;
            if (p.y > h - 20.0f)
                p.y -= 20.0f;
            bool clear = !world->GetNearestEntityInFriendGroup(p, 1.5f * size, Entity::POWERUP, Entity::PLAYERS) &&
                         !(world->spawn_manager && world->spawn_manager->PickupQueuedNear(p, 1.5f * size));
            if (clear) {
                out = p;
                return true;
            }
        }
        if (spread < h)
            spread += 10.0f;
    }
    return false;
}

// The trooper of the roster that holds this squad slot, or null.
int RosterIndexOfSlot(GameState &g, int slot)
{
    for (int i = 0; i < g.troopers.Count(); i++)
        if (g.troopers[i] && g.troopers[i]->slot == slot)
            return i;
    return -1;
}

// Brings a roster trooper back at `at`: a fresh entity of the type in the same record,
// keeping the five statistics a revival carries over. Its group's count went down when
// it was killed and goes up again here.
void Revive(Scape *world, Entity *e, EntityType *type, vec2_t at)
{
    float damage_dealt = e->damage_dealt;
    int32_t kills = e->kills;
    int32_t shots_fired = e->shots_fired;
    int32_t deaths = e->deaths;
    float damage_taken = e->damage_taken;
    delete e->path;
    e->path = nullptr;
    world->UnlinkEntity(e);
    e->type = type;
    type->InitEntity(e, at);
    if (type->ai)
        type->ai->OnBirth(e);
    world->LinkEntity(e);
    e->damage_dealt = damage_dealt;
    e->kills = kills;
    e->shots_fired = shots_fired;
    e->deaths = deaths;
    e->damage_taken = damage_taken;
    e->state = Entity::STATE_ALIVE;
    e->select_time = game.game_clock;
    if (e->friend_group >= 0 && e->friend_group < SCAPE_NUM_GROUP_COUNTS)
        world->group_counts[e->friend_group]++;
}

}  // namespace

void GameState::SpawnPowerUp(const char *id)
{
    Scape *world = GetScape();
    if (!level_db || !world || !world->stock || !world->spawn_manager)
        return;
    DMArray *list = level_db->GetArray("powerups");
    if (!list || list->GetSize() <= 0)
        return;
    DMNode *node = id ? list->GetNode(id) : list->GetNode(AppRandom() % list->GetSize());
    if (!node || !node->id)
        return;

    int num = NodeInt(node, "num", 1);
    if (num < 1)
        num = 1;
    const char *edge = node->GetValue("pos_edge");
    float edge_pos = DataLeadingFloat(edge);
    vec2_t centre = {NodeFloat(node, "pos_x", 0.0f) * 1024.0f, NodeFloat(node, "pos_y", 0.0f) * 768.0f};
    float spread = NodeFloat(node, "spread", 0.0f);
    float inner = NodeFloat(node, "spread_min", 0.0f);
    const char *radius = dman().GetValue("entities.xml", "entities", node->id, "radius");
    float size = DataLeadingFloat(radius);
    EntityType *type = world->stock->GetEntityType(node->id);
    if (!type)
        return;

    for (int i = 0; i < num; i++) {
        vec2_t at;
        if (edge)
            at = GetRandomPositionOutsideEdges(edge_pos + spread * (Random01() - 0.5f));
        else if (!FindDropPoint(world, centre, inner, spread, size, at))
            continue;  // no usable point for this copy
        SpawnInfo *item = world->spawn_manager->AddSpawnInfo((unsigned long)i * 1000ul, type, at);
        if (!item)
            return;
        item->no_alert = IsWaveFlagActive("NO_SPAWN_ALERT") ? 1 : 0;
    }
}

Entity *GameState::SpawnReinforcementTrooper(EntityType *type, int slot)
{
    Scape *world = GetScape();
    if (!type || !world || living_troopers >= squad_size)
        return nullptr;

    vec2_t arrival;
    if (base)
        arrival = vec2_t{base->pos.x - (base->radius + type->radius + 1.0f), base->pos.y};
    else
        arrival = vec2_t{(float)(sman.reference_width / 2), (float)(sman.reference_height / 2)};

    Entity *e = nullptr;
    int held = slot >= 0 ? RosterIndexOfSlot(*this, slot) : -1;
    if (held >= 0 && !troopers[held]->type) {
        // The record went back to the pool: the slot gets a new trooper.
        troopers.Remove(held);
        held = -1;
    }
    bool revived = held >= 0;
    if (revived) {
        e = troopers[held];
        if (e->IsAlive())
            return nullptr;  // the slot's trooper lives: nothing to revive
        Revive(world, e, type, arrival);
        if (parms.game_mode == GAME_MODE_LEVEL)
            SetTutorial("TROOPER_REVIVE");
    } else {
        e = world->SpawnEntity(type, arrival);
        if (!e)
            return nullptr;
        troopers.InsertLast(e);
    }

    e->slot = slot;
    if (!e->path)
        e->path = new MovePath;
    e->angle = -kPi;
    e->aim_angle = -kPi;
    e->path_pos = 0.0f;
    e->path->Reset();
    e->path->AddPoint(e->pos);

    int k = troopers_spawned % 5;
    vec2_t post;
    if (base) {
        float a = -kPi + ((float)k / 3.0f - 0.5f) * kPi / 3.0f;
        post = vec2_t{base->pos.x + kPostDistanceFromBase * cosf(a), base->pos.y + kPostDistanceFromBase * sinf(a)};
    } else {
        float a = -kPi + (float)k / 5.0f * 2.0f * kPi;
        post = vec2_t{arrival.x + kPostDistanceWithoutBase * cosf(a), arrival.y + kPostDistanceWithoutBase * sinf(a)};
    }
    e->path->AddPoint(post);

    if (!revived)
        troopers_spawned++;
    living_troopers = CountLivingTroopers(*this);
    int peak = living_troopers > most_troopers_held ? living_troopers : most_troopers_held;
    most_troopers_held = peak < squad_size ? peak : squad_size;

    char slot_id[32];
    snprintf(slot_id, sizeof slot_id, "Trooper_%i", slot);
    const char *upgrade = prof ? prof->GetValue("team_setup", slot_id, "active_upgrade") : nullptr;
    ActivateFeature(e, upgrade, true);
    e->base_weapon = e->weapon;

    sman.ResetNextFrameTimeDelta();
    return e;
}
