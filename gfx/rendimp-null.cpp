// The null renderer: stands in where nothing may be drawn; every call succeeds.
#include "gfx/rendimp-null.h"

RendImp *GetRendImpNull()
{
    static RendImpNull null_renderer;
    return &null_renderer;
}
