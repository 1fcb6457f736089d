// The engine's sound record and the calls between the audio sources: the cache of 256
// named, reference-counted sounds, loading through the current implementation, and
// the seams the engine's lifecycle uses (release at exit, re-initialisation).
#ifndef OV_AUDIO_SOUND_H
#define OV_AUDIO_SOUND_H

#include "orvex.h"
#include "ovrecords.h"

#include <stdint.h>

enum {
    OV_MAX_SOUNDS = 256,
    OV_SOUND_MAX_REFS = 4096,
    // Cache modes.
    OV_SOUND_NOT_LOADED = 0,
    OV_SOUND_LOAD = 4,     // any mode with this bit loads the data now
    OV_SOUND_LOOKUP = 16,  // OV_GetSoundEx only: look up, never create or count
    // Flags.
    OV_SOUND_GOT = 1,      // OV_GetSoundEx has counted its one reference
};

// Loads the record's data through the current implementation, trying ".wav", ".ogg"
// and ".mp3" after a name without extension; true when one was accepted.
bool OVI_LoadSound(ov_sound_t *sound);
// The record at a cache index below the high-water mark (null past it); for the
// engine's own passes over the cache and for tests.
ov_sound_t *OVI_GetSoundRecord(int index);
// Records in use or free below the high-water mark.
int OVI_GetSoundCount(void);
// Releases the sounds still held at exit.
void OVI_ReleaseSoundsAtExit(void);

#endif
