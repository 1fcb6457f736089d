// The engine's run-length coded bitmap: int32 width, int32 height (little-endian),
// then runs of (count 1..255, blue, green, red, alpha) covering width x height pixels
// row-major from the top; runs may cross row ends. A 0-pixel image is the header and
// one run of count 0. Each frame of a bitmap-sequence file may be stored this way.
#ifndef OV_RLE_H
#define OV_RLE_H

#include "gfx/bitmap.h"

#include <stdio.h>

struct ov_file_t;

// Reads an RLE bitmap at the file's position into width, height and pixels; false
// (pixels freed, with a message) for a bad size or a file that ends early.
bool OVI_ReadRLEBitmap(ov_bitmap_t *b, ov_file_t *f);
// Writes the bitmap's width, height and pixels as an RLE bitmap; false on a write error.
bool OVI_WriteRLEBitmap(ov_bitmap_t *b, FILE *stream);

#endif
