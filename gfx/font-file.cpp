// The ".mft" font file: reading versions 1 to 6 into a font record and writing
// version 6. Every number is little-endian (converted on a big-endian host); pixels
// are stored R, G, B, A in versions 5 and 6 and with red and blue exchanged in 1 to 4.
// A file that ends early fails the load; glyph counts and sides are capped first.
#include "gfx/font.h"

#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct Reader {
    ov_file_t *file;
    bool ok = true;

    void Bytes(void *dst, unsigned n)
    {
        if (ok && n && ov->OV_fread(dst, 1, n, file) != n)
            ok = false;
    }
    int32_t I32()
    {
        uint32_t v = 0;
        Bytes(&v, 4);
        if (ov_state.byte_order == 4321)
            v = __builtin_bswap32(v);
        return (int32_t)v;
    }
    uint16_t U16()
    {
        uint16_t v = 0;
        Bytes(&v, 2);
        if (ov_state.byte_order == 4321)
            v = __builtin_bswap16(v);
        return v;
    }
    int16_t I16() { return (int16_t)U16(); }
    // The NUL-terminated encoding text (at most 511 characters kept).
    void Text(char *out, int size)
    {
        int n = 0;
        for (;;) {
            int c = ov->OV_fgetc(file);
            if (c == EOF) {
                ok = false;
                break;
            }
            if (c == 0)
                break;
            if (n < size - 1)
                out[n++] = (char)c;
        }
        out[n] = 0;
    }
};

// Font metrics a sane file holds: heights and advances from 0, offsets either way, none
// beyond the largest glyph side (larger values overflow text layout and measuring).
bool MetricsSane(const ov_font_t *f)
{
    return f->height >= 0 && f->height <= OV_MAX_GLYPH_SIDE && f->line_height >= 0 &&
           f->line_height <= OV_MAX_GLYPH_SIDE && f->top_offset >= -OV_MAX_GLYPH_SIDE &&
           f->top_offset <= OV_MAX_GLYPH_SIDE;
}

bool GlyphSane(const ov_glyph_t &g)
{
    auto offset_ok = [](int v) { return v >= -OV_MAX_GLYPH_SIDE && v <= OV_MAX_GLYPH_SIDE; };
    return offset_ok(g.x_offset) && offset_ok(g.y_offset) && g.advance >= 0 && g.advance <= OV_MAX_GLYPH_SIDE;
}

// The header bytes as printable text: other bytes, quotes and backslashes escaped.
void EscapeHeader(const char *bytes, int n, char *out, size_t size)
{
    size_t k = 0;
    for (int i = 0; i < n && k + 5 <= size; i++) {
        unsigned char c = (unsigned char)bytes[i];
        if (c >= 0x20 && c < 0x7f && c != '\\' && c != '\'')
            out[k++] = (char)c;
        else
            k += (size_t)snprintf(out + k, size - k, "\\x%02x", c);
    }
    out[k] = 0;
}

void SwapRedBlue(uint8_t *p, long pixels)
{
    for (long i = 0; i < pixels; i++) {
        uint8_t t = p[i * 4];
        p[i * 4] = p[i * 4 + 2];
        p[i * 4 + 2] = t;
    }
}

// Reads a glyph image of w x h into the glyph (pixels only when both are at least 1).
bool ReadImage(Reader &r, ov_glyph_t &g, int w, int h, bool swap)
{
    if (!g.borrowed)
        free(g.image.pixels);
    g.borrowed = 0;
    g.image.pixels = nullptr;
    g.image.width = g.image.src_width = w;
    g.image.height = g.image.src_height = h;
    if (w < 1 || h < 1)
        return true;
    if (w > OV_MAX_GLYPH_SIDE || h > OV_MAX_GLYPH_SIDE) {
        r.ok = false;
        return false;
    }
    g.image.flags |= OV_BITMAP_ALPHA;
    g.image.pixels = (uint8_t *)malloc((size_t)w * h * 4);
    r.Bytes(g.image.pixels, (unsigned)(w * h * 4));
    if (swap)
        SwapRedBlue(g.image.pixels, (long)w * h);
    return r.ok;
}

// A kerning row of glyph_count bytes for the glyph (kept when it has one), zeroed.
int8_t *KerningRow(ov_font_t *f, ov_glyph_t &g)
{
    if (!g.kerning)
        g.kerning = (int8_t *)malloc((size_t)f->glyph_count);
    memset(g.kerning, 0, (size_t)f->glyph_count);
    return g.kerning;
}

void ReplaceGlyphArray(ov_font_t *f, int count)
{
    OVI_FreeFontGlyphs(f);
    f->glyph_count = count;
    f->glyphs = count > 0 ? (ov_glyph_t *)calloc((size_t)count, sizeof(ov_glyph_t)) : nullptr;
}

// Versions 1 to 5 after the magic: 256 records without a code field.
int ReadOldVersion(ov_font_t *f, Reader &r, int version)
{
    char encoding[512];
    r.Text(encoding, sizeof encoding);
    f->encoding = strcmp(encoding, "UTF-8") == 0 ? OV_FONT_UTF8 : OV_FONT_LATIN1;
    f->top_offset = r.I32();
    f->height = r.I32();
    f->line_height = r.I32();
    if (!r.ok || !MetricsSane(f))
        return 0;
    uint8_t skipped[256];
    r.Bytes(skipped, sizeof skipped);
    if (f->glyph_count != 256 || !f->glyphs)
        ReplaceGlyphArray(f, 256);
    bool swap = version == 5 ? ov_state.texture_format == 1 : ov_state.texture_format != 1;
    for (int i = 0; i < 256 && r.ok; i++) {
        ov_glyph_t &g = f->glyphs[i];
        g.code = i;
        g.y_offset = r.I16();
        g.x_offset = version >= 2 ? r.I16() : 0;
        g.advance = r.I16();
        int8_t *row = KerningRow(f, g);
        if (version >= 4)
            r.Bytes(row, 256);
        int w = r.U16(), h = r.U16();
        if (version >= 3)
            g.advance = r.I16();
        else
            g.advance = (int16_t)(w + 1);
        if (!GlyphSane(g))
            return 0;
        ReadImage(r, g, w, h, swap);
    }
    return r.ok ? 1 : 0;
}

int ReadVersion6(ov_font_t *f, Reader &r)
{
    char encoding[512];
    r.Text(encoding, sizeof encoding);
    f->encoding = strcmp(encoding, "UTF-8") == 0 ? OV_FONT_UTF8 : OV_FONT_LATIN1;
    f->top_offset = r.I32();
    f->height = r.I32();
    f->line_height = r.I32();
    int count = r.I32();
    if (r.ok && !MetricsSane(f)) {
        OV_PrintDebugf(OV_WARNING, "Font file '%s' has bad metrics (height %d, line height %d, top offset %d).\n",
                       f->name, f->height, f->line_height, f->top_offset);
        return 0;
    }
    // A negative count is as damaged as one over the cap (it used to load as an empty font).
    if (!r.ok || count < 0 || count > OV_MAX_FONT_GLYPHS) {
        if (r.ok)
            OV_PrintDebugf(OV_WARNING, "Font file '%s' has a bad glyph count %d.\n", f->name, count);
        return 0;
    }
    if (count != 256 || f->glyph_count != 256 || !f->glyphs)
        ReplaceGlyphArray(f, count < 0 ? 0 : count);
    f->glyph_count = count < 0 ? 0 : count;
    bool swap = ov_state.texture_format == 1;
    for (int i = 0; i < count && r.ok; i++) {
        ov_glyph_t &g = f->glyphs[i];
        g.code = r.I32();
        g.y_offset = r.I16();
        g.x_offset = r.I16();
        g.advance = r.I16();
        if (r.ok && !GlyphSane(g))
            return 0;
        uint8_t flag = 0;
        r.Bytes(&flag, 1);
        int8_t *row = KerningRow(f, g);
        if (flag == 1)
            r.Bytes(row, (unsigned)count);
        int w = r.U16(), h = r.U16();
        ReadImage(r, g, w, h, swap);
    }
    return r.ok ? 1 : 0;
}

}  // namespace

int OVI_LoadFontMFT(ov_font_t *f)
{
    if (!f || !f->name)
        return 0;
    ov_file_t *file = ov->OV_OpenFile(f->name, "rb");
    if (!file) {
        OV_Printf("(not found)");
        return 0;
    }
    Reader r{file};
    char magic[12] = {0};
    r.Bytes(magic, 11);
    int version = 0;
    for (int v = 1; v <= 6 && r.ok; v++) {
        char expect[24];
        snprintf(expect, sizeof expect, "TSK_Font_v%d", v);
        if (memcmp(magic, expect, 11) == 0)
            version = v;
    }
    if (!version) {
        ov->OV_CloseFile(file);
        char shown[11 * 4 + 1];
        EscapeHeader(magic, 11, shown, sizeof shown);
        OV_Popupf(OV_WARNING, "Font '%s' has unknown or bad header ('%s')\n", f->name, shown);
        return 0;
    }
    uint8_t zero;
    r.Bytes(&zero, 1);
    int result = version < 6 ? ReadOldVersion(f, r, version) : ReadVersion6(f, r);
    ov->OV_CloseFile(file);
    if (!result) {
        OV_PrintDebugf(OV_WARNING, "Font file '%s' is truncated or damaged.\n", f->name);
        // Nothing of a refused file is measured or drawn.
        f->height = f->line_height = f->top_offset = 0;
    }
    return result;
}

int OVI_SaveFont(ov_font_t *f, const char *path)
{
    if (!f || !path)
        return 0;
    OV_Printf("..saving font '%s'..", path);
    // Written beside the file and put in place whole, so a failure leaves the old file.
    ov_file_t *file = OVFS_OpenTempSiblingFile(path);
    if (!file) {
        OV_Popupf(OV_WARNING, "Failed to save font '%s'\n", path);
        return 0;
    }
    OV_Printf("\n");
    bool ok = true;
    auto put = [&](const void *p, unsigned n) {
        if (n && ov->OV_fwrite(p, 1, n, file) != n)
            ok = false;
    };
    put("TSK_Font_v6", 12);
    const char *encoding = f->encoding == OV_FONT_UTF8 ? "UTF-8" : "LATIN-1";
    put(encoding, (unsigned)strlen(encoding) + 1);
    int32_t head[4] = {f->top_offset, f->height, f->line_height, f->glyph_count};
    put(head, sizeof head);
    bool swap = ov_state.texture_format == 1;
    for (int i = 0; i < f->glyph_count && f->glyphs; i++) {
        ov_glyph_t &g = f->glyphs[i];
        put(&g.code, 4);
        put(&g.y_offset, 2);
        put(&g.x_offset, 2);
        put(&g.advance, 2);
        uint8_t flag = g.kerning ? 1 : 0;
        put(&flag, 1);
        if (g.kerning)
            put(g.kerning, (unsigned)f->glyph_count);
        uint16_t wh[2] = {(uint16_t)g.image.width, (uint16_t)g.image.height};
        put(wh, 4);
        if (g.image.width >= 1 && g.image.height >= 1 && g.image.pixels) {
            long n = (long)g.image.width * g.image.height;
            if (swap)
                SwapRedBlue(g.image.pixels, n);
            put(g.image.pixels, (unsigned)(n * 4));
            if (swap)
                SwapRedBlue(g.image.pixels, n);
        }
    }
    if (!OVFS_FinishTempSiblingFile(file, path, ok)) {
        OV_Popupf(OV_WARNING, "Failed to save font '%s'\n", path);
        return 0;
    }
    return 1;
}

// Writes the font as a version 6 file.
int OV_SaveFont(ov_font_t *f, const char *path)
{
    return OVI_SaveFont(f, path);
}
