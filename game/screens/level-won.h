// The screens of a won mission: "LevelWon" writes the campaign's progress (next mission
// and chapter opened, rating, play count, the "CAMPAIGN" score, unlocked features,
// lifetime statistics) and leads on; "FeatureUnlocked" presents up to three features
// unlocked, one after another.
#ifndef GAME_SCREENS_LEVEL_WON_H
#define GAME_SCREENS_LEVEL_WON_H

#include "app/ui/screen.h"

class DMArray;
class DMNode;

// The mission that follows mission_id (compared without case) in "missions.xml", walking
// its arrays in file order: the node, its array and whether it opens a new chapter (it
// is the first of its array). False when the mission is unknown or the last of all.
struct NextMission {
    DMArray *array = nullptr;
    DMNode *node = nullptr;
    bool new_chapter = false;
};
bool FindNextMission(const char *mission_id, NextMission *next);

// Leads on from a won battle (the mission of game.parms), from the screen `from`: the
// campaign runs straight on into the next mission ("ENTER_BATTLE" to the loader
// transition) only after the first win of a mission whose next one stays in the same
// chapter, outside the extras (an extra opens by its own unlock); otherwise
// "LEAVE_BATTLE_LEVEL_WON". Then switches to the loader transition.
void LeadOnAfterWin(Screen *from);

class ScreenLevelWon : public Screen {
public:
    ScreenLevelWon();
    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    // Records the win in the profile, saves the profiles and then deletes the saved
    // battle (kept when the profiles could not be saved).
    void Enter() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;

    int unlocked_count = 0;
    bool game_completed = false;
    bool chapter1_completed = false;
    bool chapter2_completed = false;
    bool tapped = false;

private:
    void WriteProgress();
    void Unlock(const char *feature_id);
    void UnlockMissionFeatures();
    void UnlockStarFeatures(int campaign_sum);
    void AddStatistics();
};

class ScreenFeatureUnlocked : public Screen {
public:
    ScreenFeatureUnlocked();
    ~ScreenFeatureUnlocked() override;
    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    // Shows the feature of slot index: count, name, description, "for" line, selector.
    void ShowDescription(int index);

    // 0 after a won level, 1 otherwise, 2 game completed, 3 / 4 chapter 1 / 2 completed.
    int exit_mode = 1;
    char *feature_ids[3] = {};
    bool all_seen = false;
    int last_index = 1;
    int current_index = 0;

private:
    void HideIcons();
    void GoOn();
};

ScreenLevelWon *GetLevelWonScreen();
ScreenFeatureUnlocked *GetFeatureUnlockedScreen();

#endif
