// Key names: the engine key code of a key's name, as the engine's settings name the
// console toggle key and the application's scripts name key states. The table is the
// engine's (core/keynames.cpp), beside the key codes it names.
#ifndef ORVEX_KEYNAMES_H
#define ORVEX_KEYNAMES_H

// Key code of a key name: "ESCAPE", "MENU", "0".."9", "a".."z", "MOUSE_X" and the rest;
// names match whole and case-sensitively ("A" has no code); 0 for unknown names and null.
int OV_GetKeyByName(const char *name);

#endif
