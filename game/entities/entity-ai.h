// The behaviour base: a stateless strategy object that decides what the entities of a
// type do. It holds nothing but its name; one instance serves every entity whose type
// names it, and all per-entity state lives in the `Entity` record. Every operation
// takes the entity first. The stock registers one instance of each behaviour by name
// ("Default" is this base class) and owns them for the life of the program.
//
// The base gives the defaults every behaviour inherits (target choice, waypoint
// following, crowd and obstacle avoidance, steering, weapon handling, melee attack,
// pick-up drops); a kind overrides few of them and falls back to the base.
//
// Main thread only; operations may be re-entered for another entity from inside a call
// (a death spawning entities whose birth runs at once).
#ifndef GAME_ENTITIES_ENTITY_AI_H
#define GAME_ENTITIES_ENTITY_AI_H

#include "game/entities/entity.h"

class EntityAI {
public:
    // Copies the name (null: "").
    explicit EntityAI(const char *name);
    // Frees the name.
    virtual ~EntityAI();
    EntityAI(const EntityAI &) = delete;
    EntityAI &operator=(const EntityAI &) = delete;

    // May leave a pick-up at `pos` when an enemy dies (gates by mode, odds, interval,
    // nearby pick-ups; health for wounded troopers first).
    virtual void PowerupDrop(vec2_t pos);
    // The entity to target, or null; the caller stores it in `target`.
    virtual Entity *GetTargetForEntity(Entity *e);
    // Desired movement toward the target or waypoint, before avoidance; (0, 0) when
    // there is no target or the goal is within reach.
    virtual vec2_t GetAttackVector(Entity *e);
    // Push away from the field's obstacles, the own group's crowd and (PLAYERS) structures.
    virtual vec2_t GetAvoidVector(Entity *e);
    // Default: does nothing and returns false.
    virtual bool FixCollisions(Entity *e);
    // Recoil, firing, reloading (nothing for projectiles).
    virtual void UpdateEntityWeapon(Entity *e, float dt);
    // Default: does nothing.
    virtual void UpdateEntity(Entity *e, float dt);
    // Default: `attack_phase` = 0.
    virtual void OnBirth(Entity *e);
    // Default: does nothing. `killer` may be null.
    virtual void OnDeath(Entity *e, Entity *killer);
    // Melee hit on `victim`, at most one per 500 ms of game clock.
    virtual void OnAttack(Entity *e, Entity *victim);
    // Unit steering direction from the attack and avoid vectors; (0, 0) when both the
    // wish and the sidestep are zero.
    virtual vec2_t GetDirection(Entity *e, vec2_t attack, vec2_t avoid, float dt, bool noSideSwitch);

    char *name;  // owned
};

#endif
