// This game's automated test player (`ai_Korvald`): knows the game's screens and
// their buttons, plays battles by dragging troopers about and strengthens the squad
// (hit points, and weapon range in a few missions) so that unattended runs get
// through the campaign. One global object, constructed before main; as the first
// registered player it becomes the current one when the test player is switched on.
//
// Its battle set-up changes the shared weapon records (their projectile range) for
// the missions listed in ai-korvald.cpp; the next other mission restores them.
#ifndef TOOLS_AI_KORVALD_H
#define TOOLS_AI_KORVALD_H

#include "narray.h"
#include "tools/ai-player.h"

class AIKorvald : public AIPlayer {
public:
    AIKorvald();
    ~AIKorvald() override;

    const char *GetName() override { return "KorvaldAI"; }
    bool IsInGame() override;
    bool IsComplexScreen() override;
    const char *GetCompToPress(Screen *screen) override;
    vec2_t GetGamePositionToPress(bool &press) override;
    void UpdateGame(float dt) override;
    void UpdateComplexScreen(float dt, Screen *screen) override;

    // One of its n names, chosen by AppRandom() % n.
    static const char *GetComp(int n, ...);

    // Prepares the battle once its clock passed 0.2 s (hit points, weapon
    // boosts); true when it did. Nothing in the mission "INCOMING_MODE".
    bool SetUpBattle();
    // Restores every boosted weapon record (end of the run, tests).
    void RestoreBoostedWeapons();

    // Fields, in order.
    bool battle_setup_done = false;
    nArray<char *> boosted_weapons;
    float complex_interval = 0.5f;
    float complex_timer = 0.0f;
};

extern AIKorvald ai_Korvald;

// rand() / 32767.0 from the application's helper.
float rand01f();

#endif
