// The power-up table: loading from "powerups.xml", lookup by id and the level number of
// a mission id (see powerups.h). The weighted choice is in powerups-choice.cpp, the
// effects in powerups-activate.cpp.
#include "game/entities/powerups.h"

#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/ui/partfx.h"
#include "app/services/data-numbers.h"
#include "app/services/small-maths.h"
#include "nstring.h"

#include <stdlib.h>
#include <string.h>

Powerup Powerup::powerups[POWERUP_MAX];
int Powerup::num_powerups = 0;
uint32_t Powerup::last_powerup_timestamp = 0;

namespace {

// Frees the records' texts when the program ends.
struct PowerupTableRelease {
    ~PowerupTableRelease() { Powerup::ClearPowerups(); }
} powerup_table_release;

void ReplaceText(char **field, const char *text)
{
    nStringFree(*field);
    *field = nStringDuplicate(text);
}

void FillRecord(Powerup *p, const DMNode *node)
{
    ReplaceText(&p->id, node->GetValue("id"));
    const char *value = node->GetValue("name");
    ReplaceText(&p->name, value ? loc_man().Localize(value) : "");
    value = node->GetValue("icon");
    p->icon = value ? ov->OV_GetBitmap(value) : nullptr;
    value = node->GetValue("fx_picked");
    if (value)
        p->fx_picked = pbman.GetFX(value);
    value = node->GetValue("fx_activate");
    if (value)
        p->fx_activate = pbman.GetFX(value);
    value = node->GetValue("rarity");
    p->rarity = value ? SaturatedInt(DataLeadingDouble(value)) : 10;
    value = node->GetValue("min_level");
    p->min_level = value ? SaturatedInt(DataLeadingDouble(value)) : 0;
}

}  // namespace

bool Powerup::LoadPowerups()
{
    ov->OV_Printf("Loading Powerups...\n");
    DMArray *array = dman().GetDatabase("powerups.xml")->GetArray("powerups");
    if (!array)
        return false;
    num_powerups = 0;
    for (int i = 0; i < array->GetSize() && num_powerups < POWERUP_MAX; i++) {
        const DMNode *node = array->GetNode(i);
        if (node->GetValue("id"))
            FillRecord(&powerups[num_powerups++], node);
    }
    return true;
}

Powerup *Powerup::GetPowerup(const char *powerup_id)
{
    if (!powerup_id)
        return nullptr;
    for (int i = 0; i < num_powerups; i++) {
        if (powerups[i].id && strcmp(powerups[i].id, powerup_id) == 0)
            return &powerups[i];
    }
    return nullptr;
}

void Powerup::ClearPowerups()
{
    for (Powerup &p : powerups) {
        nStringFree(p.id);
        nStringFree(p.name);
        p = Powerup{};
    }
    num_powerups = 0;
}

int PowerupLevelNumber(const char *mission_id)
{
    enum { kCopySize = 1024 };
    char rest[kCopySize];
    rest[0] = 0;
    if (mission_id && strlen(mission_id) < kCopySize)
        nStringReplace(mission_id, "MISSION", "", rest, kCopySize);
    // A missing part is read as 0: (0 - 1) x 10 for the first.
    char first[kCopySize], second[kCopySize];
    const char *a = nStringGetToken(first, kCopySize, rest, "_", 0);
    const char *b = nStringGetToken(second, kCopySize, rest, "_", 1);
    long level = ((long)DataLeadingInt(a) - 1) * 10 + DataLeadingInt(b);
    return (int)(level > INT32_MAX ? INT32_MAX : level < INT32_MIN ? INT32_MIN : level);
}
