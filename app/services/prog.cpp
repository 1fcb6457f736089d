// The program record (see prog.h).
#include "app/services/prog.h"

ov_prog_t prog;

bool ProgQuitRequested()
{
    return __atomic_load_n(&prog.parms.quit, __ATOMIC_ACQUIRE) != 0;
}
