// Tests of engine files: reading, writing and positioning native files, the name and
// mode checks, the lookup order of relative names across archives and directories,
// the open-file count, buffers and the request call.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/fs/fs.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fs_test_env.h"

using fstest::FsTest;
using fstest::LogMark;
using fstest::LoggedSince;
using fstest::ReadEngineFile;
using fstest::ReadNative;
using fstest::ResDir;
using fstest::UserDir;
using fstest::WriteNative;

namespace {

class FileTest : public FsTest {};

TEST_F(FileTest, FreadReturnsBytesNotElements)
{
    std::string bytes = fstest::RandomBytes(10, 1);
    WriteNative(ResDir() + "/ten.bin", bytes);
    ov_file_t *f = OV_OpenFile("res://ten.bin", "r");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(OV_fseek(f, 4, 0), 1);
    char buf[12] = {};
    EXPECT_EQ(OV_fread(buf, 4, 3, f), 6u);  // 6 bytes were left: one and a half elements
    EXPECT_EQ(std::string(buf, 6), bytes.substr(4));
    EXPECT_EQ(OV_fread(buf, 4, 3, f), 0u);
    OV_CloseFile(f);
}

TEST_F(FileTest, FgetcGivesBytesAndZeroAtTheEnd)
{
    std::string bytes = {'\x00', '\x7f', '\x80', '\xff', 'A'};
    WriteNative(ResDir() + "/bytes.bin", bytes);
    ov_file_t *f = OV_OpenFile("res://bytes.bin", "rb");
    ASSERT_NE(f, nullptr);
    for (char c : bytes)
        EXPECT_EQ(OV_fgetc(f), (unsigned char)c);
    EXPECT_EQ(OV_fgetc(f), 0);
    EXPECT_EQ(OV_fgetc(f), 0);
    OV_CloseFile(f);
}

TEST_F(FileTest, WriteAppendAndReadBackThroughUser)
{
    ov_file_t *f = OV_OpenFile("user://save.dat", "w");
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->name, "user://save.dat");
    EXPECT_EQ(OV_WriteFile("hello ", 6, f), 6u);
    EXPECT_EQ(OV_fwrite("wor", 1, 3, f), 3u);
    EXPECT_EQ(OV_FlushFile(f), 1);
    EXPECT_EQ(ReadNative(UserDir() + "/save.dat"), "hello wor");
    OV_CloseFile(f);

    f = OV_OpenFile("user://save.dat", "a");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size, 9);
    EXPECT_EQ(OV_fwrite("ld", 2, 1, f), 2u);
    OV_CloseFile(f);

    std::string back;
    ASSERT_TRUE(ReadEngineFile("user://save.dat", &back));
    EXPECT_EQ(back, "hello world");
}

TEST_F(FileTest, CreatedFilesAndDirectoriesAreNotWorldWritable)
{
    mode_t old_mask = umask(022);
    ASSERT_EQ(OV_CreateDirectory("user://made/here"), 1);
    ov_file_t *f = OV_OpenFile("user://made/here/new.dat", "w");
    ASSERT_NE(f, nullptr);
    OV_CloseFile(f);
    umask(old_mask);
    struct stat st;
    ASSERT_EQ(stat((UserDir() + "/made/here/new.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0002, 0u) << std::oct << st.st_mode;
    ASSERT_EQ(stat((UserDir() + "/made/here").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0002, 0u) << std::oct << st.st_mode;
}

TEST_F(FileTest, PositionCalls)
{
    std::string bytes = fstest::RandomBytes(100, 2);
    WriteNative(ResDir() + "/p.bin", bytes);
    ov_file_t *f = OV_OpenFile("res://p.bin", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size, 100);
    EXPECT_EQ(OV_ftell(f), 0);
    struct Step {
        long offset;
        int whence;
        long position;
    };
    const Step steps[] = {{10, 0, 10}, {5, 1, 15}, {-20, 2, 80}, {-80, 1, 0}, {0, 2, 100}};
    for (const Step &s : steps) {
        EXPECT_EQ(OV_SetFilePosition(f, s.offset, s.whence), 1) << s.offset << "," << s.whence;
        EXPECT_EQ(OV_GetFilePosition(f), s.position);
        EXPECT_EQ(OV_ftell(f), s.position);
    }
    EXPECT_EQ(OV_fseek(f, 1, 7), 0);
    EXPECT_EQ(OV_fseek(f, -1, 0), 0);
    ASSERT_EQ(OV_fseek(f, 37, 0), 1);
    EXPECT_EQ(OV_fgetc(f), (unsigned char)bytes[37]);
    OV_CloseFile(f);
}

TEST_F(FileTest, IllegalNamesAreRefusedWithPopup)
{
    const char *names[] = {"ui/../x.png", "/tmp/a", "c:/a", "res://a/..b"};
    for (const char *name : names) {
        size_t mark = LogMark();
        EXPECT_EQ(OV_OpenFile(name, "r"), nullptr) << name;
        EXPECT_TRUE(LoggedSince(mark, std::string("ov->OpenFile: Illegal file name '") + name + "'."))
            << name << "\n" << fstest::LogSince(mark);
        EXPECT_TRUE(LoggedSince(mark, "Valid name can start with either res://, user://, or relative path like ('ui/')."));
    }
}

TEST_F(FileTest, IllegalModesAreRefusedWithPopup)
{
    WriteNative(ResDir() + "/ui/x.png", "x");
    const char *modes[] = {"rt", "r+", "", "RB", "wa"};
    for (const char *mode : modes) {
        size_t mark = LogMark();
        EXPECT_EQ(OV_OpenFile("ui/x.png", mode), nullptr) << mode;
        EXPECT_TRUE(LoggedSince(mark, std::string("ov->OpenFile: Illegal mode '") + mode + "' while opening file 'ui/x.png'"))
            << mode << "\n" << fstest::LogSince(mark);
        EXPECT_TRUE(LoggedSince(mark, "Valid modes are read (\"r\"), write (\"w\"), and append (\"a\")."));
    }
    size_t mark = LogMark();
    EXPECT_EQ(OV_OpenFile("ui/x.png", nullptr), nullptr);
    EXPECT_TRUE(LoggedSince(mark, "ov->OpenFile: Illegal mode '(null)' while opening file 'ui/x.png'"));
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(FileTest, RelativeNamesOpenOnlyForReadingAndSilently)
{
    WriteNative(ResDir() + "/ui/x.png", "x");
    const char *modes[] = {"w", "a", "wb", "ab"};
    for (const char *mode : modes) {
        size_t mark = LogMark();
        EXPECT_EQ(OV_OpenFile("ui/x.png", mode), nullptr) << mode;
        EXPECT_EQ(LogMark(), mark) << mode << "\n" << fstest::LogSince(mark);
    }
    EXPECT_EQ(ReadNative(ResDir() + "/ui/x.png"), "x");  // untouched
    std::string back;
    ASSERT_TRUE(ReadEngineFile("ui/x.png", &back));
    EXPECT_EQ(back, "x");
}

TEST_F(FileTest, RelativeNameWithoutSearchPathsDoesNotOpen)
{
    WriteNative(ResDir() + "/a.txt", "a");
    while (OV_GetNumberOfSearchPaths() > 0)
        OV_RemoveSearchPath(OV_GetSearchPath(0));
    EXPECT_EQ(OV_OpenFile("a.txt", "r"), nullptr);
    ov_file_t *f = OV_OpenFile("res://a.txt", "r");
    EXPECT_NE(f, nullptr) << "static names need no search path";
    OV_CloseFile(f);
}

TEST_F(FileTest, DirectoriesAndMissingFilesDoNotOpen)
{
    std::filesystem::create_directories(ResDir() + "/somedir");
    EXPECT_EQ(OV_OpenFile("res://somedir", "r"), nullptr);
    EXPECT_EQ(OV_OpenFile("res://missing.txt", "r"), nullptr);
    EXPECT_EQ(OV_OpenFile("user://no/such/dir/x.txt", "w"), nullptr);
    EXPECT_FALSE(OV_FileExists("res://somedir"));
    EXPECT_FALSE(OV_FileExists(nullptr));
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(FileTest, OpenFileCountFollowsOpensAndCloses)
{
    WriteNative(ResDir() + "/a.txt", "a");
    std::vector<ov_file_t *> open;
    for (int i = 0; i < 5; i++) {
        open.push_back(OV_OpenFile("a.txt", "r"));
        ASSERT_NE(open.back(), nullptr);
        EXPECT_EQ(OVI_OpenFileCount(), i + 1);
    }
    EXPECT_TRUE(OV_FileExists("a.txt"));
    EXPECT_EQ(OVI_OpenFileCount(), 5);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(OV_CloseFile(open[i]), 0);
        EXPECT_EQ(OVI_OpenFileCount(), 4 - i);
    }
}

TEST_F(FileTest, ClosingWithoutOpenFilesAndWithoutInnerFileIsReported)
{
    size_t mark = LogMark();
    ov_file_t *hollow = new ov_file_t{"hollow", 0, nullptr};
    EXPECT_EQ(OV_CloseFile(hollow), 0);
    EXPECT_EQ(OVI_OpenFileCount(), -1);
    EXPECT_TRUE(LoggedSince(mark, "CloseFile closing too many file handles!")) << fstest::LogSince(mark);
    EXPECT_TRUE(LoggedSince(mark, "CloseFile: inner file should always exist!"));
}

TEST_F(FileTest, NullHandlesAreHarmless)
{
    char buf[4];
    EXPECT_EQ(OV_fread(buf, 1, 4, nullptr), 0u);
    EXPECT_EQ(OV_ReadFile(buf, 4, nullptr), 0u);
    EXPECT_EQ(OV_fwrite(buf, 1, 4, nullptr), 0u);
    EXPECT_EQ(OV_fgetc(nullptr), 0);
    EXPECT_EQ(OV_fseek(nullptr, 0, 0), 0);
    EXPECT_EQ(OV_ftell(nullptr), -1);
    EXPECT_EQ(OV_FlushFile(nullptr), 0);
    EXPECT_EQ(OV_CloseFile(nullptr), 0);
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

// The relative name sfx/a.wav with the search paths res://data-sfx-wav/ and res:// is
// looked for in four places; each row leaves out the places before the one that must win.
TEST_F(FileTest, RelativeNameLookupOrderAcrossArchivesAndDirectories)
{
    enum { kPakFirst = 1, kDirFirst = 2, kPakSecond = 4, kDirSecond = 8 };
    struct Row {
        int present;
        const char *expected;  // null: not found
    };
    const Row rows[] = {
        {kPakFirst | kDirFirst | kPakSecond | kDirSecond, "first archive"},
        {kDirFirst | kPakSecond | kDirSecond, "first directory"},
        {kPakSecond | kDirSecond, "second archive"},
        {kDirSecond, "second directory"},
        {kPakFirst | kDirSecond, "first archive"},
        {kDirFirst | kPakSecond, "first directory"},
        {0, nullptr},
    };
    for (const Row &row : rows) {
        Restart();
        while (OV_GetNumberOfSearchPaths() > 0)
            OV_RemoveSearchPath(OV_GetSearchPath(0));
        OV_AddSearchPath("res://", false);
        OV_AddSearchPath("res://data-sfx-wav/", true);
        if (row.present & kPakFirst)
            fstest::WritePak(ResDir() + "/data-sfx-wav.pak", {{"sfx/a.wav", "first archive"}, {"a.wav", "wrong entry"}});
        if (row.present & kDirFirst)
            WriteNative(ResDir() + "/data-sfx-wav/sfx/a.wav", "first directory");
        if (row.present & kPakSecond)
            fstest::WritePak(ResDir() + "/sfx.pak", {{"sfx/a.wav", "wrong entry"}, {"a.wav", "second archive"}});
        if (row.present & kDirSecond)
            WriteNative(ResDir() + "/sfx/a.wav", "second directory");

        std::string got;
        bool opened = ReadEngineFile("sfx/a.wav", &got);
        if (row.expected) {
            EXPECT_TRUE(opened) << "row " << row.present;
            EXPECT_EQ(got, row.expected) << "row " << row.present;
        } else {
            EXPECT_FALSE(opened) << "row " << row.present;
        }
        // Opened archives stay open (one handle each) until the file layer closes.
        StopEngine();
        EXPECT_EQ(OVI_OpenFileCount(), 0) << "row " << row.present;
    }
}

TEST_F(FileTest, UserIsSearchedBeforeRes)
{
    WriteNative(ResDir() + "/settings.xml", "res");
    std::string got;
    ASSERT_TRUE(ReadEngineFile("settings.xml", &got));
    EXPECT_EQ(got, "res");
    WriteNative(UserDir() + "/settings.xml", "user");
    ASSERT_TRUE(ReadEngineFile("settings.xml", &got));
    EXPECT_EQ(got, "user");
}

TEST_F(FileTest, BuffersAllocateAndFree)
{
    ov_buffer_t b = OV_AllocBuffer(64);
    ASSERT_NE(b.data, nullptr);
    EXPECT_EQ(b.reserved, 0);
    EXPECT_EQ(b.used, 64);
    EXPECT_EQ(b.size, 64);
    b.data[63] = 1;
    OV_FreeBuffer(&b);
    EXPECT_EQ(b.data, nullptr);
    EXPECT_EQ(b.used, 0);
    EXPECT_EQ(b.size, 0);

    const int empty_sizes[] = {0, -5};
    for (int size : empty_sizes) {
        ov_buffer_t e = OV_AllocBuffer(size);
        EXPECT_EQ(e.data, nullptr);
        EXPECT_EQ(e.used, 0);
        EXPECT_EQ(e.size, 0);
    }
    OV_FreeBuffer(nullptr);
}

TEST_F(FileTest, RequestCallHasNoNetwork)
{
    ov_buffer_t reply = {nullptr, 7, 8, 9};
    int extra = 42;
    EXPECT_EQ(OV_SendHttpRequest(2, "http://host/a", "application/octet-stream", "", 0, &reply, &extra), 0);
    EXPECT_EQ(reply.data, nullptr);
    EXPECT_EQ(reply.reserved, 7);
    EXPECT_EQ(reply.used, 8);
    EXPECT_EQ(reply.size, 9);
    EXPECT_EQ(extra, 42);
}

}  // namespace
