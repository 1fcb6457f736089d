// The HUD overlays drawn over each frame after the screen transform is popped: the
// frame-rate box, the developer overlays switched by key states 112 to 116 (frame
// rate, memory watchdog graph, frame-time graph, resource listing, information panel)
// and the memory watchdog that samples the engine's memory estimates.
#ifndef OV_HUD_H
#define OV_HUD_H

#include "orvex.h"
#include "narray.h"

#include <stdint.h>

struct ov_font_t;

// Developer key states that switch the overlays on.
enum {
    OV_KEY_HUD_FPS = 112,
    OV_KEY_HUD_MEMORY = 113,
    OV_KEY_HUD_FRAME_TIMES = 114,
    OV_KEY_HUD_RESOURCES = 115,
    OV_KEY_HUD_INFO = 116,
};

// Integer key states the memory-estimate refresh fills (bytes).
enum {
    OV_KEY_MEM_GPU = 2002,
    OV_KEY_MEM_GPU_NPOT = 2003,
    OV_KEY_MEM_TOTAL = 2005,
};

// Samples of the memory estimates over time and their graph.
class MemoryWatchdog {
public:
    MemoryWatchdog();
    // Counts a HUD call; every 30th refreshes the estimates and records a sample.
    void Update();
    // Draws the graph over the whole program area.
    void Draw();

    nArray<int32_t> total, gpu, gpu_npot;  // bytes per sample, oldest first
    int32_t total_peak, gpu_peak, gpu_npot_peak;
    ov_font_t *font;                       // null until the first draw
    int32_t frames_passed;                 // HUD calls counted by Update
    double max_bytes;                      // top of the graph's scale; only grows
};

// The watchdog, created by the HUD step on first use in developer mode; never freed.
extern MemoryWatchdog *ov_memdog;

// The font record in the first slot of the font pool, or null when there is none.
ov_font_t *OVI_FirstPoolFont(void);
// The console font "core/console.mft", or the first pool font when it did not load.
ov_font_t *OVI_ConsoleFontOrFirst(void);
// Draws the information panel (device, boot settings, program, system).
void OVI_DrawInfoPanel(void);
// Frame-time graph: records dt in the ring and draws the last frames (key 114).
void OVI_DrawFrameTimeGraph(float seconds);
// Forgets the frame-time ring (tests start from an empty graph).
void OVI_ResetFrameTimeGraph(void);
// Frame rate, the developer overlays and last the log console; once per eye pass.
void OVI_UpdateAndDrawHUDs(float seconds);

#endif
