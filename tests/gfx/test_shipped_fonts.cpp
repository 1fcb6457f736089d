// The fonts the build ships in app/native (made by buildtools/fontgen from DejaVu Sans and Sans Bold):
// they load from their ".mft" files without generating, carry the printable LATIN-1
// glyphs with sizes that follow their pixel sizes, keep letters apart, draw every glyph
// texel for texel at 1:1 on the real renderer, and set a paragraph in every font. With
// ORVEX_SCREENSHOT_DIR set, the paragraphs are written there as PNG images to look at.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "gfx/gl-table.h"
#include "gfx/image.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

using namespace gfxtest;
using namespace fonttest;

namespace {

struct Shipped {
    const char *name;
    int size;  // the pixel size the build renders it at
};
const Shipped kFonts[] = {
    {"core/console.mft", 13}, {"core/console_2x.mft", 26}, {"fonts/medium.mft", 18},
    {"fonts/medium_2x.mft", 36}, {"fonts/large.mft", 28},  {"fonts/large_2x.mft", 56},
    {"fonts/small.mft", 14},     {"fonts/title.mft", 44},
};

// LATIN-1 text (bytes above 127 are accented letters).
const char *kParagraph =
    "The quick brown fox jumps over the lazy dog. Pack my box with five dozen liquor jugs! "
    "AV WAVE Tokyo, f\xF6rs\xE4ljning, caf\xE9 cr\xE8me br\xFBl\xE9" "e, \xC5ngstr\xF6m \xA9 2024 "
    "(0123456789) [x+y=z] {50% off} \"quoted\" 'single' #tag @home & more_text ~ok?";

class ShippedFonts : public GfxTest {
protected:
    // Copies the built fonts into this test's program directory.
    void Install()
    {
        for (const Shipped &s : kFonts)
            ASSERT_TRUE(CopyFile(std::string(ORVEX_APP_NATIVE_DIR) + "/" + s.name, std::string("app/native/") + s.name))
                << s.name << " is missing from the build's app/native";
    }
    // Engine up on a display of the program's own size (no autoscaling: 1:1 pixels).
    void StartAt(int w, int h)
    {
        app.width = w;
        app.height = h;
        PreInit(w, h);
        ov_prog->parms.no_sound = 1;
        Start(w, h);
    }
    void Paragraph(bool twice);
};

// The framebuffer as a PNG into ORVEX_SCREENSHOT_DIR (when set).
void Screenshot(const char *name)
{
    const char *dir = getenv("ORVEX_SCREENSHOT_DIR");
    if (!dir)
        return;
    int w = ov_device_info.width, h = ov_device_info.height;
    std::vector<uint8_t> px((size_t)w * h * 4), flipped(px.size());
    ovgl.ReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    for (int y = 0; y < h; y++)
        memcpy(&flipped[(size_t)y * w * 4], &px[(size_t)(h - 1 - y) * w * 4], (size_t)w * 4);
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    b.width = b.src_width = w;
    b.height = b.src_height = h;
    b.pixels = flipped.data();
    std::string path = std::string(dir) + "/" + name + ".png";
    EXPECT_TRUE(OVI_WritePNG(&b, path.c_str())) << path;
}

// The rows of the framebuffer (top down) in a column range that hold a pixel brighter
// than the dark background.
std::vector<bool> InkRows(int x0, int x1, int y0, int y1)
{
    int w = ov_device_info.width, h = ov_device_info.height;
    std::vector<uint8_t> px((size_t)w * h * 4);
    ovgl.ReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    std::vector<bool> rows((size_t)(y1 - y0), false);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1 && !rows[(size_t)(y - y0)]; x++)
            if (px[((size_t)(h - 1 - y) * w + x) * 4] > 128)
                rows[(size_t)(y - y0)] = true;
    return rows;
}

}  // namespace

TEST_F(ShippedFonts, LoadFromTheirFilesWithLatin1GlyphsAndSpacing)
{
    Install();
    StartAt(1024, 600);
    ov_font_t *base = nullptr;
    for (const Shipped &s : kFonts) {
        SCOPED_TRACE(s.name);
        ov_font_t *f = ov->OV_LoadFont(s.name);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->encoding, OV_FONT_LATIN1);
        ASSERT_EQ(f->glyph_count, 256);
        // The tallest glyph (accented capitals, the bar) is about the pixel size.
        EXPECT_GE(f->height, s.size);
        EXPECT_LE(f->height, s.size * 6 / 5);
        EXPECT_GT(f->line_height, f->height);
        EXPECT_LE(f->line_height, s.size * 13 / 10);
        EXPECT_EQ(f->glyphs[' '].image.pixels, nullptr);
        EXPECT_GT(f->glyphs[' '].advance, s.size / 5);
        for (int c = 33; c < 256; c++) {
            if ((c >= 127 && c < 161) || c == 173)
                continue;  // control codes, no-break space, soft hyphen
            ASSERT_NE(f->glyphs[c].image.pixels, nullptr) << "glyph " << c;
            EXPECT_GT(f->glyphs[c].advance, 0) << "glyph " << c;
        }
        // Letters are narrower than they are high, and "M" is wider than "i".
        EXPECT_LT(f->glyphs['H'].image.width, f->glyphs['H'].image.height);
        EXPECT_GT(f->glyphs['M'].advance, f->glyphs['i'].advance);
        // Lower case is the font's own, not borrowed from the capitals.
        EXPECT_FALSE(f->glyphs['a'].borrowed);
        EXPECT_LT(f->glyphs['x'].image.height, f->glyphs['X'].image.height);
        // Letters are set apart by their spacing: the boxes of two letters in a row
        // overlap by no more than an anti-aliased edge column (but for the overhanging
        // "f" and "j").
        const char *letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdeghiklmnopqrstuvwxyz";
        for (const char *a = letters; *a; a++)
            for (const char *b = letters; *b; b++) {
                const ov_glyph_t &ga = f->glyphs[(int)*a], &gb = f->glyphs[(int)*b];
                int kern = gb.kerning ? gb.kerning[(int)*a] : 0;
                ASSERT_GE(ga.advance + kern - ga.image.width, -1) << *a << *b;
            }
        // A "_2x" font is its base font at twice the size.
        if (strstr(s.name, "_2x") && base) {
            EXPECT_NEAR(f->height, 2 * base->height, 2);
            EXPECT_NEAR(f->glyphs['n'].advance, 2 * base->glyphs['n'].advance, 2);
            EXPECT_NEAR(f->glyphs['H'].image.height, 2 * base->glyphs['H'].image.height, 1);
        }
        base = f;
    }
    EXPECT_FALSE(Logged("Attempting to generate font")) << "the shipped files are read, not generated";
    EXPECT_FALSE(Logged("Unable to load font"));
}

// Every glyph of the string, drawn white on black at whole-pixel positions, reads back
// as its own alpha: the atlas is sampled texel for texel, nothing is blurred or cut.
TEST_F(ShippedFonts, GlyphsDrawTexelForTexelAtOneToOne)
{
    Install();
    std::vector<ov_font_t *> fonts;
    const char *letters = "Rag&W\xE9";
    app.draw = [&](float) {
        if (fonts.empty())
            for (const Shipped &s : kFonts)
                fonts.push_back(ov->OV_LoadFont(s.name));
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        float y = 10;
        for (ov_font_t *f : fonts) {
            float x = 10;
            for (const char *p = letters; *p; p++) {
                char one[2] = {*p, 0};
                ov->OV_DrawTextf(f, x, y, "%s", one);
                x += 2 * f->glyphs[(unsigned char)*p].image.width + 10;
            }
            y += f->line_height + 10;
        }
    };
    StartAt(1024, 600);
    OVI_Frame(16);
    ASSERT_EQ(fonts.size(), sizeof kFonts / sizeof kFonts[0]);
    int y = 10, checked = 0, worst = 0;
    for (ov_font_t *f : fonts) {
        SCOPED_TRACE(f->name);
        int x = 10;
        for (const char *p = letters; *p; p++) {
            const ov_glyph_t &g = f->glyphs[(unsigned char)*p];
            int top = y + f->top_offset - f->height + g.y_offset, left = x + g.x_offset;
            for (int gy = 0; gy < g.image.height; gy++)
                for (int gx = 0; gx < g.image.width; gx++) {
                    int alpha = g.image.pixels[((size_t)gy * g.image.width + gx) * 4 + 3];
                    int d = abs(Pixel(left + gx, top + gy)[0] - alpha);
                    worst = d > worst ? d : worst;
                    checked++;
                }
            // Nothing spills to the left or right of the glyph's box.
            for (int gy = 0; gy < g.image.height; gy++) {
                EXPECT_EQ(Pixel(left - 1, top + gy)[0], 0);
                EXPECT_EQ(Pixel(left + g.image.width, top + gy)[0], 0);
            }
            x += 2 * g.image.width + 10;
        }
        y += f->line_height + 10;
    }
    EXPECT_GT(checked, 5000);
    EXPECT_LE(worst, 2) << "a read-back pixel differs from its glyph texel";
}

// A paragraph in each font of one size, wrapped 100 pixels short of the screen's
// width: its lines come out as bands of ink a line height apart, and the image is
// written for a look.
void ShippedFonts::Paragraph(bool twice)
{
    Install();
    const int w = twice ? 1600 : 1024, h = twice ? 1000 : 900;
    std::vector<ov_font_t *> fonts;
    std::vector<int> tops, lines;
    app.draw = [&](float) {
        if (fonts.empty())
            for (const Shipped &s : kFonts)
                if (!strstr(s.name, "_2x") == !twice)
                    fonts.push_back(ov->OV_LoadFont(s.name));
        ov->OV_ClearScreen(0.08f, 0.08f, 0.1f);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_SetTextAlign(0);
        ov->OV_SetTextboxWidth(w - 100);
        tops.clear();
        lines.clear();
        float y = 20;
        for (ov_font_t *f : fonts) {
            float tw = 0, th = 0;
            ov->OV_GetTextSizef(f, &tw, &th, "%s", kParagraph);
            tops.push_back((int)y);
            lines.push_back((int)(th + f->line_height / 2) / f->line_height);
            ov->OV_DrawTextf(f, 40, y, "%s", kParagraph);
            y += th + f->line_height;
        }
        ov->OV_SetTextboxWidth(0);
    };
    StartAt(w, h);
    OVI_Frame(16);
    Screenshot(twice ? "shipped-fonts-2x" : "shipped-fonts-1x");
    size_t expected = 0;
    for (const Shipped &s : kFonts)
        expected += !strstr(s.name, "_2x") == !twice;
    ASSERT_EQ(fonts.size(), expected);
    for (size_t i = 0; i < fonts.size(); i++) {
        ov_font_t *f = fonts[i];
        SCOPED_TRACE(f->name);
        EXPECT_GE(lines[i], 2) << "the paragraph wraps";
        // Every line holds ink over more than half the font's height.
        for (int l = 0; l < lines[i]; l++) {
            int y0 = tops[i] + l * f->line_height - 2;
            std::vector<bool> rows = InkRows(40, w - 40, y0, y0 + f->line_height);
            int ink = 0;
            for (bool r : rows)
                ink += r;
            EXPECT_GT(ink, f->height / 2) << "line " << l;
        }
    }
}

TEST_F(ShippedFonts, ParagraphInEveryFont)
{
    Paragraph(false);
}

TEST_F(ShippedFonts, ParagraphInEveryDoubleSizeFont)
{
    Paragraph(true);
}
