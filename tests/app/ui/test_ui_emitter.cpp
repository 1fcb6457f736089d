// The emitter: its pool sized from the effect's bursts, emission at its interval
// (none at interval 0 or while inactive), the initial simulation in 0.05 s steps,
// particles drawn at the component on the headless GLES renderer, the effect's bitmap
// references on entry and leave, its script rows, properties, export and copies.
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-emitter.h"
#include "ovrecords.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;
using widgettest::Rgba;

// Nine particles (ten slots a burst) living 1 to 2 s, born up to 0.5 s late.
const char kFifty[] = "FXParm ('num_parts', 9)\nFXParm ('bitmap', 'fxs/dot.png')\n"
                      "FXParm ('age', 0, 0.5)\nFXParm ('age_to_die', 1, 2)\n";
// One still white particle that lives long, drawn 8 x 8.
const char kDot[] = "FXParm ('num_parts', 1)\nFXParm ('bitmap', 'fxs/dot.png')\nFXParm ('age_to_die', 10, 10)\n"
                    "FXParm ('alpha_graph', 0, 1)\nFXParm ('alpha_graph', 1, 1)\n";

class Emitter : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        pbman.Init();
        widgettest::WritePng("fxs/dot.png", 8, 8, [](int, int) { return Rgba{255, 255, 255, 255}; });
        apptest::WriteFile("fxs/fifty.lua", kFifty);
        apptest::WriteFile("fxs/dot.lua", kDot);
    }
    void TearDown() override
    {
        pbman.Shutdown();
        CompTest::TearDown();
    }
    UICompEmitter *Make(const char *screen, const std::string &more)
    {
        s_ = MakeScreen(screen, "CreateComp ('Emitter', 'em')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                "SetProperty ('position', 200, 150)\n" +
                                    more);
        return dynamic_cast<UICompEmitter *>(s_->GetComp("em"));
    }
    Screen *s_ = nullptr;
};

TEST_F(Emitter, PoolSizedFromTheBurstsAndTheInterval)
{
    UICompEmitter *em = Make("Fifty", "");
    ASSERT_NE(em, nullptr);
    EXPECT_FALSE(em->interactive);
    EXPECT_EQ(em->particles.GetPoolSize(), 128);
    // Without an interval the pool keeps its size, whatever the effect.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.fx', 'fxs/fifty.lua')"));
    ASSERT_NE(em->fx, nullptr);
    EXPECT_EQ(em->particles.GetPoolSize(), 128);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.time_interval', 0.5)"));
    EXPECT_EQ(em->particles.GetPoolSize(), 50);   // (9 + 1) x (1 + (int)(2 - 0) / 0.5)
    // A tiny interval is limited to 1536 slots a burst (counted before the int).
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.time_interval', 1e-30)"));
    EXPECT_EQ(em->particles.GetPoolSize(), 1536);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.time_interval', -1)"));
    EXPECT_EQ(em->particles.GetPoolSize(), 1536);
}

TEST_F(Emitter, EmitsAtItsIntervalOnlyWhileActive)
{
    UICompEmitter *em = Make("Emit", "SetProperty ('emitter.fx', 'fxs/dot.lua')\n");
    ASSERT_NE(em, nullptr);
    // Interval 0: nothing new; particles already alive keep updating.
    em->particles.SpawnPart({0, 0}, nullptr, 5.0f);
    for (int i = 0; i < 10; i++)
        em->Update(0.1f);
    EXPECT_EQ(em->particles.GetLiveCount(), 1);
    EXPECT_NEAR(em->particles.FirstLive()->age, 1.0f, 1e-4);
    em->particles.ResetParts();
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.time_interval', 0.25)"));
    em->Update(0.2f);
    EXPECT_EQ(em->particles.GetLiveCount(), 0);
    em->Update(0.1f);   // the timer reached 0.25: one burst, aged by the 0.05 s past it
    ASSERT_EQ(em->particles.GetLiveCount(), 1);
    EXPECT_NEAR(em->emit_timer, 0.05f, 1e-5);
    EXPECT_NEAR(em->particles.FirstLive()->age, 0.05f, 1e-4);
    // Inactive: no emission, the particles still age.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:active', false)"));
    for (int i = 0; i < 10; i++)
        em->Update(0.25f);
    EXPECT_EQ(em->particles.GetLiveCount(), 1);
    EXPECT_NEAR(em->particles.FirstLive()->age, 2.55f, 1e-3);
}

TEST_F(Emitter, InitialSimulationRunsWholeSteps)
{
    UICompEmitter *em = Make("Sim", "SetProperty ('emitter.time_interval', 100)\n"
                                    "SetProperty ('emitter.initial_simulation_time', 0.12)\n");
    ASSERT_NE(em, nullptr);
    EXPECT_NEAR(em->emit_timer, 0.15f, 1e-5);   // three updates of 0.05 s
    // The steps counted by a long-lived particle's age: whole steps, at most 12000.
    const struct {
        float seconds, simulated;
    } cases[] = {{0.1f, 0.1f}, {0.01f, 0.05f}, {1e30f, 600.0f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seconds);
        em->particles.ResetParts();
        em->particles.SpawnPart({0, 0}, nullptr, 1e9f);
        em->Presimulate(c.seconds);
        ASSERT_EQ(em->particles.GetLiveCount(), 1);
        EXPECT_NEAR(em->particles.FirstLive()->age, c.simulated, c.simulated * 1e-3);
    }
    em->emit_timer = 0.0f;
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.initial_simulation_time', 0/0)"));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.initial_simulation_time', -3)"));
    EXPECT_EQ(em->emit_timer, 0.0f);
}

TEST_F(Emitter, ParticlesAreDrawnAtTheComponent)
{
    UICompEmitter *em = Make("Drawn", "SetProperty ('emitter.fx', 'fxs/dot.lua')\nSetProperty ('pixel_filter', 'POINT')\n"
                                      "CreateComp ('Rectangle', 'other')\n");
    ASSERT_NE(em, nullptr);
    sman.PushScreen(s_, 0);   // entering takes the effect's bitmap references (and loads them)
    ASSERT_TRUE(Run(s_->ui, "SpawnEmitterFX ('em', 'fxs/dot.lua', 300, 220, 0, 0)\n"
                            "SpawnEmitterFX ('other', 'fxs/dot.lua', 10, 10, 0, 0)\n"
                            "SpawnEmitterFX ('nobody', 'fxs/dot.lua', 10, 10, 0, 0)"));
    EXPECT_EQ(em->particles.GetLiveCount(), 1);
    em->Update(0.0f);
    UICompEmitter *e = em;
    apptest::draw = [e](float) {
        ov->OV_ClearScreen(0, 0, 0);
        e->Draw();
    };
    DrawFrame();
    const widgettest::Frame f = widgettest::ReadFrame();
    const std::array<int, 4> box =
        widgettest::LitBox(f, 0, 0, 799, 599, [](const Rgba &p) { return p[0] > 200 && p[1] > 200; });
    EXPECT_EQ(box, (std::array<int, 4>{296, 216, 303, 223}));   // 8 x 8 centred on (300, 220)
    // At scale 2 the particle space doubles about the static position.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:scale', 2)"));
    DrawFrame();
    const std::array<int, 4> twice = widgettest::LitBox(widgettest::ReadFrame(), 0, 0, 799, 599,
                                                        [](const Rgba &p) { return p[0] > 200 && p[1] > 200; });
    EXPECT_EQ(twice, (std::array<int, 4>{392, 282, 407, 297}));   // (200 + 2 x 100, 150 + 2 x 70), 16 x 16
    // Rows 12 and 13: reset, and a new pool size (negative and huge limited).
    ASSERT_TRUE(Run(s_->ui, "ResetEmitter ('em')"));
    EXPECT_EQ(em->particles.GetLiveCount(), 0);
    ASSERT_TRUE(Run(s_->ui, "SetEmitterParticlePoolSize ('em', 10)"));
    EXPECT_EQ(em->particles.GetPoolSize(), 10);
    ASSERT_TRUE(Run(s_->ui, "SetEmitterParticlePoolSize ('em', -5)"));
    EXPECT_EQ(em->particles.GetPoolSize(), 0);
    ASSERT_TRUE(Run(s_->ui, "SetEmitterParticlePoolSize ('em', 1e12)\nResetEmitter ('other')\nResetEmitter ()"));
    EXPECT_EQ(em->particles.GetPoolSize(), 65536);
    sman.PopScreen(s_, false);
}

// "SpawnEmitterFX"'s sixth argument is the effect's scale: the particles show at once,
// at that size, centred on the point (a missing, zero or negative scale: its own size).
TEST_F(Emitter, SpawnedEffectsTakeTheScaleAndShowAtOnce)
{
    UICompEmitter *em = Make("Scaled", "SetProperty ('emitter.fx', 'fxs/dot.lua')\nSetProperty ('pixel_filter', 'POINT')\n");
    ASSERT_NE(em, nullptr);
    sman.PushScreen(s_, 0);
    UICompEmitter *e = em;
    apptest::draw = [e](float) {
        ov->OV_ClearScreen(0, 0, 0);
        e->Draw();
    };
    struct Case {
        const char *scale;
        int size;  // of the lit square around (300, 220)
    } cases[] = {{"1", 8}, {"2", 16}, {"0.5", 4}, {"nil", 8}, {"0", 8}, {"-3", 8}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scale);
        ASSERT_TRUE(Run(s_->ui, "ResetEmitter ('em')"));
        ASSERT_TRUE(Run(s_->ui, std::string("SpawnEmitterFX ('em', 'fxs/dot.lua', 300, 220, 0, ") + c.scale + ")"));
        ASSERT_EQ(em->particles.GetLiveCount(), 1);
        em->Update(0.0f);
        DrawFrame();
        const std::array<int, 4> box = widgettest::LitBox(widgettest::ReadFrame(), 0, 0, 799, 599,
                                                          [](const Rgba &p) { return p[0] > 200 && p[1] > 200; });
        const int half = c.size / 2;
        EXPECT_EQ(box, (std::array<int, 4>{300 - half, 220 - half, 299 + half, 219 + half}));
    }
    // The emitter's own particles keep the emitter's scale.
    EXPECT_EQ(em->particles.reference_scale, 1.0f);
    sman.PopScreen(s_, false);
}

TEST_F(Emitter, EffectReferencesFollowEntryAndLeave)
{
    UICompEmitter *em = Make("Refs", "SetProperty ('emitter.fx', 'fxs/dot.lua')\n");
    ASSERT_NE(em, nullptr);
    ov_bitmap_t *dot = em->fx->bitmaps[0];
    ASSERT_NE(dot, nullptr);
    const int before = dot->refcount;
    sman.PushScreen(s_, 0);
    EXPECT_EQ(dot->refcount, before + 1);
    // A new effect while entered moves the reference.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.fx', 'fxs/fifty.lua')"));
    EXPECT_EQ(dot->refcount, before + 1);   // fifty uses the same bitmap: one given back, one taken
    sman.PopScreen(s_, false);
    EXPECT_EQ(dot->refcount, before);
}

TEST_F(Emitter, PropertiesExportAndCopies)
{
    UICompEmitter *em = Make("Props", "SetProperty ('emitter.fx', 'fxs/fifty.lua')\n"
                                      "SetProperty ('emitter.time_interval', '0.5')\n"
                                      "SetProperty ('emitter.cam', 3, 4)\n");
    ASSERT_NE(em, nullptr);
    const struct {
        const char *get, *expected;
    } reads[] = {
        {"em:emitter.fx", "fxs/fifty.lua"},
        {"em:emitter.time_interval", "0.5"},
        {"em:emitter.initial_simulation_time", "0"},
        {"em:emitter.cam_x", "3"},
        {"em:emitter.cam_y", "4"},
        {"em:emitter.cam", "nil"},
    };
    for (const auto &r : reads) {
        SCOPED_TRACE(r.get);
        EXPECT_EQ(Eval(s_->ui, std::string("GetProperty ('") + r.get + "')"), r.expected);
    }
    EXPECT_TRUE(Logged("UICompEmitter::GetProperty: Unknown Property 'emitter.cam'"));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('em:emitter.rate', 1)\nSetProperty ('em:emitter.cam_y', 9)"));
    EXPECT_TRUE(Logged("UICompEmitter::SetProperty: Unknown Property 'emitter.rate'"));
    EXPECT_FLOAT_EQ(em->particles.cam_y, 9.0f);
    em->initial_simulation_time = 0.25f;
    const std::string out = widgettest::Export(em);
    EXPECT_NE(out.find("SetProperty (\"emitter.fx\", \"fxs/fifty.lua\");\n"
                       "SetProperty (\"emitter.time_interval\", \"0.5\");\n"
                       "SetProperty (\"emitter.initial_simulation_time\", \"0.25\");\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("cam"), std::string::npos);
    UIComp *clone = em->Clone("twin");
    UICompEmitter *twin = dynamic_cast<UICompEmitter *>(clone);
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->fx, em->fx);
    EXPECT_FLOAT_EQ(twin->time_interval, 0.5f);
    EXPECT_FLOAT_EQ(twin->initial_simulation_time, 0.25f);
    EXPECT_EQ(twin->particles.GetPoolSize(), 128);   // no rescale, no pre-simulation
    EXPECT_EQ(twin->emit_timer, 0.0f);
    delete clone;
    // The edit mode sets the interval from the cursor across the program screen.
    mpos = {200, 0};
    em->EditUpdate(0.0f);
    EXPECT_FLOAT_EQ(em->time_interval, 2.0f * 200.0f / 800.0f);
}

}  // namespace
