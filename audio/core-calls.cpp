// The sound service's table for the core runtime (core/service-calls.h): choosing and
// starting the sound implementation, stopping it at shutdown, its frame and window
// calls, the media renderer's music events and the resource report of the sound cache.
#include "audio/sample.h"
#include "audio/sound.h"
#include "audio/soundimp.h"
#include "audio/soundimp-qnx.h"
#include "core/ov_state.h"
#include "core/service-calls.h"

namespace {

void Start()
{
    SoundImp *sound = nullptr;
    if (!ov_prog->parms.no_sound) {
        sound = OVID_LoadSoundImp(ov_state.sound_implementation);
        if (sound && sound->Initialize(&ov_state, &ov_parms)) {
            OV_PrintDebugf(OV_SYSTEM, "SoundImp initialized.\n");
        } else {
            OV_PrintDebugf(OV_WARNING, "No Sound Implementation available.\n");
            sound = GetSoundImpNull();
        }
    } else {
        OV_PrintDebugf(OV_SYSTEM, "Sounds disabled. Null Sound Implementation in use.\n");
        sound = GetSoundImpNull();
    }
    ov_state.sound_imp = sound;
    sound->FillOrvexInterface(&orvex);
}

void Stop()
{
    if (!ov_state.sound_imp)
        return;
    ov_state.sound_imp->Shutdown();
    OVID_UnloadSoundImp(ov_state.sound_imp);
    ov_state.sound_imp = nullptr;
}

void FrameStart()
{
    ov_state.sound_imp->FrameStart();
}

void FrameReady()
{
    ov_state.sound_imp->FrameReady();
}

void ActivateWindow(bool active)
{
    ov_state.sound_imp->ActivateWindow(active);
}

// The bytes of a cached sound's data (the sample the implementation keeps in its
// second word); 0 while nothing is loaded.
int64_t SoundDataSize(const ov_sound_t *s)
{
    const ovSample *sample = static_cast<const ovSample *>(s->imp_data[1]);
    return sample ? sample->size : 0;
}

// The used sounds, in cache order, read under GET_SOUND so that the names stay valid.
std::vector<ov_sound_usage_t> SoundUsage()
{
    std::vector<ov_sound_usage_t> out;
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    for (int i = 0; i < OVI_GetSoundCount(); i++) {
        const ov_sound_t *s = OVI_GetSoundRecord(i);
        if (s && s->name)
            out.push_back(ov_sound_usage_t{i, s->name, SoundDataSize(s)});
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
    return out;
}

int64_t SoundPoolBytes()
{
    return (int64_t)(OV_MAX_SOUNDS * sizeof(ov_sound_t));
}

}  // namespace

const ov_sound_calls_t ov_sound_calls = {
    Start,
    Stop,
    OVI_ReInitSounds,
    FrameStart,
    FrameReady,
    ActivateWindow,
    OVI_MediaRendererDomain,
    HandleMMREvent,
    SoundUsage,
    SoundPoolBytes,
    OVI_ReleaseSoundsAtExit,
};
