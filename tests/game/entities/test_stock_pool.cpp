// The stock's pool: taking and returning records, the free list's order, the last
// record never handed out, and references to a returned record cleared.
#include "game/controls.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"

#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

namespace {

// The pool stores the type pointer and never looks inside it; any distinct address
// serves as a kind here.
EntityType *Kind(int n)
{
    static char kinds[4];
    return reinterpret_cast<EntityType *>(&kinds[n]);
}

int IndexOf(const Stock &stock, const Entity *e)
{
    return e ? (int)(e - stock.entities) : -1;
}

// The free list as record indexes, walked from the head.
std::vector<int> FreeList(const Stock &stock)
{
    std::vector<int> out;
    for (const Entity *e = stock.free_head; e && (int)out.size() <= stock.num_entities; e = e->next)
        out.push_back(IndexOf(stock, e));
    return out;
}

}  // namespace

TEST(StockPool, ResetChainsEveryRecordInArrayOrder)
{
    Stock stock;
    stock.InitPool(6);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), FreeList(stock));
    EXPECT_EQ(&stock.entities[0], stock.free_head);
    EXPECT_EQ(&stock.entities[5], stock.free_tail);
    EXPECT_EQ(nullptr, stock.free_tail->next);
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(nullptr, stock.entities[i].type);
        EXPECT_EQ(nullptr, stock.entities[i].prev);
        EXPECT_EQ(nullptr, stock.entities[i].cell);
    }
}

TEST(StockPool, FiveHundredTwelfthTakeFailsAndAFreeMakesRoom)
{
    Stock stock;
    stock.InitPool(512);
    std::vector<Entity *> taken;
    for (int i = 0; i < 511; i++) {
        Entity *e = stock.GetFreeEntity(Kind(0));
        ASSERT_NE(nullptr, e) << "take " << i;
        EXPECT_EQ(Kind(0), e->type);
        EXPECT_EQ(nullptr, e->next);
        EXPECT_EQ(nullptr, e->prev);
        EXPECT_EQ(nullptr, e->cell);
        taken.push_back(e);
    }
    EXPECT_EQ(nullptr, stock.GetFreeEntity(Kind(0)));
    EXPECT_EQ(1, stock.CountFreeEntities());
    stock.FreeEntity(taken[100]);
    Entity *again = stock.GetFreeEntity(Kind(1));
    EXPECT_NE(nullptr, again);
    EXPECT_EQ(Kind(1), again->type);
    EXPECT_EQ(nullptr, stock.GetFreeEntity(Kind(0)));
}

TEST(StockPool, FreedRecordsReusedInFreeingOrderAfterTheUnused)
{
    Stock stock;
    stock.InitPool(8);
    Entity *r[3];
    for (Entity *&e : r)
        e = stock.GetFreeEntity(Kind(0));
    stock.FreeEntity(r[1]);
    stock.FreeEntity(r[0]);
    EXPECT_EQ((std::vector<int>{3, 4, 5, 6, 7, 1, 0}), FreeList(stock));
    std::vector<int> order;
    while (Entity *e = stock.GetFreeEntity(Kind(0)))
        order.push_back(IndexOf(stock, e));
    // The list's last record (0, freed last) stays.
    EXPECT_EQ((std::vector<int>{3, 4, 5, 6, 7, 1}), order);
    EXPECT_EQ(&stock.entities[0], stock.free_head);
    EXPECT_EQ(&stock.entities[0], stock.free_tail);
}

TEST(StockPool, TakeLeavesTheRestOfTheRecordAlone)
{
    Stock stock;
    stock.InitPool(4);
    stock.entities[0].hit_points = 42.0f;
    stock.entities[0].path_pos = 7.0f;
    Entity *e = stock.GetFreeEntity(Kind(0));
    ASSERT_EQ(&stock.entities[0], e);
    EXPECT_EQ(42.0f, e->hit_points);
    EXPECT_EQ(7.0f, e->path_pos);
}

TEST(StockPool, RefusedAndIgnoredRequests)
{
    Stock stock;
    stock.InitPool(4);
    EXPECT_EQ(nullptr, stock.GetFreeEntity(nullptr));
    EXPECT_EQ(4, stock.CountFreeEntities());

    Entity *a = stock.GetFreeEntity(Kind(0));
    stock.FreeEntity(a);
    std::vector<int> before = FreeList(stock);
    stock.FreeEntity(a);  // already free: nothing
    stock.FreeEntity(nullptr);
    Entity foreign = {};
    foreign.type = Kind(0);
    stock.FreeEntity(&foreign);  // not a record of this pool
    EXPECT_EQ(before, FreeList(stock));
    EXPECT_EQ(nullptr, foreign.next);

    Stock empty;
    EXPECT_EQ(nullptr, empty.GetFreeEntity(Kind(0)));
    empty.FreeEntity(&foreign);
    empty.ResetEntities();
    EXPECT_EQ(0, empty.CountFreeEntities());
}

TEST(StockPool, ReturnedRecordIsNamedByNoOtherRecord)
{
    Stock stock;
    stock.InitPool(8);
    Entity *dead = stock.GetFreeEntity(Kind(0));
    Entity *other = stock.GetFreeEntity(Kind(0));
    Entity *shot = stock.GetFreeEntity(Kind(0));
    Entity *keeper = stock.GetFreeEntity(Kind(0));
    shot->owner = dead;
    shot->target = other;
    other->target = dead;
    other->burner = dead;
    other->last_hit = dead;
    other->owner = keeper;
    keeper->last_hit = other;
    keeper->burner = other;
    dead->target = dead;

    stock.FreeEntity(dead);
    EXPECT_EQ(nullptr, shot->owner);
    EXPECT_EQ(other, shot->target);
    EXPECT_EQ(nullptr, other->target);
    EXPECT_EQ(nullptr, other->burner);
    EXPECT_EQ(nullptr, other->last_hit);
    EXPECT_EQ(keeper, other->owner);
    EXPECT_EQ(other, keeper->last_hit);
    EXPECT_EQ(other, keeper->burner);
    EXPECT_EQ(nullptr, dead->target);
}

// 100,000 seeded takes and returns against a model of the free list.
TEST(StockPool, SeededChurnMatchesTheModel)
{
    const int kRecords = 512;
    Stock stock;
    stock.InitPool(kRecords);
    std::deque<int> model;
    for (int i = 0; i < kRecords; i++)
        model.push_back(i);
    std::vector<int> in_use;
    std::mt19937 gen(20261210);
    int most_in_use = 0;
    for (int step = 0; step < 100000; step++) {
        // Phases of 5,000 steps lean toward taking (filling the pool) or returning.
        int take_percent = (step / 5000) % 2 == 0 ? 70 : 35;
        bool take = in_use.empty() || (int)(gen() % 100) < take_percent;
        if (take) {
            Entity *e = stock.GetFreeEntity(Kind(step & 3));
            if (model.size() <= 1) {
                ASSERT_EQ(nullptr, e) << "step " << step;
            } else {
                ASSERT_EQ(model.front(), IndexOf(stock, e)) << "step " << step;
                model.pop_front();
                in_use.push_back(IndexOf(stock, e));
            }
        } else {
            size_t pick = gen() % in_use.size();
            int index = in_use[pick];
            in_use[pick] = in_use.back();
            in_use.pop_back();
            stock.FreeEntity(&stock.entities[index]);
            model.push_back(index);
        }
        most_in_use = std::max(most_in_use, (int)in_use.size());
        ASSERT_LE((int)in_use.size(), kRecords - 1);
        if (step % 97 == 0) {
            ASSERT_EQ((int)model.size(), stock.CountFreeEntities()) << "step " << step;
            ASSERT_EQ(&stock.entities[model.back()], stock.free_tail);
            ASSERT_EQ(nullptr, stock.free_tail->next);
        }
    }
    EXPECT_EQ(kRecords - 1, most_in_use);  // the churn did fill the pool
    EXPECT_EQ(std::vector<int>(model.begin(), model.end()), FreeList(stock));
    for (int index : model)
        EXPECT_EQ(nullptr, stock.entities[index].type);
    for (int index : in_use)
        EXPECT_NE(nullptr, stock.entities[index].type);
}

// A path with a grown point block (released under LeakSanitizer if anything is lost).
static MovePath *LongPath()
{
    MovePath *path = new MovePath();
    for (int i = 0; i < 40; i++)
        path->AddPoint(vec2_t{(float)i * 12.0f, 0.0f});
    return path;
}

TEST(StockPool, PathsReleasedWhenRecordsReturnResetAndFree)
{
    Stock stock;
    stock.InitPool(8);
    Entity *taken[5];
    for (Entity *&e : taken) {
        e = stock.GetFreeEntity(Kind(0));
        e->path = LongPath();
    }
    ASSERT_EQ(40, taken[0]->path->count);
    stock.FreeEntity(taken[0]);
    EXPECT_EQ(nullptr, taken[0]->path);
    EXPECT_NE(nullptr, taken[1]->path);

    stock.ResetEntities();
    for (int i = 0; i < stock.num_entities; i++)
        EXPECT_EQ(nullptr, stock.entities[i].path) << i;

    Entity *last = stock.GetFreeEntity(Kind(0));
    last->path = LongPath();
    stock.Free();  // the pool's end releases it too
    EXPECT_EQ(nullptr, stock.entities);
    EXPECT_EQ(0, stock.num_entities);
}

TEST(StockPool, ReturnedRecordLeavesTheBaseAndTheControls)
{
    Stock stock;
    stock.InitPool(8);
    Entity *bunker = stock.GetFreeEntity(Kind(0));
    Entity *trooper = stock.GetFreeEntity(Kind(1));
    Entity *enemy = stock.GetFreeEntity(Kind(2));
    controls.Reset();
    game.base = bunker;
    controls.selection[3].entity = trooper;
    controls.selection[5].entity = enemy;
    controls.targets.InsertLast(Controls::TargetMarker{enemy, 0.5f});
    controls.targets.InsertLast(Controls::TargetMarker{trooper, 0.25f});

    stock.FreeEntity(trooper);
    EXPECT_EQ(bunker, game.base);
    EXPECT_EQ(nullptr, controls.selection[3].entity);
    EXPECT_EQ(enemy, controls.selection[5].entity);
    ASSERT_EQ(1, controls.targets.Count());
    EXPECT_EQ(enemy, controls.targets[0].entity);

    stock.FreeEntity(bunker);
    EXPECT_EQ(nullptr, game.base);

    // A reset forgets every record still in use.
    game.base = enemy;
    stock.ResetEntities();
    EXPECT_EQ(nullptr, game.base);
    EXPECT_EQ(nullptr, controls.selection[5].entity);
    EXPECT_EQ(0, controls.targets.Count());

    // So does the pool's end.
    Entity *last = stock.GetFreeEntity(Kind(0));
    game.base = last;
    controls.selection[0].entity = last;
    stock.Free();
    EXPECT_EQ(nullptr, game.base);
    EXPECT_EQ(nullptr, controls.selection[0].entity);
    controls.Reset();
    gametest::ResetGameState();
}
