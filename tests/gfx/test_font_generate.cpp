// Generating a font from a glyph strip and its source settings: cutting glyphs by
// transparent columns, spans, space advance, automatic kerning, DISABLE_AUTOKERN, the
// OUTPUT scale, and the saved ".mft" that the next load reads without generating.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "gfx/image.h"

using namespace gfxtest;
using namespace fonttest;

namespace {

// Glyph pictures ('#' opaque), drawn side by side with one transparent column between.
const char *kA[] = {"..#..", ".#.#.", ".###.", "#...#", "#...#"};
const char *kV[] = {"#...#", "#...#", ".#.#.", ".#.#.", "..#.."};
const char *kDash[] = {".....", ".....", "###..", ".....", "....."};
const char *kQuote[] = {"#.#..", "#.#..", ".....", ".....", "....."};

// Each picture pixel becomes k x k pixels; glyphs are gap columns apart.
void WriteStrip(const std::string &path, std::vector<const char **> glyphs, int k = 1, int gap = 1)
{
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    int cell = 5 * k + gap;
    b.width = (int)glyphs.size() * cell;
    b.height = 5 * k;
    std::vector<uint8_t> px((size_t)b.width * b.height * 4, 0);
    for (size_t g = 0; g < glyphs.size(); g++)
        for (int y = 0; y < b.height; y++)
            for (int x = 0; x < 5 * k; x++)
                if (glyphs[g][y / k][x / k] == '#') {
                    uint8_t *p = &px[((size_t)y * b.width + g * cell + x) * 4];
                    p[0] = p[1] = p[2] = p[3] = 255;
                }
    b.pixels = px.data();
    MakeDirs(path);
    ASSERT_TRUE(OVI_WritePNG(&b, path.c_str()));
}

std::string Source(const std::string &settings, const std::string &glyphs)
{
    return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"settings\">\n" + settings +
           "</array>\n<array id=\"glyphs\">\n" + glyphs + "</array>\n</root>\n";
}

const char *kGlyphs =
    "<node id=\"65\" />\n<node id=\"86\" />\n<node id=\"45\" />\n<node id=\"32\" span=\"0\" spacing=\"4\" />\n";

class FontGenerate : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        MakeDirs("app/native/gen/");
        WriteStrip("app/native/gen/strip.png", {kA, kV, kDash});
        Start();
    }
};

}  // namespace

TEST_F(FontGenerate, StripGivesGlyphsSpaceAndKerningAndIsSavedForTheNextLoad)
{
    WriteText("app/native/gen/t.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"strip.png\" />\n<node id=\"SPACING\" value=\"1\" />\n"
                     "<node id=\"LINE_PADDING_OFFSET\" value=\"3\" />\n",
                     kGlyphs));
    ov_font_t *f = ov->OV_LoadFont("gen/t.mft");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(Logged("Attempting to generate font from source 'gen/t.mft.xml'"));
    ASSERT_EQ(f->height, 5);
    EXPECT_EQ(f->line_height, 8);
    EXPECT_EQ(f->top_offset, 3);
    EXPECT_EQ(f->glyphs['A'].image.width, 5);
    EXPECT_EQ(f->glyphs['A'].advance, 6);              // width + SPACING
    EXPECT_EQ(f->glyphs[' '].advance, 5);              // spacing 4 + SPACING 1
    EXPECT_EQ(f->glyphs[' '].image.pixels, nullptr);
    EXPECT_EQ(f->glyphs['-'].image.width, 3);
    EXPECT_EQ(f->glyphs['-'].y_offset, 2);
    EXPECT_LT(f->glyphs['V'].kerning['A'], 0);         // "AV" moves V closer
    EXPECT_EQ(f->glyphs['V'].kerning['A'], -1);
    EXPECT_EQ(f->glyphs['-'].kerning['A'], 0);         // "A-" never kerns
    EXPECT_EQ(f->glyphs[' '].kerning['A'], 0);
    EXPECT_FALSE(OVI_CanGlyphAutoKern('_'));

    // Written next to its source, read back from the file on the second load.
    FILE *fp = fopen("app/native/gen/t.mft", "rb");
    ASSERT_NE(fp, nullptr);
    fclose(fp);
    ov_state.reference_counting = 0;
    ov->OV_ReleaseFont(f);
    int generated = CountLogged("Attempting to generate font");
    ov_font_t *g = ov->OV_LoadFont("gen/t.mft");
    EXPECT_EQ(CountLogged("Attempting to generate font"), generated);
    EXPECT_EQ(g->glyphs['V'].kerning['A'], -1);
    EXPECT_EQ(g->glyphs[' '].advance, 5);
}

TEST_F(FontGenerate, DisableAutokernAsAWholeWordOnly)
{
    WriteText("app/native/gen/k.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"strip.png\" />\n",
                     "<node id=\"65\" tags=\"WIDE,DISABLE_AUTOKERN\" />\n<node id=\"86\" tags=\"DISABLE_AUTOKERNX\" />\n"
                     "<node id=\"45\" />\n"));
    ov_font_t *f = ov->OV_LoadFont("gen/k.mft");
    ASSERT_EQ(f->height, 5);
    EXPECT_EQ(f->glyphs['V'].kerning['A'], 0);
    EXPECT_EQ(f->glyphs['A'].kerning['V'], 0);

    // A word with further letters joined to it is another tag: A keeps its kerning.
    WriteText("app/native/gen/k2.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"strip.png\" />\n",
                     "<node id=\"65\" tags=\"DISABLE_AUTOKERNX\" />\n<node id=\"86\" />\n<node id=\"45\" />\n"));
    ov_font_t *g = ov->OV_LoadFont("gen/k2.mft");
    EXPECT_EQ(g->glyphs['V'].kerning['A'], -1);
}

TEST_F(FontGenerate, SpanTakesSeveralColumnRunsForOneGlyph)
{
    WriteStrip("app/native/gen/quote.png", {kQuote, kA});
    WriteText("app/native/gen/q2.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"quote.png\" />\n", "<node id=\"34\" span=\"2\" />\n<node id=\"65\" />\n"));
    ov_font_t *f = ov->OV_LoadFont("gen/q2.mft");
    EXPECT_EQ(f->glyphs['"'].image.width, 3);
    EXPECT_EQ(f->glyphs['A'].image.width, 5);
    EXPECT_FALSE(Logged("unused pixel blocks"));

    WriteText("app/native/gen/q1.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"quote.png\" />\n", "<node id=\"34\" />\n<node id=\"65\" />\n"));
    ov_font_t *g = ov->OV_LoadFont("gen/q1.mft");
    EXPECT_EQ(g->glyphs['"'].image.width, 1);
    EXPECT_TRUE(Logged("Input bitmap has 1 unused pixel blocks - all glyphs may not have been read properly!"));

    WriteText("app/native/gen/q3.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"quote.png\" />\n",
                     "<node id=\"34\" span=\"2\" />\n<node id=\"65\" />\n<node id=\"66\" />\n"));
    ov->OV_LoadFont("gen/q3.mft");
    EXPECT_TRUE(Logged("Input bitmap contains 1 glyphs LESS than the XML definition file!"));
    EXPECT_TRUE(Logged("Failed to generate font from source 'gen/q3.mft.xml': Array 'glyphs' is missing or has bad parms"));
}

TEST_F(FontGenerate, OutputScaleHalvesAndTooLargeIsRefused)
{
    WriteStrip("app/native/gen/strip2.png", {kA, kV, kDash}, 2, 6);
    WriteText("app/native/gen/half.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"strip2.png\" />\n<node id=\"SPACING\" value=\"4\" />\n"
                     "<node id=\"OUTPUT\" scale=\"1/2\" />\n",
                     kGlyphs));
    ov_font_t *f = ov->OV_LoadFont("gen/half.mft");
    EXPECT_TRUE(Logged("Adjusted scale with INPUT is 0.5."));
    EXPECT_GE(f->height, 4);  // the 10-row strip resized to 5 rows
    EXPECT_LE(f->height, 6);
    EXPECT_LE(f->glyphs['A'].image.width, 6);
    EXPECT_EQ(f->glyphs[' '].advance, 4 + 2);  // spacing 4 x 0.5 + 0.3, truncated

    WriteText("app/native/gen/big.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"strip.png\" />\n<node id=\"OUTPUT\" scale=\"12\" />\n", kGlyphs));
    ov_font_t *g = ov->OV_LoadFont("gen/big.mft");
    EXPECT_TRUE(Logged("OVI_GenerateFontFromSource: scale factor 12 for font gen/big.mft is invalid."));
    EXPECT_EQ(g->height, 5);
}

TEST_F(FontGenerate, MissingSourceAndMissingStripAreReported)
{
    ov->OV_LoadFont("gen/none.mft");
    EXPECT_TRUE(Logged("Failed to generate font from source 'gen/none.mft.xml': Database not found or doesn't contain any arrays."));
    EXPECT_TRUE(Logged("failed: bad or unfound file"));
    WriteText("app/native/gen/nostrip.mft.xml", Source("<node id=\"INPUT\" bitmap=\"gone.png\" />\n", kGlyphs));
    ov->OV_LoadFont("gen/nostrip.mft");
    EXPECT_TRUE(Logged("Unable to open image file 'gone.png'. Make sure the file 'gen/gone.png' exist."));
    WriteText("app/native/gen/ttf.mft.xml", Source("<node id=\"INPUT\" ttf=\"x.ttf\" />\n", ""));
    ov->OV_LoadFont("gen/ttf.mft");
    EXPECT_TRUE(Logged("OVI_CreateFontGlyphBitmapsFromTTF not available."));
}

// With an OUTPUT scale of one half, the strip drawn at half size ("INPUT@1/2x") is the
// one cut, at its own size, rather than the full-size strip shrunk.
TEST_F(FontGenerate, FractionInputStripIsChosenForItsScale)
{
    WriteStrip("app/native/gen/full.png", {kA, kV, kDash}, 2);
    WriteStrip("app/native/gen/half.png", {kV, kA, kDash});  // told apart: 'A' looks like V
    WriteText("app/native/gen/h.mft.xml",
              Source("<node id=\"INPUT\" bitmap=\"full.png\" />\n<node id=\"INPUT@1/2x\" bitmap=\"half.png\" />\n"
                     "<node id=\"OUTPUT\" scale=\"1/2\" />\n",
                     kGlyphs));
    ov_font_t *f = ov->OV_LoadFont("gen/h.mft");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(Logged("Adjusted scale with INPUT@1/2x is 1."));
    const ov_bitmap_t &a = f->glyphs['A'].image;
    ASSERT_EQ(a.width, 5);
    ASSERT_EQ(a.height, 5);
    ASSERT_NE(a.pixels, nullptr);
    EXPECT_EQ(a.pixels[3], 255);          // top-left opaque: the V picture of half.png
    EXPECT_EQ(a.pixels[2 * 4 + 3], 0);    // top middle transparent
}
