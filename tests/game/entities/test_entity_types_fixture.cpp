// The entity type tests' set-up (see test_entity_types_fixture.h).
#include "tests/game/entities/test_entity_types_fixture.h"

#include "game/entities/stock.h"
#include "tests/app/ui/widget_fixture.h"

#include "ovrecords.h"

namespace enttypestest {

std::vector<DrawCall> calls;

namespace {

orvex_t real;
float cur_r = 1, cur_g = 1, cur_b = 1, cur_alpha = 1;
int cur_blend = 0;

std::string NameOf(const ov_bitmap_t *b)
{
    return b && b->name ? b->name : "";
}

void Record(const char *op, const ov_bitmap_t *b, std::vector<float> v)
{
    calls.push_back({op, NameOf(b), std::move(v), cur_r, cur_g, cur_b, cur_alpha, cur_blend});
}

void WrapSetBlend(int mode)
{
    cur_blend = mode;
    Record("SetBlend", nullptr, {(float)mode});
    real.OV_SetBlend(mode);
}
void WrapSetColor(float r, float g, float b)
{
    cur_r = r, cur_g = g, cur_b = b;
    real.OV_SetColor(r, g, b);
}
void WrapSetAlpha(float a)
{
    cur_alpha = a;
    real.OV_SetAlpha(a);
}
void WrapSetBitmapFrame(ov_bitmap_t *b, int frame)
{
    Record("SetBitmapFrame", b, {(float)frame});
    real.OV_SetBitmapFrame(b, frame);
}
void WrapDrawBitmapRS(ov_bitmap_t *b, float x, float y, float rotation, float scale)
{
    Record("DrawBitmapRS", b, {x, y, rotation, scale});
    real.OV_DrawBitmapRS(b, x, y, rotation, scale);
}
void WrapDrawBitmapLine(ov_bitmap_t *b, vec2_t *a, vec2_t *z, float w0, float w1, color_t *c0, color_t *c1)
{
    Record("DrawBitmapLine", b,
           {a->x, a->y, z->x, z->y, w0, w1, c0->r, c0->g, c0->b, c0->a, c1->r, c1->g, c1->b, c1->a});
    real.OV_DrawBitmapLine(b, a, z, w0, w1, c0, c1);
}
void WrapDrawBitmap4V(ov_bitmap_t *b, ov_vertex_t *v)
{
    std::vector<float> numbers;
    for (int i = 0; i < 4; i++)
        numbers.insert(numbers.end(), {v[i].x, v[i].y, v[i].u, v[i].v, (float)v[i].color[0], (float)v[i].color[1],
                                       (float)v[i].color[2], (float)v[i].color[3]});
    Record("DrawBitmap4V", b, numbers);
    real.OV_DrawBitmap4V(b, v);
}
void WrapDrawSubBitmap(ov_bitmap_t *b, float x, float y, float sx1, float sy1, float sx2, float sy2)
{
    Record("DrawSubBitmap", b, {x, y, sx1, sy1, sx2, sy2});
    real.OV_DrawSubBitmap(b, x, y, sx1, sy1, sx2, sy2);
}
void WrapDrawRect(float x, float y, float w, float h)
{
    Record("DrawRect", nullptr, {x, y, w, h});
    real.OV_DrawRect(x, y, w, h);
}
void WrapDrawLine(float x0, float y0, float x1, float y1)
{
    Record("DrawLine", nullptr, {x0, y0, x1, y1});
    real.OV_DrawLine(x0, y0, x1, y1);
}

// The stock's shared bitmaps that the entity drawings use, with sizes and colours.
struct SharedImage {
    const char *name;
    int w, h, r, g, b, a;
};
const SharedImage kShared[] = {
    {"game-ui/path-arrow.png", 8, 6, 255, 255, 255, 255},
    {"fxs/foot-glow.png", 24, 24, 60, 120, 255, 200},
    {"game-ui/reload-magazine.png", 10, 20, 255, 255, 255, 255},
    {"game-ui/reload-ammo.png", 6, 4, 255, 220, 0, 255},
    {"game-ui/range_indicator.png", 4, 4, 255, 255, 255, 255},
    {"game-ui/health-foreground.png", 40, 6, 255, 255, 255, 255},
    {"game-ui/health-background.png", 40, 6, 40, 40, 40, 255},
    {"game-ui/health-bunker-fore.png", 60, 8, 255, 255, 255, 255},
    {"game-ui/health-bunker-back.png", 60, 8, 255, 255, 255, 255},
    {"game-ui/bunker-force-field.png", 64, 64, 80, 160, 255, 255},
    {"game-ui/parachute.png", 32, 24, 240, 240, 240, 255},
    {"fxs/bluestar.png", 8, 8, 100, 100, 255, 255},
};

}  // namespace

void ClearCalls()
{
    calls.clear();
}

std::vector<DrawCall> CallsOf(const std::string &op, const std::string &bitmap)
{
    std::vector<DrawCall> out;
    for (const DrawCall &c : calls)
        if (c.op == op && (bitmap.empty() || c.bitmap == bitmap))
            out.push_back(c);
    return out;
}

void WriteImage(const std::string &name, int w, int h, int r, int g, int b, int a)
{
    widgettest::WritePng(name, w, h, [&](int, int) { return widgettest::Rgba{r, g, b, a}; });
}

Scape *EntityTypesTest::StartWorld(const std::string &entities, const std::string &weapons,
                                   const std::string &powerups, int w, int h)
{
    StartGame(w, h);
    for (const SharedImage &s : kShared)
        WriteImage(s.name, s.w, s.h, s.r, s.g, s.b, s.a);
    WriteEntities(entities);
    WriteWeapons(weapons);
    WritePowerups(powerups);
    Scape *made = MakeWorld();
    real = *ov;
    cur_r = cur_g = cur_b = cur_alpha = 1;
    cur_blend = 0;
    ov->OV_SetBlend = WrapSetBlend;
    ov->OV_SetColor = WrapSetColor;
    ov->OV_SetAlpha = WrapSetAlpha;
    ov->OV_SetBitmapFrame = WrapSetBitmapFrame;
    ov->OV_DrawBitmapRS = WrapDrawBitmapRS;
    ov->OV_DrawBitmapLine = WrapDrawBitmapLine;
    ov->OV_DrawBitmap4V = WrapDrawBitmap4V;
    ov->OV_DrawSubBitmap = WrapDrawSubBitmap;
    ov->OV_DrawRect = WrapDrawRect;
    ov->OV_DrawLine = WrapDrawLine;
    ClearCalls();
    return made;
}

Entity *EntityTypesTest::Spawn(const char *type_name, vec2_t pos)
{
    EntityType *type = world->stock->GetEntityType(type_name);
    EXPECT_NE(type, nullptr) << type_name;
    Entity *e = type ? world->SpawnEntity(type, pos) : nullptr;
    EXPECT_NE(e, nullptr) << type_name;
    return e;
}

void EntityTypesTest::Step(Entity *e, int n, float dt)
{
    for (int i = 0; i < n && e->type; i++) {
        e->age += dt;
        e->type->Update(e, dt);
    }
}

void EntityTypesTest::TearDown()
{
    calls.clear();
    gametest::GameTest::TearDown();
}

}  // namespace enttypestest
