// Cheap running counts of the world's hot operations, read by the battle benchmark to
// report what a frame does (calls, records visited, steps). Plain increments on the main
// thread; nothing in the game reads them.
#ifndef GAME_WORLD_COUNTERS_H
#define GAME_WORLD_COUNTERS_H

#include <stdint.h>

struct WorldCounters {
    uint64_t nearest_enemy_calls;   // Scape::GetNearestEnemy
    uint64_t nearest_enemy_visits;  // records those calls looked at
    uint64_t obstacle_tests;        // Scape::IsPointInsideObstacle
    uint64_t walk_steps;            // steps of VectorField::WalkFromPointToPoint
    uint64_t queue_insert_steps;    // links followed inserting into the spawn queue
    uint64_t spawns;                // entities spawned into the world
    uint64_t kills;                 // living entities killed (Scape::KillEntity)
    uint64_t nearest_friend_calls;  // Scape::GetNearestFriend
    uint64_t nearest_friend_visits; // records those calls looked at
    uint64_t radius_queries;        // Scape::QueryEntitiesInRadius and its group filters
    uint64_t radius_visits;         // records those queries looked at
    uint64_t pool_scans;            // walks over the whole entity pool
    uint64_t path_steps;            // points MovePath::GetPoint stepped over
    uint64_t ring_segments;         // segments of trooper range rings drawn
};

extern WorldCounters world_counters;

#endif
