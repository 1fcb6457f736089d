// The timeline (see timeline.h): loading and checking the events, the order of events
// with its redirections, the key screen and its parameters, starting and ending events
// through the transition screen, and the saved position in the profile.
#include "app/ui/timeline.h"

#include "app/services/dataman.h"
#include "app/services/gameman.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/timeline-transition.h"
#include "app/ui/ui-comps.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

Timeline timeline;

namespace {

const float kDefaultDuration = 0.5f;
const float kShortestDuration = 0.001f;

const char *TimelineFileForGames()
{
    return timeline.GetTimelineFilename();
}

void LoadTimelineForGames(const char *file)
{
    timeline.LoadTimeline(file);
}

void SkipNextFrameTime()
{
    sman.ResetNextFrameTimeDelta();
}

bool IsJump(const DMNode *node)
{
    const char *type = node->GetValue("type");
    return type && strcmp(type, "JUMP") == 0;
}

// "transition_duration" in seconds: 0.5 when missing or not a finite number, the
// shortest fade for 0 or less.
float DurationOf(const DMNode *node)
{
    const char *text = node->GetValue("transition_duration");
    if (!text)
        return kDefaultDuration;
    float d = (float)atof(text);
    if (isinf(d))
        return kDefaultDuration;
    return d > 0.0f ? d : kShortestDuration;
}

}  // namespace

std::vector<TimelineToken> SplitTimelineScreens(const char *list)
{
    std::vector<TimelineToken> tokens;
    if (!list || !list[0])
        return tokens;
    const char *p = list;
    for (;;) {
        const char *comma = strchr(p, ',');
        std::string raw = comma ? std::string(p, comma - p) : std::string(p);
        TimelineToken t;
        t.forced = raw.compare(0, 2, "!&") == 0;
        t.fresh = raw.empty() || raw[0] != '&' || t.forced;
        size_t skip = 0;
        if (skip < raw.size() && raw[skip] == '!')
            skip++;
        if (skip < raw.size() && raw[skip] == '&')
            skip++;
        t.name = raw.substr(skip);
        tokens.push_back(t);
        if (!comma || !comma[1])
            break;
        p = comma + 1;
    }
    return tokens;
}

bool Timeline::Init()
{
    RegisterTimelineScriptFunctions();
    game_man.SetTimelineLink(GameTimelineLink{TimelineFileForGames, LoadTimelineForGames, SkipNextFrameTime});
    return true;
}

void Timeline::LoadTimeline(const char *file)
{
    if (!file)
        return;
    if (database && database->name && strcmp(database->name, file) == 0)
        return;
    // A copy: the name may be the profile value written below.
    std::string name = file;
    database = nullptr;
    events = nullptr;
    DMDatabase *db = dman().GetDatabase(name.c_str());
    DMArray *array = db ? db->GetArray("timeline") : nullptr;
    if (!array)
        return;
    database = db;
    events = array;
    if (prog.parms.developer_mode)
        CheckEvents();
    if (prof)
        prof->SetValue("!SAVE_STATE", "timeline", "value", name.c_str());
}

void Timeline::CheckEvents()
{
    const char *file = database->name ? database->name : "";
    int count = events->GetSize();
    for (int i = 0; i < count; i++) {
        DMNode *node = events->GetNode(i);
        const char *id = node->id ? node->id : "";
        if (IsJump(node))
            continue;
        if (!node->GetValue("screens"))
            ov->OV_Popupf(1, "Event id '%s' is missing 'screens' definition in timeline '%s'.\n", id, file);
        if (node->GetValue("ui"))
            ov->OV_Popupf(1,
                          "Event id '%s' has 'ui' defined in timeline '%s'. The UI is tied to Screen at load time "
                          "and cannot be altered afterwards.\n",
                          id, file);
    }
    for (int i = 0; i < count; i++) {
        const char *a = events->GetNode(i)->id;
        for (int j = 0; a && j < count; j++) {
            const char *b = events->GetNode(j)->id;
            if (i != j && b && strcmp(a, b) == 0)
                ov->OV_Popupf(1, "Duplicate id '%s' in timeline '%s'.\n", a, file);
        }
    }
}

void Timeline::FreeTimeline()
{
    database = nullptr;
    events = nullptr;
    current_event_id = nullptr;
}

const char *Timeline::GetTimelineFilename()
{
    return database ? database->name : nullptr;
}

DMNode *Timeline::GetEvent(const char *id)
{
    return events && id ? events->GetNode(id) : nullptr;
}

const char *Timeline::FirstEventId()
{
    DMNode *first = events ? events->GetNode(0) : nullptr;
    return first ? first->id : nullptr;
}

bool Timeline::EventExists(const char *id)
{
    return GetEvent(id) != nullptr;
}

const char *Timeline::GetEventType(const char *id)
{
    DMNode *node = GetEvent(id);
    return node ? node->GetValue("type") : nullptr;
}

void Timeline::GetEventInfo(TimelineEventInfo *info, const char *id)
{
    DMNode *node = GetEvent(id);
    if (!info || !node || !node->GetValue("type"))
        return;
    const char *game = node->GetValue("game"), *screens = node->GetValue("screens");
    info->type = node->GetValue("type");
    info->game = game ? game : "n/a";
    info->screens = screens ? screens : "n/a";
}

bool Timeline::SavedEventExists()
{
    const char *file = GetTimelineFilename();
    return prof && file && prof->GetValue("!TIMELINES", file, "event");
}

const char *Timeline::GetNextEventId(const char *id)
{
    int count = events ? events->GetSize() : 0;
    int index = events && id ? events->GetNodeIndexById(id) : -1;
    if (count == 0 || index < 0)
        return nullptr;
    DMNode *next = events->GetNode((index + 1) % count);
    return IsJump(next) ? next->GetValue("event") : next->id;
}

Screen *Timeline::GetKeyScreenForEvent(const char *id)
{
    DMNode *node = GetEvent(id);
    if (!node) {
        ov->OV_Popupf(1, "Unknown event id '%s' in Timeline::GetKeyScreenForEvent.\n", id ? id : "");
        return nullptr;
    }
    if (const char *key = node->GetValue("key_screen"))
        return Screen::GetScreen(key);
    std::vector<TimelineToken> tokens = SplitTimelineScreens(node->GetValue("screens"));
    if (!tokens.empty())
        return Screen::GetScreen(tokens.back().name.c_str());
    ov->OV_Popupf(1, "No Key Screen found for event id '%s' in Timeline::GetKeyScreenForEvent.\n", id);
    return nullptr;
}

void Timeline::SendEventParametersToKeyScreen(const char *id)
{
    if (!events)
        return;
    if (!id)
        id = FirstEventId();
    DMNode *node = GetEvent(id);
    if (!node) {
        ov->OV_Popupf(1, "Unknown event id '%s' in Timeline::SendEventParametersToKeyScreen.\n", id ? id : "");
        return;
    }
    current_event_id = node->id;
    Screen *key = GetKeyScreenForEvent(node->id);
    static const char kPrefix[] = "parm_";
    for (int i = 0; i < node->count; i++) {
        const DMValue &pair = node->pairs[i];
        if (pair.key && strncmp(pair.key, kPrefix, sizeof kPrefix - 1) == 0)
            sman.SendScreenMessage(nullptr, key, pair.key + sizeof kPrefix - 1, pair.value);
    }
    bool handled = processor && processor->ProcessEventParameters(node);
    const char *game = node->GetValue("game");
    if (!handled && game) {
        if (game_man.SetActiveGame(game)) {
            const char *level = node->GetValue("level");
            if (GameImplementation *g = game_man.GetActiveGame())
                g->InitLevel(level ? level : node->id);
        } else {
            ov->OV_Popupf(1, "Timeline::SendEventParametersToKeyScreen: event referring to unknown game '%s'\n", game);
        }
        if (resume && game_man.SaveGameExists())
            game_man.LoadSaveGame();
    }
    SaveGameState();
}

bool Timeline::SaveGameState()
{
    game_man.SaveCurrentGame(current_event_id);
    return true;
}

void Timeline::StartEvent(const char *id, bool resume_game, int type)
{
    if (!events)
        return;
    if (!id)
        id = FirstEventId();
    if (!id)
        return;   // an empty timeline
    DMNode *node = GetEvent(id);
    if (!node) {
        ov->OV_Popupf(1, "Timeline::StartEvent error: timeline event with id '%s' doesn't exist.\n", id);
        return;
    }
    TimelineTransition &t = timeline_transition;
    if (sman.IsScreenInStack(&t)) {
        ov->OV_Popupf(1, "Timeline::StartEvent: transition already running, event '%s' not started.\n", id);
        return;
    }
    ov->OV_Printf("Timeline starting event '%s' after transition\n", node->id);
    event_start_time = ov->OV_GetTime();
    // Preloading forgets the list: it runs before the list is filled.
    Screen::PreLoadScreen(&t);
    t.SetEventId(node->id);
    resume = resume_game;

    t.screens.Clear();
    std::vector<TimelineToken> tokens = SplitTimelineScreens(node->GetValue("screens"));
    for (size_t i = 0; i < tokens.size(); i++) {
        TimelineScreenEntry entry;
        entry.screen = Screen::GetScreen(tokens[i].name.c_str());
        entry.fresh = tokens[i].fresh;
        if (i == 0 && !tokens[i].forced && sman.IsScreenInStack(entry.screen))
            entry.fresh = false;
        t.screens.InsertLast(entry);
    }

    if (type == TIMELINE_DEFAULT)
        type = default_transition_type;
    if (type == TIMELINE_AUTOMATIC) {
        Screen *first = t.screens.Count() > 0 ? t.screens[0].screen : nullptr;
        type = sman.IsScreenInStack(first) ? TIMELINE_DYNAMIC : TIMELINE_FADE_BLACK;
    }
    if (const char *word = node->GetValue("transition")) {
        if (strcasecmp(word, "FADE_BLACK") == 0)
            type = TIMELINE_FADE_BLACK;
        else if (strcasecmp(word, "DYNAMIC") == 0)
            type = TIMELINE_DYNAMIC;
    }
    ov->OV_Printf("SetTransitionType %d (%s)\n", type, type == TIMELINE_FADE_BLACK ? "FADE_BLACK" : "DYNAMIC");
    t.transition_type = type;
    if (UIComp *fader = t.GetComp("fader")) {
        if (type == TIMELINE_FADE_BLACK)
            fader->color.a = 1.0f;
        else if (type == TIMELINE_DYNAMIC)
            fader->color.a = 0.0f;
    }
    float speed = 1.0f / DurationOf(node);
    t.enter_speed = speed;
    t.leave_speed = speed;
    sman.PushScreen(&t, 0);
}

void Timeline::EndEvent()
{
    if (sman.IsScreenInStack(&timeline_transition) || !events || !current_event_id)
        return;
    resume = false;
    ov->OV_Printf("Timeline ending event '%s'. Event duration was %.2f\n", current_event_id,
                  (double)(ov->OV_GetTime() - event_start_time) / 1000.0);
    StartEvent(GetNextEventId(current_event_id), false, TIMELINE_DEFAULT);
}

void Timeline::RestartEvent()
{
    if (!prof)
        return;
    if (const char *saved = prof->GetValue("!SAVE_STATE", "timeline", "value")) {
        std::string file = saved;
        LoadTimeline(file.c_str());
    }
    const char *file = GetTimelineFilename();
    const char *event = file ? prof->GetValue("!TIMELINES", file, "event") : nullptr;
    // A copy: deleting the save rewrites the profile's node.
    std::string id = event ? event : "";
    game_man.DeleteSaveGame();
    StartEvent(event ? id.c_str() : nullptr, false, TIMELINE_FADE_BLACK);
}

void Timeline::ResumeSavedEvent()
{
    if (!prof)
        return;
    if (const char *saved = prof->GetValue("!SAVE_STATE", "timeline", "value")) {
        std::string file = saved;
        LoadTimeline(file.c_str());
    }
    const char *file = GetTimelineFilename();
    const char *event = file ? prof->GetValue("!TIMELINES", file, "event") : nullptr;
    if (event) {
        std::string id = event;
        StartEvent(id.c_str(), true, TIMELINE_FADE_BLACK);
    } else {
        StartEvent(nullptr, false, TIMELINE_FADE_BLACK);
    }
}

void Timeline::SimulateGameToTimelineEvent(const char *id)
{
    int count = events ? events->GetSize() : 0;
    if (processor && count > 0)
        processor->BeginSimulation();
    for (int i = 0; i < count; i++) {
        DMNode *node = events->GetNode(i);
        if (id && node->id && strcmp(node->id, id) == 0)
            break;
        current_event_id = node->id;
        if (processor)
            processor->SimulateEvent(id, node);
    }
    StartEvent(id, false, TIMELINE_DEFAULT);
}

void Timeline::Update(float)
{
    if (prog.parms.developer_mode && ov->OV_GetKeyStatei(67))
        EndEvent();
}

bool Timeline::ProcessEvent(const ov_event_t &event)
{
    if (prog.parms.developer_mode && event.type == 8 && event.key == 67)
        EndEvent();
    return false;
}
