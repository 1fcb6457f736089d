// The screen manager (`sman`): the stack of screens (bottom drawn first, top gets the
// input), their enter and leave procedures and fades, the frame update, the cursors
// that turn pointer and game-pad input into hover, lock, click and focus on
// components, screen messages, the virtual screen the UI is laid out in, the
// component templates and the drawing of the stack with the loading indicator.
//
// Main thread only, except where a member says otherwise: all_screens_preloaded,
// reset_next_frame_time_delta and loader_count are atomics that the loading workers
// set (release) and the frame reads (acquire); the set of screens built by scripts is
// locked (a worker's script may create screens).
//
// The implementation is split by topic: screen-manager-stack.cpp (stack and
// lifecycle), -frame.cpp (frame update), -input.cpp (events and cursors),
// -messages.cpp (messages, scripted screens, texts), -startup.cpp (start-up, virtual
// screen, templates), -draw.cpp (drawing and loading indicator), -script.cpp (the
// script functions), ui-factory.cpp (components by type word).
#ifndef APP_UI_SCREEN_MANAGER_H
#define APP_UI_SCREEN_MANAGER_H

#include "narray.h"
#include "orvex.h"

#include <atomic>

struct lua_State;
class Screen;
class UIComp;
class UISet;

// One cursor slot: 0 to 2 follow pointers, 3 is the game-pad cursor.
struct UICursor {
    int edit_op = 0;                 // edit mode drag: 0 none, 2 move, 3 scale, 4 rotate
    vec2_t pos = {0, 0};             // program coordinates
    UIComp *over = nullptr;          // comp_null over nothing, null right after an unlock
    UIComp *locked = nullptr;        // the component pressed on
    vec2_t grab_offset = {0, 0};
    vec2_t lock_pos = {0, 0};
    vec2_t comp_start_pos = {0, 0};
    float comp_start_scale = 1.0f;
    float comp_start_angle = 0.0f;
    float idle_time = 0.0f;          // idle above 5 s counts as absent
    UIComp *focus = nullptr;         // receives keys, characters and wheel steps
    bool pressed = false;
    float repeat_timer = 0.0f;       // game-pad repeat delay
};

enum {
    UI_MAX_CURSORS = 8,
    UI_GAMEPAD_CURSOR = 3,
};

// A cursor idle for longer than this (seconds) counts as absent.
#define UI_CURSOR_IDLE_LIMIT 5.0f

class ScreenMan {
public:
    ScreenMan();
    ~ScreenMan();

    // ---- stack and lifecycle (screen-manager-stack.cpp)
    // Inserts at depth from the top (0 = on top, count = at the bottom); refuses with
    // a popup a depth out of range, a screen not preloaded or one still in the stack.
    void PushScreen(Screen *screen, int depth);
    void PushScreen(const char *name, int depth);
    // Deferred: marks the screen leaving (it fades out, then pops). Immediate: leave
    // procedure, follow-up and repush now; the entry goes at the end of the frame.
    Screen *PopScreen(Screen *screen, bool deferred);
    // Pops the screen at depth from the top at once (a negative depth is the top).
    Screen *PopScreen(int depth);
    Screen *PopScreen(const char *name);
    // Marks every stacked screen leaving.
    void PopAllScreens();
    // Switches to the named screen through the transition screen "Transition".
    void SwitchScreen(const char *name);
    void StartScreenTransition(Screen *target, const char *transition = nullptr, bool forced = false);
    void DoScreenEnterProcedure(Screen *screen);
    void DoScreenLeaveProcedure(Screen *screen);
    bool PreloadScreen(Screen *screen);
    bool IsScreenInStack(Screen *screen);
    bool IsScreenInStack(const char *name);
    int GetScreenIndexInStack(Screen *screen);   // bottom 0, -1 when absent
    Screen *GetScreenFromStackWithUISet(UISet *set);
    // Copies into *out the screens below `screen`, bottom first (the whole stack when it
    // is not stacked): a transition pops them from the copy, as a pop may push a
    // follow-up or the transition itself again.
    void CopyScreensBelow(Screen *screen, nArray<Screen *> *out);
    // Whether the news screen ("TalvikNews") is on top while the product has the "NEWS"
    // feature: a transition waits for it to go.
    bool IsNewsOnTop();
    // The entry depth places below the top (a depth past the bottom gives the bottom,
    // a negative one the top); null on an empty stack.
    Screen *PeekScreen(int depth);
    int GetNumberOfScreensInStack() const { return stack.Count(); }
    // A new UI set built from the file for the screen (the first ever, with a null
    // screen, becomes the templates set).
    UISet *GetUISetForScreen(const char *file, Screen *screen);
    // The set a Lua state belongs to (its user pointer).
    static UISet *GetStateUISet(lua_State *L);

    // ---- frame (screen-manager-frame.cpp)
    void Update(float dt);
    void UpdateScreens(float dt);
    void UpdateScreen(Screen *screen, float dt);
    // The next UpdateScreens runs with a zero time step. Any thread.
    void ResetNextFrameTimeDelta();
    // True in the frame in which the millisecond clock crossed a multiple of the
    // interval; false for intervals below 1 ms.
    bool IsIntervalElapsed(float seconds);
    bool IsIntervalElapsedOffset(float seconds, int offset_ms);

    // ---- the idle pace (screen-manager-idle.cpp)
    // Every frame: a top screen with an idle frame time, fully shown on top for
    // kIdleSeconds without input, has the program's frame time raised to it; anything
    // else restores it.
    void UpdateIdlePace(float dt);
    // Input ends the idle pace at once (from the event handler, before the next frame).
    void NoteInput(const ov_event_t &event);
    static constexpr float kIdleSeconds = 3.0f;
    float idle_seconds = 0.0f;   // frame time since the last input or the top screen came
    Screen *idle_top = nullptr;  // the fully shown top screen the seconds count for
    bool idle_pace = false;      // the frame time is raised
    int paced_frame_ms = 0;      // the program's own frame time while it is

    // ---- events and cursors (screen-manager-input.cpp)
    // 1 handled, 0 not, 2 for a close request answered with the exit confirmation.
    int ProcessEvent(ov_event_t &event);
    void UpdateCursor(UICursor *cursor, vec2_t pos, float dt);
    void UpdateCursors(float dt);
    void UpdateGamePadCursor(UICursor *cursor, float dt);
    void SetCursorOver(UICursor *cursor, UIComp *comp);
    void SetCursorLockedTo(UICursor *cursor, UIComp *comp);
    // The click procedure of a real tap (only for an active component of the fully
    // shown top screen): the screen's Lua OnClick, the component's "OnClick" file, the
    // component's own click (a scriptable's OnClick), the screen's ProcessUICompClick.
    void SendComponentClick(UIComp *comp, UISet *set);
    void SetCursorFocus(UIComp *comp);
    void UnlockCursors();
    bool IsCursorOver(UIComp *comp);
    bool IsCursorFocusOver(UIComp *comp);
    bool IsCursorLockedTo(UIComp *comp);
    // The next or previous interactive component (null current: the first); current at
    // either end; null when current is not interactive.
    UIComp *GetInteractiveComp1D(UISet *set, UIComp *current, int direction);
    // The nearest interactive component in that direction from current's centre, or
    // from (0, 0) without current; null when none.
    UIComp *GetInteractiveComp2D(UISet *set, UIComp *current, vec2_t direction);
    bool DoesControlDevicePointTo(int direction);
    bool SetVisible(UIComp *comp, bool visible);
    bool SetActive(UIComp *comp, bool active);
    vec2_t GetStaticPos(UIComp *comp);   // (10, 10) for null

    // ---- messages (screen-manager-messages.cpp)
    // The target's ProcessScreenMessage, then its script's "OnScreenMessage".
    void SendScreenMessage(Screen *from, Screen *to, const char *message, const char *value);
    // A ScreenTemplate of that name and UI file; an existing name keeps the first.
    Screen *CreateScreenScripted(const char *name, const char *ui_file);
    // Formats (2048 bytes) and sets the text of the kinds that carry one; false for
    // the others and for null.
    bool SetText(UIComp *comp, const char *format, ...);
    // Deletes the screens CreateScreenScripted made (with their UI sets); by Release.
    void FreeScriptedScreens();

    // ---- start-up and virtual screen (screen-manager-startup.cpp)
    void InitScreens(int reference_width, int reference_height);
    void SetVirtualScreenDimensions(int width, int height);
    void SetTargetVirtualScreenDimensions(int width, int height);
    vec2_t TransformPointToVirtualScreen(vec2_t p);
    void UpdateAllVisibleComponentDimensions();
    // Template by name ignoring case; null without one or without a templates set.
    UIComp *GetCompTemplate(const char *name);
    // Every stacked screen leaves (bottom first); screens and sets stay.
    void Shutdown();
    // Before the application starts again in the same process: empties the stack,
    // resets the cursors and the frame state, frees the templates, the start-up
    // script's state, the UI sets replaced by "LoadUI" and the screens scripts made.
    // Screens built into the program stay registered with their UI.
    void Release();
    // Keeps a UI set that "LoadUI" replaced until Release (its script may be running).
    void RetireUISet(UISet *set);

    // ---- drawing (screen-manager-draw.cpp)
    void DrawScreens(float dt);
    void UpdateLoadingIndicator(float dt);
    void DrawLoadingIndicator();
    // The name of a resolution (longer side first), "" for others.
    static const char *GetResolutionName(int width, int height);

    // ---- services above the screens (screen-manager-input.cpp)
    // The online services take the platform score-service replies (event types 19 to
    // 22) through a handler each registers when it starts; the results are not used.
    // A handler added before is not added again.
    typedef bool (*ServiceEventHandler)(ov_event_t &event);
    void AddServiceEventHandler(ServiceEventHandler handler);

    // ---- components by type word (UICompFactory::Generate)
    UIComp *GenerateComponent(const char *name, const char *type);

    // Fields in the order of the screen manager's record.
    bool touch_mode = true;
    UICursor cursors[UI_MAX_CURSORS];
    int num_cursors = 0;
    bool app_active = true;
    UISet *templates = nullptr;
    std::atomic<bool> all_screens_preloaded{false};
    struct ov_font_t *default_font = nullptr;
    int reference_width = 800;
    int reference_height = 600;
    float reference_scale = 1.0f;       // cover scale
    float reference_scale_x = 1.0f;     // virtual width / reference width
    float reference_scale_y = 1.0f;
    float reference_scale_min = 1.0f;   // fit scale
    int virtual_width = 800;
    int virtual_height = 600;
    float virtual_x = 0.0f;
    float virtual_y = 0.0f;
    bool center_virtual_screen = false;
    float virtual_anim_timer = 0.0f;
    int virtual_start_width = 0;
    int virtual_start_height = 0;
    int virtual_target_width = 0;
    int virtual_target_height = 0;
    int last_pointer_index = 0;
    const char *cursor_shape = "ARROW";
    float second_timer = 0.0f;
    int64_t time_ms = 0;                // screen clock
    int64_t prev_time_ms = 0;
    float over_sound_timer = 0.0f;
    bool virtual_resize_mode = false;
    bool edit_mode = false;
    bool draw_all = false;
    bool fast_forward = false;
    int fast_forward_steps = 64;
    float fast_forward_step = 1.0f / 30.0f;
    UIComp *last_locked_comp = nullptr;
    UIComp *edit_comp = nullptr;
    bool edit_drag = false;
    vec2_t edit_drag_start = {0, 0};
    std::atomic<bool> reset_next_frame_time_delta{false};
    bool trace_lua_calls = true;
    nArray<Screen *> stack;
    std::atomic<int> loader_count{0};   // background loaders at work
    float loader_alpha = 0.0f;

    // Handlers of the platform score-service replies, in registration order.
    nArray<ServiceEventHandler> service_event_handlers;

    // Bitmap cache flags for OV_LoadBitmap: while preloading, and for other loads.
    int preload_cache_flags = 6;
    int cache_flags = 4;

    // The extra Lua state "ui/autoexec.lua" runs in (its UI set is the templates set).
    lua_State *autoexec_state = nullptr;
    // The loading indicator's bitmap, one reference taken at its first drawing.
    struct ov_bitmap_t *loader_bitmap = nullptr;

    ScreenMan(const ScreenMan &) = delete;
    ScreenMan &operator=(const ScreenMan &) = delete;
};

// The placeholder a cursor hovers when it is over nothing, at (-1000, -10000).
extern UIComp comp_null;
// The one screen manager.
extern ScreenMan sman;
// The mouse position of this frame (key states 504 and 505).
extern vec2_t mpos;

// The name of a key code ("UNKNOWN" for codes without one).
const char *OV_GetKeyName(int code);

// Registers the screen manager's script functions (screen-manager-script.cpp).
void RegisterScreenManScriptFunctions();

#endif
