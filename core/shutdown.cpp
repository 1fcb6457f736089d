// Engine shutdown: wait for worker threads, let the application shut down, release
// what is still held, shut the implementations and files down, close the log and
// destroy the locks.
#include "core/console.h"
#include "core/ov_state.h"
#include "core/service-calls.h"

namespace {

// Core mutexes that a thread still running after the time-out may use; they are left
// alive until process exit, and kept here so that they stay reachable.
std::vector<ov_mutex_t *> &s_abandoned = *new std::vector<ov_mutex_t *>();

}  // namespace

void ORVEX_Shutdown(void)
{
    if (!ov)
        return;
    OV_PrintDebugf(OV_SYSTEM, "ORVEX Shutdown.\n");
    ov->OV_SignalShutdown();

    OV_PrintDebugf(OV_SYSTEM, "Waiting for threads to exit... (%d threads)\n", OVT_GetNumberOfThreadsRunning());
    for (int i = 0; i < 60 && OVT_GetNumberOfThreadsRunning() > 0; i++)
        OVT_Sleep(50);
    bool stray_threads = OVT_GetNumberOfThreadsRunning() > 0;
    if (stray_threads)
        OV_PrintDebugf(OV_WARNING, "Time out: %d threads left running!\n", OVT_GetNumberOfThreadsRunning());

    if (ov_state.app_initialized && ov_prog && ov_prog->Shutdown)
        ov_prog->Shutdown();
    ov_state.app_initialized = 0;

    ov_gfx_calls.ReleaseBitmapsAtExit();
    OV_PrintDebugf(OV_INFO, "Releasing Input Implementations.\n");
    for (int i = 0; i < ov_state.num_input_imps; i++)
        ov_state.input_imps[i]->Shutdown();
    OV_PrintDebugf(OV_INFO, "Releasing sounds.\n");
    ov_sound_calls.ReleaseSoundsAtExit();
    OV_PrintDebugf(OV_INFO, "Releasing fonts.\n");
    ov_gfx_calls.ReleaseFontsAtExit();

    OV_PrintDebugf(OV_INFO, "Releasing Sound Implementation.\n");
    ov_sound_calls.Stop();
    ov_gfx_calls.ShutdownRenderer();
    ov_gfx_calls.FinalShutdownRenderer();
    ov_state.num_input_imps = 0;
    if (!ov_state.version_mismatch)
        ov_prog = nullptr;

    OV_Printf("Closing File Openers...\n");
    OVI_CloseFileOpeners();

    ov_con.PrintStats();
    OVI_LockCoreMutex(OV_MUTEX_PRINT);
    ov_con.Free();
    OVI_UnlockCoreMutex(OV_MUTEX_PRINT);

    if (stray_threads) {
        for (int i = 0; i < OV_CORE_MUTEXES; i++)
            s_abandoned.push_back(ov_state.core_mutex[i]);
        return;
    }
    OVI_DestroyCoreMutexes();
    OVT_ShutdownThreads();
}
