// The application entry of a program built without an application layer: the engine's
// own null application is offered as the record, so the engine runs and shows its
// green screen.
#include "core/ov_state.h"

extern "C" ov_prog_t *OV_GetInterface(void)
{
    return OVI_GetNullProg();
}
