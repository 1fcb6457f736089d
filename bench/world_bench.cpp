// The world benchmark: the spatial queries, the obstacle test and one drag's two path
// walks on a default battlefield (8 x 6 cells of 128 units) holding 511 entities and 30
// obstacles, all placed from a fixed seed. Prints one RESULT line per operation: the
// nanoseconds per call and what a call visits (entities in the cells a query reaches,
// obstacles within reach of the tested circle, points of a walk).
//
//   world_bench [--calls N]    calls per operation (default 200000; walks N / 100)
//
// No engine is started: the world is built from its grid alone, the obstacle outlines
// from regular polygons made here.
#include "app/services/random.h"
#include "game/entities/entity.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/vector-field.h"
#include "orvex.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <vector>

namespace {

const int kEntities = 511;
const int kObstacles = 30;
const int kPoints = 4096;  // query points, cycled

float Random(float lo, float hi)
{
    return lo + (hi - lo) * (float)AppRandom() / 32767.0f;
}

// A regular polygon of n corners and the given radius, listed clockwise on screen.
void MakePolygon(ObstacleType *type, int n, float radius)
{
    type->num_edges = n;
    type->edges = new ObstacleEdge[n];
    type->radius = radius;
    for (int i = 0; i < n; i++) {
        float a0 = 2.0f * (float)M_PI * (float)i / (float)n;
        float a1 = 2.0f * (float)M_PI * (float)(i + 1) / (float)n;
        ObstacleEdge &e = type->edges[i];
        e.p0 = vec2_t{radius * cosf(a0), radius * sinf(a0)};
        e.p1 = vec2_t{radius * cosf(a1), radius * sinf(a1)};
        e.normal = ObstacleEdgeNormal(e.p0, e.p1);
    }
}

double NowNs()
{
    return (double)std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Entities in the cells a circle query of radius r at p reaches (the grid's window).
int EntitiesInWindow(const Scape &world, vec2_t p, float r)
{
    int reach = (int)(r / world.cell_size + 0.5f) + 1;
    int cx = (int)(p.x / world.cell_size), cy = (int)(p.y / world.cell_size);
    int visits = 0;
    for (int row = cy - reach < 0 ? 0 : cy - reach; row <= cy + reach && row < world.num_rows; row++) {
        for (int c = cx - reach < 0 ? 0 : cx - reach; c <= cx + reach && c < world.num_columns; c++)
            visits += world.cells[row * world.num_columns + c].num_entities;
    }
    return visits;
}

int ObstaclesInReach(const Scape &world, vec2_t p, float r)
{
    int n = 0;
    for (int i = 0; i < world.placed_obstacles.Count(); i++) {
        const Obstacle *o = world.placed_obstacles[i];
        float dx = p.x - o->pos.x, dy = p.y - o->pos.y;
        n += sqrtf(dx * dx + dy * dy) <= r + o->radius;
    }
    return n;
}

void Report(const char *op, double ns, long calls, double visits)
{
    printf("RESULT prog=world op=%s calls=%ld ns_per_call=%.1f visits_per_call=%.2f\n", op, calls,
           ns / (double)calls, visits);
    fflush(stdout);
}

}  // namespace

// The engine asks the application for its record only when started, which this program
// never does; the link needs the symbol.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    return nullptr;
}

int main(int argc, char **argv)
{
    long calls = 200000;
    for (int i = 1; i + 1 < argc; i++) {
        if (strcmp(argv[i], "--calls") == 0)
            calls = atol(argv[++i]);
    }
    if (calls < 100)
        calls = 100;
    AppSeedRandom(20261210);

    Scape world;
    world.InitGrid(8, 6, 128.0f);
    world.vector_field = new VectorField(world.width, world.height, &world);

    ObstacleType shapes[3];
    MakePolygon(&shapes[0], 8, 24.0f);
    MakePolygon(&shapes[1], 6, 36.0f);
    MakePolygon(&shapes[2], 12, 48.0f);
    for (int i = 0; i < kObstacles; i++) {
        vec2_t pos = {Random(40, (float)world.width - 40), Random(40, (float)world.height - 40)};
        world.AddObstacle(&shapes[i % 3], pos, Random(0, 6.28f), Random(0.8f, 1.2f));
    }
    world.vector_field->AddBorderPush();

    std::vector<Entity> entities(kEntities);
    memset((void *)entities.data(), 0, sizeof(Entity) * entities.size());
    for (int i = 0; i < kEntities; i++) {
        Entity &e = entities[i];
        e.flags = Entity::NORMAL | (i % 7 == 0 ? Entity::BLOCKS_MOVEMENT : 0);
        e.state = Entity::STATE_ALIVE;
        e.friend_group = i % 3 == 0 ? Entity::PLAYERS : Entity::ENEMIES;
        e.radius = Random(6, 20);
        e.pos = vec2_t{Random(0, (float)world.width), Random(0, (float)world.height)};
        world.LinkEntity(&e);
    }

    std::vector<vec2_t> points(kPoints);
    for (vec2_t &p : points)
        p = vec2_t{Random(0, (float)world.width), Random(0, (float)world.height)};

    Entity *out[64];
    long sink = 0;
    double visits = 0;

    // Radius query, 100 units, NORMAL entities, up to 64 results.
    for (int i = 0; i < kPoints; i++)
        visits += EntitiesInWindow(world, points[i], 100.0f);
    double t0 = NowNs();
    for (long i = 0; i < calls; i++)
        sink += world.QueryEntitiesInRadius(points[i % kPoints], 100.0f, Entity::NORMAL, out, 64);
    Report("QueryEntitiesInRadius_r100", NowNs() - t0, calls, visits / kPoints);

    visits = 0;
    for (int i = 0; i < kPoints; i++)
        visits += EntitiesInWindow(world, points[i], 200.0f);
    t0 = NowNs();
    for (long i = 0; i < calls; i++) {
        Entity *self = &entities[(size_t)(i % kEntities)];
        sink += world.GetNearestEnemy(self, points[i % kPoints], 200.0f) != nullptr;
    }
    Report("GetNearestEnemy_r200", NowNs() - t0, calls, visits / kPoints);

    visits = 0;
    for (int i = 0; i < kPoints; i++)
        visits += EntitiesInWindow(world, points[i], 60.0f);
    t0 = NowNs();
    for (long i = 0; i < calls; i++)
        sink += world.GetNearestEntityInFriendGroup(points[i % kPoints], 60.0f, Entity::NORMAL, Entity::PLAYERS) !=
                nullptr;
    Report("GetNearestEntityInFriendGroup_r60", NowNs() - t0, calls, visits / kPoints);

    // Visits: the obstacles a query stamps (tests once) before it is decided; those
    // within reach of the circle are the ones whose edges it examines.
    visits = 0;
    double in_reach = 0;
    for (int i = 0; i < kPoints; i++) {
        in_reach += ObstaclesInReach(world, points[i], 10.0f);
        world.IsPointInsideObstacle(points[i], 10.0f, nullptr);
        for (int k = 0; k < world.placed_obstacles.Count(); k++)
            visits += world.placed_obstacles[k]->visit_stamp == world.visit_stamp;
    }
    t0 = NowNs();
    for (long i = 0; i < calls; i++) {
        vec2_t moved;
        sink += world.IsPointInsideObstacle(points[i % kPoints], 10.0f, &moved);
    }
    Report("IsPointInsideObstacle_r10", NowNs() - t0, calls, visits / kPoints);
    printf("RESULT prog=world op=IsPointInsideObstacle_r10 obstacles_in_reach_per_call=%.2f\n", in_reach / kPoints);

    // One drag: the path walked both ways round from the last point to the finger,
    // 150 units apart, step 10, clearance 10.
    long drags = calls / 100;
    std::vector<vec2_t> ends(kPoints);
    for (int i = 0; i < kPoints; i++) {
        float a = Random(0, 6.28f);
        ends[i] = vec2_t{points[i].x + 150.0f * cosf(a), points[i].y + 150.0f * sinf(a)};
    }
    long walked_points = 0;
    t0 = NowNs();
    for (long i = 0; i < drags; i++) {
        vec2_t from = points[i % kPoints], to = ends[i % kPoints];
        nArray<vec2_t> left = world.vector_field->WalkFromPointToPoint(from, to, 10.0f, 10.0f, false);
        nArray<vec2_t> right = world.vector_field->WalkFromPointToPoint(from, to, 10.0f, 10.0f, true);
        walked_points += left.Count() + right.Count();
    }
    Report("drag_two_walks_150", NowNs() - t0, drags, (double)walked_points / (double)drags);

    for (ObstacleType &shape : shapes) {
        delete[] shape.edges;
        shape.edges = nullptr;
    }
    world.Free();
    printf("RESULT prog=world done=1 sink=%ld\n", sink);
    return 0;
}
