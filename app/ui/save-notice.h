// The player's notice of a failed save: when a player file could not be written (see
// ReportFailedSave), the game's message popup "PopupOk" tells the player once per run,
// "Your progress could not be saved: <reason>", as soon as the screens are settled.
#ifndef APP_UI_SAVE_NOTICE_H
#define APP_UI_SAVE_NOTICE_H

// Once a frame, after the screens' update (main thread): shows a waiting notice when
// every screen is preloaded, the edit mode is off, the loading screen is gone, the top
// screen has faded in and is not leaving, and "PopupOk" is ready and not stacked yet.
// The notice keeps waiting otherwise.
void ShowFailedSaveNotice();

#endif
