// The result screens of a lost battle, "GameOver" (the score modes) and "LevelLost" (a
// lost mission), and the pieces every result screen shares: the five trooper cards with
// their counting-up statistics and the analytics event that closes a battle.
//
// Each screen's buttons and look live in its UI script; the screens fill texts, slide
// panels, count numbers up and write the profile. They are built on first use
// (GetGameOverScreen ...) and stay registered by name for the run.
#ifndef GAME_SCREENS_GAME_OVER_H
#define GAME_SCREENS_GAME_OVER_H

#include "app/ui/screen.h"

struct ov_sound_t;

// The trooper cards of a result screen, filled once at entry: cards of the squad shown
// (centred when fewer than five), the others hidden, trooper and weapon pictures from
// "shop.xml", the summary texts emptied.
void UpdateTrooperImages(Screen *screen);
// The cards' and the summary's numbers counted up to time t (seconds): every damage
// counter rises at the same rate and stops at its own total by t = 2.
void UpdateTrooperStats(Screen *screen, float t);
// One analytics event about the finished battle: chapter_id, mission_id, score, time
// (whole seconds) and stars, in that order.
void LogLevelStats(const char *event);
// The "name" of the mission's node in "missions.xml" (any array), or null.
const char *GetMissionName(const char *mission_id);

class ScreenGameOver : public Screen {
public:
    ScreenGameOver();
    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    int ProcessEvent(ov_event_t *event) override;

    // Timer 4, page -1, the "Result" text (new high score or a random game-over text),
    // the optional pictures and the touch grid on its last step.
    void Reset();
    // The summary and the score counted up to progress (0..1); the high-score award at 1.
    void UpdateStats(float progress);

    bool tapped = false;
    bool new_high_score = false;
    int page = -1;
    ov_sound_t *page_sound = nullptr;
};

class ScreenLevelLost : public Screen {
public:
    ScreenLevelLost();
    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    int ProcessEvent(ov_event_t *event) override;

    bool tapped = false;
};

// The screens, built and registered on first use.
ScreenGameOver *GetGameOverScreen();
ScreenLevelLost *GetLevelLostScreen();

// Builds every result screen ("GameOver", "LevelLost", "LevelWon", "FeatureUnlocked")
// and the "Leaderboards" screen, so that they are registered before the preload.
void RegisterResultScreens();

#endif
