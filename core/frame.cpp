// One engine frame: queued events, clamped frame time, the implementations' frame
// calls around the application's Update and Draw (once per eye pass), then the tail:
// a pending renderer re-initialisation or the GPU resource queue, the popup lines of
// other threads and the transform-stack balance check.
#include "core/ov_state.h"
#include "core/service-calls.h"

static void ApplyPendingReInit()
{
    ov_state.reinit_pending = 0;
    OVI_ValidateParms(&ov_prog->parms);
    OVI_ValidateParms(&ov_parms);
    if (ov_parms.no_sound && !ov_prog->parms.no_sound)
        ov_sound_calls.ReInit();
    if (ov_state.hosted)
        return;
    ov_parms_t &p = ov_prog->parms;
    if (p.width != ov_parms.width || p.height != ov_parms.height || p.windowed != ov_parms.windowed) {
        OV_PrintDebugf(OV_SYSTEM, "Applying ReInit: %dx%d (%s) -> %dx%d (%s)\n", ov_parms.width, ov_parms.height,
                       ov_parms.windowed ? "w" : "fs", p.width, p.height, p.windowed ? "w" : "fs");
        ov_gfx_calls.ReInitRenderer();
    }
}

void OVI_Frame(int ms)
{
    if (!ov_state.core_ready)
        return;
    OVI_LockCoreMutex(OV_MUTEX_MAIN_LOOP);
    OVI_ProcessEventQueue();

    if (ms > 200) {
        ms = 30;
    } else if (ms < 0) {
        if (ov_state.developer_mode)
            OV_PrintDebugf(OV_WARNING, "********************* Found negative time delta in OVI_Frame: %d\n", ms);
        ms = 1;
    }
    float seconds = (float)ms * 0.001f;

    if (ov_gfx_calls.RendererLoaded() && ov_state.renderer_ready && ov_prog) {
        for (int i = 0; i < ov_state.num_input_imps; i++)
            ov_state.input_imps[i]->FrameStart();
        if (ov_state.sound_imp)
            ov_sound_calls.FrameStart();

        if (ov_state.target_orientation != ov_state.orientation) {
            ov_state.orientation_timer += seconds;
            if (ov_state.orientation_timer >= ov_state.orientation_delay) {
                ov_state.orientation = ov_state.target_orientation;
                ov_state.orientation_timer = 0;
            }
        }

        if (ov_prog->Update)
            ov_prog->Update(seconds);

        int passes = ov_state.render_stereo ? 2 : 1;
        for (int pass = 0; pass < passes; pass++) {
            ov_state.eye_mode = ov_state.render_stereo ? pass + 1 : 0;
            ov_gfx_calls.RendererFrameStart(ov_state.eye_mode);
            ov_gfx_calls.SetDefaultRenderStates();
            ov_gfx_calls.PushScreenTransforms(seconds);
            if (ov_prog->Draw)
                ov_prog->Draw(seconds);
            ov_gfx_calls.SetDefaultRenderStates();
            ov_gfx_calls.DrawScreenBorders();
            ov_gfx_calls.PopScreenTransforms();
            ov_gfx_calls.UpdateAndDrawHUDs(seconds);  // the log console comes last in it
        }

        if (ov_state.sound_imp)
            ov_sound_calls.FrameReady();
        ov_gfx_calls.RendererFrameReady();
        for (int i = 0; i < ov_state.num_input_imps; i++)
            ov_state.input_imps[i]->FrameReady();
        if (!ov_state.first_frame_presented) {
            ov_state.first_frame_presented = 1;
            OVI_LogFirstFrame();
        }
    }

    // Workers waiting to synchronise with the main thread get their turn here.
    OVI_UnlockCoreMutex(OV_MUTEX_MAIN_LOOP);
    OVI_LockCoreMutex(OV_MUTEX_MAIN_LOOP);

    if (ov_state.reinit_pending)
        ApplyPendingReInit();
    else if (ov_state.core_ready && ov_state.renderer_ready)
        ov_gfx_calls.FrameResourceStep();

    OVI_FlushPopupQueue();

    if (ov_state.transform_top >= 0)
        OV_Popupf(OV_WARNING,
                  "Transform stack is not empty at frame end: there are %d more ov->PushTransform calls than ov->PopTransform calls.",
                  ov_state.transform_top + 1);

    OVI_UnlockCoreMutex(OV_MUTEX_MAIN_LOOP);
}
