// Fuzzes the statistics reader: only a block of exactly 376 bytes reads, it leaves
// the record untouched otherwise, and a block that reads is written back byte for
// byte. Links the byte layout alone (no engine).
#include "game/savegame-format.h"

#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    GameStats stats;
    GameStatsDefaults(&stats);
    stats.enemies_killed = 12345;
    bool read = GameStatsFromBytes(data, size, &stats);
    if (read != (size == GAMESTATS_FILE_SIZE))
        __builtin_trap();
    if (!read) {
        if (stats.enemies_killed != 12345 || memcmp(stats.header, "YOU", 4) != 0)
            __builtin_trap();
        return 0;
    }
    uint8_t bytes[GAMESTATS_FILE_SIZE];
    GameStatsToBytes(stats, bytes);
    if (memcmp(bytes, data, size) != 0)
        __builtin_trap();
    return 0;
}
