// Developer edits that do not read: a UI script that does not compile and a data file
// cut short, found under "user://dev-edits/" before the shipped files, are reported
// with the file and why, kept aside as ".bad" and replaced by the shipped file; an edit
// that reads is used, and a damaged shipped file is never set aside.
#include "app/services/dataman.h"
#include "app/services/dev-edit-fallback.h"
#include "app/services/luaman.h"
#include "tests/app/services/data_fixture.h"

#include <lua.hpp>
#include <sys/stat.h>

#include <string>

using datatest::DataTest;

namespace {

class DevEditFallbackTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        for (const char *d : {"app/native/ui"})
            mkdir((dir + "/" + d).c_str(), 0755);
        ov->OV_CreateDirectory("user://dev-edits/ui");
        ov->OV_AddSearchPath("user://dev-edits/", true);
        L = luaL_newstate();
    }
    void TearDown() override
    {
        lua_close(L);
        DataTest::TearDown();
    }
    double Global(const char *name)
    {
        lua_getglobal(L, name);
        double v = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return v;
    }
    int Errors(const std::string &fragment)
    {
        int n = 0;
        for (const datatest::Message &m : datatest::Messages())
            n += m.kind == "debug" && m.level == 2 && m.text.find(fragment) != std::string::npos;
        return n;
    }
    lua_State *L = nullptr;
};

TEST_F(DevEditFallbackTest, ScriptThatDoesNotCompileGivesWayToTheShippedOne)
{
    ASSERT_TRUE(WriteNative(ResPath("ui/menu.lua"), "shipped = 1\n"));
    ASSERT_TRUE(WriteNative(UserPath("dev-edits/ui/menu.lua"), "shipped = 2\nfunction OnClick (name\n"));
    EXPECT_TRUE(lua_man.ExecLuaFile(L, "ui/menu.lua"));
    EXPECT_EQ(Global("shipped"), 1.0);
    EXPECT_EQ(Errors("Developer edit 'user://dev-edits/ui/menu.lua' does not read ([string \"ui/menu.lua\"]:"), 1)
        << datatest::Dump();
    EXPECT_EQ(ReadNative(UserPath("dev-edits/ui/menu.lua.bad")), "shipped = 2\nfunction OnClick (name\n");
    EXPECT_FALSE(ExistsNative(UserPath("dev-edits/ui/menu.lua")));

    // An edit that compiles is the developer's and is used.
    ASSERT_TRUE(WriteNative(UserPath("dev-edits/ui/menu.lua"), "shipped = 3\n"));
    EXPECT_TRUE(lua_man.ExecLuaFile(L, "ui/menu.lua"));
    EXPECT_EQ(Global("shipped"), 3.0);
    EXPECT_EQ(Errors("Developer edit"), 1);
}

TEST_F(DevEditFallbackTest, DataFileCutShortGivesWayToTheShippedOne)
{
    const std::string shipped =
        "<?xml version=\"1.0\"?>\n<root>\n<array id=\"A\">\n<node id=\"n\" v=\"shipped\"/>\n</array>\n</root>\n";
    ASSERT_TRUE(WriteNative(ResPath("data.xml"), shipped));
    ASSERT_TRUE(WriteNative(UserPath("dev-edits/data.xml"), shipped.substr(0, 60)));
    DMDatabase db;
    EXPECT_TRUE(db.Load("data.xml"));
    EXPECT_FALSE(db.HadParseError());
    EXPECT_STREQ(db.GetValue("A", "n", "v"), "shipped");
    EXPECT_EQ(db.GetNumberOfArrays(), 1);
    EXPECT_EQ(Errors("Developer edit 'user://dev-edits/data.xml' does not read (its XML does not read whole)"), 1)
        << datatest::Dump();
    EXPECT_EQ(ReadNative(UserPath("dev-edits/data.xml.bad")), shipped.substr(0, 60));
    EXPECT_FALSE(ExistsNative(UserPath("dev-edits/data.xml")));
}

TEST_F(DevEditFallbackTest, DamagedShippedFilesAreNotSetAside)
{
    ASSERT_TRUE(WriteNative(ResPath("ui/broken.lua"), "x = \n"));
    ASSERT_TRUE(WriteNative(ResPath("broken.xml"), "<?xml version=\"1.0\"?>\n<root>\n<array id=\"A\">\n<node"));
    EXPECT_FALSE(lua_man.ExecLuaFile(L, "ui/broken.lua"));
    DMDatabase db;
    db.Load("broken.xml");
    EXPECT_TRUE(db.HadParseError());
    EXPECT_EQ(Errors("Developer edit"), 0);
    EXPECT_TRUE(ExistsNative(ResPath("ui/broken.lua")));
    EXPECT_FALSE(ExistsNative(ResPath("ui/broken.lua.bad")));
    EXPECT_TRUE(ExistsNative(ResPath("broken.xml")));
}

}  // namespace
