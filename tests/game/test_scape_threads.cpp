// The world is built on the loading worker and published through `scape` while the main
// thread's frames read it: a frame sees either no world or the whole of it. A binary of
// the ThreadSanitizer build.
#include "tests/app/services/app_engine_fixture.h"

#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class ScapeThreads : public apptest::AppEngineTest {};

EntityType *Kind()
{
    static char kind;
    return reinterpret_cast<EntityType *>(&kind);
}

}  // namespace

TEST_F(ScapeThreads, WorldBuiltOnAWorkerIsSeenWholeByTheFrames)
{
    Start();
    std::atomic<int> frames{0};
    int frames_without = 0, frames_with = 0;
    apptest::draw = [&](float) {
        frames.fetch_add(1);
        Scape *w = GetScape();
        if (!w) {
            frames_without++;
            return;
        }
        // Everything the worker wrote before publishing is visible.
        EXPECT_EQ(8, w->num_columns);
        EXPECT_EQ(6, w->num_rows);
        EXPECT_EQ(1024, w->width);
        EXPECT_EQ(768, w->height);
        EXPECT_EQ(1, w->config.keep_camera);
        EXPECT_FLOAT_EQ(960.0f, w->cells[47].center.x);
        ASSERT_NE(nullptr, w->stock);
        EXPECT_EQ(512, w->stock->num_entities);
        frames_with++;
    };
    std::thread worker([&] {
        while (frames.load() < 3)
            std::this_thread::yield();
        Scape *w = new Scape;
        w->InitGrid(8, 6, 128.0f);
        w->stock = new Stock;
        w->stock->InitPool(512);
        SetScape(w);
    });
    // Bounded by time, not by frames: on a busy machine the worker may wait long for a core.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (frames_with < 5 && std::chrono::steady_clock::now() < give_up) {
        DrawFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_GE(frames_without, 3);
    EXPECT_GE(frames_with, 5);

    // From now on the main thread owns the world.
    Scape *w = GetScape();
    ASSERT_NE(nullptr, w);
    Entity *e = w->stock->GetFreeEntity(Kind());
    e->pos = vec2_t{700.0f, 500.0f};
    e->state = Entity::STATE_ALIVE;
    e->flags = Entity::NORMAL;
    w->LinkEntity(e);
    Entity *out[2];
    EXPECT_EQ(1, w->QueryEntitiesInRadius(e->pos, 1.0f, Entity::NORMAL, out, 2));
    SetScape(nullptr);
    delete w;
}
