// The battlefield's terrain rebuilt after the display lost it (see battle-screen.h). A
// file of its own: the application's update calls it, and it must not bring the battle
// screen along into every program that links the update.
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "game/scape.h"
#include "game/screens/battle-screen.h"

#include "ovrecords.h"

void RegenerateBattleTerrain(uint8_t *requested)
{
    Scape *world = GetScape();
    bool wanted = requested && *requested;
    if (!wanted && prog.parms.developer_mode && sman.virtual_resize_mode && world && world->terrain) {
        wanted = world->terrain->width != sman.virtual_width || world->terrain->height != sman.virtual_height;
    }
    if (!wanted)
        return;
    if (requested)
        *requested = 0;
    Screen *battle = Screen::PeekScreen("Game");
    if (!sman.all_screens_preloaded.load(std::memory_order_acquire) || !battle || !sman.IsScreenInStack(battle) ||
        !world)
        return;
    if (world->terrain)
        ov->OV_ReleaseBitmap(world->terrain);
    world->terrain = nullptr;
    ov->OV_SetRenderTarget(nullptr);
    world->GenerateTerrain();
}
