// The loader transition "LoaderTransition": the one screen through which every battle
// is entered and left. A UI script or a result screen first sends it a battle message
// ("ENTER_BATTLE" with "<chapter id>:<mission id>", "RETRY_BATTLE", "ENTER_OLD_BATTLE",
// "LEAVE_BATTLE_LEVEL_WON", "LEAVE_BATTLE_GAME_WON"; anything else means leaving) and
// then switches to it. It fades in over a dissolve of black squares with the mission's
// chapter, number, name, description and picture; once fully in it saves the
// profiles, sets the world up (the first time), caches or drops the level's assets,
// lets the game state build the mission and hands over to "Game", "PlayMenu" or
// "Credits". A mission with a picture waits for a tap, a key or Escape first.
//
// Layout from "ui/loader-transition.lua": texts "text", "MissionName", "MissionDesc",
// "Chapter", "mission_number", the image "MissionPic" and its frame "MissionPicFrames".
// Main thread only, except PreLoad (start-up loading thread: own fields, the UI set and
// `new_game_parms`).
#ifndef GAME_SCREENS_LOADER_TRANSITION_H
#define GAME_SCREENS_LOADER_TRANSITION_H

#include "app/ui/screen.h"

#include <stdint.h>
#include <string>

// Phases of a battle message (also `g_battle_enter_phase`).
enum {
    LOADER_PHASE_NEW_BATTLE = 0,
    LOADER_PHASE_RESUME = 1,
    LOADER_PHASE_LEAVE = 2,
    LOADER_PHASE_LEAVE_LEVEL_WON = 3,
    LOADER_PHASE_LEAVE_GAME_WON = 4,
};

class ScreenLoaderTransition : public Screen {
public:
    ScreenLoaderTransition();

    // Loads the UI script, clears switched and world ready, writes the default mission
    // into `new_game_parms`; true.
    bool PreLoad() override;
    // Black, the components, then the dissolve of 16 x 16 squares (each drawn while a
    // draw of AppRandom() / 32767 stays under 1 - fade phase).
    void Draw(float dt) override;
    // The fade; at full phase (nothing waiting, no "Transition" stacked) the set-up of
    // the phase and the hand-over or the wait for a tap.
    void Update(float dt) override;
    // Seeds the random helper (from the time, or the fixed seed), restarts the fade and
    // switches the music to "music/finalwave".
    void Enter() override;
    // The next frame runs with a zero time step.
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    // A button-down, a key-down or Escape ends the wait for a tap; every event is taken.
    int ProcessEvent(ov_event_t *event) override;
    // The battle messages; true for every message.
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    // Saves the profiles; the first time the controls and the world; caches the
    // "sfx/reinforcements" sound and the level's assets.
    void LoadGameAssets();
    // Sets switched and shows the next screen of the phase; the screen then fades out.
    void HandOver();

    // Test seam: Enter seeds with this value instead of the time (and `UnfixSeed`
    // goes back to the time).
    static void FixSeed(uint32_t seed);
    static void UnfixSeed();

    // Fields in order.
    int phase = LOADER_PHASE_NEW_BATTLE;
    bool switched = false;
    bool world_ready = false;
    const char *status_text = "";
    // Copies of the mission's values of "missions.xml" (empty when absent).
    std::string mission_name;
    std::string mission_desc;
    std::string mission_pic;
    const char *chapter_title = "";
    char mission_number[1024] = {};
    bool waiting_for_tap = false;
    bool has_picture = false;

private:
    // Fills `new_game_parms` and the texts from the mission of the value; false when
    // the mission has no level file.
    bool ReadMission(const char *value);
    void ShowPicture(bool shown);
    void StopMusic();
};

// The one loader transition, registered as "LoaderTransition".
extern ScreenLoaderTransition screen_loader_transition;
// The same (referencing it keeps the screen in a program linked from the archive).
Screen *GetLoaderTransitionScreen();

#endif
