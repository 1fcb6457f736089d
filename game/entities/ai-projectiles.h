// The projectile behaviours, for projectiles that exist as entities (weapons firing
// entities, and the flames and clouds other behaviours make). `EntityAIBullet` flies
// straight, hits the first enemy it touches and may pierce; the rockets fly as bullets
// and deal splash damage when they die, the napalm rocket also scattering ten flames;
// flames set enemies on fire and burn themselves out; ice chills; gas drifts, slows
// and confuses. Every projectile leaving the world is killed.
//
// Stateless like every behaviour. Main thread only.
#ifndef GAME_ENTITIES_AI_PROJECTILES_H
#define GAME_ENTITIES_AI_PROJECTILES_H

#include "game/entities/entity-ai.h"

class EntityAIBullet : public EntityAI {
public:
    using EntityAI::EntityAI;
    void UpdateEntity(Entity *e, float dt) override;
};

// Splash damage on the opposing side when it dies.
class EntityAIRocket : public EntityAIBullet {
public:
    using EntityAIBullet::EntityAIBullet;
    void OnDeath(Entity *e, Entity *killer) override;
};

// Splash damage on enemies only, then ten flames around the blast.
class EntityAIRocketNapalm : public EntityAIBullet {
public:
    using EntityAIBullet::EntityAIBullet;
    void OnDeath(Entity *e, Entity *killer) override;
};

// Sets one victim a frame on fire, trading its own hit points for the victim's.
class EntityAIFlame : public EntityAIBullet {
public:
    using EntityAIBullet::EntityAIBullet;
    void UpdateEntity(Entity *e, float dt) override;
    // Nothing.
    void OnDeath(Entity *e, Entity *killer) override;
};

// Chills one victim a frame and flies on.
class EntityAIIce : public EntityAIBullet {
public:
    using EntityAIBullet::EntityAIBullet;
    void UpdateEntity(Entity *e, float dt) override;
};

// Drifts, slowing each frame, and jolts one victim's heading a frame.
class EntityAIGas : public EntityAIBullet {
public:
    using EntityAIBullet::EntityAIBullet;
    void UpdateEntity(Entity *e, float dt) override;
};

#endif
