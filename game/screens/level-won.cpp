// "LevelWon": the campaign's progress written at entry and saved before the saved
// battle is deleted, then the troopers' statistics, and "Continue" leading on (see
// level-won.h).
#include "game/screens/level-won.h"

#include "app/services/dataman.h"
#include "app/services/player-values.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/gamestate.h"
#include "game/screens/game-over.h"
#include "online/leaderboards-manager.h"
#include "game/missions.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

namespace {

const char *const kTeamSetupKeys[] = {"0", "1", "2", "3", "4", "active_upgrade"};

// A count kept in the profile (plays, kills, deaths), in its range.
int ProfileCount(const char *category, const char *id, const char *key)
{
    return PlayerCount(PlayerNumber(prof ? prof->GetValue(category, id, key) : nullptr));
}

void SetProfileNumber(const char *category, const char *id, const char *key, int value)
{
    if (prof)
        prof->SetValuef(category, id, key, "%d", value);
}

bool FeatureTagged(const char *id)
{
    return prof && prof->TagExists("features", id);
}

void SetTeamSetup(const char *trooper_type, const char *token)
{
    if (!prof)
        return;
    for (const char *key : kTeamSetupKeys)
        prof->SetValue("team_setup", trooper_type, key, token);
}

// The ','-separated list split in full, empty tokens and surrounding blanks dropped.
std::vector<std::string> SplitList(const char *list)
{
    std::vector<std::string> tokens;
    std::string token;
    for (const char *c = list;; c++) {
        if (*c == ',' || *c == 0) {
            size_t a = token.find_first_not_of(" \t");
            size_t b = token.find_last_not_of(" \t");
            if (a != std::string::npos)
                tokens.push_back(token.substr(a, b - a + 1));
            token.clear();
            if (*c == 0)
                break;
        } else {
            token += *c;
        }
    }
    return tokens;
}

// The sum of the stored best ratings (0 to 5 stars each) over every mission of the
// profile.
int CampaignSum()
{
    DMDatabase *db = prof ? prof->LockDatabase() : nullptr;
    DMArray *missions = db ? db->GetArray("missions") : nullptr;
    long long sum = 0;
    for (int i = 0; missions && i < missions->GetSize(); i++)
        sum += PlayerRating(PlayerNumber(missions->GetNodeValue(i, "rating")));
    if (prof)
        prof->UnlockDatabase();
    return PlayerCount(sum);
}

}  // namespace

bool FindNextMission(const char *mission_id, NextMission *next)
{
    if (!mission_id || !next)
        return false;
    DMDatabase *missions = dman().GetDatabase("missions.xml");
    bool found = false;
    for (int a = 0; a < missions->GetNumberOfArrays(); a++) {
        DMArray *array = missions->GetArray(a);
        for (int i = 0; array && i < array->GetSize(); i++) {
            DMNode *node = array->GetNode(i);
            if (found) {
                next->array = array;
                next->node = node;
                next->new_chapter = i == 0;
                return true;
            }
            const char *id = node ? node->GetValue("id") : nullptr;
            found = id && strcasecmp(id, mission_id) == 0;
        }
    }
    return false;
}

void LeadOnAfterWin(Screen *from)
{
    Screen *loader = Screen::PeekScreen("LoaderTransition");
    NextMission next;
    const bool has_next = FindNextMission(game.parms.mission_id, &next);
    const char *next_id = has_next && next.node ? next.node->GetValue("id") : nullptr;
    const bool first_win = ProfileCount("missions", game.parms.mission_id, "times_played") == 1;
    if (next_id && !next.new_chapter && first_win && strcmp(game.parms.chapter_id, "EXTRAS") != 0) {
        char value[256];
        snprintf(value, sizeof value, "%s:%s", next.array->id ? next.array->id : "", next_id);
        sman.SendScreenMessage(from, loader, "ENTER_BATTLE", value);
    } else {
        sman.SendScreenMessage(from, loader, "LEAVE_BATTLE_LEVEL_WON", "");
    }
    sman.SwitchScreen("LoaderTransition");
}

ScreenLevelWon *GetLevelWonScreen()
{
    static ScreenLevelWon *screen = new ScreenLevelWon();
    return screen;
}

ScreenLevelWon::ScreenLevelWon() : Screen("LevelWon") {}

bool ScreenLevelWon::PreLoad()
{
    LoadUI("ui/level-won.lua");
    return true;
}

void ScreenLevelWon::Draw(float)
{
    DrawUI();
}

void ScreenLevelWon::Unlock(const char *feature_id)
{
    char message[32];
    snprintf(message, sizeof message, "UNLOCK_FEAT_%i", unlocked_count);
    sman.SendScreenMessage(this, GetFeatureUnlockedScreen(), message, feature_id);
    if (prof)
        prof->AddTag("features", feature_id);
    unlocked_count++;
}

void ScreenLevelWon::WriteProgress()
{
    const char *mission_id = game.parms.mission_id;
    const char *chapter_id = game.parms.chapter_id;
    NextMission next;
    const bool has_next = FindNextMission(mission_id, &next);
    const char *next_id = has_next && next.node ? next.node->GetValue("id") : nullptr;
    if (next_id) {
        prof->AddTag("missions", next_id);
        prof->SetValue("current_game", "active_mission", "value", next_id);
        prof->SetValue("current_game", "active_chapter", "value", chapter_id);
    }
    prof->AddTag("missions", mission_id);
    prof->AddTag("chapters", chapter_id);
    if (has_next && next.new_chapter) {
        DMDatabase *missions = dman().GetDatabase("missions.xml");
        for (int a = 0; a + 1 < missions->GetNumberOfArrays(); a++) {
            DMArray *array = missions->GetArray(a);
            if (array && array->id && strcasecmp(array->id, chapter_id) == 0) {
                const char *following = missions->GetArray(a + 1)->id;
                if (following) {
                    prof->AddTag("chapters", following);
                    prof->SetValue("current_game", "active_chapter", "value", following);
                }
                break;
            }
        }
    }
    // The best rating stays.
    const char *rating = prof->GetValue("missions", mission_id, "rating");
    if (!rating || PlayerRating(PlayerNumber(rating)) < (int)game.star_rating)
        SetProfileNumber("missions", mission_id, "rating", (int)game.star_rating);
    if (prof->GetValue("missions", mission_id, "times_played")) {
        SetProfileNumber("missions", mission_id, "times_played",
                         PlayerCount(ProfileCount("missions", mission_id, "times_played") + 1LL));
    } else {
        game_completed = strcmp(mission_id, "MISSION3_10") == 0;
        chapter2_completed = strcmp(mission_id, "MISSION2_10") == 0;
        chapter1_completed = strcmp(mission_id, "MISSION1_10") == 0;
        prof->SetValue("missions", mission_id, "times_played", "1");
    }
}

void ScreenLevelWon::UnlockMissionFeatures()
{
    DMNode *mission = MissionNode(game.parms.mission_id);
    const char *unlocks = mission ? mission->GetValue("unlocks") : nullptr;
    if (!unlocks || !unlocks[0])
        return;
    for (const std::string &token : SplitList(unlocks)) {
        const char *id = token.c_str();
        if (FeatureTagged(id))
            continue;
        Unlock(id);
        if (token.compare(0, 6, "REARM_") == 0) {
            size_t end = token.find('_', 6);
            std::string type = token.substr(6, end == std::string::npos ? std::string::npos : end - 6);
            SetTeamSetup(type.c_str(), id);
        }
        if (token == "PYRO_DEATHWISH")
            SetTeamSetup("PyroTrooper", id);
    }
}

void ScreenLevelWon::UnlockStarFeatures(int campaign_sum)
{
    DMArray *extras = dman().GetArray("missions.xml", "EXTRAS");
    for (int i = 0; extras && i < extras->GetSize(); i++) {
        DMNode *node = extras->GetNode(i);
        const char *stars = node ? node->GetValue("unlock_stars") : nullptr;
        const char *id = node ? node->GetValue("id") : nullptr;
        if (stars && id && atoi(stars) <= campaign_sum && !FeatureTagged(id))
            Unlock(id);
    }
}

void ScreenLevelWon::AddStatistics()
{
    SetProfileNumber("stats", "aliens_killed", "value",
                     PlayerCount((long long)ProfileCount("stats", "aliens_killed", "value") + game.boss_kills +
                                 game.regular_kills));
    SetProfileNumber("stats", "soldier_deaths", "value",
                     PlayerCount((long long)ProfileCount("stats", "soldier_deaths", "value") + game.troopers_lost));
    SetProfileNumber("stats", "aliens_burned", "value",
                     PlayerCount((long long)ProfileCount("stats", "aliens_burned", "value") + game.burn_kills));
}

void ScreenLevelWon::Enter()
{
    unlocked_count = 0;
    game_completed = chapter1_completed = chapter2_completed = tapped = false;
    timer = 0.0;
    char stars[16];
    snprintf(stars, sizeof stars, "%d", (int)game.star_rating);
    sman.SendScreenMessage(this, this, "RATING", stars);
    UpdateTrooperImages(this);
    if (prof) {
        prof->SetValue("current_game", "previous_mission", "value", game.parms.mission_id);
        prof->SetValue("current_game", "previous_chapter", "value", game.parms.chapter_id);
        WriteProgress();
    }
    const int sum = CampaignSum();
    leaderboards_man.SubmitScore("CAMPAIGN", sum, game.game_clock);
    if (prof) {
        UnlockMissionFeatures();
        UnlockStarFeatures(sum);
        AddStatistics();
    }
    // The saved battle goes only once the win is saved: a kill before this point leaves
    // the battle to resume, and a profile that cannot be written keeps it too.
    if (profile_man().SaveProfiles())
        game.DeleteSaveGameState();
    else
        ov->OV_Printf("The win could not be saved: the saved battle is kept.\n");
    LogLevelStats("LEVEL_WON");
}

void ScreenLevelWon::Update(float dt)
{
    timer += tapped ? 5.0 * dt : (double)dt;
    const double start = 1.5 + 0.5 * (double)game.star_rating;
    if (timer > start)
        UpdateTrooperStats(this, (float)(timer - start));
}

bool ScreenLevelWon::ProcessUICompClick(UIComp *comp, int)
{
    if (!comp || !comp->name || strcasecmp(comp->name, "Continue") != 0)
        return false;
    if (unlocked_count > 0) {
        ScreenFeatureUnlocked *unlocked = GetFeatureUnlockedScreen();
        sman.SendScreenMessage(this, unlocked, "UNLOCK_AFTER_LEVEL", "");
        if (game_completed)
            sman.SendScreenMessage(this, unlocked, "EXIT_TO_GAME_COMPLETED", "");
        else if (chapter1_completed)
            sman.SendScreenMessage(this, unlocked, "EXIT_TO_CHAPTER_1_COMPLETED", "");
        else if (chapter2_completed)
            sman.SendScreenMessage(this, unlocked, "EXIT_TO_CHAPTER_2_COMPLETED", "");
        sman.PushScreen(unlocked, 0);
        sman.PopScreen(this, true);
    } else {
        LeadOnAfterWin(this);
    }
    profile_man().SaveProfiles();
    return true;
}

int ScreenLevelWon::ProcessEvent(ov_event_t *event)
{
    if (event && event->type == OV_EVENT_BUTTON_DOWN) {
        tapped = true;
        return 1;
    }
    return 0;
}
