// Fuzzes the ".mft" font reader through an engine file: a loaded font has a glyph
// count within the reader's cap, glyph images within the side cap with readable
// pixels, and kerning rows of glyph_count bytes. The loaded font then measures a text
// made of the input's first bytes (hostile UTF-8 or LATIN-1 as the font says).
#include "core/ov_state.h"
#include "fuzz/fuzz_env.h"
#include "gfx/font.h"

#include <stdlib.h>
#include <string.h>

namespace {

void CheckFont(ov_font_t &f)
{
    if (f.glyph_count < 0 || f.glyph_count > OV_MAX_FONT_GLYPHS || (f.glyph_count > 0 && !f.glyphs))
        __builtin_trap();
    for (int i = 0; i < f.glyph_count; i++) {
        ov_glyph_t &g = f.glyphs[i];
        if (g.kerning) {
            volatile int8_t k = g.kerning[f.glyph_count - 1];
            (void)k;
        }
        if (g.image.pixels) {
            if (g.image.width < 1 || g.image.height < 1 || g.image.width > OV_MAX_GLYPH_SIDE ||
                g.image.height > OV_MAX_GLYPH_SIDE)
                __builtin_trap();
            volatile uint8_t last = g.image.pixels[(size_t)g.image.width * (size_t)g.image.height * 4 - 1];
            (void)last;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    ov_state.texture_format = size > 0 ? data[size - 1] & 1 : 0;
    if (!fuzzenv::WriteResFile("fz.mft", data, size))
        return 0;
    ov_font_t f;
    memset(&f, 0, sizeof f);
    f.name = strdup("res://fz.mft");
    f.scale = 1.0f;
    if (OVI_LoadFontMFT(&f)) {
        CheckFont(f);
        // The input's last bytes as text, NUL-terminated.
        char text[80];
        size_t n = size > 12 ? size - 12 : 0;
        if (n > sizeof text - 1)
            n = sizeof text - 1;
        memcpy(text, data + (size - n), n);
        text[n] = 0;
        OVI_GetTextSize(&f, text);
        float w = OVI_GetMeasuredTextWidth(), h = OVI_GetMeasuredTextHeight();
        if (w != w || h != h)
            __builtin_trap();  // a measure is a number
    } else {
        CheckFont(f);  // what a failed read leaves is still a consistent record
    }
    ov_state.texture_format = 0;
    OVI_FreeFontGlyphs(&f);
    free(f.name);
    return 0;
}
