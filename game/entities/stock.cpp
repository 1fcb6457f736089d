// The stock's pool of entity records: allocation, the free list, taking and returning
// records, and the end of the pool and the registries.
#include "game/entities/stock.h"

#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/move-path.h"
#include "game/controls.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <string.h>

int g_battle_enter_phase = 0;

Stock::~Stock()
{
    Free();
    ClearRegistries();
}

// The record's owned path goes with it (no record keeps one into its next life).
static void ReleasePath(Entity *e)
{
    delete e->path;
    e->path = nullptr;
}

// Outside the pool: the game state's base and the controls' selection slots and
// target markers stop naming a record that returns to the pool.
static void ForgetOutsideThePool(Entity *e)
{
    if (game.base == e)
        game.base = nullptr;
    controls.ForgetEntity(e);
}

void Stock::Free()
{
    if (entities) {
        for (int i = 0; i < num_entities; i++) {
            ReleasePath(&entities[i]);
            if (entities[i].type)
                ForgetOutsideThePool(&entities[i]);
        }
    }
    delete[] entities;
    entities = nullptr;
    num_entities = 0;
    free_head = nullptr;
    free_tail = nullptr;
}

void Stock::ClearRegistries()
{
    for (int i = 0; i < num_types; i++) {
        delete types[i];
        types[i] = nullptr;
    }
    num_types = 0;
    for (int i = 0; i < num_behaviours; i++) {
        delete behaviours[i];
        behaviours[i] = nullptr;
    }
    num_behaviours = 0;
    for (int i = 0; i < NUM_LEAD_PROJECTILES; i++)
        lead_projectiles[i] = nullptr;
}

void Stock::InitPool(int num)
{
    Free();
    if (num > 0) {
        num_entities = num;
        entities = new Entity[num]();
    }
    ResetEntities();
}

Entity *Stock::GetFreeEntity(EntityType *type)
{
    if (!type || !free_head || !free_head->next)
        return nullptr;
    Entity *e = free_head;
    free_head = e->next;
    e->type = type;
    e->next = nullptr;
    e->prev = nullptr;
    e->cell = nullptr;
    return e;
}

void Stock::FreeEntity(Entity *e)
{
    if (!e || !entities || e < entities || e >= entities + num_entities || !e->type)
        return;
    // A record still linked into a world cell leaves the cell's ring first: the free
    // list reuses its links.
    Scape *world = GetScape();
    if (e->cell && world)
        world->UnlinkEntity(e);
    ReleasePath(e);
    e->next = nullptr;
    e->type = nullptr;
    e->prev = free_tail;
    if (free_tail)
        free_tail->next = e;
    else
        free_head = e;
    free_tail = e;

    // A reused record must not stand in for the dead one: nothing in the pool keeps
    // naming it as owner, target, burner or last hit.
    for (int i = 0; i < num_entities; i++) {
        Entity *other = &entities[i];
        if (other->owner == e)
            other->owner = nullptr;
        if (other->target == e)
            other->target = nullptr;
        if (other->burner == e)
            other->burner = nullptr;
        if (other->last_hit == e)
            other->last_hit = nullptr;
    }
    ForgetOutsideThePool(e);
}

void Stock::ResetEntities()
{
    if (!entities || num_entities <= 0) {
        free_head = free_tail = nullptr;
        return;
    }
    for (int i = 0; i < num_entities; i++) {
        Entity *e = &entities[i];
        ReleasePath(e);
        if (e->type)
            ForgetOutsideThePool(e);
        e->type = nullptr;
        e->prev = nullptr;
        e->cell = nullptr;
        e->next = i + 1 < num_entities ? &entities[i + 1] : nullptr;
    }
    free_head = &entities[0];
    free_tail = &entities[num_entities - 1];
}

bool Stock::HasFreeEntities(int n) const
{
    // The last record of the list is never handed out: n records need n + 1 links.
    int seen = 0;
    for (const Entity *e = free_head; e && seen <= n; e = e->next)
        seen++;
    return seen > n;
}

int Stock::CountFreeEntities() const
{
    int n = 0;
    for (const Entity *e = free_head; e && n <= num_entities; e = e->next)
        n++;
    return n;
}
