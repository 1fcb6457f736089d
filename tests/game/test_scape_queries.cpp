// The world's queries against a brute-force reference over seeded random worlds: every
// pool record examined, candidates taken in the grid's scan order (row, column, order
// of linking into the cell), query points inside and outside the field, radii from 0 to
// beyond the world, ties on purpose. Plus the documented edge cases.
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"

#include <gtest/gtest.h>

#include <math.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

EntityType *Kind(int n)
{
    static char kinds[4];
    return reinterpret_cast<EntityType *>(&kinds[n]);
}

const float kCell = 128.0f;

bool AliveOrJustDying(const Entity *e)
{
    return e->state == Entity::STATE_ALIVE || e->phase < 0.5f;
}

class QueryWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.InitGrid(8, 6, kCell);
        world.stock = new Stock;
        world.stock->InitPool(512);
    }
    Entity *Make(vec2_t pos, float radius, int group, uint32_t flags, int kind = 0)
    {
        Entity *e = world.stock->GetFreeEntity(Kind(kind));
        e->pos = pos;
        e->radius = radius;
        e->friend_group = (int16_t)group;
        e->flags = flags;
        e->state = Entity::STATE_ALIVE;
        e->phase = 0.0f;
        Link(e);
        return e;
    }
    // Links and remembers the order of linking, which is each ring's order.
    void Link(Entity *e)
    {
        ScapeCell *before = e->cell;
        world.LinkEntity(e);
        if (e->cell != before)
            sequence[e - world.stock->entities] = ++counter;
    }
    // Every linked record in scan order, found without the grid's rings.
    std::vector<Entity *> ScanOrder()
    {
        std::vector<Entity *> out;
        for (int i = 0; i < world.stock->num_entities; i++) {
            Entity *e = &world.stock->entities[i];
            if (e->type && e->cell)
                out.push_back(e);
        }
        std::sort(out.begin(), out.end(), [&](Entity *a, Entity *b) {
            int ca = (int)(a->cell - world.cells), cb = (int)(b->cell - world.cells);
            if (ca != cb)
                return ca < cb;
            return sequence[a - world.stock->entities] < sequence[b - world.stock->entities];
        });
        return out;
    }
    // Whether an entity's cell lies in the cell window of a query circle: reach =
    // trunc(r / cell size + 0.5) + 1 cells around the point's unclamped cell.
    bool InWindow(const Entity *e, vec2_t p, float r)
    {
        double reach = floor((double)r / world.cell_size + 0.5) + 1.0;
        double cx = trunc((double)p.x / world.cell_size), cy = trunc((double)p.y / world.cell_size);
        int index = (int)(e->cell - world.cells);
        double row = index / world.num_columns, column = index % world.num_columns;
        return fabs(column - cx) <= reach && fabs(row - cy) <= reach;
    }
    template <typename Accept>
    Entity *RefNearest(vec2_t p, float r, float start, Accept accept)
    {
        if (!(r >= 0.0f))
            return nullptr;
        Entity *best = nullptr;
        float best_score = start;
        for (Entity *e : ScanOrder()) {
            if (!accept(e) || !InWindow(e, p, r))
                continue;
            float dx = p.x - e->pos.x, dy = p.y - e->pos.y;
            float score = dx * dx + dy * dy - e->radius * e->radius;
            if (score < best_score) {
                best_score = score;
                best = e;
            }
        }
        return best && r * r >= best_score ? best : nullptr;
    }
    template <typename Accept>
    std::vector<Entity *> RefInRadius(vec2_t p, float r, int mask, int max, Accept accept)
    {
        std::vector<Entity *> out;
        if (!(r >= 0.0f))
            return out;
        for (Entity *e : ScanOrder()) {
            if ((int)out.size() >= max)
                break;
            if (!(e->flags & (uint32_t)mask) || !AliveOrJustDying(e) || !accept(e) || !InWindow(e, p, r))
                continue;
            float dx = p.x - e->pos.x, dy = p.y - e->pos.y, reach = r + e->radius;
            if (dx * dx + dy * dy <= reach * reach)
                out.push_back(e);
        }
        return out;
    }
    // Every query at one point against the reference: the nearest of `group` with
    // `mask`, the nearest enemy and the nearest friend of `self`, and the three radius
    // queries with at most `max` answers. Counts the queries compared and the answers
    // found; the nearest friend's reference answer goes to `friend_ref`. `where` names
    // the case in a failure.
    void CompareQueriesAt(vec2_t p, float r, int mask, int group, Entity *self, int max, const std::string &where,
                          int *compared, int *found, Entity **friend_ref)
    {
        Entity *list[64];
        Entity *near = world.GetNearestEntityInFriendGroup(p, r, mask, group);
        ASSERT_EQ(RefNearest(p, r, 10000.0f,
                             [&](Entity *e) {
                                 return e->friend_group == group && (e->flags & (uint32_t)mask) && AliveOrJustDying(e);
                             }),
                  near)
            << where;
        *found += near != nullptr;
        ASSERT_EQ(RefNearest(p, r, 1000000.0f,
                             [&](Entity *e) {
                                 return e->friend_group != self->friend_group && (e->flags & Entity::NORMAL) &&
                                        AliveOrJustDying(e);
                             }),
                  world.GetNearestEnemy(self, p, r))
            << where;
        *friend_ref = RefNearest(p, r, 1000000.0f, [&](Entity *e) {
            return e != self && e->friend_group == self->friend_group && (e->flags & Entity::NORMAL) &&
                   e->state == Entity::STATE_ALIVE;
        });
        ASSERT_EQ(*friend_ref, world.GetNearestFriend(self, p, r)) << where;

        int got = world.QueryEntitiesInRadius(p, r, mask, list, max);
        ASSERT_EQ(RefInRadius(p, r, mask, max, [](Entity *) { return true; }), Got(list, got)) << where;
        *found += got;
        got = world.QueryEntitiesInRadiusInFriendGroup(p, r, mask, group, list, max);
        ASSERT_EQ(RefInRadius(p, r, mask, max, [&](Entity *e) { return e->friend_group == group; }), Got(list, got))
            << where;
        got = world.QueryEntitiesInRadiusNotInFriendGroup(p, r, mask, group, list, max);
        ASSERT_EQ(RefInRadius(p, r, mask, max, [&](Entity *e) { return e->friend_group != group; }), Got(list, got))
            << where;
        *compared += 6;
    }
    static std::vector<Entity *> Got(Entity **list, int n) { return std::vector<Entity *>(list, list + n); }

    Scape world;
    std::vector<long> sequence = std::vector<long>(512, 0);
    long counter = 0;
};

}  // namespace

TEST_F(QueryWorld, EveryQueryEqualsBruteForceOverSeededWorlds)
{
    const uint32_t flag_choices[] = {Entity::NORMAL, Entity::POWERUP, Entity::NORMAL | Entity::MOVABLE,
                                     Entity::PROJECTILE, Entity::NORMAL | Entity::BLOCKS_MOVEMENT};
    const float radii[] = {0.0f, 1.0f, 5.0f, 30.0f, 64.0f, 100.0f, 127.9f, 128.0f, 200.0f, 500.0f, 2000.0f,
                           1e9f, INFINITY, -1.0f, NAN};
    int compared = 0, found = 0;
    for (unsigned seed = 1; seed <= 12; seed++) {
        world.Free();
        SetUp();
        sequence.assign(512, 0);
        std::mt19937 rng(seed);
        int n = 40 + (int)(rng() % 400);
        std::vector<Entity *> all;
        for (int i = 0; i < n; i++) {
            // Positions on a 16-unit lattice inside the field give exact ties; radii up
            // to half a cell, as every entity of the game has.
            vec2_t pos = {(float)(rng() % 64) * 16.0f, (float)(rng() % 48) * 16.0f};
            float radius = (float)(rng() % 5) * 8.0f;
            Entity *e = Make(pos, radius, 1 + (int)(rng() % 3), flag_choices[rng() % 5], (int)(rng() % 3));
            int life = (int)(rng() % 6);
            if (life == 1 || life == 2) {
                e->state = Entity::STATE_DYING;
                e->phase = life == 1 ? 0.4f : 0.5f;
            } else if (life == 3) {
                e->state = Entity::STATE_FREE;  // dead, kept in the roster
                e->phase = 1.0f;
            }
            all.push_back(e);
        }
        // Some moves (relinks) and some unlinked records.
        for (int i = 0; i < n / 4; i++) {
            Entity *e = all[rng() % all.size()];
            e->pos.x = (float)(rng() % 64) * 16.0f;
            e->pos.y = (float)(rng() % 48) * 16.0f;
            Link(e);
        }
        for (int i = 0; i < n / 10; i++)
            world.UnlinkEntity(all[rng() % all.size()]);

        for (int q = 0; q < 60; q++) {
            vec2_t p;
            switch (q % 4) {
            case 0: p = {(float)(rng() % 64) * 16.0f, (float)(rng() % 48) * 16.0f}; break;
            case 1: p = {(float)(rng() % 1024), (float)(rng() % 768)}; break;
            case 2: p = {-300.0f + (float)(rng() % 1700), -300.0f + (float)(rng() % 1400)}; break;
            default: p = {(rng() % 2) ? -5000.0f : 6000.0f, (float)(rng() % 768)}; break;
            }
            for (float r : radii) {
                int group = 1 + (int)(rng() % 3);
                int mask = (int)flag_choices[rng() % 5];
                Entity *self = all[rng() % all.size()];
                int max = 1 + (int)(rng() % 40);
                Entity *friend_ref = nullptr;
                ASSERT_NO_FATAL_FAILURE(CompareQueriesAt(p, r, mask, group, self, max,
                                                         "seed " + std::to_string(seed) + " r " + std::to_string(r),
                                                         &compared, &found, &friend_ref));
            }
        }

        // Pool scans in record order.
        for (int group = 0; group < 4; group++) {
            for (uint32_t mask : flag_choices) {
                Entity *list[512];
                std::vector<Entity *> in_group, of_type;
                int alive = 0;
                for (int i = 0; i < 512; i++) {
                    Entity *e = &world.stock->entities[i];
                    if (e->type && e->friend_group == group && (e->flags & mask))
                        in_group.push_back(e);
                    if (e->type == Kind(group % 3) && e->cell && e->state == Entity::STATE_ALIVE && (e->flags & mask))
                        of_type.push_back(e);
                    if (e->type && e->state == Entity::STATE_ALIVE && e->friend_group == group)
                        alive++;
                }
                int got = world.QueryEntitiesInFriendGroup((int)mask, group, list, 512);
                EXPECT_EQ(in_group, Got(list, got));
                got = world.QueryEntitiesOfType(Kind(group % 3), (int)mask, list, 512);
                EXPECT_EQ(of_type, Got(list, got));
                got = world.QueryEntitiesOfType(Kind(group % 3), (int)mask, list, 2);
                EXPECT_EQ(std::min<size_t>(2, of_type.size()), (size_t)got);
                EXPECT_EQ(alive, world.GetNumberOfEntitiesInFriendGroup(group));
            }
        }
        int of_kind0 = 0;
        for (int i = 0; i < 512; i++)
            of_kind0 += world.stock->entities[i].type == Kind(0);
        EXPECT_EQ(of_kind0, world.GetNumberOfEntitiesOfType(Kind(0)));
        EXPECT_EQ(0, world.GetNumberOfEntitiesOfType(nullptr));
    }
    // The worlds were not empty of answers.
    EXPECT_GT(compared, 10000);
    EXPECT_GT(found, 1000);
}

// The shortcuts of the queries (cells passed over by distance and by their group counts,
// small groups read from their rings, the nearest friend taken from an avoidance
// answer) against the same reference: radii larger than a cell (so the window decides),
// negative ones, small and large groups and groups outside 0..15, entities beyond the
// field's edge, group changes of linked entities, two grid sizes.
TEST_F(QueryWorld, ShortcutsEqualBruteForceWithLargeRadiiSmallGroupsAndRegrouping)
{
    const float radii[] = {0.0f, 2.0f, 10.0f, 30.0f, 60.0f, 90.0f, 130.0f, 200.0f, 300.0f, 700.0f, 1e9f, -5.0f};
    const int groups[] = {1, 1, 1, 1, 1, 1, 2, 2, 0, 7, 15, 16, -3, 40};
    const uint32_t flag_choices[] = {Entity::NORMAL, Entity::NORMAL | Entity::MOVABLE, Entity::POWERUP,
                                     Entity::NORMAL | Entity::BLOCKS_MOVEMENT};
    int compared = 0, found = 0, rings_read = 0;
    for (unsigned seed = 1; seed <= 8; seed++) {
        world.Free();
        world.InitGrid(seed % 2 ? 8 : 7, seed % 2 ? 6 : 5, seed % 2 ? kCell : 100.0f);
        world.stock = new Stock;
        world.stock->InitPool(512);
        SetScape(&world);
        sequence.assign(512, 0);
        std::mt19937 rng(1000 + seed);
        int n = 20 + (int)(rng() % 480);
        bool negatives = seed % 4 == 0;
        std::vector<Entity *> all;
        for (int i = 0; i < n; i++) {
            vec2_t pos = {-150.0f + (float)(rng() % 84) * 16.0f, -150.0f + (float)(rng() % 66) * 16.0f};
            float radius = (float)(rng() % 6) * 8.0f;
            if (rng() % 10 == 0)
                radius = 60.0f + (float)(rng() % 200);
            if (negatives && rng() % 8 == 0)
                radius = -radius - 4.0f;
            int group = groups[rng() % (sizeof groups / sizeof groups[0])];
            Entity *e = Make(pos, radius, group, flag_choices[rng() % 4], (int)(rng() % 3));
            if (rng() % 5 == 0) {
                e->state = Entity::STATE_DYING;
                e->phase = rng() % 2 ? 0.4f : 0.5f;
            }
            all.push_back(e);
        }
        // Group changes of linked entities, moves and unlinks.
        for (int i = 0; i < n / 6; i++)
            all[rng() % all.size()]->ChangeGroup(groups[rng() % (sizeof groups / sizeof groups[0])]);
        for (int i = 0; i < n / 4; i++) {
            Entity *e = all[rng() % all.size()];
            e->pos = {-150.0f + (float)(rng() % 84) * 16.0f, -150.0f + (float)(rng() % 66) * 16.0f};
            Link(e);
        }
        for (int i = 0; i < n / 10; i++)
            world.UnlinkEntity(all[rng() % all.size()]);
        int big = 0;
        for (int i = 0; i < SCAPE_GROUP_RINGS; i += 2)
            big = std::max(big, (int)world.group_linked[i] + world.group_linked[i + 1]);

        for (int q = 0; q < 50; q++) {
            vec2_t p = {-200.0f + (float)(rng() % 1400), -200.0f + (float)(rng() % 1100)};
            if (q % 5 == 0)
                p = all[rng() % all.size()]->pos;
            for (float r : radii) {
                int group = groups[rng() % (sizeof groups / sizeof groups[0])];
                int mask = (int)flag_choices[rng() % 4];
                Entity *self = all[rng() % all.size()];
                int max = 1 + (int)(rng() % 12);
                Entity *list[64];
                Entity *friend_ref = nullptr;
                ASSERT_NO_FATAL_FAILURE(CompareQueriesAt(
                    p, r, mask, group, self, max,
                    "seed " + std::to_string(seed) + " r " + std::to_string(r) + " group " + std::to_string(group),
                    &compared, &found, &friend_ref));

                // The nearest friend from a complete avoidance-style answer of a larger circle.
                float wider = r + 20.0f;
                int got = world.QueryEntitiesInRadiusInFriendGroup(p, wider, (int)Entity::NORMAL, self->friend_group,
                                                                   list, 64);
                if (got < 64) {
                    ASSERT_EQ(friend_ref, world.GetNearestFriendAmong(self, p, r, list, got, wider))
                        << "seed " << seed << " r " << r;
                }

                compared += 1;
            }
        }
        rings_read += big < 64 ? 1 : 0;
        SetScape(nullptr);
    }
    EXPECT_GT(compared, 10000);
    EXPECT_GT(found, 1000);
    EXPECT_GT(rings_read, 0) << "some worlds are small enough for every group to be read from its ring";
}

TEST_F(QueryWorld, NearestInFriendGroupStartsAtTenThousand)
{
    vec2_t p = {500.0f, 400.0f};
    Entity *far = Make({610.0f, 400.0f}, 10.0f, 1, Entity::NORMAL);  // score 12100 - 100
    EXPECT_EQ(nullptr, world.GetNearestEntityInFriendGroup(p, 200.0f, Entity::NORMAL, 1));
    far->pos.x = 590.0f;  // score 8100 - 100
    Link(far);
    EXPECT_EQ(far, world.GetNearestEntityInFriendGroup(p, 200.0f, Entity::NORMAL, 1));
}

TEST_F(QueryWorld, NearestEnemyScoresBySquaredRadius)
{
    Entity *self = Make({100.0f, 100.0f}, 5.0f, 2, Entity::NORMAL);
    Entity *big = Make({120.0f, 100.0f}, 20.0f, 1, Entity::NORMAL);  // score 400 - 400 = 0 <= 25
    EXPECT_EQ(big, world.GetNearestEnemy(self, self->pos, 5.0f));
    EXPECT_EQ(nullptr, world.GetNearestEnemy(nullptr, self->pos, 5.0f));
}

TEST_F(QueryWorld, JustDyingAndMaxAndSelf)
{
    vec2_t p = {300.0f, 300.0f};
    Entity *dying = Make({310.0f, 300.0f}, 5.0f, 1, Entity::NORMAL);
    dying->state = Entity::STATE_DYING;
    dying->phase = 0.4f;
    Entity *list[8];
    ASSERT_EQ(1, world.QueryEntitiesInRadius(p, 20.0f, Entity::NORMAL, list, 8));
    dying->phase = 0.5f;
    EXPECT_EQ(0, world.QueryEntitiesInRadius(p, 20.0f, Entity::NORMAL, list, 8));
    EXPECT_EQ(0, world.QueryEntitiesInRadius(p, 20.0f, Entity::NORMAL, list, 0));
    EXPECT_EQ(0, world.QueryEntitiesInRadius(p, 20.0f, Entity::NORMAL, nullptr, 8));

    // Five matches in three cells; max 3 gives the first three in row-major order.
    Entity *e4 = Make({140.0f, 260.0f}, 1.0f, 1, Entity::NORMAL);  // row 2, column 1
    Entity *e1 = Make({260.0f, 140.0f}, 1.0f, 1, Entity::NORMAL);  // row 1, column 2
    Entity *e2 = Make({270.0f, 150.0f}, 1.0f, 1, Entity::NORMAL);  // row 1, column 2
    Entity *e5 = Make({300.0f, 310.0f}, 1.0f, 1, Entity::NORMAL);  // row 2, column 2
    Entity *e3 = Make({400.0f, 200.0f}, 1.0f, 1, Entity::NORMAL);  // row 1, column 3
    ASSERT_EQ(5, world.QueryEntitiesInRadius(p, 250.0f, Entity::NORMAL, list, 8));
    EXPECT_EQ((std::vector<Entity *>{e1, e2, e3, e4, e5}), Got(list, 5));
    ASSERT_EQ(3, world.QueryEntitiesInRadius(p, 250.0f, Entity::NORMAL, list, 3));
    EXPECT_EQ((std::vector<Entity *>{e1, e2, e3}), Got(list, 3));

    // GetNearestFriend never returns the asker.
    Entity *alone = Make({900.0f, 700.0f}, 10.0f, 2, Entity::NORMAL);
    EXPECT_EQ(nullptr, world.GetNearestFriend(alone, alone->pos, 500.0f));
}
