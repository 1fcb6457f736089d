// Key names: the engine key code of a key's name, as the engine's settings name the
// console toggle key (and scripts name key states). Names match whole and
// case-sensitively.
#include "ovkeynames.h"

#include <string.h>

namespace {

struct KeyName {
    const char *name;
    int code;
};

const KeyName kKeyNames[] = {
    {"BACK", 8},          {"BACKSPACE", 8},
    {"TAB", 9},           {"CLEAR", 12},
    {"RETURN", 13},       {"SHIFT", 16},
    {"CONTROL", 17},      {"MENU", 18},
    {"PAUSE", 19},        {"CAPITAL", 20},
    {"ESCAPE", 27},       {"SPACE", 32},
    {"PAGEUP", 33},       {"PAGEDOWN", 34},
    {"END", 35},          {"HOME", 36},
    {"LEFT", 37},         {"UP", 38},
    {"RIGHT", 39},        {"DOWN", 40},
    {"SELECT", 41},       {"PRINT", 42},
    {"EXECUTE", 43},      {"INSERT", 45},
    {"DELETE", 46},       {"HELP", 47},
    {"MOUSE_X", 504},     {"MOUSE_Y", 505},
    {"MOUSE_Z", 506},     {"MOUSE_WHEEL", 507},
    {"MOUSE_BUTTON_0", 510}, {"MOUSE_BUTTON_LEFT", 510},
    {"MOUSE_BUTTON_1", 511}, {"MOUSE_BUTTON_RIGHT", 511},
    {"MOUSE_BUTTON_2", 512}, {"MOUSE_BUTTON_3", 513},
    {"MOUSE_BUTTON_4", 514}, {"MOUSE_BUTTON_5", 515},
    {"MOUSE_BUTTON_6", 516}, {"MOUSE_BUTTON_7", 517},
    {"ACCELEROMETER_X", 1610}, {"ACCELEROMETER_Y", 1611},
    {"ACCELEROMETER_Z", 1612},
    {"VOLUME_UP", 1632},  {"VOLUME_DOWN", 1633},
};

}  // namespace

int OV_GetKeyByName(const char *name)
{
    if (!name)
        return 0;
    // A single digit or lower-case letter is its own character code.
    if (name[0] && !name[1] && ((name[0] >= '0' && name[0] <= '9') || (name[0] >= 'a' && name[0] <= 'z')))
        return (unsigned char)name[0];
    for (const KeyName &k : kKeyNames)
        if (strcmp(k.name, name) == 0)
            return k.code;
    return 0;
}
