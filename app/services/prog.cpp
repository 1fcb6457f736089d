// The program record (see prog.h).
#include "app/services/prog.h"

ov_prog_t prog;
