// Shared by the weapon, power-up and tuning tests: the headless engine with the data
// registry emptied, the log and popup lines recorded, and the content tables cleared
// around every test.
#ifndef TESTS_GAME_ENTITIES_TEST_WEAPONS_FIXTURE_H
#define TESTS_GAME_ENTITIES_TEST_WEAPONS_FIXTURE_H

#include "tests/app/services/app_engine_fixture.h"

#include "app/services/dataman.h"
#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "game/entities/powerups.h"
#include "game/entities/weapons.h"

#include <stdarg.h>
#include <stdio.h>

#include <string>
#include <vector>

namespace contenttest {

// Lines printed (OV_Printf), debug lines (OV_PrintDebugf) and popups, as formatted.
inline std::vector<std::string> &Printed()
{
    static std::vector<std::string> lines;
    return lines;
}
inline std::vector<std::string> &Popups()
{
    static std::vector<std::string> lines;
    return lines;
}
inline std::vector<std::string> &DebugLines()
{
    static std::vector<std::string> lines;
    return lines;
}

inline std::string FormatV(const char *fmt, va_list args)
{
    char text[1024];
    vsnprintf(text, sizeof text, fmt, args);
    return text;
}

inline int RecordPrintf(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    Printed().push_back(FormatV(fmt, args));
    va_end(args);
    return 1;
}
inline int RecordPopupf(int level, const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    Popups().push_back(std::to_string(level) + ":" + FormatV(fmt, args));
    va_end(args);
    return 1;
}
inline int RecordPrintDebugf(int level, const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    DebugLines().push_back(std::to_string(level) + ":" + FormatV(fmt, args));
    va_end(args);
    return 1;
}

inline int Count(const std::vector<std::string> &lines, const std::string &line)
{
    int n = 0;
    for (const std::string &l : lines)
        n += l == line;
    return n;
}

// Values handed out in turn by the random source (the last one repeats).
inline std::vector<int> &ScriptedValues()
{
    static std::vector<int> values;
    return values;
}
inline size_t &ScriptedNext()
{
    static size_t next = 0;
    return next;
}
// Draws taken since the script was set.
inline size_t &ScriptedCalls()
{
    static size_t calls = 0;
    return calls;
}
inline int ScriptedRandom()
{
    ScriptedCalls()++;
    std::vector<int> &v = ScriptedValues();
    if (v.empty())
        return 0;
    size_t i = ScriptedNext() < v.size() ? ScriptedNext()++ : v.size() - 1;
    return v[i];
}
inline void ScriptRandom(std::vector<int> values)
{
    ScriptedValues() = std::move(values);
    ScriptedNext() = 0;
    ScriptedCalls() = 0;
    AppSetRandomSource(ScriptedRandom);
}

class ContentTest : public apptest::AppEngineTest {
protected:
    void SetUp() override
    {
        AppEngineTest::SetUp();
        Start();
        Printed().clear();
        Popups().clear();
        DebugLines().clear();
        ov->OV_Printf = RecordPrintf;
        ov->OV_Popupf = RecordPopupf;
        ov->OV_PrintDebugf = RecordPrintDebugf;
        dman().ReleaseAllDatabases();
        pbman.Init();
        Weapon::ClearWeapons();
        Powerup::ClearPowerups();
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        Weapon::ClearWeapons();
        Powerup::ClearPowerups();
        pbman.Shutdown();
        dman().ReleaseAllDatabases();
        AppEngineTest::TearDown();
    }
};

}  // namespace contenttest

#endif
