// The screens the game's test player knows and the component names it may press on
// each (ai-korvald.cpp answers with these), for the content check's route rule and
// the player's own test. Plain data, no code: included by tools outside the program.
#ifndef TOOLS_AI_KORVALD_SCREENS_H
#define TOOLS_AI_KORVALD_SCREENS_H

struct AIKorvaldScreen {
    const char *screen;
    const char *names[12];  // null-terminated
};

static const AIKorvaldScreen kAIKorvaldScreens[] = {
    {"LoaderTransition", {"panel", nullptr}},
    {"MainMenu", {"Instructions", "Play", "Extras", nullptr}},
    {"Extras", {"Options", "Profiles", "Credits", "Zedivevor", "Back", nullptr}},
    {"Tutorial", {"Back", nullptr}},
    {"Options", {"Back", nullptr}},
    {"Zedivevor", {"Back", nullptr}},
    {"Credits", {"fader", nullptr}},
    {"Profiles", {"Delete", "New", "Ok", nullptr}},
    {"NewProfile", {"Cancel", nullptr}},
    {"DeleteProfile", {"No", nullptr}},
    {"Leaderboards", {"PrevCategory", "NextCategory", "Back", nullptr}},
    {"PopupOk", {"Ok", nullptr}},
    {"PauseMenu", {"Restart", "MainMenu", "Resume", "Options", "Help", nullptr}},
    {"LevelLeave", {"No", "Quit", nullptr}},
    {"LevelRestart", {"Retry", "Restart", nullptr}},
    {"ArmTroopers", {"Select", "Trooper_0", "Upgrade_0", "Trooper_1", "Upgrade_1", "Trooper_2", "Upgrade_2",
                     "Trooper_3", "Upgrade_3", "Trooper_4", "Upgrade_4", nullptr}},
    {"ChooseUpgrade", {"Select", "Upgrade_0", "Upgrade_1", "Upgrade_2", "Upgrade_3", "Upgrade_4", "Upgrade_5", nullptr}},
    {"LevelLost", {"Retry", "Quit", nullptr}},
    {"GameOver", {"Leaderboards", "Menu", "Retry", nullptr}},
    {"LevelWon", {"Continue", nullptr}},
    {"AchievementUnlocked", {"Continue", nullptr}},
    {"FeatureUnlocked", {"Continue", nullptr}},
    {"NewHighscore", {"Continue", nullptr}},
    {"PickReinforcement", {"Minigun", "Shotgun", "Bazooka", "Sniper", "Pyro", nullptr}},
    {"Ending", {"ending", nullptr}},
    {"Chapter_1_Begin", {"tap_to_continue", nullptr}},
    {"Chapter_1_Completed", {"tap_to_continue", nullptr}},
    {"Chapter_2_Completed", {"tap_to_continue", nullptr}},
    {"FBProposition", {"no", nullptr}},
    {"TalvikNews", {"Close", nullptr}},
};

// Screens it plays on its own terms (battle, taps and odds) rather than by a name.
static const char *const kAIKorvaldOwnScreens[] = {"Game", "PlayMenu", "Chapter_3_Completed", "Achievements"};

// Screens it never needs a route on: loading, transitions and the developer screens.
static const char *const kAIKorvaldNoRoute[] = {"Loading",   "Transition",  "TimelineTransition", "LoaderTransition",
                                                "ScreenBrowser", "Timeline", "LevelEditor", "ObstacleEditor",
                                                "AnalyzeMission", "DevMenu"};

#endif
