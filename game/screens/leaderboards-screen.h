// The local leaderboards screen "Leaderboards": steps through the categories of
// "leaderboards/leaderboards.xml", asks each category's client for its scores and draws
// the list into the component "Scores", with the rank thresholds of "ranks.xml" between
// the scores. A category tagged ONE_SCORE_PER_PLAYER (the campaign's star total) lists
// each profile's personal best once. Preloaded on the loading worker (the manager's lock covers the client it
// makes there); everything else runs on the main thread.
#ifndef GAME_SCREENS_LEADERBOARDS_SCREEN_H
#define GAME_SCREENS_LEADERBOARDS_SCREEN_H

#include "app/ui/screen.h"

class DMArray;
class DMDatabase;
class LeaderboardsClient;

class ScreenLeaderboards : public Screen {
public:
    ScreenLeaderboards();
    bool PreLoad() override;
    void Draw(float dt) override;
    void DrawUIComp(UIComp *comp) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    // Takes the category's client, shows its title and asks for its first 100 scores.
    void SetCategory(const char *category);
    // The client's list: up to count scores of the local database, or the profiles'
    // personal bests for a category that keeps one score per player.
    void LoadScores(int count);
    // The list of scores and ranks drawn into the component.
    void DrawScores(UIComp *comp);
    // Index of the current client's category among "CATEGORIES", -1 when absent.
    int GetCategoryIndex();

    LeaderboardsClient *client = nullptr;
    DMDatabase *db = nullptr;
    DMArray *categories = nullptr;
};

ScreenLeaderboards *GetLeaderboardsScreen();

#endif
