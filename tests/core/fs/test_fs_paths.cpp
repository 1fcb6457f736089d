// Tests of path conversion, validation and the path utilities: collapsing "." and
// "..", the directory part of a name, static and native paths, and the full path of a
// relative name along the search paths.
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <string>

#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fs_test_env.h"

using fstest::FsTest;
using fstest::NativeExists;
using fstest::ResDir;
using fstest::UserDir;
using fstest::WriteNative;

namespace {

struct TextCase {
    const char *input;
    const char *expected;  // null: no result
};

std::string Show(const char *s)
{
    return s ? std::string("'") + s + "'" : "(null)";
}

TEST(PathUtilities, CollapseRelativeSegments)
{
    const TextCase cases[] = {
        {nullptr, ""},
        {"", ""},
        {"a/b/c", "a/b/c"},
        {"a/b/../c", "a/c"},
        {"a/b/c/../../d", "a/d"},
        {"c/b/../ab/../d", "c/d"},  // equal tails of different segments stay apart
        {"a/bb/../b/../c", "a/c"},
        {"./a/./b", "a/b"},
        {"a/./", "a/"},
        {"a/..", ""},
        {"a/b/..", "a"},
        {"a/b/../", "a/"},
        {"..", ".."},
        {"../a", "../a"},
        {"a/../../b", "../b"},
        {"/../a", "/a"},
        {"/a/./b/../c", "/a/c"},
        {"res://ui/../x.png", "res://x.png"},
        {"res://../x", "res://x"},
        {"user://a/./b/c/../d", "user://a/b/d"},
        {"x.../y", "x.../y"},
    };
    for (const TextCase &c : cases) {
        nString out = OVI_CollapseFileNameRelativePaths(c.input);
        ASSERT_NE(out.Get(), nullptr) << Show(c.input);
        EXPECT_STREQ(out.Get(), c.expected) << Show(c.input);
    }
}

TEST(PathUtilities, ExtractedFilePath)
{
    const TextCase cases[] = {
        {nullptr, ""},       {"", ""},        {"a/b/c.png", "a/b"},           {"dir/", "dir"},
        {"/x", ""},          {"name.txt", ""}, {"res://ui/a.png", "res://ui"}, {"a//b", "a/"},
        {"a/b/", "a/b"},
    };
    for (const TextCase &c : cases) {
        nString out = OV_GetExtractedFilePath(c.input);
        ASSERT_NE(out.Get(), nullptr) << Show(c.input);
        EXPECT_STREQ(out.Get(), c.expected) << Show(c.input);
    }
}

struct ValidityCase {
    const char *name;
    bool valid;
};

TEST(PathUtilities, FileNameValidation)
{
    const ValidityCase cases[] = {
        {"res://ui/a.png", true}, {"user://x.dat", true},  {"ui/a.png", true},     {"http://host/a.png", true},
        {"a.png", true},          {"/tmp/a", false},       {"c:/a", false},        {"ui/../a", false},
        {"ui/..x", false},        {"ftp://host/a", false}, {nullptr, false},       {"res://../a", false},
        {"0123456789abcdef://x", false},
    };
    for (const ValidityCase &c : cases)
        EXPECT_EQ(OV_IsValidFileName(c.name), c.valid) << Show(c.name);
}

struct PrefixCase {
    const char *name;
    int size;
    const char *prefix;
};

TEST(PathUtilities, StaticPrefixIsCutOutWhenItFits)
{
    const PrefixCase cases[] = {
        {"res://ui/a.png", 32, "res"},
        {"user://x", 16, "user"},
        {"0123456789abcde://x", 16, "0123456789abcde"},  // 15 characters and the terminator fill 16 bytes
        {"0123456789abcdef://x", 32, "0123456789abcdef"},
        {"0123456789abcdef://x", 16, ""},   // no room for the terminator
        {"0123456789abcdefg://x", 32, ""},  // longer than 16
        {"ui/a.png", 32, ""},
        {nullptr, 32, ""},
        {"res://a", 8, ""},                 // buffers below 16 bytes stay empty
    };
    for (const PrefixCase &c : cases) {
        char buf[40];
        memset(buf, 'z', sizeof buf);
        OV_GetStaticPathPrefix(buf, c.size, c.name);
        EXPECT_STREQ(buf, c.prefix) << Show(c.name) << " in " << c.size;
        for (int i = c.size; i < (int)sizeof buf; i++)
            ASSERT_EQ(buf[i], 'z') << "written beyond the buffer at " << i;
    }
}

TEST(PathUtilities, NormalizeTurnsSeparatorsAndClimbs)
{
    const TextCase cases[] = {
        {"a\\b\\c", "a/b/c"},
        {"a/b/../c", "a/c"},
        {"a\\b\\..\\c", "a/c"},
        {"plain", "plain"},
    };
    for (const TextCase &c : cases) {
        char out[64];
        OVI_NormalizeFileName(out, sizeof out, c.input);
        EXPECT_STREQ(out, c.expected) << Show(c.input);
    }
}

class PathConversionTest : public FsTest {};

TEST_F(PathConversionTest, StaticToNative)
{
    // The user directory comes from the record's developer name "Orvex Tests" (the blank
    // made safe) and title "FsTest".
    const TextCase cases[] = {
        {"user://profiles/1.xml", "./data/Orvex_Tests/FsTest/profiles/1.xml"},
        {"res://ui/a.png", "./app/native/ui/a.png"},
        {"res://", "./app/native/"},
        {"http://host/a", "http/host/a"},
        {"ftp://host/a", nullptr},
        {"ui/a.png", nullptr},
        {nullptr, nullptr},
    };
    for (const TextCase &c : cases) {
        char *native = OV_ConvertStaticPathToNativeOSPath(c.input);
        if (c.expected)
            EXPECT_STREQ(native, c.expected) << Show(c.input);
        else
            EXPECT_EQ(native, nullptr) << Show(c.input);
        nStringFree(native);
    }
}

TEST_F(PathConversionTest, NativeToStatic)
{
    const TextCase cases[] = {
        {"./data/Orvex_Tests/FsTest/save.dat", "user://save.dat"},
        {"./app/native/ui/a.png", "res://ui/a.png"},
        {"./data/other.txt", "user://other.txt"},
        {"/etc/hosts", nullptr},
        {nullptr, nullptr},
    };
    for (const TextCase &c : cases) {
        char *back = OV_ConvertNativeOSPathToStaticPath(c.input);
        if (c.expected)
            EXPECT_STREQ(back, c.expected) << Show(c.input);
        else
            EXPECT_EQ(back, nullptr) << Show(c.input);
        nStringFree(back);
    }
}

TEST_F(PathConversionTest, StaticNativeRoundTrip)
{
    const char *names[] = {"res://ui/a.png", "user://profiles/1.xml", "res://data-music-ogg/x/y.ogg", "user://cache/f"};
    for (const char *name : names) {
        char *native = OV_ConvertStaticPathToNativeOSPath(name);
        ASSERT_NE(native, nullptr) << name;
        char *back = OV_ConvertNativeOSPathToStaticPath(native);
        EXPECT_STREQ(back, name) << native;
        nStringFree(native);
        nStringFree(back);
    }
}

TEST_F(PathConversionTest, ConversionsThatDoNotFitGiveNull)
{
    std::string long_static = "res://" + std::string(600, 'a');
    EXPECT_EQ(OV_ConvertStaticPathToNativeOSPath(long_static.c_str()), nullptr);
    std::string long_native = "./app/native/" + std::string(600, 'a');
    EXPECT_EQ(OV_ConvertNativeOSPathToStaticPath(long_native.c_str()), nullptr);
    EXPECT_EQ(OV_OpenFile(long_static.c_str(), "w"), nullptr);
}

TEST_F(PathConversionTest, GetPathExFormatsWithPrefix)
{
    char buf[64];
    EXPECT_STREQ(OV_GetPathEx(buf, sizeof buf, OV_PATH_USER, "%s", "user/save.dat"), "user://user/save.dat");
    EXPECT_STREQ(OV_GetPathEx(buf, sizeof buf, OV_PATH_RES, "data-%s-%s", "music", "ogg"), "res://data-music-ogg");
    EXPECT_STREQ(OV_GetPathEx(buf, 10, OV_PATH_RES, "%s", "abcdefghij"), "res://abc");
}

class FullPathTest : public FsTest {};

TEST_F(FullPathTest, ReadOnlyFindsTheFirstSearchPathHoldingTheFile)
{
    WriteNative(ResDir() + "/fonts/a.mft", "res");
    const char *found = OVI_GetFileFullPath("fonts/a.mft", true);
    EXPECT_STREQ(found, "res://fonts/a.mft");

    WriteNative(UserDir() + "/fonts/a.mft", "user");
    found = OVI_GetFileFullPath("fonts/a.mft", true);
    EXPECT_STREQ(found, "user://fonts/a.mft");

    EXPECT_EQ(OVI_GetFileFullPath("fonts/missing.mft", true), nullptr);
    EXPECT_EQ(OVI_GetFileFullPath(nullptr, true), nullptr);
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(FullPathTest, FindsEntriesOfArchives)
{
    fstest::WritePak(ResDir() + "/fonts.pak", {{"packed.mft", "p"}});
    EXPECT_STREQ(OVI_GetFileFullPath("fonts/PACKED.mft", true), "res://fonts/PACKED.mft");
}

TEST_F(FullPathTest, WritableDirectoryIsChosenWithoutCreatingAFile)
{
    // The user directory exists after start-up; nothing is written to find it.
    const char *found = OVI_GetFileFullPath("new.mft", false);
    EXPECT_STREQ(found, "user://new.mft");
    EXPECT_FALSE(NativeExists(UserDir() + "/new.mft"));

    // Only res:// has the sub-directory.
    std::filesystem::create_directories(ResDir() + "/fonts");
    found = OVI_GetFileFullPath("fonts/new.mft", false);
    EXPECT_STREQ(found, "res://fonts/new.mft");
    EXPECT_FALSE(NativeExists(ResDir() + "/fonts/new.mft"));

    // No search path has the directory.
    EXPECT_EQ(OVI_GetFileFullPath("nowhere/new.mft", false), nullptr);
    EXPECT_FALSE(NativeExists(UserDir() + "/nowhere"));
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(FullPathTest, NamesThatDoNotFitAreSkipped)
{
    std::string name(300, 'n');
    EXPECT_EQ(OVI_GetFileFullPath(name.c_str(), false), nullptr);
}

TEST_F(FullPathTest, BuffersRotateOverSixteen)
{
    WriteNative(ResDir() + "/r.txt", "r");
    const char *first = OVI_GetFileFullPath("r.txt", true);
    ASSERT_NE(first, nullptr);
    const char *later = nullptr;
    for (int i = 0; i < 16; i++)
        later = OVI_GetFileFullPath("r.txt", true);
    EXPECT_EQ(later, first);
    EXPECT_STREQ(later, "res://r.txt");
}

}  // namespace
