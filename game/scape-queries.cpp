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

// A cell is passed over when it cannot hold an answer: its rectangle is farther from
// the query point than the radius plus the largest |radius| linked in it (an answer's
// circle must reach the query circle, and a nearest answer's score, squared distance
// less squared radius, must be within the radius squared), or its group counts say
// that no entity of it passes the query's group test. The border cells hold everything
// beyond the field's edge, so their rectangles reach on without end. Skipping a cell
// changes no answer and no order: the remaining cells keep the scan order.
namespace {

struct CellTest {
    enum Group { ANY_GROUP, IN_GROUP, NOT_IN_GROUP } group_test;
    int group;
    bool normal_only;  // only NORMAL entities can answer
};

// Whether a flag mask lets only NORMAL entities answer.
bool NormalOnly(int flag_mask)
{
    return ((uint32_t)flag_mask & ~Entity::NORMAL) == 0;
}

// Slack of the distance test, in world units: covers the rounding of the cell edges
// and of the callers' distance arithmetic.
const float kReachSlack = 1.0f;

bool MayAnswer(const ScapeCell *cell, const CellTest &test)
{
    if (test.group < 0 || test.group >= SCAPE_NUM_GROUP_COUNTS)
        return true;  // entities of such a group are not counted by the cells
    int in_group = cell->group_entities[test.group];
    switch (test.group_test) {
    case CellTest::IN_GROUP: return in_group > 0;
    case CellTest::NOT_IN_GROUP: return in_group < cell->num_entities;
    default: return true;
    }
}

// Distance from v to the band [index x size, (index + 1) x size) of a row or column,
// 0 inside it; the first and last bands reach on without end outward.
float GapToBand(float v, int index, int last, float size)
{
    if (index > 0) {
        float low = (float)index * size;
        if (v < low)
            return low - v;
    }
    if (index < last) {
        float high = (float)(index + 1) * size;
        if (v > high)
            return v - high;
    }
    return 0.0f;
}

// A group of at most this many linked members is read from its ring, not from the cells.
const int kRingReadMax = 64;

// Which group rings a group test reads instead of the cells: the ring of the group
// (IN_GROUP) or every other ring (NOT_IN_GROUP; the last ring mixes the groups outside
// 0..15, so it is read by both). No rings (false) when the cells are cheaper: any group,
// or more than kRingReadMax entities to read.
struct RingChoice {
    int own;           // the ring group of the test's group
    bool in_group;     // read only `own`'s rings; else every group's but `own` (the mixed group's always)
    bool normal_only;  // only the NORMAL rings
};

bool ReadsRings(const Scape *world, const CellTest &test, RingChoice *choice)
{
    if (test.group_test == CellTest::ANY_GROUP)
        return false;
    const int mixed = SCAPE_RING_GROUPS - 1;
    int own = test.group >= 0 && test.group < SCAPE_NUM_GROUP_COUNTS ? test.group : mixed;
    bool in_group = test.group_test == CellTest::IN_GROUP;
    int own_members = world->group_linked[2 * own] + (test.normal_only ? 0 : world->group_linked[2 * own + 1]);
    int members = own_members;
    if (!in_group) {
        int all = test.normal_only ? world->linked_normal : world->linked_total;
        members = own == mixed ? all : all - own_members;
    }
    if (members > kRingReadMax)
        return false;
    choice->own = own;
    choice->in_group = in_group;
    choice->normal_only = test.normal_only;
    return true;
}

bool ReadsRing(const RingChoice &choice, int ring)
{
    int group = ring / 2;
    if (choice.normal_only && ring % 2 != 0)
        return false;
    if (choice.in_group)
        return group == choice.own;
    return group != choice.own || group == SCAPE_RING_GROUPS - 1;
}

// Scan order of two entities of the window: cell by cell in index order (rows outer,
// columns inner), and within a cell in ring order, that is in order of linking.
bool ScansBefore(const Entity *a, const Entity *b)
{
    if (a->cell != b->cell)
        return a->cell < b->cell;
    return a->link_seq < b->link_seq;
}

}  // namespace

// Calls visit(e) for every entity of the given group rings whose cell lies in the
// window, in no particular order.
template <typename Visit>
static void ScanRings(Scape *world, const CellWindow &w, const RingChoice &choice, Visit visit)
{
    for (int i = 0; i < SCAPE_GROUP_RINGS; i++) {
        Entity *head = ReadsRing(choice, i) ? world->group_first[i] : nullptr;
        if (!head)
            continue;
        Entity *e = head;
        do {
            const ScapeCell *cell = e->cell;
            if (cell->row >= w.row0 && cell->row <= w.row1 && cell->column >= w.column0 && cell->column <= w.column1)
                visit(e);
            e = e->group_next;
        } while (e != head);
    }
}

// Calls visit(e) for every entity of the window's useful cells in scan order until it
// returns false.
template <typename Visit>
static void ScanWindow(Scape *world, const CellWindow &w, vec2_t p, float r, const CellTest &test, Visit visit)
{
    int last_column = world->num_columns - 1, last_row = world->num_rows - 1;
    for (int row = w.row0; row <= w.row1; row++) {
        float gap_y = GapToBand(p.y, row, last_row, world->cell_size);
        for (int column = w.column0; column <= w.column1; column++) {
            ScapeCell *cell = &world->cells[row * world->num_columns + column];
            Entity *head = cell->first;
            if (!head)
                continue;
            float gap_x = GapToBand(p.x, column, last_column, world->cell_size);
            float reach = r + cell->max_reach + kReachSlack;
            if (gap_x * gap_x + gap_y * gap_y > reach * reach || !MayAnswer(cell, test))
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
static Entity *Nearest(Scape *world, vec2_t p, float r, float start_score, const CellTest &test, Accept accept)
{
    CellWindow w;
    if (!GetWindow(world, p, r, &w))
        return nullptr;
    Entity *best = nullptr;
    float best_score = start_score;
    RingChoice rings;
    if (ReadsRings(world, test, &rings)) {
        // Out of scan order: an equal score wins when it comes first in scan order.
        ScanRings(world, w, rings, [&](Entity *e) {
            if (accept(e)) {
                float score = DistanceSquared(p, e) - e->radius * e->radius;
                if (score < best_score || (best && score == best_score && ScansBefore(e, best))) {
                    best_score = score;
                    best = e;
                }
            }
        });
    } else {
        ScanWindow(world, w, p, r, test, [&](Entity *e) {
            if (accept(e)) {
                float score = DistanceSquared(p, e) - e->radius * e->radius;
                if (score < best_score) {
                    best_score = score;
                    best = e;
                }
            }
            return true;
        });
    }
    if (best && r * r >= best_score)
        return best;
    return nullptr;
}

// Entities whose circle touches the query circle and that pass the filter, in scan
// order, at most max.
template <typename Accept>
static int InRadius(Scape *world, vec2_t p, float r, int flag_mask, Entity **out, int max, const CellTest &test,
                    Accept accept)
{
    if (!out || max <= 0)
        return 0;
    CellWindow w;
    if (!GetWindow(world, p, r, &w))
        return 0;
    int count = 0;
    world_counters.radius_queries++;
    auto takes = [&](Entity *e) {
        world_counters.radius_visits++;
        if ((e->flags & (uint32_t)flag_mask) && AliveOrJustDying(e) && accept(e)) {
            float reach = r + e->radius;
            return DistanceSquared(p, e) <= reach * reach;
        }
        return false;
    };
    RingChoice rings;
    if (ReadsRings(world, test, &rings)) {
        // Every answer of the rings, put in scan order; the first max are the result.
        Entity *taken[kRingReadMax];
        int n = 0;
        ScanRings(world, w, rings, [&](Entity *e) {
            if (n < kRingReadMax && takes(e))
                taken[n++] = e;
        });
        for (int i = 1; i < n; i++) {
            Entity *e = taken[i];
            int j = i;
            for (; j > 0 && ScansBefore(e, taken[j - 1]); j--)
                taken[j] = taken[j - 1];
            taken[j] = e;
        }
        for (; count < n && count < max; count++)
            out[count] = taken[count];
        return count;
    }
    ScanWindow(world, w, p, r, test, [&](Entity *e) {
        if (takes(e))
            out[count++] = e;
        return count < max;
    });
    return count;
}

static bool IsFriendOf(const Entity *self, const Entity *e)
{
    return e != self && e->friend_group == self->friend_group && (e->flags & Entity::NORMAL) &&
           e->state == Entity::STATE_ALIVE;
}

Entity *Scape::GetNearestEntityInFriendGroup(vec2_t p, float radius, int flag_mask, int group)
{
    CellTest test = {CellTest::IN_GROUP, group, NormalOnly(flag_mask)};
    return Nearest(this, p, radius, 10000.0f, test, [&](Entity *e) {
        return e->friend_group == group && (e->flags & (uint32_t)flag_mask) && AliveOrJustDying(e);
    });
}

Entity *Scape::GetNearestEnemy(Entity *self, vec2_t p, float radius)
{
    if (!self)
        return nullptr;
    world_counters.nearest_enemy_calls++;
    return Nearest(this, p, radius, 1000000.0f, CellTest{CellTest::NOT_IN_GROUP, self->friend_group, true},
                   [&](Entity *e) {
                       world_counters.nearest_enemy_visits++;
                       return e->friend_group != self->friend_group && (e->flags & Entity::NORMAL) &&
                              AliveOrJustDying(e);
                   });
}

Entity *Scape::GetNearestFriend(Entity *self, vec2_t p, float radius)
{
    if (!self)
        return nullptr;
    world_counters.nearest_friend_calls++;
    CellTest test = {CellTest::IN_GROUP, self->friend_group, true};
    return Nearest(this, p, radius, 1000000.0f, test, [&](Entity *e) {
        world_counters.nearest_friend_visits++;
        return IsFriendOf(self, e);
    });
}

Entity *Scape::GetNearestFriendAmong(Entity *self, vec2_t p, float radius, Entity *const *found, int n,
                                     float found_radius)
{
    if (!self)
        return nullptr;
    // A friend's score within radius squared puts its circle within found_radius of p
    // only when no radius is negative.
    if (negative_radius_linked || !(found_radius >= radius))
        return GetNearestFriend(self, p, radius);
    world_counters.nearest_friend_calls++;
    CellWindow w;
    if (!cells || !GetWindow(this, p, radius, &w))
        return nullptr;
    Entity *best = nullptr;
    float best_score = 1000000.0f;
    for (int i = 0; i < n; i++) {
        Entity *e = found[i];
        world_counters.nearest_friend_visits++;
        if (!e->cell || !IsFriendOf(self, e))
            continue;
        // Only what the grid query's own window holds.
        const ScapeCell *cell = e->cell;
        if (cell->row < w.row0 || cell->row > w.row1 || cell->column < w.column0 || cell->column > w.column1)
            continue;
        float score = DistanceSquared(p, e) - e->radius * e->radius;
        if (score < best_score) {
            best_score = score;
            best = e;
        }
    }
    if (best && radius * radius >= best_score)
        return best;
    return nullptr;
}

int Scape::QueryEntitiesInRadius(vec2_t p, float radius, int flag_mask, Entity **out, int max)
{
    CellTest test = {CellTest::ANY_GROUP, 0, NormalOnly(flag_mask)};
    return InRadius(this, p, radius, flag_mask, out, max, test,
                    [](Entity *) { return true; });
}

int Scape::QueryEntitiesInRadiusInFriendGroup(vec2_t p, float radius, int flag_mask, int group, Entity **out,
                                              int max)
{
    CellTest test = {CellTest::IN_GROUP, group, NormalOnly(flag_mask)};
    return InRadius(this, p, radius, flag_mask, out, max, test,
                    [&](Entity *e) { return e->friend_group == group; });
}

int Scape::QueryEntitiesInRadiusNotInFriendGroup(vec2_t p, float radius, int flag_mask, int group,
                                                 Entity **out, int max)
{
    CellTest test = {CellTest::NOT_IN_GROUP, group, NormalOnly(flag_mask)};
    return InRadius(this, p, radius, flag_mask, out, max, test,
                    [&](Entity *e) { return e->friend_group != group; });
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
