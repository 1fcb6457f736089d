// Lua states opened, run and closed on a worker thread while the main thread does the
// same: the registry, the open-state list and the user-pointer table are shared; each
// state is used by the thread that opened it. Run under ThreadSanitizer.
#include "app/services/luaman-builtins.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "orvex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdio.h>
#include <string.h>
#include <thread>

namespace {

// A quiet interface table: the scripting manager and the built-ins used here only log.
int Quiet(const char *, ...)
{
    return 0;
}
int QuietLevel(int, const char *, ...)
{
    return 0;
}
std::thread::id main_id;
int IsMain()
{
    return std::this_thread::get_id() == main_id;
}

int Twice(lua_State *L)
{
    lua_pushnumber(L, lua_tonumber(L, 1) * 2);
    return 1;
}

// Opens, runs and closes `rounds` states; returns the number of rounds that saw every
// result they expected.
int Churn(int rounds, int salt)
{
    int good = 0;
    for (int i = 0; i < rounds; i++) {
        lua_State *L = lua_man.OpenLuaState(0);
        if (!L)
            continue;
        int mine = salt + i;
        lua_man.SetLuaStateUserData(L, &mine);
        bool ok = lua_man.ExecLuaString(L, "function f(n) local t = {} for k = 1, n do t[k] = string.rep('x', k) end"
                                           " return #table.concat(t) + TestTwice(n) end");
        ok = ok && lua_man.CallLuaFunctionN(L, "f", 10) == 55 + 20;
        ok = ok && lua_man.CallLuaFunction(L, "missing") == 0;
        char expected[16];
        snprintf(expected, sizeof expected, "00:00:%.2d", i % 60);
        ok = ok && strcmp(LuaFormattedTime(1000 * (i % 60), "HH"), expected) == 0;
        ok = ok && lua_man.GetLuaStateUserData(L) == &mine;
        lua_man.CloseLuaState(L);
        good += ok;
    }
    return good;
}

}  // namespace

TEST(LuaThreads, WorkerAndMainThreadOpenRunAndCloseStatesTogether)
{
    static orvex_t quiet;
    memset(&quiet, 0, sizeof quiet);
    quiet.OV_Printf = Quiet;
    quiet.OV_PrintDebugf = QuietLevel;
    quiet.OV_Popupf = QuietLevel;
    quiet.OV_IsMainThread = IsMain;
    main_id = std::this_thread::get_id();
    orvex_t *saved = ov;
    ov = &quiet;

    lua_man.AddLuaFunction("TestTwice", Twice);
    int open_before = lua_man.GetNumberOfOpenStates();
    const int kRounds = 500;
    std::atomic<int> worker_good{0};
    std::thread worker([&] { worker_good = Churn(kRounds, 1000); });
    int main_good = Churn(kRounds, 0);
    worker.join();

    EXPECT_EQ(main_good, kRounds);
    EXPECT_EQ(worker_good.load(), kRounds);
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open_before);
    ov = saved;
}

// The engine is not started here; its interface module still names the record.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &prog;
}
