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

}  // namespace
