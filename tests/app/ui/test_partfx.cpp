// The particle effect library on the headless engine: effect files written as
// fixtures, every burst key, defaults, chains, the table's limits, spawning with
// seeded and scripted random values, sounds, trails, the script rows, reloading,
// malformed files and every shipped effect.
#include "tests/app/services/app_engine_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "app/services/audioman.h"
#include "app/services/luaman.h"
#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "gfx/bitmap.h"
#include "ovrecords.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace apptest;

namespace {

orvex_t real;
struct Played {
    std::string name;
    float volume, pan, frequency;
};
std::vector<Played> played;
std::vector<ov_sound_t *> fake_sounds;

// Sounds are stand-in records named after the request; playing one is recorded.
ov_sound_t *FakeLoadSound(const char *name)
{
    for (ov_sound_t *s : fake_sounds)
        if (strcmp(s->name, name) == 0)
            return s;
    ov_sound_t *s = (ov_sound_t *)calloc(1, sizeof(ov_sound_t));
    s->name = strdup(name);
    fake_sounds.push_back(s);
    return s;
}
long FakePlaySound(ov_sound_t *s, float volume, float pan, float frequency)
{
    played.push_back({s && s->name ? s->name : "null", volume, pan, frequency});
    return 1;
}

// Every bitmap under "fxs/" or named "dot": 2 x 2 opaque white.
bool AnyBitmapLoader(ov_bitmap_t *b)
{
    if (strncmp(b->name, "fxs/", 4) != 0 && strcmp(b->name, "dot") != 0)
        return false;
    b->width = b->src_width = 2;
    b->height = b->src_height = 2;
    b->pixels = (uint8_t *)malloc(16);
    memset(b->pixels, 255, 16);
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

const float kDeg = 0.017453292f;

// The random helper gives these values in order, then the middle value.
std::vector<int> scripted;
size_t scripted_next = 0;
int ScriptedValue()
{
    return scripted_next < scripted.size() ? scripted[scripted_next++] : 16384;
}
void ScriptRandom(const int *values, int count)
{
    scripted.assign(values, values + count);
    scripted_next = 0;
    AppSetRandomSource(ScriptedValue);
}

class PartFxTest : public AppEngineTest {
protected:
    void SetUp() override
    {
        AppEngineTest::SetUp();
        OVI_SetBitmapFileLoader(AnyBitmapLoader);
        Start();
        real = *ov;
        ov->OV_LoadSound = FakeLoadSound;
        ov->OV_PlaySound = FakePlaySound;
        played.clear();
        aman.SetSoundVolume(1);
        pbman.Init();
        AppSeedRandom(12345);
    }
    void TearDown() override
    {
        pbman.Shutdown();
        system_.ResetParts();
        pman.ResetParts();
        AppSetRandomSource(nullptr);
        AppEngineTest::TearDown();
        OVI_SetBitmapFileLoader(nullptr);
        for (ov_sound_t *s : fake_sounds) {
            free(s->name);
            free(s);
        }
        fake_sounds.clear();
    }
    fx_t *Load(const std::string &name, const std::string &text)
    {
        WriteFile(name, text);
        return pbman.GetFX(name.c_str());
    }
    PartMan system_{2000};
};

std::string Format(const char *fmt, ...)
{
    char text[256];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

}  // namespace

TEST_F(PartFxTest, EveryBurstKeyReachesTheBurst)
{
    pbman.AddPartDeathFunc("boom", [](part_t *) {});
    ov_bitmap_t *shape = ov->OV_CreateBitmap("gen/dots", 3, 3, 0);
    ASSERT_NE(shape, nullptr);
    memset(shape->pixels, 0, 36);
    shape->pixels[4 * 4 + 3] = 255;  // the centre pixel only
    fx_t *fx = Load("fxs/all.lua",
                    "FXParm ('alpha', 0.25, 0.75)\n"
                    "FXParm ('alpha_graph', 0, 0.5) FXParm ('alpha_graph', 1, 0.25)\n"
                    "FXParm ('color_r', 0.2, 0.4) FXParm ('color_g', 0.1, 0.3) FXParm ('color_b', 0, 0.5)\n"
                    "FXParm ('scale', 2, 3) FXParm ('scale_graph', 0.5, 2)\n"
                    "FXParm ('area_box', 10, 20) FXParm ('area_bitmap', 'gen/dots')\n"
                    "FXParm ('area_angle', 90) FXParm ('area_angle_spread', 45) FXParm ('area_radius', 4, 8)\n"
                    "FXParm ('dampening_factor', 0.5, 0.6) FXParm ('death_func', 'boom')\n"
                    "FXParm ('num_parts', 7.9) FXParm ('move_angle', 180) FXParm ('move_angle_spread', 30)\n"
                    "FXParm ('init_move', 1, 2) FXParm ('angle', 10) FXParm ('angle_spread', 20)\n"
                    "FXParm ('angle_rps', -90, 90) FXParm ('pos_offset', 3, -4) FXParm ('age', 0.1, 0.2)\n"
                    "FXParm ('mass', 1, 1.5) FXParm ('bitmap', 'dot') FXParm ('bitmap', 'fxs/spark.png')\n"
                    "FXParm ('emitter_type', 'distance') FXParm ('emitter_interval', 12)\n"
                    "FXParm ('text', 'Hit!') FXParm ('sound', 'sfx/a') FXParm ('sound_volume', 0.3, 0.4)\n"
                    "FXParm ('sound_freq', 0.8, 1.2) FXParm ('age_to_die', 1.5, 2.5) FXParm ('speed', 30, 40)\n"
                    "FXParm ('blend_mode', 'additive')\n");
    ASSERT_NE(fx, nullptr);
    EXPECT_STREQ(fx->name, "fxs/all.lua");
    EXPECT_EQ(fx->alpha.min, 0.25f);
    EXPECT_EQ(fx->alpha.max, 0.75f);
    ASSERT_EQ(fx->alpha_graph.count, 2);
    EXPECT_EQ(fx->alpha_graph.points[1].value, 0.25f);
    EXPECT_EQ(fx->color_min[0], 0.2f);
    EXPECT_EQ(fx->color_max[0], 0.4f);
    EXPECT_EQ(fx->color_min[1], 0.1f);
    EXPECT_EQ(fx->color_max[2], 0.5f);
    EXPECT_EQ(fx->scale.min, 2.0f);
    EXPECT_EQ(fx->scale_graph.count, 1);
    EXPECT_EQ(fx->area_w, 10.0f);
    EXPECT_EQ(fx->area_h, 20.0f);
    EXPECT_EQ(fx->inner_bitmap, shape);
    EXPECT_EQ(fx->num_inner_points, 1);
    EXPECT_NEAR(fx->area_angle, 90 * kDeg, 1e-6);
    EXPECT_NEAR(fx->area_angle_spread, 45 * kDeg, 1e-6);
    EXPECT_EQ(fx->area_radius.max, 8.0f);
    EXPECT_EQ(fx->dampening.min, 0.5f);
    EXPECT_EQ(fx->death_func, pbman.GetPartDeathFunc("boom"));
    EXPECT_NE(fx->death_func, nullptr);
    EXPECT_EQ(fx->num_parts, 7);
    EXPECT_NEAR(fx->move_angle, 180 * kDeg, 1e-6);
    EXPECT_NEAR(fx->move_spread, 30 * kDeg, 1e-6);
    EXPECT_EQ(fx->init_move.max, 2.0f);
    EXPECT_NEAR(fx->rot_angle, 10 * kDeg, 1e-6);
    EXPECT_NEAR(fx->rot_spread, 20 * kDeg, 1e-6);
    EXPECT_NEAR(fx->rot_over_life.min, -90 * kDeg, 1e-6);
    EXPECT_EQ(fx->pos_offset_x, 3.0f);
    EXPECT_EQ(fx->pos_offset_y, -4.0f);
    EXPECT_EQ(fx->age.max, 0.2f);
    EXPECT_EQ(fx->mass.max, 1.5f);
    ASSERT_EQ(fx->num_bitmaps, 2);
    EXPECT_STREQ(fx->bitmaps[1]->name, "fxs/spark.png");
    EXPECT_EQ(fx->emit_by_time, 0);
    EXPECT_EQ(fx->emit_interval, 12.0f);
    EXPECT_STREQ(fx->text, "Hit!");
    ASSERT_EQ(fx->num_sounds, 1);
    EXPECT_STREQ(fx->sounds[0]->name, "sfx/a");
    EXPECT_EQ(fx->sound_volume.max, 0.4f);
    EXPECT_EQ(fx->sound_freq.min, 0.8f);
    EXPECT_EQ(fx->lifetime.min, 1.5f);
    EXPECT_EQ(fx->speed.max, 40.0f);
    EXPECT_EQ(fx->blend_mode, 1);
    EXPECT_FALSE(Logged("unknown burst parm"));
}

TEST_F(PartFxTest, KeysWithTwoNamesSetTheSameValue)
{
    struct Case {
        const char *key, *alias;
        float fx_t::*scalar;
        fx_range_t fx_t::*range;
    } cases[] = {
        {"init_move", "initial_move", nullptr, &fx_t::init_move},
        {"angle", "rotation_angle", &fx_t::rot_angle, nullptr},
        {"angle_spread", "rot_angle_spread", &fx_t::rot_spread, nullptr},
        {"angle_rps", "rot_angle_rps", nullptr, &fx_t::rot_over_life},
        {"speed", "move_speed", nullptr, &fx_t::speed},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.alias);
        std::string a = Format("fxs/key%d.lua", n), b = Format("fxs/alias%d.lua", n);
        n++;
        fx_t *x = Load(a, Format("FXParm ('%s', 5, 9)", c.key));
        fx_t *y = Load(b, Format("FXParm ('%s', 5, 9)", c.alias));
        ASSERT_NE(x, nullptr);
        ASSERT_NE(y, nullptr);
        if (c.scalar) {
            EXPECT_NE(x->*c.scalar, 0.0f);
            EXPECT_EQ(x->*c.scalar, y->*c.scalar);
        } else {
            EXPECT_NE((x->*c.range).max, 0.0f);
            EXPECT_EQ((x->*c.range).min, (y->*c.range).min);
            EXPECT_EQ((x->*c.range).max, (y->*c.range).max);
        }
    }
    // The three names of each function.
    fx_t *fx = Load("fxs/names.lua", "PartBurstParm ('num_parts', 1) PartFXParm ('mass', 2, 2) FXParm ('age', 3, 3)"
                                     " PartFXAddNew () FXParm ('num_parts', 2) FXAddNew () FXParm ('num_parts', 3)");
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx[0].num_parts, 1);
    EXPECT_EQ(fx[0].mass.max, 2.0f);
    EXPECT_EQ(fx[0].age.max, 3.0f);
    EXPECT_EQ(fx[1].num_parts, 2);
    EXPECT_EQ(fx[2].num_parts, 3);
}

TEST_F(PartFxTest, DefaultsOfAFileThatSetsNothing)
{
    fx_t *fx = Load("fxs/empty.lua", "-- nothing\n");
    ASSERT_NE(fx, nullptr);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(fx->color_min[i], 1.0f);
        EXPECT_EQ(fx->color_max[i], 1.0f);
    }
    for (const fx_range_t *r : {&fx->alpha, &fx->scale, &fx->dampening, &fx->sound_volume, &fx->sound_freq}) {
        EXPECT_EQ(r->min, 1.0f);
        EXPECT_EQ(r->max, 1.0f);
    }
    EXPECT_EQ(memcmp(&fx->alpha_graph, &graph_linear_1_0, sizeof(part_graph_t)), 0);
    EXPECT_EQ(memcmp(&fx->scale_graph, &graph_constant1, sizeof(part_graph_t)), 0);
    EXPECT_EQ(fx->emit_by_time, 1);
    EXPECT_EQ(fx->num_parts, 0);
    EXPECT_EQ(fx->speed.max, 0.0f);
    EXPECT_EQ(fx->lifetime.max, 0.0f);
    EXPECT_EQ(fx->blend_mode, 0);
    EXPECT_EQ(fx->chained, 0);
    // Both limits 0 become 1, 1; one of them set stays as given; colours given as 0 stay 0.
    fx_t *g = Load("fxs/zeros.lua", "FXParm ('alpha', 0, 0) FXParm ('scale', 0, 0.5) FXParm ('color_g', 0, 0)"
                                    " FXParm ('emitter_type', 'TIME') FXParm ('blend_mode', 'NORMAL')");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->alpha.min, 1.0f);
    EXPECT_EQ(g->scale.min, 0.0f);
    EXPECT_EQ(g->scale.max, 0.5f);
    EXPECT_EQ(g->color_max[1], 0.0f);
    EXPECT_EQ(g->emit_by_time, 1);
    EXPECT_EQ(g->blend_mode, 0);
}

TEST_F(PartFxTest, UnknownKeyWarnsAndChangesNothing)
{
    fx_t *fx = Load("fxs/unknown.lua", "FXParm ('colour_r', 0.5, 0.5) FXParm ('Speed', 4, 4)");
    ASSERT_NE(fx, nullptr);
    EXPECT_TRUE(Logged("WARNING: unknown burst parm 'colour_r'"));
    EXPECT_TRUE(Logged("WARNING: unknown burst parm 'Speed'"));
    EXPECT_EQ(fx->color_min[0], 1.0f);
    EXPECT_EQ(fx->speed.max, 0.0f);
}

TEST_F(PartFxTest, RangesDrawWithinTheirBounds)
{
    fx_t *fx = Load("fxs/range.lua", "FXParm ('num_parts', 500) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 1, 2)"
                                     " FXParm ('color_r', 0.2, 0.4) FXParm ('speed', 10, 20)"
                                     " FXParm ('move_angle_spread', 360) FXParm ('age', 0.5, 0.5)");
    ASSERT_NE(fx, nullptr);
    pbman.SpawnFX(&system_, fx, {100, 100}, 0, 0.25f);
    ASSERT_EQ(system_.GetLiveCount(), 500);
    float lo = 1, hi = 0;
    for (part_t *p = system_.FirstLive(); p; p = system_.NextLive(p)) {
        EXPECT_GE(p->r, 0.2f);
        EXPECT_LE(p->r, 0.4f);
        float speed = sqrtf(p->vx * p->vx + p->vy * p->vy);
        EXPECT_GE(speed, 10 - 1e-3f);
        EXPECT_LE(speed, 20 + 1e-3f);
        EXPECT_GE(p->lifetime, 1.0f);
        EXPECT_LE(p->lifetime, 2.0f);
        EXPECT_EQ(p->age, 0.25f);  // the delay comes off the age
        EXPECT_EQ(p->g, 1.0f);
        lo = std::min(lo, p->r);
        hi = std::max(hi, p->r);
    }
    EXPECT_LT(lo, 0.21f);
    EXPECT_GT(hi, 0.39f);
    // The extreme values of the helper give the limits exactly (draws: bitmap pick, red).
    system_.ResetParts();
    fx->num_parts = 1;
    const int low[] = {0, 0}, high[] = {0, 32767};
    ScriptRandom(low, 2);
    pbman.SpawnFX(&system_, fx, {0, 0}, 0, 0);
    ScriptRandom(high, 2);
    pbman.SpawnFX(&system_, fx, {0, 0}, 0, 0);
    ASSERT_EQ(system_.GetLiveCount(), 2);
    EXPECT_FLOAT_EQ(system_.FirstLive()->r, 0.2f);
    EXPECT_FLOAT_EQ(system_.NextLive(system_.FirstLive())->r, 0.4f);
}

TEST_F(PartFxTest, ThreeBurstChainUsesThreeSlots)
{
    int before = pbman.GetNumberOfSlots();
    fx_t *fx = Load("fxs/chain.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('color_r', 0, 0)\n"
                                     "AddFX () FXParm ('num_parts', 2) FXParm ('bitmap', 'dot')\n"
                                     "AddFX () FXParm ('num_parts', 3) FXParm ('bitmap', 'dot')\n");
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(pbman.GetNumberOfSlots(), before + 3);
    EXPECT_STREQ(fx[0].name, "fxs/chain.lua");
    EXPECT_STREQ(fx[1].name, "&");
    EXPECT_STREQ(fx[2].name, "&");
    EXPECT_EQ(fx[0].chained, 1);
    EXPECT_EQ(fx[1].chained, 1);
    EXPECT_EQ(fx[2].chained, 0);
    EXPECT_EQ(fx[1].color_min[0], 1.0f);  // each burst starts white
    EXPECT_EQ(memcmp(&fx[2].alpha_graph, &graph_linear_1_0, sizeof(part_graph_t)), 0);
    pbman.SpawnFX(&system_, fx, {0, 0}, 0, 0);
    EXPECT_EQ(system_.GetLiveCount(), 6);
    EXPECT_EQ(system_.FirstLive()->r, 0.0f);
}

TEST_F(PartFxTest, BangEffectsSpawnNothingAndReadNoFile)
{
    fx_t *fx = pbman.GetFX("!placeholder");
    ASSERT_NE(fx, nullptr);
    EXPECT_STREQ(fx->name, "!placeholder");
    EXPECT_FALSE(Logged("not found"));
    pbman.SpawnFX(&system_, fx, {0, 0}, 0, 0);
    EXPECT_EQ(system_.GetLiveCount(), 0);
    EXPECT_EQ(pbman.GetFX("!placeholder"), fx);
}

TEST_F(PartFxTest, TheSameFileTwiceGivesOneSlotAndOneRun)
{
    int before = pbman.GetNumberOfSlots();
    fx_t *a = Load("fxs/once.lua", "Print ('effect file ran') FXParm ('num_parts', 1)");
    fx_t *b = pbman.GetFX("fxs/once.lua");
    fx_t *c = pbman.LoadFX("fxs/once.lua", true, 4);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    EXPECT_EQ(pbman.GetNumberOfSlots(), before + 1);
    EXPECT_EQ(CountLogged("effect file ran"), 1);
    EXPECT_EQ(CountLogged("..caching particle burst 'fxs/once.lua'"), 1);
    EXPECT_EQ(pbman.GetFX(nullptr), nullptr);
}

TEST_F(PartFxTest, GetFxTakesTheAssetReferencesOnce)
{
    fx_t *fx = Load("fxs/refs.lua", "FXParm ('bitmap', 'dot') AddFX () FXParm ('bitmap', 'dot')");
    ASSERT_NE(fx, nullptr);
    ov_bitmap_t *dot = fx->bitmaps[0];
    ASSERT_NE(dot, nullptr);
    int after_first = dot->refcount;  // two from the file run, two from the first GetFX
    EXPECT_EQ(fx->references_taken, 1);
    pbman.GetFX("fxs/refs.lua");
    EXPECT_EQ(dot->refcount, after_first);
    pbman.LoadFX("fxs/refs.lua", true, 0);
    EXPECT_EQ(dot->refcount, after_first);
    pbman.LoadFX("fxs/refs.lua", true, 4);
    EXPECT_EQ(dot->refcount, after_first + 2);
    pbman.DecreaseAssetReferenceCounts(fx);
    EXPECT_EQ(dot->refcount, after_first);
    pbman.DecreaseAssetReferenceCounts(fx);
    EXPECT_EQ(dot->refcount, after_first - 2);
}

TEST_F(PartFxTest, EmitterEffectsResolveAfterTheRunIncludingItself)
{
    fx_t *self = Load("fxs/self.lua", "FXParm ('num_parts', 1) FXParm ('emitter_fx', 'fxs/self.lua')"
                                      " FXParm ('emitter_interval', 0.5)");
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->emitter_fx, self);
    EXPECT_EQ(self->emitter_name, nullptr);
    EXPECT_EQ(CountLogged("..caching particle burst 'fxs/self.lua'"), 1);
    WriteFile("fxs/trail.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 5, 5)");
    fx_t *rocket = Load("fxs/rocket.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 5, 5)"
                                          " FXParm ('speed', 10, 10) FXParm ('emitter_fx', 'fxs/trail.lua')"
                                          " FXParm ('emitter_interval', 0.5)");
    ASSERT_NE(rocket, nullptr);
    ASSERT_NE(rocket->emitter_fx, nullptr);
    EXPECT_STREQ(rocket->emitter_fx->name, "fxs/trail.lua");
    EXPECT_EQ(rocket->emitter_fx->references_taken, 1);
    pbman.SpawnFX(&system_, rocket, {0, 0}, 0, 0);
    ASSERT_EQ(system_.GetLiveCount(), 1);
    EXPECT_EQ(system_.FirstLive()->emitter_fx, rocket->emitter_fx);
    system_.UpdateParts(0.1f);
    EXPECT_EQ(system_.GetLiveCount(), 2);
}

TEST_F(PartFxTest, DeathFunctionTableHolds32)
{
    static int marks[2];
    static void (*const kFuncs[2])(part_t *) = {[](part_t *) { marks[0]++; }, [](part_t *) { marks[1] += 2; }};
    for (int i = 0; i < 32; i++)
        pbman.AddPartDeathFunc(Format("f%d", i).c_str(), kFuncs[i % 2]);
    pbman.AddPartDeathFunc("f32", kFuncs[0]);
    EXPECT_TRUE(Logged("PartBurstMan: Too many Part Death Funcs registered, not using 'f32'"));
    EXPECT_EQ(pbman.GetPartDeathFunc("f32"), nullptr);
    EXPECT_EQ(pbman.GetPartDeathFunc("f31"), kFuncs[1]);
    EXPECT_EQ(pbman.GetPartDeathFunc(nullptr), nullptr);
    EXPECT_EQ(pbman.GetPartDeathFunc("F0"), nullptr);
    // Init empties the table.
    pbman.Init();
    EXPECT_EQ(pbman.GetPartDeathFunc("f0"), nullptr);
    pbman.AddPartDeathFunc("again", kFuncs[0]);
    pbman.AddPartDeathFunc("again", kFuncs[1]);
    EXPECT_EQ(pbman.GetPartDeathFunc("again"), kFuncs[0]);
}

TEST_F(PartFxTest, ReferenceScaleMultipliesPlacementSpeedAndScale)
{
    fx_t *fx = Load("fxs/ring.lua", "FXParm ('num_parts', 40) FXParm ('bitmap', 'dot') FXParm ('area_radius', 10, 10)"
                                    " FXParm ('area_angle_spread', 360) FXParm ('speed', 5, 5) FXParm ('scale', 1.5, 1.5)"
                                    " FXParm ('mass', 1, 1) FXParm ('age_to_die', 1, 1)");
    ASSERT_NE(fx, nullptr);
    system_.reference_scale = 2;
    pbman.SpawnFX(&system_, fx, {100, 50}, 0.3f, 0);
    ASSERT_EQ(system_.GetLiveCount(), 40);
    for (part_t *p = system_.FirstLive(); p; p = system_.NextLive(p)) {
        EXPECT_NEAR(hypotf(p->x - 100, p->y - 50), 20, 1e-3);
        EXPECT_NEAR(hypotf(p->vx, p->vy), 10, 1e-4);
        EXPECT_EQ(p->scale, 3.0f);
        EXPECT_EQ(p->mass, 2.0f);
    }
}

TEST_F(PartFxTest, SoundsArePickedAndPlayedWithTheirRanges)
{
    fx_t *fx = Load("fxs/bang.lua", "FXParm ('sound', 'sfx/bang-a') FXParm ('sound', 'sfx/bang-b')"
                                    " FXParm ('sound_volume', 0.5, 0.7) FXParm ('sound_freq', 0.9, 1.1)");
    ASSERT_NE(fx, nullptr);
    for (int i = 0; i < 60; i++)
        pbman.SpawnFX(&system_, fx, {0, 0}, 0, 0);
    ASSERT_EQ(played.size(), 60u);
    std::set<std::string> names;
    for (const Played &p : played) {
        names.insert(p.name);
        EXPECT_GE(p.volume, 0.5f);
        EXPECT_LE(p.volume, 0.7f);
        EXPECT_EQ(p.pan, 0.0f);
        EXPECT_GE(p.frequency, 0.9f);
        EXPECT_LE(p.frequency, 1.1f);
    }
    EXPECT_EQ(names, (std::set<std::string>{"sfx/bang-a", "sfx/bang-b"}));
    // Scripted: pick, volume, frequency.
    played.clear();
    const int script[] = {1, 32767, 0};
    ScriptRandom(script, 3);
    pbman.SpawnFX(&system_, fx, {0, 0}, 0, 0);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].name, "sfx/bang-b");
    EXPECT_FLOAT_EQ(played[0].volume, 0.7f);
    EXPECT_FLOAT_EQ(played[0].frequency, 0.9f);
    // Without sounds nothing plays; the default range plays at 1.
    AppSetRandomSource(nullptr);
    played.clear();
    fx_t *one = Load("fxs/one.lua", "FXParm ('sound', 'sfx/one')");
    pbman.SpawnFX(&system_, one, {0, 0}, 0, 0);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].volume, 1.0f);
    EXPECT_EQ(played[0].frequency, 1.0f);
}

TEST_F(PartFxTest, TextAndBitmapParticlesAndBurstsWithNeither)
{
    fonttest::MakeDirs("app/native/fonts/");
    ov_font_t f;
    fonttest::InitFont(&f, "blocks");
    f.height = 8;
    fonttest::SetGlyph(&f, '+', 6, 4, 4);
    ASSERT_TRUE(ov->OV_SaveFont(&f, "res://fonts/blocks.mft"));
    fonttest::FreeFont(&f);
    fx_t *nothing = Load("fxs/nothing.lua", "FXParm ('num_parts', 5) FXParm ('text', 'lost')");
    pbman.SpawnFX(&system_, nothing, {0, 0}, 0, 0);
    EXPECT_EQ(system_.GetLiveCount(), 0);
    fx_t *text = Load("fxs/text.lua", "FXParm ('num_parts', 2) FXParm ('text', '+10') FXParm ('font', 'fonts/blocks.mft')");
    ASSERT_NE(text->font, nullptr);
    pbman.SpawnFX(&system_, text, {0, 0}, 0, 0);
    ASSERT_EQ(system_.GetLiveCount(), 2);
    part_t *p = system_.FirstLive();
    EXPECT_STREQ(p->text, "+10");
    EXPECT_NE(p->text, text->text);
    EXPECT_EQ(p->font, text->font);
    EXPECT_EQ(p->draw_func, PMAN_Draw_Text);
    EXPECT_EQ(p->bitmap, nullptr);
    system_.ResetParts();
    fx_t *bitmaps = Load("fxs/bitmaps.lua", "FXParm ('num_parts', 30) FXParm ('bitmap', 'dot') FXParm ('bitmap', 'fxs/b.png')");
    pbman.SpawnFX(&system_, bitmaps, {0, 0}, 0, 0);
    std::set<ov_bitmap_t *> seen;
    for (part_t *p = system_.FirstLive(); p; p = system_.NextLive(p)) {
        seen.insert(p->bitmap);
        EXPECT_EQ(p->text, nullptr);
        EXPECT_EQ(p->draw_func, PMAN_Draw_Normal);
    }
    EXPECT_EQ(seen, (std::set<ov_bitmap_t *>{bitmaps->bitmaps[0], bitmaps->bitmaps[1]}));
}

TEST_F(PartFxTest, BitmapShapesPlaceTheParticles)
{
    // 4 x 3: opaque pixels at (3, 0), (2, 1), (1, 2); drawn 8 x 6.
    ov_bitmap_t *shape = ov->OV_CreateBitmap("gen/shape", 4, 3, 0);
    ASSERT_NE(shape, nullptr);
    memset(shape->pixels, 0, 48);
    for (int i : {3, 6, 9})
        shape->pixels[i * 4 + 3] = 255;
    shape->width = 8;
    shape->height = 6;
    fx_t *inner = Load("fxs/inner.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('area_bitmap', 'gen/shape')");
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->num_inner_points, 3);
    // Draws: bitmap pick, r, g, b, alpha, scale, dampening, then the pixel pick.
    for (int k = 0; k < 3; k++) {
        SCOPED_TRACE(k);
        system_.ResetParts();
        int script[8] = {0, 0, 0, 0, 0, 0, 0, 3 + k};
        ScriptRandom(script, 8);
        pbman.SpawnFX(&system_, inner, {10, 20}, 0, 0);
        ASSERT_EQ(system_.GetLiveCount(), 1);
        const int cols[] = {3, 2, 1};
        EXPECT_EQ(system_.FirstLive()->x, 10.0f + cols[k]);
        EXPECT_EQ(system_.FirstLive()->y, 20.0f + k);
    }
    AppSetRandomSource(nullptr);
    fx_t *edges = Load("fxs/edges.lua",
                       "FXParm ('num_parts', 50) FXParm ('bitmap', 'dot') FXParm ('area_bitmap_edges_angle', 'gen/shape', 1)");
    ASSERT_NE(edges, nullptr);
    ASSERT_EQ(edges->num_shape_points, 3);
    EXPECT_EQ(edges->shape_points[0].x, -4);
    EXPECT_EQ(edges->shape_points[0].y, -1);
    system_.ResetParts();
    pbman.SpawnFX(&system_, edges, {0, 0}, 0, 0);
    std::set<std::pair<int, int>> at;
    for (part_t *p = system_.FirstLive(); p; p = system_.NextLive(p))
        at.insert({(int)p->x, (int)p->y});
    EXPECT_EQ(at, (std::set<std::pair<int, int>>{{-4, -1}, {-2, -1}, {2, -1}}));
    // An inner-point bitmap whose pixels are gone moves nothing.
    free(shape->pixels);
    shape->pixels = nullptr;
    system_.ResetParts();
    pbman.SpawnFX(&system_, inner, {10, 20}, 0, 0);
    EXPECT_EQ(system_.FirstLive()->x, 10.0f);
}

TEST_F(PartFxTest, FullTableRefusesNewEffectsAndEndsChains)
{
    int used = pbman.GetNumberOfSlots();
    for (int i = used; i < FX_MAX_SLOTS - 2; i++)
        ASSERT_NE(pbman.GetFX(Format("!filler%d", i).c_str()), nullptr);
    // Three bursts with room for two: the chain ends at the table's end.
    fx_t *fx = Load("fxs/long.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot')"
                                    " AddFX () FXParm ('num_parts', 2) FXParm ('bitmap', 'dot')"
                                    " AddFX () FXParm ('num_parts', 4) FXParm ('bitmap', 'dot')");
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(pbman.GetNumberOfSlots(), FX_MAX_SLOTS);
    EXPECT_EQ(fx[0].chained, 1);
    EXPECT_EQ(fx[1].chained, 0);
    EXPECT_EQ(fx[1].num_parts, 2);
    EXPECT_EQ(fx[1].alpha.min, 1.0f);
    pbman.SpawnFX(&system_, fx, {0, 0}, 0, 0);
    EXPECT_EQ(system_.GetLiveCount(), 3);
    EXPECT_EQ(pbman.GetFX("fxs/one-more.lua"), nullptr);
    EXPECT_TRUE(Logged("Particle effect table full, not loading 'fxs/one-more.lua'."));
    EXPECT_EQ(pbman.GetFX("!filler10"), pbman.GetSlot(10));
}

TEST_F(PartFxTest, TrailSpawnsAlongTheSegment)
{
    fx_t *fx = Load("fxs/step.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 9, 9)");
    ASSERT_NE(fx, nullptr);
    pbman.SpawnFXTrail(&system_, fx, {0, 0}, {0, 100}, 1, 25, 0.5f);
    ASSERT_EQ(system_.GetLiveCount(), 4);
    int i = 0;
    for (part_t *p = system_.FirstLive(); p; p = system_.NextLive(p), i++) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(p->x, 0, 1e-4);
        EXPECT_NEAR(p->y, 25.0f * i, 1e-4);
        EXPECT_NEAR(p->age, -(0.5f + 0.25f * i), 1e-6);
        EXPECT_NEAR(p->start_angle, atan2f(1, 0), 1e-6);
    }
    struct Case {
        const char *what;
        vec2_t from, to;
        float step;
        int spawned;
    } cases[] = {
        {"step 0", {0, 0}, {100, 0}, 0, 0},
        {"negative step", {0, 0}, {100, 0}, -5, 0},
        {"no distance", {7, 7}, {7, 7}, 5, 0},
        {"shorter than a step", {3, 4}, {6, 4}, 5, 1},
        {"exactly two steps", {0, 0}, {10, 0}, 5, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        system_.ResetParts();
        pbman.SpawnFXTrail(&system_, fx, c.from, c.to, 1, c.step, 0.25f);
        EXPECT_EQ(system_.GetLiveCount(), c.spawned);
        if (c.spawned == 1) {
            EXPECT_EQ(system_.FirstLive()->x, c.from.x);
            EXPECT_EQ(system_.FirstLive()->age, -0.25f);
        }
    }
    pbman.SpawnFXTrail(nullptr, fx, {0, 0}, {1, 1}, 1, 1, 0);
    pbman.SpawnFXTrail(&system_, nullptr, {0, 0}, {1, 1}, 1, 1, 0);
}

TEST_F(PartFxTest, ScriptRowsCacheSpawnAndReload)
{
    WriteFile("fxs/script.lua", "Print ('script effect ran') FXParm ('num_parts', 3) FXParm ('bitmap', 'dot')"
                                " FXParm ('age_to_die', 1, 1) AddFX () FXParm ('num_parts', 1) FXParm ('bitmap', 'dot')");
    lua_man.AddLuaFunction("TestOnlyRegistered", [](lua_State *) { return 0; });
    lua_State *L = lua_man.OpenLuaState(0);
    ASSERT_NE(L, nullptr);
    EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(L, "TestOnlyRegistered"));
    EXPECT_TRUE(lua_man.ExecLuaString(L, "CacheFX ('fxs/script.lua')"));
    fx_t *fx = pbman.GetFX("fxs/script.lua");
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->references_taken, 1);
    int slots = pbman.GetNumberOfSlots();
    EXPECT_TRUE(lua_man.ExecLuaString(L, "SpawnFX ('fxs/script.lua', 40, 30, 0, 0.5)"));
    EXPECT_EQ(pman.GetLiveCount(), 4);
    EXPECT_EQ(pman.FirstLive()->age, -0.5f);
    EXPECT_EQ(pman.FirstLive()->x, 40.0f);
    EXPECT_EQ(CountLogged("script effect ran"), 1);
    EXPECT_TRUE(lua_man.ExecLuaString(L, "ReloadFxs ()"));
    EXPECT_EQ(CountLogged("script effect ran"), 2);
    EXPECT_EQ(pbman.GetNumberOfSlots(), slots);
    EXPECT_EQ(pbman.GetFX("fxs/script.lua"), fx);
    EXPECT_STREQ(fx[1].name, "&");
    EXPECT_FALSE(Logged("'&' not found"));
    lua_man.CloseLuaState(L);
    // The effect library's own state has the built-ins and its functions only.
    lua_State *own = pbman.GetLuaState();
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(own, "FXParm"));
    EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(own, "OV_DrawBitmapRS"));
    EXPECT_FALSE(LuaManager::DoesLuaFunctionExist(own, "TestOnlyRegistered"));
}

TEST_F(PartFxTest, MalformedEffectFilesGivePopupsNotCrashes)
{
    struct Case {
        const char *what, *text, *logged;
        int num_parts;
    } cases[] = {
        {"syntax error", "FXParm ('num_parts', 3", "error compiling", 0},
        {"run error after a count", "FXParm ('num_parts', 2) error ('broken')", "error running", 2},
        {"huge count", "FXParm ('num_parts', 1e30) FXParm ('bitmap', 'dot')", nullptr, 2147483647},
        {"negative count", "FXParm ('num_parts', -4)", nullptr, 0},
        {"not a number", "FXParm ('num_parts', {}) FXParm ({}, 1) FXParm () FXParm ('bitmap', {})", nullptr, 0},
        {"no key", "FXParm (nil, 4)", "unknown burst parm '(null)'", 0},
        {"nested load refused", "CacheFX ('fxs/other.lua') SpawnFX ('fxs/other.lua', 0, 0, 0, 0) ReloadFxs ()",
         "not loading 'fxs/other.lua'", 0},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = Format("fxs/bad%d.lua", n++);
        fx_t *fx = Load(name, c.text);
        ASSERT_NE(fx, nullptr);
        EXPECT_EQ(fx->num_parts, c.num_parts);
        EXPECT_EQ(fx->alpha.min, 1.0f);
        if (c.logged) {
            EXPECT_TRUE(Logged(c.logged));
        }
    }
    // The huge count fills the pool and stops.
    PartMan small(16);
    pbman.SpawnFX(&small, pbman.GetFX("fxs/bad2.lua"), {0, 0}, 0, 0);
    EXPECT_EQ(small.GetLiveCount(), 16);
    // Too many curve points, bitmaps and sounds are ignored; a missing file keeps its slot.
    std::string many;
    for (int i = 0; i < 40; i++)
        many += Format("FXParm ('alpha_graph', %d, 1) FXParm ('bitmap', 'dot') FXParm ('sound', 'sfx/s') ", i);
    fx_t *fx = Load("fxs/many.lua", many);
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->alpha_graph.count, 16);
    EXPECT_EQ(fx->num_bitmaps, 16);
    EXPECT_EQ(fx->num_sounds, 16);
    fx_t *missing = pbman.GetFX("fxs/missing.lua");
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(Logged("File 'fxs/missing.lua' not found"));
    EXPECT_EQ(missing->scale.max, 1.0f);
    // A file that starts 300 bursts ends its chain at the table's end.
    fx_t *bursts = Load("fxs/bursts.lua", "for i = 1, 300 do AddFX () FXParm ('num_parts', 1) end");
    ASSERT_NE(bursts, nullptr);
    EXPECT_EQ(pbman.GetNumberOfSlots(), FX_MAX_SLOTS);
    EXPECT_EQ(pbman.GetSlot(FX_MAX_SLOTS - 1)->chained, 0);
}

TEST_F(PartFxTest, EveryShippedEffectLoadsWithoutWarnings)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    for (const fs::directory_entry &e : fs::directory_iterator(std::string(ORVEX_CONTENT_DIR) + "/fxs"))
        if (e.path().extension() == ".lua")
            names.push_back(e.path().filename().string());
    ASSERT_FALSE(names.empty());
    for (const std::string &name : names) {
        std::ifstream in(std::string(ORVEX_CONTENT_DIR) + "/fxs/" + name, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        WriteFile("fxs/" + name, text);
    }
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        fx_t *fx = pbman.GetFX(("fxs/" + name).c_str());
        ASSERT_NE(fx, nullptr);
        int parts = 0;
        for (fx_t *b = fx; b; b = b->chained ? b + 1 : nullptr) {
            parts += b->num_parts;
            if (b->num_parts > 0) {
                EXPECT_TRUE(b->num_bitmaps > 0 || (b->text && b->font));
            }
        }
        EXPECT_GE(parts, 0);
        pbman.SpawnFX(&system_, fx, {100, 100}, 0, 0);
    }
    EXPECT_LE(pbman.GetNumberOfSlots(), 200);
    EXPECT_FALSE(Logged("unknown burst parm"));
    EXPECT_FALSE(Logged("ExecLuaFile"));
    EXPECT_FALSE(Logged("table full"));
    EXPECT_GT(system_.GetLiveCount(), 0);
    for (int i = 0; i < 30; i++)
        system_.UpdateParts(0.1f);
}
