// The profile script functions, called through Lua: registration by the manager's
// start-up, every function with an active profile and without one, argument
// conversions (numbers as texts, texts as numbers, wrong types read as null or 0 without
// raising) and "AddProfile" when no file name is free.
#include "app/services/luaman.h"
#include "app/services/profiles.h"
#include "tests/app/services/data_fixture.h"

#include <stdio.h>
#include <sys/stat.h>

#include <string>

using datatest::DataTest;

namespace {

const char *const kNames[] = {
    "AddProfile", "SetProfile", "GetProfile", "DeleteProfile", "IsProfileNameValid", "GetNumberOfProfiles",
    "GetProfileValue", "ProfileValueExists", "ProfileTagExists", "SetProfileValue", "AddProfileTag",
    "RemoveProfileValue", "RemoveProfileCategory", "RemoveProfileTag", "IsProfileValueAcknowledged",
    "SetProfileValueAcknowledged", "SaveProfiles", "LoadProfiles", "GetValueNameByIndex",
    "GetNumberOfValuesInCategory", "SetGlobalValue", "GetGlobalValue", "SetStatisticsInt", "ChangeStatisticsInt",
    "GetStatisticsInt",
};

// One script call and what it gives back, written as Run renders it.
struct Step {
    const char *call;
    const char *result;
};

class ProfileScriptTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        profile_man().Clear();
        mkdir(UserPath("profiles").c_str(), 0755);
    }
    void TearDown() override
    {
        if (L_)
            lua_man.CloseLuaState(L_);
        profile_man().Clear();
        DataTest::TearDown();
    }
    void Open() { L_ = lua_man.OpenLuaState(0); }
    // Runs "return <call>" protected and renders the results: "nothing" for none, else
    // each as nil, true, false, a number or a quoted text, separated by commas; an error
    // as "error: <text>".
    std::string Run(const std::string &call)
    {
        int top = lua_gettop(L_);
        std::string chunk = "return " + call;
        if (luaL_loadstring(L_, chunk.c_str()) != 0 || lua_pcall(L_, 0, LUA_MULTRET, 0) != 0) {
            std::string error = "error: " + std::string(LuaErrorText(L_));
            lua_settop(L_, top);
            return error;
        }
        std::string out;
        for (int i = top + 1; i <= lua_gettop(L_); i++) {
            if (!out.empty())
                out += ",";
            switch (lua_type(L_, i)) {
            case LUA_TNIL: out += "nil"; break;
            case LUA_TBOOLEAN: out += lua_toboolean(L_, i) ? "true" : "false"; break;
            case LUA_TNUMBER: {
                char number[32];
                snprintf(number, sizeof number, "%.14g", lua_tonumber(L_, i));
                out += number;
                break;
            }
            case LUA_TSTRING: out += "'" + std::string(lua_tostring(L_, i)) + "'"; break;
            default: out += lua_typename(L_, lua_type(L_, i)); break;
            }
        }
        lua_settop(L_, top);
        return out.empty() ? "nothing" : out;
    }
    void RunSteps(const Step *steps, size_t count)
    {
        for (size_t i = 0; i < count; i++)
            EXPECT_EQ(Run(steps[i].call), steps[i].result) << "step " << i << ": " << steps[i].call;
    }
    lua_State *L_ = nullptr;
};

TEST_F(ProfileScriptTest, StartUpRegistersEveryFunctionAndLoads)
{
    int before = lua_man.GetNumberOfFunctions();
    profile_man().Initialize();
    EXPECT_EQ(lua_man.GetNumberOfFunctions(), before + 25);
    ASSERT_NE(prof, nullptr);
    Open();
    for (const char *name : kNames)
        EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(L_, name)) << name;
    EXPECT_EQ(Run("GetProfile(), GetNumberOfProfiles()"), "0,1");
}

TEST_F(ProfileScriptTest, EveryFunctionWithAnActiveProfile)
{
    profile_man().Initialize();
    Open();
    const Step steps[] = {
        {"GetProfile()", "0"},
        {"GetNumberOfProfiles()", "1"},
        {"GetProfileValue('!INFO', 'name', 'value')", "'Player'"},
        {"IsProfileNameValid('Player ')", "false"},
        {"IsProfileNameValid('  Ann ')", "true"},
        {"IsProfileNameValid()", "false"},
        {"AddProfile('  Ann  ')", "1"},  // trimmed, made active
        {"GetProfile()", "1"},
        {"GetProfileValue('!INFO', 'name', 'value')", "'Ann'"},
        {"SetProfile(0)", "true"},
        {"GetProfile()", "0"},
        {"SetProfile(2)", "false"},
        {"SetProfile(-1)", "false"},
        {"SetProfile(1e300)", "false"},  // saturates, stays outside the list
        {"SetProfile('1')", "true"},     // a text holding a number counts as that number
        {"GetProfile()", "1"},
        // Values: set, read, missing; numbers given as texts; null id or value ignored.
        {"SetProfileValue('C', 'a', 'k', 'v')", "nothing"},
        {"GetProfileValue('C', 'a', 'k')", "'v'"},
        {"GetProfileValue('C', 'a', 'x')", "nothing"},
        {"ProfileValueExists('C', 'a', 'k')", "true"},
        {"ProfileValueExists('C', 'a', 'x')", "false"},
        {"SetProfileValue('C', 5, 'k', 7)", "nothing"},
        {"GetProfileValue('C', '5', 'k')", "'7'"},
        {"SetProfileValue('C', 'b', 'k')", "nothing"},
        {"SetProfileValue('C', nil, 'k', 'v')", "nothing"},
        {"GetNumberOfValuesInCategory('C')", "2"},
        {"GetNumberOfValuesInCategory('none')", "0"},
        {"GetValueNameByIndex('C', 0)", "'a'"},
        {"GetValueNameByIndex('C', 1)", "'5'"},
        {"GetValueNameByIndex('C', 2)", "nothing"},
        {"GetValueNameByIndex('C', -1)", "nothing"},
        // Tags: a node without "tag" is not tagged; removing a tag removes the node.
        {"ProfileTagExists('C', 'a')", "false"},
        {"AddProfileTag('C', 'a')", "nothing"},
        {"ProfileTagExists('C', 'a')", "true"},
        {"GetProfileValue('C', 'a', 'tag')", "'1'"},
        {"RemoveProfileTag('C', 'a')", "true"},
        {"GetProfileValue('C', 'a', 'k')", "nothing"},
        {"RemoveProfileTag('C', 'a')", "false"},
        {"RemoveProfileValue('C', '5')", "true"},
        {"RemoveProfileValue('C', '5')", "false"},
        {"GetNumberOfValuesInCategory('C')", "0"},
        // Acknowledgements: a boolean or a number (0 is false); missing flag is false.
        {"IsProfileValueAcknowledged('N', 'intro')", "false"},
        {"SetProfileValueAcknowledged('N', 'intro', true)", "nothing"},
        {"IsProfileValueAcknowledged('N', 'intro')", "true"},
        {"SetProfileValueAcknowledged('N', 'intro', 0)", "nothing"},
        {"IsProfileValueAcknowledged('N', 'intro')", "false"},
        {"SetProfileValueAcknowledged('N', 'intro', 1)", "nothing"},
        {"IsProfileValueAcknowledged('N', 'intro')", "true"},
        {"SetProfileValueAcknowledged('N', 'intro')", "nothing"},
        {"IsProfileValueAcknowledged('N', 'intro')", "false"},
        {"RemoveProfileCategory('N')", "true"},
        {"RemoveProfileCategory('N')", "false"},
        // Statistics come back as texts; numbers saturate at the int32 limits.
        {"GetStatisticsInt('kills')", "'0'"},
        {"ChangeStatisticsInt('kills', 5)", "nothing"},
        {"GetStatisticsInt('kills')", "'5'"},
        {"SetStatisticsInt('kills', -3)", "nothing"},
        {"GetStatisticsInt('kills')", "'-3'"},
        {"SetStatisticsInt('big', 1e300)", "nothing"},
        {"ChangeStatisticsInt('big', 1)", "nothing"},
        {"GetStatisticsInt('big')", "'2147483647'"},
        {"ChangeStatisticsInt('low', -1e300)", "nothing"},
        {"GetStatisticsInt('low')", "'-2147483648'"},
        // Global values of the index.
        {"GetGlobalValue('K')", "nothing"},
        {"SetGlobalValue('K', 'v')", "nothing"},
        {"GetGlobalValue('K')", "'v'"},
        // Wrong types read as null or 0, never raise.
        {"GetProfileValue({}, {}, {})", "nothing"},
        {"SetProfileValue({}, print, {}, {})", "nothing"},
        {"ProfileValueExists(true, false, {})", "false"},
        {"GetStatisticsInt({})", "'0'"},
        {"GetValueNameByIndex({}, {})", "nothing"},
        {"SetProfile({})", "true"},
        {"GetProfile()", "0"},
    };
    RunSteps(steps, sizeof steps / sizeof steps[0]);
}

TEST_F(ProfileScriptTest, SaveDeleteAndLoadThroughScripts)
{
    profile_man().Initialize();
    Open();
    const Step steps[] = {
        {"AddProfile('Ann')", "1"},
        {"SaveProfiles()", "nothing"},
        {"DeleteProfile(7)", "nothing"},  // outside the list: nothing
        {"GetNumberOfProfiles()", "2"},
        {"DeleteProfile(1)", "nothing"},  // saved: marked, its file stays until the next save
        {"GetNumberOfProfiles()", "1"},
        {"GetProfile()", "0"},
    };
    RunSteps(steps, sizeof steps / sizeof steps[0]);
    EXPECT_TRUE(ExistsNative(UserPath("profiles/2.xml")));
    EXPECT_EQ(profile_man().GetNumberOfMarkedProfiles(), 1);
    EXPECT_EQ(Run("LoadProfiles()"), "nothing");  // forgets the mark; the index still lists Ann
    EXPECT_EQ(Run("GetNumberOfProfiles()"), "2");
    EXPECT_EQ(Run("DeleteProfile(1)"), "nothing");
    EXPECT_EQ(Run("SaveProfiles()"), "nothing");
    EXPECT_FALSE(ExistsNative(UserPath("profiles/2.xml")));
    EXPECT_EQ(Run("LoadProfiles()"), "nothing");
    EXPECT_EQ(Run("GetNumberOfProfiles(), GetProfileValue('!INFO', 'name', 'value')"), "1,'Player'");
}

TEST_F(ProfileScriptTest, EveryFunctionWithoutAnActiveProfile)
{
    RegisterProfileScriptFunctions();
    Open();
    ASSERT_EQ(prof, nullptr);
    const Step steps[] = {
        {"GetProfile()", "-1"},
        {"GetNumberOfProfiles()", "0"},
        {"SetProfile(0)", "false"},
        {"DeleteProfile(0)", "nothing"},
        {"IsProfileNameValid('Ann')", "true"},
        {"GetProfileValue('!INFO', 'name', 'value')", "nothing"},
        {"ProfileValueExists('!INFO', 'name', 'value')", "false"},
        {"ProfileTagExists('C', 'a')", "false"},
        {"SetProfileValue('C', 'a', 'k', 'v')", "nothing"},
        {"AddProfileTag('C', 'a')", "nothing"},
        {"RemoveProfileValue('C', 'a')", "false"},
        {"RemoveProfileCategory('C')", "false"},
        {"RemoveProfileTag('C', 'a')", "false"},
        {"IsProfileValueAcknowledged('C', 'a')", "false"},
        {"SetProfileValueAcknowledged('C', 'a', true)", "nothing"},
        {"GetValueNameByIndex('C', 0)", "nothing"},
        {"GetNumberOfValuesInCategory('C')", "0"},
        {"SetStatisticsInt('s', 3)", "nothing"},
        {"ChangeStatisticsInt('s', 3)", "nothing"},
        {"GetStatisticsInt('s')", "'0'"},
        {"GetGlobalValue('K')", "nothing"},
        {"SetGlobalValue('K', 'v')", "nothing"},
        {"GetGlobalValue('K')", "'v'"},
    };
    RunSteps(steps, sizeof steps / sizeof steps[0]);
    EXPECT_EQ(ListTree(UserPath("profiles")).size(), 0u);  // nothing was written
    // Adding a profile gives the manager its first, active profile.
    EXPECT_EQ(Run("AddProfile(' Ann')"), "0");
    ASSERT_NE(prof, nullptr);
    EXPECT_EQ(Run("GetProfile(), GetProfileValue('!INFO', 'name', 'value')"), "0,'Ann'");
}

TEST_F(ProfileScriptTest, AddProfileGivesMinusOneWhenAllNamesAreTaken)
{
    for (int n = 1; n <= PROFILE_MAX_FILES; n++)
        ASSERT_TRUE(WriteNative(UserPath("profiles/" + std::to_string(n) + ".xml"), "<root/>"));
    profile_man().Initialize();
    Open();
    EXPECT_EQ(Run("AddProfile('Zed')"), "-1");
    EXPECT_EQ(Run("GetNumberOfProfiles(), GetProfile()"), "64,0");
    EXPECT_EQ(datatest::CountMessages("Too many profiles files in <userdata>/profiles folder.\n"), 1);
}

}  // namespace
