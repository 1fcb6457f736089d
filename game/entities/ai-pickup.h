// "Powerup": pick-up entities. A level pick-up chooses its power-up at birth (by name,
// or "RANDOM") and is collected by the first trooper that walks over it; a drop slides
// to rest and waits for the player's tap. A collected score pick-up of the COLLECTOR and
// INCOMING modes comes back from the level's list.
//
// Stateless: one instance serves every pick-up. Main thread only.
#ifndef GAME_ENTITIES_AI_PICKUP_H
#define GAME_ENTITIES_AI_PICKUP_H

#include "game/entities/entity-ai.h"

class EntityAIPowerup : public EntityAI {
public:
    using EntityAI::EntityAI;
    // The type's ai_parm_str: "RANDOM" draws a power-up, another text names one; none
    // leaves `powerup` as it is (a drop sets it after birth).
    void OnBirth(Entity *e) override;
    // Touch collection (level pick-ups) or the slide (drops).
    void UpdateEntity(Entity *e, float dt) override;
    // The score pick-up of COLLECTOR and INCOMING comes back.
    void OnDeath(Entity *e, Entity *killer) override;
};

#endif
