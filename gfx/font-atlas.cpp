// Glyph textures of a font: packing the glyph images into one atlas texture (or one
// texture per glyph when packing is off), lower-case glyphs borrowed
// from capitals, rescaling a font, and the renderer hooks that drop and rebuild the
// textures of every font.
#include "gfx/font.h"

#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/atlas.h"
#include "gfx/resize.h"
#include "gfx/rendimp.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool HasPixels(const ov_glyph_t &g)
{
    return g.image.pixels && g.image.width > 0 && g.image.height > 0;
}

// Frees what the previous atlas held (texture, pixels, name).
void ResetAtlas(ov_font_t *f)
{
    if (f->atlas.name && f->atlas.hw.uploaded)
        OVI_ReleaseBitmapHardwareData(&f->atlas);
    free(f->atlas.pixels);
    free(f->atlas.name);
    memset(&f->atlas, 0, sizeof f->atlas);
}

// The packed atlas is named after its font, so that its texture can be released.
void NameAtlas(ov_font_t *f)
{
    size_t n = strlen(f->name) + 8;
    free(f->atlas.name);
    f->atlas.name = (char *)malloc(n);
    snprintf(f->atlas.name, n, "atlas:%s", f->name);
    f->atlas.flags |= OV_BITMAP_ALPHA;
}

void UploadEach(ov_bitmap_t **list, int n)
{
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    for (int i = 0; i < n; i++) {
        list[i]->load_state = OV_BITMAP_LOADING;
        OVI_LoadBitmapToHardware(list[i]);
        list[i]->load_state = OV_BITMAP_LOADED;
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

// LATIN-1 fonts of 256 glyphs draw missing lower-case letters with their capitals.
void BorrowCapitals(ov_font_t *f)
{
    if (f->encoding != OV_FONT_LATIN1 || f->glyph_count != 256)
        return;
    for (int c = 'a'; c <= 'z'; c++) {
        ov_glyph_t &lower = f->glyphs[c];
        ov_glyph_t &upper = f->glyphs[c - 32];
        if ((!lower.borrowed && HasPixels(lower)) || !HasPixels(upper))
            continue;
        if (!lower.borrowed)
            free(lower.image.pixels);
        int8_t *row = lower.kerning ? lower.kerning : (int8_t *)calloc((size_t)f->glyph_count, 1);
        lower = upper;
        lower.kerning = row;
        lower.borrowed = 1;
        if (upper.kerning)
            memcpy(row, upper.kerning, (size_t)f->glyph_count);
        for (int i = 0; i < f->glyph_count; i++)
            if (f->glyphs[i].kerning)
                f->glyphs[i].kerning[c] = f->glyphs[i].kerning[c - 32];
    }
}

}  // namespace

// Rebuilds the glyph textures of a font.
int OV_RefreshFont(ov_font_t *f)
{
    return OVI_RecreateFontAtlas(f);
}

int OVI_RecreateFontAtlas(ov_font_t *f)
{
    if (!f || f->height < 1 || !f->glyphs)
        return 0;
    ov_bitmap_t **list = (ov_bitmap_t **)malloc(sizeof(ov_bitmap_t *) * OV_MAX_ATLAS_GLYPHS);
    int n = 0;
    for (int i = 0; i < f->glyph_count; i++) {
        ov_glyph_t &g = f->glyphs[i];
        if (g.borrowed || !HasPixels(g))
            continue;
        g.image.flags |= OV_BITMAP_ALPHA;
        list[n++] = &g.image;
        if (n == OV_MAX_ATLAS_GLYPHS) {
            OV_Popupf(OV_WARNING,
                      "OV_RefreshFont too many glyphs (%d) in font '%s' for bitmap buffer. Ignoring some of them.\n",
                      f->glyph_count, f->name);
            break;
        }
    }
    if (!ov_state.atlas_packing) {
        UploadEach(list, n);
    } else {
        ResetAtlas(f);
        if (n > 0 && OVI_PackBitmaps(&f->atlas, list, n)) {
            NameAtlas(f);
            OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
            f->atlas.load_state = OV_BITMAP_LOADING;
            OVI_LoadBitmapToHardware(&f->atlas);
            for (int i = 0; i < n; i++)
                OVI_ShareAtlasTexture(&list[i]->hw, f->atlas.hw);
            f->atlas.load_state = OV_BITMAP_LOADED;
            // Uploaded at once: the packed copy is not needed any more (the glyphs keep
            // their own images for the next rebuild). A queued upload frees it itself.
            if (f->atlas.hw.uploaded) {
                free(f->atlas.pixels);
                f->atlas.pixels = nullptr;
            }
            OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        }
    }
    free(list);
    BorrowCapitals(f);
    return 1;
}

int OVI_ScaleFont(ov_font_t *f, double factor)
{
    if (!f || factor < 0.001)
        return 0;
    f->height = (int32_t)(f->height * factor);
    for (int i = 0; i < f->glyph_count; i++) {
        ov_glyph_t &g = f->glyphs[i];
        g.x_offset = (int16_t)(int)(g.x_offset * factor);
        g.y_offset = (int16_t)(int)(g.y_offset * factor);
        g.advance = (int16_t)(int)(g.advance * factor);
        if (g.borrowed || g.image.width < 1 || !g.image.pixels)
            continue;
        ov_bitmap_t resized;
        memset(&resized, 0, sizeof resized);
        int w = (int)(g.image.width * factor), h = (int)(g.image.height * factor);
        if (!OVI_CreateImageResized(&resized, &g.image, w, h))
            continue;
        free(g.image.pixels);
        g.image.pixels = resized.pixels;
        g.image.width = g.image.src_width = w;
        g.image.height = g.image.src_height = h;
    }
    return 1;
}

// Textures die with the renderer's context: forget them (caller holds GFX_HW).
void OVI_FreeFontsHardwareData(void)
{
    for (int i = 0; i < OVI_GetFontCount(); i++) {
        ov_font_t *f = OVI_GetFontRecord(i);
        if (!f->name || !f->glyphs)
            continue;
        for (int k = 0; k < f->glyph_count; k++) {
            ov_glyph_t &g = f->glyphs[k];
            if (!g.borrowed && !(f->atlas.hw.uploaded && g.image.hw.texture == f->atlas.hw.texture))
                ov_rendimp->FreeBitmap(&g.image.hw);
            memset(&g.image.hw, 0, sizeof g.image.hw);
        }
        ov_rendimp->FreeBitmap(&f->atlas.hw);
        memset(&f->atlas.hw, 0, sizeof f->atlas.hw);
    }
}

// Every font builds its textures again on a new context.
void OVI_RefreshAllFonts(void)
{
    for (int i = 0; i < OVI_GetFontCount(); i++) {
        ov_font_t *f = OVI_GetFontRecord(i);
        if (f->name && !f->loading)
            OV_RefreshFont(f);
    }
}
