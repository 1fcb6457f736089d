// The process command line as the application receives it in its parameters.
#include "tests/support/engine_harness.h"

#include <string>
#include <vector>

using namespace harness;

namespace {

struct CommandLineCase {
    std::vector<const char *> args;  // after the program name
    const char *text;
};

const CommandLineCase kCommandLines[] = {
    {{}, ""},
    {{"--headless"}, "--headless"},
    {{"--headless", "--level", "3"}, "--headless --level 3"},
    {{"--name", "two words"}, "--name \"two words\""},
    {{""}, "\"\""},
    {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
    {{"C:\\dir"}, "\"C:\\\\dir\""},
    {{"tab\there"}, "\"tab\there\""},
};

class CommandLine : public EngineTest {
protected:
    void TearDown() override
    {
        OVI_SetCommandLine(0, nullptr);
        OVI_SetCommandLineSettings(0, nullptr);
        EngineTest::TearDown();
    }

    void Set(const std::vector<const char *> &args)
    {
        std::vector<const char *> argv = {"orvex-game"};
        argv.insert(argv.end(), args.begin(), args.end());
        OVI_SetCommandLine((int)argv.size(), argv.data());
    }
};

TEST_F(CommandLine, ArgumentsAreJoinedAndQuotedWhenNeeded)
{
    for (const CommandLineCase &c : kCommandLines) {
        SCOPED_TRACE(c.text);
        Set(c.args);
        ASSERT_NE(OVI_GetCommandLine(), nullptr);
        EXPECT_STREQ(OVI_GetCommandLine(), c.text);
    }
}

TEST_F(CommandLine, ApplicationFindsItInItsParametersAndTheLogNamesIt)
{
    Set({"--headless", "--level", "3"});
    StartEngine();
    ASSERT_NE(record.parms.command_line, nullptr);
    EXPECT_STREQ(record.parms.command_line, "--headless --level 3");
    EXPECT_STREQ(ov_parms.command_line, "--headless --level 3");
    EXPECT_TRUE(Logged("Command line: '--headless --level 3'."));
}

TEST_F(CommandLine, WithoutOneTheParameterStaysNull)
{
    StartEngine();
    EXPECT_EQ(record.parms.command_line, nullptr);
    EXPECT_FALSE(Logged("Command line:"));
}

TEST_F(CommandLine, DeveloperAndFeatureSwitchesApplyAfterTheSettingsFiles)
{
    // The switches come after the files: developer mode with its feature, and the listed
    // features added once each to the application's.
    OVI_SetCommandLineSettings(1, "AUTO_TESTING_MODE, EXTRA_ONE,AUTO_TESTING_MODE");
    StartEngine();
    EXPECT_EQ(record.parms.developer_mode, 1);
    EXPECT_TRUE(OVI_ProductFeatureExists("DEVELOPER_MODE"));
    EXPECT_TRUE(OVI_ProductFeatureExists("AUTO_TESTING_MODE"));
    EXPECT_TRUE(OVI_ProductFeatureExists("EXTRA_ONE"));
    std::string features = ov_state.features ? ov_state.features : "";
    EXPECT_EQ(features.find("AUTO_TESTING_MODE"), features.rfind("AUTO_TESTING_MODE")) << features;
}

TEST_F(CommandLine, WithoutSwitchesTheSettingsFilesDecide)
{
    StartEngine();
    EXPECT_EQ(record.parms.developer_mode, 0);
    EXPECT_FALSE(OVI_ProductFeatureExists("AUTO_TESTING_MODE"));
}

}  // namespace
