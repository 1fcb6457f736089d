// Power-ups: the static table of up to 16 bonus definitions read from "powerups.xml",
// the weighted random choice of the next power-up to drop with its refusal rules, and
// `Activate`, which carries out each of the twelve kinds when a pick-up is collected.
// The records exist from program start with null effects; their texts are freed at
// exit. Main thread only.
#ifndef GAME_ENTITIES_POWERUPS_H
#define GAME_ENTITIES_POWERUPS_H

#include "orvex.h"

#include <stdint.h>

struct Entity;
struct fx_t;

enum { POWERUP_MAX = 16 };

struct Powerup {
    // (Re)fills the table from "powerups.xml": false with the table unchanged when the
    // file or its array "powerups" is missing. Nodes without "id" are skipped; nodes
    // past the sixteenth are ignored; effects are replaced only when their key is there.
    static bool LoadPowerups();
    // The first record whose id equals id exactly; null when none or id is null.
    static Powerup *GetPowerup(const char *powerup_id);
    // The next power-up to drop by weight ("rarity"), refused by the mode and state
    // rules; null for an empty table, no positive weight, enough pick-ups on the field
    // or ten refused draws.
    static Powerup *GetRandomPowerup();
    // Frees every record's texts and empties the table (program exit; tests).
    static void ClearPowerups();

    // Applies this power-up, carried by pickup, to picker (the trooper that took it, or
    // null for a collection by touch). Nothing for a pick-up younger than one second.
    void Activate(Entity *pickup, Entity *picker);

    char *id;                // owned: the kind, e.g. "POWERUP_HEALTH"
    char *name;              // owned: localised display name, "" when absent
    ov_bitmap_t *icon;       // drawn on the pick-up
    fx_t *fx_picked;         // played where the pick-up was taken
    fx_t *fx_activate;       // played on the picker by some kinds
    int32_t rarity;          // weight of the random choice; 0 or less never chosen
    int32_t min_level;       // earliest level number in LEVEL mode

    static Powerup powerups[POWERUP_MAX];
    static int num_powerups;
    // Game clock (ms) of the last drop (the behaviours' drop rule reads and sets it).
    static uint32_t last_powerup_timestamp;
};

// The level number of a mission id: "MISSION" removed everywhere, the rest split at "_",
// (first - 1) x 10 + second ("MISSION2_5" gives 15); an id of 1024 characters or more
// gives no parts (-10).
int PowerupLevelNumber(const char *mission_id);

#endif
