// The world grid without the engine: the cell of a point, linking entities into their
// cell's ring and taking them out again, checked against a model of every ring through
// a seeded churn, and the screen mapping.
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"

#include <gtest/gtest.h>

#include <math.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

namespace {

// The grid only stores the type pointer; any distinct address serves as a kind.
EntityType *Kind(int n)
{
    static char kinds[4];
    return reinterpret_cast<EntityType *>(&kinds[n]);
}

class ScapeGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.InitGrid(8, 6, 128.0f);
        world.stock = new Stock;
        world.stock->InitPool(64);
    }
    Entity *Make(float x, float y)
    {
        Entity *e = world.stock->GetFreeEntity(Kind(0));
        e->pos.x = x;
        e->pos.y = y;
        e->state = Entity::STATE_ALIVE;
        return e;
    }
    int CellIndex(const Entity *e) const { return e->cell ? (int)(e->cell - world.cells) : -1; }
    // The cell's ring from its head, checked for consistent back links.
    std::vector<Entity *> Ring(int index)
    {
        std::vector<Entity *> out;
        ScapeCell *cell = &world.cells[index];
        Entity *e = cell->first;
        while (e && (int)out.size() <= 64) {
            out.push_back(e);
            EXPECT_EQ(e, e->next->prev);
            EXPECT_EQ(cell, e->cell);
            e = e->next;
            if (e == cell->first)
                break;
        }
        EXPECT_EQ(cell->num_entities, (int)out.size());
        return out;
    }
    Scape world;
};

}  // namespace

TEST(ScapeDefaults, ConstructedWorld)
{
    Scape world;
    EXPECT_EQ(nullptr, world.cells);
    EXPECT_EQ(10, world.num_columns);
    EXPECT_EQ(10, world.num_rows);
    EXPECT_FLOAT_EQ(20.0f, world.cell_size);
    EXPECT_FLOAT_EQ(1.0f, world.zoom);
    EXPECT_EQ(0.0f, world.camera.x);
    EXPECT_EQ(nullptr, world.stock);
    EXPECT_EQ(nullptr, world.terrain);
    EXPECT_EQ(1, world.config.keep_camera);
    EXPECT_EQ(0, world.config.joystick_mode_a);
    EXPECT_TRUE(world.emitters.Shrinks());
    // Queries of a world without cells or stock find nothing.
    Entity *out[4];
    vec2_t p = {10.0f, 10.0f};
    EXPECT_EQ(0, world.QueryEntitiesInRadius(p, 100.0f, 2, out, 4));
    EXPECT_EQ(nullptr, world.GetNearestEntityInFriendGroup(p, 100.0f, 2, 1));
    EXPECT_EQ(0, world.QueryEntitiesInFriendGroup(2, 1, out, 4));
}

TEST_F(ScapeGrid, SizeAndCentres)
{
    EXPECT_EQ(1024, world.width);
    EXPECT_EQ(768, world.height);
    EXPECT_FLOAT_EQ(64.0f, world.cells[0].center.x);
    EXPECT_FLOAT_EQ(64.0f, world.cells[0].center.y);
    ScapeCell *last = &world.cells[5 * 8 + 7];
    EXPECT_FLOAT_EQ(960.0f, last->center.x);
    EXPECT_FLOAT_EQ(704.0f, last->center.y);
}

TEST_F(ScapeGrid, CellOfAPointIsClamped)
{
    struct Case {
        float x, y;
        int column, row;
    } cases[] = {
        {-10.0f, 900.0f, 0, 5},      // outside left and below
        {0.0f, 0.0f, 0, 0},
        {127.9f, 128.0f, 0, 1},      // truncated toward zero
        {-127.0f, -0.5f, 0, 0},      // truncation of small negatives still clamps to 0
        {1023.9f, 767.9f, 7, 5},
        {1024.0f, 768.0f, 7, 5},
        {1e30f, -1e30f, 7, 0},
        {INFINITY, -INFINITY, 7, 0},
        {NAN, NAN, 0, 0},            // NaN counts 0
    };
    for (const Case &c : cases) {
        vec2_t p = {c.x, c.y};
        ScapeCell *cell = world.GetCellAt(p);
        EXPECT_EQ(c.row * 8 + c.column, (int)(cell - world.cells)) << c.x << "," << c.y;
    }
    Entity *e = Make(-10.0f, 900.0f);
    world.LinkEntity(e);
    EXPECT_EQ(5 * 8 + 0, CellIndex(e));
}

TEST_F(ScapeGrid, RingOrderOnLinkRelinkAndUnlink)
{
    Entity *a = Make(10, 10), *b = Make(20, 20), *c = Make(30, 30), *d = Make(200, 10);
    world.LinkEntity(a);
    EXPECT_EQ(a, a->next);
    EXPECT_EQ(a, a->prev);
    world.LinkEntity(b);
    world.LinkEntity(c);
    world.LinkEntity(d);
    EXPECT_EQ((std::vector<Entity *>{a, b, c}), Ring(0));
    EXPECT_EQ((std::vector<Entity *>{d}), Ring(1));

    // Moving inside the cell and relinking changes nothing.
    b->pos.x = 100;
    world.LinkEntity(b);
    EXPECT_EQ((std::vector<Entity *>{a, b, c}), Ring(0));

    // Moving into another cell puts it at the tail of that ring.
    a->pos.x = 250;
    world.LinkEntity(a);
    EXPECT_EQ((std::vector<Entity *>{b, c}), Ring(0));
    EXPECT_EQ((std::vector<Entity *>{d, a}), Ring(1));

    // Unlinking the head moves the head on; the last one leaves the cell empty.
    world.UnlinkEntity(d);
    EXPECT_EQ(nullptr, d->cell);
    EXPECT_EQ(nullptr, d->next);
    EXPECT_EQ(nullptr, d->prev);
    EXPECT_EQ((std::vector<Entity *>{a}), Ring(1));
    world.UnlinkEntity(a);
    EXPECT_EQ(nullptr, world.cells[1].first);
    EXPECT_EQ(0, world.cells[1].num_entities);
    // An unlinked entity: nothing.
    world.UnlinkEntity(a);
    EXPECT_EQ(0, world.cells[1].num_entities);
}

TEST_F(ScapeGrid, SeededChurnMatchesAModelOfEveryRing)
{
    std::mt19937 rng(20261210);
    std::uniform_real_distribution<float> x(-200.0f, 1224.0f), y(-200.0f, 968.0f);
    std::vector<Entity *> all;
    for (int i = 0; i < 40; i++)
        all.push_back(Make(x(rng), y(rng)));
    std::map<int, std::vector<Entity *>> model;  // cell -> ring from the head
    auto model_cell = [&](const Entity *e) {
        int column = (int)fmin(fmax(floor(e->pos.x / 128.0), 0.0), 7.0);
        int row = (int)fmin(fmax(floor(e->pos.y / 128.0), 0.0), 5.0);
        return row * 8 + column;
    };
    std::map<Entity *, int> where;
    for (int step = 0; step < 20000; step++) {
        Entity *e = all[rng() % all.size()];
        int action = (int)(rng() % 3);
        if (action == 2) {
            world.UnlinkEntity(e);
            if (where.count(e)) {
                auto &ring = model[where[e]];
                ring.erase(std::find(ring.begin(), ring.end(), e));
                where.erase(e);
            }
            continue;
        }
        if (action == 1) {
            e->pos.x = x(rng);
            e->pos.y = y(rng);
        }
        int cell = model_cell(e);
        world.LinkEntity(e);
        if (!where.count(e) || where[e] != cell) {
            if (where.count(e)) {
                auto &ring = model[where[e]];
                ring.erase(std::find(ring.begin(), ring.end(), e));
            }
            model[cell].push_back(e);
            where[e] = cell;
        }
        if (step % 997 == 0) {
            for (int i = 0; i < 48; i++)
                ASSERT_EQ(model[i], Ring(i)) << "cell " << i << " step " << step;
        }
    }
    for (int i = 0; i < 48; i++)
        EXPECT_EQ(model[i], Ring(i)) << "cell " << i;
}

TEST(ScapeScreenMapping, TranslateBothWays)
{
    Scape world;
    vec2_t p = {100.0f, 50.0f};
    vec2_t s = world.TranslatePointToScreenSpace(p);
    EXPECT_FLOAT_EQ(100.0f, s.x);
    EXPECT_FLOAT_EQ(50.0f, s.y);
    world.camera.x = 10.0f;
    world.camera.y = -20.0f;
    world.zoom = 2.0f;
    s = world.TranslatePointToScreenSpace(p);
    EXPECT_FLOAT_EQ(180.0f, s.x);  // (100 - 10) x 2
    EXPECT_FLOAT_EQ(140.0f, s.y);  // (50 + 20) x 2
    vec2_t w = world.TranslatePointToScape(p);
    EXPECT_FLOAT_EQ(55.0f, w.x);   // (100 + 10) / 2
    EXPECT_FLOAT_EQ(15.0f, w.y);   // (50 - 20) / 2
}

TEST_F(ScapeGrid, ResetEmptiesCellsCountersPoolAndObstacles)
{
    Entity *a = Make(10, 10), *b = Make(500, 300);
    world.LinkEntity(a);
    world.LinkEntity(b);
    world.group_counts[1] = 2;
    world.num_decals = 5;
    world.shake_time = 1.0f;
    game.base = b;
    // One obstacle in the list and referenced by its cell, one only in the list (a
    // ninth of a full cell), one only in a cell: all freed once (LeakSanitizer).
    Obstacle *listed = new Obstacle, *unreferenced = new Obstacle, *unlisted = new Obstacle;
    world.placed_obstacles.InsertLast(listed);
    world.placed_obstacles.InsertLast(unreferenced);
    world.cells[3].obstacles[0] = listed;
    world.cells[3].obstacles[1] = unlisted;
    world.cells[3].num_obstacles = 2;

    world.Reset();
    for (int i = 0; i < 48; i++) {
        EXPECT_EQ(nullptr, world.cells[i].first);
        EXPECT_EQ(0, world.cells[i].num_entities);
        EXPECT_EQ(0, world.cells[i].num_obstacles);
    }
    EXPECT_EQ(0, world.placed_obstacles.Count());
    EXPECT_EQ(0, world.group_counts[1]);
    EXPECT_EQ(0, world.num_decals);
    EXPECT_EQ(0.0f, world.shake_time);
    EXPECT_GE(world.ground_angle, 3.14159f);
    EXPECT_LE(world.ground_angle, 6.28319f);
    EXPECT_EQ(64, world.stock->CountFreeEntities());
    EXPECT_EQ(nullptr, a->type);
    EXPECT_EQ(nullptr, game.base);
}
