// Product features: whole-token matching, requirement lists, product values and
// platform facts from the extension call, package directories, script functions.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/services/profiles.h"

#include <map>
#include <string.h>
#include <string>

using namespace apptest;

namespace {

orvex_t real;
// Replies of the extension call by "command/argument"; a missing entry is null.
std::map<std::string, std::string> replies;

const char *FakeExtension(const char *command, const char *argument)
{
    auto it = replies.find(std::string(command ? command : "") + "/" + (argument ? argument : ""));
    return it == replies.end() ? nullptr : it->second.c_str();
}

class FeaturesTest : public AppEngineTest {
protected:
    void SetUp() override {
        AppEngineTest::SetUp();
        Start();
        real = saved_;
        replies.clear();
        ov->OV_CallExtension = FakeExtension;
    }
    void Features(const char *text) {
        replies.erase("ProgramInfo/Features");
        if (text)
            replies["ProgramInfo/Features"] = text;
        feature_man.Initialize();
    }
};

}  // namespace

TEST_F(FeaturesTest, NamesCountOnlyAsWholeTokens)
{
    struct Case {
        const char *features;
        const char *name;
        bool exists;
    } cases[] = {
        {"NEWS_X, ANALYST", "NEWS", false},
        {"NEWS_X, ANALYST", "ANALYST", true},
        {"NEWS_X, ANALYST", "ANALYST_LOCAL_STORE", false},
        {"NEWS_X, ANALYST", "NEWS_X", true},
        {"A;B C", "B", true},
        {"A;B C", "C", true},
        {"A;B C", "A", true},
        {"ADSX ADS", "ADS", true},
        {"BETA\tNEWS", "NEWS", true},   // a tab or a line end separates too
        {"BETA\r\nNEWS", "BETA", true},
        {"XADS", "ADS", false},
        {"ANALYST", "analyst", false},
        {"ANALYST", "", false},
        {"", "ANALYST", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.features) + " / " + c.name);
        Features(c.features);
        EXPECT_EQ(feature_man.ProductFeatureExists(c.name), c.exists);
    }
    EXPECT_FALSE(feature_man.ProductFeatureExists(nullptr));
}

TEST_F(FeaturesTest, NoFeatureStringAndNoInitializeMeanNoFeatures)
{
    Features(nullptr);
    EXPECT_FALSE(feature_man.ProductFeatureExists("ADS"));
    EXPECT_FALSE(feature_man.EvaluateProductFeatureRequirementList("ADS"));
    FeatureManager fresh;
    EXPECT_FALSE(fresh.ProductFeatureExists("ADS"));
}

TEST_F(FeaturesTest, RequirementLists)
{
    Features("ADS TOUCH_SCREEN");
    std::string many;
    for (int i = 0; i < 40; i++)
        many += "ADS,";
    struct Case {
        std::string list;
        bool holds;
    } cases[] = {
        {"ADS", true},
        {"ADS,!SMALL_SCREEN", true},
        {"ADS,TOUCH_SCREEN", true},
        {"ADS, TOUCH_SCREEN", false},  // items keep their blanks
        {"ADS, SMALL_SCREEN", false},
        {"!ADS", false},
        {"SMALL_SCREEN,ADS", false},
        {"ADS,", true},  // a trailing ',' ends the list
        {"SMALL_SCREEN,", false},
        {"", false},
        {"ADS,,ADS", false},
        {many + "ADS", true},
        {many + "SMALL_SCREEN", false},  // the 41st item still counts
        {std::string(600, 'A') + ",ADS", false},
        {many + many + many + many + "!ADS", false},  // longer than 512 characters
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.list.size() > 60 ? c.list.substr(0, 60) + "..." : c.list);
        EXPECT_EQ(feature_man.EvaluateProductFeatureRequirementList(c.list.c_str()), c.holds);
    }
    EXPECT_FALSE(feature_man.EvaluateProductFeatureRequirementList(nullptr));
}

TEST_F(FeaturesTest, ProductValuesAndPlatformFacts)
{
    replies["GetProductValue/analytics_id"] = "A-1";
    replies["PlatformInfo/PlatformId"] = "bb10";
    replies["PlatformInfo/ScreenSizeId"] = "768x1280";
    replies["PlatformInfo/DeviceModel"] = "Z10";
    replies["PlatformInfo/PerformanceClass"] = "3";
    Features("ADS");
    EXPECT_STREQ(feature_man.GetProductValue("analytics_id"), "A-1");
    EXPECT_EQ(feature_man.GetProductValue("game_center_id"), nullptr);
    EXPECT_STREQ(feature_man.GetCurrentPlatformId(), "bb10/768x1280");
    EXPECT_STREQ(feature_man.GetCurrentDeviceId(), "Z10");
    EXPECT_TRUE(feature_man.IsRunningOnDevice("Z10"));
    EXPECT_FALSE(feature_man.IsRunningOnDevice("Q10"));
    EXPECT_FALSE(feature_man.IsRunningOnDevice(nullptr));
    EXPECT_EQ(feature_man.GetCurrentDevicePerformanceClass(), 3);

    replies.erase("PlatformInfo/ScreenSizeId");
    replies.erase("PlatformInfo/DeviceModel");
    replies.erase("PlatformInfo/PerformanceClass");
    Features("ADS");
    EXPECT_STREQ(feature_man.GetCurrentPlatformId(), "bb10");
    EXPECT_FALSE(feature_man.IsRunningOnDevice("Z10"));
    EXPECT_EQ(feature_man.GetCurrentDevicePerformanceClass(), 0);

    replies["PlatformInfo/PlatformId"] = std::string(300, 'p');
    Features("ADS");
    EXPECT_EQ(strlen(feature_man.GetCurrentPlatformId()), 127u);
}

TEST_F(FeaturesTest, GameCenterNeedsTheFeatureAndThePlatform)
{
    Features("ADS");
    replies["GameCenter/IsAvailable"] = "1";
    EXPECT_FALSE(feature_man.IsGameCenterEnabled());
    Features("ADS GAME_CENTER");
    EXPECT_TRUE(feature_man.IsGameCenterEnabled());
    // The player's setting switches it off with exactly "0".
    profile_man().SetGlobalValue("GAME_CENTER_ENABLED", "0");
    EXPECT_FALSE(feature_man.IsGameCenterEnabled());
    profile_man().SetGlobalValue("GAME_CENTER_ENABLED", "00");
    EXPECT_TRUE(feature_man.IsGameCenterEnabled());
    replies.erase("GameCenter/IsAvailable");
    EXPECT_FALSE(feature_man.IsGameCenterEnabled());
}

TEST_F(FeaturesTest, PackagesAreTheLastDirectoryOfASearchPath)
{
    ASSERT_TRUE(ov->OV_AddSearchPath("res://data-en", false));
    EXPECT_TRUE(feature_man.UsesPackage("data-en"));
    EXPECT_FALSE(feature_man.UsesPackage("res:"));
    EXPECT_FALSE(feature_man.UsesPackage("data"));
    EXPECT_FALSE(feature_man.UsesPackage(nullptr));
    ov->OV_RemoveSearchPath("res://data-en/");
    EXPECT_FALSE(feature_man.UsesPackage("data-en"));
}

TEST_F(FeaturesTest, ScriptFunctions)
{
    replies["GetProductValue/reference_resolution"] = "1280x768";
    Features("ADS");
    ASSERT_TRUE(ov->OV_AddSearchPath("res://pack-hd/", false));
    lua_State *L = lua_man.OpenLuaState(0);
    ASSERT_TRUE(lua_man.ExecLuaString(L,
        "function check() return (FM_ProductFeatureExists('ADS') and 1 or 0) + (FM_ProductFeatureExists('NEWS') and 10 or 0)"
        " + (FM_GetProductValue('reference_resolution') == '1280x768' and 100 or 0)"
        " + (FM_GetProductValue('nothing') == nil and 1000 or 0) + (FM_UsesPackage('pack-hd') and 10000 or 0) end"));
    EXPECT_EQ(lua_man.CallLuaFunction(L, "check"), 11101);
    lua_man.CloseLuaState(L);
}
