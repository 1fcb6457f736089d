// Fuzzes the statistics reader: a block reads only when it is exactly 376 bytes, starts
// with "YOU" and its terminator and holds no negative best score or count; it leaves the
// record untouched otherwise. A block that reads holds every score and count in its
// range, and is written back byte for byte apart from the numbers clamped into range
// (writing that again changes nothing). Links the byte layout alone (no engine).
#include "app/services/player-values.h"
#include "game/savegame-format.h"

#include <string.h>

namespace {

int32_t Int32At(const uint8_t *b, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; i++)
        v |= (uint32_t)b[at + i] << (8 * i);
    return (int32_t)v;
}

// The reader's own rule, from the bytes.
bool Readable(const uint8_t *data, size_t size)
{
    if (size != GAMESTATS_FILE_SIZE || memcmp(data, "YOU", 4) != 0)
        return false;
    for (size_t at : {72u, 76u, 80u, 84u, 88u, 92u, 96u, 100u, 112u, 116u})
        if (Int32At(data, at) < 0)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    GameStats stats;
    GameStatsDefaults(&stats);
    stats.enemies_killed = 12345;
    bool read = GameStatsFromBytes(data, size, &stats);
    if (read != Readable(data, size))
        __builtin_trap();
    if (!read) {
        if (stats.enemies_killed != 12345 || memcmp(stats.header, "YOU", 4) != 0)
            __builtin_trap();
        return 0;
    }
    for (int32_t v : stats.best_scores)
        if (v < 0 || v > kPlayerMaxScore)
            __builtin_trap();
    if (stats.missions_finished < 0 || stats.missions_finished > kPlayerMaxCount || stats.enemies_killed < 0 ||
        stats.enemies_killed > kPlayerMaxCount)
        __builtin_trap();
    uint8_t bytes[GAMESTATS_FILE_SIZE];
    GameStatsToBytes(stats, bytes);
    for (size_t i = 0; i < sizeof bytes; i++) {
        bool number = (i >= 72 && i < 104) || (i >= 112 && i < 120);
        if (!number && bytes[i] != data[i])
            __builtin_trap();
    }
    GameStats again;
    if (!GameStatsFromBytes(bytes, sizeof bytes, &again))
        __builtin_trap();
    uint8_t twice[GAMESTATS_FILE_SIZE];
    GameStatsToBytes(again, twice);
    if (memcmp(bytes, twice, sizeof bytes) != 0)
        __builtin_trap();
    return 0;
}
