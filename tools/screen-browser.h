// The screen browser: a developer screen, "ScreenBrowser", that shows any registered
// screen's user interface on its own over a checkerboard, one at a time, so that the
// UI edit mode can work on it without the game state that normally leads there. Once
// a screen is chosen the browser borrows its UI set as its own (the edit mode always
// edits the top screen's set).
//
// Its UI script "ui/fw/screen-browser.lua" (loaded only in developer mode) provides
// the list box "Screens" and the component "Edit". A and Z (and the number-pad + and
// -) step through the registry, ESCAPE goes back to the browser itself.
//
// Main thread only.
#ifndef TOOLS_SCREEN_BROWSER_H
#define TOOLS_SCREEN_BROWSER_H

#include "app/ui/screen.h"

class ScreenScreenBrowser : public Screen {
public:
    ScreenScreenBrowser();
    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    // Fills "Screens" with every registered screen's name.
    void Enter() override;
    void Leave() override;
    // "Edit" shows the screen of the selected line. True.
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    // Key-downs step through the registry; 1.
    int ProcessEvent(ov_event_t *event) override;

    // Shows the screen at the index (negative counts from the end, wrapping); the
    // browser itself and unknown indices change nothing.
    void ShowScreen(int index);

    Screen *browsed = nullptr;
    int index = 0;
    float time_since_change = 0.0f;
    UISet *own_ui = nullptr;
};

// The one browser, registered on first use.
ScreenScreenBrowser &GetScreenBrowser();

#endif
