// The built program run headless as a child process from a run folder whose program
// directory is the built one (as scripts/run.sh lays it out), with an event script
// that ends it: the log shows the services start and stop in their order, and the
// player's first profile is created once and loaded by the next run.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kProgram[] = ORVEX_GAME;
const char kProgramDir[] = ORVEX_PROGRAM_DIR;
// The user directory of the shipped prog.xml (developer "Talvik", name "Orvex Game").
const char kUserDir[] = "data/Talvik/Orvex_Game";

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvex-run-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        fs::create_directories(dir_ / "app");
        fs::create_directory_symlink(kProgramDir, dir_ / "app/native");
        std::ofstream(dir_ / "exit.txt") << "wait 300\nexit\n";
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    // One headless run to its end; the exit status.
    int Run()
    {
        std::string cmd = "cd '" + dir_.string() + "' && timeout -s KILL 120 '" + kProgram +
                          "' --headless --script exit.txt > run.out 2>&1";
        return system(cmd.c_str());
    }
    std::string Log(int run)
    {
        char name[32];
        snprintf(name, sizeof name, "orvex-%04d.log", run);
        return ReadAll(dir_ / kUserDir / "logs" / name);
    }
    std::string Output() { return ReadAll(dir_ / "run.out"); }
    fs::path dir_;
};

// The positions of the texts in the log, in the order given; npos for a missing one.
std::vector<size_t> Positions(const std::string &log, const std::vector<std::string> &texts)
{
    std::vector<size_t> at;
    for (const std::string &t : texts)
        at.push_back(log.find(t));
    return at;
}

void ExpectInOrder(const std::string &log, const std::vector<std::string> &texts)
{
    std::vector<size_t> at = Positions(log, texts);
    for (size_t i = 0; i < texts.size(); i++) {
        ASSERT_NE(at[i], std::string::npos) << "missing: " << texts[i] << "\n" << log;
        if (i > 0) {
            EXPECT_LT(at[i - 1], at[i]) << texts[i - 1] << " before " << texts[i];
        }
    }
}

}  // namespace

TEST_F(ProgramRun, ServicesStartAndStopInOrderAndTheFirstProfileIsKept)
{
    ASSERT_EQ(Run(), 0) << Output();
    std::string log = Log(1);
    ExpectInOrder(log, {"Now using #0: 'user://'", "AudioManager::Initialize.", "Loading all profiles.",
                        "Profiles database index doesn't exists. Creating new.", "ORVEX Core PreInitialized.",
                        "Initializing Program 'Orvex Game'..", "Prog Init.", "ORVEX Shutdown.",
                        "Saving all profiles.", "Manager::Shutdown.", "LuaManager::Shutdown."});
    EXPECT_EQ(log.find("res://data-src"), std::string::npos) << "the shipped settings are not developer mode";

    std::string index = ReadAll(dir_ / kUserDir / "profiles/index.xml");
    EXPECT_NE(index.find("0.75"), std::string::npos) << index;
    EXPECT_NE(index.find("1.xml"), std::string::npos) << index;
    std::string first = ReadAll(dir_ / kUserDir / "profiles/1.xml");
    EXPECT_NE(first.find("\"Player\""), std::string::npos) << first;

    ASSERT_EQ(Run(), 0) << Output();
    std::string again = Log(2);
    ExpectInOrder(again, {"Loading all profiles.", "Prog Init.", "Saving all profiles.", "LuaManager::Shutdown."});
    EXPECT_EQ(again.find("Creating new."), std::string::npos) << again;
    EXPECT_FALSE(fs::exists(dir_ / kUserDir / "profiles/2.xml")) << "no second profile";
    EXPECT_NE(ReadAll(dir_ / kUserDir / "profiles/1.xml").find("\"Player\""), std::string::npos);
    std::string index_again = ReadAll(dir_ / kUserDir / "profiles/index.xml");
    EXPECT_NE(index_again.find("1.xml"), std::string::npos) << index_again;
    EXPECT_EQ(index_again.find("2.xml"), std::string::npos) << index_again;
}

// A normal (not developer) run whose player folder cannot be written: every failed save
// is an error line naming the file and the reason, counted in the log's summary, and the
// player is told once, on screen, through the game's message popup. The player folder
// is made read-only by a read-only mount of its own (root writes through permissions) or
// by its permissions; its logs folder stays writable.
TEST_F(ProgramRun, ReadOnlyPlayerFolderIsToldInTheLogAndOnScreen)
{
    ASSERT_EQ(Run(), 0) << Output();  // the first run makes the profile
    const fs::path player = dir_ / kUserDir;
    std::string reason;
    std::string prefix;
    if (geteuid() == 0) {
        const std::string p = player.string(), hold = (dir_ / "hold").string();
        fs::create_directories(hold);
        prefix = "unshare -m sh -c 'mount --bind \"" + p + "/logs\" \"" + hold + "\" && mount --bind \"" + p + "\" \"" +
                 p + "\" && mount -o remount,ro,bind \"" + p + "\" && mount --bind \"" + hold + "\" \"" + p +
                 "/logs\" && exec \"$0\" \"$@\"' ";
        if (system(("unshare -m true 2>/dev/null")) != 0)
            GTEST_SKIP() << "running as root without the right to make a mount namespace";
        reason = "Read-only file system";
    } else {
        fs::permissions(player, fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(player / "profiles", fs::perms::owner_read | fs::perms::owner_exec);
        reason = "Permission denied";
    }
    // Play, the first mission's Play, past the chapter page: the battle's loader saves
    // the profiles, then the notice comes over it. Each tap waits in the log for its
    // screen to be shown whole (a screen fading in takes no input), so a loaded machine,
    // whose slow frames stretch the fades, only makes the run longer.
    const std::string log = std::string(kUserDir) + "/logs/orvex-0002.log";
    auto tap_on = [&](const char *screen, const char *at) {
        return "await 60000 " + log + " Screen '" + screen + "' shown.\ntouch down 0 " + at + "\nwait 50\ntouch up 0 " +
               at + "\n";
    };
    std::ofstream(dir_ / "exit.txt") << tap_on("MainMenu", "510 340") << tap_on("PlayMenu", "782 535")
                                     << tap_on("Chapter_1_Begin", "510 500") << "await 60000 " << log
                                     << " PushScreen: 'PopupOk'\nwait 500\nexit\n";
    std::string cmd = "cd '" + dir_.string() + "' && timeout -s KILL 120 " + prefix + "'" + kProgram +
                      "' --headless --script exit.txt > run.out 2>&1";
    int status = system(cmd.c_str());
    fs::permissions(player, fs::perms::owner_all);
    fs::permissions(player / "profiles", fs::perms::owner_all);
    ASSERT_EQ(status, 0) << Output();
    EXPECT_EQ(ReadAll(dir_ / "run.out").find("script: await gave up"), std::string::npos) << ReadAll(dir_ / "run.out");
    const std::string text = Log(2);
    ExpectInOrder(text, {"PushScreen: 'LoaderTransition'", "Saving all profiles.",
                        "Unable to save 'user://profiles/index.xml': " + reason,
                        "Unable to save 'user://profiles/1.xml': " + reason,
                        "Telling the player: Your progress could not be saved: " + reason + "\n",
                        "PushScreen: 'PopupOk'", "ORVEX Shutdown."});
    size_t told = 0, failed = 0;
    for (size_t at = text.find("Telling the player"); at != std::string::npos; at = text.find("Telling the player", at + 1))
        told++;
    for (size_t at = text.find("Unable to save '"); at != std::string::npos; at = text.find("Unable to save '", at + 1))
        failed++;
    EXPECT_EQ(told, 1u) << "once per run";
    EXPECT_GE(failed, 4u) << "at the battle's loading and at the exit";
    size_t summary = text.find("ORVEX log: ");
    ASSERT_NE(summary, std::string::npos) << text;
    EXPECT_GE((size_t)atoi(text.c_str() + summary + 11), failed) << text.substr(summary, 60);
}

// The window's close button over the main menu asks first: the question comes up and the
// program keeps running until the script's exit. The close comes once the menu is shown,
// however long a loaded machine takes to get there.
TEST_F(ProgramRun, CloseRequestOverTheMenuAsksFirst)
{
    const std::string log = std::string(kUserDir) + "/logs/orvex-0001.log";
    std::ofstream(dir_ / "exit.txt") << "await 60000 " << log << " Screen 'MainMenu' shown.\nclose\nawait 60000 " << log
                                     << " PushScreen: 'ExitConfirmation'\nwait 500\nexit\n";
    ASSERT_EQ(Run(), 0) << Output();
    ExpectInOrder(Log(1), {"PushScreen: 'MainMenu'", "PushScreen: 'ExitConfirmation'", "ORVEX Shutdown."});
}
