// Mission analysis: the arithmetic and the screen (see mission-analysis.h).
#include "tools/mission-analysis.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/scape.h"

#include <stdlib.h>
#include <string.h>

std::vector<int> AnalyzeWaves(const DMArray *waves, int starting_money, EntityWorthFn worth, void *context)
{
    std::vector<int> lines;
    if (!waves)
        return lines;
    long long total = starting_money;
    for (int i = 0; i < waves->GetSize(); i++) {
        const DMNode *node = waves->GetNode(i);
        const char *type = node->GetValue("type");
        if (!type || strcmp(type, "SPAWN") != 0)
            continue;
        lines.push_back((int)total);
        const char *num = node->GetValue("num");
        long long count = num ? atoi(num) : 1;
        const char *spawn_type = node->GetValue("spawn_type");
        int each = spawn_type && worth ? worth(spawn_type, context) : 0;
        total += count * each;
        if (total > 2147483647LL)
            total = 2147483647LL;
        if (total < -2147483647LL)
            total = -2147483647LL;
    }
    return lines;
}

int ReadStartingMoney(const DMDatabase &level)
{
    const char *v = level.GetValue("gameplay", "starting_money", "value");
    return v ? atoi(v) : 0;
}

// ---- the screen

namespace {

int StockWorth(const char *type_name, void *)
{
    Scape *world = GetScape();
    if (!world || !world->stock)
        return 0;
    EntityType *type = world->stock->GetEntityType(type_name);
    return type ? type->points_worth : 0;
}

}  // namespace

ScreenAnalyzeMission::ScreenAnalyzeMission() : Screen("AnalyzeMission") {}

bool ScreenAnalyzeMission::PreLoad()
{
    waves = nullptr;
    LoadUI("ui/analyze-mission.lua");
    return true;
}

void ScreenAnalyzeMission::Enter()
{
    Scape *world = GetScape();
    if (world && !world->stock)
        world->Init(8, 6, 128.0f);
}

void ScreenAnalyzeMission::Update(float) {}

void ScreenAnalyzeMission::Leave() {}

bool ScreenAnalyzeMission::ProcessUICompClick(UIComp *, int)
{
    return true;
}

int ScreenAnalyzeMission::ProcessEvent(ov_event_t *)
{
    return 1;
}

int ScreenAnalyzeMission::ProcessScreenMessage(Screen *, const char *message, const char *value)
{
    if (!message || strcmp(message, "MISSION") != 0 || !value)
        return 1;
    DMDatabase *level = dman().GetDatabase(value);
    if (!level) {
        // A level file that does not load: nothing to list (not a crash).
        waves = nullptr;
        starting_money = 0;
        return 1;
    }
    waves = level->GetArray("waves");
    starting_money = ReadStartingMoney(*level);
    return 1;
}

std::vector<int> ScreenAnalyzeMission::Lines() const
{
    return AnalyzeWaves(waves, starting_money, StockWorth, nullptr);
}

void ScreenAnalyzeMission::Draw(float)
{
    DrawUI();
    if (!waves)
        return;
    // The screen manager's font; the world's medium font when the manager has none.
    ov_font_t *font = sman.default_font;
    Scape *world = GetScape();
    if (!font && world && world->stock)
        font = world->stock->font_medium;
    if (!font)
        return;
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    vec2_t at = sman.GetStaticPos(GetComp("dummy_names"));
    float line = ov->OV_GetTextHeightf(font, "X");
    std::vector<int> lines = Lines();
    for (size_t k = 0; k < lines.size(); k++) {
        ov->OV_DrawTextf(font, at.x, at.y, "%d: %d", (int)k + 1, lines[k]);
        at.y += line;
    }
}

ScreenAnalyzeMission *GetAnalyzeMissionScreen()
{
    static ScreenAnalyzeMission screen;
    return &screen;
}
