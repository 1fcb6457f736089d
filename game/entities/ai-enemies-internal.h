// Small helpers shared by the enemy behaviours' files.
#ifndef GAME_ENTITIES_AI_ENEMIES_INTERNAL_H
#define GAME_ENTITIES_AI_ENEMIES_INTERNAL_H

#include "game/entities/entity.h"

#include "app/services/small-maths.h"

#include <math.h>

namespace enemyai {

inline float HeadingTo(const Entity *e, const Entity *other) {
    return atan2f(other->pos.y - e->pos.y, other->pos.x - e->pos.x);
}

// A uniform number in [lo, hi] from one AppRandom draw.
float Uniform(float lo, float hi);

// Whether the target is within reach + extra of the entity (touching plus 4 units).
inline bool WithinContact(const Entity *e, const Entity *target, float extra) {
    float reach = e->radius + target->radius + 4.0f + extra;
    return DistanceSquared(e->pos, target->pos) <= reach * reach;
}

// Throttle ramp of the hunters: toward 1 at 4 per second when the direction is more
// than a standstill (squared length above 0.01), toward 0 otherwise. Returns the
// desired heading: the direction's, or the current `angle` at a standstill.
float RampThrottle(Entity *e, vec2_t direction, float dt);

// The velocity from the throttle, the chill and the direction, then the move.
void MoveAlong(Entity *e, vec2_t direction, float dt);

// The strike while an attack plays: `attack_phase` advances by rate x dt (back to 0
// at 1) and the heading turns toward the target at most 15 rad/s.
void PlayStrike(Entity *e, float rate, float dt);

// The roaming goal's upper x bound: world width x ai_parm_a, at least 20.
float RoamMaxX(const Entity *e);
// The roaming goal's upper y bound: world height - 20, at least 20.
float RoamMaxY();

}  // namespace enemyai

#endif
