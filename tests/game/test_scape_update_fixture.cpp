#include "tests/game/test_scape_update_fixture.h"

#include "app/ui/screen-manager.h"
#include "game/entities/stock.h"

#include <string.h>

namespace worldtest {

vec2_t V(float x, float y)
{
    vec2_t v = {x, y};
    return v;
}

ProbeType::ProbeType(const char *name) : EntityType(name)
{
    flags = Entity::NORMAL;
    radius = 10.0f;
}

void ProbeType::Update(Entity *e, float dt)
{
    steps.push_back(dt);
    if (on_update)
        on_update(e, dt);
}

void ProbeType::Draw(Entity *e)
{
    drawn.push_back(e);
    Scape *w = GetScape();
    drawn_in_top_pass.push_back(w ? w->drawing_top_pass : -1);
    if (fill.a > 0.0f) {
        ov->OV_SetColor(fill.r, fill.g, fill.b);
        ov->OV_SetAlpha(fill.a);
        ov->OV_DrawRect(e->pos.x - e->radius, e->pos.y - e->radius, 2.0f * e->radius, 2.0f * e->radius);
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        ov->OV_SetAlpha(1.0f);
    }
}

void WorldTest::SetUp()
{
    gametest::GameTest::SetUp();
    StartGame(800, 600);
    BeforeWorld();
    MakeWorld();
    sman.time_ms = sman.prev_time_ms = 0;
}

void WorldTest::TearDown()
{
    gametest::GameTest::TearDown();
}

Entity *WorldTest::Place(EntityType *type, vec2_t pos, int group)
{
    if (!type->ai)
        type->ai = world->stock->GetEntityAI("Default");  // the base behaviour
    Entity *e = world->stock->GetFreeEntity(type);
    if (!e)
        return nullptr;
    e->flags = type->flags;
    e->state = Entity::STATE_ALIVE;
    e->friend_group = (int16_t)group;
    e->pos = pos;
    e->radius = type->radius;
    e->hit_points = e->max_hit_points = 100.0f;
    e->age = 1.0f;
    e->owner = e->target = e->burner = nullptr;
    e->burn_time = e->burn_damage = e->chill_time = 0.0f;
    e->trail_distance = e->trail_emitted = 0.0f;
    e->velocity = V(0, 0);
    e->angle = 0.0f;
    e->damage_dealt = e->damage_taken = 0.0f;
    e->path = nullptr;
    e->powerup = nullptr;
    world->LinkEntity(e);
    return e;
}

std::vector<Entity *> WorldTest::CheckRings()
{
    std::vector<Entity *> found;
    for (int i = 0; i < world->num_columns * world->num_rows; ++i) {
        ScapeCell *cell = &world->cells[i];
        if (!cell->first) {
            EXPECT_EQ(cell->num_entities, 0) << "cell " << i;
            continue;
        }
        Entity *e = cell->first;
        int n = 0;
        do {
            EXPECT_EQ(e->cell, cell) << "cell " << i;
            EXPECT_EQ(e->next->prev, e) << "cell " << i;
            EXPECT_NE(e->type, nullptr) << "cell " << i;
            found.push_back(e);
            e = e->next;
            ++n;
        } while (e != cell->first && n < 1000);
        EXPECT_EQ(n, cell->num_entities) << "cell " << i;
    }
    return found;
}

fx_t *WorldTest::Dot()
{
    if (!dot_bitmap) {
        dot_bitmap = ov->OV_CreateBitmap("probe-dot", 4, 4, 1);
        ov->OV_SetRenderTarget(dot_bitmap);
        ov->OV_ClearScreen(1.0f, 1.0f, 1.0f);
        ov->OV_SetRenderTarget(nullptr);
    }
    memset(&dot_fx, 0, sizeof dot_fx);
    dot_fx.num_parts = 1;
    dot_fx.bitmaps[0] = dot_bitmap;
    dot_fx.num_bitmaps = 1;
    dot_fx.lifetime.min = dot_fx.lifetime.max = 100.0f;
    dot_fx.alpha.min = dot_fx.alpha.max = 1.0f;
    dot_fx.scale.min = dot_fx.scale.max = 1.0f;
    dot_fx.dampening.min = dot_fx.dampening.max = 1.0f;
    for (int i = 0; i < 3; ++i)
        dot_fx.color_min[i] = dot_fx.color_max[i] = 1.0f;
    return &dot_fx;
}

std::vector<part_t *> WorldTest::Particles(PartMan *layer)
{
    std::vector<part_t *> out;
    for (part_t *p = layer->FirstLive(); p; p = layer->NextLive(p))
        out.push_back(p);
    return out;
}

}  // namespace worldtest
