// Built-in script functions of sounds, channels and music, and the audio manager's
// volumes. Effects play through the audio manager, at the player's sound volume.
#include "app/services/luaman-builtins.h"
#include "app/services/luaman.h"

#include "app/services/audioman.h"
#include "app/services/small-maths.h"
#include "ovrecords.h"

#include <math.h>
#include <strings.h>

namespace {

long Channel(lua_State *L, int index)
{
    return LuaToInt(L, index);
}

// A number argument, or the default when it is absent (a given nil reads as 0).
float NumberOr(lua_State *L, int index, float fallback)
{
    return lua_type(L, index) == LUA_TNONE ? fallback : LuaToFloat(L, index);
}

int PlayNamedSound(lua_State *L)
{
    ov_sound_t *s = ov->OV_GetSound(lua_tostring(L, 1));
    int channel = aman.PlaySound(s, NumberOr(L, 2, 1.0f), NumberOr(L, 3, 0.0f), NumberOr(L, 4, 1.0f));
    lua_pushinteger(L, channel);
    return 1;
}

}  // namespace

int luaf_OV_SlideMusicVolume(lua_State *L)
{
    ov->OV_SlideMusicVolume(LuaToFloat(L, 1) * aman.GetMusicVolume(), LuaToFloat(L, 2));
    return 0;
}

int luaf_OV_GetSound(lua_State *L)
{
    ov->OV_GetSound(lua_tostring(L, 1));
    return 0;
}

int luaf_OV_PlaySound(lua_State *L)
{
    return PlayNamedSound(L);
}

int luaf_OV_LoadSound(lua_State *L)
{
    ov->OV_LoadSound(lua_tostring(L, 1));
    return 0;
}

int luaf_OV_ReleaseSound(lua_State *L)
{
    ov_sound_t *s = ov->OV_GetSoundEx(lua_tostring(L, 1), 16);
    if (s)
        ov->OV_ReleaseSound(s);
    return 0;
}

int luaf_OV_SetChannelFrequency(lua_State *L)
{
    ov->OV_SetChannelFrequency(Channel(L, 1), LuaToFloat(L, 2));
    return 0;
}

int luaf_OV_SetChannelLooping(lua_State *L)
{
    ov->OV_SetChannelLooping(Channel(L, 1), lua_toboolean(L, 2) != 0);
    return 0;
}

int luaf_OV_SetChannelPaused(lua_State *L)
{
    ov->OV_SetChannelPaused(Channel(L, 1), lua_toboolean(L, 2) != 0);
    return 0;
}

int luaf_OV_StopChannel(lua_State *L)
{
    ov->OV_StopChannel(Channel(L, 1));
    return 0;
}

int luaf_OV_SlideChannelVolume(lua_State *L)
{
    ov->OV_SlideChannelVolume(Channel(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3));
    return 0;
}

int luaf_OV_SetSoundParm(lua_State *L)
{
    ov_sound_t *s = ov->OV_GetSound(lua_tostring(L, 1));
    const char *parm = lua_tostring(L, 2);
    if (s && parm && strcasecmp(parm, "MaxInstances") == 0)
        s->max_instances = LuaToInt(L, 3);
    return 0;
}

int luaf_SetMusicVolume(lua_State *L)
{
    float volume = Clamp01(LuaToFloat(L, 1));
    if (fabsf(volume - aman.GetMusicVolume()) >= 1e-06f)
        aman.SlideMusicVolume(volume, 0.0f);
    return 0;
}

int luaf_SetSoundVolume(lua_State *L)
{
    aman.SetSoundVolume(LuaToFloat(L, 1));
    return 0;
}

int luaf_GetMusicVolume(lua_State *L)
{
    lua_pushnumber(L, aman.GetMusicVolume());
    return 1;
}

int luaf_GetSoundVolume(lua_State *L)
{
    lua_pushnumber(L, aman.GetSoundVolume());
    return 1;
}

int luaf_CacheSound(lua_State *L)
{
    ov->OV_GetSound(lua_tostring(L, 1));
    return 0;
}

int luaf_PlaySound(lua_State *L)
{
    return PlayNamedSound(L);
}

int luaf_SwitchMusic(lua_State *L)
{
    const char *name = lua_tostring(L, 1);
    aman.SwitchMusic(ov->OV_GetSound(name), LuaToFloat(L, 2), LuaToFloat(L, 3));
    ov->OV_Printf("Switching music to '%s'...\n", name ? name : "");
    return 0;
}

int luaf_SlideMusicVolume(lua_State *L)
{
    aman.SlideMusicVolume(LuaToFloat(L, 1), LuaToFloat(L, 2));
    return 0;
}

int luaf_SetMusicLooping(lua_State *L)
{
    ov->OV_SetMusicLooping(lua_toboolean(L, 1) != 0);
    return 0;
}

int luaf_StopMusic(lua_State *L)
{
    aman.StopMusic(LuaToFloat(L, 1));
    return 0;
}

int luaf_GetCurrentMusicAsString(lua_State *L)
{
    ov_sound_t *s = ov->OV_GetMusicPlaying();
    if (!s || !s->name)
        return 0;
    lua_pushstring(L, s->name);
    return 1;
}
