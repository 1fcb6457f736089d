// The analytics event log (`analyst`): named game events, each with a list of
// key/value string pairs, handed to up to three sinks chosen by product features:
// the platform's analytics extension "LogEvent", the player's play log
// "user://logs/playlog-<profile>.csv" (ANALYST_LOCAL_STORE) and an upload to the
// analytics web service on a short-lived thread "Analyst" (ANALYST_LIVELOGGER).
// Nothing reaches any sink while the log is disabled or under AUTO_TESTING_MODE.
//
// The upload address is finished on the main thread when the event is logged (it
// reads the active profile, the program record and the product values); the thread
// only sends it. Uploads run one at a time under the engine mutex "ANALYST_THREAD".
//
// Main thread only, except the upload threads, which touch nothing but their own
// address block and the engine's HTTP call.
#ifndef ONLINE_ANALYTICS_H
#define ONLINE_ANALYTICS_H

#include "narray.h"
#include "nstring.h"

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// The analytics endpoint; its query follows the "?".
#define ANALYTICS_ENDPOINT "http://analytics.invalid/?"
// The largest upload body (characters, without the terminator); a longer one is not sent.
#define ANALYTICS_MAX_BODY 2047

class Analyst {
public:
    // One pair of an event: two owned heap strings (null given becomes "").
    struct KeyValue {
        KeyValue() = default;
        KeyValue(const char *k, const char *v);
        KeyValue(const KeyValue &other);
        KeyValue(KeyValue &&other) noexcept;
        KeyValue &operator=(const KeyValue &other);
        KeyValue &operator=(KeyValue &&other) noexcept;
        ~KeyValue();
        char *key = nullptr;
        char *value = nullptr;
    };
    typedef nArray<KeyValue> KeyValues;

    // Sets the enabled flag; true.
    bool Initialize();
    // Clears the enabled flag: nothing is logged afterwards.
    void Shutdown();
    bool IsEnabled() const { return enabled != 0; }

    // The event without pairs.
    void LogEvent(const char *event);
    // The event with one pair (a null key or value is "").
    void LogEventWithKeyValue(const char *event, const char *key, const char *value);
    // "LEVELTIME" with level = the level name ("" for null) and time = "%d" of time.
    void LogEventLevelTime(const char *level, int time);
    // Builds the line, offers it to "LogEvent" and the play log, and with
    // ANALYST_LIVELOGGER starts one upload. Nothing while disabled or auto-testing.
    void LogEventWithKeyValues(const char *event, KeyValues pairs);

    // The play-log line: the event name, then ",key,value" per pair; a field holding
    // ',', '"', CR or LF is quoted with '"' doubled inside.
    static nString GetEventKeyValuePairsInCommaSeparatedFormat(const char *event, const KeyValues &pairs);
    // The upload body: "event_id=<event>" then "&k[<key>]=<value>" per pair, every
    // name, key and value percent-encoded (form encoding: blanks as '+').
    static nString GetEventKeyValuePairsInTalvikAnalyticsFormat(const char *event, const KeyValues &pairs);
    // The play log of the active profile: "user://logs/playlog-<name>.csv" where the
    // name keeps ASCII letters, digits, '-' and '_' and turns every other byte into
    // '_'; "default" without a profile or with an empty name.
    static nString GetPlayLogFileName();
    // The upload address for a body: the endpoint, "app_id=" with the product value
    // "analytics_id" (or the program id) and its suffix, the version, the platform,
    // "udid=" the active profile's random number, then the body. Empty without an
    // active profile.
    static nString BuildUploadAddress(const char *body);

    // With ANALYST_LOCAL_STORE appends the line and "\n" to the play log in one write
    // (creating "user://logs/" when missing), so that a kill leaves the line whole or
    // cut, never split around another. A log whose last line was cut short (a kill, a
    // full disk) is first rewritten without it. A log that cannot be written is reported
    // at level 1 as "Unable to append playlog to '%s'.\n" and as a failed save
    // (ReportFailedSave).
    void AddLocalStoreLine(const char *line);
    // The play log's whole lines, each without its "\n" (a quoted field may hold line
    // breaks); a last line without its end, cut short, is left out. Empty when the file
    // does not read.
    static std::vector<std::string> ReadPlayLog(const char *file);

    // Registers "Analyst_LogEvent" and "Analyst_LogEventLevelTime" (analytics-script.cpp).
    static void RegisterLuaFunctions();

    uint8_t enabled = 0;
};

// The upload thread's body: sends the address (a malloc'd block it frees) under the
// mutex "ANALYST_THREAD" and logs "ret:%d\n". Started with OV_CreateThread.
void Analyst_LoggerThread(void *address);

// The one analytics log.
extern Analyst analyst;

#endif
