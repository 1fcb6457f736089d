// The atlas packer: places a list of bitmaps, in list order, on shelves of one
// power-of-two texture and gives each its texture rectangle inside it. Bitmap
// sequences and font glyph atlases are built with it.
//
// Layout: every bitmap gets a 2-pixel gap around it (x from 2, each followed by 2
// pixels; rows are the tallest bitmap's height + 2 apart). The smallest atlas of 32 to
// 1024 pixels a side that holds them is chosen (the squarer of two equal areas), and
// 64 to 2048 only when nothing up to 1024 fits.
#ifndef OV_ATLAS_H
#define OV_ATLAS_H

#include "gfx/bitmap.h"

// Packs count bitmaps (each with pixels) into atlas: the atlas record is re-initialised
// (its pixels and name freed; pass a zeroed or initialised record) and receives
// W x H zeroed pixels with every bitmap pasted in; each bitmap's hw.u0, v0, u1, v1
// becomes its rectangle (x / W, y / H, (x + width) / W, (y + height) / H) and the
// transparent pixels of the atlas take their neighbours' colour.
// Returns 1, or 0 with a message when the list is empty or nothing fits in 2048 x 2048.
int OVI_PackBitmaps(ov_bitmap_t *atlas, ov_bitmap_t **list, int count);
// True when the bitmaps fit a W x H atlas with the packer's layout (exposed for tests).
bool OVI_AtlasFits(ov_bitmap_t **list, int count, int W, int H);

#endif
