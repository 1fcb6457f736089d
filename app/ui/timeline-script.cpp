// Script functions of the timeline: "SetActiveTimeline", "GetActiveTimeline",
// "EndTimelineEvent", "BeginTimelineEvent", "SaveAtNextTimelineEvent",
// "ResumeSavedTimelineEvent", "RestartTimelineEvent", "SavedTimelineEventExists",
// "GetCurrentTimelineEventType", "GetCurrentTimelineEvent", "EventExists".
//
// "EndTimelineEvent" and "BeginTimelineEvent" save while the transition has only been
// started, so they save the event that was current before it; the transition saves
// again at the new event once it has sent the parameters.
#include "app/services/gameman.h"
#include "app/services/luaman.h"
#include "app/ui/timeline.h"

#include <string.h>

namespace {

void PushTextOrNil(lua_State *L, const char *text)
{
    if (text)
        lua_pushstring(L, text);
    else
        lua_pushnil(L);
}

// Saves at the event, or reports that there is none.
void SaveAt(const char *event)
{
    if (!event) {
        ov->OV_Popupf(1, "Warning: null timeline event.");
        return;
    }
    game_man.SaveCurrentGame(event);
}

int luaf_SetActiveTimeline(lua_State *L)
{
    timeline.LoadTimeline(lua_tostring(L, 1));
    return 0;
}

int luaf_GetActiveTimeline(lua_State *L)
{
    PushTextOrNil(L, timeline.GetTimelineFilename());
    return 1;
}

int luaf_EndTimelineEvent(lua_State *)
{
    ov->OV_Printf("End timeline event.\n");
    timeline.EndEvent();
    SaveAt(timeline.GetCurrentEventId());
    return 0;
}

int luaf_BeginTimelineEvent(lua_State *L)
{
    const char *id = lua_tostring(L, 1);
    if (id && strcmp(id, "!FIRST") == 0)
        timeline.StartEvent(nullptr, false, TIMELINE_DEFAULT);
    else
        timeline.StartEvent(id, true, TIMELINE_DEFAULT);
    game_man.SaveCurrentGame(timeline.GetCurrentEventId());
    return 0;
}

int luaf_SaveAtNextTimelineEvent(lua_State *)
{
    ov->OV_Printf("Save at next timeline event.\n");
    SaveAt(timeline.GetNextEventId(timeline.GetCurrentEventId()));
    return 0;
}

int luaf_ResumeSavedTimelineEvent(lua_State *)
{
    timeline.ResumeSavedEvent();
    return 0;
}

int luaf_RestartTimelineEvent(lua_State *)
{
    timeline.RestartEvent();
    return 0;
}

int luaf_SavedTimelineEventExists(lua_State *L)
{
    lua_pushboolean(L, timeline.SavedEventExists());
    return 1;
}

int luaf_GetCurrentTimelineEventType(lua_State *L)
{
    const char *type = timeline.GetEventType(timeline.GetCurrentEventId());
    if (!type)
        return 0;
    lua_pushstring(L, type);
    return 1;
}

int luaf_GetCurrentTimelineEvent(lua_State *L)
{
    PushTextOrNil(L, timeline.GetCurrentEventId());
    return 1;
}

int luaf_EventExists(lua_State *L)
{
    lua_pushboolean(L, timeline.EventExists(lua_tostring(L, 1)));
    return 1;
}

const luaL_Reg kTimelineFunctions[] = {
    {"SetActiveTimeline", luaf_SetActiveTimeline},
    {"GetActiveTimeline", luaf_GetActiveTimeline},
    {"EndTimelineEvent", luaf_EndTimelineEvent},
    {"BeginTimelineEvent", luaf_BeginTimelineEvent},
    {"SaveAtNextTimelineEvent", luaf_SaveAtNextTimelineEvent},
    {"ResumeSavedTimelineEvent", luaf_ResumeSavedTimelineEvent},
    {"RestartTimelineEvent", luaf_RestartTimelineEvent},
    {"SavedTimelineEventExists", luaf_SavedTimelineEventExists},
    {"GetCurrentTimelineEventType", luaf_GetCurrentTimelineEventType},
    {"GetCurrentTimelineEvent", luaf_GetCurrentTimelineEvent},
    {"EventExists", luaf_EventExists},
    {nullptr, nullptr},
};

}  // namespace

void RegisterTimelineScriptFunctions()
{
    for (const luaL_Reg *r = kTimelineFunctions; r->name; r++)
        lua_man.AddLuaFunction(r->name, r->func);
}
