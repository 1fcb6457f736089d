// Printing, popups and the numbered log file.
#include "tests/support/engine_harness.h"

#include "core/console.h"

#include <fstream>
#include <regex>
#include <sys/stat.h>

using namespace harness;

class Log : public EngineTest {
protected:
    std::string LogPath(int n)
    {
        char name[64];
        snprintf(name, sizeof name, "data/Talvik/Test_Game/logs/orvex-%.4d.log", n);
        return name;
    }
};

TEST_F(Log, FileHasHeaderLinesAndEndsWithStatistics)
{
    StartEngine();
    ov->OV_PrintDebugf(2, "something failed\n");
    ov->OV_PrintDebugf(1, "something odd\n");
    ORVEX_Shutdown();
    std::string log = ReadFile(LogPath(1));
    EXPECT_EQ(log.rfind("ORVEX (core version 2958)\n-------------------------\nLogging started on ", 0), 0u) << log;
    char stats[128];
    // The statistics line and the open-file line after it are infos themselves.
    snprintf(stats, sizeof stats, "ORVEX log: %d errors, %d warnings, %d infos.\n", ov_con.level_count[2],
             ov_con.level_count[1], ov_con.level_count[0] - 2);
    EXPECT_GE(ov_con.level_count[2], 1);
    EXPECT_GE(ov_con.level_count[1], 1);
    size_t at = log.rfind(stats);
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_TRUE(std::regex_match(log.substr(at + strlen(stats)), std::regex("[0-9]{4}: \\[[0-9:.]+\\] 0 files left open\\.\\.\n")))
        << log.substr(at);
}

TEST_F(Log, NewLogTakesTheFirstFreeNumber)
{
    mkdir("data", 0755);
    mkdir("data/Talvik", 0755);
    mkdir("data/Talvik/Test_Game", 0755);
    mkdir("data/Talvik/Test_Game/logs", 0755);
    for (int n = 1; n <= 3; n++)
        std::ofstream(LogPath(n)) << "old";
    StartEngine();
    EXPECT_EQ(std::string(ov_con.log_path), "./" + LogPath(4));
    EXPECT_EQ(ReadFile(LogPath(2)), "old");
}

namespace {
void NamedWorker(void *)
{
    ov->OV_Printf("from a worker\n");
}
}  // namespace

TEST_F(Log, LinesCarryNumberTimeAndThreadName)
{
    StartEngine();
    ov->OV_Printf("from main\n");
    ov->OV_CreateThread("Loader", NamedWorker, nullptr, 0);
    while (OVT_GetNumberOfThreadsRunning() > 0)
        usleep(1000);
    std::string log = ReadFile(LogPath(1));
    EXPECT_TRUE(std::regex_search(log, std::regex("\n[0-9]{4}: \\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] from main\n"))) << log;
    EXPECT_TRUE(std::regex_search(log, std::regex("\n[0-9]{4}: \\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] \\[Loader\\]> from a worker\n")))
        << log;
    EXPECT_EQ(std::string(ov_con.lines.back().thread), "Loader");
}

// The file is opened once and kept: lines logged after it was moved away still reach
// it (no new file appears under the old name), and each line is in the file as soon
// as it is logged (a crash loses nothing).
TEST_F(Log, FileIsOpenedOnceAndEveryLineReachesItAtOnce)
{
    StartEngine();
    ASSERT_EQ(rename(LogPath(1).c_str(), "moved.log"), 0);
    ov->OV_Printf("after the move\n");
    EXPECT_FALSE(FileExists(LogPath(1))) << "the log was opened again by its name";
    std::string moved = ReadFile("moved.log");
    EXPECT_NE(moved.find("] after the move\n"), std::string::npos) << moved;
    ov->OV_Printf("one more\n");
    EXPECT_NE(ReadFile("moved.log").find("] one more\n"), std::string::npos) << "flushed with its line";
}

TEST_F(Log, VerboseLevelFilters)
{
    switches.verbose_level = 1;
    StartEngine();
    EXPECT_EQ(ov->OV_Printf("info %d\n", 1), 0);
    EXPECT_EQ(ov->OV_PrintDebugf(0, "info\n"), 0);
    EXPECT_EQ(ov->OV_PrintDebugf(1, "warning %s\n", "w"), (int)strlen("warning w\n"));
    EXPECT_FALSE(Logged("info 1"));
    EXPECT_TRUE(Logged("warning w"));
}

TEST_F(Log, MultiLineTextsAreSplitAndLevelsAbove7CountAsErrors)
{
    StartEngine();
    size_t before = ov_con.lines.size();
    int errors = ov_con.level_count[2];
    ov->OV_PrintDebugf(0, "a\nb");
    ASSERT_EQ(ov_con.lines.size(), before + 2);
    EXPECT_STREQ(ov_con.lines[before].text, "a");
    EXPECT_STREQ(ov_con.lines[before + 1].text, "b");
    ov->OV_PrintDebugf(0, "c\n");
    EXPECT_STREQ(ov_con.lines.back().text, "c\n");
    ov->OV_PrintDebugf(9, "odd level\n");
    EXPECT_EQ(ov_con.lines.back().level, 2);
    EXPECT_EQ(ov_con.level_count[2], errors + 1);
    std::string long_text(600, 'x');
    long_text += "\nend";
    ov->OV_PrintDebugf(0, "%s", long_text.c_str());
    EXPECT_STREQ(ov_con.lines.back().text, "end") << "long multi-line texts are split too";
    EXPECT_EQ(strlen(ov_con.lines[ov_con.lines.size() - 2].text), 600u);
}

TEST_F(Log, StoreKeepsAtMost8192LinesWithAMarkerFirst)
{
    switches.logging = false;  // 8193 file appends would only slow the test down
    StartEngine();
    for (int i = 0; i < 8193; i++)
        ov->OV_Printf("line %d\n", i);
    ASSERT_EQ(ov_con.lines.size(), 8192u);
    EXPECT_STREQ(ov_con.lines[0].text, "...");
    EXPECT_EQ(ov_con.lines[0].level, 3);
    EXPECT_EQ(ov_con.lines[0].number, 0);
    EXPECT_EQ(ov_con.lines[0].thread, nullptr);
}

TEST_F(Log, PopupsShowOncePerTextOnlyInDeveloperMode)
{
    StartEngine();
    EXPECT_EQ(ov->OV_Popupf(2, "no developer mode\n"), 0);

    TearDown();
    SetUp();
    switches.developer_mode = true;
    StartEngine();
    EXPECT_EQ(ov->OV_Popupf(1, "popup %d\n", 1), 4);
    EXPECT_EQ(ov->OV_Popupf(1, "popup %d\n", 1), 1);
    EXPECT_EQ(ov->OV_Popupf(1, "popup %d\n", 2), 4);
    EXPECT_EQ(CountLogged("OV: popup 1"), 1);
    EXPECT_EQ(CountLogged("OV: popup 2"), 1);
    // After initialisation the text is also logged at its own level.
    EXPECT_EQ(CountLogged("popup 1\n"), 3);
}

TEST_F(Log, PopupAtVerboseLevel1LeavesOnlyItsOwnLine)
{
    switches.developer_mode = true;
    switches.verbose_level = 1;
    StartEngine();
    EXPECT_EQ(ov->OV_Popupf(2, "level two\n"), 4);
    EXPECT_EQ(CountLogged("level two"), 1);
    EXPECT_FALSE(Logged("OV: level two"));
}

TEST_F(Log, NoConsoleMeansNoLog)
{
    switches.console = false;
    StartEngine();
    ov->OV_Printf("nothing\n");
    EXPECT_FALSE(ov_con.enabled);
    EXPECT_TRUE(ov_con.lines.empty());
    EXPECT_FALSE(FileExists("data/Talvik/Test_Game/logs"));
}
