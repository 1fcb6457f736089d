// Tutorial drawing helpers beside the game state's tutorial operations
// (`GameState::SetTutorial`, `SetTutorialCompleted`, `UpdateTutorial`, `DrawTutorial`).
#ifndef GAME_TUTORIALS_H
#define GAME_TUTORIALS_H

// One tutorial text box in the battle HUD font: a translucent black box with the text
// centred on the screen's reference width, its top at y (or higher, where the box would
// reach below the screen). x is not used (the box is always centred); width is the text
// width before margins.
void DrawTutorialText(int x, int y, int width, const char *text, float alpha);

// The width the battle's tutorial texts are laid out in, before margins.
const int kTutorialWidth = 680;

#endif
