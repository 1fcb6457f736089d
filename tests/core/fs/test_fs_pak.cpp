// Tests of package archives: archives written by the orvex-pak program read back byte
// for byte with names matched ignoring case; entries read and seek only inside
// themselves; damaged archives are rejected whole with a message and the plain
// directory serves instead; archives are opened once per run.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/fs/pak.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fs_test_env.h"
#include "pakwrite.h"

namespace fs = std::filesystem;
using fstest::CountLoggedSince;
using fstest::FsTest;
using fstest::LogMark;
using fstest::LoggedSince;
using fstest::ReadEngineFile;
using fstest::ReadNative;
using fstest::ResDir;
using fstest::WriteNative;
using fstest::WritePak;

namespace {

std::string Upper(std::string s)
{
    for (char &c : s)
        c = (char)std::toupper((unsigned char)c);
    return s;
}

std::string Lower(std::string s)
{
    for (char &c : s)
        c = (char)std::tolower((unsigned char)c);
    return s;
}

int RunTool(const std::string &args)
{
    std::string command = std::string("'") + ORVEX_PAK_TOOL + "' " + args + " >/dev/null 2>&1";
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PakTest : public FsTest {};

TEST_F(PakTest, ToolArchiveReadsBackByteForByte)
{
    WriteNative("src/a.txt", "first file\n");
    WriteNative("src/sub/B.bin", fstest::RandomBytes(200000, 3));
    WriteNative("src/sub/deeper/empty.dat", "");
    WriteNative("src/Mixed/Case.TXT", "Mixed case name");
    std::string all_bytes;
    for (int i = 0; i < 256; i++)
        all_bytes += (char)i;
    WriteNative("src/all-bytes", all_bytes);

    ASSERT_EQ(RunTool(ResDir() + "/pack.pak src"), 0);
    ASSERT_FALSE(fs::exists(ResDir() + "/pack")) << "the plain directory must not serve these names";

    size_t mark = LogMark();
    int files = 0;
    for (const auto &item : fs::recursive_directory_iterator("src")) {
        if (!item.is_regular_file())
            continue;
        files++;
        std::string relative = item.path().lexically_relative("src").generic_string();
        std::string expected = ReadNative(item.path().string());
        for (const std::string &spelling : {relative, Upper(relative), Lower(relative)}) {
            std::string name = "res://pack/" + spelling;
            ov_file_t *f = OV_OpenFile(name.c_str(), "r");
            ASSERT_NE(f, nullptr) << name;
            EXPECT_EQ(f->size, (long)expected.size()) << name;
            EXPECT_EQ(fstest::ReadRest(f), expected) << name;
            OV_CloseFile(f);
        }
    }
    EXPECT_EQ(files, 5);
    EXPECT_EQ(CountLoggedSince(mark, "Opening new pak 'res://pack.pak'."), 1) << fstest::LogSince(mark);

    // Through a search path, as a relative name.
    OV_AddSearchPath("res://pack/", true);
    std::string got;
    ASSERT_TRUE(ReadEngineFile("SUB/b.bin", &got));
    EXPECT_EQ(got, ReadNative("src/sub/B.bin"));
}

TEST_F(PakTest, ToolEntriesAreSortedAndRelative)
{
    WriteNative("tree/z.txt", "z");
    WriteNative("tree/a/b/c.txt", "c");
    WriteNative("tree/m.txt", "m");
    ASSERT_EQ(RunTool(ResDir() + "/tree.pak tree"), 0);
    pak_t pak;
    ASSERT_TRUE(Pak_Open(&pak, "res://tree.pak"));
    std::vector<std::string> names;
    for (int i = 0; i < pak.count; i++)
        names.push_back(pak.entries[i].name);
    EXPECT_EQ(names, (std::vector<std::string>{"a/b/c.txt", "m.txt", "z.txt"}));
    Pak_Close(&pak);
    EXPECT_EQ(pak.count, 0);
    EXPECT_EQ(pak.entries, nullptr);
    EXPECT_EQ(pak.file, nullptr);
}

TEST_F(PakTest, ToolRefusesBadArguments)
{
    EXPECT_EQ(RunTool(""), 2);
    EXPECT_EQ(RunTool("only-one.pak"), 2);
    EXPECT_EQ(RunTool("out.pak no-such-dir"), 1);
    EXPECT_FALSE(fs::exists("out.pak"));
}

TEST_F(PakTest, WriterRefusesNamesTheReaderCannotTake)
{
    ovpak::Writer writer;
    std::string error;
    ASSERT_TRUE(writer.Open("w.pak", &error)) << error;
    EXPECT_TRUE(writer.AddBytes(std::string(511, 'n'), "x", 1, &error)) << error;
    EXPECT_FALSE(writer.AddBytes(std::string(512, 'n'), "x", 1, &error));
    EXPECT_NE(error.find("longer than 511"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists("w.pak")) << "a failed archive is removed";

    ASSERT_TRUE(writer.Open("w.pak", &error)) << error;
    EXPECT_TRUE(writer.AddBytes("dir/Name.txt", "x", 1, &error));
    EXPECT_FALSE(writer.AddBytes("DIR/name.TXT", "y", 1, &error));
    EXPECT_NE(error.find("already taken"), std::string::npos) << error;
    ASSERT_TRUE(writer.Open("w.pak", &error)) << error;
    EXPECT_FALSE(writer.AddBytes("", "y", 1, &error));
}

TEST_F(PakTest, EntryReadsAndSeeksStayInsideTheEntry)
{
    std::string one = fstest::RandomBytes(100, 7), two = fstest::RandomBytes(100, 8);
    WritePak(ResDir() + "/e.pak", {{"one", one}, {"two", two}});
    ov_file_t *f = OV_OpenFile("res://e/one", "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size, 100);
    EXPECT_STREQ(f->name, "one");

    char buf[256];
    EXPECT_EQ(OV_fread(buf, 1, 150, f), 100u) << "the next entry's bytes are not handed out";
    EXPECT_EQ(std::string(buf, 100), one);
    EXPECT_EQ(OV_fgetc(f), 0);
    EXPECT_EQ(OV_ftell(f), 100);

    struct Seek {
        long offset;
        int whence;
        int ok;
        long position;  // after the call
    };
    const Seek seeks[] = {
        {0, 0, 1, 0},    {-1, 0, 0, 0},  {101, 0, 0, 0},  {100, 0, 1, 100}, {1, 1, 0, 100},
        {-10, 2, 1, 90}, {1, 2, 0, 90},  {-101, 2, 0, 90}, {-90, 1, 1, 0},  {5, 3, 0, 0},
    };
    for (const Seek &s : seeks) {
        EXPECT_EQ(OV_fseek(f, s.offset, s.whence), s.ok) << s.offset << "," << s.whence;
        EXPECT_EQ(OV_ftell(f), s.position) << s.offset << "," << s.whence;
    }
    ASSERT_EQ(OV_fseek(f, -10, 2), 1);
    EXPECT_EQ(OV_fread(buf, 4, 5, f), 10u);
    EXPECT_EQ(std::string(buf, 10), one.substr(90));

    EXPECT_EQ(OV_fwrite("x", 1, 1, f), 0u);
    EXPECT_EQ(OV_FlushFile(f), 1);
    OV_CloseFile(f);

    std::string got;
    ASSERT_TRUE(ReadEngineFile("res://e/TWO", &got));
    EXPECT_EQ(got, two);
}

TEST_F(PakTest, LongestNameIsAcceptedAndFound)
{
    std::string longest = "long/" + std::string(506, 'n');
    ASSERT_EQ(longest.size(), 511u);
    WritePak(ResDir() + "/long.pak", {{"a", "1"}, {longest, "2"}, {"b", "3"}});
    pak_t pak;
    ASSERT_TRUE(Pak_Open(&pak, "res://long.pak"));
    ASSERT_EQ(pak.count, 3);
    pak_entry_t *e = Pak_GetFileInfo(&pak, Upper(longest).c_str());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->size, 1u);
    EXPECT_EQ(Pak_GetFileInfo(&pak, nullptr), nullptr);
    EXPECT_EQ(Pak_GetFileInfo(&pak, "c"), nullptr);
    EXPECT_STREQ(Pak_GetFileInfo(&pak, "B")->name, "b");
    Pak_Close(&pak);
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(PakTest, MissingArchiveFallsBackAndIsNotTriedAgain)
{
    WriteNative(ResDir() + "/ui/a.txt", "plain");
    std::string got;
    ASSERT_TRUE(ReadEngineFile("res://ui/a.txt", &got));
    EXPECT_EQ(got, "plain");

    // An archive that appears later in the run is not looked at.
    WritePak(ResDir() + "/ui.pak", {{"a.txt", "packed"}});
    size_t mark = LogMark();
    ASSERT_TRUE(ReadEngineFile("res://ui/a.txt", &got));
    EXPECT_EQ(got, "plain");
    EXPECT_FALSE(LoggedSince(mark, "Opening new pak"));

    // In a new run it is.
    Restart();
    WriteNative(ResDir() + "/ui/a.txt", "plain");
    WritePak(ResDir() + "/ui.pak", {{"a.txt", "packed"}});
    ASSERT_TRUE(ReadEngineFile("res://ui/a.txt", &got));
    EXPECT_EQ(got, "packed");
}

TEST_F(PakTest, ArchiveFileItselfIsNotAnEntry)
{
    WritePak(ResDir() + "/ui.pak", {{"a.txt", "packed"}});
    std::string got;
    ASSERT_TRUE(ReadEngineFile("res://ui.pak", &got));
    EXPECT_EQ(got, ReadNative(ResDir() + "/ui.pak"));
    EXPECT_FALSE(ReadEngineFile("res://ui/", &got));
    EXPECT_FALSE(ReadEngineFile("res://ui/b.txt", &got));
}

TEST_F(PakTest, WorkerThreadsShareArchivesOpenedOnFirstUse)
{
    const int kArchives = 4, kEntries = 8, kThreads = 8;
    std::vector<std::vector<std::string>> data(kArchives);
    for (int a = 0; a < kArchives; a++) {
        std::vector<fstest::PakEntry> entries;
        for (int e = 0; e < kEntries; e++) {
            data[a].push_back(fstest::RandomBytes(1000 + 37 * e, (unsigned)(a * 100 + e)));
            entries.push_back({"e" + std::to_string(e), data[a][e]});
        }
        WritePak(ResDir() + "/p" + std::to_string(a) + ".pak", entries);
    }
    size_t mark = LogMark();
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kArchives * kEntries; i++) {
                int a = (i + t) % kArchives, e = (i / kArchives + t) % kEntries;
                std::string name = "res://p" + std::to_string(a) + "/e" + std::to_string(e), got;
                if (!ReadEngineFile(name.c_str(), &got) || got != data[a][e])
                    wrong++;
            }
        });
    }
    for (std::thread &th : threads)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
    for (int a = 0; a < kArchives; a++)
        EXPECT_EQ(CountLoggedSince(mark, "Opening new pak 'res://p" + std::to_string(a) + ".pak'."), 1) << a;
    EXPECT_EQ(OVI_OpenFileCount(), kArchives);  // each archive keeps its own handle
    StopEngine();
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

// --- damaged archives

uint32_t GetU32(const std::string &b, size_t at)
{
    return (uint32_t)(unsigned char)b[at] | (uint32_t)(unsigned char)b[at + 1] << 8 | (uint32_t)(unsigned char)b[at + 2] << 16 |
           (uint32_t)(unsigned char)b[at + 3] << 24;
}

void PutU32(std::string &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (char)(v >> (8 * i) & 0xFF);
}

// Where the fields of a well-formed archive lie.
struct Layout {
    size_t directory = 0;
    uint32_t count = 0;
    std::vector<size_t> name_at;     // first byte of each name
    std::vector<size_t> numbers_at;  // data offset of each entry; size follows
};

Layout Parse(const std::string &b)
{
    Layout l;
    l.directory = GetU32(b, 8);
    l.count = GetU32(b, l.directory);
    size_t at = l.directory + 4;
    for (uint32_t i = 0; i < l.count; i++) {
        l.name_at.push_back(at);
        at = b.find('\0', at) + 1;
        l.numbers_at.push_back(at);
        at += 16;
    }
    return l;
}

struct Damage {
    const char *what;
    const char *reason;  // part of the rejection message
    std::function<void(std::string &, const Layout &)> apply;
};

TEST_F(PakTest, DamagedArchivesAreRejectedWithMessageAndPlainFilesServe)
{
    const std::string longest = "long/" + std::string(506, 'n');
    const Damage damages[] = {
        {"truncated", "but the file holds", [](std::string &b, const Layout &) { b.resize(b.size() - 7); }},
        {"size field one short", "its size field says",
         [](std::string &b, const Layout &) { PutU32(b, 12, (uint32_t)b.size() - 1); }},
        {"shorter than the header", "shorter than its header", [](std::string &b, const Layout &) { b.resize(10); }},
        {"bad magic", "package magic", [](std::string &b, const Layout &) { b[5] = 'X'; }},
        {"directory outside", "directory offset",
         [](std::string &b, const Layout &) { PutU32(b, 8, (uint32_t)b.size() - 2); }},
        {"oversized count", "entry count 4294967280 does not fit",
         [](std::string &b, const Layout &l) { PutU32(b, l.directory, 0xFFFFFFF0u); }},
        {"one entry too many", "is cut short", [](std::string &b, const Layout &l) { PutU32(b, l.directory, l.count + 1); }},
        {"entry offset outside", "lies outside the file",
         [](std::string &b, const Layout &l) { PutU32(b, l.numbers_at[0], (uint32_t)b.size()); }},
        {"entry size outside", "lies outside the file",
         [](std::string &b, const Layout &l) { PutU32(b, l.numbers_at[1] + 4, 0xFFFFFFFFu); }},
        {"unterminated name", "has no terminator within 511",
         [](std::string &b, const Layout &l) { b[l.numbers_at[2] - 1] = 'x'; }},
    };
    for (const Damage &d : damages) {
        Restart();
        WritePak(ResDir() + "/ui.pak", {{"x.txt", "packed x"}, {"sub/y.txt", "packed y"}, {longest, "long"}});
        std::string bytes = ReadNative(ResDir() + "/ui.pak");
        Layout layout = Parse(bytes);
        ASSERT_EQ(layout.count, 3u);
        d.apply(bytes, layout);
        WriteNative(ResDir() + "/ui.pak", bytes);
        WriteNative(ResDir() + "/ui/x.txt", "plain x");

        size_t mark = LogMark();
        std::string got;
        ASSERT_TRUE(ReadEngineFile("res://ui/x.txt", &got)) << d.what;
        EXPECT_EQ(got, "plain x") << d.what;
        EXPECT_EQ(CountLoggedSince(mark, "Rejecting pak 'res://ui.pak'"), 1) << d.what << "\n" << fstest::LogSince(mark);
        EXPECT_TRUE(LoggedSince(mark, d.reason)) << d.what << "\n" << fstest::LogSince(mark);
        EXPECT_FALSE(LoggedSince(mark, "Opening new pak")) << d.what;

        // The rejection is remembered: no second message, and nothing is listed.
        EXPECT_FALSE(ReadEngineFile("res://ui/sub/y.txt", &got)) << d.what;
        OV_AddSearchPath("res://ui/", false);
        ov_list_t list = {nullptr, 0};
        EXPECT_EQ(OV_FindFiles(&list, "", "*.txt", false), 0) << d.what;
        EXPECT_EQ(CountLoggedSince(mark, "Rejecting pak"), 1) << d.what;
        EXPECT_EQ(OVI_OpenFileCount(), 0) << d.what;
    }
}

TEST_F(PakTest, ValidArchiveOfTheSameShapeIsAccepted)
{
    // The archive the damage cases start from, undamaged.
    const std::string longest = "long/" + std::string(506, 'n');
    WritePak(ResDir() + "/ui.pak", {{"x.txt", "packed x"}, {"sub/y.txt", "packed y"}, {longest, "long"}});
    WriteNative(ResDir() + "/ui/x.txt", "plain x");
    size_t mark = LogMark();
    std::string got;
    ASSERT_TRUE(ReadEngineFile("res://ui/x.txt", &got));
    EXPECT_EQ(got, "packed x");
    ASSERT_TRUE(ReadEngineFile("res://ui/SUB/Y.txt", &got));
    EXPECT_EQ(got, "packed y");
    EXPECT_FALSE(LoggedSince(mark, "Rejecting pak")) << fstest::LogSince(mark);
}

}  // namespace
