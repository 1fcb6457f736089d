// Mission analysis: the points a player can have collected at the start of each wave,
// from the level's starting money and the worth of the enemies its waves bring.
//
// A wave-script node of type "SPAWN" is worth the "points_worth" of its
// "spawn_type" entity type times its "num" (1 when absent, as it spawns); a type that
// names no entity type is worth 0. Other nodes (waits, messages) give no line.
#ifndef TOOLS_MISSION_ANALYSIS_H
#define TOOLS_MISSION_ANALYSIS_H

#include "app/ui/screen.h"

#include <vector>

class DMArray;
class DMDatabase;

// The worth of one entity of that type name; 0 when none has the name.
typedef int (*EntityWorthFn)(const char *type_name, void *context);

// Line k (from 0) holds the starting money plus the worth of the SPAWN nodes before
// the k-th one. Empty for a null array.
std::vector<int> AnalyzeWaves(const DMArray *waves, int starting_money, EntityWorthFn worth, void *context);

// "gameplay"/"starting_money"/"value" as an integer, 0 when absent.
int ReadStartingMoney(const DMDatabase &level);

// The screen ("AnalyzeMission", UI "ui/analyze-mission.lua"): told the level by the
// screen message "MISSION" (value: the level's data-registry name), it lists under the
// UI component "dummy_names" one line "%d: %d" per SPAWN node with the points at hand.
class ScreenAnalyzeMission : public Screen {
public:
    ScreenAnalyzeMission();

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;  // nothing
    void Enter() override;
    void Leave() override;  // nothing
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    // The lines as drawn ("%d: %d"), empty without a message.
    std::vector<int> Lines() const;

    DMArray *waves = nullptr;
    int starting_money = 0;
};

ScreenAnalyzeMission *GetAnalyzeMissionScreen();

#endif
