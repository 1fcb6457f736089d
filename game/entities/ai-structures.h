// The player's base structures and the enemy nests.
//
// "BaseBunker" runs the bunker (launcher, power plant) and the MedTents of the
// defend-the-flag mode: damage smoke, the force field, the repair, and the loss of the
// game when a base structure falls. "Spawner" is a moving nest that homes on the
// bunker and releases a hound every 2.45 s.
//
// Stateless: one instance serves every entity of the kinds naming it. Main thread only.
#ifndef GAME_ENTITIES_AI_STRUCTURES_H
#define GAME_ENTITIES_AI_STRUCTURES_H

#include "game/entities/entity-ai.h"

class EntityAIBaseBunker : public EntityAI {
public:
    using EntityAI::EntityAI;
    // Does nothing (the structure's values come from its type).
    void OnBirth(Entity *e) override;
    // Smoke below 75 % health, the force field's run-down and the pending repair.
    void UpdateEntity(Entity *e, float dt) override;
    // MedTent ruin and fire; the lost game; the ruin decal outside defend-the-flag.
    void OnDeath(Entity *e, Entity *killer) override;
};

class EntityAISpawner : public EntityAI {
public:
    using EntityAI::EntityAI;
    // Hound release, homing on the bunker with a capped speed, melee.
    void UpdateEntity(Entity *e, float dt) override;
    // May leave a pick-up near where it died.
    void OnDeath(Entity *e, Entity *killer) override;
};

// Seconds between two hounds of a spawner.
constexpr float SPAWNER_HOUND_INTERVAL = 2.45f;

#endif
