// The renderer initialisation's failure and rollback paths, with a test renderer
// whose Initialize fails a chosen number of times.
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/headless_engine.h"

#include "gfx/rendimp-null.h"

using namespace gfxtest;

namespace {

// Draws nothing; Initialize fails while failures_left is above 0.
class FailingRenderer : public RendImpNull {
public:
    int failures_left = 0;
    int init_calls = 0;
    std::vector<int> widths;
    const char *GetName() override { return "Failing"; }
    bool Initialize(orvex_t *, ov_state_t *, ov_parms_t *parms) override
    {
        init_calls++;
        widths.push_back(parms->width);
        if (failures_left > 0) {
            failures_left--;
            return false;
        }
        return true;
    }
};

FailingRenderer s_renderer;

class RendererFailure : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        s_renderer = FailingRenderer();
        OVID_SetRendImpOverride(&s_renderer);
        PreInit();
    }
};

const char kGiveUp[] = "Unable to initialize the renderer.";

}  // namespace

TEST_F(RendererFailure, FailureWithNothingToRollBackToGivesUp)
{
    ASSERT_TRUE(OVI_Init());
    s_renderer.failures_left = 1;  // the requested size is the one in use: nothing to roll back to
    EXPECT_FALSE(OVI_InitRendImp());
    EXPECT_TRUE(Logged(kGiveUp));
    EXPECT_FALSE(Logged("Rolling back parms.."));
    EXPECT_EQ(ov_state.renderer_ready, 0);
}

TEST_F(RendererFailure, ChangedSizeRollsBackToThePreviousParameters)
{
    ASSERT_TRUE(OVI_Init());
    ASSERT_EQ(ov_parms.width, 1024);
    s_renderer.widths.clear();
    s_renderer.failures_left = 1;
    ov_prog->parms.width = 800;
    ov_prog->parms.height = 600;
    EXPECT_TRUE(OVI_InitRendImp());
    EXPECT_TRUE(Logged("Rolling back parms.."));
    EXPECT_EQ(s_renderer.widths, (std::vector<int>{800, 1024}));
    EXPECT_EQ(ov_parms.width, 1024);
    EXPECT_EQ(ov_state.renderer_ready, 1);
}

// The application starts before the renderer; when no renderer comes up the run ends
// without the engine's shutdown, so the application is told to stop (its workers see
// the quit flag) and shut down once, here.
TEST_F(RendererFailure, NoRendererAtStartShutsTheStartedApplicationDownOnce)
{
    static int init_calls, shutdown_calls;
    static bool quit_seen_at_shutdown;
    init_calls = shutdown_calls = 0;
    quit_seen_at_shutdown = false;
    app.init = [] {
        init_calls++;
        return 1;
    };
    app.shutdown = [] {
        shutdown_calls++;
        quit_seen_at_shutdown = __atomic_load_n(&ov_prog->parms.quit, __ATOMIC_ACQUIRE) != 0;
    };
    s_renderer.failures_left = 1000;
    EXPECT_FALSE(OVI_Init());
    EXPECT_EQ(init_calls, 1);
    EXPECT_EQ(shutdown_calls, 1);
    EXPECT_TRUE(quit_seen_at_shutdown);
    EXPECT_EQ(ov_state.app_initialized, 0);
    EXPECT_EQ(ov_state.core_ready, 0);
    EXPECT_TRUE(Logged("Unable to initialize the renderer ('"));
    enginetest::CloseEngine(true);  // the teardown's shutdown does not call it again
    started_ = false;
    EXPECT_EQ(shutdown_calls, 1);
}

TEST_F(RendererFailure, ThirdConsecutiveFailureRaisesThePopup)
{
    ASSERT_TRUE(OVI_Init());
    // Each round tries the requested size, then rolls back; only the first attempt of a
    // round counts, so the third counted failure comes with the fifth call.
    s_renderer.failures_left = 5;
    ov_prog->parms.width = 800;
    ov_prog->parms.height = 600;
    EXPECT_FALSE(OVI_InitRendImp());
    EXPECT_EQ(CountLogged("Rolling back parms.."), 2);
    EXPECT_TRUE(Logged(kGiveUp));
    EXPECT_EQ(s_renderer.init_calls, 1 + 5);
    EXPECT_EQ(ov_state.renderer_ready, 0);
}

TEST_F(RendererFailure, SmallFullScreenSizeInitialisesWindowed)
{
    ov_prog->parms.windowed = 0;
    ov_prog->parms.width = 320;
    ov_prog->parms.height = 240;
    EXPECT_TRUE(OVI_InitRendImp());
    EXPECT_TRUE(Logged("Initializing RendImp: 320x240 windowed.."));
    EXPECT_EQ(ov_parms.windowed, 1);
}

TEST_F(RendererFailure, NoRendererCannotInitialise)
{
    OVI_FinalShutdownRendImp();
    EXPECT_FALSE(OVI_InitRendImp());
    EXPECT_TRUE(Logged("Renderer doesn't exist, can't continue with init."));
}
