// The behaviour base: its name, the trivial defaults, the choice of a target and the
// wish to move toward it or along the level's waypoints. Steering is in
// entity-ai-steering.cpp; weapon, melee attack and pick-up drops in
// entity-ai-combat.cpp.
#include "game/entities/entity-ai.h"

#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <math.h>
#include <string.h>

#include <vector>

namespace {

// Range of the search for an enemy when nothing else is chosen.
const float DEFAULT_SEARCH_RADIUS = 1500.0f;
// Distance to the base assumed when there is neither a bunker nor a MedTent.
const float NO_BASE_DISTANCE = 10000.0f;
// Structures considered when measuring the distance to the nearest MedTent.
const int MAX_MEDTENTS_MEASURED = 5;

bool TypeNamed(const Entity *e, const char *name) {
    return e->type != nullptr && e->type->name != nullptr && strcmp(e->type->name, name) == 0;
}

// A registered type by exact name, without creating one: a kind never made has no
// entities in play.
EntityType *FindRegisteredType(const Stock *stock, const char *name) {
    for (int i = 0; i < stock->num_types; i++) {
        EntityType *type = stock->types[i];
        if (type != nullptr && type->name != nullptr && strcmp(type->name, name) == 0) {
            return type;
        }
    }
    return nullptr;
}

// The nearest living MedTent of the PLAYERS group, scanning every NORMAL entity of
// the group; ties keep the first found. Null when none.
Entity *NearestMedTent(Scape *world, const Entity *e) {
    int capacity = world->stock != nullptr ? world->stock->num_entities : 0;
    if (capacity <= 0) {
        return nullptr;
    }
    // One buffer for every call (main thread; the scan calls back into no behaviour).
    static std::vector<Entity *> found;
    if (found.size() < (size_t)capacity) {
        found.resize((size_t)capacity);
    }
    int n = world->QueryEntitiesInFriendGroup((int)Entity::NORMAL, Entity::PLAYERS, found.data(), capacity);
    Entity *best = nullptr;
    float best_distance = 0.0f;
    for (int i = 0; i < n; i++) {
        Entity *other = found[(size_t)i];
        if (!other->IsAlive() || !TypeNamed(other, "MedTent")) {
            continue;
        }
        float d = Distance(e->pos, other->pos);
        if (best == nullptr || d < best_distance) {
            best = other;
            best_distance = d;
        }
    }
    return best;
}

// Distance from the entity to the base: the bunker, else the nearest of up to five
// movement-blocking MedTents (world may be null: none), else NO_BASE_DISTANCE.
float DistanceToBase(Scape *world, const Entity *e) {
    if (game.base != nullptr) {
        return Distance(e->pos, game.base->pos);
    }
    float best = NO_BASE_DISTANCE;
    if (world == nullptr || world->stock == nullptr) {
        return best;
    }
    EntityType *medtent = FindRegisteredType(world->stock, "MedTent");
    if (medtent == nullptr) {
        return best;
    }
    Entity *found[MAX_MEDTENTS_MEASURED];
    int n = world->QueryEntitiesOfType(medtent, (int)Entity::BLOCKS_MOVEMENT, found, MAX_MEDTENTS_MEASURED);
    for (int i = 0; i < n; i++) {
        float d = Distance(e->pos, found[i]->pos);
        if (d < best) {
            best = d;
        }
    }
    return best;
}

// Number of usable waypoint records: up to the first with id 0, at most 16.
int WaypointRecords() {
    int n = 0;
    while (n < GAME_MAX_WAYPOINTS && game.waypoints[n].id != 0) {
        n++;
    }
    return n;
}

// Index of the waypoint record with that id, or -1.
int FindWaypoint(int32_t id) {
    int n = WaypointRecords();
    for (int i = 0; i < n; i++) {
        if (game.waypoints[i].id == id) {
            return i;
        }
    }
    return -1;
}

// The first waypoint nearer than the base (and than every earlier choice), or the
// waypoint count when none is.
int ChooseFirstWaypoint(Scape *world, const Entity *e) {
    float best_distance = DistanceToBase(world, e);
    int best = game.num_waypoints;
    int n = WaypointRecords();
    for (int i = 0; i < n; i++) {
        vec2_t point = {game.waypoints[i].x, game.waypoints[i].y};
        float d = Distance(e->pos, point);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return best;
}

}  // namespace

EntityAI::EntityAI(const char *ai_name) {
    const char *text = ai_name != nullptr ? ai_name : "";
    size_t size = strlen(text) + 1;
    name = new char[size];
    memcpy(name, text, size);
}

EntityAI::~EntityAI() {
    delete[] name;
}

void EntityAI::UpdateEntity(Entity *, float) {}

void EntityAI::OnBirth(Entity *e) {
    e->attack_phase = 0.0f;
}

void EntityAI::OnDeath(Entity *, Entity *) {}

bool EntityAI::FixCollisions(Entity *) {
    return false;
}

Entity *EntityAI::GetTargetForEntity(Entity *e) {
    Scape *world = GetScape();
    Entity *candidate = e->target;
    if (candidate != nullptr && !candidate->IsAlive()) {
        e->target = nullptr;
        e->attack_phase = 0.0f;
        candidate = nullptr;
    } else if (e->attack_phase > 0.0f) {
        return e->target;  // an attack is playing
    }
    if (world == nullptr) {
        return candidate;
    }

    if (candidate == nullptr) {
        if (game.base != nullptr && game.base->friend_group != e->friend_group) {
            candidate = game.base;
        } else if (game.parms.game_mode == GAME_MODE_DEFEND_THE_FLAG && e->friend_group != Entity::PLAYERS) {
            Entity *tent = NearestMedTent(world, e);
            if (tent != nullptr) {
                candidate = tent;
            }
        } else if (controls.targets.Count() == 0) {
            // With primary targets marked, the default search adopts none of them and
            // looks no further: the marks are the troopers' business.
            candidate = world->GetNearestEnemy(e, e->pos, DEFAULT_SEARCH_RADIUS);
        }
    }

    if (sman.IsIntervalElapsed(1.0f) || candidate == nullptr || candidate == game.base) {
        float aggro = e->type != nullptr ? e->type->aggro_radius : 0.0f;
        Entity *nearest = world->GetNearestEnemy(e, e->pos, aggro);
        if (nearest != nullptr) {
            candidate = nearest;
        }
    }
    return candidate;
}

vec2_t EntityAI::GetAttackVector(Entity *e) {
    const vec2_t none = {0.0f, 0.0f};
    if (e->target == nullptr) {
        return none;
    }
    Scape *world = GetScape();
    vec2_t goal = e->target->pos;
    float reach = e->radius + e->target->radius - 4.0f;

    if (e->waypoint < game.num_waypoints && game.num_waypoints >= 1 &&
        e->friend_group != Entity::PLAYERS) {
        if (e->waypoint == -1) {
            e->waypoint = ChooseFirstWaypoint(world, e);
        }
        if (e->waypoint >= 0 && e->waypoint < game.num_waypoints && e->waypoint < GAME_MAX_WAYPOINTS) {
            reach = e->radius + 20.0f;
            const GameWaypoint &current = game.waypoints[e->waypoint];
            vec2_t point = {current.x, current.y};
            if (Distance(e->pos, point) < reach) {
                int parent = FindWaypoint(current.parent_id);
                if (parent >= 0) {
                    e->waypoint = parent;
                    goal = vec2_t{game.waypoints[parent].x, game.waypoints[parent].y};
                } else {
                    // The route is walked: on to the bunker (this frame still aims at
                    // the previous target).
                    if (e->target != game.base) {
                        e->attack_phase = 0.0f;
                    }
                    e->target = game.base;
                    e->waypoint = game.num_waypoints;
                }
            } else {
                goal = point;
            }
        }
    }

    vec2_t toward = {goal.x - e->pos.x, goal.y - e->pos.y};
    vec2_t direction = FastNormalize(toward);
    if (e->burn_time > 0.5f && e->hit_points < 20.0f) {
        // Panic: burning and nearly dead, it runs sideways.
        if (e->random_phase >= 0.5f) {
            direction = vec2_t{-direction.y, direction.x};
        } else {
            direction = vec2_t{direction.y, -direction.x};
        }
    }
    if (Distance(e->pos, goal) < reach) {
        return none;
    }
    return direction;
}
