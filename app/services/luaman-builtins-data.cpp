// Built-in script functions of the data registry and of localisation.
#include "app/services/luaman-builtins.h"
#include "app/services/luaman.h"

#include "app/services/dataman.h"
#include "app/services/localization.h"

#include <stdint.h>

namespace {

// The database of the file named by the first argument; null for a missing name.
DMDatabase *Database(lua_State *L)
{
    const char *file = lua_tostring(L, 1);
    return file ? dman().GetDatabase(file) : nullptr;
}

// The array of an argument: by index when it is a number or a numeric text, else by id.
DMArray *ArrayOf(DMDatabase *db, lua_State *L, int index)
{
    if (!db)
        return nullptr;
    if (lua_isnumber(L, index))
        return db->GetArray(LuaToInt(L, index));
    return db->GetArray(lua_tostring(L, index));
}

// Pushes a text, or nothing for null; the number of results.
int PushText(lua_State *L, const char *text)
{
    if (!text)
        return 0;
    lua_pushstring(L, text);
    return 1;
}

}  // namespace

int luaf_DM_GetValue(lua_State *L)
{
    DMArray *array = ArrayOf(Database(L), L, 2);
    if (!array)
        return 0;
    DMNode *node = lua_isnumber(L, 3) ? array->GetNode(LuaToInt(L, 3)) : array->GetNode(lua_tostring(L, 3));
    if (!node)
        return 0;
    return PushText(L, node->GetValue(lua_tostring(L, 4)));
}

int luaf_DM_GetArraySize(lua_State *L)
{
    DMArray *array = ArrayOf(Database(L), L, 2);
    if (!array)
        return 0;
    lua_pushinteger(L, array->GetSize());
    return 1;
}

int luaf_DM_GetArrayId(lua_State *L)
{
    DMDatabase *db = Database(L);
    const char *id = lua_tostring(L, 2);
    if (!db || !db->GetArray(id))
        return 0;
    return PushText(L, id);
}

int luaf_DM_GetNumberOfArrays(lua_State *L)
{
    DMDatabase *db = Database(L);
    lua_pushinteger(L, db ? db->GetNumberOfArrays() : 0);
    return 1;
}

int luaf_DM_GetNodeIndexById(lua_State *L)
{
    DMDatabase *db = Database(L);
    DMArray *array = db ? db->GetArray(lua_tostring(L, 2)) : nullptr;
    if (!array)
        return 0;
    lua_pushinteger(L, array->GetNodeIndexById(lua_tostring(L, 3)));
    return 1;
}

int luaf_Localize(lua_State *L)
{
    return PushText(L, loc_man().Localize(lua_tostring(L, 1)));
}

int luaf_LocalizeComment(lua_State *L)
{
    loc_man().LocalizeComment(lua_tostring(L, 1));
    return 0;
}

int luaf_LocalizeNewLine(lua_State *L)
{
    loc_man().LocalizeNewLine();
    return 0;
}

int luaf_LocalizeNumber(lua_State *L)
{
    lua_pushstring(L, loc_man().LocalizeNumber(LuaToInt(L, 1)));
    return 1;
}

int luaf_LocalizeTime(lua_State *L)
{
    lua_pushstring(L, loc_man().LocalizeTime(LuaToInt(L, 1)));
    return 1;
}
