// Saving databases and profiles: atomic replacement through the ".tmp" sibling, failure
// messages, names that need escaping, deleting every profile, a write cut short by a
// file-size limit, and a writer killed at random moments.
#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/services/profiles.h"
#include "tests/app/services/data_fixture.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <random>
#include <string>

using datatest::CountMessages;
using datatest::DataTest;

namespace {

class ProfileSavesTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        profile_man().Clear();
    }
    void TearDown() override
    {
        profile_man().Clear();
        DataTest::TearDown();
    }
    // Forgets everything in memory and loads the profiles from the files again.
    void Reload()
    {
        profile_man().Clear();
        dman().ReleaseAllDatabases();
        profile_man().LoadProfiles();
    }
    // Runs the child writer with the arguments in the scratch directory.
    pid_t Spawn(const char *mode, const char *arg = nullptr)
    {
        pid_t pid = fork();
        if (pid == 0) {
            if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
                _exit(9);
            execl(PROFILE_WRITER, PROFILE_WRITER, mode, arg, (char *)nullptr);
            _exit(8);
        }
        return pid;
    }
    std::string Name(Profile *p) { return p && p->GetName().Get() ? p->GetName().Get() : ""; }
};

TEST_F(ProfileSavesTest, DatabaseSaveReplacesTheFileAndReadsBack)
{
    DMDatabase db;
    db.SetValue("A", "n", "v", "quote \" backslash \\ &quot; <!-- \n end");
    ASSERT_TRUE(WriteNative(UserPath("db.xml.tmp"), "leftover sibling"));
    ASSERT_TRUE(WriteNative(UserPath("db.xml"), "old"));
    ASSERT_TRUE(db.Save("user://db.xml"));
    EXPECT_FALSE(ExistsNative(UserPath("db.xml.tmp")));
    DMDatabase copy;
    ASSERT_TRUE(copy.Load("user://db.xml"));
    EXPECT_STREQ(copy.GetValue("A", "n", "v"), "quote \" backslash \\ &quot; <!-- \n end");
}

TEST_F(ProfileSavesTest, SaveThatCannotOpenItsSiblingKeepsTheOldFile)
{
    DMDatabase db;
    db.SetValue("A", "n", "v", "1");
    EXPECT_FALSE(db.Save("user://no-such-dir/db.xml"));
    EXPECT_EQ(CountMessages("Unable to open file 'user://no-such-dir/db.xml' for writing.\n"), 1);
    // A directory in the way of the rename: the write fails, the sibling goes.
    ASSERT_EQ(mkdir(UserPath("taken.xml").c_str(), 0755), 0);
    ASSERT_TRUE(WriteNative(UserPath("taken.xml/keep"), "x"));
    EXPECT_FALSE(db.Save("user://taken.xml"));
    EXPECT_EQ(CountMessages("Unable to write file 'user://taken.xml'.\n"), 1);
    EXPECT_FALSE(ExistsNative(UserPath("taken.xml.tmp")));
    EXPECT_EQ(ReadNative(UserPath("taken.xml/keep")), "x");
}

// In a normal run (not developer mode) a failed save is an error line that names the
// file and the reason, whatever step failed, and the player's notice is raised once.
TEST_F(ProfileSavesTest, FailedSaveIsAnErrorLineWithItsReasonAndOneNotice)
{
    datatest::Record().parms.developer_mode = 0;
    ResetFailedSaveNotice();
    ASSERT_EQ(mkdir(UserPath("taken.xml").c_str(), 0755), 0);
    struct Case {
        const char *file;
        const char *line;
    };
    const Case kCases[] = {
        {"user://no-such-dir/db.xml", "Unable to save 'user://no-such-dir/db.xml': No such file or directory\n"},
        {"user://taken.xml", "Unable to save 'user://taken.xml': Is a directory\n"},
    };
    DMDatabase db;
    db.SetValue("A", "n", "v", "1");
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.file);
        EXPECT_FALSE(db.Save(c.file));
        int errors = 0;
        for (const datatest::Message &m : datatest::Messages())
            errors += m.kind == "debug" && m.level == 2 && m.text == c.line;
        EXPECT_EQ(errors, 1) << datatest::Dump();
    }
    std::string notice;
    ASSERT_TRUE(TakeFailedSaveNotice(&notice));
    EXPECT_EQ(notice, "Your progress could not be saved: No such file or directory");
    EXPECT_FALSE(TakeFailedSaveNotice(&notice)) << "once per run";
    datatest::Record().parms.developer_mode = 1;
}

TEST_F(ProfileSavesTest, NameWithQuotesBackslashesAndEntitiesReadsBack)
{
    profile_man().LoadProfiles();
    const char *name = "Jo \"the\" \\ &quot; one";
    prof->SetName(name);
    prof->SetStatisticsInt("wins", 3);
    EXPECT_TRUE(profile_man().SaveProfiles());
    EXPECT_EQ(CountMessages("Saving all profiles.\n"), 1);
    EXPECT_EQ(CountMessages(std::string("Saving profile '") + name + "'\n"), 1);
    Reload();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_EQ(Name(prof), name);
    EXPECT_EQ(prof->GetStatisticsInt("wins"), 3);
    EXPECT_FALSE(prof->HadDamage());
}

TEST_F(ProfileSavesTest, DeleteAllProfilesEndsWithOnePlayer)
{
    profile_man().LoadProfiles();
    prof->SetName("A");
    Profile *b = profile_man().CreateNewProfile();
    b->SetName("B");
    Profile *c = profile_man().CreateNewProfile();
    c->SetName("C");
    ASSERT_TRUE(profile_man().SaveProfiles());
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 3);
    profile_man().DeleteAllProfiles();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_EQ(Name(prof), "Player");
    EXPECT_EQ(profile_man().GetNumberOfMarkedProfiles(), 0);
    Reload();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_EQ(Name(prof), "Player");
    std::vector<std::string> files = ListTree(UserPath("profiles"));
    EXPECT_EQ(files, (std::vector<std::string>{"4.xml", "index.xml"}));
}

TEST_F(ProfileSavesTest, DamagedProfileIsKeptAsideBeforeItIsOverwritten)
{
    ASSERT_EQ(mkdir(UserPath("profiles").c_str(), 0755), 0);
    ASSERT_TRUE(WriteNative(UserPath("profiles/1.xml"), "<?xml?>\n<root>\n<array id=\"!INFO\">\n<node id=\"na"));
    ASSERT_TRUE(WriteNative(UserPath("profiles/1.xml.bad"), "older damage"));
    profile_man().LoadProfiles();
    EXPECT_TRUE(prof->HadDamage());
    EXPECT_EQ(ReadNative(UserPath("profiles/1.xml.bad2")), ReadNative(UserPath("profiles/1.xml")));
    EXPECT_EQ(CountMessages("Damaged file 'user://profiles/1.xml' kept as 'user://profiles/1.xml.bad2'.\n"), 1);
}

TEST_F(ProfileSavesTest, WriteCutShortFailsKeepsTheOldFileAndTheDirtyFlag)
{
    pid_t pid = Spawn("limit", "8192");
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    DMDatabase saved;
    ASSERT_TRUE(saved.Load("user://profiles/1.xml"));
    EXPECT_FALSE(saved.HadParseError());
    EXPECT_EQ(saved.GetArraySize("BULK"), 10);  // the first save, whole
    EXPECT_FALSE(ExistsNative(UserPath("profiles/1.xml.tmp")));
}

// Every node of the file must hold the same generation: the old text or the new one.
void ExpectWholeGeneration(const char *file, int *generations_seen)
{
    DMDatabase db;
    if (!db.Load(file))
        return;  // killed before the first save
    ASSERT_FALSE(db.HadParseError());
    ASSERT_EQ(db.GetArraySize("BULK"), 300);
    std::string first = db.GetValue("BULK", 0, "v");
    for (int i = 1; i < 300; i++)
        ASSERT_EQ(first, db.GetValue("BULK", i, "v")) << i;
    (*generations_seen)++;
}

TEST_F(ProfileSavesTest, WriterKilledAtRandomMomentsLeavesOldOrNewText)
{
    std::mt19937 rng((unsigned)time(nullptr));
    int whole = 0;
    const std::string file = UserPath("profiles/1.xml");
    for (int round = 0; round < 25; round++) {
        SCOPED_TRACE(round);
        // Killed at a random moment of its saves, not of its start-up.
        const unsigned long before = InodeOf(file);
        pid_t pid = Spawn("loop");
        if (!WaitForReplacement(file, before, pid)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            FAIL() << "the writer made no save";
        }
        usleep(rng() % 150000);
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own: " << WEXITSTATUS(status);
        ExpectWholeGeneration("user://profiles/1.xml", &whole);
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(whole, 0);
}

}  // namespace
