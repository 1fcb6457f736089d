// The font pool: 32 named, reference-counted font records, finding or creating them,
// the loading chain (".mft" file, else generation from the source and a saved file),
// the data-manifest size adjustment, release and hibernation, and freeing at exit.
// Glyph textures (atlas or one texture per glyph) live in font-atlas.cpp.
#include "gfx/font.h"

#include "core/data/dataman.h"
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/rendimp.h"

#include <stdlib.h>
#include <string.h>

namespace {

ov_font_t s_fonts[OV_MAX_FONTS];
int s_count = 0;

void Lock()
{
    OVI_LockCoreMutex(OV_MUTEX_GET_FONT);
}

void Unlock()
{
    OVI_UnlockCoreMutex(OV_MUTEX_GET_FONT);
}

// Caller holds GET_FONT.
ov_font_t *Find(const char *name)
{
    for (int i = 0; i < s_count; i++)
        if (s_fonts[i].name && strcmp(s_fonts[i].name, name) == 0)
            return &s_fonts[i];
    return nullptr;
}

// Finds the font, waiting while another thread is still loading it (returns with
// GET_FONT held).
ov_font_t *FindLoaded(const char *name)
{
    for (;;) {
        Lock();
        ov_font_t *f = Find(name);
        if (!f || !f->loading)
            return f;
        Unlock();
        OVT_Sleep(1);
    }
}

// Finds or creates; the shared part of OV_GetFont and OV_LoadFont.
ov_font_t *GetOrCreate(const char *name, bool get)
{
    if (!name)
        name = "";
    ov_font_t *f = FindLoaded(name);
    if (f) {
        bool add = name[0] != '!' && (!get || !(f->flags & OV_FONT_FROM_GETFONT));
        if (add) {
            f->refs++;
            if (ov_print_reference_count_changes)
                OV_Printf(get ? "'%s' ref count++ (GetFont): now %d" : "'%s' ref count++: now %d", f->name, f->refs);
        }
        Unlock();
        return f;
    }
    for (int i = 0; i < OV_MAX_FONTS && !f; i++)
        if (!s_fonts[i].name)
            f = &s_fonts[i];
    if (!f) {
        Unlock();
        OV_Popupf(OV_WARNING, " ! Orvex out of free fonts.\n");
        return nullptr;
    }
    int index = (int)(f - s_fonts);
    if (index >= s_count)
        s_count = index + 1;
    memset(f, 0, sizeof *f);
    f->name = strdup(name);
    f->refs = 1;
    f->scale = 1.0f;
    f->loading = 1;
    if (get)
        f->flags |= OV_FONT_FROM_GETFONT;
    if (ov_print_reference_count_changes)
        OV_Printf(get ? "'%s' ref count = 1 (GetFont)" : "'%s' ref count = 1", f->name);
    Unlock();

    OV_Printf(get ? "..caching font '%s'\n" : "..caching font '%s' ", f->name);
    f->cache_mode = ov_state.default_cache_mode;
    f->glyph_count = 256;
    f->glyphs = (ov_glyph_t *)calloc(256, sizeof(ov_glyph_t));
    if (!OVI_LoadFont(f, f->name))
        OV_Popupf(OV_WARNING, "Unable to load font '%s'.", f->name);
    if (get)
        OVI_RecreateFontAtlas(f);
    else if (ov && ov->OV_RefreshFont)
        ov->OV_RefreshFont(f);
    Lock();
    f->loading = 0;
    Unlock();
    return f;
}

// The manifest size adjustment and the size line: the end of a successful load.
int Finish(ov_font_t *f, int result)
{
    OVI_UpdateFontAccordingToDataManifest(f);
    OV_Printf("(%dpx)\n", f->height);
    return result;
}

}  // namespace

// Finds or creates a font; adds a reference once for all OV_GetFont callers.
ov_font_t *OV_GetFont(const char *name)
{
    return GetOrCreate(name, true);
}

// Finds or creates a font; every call adds a reference.
ov_font_t *OV_LoadFont(const char *name)
{
    return GetOrCreate(name, false);
}

int OVI_LoadFont(ov_font_t *f, const char *name)
{
    if (!f || !name)
        return 0;
    for (int pass = 0; pass < 2; pass++) {
        if (strstr(name, "!NONE"))
            return Finish(f, 1);
        if (strstr(name, ".mft") && OVI_LoadFontMFT(f))
            return Finish(f, 1);
        if (pass > 0)
            break;
        if (!OVI_GenerateFontFromSource(f, 1.0))
            break;
        // Saving is best effort: a font that cannot be written is still the generated one.
        const char *path = OVI_GetFileFullPath(name, false);
        bool saved = path && ov && ov->OV_SaveFont && ov->OV_SaveFont(f, path);
        if (!saved || !strstr(name, ".mft"))
            return Finish(f, 1);
    }
    OV_Printf("failed: bad or unfound file\n");
    return 0;
}

void OVI_UpdateFontAccordingToDataManifest(ov_font_t *f)
{
    f->scale = 1.0f;
    if (f->height <= 1)
        return;
    OV_DMNode *node = OVI_GetDataManifestNode(f->name);
    const char *value = node ? node->GetValue("h") : nullptr;
    if (!value)
        return;
    long h = strtol(value, nullptr, 10);
    if (h <= 1)
        return;
    f->scale = (float)h / (float)f->height;
    f->height = (int32_t)h;
    f->line_height = (int32_t)(f->scale * (float)f->line_height);
}

// Gives up a reference; at zero the font hibernates (reference counting) or is freed.
void OV_ReleaseFont(ov_font_t *f)
{
    if (!f) {
        OV_PrintDebugf(OV_WARNING, "Trying to release a null font.\n");
        return;
    }
    Lock();
    if (!ov_state.reference_counting) {
        Unlock();
        OVI_FONTS_ReleaseFont(f);
        return;
    }
    f->refs--;
    if (ov_print_reference_count_changes)
        OV_Printf("ReleaseFont '%s' ref count--: now %d", f->name, f->refs);
    if ((f->flags & OV_FONT_FROM_GETFONT) && f->refs == 0)
        OV_Popupf(OV_WARNING,
                  "Releasing font '%s' too many times: ref counting will get messed up. NOTE: font has been accessed "
                  "using GetFont which increses ref count by 1 once.",
                  f->name);
    if (f->refs < 0) {
        f->refs = 0;
        OV_Popupf(OV_WARNING, "Font '%s' reference count less than zero.\n", f->name);
    } else if (f->refs == 0) {
        OV_Printf("Hibernating Font '%s'..\n", f->name);
    }
    Unlock();
}

void OVI_FreeFontGlyphs(ov_font_t *f)
{
    if (!f->glyphs)
        return;
    for (int i = 0; i < f->glyph_count; i++) {
        ov_glyph_t &g = f->glyphs[i];
        free(g.kerning);
        g.kerning = nullptr;
        if (!g.borrowed)
            free(g.image.pixels);
        g.image.pixels = nullptr;
    }
    free(f->glyphs);
    f->glyphs = nullptr;
}

void OVI_FONTS_ReleaseFont(ov_font_t *f)
{
    if (!f) {
        OV_Popupf(OV_WARNING, "Trying to release null font in OVI_FONTS_ReleaseFont.");
        return;
    }
    OV_PrintDebugf(OV_INFO, "Releasing font '%s'...\n", f->name ? f->name : "");
    if (f->glyphs && ov_rendimp && OVI_RendererLive() && OVI_MayCallRenderer()) {
        OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
        for (int i = 0; i < f->glyph_count; i++) {
            ov_glyph_t &g = f->glyphs[i];
            // Glyphs packed into the atlas share its texture: it is freed with the atlas.
            if (!g.borrowed && !(f->atlas.hw.uploaded && g.image.hw.texture == f->atlas.hw.texture))
                ov_rendimp->FreeBitmap(&g.image.hw);
            memset(&g.image.hw, 0, sizeof g.image.hw);
        }
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
    }
    OVI_FreeFontGlyphs(f);
    // The atlas is the font's own record, not a pool bitmap: its texture goes through
    // the release path of the upload queue, its pixels and name are freed here.
    if (f->atlas.name)
        OVI_ReleaseBitmapHardwareData(&f->atlas);
    free(f->atlas.pixels);
    free(f->atlas.name);
    Lock();
    char *name = f->name;
    memset(f, 0, sizeof *f);
    free(name);
    while (s_count > 0 && !s_fonts[s_count - 1].name)
        s_count--;
    Unlock();
}

// Every font is freed (the engine is shutting down); with reference counting on, each
// one still held is reported as a warning first.
void OVI_ReleaseFontsAtExit(void)
{
    const bool counting = ov_prog && ov_prog->parms.reference_counting;
    for (int i = 0; i < s_count; i++) {
        ov_font_t *f = &s_fonts[i];
        if (!f->name)
            continue;
        if (counting && f->refs != 0 && f->name[0] != '!')
            OV_PrintDebugf(OV_WARNING, "Font '%s' Reference count %d at exit, releasing...\n", f->name, f->refs);
        OVI_FONTS_ReleaseFont(f);
    }
    s_count = 0;
}

ov_font_t *OVI_GetFontRecord(int i)
{
    return (i >= 0 && i < OV_MAX_FONTS) ? &s_fonts[i] : nullptr;
}

int OVI_GetFontCount(void)
{
    return s_count;
}
