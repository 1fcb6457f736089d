// The ranges of the numbers kept in the player's files (profiles, the saved game, the
// statistics, the leaderboards): a damaged or edited file may hold any number, and the
// game adds to these, sums them and counts with them. Every reader passes each number
// it takes from such a file through the helper of its kind, which saturates it into
// the kind's range, so that no arithmetic on it can overflow: one helper per kind, and
// PlayerNumber for a number written as text (never atoi, whose overflow is undefined).
//
// Header only and free of the engine: the byte-layout readers and their fuzz programs
// use it too.
#ifndef APP_SERVICES_PLAYER_VALUES_H
#define APP_SERVICES_PLAYER_VALUES_H

#include <stdint.h>
#include <stdlib.h>

// The upper ends: far above anything played, far below where a sum of a few of them or
// a count raised once a frame could overflow 32 bits.
const int kPlayerMaxRating = 5;              // stars of a mission
const int kPlayerMaxWave = 100000;           // waves of a battle, wave-script positions
const int kPlayerMaxTroopers = 64;           // troopers of a squad: size, living, held, to pick
const int kPlayerMaxCount = 1000000000;      // kills, shots, spawns, wins, losses, plays
const int kPlayerMaxMoney = 1000000000;      // money held, earned, spent
const int kPlayerMaxScore = 1000000000;      // scores and leaderboard points
const int kPlayerMaxTimeMs = 2000000000;     // times in milliseconds (23 days), summed saturating
const float kPlayerMaxHitPoints = 10000000.0f;  // hit points of a trooper or the bunker
const float kPlayerMaxPosition = 1000000.0f;    // world positions, either way from the origin

// A decimal number written as text (leading blanks and a sign allowed, anything after
// the digits ignored), saturated at the ends of long long; 0 for null or no digits.
inline long long PlayerNumber(const char *text)
{
    return text ? strtoll(text, nullptr, 10) : 0;
}

inline long long ClampPlayerValue(long long v, long long low, long long high)
{
    return v < low ? low : v > high ? high : v;
}

inline int PlayerRating(long long v) { return (int)ClampPlayerValue(v, 0, kPlayerMaxRating); }
inline int PlayerWave(long long v) { return (int)ClampPlayerValue(v, 0, kPlayerMaxWave); }
inline int PlayerTroopers(long long v) { return (int)ClampPlayerValue(v, 0, kPlayerMaxTroopers); }
inline int PlayerCount(long long v) { return (int)ClampPlayerValue(v, 0, kPlayerMaxCount); }
inline int PlayerMoney(long long v) { return (int)ClampPlayerValue(v, 0, kPlayerMaxMoney); }
inline int PlayerScore(long long v) { return (int)ClampPlayerValue(v, 0, kPlayerMaxScore); }
inline int PlayerTimeMs(long long v) { return (int)ClampPlayerValue(v, 0, kPlayerMaxTimeMs); }

// Numbers kept as floats: NaN becomes the low end.
inline float ClampPlayerFloat(float v, float low, float high)
{
    return v >= low ? (v <= high ? v : high) : low;
}
inline float PlayerPhase(float v) { return ClampPlayerFloat(v, 0.0f, 1.0f); }  // 0..1 of a fade or pause
inline float PlayerSeconds(float v) { return ClampPlayerFloat(v, 0.0f, kPlayerMaxTimeMs / 1000.0f); }
inline float PlayerWaveShown(float v) { return ClampPlayerFloat(v, 0.0f, (float)kPlayerMaxWave); }
inline float PlayerHitPoints(float v) { return ClampPlayerFloat(v, 0.0f, kPlayerMaxHitPoints); }
inline float PlayerPosition(float v) { return ClampPlayerFloat(v, -kPlayerMaxPosition, kPlayerMaxPosition); }

#endif
