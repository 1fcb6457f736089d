// orvex-fontstrip: renders the LATIN-1 glyphs of a TrueType font with FreeType at one
// pixel size into the source of an engine font: a glyph strip image (white RGBA, the
// coverage as alpha, glyphs side by side with transparent columns between them) and
// the settings file next to it that the engine's font generator reads. Everything the
// settings say about a glyph (its column runs, its spacing) and the line padding is
// measured here from what FreeType rendered, for this font and this size.
//
//   orvex-fontstrip <font.ttf> <size_px> <settings.xml> <strip.png>
//
// The settings name the strip by its file name only: both files go into one directory.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The generator drops alpha at or below this before it cuts the strip; the strip is
// written already cleaned, so that the runs counted here are the runs it finds.
const int kLowAlpha = 4;
// Transparent columns between two glyphs of the strip.
const int kGap = 2;
// The decoders of the engine refuse wider images.
const int kMaxSide = 8192;

struct Glyph {
    int code;
    int advance;             // whole pixels (hinted)
    int top;                 // rows from the baseline up to the bitmap's first row
    int left;                // columns from the pen position to the bitmap's first column
    int width, rows;         // the rendered bitmap
    std::vector<uint8_t> a;  // its coverage, cleaned of low alpha
    int ink_left = 0, ink_width = 0;  // columns holding coverage
    int ink_rows = 0;                 // rows from the first to the last with coverage
    int runs = 0;                     // separate runs of columns with coverage
};

bool ColumnHasInk(const Glyph &g, int x)
{
    for (int y = 0; y < g.rows; y++)
        if (g.a[(size_t)y * g.width + x])
            return true;
    return false;
}

bool RowHasInk(const Glyph &g, int y)
{
    for (int x = 0; x < g.width; x++)
        if (g.a[(size_t)y * g.width + x])
            return true;
    return false;
}

// Ink extent and column runs of a rendered glyph.
void Measure(Glyph &g)
{
    int first = -1, last = -1;
    bool in_run = false;
    for (int x = 0; x < g.width; x++) {
        bool ink = ColumnHasInk(g, x);
        if (ink) {
            if (first < 0)
                first = x;
            last = x;
            if (!in_run)
                g.runs++;
        }
        in_run = ink;
    }
    if (first < 0)
        return;
    g.ink_left = first;
    g.ink_width = last - first + 1;
    int top = -1, bottom = -1;
    for (int y = 0; y < g.rows; y++)
        if (RowHasInk(g, y)) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    g.ink_rows = bottom - top + 1;
}

bool Render(FT_Face face, int code, Glyph &g)
{
    if (FT_Get_Char_Index(face, (FT_ULong)code) == 0)
        return false;
    if (FT_Load_Char(face, (FT_ULong)code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap &bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.rows > 0 && bm.width > 0)
        return false;
    g.code = code;
    g.advance = (int)((slot->advance.x + 32) >> 6);
    g.top = slot->bitmap_top;
    g.left = slot->bitmap_left;
    g.width = (int)bm.width;
    g.rows = (int)bm.rows;
    g.a.assign((size_t)g.width * g.rows, 0);
    for (int y = 0; y < g.rows; y++)
        for (int x = 0; x < g.width; x++) {
            uint8_t v = bm.buffer[(ptrdiff_t)y * bm.pitch + x];
            g.a[(size_t)y * g.width + x] = v > kLowAlpha ? v : 0;
        }
    Measure(g);
    return true;
}

// The libpng calls, alone in a function of plain pointers: libpng reports errors by
// longjmp back to the setjmp below, so nothing here may need a destructor or live in a
// register that the jump could clobber.
bool WriteRows(png_structp png, png_infop info, FILE *fp, int w, int h, png_bytep *rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, fp);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

bool WritePNG(const std::string &path, int w, int h, const std::vector<uint8_t> &rgba)
{
    std::vector<png_bytep> rows((size_t)h);
    for (int y = 0; y < h; y++)
        rows[(size_t)y] = const_cast<png_bytep>(&rgba[(size_t)y * w * 4]);
    FILE *fp = fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = png && info && WriteRows(png, info, fp, w, h, rows.data());
    png_destroy_write_struct(&png, &info);
    return fclose(fp) == 0 && written;
}

std::string BaseName(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: %s <font.ttf> <size_px> <settings.xml> <strip.png>\n", argv[0]);
        return 2;
    }
    const char *ttf = argv[1];
    int size = atoi(argv[2]);
    std::string xml_path = argv[3], png_path = argv[4];
    if (size < 4 || size > 256) {
        fprintf(stderr, "fontstrip: pixel size %s is out of range (4..256)\n", argv[2]);
        return 2;
    }

    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) != 0) {
        fprintf(stderr, "fontstrip: FreeType did not initialise\n");
        return 1;
    }
    if (FT_New_Face(lib, ttf, 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, (FT_UInt)size) != 0) {
        fprintf(stderr, "fontstrip: cannot open %s at %d px\n", ttf, size);
        FT_Done_FreeType(lib);
        return 1;
    }

    // The printable LATIN-1 codes the font has.
    std::vector<Glyph> glyphs;
    for (int code = 32; code <= 255; code++) {
        if (code >= 127 && code < 160)
            continue;
        Glyph g;
        if (Render(face, code, g))
            glyphs.push_back(std::move(g));
    }
    const int line = (int)((face->size->metrics.height + 32) >> 6);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    if (glyphs.empty()) {
        fprintf(stderr, "fontstrip: %s has no LATIN-1 glyphs\n", ttf);
        return 1;
    }

    // Strip rows: from the highest bitmap top above the baseline to the lowest bottom.
    int above = 0, below = 0, width = 0, tallest = 0;
    for (const Glyph &g : glyphs) {
        if (!g.ink_width)
            continue;
        if (g.top > above)
            above = g.top;
        if (g.rows - g.top > below)
            below = g.rows - g.top;
        if (g.ink_rows > tallest)
            tallest = g.ink_rows;
        width += g.ink_width + kGap;
    }
    int height = above + below;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        fprintf(stderr, "fontstrip: a strip of %d x %d pixels is out of range\n", width, height);
        return 1;
    }

    // The generator draws a glyph's cut image at the pen position and advances by its
    // width plus its spacing. So a glyph's own left bearing is lost and its spacing
    // stands for the gap to whatever follows: its right bearing plus the usual left
    // bearing of this font at this size (the median over the lower-case letters).
    // Automatic kerning is switched off for every glyph: it would move each pair until
    // their nearest rows are just that spacing apart, which closes up slanted and round
    // pairs ("AV", "To", "ok") far more than the font's own spacing does.
    std::vector<int> bearings;
    for (const Glyph &g : glyphs)
        if (g.code >= 'a' && g.code <= 'z' && g.ink_width)
            bearings.push_back(g.left + g.ink_left);
    std::sort(bearings.begin(), bearings.end());
    const int lead = bearings.empty() ? 0 : bearings[bearings.size() / 2];

    std::vector<uint8_t> rgba((size_t)width * height * 4, 0);
    std::string nodes;
    int x = 0;
    for (const Glyph &g : glyphs) {
        char node[128];
        if (!g.ink_width) {
            // Nothing to cut out: the whole advance is spacing.
            snprintf(node, sizeof node, "\t\t<node id=\"%d\" span=\"0\" spacing=\"%d\" />\n", g.code, g.advance);
            nodes += node;
            continue;
        }
        int y0 = above - g.top;
        for (int y = 0; y < g.rows; y++)
            for (int c = 0; c < g.ink_width; c++) {
                uint8_t v = g.a[(size_t)y * g.width + g.ink_left + c];
                uint8_t *p = &rgba[((size_t)(y0 + y) * width + x + c) * 4];
                p[0] = p[1] = p[2] = 255;
                p[3] = v;
            }
        x += g.ink_width + kGap;
        int right = g.advance - (g.left + g.ink_left + g.ink_width);
        int spacing = right + lead;
        if (g.runs == 1)
            snprintf(node, sizeof node, "\t\t<node id=\"%d\" spacing=\"%d\" tags=\"DISABLE_AUTOKERN\" />\n", g.code,
                     spacing);
        else
            snprintf(node, sizeof node, "\t\t<node id=\"%d\" span=\"%d\" spacing=\"%d\" tags=\"DISABLE_AUTOKERN\" />\n",
                     g.code, g.runs, spacing);
        nodes += node;
    }

    if (!WritePNG(png_path, width, height, rgba)) {
        fprintf(stderr, "fontstrip: cannot write %s\n", png_path.c_str());
        return 1;
    }
    FILE *fp = fopen(xml_path.c_str(), "wb");
    if (!fp) {
        fprintf(stderr, "fontstrip: cannot write %s\n", xml_path.c_str());
        return 1;
    }
    // The generator's line height is its tallest glyph plus the padding: the padding
    // makes it the font's own line distance at this size.
    fprintf(fp,
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
            "<!-- Made by orvex-fontstrip from %s at %d px. -->\n"
            "<root>\n"
            "\t<array id=\"settings\">\n"
            "\t\t<node id=\"INPUT\" bitmap=\"%s\" />\n"
            "\t\t<node id=\"SPACING\" value=\"0\" />\n"
            "\t\t<node id=\"LINE_PADDING_OFFSET\" value=\"%d\" />\n"
            "\t</array>\n"
            "\t<array id=\"glyphs\">\n%s\t</array>\n"
            "</root>\n",
            BaseName(ttf).c_str(), size, BaseName(png_path).c_str(), line - tallest, nodes.c_str());
    if (fclose(fp) != 0) {
        fprintf(stderr, "fontstrip: cannot write %s\n", xml_path.c_str());
        return 1;
    }
    return 0;
}
