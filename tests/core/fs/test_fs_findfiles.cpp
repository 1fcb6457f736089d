// Tests of directory listing over package archives: which entries qualify, the order,
// whole-segment directory matching, the refusals with their popups, and freeing lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ov_state.h"
#include "core/services.h"
#include "fs_test_env.h"

using fstest::FsTest;
using fstest::LogMark;
using fstest::LoggedSince;
using fstest::ResDir;
using fstest::WritePak;

namespace {

std::vector<std::string> Items(const ov_list_t &list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.count; i++)
        out.push_back(list.items[i]);
    return out;
}

class FindFilesTest : public FsTest {
protected:
    void SetUp() override
    {
        FsTest::SetUp();
        WritePak(ResDir() + "/data-music-ogg.pak", {{"music/a.ogg", "a"},
                                                   {"music/b.OGG", "b"},
                                                   {"music/sub/c.ogg", "c"},
                                                   {"musicfx/d.ogg", "d"},
                                                   {"other/e.ogg", "e"},
                                                   {"music/f.wav", "f"},
                                                   {"weird/g.*", "g"}});
        OV_AddSearchPath("res://data-music-ogg/", true);
    }
    // Lists and returns the names (empty when nothing was found, checking the result).
    std::vector<std::string> List(const char *dir, const char *wildcard, bool recurse = false)
    {
        ov_list_t list = {nullptr, 0};
        int found = OV_FindFiles(&list, dir, wildcard, recurse);
        std::vector<std::string> names = Items(list);
        EXPECT_EQ(found != 0, !names.empty()) << dir << " " << wildcard;
        OV_FreeList(&list);
        EXPECT_EQ(list.items, nullptr);
        EXPECT_EQ(list.count, 0);
        return names;
    }
};

struct ListingCase {
    const char *dir;
    const char *wildcard;
    std::vector<std::string> names;
};

TEST_F(FindFilesTest, EntriesUnderTheDirectoryWithTheExtension)
{
    const ListingCase cases[] = {
        {"music", "*.ogg", {"music/a.ogg", "music/sub/c.ogg"}},
        {"music/", "*.ogg", {"music/a.ogg", "music/sub/c.ogg"}},
        {"music//", "*.ogg", {"music/a.ogg", "music/sub/c.ogg"}},
        {"music/sub", "*.ogg", {"music/sub/c.ogg"}},
        {"musicfx", "*.ogg", {"musicfx/d.ogg"}},
        {"mus", "*.ogg", {}},
        {"music", "*.OGG", {"music/b.OGG"}},
        {"music", "*.wav", {"music/f.wav"}},
        {"", "*.ogg", {"music/a.ogg", "music/sub/c.ogg", "musicfx/d.ogg", "other/e.ogg"}},
        {"", "*.*", {"weird/g.*"}},
        {"nothing", "*.ogg", {}},
    };
    for (const ListingCase &c : cases)
        EXPECT_EQ(List(c.dir, c.wildcard), c.names) << "'" << c.dir << "' " << c.wildcard;
}

TEST_F(FindFilesTest, RecursingChangesNothingWithoutPrefix)
{
    size_t mark = LogMark();
    EXPECT_EQ(List("music", "*.ogg", true), (std::vector<std::string>{"music/a.ogg", "music/sub/c.ogg"}));
    EXPECT_FALSE(LoggedSince(mark, "FindFiles")) << fstest::LogSince(mark);
}

TEST_F(FindFilesTest, SameEntryInTwoArchivesIsListedTwice)
{
    WritePak(ResDir() + "/addon.pak", {{"music/a.ogg", "other a"}, {"music/z.ogg", "z"}});
    OV_AddSearchPath("res://addon/", false);
    EXPECT_EQ(List("music", "*.ogg"), (std::vector<std::string>{"music/a.ogg", "music/sub/c.ogg", "music/a.ogg", "music/z.ogg"}));
}

TEST_F(FindFilesTest, PlainDirectoriesAreNotListed)
{
    fstest::WriteNative(ResDir() + "/loose/music/x.ogg", "x");
    fstest::WriteNative(ResDir() + "/music/y.ogg", "y");
    OV_AddSearchPath("res://loose/", false);
    EXPECT_EQ(List("music", "*.ogg"), (std::vector<std::string>{"music/a.ogg", "music/sub/c.ogg"}));
}

TEST_F(FindFilesTest, ArchivesAreOpenedOnceAndMissingOnesSkipped)
{
    OV_AddSearchPath("res://no-such-package/", false);
    size_t mark = LogMark();
    EXPECT_EQ(List("music", "*.ogg").size(), 2u);
    EXPECT_EQ(List("music", "*.ogg").size(), 2u);
    EXPECT_EQ(fstest::CountLoggedSince(mark, "Opening new pak 'res://data-music-ogg.pak'."), 1) << fstest::LogSince(mark);
}

struct Refusal {
    const char *dir;
    const char *wildcard;
    bool recurse;
    std::vector<std::string> messages;
};

TEST_F(FindFilesTest, RefusalsRaisePopupsAndGiveEmptyLists)
{
    const Refusal refusals[] = {
        {"user://music", "*.ogg", false,
         {"OVFS_FindFiles should be passed only res:// paths or paths without prefix. 'user://' not permitted. Returning 0 files."}},
        {"http://host/music", "*.ogg", true,
         {"OVFS_FindFiles should be passed only res:// paths or paths without prefix. 'http://' not permitted. Returning 0 files."}},
        {"res://music", "*.ogg", false, {"FindFiles with prefixes is not implemented yet.'"}},
        {"res://music", "*.ogg", true,
         {"FindFiles subdir recursing is not implemented yet for external files. Forcing parm recurse_subdirs to false.",
          "FindFiles with prefixes is not implemented yet.'"}},
        {"music", "a*.ogg", false,
         {"FindFiles wildcard 'a*.ogg' is not implemented yet for file paks. Please use simple wildcards like '*.ogg'"}},
        {"music", "*ogg", false,
         {"FindFiles wildcard '*ogg' is not implemented yet for file paks. Please use simple wildcards like '*.ogg'"}},
        {"res://music", "ogg", false,
         {"FindFiles wildcard 'ogg' is not implemented yet for file paks. Please use simple wildcards like '*.ogg'"}},
    };
    for (const Refusal &r : refusals) {
        // Popups show each text once per run; a fresh run for every case.
        Restart();
        WritePak(ResDir() + "/data-music-ogg.pak", {{"music/a.ogg", "a"}});
        OV_AddSearchPath("res://data-music-ogg/", true);
        char *stale[1] = {nullptr};
        ov_list_t list = {stale, 5};
        size_t mark = LogMark();
        EXPECT_EQ(OV_FindFiles(&list, r.dir, r.wildcard, r.recurse), 0) << r.dir << " " << r.wildcard;
        EXPECT_EQ(list.items, nullptr);
        EXPECT_EQ(list.count, 0);
        for (const std::string &m : r.messages)
            EXPECT_TRUE(LoggedSince(mark, m)) << r.dir << " " << r.wildcard << "\nwanted: " << m << "\n" << fstest::LogSince(mark);
    }
}

TEST_F(FindFilesTest, NullArgumentsGiveFalse)
{
    ov_list_t list = {nullptr, 3};
    EXPECT_EQ(OV_FindFiles(nullptr, "music", "*.ogg", false), 0);
    EXPECT_EQ(OV_FindFiles(&list, nullptr, "*.ogg", false), 0);
    EXPECT_EQ(list.count, 0);
    list.count = 3;
    EXPECT_EQ(OV_FindFiles(&list, "music", nullptr, false), 0);
    EXPECT_EQ(list.count, 0);
}

TEST_F(FindFilesTest, FreeListTwiceIsHarmless)
{
    ov_list_t list = {nullptr, 0};
    ASSERT_EQ(OV_FindFiles(&list, "music", "*.ogg", false), 1);
    ASSERT_EQ(list.count, 2);
    OV_FreeList(&list);
    OV_FreeList(&list);
    EXPECT_EQ(list.items, nullptr);
    EXPECT_EQ(list.count, 0);
    OV_FreeList(nullptr);
}

TEST_F(FindFilesTest, ListedNamesOpenThroughTheSearchPath)
{
    ov_list_t list = {nullptr, 0};
    ASSERT_EQ(OV_FindFiles(&list, "music", "*.ogg", false), 1);
    for (int i = 0; i < list.count; i++) {
        std::string got;
        EXPECT_TRUE(fstest::ReadEngineFile(list.items[i], &got)) << list.items[i];
        EXPECT_FALSE(got.empty());
    }
    OV_FreeList(&list);
}

}  // namespace
