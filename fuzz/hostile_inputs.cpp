// Feeds hand-made hostile variants of the seed files (truncated, wrong magic, oversized
// sizes and counts, unterminated text, invalid UTF-8) to the image, RLE, ".bms", ".mft"
// and font-source loaders with the log printed to standard error, and prints each
// case's result: the table of hostile inputs and the messages they produce.
// Usage: hostile_inputs SEED_DIR (the make_fuzz_seeds output, absolute).
#include "core/console.h"
#include "core/data/dataman.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "fuzz/fuzz_env.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/rle.h"
#include "gfx/sequence.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string s_seeds;

std::string Seed(const char *target, int n)
{
    std::ifstream f(s_seeds + "/" + target + "/seed-" + std::to_string(n), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void Begin(const char *what)
{
    fuzzenv::BeginInput();
    ov_con.initialised = false;  // every message to standard error
    fflush(stdout);
    fprintf(stderr, "@@ %s\n", what);
}

void End(const char *result)
{
    fprintf(stderr, "@@ -> %s\n", result);
}

void Put32(std::string &s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        s[at + i] = (char)((v >> (8 * i)) & 0xff);
}

uint32_t Crc(const std::string &s, size_t at, size_t n)
{
    uint32_t c = 0xffffffffu;
    for (size_t i = at; i < at + n; i++) {
        c ^= (uint8_t)s[i];
        for (int k = 0; k < 8; k++)
            c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1)));
    }
    return ~c;
}

void Image(const char *what, int kind, const std::string &bytes)
{
    Begin(what);
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    long n = (long)bytes.size();
    bool ok = kind == 0 ? OVI_LoadBitmapMemPNG(&b, bytes.data(), n)
              : kind == 1 ? OVI_LoadBitmapMemJPG(&b, bytes.data(), n)
                          : OVI_LoadBitmapMemTGA(&b, bytes.data(), n);
    char r[64];
    snprintf(r, sizeof r, ok ? "loaded %dx%d" : "refused", b.width, b.height);
    End(r);
    free(b.pixels);
}

void Rle(const char *what, const std::string &bytes)
{
    Begin(what);
    fuzzenv::WriteResFile("h.rle", (const uint8_t *)bytes.data(), bytes.size());
    ov_file_t *f = OV_OpenFile("res://h.rle", "rb");
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    bool ok = f && OVI_ReadRLEBitmap(&b, f);
    if (f)
        OV_CloseFile(f);
    End(ok ? "loaded" : "refused");
    free(b.pixels);
}

void Bms(const char *what, const std::string &bytes)
{
    Begin(what);
    fuzzenv::WriteResFile("h.bms", (const uint8_t *)bytes.data(), bytes.size());
    ov_bitmap_t seq;
    OVI_InitBitmap(&seq, "res://h.bms");
    int ok = OVI_LoadBitmapSequence(&seq, "res://h.bms");
    End(ok ? "loaded" : "refused");
    OVI_FreeSequenceFrames(&seq);
    free(seq.name);
}

void Mft(const char *what, const std::string &bytes, const char *text = nullptr)
{
    Begin(what);
    fuzzenv::WriteResFile("h.mft", (const uint8_t *)bytes.data(), bytes.size());
    ov_font_t f;
    memset(&f, 0, sizeof f);
    f.name = strdup("res://h.mft");
    f.scale = 1.0f;
    int ok = OVI_LoadFontMFT(&f);
    char r[96];
    snprintf(r, sizeof r, ok ? "loaded, %d glyphs" : "refused", f.glyph_count);
    if (ok && text) {
        OVI_GetTextSize(&f, text);
        snprintf(r, sizeof r, "loaded; text measured %g x %g", (double)OVI_GetMeasuredTextWidth(),
                 (double)OVI_GetMeasuredTextHeight());
    }
    End(r);
    OVI_FreeFontGlyphs(&f);
    free(f.name);
}

void Source(const char *what, const std::string &bytes)
{
    Begin(what);
    size_t nul = bytes.find('\0');
    std::string xml = bytes.substr(0, nul), strip = nul == std::string::npos ? "" : bytes.substr(nul + 1);
    fuzzenv::WriteResFile("h.xml", (const uint8_t *)xml.data(), xml.size());
    fuzzenv::WriteResFile("strip.png", (const uint8_t *)strip.data(), strip.size());
    fuzzenv::WriteResFile("strip.tga", (const uint8_t *)strip.data(), strip.size());
    ov_font_t f;
    memset(&f, 0, sizeof f);
    f.name = strdup("res://h");
    f.scale = 1.0f;
    int ok = OVI_GenerateFontFromSource(&f, 1.0);
    End(ok ? "generated" : "refused");
    ov_dman.ReleaseDatabase("res://h.xml");
    OVI_FreeFontGlyphs(&f);
    free(f.name);
}

std::string Replace(std::string s, const std::string &from, const std::string &to)
{
    size_t at = s.find(from);
    if (at != std::string::npos)
        s.replace(at, from.size(), to);
    return s;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: hostile_inputs SEED_DIR\n");
        return 2;
    }
    s_seeds = argv[1];
    fuzzenv::Start();
    ov_state.verbose_level = 0;

    std::string png = Seed("fuzz_png", 3), jpg = Seed("fuzz_jpg", 3), tga = Seed("fuzz_tga", 3);
    Image("PNG: empty", 0, "");
    Image("PNG: truncated to half", 0, png.substr(0, png.size() / 2));
    Image("PNG: wrong magic", 0, "XPNG" + png.substr(4));
    std::string big = png;  // IHDR width 100000 (chunk CRC recomputed)
    big[16] = 0, big[17] = 1, big[18] = (char)0x86, big[19] = (char)0xa0;
    uint32_t c = Crc(big, 12, 17);
    for (int i = 0; i < 4; i++)
        big[29 + i] = (char)((c >> (24 - 8 * i)) & 0xff);
    Image("PNG: width 100000", 0, big);
    Image("JPEG: truncated to half", 1, jpg.substr(0, jpg.size() / 2));
    Image("JPEG: wrong magic", 1, "\x00\x00" + jpg.substr(2));
    std::string bigj = jpg;
    size_t sof = bigj.find("\xff\xc0");
    if (sof != std::string::npos)
        bigj[sof + 5] = (char)0xff, bigj[sof + 6] = (char)0xf0, bigj[sof + 7] = (char)0xff, bigj[sof + 8] = (char)0xf0;
    Image("JPEG: 65520 x 65520 frame", 1, bigj);
    Image("TGA: truncated to 10 bytes", 2, tga.substr(0, 10));
    Image("TGA: truncated pixel data", 2, tga.substr(0, tga.size() / 2));
    std::string bigt = tga;
    bigt[12] = (char)0xff, bigt[13] = (char)0xff;
    Image("TGA: width 65535", 2, bigt);
    std::string kindt = tga;
    kindt[2] = 99;
    Image("TGA: image type 99", 2, kindt);

    std::string rle = Seed("fuzz_rle", 3);
    Rle("RLE: 4 bytes", rle.substr(0, 4));
    std::string r = rle;
    Put32(r, 0, 70000), Put32(r, 4, 70000);
    Rle("RLE: 70000 x 70000", r);
    r = rle;
    Put32(r, 0, (uint32_t)-1);
    Rle("RLE: width -1", r);
    Rle("RLE: runs cut short", rle.substr(0, rle.size() / 2));

    std::string bms = Seed("fuzz_bms", 2);
    Bms("BMS: wrong magic", "OV_Bm_Seq_v2" + bms.substr(12));
    std::string b = bms;
    Put32(b, 13, 0x7fffffff);
    Bms("BMS: frame count 2^31-1", b);
    b = bms;
    Put32(b, 13, (uint32_t)-3);
    Bms("BMS: frame count -3", b);
    Bms("BMS: unknown chunk", Replace(bms, "ATLAS", "FRAME"));
    Bms("BMS: atlas kind GIF", Replace(bms, std::string("PNG\0", 4), std::string("GIF\0", 4)));
    Bms("BMS: truncated atlas", bms.substr(0, bms.size() - 40));
    std::string brle = Seed("fuzz_bms", 3);  // the RLE-atlas variant
    size_t at = brle.find(std::string("RLE\0", 4));
    if (at != std::string::npos) {
        Put32(brle, at + 4, 9000);
        Bms("BMS: RLE atlas 9000 wide", brle);
    }

    std::string latin = Seed("fuzz_mft", 0), utf = Seed("fuzz_mft", 1);
    Mft("MFT: wrong magic", "TSK_Font_v7" + latin.substr(11));
    Mft("MFT: truncated to half", latin.substr(0, latin.size() / 2));
    Mft("MFT: encoding text unterminated", std::string("TSK_Font_v6\0UTF-8", 17));
    std::string m = utf;
    size_t head = 12 + 6;  // magic, "UTF-8\0"
    Put32(m, head + 12, 70000);
    Mft("MFT: glyph count 70000", m);
    Put32(m, head + 12, (uint32_t)-5);
    Mft("MFT: glyph count -5", m);
    m = utf;  // the first glyph's image: width and height fields after code, offsets, advance, flag
    size_t g0 = head + 16 + 4 + 6 + 1;
    if ((uint8_t)m[g0 - 1] == 1)
        g0 += 40;
    m[g0] = (char)0x88, m[g0 + 1] = 0x13, m[g0 + 2] = 2, m[g0 + 3] = 0;  // 5000 x 2
    Mft("MFT: glyph 5000 x 2", m);
    Mft("MFT: encoding text of invalid UTF-8", Replace(utf, "UTF-8", "\xff\xfe\xc3("));
    Mft("MFT: UTF-8 font measuring invalid UTF-8 text", utf, "ab\xff\xc3(\xe2\x82 \xf0\x9f\x98 \x80\x80z");

    std::string src = Seed("fuzz_font_source", 0);
    size_t nul = src.find('\0');
    std::string xml = src.substr(0, nul), strip = src.substr(nul + 1);
    Source("Font source: empty settings file", "");
    Source("Font source: settings array missing", Replace(xml, "\"settings\"", "\"other\"") + '\0' + strip);
    Source("Font source: strip missing", xml);
    Source("Font source: strip truncated", xml + '\0' + strip.substr(0, strip.size() / 3));
    Source("Font source: glyph id 300", Replace(xml, "id=\"65\"", "id=\"300\"") + '\0' + strip);
    Source("Font source: glyph array missing", Replace(xml, "\"glyphs\"", "\"x\"") + '\0' + strip);
    Source("Font source: output scale 50", Replace(xml, "<node id=\"SPACING\"", "<node id=\"OUTPUT\" scale=\"50\" /><node id=\"SPACING\"") + '\0' + strip);
    Source("Font source: span 100000", Replace(xml, "span=\"2\"", "span=\"100000\"") + '\0' + strip);
    Source("Font source: unterminated XML", xml.substr(0, xml.size() / 2) + '\0' + strip);
    std::string deep;
    for (int i = 0; i < 5000; i++)
        deep += "<a>";
    Source("Font source: 5000 nested elements", deep);
    return 0;
}
