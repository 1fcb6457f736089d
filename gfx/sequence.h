// Bitmap sequences: one ov_bitmap_t with an array of frame records, stored in ".bms"
// files that hold one atlas image and every frame's rectangle in it, or built from
// numbered image files ("walk_0000.png", "walk_0001.png", ...).
//
// ".bms" layout (little-endian): "OV_Bm_Seq_v1\0", int32 frame count, "RGBA",
// chunk name "ATLAS" (8 bytes, zero-padded), int32 0, 32 bytes per frame (int32 width,
// height, frame number, float fps, floats u0, v0, u1, v1), kind "PNG\0" and int32
// length followed by the atlas PNG (or kind "RLE\0" followed by an RLE bitmap).
#ifndef OV_SEQUENCE_H
#define OV_SEQUENCE_H

#include "gfx/bitmap.h"

#include <stdio.h>

// Loads the ".bms" named by the bitmap's name; builds it from numbered images when missing.
int OVI_LoadBitmapBMS(ov_bitmap_t *b);
// Reads a ".bms" file (engine file name) into the bitmap's frames and atlas; 1 on success.
int OVI_LoadBitmapSequence(ov_bitmap_t *b, const char *path);
// Writes the sequence (unique frames packed into one atlas) to a native path; 1 on success.
int OVI_SaveBitmapSequence(ov_bitmap_t *b, const char *native_path);
// Loads numbered frames: the pattern's one '*' stands for a four-digit number.
void OVI_LoadBitmapSequenceFromFiles(ov_bitmap_t *b, const char *pattern);
// Marks frames whose pixels repeat an earlier frame (duplicate_of).
void OVI_OptimizeBitmapSequence(ov_bitmap_t *b);
// True when both bitmaps have one size and no channel differs by more than tolerance (0..1).
bool OVI_BitmapPixelsMatch(ov_bitmap_t *a, ov_bitmap_t *b, float tolerance);
// Frees the frames (pixels and names) and the atlas of a sequence record.
void OVI_FreeSequenceFrames(ov_bitmap_t *b);
// Bytes saved by dropping repeated frames since the program started.
long OVI_GetSequenceSavings();

// Placeholders of the image-loader dispatch: ".bms" data is never decoded from memory.
int OVI_LoadBitmapMemBMS(ov_bitmap_t *b, const void *data, long size);
int OVI_WriteBMS(ov_bitmap_t *b, FILE *stream);

#endif
