// Crash-safe replacement through the engine's table: the "ReplaceFile" extension
// command puts a written ".tmp" sibling in place of a file, refuses names it cannot
// write and cleans up after a failure; closing a file whose bytes did not reach a
// full disk reports the failure.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>

#include "core/console.h"
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fs_test_env.h"
#include "small_disk.h"

using fstest::FsTest;
using fstest::LogMark;
using fstest::LoggedSince;
using fstest::NativeExists;
using fstest::ReadNative;
using fstest::ResDir;
using fstest::UserDir;
using fstest::WriteNative;

namespace {

class ReplaceFileTest : public FsTest {};

const char *Replace(const char *name)
{
    return ov->OV_CallExtension("ReplaceFile", name);
}

// Writes bytes to an engine file through the table, checking the writes and the close.
void WriteEngineFile(const char *name, const std::string &bytes)
{
    ov_file_t *f = ov->OV_OpenFile(name, "w");
    ASSERT_NE(f, nullptr) << name;
    ASSERT_EQ(ov->OV_WriteFile(bytes.data(), (unsigned)bytes.size(), f), bytes.size());
    ASSERT_EQ(ov->OV_CloseFile(f), 0);
}

// Native path of a static name.
std::string Native(const char *name)
{
    char *native = OV_ConvertStaticPathToNativeOSPath(name);
    std::string out = native ? native : "";
    nStringFree(native);
    return out;
}

TEST_F(ReplaceFileTest, SiblingTakesThePlaceOfTheFile)
{
    const struct {
        const char *name;
        bool exists_before;
    } kCases[] = {
        {"user://profiles.xml", true},
        {"user://new/in/a/folder.dat", false},
        {"res://data/seq.bms", true},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.name);
        std::string native = Native(c.name);
        std::string sibling = std::string(c.name) + ".tmp";
        if (c.exists_before)
            WriteNative(native, "the old content");
        else
            std::filesystem::create_directories(std::filesystem::path(native).parent_path());
        std::string fresh = fstest::RandomBytes(70000, 7);
        WriteEngineFile(sibling.c_str(), fresh);

        const char *reply = Replace(c.name);
        ASSERT_NE(reply, nullptr);
        EXPECT_STREQ(reply, "OK");
        EXPECT_EQ(ReadNative(native), fresh);
        EXPECT_FALSE(NativeExists(native + ".tmp"));
    }
}

TEST_F(ReplaceFileTest, RefusedNamesAnswerNullAndTouchNothing)
{
    WriteNative(UserDir() + "/keep.dat", "kept");
    WriteNative(UserDir() + "/keep.dat.tmp", "sibling");
    const char *kNames[] = {
        nullptr,
        "",
        "keep.dat",                 // relative names are opened for reading only
        "http://host/keep.dat",     // the download cache is not written through here
        "user://../keep.dat",       // climbs out
        "/tmp/keep.dat",            // native paths are not engine names
        "ftp://keep.dat",           // unknown prefix
        "user://missing.dat",       // no sibling was written
    };
    for (const char *name : kNames) {
        SCOPED_TRACE(name ? name : "(null)");
        size_t mark = LogMark();
        EXPECT_EQ(Replace(name), nullptr);
        EXPECT_TRUE(LoggedSince(mark, "ReplaceFile")) << fstest::LogSince(mark);
        EXPECT_EQ(ReadNative(UserDir() + "/keep.dat"), "kept");
        EXPECT_EQ(ReadNative(UserDir() + "/keep.dat.tmp"), "sibling");
    }
    EXPECT_FALSE(NativeExists(UserDir() + "/missing.dat"));
}

TEST_F(ReplaceFileTest, FailedRenameRemovesTheSiblingAndKeepsTheTarget)
{
    // A folder with something in it cannot be replaced by a file.
    WriteNative(UserDir() + "/slot/inside.dat", "inside");
    WriteEngineFile("user://slot.tmp", "new content");
    size_t mark = LogMark();
    EXPECT_EQ(Replace("user://slot"), nullptr);
    EXPECT_TRUE(LoggedSince(mark, "unable to rename")) << fstest::LogSince(mark);
    EXPECT_TRUE(LoggedSince(mark, "slot")) << fstest::LogSince(mark);
    EXPECT_FALSE(NativeExists(UserDir() + "/slot.tmp"));
    EXPECT_EQ(ReadNative(UserDir() + "/slot/inside.dat"), "inside");
}

TEST_F(ReplaceFileTest, AFolderNamedLikeTheSiblingIsLeftAlone)
{
    WriteNative(UserDir() + "/odd.dat", "kept");
    WriteNative(UserDir() + "/odd.dat.tmp/x", "x");
    EXPECT_EQ(Replace("user://odd.dat"), nullptr);
    EXPECT_EQ(ReadNative(UserDir() + "/odd.dat"), "kept");
    EXPECT_EQ(ReadNative(UserDir() + "/odd.dat.tmp/x"), "x");
}

TEST_F(ReplaceFileTest, SecondReplaceWithoutANewSiblingFails)
{
    WriteEngineFile("user://once.dat.tmp", "first");
    ASSERT_STREQ(Replace("user://once.dat"), "OK");
    EXPECT_EQ(Replace("user://once.dat"), nullptr);
    EXPECT_EQ(ReadNative(UserDir() + "/once.dat"), "first");
}

// On a full disk, 1000 bytes go into the stream's buffer and "succeed"; the close has
// to write them and must report that it could not. With the sibling the old file stays.
TEST_F(ReplaceFileTest, CloseReportsBytesThatDidNotReachAFullDisk)
{
    const std::string old_content = "the saved data before the disk filled up";
    std::string user = UserDir();
    std::filesystem::create_directories(user);
    fstest::SmallDiskRun run = fstest::RunOnSmallDisk(user, 16384, 512, [&](int out) {
        WriteNative(user + "/save.dat", old_content);
        // Fill the disk (with a file-size limit the filler just stops at the limit).
        ov_file_t *filler = ov->OV_OpenFile("user://filler", "w");
        std::string block(4096, 'f');
        for (int i = 0; i < 64 && ov->OV_WriteFile(block.data(), (unsigned)block.size(), filler) == block.size(); i++) {
        }
        ov->OV_CloseFile(filler);

        size_t mark = LogMark();
        ov_file_t *f = OVFS_OpenTempSiblingFile("user://save.dat");
        if (!f)
            return 10;
        std::string bytes(1000, 'n');
        unsigned written = ov->OV_WriteFile(bytes.data(), (unsigned)bytes.size(), f);
        bool saved = OVFS_FinishTempSiblingFile(f, "user://save.dat", written == bytes.size());
        fstest::WriteAll(out, "saved=" + std::to_string(saved) + "\n");
        fstest::WriteAll(out, "content=" + ReadNative(user + "/save.dat") + "\n");
        fstest::WriteAll(out, "sibling=" + std::to_string(NativeExists(user + "/save.dat.tmp")) + "\n");
        fstest::WriteAll(out, fstest::LogSince(mark));
        return 0;
    });
    SCOPED_TRACE(fstest::SmallDiskKindName(run.kind));
    RecordProperty("full_disk", fstest::SmallDiskKindName(run.kind));
    ASSERT_TRUE(run.exited);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("saved=0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("content=" + old_content + "\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("sibling=0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Unable to finish writing 'user://save.dat.tmp'"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Unable to write file 'user://save.dat'"), std::string::npos) << run.output;
}

// A small write sits in the stream's buffer until the flush, where the full disk shows:
// the flush's own reason is what the close and "LastFileError" report, not a generic
// input/output error.
TEST_F(ReplaceFileTest, FullDiskIsReportedWithItsOwnReason)
{
    std::string user = UserDir();
    std::filesystem::create_directories(user);
    fstest::SmallDiskRun run = fstest::RunOnSmallDisk(user, 16384, 512, [&](int out) {
        ov_file_t *filler = ov->OV_OpenFile("user://filler", "w");
        std::string block(4096, 'f');
        for (int i = 0; i < 64 && ov->OV_WriteFile(block.data(), (unsigned)block.size(), filler) == block.size(); i++) {
        }
        ov->OV_CloseFile(filler);

        size_t mark = LogMark();
        ov_file_t *f = ov->OV_OpenFile("user://small.dat", "w");
        if (!f)
            return 10;
        std::string bytes(600, 'n');
        unsigned written = ov->OV_WriteFile(bytes.data(), (unsigned)bytes.size(), f);
        int flushed = ov->OV_FlushFile(f);
        int closed = ov->OV_CloseFile(f);
        const char *reason = ov->OV_CallExtension("LastFileError", nullptr);
        fstest::WriteAll(out, "written=" + std::to_string(written) + " flushed=" + std::to_string(flushed) +
                                  " closed=" + std::to_string(closed) + "\n");
        fstest::WriteAll(out, std::string("reason=") + (reason ? reason : "(none)") + "\n");
        fstest::WriteAll(out, fstest::LogSince(mark));
        return 0;
    });
    SCOPED_TRACE(fstest::SmallDiskKindName(run.kind));
    ASSERT_TRUE(run.exited);
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string reason =
        run.kind == fstest::SmallDiskKind::kTmpfs ? "No space left on device" : "File too large";
    EXPECT_NE(run.output.find("written=600 flushed=0 closed=-1\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("reason=" + reason + "\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Unable to finish writing 'user://small.dat': " + reason), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("Input/output error"), std::string::npos) << run.output;
}

// "LastFileError" names why the thread's last file operation failed, and a new open
// clears it; another thread's failure is not this thread's.
TEST_F(ReplaceFileTest, LastFileErrorNamesTheReasonOfTheLastFailure)
{
    auto last = [] {
        const char *r = ov->OV_CallExtension("LastFileError", nullptr);
        return std::string(r ? r : "(none)");
    };
    EXPECT_EQ(ov->OV_OpenFile("user://no-such-folder/x.dat", "w"), nullptr);
    EXPECT_EQ(last(), "No such file or directory");
    std::filesystem::create_directories(UserDir() + "/folder.dat");
    EXPECT_EQ(ov->OV_OpenFile("user://folder.dat", "r"), nullptr);
    EXPECT_EQ(last(), "Is a directory");
    EXPECT_EQ(Replace("user://never-written.dat"), nullptr);
    EXPECT_EQ(last(), "No such file or directory");
    EXPECT_EQ(ov->OV_DeleteFile("user://no-such-file"), 0);
    EXPECT_EQ(last(), "No such file or directory");

    WriteEngineFile("user://fine.dat", "abc");
    EXPECT_EQ(last(), "(none)");
    std::string other;
    std::thread([&] {
        ov->OV_OpenFile("user://no-such-folder/y.dat", "w");
        const char *r = ov->OV_CallExtension("LastFileError", nullptr);
        other = r ? r : "(none)";
    }).join();
    EXPECT_EQ(other, "No such file or directory");
    EXPECT_EQ(last(), "(none)");
}

TEST_F(ReplaceFileTest, CloseOfAWellWrittenFileSucceeds)
{
    ov_file_t *f = ov->OV_OpenFile("user://fine.dat", "w");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ov->OV_WriteFile("abc", 3, f), 3u);
    EXPECT_EQ(ov->OV_CloseFile(f), 0);
    f = ov->OV_OpenFile("user://fine.dat", "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ov->OV_CloseFile(f), 0);
}

}  // namespace
