// The UI script writer: byte-exact scripts, where the file goes under user://dev-edits/,
// export then run then export giving the same bytes, and writes that fail.
#include "tools/ui-writer.h"

#include "app/services/filehelpers.h"
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "tests/app/ui/ui_fixture.h"
#include "tools/dev-edits.h"

#include <stdlib.h>
#include <string.h>

#include <string>

using namespace uitest;

namespace {

std::string Read(const std::string &name)
{
    long size = 0;
    char *data = ReadWholeFile(name.c_str(), &size);
    if (!data)
        return "<none>";
    std::string text(data, (size_t)size);
    free(data);
    return text;
}

class UIWriter : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
    }
    void TearDown() override
    {
        prog.parms.locale = nullptr;
        UITest::TearDown();
    }
};

struct ScriptCase {
    const char *what;
    const char *script;
    const char *expected;  // after the header line and its blank line
};

TEST_F(UIWriter, WritesTheScriptByteExact)
{
    const ScriptCase cases[] = {
        {"a component equal to its template, no events script", "CreateComp ('Rectangle', 'plain')\n",
         "CreateComp (\"Rectangle\", \"plain\");\n\n"},
        {"the events script line", "UIEvents ('ui/events.lua')\nCreateComp ('Rectangle', 'plain')\n",
         "UIEvents (\"ui/events.lua\");\n\nCreateComp (\"Rectangle\", \"plain\");\n\n"},
        {"each base line in order",
         "CreateComp ('Rectangle', 'many')\nSetProperty ('visible', 0)\nSetProperty ('active', 0)\n"
         "SetProperty ('interactive', 1)\nSetProperty ('inherit_scale', false)\nSetProperty ('localize', 0)\n"
         "SetProperty ('cache_mode', 'LOAD_ON_ENTER')\nSetProperty ('expanded_hit_area', 2.5)\n"
         "SetProperty ('scale_type', 'ACTUAL_SIZE')\nSetProperty ('blend_mode', 'ADDITIVE')\n"
         "SetProperty ('pixel_filter', 'POINT')\nSetProperty ('draw_mode', 'MIRRORED_VERTICAL')\n"
         "SetProperty ('fading', 1)\nSetProperty ('custom_draw', 1)\nSetProperty ('screen_origin', 'ACTUAL')\n"
         "SetProperty ('color.r', 0.5)\nSetProperty ('color.a', 0.25)\nSetProperty ('angle', 1.5)\n"
         "SetProperty ('scale', 2)\nSetProperty ('OnClick', 'Go()')\nSetProperty ('required_features', 'SHOP')\n",
         "CreateComp (\"Rectangle\", \"many\");\n"
         "SetProperty (\"inherit_scale\", false);\n"
         "SetProperty (\"required_features\", \"SHOP\");\n"
         "SetProperty (\"localize\", 0);\n"
         "SetProperty (\"cache_mode\", \"LOAD_ON_ENTER\");\n"
         "SetProperty (\"visible\", 0);\n"
         "SetProperty (\"active\", 0);\n"
         "SetProperty (\"interactive\", 1);\n"
         "SetProperty (\"expanded_hit_area\", 2.5);\n"
         "SetProperty (\"scale_type\", \"ACTUAL_SIZE\");\n"
         "SetProperty (\"blend_mode\", \"ADDITIVE\");\n"
         "SetProperty (\"pixel_filter\", \"POINT\");\n"
         "SetProperty (\"draw_mode\", \"MIRRORED_VERTICAL\");\n"
         "SetProperty (\"fading\", 1);\n"
         "SetProperty (\"custom_draw\", 1);\n"
         "SetProperty (\"screen_origin\", \"ACTUAL\");\n"
         "SetProperty (\"color.r\", 0.5);\n"
         "SetProperty (\"color.a\", 0.25);\n"
         "SetProperty (\"angle\", 1.5);\n"
         "SetProperty (\"scale\", 2);\n"
         "SetProperty (\"OnClick\", \"Go()\");\n\n"},
        {"an absolute component converted; BOTTOMRIGHT and CENTER",
         "CreateComp ('Rectangle', 'abs')\nSetProperty ('position_type', 'ABSOLUTE')\n"
         "SetProperty ('position', 30, 40)\nSetProperty ('align', 'BOTTOMRIGHT')\n"
         "CreateComp ('Rectangle', 'child')\nSetProperty ('parent', 'abs')\nSetProperty ('align', 'CENTER')\n",
         "CreateComp (\"Rectangle\", \"abs\");\n"
         "SetProperty (\"position\", 0.09375, 0.166667);\n"
         "SetProperty (\"align\", \"BOTTOMRIGHT\");\n\n"
         "CreateComp (\"Rectangle\", \"child\");\n"
         "SetProperty (\"parent\", \"abs\");\n"
         "SetProperty (\"align\", \"CENTER\");\n\n"},
    };
    int n = 0;
    for (const ScriptCase &c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = "Case" + std::to_string(n++);
        ProbeScreen *s = MakeScreen(name.c_str(), c.script);
        ASSERT_NE(s->ui, nullptr);
        std::string file = "ui/" + name + ".lua";
        ASSERT_EQ(s->ui->ExportLua(file.c_str()), 1);
        std::string text = Read("user://dev-edits/" + file);
        EXPECT_EQ(text, "-- " + file + "\n\n" + c.expected);
        EXPECT_EQ(text.find("ABSOLUTE"), std::string::npos);
        EXPECT_TRUE(apptest::Logged("Exporting UISet to 'user://dev-edits/" + file + "'.."));
    }
    EXPECT_TRUE(apptest::Logged("Autoconvert: Converting UI Comp 'abs' position type from ABSOLUTE to RELATIVE TO "
                                "PARENT for future compatibility."));
    UIComp *abs = screens_.back()->GetComp("abs");
    EXPECT_EQ(abs->position_type, 1) << "the running component is converted too";
}

TEST_F(UIWriter, ChoosesTheFileUnderDevEdits)
{
    apptest::WriteFile("ui/shipped.lua", "-- shipped\n");
    apptest::WriteFile("data-src/ui/unpacked.lua", "-- unpacked\n");
    ov->OV_AddSearchPath("res://data-src", false);
    const struct {
        const char *what;
        const char *locale;
        const char *ui_path;  // a search path added at the back, or null
        const char *name;
        const char *expected;
    } cases[] = {
        {"not found: the name itself", nullptr, nullptr, "ui/new.lua", "ui/new.lua"},
        {"a language code", "fr", nullptr, "ui/new.lua", "data-fr/ui/new.lua"},
        {"a -ui search path", nullptr, "res://menus-ui", "ui/new.lua", "menus-ui/ui/new.lua"},
        {"a -ui search path and a language", "fr", "res://menus-ui/", "ui/new.lua", "menus-ui/ui/new.lua"},
        {"found on res://", nullptr, "res://menus-ui", "ui/shipped.lua", "ui/shipped.lua"},
        {"found on a search path", "fr", nullptr, "ui/unpacked.lua", "data-src/ui/unpacked.lua"},
    };
    ProbeScreen *s = MakeScreen("Chosen", "CreateComp ('Rectangle', 'plain')\n");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        prog.parms.locale = c.locale;
        loc_man().Initialize();
        if (c.ui_path)
            ov->OV_AddSearchPath(c.ui_path, false);
        EXPECT_EQ(UIScriptSaveName(c.name), c.expected);
        ASSERT_EQ(s->ui->ExportLua(c.name), 1);
        EXPECT_EQ(Read(std::string("user://dev-edits/") + c.expected).rfind(std::string("-- ") + c.name + "\n\n", 0), 0u);
        if (c.ui_path)
            ov->OV_RemoveSearchPath(c.ui_path);
        loc_man().Shutdown();
        if (c.locale)
            ov->OV_RemoveSearchPath((std::string("res://data-") + c.locale).c_str());
    }
    prog.parms.locale = nullptr;
    EXPECT_EQ(Read("res://ui/shipped.lua"), "-- shipped\n") << "the program directory is never written";
}

TEST_F(UIWriter, ExportRunExportIsByteIdentical)
{
    const char *script = "UIEvents ('ui/ev\"en\\\\ts\\n.lua')\n"
                         "CreateComp ('Rectangle', 'q\"uo\\\\te\\nd')\nSetProperty ('tags', 'a\"b\\\\c\\nd')\n"
                         "SetProperty ('position', 12, 34)\nSetProperty ('color.g', 0.5)\n"
                         "CreateComp ('Rectangle', 'second')\nSetProperty ('parent', 'q\"uo\\\\te\\nd')\n"
                         "SetProperty ('tags', '')\nSetProperty ('scale', 3)\n";
    ProbeScreen *first = MakeScreen("Round", script);
    ASSERT_EQ(first->ui->GetNumberOfComps(), 2);
    EXPECT_STREQ(first->ui->GetCompByIndex(0)->name, "q\"uo\\te\nd");
    ASSERT_EQ(first->ui->ExportLua("ui/Round.lua"), 1);
    std::string written = Read("user://dev-edits/ui/Round.lua");
    EXPECT_NE(written.find("CreateComp (\"Rectangle\", \"q\\\"uo\\\\te\\nd\");\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("\n", written.find("-- ") + 3), written.find("\n\n")) << "the header is one line";

    // The written script builds the set again; its export is the same bytes.
    ProbeScreen *second = MakeScreen("Again");
    ASSERT_TRUE(second->LoadUI("user://dev-edits/ui/Round.lua"));
    ASSERT_EQ(second->ui->GetNumberOfComps(), 2);
    EXPECT_STREQ(second->ui->GetCompByIndex(0)->name, "q\"uo\\te\nd");
    EXPECT_STREQ(second->ui->GetCompByIndex(1)->tags, "");
    EXPECT_STREQ(second->ui->events_file, "ui/ev\"en\\ts\n.lua");
    ASSERT_EQ(second->ui->ExportLua("ui/Round.lua"), 1);
    EXPECT_EQ(Read("user://dev-edits/ui/Round.lua"), written);
    EXPECT_EQ(Read("user://dev-edits/ui/Round.lua.bak"), written);
}

TEST_F(UIWriter, AFailedWriteKeepsTheOldFileAndAnswersZero)
{
    ProbeScreen *s = MakeScreen("Kept", "CreateComp ('Rectangle', 'plain')\n");
    ASSERT_EQ(s->ui->ExportLua("ui/Kept.lua"), 1);
    std::string old = Read("user://dev-edits/ui/Kept.lua");
    AddComp(s, "added", 1, 2, 3, 4);
    ASSERT_EQ(ov->OV_CreateDirectory("user://dev-edits/ui/Kept.lua.tmp"), 1);
    EXPECT_EQ(s->ui->ExportLua("ui/Kept.lua"), 0);
    EXPECT_TRUE(apptest::Logged("Unable to save to file 'user://dev-edits/ui/Kept.lua'."));
    EXPECT_EQ(Read("user://dev-edits/ui/Kept.lua"), old);
    // A name reaching out of the folder is refused.
    EXPECT_EQ(s->ui->ExportLua("../outside.lua"), 0);
    EXPECT_TRUE(apptest::Logged("Unable to save to file '../outside.lua'."));
}

// A moved component saved, then the script loaded again with the search paths of a
// developer run (the saved edits first; see the service manager) and of a normal run.
TEST_F(UIWriter, ASavedMoveShowsWithTheDeveloperSearchPathsOnly)
{
    ProbeScreen *s = MakeScreen("Moved", "CreateComp ('Rectangle', 'box')\nSetProperty ('position', 10, 20)\n");
    UIComp *box = s->GetComp("box");
    ASSERT_NE(box, nullptr);
    box->position_x = 50;
    ASSERT_EQ(s->ui->ExportLua("ui/Moved.lua"), 1);
    for (bool developer : {true, false}) {
        SCOPED_TRACE(developer ? "developer run" : "normal run");
        if (developer)
            ov->OV_AddSearchPath("user://dev-edits/", true);
        else
            ov->OV_RemoveSearchPath("user://dev-edits/");
        ProbeScreen *again = MakeScreen(developer ? "MovedDev" : "MovedNormal");
        ASSERT_TRUE(again->LoadUI("ui/Moved.lua"));
        UIComp *loaded = again->GetComp("box");
        ASSERT_NE(loaded, nullptr);
        EXPECT_FLOAT_EQ(loaded->position_x, developer ? 50.0f : 10.0f);
        EXPECT_FLOAT_EQ(loaded->position_y, 20.0f);
    }
}

}  // namespace
