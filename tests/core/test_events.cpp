// Platform events injected through the headless device layer arrive as engine events
// and key states; the event requests of start-up and their failures.
#include "tests/support/engine_harness.h"

#include "core/console.h"
#include "platform/headless.h"
#include "platform/navigator.h"
#include "platform/screen.h"

using namespace harness;
namespace hl = ovdev::headless;

class Events : public EngineTest {
protected:
    // Starts the engine and makes the requests main makes, so injected events queue.
    void StartWithRequests()
    {
        StartEngine();
        ASSERT_EQ(ovdev::bps_initialize(), 0);
        ASSERT_EQ(ovdev::screen_create_context(&context, 0), 0);
        ASSERT_EQ(ovdev::screen_request_events(context), 0);
        ASSERT_EQ(ovdev::navigator_request_events(0), 0);
        app.events.clear();
        app.key_state_at_event.clear();
    }
    // Runs the loop until the injected exit ends it.
    void RunUntilExit()
    {
        hl::inject_exit();
        FakeClock::Install(1);
        OVI_RunMainLoop();
        FakeClock::Uninstall();
    }
    std::vector<ov_event_t> EventsOfType(int type)
    {
        std::vector<ov_event_t> out;
        for (const ov_event_t &e : app.events)
            if (e.type == type)
                out.push_back(e);
        return out;
    }
    ovdev::screen_context_t context = nullptr;
};

TEST_F(Events, TouchesBecomeButtonAndMoveEventsWithPreviousPositions)
{
    StartWithRequests();
    hl::inject_touch(hl::TouchPhase::Down, 3, 10, 20);
    hl::inject_touch(hl::TouchPhase::Move, 3, 15, 25);
    hl::inject_touch(hl::TouchPhase::Up, 3, 15, 25);
    RunUntilExit();
    ASSERT_EQ(app.events.size(), 3u);
    EXPECT_EQ(app.events[0].type, OV_EVENT_BUTTON_DOWN);
    EXPECT_EQ(app.events[0].button, 510);
    EXPECT_EQ(app.events[1].type, OV_EVENT_POINTER_MOVE);
    EXPECT_EQ(app.events[1].index, 3);
    EXPECT_EQ(app.events[1].x, 15);
    EXPECT_EQ(app.events[1].y, 25);
    EXPECT_EQ(app.events[1].prev_x, 10);
    EXPECT_EQ(app.events[1].prev_y, 20);
    EXPECT_EQ(app.events[2].type, OV_EVENT_BUTTON_UP);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(584), 15.0f);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(585), 25.0f);
    EXPECT_EQ(ov_state.key_i[510], 0) << "only pointer 0 drives the primary button";
}

TEST_F(Events, PrimaryTouchDrivesPointerKeys)
{
    StartWithRequests();
    hl::inject_touch(hl::TouchPhase::Down, 0, 40, 50);
    RunUntilExit();
    EXPECT_EQ(ov_state.key_i[510], 2);
    EXPECT_EQ(ov_state.key_i[504], 40);
    EXPECT_EQ(ov_state.key_i[505], 50);
    EXPECT_FLOAT_EQ(ov_state.key_f[524], 40.0f);
}

TEST_F(Events, MouseHeldAcrossPointerEventsGivesOneDownAndOneUp)
{
    StartWithRequests();
    hl::inject_pointer(5, 5, 0);
    hl::inject_pointer(6, 6, 1);
    hl::inject_pointer(7, 7, 1);
    hl::inject_pointer(8, 8, 1);
    hl::inject_pointer(9, 9, 0);
    RunUntilExit();
    EXPECT_EQ(EventsOfType(OV_EVENT_POINTER_MOVE).size(), 5u);
    std::vector<ov_event_t> downs = EventsOfType(OV_EVENT_BUTTON_DOWN), ups = EventsOfType(OV_EVENT_BUTTON_UP);
    ASSERT_EQ(downs.size(), 1u);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(downs[0].x, 6);
    EXPECT_EQ(ups[0].x, 9);
}

TEST_F(Events, LetterKeyGivesDownCharUpWithKeyStates)
{
    StartWithRequests();
    hl::inject_key('q', true);
    hl::inject_key('q', false);  // a release report sends nothing
    RunUntilExit();
    ASSERT_EQ(app.events.size(), 3u);
    EXPECT_EQ(app.events[0].type, OV_EVENT_KEY_DOWN);
    EXPECT_EQ(app.events[0].key, 113);
    EXPECT_EQ(app.key_state_at_event[0], 3);
    EXPECT_EQ(app.events[1].type, OV_EVENT_CHAR);
    EXPECT_EQ(app.events[1].character, 113);
    EXPECT_EQ(app.events[2].type, OV_EVENT_KEY_UP);
    EXPECT_EQ(app.key_state_at_event[2], 0);
}

TEST_F(Events, KeySymbolMapping)
{
    struct Case {
        int sym, key;
        bool types_char;
    } cases[] = {
        {'a', 'a', true},   {'Z', 'Z', true},  {'7', '7', true},   {' ', 32, true},
        {0xF008, 8, true},  {0xF00D, 13, true}, {'!', 0, true},    {0xF051, 37, false},
        {0xF052, 38, false}, {0xF055, 33, false}, {0xF0FF, 46, false}, {0xF0BE, 112, false},
        {0xF0C9, 123, false}, {0xF01B, 27, false},
    };
    StartWithRequests();
    for (const Case &c : cases) {
        app.events.clear();
        hl::inject_key(c.sym, true);
        ovdev::bps_event_t *ev = nullptr;
        ASSERT_EQ(ovdev::bps_get_event(&ev, 0), 0);
        ASSERT_NE(ev, nullptr);
        HandleScreenEvent(ev);
        EXPECT_EQ(OVI_MapKeySymbol(c.sym), c.key) << std::hex << c.sym;
        ASSERT_EQ(app.events.size(), c.types_char ? 3u : 2u) << std::hex << c.sym;
        EXPECT_EQ(app.events[0].key, c.key);
    }
    // Punctuation gives key code 0 and changes no key state.
    EXPECT_EQ(ov_state.key_i[0], 0);
}

TEST_F(Events, KeyStateReadClearsThePressedBitBelow1280)
{
    StartEngine();
    ov->OV_SetKeyStatei(113, 3);
    EXPECT_EQ(ov->OV_GetKeyStatei(113), 3);
    EXPECT_EQ(ov->OV_GetKeyStatei(113), 2);
    ov->OV_SetKeyStatei(1500, 3);
    EXPECT_EQ(ov->OV_GetKeyStatei(1500), 3);
    EXPECT_EQ(ov->OV_GetKeyStatei(1500), 3);
    // Keys outside the table are ignored.
    ov->OV_SetKeyStatei(4000, 1);
    ov->OV_SetKeyStatei(-1, 1);
    EXPECT_EQ(ov->OV_GetKeyStatei(4000), 0);
    EXPECT_EQ(ov->OV_GetKeyStatei(-1), 0);
    EXPECT_EQ(ov->OV_GetKeyStatef(2048), 0.0f);
}

TEST_F(Events, SwipeDownSendsKey300DownAndUp)
{
    StartWithRequests();
    hl::inject_swipe_down();
    RunUntilExit();
    ASSERT_EQ(app.events.size(), 2u);
    EXPECT_EQ(app.events[0].type, OV_EVENT_KEY_DOWN);
    EXPECT_EQ(app.events[0].key, 300);
    EXPECT_EQ(app.events[1].type, OV_EVENT_KEY_UP);
    EXPECT_EQ(ov_state.key_i[300], 0);
}

TEST_F(Events, WindowStateChangesActivationAndClearsKeys)
{
    StartWithRequests();
    ov->OV_SetKeyStatei(65, 2);
    ov->OV_SetKeyStatei(255, 2);
    hl::inject_window_state(ovdev::NAVIGATOR_WINDOW_THUMBNAIL);
    RunUntilExit();
    ASSERT_EQ(EventsOfType(OV_EVENT_ACTIVATION).size(), 1u);
    EXPECT_EQ(EventsOfType(OV_EVENT_ACTIVATION)[0].inactive, 1);
    EXPECT_FALSE(ov_state.app_active);
    EXPECT_EQ(ov_state.key_i[65], 0);
    EXPECT_EQ(ov_state.key_i[255], 2) << "key 255 keeps its state";

    // Back to full screen (handled directly: the loop itself starts active).
    app.events.clear();
    ov_state.shutdown_requested = 0;  // no activation event is sent while shutting down
    hl::inject_window_state(ovdev::NAVIGATOR_WINDOW_FULLSCREEN);
    ovdev::bps_event_t *ev = nullptr;
    ASSERT_EQ(ovdev::bps_get_event(&ev, 0), 0);
    ASSERT_NE(ev, nullptr);
    HandleNavigatorEvent(ev);
    EXPECT_TRUE(ov_state.app_active);
    ASSERT_EQ(EventsOfType(OV_EVENT_ACTIVATION).size(), 1u);
    EXPECT_EQ(EventsOfType(OV_EVENT_ACTIVATION)[0].inactive, 0);
}

TEST_F(Events, ExitEndsTheLoopAfterItsTurn)
{
    StartWithRequests();
    RunUntilExit();
    EXPECT_TRUE(ov_state.shutdown_requested);
    EXPECT_EQ(app.updates.size(), 1u);
}

TEST_F(Events, ConsoleToggleCharacterNeverReachesTheApplication)
{
    StartEngine();
    ov_event_t ev = {};
    ev.type = OV_EVENT_CHAR;
    ev.character = 167;  // the default toggle key
    size_t before = app.events.size();
    EXPECT_EQ(OVI_SendEvent(&ev), 0);
    EXPECT_EQ(app.events.size(), before);
    EXPECT_TRUE(ov_con.visible);
    EXPECT_EQ(record.parms.console_visible, 1);
    OVI_SendEvent(&ev);
    EXPECT_FALSE(ov_con.visible);
}

// The three requests main makes: each failure prints its message, main returns
// non-zero and the engine is not shut down.
TEST_F(Events, EventRequestFailuresEndTheProgramWithoutShutdown)
{
    struct Case {
        const char *call, *message;
    } cases[] = {
        {"screen_request_events", "screen_request_events failed"},
        {"navigator_request_events", "navigator_request_events failed"},
        {"navigator_rotation_lock", "navigator_rotation_lock failed"},
    };
    bool first = true;
    for (const Case &c : cases) {
        if (!first) {
            TearDown();
            SetUp();
        }
        first = false;
        ASSERT_TRUE(hl::fail(c.call, 1));
        EXPECT_NE(OVI_Main(), 0) << c.call;
        EXPECT_TRUE(Logged(c.message)) << c.call;
        EXPECT_FALSE(Logged("ORVEX Shutdown.")) << c.call;
        EXPECT_EQ(app.shutdown_calls, 0);
        // The program would exit here; the test releases what the run set up.
            }
}

TEST_F(Events, MainRunsUntilExitAndShutsDownInOrder)
{
    std::vector<hl::ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(hl::parse_script("touch down 0 1 2\nkey 'x' press\nexit\n", &steps, &error)) << error;
    ASSERT_TRUE(hl::play_script(steps));
    EXPECT_EQ(OVI_Main(), 0);
    EXPECT_EQ(app.shutdown_calls, 1);
    std::string log = ReadFile("data/Talvik/Test_Game/logs/orvex-0001.log");
    size_t shutdown = log.find("ORVEX Shutdown."), stats = log.find("ORVEX log: ");
    ASSERT_NE(shutdown, std::string::npos);
    ASSERT_NE(stats, std::string::npos);
    EXPECT_LT(shutdown, stats);
    EXPECT_EQ(hl::rotation_lock(), std::optional<bool>(false));
    EXPECT_EQ(EventsOfType(OV_EVENT_BUTTON_DOWN).size(), 1u);
    ov = nullptr;  // already shut down by main
}
