// The Lua scripting manager: libraries, the function registry across states, user
// pointers, script files and strings, calls by name and their messages, and the reading
// of script arguments without raising.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/luaman.h"

#include <lua.hpp>

#include <limits.h>
#include <math.h>

#include <thread>

using namespace apptest;

namespace {

class LuaManagerTest : public AppEngineTest {
protected:
    void SetUp() override {
        AppEngineTest::SetUp();
        Start();
    }
};

int ReturnSeven(lua_State *L)
{
    lua_pushinteger(L, 7);
    return 1;
}

int ReturnEight(lua_State *L)
{
    lua_pushinteger(L, 8);
    return 1;
}

// Runs a chunk that defines `check`, and calls it.
double Check(lua_State *L, const char *definition)
{
    EXPECT_TRUE(lua_man.ExecLuaString(L, definition));
    return lua_man.CallLuaFunction(L, "check");
}

}  // namespace

TEST_F(LuaManagerTest, OnlyBaseMathStringAndTableAreOpen)
{
    lua_State *L = lua_man.OpenLuaState(0);
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(Check(L, "function check() return (io == nil and os == nil and require == nil and package == nil"
                       " and debug == nil and loadlib == nil) and 1 or 0 end"), 1);
    EXPECT_EQ(Check(L, "function check() return math.floor(2.5) + #string.rep('x', 3) + #table.concat({'a','b'})"
                       " + (type(pairs) == 'function' and 100 or 0) end"), 2 + 3 + 2 + 100);
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, PrintIsSilentAndPrintWithCapitalReachesTheLog)
{
    lua_State *L = lua_man.OpenLuaState(0);
    // The texts are joined in Lua: the source line itself is logged by ExecLuaString.
    EXPECT_TRUE(lua_man.ExecLuaString(L, "print('quiet' .. '-marker') Print('loud' .. '-marker')"));
    EXPECT_FALSE(Logged("quiet-marker"));
    EXPECT_TRUE(Logged("loud-marker"));
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, FunctionRegisteredAfterThreeStatesIsCallableInAllAndLaterOnes)
{
    lua_State *states[3];
    for (lua_State *&L : states)
        L = lua_man.OpenLuaState(0);
    int open = lua_man.GetNumberOfOpenStates();
    lua_man.AddLuaFunction("TestAfterThree", ReturnSeven);
    for (lua_State *L : states) {
        EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(L, "TestAfterThree"));
        EXPECT_EQ(lua_man.CallLuaFunction(L, "TestAfterThree"), 7);
    }
    lua_State *later = lua_man.OpenLuaState(0);
    EXPECT_EQ(lua_man.CallLuaFunction(later, "TestAfterThree"), 7);
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open + 1);
    lua_man.CloseLuaState(later);
    for (lua_State *L : states)
        lua_man.CloseLuaState(L);
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open - 3);
}

TEST_F(LuaManagerTest, DuplicateNameKeepsTheFirstFunctionAndShowsThePopup)
{
    lua_man.AddLuaFunction("TestDuplicate", ReturnSeven);
    int count = lua_man.GetNumberOfFunctions();
    lua_man.AddLuaFunction("TestDuplicate", ReturnEight);
    EXPECT_EQ(lua_man.GetNumberOfFunctions(), count);
    EXPECT_TRUE(Logged("LuaManager::AddLuaFunction: adding function with name TestDuplicate multiple times!"));
    lua_man.AddLuaFunction("testduplicate", ReturnEight);
    EXPECT_EQ(lua_man.GetNumberOfFunctions(), count + 1);
    lua_State *L = lua_man.OpenLuaState(0);
    EXPECT_EQ(lua_man.CallLuaFunction(L, "TestDuplicate"), 7);
    EXPECT_EQ(lua_man.CallLuaFunction(L, "testduplicate"), 8);
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, RegistrationFromAnotherThreadWarnsInDeveloperMode)
{
    std::thread worker([] { lua_man.AddLuaFunction("TestFromWorker", ReturnSeven); });
    worker.join();
    EXPECT_TRUE(Logged("Adding lua-function 'TestFromWorker' from non-main thread!"));
    lua_State *L = lua_man.OpenLuaState(0);
    EXPECT_EQ(lua_man.CallLuaFunction(L, "TestFromWorker"), 7);
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, EachStateKeepsItsOwnUserPointer)
{
    lua_State *a = lua_man.OpenLuaState(0);
    lua_State *b = lua_man.OpenLuaState(0);
    int x = 0, y = 0;
    EXPECT_EQ(lua_man.GetLuaStateUserData(a), nullptr);
    lua_man.SetLuaStateUserData(a, &x);
    lua_man.SetLuaStateUserData(b, &y);
    EXPECT_EQ(lua_man.GetLuaStateUserData(a), &x);
    EXPECT_EQ(lua_man.GetLuaStateUserData(b), &y);
    lua_man.SetLuaStateUserData(a, nullptr);
    EXPECT_EQ(lua_man.GetLuaStateUserData(a), nullptr);
    EXPECT_EQ(lua_man.GetLuaStateUserData(b), &y);
    lua_man.CloseLuaState(a);
    lua_man.CloseLuaState(b);
    EXPECT_EQ(lua_man.GetLuaStateUserData(b), nullptr);
}

// What a finaliser running while its state closes finds: the open-state count and the
// closing state's user pointer.
int open_at_close = -1;
void *owner_at_close = nullptr;
int ProbeClosing(lua_State *L)
{
    open_at_close = lua_man.GetNumberOfOpenStates();
    owner_at_close = lua_man.GetLuaStateUserData(L);
    return 0;
}

// A state is taken off the open states and loses its owner before it is closed: code
// that runs while it closes (its finalisers, or a registration from another thread)
// never finds it open.
TEST_F(LuaManagerTest, AClosingStateIsNoLongerOpenNorOwned)
{
    const int open = lua_man.GetNumberOfOpenStates();
    lua_State *L = lua_man.OpenLuaState(0);
    int owner = 0;
    lua_man.SetLuaStateUserData(L, &owner);
    LuaManager::RegisterLuaFunc(L, "ProbeClosing", ProbeClosing);
    ASSERT_TRUE(lua_man.ExecLuaString(L, "kept = newproxy(true)\n"
                                         "getmetatable(kept).__gc = function() ProbeClosing() end"));
    ASSERT_EQ(lua_man.GetNumberOfOpenStates(), open + 1);
    open_at_close = -1;
    owner_at_close = &owner;
    lua_man.CloseLuaState(L);
    EXPECT_EQ(open_at_close, open) << "the finaliser ran with the state still listed";
    EXPECT_EQ(owner_at_close, nullptr);
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open);
}

TEST_F(LuaManagerTest, CallsByNameConvertResultsAndRestoreTheStack)
{
    lua_State *L = lua_man.OpenLuaState(0);
    ASSERT_TRUE(lua_man.ExecLuaString(L,
        "function twelve() return '12' end\n"
        "function word() return 'abc' end\n"
        "function none() end\n"
        "function sum3(a, b, c) return a * 100 + b * 10 + c end\n"
        "function join(s, t) return #s * 10 + #t end\n"
        "function ffsi(a, b, s, i) return a * 1000 + b * 100 + #s * 10 + i end\n"
        "function half(i) return i / 2 end\n"
        "function diff(i, j) return i - j end\n"));
    int top = lua_gettop(L);
    EXPECT_EQ(lua_man.CallLuaFunction(L, "twelve"), 12);
    EXPECT_EQ(lua_man.CallLuaFunction(L, "word"), 0);
    EXPECT_EQ(lua_man.CallLuaFunction(L, "none"), 0);
    EXPECT_EQ(lua_man.CallLuaFunctionN(L, "half", 5), 2.5);
    EXPECT_EQ(lua_man.CallLuaFunction2N(L, "diff", 5, 7), -2);
    EXPECT_EQ(lua_man.CallLuaFunction3N(L, "sum3", 1, 2, 3), 123);
    EXPECT_EQ(lua_man.CallLuaFunctionS(L, "join", "abcd"), 0);  // t is nil: a run error
    EXPECT_EQ(lua_man.CallLuaFunction2S(L, "join", "abcd", "xy"), 42);
    EXPECT_EQ(lua_man.CallLuaFunctionI(L, "half", 5), 2);  // 2.5 read as an integer
    EXPECT_EQ(lua_man.CallLuaFunction2I(L, "diff", 9, 4), 5);
    EXPECT_EQ(lua_man.CallLuaFunctionFFSI(L, "ffsi", 1, 2, "abc", 4), 1234);
    EXPECT_EQ(lua_gettop(L), top);
    EXPECT_EQ(lua_man.CallLuaFunction(nullptr, "twelve"), 0);
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, CallingAMissingFunctionGivesZeroAndThePopupWithLuasText)
{
    lua_State *L = lua_man.OpenLuaState(0);
    EXPECT_EQ(lua_man.CallLuaFunctionN(L, "NoSuchFunction", 1), 0);
    EXPECT_TRUE(Logged("Unable to call 'NoSuchFunction'"));
    EXPECT_TRUE(Logged("attempt to call a nil value"));
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, ErrorObjectThatIsNotAStringIsNamedAsSuch)
{
    lua_State *L = lua_man.OpenLuaState(0);
    ASSERT_TRUE(lua_man.ExecLuaString(L, "function fails() error({}) end"));
    EXPECT_EQ(lua_man.CallLuaFunction(L, "fails"), 0);
    EXPECT_TRUE(Logged("Unable to call 'fails'"));
    EXPECT_TRUE(Logged("(error object is not a string)"));
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, ExecLuaStringResults)
{
    lua_State *L = lua_man.OpenLuaState(0);
    EXPECT_TRUE(lua_man.ExecLuaString(L, ""));
    EXPECT_TRUE(lua_man.ExecLuaString(L, nullptr));
    EXPECT_FALSE(lua_man.ExecLuaString(L, "this is not lua"));
    EXPECT_FALSE(Logged("WARNING: ExecLuaString"));
    EXPECT_TRUE(lua_man.ExecLuaString(L, "error('boom')"));
    EXPECT_TRUE(Logged("WARNING: ExecLuaString: error running string 'error('boom')'."));
    EXPECT_TRUE(Logged("ExecLuaString: 'error('boom')'"));
    int top = lua_gettop(L);
    EXPECT_TRUE(lua_man.ExecLuaString(L, "return 1, 2, 3"));
    EXPECT_EQ(lua_gettop(L), top);
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, ExecLuaFileRunsCompilesAndReports)
{
    WriteFile("script-no-newline.lua", "value = 40\nvalue = value + 2");
    WriteFile("script-bad.lua", "function (\n");
    WriteFile("script-fails.lua", "error('file boom')\n");
    lua_State *L = lua_man.OpenLuaState(0);
    EXPECT_TRUE(lua_man.ExecLuaFile(L, "script-no-newline.lua"));
    EXPECT_TRUE(lua_man.ExecLuaString(L, "function check() return value end"));
    EXPECT_EQ(lua_man.CallLuaFunction(L, "check"), 42);

    EXPECT_FALSE(lua_man.ExecLuaFile(L, "script-missing.lua"));
    EXPECT_TRUE(Logged("WARNING: ExecLuaFile: File 'script-missing.lua' not found."));
    EXPECT_FALSE(lua_man.ExecLuaFile(L, "script-bad.lua"));
    EXPECT_TRUE(Logged("WARNING: ExecLuaFile: error compiling 'script-bad.lua':"));
    EXPECT_FALSE(lua_man.ExecLuaFile(L, "script-fails.lua"));
    EXPECT_TRUE(Logged("WARNING: ExecLuaFile: error running 'script-fails.lua':"));
    EXPECT_TRUE(Logged("file boom"));
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, LuaIncludeRunsAFileInTheCallingState)
{
    WriteFile("included.lua", "included_value = 5");
    lua_State *L = lua_man.OpenLuaState(0);
    EXPECT_EQ(Check(L, "LuaInclude('included.lua') function check() return included_value end"), 5);
    lua_man.CloseLuaState(L);
}

TEST_F(LuaManagerTest, MainStateLivesFromInitializeToShutdown)
{
    ASSERT_TRUE(lua_man.Initialize());
    lua_State *main_state = lua_man.GetMainState();
    ASSERT_NE(main_state, nullptr);
    EXPECT_TRUE(lua_man.ExecLuaString(nullptr, "main_marker = 3"));
    EXPECT_TRUE(lua_man.ExecLuaString(main_state, "function check() return main_marker end"));
    EXPECT_EQ(lua_man.CallLuaFunction(main_state, "check"), 3);
    lua_man.Shutdown();
    EXPECT_EQ(lua_man.GetMainState(), nullptr);
    EXPECT_FALSE(lua_man.ExecLuaFile(nullptr, "anything.lua"));
}

// Script arguments read without raising: numbers, numeric strings, missing values,
// other types, not-a-number and huge values, as int and as float; null texts as "".
namespace {

class LuaArguments : public ::testing::Test {
protected:
    void SetUp() override { L = luaL_newstate(); }
    void TearDown() override { lua_close(L); }
    lua_State *L = nullptr;
};

TEST_F(LuaArguments, NumbersAreReadWithoutRaisingAndStayDefined)
{
    // Stack: 1 2.75, 2 "-3.5", 3 "abc", 4 a table, 5 NaN, 6 1e20, 7 -1e20, 8 nil.
    lua_pushnumber(L, 2.75);
    lua_pushstring(L, "-3.5");
    lua_pushstring(L, "abc");
    lua_newtable(L);
    lua_pushnumber(L, NAN);
    lua_pushnumber(L, 1e20);
    lua_pushnumber(L, -1e20);
    lua_pushnil(L);
    const struct {
        int index;
        float as_float;
        int as_int;
    } kCases[] = {
        {1, 2.75f, 2}, {2, -3.5f, -3}, {3, 0.0f, 0}, {4, 0.0f, 0}, {5, 0.0f, 0},
        {6, 1e9f, INT_MAX}, {7, -1e9f, INT_MIN}, {8, 0.0f, 0}, {20, 0.0f, 0},  // 20: past the top
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(LuaToFloat(L, c.index), c.as_float);
        EXPECT_EQ(LuaToInt(L, c.index), c.as_int);
    }
    EXPECT_EQ(lua_gettop(L), 8);  // nothing pushed or popped
}

TEST_F(LuaArguments, FlagsAreNumbersNotZeroOrLuasTruth)
{
    // Stack: 1 0.5, 2 0, 3 NaN, 4 "0", 5 false, 6 true, 7 nil, 8 a table.
    lua_pushnumber(L, 0.5);
    lua_pushnumber(L, 0);
    lua_pushnumber(L, NAN);
    lua_pushstring(L, "0");
    lua_pushboolean(L, 0);
    lua_pushboolean(L, 1);
    lua_pushnil(L);
    lua_newtable(L);
    const bool kExpected[] = {true, false, false, true, false, true, false, true};
    for (int i = 0; i < 8; i++) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(LuaToFlag(L, i + 1), kExpected[i]);
    }
    EXPECT_FALSE(LuaToFlag(L, 20));  // past the top
}

TEST(TextOrEmpty, NullGivesTheEmptyText)
{
    EXPECT_STREQ(TextOrEmpty(nullptr), "");
    EXPECT_STREQ(TextOrEmpty("name"), "name");
}

}  // namespace
