// The font pool: slot limit, reference counts of get and load, hibernation, "!NONE"
// names and the data manifest's "h" size.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "core/data/dataman.h"

using namespace gfxtest;
using namespace fonttest;

namespace {

class FontPool : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        MakeDirs("app/native/fonts/");
        Start();
        // A small LATIN-1 font file of height 12, line height 14.
        ov_font_t f;
        InitFont(&f, "small");
        f.height = 12;
        f.line_height = 14;
        f.top_offset = 10;
        SetGlyph(&f, 'A', 6, 4, 8);
        ASSERT_EQ(OV_SaveFont(&f, "res://fonts/small.mft"), 1);
        FreeFont(&f);
    }
};

}  // namespace

TEST_F(FontPool, ThirtyThirdNameIsRefusedAndAFreedSlotIsReused)
{
    ov_state.reference_counting = 0;
    ov_font_t *fonts[32];
    for (int i = 0; i < 32; i++) {
        std::string name = "!NONE" + std::to_string(i);
        fonts[i] = ov->OV_GetFont(name.c_str());
        ASSERT_NE(fonts[i], nullptr) << i;
    }
    EXPECT_EQ(ov->OV_GetFont("!NONE32"), nullptr);
    EXPECT_TRUE(Logged(" ! Orvex out of free fonts."));
    ov->OV_ReleaseFont(fonts[5]);
    ov_font_t *again = ov->OV_LoadFont("!NONE-new");
    EXPECT_EQ(again, fonts[5]);
    EXPECT_STREQ(again->name, "!NONE-new");
}

TEST_F(FontPool, GetCountsOnceLoadCountsEveryCall)
{
    ov_font_t *g = nullptr;
    for (int i = 0; i < 3; i++)
        g = ov->OV_GetFont("fonts/small.mft");
    EXPECT_EQ(g->refs, 1);
    EXPECT_EQ(g->height, 12);
    ov_font_t *l = nullptr;
    for (int i = 0; i < 3; i++)
        l = ov->OV_LoadFont("fonts/other.mft");
    EXPECT_EQ(l->refs, 3);
    EXPECT_EQ(l->height, 0);  // missing file and no source: an empty record stays in the pool
    EXPECT_TRUE(Logged("Unable to load font 'fonts/other.mft'."));
}

TEST_F(FontPool, NoneNameGivesHeightZeroAndTheSizeLine)
{
    ov_font_t *f = ov->OV_LoadFont("menu!NONE");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->height, 0);
    EXPECT_TRUE(Logged("(0px)"));
    EXPECT_EQ(ov->OV_GetTextWidthf(f, "AAA"), 0.0f);
}

TEST_F(FontPool, ReleaseToZeroHibernatesThenBelowZeroIsReported)
{
    ov_font_t *f = ov->OV_LoadFont("fonts/small.mft");
    ov->OV_ReleaseFont(f);
    EXPECT_EQ(f->refs, 0);
    EXPECT_TRUE(Logged("Hibernating Font 'fonts/small.mft'.."));
    ASSERT_NE(f->glyphs, nullptr);
    EXPECT_GT(ov->OV_GetTextWidthf(f, "A"), 0.0f);  // still usable
    ov->OV_ReleaseFont(f);
    EXPECT_EQ(f->refs, 0);
    EXPECT_TRUE(Logged("Font 'fonts/small.mft' reference count less than zero."));
    EXPECT_EQ(ov->OV_LoadFont("fonts/small.mft"), f);  // found again
    ov->OV_ReleaseFont(nullptr);
    EXPECT_TRUE(Logged("Trying to release a null font."));
}

TEST_F(FontPool, GetFontReleasedToZeroWarnsAboutReferenceCounting)
{
    ov_font_t *f = ov->OV_GetFont("fonts/small.mft");
    ov->OV_ReleaseFont(f);
    EXPECT_TRUE(Logged("Releasing font 'fonts/small.mft' too many times"));
}

TEST_F(FontPool, ManifestHeightScalesTheFont)
{
    OV_DMDatabase *db = ov_dman.CreateDatabase("fontsizes.xml");
    db->SetValue("sizes", "fonts/small.mft", "h", "24");
    ASSERT_TRUE(ov_dman.AddManifestDatabase(db));
    ov_font_t *f = ov->OV_LoadFont("fonts/small.mft");
    EXPECT_FLOAT_EQ(f->scale, 2.0f);
    EXPECT_EQ(f->height, 24);
    EXPECT_EQ(f->line_height, 28);
    EXPECT_EQ(f->top_offset, 10);
    EXPECT_EQ(f->glyphs['A'].advance, 6);  // glyph metrics stay in the font's own pixels
    EXPECT_TRUE(Logged("(24px)"));
    // Measured width is in drawn pixels: 2 x 6.
    EXPECT_FLOAT_EQ(ov->OV_GetTextWidthf(f, "A"), 12.0f);
    ov_dman.ReleaseDatabase("fontsizes.xml");
}
