// The player's side: "Trooper" walks the path the player draws and, on its own, picks,
// tracks and shoots enemies in weapon range, honours the player's primary targets,
// reloads between waves and reacts to the speed booster and the pyro deathwish; at
// death it updates the squad counters, may leave an area-blast pick-up, and a
// PyroTrooper empties its clip in a ring. "Player" is inert.
//
// Stateless: one instance serves every entity of the kinds naming it. Main thread only.
#ifndef GAME_ENTITIES_AI_TROOPER_H
#define GAME_ENTITIES_AI_TROOPER_H

#include "game/entities/entity-ai.h"
#include "game/entities/stock.h"  // g_battle_enter_phase: troopers re-made for a resumed battle stay silent

// Does nothing in its movement step; everything else is the base's.
class EntityAIPlayer : public EntityAI {
public:
    using EntityAI::EntityAI;
    void UpdateEntity(Entity *e, float dt) override;
};

class EntityAITrooper : public EntityAI {
public:
    using EntityAI::EntityAI;
    // Counts the trooper in and plays its selection voice (not while resuming).
    void OnBirth(Entity *e) override;
    // Speed booster, idle effect, deathwish, path walk, target upkeep, aim, trigger.
    void UpdateEntity(Entity *e, float dt) override;
    // Star lost and blast pick-up (LEVEL mode), counters, unselection, the pyro ring.
    void OnDeath(Entity *e, Entity *killer) override;
};

#endif
