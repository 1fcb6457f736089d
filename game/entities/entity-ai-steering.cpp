// Steering of the behaviour base: the push away from obstacles (the world's vector
// field), from the own group's crowd and, for the PLAYERS group, from structures; and
// the final direction, which either follows the wish with a sidestep around the crowd
// or slides along an obstacle the wish runs into, committing to one side for a while
// and sharing that side with the nearest friend.
#include "game/entities/entity-ai.h"

#include "app/services/random.h"
#include "game/entities/angles.h"
#include "game/scape.h"
#include "game/vector-field.h"

#include <math.h>

namespace {

// Neighbours considered by the avoidance.
const int MAX_AVOIDED = 5;
// Weight of the field in the avoid vector.
const float FIELD_AVOID_FACTOR = 0.0025f;
// A field weaker than this does not block.
const float FIELD_BLOCK_STRENGTH = 0.01f;
// A wish shorter than this blends into the sidestep.
const float FULL_WISH = 0.3f;

vec2_t Add(vec2_t a, vec2_t b) {
    return vec2_t{a.x + b.x, a.y + b.y};
}

vec2_t Scaled(vec2_t a, float s) {
    return vec2_t{a.x * s, a.y * s};
}

float Dot(vec2_t a, vec2_t b) {
    return a.x * b.x + a.y * b.y;
}

float Length(vec2_t a) {
    return sqrtf(a.x * a.x + a.y * a.y);
}

// The world's vector field at a point (bilinear; the field clamps the coordinates);
// (0, 0) without a world or field.
vec2_t SampleField(vec2_t p) {
    Scape *world = GetScape();
    if (world == nullptr || world->vector_field == nullptr) {
        return vec2_t{0.0f, 0.0f};
    }
    return world->vector_field->Sample(p);
}

// Adds (1 - d / r) x the unit vector from each other entity to e, for those nearer
// than r = base + (radii) x factor.
vec2_t PushAway(const Entity *e, Entity **others, int n, float base, float factor, vec2_t v) {
    for (int i = 0; i < n; i++) {
        const Entity *other = others[i];
        if (other == e) {
            continue;
        }
        vec2_t away = {e->pos.x - other->pos.x, e->pos.y - other->pos.y};
        float d = Length(away);
        float r = base + (other->radius + e->radius) * factor;
        if (d < r) {
            v = Add(v, Scaled(FastNormalize(away), 1.0f - d / r));
        }
    }
    return v;
}

// The avoidance query's answer for the entity being steered: the nearest-friend
// searches of the same step take their answer from it when it is complete (not cut at
// MAX_AVOIDED) and nothing in the grid or of the entity changed since. Main thread only.
struct AvoidQuery {
    const Entity *entity = nullptr;
    const Scape *world = nullptr;
    uint32_t link_stamp = 0;
    vec2_t pos = {0.0f, 0.0f};
    int16_t group = 0;
    float radius = 0.0f;
    int count = 0;
    Entity *found[MAX_AVOIDED] = {};
} last_avoid;

void KeepAvoidQuery(const Entity *e, const Scape *world, float radius, Entity *const *found, int count) {
    last_avoid.entity = e;
    last_avoid.world = world;
    last_avoid.link_stamp = world->link_stamp;
    last_avoid.pos = e->pos;
    last_avoid.group = e->friend_group;
    last_avoid.radius = radius;
    last_avoid.count = count;
    for (int i = 0; i < count; i++) {
        last_avoid.found[i] = found[i];
    }
}

// The nearest friend within e's radius, or null.
Entity *NearestFriend(Entity *e) {
    Scape *world = GetScape();
    if (world == nullptr) {
        return nullptr;
    }
    const AvoidQuery &q = last_avoid;
    if (q.entity == e && q.world == world && q.link_stamp == world->link_stamp && q.pos.x == e->pos.x &&
        q.pos.y == e->pos.y && q.group == e->friend_group && q.count < MAX_AVOIDED) {
        return world->GetNearestFriendAmong(e, e->pos, e->radius, q.found, q.count, q.radius);
    }
    return world->GetNearestFriend(e, e->pos, e->radius);
}

// With odds 3 in 10 the nearest friend takes e's side of avoidance, so neighbours go
// round an obstacle the same way.
void MaybeShareAvoidSide(Entity *e) {
    if (AppRandom() % 10 < 3) {
        Entity *buddy = NearestFriend(e);
        if (buddy != nullptr) {
            buddy->avoid_side = e->avoid_side;
        }
    }
}

}  // namespace

vec2_t EntityAI::GetAvoidVector(Entity *e) {
    vec2_t v = Scaled(SampleField(e->pos), FIELD_AVOID_FACTOR);
    Scape *world = GetScape();
    if (world == nullptr) {
        return v;
    }
    Entity *others[MAX_AVOIDED];
    float radius = e->radius + 20.0f;
    int n = world->QueryEntitiesInRadiusInFriendGroup(e->pos, radius, (int)Entity::NORMAL, e->friend_group, others,
                                                      MAX_AVOIDED);
    KeepAvoidQuery(e, world, radius, others, n);
    v = PushAway(e, others, n, 0.0f, 1.25f, v);
    if (e->friend_group == Entity::PLAYERS) {
        n = world->QueryEntitiesInRadius(e->pos, 150.0f + e->radius, (int)Entity::BLOCKS_MOVEMENT, others,
                                         MAX_AVOIDED);
        v = PushAway(e, others, n, 50.0f, 1.05f, v);
    }
    return v;
}

vec2_t EntityAI::GetDirection(Entity *e, vec2_t attack, vec2_t avoid, float dt, bool noSideSwitch) {
    vec2_t wish = Add(attack, avoid);
    vec2_t field = SampleField(e->pos);
    float field_length = Length(field);

    if (field_length <= FIELD_BLOCK_STRENGTH || Dot(attack, field) >= 0.0f || noSideSwitch) {
        // Free: follow the wish; a weak one blends into a sidestep around the crowd.
        e->avoid_time -= 2.0f * dt;
        vec2_t side = {-avoid.y, avoid.x};
        MaybeShareAvoidSide(e);
        if (e->avoid_side < 0.5f) {
            side = Scaled(side, -1.0f);
        }
        float w = fminf(Length(wish), FULL_WISH) / FULL_WISH;
        return FastNormalize(Add(Scaled(wish, w), Scaled(side, 1.0f - w)));
    }

    // Blocked: the wish runs against the field, so slide along the obstacle.
    vec2_t tangent = Scaled(vec2_t{-field.y, field.x}, 1.0f / field_length);
    MaybeShareAvoidSide(e);
    if (e->avoid_side < 0.5f) {
        tangent = Scaled(tangent, -1.0f);
    }
    if (e->avoid_time < -1.0f) {
        // Free of any commitment for a while: pick the side nearer the wish and keep it.
        if (Dot(tangent, attack) < 0.0f) {
            tangent = Scaled(tangent, -1.0f);
            e->avoid_side = 1.0f - e->avoid_side;
        }
        e->avoid_time = 1.0f;
        Entity *buddy = NearestFriend(e);
        if (buddy != nullptr) {
            buddy->avoid_time = 1.0f;
            buddy->avoid_side = e->avoid_side;
        }
    } else if (e->avoid_time < 0.25f) {
        if (Dot(tangent, attack) < 0.0f) {
            e->avoid_time = 1.0f;
            tangent = Scaled(tangent, -1.0f);
            e->avoid_side = 1.0f - e->avoid_side;
            Entity *buddy = NearestFriend(e);
            if (buddy != nullptr) {
                buddy->avoid_side = e->avoid_side;
            }
        }
    }
    vec2_t result = FastNormalize(Add(tangent, Scaled(field, 0.025f / field_length)));
    e->avoid_time += 0.2f * dt;
    return result;
}
