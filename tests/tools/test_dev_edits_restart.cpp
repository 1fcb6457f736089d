// The built program run headless as a child process, three times in one run folder whose
// program directory holds the built one: a developer run opens a developer screen from
// the console and saves an edit of the shipped main menu's layout in edit mode; a second
// developer run loads that edit from user://dev-edits/ (its own save, made without a
// move, is the edited layout again); a run without developer mode never searches there.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kProgram[] = ORVEX_GAME;
const char kProgramDir[] = ORVEX_PROGRAM_DIR;
const char kContentDir[] = ORVEX_SOURCE_DIR "/content";
// The user directory of the shipped prog.xml.
const char kUserDir[] = "data/Talvik/Orvex_Game";

const char kDeveloperSettings[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"PARAMETERS\">\n"
    "<node id=\"DEVELOPER\" developer_mode=\"1\" logging=\"1\" logging_verbose_level=\"INFO\" console=\"1\" />\n"
    "</array>\n</root>\n";

// Each script starts once the main menu is shown (Run waits for it in the run's log);
// the edit mode's keys on it: the first component after the backdrop (TAB twice), one
// step down, saved; edit mode off.
const char kEditScript[] =
    "key '\xc2\xa7' press\n"
    "text PushScreen (\"Timeline\", 0)\n"
    "key return press\n"
    "key '\xc2\xa7' press\n"
    "wait 1500\n"
    "key '\xc2\xa7' press\n"
    "text PopScreen (\"Timeline\")\n"
    "key return press\n"
    "key '\xc2\xa7' press\n"
    "wait 1500\n"
    "key lctrl down\nkey 'E' press\nkey lctrl up\n"
    "wait 200\n"
    "key tab press\nkey tab press\nkey down press\n"
    "key 'S' press\n"
    "wait 200\n"
    "key lctrl down\nkey 'E' press\nkey lctrl up\n"
    "wait 300\n"
    "exit\n";
// The second developer run saves again without a move.
const char kSaveScript[] =
    "key lctrl down\nkey 'E' press\nkey lctrl up\n"
    "wait 200\n"
    "key 'S' press\n"
    "wait 200\n"
    "key lctrl down\nkey 'E' press\nkey lctrl up\n"
    "wait 300\n"
    "exit\n";
const char kPlainScript[] = "wait 300\nexit\n";

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The layout's statements: its lines without comments and blank lines.
std::string Statements(const std::string &text)
{
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line.compare(0, 2, "--") != 0)
            out += line + "\n";
    return out;
}

// The layout's position lines.
std::multiset<std::string> PositionLines(const std::string &statements)
{
    std::istringstream in(statements);
    std::multiset<std::string> out;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("SetProperty (\"position\", ", 0) == 0)
            out.insert(line);
    return out;
}

class DevEditsRestart : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvex-devedits-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        // The program directory: the built one's entries, plus the developer settings
        // while developer runs are wanted.
        fs::path native = dir_ / "app/native";
        fs::create_directories(native);
        for (const fs::directory_entry &e : fs::directory_iterator(kProgramDir))
            fs::create_symlink(e.path(), native / e.path().filename());
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    void Developer(bool on)
    {
        fs::path settings = dir_ / "app/native/developer.xml";
        if (on)
            std::ofstream(settings) << kDeveloperSettings;
        else
            fs::remove(settings);
    }
    // Run number `run` of the user folder (its log is orvex-<run>.log), with the script
    // after the main menu is shown, however long a loaded machine takes to show it.
    int Run(int run, const char *script)
    {
        char log[32];
        snprintf(log, sizeof log, "orvex-%04d.log", run);
        std::ofstream(dir_ / "events.txt") << "await 60000 " << kUserDir << "/logs/" << log
                                           << " Screen 'MainMenu' shown.\n" << script;
        std::string cmd = "cd '" + dir_.string() + "' && timeout -s KILL 120 '" + kProgram +
                          "' --headless --script events.txt > run.out 2>&1";
        return system(cmd.c_str());
    }
    std::string Log(int run)
    {
        char name[32];
        snprintf(name, sizeof name, "orvex-%04d.log", run);
        return ReadAll(dir_ / kUserDir / "logs" / name);
    }
    fs::path Edit(const char *name) { return dir_ / kUserDir / "dev-edits" / name; }
    fs::path dir_;
};

TEST_F(DevEditsRestart, ADeveloperRunLoadsTheSavedEditAndAPlainRunDoesNot)
{
    Developer(true);
    ASSERT_EQ(Run(1, kEditScript), 0) << ReadAll(dir_ / "run.out");
    std::string first = Log(1);
    EXPECT_NE(first.find("Entered 'PushScreen (\"Timeline\", 0)'"), std::string::npos) << first;
    EXPECT_NE(first.find("PushScreen: 'Timeline'"), std::string::npos) << first;
    EXPECT_NE(first.find("Exporting UISet to 'user://dev-edits/ui/main-menu.lua'"), std::string::npos) << first;
    for (const char *bad : {"Unable to call", "Unknown Property", "Missing parent", "Unable to save"})
        EXPECT_EQ(first.find(bad), std::string::npos) << bad;

    // The saved layout: the shipped one with one position moved down.
    std::string shipped = Statements(ReadAll(std::string(kContentDir) + "/ui/main-menu.lua"));
    std::string edited = Statements(ReadAll(Edit("ui/main-menu.lua")));
    ASSERT_FALSE(edited.empty());
    EXPECT_NE(edited, shipped);
    // One position differs (the script's own runtime changes, such as a hidden button,
    // may be saved too; they change nothing its OnEnter does not set again).
    std::multiset<std::string> before = PositionLines(shipped), after = PositionLines(edited);
    ASSERT_EQ(before.size(), after.size());
    std::vector<std::string> gone, added;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    EXPECT_EQ(gone.size(), 1u) << edited;
    EXPECT_EQ(added.size(), 1u) << edited;

    // A second developer start in the same user folder loads the edit.
    ASSERT_EQ(Run(2, kSaveScript), 0) << ReadAll(dir_ / "run.out");
    std::string second = Log(2);
    EXPECT_NE(second.find("user://dev-edits/"), std::string::npos) << "the edits are searched";
    EXPECT_EQ(Statements(ReadAll(Edit("ui/main-menu.lua"))), edited) << "saved again unmoved: the edited layout";
    EXPECT_EQ(Statements(ReadAll(Edit("ui/main-menu.lua.bak"))), edited);

    // A start without developer mode never searches the edits.
    Developer(false);
    ASSERT_EQ(Run(3, kPlainScript), 0) << ReadAll(dir_ / "run.out");
    std::string third = Log(3);
    EXPECT_NE(third.find("PushScreen: 'MainMenu'"), std::string::npos) << third;
    EXPECT_EQ(third.find("dev-edits"), std::string::npos) << third;
}

// A developer start over a damaged edit (the shipped main menu's layout cut short in the
// middle of a call, as a kill in the middle of a hand copy leaves it) says which file
// and why, keeps it aside as ".bad" and shows the shipped main menu.
TEST_F(DevEditsRestart, ADamagedEditIsNamedAndTheShippedFileIsUsed)
{
    Developer(true);
    std::string shipped = ReadAll(std::string(kContentDir) + "/ui/main-menu.lua");
    size_t cut = shipped.find("CreateComp (");
    ASSERT_NE(cut, std::string::npos);
    std::string damaged = shipped.substr(0, cut + 14);
    fs::create_directories(Edit("ui"));
    std::ofstream(Edit("ui/main-menu.lua"), std::ios::binary) << damaged;
    ASSERT_EQ(Run(1, kPlainScript), 0) << ReadAll(dir_ / "run.out");
    std::string log = Log(1);
    size_t said = log.find("Developer edit 'user://dev-edits/ui/main-menu.lua' does not read ([string \"ui/main-menu.lua\"]:");
    ASSERT_NE(said, std::string::npos) << log;
    EXPECT_NE(log.find("): the shipped file is used instead.", said), std::string::npos);
    size_t menu = log.find("PushScreen: 'MainMenu'");
    ASSERT_NE(menu, std::string::npos) << log;
    EXPECT_LT(said, menu);
    EXPECT_EQ(log.find("error compiling 'ui/main-menu.lua'"), std::string::npos) << log;
    EXPECT_EQ(ReadAll(Edit("ui/main-menu.lua.bad")), damaged);
    EXPECT_FALSE(fs::exists(Edit("ui/main-menu.lua")));
}

}  // namespace
