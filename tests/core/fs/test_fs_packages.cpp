// Tests of the package lists of the program settings: items become res:// search
// paths, conditional items (@res=, @resolution=, @feature=, @open) only when they hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fs_test_env.h"

using fstest::FsTest;
using fstest::SearchPaths;

namespace {

class PackageTest : public FsTest {
protected:
    void SetUp() override
    {
        FsTest::SetUp();
        while (OV_GetNumberOfSearchPaths() > 0)
            ASSERT_EQ(OV_RemoveSearchPath(OV_GetSearchPath(0)), 1);
    }
    void SetProgramSize(int width, int height)
    {
        ov_prog->parms.width = width;
        ov_prog->parms.height = height;
    }
};

struct ListCase {
    const char *list;
    int width, height;
    std::vector<std::string> paths;  // search paths afterwards, in order
};

TEST_F(PackageTest, ListsBecomeSearchPathsAtTheFront)
{
    const ListCase cases[] = {
        {"@res=1024x600:hd,base", 600, 1024, {"res://base/", "res://hd/"}},
        {"@res=1024x600:hd,base", 1024, 600, {"res://base/", "res://hd/"}},
        {"@res=1024x600:hd,base", 800, 480, {"res://base/"}},
        {"@res1024x600:hd", 1024, 600, {"res://hd/"}},
        {"@resolution=480x800:sd", 800, 480, {"res://sd/"}},
        {"@resolution=480x800:sd", 1024, 600, {}},
        {"@res=1024:hd", 1024, 0, {"res://hd/"}},
        {"@open:extra", 800, 480, {"res://extra/"}},
        {"@feature=NO_SUCH_FEATURE:hd", 800, 480, {}},
        {"@nocolon,base", 800, 480, {"res://base/"}},
        {"aa,bb,", 800, 480, {"res://bb/", "res://aa/"}},
        {"aa,,bb", 800, 480, {"res://bb/", "res://aa/"}},
        {"a,b", 800, 480, {}},
        {"x,yy", 800, 480, {"res://yy/"}},
        {"data-sfx-wav", 800, 480, {"res://data-sfx-wav/"}},
        {"sub\\dir", 800, 480, {"res://sub/dir/"}},
    };
    for (const ListCase &c : cases) {
        while (OV_GetNumberOfSearchPaths() > 0)
            OV_RemoveSearchPath(OV_GetSearchPath(0));
        SetProgramSize(c.width, c.height);
        OVI_AddPackages(c.list, true);
        EXPECT_EQ(SearchPaths(), c.paths) << c.list << " on " << c.width << "x" << c.height;
    }
}

TEST_F(PackageTest, FeatureConditionFollowsTheProductFeatures)
{
    const char *list = "@feature=HD_ART:hd,@feature=NO_SUCH_FEATURE:never,base";
    OVI_AddPackages(list, true);
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://base/"}));

    while (OV_GetNumberOfSearchPaths() > 0)
        OV_RemoveSearchPath(OV_GetSearchPath(0));
    nStringFree(ov_state.features);
    ov_state.features = nStringDuplicate("SHOW_FPS, HD_ART;MULTITOUCH");
    OVI_AddPackages(list, true);
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://base/", "res://hd/"}));
}

TEST_F(PackageTest, ListsAppendedAtTheEndKeepTheirOrder)
{
    OV_AddSearchPath("res://", false);
    OVI_AddPackages("one,two", false);
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://", "res://one/", "res://two/"}));
}

TEST_F(PackageTest, AtMostThirtyTwoItemsAreRead)
{
    std::string list;
    for (int i = 0; i < 40; i++)
        list += (i ? "," : "") + std::string("p") + std::to_string(i);
    OVI_AddPackages(list.c_str(), false);
    std::vector<std::string> paths = SearchPaths();
    ASSERT_EQ(paths.size(), 32u);
    EXPECT_EQ(paths.front(), "res://p0/");
    EXPECT_EQ(paths.back(), "res://p31/");
}

TEST_F(PackageTest, OverlongOrMissingListsAddNothing)
{
    std::string list = "ok," + std::string(600, 'x');
    OVI_AddPackages(list.c_str(), true);
    OVI_AddPackages(nullptr, true);
    EXPECT_EQ(OV_GetNumberOfSearchPaths(), 0);
}

TEST_F(PackageTest, SettingsListsAreAddedInTheirOrder)
{
    ov_state.packages = nStringDuplicate("p1,p2");
    ov_state.addon_packages = nStringDuplicate("addon");
    ov_state.sfx_package = nStringDuplicate("data-sfx-wav");
    ov_state.music_package = nStringDuplicate("data-music-ogg");
    ov_state.developer_packages = nStringDuplicate("dev1,dev2");
    OV_AddSearchPath("user://", false);
    OV_AddSearchPath("res://", false);
    OVI_AddPackages();
    // Each front item goes before the ones added earlier; developer packages go last.
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"res://data-music-ogg/", "res://data-sfx-wav/", "res://addon/", "res://p2/",
                                                       "res://p1/", "user://", "res://", "res://dev1/", "res://dev2/"}));
}

void SettingsWithPackages()
{
    ov_state.packages = nStringDuplicate("p1,p2");
    ov_state.sfx_package = nStringDuplicate("data-sfx-wav");
    ov_state.music_package = nStringDuplicate("data-music-ogg");
    ov_state.developer_packages = nStringDuplicate("dev1");
}

TEST_F(PackageTest, StartUpAddsSettingsPackagesBehindUserAndRes)
{
    StopEngine();
    fstest::SetExtraSettings(SettingsWithPackages);
    StartEngine();
    EXPECT_EQ(SearchPaths(), (std::vector<std::string>{"user://", "res://", "res://data-music-ogg/", "res://data-sfx-wav/",
                                                       "res://p2/", "res://p1/", "res://dev1/"}));
}

TEST_F(PackageTest, PackagedFilesAreFoundThroughTheirSearchPath)
{
    fstest::WritePak(fstest::ResDir() + "/data-sfx-wav.pak", {{"sfx/shot.wav", "packed shot"}});
    ov_state.sfx_package = nStringDuplicate("data-sfx-wav");
    OVI_AddPackages();
    std::string got;
    ASSERT_TRUE(fstest::ReadEngineFile("sfx/shot.wav", &got));
    EXPECT_EQ(got, "packed shot");
}

}  // namespace
