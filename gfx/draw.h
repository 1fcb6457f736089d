// Engine-internal drawing calls used by the text drawer and the shader extension, and
// the drawing state's start values.
#ifndef OV_DRAW_H
#define OV_DRAW_H

#include "orvex.h"

// A glyph quad at (x, y) through the interface's batch slot.
void OV_DrawBatchBitmap(ov_bitmap_t *b, float x, float y);
// A glyph quad turned by m about the pivot, through the batch slot.
void OV_DrawBatchBitmapT(ov_bitmap_t *b, float x, float y, mat2_t *m, vec2_t *pivot);
// Start values of the graphics group of the state (called at the engine's state set-up).
void OVI_GfxStateSetup(void);

#endif
