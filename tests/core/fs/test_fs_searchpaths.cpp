// Tests of the search-path list: normalisation, order, duplicates, removal, refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/services.h"
#include "fs_test_env.h"

using fstest::FsTest;
using fstest::LogMark;
using fstest::LoggedSince;
using fstest::SearchPaths;

namespace {

class SearchPathTest : public FsTest {
protected:
    void SetUp() override
    {
        FsTest::SetUp();
        // Start-up's own entries are checked in one test; the others start from empty.
        start_up_paths_ = SearchPaths();
        while (OV_GetNumberOfSearchPaths() > 0)
            ASSERT_EQ(OV_RemoveSearchPath(OV_GetSearchPath(0)), 1);
    }
    std::vector<std::string> start_up_paths_;
};

TEST_F(SearchPathTest, StartUpSearchesUserBeforeRes)
{
    EXPECT_EQ(start_up_paths_, (std::vector<std::string>{"user://", "res://"}));
}

struct NormalizeCase {
    const char *added;
    const char *stored;
};

TEST_F(SearchPathTest, AddedPathsAreNormalized)
{
    const NormalizeCase cases[] = {
        {"res://ui\\sub", "res://ui/sub/"},
        {"res://ui/sub/", "res://ui/sub/"},
        {"user://", "user://"},
        {"res://a\\b\\", "res://a/b/"},
        {"user://saves", "user://saves/"},
    };
    for (const NormalizeCase &c : cases) {
        ASSERT_EQ(OV_AddSearchPath(c.added, false), 1) << c.added;
        ASSERT_EQ(OV_GetNumberOfSearchPaths(), 1) << c.added;
        EXPECT_STREQ(OV_GetSearchPath(0), c.stored) << c.added;
        EXPECT_EQ(OV_RemoveSearchPath(c.stored), 1) << c.added;
    }
}

TEST_F(SearchPathTest, FrontAndBackInsertionKeepOrder)
{
    OV_AddSearchPath("res://b", false);
    OV_AddSearchPath("res://c", false);
    OV_AddSearchPath("res://a", true);
    OV_AddSearchPath("res://d", false);
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://a/", "res://b/", "res://c/", "res://d/"}));
}

TEST_F(SearchPathTest, DuplicateMovesEntryAndIsReported)
{
    OV_AddSearchPath("res://a", false);
    OV_AddSearchPath("res://b", false);
    OV_AddSearchPath("res://c", false);

    size_t mark = LogMark();
    OV_AddSearchPath("res://c/", true);
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://c/", "res://a/", "res://b/"}));
    EXPECT_TRUE(LoggedSince(mark, "Duplicate search path, removing the old one: 'res://c/'")) << fstest::LogSince(mark);

    OV_AddSearchPath("res://c", false);
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://a/", "res://b/", "res://c/"}));
}

TEST_F(SearchPathTest, EveryAddPrintsTheWholeList)
{
    OV_AddSearchPath("res://a", false);
    size_t mark = LogMark();
    OV_AddSearchPath("res://b", true);
    EXPECT_TRUE(LoggedSince(mark, "Now using #0: 'res://b/'"));
    EXPECT_TRUE(LoggedSince(mark, "Now using #1: 'res://a/'"));
}

TEST_F(SearchPathTest, PathWithoutPrefixIsRefusedWithPopup)
{
    OV_AddSearchPath("res://a", false);
    const char *refused[] = {"data/", "data", "0123456789abcdef://x", nullptr};
    for (const char *path : refused) {
        size_t mark = LogMark();
        EXPECT_EQ(OV_AddSearchPath(path, true), 0) << (path ? path : "(null)");
        EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://a/"}));
        std::string message = std::string("ov->AddSearchPath ('") + (path ? path : "(null)") +
                              "'): path name needs to include file system target prefix such as res:// or user://.";
        EXPECT_TRUE(LoggedSince(mark, message)) << fstest::LogSince(mark);
    }
}

TEST_F(SearchPathTest, OverlongPathIsRefused)
{
    std::string longest = "res://" + std::string(504, 'a');  // 510 characters: accepted
    std::string too_long = "res://" + std::string(505, 'b');
    EXPECT_EQ(OV_AddSearchPath(longest.c_str(), false), 1);
    size_t mark = LogMark();
    EXPECT_EQ(OV_AddSearchPath(too_long.c_str(), false), 0);
    EXPECT_TRUE(LoggedSince(mark, "path is longer than 510 characters"));
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{longest + "/"}));
}

TEST_F(SearchPathTest, RemoveMatchesNormalizedText)
{
    OV_AddSearchPath("res://x", false);
    OV_AddSearchPath("res://y", false);
    EXPECT_EQ(OV_RemoveSearchPath("res://x"), 1);
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://y/"}));
    EXPECT_EQ(OV_RemoveSearchPath("res:\\\\y"), 1);
    EXPECT_EQ(OV_GetNumberOfSearchPaths(), 0);
}

TEST_F(SearchPathTest, RemovingUnknownOrEmptyChangesNothing)
{
    OV_AddSearchPath("res://x", false);
    const char *absent[] = {"res://z", "", nullptr, "res://X"};
    for (const char *path : absent) {
        EXPECT_EQ(OV_RemoveSearchPath(path), 0) << (path ? path : "(null)");
        EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://x/"}));
    }
}

TEST_F(SearchPathTest, IndexOutsideListIsNull)
{
    OV_AddSearchPath("res://a", false);
    OV_AddSearchPath("res://b", false);
    EXPECT_EQ(OV_GetSearchPath(-1), nullptr);
    EXPECT_EQ(OV_GetSearchPath(OV_GetNumberOfSearchPaths()), nullptr);
    EXPECT_STREQ(OV_GetSearchPath(1), "res://b/");
}

TEST_F(SearchPathTest, ManyEntriesGrowAndShrinkInOrder)
{
    std::vector<std::string> expected;
    for (int i = 0; i < 100; i++) {
        std::string p = "res://p" + std::to_string(i) + "/";
        OV_AddSearchPath(p.c_str(), false);
        expected.push_back(p);
    }
    EXPECT_EQ(SearchPaths(), expected);
    for (int i = 0; i < 90; i++) {
        ASSERT_EQ(OV_RemoveSearchPath(expected.front().c_str()), 1);
        expected.erase(expected.begin());
    }
    EXPECT_EQ(SearchPaths(), expected);
}

TEST_F(SearchPathTest, InterfaceSlotsReachTheList)
{
    ASSERT_NE(ov, nullptr);
    EXPECT_EQ(ov->OV_AddSearchPath("res://slot", true), 1);
    EXPECT_EQ(ov->OV_GetNumberOfSearchPaths(), 1);
    EXPECT_STREQ(ov->OV_GetSearchPath(0), "res://slot/");
    EXPECT_EQ(ov->OV_RemoveSearchPath("res://slot/"), 1);
    EXPECT_EQ(ov->OV_GetNumberOfSearchPaths(), 0);
}

}  // namespace
