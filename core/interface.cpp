// The engine interface table `orvex`, the extension table, loading and checking the
// application record, and the null application that runs when no usable record is
// offered (it clears the screen to pure green every frame).
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <string.h>

orvex_t orvex;
orvex_t *ov = nullptr;
ov_prog_t *ov_prog = nullptr;
ov_prog_t ov_null_prog;
ov_parms_t ov_parms;
void *ov_ext[OV_EXT_SLOTS];

// Each slot in table order; the owning service defines the function.
void OVI_SetBasicInterface(orvex_t *t)
{
    t->OV_Printf = OV_Printf;
    t->OV_PrintDebugf = OV_PrintDebugf;
    t->OV_Popupf = OV_Popupf;
    t->OVT_Sleep = OVT_Sleep;
    t->OV_GetTime = OV_GetTime;
    t->OV_GetMutex = OV_GetMutex;
    t->OV_ReleaseMutex = OV_ReleaseMutex;
    t->OV_LockMutex = OV_LockMutex;
    t->OV_UnlockMutex = OV_UnlockMutex;
    t->OV_CreateThread = OV_CreateThread;
    t->OV_GetCurrentThreadId = OV_GetCurrentThreadId;
    t->OV_IsMainThread = OV_IsMainThread;
    t->OV_SynchronizeWithMainThreadBegin = OV_SynchronizeWithMainThreadBegin;
    t->OV_SynchronizeWithMainThreadEnd = OV_SynchronizeWithMainThreadEnd;
    t->OV_GetFont = OV_GetFont;
    t->OV_LoadFont = OV_LoadFont;
    t->OV_RefreshFont = OV_RefreshFont;
    t->OV_ReleaseFont = OV_ReleaseFont;
    t->OV_SaveFont = OV_SaveFont;
    t->OVD_SetCursor = OVD_SetCursor;
    t->OV_SignalShutdown = OV_SignalShutdown;
    t->OV_ReInit = OV_ReInit;
    t->OV_CallExtension = OV_CallExtension;
    t->OV_GetPath = OV_GetPath;
    t->OV_GetPathEx = OV_GetPathEx;
    t->OV_CreateDirectory = OV_CreateDirectory;
    t->OV_AddSearchPath = OV_AddSearchPath;
    t->OV_RemoveSearchPath = OV_RemoveSearchPath;
    t->OV_GetSearchPath = OV_GetSearchPath;
    t->OV_GetNumberOfSearchPaths = OV_GetNumberOfSearchPaths;
    t->OV_DeleteFile = OV_DeleteFile;
    t->OV_OpenFile = OV_OpenFile;
    t->OV_CloseFile = OV_CloseFile;
    t->OV_ReadFile = OV_ReadFile;
    t->OV_WriteFile = OV_WriteFile;
    t->OV_FlushFile = OV_FlushFile;
    t->OV_GetFilePosition = OV_GetFilePosition;
    t->OV_SetFilePosition = OV_SetFilePosition;
    t->OV_fgetc = OV_fgetc;
    t->OV_fseek = OV_fseek;
    t->OV_ftell = OV_ftell;
    t->OV_fread = OV_fread;
    t->OV_fwrite = OV_fwrite;
    t->OV_FindFiles = OV_FindFiles;
    t->OV_FreeList = OV_FreeList;
    t->OV_SendHttpRequest = OV_SendHttpRequest;
    t->OV_AllocBuffer = OV_AllocBuffer;
    t->OV_FreeBuffer = OV_FreeBuffer;
    t->OV_GetKeyStatei = OV_GetKeyStatei;
    t->OV_SetKeyStatei = OV_SetKeyStatei;
    t->OV_GetKeyStatef = OV_GetKeyStatef;
    t->OV_SetKeyStatef = OV_SetKeyStatef;
    t->OV_GetSound = OV_GetSound;
    t->OV_LoadSound = OV_LoadSound;
    t->OV_GetSoundEx = OV_GetSoundEx;
    t->OV_ReleaseSound = OV_ReleaseSound;
    t->OV_SetSoundCacheMode = OV_SetSoundCacheMode;
    t->OV_SetMasterVolume = OV_SetMasterVolume;
    t->OV_PlaySound = OV_PlaySound;
    t->OV_StopChannel = OV_StopChannel;
    t->OV_SetChannelPan = OV_SetChannelPan;
    t->OV_SetChannelVolume = OV_SetChannelVolume;
    t->OV_SetChannelPaused = OV_SetChannelPaused;
    t->OV_SetChannelLooping = OV_SetChannelLooping;
    t->OV_SetChannelFrequency = OV_SetChannelFrequency;
    t->OV_IsChannelAlive = OV_IsChannelAlive;
    t->OV_GetChannelSound = OV_GetChannelSound;
    t->OV_SlideChannelVolume = OV_SlideChannelVolume;
    t->OV_StopChannelWithFade = OV_StopChannelWithFade;
    t->OV_PlayMusic = OV_PlayMusic;
    t->OV_StopMusic = OV_StopMusic;
    t->OV_SetMusicPaused = OV_SetMusicPaused;
    t->OV_SetMusicLooping = OV_SetMusicLooping;
    t->OV_GetMusicPlaying = OV_GetMusicPlaying;
    t->OV_SlideMusicVolume = OV_SlideMusicVolume;
    t->OV_PushTransform = OV_PushTransform;
    t->OV_PopTransform = OV_PopTransform;
    t->OV_PeekTransform = OV_PeekTransform;
    t->OV_PushVertexProcessor = OV_PushVertexProcessor;
    t->OV_PopVertexProcessor = OV_PopVertexProcessor;
    t->OV_RemoveVertexProcessor = OV_RemoveVertexProcessor;
    t->OV_ProcessVertex = OV_ProcessVertex;
    t->OV_GetBitmap = OV_GetBitmap;
    t->OV_GetBitmapEx = OV_GetBitmapEx;
    t->OV_LoadBitmap = OV_LoadBitmap;
    t->OV_ReleaseBitmap = OV_ReleaseBitmap;
    t->OV_SaveBitmap = OV_SaveBitmap;
    t->OV_RefreshBitmap = OV_RefreshBitmap;
    t->OV_SetBitmapCacheMode = OV_SetBitmapCacheMode;
    t->OV_CreateBitmap = OV_CreateBitmap;
    t->OV_SetBitmapFrame = OV_SetBitmapFrame;
    t->OV_ClearScreen = OV_ClearScreen;
    t->OV_SetScissorRect = OV_SetScissorRect;
    t->OV_DisableScissorRect = OV_DisableScissorRect;
    t->OV_SetRenderTarget = OV_SetRenderTarget;
    t->OV_SetBlend = OV_SetBlend;
    t->OV_SetPixelFilter = OV_SetPixelFilter;
    t->OV_SetColor = OV_SetColor;
    t->OV_SetAlpha = OV_SetAlpha;
    t->OV_SetTextAlign = OV_SetTextAlign;
    t->OV_SetTextboxWidth = OV_SetTextboxWidth;
    t->OV_SetTextTransform = OV_SetTextTransform;
    t->OV_DrawBitmap = OV_DrawBitmap;
    t->OV_DrawBitmapRS = OV_DrawBitmapRS;
    t->OV_DrawBitmapLine = OV_DrawBitmapLine;
    t->OV_DrawSubBitmap = OV_DrawSubBitmap;
    t->OV_DrawTextf = OV_DrawTextf;
    t->OV_DrawRect = OV_DrawRect;
    t->OV_DrawLine = OV_DrawLine;
    t->OV_DrawBitmap4V = OV_DrawBitmap4V;
    t->OV_BeginBatch = OV_BeginBatch;
    t->OV_BatchDrawQuad = OV_BatchDrawQuad;
    t->OV_EndBatch = OV_EndBatch;
    t->OV_DrawTriangles = OV_DrawTriangles;
    t->OV_GetTextSizef = OV_GetTextSizef;
    t->OV_GetTextWidthf = OV_GetTextWidthf;
    t->OV_GetTextHeightf = OV_GetTextHeightf;
    t->OV_SetDepthRange = OV_SetDepthRange;
    t->OV_SetDepthDefault = OV_SetDepthDefault;
    t->OV_GetDepthDefault = OV_GetDepthDefault;
    t->OV_ClearDepth = OV_ClearDepth;
    t->OV_SetRenderStateb = OV_SetRenderStateb;
    t->OV_SetRenderStatef = OV_SetRenderStatef;
    t->OV_SetRenderStatei = OV_SetRenderStatei;

    memset(ov_ext, 0, sizeof ov_ext);
    ov_ext[0] = (void *)OV_GetShader;
    ov_ext[1] = (void *)OV_SetShader;
    ov_ext[2] = (void *)OV_SetShaderBitmap;
    ov_ext[3] = (void *)OV_SetShaderParm;
    ov_ext[4] = (void *)OVE_DrawBitmapRS;
    ov_ext[OV_EXT_GET_SOUND_LENGTH] = (void *)OVE_GetSoundLength;
    t->ext = ov_ext;
}

void **OVIE_GetExtensionInterface(void)
{
    return ov_ext;
}

ov_prog_t *OVID_LoadProgImp(void)
{
    return OV_GetInterface();
}

void OVID_UnloadProgImp(void)
{
    ov_prog = nullptr;
}

// ---- the null application

static int OV_NullProg_Init(void)
{
    return 1;
}

static void OV_NullProg_Shutdown(void) {}

static void OV_NullProg_Update(float) {}

static void OV_NullProg_Draw(float)
{
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
    ov->OV_ClearScreen(0.0f, 1.0f, 0.0f);
}

static int OV_NullProg_EventProc(ov_event_t)
{
    return 0;
}

ov_prog_t *OVI_GetNullProg(void)
{
    memset(&ov_null_prog, 0, sizeof ov_null_prog);
    ov_null_prog.interface_version = OV_INTERFACE_VERSION;
    ov_null_prog.parms.windowed = 1;
    ov_null_prog.parms.app_flag = 1;
    ov_null_prog.parms.reference_counting = 1;
    ov_null_prog.Init = OV_NullProg_Init;
    ov_null_prog.Shutdown = OV_NullProg_Shutdown;
    ov_null_prog.Update = OV_NullProg_Update;
    ov_null_prog.Draw = OV_NullProg_Draw;
    ov_null_prog.EventProc = OV_NullProg_EventProc;
    return &ov_null_prog;
}

int OVI_LoadProgImp(void)
{
    ov_prog = OVID_LoadProgImp();
    if (!ov_prog)
        return 0;
    if (ov_prog->interface_version != OV_INTERFACE_VERSION) {
        int found = ov_prog->interface_version;
        ov_prog = OVI_GetNullProg();
        ov_state.version_mismatch = 1;
        char msg[512];
        nStringFormat(msg, sizeof msg,
                      "Program library uses incompatible ORVEX interface (%.4d instead of %.4d). This program cannot run.\n\n"
                      "Update your headers in <this app>/src/include from ORVEX/src/include and rebuild your binaries.\n",
                      found, OV_INTERFACE_VERSION);
        OV_Printf("OV: %s", msg);
    }
    ov_prog->interface = ov;
    ov_prog->parms.min_frame_ms = 8;
    ov_prog->parms.command_line = OVI_GetCommandLine();
    return 1;
}

void OVI_ValidateParms(ov_parms_t *parms)
{
    if (!parms->windowed && (parms->width < 640 || parms->height < 480))
        parms->windowed = 1;
}

void OVI_RevertProgramParameters(void)
{
    if (!ov_prog)
        return;
    ov_prog->parms.width = ov_parms.width;
    ov_prog->parms.height = ov_parms.height;
    ov_prog->parms.windowed = ov_parms.windowed;
}
