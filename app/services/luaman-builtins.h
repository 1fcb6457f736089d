// The engine's built-in script functions every Lua state receives before the
// registered ones: drawing, bitmaps, fonts, sounds and music, transforms, key states,
// files, the extension call, the audio manager, the data registry, localisation.
//
// Each reads its arguments with Lua's non-raising conversions (a missing number is 0,
// a missing text null, a missing boolean false), makes its call and pushes at most one
// result; none raises a Lua error and none keeps a C++ object across a Lua call.
#ifndef APP_SERVICES_LUAMAN_BUILTINS_H
#define APP_SERVICES_LUAMAN_BUILTINS_H

#include "orvex.h"

#include <lua.hpp>

// Sets every built-in function as a global of the state, in table order.
void LuaInstallBuiltins(lua_State *L);
// The table itself, in installation order, ended by {null, null}.
const luaL_Reg *LuaGetBuiltins();

// A bitmap by name: the loaded one (looked up without loading), else OV_GetBitmap,
// which loads it and takes a reference; null when the engine has none.
ov_bitmap_t *LuaNamedBitmap(const char *name);
// Alignment flags of a text: "BOTTOM" 2, "RIGHT" 1, "HCENTER" 8, "VCENTER" 4, and
// "CENTER" both centre flags when neither is set; words found anywhere in the text.
int LuaAlignFlags(const char *text);
// The text of "GetFormattedTime": [hours:]minutes:seconds of a time in ms; hours shown
// when not 0 or when the format contains "H". A buffer of the calling thread.
const char *LuaFormattedTime(int ms, const char *format);

// The particle-effect library's share of the built-ins: "CacheFX" (load an effect and
// take its references), "SpawnFX" (effect, x, y, angle, delay into the screen manager's
// particle system) and "ReloadFxs". The library hands its calls over when it starts;
// until then (and after null is set) the three functions do nothing.
struct LuaEffectCalls {
    void (*cache)(const char *file);
    void (*spawn)(const char *file, float x, float y, float angle, float delay);
    void (*reload)();
};
void LuaSetEffectCalls(const LuaEffectCalls *calls);

// The functions of the table, by group (luaman-builtins-*.cpp).
int luaf_GetVersionString(lua_State *L);
int luaf_OrvexShutdown(lua_State *L);
int luaf_OV_LoadBitmap(lua_State *L);
int luaf_OV_GetBitmap(lua_State *L);
int luaf_OV_GetBitmapWidth(lua_State *L);
int luaf_OV_GetBitmapHeight(lua_State *L);
int luaf_OV_GetFont(lua_State *L);
int luaf_OV_GetFontHeight(lua_State *L);
int luaf_OV_DrawBitmapRS(lua_State *L);
int luaf_OV_DrawBitmapMirroredRS(lua_State *L);
int luaf_OV_DrawBitmapS(lua_State *L);
int luaf_OV_DrawBitmap(lua_State *L);
int luaf_OV_DrawSubBitmap(lua_State *L);
int luaf_OV_DrawBitmapAligned(lua_State *L);
int luaf_OV_DrawRect(lua_State *L);
int luaf_OV_DrawLine(lua_State *L);
int luaf_OV_DrawText(lua_State *L);
int luaf_SetPixelFilter(lua_State *L);
int luaf_OV_SetColor(lua_State *L);
int luaf_OV_SetAlpha(lua_State *L);
int luaf_OV_SetBlend(lua_State *L);
int luaf_OV_SetTextAlign(lua_State *L);
int luaf_OV_SetTextboxWidth(lua_State *L);
int luaf_OV_SetTextTransform(lua_State *L);
int luaf_OV_SetScissorRect(lua_State *L);
int luaf_OV_RemoveScissorRect(lua_State *L);
int luaf_OV_SetBitmapFrame(lua_State *L);
int luaf_OV_GetNumBitmapFrames(lua_State *L);
int luaf_OV_GetTextWidth(lua_State *L);
int luaf_OV_GetTextHeight(lua_State *L);
int luaf_OV_GetKeyState(lua_State *L);
int luaf_OV_GetKeyStateFloat(lua_State *L);
int luaf_OV_SetKeyState(lua_State *L);
int luaf_OV_SetKeyStateFloat(lua_State *L);
int luaf_OV_SlideMusicVolume(lua_State *L);
int luaf_OV_GetSound(lua_State *L);
int luaf_OV_PlaySound(lua_State *L);
int luaf_OV_LoadSound(lua_State *L);
int luaf_OV_ReleaseSound(lua_State *L);
int luaf_OV_SetChannelFrequency(lua_State *L);
int luaf_OV_SetChannelLooping(lua_State *L);
int luaf_OV_SetChannelPaused(lua_State *L);
int luaf_OV_StopChannel(lua_State *L);
int luaf_OV_SlideChannelVolume(lua_State *L);
int luaf_OV_SetSoundParm(lua_State *L);
int luaf_OV_CallExtension(lua_State *L);
int luaf_OV_GetTime(lua_State *L);
int luaf_OV_Popup(lua_State *L);
int luaf_OV_CreateBitmap(lua_State *L);
int luaf_OV_RefreshBitmap(lua_State *L);
int luaf_OV_ReleaseBitmap(lua_State *L);
int luaf_OV_PushTransformTranslation(lua_State *L);
int luaf_OV_PushTransformRotation(lua_State *L);
int luaf_OV_PushTransformScale(lua_State *L);
int luaf_OV_PopTransform(lua_State *L);
int luaf_OV_SetBitmapCacheMode(lua_State *L);
int luaf_OV_FileExists(lua_State *L);
int luaf_OV_BlurBitmap(lua_State *L);
int luaf_OV_CopyBitmap(lua_State *L);
int luaf_OV_BitmapColorSepia(lua_State *L);
int luaf_OV_BitmapColorBlackAndWhite(lua_State *L);
int luaf_SetMusicVolume(lua_State *L);
int luaf_SetSoundVolume(lua_State *L);
int luaf_GetMusicVolume(lua_State *L);
int luaf_GetSoundVolume(lua_State *L);
int luaf_SetScreenWindowed(lua_State *L);
int luaf_IsScreenWindowed(lua_State *L);
int luaf_CacheSound(lua_State *L);
int luaf_PlaySound(lua_State *L);
int luaf_SwitchMusic(lua_State *L);
int luaf_SlideMusicVolume(lua_State *L);
int luaf_SetMusicLooping(lua_State *L);
int luaf_StopMusic(lua_State *L);
int luaf_GetCurrentMusicAsString(lua_State *L);
int luaf_CacheFX(lua_State *L);
int luaf_SpawnFX(lua_State *L);
int luaf_DM_GetValue(lua_State *L);
int luaf_DM_GetArraySize(lua_State *L);
int luaf_DM_GetArrayId(lua_State *L);
int luaf_DM_GetNumberOfArrays(lua_State *L);
int luaf_DM_GetNodeIndexById(lua_State *L);
int luaf_LuaInclude(lua_State *L);
int luaf_Localize(lua_State *L);
int luaf_LocalizeComment(lua_State *L);
int luaf_LocalizeNewLine(lua_State *L);
int luaf_LocalizeNumber(lua_State *L);
int luaf_LocalizeTime(lua_State *L);
int luaf_GetFormattedTime(lua_State *L);
int luaf_ReloadFxs(lua_State *L);
int luaf_IsDeveloperModeActive(lua_State *L);
int luaf_Print(lua_State *L);

#endif
