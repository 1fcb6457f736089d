// The stock's registries: behaviours by name (registered once at Init) and entity types
// by name (created from "entities.xml" on first request).
#include "game/entities/stock.h"

#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/scape.h"

#include "orvex.h"

#include <string.h>

// The stock creating a type right now (innermost), null outside a creation.
static Stock *g_loading_stock = nullptr;

Stock *Stock::GetLoadingStock()
{
    if (g_loading_stock)
        return g_loading_stock;
    Scape *world = GetScape();
    return world ? world->stock : nullptr;
}

bool Stock::RegisterEntityAI(EntityAI *ai)
{
    if (!ai)
        return false;
    if (num_behaviours >= MAX_BEHAVIOURS) {
        ov->OV_Popupf(1, "EntityAI limit exceeded (%d behaviours).\n", MAX_BEHAVIOURS);
        return false;
    }
    behaviours[num_behaviours++] = ai;
    return true;
}

EntityAI *Stock::GetEntityAI(const char *name) const
{
    if (!name)
        return nullptr;
    for (int i = 0; i < num_behaviours; i++) {
        if (behaviours[i]->name && strcmp(behaviours[i]->name, name) == 0)
            return behaviours[i];
    }
    return nullptr;
}

bool Stock::IsBeingCreated(const char *name) const
{
    for (int i = 0; i < num_creating_; i++) {
        if (strcmp(creating_[i], name) == 0)
            return true;
    }
    return false;
}

EntityType *Stock::GetEntityType(const char *name)
{
    if (!name || !name[0])
        return nullptr;
    for (int i = 0; i < num_types; i++) {
        if (types[i]->name && strcmp(types[i]->name, name) == 0)
            return types[i];
    }
    // A type naming itself, directly or through the types it creates, would recurse
    // without end.
    if (IsBeingCreated(name)) {
        ov->OV_Popupf(1, "EntityType '%s' refers to itself\n", name);
        return nullptr;
    }
    // Nested creations under way count too, so the chain of them stays bounded.
    if (num_types >= MAX_TYPES || num_creating_ >= MAX_TYPES) {
        ov->OV_Popupf(1, "EntityType limit exceeded (%d ent types).\n", MAX_TYPES);
        return nullptr;
    }

    creating_[num_creating_++] = name;
    Stock *outer = g_loading_stock;
    g_loading_stock = this;
    EntityType *type = EntityType::CreateEntityType(name);
    g_loading_stock = outer;
    num_creating_--;

    if (!type) {
        ov->OV_Popupf(1, "Unknown EntityType '%s'\n", name);
        return nullptr;
    }
    // The types this one created while it was built may have filled the registry.
    if (num_types >= MAX_TYPES) {
        ov->OV_Popupf(1, "EntityType limit exceeded (%d ent types).\n", MAX_TYPES);
        delete type;
        return nullptr;
    }
    types[num_types++] = type;
    return type;
}
