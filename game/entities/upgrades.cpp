// The gameplay-tuning record and its reading at mission set-up (see upgrades.h).
#include "game/entities/upgrades.h"

#include "app/services/dataman.h"
#include "app/services/data-numbers.h"

#include <stddef.h>

Upgrades upgrades;

namespace {

const char kGlobalFile[] = "gameplay-global.xml";

// The "value" of node `key` of array "gameplay": the level's first, then the global one.
const char *TuningValue(DMArray *level, DMArray *global, const char *key)
{
    const char *value = level ? level->GetNodeValue(key, "value") : nullptr;
    if (!value && global)
        value = global->GetNodeValue(key, "value");
    return value;
}

void ReadInt(DMArray *level, DMArray *global, const char *key, int32_t *field, int32_t fallback)
{
    const char *value = TuningValue(level, global, key);
    *field = value ? DataLeadingInt(value) : fallback;
}

void ReadFloat(DMArray *level, DMArray *global, const char *key, float *field, float fallback)
{
    const char *value = TuningValue(level, global, key);
    *field = value ? DataLeadingFloat(value) : fallback;
}

}  // namespace

void Upgrades::Init(const char *level_file)
{
    DMArray *level = level_file ? dman().GetDatabase(level_file)->GetArray("gameplay") : nullptr;
    DMArray *global = dman().GetDatabase(kGlobalFile)->GetArray("gameplay");
    const Upgrades defaults;
    ReadInt(level, global, "max_troopers", &max_troopers, defaults.max_troopers);
    ReadInt(level, global, "max_powerups", &max_powerups, defaults.max_powerups);
    ReadInt(level, global, "coin_value", &coin_value, defaults.coin_value);
    ReadFloat(level, global, "powerup_probability", &powerup_probability, defaults.powerup_probability);
    ReadFloat(level, global, "powerup_interval", &powerup_interval, defaults.powerup_interval);
    ReadFloat(level, global, "hitpoint_increase_per_wave", &hitpoint_increase_per_wave,
              defaults.hitpoint_increase_per_wave);
    ReadInt(level, global, "powerup_disappear_time", &powerup_disappear_time, defaults.powerup_disappear_time);
    ReadInt(level, global, "super_soldier_time", &super_soldier_time, defaults.super_soldier_time);
}
