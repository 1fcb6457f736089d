// The timeline (`timeline`): the flow of the game as a list of events read from the
// array "timeline" of an application XML database ("timeline.xml" by default). Each
// event names the screens that must be stacked while it runs ("screens", bottom to
// top, with the prefixes '!' and '&'), the screen that receives its "parm_"
// parameters ("key_screen", else the last listed screen), the transition that leads
// into it ("transition", "transition_duration") and optionally the game and level it
// starts. Ending an event starts the next one through the "TimelineTransition" screen
// (timeline-transition.h); a "JUMP" event redirects to its "event".
//
// The active profile records where a saved game belongs: "!SAVE_STATE" / "timeline" /
// "value" holds the timeline's file name, "!TIMELINES" / <file> / "event" the event to
// resume at (written by the game registry).
//
// Main thread only.
#ifndef APP_UI_TIMELINE_H
#define APP_UI_TIMELINE_H

#include "orvex.h"

#include <stdio.h>

#include <string>
#include <vector>

class DMArray;
class DMDatabase;
class DMNode;
class Screen;

enum TimelineTransitionType {
    TIMELINE_FADE_BLACK = 0,
    TIMELINE_DYNAMIC = 1,
    TIMELINE_AUTOMATIC = 2,   // dynamic when the first screen is stacked, else fade to black
    TIMELINE_DEFAULT = 3,     // the timeline's default type
};

// A host's hook into the event flow; not owned by the timeline.
class TimelineProcessor {
public:
    virtual ~TimelineProcessor() {}
    // The event's parameters; true when handled, which skips the event's game step.
    virtual bool ProcessEventParameters(DMNode *event) = 0;
    // Writes the event for the timeline's export; true when written.
    virtual bool ExportEvent(FILE *out, DMNode *event) = 0;
    // A simulated run starts.
    virtual void BeginSimulation() = 0;
    // One event passed on the way to the target.
    virtual void SimulateEvent(const char *target_id, DMNode *event) = 0;
};

// What GetEventInfo fills (texts owned by the timeline's database).
struct TimelineEventInfo {
    const char *type = nullptr;
    const char *game = nullptr;
    const char *screens = nullptr;
};

class Timeline {
public:
    // Registers the 11 script functions and links the game registry to the timeline;
    // true.
    bool Init();
    // Takes the file's "timeline" array from the data registry (unchanged when that
    // file is loaded already); stays unloaded without one. In developer mode every
    // event is checked (popups). The file is recorded in the active profile.
    void LoadTimeline(const char *file);
    // Forgets the timeline and the current event (the database stays registered).
    void FreeTimeline();
    const char *GetTimelineFilename();
    void SetDefaultTransitionType(int type) { default_transition_type = type; }
    void SetCustomEventProcessor(TimelineProcessor *p) { processor = p; }

    bool EventExists(const char *id);
    // The event's "type", null for none.
    const char *GetEventType(const char *id);
    // Fills info ("n/a" for a missing game or screens) when the event has a type.
    void GetEventInfo(TimelineEventInfo *info, const char *id);
    // The active profile holds an event to resume at for this timeline.
    bool SavedEventExists();
    // The event after id (the last is followed by the first), or what a "JUMP" there
    // names; null for an unknown id.
    const char *GetNextEventId(const char *id);
    // The event's key screen; null after a popup.
    Screen *GetKeyScreenForEvent(const char *id);
    // Makes the event current, sends its "parm_" keys to the key screen, runs its game
    // step and saves. A null id is the first event.
    void SendEventParametersToKeyScreen(const char *id);
    // Saves the current game at the current event; true.
    bool SaveGameState();
    // Prepares the transition screen for the event and pushes it. A null id is the
    // first event. Refused (popup) while the transition screen is stacked.
    void StartEvent(const char *id, bool resume, int type);
    // Starts the next event; nothing while the transition runs or without an event.
    void EndEvent();
    // Starts the saved event again, without its saved game (deleted).
    void RestartEvent();
    // Starts the saved event and has its game load the saved state.
    void ResumeSavedEvent();
    // Walks the events up to id through the processor, then starts id.
    void SimulateGameToTimelineEvent(const char *id);
    // Developer shortcuts: key 67 ends the current event.
    void Update(float dt);
    bool ProcessEvent(const ov_event_t &event);

    const char *GetCurrentEventId() const { return current_event_id; }

    // Developer export of the events as an HTML page, written to "user://dev-edits/"
    // plus the content-relative path (tools/timeline-tools.cpp). 1 when written; 0
    // after the popup "Unable to open '%s'\n" (the old file kept).
    int ExportHTML(const char *path);
    // One event's part of the page: nothing for type "...", the processor's own text
    // when it writes one, else a heading with the id and type.
    void ExportEvent(FILE *f, const char *id);

    DMDatabase *database = nullptr;
    DMArray *events = nullptr;
    TimelineProcessor *processor = nullptr;
    const char *current_event_id = nullptr;   // points into the database
    unsigned event_start_time = 0;
    bool resume = false;
    int default_transition_type = TIMELINE_AUTOMATIC;

private:
    DMNode *GetEvent(const char *id);
    const char *FirstEventId();
    void CheckEvents();
};

// The one timeline.
extern Timeline timeline;

// Registers the timeline's script functions (timeline-script.cpp).
void RegisterTimelineScriptFunctions();

// The screens list of an event: tokens separated by single commas (blanks kept; a
// comma at the end starts no token); each token's leading '!' then '&' are removed.
// `fresh` is the flag before the stack check of the first token: false for a leading
// '&', true again for a leading "!&" (`forced`, which the stack check does not undo).
struct TimelineToken {
    std::string name;
    bool fresh;
    bool forced;
};
std::vector<TimelineToken> SplitTimelineScreens(const char *list);

#endif
