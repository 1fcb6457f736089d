// Start-up, initialisation and shutdown of the whole engine with a test application.
#include "tests/support/engine_harness.h"

#include "core/console.h"
#include "gfx/rendimp-null.h"
#include "platform/headless.h"

#include <atomic>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

using namespace harness;

class Lifecycle : public EngineTest {};

TEST_F(Lifecycle, StartsAndShutsDownInOrderWithHooksOnce)
{
    StartEngine();
    EXPECT_EQ(ov, &orvex);
    EXPECT_EQ(record.interface, &orvex);
    EXPECT_EQ(app.init_calls, 1);
    EXPECT_TRUE(ov_state.core_ready);
    EXPECT_TRUE(ov_state.app_initialized);
    EXPECT_TRUE(Logged("ORVEX Core PreInitialized."));
    EXPECT_TRUE(Logged("Initializing Program 'Test Game'.."));
    ORVEX_Shutdown();
    EXPECT_EQ(app.shutdown_calls, 1);
    EXPECT_EQ(ov_prog, nullptr);
}

TEST_F(Lifecycle, PreInitEventCarriesTheTableAndParameters)
{
    StartEngine();
    ASSERT_FALSE(app.events.empty());
    // Events before initialisation are not delivered, so the first one is the direct pre-init call.
    const ov_event_t &ev = app.events.front();
    EXPECT_EQ(ev.type, OV_EVENT_PREINIT);
    EXPECT_EQ(ev.ptr, &orvex);
    EXPECT_EQ(ev.ptr2, &record.parms);
}

TEST_F(Lifecycle, NoRecordFailsPreInit)
{
    offer_no_record = true;
    EXPECT_FALSE(OVI_PreInit(nullptr));
}

TEST_F(Lifecycle, WrongInterfaceVersionRunsNullApplication)
{
    bool first = true;
    for (int version : {1200, 1202}) {
        if (!first) {
            TearDown();
            SetUp();
        }
        first = false;
        record.interface_version = version;
        // The record is checked before the log console exists: the message goes to stderr.
        testing::internal::CaptureStderr();
        StartEngine();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ov_prog, &ov_null_prog);
        EXPECT_TRUE(ov_state.version_mismatch);
        char expected[160];
        snprintf(expected, sizeof expected,
                 "OV: Program library uses incompatible ORVEX interface (%.4d instead of %.4d). This program cannot run.",
                 version, OV_INTERFACE_VERSION);
        EXPECT_NE(err.find(expected), std::string::npos) << err;
        EXPECT_EQ(app.init_calls, 0);
        // The null application ignores events.
        ov_event_t ev = {};
        ev.type = OV_EVENT_KEY_DOWN;
        EXPECT_EQ(OVI_SendEvent(&ev), 0);
        ORVEX_Shutdown();
        EXPECT_EQ(ov_prog, &ov_null_prog) << "a version mismatch keeps the null application through shutdown";
        ov = nullptr;
    }
}

TEST_F(Lifecycle, InitFailureSkipsShutdownHookButKeepsRunning)
{
    switches.developer_mode = true;
    init_result = 0;
    StartEngine();
    EXPECT_FALSE(ov_state.app_initialized);
    EXPECT_TRUE(Logged("OV: Program initialization failed."));
    OVI_Frame(16);
    EXPECT_EQ(app.updates.size(), 1u) << "the frame still runs the hooks";
    ORVEX_Shutdown();
    EXPECT_EQ(app.shutdown_calls, 0);
}

TEST_F(Lifecycle, MinFrameTimeIsSetWhenTheRecordLoads)
{
    record.parms.min_frame_ms = 123;
    StartEngine();
    EXPECT_EQ(record.parms.min_frame_ms, 8);
    EXPECT_EQ(record.parms.command_line, nullptr);
}

TEST_F(Lifecycle, InterfaceTableIsFullAndExtensionTableHasItsSixEntries)
{
    StartEngine();
    void **slots = (void **)&orvex;
    static_assert(sizeof(orvex_t) == 125 * sizeof(void *), "125 pointer-sized slots");
    for (int i = 0; i < 124; i++)
        EXPECT_NE(slots[i], nullptr) << "slot " << i;
    ASSERT_EQ(orvex.ext, ov_ext);
    for (int i = 0; i < OV_EXT_SLOTS; i++)
        EXPECT_EQ(orvex.ext[i] != nullptr, i < 5 || i == OV_EXT_GET_SOUND_LENGTH) << "extension slot " << i;
    EXPECT_EQ(orvex.ext[5], nullptr);
}

TEST_F(Lifecycle, MissingIdentityTextsRaisePopupsInDeveloperMode)
{
    switches.developer_mode = true;  // the record has it from the settings, before initialisation
    record.id[0] = 0;
    record.version[0] = 0;
    StartEngine();
    EXPECT_FALSE(Logged("Program doesn't have parm title set"));
    EXPECT_TRUE(Logged("OV: Program doesn't have parm id set: set value prog->id"));
    EXPECT_TRUE(Logged("OV: Program doesn't have parm version: set value prog->version to e.g. \"1.0.0\""));
    EXPECT_TRUE(Logged("OV: Program doesn't have parm developer: set value prog->developer_name"));
}

TEST_F(Lifecycle, ParameterValidationForcesWindowedBelow640x480)
{
    struct Case {
        int w, h, windowed, expect;
    } cases[] = {{639, 480, 0, 1}, {640, 479, 0, 1}, {640, 480, 0, 0}, {320, 200, 1, 1}, {1024, 600, 1, 1}};
    for (const Case &c : cases) {
        ov_parms_t p = {};
        p.width = c.w;
        p.height = c.h;
        p.windowed = (uint8_t)c.windowed;
        OVI_ValidateParms(&p);
        EXPECT_EQ(p.windowed, c.expect) << c.w << "x" << c.h;
    }
}

TEST_F(Lifecycle, UserDirectoryNames)
{
    struct Case {
        const char *developer, *title, *dev_dir, *prog_dir;
    } cases[] = {
        {"", "My Game!", "Talvik", "My_Game_"},
        {nullptr, "", "Talvik", "unknown"},
        {"Studio-9", "a/../b", "Studio-9", "a____b"},
        {"x", "0123456789012345678901234567890123456789", "x", "0123456789012345678901234567890"},
    };
    for (const Case &c : cases) {
        char dev[32], prog[32];
        OVI_DeveloperDirName(c.developer, dev);
        OVI_ProgramDirName(c.title, prog);
        EXPECT_STREQ(dev, c.dev_dir);
        EXPECT_STREQ(prog, c.prog_dir);
    }
}

TEST_F(Lifecycle, UserDirectoriesAreCreatedUnderData)
{
    strcpy(record.title, "My Game!");
    StartEngine();
    EXPECT_TRUE(FileExists("data/Talvik/My_Game_"));
    EXPECT_STREQ(ov->OV_GetPath(OV_PATH_USER, "logs"), "user://logs");
}

TEST_F(Lifecycle, ZeroWidthRecordRunsAtTheDeviceSize)
{
    record.parms.width = 0;
    StartEngine();
    EXPECT_TRUE(Logged("Important parameter is 0: width=0 height=600"));
    EXPECT_EQ(record.parms.width, 1024);
    EXPECT_EQ(record.parms.height, 600);
}

TEST_F(Lifecycle, LandscapeRecordOnLandscapeDeviceKeepsSizeAndMask3)
{
    StartEngine();
    EXPECT_EQ(record.parms.width, 1024);
    EXPECT_EQ(record.parms.height, 600);
    EXPECT_EQ(ov_state.allowed_orientations, 3);
    EXPECT_EQ(ov_device_info.orientation, 4);
}

namespace {
int developer_mode_at_preinit = -1;
int RecordDeveloperModeAtPreInit(ov_event_t ev)
{
    if (ev.type == OV_EVENT_PREINIT)
        developer_mode_at_preinit = record.parms.developer_mode;
    return 0;
}
}  // namespace

TEST_F(Lifecycle, PreInitEventSeesTheDeveloperModeOfTheSettings)
{
    for (bool developer : {true, false}) {
        SCOPED_TRACE(developer ? "developer mode" : "player mode");
        TearDown();
        SetUp();
        switches.developer_mode = developer;
        record.EventProc = RecordDeveloperModeAtPreInit;
        developer_mode_at_preinit = -1;
        StartEngine();
        EXPECT_EQ(developer_mode_at_preinit, developer ? 1 : 0);
        EXPECT_EQ(record.parms.developer_mode, developer ? 1 : 0);
    }
}

TEST_F(Lifecycle, SignalShutdownSetsQuit)
{
    StartEngine();
    EXPECT_EQ(ov->OV_SignalShutdown(), 1);
    EXPECT_TRUE(ov_state.shutdown_requested);
    EXPECT_EQ(record.parms.quit, 1);
}

namespace {
std::atomic<bool> release_worker{false};
void StuckWorker(void *)
{
    while (!release_worker.load())
        usleep(1000);
}
void QuickWorker(void *) {}
}  // namespace

TEST_F(Lifecycle, ShutdownWaitsAtMostSixtyTimesFiftyMsForAStuckThread)
{
    StartEngine();
    FakeClock::Install();
    release_worker = false;
    ASSERT_GT(ov->OV_CreateThread("stuck", StuckWorker, nullptr, 0), 0);
    ORVEX_Shutdown();
    EXPECT_EQ(FakeClock::sleeps_us.size(), 60u);
    for (unsigned us : FakeClock::sleeps_us)
        EXPECT_EQ(us, 50000u);
    std::string log = ReadFile(std::string(ov_con.log_path));
    EXPECT_NE(log.find("Time out: 1 threads left running!"), std::string::npos);
    release_worker = true;
    while (OVT_GetNumberOfThreadsRunning() > 0)
        usleep(1000);
}

TEST_F(Lifecycle, ShutdownDoesNotSleepWithoutThreads)
{
    StartEngine();
    ov->OV_CreateThread("quick", QuickWorker, nullptr, 0);
    while (OVT_GetNumberOfThreadsRunning() > 0)
        usleep(1000);
    FakeClock::Install();
    ORVEX_Shutdown();
    EXPECT_TRUE(FakeClock::sleeps_us.empty());
}

namespace {
// A renderer that records the eye mode of each frame start.
class EyeRecorder : public RendImpNull {
public:
    std::vector<int> eyes;
    void FrameStart(ov_eye_mode_t eye) override { eyes.push_back(eye); }
};
}  // namespace

// What the application still holds at exit is reported as a warning and released when
// it counts references, and released without a word when it does not.
TEST_F(Lifecycle, ResourcesHeldAtExitAreReportedOnlyWithReferenceCounting)
{
    const bool counting_cases[] = {true, false};
    bool first = true;
    for (bool counting : counting_cases) {
        SCOPED_TRACE(counting);
        if (!first) {
            TearDown();
            SetUp();
        }
        first = false;
        switches.verbose_level = OV_WARNING;  // the log file keeps warnings and above only
        record.parms.reference_counting = counting ? 1 : 0;
        StartEngine();
        ASSERT_NE(ov->OV_CreateBitmap("held", 8, 8, 0), nullptr);
        ASSERT_NE(ov->OV_LoadFont("fonts/held.mft"), nullptr);
        ASSERT_NE(ov->OV_LoadFont("fonts/held.mft"), nullptr);
        ORVEX_Shutdown();
        const std::string log = ReadFile("data/Talvik/Test_Game/logs/orvex-0001.log");
        ASSERT_NE(log.find("ORVEX Shutdown."), std::string::npos) << log;
        EXPECT_EQ(log.find("Bitmap 'held' Reference count 1 at exit, releasing...\n") != std::string::npos, counting)
            << log;
        EXPECT_EQ(log.find("Font 'fonts/held.mft' Reference count 2 at exit, releasing...\n") != std::string::npos,
                  counting)
            << log;
        EXPECT_EQ(log.find("at exit (ref count"), std::string::npos);
    }
}

TEST_F(Lifecycle, StereoFrameDrawsTwiceAndUpdatesOnce)
{
    EyeRecorder recorder;
    OVID_SetRendImpOverride(&recorder);
    StartEngine();
    ov_state.render_stereo = 1;
    OVI_Frame(16);
    EXPECT_EQ(app.updates.size(), 1u);
    EXPECT_EQ(app.draws.size(), 2u);
    EXPECT_EQ(recorder.eyes, (std::vector<int>{1, 2}));
    EXPECT_EQ(app.draw_eye_modes, (std::vector<int>{1, 2}));
    ov_state.render_stereo = 0;
    OVI_Frame(16);
    EXPECT_EQ(recorder.eyes.back(), 0);
    ORVEX_Shutdown();
    OVID_SetRendImpOverride(nullptr);
}

// ---- the window's title

namespace {
// res://prog.xml naming the program.
void WriteProgXmlNamed(const char *name)
{
    std::string text = std::string("<?xml version=\"1.0\"?>\n<root>\n\t<array id=\"PARAMETERS\">\n"
                                   "\t\t<node id=\"APPLICATION\" name=\"") +
                       name + "\" />\n\t</array>\n\t<array id=\"VARIANTS\">\n\t\t<node id=\"QNX\" />\n"
                              "\t</array>\n</root>\n";
    FILE *f = fopen("app/native/prog.xml", "wb");
    ASSERT_NE(f, nullptr);
    fputs(text.c_str(), f);
    fclose(f);
}
}  // namespace

TEST_F(Lifecycle, TheWindowTitleIsTheProgramsTitleFromProgXml)
{
    WriteProgXmlNamed("Crystal Siege");
    StartEngine();
    EXPECT_STREQ(record.title, "Crystal Siege");
    EXPECT_EQ(ovdev::headless::window_title(), "Crystal Siege");
}

#if __has_include(<SDL.h>)
#include <SDL.h>

#include "platform/device.h"

// The desktop's own window shows it (SDL's dummy window here: the null renderer draws).
TEST_F(Lifecycle, TheDesktopWindowShowsTheProgramsTitle)
{
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "dummy", 1), 0);
    std::string error;
    ASSERT_TRUE(ovdev::UseDesktopBackend(&error)) << error;
    RendImpNull renderer;
    OVID_SetRendImpOverride(&renderer);
    WriteProgXmlNamed("Crystal Siege");
    StartEngine();
    SDL_Window *window = nullptr;
    for (Uint32 id = 1; id < 64 && !window; ++id)
        window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Crystal Siege");
    ORVEX_Shutdown();
    OVID_SetRendImpOverride(nullptr);
    ovdev::headless::reset();
    unsetenv("SDL_VIDEODRIVER");
}
#endif
