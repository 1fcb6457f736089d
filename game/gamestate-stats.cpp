// The statistics block "user/stats-v111.dat": 376 bytes carried between runs (the
// best scores, the missions finished, the enemies killed in all missions). Read when a
// battle is loaded and by the score script functions, written at each mission end and
// by the script function "SaveScore". Only while the world exists.
#include "game/gamestate.h"

#include "app/services/filehelpers.h"
#include "game/savegame-format.h"
#include "game/scape.h"
#include "orvex.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kStatsFile[] = "user/stats-v111.dat";

// "user://user/stats-v111.dat", with its folder created for a write.
const char *StatsFileName(char *buf, int size, bool for_writing)
{
    const char *name = ov->OV_GetPathEx(buf, size, 1, "%s", kStatsFile);
    if (for_writing && name)
        CreateFolderOf(name);
    return name;
}

bool WriteBlock(const char *name, const GameStats &stats)
{
    uint8_t bytes[GAMESTATS_FILE_SIZE];
    GameStatsToBytes(stats, bytes);
    return SaveFileReplacing(name, bytes, sizeof bytes);
}

}  // namespace

bool GameState::WriteStats()
{
    if (!GetScape())
        return false;
    // A block never read holds no player's totals: the file is read first, so a write
    // never replaces the statistics it has not seen.
    if (!stats_read)
        ReadStats();
    char name[512];
    if (!StatsFileName(name, sizeof name, true))
        return false;
    if (!WriteBlock(name, stats))
        return false;
    stats_written = stats;
    return true;
}

// The block as read; a missing file gives the block of a new player, and so does a
// damaged one (another size, another header, a negative score or count: see
// GameStatsFromBytes), which is first kept aside as ".bad" and then replaced by that
// block (so that it is copied once, not at every read). Counters raised since the block was last
// read or written are written first: reading must not lose them.
bool GameState::ReadStats()
{
    if (!GetScape())
        return false;
    // When they cannot be written the block stays as it is in memory, unread.
    if (stats_read && memcmp(&stats, &stats_written, sizeof stats) != 0 && !WriteStats())
        return false;
    char name[512];
    if (!StatsFileName(name, sizeof name, false))
        return false;
    long size = 0;
    char *data = ReadWholeFile(name, &size);
    bool ok = data && GameStatsFromBytes((const uint8_t *)data, (size_t)size, &stats);
    if (!ok) {
        GameStatsDefaults(&stats);
        if (data) {
            ov->OV_PrintDebugf(2, "The statistics file '%s' is damaged (%ld bytes): a new block is started.\n", name,
                               size);
            if (KeepDamagedCopy(name))
                WriteBlock(name, stats);
        }
    }
    free(data);
    stats_written = stats;
    stats_read = 1;
    return ok;
}
