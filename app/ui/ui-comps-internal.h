// What the component base reads of the screen manager: the virtual screen the
// geometry is measured in, the program screen, the templates set and the developer
// modes. One place, so that the base's files name the screen manager's state alike.
#ifndef APP_UI_UI_COMPS_INTERNAL_H
#define APP_UI_UI_COMPS_INTERNAL_H

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/uiset.h"

namespace uiview {

// Virtual screen corner and size.
inline float X() { return sman.virtual_x; }
inline float Y() { return sman.virtual_y; }
inline int W() { return sman.virtual_width; }
inline int H() { return sman.virtual_height; }
// Width, height and fit scales against the reference layout.
inline float ScaleX() { return sman.reference_scale_x; }
inline float ScaleY() { return sman.reference_scale_y; }
inline float ScaleMin() { return sman.reference_scale_min; }
// The whole program screen.
inline int ProgramW() { return prog.parms.width; }
inline int ProgramH() { return prog.parms.height; }
inline bool ResizeMode() { return sman.virtual_resize_mode; }
inline bool DeveloperMode() { return prog.parms.developer_mode != 0; }

}  // namespace uiview

// Words of a scale type ("ACTUAL_SIZE".."RELATIVE_TO_PARENT"), null outside 0..7; of a
// cache mode ("PRELOAD" for anything but 1, 2 and 3).
const char *UIScaleTypeWord(int scale_type);
const char *UICacheModeWord(int mode);

#endif
