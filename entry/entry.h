// The application's entry: the program record `prog` filled for the engine and its five
// hooks. The engine calls them on the main thread while it holds its main-loop lock:
// OV_Init once after the renderer is up, OV_Update once per frame, OV_Draw once per eye
// pass, OV_EventProc for every event (the pre-initialisation event first, which starts
// the services through the screen manager), OV_Shutdown once at exit after a
// successful OV_Init.
//
// The hooks are thin: they sequence the service manager and the screen manager and do
// a few chores of the whole program (master-volume fade, time-step cap, developer and
// shutdown keys, the pause on return, the terrain rebuild request). This is the top of
// the application: it reaches every layer below it directly, and it hands the service
// manager the start and stop calls of the layers above the services.
#ifndef ENTRY_ENTRY_H
#define ENTRY_ENTRY_H

#include "orvex.h"

#include <stdint.h>

// Fills the record and returns it: everything zero, then the interface version, the
// five hooks, full screen, the two application flags and reference counting set. No
// other effect; callable before anything else of the application exists. The engine
// receives it from OV_GetInterface (entry/get-interface.cpp, linked into the
// program only).
ov_prog_t *ProgGetInterface();

// Takes the interface table from the record, starts the services that need the
// renderer and shows the "Loading" screen. Always 1.
int OV_Init();
// Saves the profiles, then stops the services.
void OV_Shutdown();
// One frame of `dt` seconds: master fade, then while active the developer sleeps, the
// time-step cap, the game's achievement notices, the screen manager (not while the log
// console is shown), the shutdown keys and the terrain rebuild request.
void OV_Update(float dt);
// While active: the screens, then the engine's drawing state back to white, opaque and
// not blended, then the game's achievement notice. Nothing while inactive.
void OV_Draw(float dt);
// Nonzero when the event was consumed (the screen manager's answer, or 1 for a console
// line it did not take).
int OV_EventProc(ov_event_t ev);

// Set while the application is active (activation events clear and set it); initially 1.
extern uint8_t g_app_active;
// The master volume the update hook fades, 0..1; initially 1.
extern float g_master_volume;
// A request to rebuild the battlefield's terrain bitmap at the next update; initially 0.
extern uint8_t generate_bitmap;

#endif
