// Saving a database is crash-safe: a child process saving a large database is killed
// at random moments, many times, and the file is always the old or the new one, whole;
// on a full disk the save fails with a message and the old file stays.
#include "tests/core/data/data_fixture.h"
#include "tests/core/fs/small_disk.h"

#include "core/console.h"
#include "core/data/dataman.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

using namespace datatest;

namespace {

class DatabaseSave : public EngineUp {};

// A database of arrays x nodes, each node with five pairs; the tag makes two databases
// of the same shape differ in every node.
void Fill(OV_DMDatabase *db, int arrays, int nodes, const std::string &tag)
{
    for (int a = 0; a < arrays; a++) {
        std::string array = "array" + std::to_string(a);
        for (int n = 0; n < nodes; n++) {
            std::string node = tag + "-" + std::to_string(n);
            db->SetValue(array.c_str(), node.c_str(), "name", ("unit " + node).c_str());
            db->SetValue(array.c_str(), node.c_str(), "hp", std::to_string(100 + n).c_str());
            db->SetValue(array.c_str(), node.c_str(), "speed", "1.25");
            db->SetValue(array.c_str(), node.c_str(), "text", ("a longer value so the file grows " + tag).c_str());
        }
    }
}

bool FileExists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Forks a child that signals once it starts saving, saves and exits 0 (3 on failure).
pid_t StartSavingChild(OV_DMDatabase *db, const char *path, int *started_fd)
{
    int go[2];
    if (pipe(go) != 0)
        return -1;
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        close(go[0]);
        char c = 's';
        if (write(go[1], &c, 1) != 1)
            _exit(4);
        bool ok = db->Save(path);
        _exit(ok ? 0 : 3);
    }
    close(go[1]);
    *started_fd = go[0];
    return pid;
}

// Milliseconds a child needs from its start signal to the end of a whole save.
double TimeOneSave(OV_DMDatabase *db, const char *path)
{
    int started = -1;
    pid_t pid = StartSavingChild(db, path, &started);
    char c;
    if (pid < 0 || read(started, &c, 1) != 1)
        return -1;
    auto t0 = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(pid, &status, 0);
    close(started);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

TEST_F(DatabaseSave, KilledSaveLeavesTheOldOrTheNewFileWhole)
{
    OV_DMDatabase a, b;
    Fill(&a, 4, 600, "old");
    Fill(&b, 4, 600, "new");
    ASSERT_TRUE(a.Save("a.xml"));
    ASSERT_TRUE(b.Save("b.xml"));
    const std::string bytes_a = ReadFile("a.xml"), bytes_b = ReadFile("b.xml");
    ASSERT_GT(bytes_a.size(), 300000u);
    ASSERT_NE(bytes_a, bytes_b);

    const char *path = "app/native/save.xml";  // res://save.xml
    ASSERT_TRUE(a.Save(path));
    double times[3];
    for (double &t : times) {
        t = TimeOneSave(&a, path);
        ASSERT_GT(t, 0) << "a whole save in a child failed";
    }
    std::sort(times, times + 3);
    double estimate = times[1];

    std::mt19937 random(12345);
    int interrupted = 0, ended_old = 0, ended_new = 0, since_new = 0, rounds = 0;
    auto start = std::chrono::steady_clock::now();
    for (; rounds < 300; rounds++) {
        std::string now = ReadFile(path);
        bool now_a = now == bytes_a;
        ASSERT_TRUE(now_a || now == bytes_b) << "round " << rounds << ": the file is neither the old nor the new one ("
                                             << now.size() << " bytes)";
        OV_DMDatabase *next = now_a ? &b : &a;
        const std::string &next_bytes = now_a ? bytes_b : bytes_a;

        int started = -1;
        pid_t pid = StartSavingChild(next, path, &started);
        ASSERT_GT(pid, 0);
        char c;
        ASSERT_EQ(read(started, &c, 1), 1);
        close(started);
        // A moment anywhere from before the first byte to a little after a whole save.
        long delay_us = (long)(std::uniform_real_distribution<double>(0.0, 1.3)(random) * estimate * 1000.0);
        struct timespec ts = {delay_us / 1000000, (delay_us % 1000000) * 1000};
        nanosleep(&ts, nullptr);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        // The estimate follows the machine's current speed: a save that ended before its
        // kill shortens it, a run of kills that all came too early lengthens it.
        if (WIFSIGNALED(status))
            interrupted++;
        else
            estimate *= 0.8;

        std::string after = ReadFile(path);
        ASSERT_TRUE(after == now || after == next_bytes)
            << "round " << rounds << ": killed after " << delay_us << " us, the file has " << after.size() << " bytes";
        if (after == next_bytes) {
            ended_new++;
            since_new = 0;
        } else {
            ended_old++;
            // Kills keep landing before the rename: the machine is slower than measured.
            if (++since_new % 20 == 0)
                estimate *= 1.5;
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (rounds >= 60 && ended_old >= 5 && ended_new >= 5)
            break;
        if (seconds > 8)
            break;
    }
    RecordProperty("rounds", rounds + 1);
    RecordProperty("interrupted", interrupted);
    EXPECT_GE(interrupted, (rounds + 1) / 4) << "most kills must land inside a save";
    EXPECT_GE(ended_old, 1) << "no kill landed before the new file was in place";
    EXPECT_GE(ended_new, 1) << "no save got its new file in place";

    // Whatever the last kill left, the file loads whole.
    OV_DMDatabase back;
    ASSERT_TRUE(back.Load("res://save.xml"));
    ASSERT_EQ(back.GetNumberOfArrays(), 4);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(back.GetArray(i)->GetSize(), 600);
}

TEST_F(DatabaseSave, FullDiskFailsTheSaveWithAMessageAndKeepsTheOldFile)
{
    OV_DMDatabase small, big;
    Fill(&small, 1, 10, "old");
    Fill(&big, 4, 600, "new");
    ASSERT_TRUE(small.Save("small.xml"));
    const std::string old_bytes = ReadFile("small.xml");
    ASSERT_EQ(mkdir("disk", 0755), 0);

    fstest::SmallDiskRun run = fstest::RunOnSmallDisk("disk", 65536, 65536, [&](int out) {
        if (!small.Save("disk/save.xml"))
            return 10;
        size_t mark = ov_con.lines.size();
        bool saved = big.Save("disk/save.xml");
        fstest::WriteAll(out, std::string("saved=") + (saved ? "1" : "0") + "\n");
        fstest::WriteAll(out, std::string("old_kept=") + (ReadFile("disk/save.xml") == old_bytes ? "1" : "0") + "\n");
        fstest::WriteAll(out, std::string("sibling=") + (FileExists("disk/save.xml.tmp") ? "1" : "0") + "\n");
        for (size_t i = mark; i < ov_con.lines.size(); i++)
            fstest::WriteAll(out, std::string("log: ") + (ov_con.lines[i].text ? ov_con.lines[i].text : ""));
        return 0;
    });
    SCOPED_TRACE(fstest::SmallDiskKindName(run.kind));
    RecordProperty("full_disk", fstest::SmallDiskKindName(run.kind));
    ASSERT_TRUE(run.exited);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("saved=0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("old_kept=1\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("sibling=0\n"), std::string::npos) << run.output;
    const char *reason = run.kind == fstest::SmallDiskKind::kTmpfs ? "No space left on device" : "File too large";
    EXPECT_NE(run.output.find(std::string("log: Unable to write file 'disk/save.xml': ") + reason), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Unable to save database 'disk/save.xml'. The file is unchanged."), std::string::npos)
        << run.output;
}

TEST_F(DatabaseSave, SaveLeavesNoSiblingAndReplacesTheFile)
{
    OV_DMDatabase first, second;
    Fill(&first, 1, 3, "one");
    Fill(&second, 2, 5, "two");
    ASSERT_TRUE(first.Save("app/native/db.xml"));
    WriteFile("app/native/db.xml.tmp", "a stale sibling from a crashed save");
    ASSERT_TRUE(second.Save("app/native/db.xml"));
    EXPECT_FALSE(FileExists("app/native/db.xml.tmp"));
    OV_DMDatabase back;
    ASSERT_TRUE(back.Load("res://db.xml"));
    EXPECT_EQ(back.GetNumberOfArrays(), 2);
    EXPECT_EQ(back.GetArray(1)->GetSize(), 5);
}

TEST_F(DatabaseSave, ALinkLeftAsTheSiblingIsNotWrittenThrough)
{
    WriteFile("outside.txt", "not the database's");
    ASSERT_EQ(symlink("../../outside.txt", "app/native/linked.xml.tmp"), 0);
    OV_DMDatabase db;
    Fill(&db, 1, 2, "x");
    ASSERT_TRUE(db.Save("app/native/linked.xml"));
    EXPECT_EQ(ReadFile("outside.txt"), "not the database's");
    struct stat st;
    ASSERT_EQ(lstat("app/native/linked.xml", &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_FALSE(FileExists("app/native/linked.xml.tmp"));
}

}  // namespace
