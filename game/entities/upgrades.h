// The gameplay-tuning record of a mission: trooper limit, power-up limits and odds,
// coin value, hit-point increase per wave, power-up lifetime and super-soldier time.
// `Upgrades::Init` fills the one global record `upgrades` when a mission is set up;
// the world, the entity types, the power-ups and the behaviours read it. Main thread.
#ifndef GAME_ENTITIES_UPGRADES_H
#define GAME_ENTITIES_UPGRADES_H

#include <stdint.h>

class Upgrades {
public:
    // Every field from array "gameplay" (node id = the key, attribute "value") of the
    // level database, else of "gameplay-global.xml", else its default. Integers read by
    // the decimal rule (0 without digits), floats by the string-to-double rule.
    void Init(const char *level_file);

    int32_t max_troopers = 2;
    int32_t max_powerups = 3;
    int32_t coin_value = 100;
    float powerup_probability = 100.0f;     // percent
    float powerup_interval = 15000.0f;      // ms of game clock between drops
    float hitpoint_increase_per_wave = 0.0f;
    int32_t powerup_disappear_time = 45;    // seconds
    int32_t super_soldier_time = 30;        // seconds
};

extern Upgrades upgrades;

#endif
