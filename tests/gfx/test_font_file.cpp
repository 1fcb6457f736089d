// The ".mft" font file: version 6 written and read back field for field, versions 1
// to 5 with their field orders and colour order, bad headers, short files.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

using namespace gfxtest;
using namespace fonttest;

namespace {

class FontFile : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        MakeDirs("app/native/fonts/");
        Start();
    }
    // Reads a font file of the program directory into a fresh record.
    int Read(ov_font_t *f, const char *name)
    {
        InitFont(f, name);
        return OVI_LoadFontMFT(f);
    }
};

// A UTF-8 font of 300 glyphs: kerning rows on some, images of distinct colours.
void MakeRich(ov_font_t *f)
{
    InitFont(f, "rich", 300);
    f->encoding = OV_FONT_UTF8;
    f->top_offset = 9;
    f->height = 11;
    f->line_height = 14;
    for (int i = 0; i < 300; i++) {
        ov_glyph_t &g = f->glyphs[i];
        g.code = 1000 + i * 7;
        g.x_offset = (int16_t)(i % 5 - 2);
        g.y_offset = (int16_t)(i % 9);
        g.advance = (int16_t)(3 + i % 11);
        if (i % 3 == 0) {
            g.kerning = (int8_t *)malloc(300);
            for (int k = 0; k < 300; k++)
                g.kerning[k] = (int8_t)((i + k) % 7 - 3);
        }
        if (i % 4 != 0) {
            uint8_t c[4] = {(uint8_t)i, (uint8_t)(i * 3), (uint8_t)(255 - i % 256), (uint8_t)(100 + i % 100)};
            SetGlyph(f, i, g.advance, 1 + i % 4, 2 + i % 3, g.y_offset, c);
        }
    }
}

void ExpectSame(ov_font_t *a, ov_font_t *b)
{
    EXPECT_EQ(a->encoding, b->encoding);
    EXPECT_EQ(a->top_offset, b->top_offset);
    EXPECT_EQ(a->height, b->height);
    EXPECT_EQ(a->line_height, b->line_height);
    ASSERT_EQ(a->glyph_count, b->glyph_count);
    for (int i = 0; i < a->glyph_count; i++) {
        ov_glyph_t &x = a->glyphs[i], &y = b->glyphs[i];
        ASSERT_EQ(x.code, y.code) << i;
        EXPECT_EQ(x.x_offset, y.x_offset) << i;
        EXPECT_EQ(x.y_offset, y.y_offset) << i;
        EXPECT_EQ(x.advance, y.advance) << i;
        ASSERT_NE(y.kerning, nullptr) << i;  // the reader gives every glyph a row
        for (int k = 0; k < a->glyph_count; k++)
            ASSERT_EQ(x.kerning ? x.kerning[k] : 0, y.kerning[k]) << i << "," << k;
        ASSERT_EQ(x.image.width, y.image.width) << i;
        ASSERT_EQ(x.image.height, y.image.height) << i;
        if (x.image.width > 0 && x.image.height > 0)
            ASSERT_EQ(memcmp(x.image.pixels, y.image.pixels, (size_t)x.image.width * x.image.height * 4), 0) << i;
        else
            EXPECT_EQ(y.image.pixels, nullptr) << i;
    }
}

std::vector<uint8_t> ReadAll(const char *path)
{
    std::vector<uint8_t> out;
    FILE *fp = fopen(path, "rb");
    if (!fp)
        return out;
    int c;
    while ((c = fgetc(fp)) != EOF)
        out.push_back((uint8_t)c);
    fclose(fp);
    return out;
}

}  // namespace

TEST_F(FontFile, Version6RoundTripFieldForFieldInBothTextureFormats)
{
    ov_font_t f, back;
    MakeRich(&f);
    ASSERT_EQ(OV_SaveFont(&f, "res://fonts/rich.mft"), 1);
    ASSERT_EQ(Read(&back, "fonts/rich.mft"), 1);
    ExpectSame(&f, &back);
    EXPECT_EQ(back.glyph_count, 300);

    // Texture format 1 keeps B, G, R, A in memory; the file still holds R, G, B, A.
    std::vector<uint8_t> rgba_file = ReadAll("app/native/fonts/rich.mft");
    ov_font_t bgr;
    MakeRich(&bgr);
    for (int i = 0; i < 300; i++) {
        ov_bitmap_t &im = bgr.glyphs[i].image;
        for (int p = 0; p < im.width * im.height; p++)
            std::swap(im.pixels[p * 4], im.pixels[p * 4 + 2]);
    }
    ov_state.texture_format = 1;
    ASSERT_EQ(OV_SaveFont(&bgr, "res://fonts/bgr.mft"), 1);
    EXPECT_EQ(ReadAll("app/native/fonts/bgr.mft"), rgba_file);
    ov_font_t back1;
    int ok = Read(&back1, "fonts/bgr.mft");
    ov_state.texture_format = 0;
    ASSERT_EQ(ok, 1);
    ExpectSame(&bgr, &back1);
    for (ov_font_t *p : {&f, &back, &bgr, &back1})
        FreeFont(p);
}

TEST_F(FontFile, SpaceWithoutImageKeepsItsAdvanceAndHasNoPixelBlock)
{
    ov_font_t f, back;
    InitFont(&f, "space");
    SetGlyph(&f, 32, 5);
    ASSERT_EQ(OV_SaveFont(&f, "res://fonts/space.mft"), 1);
    // 12 magic + "LATIN-1\0" + 16 metrics + 256 records of 15 bytes, no pixels at all.
    EXPECT_EQ(ReadAll("app/native/fonts/space.mft").size(), 12u + 8u + 16u + 256u * 15u);
    ASSERT_EQ(Read(&back, "fonts/space.mft"), 1);
    EXPECT_EQ(back.glyphs[32].advance, 5);
    EXPECT_EQ(back.glyphs[32].image.pixels, nullptr);
    FreeFont(&f);
    FreeFont(&back);
}

// Header of an old version: magic, encoding, three metrics, the 256 skipped bytes.
Bytes OldHeader(int version, const char *encoding = "LATIN-1")
{
    Bytes b;
    char magic[16];
    snprintf(magic, sizeof magic, "TSK_Font_v%d", version);
    b.str(magic).str(encoding).i32(7).i32(10).i32(12).fill(0xAB, 256);
    return b;
}

TEST_F(FontFile, OldVersionsReadWithTheirFieldOrdersAndColourOrder)
{
    const uint8_t px[4] = {10, 20, 30, 40};
    for (int version = 1; version <= 5; version++) {
        Bytes b = OldHeader(version);
        for (int i = 0; i < 256; i++) {
            bool img = i == 'A';
            int w = img ? 7 : 0, h = img ? 1 : 0;
            b.i16(2);                    // y offset
            if (version >= 2)
                b.i16(1);                // x offset
            b.i16(99);                   // advance (kept only by versions 1 and 2 ... as width + 1)
            if (version >= 4) {
                Bytes k;
                k.fill(0, 256);
                k.b['V'] = (uint8_t)-3;
                b.raw(k.b.data(), 256);
            }
            b.i16(w).i16(h);
            if (version >= 3)
                b.i16(img ? 9 : 4);      // the advance that is kept
            for (int p = 0; p < w * h; p++)
                b.raw(px, 4);
        }
        std::string path = "app/native/fonts/v" + std::to_string(version) + ".mft";
        WriteFile(path, b.b);
        ov_font_t f;
        ASSERT_EQ(Read(&f, ("fonts/v" + std::to_string(version) + ".mft").c_str()), 1) << version;
        EXPECT_EQ(f.top_offset, 7);
        EXPECT_EQ(f.height, 10);
        EXPECT_EQ(f.line_height, 12);
        EXPECT_EQ(f.glyph_count, 256);
        ov_glyph_t &a = f.glyphs['A'];
        EXPECT_EQ(a.y_offset, 2);
        EXPECT_EQ(a.x_offset, version >= 2 ? 1 : 0) << version;
        EXPECT_EQ(a.advance, version <= 2 ? 8 : 9) << version;   // width 7 + 1, or the later field
        EXPECT_EQ(f.glyphs['B'].advance, version <= 2 ? 1 : 4) << version;
        EXPECT_EQ(a.kerning['V'], version >= 4 ? -3 : 0) << version;
        ASSERT_EQ(a.image.width, 7);
        // Versions 1-4 store blue first; version 5 red first (texture format 0 here).
        if (version <= 4)
            EXPECT_EQ(a.image.pixels[0], 30) << version;
        else
            EXPECT_EQ(a.image.pixels[0], 10) << version;
        EXPECT_EQ(a.image.pixels[1], 20);
        EXPECT_EQ(a.image.pixels[3], 40);
        FreeFont(&f);
    }
}

TEST_F(FontFile, BadHeaderIsRefusedWithItsMessage)
{
    WriteText("app/native/fonts/bad.mft", std::string("XSK_Font_v6\0LATIN-1\0", 20));
    ov_font_t f;
    EXPECT_EQ(Read(&f, "fonts/bad.mft"), 0);
    EXPECT_TRUE(Logged("Font 'fonts/bad.mft' has unknown or bad header ('XSK_Font_v6')"));
    FreeFont(&f);
}

TEST_F(FontFile, ShortFileAndHugeCountsFailTheLoad)
{
    ov_font_t f, rich;
    MakeRich(&rich);
    ASSERT_EQ(OV_SaveFont(&rich, "res://fonts/full.mft"), 1);
    std::vector<uint8_t> all = ReadAll("app/native/fonts/full.mft");
    all.resize(all.size() - 3);
    WriteFile("app/native/fonts/short.mft", all);
    EXPECT_EQ(Read(&f, "fonts/short.mft"), 0);
    FreeFont(&f);

    Bytes huge;
    huge.str("TSK_Font_v6").str("UTF-8").i32(1).i32(2).i32(3).i32(0x7fffffff);
    WriteFile("app/native/fonts/huge.mft", huge.b);
    EXPECT_EQ(Read(&f, "fonts/huge.mft"), 0);
    FreeFont(&f);
    FreeFont(&rich);
}

// Found by fuzzing: a negative glyph count loaded as an empty font and reported success.
TEST_F(FontFile, NegativeGlyphCountFailsTheLoadWithItsMessage)
{
    Bytes neg;
    neg.str("TSK_Font_v6").str("UTF-8").i32(7).i32(9).i32(11).i32(-5).fill(0, 64);
    WriteFile("app/native/fonts/neg.mft", neg.b);
    ov_font_t f;
    EXPECT_EQ(Read(&f, "fonts/neg.mft"), 0);
    EXPECT_TRUE(Logged("Font file 'fonts/neg.mft' has a bad glyph count -5."));
    EXPECT_TRUE(Logged("Font file 'fonts/neg.mft' is truncated or damaged."));
    FreeFont(&f);
}

TEST_F(FontFile, EncodingOtherThanExactlyUtf8IsLatin1)
{
    for (const char *enc : {"utf-8", "UTF8", "UTF-8"}) {
        Bytes b;
        b.str("TSK_Font_v6").str(enc).i32(0).i32(5).i32(6).i32(0);
        WriteFile("app/native/fonts/enc.mft", b.b);
        ov_font_t f;
        ASSERT_EQ(Read(&f, "fonts/enc.mft"), 1);
        EXPECT_EQ(f.encoding, strcmp(enc, "UTF-8") == 0 ? OV_FONT_UTF8 : OV_FONT_LATIN1) << enc;
        FreeFont(&f);
    }
}

// A version 6 file of two glyphs ('A', 'B') whose metrics the case sets.
struct Metrics {
    const char *what;
    int top = 8, height = 8, line = 10;
    int x_offset = 0, y_offset = 0, advance = 5;
};

std::vector<uint8_t> FileWith(const Metrics &m)
{
    Bytes b;
    b.str("TSK_Font_v6").str("LATIN-1").i32(m.top).i32(m.height).i32(m.line).i32(2);
    for (int code : {'A', 'B'}) {
        b.i32(code).i16(m.y_offset).i16(m.x_offset).i16(m.advance).u8(0).i16(2).i16(2);
        b.fill(255, 2 * 2 * 4);
    }
    return b.b;
}

// Metrics beyond what any glyph atlas holds (a line height of 0x7B00000B overflowed text
// measuring) mark the file as damaged: the load fails and the text measures nothing.
TEST_F(FontFile, MetricsOutOfBoundsAreRefusedAsDamaged)
{
    Metrics cases[] = {
        {"negative height", 8, -1},
        {"height beyond the atlas", 8, 5000},
        {"huge line height", 8, 8, 0x7B00000B},
        {"negative line height", 8, 8, -3},
        {"huge top offset", 0x40000000},
        {"x offset beyond the atlas", 8, 8, 10, 5000},
        {"y offset beyond the atlas", 8, 8, 10, 0, -5000},
        {"negative advance", 8, 8, 10, 0, 0, -2},
    };
    int n = 0;
    for (const Metrics &m : cases) {
        SCOPED_TRACE(m.what);
        std::string name = "fonts/damaged" + std::to_string(n++) + ".mft";
        WriteFile("app/native/" + name, FileWith(m));
        ov_font_t f;
        EXPECT_EQ(Read(&f, name.c_str()), 0);
        EXPECT_TRUE(Logged("Font file '" + name + "' is truncated or damaged."));
        FreeFont(&f);
        // Loaded as an application does: nothing to measure.
        ov_font_t *loaded = ov->OV_LoadFont(name.c_str());
        if (loaded) {
            EXPECT_EQ(ov->OV_GetTextHeightf(loaded, "AB\nAB\nAB"), 0);
            ov->OV_ReleaseFont(loaded);
        }
    }
    // The same file with sane metrics, negative offsets included, loads.
    Metrics sane;
    sane.x_offset = -2;
    sane.y_offset = -1;
    WriteFile("app/native/fonts/sane.mft", FileWith(sane));
    ov_font_t f;
    EXPECT_EQ(Read(&f, "fonts/sane.mft"), 1);
    FreeFont(&f);
}

// The bad-header popup shows the bytes read as text, with other bytes escaped.
TEST_F(FontFile, BadHeaderMessageShowsTheBytesEscaped)
{
    WriteText("app/native/fonts/raw.mft", std::string("TSK\x01" "Font\xff" "v'\0LATIN-1\0", 20));
    ov_font_t f;
    EXPECT_EQ(Read(&f, "fonts/raw.mft"), 0);
    EXPECT_TRUE(Logged("Font 'fonts/raw.mft' has unknown or bad header ('TSK\\x01Font\\xffv\\x27')"));
    FreeFont(&f);
}
