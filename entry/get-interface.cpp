// The program's application: the engine asks for its record here (the engine's null
// application answers only when the record's version is wrong). Linked into the
// program, not into the tests, which offer records of their own.
#include "entry/entry.h"

extern "C" ov_prog_t *OV_GetInterface(void)
{
    return ProgGetInterface();
}
