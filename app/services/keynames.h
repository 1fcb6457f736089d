// Key names: the engine key code of a key's name, as scripts name key states and the
// engine's settings name the console toggle key.
#ifndef APP_SERVICES_KEYNAMES_H
#define APP_SERVICES_KEYNAMES_H

// Key code of a key name: "ESCAPE", "MENU", "0".."9", "a".."z", "MOUSE_X" and the rest;
// names match whole and case-sensitively ("A" has no code); 0 for unknown names and null.
int OV_GetKeyByName(const char *name);

#endif
