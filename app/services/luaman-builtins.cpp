// The table of built-in script functions, in the order they are installed, and the
// functions of the program itself: version, shutdown, key states, the extension call,
// time, popups, files, window mode, script inclusion and the log.
#include "app/services/luaman-builtins.h"

#include "app/services/filehelpers.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"

#include "ovkeynames.h"

#include <stdio.h>
#include <string.h>

#include <atomic>

namespace {

// The effect library's calls, set when it starts (null before).
std::atomic<const LuaEffectCalls *> effect_calls{nullptr};

const luaL_Reg kBuiltins[] = {
    {"GetVersionString", luaf_GetVersionString},
    {"OrvexShutdown", luaf_OrvexShutdown},
    {"OV_LoadBitmap", luaf_OV_LoadBitmap},
    {"OV_GetBitmap", luaf_OV_GetBitmap},
    {"OV_GetBitmapWidth", luaf_OV_GetBitmapWidth},
    {"OV_GetBitmapHeight", luaf_OV_GetBitmapHeight},
    {"OV_GetFont", luaf_OV_GetFont},
    {"OV_GetFontHeight", luaf_OV_GetFontHeight},
    {"OV_DrawBitmapRS", luaf_OV_DrawBitmapRS},
    {"OV_DrawBitmapMirroredRS", luaf_OV_DrawBitmapMirroredRS},
    {"OV_DrawBitmapS", luaf_OV_DrawBitmapS},
    {"OV_DrawBitmap", luaf_OV_DrawBitmap},
    {"OV_DrawSubBitmap", luaf_OV_DrawSubBitmap},
    {"OV_DrawBitmapAligned", luaf_OV_DrawBitmapAligned},
    {"OV_DrawRect", luaf_OV_DrawRect},
    {"OV_DrawLine", luaf_OV_DrawLine},
    {"OV_DrawText", luaf_OV_DrawText},
    {"OV_SetPixelFilter", luaf_SetPixelFilter},
    {"OV_SetColor", luaf_OV_SetColor},
    {"OV_SetAlpha", luaf_OV_SetAlpha},
    {"OV_SetBlend", luaf_OV_SetBlend},
    {"OV_SetTextAlign", luaf_OV_SetTextAlign},
    {"OV_SetTextboxWidth", luaf_OV_SetTextboxWidth},
    {"OV_SetTextTransform", luaf_OV_SetTextTransform},
    {"OV_SetScissorRect", luaf_OV_SetScissorRect},
    {"OV_RemoveScissorRect", luaf_OV_RemoveScissorRect},
    {"OV_SetBitmapFrame", luaf_OV_SetBitmapFrame},
    {"OV_GetNumBitmapFrames", luaf_OV_GetNumBitmapFrames},
    {"OV_GetTextWidth", luaf_OV_GetTextWidth},
    {"OV_GetTextHeight", luaf_OV_GetTextHeight},
    {"OV_GetKeyState", luaf_OV_GetKeyState},
    {"OV_GetKeyStateFloat", luaf_OV_GetKeyStateFloat},
    {"OV_SetKeyState", luaf_OV_SetKeyState},
    {"OV_SetKeyStateFloat", luaf_OV_SetKeyStateFloat},
    {"OV_SlideMusicVolume", luaf_OV_SlideMusicVolume},
    {"OV_GetSound", luaf_OV_GetSound},
    {"OV_PlaySound", luaf_OV_PlaySound},
    {"OV_LoadSound", luaf_OV_LoadSound},
    {"OV_ReleaseSound", luaf_OV_ReleaseSound},
    {"OV_SetChannelFrequency", luaf_OV_SetChannelFrequency},
    {"OV_SetChannelLooping", luaf_OV_SetChannelLooping},
    {"OV_SetChannelPaused", luaf_OV_SetChannelPaused},
    {"OV_StopChannel", luaf_OV_StopChannel},
    {"OV_SlideChannelVolume", luaf_OV_SlideChannelVolume},
    {"OV_SetSoundParm", luaf_OV_SetSoundParm},
    {"OV_CallExtension", luaf_OV_CallExtension},
    {"OV_GetTime", luaf_OV_GetTime},
    {"OV_Popup", luaf_OV_Popup},
    {"OV_CreateBitmap", luaf_OV_CreateBitmap},
    {"OV_RefreshBitmap", luaf_OV_RefreshBitmap},
    {"OV_ReleaseBitmap", luaf_OV_ReleaseBitmap},
    {"OV_PushTransformTranslation", luaf_OV_PushTransformTranslation},
    {"OV_PushTransformRotation", luaf_OV_PushTransformRotation},
    {"OV_PushTransformScale", luaf_OV_PushTransformScale},
    {"OV_PopTransform", luaf_OV_PopTransform},
    {"OV_SetBitmapCacheMode", luaf_OV_SetBitmapCacheMode},
    {"OV_FileExists", luaf_OV_FileExists},
    {"OV_BlurBitmap", luaf_OV_BlurBitmap},
    {"OV_CopyBitmap", luaf_OV_CopyBitmap},
    {"OV_BitmapColorSepia", luaf_OV_BitmapColorSepia},
    {"OV_BitmapColorBlackAndWhite", luaf_OV_BitmapColorBlackAndWhite},
    {"SetMusicVolume", luaf_SetMusicVolume},
    {"SetSoundVolume", luaf_SetSoundVolume},
    {"GetMusicVolume", luaf_GetMusicVolume},
    {"GetSoundVolume", luaf_GetSoundVolume},
    {"SetScreenWindowed", luaf_SetScreenWindowed},
    {"IsScreenWindowed", luaf_IsScreenWindowed},
    {"CacheSound", luaf_CacheSound},
    {"PlaySound", luaf_PlaySound},
    {"SwitchMusic", luaf_SwitchMusic},
    {"SlideMusicVolume", luaf_SlideMusicVolume},
    {"SetMusicLooping", luaf_SetMusicLooping},
    {"StopMusic", luaf_StopMusic},
    {"GetCurrentMusicAsString", luaf_GetCurrentMusicAsString},
    {"CacheFX", luaf_CacheFX},
    {"SpawnFX", luaf_SpawnFX},
    {"DM_GetValue", luaf_DM_GetValue},
    {"DM_GetArraySize", luaf_DM_GetArraySize},
    {"DM_GetArrayId", luaf_DM_GetArrayId},
    {"DM_GetNumberOfArrays", luaf_DM_GetNumberOfArrays},
    {"DM_GetNodeIndexById", luaf_DM_GetNodeIndexById},
    {"LuaInclude", luaf_LuaInclude},
    {"Localize", luaf_Localize},
    {"LocalizeComment", luaf_LocalizeComment},
    {"LocalizeNewLine", luaf_LocalizeNewLine},
    {"LocalizeNumber", luaf_LocalizeNumber},
    {"LocalizeTime", luaf_LocalizeTime},
    {"GetFormattedTime", luaf_GetFormattedTime},
    {"ReloadFxs", luaf_ReloadFxs},
    {"IsDeveloperModeActive", luaf_IsDeveloperModeActive},
    {"Print", luaf_Print},
    {nullptr, nullptr},
};

}  // namespace

void LuaInstallBuiltins(lua_State *L)
{
    for (const luaL_Reg *r = kBuiltins; r->name; r++)
        LuaManager::RegisterLuaFunc(L, r->name, r->func);
}

const luaL_Reg *LuaGetBuiltins()
{
    return kBuiltins;
}

int luaf_GetVersionString(lua_State *L)
{
    char version[sizeof prog.version + 1];
    memcpy(version, prog.version, sizeof prog.version);
    version[sizeof prog.version] = 0;
    lua_pushstring(L, version);
    return 1;
}

int luaf_OrvexShutdown(lua_State *L)
{
    ov->OV_SignalShutdown();
    return 0;
}

int luaf_OV_GetKeyState(lua_State *L)
{
    lua_pushinteger(L, ov->OV_GetKeyStatei(OV_GetKeyByName(lua_tostring(L, 1))));
    return 1;
}

int luaf_OV_GetKeyStateFloat(lua_State *L)
{
    lua_pushnumber(L, ov->OV_GetKeyStatef(OV_GetKeyByName(lua_tostring(L, 1))));
    return 1;
}

int luaf_OV_SetKeyState(lua_State *L)
{
    ov->OV_SetKeyStatei(OV_GetKeyByName(lua_tostring(L, 1)), LuaToInt(L, 2));
    return 0;
}

int luaf_OV_SetKeyStateFloat(lua_State *L)
{
    ov->OV_SetKeyStatef(OV_GetKeyByName(lua_tostring(L, 1)), LuaToFloat(L, 2));
    return 0;
}

int luaf_OV_CallExtension(lua_State *L)
{
    const char *command = lua_tostring(L, 1);
    const char *argument = TextOrEmpty(lua_tostring(L, 2));
    size_t len = strlen(argument);
    if (len >= 1023)
        return 0;
    char buffer[1024];
    memcpy(buffer, argument, len + 1);
    const char *reply = ov->OV_CallExtension(command, buffer);
    if (!reply)
        return 0;
    lua_pushstring(L, reply);
    return 1;
}

int luaf_OV_GetTime(lua_State *L)
{
    lua_pushinteger(L, (lua_Integer)ov->OV_GetTime());
    return 1;
}

int luaf_OV_Popup(lua_State *L)
{
    ov->OV_Popupf(0, "%s", TextOrEmpty(lua_tostring(L, 1)));
    return 0;
}

int luaf_OV_FileExists(lua_State *L)
{
    const char *name = lua_tostring(L, 1);
    lua_pushinteger(L, name && FileOpens(name) ? 1 : 0);
    return 1;
}

int luaf_SetScreenWindowed(lua_State *L)
{
    prog.parms.windowed = lua_toboolean(L, 1) ? 1 : 0;
    return 0;
}

int luaf_IsScreenWindowed(lua_State *L)
{
    lua_pushboolean(L, prog.parms.windowed);
    return 1;
}

int luaf_LuaInclude(lua_State *L)
{
    lua_man.ExecLuaFile(L, lua_tostring(L, 1));
    return 0;
}

const char *LuaFormattedTime(int ms, const char *format)
{
    static thread_local char text[64];
    int s = ms / 1000;
    int hours = s / 3600, rest = s % 3600;
    int n = 0;
    if (hours != 0 || (format && strchr(format, 'H')))
        n = snprintf(text, sizeof text, "%.2d:", hours);
    snprintf(text + n, sizeof text - n, "%.2d:%.2d", rest / 60, rest % 60);
    return text;
}

int luaf_GetFormattedTime(lua_State *L)
{
    const char *format = lua_type(L, 2) == LUA_TNONE ? "HH:MM:SS" : lua_tostring(L, 2);
    lua_pushstring(L, LuaFormattedTime(LuaToInt(L, 1), format));
    return 1;
}

int luaf_IsDeveloperModeActive(lua_State *L)
{
    lua_pushboolean(L, prog.parms.developer_mode);
    return 1;
}

int luaf_Print(lua_State *L)
{
    ov->OV_Printf("%s", TextOrEmpty(lua_tostring(L, 1)));
    return 0;
}

void LuaSetEffectCalls(const LuaEffectCalls *calls)
{
    effect_calls.store(calls, std::memory_order_release);
}

int luaf_CacheFX(lua_State *L)
{
    const LuaEffectCalls *calls = effect_calls.load(std::memory_order_acquire);
    if (calls && calls->cache)
        calls->cache(lua_tostring(L, 1));
    return 0;
}

int luaf_SpawnFX(lua_State *L)
{
    const LuaEffectCalls *calls = effect_calls.load(std::memory_order_acquire);
    if (calls && calls->spawn)
        calls->spawn(lua_tostring(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3),
                     LuaToFloat(L, 4), LuaToFloat(L, 5));
    return 0;
}

int luaf_ReloadFxs(lua_State *)
{
    const LuaEffectCalls *calls = effect_calls.load(std::memory_order_acquire);
    if (calls && calls->reload)
        calls->reload();
    return 0;
}
