// The world's spatial queries. Grid queries visit only the cells a query circle can
// reach, rows outer and ascending, columns inner and ascending, each cell's ring from
// its head along `next`; that order decides every tie. Pool scans walk the stock's
// records in index order. Nothing here allocates.
#include "game/scape.h"
#include "game/world-counters.h"

#include "game/entities/entity.h"
#include "game/entities/stock.h"

namespace {

// Largest cell index magnitude a window is computed with; far beyond any grid, small
// enough that the index arithmetic cannot overflow.
const float kIndexLimit = 1.0e7f;

// A coordinate's cell index, not clamped to the grid (truncated toward zero); clamped
// in float to +-kIndexLimit first, NaN counting 0.
int UnclampedIndex(float v, float size)
{
    float f = v / size;
    if (!(f == f))
        return 0;
    if (f > kIndexLimit)
        f = kIndexLimit;
    if (f < -kIndexLimit)
        f = -kIndexLimit;
    return (int)f;
}

struct CellWindow {
    int column0, column1, row0, row1;
};

// Alive, or dying for less than half a second.
bool AliveOrJustDying(const Entity *e)
{
    return e->state == Entity::STATE_ALIVE || e->phase < 0.5f;
}

float DistanceSquared(vec2_t p, const Entity *e)
{
    float dx = p.x - e->pos.x;
    float dy = p.y - e->pos.y;
    return dx * dx + dy * dy;
}

}  // namespace

// The cells a circle of radius r around p can reach. False when there is nothing to
// visit: no grid, or a radius that is negative or not a number (a negative radius
// would otherwise match by its square).
static bool GetWindow(const Scape *world, vec2_t p, float r, CellWindow *w)
{
    if (!world->cells || !(r >= 0.0f))
        return false;
    float reach_f = r / world->cell_size + 0.5f;
    if (reach_f > kIndexLimit)
        reach_f = kIndexLimit;
    int reach = (int)reach_f + 1;
    int cx = UnclampedIndex(p.x, world->cell_size);
    int cy = UnclampedIndex(p.y, world->cell_size);
    w->column0 = cx - reach > 0 ? cx - reach : 0;
    w->column1 = cx + reach < world->num_columns - 1 ? cx + reach : world->num_columns - 1;
    w->row0 = cy - reach > 0 ? cy - reach : 0;
    w->row1 = cy + reach < world->num_rows - 1 ? cy + reach : world->num_rows - 1;
    return w->column0 <= w->column1 && w->row0 <= w->row1;
}

// Calls visit(e) for every entity of the window in scan order until it returns false.
template <typename Visit>
static void ScanWindow(Scape *world, const CellWindow &w, Visit visit)
{
    for (int row = w.row0; row <= w.row1; row++) {
        for (int column = w.column0; column <= w.column1; column++) {
            ScapeCell *cell = &world->cells[row * world->num_columns + column];
            Entity *head = cell->first;
            if (!head)
                continue;
            Entity *e = head;
            do {
                Entity *next = e->next;
                if (!visit(e))
                    return;
                e = next;
            } while (e && e != head);
        }
    }
}

// The accepted entity of lowest score (squared distance less squared radius), the
// first in scan order among equal scores, when the radius squared reaches its score.
template <typename Accept>
static Entity *Nearest(Scape *world, vec2_t p, float r, float start_score, Accept accept)
{
    CellWindow w;
    if (!GetWindow(world, p, r, &w))
        return nullptr;
    Entity *best = nullptr;
    float best_score = start_score;
    ScanWindow(world, w, [&](Entity *e) {
        if (accept(e)) {
            float score = DistanceSquared(p, e) - e->radius * e->radius;
            if (score < best_score) {
                best_score = score;
                best = e;
            }
        }
        return true;
    });
    if (best && r * r >= best_score)
        return best;
    return nullptr;
}

// Entities whose circle touches the query circle and that pass the filter, in scan
// order, at most max.
template <typename Accept>
static int InRadius(Scape *world, vec2_t p, float r, int flag_mask, Entity **out, int max, Accept accept)
{
    if (!out || max <= 0)
        return 0;
    CellWindow w;
    if (!GetWindow(world, p, r, &w))
        return 0;
    int count = 0;
    world_counters.radius_queries++;
    ScanWindow(world, w, [&](Entity *e) {
        world_counters.radius_visits++;
        if ((e->flags & (uint32_t)flag_mask) && AliveOrJustDying(e) && accept(e)) {
            float reach = r + e->radius;
            if (DistanceSquared(p, e) <= reach * reach)
                out[count++] = e;
        }
        return count < max;
    });
    return count;
}

Entity *Scape::GetNearestEntityInFriendGroup(vec2_t p, float radius, int flag_mask, int group)
{
    return Nearest(this, p, radius, 10000.0f, [&](Entity *e) {
        return e->friend_group == group && (e->flags & (uint32_t)flag_mask) && AliveOrJustDying(e);
    });
}

Entity *Scape::GetNearestEnemy(Entity *self, vec2_t p, float radius)
{
    if (!self)
        return nullptr;
    world_counters.nearest_enemy_calls++;
    return Nearest(this, p, radius, 1000000.0f, [&](Entity *e) {
        world_counters.nearest_enemy_visits++;
        return e->friend_group != self->friend_group && (e->flags & Entity::NORMAL) && AliveOrJustDying(e);
    });
}

Entity *Scape::GetNearestFriend(Entity *self, vec2_t p, float radius)
{
    if (!self)
        return nullptr;
    world_counters.nearest_friend_calls++;
    return Nearest(this, p, radius, 1000000.0f, [&](Entity *e) {
        world_counters.nearest_friend_visits++;
        return e != self && e->friend_group == self->friend_group && (e->flags & Entity::NORMAL) &&
               e->state == Entity::STATE_ALIVE;
    });
}

int Scape::QueryEntitiesInRadius(vec2_t p, float radius, int flag_mask, Entity **out, int max)
{
    return InRadius(this, p, radius, flag_mask, out, max, [](Entity *) { return true; });
}

int Scape::QueryEntitiesInRadiusInFriendGroup(vec2_t p, float radius, int flag_mask, int group, Entity **out,
                                              int max)
{
    return InRadius(this, p, radius, flag_mask, out, max, [&](Entity *e) { return e->friend_group == group; });
}

int Scape::QueryEntitiesInRadiusNotInFriendGroup(vec2_t p, float radius, int flag_mask, int group,
                                                 Entity **out, int max)
{
    return InRadius(this, p, radius, flag_mask, out, max, [&](Entity *e) { return e->friend_group != group; });
}

int Scape::QueryEntitiesInFriendGroup(int flag_mask, int group, Entity **out, int max)
{
    if (!stock || !out)
        return 0;
    world_counters.pool_scans++;
    int count = 0;
    for (int i = 0; i < stock->num_entities && count < max; i++) {
        Entity *e = &stock->entities[i];
        if (e->type && e->friend_group == group && (e->flags & (uint32_t)flag_mask))
            out[count++] = e;
    }
    return count;
}

int Scape::QueryLivingEntitiesInFriendGroup(int flag_mask, int group, Entity **out, int max)
{
    if (!stock || !out)
        return 0;
    world_counters.pool_scans++;
    int count = 0;
    for (int i = 0; i < stock->num_entities && count < max; i++) {
        Entity *e = &stock->entities[i];
        if (e->type && e->state == Entity::STATE_ALIVE && e->friend_group == group &&
            (e->flags & (uint32_t)flag_mask))
            out[count++] = e;
    }
    return count;
}

int Scape::QueryEntitiesOfType(EntityType *type, int flag_mask, Entity **out, int max)
{
    if (!stock || !out || !type)
        return 0;
    world_counters.pool_scans++;
    int count = 0;
    for (int i = 0; i < stock->num_entities && count < max; i++) {
        Entity *e = &stock->entities[i];
        if (e->type == type && e->cell && e->state == Entity::STATE_ALIVE && (e->flags & (uint32_t)flag_mask))
            out[count++] = e;
    }
    return count;
}

int Scape::GetNumberOfEntitiesOfType(EntityType *type)
{
    if (!stock || !type)
        return 0;
    world_counters.pool_scans++;
    int count = 0;
    for (int i = 0; i < stock->num_entities; i++) {
        if (stock->entities[i].type == type)
            count++;
    }
    return count;
}

int Scape::GetNumberOfEntitiesInFriendGroup(int group)
{
    if (!stock)
        return 0;
    world_counters.pool_scans++;
    int count = 0;
    for (int i = 0; i < stock->num_entities; i++) {
        const Entity *e = &stock->entities[i];
        if (e->type && e->state == Entity::STATE_ALIVE && e->friend_group == group)
            count++;
    }
    return count;
}
