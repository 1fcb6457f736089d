// Components written back as script lines: only what differs from the template, and
// a written set that rebuilds itself to the same text.
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

namespace {

class Export : public comptest::CompTest {
protected:
    // The set's blocks as the UI editor writes them: each component, then a blank line.
    std::string ExportSet(UISet *set)
    {
        FILE *f = tmpfile();
        EXPECT_NE(f, nullptr);
        for (int i = 0; i < set->GetNumberOfComps(); i++) {
            set->GetCompByIndex(i)->ExportLua(f);
            fputs("\n", f);
        }
        std::string text;
        rewind(f);
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        fclose(f);
        return text;
    }
};

TEST_F(Export, AnUnchangedCopyWritesOnlyCreationParentAndScripts)
{
    StartUI();
    Screen *s = MakeScreen("Plain", "CreateComp ('Marker', 'holder')\n"
                                    "CreateComp ('Rectangle', 'copy')\n"
                                    "SetProperty ('parent', 'holder')\n"
                                    "SetProperty ('OnClick', 'ui/on-click.lua')\n");
    EXPECT_EQ(ExportSet(s->ui), "CreateComp (\"Marker\", \"holder\");\n\n"
                                "CreateComp (\"Rectangle\", \"copy\");\n"
                                "SetProperty (\"parent\", \"holder\");\n"
                                "SetProperty (\"OnClick\", \"ui/on-click.lua\");\n\n");
}

TEST_F(Export, ExportRunExportIsByteIdentical)
{
    StartUI("CreateComp ('Rectangle', 'Fancy')\nSetProperty ('alpha', 0.5)\nSetProperty ('color', 1, 0, 0)\n");
    const std::string script =
        "CreateComp ('Marker', 'box \"A\" \\\\ one')\n"
        "SetProperty ('tags', 'say \"hi\"\\\\there\\nnext')\n"
        "SetProperty ('marker.area_width', 120)\n"
        "SetProperty ('required_features', 'NEWS,!LITE')\n"
        "SetProperty ('position_type', 'ABSOLUTE')\n"
        "SetProperty ('position', 40, 30)\n"
        "CreateComp ('Rectangle', 'r')\n"
        "SetProperty ('inherit', 'Fancy')\n"
        "SetProperty ('parent', 'box \"A\" \\\\ one')\n"
        "SetProperty ('parent_anchor', 'BOTTOMRIGHT')\n"
        "SetProperty ('align', 'CENTER')\n"
        "SetProperty ('rectangle.rect_width', 33.5)\n"
        "SetProperty ('scale_type', 'FIT_INSIDE_SCREEN')\n"
        "SetProperty ('cache_mode', 'PRELOAD')\n"
        "SetProperty ('blend_mode', 'ADDITIVE')\n"
        "SetProperty ('draw_mode', 'MIRRORED_HORIZONTAL')\n"
        "SetProperty ('custom_draw', 1)\n"
        "SetProperty ('inherit_scale', false)\n"
        "SetProperty ('visible', 0)\n"
        "SetProperty ('fading_akey', 0.25)\n"
        "SetProperty ('angle', 0.5)\n"
        "SetProperty ('scale', 1.5)\n"
        "SetProperty ('color.b', 0.125)\n"
        "SetProperty ('OnLoad', 'ui/a\\\\b.lua')\n"
        "CreateComp ('Ruler', 'ru')\n"
        "SetProperty ('position_type', 'RELATIVE_TO_SCREEN')\n"
        "SetProperty ('position', 0.5, 0.25)\n"
        "SetProperty ('ruler.client_width', 80)\n"
        "SetProperty ('ruler.endpoint_bitmap', 'gfx/end.png')\n"
        "SetProperty ('screen_origin', 'ACTUAL')\n"
        "CreateComp ('Unknown', 'plain')\n"
        "SetProperty ('localize', 0)\n";
    Screen *first = MakeScreen("First", script);
    ASSERT_EQ(first->ui->GetNumberOfComps(), 4);
    const std::string once = ExportSet(first->ui);
    EXPECT_TRUE(apptest::Logged("Autoconvert: Converting UI Comp 'box \"A\" \\ one' position type from ABSOLUTE"));
    EXPECT_NE(once.find("SetProperty (\"inherit\", \"Fancy\");\n"), std::string::npos) << once;
    EXPECT_NE(once.find("SetProperty (\"tags\", \"say \\\"hi\\\"\\\\there\\nnext\");\n"), std::string::npos) << once;
    EXPECT_NE(once.find("SetProperty (\"rectangle.rect_width\", \"33.5\");\n"), std::string::npos) << once;
    EXPECT_NE(once.find("SetProperty (\"custom_draw\", 1);\n"), std::string::npos) << once;
    EXPECT_EQ(once.find("ABSOLUTE"), std::string::npos) << once;

    Screen *second = MakeScreen("Second", once);
    ASSERT_EQ(second->ui->GetNumberOfComps(), 4);
    EXPECT_EQ(ExportSet(second->ui), once);
    UIComp *r = second->GetComp("r");
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->parent, nullptr);
    EXPECT_STREQ(r->parent->name, "box \"A\" \\ one");
    EXPECT_TRUE(r->custom_draw);
}

TEST_F(Export, AComponentWithoutTemplateComparesWithConstructorDefaults)
{
    StartUI();
    UIComp comp;
    comp.SetName("lone");
    comp.alpha = 0.5f;      // not exported by the base
    comp.visible = false;
    FILE *f = tmpfile();
    ASSERT_NE(f, nullptr);
    comp.ExportLua(f);
    rewind(f);
    char buf[512] = {0};
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    EXPECT_EQ(std::string(buf, n), "CreateComp (\"Unknown\", \"lone\");\nSetProperty (\"visible\", 0);\n");
}

}  // namespace
