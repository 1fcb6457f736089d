// Building a font from its source description (the font's name + ".xml", a data-
// manifest database): settings, the choice of the glyph strip for the scale, loading
// and cleaning the strip, then metrics, kerning and the DISABLE_AUTOKERN tags. The
// TrueType kind of source is described but not built on this platform.
#include "gfx/font.h"

#include "core/data/dataman.h"
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/image.h"
#include "gfx/pixels.h"
#include "gfx/resize.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char *kNoDatabase = "Database not found or doesn't contain any arrays.";
const char *kBadSettings = "Array 'settings' is missing or has bad parms - see specifications.";
const char *kBadGlyphs = "Array 'glyphs' is missing or has bad parms - see specifications.";

float NodeFloat(OV_DMArray *a, const char *id, const char *key, float fallback)
{
    const char *v = a->GetNodeValue(id, key);
    return v ? (float)atof(v) : fallback;
}

std::string DirectoryOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The name as written when it opens, else relative to the source file's directory.
std::string Locate(const char *name, const std::string &source)
{
    if (OV_FileExists(name))
        return name;
    std::string dir = DirectoryOf(source);
    return dir.empty() ? std::string(name) : dir + "/" + name;
}

bool HasWord(const char *list, const char *word)
{
    size_t n = strlen(word);
    auto sep = [](char c) { return c == ' ' || c == ',' || c == ';' || c == '\t'; };
    for (const char *p = strstr(list, word); p; p = strstr(p + 1, word)) {
        bool start = p == list || sep(p[-1]);
        bool end = p[n] == 0 || sep(p[n]);
        if (start && end)
            return true;
    }
    return false;
}

// The strip through the image loader (the bitmap file loader when there is none).
bool LoadStrip(ov_bitmap_t *strip)
{
    if (ov_image_loader)
        return ov_image_loader->LoadImagePixels(strip, strip->name);
    return OVI_LoadBitmap(strip);
}

int Fail(const std::string &source, const char *reason)
{
    OV_Popupf(OV_WARNING, "Failed to generate font from source '%s': %s\n", source.c_str(), reason);
    return 0;
}

// The TrueType kind: inputs are resolved and reported, the building steps are not available.
int FromTrueType(ov_font_t *f, OV_DMDatabase *db, OV_DMArray *settings, const std::string &source)
{
    const char *ttf = settings->GetNodeValue("INPUT", "ttf");
    std::string ttf_path = Locate(ttf, source);
    if (!OV_FileExists(ttf_path.c_str()))
        OV_Popupf(OV_WARNING, "Unable to find font source file %s\n", ttf_path.c_str());
    const char *strings = settings->GetNodeValue("INPUT", "strings");
    if (!strings) {
        OVI_FreeFontGlyphs(f);
        f->glyph_count = 256;
        f->glyphs = (ov_glyph_t *)calloc(256, sizeof(ov_glyph_t));
        for (int i = 0; i < 256; i++)
            f->glyphs[i].code = i;
    } else {
        std::string s = strings;
        if (strncmp(strings, "../", 3) == 0) {
            const char *full = OVI_GetFileFullPath(source.c_str(), true);
            if (!full)
                OV_Popupf(OV_WARNING, "Unable to locate file '%s' in file system.", source.c_str());
            else
                s = OVI_CollapseFileNameRelativePaths((DirectoryOf(full) + "/" + strings).c_str()).Get();
        }
        if (!OV_FileExists(s.c_str()))
            s = DirectoryOf(ttf_path) + "/" + strings;
        if (!OV_FileExists(s.c_str()))
            OV_Popupf(OV_ERROR, "Unable to find font language strings xml source file %s\n", s.c_str());
        db->GetArray("additional_utf_characters");
        OVI_CreateFontGlyphsArrayFromStrings();
    }
    settings->GetNodeValue("INPUT", "size_px");
    settings->GetNodeValue("INPUT", "style");
    char *native = OV_ConvertStaticPathToNativeOSPath(ttf_path.c_str());
    nStringFree(native);
    OVI_CreateFontGlyphBitmapsFromTTF();
    return 0;
}

}  // namespace

int OVI_GenerateFontFromSource(ov_font_t *f, double scale)
{
    if (!f || !f->name)
        return 0;
    std::string source = std::string(f->name) + ".xml";
    if (source.size() > 259)
        source.resize(259);
    OV_Printf("Attempting to generate font from source '%s'\n", source.c_str());
    OV_DMDatabase *db = ov_dman.GetDatabase(source.c_str());
    if (!db || db->GetNumberOfArrays() == 0)
        return Fail(source, kNoDatabase);
    OV_DMArray *settings = db->GetArray("settings");
    if (!settings)
        return Fail(source, kBadSettings);
    bool ttf = settings->GetNodeValue("INPUT", "ttf") != nullptr;
    bool bitmap = !ttf && settings->GetNodeValue("INPUT", "bitmap") != nullptr;

    int spacing = (int)NodeFloat(settings, "SPACING", "value", 0);
    float threshold = NodeFloat(settings, "AUTO_KERN_THRESHOLD", "value", 0.75f);
    int padding = (int)NodeFloat(settings, "LINE_PADDING_OFFSET", "value", 0);
    const double caller_scale = scale;
    if (const char *out = settings->GetNodeValue("OUTPUT", "scale")) {
        double output = atof(out);
        if (const char *bar = strchr(out, '/')) {
            double den = atof(bar + 1);
            output = den != 0 ? output / den : 0;
        }
        scale = output * scale;
        if (scale < 0.001 || scale > 10) {
            OV_Popupf(OV_WARNING, "OVI_GenerateFontFromSource: scale factor %g for font %s is invalid. Use values > 0 and < 10.\n",
                      scale, f->name);
            scale = 1.0;
        }
        spacing = (int)(spacing * scale + 0.3);
    }

    if (ttf)
        return FromTrueType(f, db, settings, source) ? 1 : Fail(source, kBadSettings);

    if (bitmap) {
        // "INPUT" or the "INPUT@<factor>x" strip nearest the scale; a factor may be a
        // fraction ("INPUT@1/2x" is drawn at half size).
        const char *input = OVIF_SelectBestInputBitmapForScaling(settings, (float)scale);
        const char *written = input ? settings->GetNodeValue(input, "bitmap") : nullptr;
        if (!written)
            return Fail(source, kBadSettings);
        scale = scale / OVIF_GetInputBitmapScaleFactor(input);
        if (fabs(scale - 1.0) <= 0.01)
            scale = 1.0;
        OV_Printf("Adjusted scale with %s is %g.\n", input, scale);
        std::string file = Locate(written, source);
        ov_bitmap_t strip;
        OVI_InitBitmap(&strip, file.c_str());
        if (!LoadStrip(&strip) || !strip.pixels) {
            free(strip.pixels);
            free(strip.name);
            OV_Popupf(OV_WARNING, "Unable to open image file '%s'. Make sure the file '%s' exist.\n", written, file.c_str());
            return Fail(source, kBadSettings);
        }
        OVI_ForceLowAlphaToZero(&strip, 4);
        OVI_FixAlphaBleeding(&strip);
        bool ok = true;
        if (fabs(scale - 1.0) >= 0.000001) {
            ov_bitmap_t resized;
            memset(&resized, 0, sizeof resized);
            int w = (int)(strip.width * scale), h = (int)(strip.height * scale);
            ok = OVI_CreateImageResized(&resized, &strip, w, h);
            if (ok) {
                free(strip.pixels);
                strip.pixels = resized.pixels;
                strip.width = strip.src_width = w;
                strip.height = strip.src_height = h;
            }
        }
        OVI_FreeFontGlyphs(f);
        f->glyph_count = 256;
        f->glyphs = (ov_glyph_t *)calloc(256, sizeof(ov_glyph_t));
        for (int i = 0; i < 256; i++)
            f->glyphs[i].code = i;
        OV_DMArray *glyphs = db->GetArray("glyphs");
        ok = ok && glyphs && OVI_LoadGlyphsFromBitmap(f, &strip, glyphs, spacing, (float)caller_scale);
        free(strip.pixels);
        free(strip.name);
        if (!ok)
            return Fail(source, kBadGlyphs);
    }

    for (int i = 0; i < f->glyph_count; i++)
        if (f->glyphs[i].image.pixels)
            OVI_FixAlphaBleeding(&f->glyphs[i].image);
    if (f->encoding == OV_FONT_LATIN1) {
        for (int i = 0; i < f->glyph_count; i++) {
            free(f->glyphs[i].kerning);
            f->glyphs[i].kerning = (int8_t *)calloc((size_t)f->glyph_count, 1);
        }
        OVI_DetermineKernPairs(f, 0, threshold);
    } else {
        for (int i = 0; i < f->glyph_count; i++)
            f->glyphs[i].advance = (int16_t)(f->glyphs[i].advance + spacing);
    }
    for (int i = 0; i < f->glyph_count; i++)
        if (f->glyphs[i].image.height > f->height)
            f->height = f->glyphs[i].image.height;

    if (OV_DMArray *glyphs = db->GetArray("glyphs")) {
        for (int n = 0; n < glyphs->GetSize(); n++) {
            OV_DMNode *node = glyphs->GetNode(n);
            const char *tags = node->GetValue("tags");
            const char *id = node->GetValue("id");
            if (!tags || !id || !HasWord(tags, "DISABLE_AUTOKERN"))
                continue;
            int c = atoi(id);
            if (c < 0 || c >= f->glyph_count)
                continue;
            for (int i = 0; i < f->glyph_count; i++) {
                if (f->glyphs[c].kerning)
                    f->glyphs[c].kerning[i] = 0;
                if (f->glyphs[i].kerning)
                    f->glyphs[i].kerning[c] = 0;
            }
        }
    }
    f->line_height = f->height + padding;
    f->top_offset = f->height - 2;
    return 1;
}

int OVI_CreateFontGlyphBitmapsFromTTF(void)
{
    OV_Popupf(OV_WARNING, "OVI_CreateFontGlyphBitmapsFromTTF not available.\n");
    return 0;
}

int OVI_CreateFontGlyphsArrayFromStrings(void)
{
    OV_Popupf(OV_WARNING, "OVI_CreateFontGlyphsArrayFromStrings not available.\n");
    return 0;
}

int OVI_CreateFontSourceBitmapFromTTF(void)
{
    OV_Popupf(OV_WARNING, "OVI_CreateFontSourceBitmapFromTTF not available.\n");
    return 0;
}

int OVI_LoadFontXML(ov_font_t *)
{
    return 0;
}
