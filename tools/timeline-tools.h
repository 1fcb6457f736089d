// The timeline tools: the developer screen "Timeline", which lists the timeline's
// events and jumps the game to a chosen one, and the HTML export of the events
// (`Timeline::ExportHTML`, declared with the timeline).
//
// Main thread only.
#ifndef TOOLS_TIMELINE_TOOLS_H
#define TOOLS_TIMELINE_TOOLS_H

#include "app/ui/screen.h"

class DMArray;
class UICompListbox;

// Its UI script "ui/fw/timeline.lua" provides the list box "Events", the text
// components "QuestName" and "QuestDesc" and a component whose name contains "Play".
class ScreenTimeline : public Screen {
public:
    ScreenTimeline();
    // Loads the UI script; true.
    bool PreLoad() override;
    // The UI.
    void Draw(float dt) override;
    // Describes the selected event in "QuestName" ("game") and "QuestDesc" ("screens").
    void Update(float dt) override;
    // Fills "Events" with one line per event: the id, and on the right "GAME=<game>"
    // for a "GAME" event, else the type (nothing without one).
    void Enter() override;
    void Leave() override;
    // A "Play" component with a selected line: deletes the saved game and runs the
    // game up to that event. True.
    bool ProcessUICompClick(UIComp *comp, int flags) override;

    DMArray *events = nullptr;

private:
    UICompListbox *EventList();
    // The selected line's id, or null when no line is selected.
    const char *SelectedEventId();
};

// The one timeline screen, registered on first use.
ScreenTimeline &GetTimelineScreen();

#endif
