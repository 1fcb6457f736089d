// Redrawing only what changed. Between FrameStart and FrameReady the renderer's GL calls
// are recorded instead of issued; when the frame is handed over they are compared with
// the frame before and replayed clipped (scissored) to the rectangles whose pixels
// differ, over the back buffer that still holds the frame before. A menu whose banner
// waves and whose embers drift then costs the rasteriser those few rectangles, not the
// whole screen. The replay is pixel for pixel what drawing the whole frame gives.
//
// Every GL call goes through the stubs installed in `ovgl` (gfx/gl-table.h), which
// follow the GL state the renderer sets (a model of it) whether or not a frame is being
// recorded, so that a recorded draw knows the state it is drawn with. Anything the model
// cannot follow, or a call that needs its result at once (reading pixels, uploading or
// deleting a texture, drawing into a texture), ends the recording: what was recorded is
// drawn whole and the rest of the frame goes straight to the driver. Main thread only.
#ifndef OV_REDRAW_H
#define OV_REDRAW_H

#include "gfx/gl-table.h"

// The table of stubs that records and follows the GL state over `driver`; the model
// starts with nothing known (a context of unknown history).
ov_gl_table_t OV_RedrawInstall(const ov_gl_table_t &driver);

// Begins recording a frame drawn onto a surface of width x height whose back buffer
// keeps its pixels over a swap (`kept`); without a kept buffer, or when switched off,
// the frame goes straight to the driver.
void OV_RedrawBeginFrame(int width, int height, bool kept);
// Ends the frame: draws what changed since the frame before (or the whole frame) and
// returns the GL state to the one the renderer set.
void OV_RedrawEndFrame();
// The back buffer's pixels are no longer those of the last frame (a new surface or
// context, a display change): the next frame is drawn whole. A frame being recorded
// is dropped (its calls are not issued).
void OV_RedrawForget();

// On by default. Off, every frame is drawn whole as issued (the calls still follow the
// model). Test and settings hook.
void OV_RedrawSetEnabled(bool on);
bool OV_RedrawEnabled();

// What the last frames did, for tests and the developer overlay.
struct ov_redraw_stats_t {
    int frames_recorded;    // frames recorded since the counts were reset
    int frames_partial;     // of those, drawn only where they changed (including nothing)
    int frames_unchanged;   // of those, with nothing to draw at all
    int last_rects;         // rectangles the last partial frame drew
    long last_area;         // pixels in them
    long total_area;        // pixels drawn in part over all partial frames
    int frames_verified;    // partial frames checked against the whole frame (verify on)
    long pixels_differing;  // pixels that differed in those checks
    const char *last_whole; // why the last whole frame was drawn whole ("" after a partial one)
};
ov_redraw_stats_t OV_RedrawStats();
void OV_RedrawResetStats();

// Test hook: each frame drawn in part is read back, drawn whole over itself, read back
// again and compared; differing pixels add up in the stats. Slow; off by default.
void OV_RedrawSetVerify(bool on);

#endif
