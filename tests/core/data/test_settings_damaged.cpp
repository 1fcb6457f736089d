// A res://prog.xml that is there but cannot be read (empty, cut short, garbage) is not
// applied in part: the engine says so in one line on standard error, whatever the
// mode and the verbose level, and runs on the defaults.
#include "tests/core/data/data_fixture.h"

#include "core/data/dataman.h"
#include "core/settings.h"

#include <string>

using namespace datatest;

namespace {

const char kWhole[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
    "\t<array id=\"PARAMETERS\">\n"
    "\t\t<node id=\"APPLICATION\" program_id=\"my.game\" name=\"My Game\" developer=\"Studio\" version=\"2.0\" />\n"
    "\t\t<node id=\"DEVELOPER\" developer_mode=\"1\" console=\"1\" logging=\"0\" />\n"
    "\t</array>\n"
    "\t<array id=\"VARIANTS\">\n\t\t<node id=\"QNX\" renderer_implementation=\"ri_gles\" />\n\t</array>\n"
    "</root>\n";

struct Damage {
    const char *what;
    std::string text;
    const char *reason;  // the part of the line that says how it is damaged
};

const Damage kDamages[] = {
    {"empty", "", "it is empty"},
    {"only blanks", " \n\t\n", "it is empty"},
    {"cut inside a tag", std::string(kWhole).substr(0, 150), "it ends before '</array>'"},
    {"cut before the root closes", std::string(kWhole).substr(0, sizeof kWhole - 9), "it ends before '</root>'"},
    {"binary garbage", std::string("\x89\x01\x02garbage\xff\xfe", 12), "it does not begin with a tag"},
    {"garbage in brackets", "<<>> <x <y", "'</"},  // any complaint will do; the line is what counts
    {"stray end tag", "<root><array id=\"A\"></array></array></root>", "'</array>' closes no open element"},
    {"text outside", "<root><array id=\"A\"></array></root> words <root/>", "text stands outside the elements"},
    {"no array", "<root><node id=\"A\"/></root>", "it holds no array"},
};

// The modes the line must not depend on: plain, and developer mode with the console on
// at the quietest verbose level.
void QuietDeveloper()
{
    ov_state.developer_mode = 1;
    ov_state.console = 1;
    ov_state.verbose_level = 3;
}

int CountOccurrences(const std::string &text, const std::string &part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

class DamagedSettings : public ScratchDir {
protected:
    void TearDown() override
    {
        ov_dman.ReleaseAll();
        ScratchDir::TearDown();
    }

    // Pre-initialises afresh on the given prog.xml text; what went to standard error.
    std::string Run(const std::string &prog, bool developer)
    {
        if (ov)
            ORVEX_Shutdown();
        ov = nullptr;
        ResetRecordAndDevice();
        if (developer) {
            record.parms.developer_mode = 1;
            OVI_SetProgramSettingsHook(QuietDeveloper);
        }
        WriteFile("app/native/prog.xml", prog);
        std::string err;
        EXPECT_TRUE(PreInitCapturingStderr(&err));
        return err;
    }
};

TEST_F(DamagedSettings, EachDamageGivesOneLineAndTheDefaultsInEveryMode)
{
    for (bool developer : {false, true}) {
        for (const Damage &d : kDamages) {
            SCOPED_TRACE(std::string(d.what) + (developer ? ", developer mode" : ", plain"));
            std::string err = Run(d.text, developer);
            EXPECT_EQ(CountOccurrences(err, "Program settings './app/native/prog.xml' cannot be read ("), 1) << err;
            EXPECT_EQ(CountOccurrences(err, "); defaults are used.\n"), 1) << err;
            EXPECT_NE(err.find(d.reason), std::string::npos) << err;
            // Nothing of the file was applied, not even the part before the damage.
            EXPECT_STREQ(record.id, "");
            EXPECT_EQ(ov_state.variant, nullptr);
            EXPECT_FALSE(OVI_ProgramSettingsFailed());
        }
    }
}

TEST_F(DamagedSettings, WholeFileIsReadWithoutTheLine)
{
    std::string err = Run(kWhole, false);
    EXPECT_EQ(err.find("Program settings"), std::string::npos) << err;
    EXPECT_STREQ(record.id, "my.game");
    ASSERT_NE(ov_state.variant, nullptr);
    EXPECT_STREQ(ov_state.variant, "QNX");
    EXPECT_EQ(ov_state.developer_mode, 1);
}

TEST_F(DamagedSettings, CommentsDeclarationAndNodeTextAreNoDamage)
{
    std::string prog = "<?xml version=\"1.0\"?>\n<!-- settings -->\n<root>\n<array id=\"PARAMETERS\">\n"
                       "<node id=\"APPLICATION\" program_id=\"with.text\">some text</node>\n</array>\n"
                       "<array id=\"VARIANTS\"><node id=\"QNX\"/></array>\n</root>\n";
    std::string err = Run(prog, false);
    EXPECT_EQ(err.find("Program settings"), std::string::npos) << err;
    EXPECT_STREQ(record.id, "with.text");
}

}  // namespace
