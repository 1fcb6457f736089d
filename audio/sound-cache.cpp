// The sound cache: 256 named, reference-counted ov_sound_t records behind the
// interface calls OV_GetSound, OV_GetSoundEx, OV_LoadSound, OV_ReleaseSound and
// OV_SetSoundCacheMode, loading through the current sound implementation, and the
// release of what is still held at exit.
#include "audio/sound.h"
#include "audio/soundimp.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <string.h>

namespace {

ov_sound_t s_sounds[OV_MAX_SOUNDS];
int s_count = 0;  // high-water mark: records below it are in use or free

bool CountingReferences()
{
    return ov_prog ? ov_prog->parms.reference_counting != 0 : ov_state.reference_counting != 0;
}

// The record named name below the high-water mark, or null (caller holds GET_SOUND).
ov_sound_t *Find(const char *name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < s_count; i++)
        if (s_sounds[i].name && strcmp(s_sounds[i].name, name) == 0)
            return &s_sounds[i];
    return nullptr;
}

// The first free record below the high-water mark, else the next one, else -1.
int FreeIndex()
{
    for (int i = 0; i < s_count; i++)
        if (!s_sounds[i].name)
            return i;
    return s_count < OV_MAX_SOUNDS ? s_count : -1;
}

bool IsDummy(const char *name)
{
    return name && name[0] == '!';
}

// Steps shared by OV_GetSoundEx and OV_LoadSound for a name not in the cache; called
// with GET_SOUND held, which it releases. Null when the cache is full.
ov_sound_t *Create(const char *name, int mode, bool got)
{
    int index = FreeIndex();
    OV_Printf("..caching sound '%s'\n", name ? name : "");
    if (index < 0) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
        OV_Popupf(OV_ERROR, " ! Orvex out of free sounds.\n");
        return nullptr;
    }
    ov_sound_t *s = &s_sounds[index];
    memset(s, 0, sizeof *s);
    s->name = nStringDuplicate(name ? name : "");
    if (index == s_count)
        s_count++;
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);

    if (got)
        s->flags |= OV_SOUND_GOT;
    s->refcount = 1;
    s->default_volume = 1.0f;
    s->default_pan = 0.0f;
    s->default_frequency = 1.0f;
    s->reserved0 = 0;
    s->max_instances = -1;
    if (ov_print_reference_count_changes)
        OV_Printf(got ? "'%s' ref count = 1 (GetSound)" : "'%s' ref count = 1", s->name);

    if (nStringsMatchIncaseSensitive(s->name, "!NONE")) {
        s->cache_mode = (int8_t)mode;
        return s;
    }
    s->cache_mode = OV_SOUND_NOT_LOADED;
    if (ov_state.sound_imp)
        ov->OV_SetSoundCacheMode(s, mode);
    return s;
}

}  // namespace

struct ov_sound_t *OV_GetSound(const char *name)
{
    return ov->OV_GetSoundEx(name, OV_SOUND_LOAD);
}

struct ov_sound_t *OV_GetSoundEx(const char *name, int cache_mode)
{
    if (!name)
        OV_Popupf(OV_WARNING, "OV_GetSoundEx called with null parameter (forbidden).\n");
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    if (ov_sound_t *s = Find(name)) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
        if (cache_mode == OV_SOUND_LOOKUP || IsDummy(s->name))
            return s;
        // A hibernated record (count 0) comes back with one reference, whether or not
        // it was got before, and with its data loaded again as OV_LoadSound does.
        if (!(s->flags & OV_SOUND_GOT) || s->refcount == 0) {
            s->flags |= OV_SOUND_GOT;
            s->refcount++;
            if (ov_print_reference_count_changes)
                OV_Printf("'%s' ref count++ (GetSound): now %d", s->name, s->refcount);
        }
        if ((cache_mode & OV_SOUND_LOAD) && s->cache_mode == OV_SOUND_NOT_LOADED)
            ov->OV_SetSoundCacheMode(s, cache_mode);
        return s;
    }
    if (cache_mode == OV_SOUND_LOOKUP) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
        return nullptr;
    }
    return Create(name, cache_mode, true);
}

struct ov_sound_t *OV_LoadSound(const char *name)
{
    if (!name)
        OV_Popupf(OV_WARNING, "ov->LoadSound called with null parameter (forbidden).\n");
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    if (ov_sound_t *s = Find(name)) {
        if (!IsDummy(s->name)) {
            s->refcount++;
            if (ov_print_reference_count_changes)
                OV_Printf("'%s' ref count++: now %d", s->name, s->refcount);
            if (s->refcount > OV_SOUND_MAX_REFS) {
                s->refcount = OV_SOUND_MAX_REFS;
                OV_Popupf(OV_WARNING, "Sound '%s' reference count suspiciously high: capping at %d.\n", s->name,
                          OV_SOUND_MAX_REFS);
            }
        }
        OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
        if (s->refcount == 1)
            ov->OV_SetSoundCacheMode(s, OV_SOUND_LOAD);
        return s;
    }
    return Create(name, OV_SOUND_LOAD, false);
}

void OV_ReleaseSound(struct ov_sound_t *s)
{
    if (!s || !s->name)
        return;
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    if (CountingReferences()) {
        s->refcount--;
        if (ov_print_reference_count_changes)
            OV_Printf("ReleaseSound: '%s' ref count--: now %d", s->name, s->refcount);
        if ((s->flags & OV_SOUND_GOT) && s->refcount == 0)
            OV_Popupf(OV_WARNING,
                      "Releasing sound '%s' too many times: ref counting will get messed up. NOTE: sound has been "
                      "accessed using GetSound which increses ref count by 1 once.",
                      s->name);
        if (s->refcount < 0) {
            s->refcount = 0;
            OV_Popupf(OV_WARNING, "Sound '%s' reference count less than zero.\n", s->name);
        } else if (s->refcount == 0) {
            OV_Printf("Hibernating sound '%s'..\n", s->name);
            ov->OV_SetSoundCacheMode(s, OV_SOUND_NOT_LOADED);
        }
    } else {
        if (ov_state.sound_imp)
            ov_state.sound_imp->FreeSound(s);
        nStringFree(s->name);
        s->name = nullptr;
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
}

void OV_SetSoundCacheMode(struct ov_sound_t *s, int mode)
{
    if (!s || mode == s->cache_mode)
        return;
    if (mode & OV_SOUND_LOAD) {
        if (!OVI_LoadSound(s))
            OV_Popupf(OV_WARNING, "Sound resource '%s' not found.\n", s->name ? s->name : "");
        s->cache_mode = (int8_t)mode;
    } else if (mode == OV_SOUND_NOT_LOADED) {
        if (ov_state.sound_imp)
            ov_state.sound_imp->FreeSound(s);
        s->imp_data[0] = s->imp_data[1] = nullptr;
        s->cache_mode = OV_SOUND_NOT_LOADED;
    }
}

bool OVI_LoadSound(ov_sound_t *s)
{
    SoundImp *imp = ov_state.sound_imp;
    if (!s || !s->name || !imp)
        return false;
    const char *name = s->name;
    int len = (int)strlen(name);
    bool has_extension = false;
    for (int i = len - 1; i >= 1; i--) {
        if (name[i] == '/')
            break;
        if (name[i] == '.') {
            has_extension = true;
            break;
        }
    }
    if (has_extension)
        return imp->LoadSound(s, name);
    // Only music is MP3: an effect that is missing must not turn into an MP3 name that
    // is taken unopened (it would never be reported as not found).
    static const char *const kCandidates[] = {"%s.wav", "%s.ogg", "%s.mp3"};
    const bool music = strncmp(name, "music/", 6) == 0;
    bool loaded = false;
    for (const char *pattern : kCandidates) {
        if (!music && strcmp(pattern, "%s.mp3") == 0)
            break;
        char candidate[512];
        nStringFormat(candidate, sizeof candidate, pattern, name);
        loaded = imp->LoadSound(s, candidate);
        if (loaded)
            break;
    }
    return loaded;
}

ov_sound_t *OVI_GetSoundRecord(int index)
{
    return index >= 0 && index < s_count ? &s_sounds[index] : nullptr;
}

int OVI_GetSoundCount(void)
{
    return s_count;
}

void OVI_ReleaseSoundsAtExit(void)
{
    for (int i = 0; i < s_count; i++) {
        ov_sound_t *s = &s_sounds[i];
        if (!s->name)
            continue;
        if (!ov_prog || !CountingReferences()) {
            OV_ReleaseSound(s);
        } else if (s->refcount != 0) {
            OV_PrintDebugf(OV_WARNING, "Sound '%s' Reference count %d at exit, releasing...\n", s->name, s->refcount);
            s->refcount = 1;
            s->flags &= (uint8_t)~OV_SOUND_GOT;
            OV_ReleaseSound(s);
        }
    }
    // The run is over: hibernated records give up their names and data too, so that
    // a later start in the same process begins with an empty cache.
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    for (int i = 0; i < s_count; i++) {
        ov_sound_t *s = &s_sounds[i];
        if (ov_state.sound_imp && (s->imp_data[0] || s->imp_data[1]))
            ov_state.sound_imp->FreeSound(s);
        nStringFree(s->name);
        memset(s, 0, sizeof *s);
    }
    s_count = 0;
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
}
