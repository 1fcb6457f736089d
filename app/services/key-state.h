// The key state as the screens, the game and the tools test it: whether a key is held
// down now (the "held" bit, 2, of the engine's key state; bit 1 is "pressed this frame").
//
// Main thread only, like the engine's key state.
#ifndef APP_SERVICES_KEY_STATE_H
#define APP_SERVICES_KEY_STATE_H

#include "orvex.h"

// Whether the key (an engine key code) is held down now.
inline bool KeyHeld(int code)
{
    return (ov->OV_GetKeyStatei(code) & 2) != 0;
}

#endif
