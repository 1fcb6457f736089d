// The automated test player: drives the program unattended as a tester's finger would.
// On ordinary screens it taps a component every few seconds (the one the game's player
// names, else a navigation hint of "ai-player.xml"); in battle it taps positions and
// drags. Everything it does goes through the screen manager's event dispatch, so every
// screen, component and script runs as for a person.
//
// `ai_man` owns the registry of players (filled by their constructors, at most 5) and
// the enabled flag (set at start by the product feature AUTO_TESTING_MODE, flipped by
// Ctrl+A in developer mode). `AIPlayer` is the base class with the timing, the input
// synthesis and the default decisions; a game registers its own subclass.
//
// Random draws use the application's helper (AppRandom). Main thread only, inside the
// screen manager's update, draw and event dispatch.
#ifndef TOOLS_AI_PLAYER_H
#define TOOLS_AI_PLAYER_H

#include "orvex.h"

class DMArray;
class Screen;
class UIComp;

class AIPlayer {
public:
    // Registers the player with `ai_man`.
    AIPlayer();
    virtual ~AIPlayer() = default;
    AIPlayer(const AIPlayer &) = delete;
    AIPlayer &operator=(const AIPlayer &) = delete;

    // The decisions, in slot order, with their defaults.
    virtual const char *GetName() { return "Generic"; }
    virtual void InitProfile() {}
    virtual bool IsInGame() { return false; }
    virtual bool IsComplexScreen() { return false; }
    virtual float GetLevelNumLearningCoeff() { return 1.0f; }
    // The name of the component to click on an ordinary screen; null or "" leaves the
    // choice to the navigation hints.
    virtual const char *GetCompToPress(Screen *screen);
    // A battle position to tap, asked every in-game interval; press (true on entry)
    // false means no tap.
    virtual vec2_t GetGamePositionToPress(bool &press);
    // True when the player acted in battle this frame (restarts the action timer).
    virtual bool UpdatePlayerInGame(float dt);
    virtual void UpdateGame(float dt);
    virtual void UpdateComplexScreen(float dt, Screen *screen);

    // One frame of the player (see ai-player.cpp).
    void Update(float dt);
    // The pointer mark: a magenta cross at the pointer position.
    void Draw();

    // Input synthesis, all through the screen manager's event dispatch.
    void PressAt(vec2_t p);
    void ReleaseAt(vec2_t p);
    void ClickAt(vec2_t p);
    void DragAt(vec2_t p);
    void DragAt(vec2_t from, vec2_t to);
    void Drag(vec2_t from, vec2_t to, float duration, bool held);
    // Clicks the component directly (its screen's click handling), moves the pointer to
    // its centre and logs "AI clicked %s".
    void ClickComponent(Screen *screen, UIComp *comp);
    // Strictly inside the virtual screen.
    static bool IsOnScreen(vec2_t p);

    // Fields, in order.
    float action_timer = 0.0f;
    float drag_progress = 0.0f;
    float ingame_interval = 0.55f;
    float screen_interval = 3.0f;
    bool drag_held = false;
    bool dragging = false;
    float drag_speed = 1.0f;
    vec2_t drag_start = {0.0f, 0.0f};
    vec2_t drag_end = {0.0f, 0.0f};
    // Set by a decision that clicked by itself: the step ends there.
    bool clicked_by_itself = false;
    // Seconds on ordinary and complex screens since the last action (stall watch).
    float idle_time = 0.0f;

protected:
    // The ordinary-screen step once the interval has passed.
    void PressOnScreen(Screen *top);
};

class AIPlayerMan {
public:
    enum { MAX_PLAYERS = 5 };

    // Enabled = AUTO_TESTING_MODE exists; keeps the arrays "navigation" and "forward" of
    // "ai-player.xml" when the file opens.
    void Initialize();
    // Makes "dev_AIPlayer" the active profile (creating it when no profile has the
    // name), picks the first registered player when none is current, runs its
    // InitProfile and saves the profiles.
    void SelectOrCreateAIProfile();
    static void RegisterAI(AIPlayer *player);
    // One step of the current player while enabled (the first registered one becomes
    // current when none is).
    void PlayTheGame(float dt);
    void Draw();
    // Ctrl+A in developer mode flips the enabled flag. Never consumes the event.
    void ProcessEvent(ov_event_t &event);
    // A component name for the screen and purpose, or null.
    const char *GetUINavigationHint(Screen *screen, const char *purpose);
    // The run's counts, logged at shutdown: "AI player: %d clicks, %d presses, %d drags."
    void LogTotals();
    // Forgets the hints, the counts and the current player; the registry stays (tests).
    void Reset();

    // Fields, in order.
    bool enabled = false;
    DMArray *navigation = nullptr;
    DMArray *forward = nullptr;
    AIPlayer *current = nullptr;

    // The run's counts.
    int clicks = 0;
    int presses = 0;
    int drags = 0;
    // The screen of the last component click ("" before any).
    char last_click_screen[64] = "";

    static AIPlayer *players[MAX_PLAYERS];
    static int num_ais;
};

extern AIPlayerMan ai_man;

#endif
