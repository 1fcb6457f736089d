// The enemy behaviours. `EntityAISeeker` is the common hunter: it picks a target,
// follows the level's waypoints toward the base, steers around crowds and obstacles,
// turns smoothly and strikes in melee when close. The kinds derived from it vary the
// movement (leaping, flying, roaming around a goal, hopping between random points,
// steering drones), the attack (suicide) or what happens at death (splitting, a boss
// scattering money and hounds, a mine exploding on a timer).
//
// Like every behaviour they are stateless: one instance serves every entity of the
// kinds naming it, all state lives in the entity record. Main thread only.
#ifndef GAME_ENTITIES_AI_ENEMIES_H
#define GAME_ENTITIES_AI_ENEMIES_H

#include "game/entities/entity-ai.h"

// The common hunter; its death may leave a pick-up near where it fell.
class EntityAISeeker : public EntityAI {
public:
    using EntityAI::EntityAI;
    void UpdateEntity(Entity *e, float dt) override;
    void OnDeath(Entity *e, Entity *killer) override;
};

// Bounds forward in its own rhythm: steers always with avoidance, turns slower.
class EntityAISeekerLeaper : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void UpdateEntity(Entity *e, float dt) override;
};

// Steers always with avoidance, turns slower.
class EntityAISeekerFlyer : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void UpdateEntity(Entity *e, float dt) override;
};

// Dies into two smaller copies of itself (down to a scale of 0.75).
class EntityAISplitter : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void OnDeath(Entity *e, Entity *killer) override;
};

// Dies scattering money and releasing the wave's hounds.
class EntityAIBossSplitter : public EntityAISplitter {
public:
    using EntityAISplitter::EntityAISplitter;
    void OnDeath(Entity *e, Entity *killer) override;
};

// Dies into four smaller copies of itself (down to a scale of 0.75).
class EntityAIQuadSplitter : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void OnDeath(Entity *e, Entity *killer) override;
};

// A timed explosive that does not move: blinks faster and faster, blows up at 15 s.
class EntityAIMine : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void UpdateEntity(Entity *e, float dt) override;
    // Nothing (no pick-up).
    void OnDeath(Entity *e, Entity *killer) override;
};

// A raider hopping between random points, laying what its weapon fires behind itself.
class EntityAIWaypointAttacker : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void UpdateEntity(Entity *e, float dt) override;
};

// Roams around a goal, weaving, and shoots all the time.
class EntityAIHangAround : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void UpdateEntity(Entity *e, float dt) override;
    // Nothing (no pick-up).
    void OnDeath(Entity *e, Entity *killer) override;
};

// A leader that sends the drones of its "controls_entities" kind to its target.
class EntityAIHiveMind : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    void UpdateEntity(Entity *e, float dt) override;
    void OnDeath(Entity *e, Entity *killer) override;
};

// Hunts like the seeker; its melee hit kills itself (nobody is credited).
class EntityAIKamikaze : public EntityAISeeker {
public:
    using EntityAISeeker::EntityAISeeker;
    // Nothing (no pick-up).
    void OnDeath(Entity *e, Entity *killer) override;
    void OnAttack(Entity *e, Entity *victim) override;
};

#endif
