// The engine records the application reads directly: the bitmap, font, sound and
// file handle records behind the pointers the interface table hands out.
//
// The application reads these fields and, where a comment says so, writes them; every
// other change goes through the interface table. The engine's own headers add the
// operations and the constants of each record.
#ifndef ORVEX_RECORDS_H
#define ORVEX_RECORDS_H

#include "orvex.h"

#include <stdint.h>

struct ov_glyph_t;
class ovFile;

// One named, reference-counted bitmap of the pool (or one frame of a sequence).
// `width`/`height` are the drawing size, which a data manifest may set; `src_width`/
// `src_height` the size of the pixel data. `pixels` holds four bytes a pixel (RGBA) or
// is null when the cache mode keeps none. `hw.u0`/`hw.u1` are the current frame's two
// horizontal texture coordinates (a mirrored draw swaps them for one call).
struct ov_bitmap_t {
    // The renderer's share of a bitmap.
    struct hw_data_t {
        uint8_t uploaded;
        float u0, v0, u1, v1;     // texture rectangle used by the drawing calls
        int32_t tex_width, tex_height;
        uint32_t texture;         // GL texture name
        uint32_t framebuffer;     // render targets only
        int32_t filter;           // pixel filter last set on the texture
    };

    char *name;
    int16_t refcount;
    uint8_t cache_mode;
    ov_mutex_t *lock;
    int32_t width, height;
    uint8_t *pixels;
    int32_t src_width, src_height;
    uint16_t flags;
    int16_t load_state;
    int16_t pack_mode;
    ov_bitmap_t *duplicate_of;
    ov_bitmap_t *frames;
    int32_t num_frames;
    ov_bitmap_t *atlas;
    int32_t frame_number;
    float fps;
    hw_data_t hw;
};

// One font of the pool; `line_height` spaces the lines of a text.
struct ov_font_t {
    char *name;
    int16_t refs;
    uint8_t cache_mode;
    uint8_t flags;
    uint8_t encoding;
    int32_t top_offset;
    int32_t height;
    int32_t line_height;
    ov_glyph_t *glyphs;
    int32_t glyph_count;
    ov_bitmap_t atlas;
    float scale;
    uint8_t loading;       // set while a thread fills the record; others wait for it
};

// One named, reference-counted sound of the cache of 256.
struct ov_sound_t {
    char *name;                // heap copy; null marks a free record
    int16_t refcount;
    int8_t cache_mode;
    uint8_t flags;
    float default_volume;      // 1.0 at creation
    float default_pan;         // 0.0 at creation
    float default_frequency;   // 1.0 at creation
    int32_t reserved0;         // 0 at creation; no sound operation reads it
    int32_t max_instances;     // -1 at creation; the application sets it, playback ignores it
    uint32_t last_start;       // OV_GetTime of the last start passed on; 0 = never
    void *imp_data[2];         // owned by the implementation ([1]: the sample)
};

// The handle OV_OpenFile hands out: created by opening, released by closing.
struct ov_file_t {
    const char *name;  // the file's name (owned by the open file)
    long size;         // size in bytes when the file was opened
    ovFile *file;
};

#endif
