// Fuzzes font generation from a source: the input's bytes up to the first NUL are the
// settings database (res://fz.xml), the bytes after it the glyph strip, written as both
// res://strip.png and res://strip.tga (the seeds name one of them). A generated font
// has 256 glyphs whose images are readable; the database is forgotten after each input.
#include "core/data/dataman.h"
#include "core/ov_state.h"
#include "fuzz/fuzz_env.h"
#include "gfx/font.h"

#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    const uint8_t *nul = (const uint8_t *)memchr(data, 0, size);
    size_t xml = nul ? (size_t)(nul - data) : size;
    const uint8_t *strip = nul ? nul + 1 : data + size;
    size_t strip_size = nul ? size - xml - 1 : 0;
    if (!fuzzenv::WriteResFile("fz.xml", data, xml) || !fuzzenv::WriteResFile("strip.png", strip, strip_size) ||
        !fuzzenv::WriteResFile("strip.tga", strip, strip_size))
        return 0;
    ov_font_t f;
    memset(&f, 0, sizeof f);
    f.name = strdup("res://fz");
    f.scale = 1.0f;
    f.encoding = (xml & 1) ? OV_FONT_UTF8 : OV_FONT_LATIN1;
    if (OVI_GenerateFontFromSource(&f, 1.0)) {
        if (f.glyph_count > 0 && !f.glyphs)
            __builtin_trap();
        for (int i = 0; i < f.glyph_count; i++) {
            ov_glyph_t &g = f.glyphs[i];
            if (g.image.pixels) {
                if (g.image.width < 1 || g.image.height < 1)
                    __builtin_trap();
                volatile uint8_t last = g.image.pixels[(size_t)g.image.width * (size_t)g.image.height * 4 - 1];
                (void)last;
            }
        }
    }
    ov_dman.ReleaseDatabase("res://fz.xml");
    OVI_FreeFontGlyphs(&f);
    free(f.name);
    return 0;
}
