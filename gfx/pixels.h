// Small operations on a bitmap's 4-byte pixels in memory, shared by the atlas packer,
// the resizer and the font generator, and the choice of the source image prepared for
// the scale closest to the display's. Alpha is the fourth byte of every pixel.
#ifndef OV_PIXELS_H
#define OV_PIXELS_H

#include "gfx/bitmap.h"

class OV_DMArray;

// Pixels whose alpha is at most the threshold get alpha 0 (colour kept).
void OVI_ForceLowAlphaToZero(ov_bitmap_t *b, int threshold);
// True when every pixel of column x has alpha 0.
bool OVI_IsBitmapColumnFree(ov_bitmap_t *b, int x);
// True when every pixel of row y has alpha 0.
bool OVI_IsBitmapRowFree(ov_bitmap_t *b, int y);
// True when pixels x0 .. x1 - 1 of row y all have alpha 0.
bool OVI_IsBitmapRowFreeSpan(ov_bitmap_t *b, int y, int x0, int x1);
// Copies the source's pixels into the destination with its top-left pixel at (x, y);
// the parts that would fall outside the destination are not copied.
void OVI_PasteBitmap(ov_bitmap_t *src, int x, int y, ov_bitmap_t *dst);
// Gives every fully transparent pixel the colour of an opaque neighbour (alpha stays 0).
void OVI_FixAlphaBleeding(ov_bitmap_t *b);
// The pixel at (x, y) clamped into the image, as a 32-bit word in memory order; a
// clamped position of an image with alpha reads as transparent.
uint32_t OVI_GetClampedPixel(const ov_bitmap_t *b, int x, int y);
// The pixel at relative position (u, v), 0..1, through the clamped fetch.
uint32_t OVI_GetBitmapSamplePoint(ov_bitmap_t *b, double u, double v);
// The scale factor an input id names ("INPUT@2x" 2.0, "INPUT@1/2x" 0.5); 1.0 for other
// ids; 0 for a zero divisor (such an input is never chosen).
float OVIF_GetInputBitmapScaleFactor(const char *id);
// The id of the manifest array's "INPUT..." node that best matches the scale, or null.
const char *OVIF_SelectBestInputBitmapForScaling(OV_DMArray *array, float scale);

#endif
