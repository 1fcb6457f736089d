// A ruler whose bitmap is cleared while its screen is entered: the old bitmap is given
// back once, the empty slot is no bitmap for reads, drawing, leaving and export.
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-ruler.h"
#include "ovrecords.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

namespace {

class RulerBitmaps : public comptest::CompTest {};

TEST_F(RulerBitmaps, AClearedBitmapIsNoBitmap)
{
    StartUI();
    Screen *s = MakeScreen("Cleared", "CreateComp ('Ruler', 'r')\n"
                                      "SetProperty ('ruler.endpoint_bitmap', 'gfx/c-end.png')\n"
                                      "SetProperty ('ruler.repeat_bitmap', 'gfx/c-mid.png')\n"
                                      "SetProperty ('ruler.client_width', 100)\n");
    UICompRuler *r = dynamic_cast<UICompRuler *>(s->GetComp("r"));
    ASSERT_NE(r, nullptr);
    ov_bitmap_t *end = r->endpoint_bitmap;
    ASSERT_NE(end, nullptr);
    const int before = end->refcount;
    sman.PushScreen(s, 0);
    ASSERT_EQ(end->refcount, before + 1);
    ASSERT_TRUE(Run(s->ui, "SetProperty ('r:ruler.endpoint_bitmap', nil)"));
    EXPECT_EQ(r->endpoint_bitmap, nullptr);
    EXPECT_EQ(end->refcount, before) << "the entered reference is given back";
    EXPECT_EQ(Eval(s->ui, "GetProperty ('r:ruler.endpoint_bitmap')"), "");
    apptest::draw = [s](float) { s->DrawUI(); };
    DrawFrame();
    FILE *f = tmpfile();
    ASSERT_NE(f, nullptr);
    r->ExportLua(f);
    rewind(f);
    char buf[1024] = {0};
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    const std::string text(buf, n);
    EXPECT_EQ(text.find("endpoint_bitmap"), std::string::npos) << text;
    EXPECT_NE(text.find("repeat_bitmap"), std::string::npos) << text;
    sman.PopScreen(s, false);
    EXPECT_EQ(end->refcount, before) << "leaving does not give it back a second time";
    EXPECT_EQ(r->endpoint_bitmap, nullptr);
}

}  // namespace
