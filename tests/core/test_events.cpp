// Platform events injected through the headless device layer arrive as engine events
// and key states; the event requests of start-up and their failures.
#include "tests/support/engine_harness.h"

#include "core/console.h"
#include "platform/events.h"
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
    // Hands the next platform event to the engine, as the main loop does.
    void DeliverOne()
    {
        ovdev::bps_event_t *ev = nullptr;
        ASSERT_EQ(ovdev::bps_get_event(&ev, 0), 0);
        ASSERT_NE(ev, nullptr);
        HandleScreenEvent(ev);
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

// Every key is held from its press to its release: the press gives the key-down and
// the character it types, the key-up waits for the release.
TEST_F(Events, EveryKeyIsHeldFromItsPressToItsRelease)
{
    struct Case {
        int sym, key;
        bool types_char;
    } cases[] = {
        {'q', 113, true}, {'X', 88, true},  {'1', '1', true},  {' ', 32, true},
        {0xF051, 37, false}, {0xF0BE, 112, false}, {0xF0E9, 18, false}, {0xF0EA, 18, false},
        {0xF0E3, 17, false}, {0xF0E2, 16, false},
    };
    StartWithRequests();
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.sym);
        app.events.clear();
        app.key_state_at_event.clear();
        hl::inject_key(c.sym, true);
        DeliverOne();
        ASSERT_EQ(app.events.size(), c.types_char ? 2u : 1u);
        EXPECT_EQ(app.events[0].type, OV_EVENT_KEY_DOWN);
        EXPECT_EQ(app.events[0].key, c.key);
        EXPECT_EQ(app.key_state_at_event[0], 3);
        if (c.types_char) {
            EXPECT_EQ(app.events[1].type, OV_EVENT_CHAR);
            EXPECT_EQ(app.events[1].character, c.sym);
        }
        EXPECT_EQ(ov->OV_GetKeyStatei(c.key), 3) << "pressed since the last read, and held";
        EXPECT_EQ(ov->OV_GetKeyStatei(c.key), 2) << "still held";
        app.events.clear();
        app.key_state_at_event.clear();
        hl::inject_key(c.sym, false);
        DeliverOne();
        ASSERT_EQ(app.events.size(), 1u) << "the release types nothing";
        EXPECT_EQ(app.events[0].type, OV_EVENT_KEY_UP);
        EXPECT_EQ(app.events[0].key, c.key);
        EXPECT_EQ(app.key_state_at_event[0], 0);
    }
}

// Keys pressed while another is held come between its down and up, in the main loop as
// the platform delivers them: MENU + X, Ctrl + E.
TEST_F(Events, KeysPressedMeanwhileComeBetweenTheDownAndUpOfAHeldKey)
{
    StartWithRequests();
    hl::inject_key(ovdev::KEYCODE_LEFT_ALT, true);
    hl::inject_key('X', true);
    hl::inject_key('X', false);
    hl::inject_key(ovdev::KEYCODE_LEFT_ALT, false);
    hl::inject_key(ovdev::KEYCODE_LEFT_CTRL, true);
    hl::inject_key('e', true);
    hl::inject_key('e', false);
    hl::inject_key(ovdev::KEYCODE_LEFT_CTRL, false);
    RunUntilExit();
    const struct {
        int type, key, state;
    } expected[] = {{OV_EVENT_KEY_DOWN, 18, 3}, {OV_EVENT_KEY_DOWN, 'X', 3}, {OV_EVENT_CHAR, 0, -1},
                    {OV_EVENT_KEY_UP, 'X', 0},  {OV_EVENT_KEY_UP, 18, 0},   {OV_EVENT_KEY_DOWN, 17, 3},
                    {OV_EVENT_KEY_DOWN, 'e', 3}, {OV_EVENT_CHAR, 0, -1},    {OV_EVENT_KEY_UP, 'e', 0},
                    {OV_EVENT_KEY_UP, 17, 0}};
    ASSERT_EQ(app.events.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < app.events.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(app.events[i].type, expected[i].type);
        if (expected[i].type != OV_EVENT_CHAR) {
            EXPECT_EQ(app.events[i].key, expected[i].key);
            EXPECT_EQ(app.key_state_at_event[i], expected[i].state);
        }
    }
}

// The desktop's forms: a key by its label alone (its character comes apart, from text
// input) and a character typed without a key; neither leaves a key held that its own
// release does not free.
TEST_F(Events, AKeyByItsLabelAndACharacterAloneAreHeldAndTypedApart)
{
    StartWithRequests();
    const struct {
        ovdev::RawEvent event;
        std::vector<std::pair<int, int>> engine;  // (type, key or character)
        int held_r;                               // key 82 afterwards
    } steps[] = {
        {ovdev::MakeKeyCapEvent('R', true), {{OV_EVENT_KEY_DOWN, 'R'}}, 2},
        {ovdev::MakeCharEvent('r'), {{OV_EVENT_CHAR, 'r'}}, 2},
        {ovdev::MakeCharEvent(0xF051), {}, 2},   // an arrow types nothing
        {ovdev::MakeCharEvent(0xE4), {{OV_EVENT_CHAR, 0xE4}}, 2},
        {ovdev::MakeKeyCapEvent('R', false), {{OV_EVENT_KEY_UP, 'R'}}, 0},
        {ovdev::MakeKeyCapEvent(0xA7, true), {{OV_EVENT_KEY_DOWN, 0}}, 0},  // a key the engine does not name
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; i++) {
        SCOPED_TRACE(i);
        app.events.clear();
        ASSERT_TRUE(hl::inject_raw(steps[i].event.domain, steps[i].event.code, steps[i].event.properties));
        DeliverOne();
        ASSERT_EQ(app.events.size(), steps[i].engine.size());
        for (size_t k = 0; k < app.events.size(); k++) {
            EXPECT_EQ(app.events[k].type, steps[i].engine[k].first);
            if (app.events[k].type == OV_EVENT_CHAR)
                EXPECT_EQ(app.events[k].character, (uint8_t)steps[i].engine[k].second);
            else
                EXPECT_EQ(app.events[k].key, steps[i].engine[k].second);
        }
        EXPECT_EQ(ov_state.key_i['R'] & 2, steps[i].held_r);
    }
    EXPECT_EQ(ov_state.key_i[0], 0);
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
        {0xF0C9, 123, false}, {0xF01B, 27, false}, {0xF0E9, 18, false}, {0xF0EA, 18, false},
    };
    StartWithRequests();
    for (const Case &c : cases) {
        app.events.clear();
        hl::inject_key(c.sym, true);
        DeliverOne();
        EXPECT_EQ(OVI_MapKeySymbol(c.sym), c.key) << std::hex << c.sym;
        ASSERT_EQ(app.events.size(), c.types_char ? 2u : 1u) << std::hex << c.sym;
        EXPECT_EQ(app.events[0].key, c.key);
        hl::inject_key(c.sym, false);
        DeliverOne();
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

// The window's close button goes to the program as a close request: answered 2 (the
// program asks the player first) the engine keeps running, otherwise it shuts down.
TEST_F(Events, CloseRequestEndsUnlessTheProgramAsksFirst)
{
    StartWithRequests();
    for (int answer : {2, 0}) {
        SCOPED_TRACE(answer);
        close_answer = answer;
        app.events.clear();
        ASSERT_TRUE(hl::inject_window_close());
        ovdev::bps_event_t *ev = nullptr;
        ASSERT_EQ(ovdev::bps_get_event(&ev, 0), 0);
        ASSERT_NE(ev, nullptr);
        HandleNavigatorEvent(ev);
        EXPECT_EQ(EventsOfType(OV_EVENT_WINDOW_CLOSED).size(), 1u);
        EXPECT_EQ(ov_state.shutdown_requested != 0, answer != 2);
    }
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

// Characters typed on a keyboard, as the headless script's "key" lines give them:
// printable Latin-1 characters reach the application with their codes (their key
// events keep code 0), and the console's key ('\xa7', 167) opens the console.
TEST_F(Events, TypedCharactersCarryTheirCodesAndTheConsoleKeyOpensTheConsole)
{
    StartWithRequests();
    std::vector<hl::ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(hl::parse_script("key '.' press\nkey '@' press\nkey '-' press\nkey '~' press\nkey '!' press\n"
                                 "key 'ä' press\nkey 0xFF press\nkey 0xA0 press\nkey 'q' press\n"
                                 "key '§' press\nexit\n",
                                 &steps, &error))
        << error;
    ASSERT_TRUE(hl::play_script(steps));
    FakeClock::Install(1);
    OVI_RunMainLoop();
    FakeClock::Uninstall();

    const int typed[] = {'.', '@', '-', '~', '!', 0xE4, 0xFF, 0xA0, 'q'};
    const std::vector<ov_event_t> chars = EventsOfType(OV_EVENT_CHAR);
    ASSERT_EQ(chars.size(), sizeof typed / sizeof typed[0]) << "the console key reaches no application";
    for (size_t i = 0; i < chars.size(); i++)
        EXPECT_EQ((uint8_t)chars[i].character, typed[i]) << i;
    const std::vector<ov_event_t> downs = EventsOfType(OV_EVENT_KEY_DOWN);
    ASSERT_EQ(downs.size(), 10u);
    for (size_t i = 0; i < 8; i++)
        EXPECT_EQ(downs[i].key, 0) << "key events of punctuation keep code 0: " << i;
    EXPECT_EQ(downs[8].key, 'q');
    EXPECT_EQ(ov_state.key_i[0], 0);
    EXPECT_TRUE(ov_con.visible) << "the console key opened the console";
    EXPECT_EQ(record.parms.console_visible, 1);
}

TEST_F(Events, ControlAndNonTypingKeysTypeNoCharacterCode)
{
    StartWithRequests();
    const int syms[] = {0x7F, 0x9F, 0x1F, 0x100, 0x20AC};
    for (int sym : syms) {
        SCOPED_TRACE(sym);
        app.events.clear();
        hl::inject_key(sym, true);
        ovdev::bps_event_t *ev = nullptr;
        ASSERT_EQ(ovdev::bps_get_event(&ev, 0), 0);
        ASSERT_NE(ev, nullptr);
        HandleScreenEvent(ev);
        ASSERT_EQ(EventsOfType(OV_EVENT_CHAR).size(), 1u);
        EXPECT_EQ(EventsOfType(OV_EVENT_CHAR)[0].character, 0);
    }
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

// ---- typing on the desktop (only in builds with the SDL2 desktop backend)
#if __has_include(<SDL.h>)
#include "gfx/rendimp-null.h"

#include <SDL.h>

#include <stdlib.h>

// The desktop window here is SDL's dummy one, which EGL cannot draw into: the null
// renderer stands in, as it does where no renderer can start.
class DesktopTyping : public Events {
protected:
    void SetUp() override
    {
        Events::SetUp();
        OVID_SetRendImpOverride(&renderer);
        ASSERT_EQ(setenv("SDL_VIDEODRIVER", "dummy", 1), 0);
        std::string error;
        ASSERT_TRUE(ovdev::UseDesktopBackend(&error)) << error;
    }
    void TearDown() override
    {
        Events::TearDown();
        OVID_SetRendImpOverride(nullptr);
        hl::reset();
        unsetenv("SDL_VIDEODRIVER");
    }
    RendImpNull renderer;
    static void PushText(const char *utf8)
    {
        SDL_Event e = {};
        e.type = SDL_TEXTINPUT;
        snprintf(e.text.text, sizeof e.text.text, "%s", utf8);
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
};

// SDL's text input, as a desktop keyboard types it, reaches the application as
// characters, and '§' opens the console.
TEST_F(DesktopTyping, TextInputCarriesItsCharactersAndTheConsoleKeyOpensTheConsole)
{
    StartWithRequests();
    ASSERT_STREQ(ovdev::BackendName(), "desktop");
    PushText(".@-");
    PushText("\xc3\xa4");  // ä
    PushText("a");
    PushText("\xc2\xa7");  // §
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    FakeClock::Install(1);
    OVI_RunMainLoop();
    FakeClock::Uninstall();
    const int typed[] = {'.', '@', '-', 0xE4, 'a'};
    const std::vector<ov_event_t> chars = EventsOfType(OV_EVENT_CHAR);
    ASSERT_EQ(chars.size(), sizeof typed / sizeof typed[0]);
    for (size_t i = 0; i < chars.size(); i++)
        EXPECT_EQ((uint8_t)chars[i].character, typed[i]) << i;
    EXPECT_TRUE(ov_con.visible);
    EXPECT_EQ(record.parms.console_visible, 1);
}
#endif
