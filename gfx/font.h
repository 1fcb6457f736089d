// The font record and its glyphs, and the engine-internal calls of the font pool,
// the ".mft" file reader and writer, font generation from a glyph strip and the text
// layout that the drawing and measuring calls share.
#ifndef OV_FONT_H
#define OV_FONT_H

#include "orvex.h"
#include "ovrecords.h"
#include "gfx/bitmap.h"

#include <stdint.h>

class OV_DMArray;

enum {
    OV_MAX_FONTS = 32,
    OV_FONT_FROM_GETFONT = 1,      // flags bit 0: created by OV_GetFont
    OV_FONT_LATIN1 = 0,
    OV_FONT_UTF8 = 1,
    OV_MAX_TEXT_LINES = 1024,
    OV_MAX_ATLAS_GLYPHS = 2048,
    OV_MAX_FONT_GLYPHS = 65536,    // the reader refuses larger glyph counts
    OV_MAX_GLYPH_SIDE = 4096,      // and glyph images wider or higher than this
};

struct ov_glyph_t {
    int32_t code;
    int16_t x_offset;
    int16_t y_offset;
    int16_t advance;
    int8_t *kerning;       // glyph_count entries, or null
    ov_bitmap_t image;     // width, height, RGBA pixels; texture after the atlas is built
    uint8_t borrowed;      // a lower-case slot sharing its capital's image (owns nothing of it)
};

// ---- pool (font-pool.cpp)
ov_font_t *OV_GetFont(const char *name);
ov_font_t *OV_LoadFont(const char *name);
int OV_RefreshFont(ov_font_t *f);
void OV_ReleaseFont(ov_font_t *f);
// Fills a record from its ".mft" file or its source; 1 on success.
int OVI_LoadFont(ov_font_t *f, const char *name);
// Rebuilds the glyph textures (atlas or one texture per glyph); 0 for a font without height.
int OVI_RecreateFontAtlas(ov_font_t *f);
// Frees a record at once and makes its slot free again.
void OVI_FONTS_ReleaseFont(ov_font_t *f);
// Sets height, line height and scale from the font's data-manifest node "h".
void OVI_UpdateFontAccordingToDataManifest(ov_font_t *f);
// Resizes metrics and glyph images by a factor; 0 for a null font or a factor below 0.001.
int OVI_ScaleFont(ov_font_t *f, double factor);
// Pool record i (0..31) and the number of slots in use.
ov_font_t *OVI_GetFontRecord(int i);
int OVI_GetFontCount(void);
// Renderer hooks: textures of every font dropped (context going away) and rebuilt.
void OVI_FreeFontsHardwareData(void);
void OVI_RefreshAllFonts(void);
// Frees the glyph records (images, kerning rows) and the array of a font.
void OVI_FreeFontGlyphs(ov_font_t *f);

// ---- file (font-file.cpp)
int OVI_LoadFontMFT(ov_font_t *f);
int OVI_SaveFont(ov_font_t *f, const char *path);
int OV_SaveFont(ov_font_t *f, const char *path);

// ---- generation (font-generate.cpp, font-kerning.cpp)
int OVI_GenerateFontFromSource(ov_font_t *f, double scale);
int OVI_LoadGlyphsFromBitmap(ov_font_t *f, ov_bitmap_t *strip, OV_DMArray *glyphs, int spacing, float scale);
void OVI_DetermineKernPairs(ov_font_t *f, int kern_padding, float threshold);
int OVI_GetGlyphsKernOffset(ov_font_t *f, int first, int second, float threshold);
bool OVI_CanGlyphAutoKern(int code);
int OVI_CreateFontGlyphBitmapsFromTTF(void);
int OVI_CreateFontGlyphsArrayFromStrings(void);
int OVI_CreateFontSourceBitmapFromTTF(void);
int OVI_LoadFontXML(ov_font_t *f);

// ---- text layout (text-layout.cpp)
int OVI_ParseTextLines_LATIN1(ov_font_t *f, int wrap, char *text, char **lines, int16_t *widths, int max);
int OVI_ParseTextLines_UTF32(ov_font_t *f, int wrap, uint32_t *text, uint32_t **lines, int16_t *widths, int max);
int GetNextWordLen_LATIN1(ov_font_t *f, const char *text);
int GetNextWordLen_UTF32(ov_font_t *f, const uint32_t *text);
ov_bitmap_t *ParseImageBlock_LATIN1(const char *block, int *offset, float *angle, float *scale);
// Glyph index of a code point in a UTF-8 font (first match), -1 with the popup when missing.
int OVI_FindGlyphUTF32(ov_font_t *f, uint32_t code);
// Decodes UTF-8 into a new zero-terminated code point buffer (caller frees); null on failure.
uint32_t *OVI_DecodeUTF8(const char *text);
// Glyph index of a LATIN-1 byte, -1 when the font has no such glyph.
int OVI_GlyphIndexLATIN1(ov_font_t *f, unsigned char c);

// ---- measuring and drawing (text-draw.cpp, text-measure.cpp)
float OVI_DrawTextXY(ov_font_t *f, float x, float y, char *text);
float OVI_DrawTextXY_LATIN1(ov_font_t *f, float x, float y, char *text);
float OVI_DrawTextXY_UTF8(ov_font_t *f, float x, float y, char *text);
void OVI_GetTextSize(ov_font_t *f, const char *text);
void OVI_GetTextSize_LATIN1(ov_font_t *f, const char *text);
void OVI_GetTextSize_UTF8(ov_font_t *f, const char *text);
// The last measured size.
float OVI_GetMeasuredTextWidth(void);
float OVI_GetMeasuredTextHeight(void);
// Releases the fonts still held at exit.
void OVI_ReleaseFontsAtExit(void);

#endif
