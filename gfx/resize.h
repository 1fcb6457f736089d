// Image resizing on the CPU: a new pixel image of a given size from a bitmap's pixels.
// Enlarging and mild reduction (ratio up to 1.5 on both axes) filter bilinearly;
// stronger reduction averages bilinear samples over each pixel's source footprint,
// counting the colour of opaque samples only. Transparent pixels take their
// neighbours' colour before and after (OVI_FixAlphaBleeding), so edges keep no dark
// fringe. Note that the source's transparent pixels are changed (colour, not alpha).
#ifndef OV_RESIZE_H
#define OV_RESIZE_H

#include "gfx/bitmap.h"

// Replaces dst's pixels with src resized to width x height (each 1..65534); dst's
// width/height and source width/height become the new size, its alpha flag src's.
// False with a popup for a null bitmap or a source without pixels; false silently
// for a refused size (dst untouched).
bool OVI_CreateImageResized(ov_bitmap_t *dst, ov_bitmap_t *src, int width, int height);
// The same computation for destination rows first .. end - 1 into dst's allocated pixels.
void OVI_ResizeImageChunk(ov_bitmap_t *dst, ov_bitmap_t *src, int width, int height, int first_row, int end_row);

// A job for OVI_ScalerThread: the six arguments of OVI_ResizeImageChunk.
struct ov_resize_job_t {
    ov_bitmap_t *dst, *src;
    int width, height, first_row, end_row;
};
// Thread body running OVI_ResizeImageChunk on a job (nothing starts it by itself).
void OVI_ScalerThread(void *job);

#endif
