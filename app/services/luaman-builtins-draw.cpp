// Built-in script functions of bitmaps, fonts, drawing, text, render state and
// transforms.
#include "app/services/luaman-builtins.h"
#include "app/services/luaman.h"

#include "app/services/prog.h"
#include "ovrecords.h"

#include <math.h>
#include <string.h>
#include <strings.h>

namespace {

void PushTransform(const float (&m)[16])
{
    nTransform t;
    memcpy(t.m, m, sizeof t.m);
    ov->OV_PushTransform(&t);
}

}  // namespace

ov_bitmap_t *LuaNamedBitmap(const char *name)
{
    ov_bitmap_t *b = ov->OV_GetBitmapEx(name, 16);
    return b ? b : ov->OV_GetBitmap(name);
}

int LuaAlignFlags(const char *text)
{
    if (!text)
        return 0;
    int flags = 0;
    if (strstr(text, "BOTTOM"))
        flags |= 2;
    if (strstr(text, "RIGHT"))
        flags |= 1;
    if (strstr(text, "HCENTER"))
        flags |= 8;
    if (strstr(text, "VCENTER"))
        flags |= 4;
    if (!(flags & 12) && strstr(text, "CENTER"))
        flags |= 12;
    return flags;
}

int luaf_OV_LoadBitmap(lua_State *L)
{
    const char *name = lua_tostring(L, 1);
    int mode = 4;
    if (lua_type(L, 2) != LUA_TNONE) {
        const char *text = lua_tostring(L, 2);
        if (text && strcmp(text, "NOTHING") == 0)
            mode = 0;
        else if (!text || strcmp(text, "DEFAULT") != 0)
            ov->OV_Popupf(1, "Unsupported cache mode in lua OV_LoadBitmap (%s, %s)", TextOrEmpty(name), TextOrEmpty(text));
    }
    ov->OV_LoadBitmap(name, mode);
    return 0;
}

int luaf_OV_GetBitmap(lua_State *L)
{
    ov->OV_GetBitmap(lua_tostring(L, 1));
    return 0;
}

int luaf_OV_GetBitmapWidth(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    lua_pushinteger(L, b ? b->width : 0);
    return 1;
}

int luaf_OV_GetBitmapHeight(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    lua_pushinteger(L, b ? b->height : 0);
    return 1;
}

int luaf_OV_GetFont(lua_State *L)
{
    ov->OV_GetFont(lua_tostring(L, 1));
    return 0;
}

int luaf_OV_GetFontHeight(lua_State *L)
{
    ov_font_t *f = ov->OV_GetFont(lua_tostring(L, 1));
    lua_pushinteger(L, f ? f->height : 0);
    return 1;
}

int luaf_OV_DrawBitmapRS(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    if (b)
        ov->OV_DrawBitmapRS(b, LuaToFloat(L, 2), LuaToFloat(L, 3), LuaToFloat(L, 4), LuaToFloat(L, 5));
    return 0;
}

int luaf_OV_DrawBitmapMirroredRS(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    if (!b)
        return 0;
    float x = LuaToFloat(L, 2), y = LuaToFloat(L, 3), angle = LuaToFloat(L, 4), scale = LuaToFloat(L, 5);
    float u0 = b->hw.u0;
    b->hw.u0 = b->hw.u1;
    b->hw.u1 = u0;
    ov->OV_DrawBitmapRS(b, x, y, angle, scale);
    b->hw.u1 = b->hw.u0;
    b->hw.u0 = u0;
    return 0;
}

int luaf_OV_DrawBitmapS(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    if (!b)
        return 0;
    float x = LuaToFloat(L, 2), y = LuaToFloat(L, 3), s = LuaToFloat(L, 4);
    if (b->width % 2)
        x += 0.5f;
    if (b->height % 2)
        y += 0.5f;
    ov->OV_DrawBitmapRS(b, x + s * b->width * 0.5f, y + s * b->height * 0.5f, 0.0f, s);
    return 0;
}

int luaf_OV_DrawBitmap(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    if (b)
        ov->OV_DrawBitmap(b, LuaToFloat(L, 2), LuaToFloat(L, 3));
    return 0;
}

int luaf_OV_DrawSubBitmap(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    if (b)
        ov->OV_DrawSubBitmap(b, LuaToFloat(L, 2), LuaToFloat(L, 3), LuaToFloat(L, 4), LuaToFloat(L, 5), LuaToFloat(L, 6), LuaToFloat(L, 7));
    return 0;
}

int luaf_OV_DrawBitmapAligned(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    if (!b)
        return 0;
    float x = LuaToFloat(L, 2), y = LuaToFloat(L, 3);
    int flags = LuaAlignFlags(lua_tostring(L, 4));
    if (flags & 2)
        y -= b->height;
    if (flags & 4)
        y -= b->height / 2;
    if (flags & 1)
        x -= b->width;
    if (flags & 8)
        x -= b->width / 2;
    ov->OV_DrawBitmap(b, x, y);
    return 0;
}

int luaf_OV_DrawRect(lua_State *L)
{
    ov->OV_DrawRect(LuaToFloat(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3), LuaToFloat(L, 4));
    return 0;
}

int luaf_OV_DrawLine(lua_State *L)
{
    ov->OV_DrawLine(LuaToFloat(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3), LuaToFloat(L, 4));
    return 0;
}

// The engine's text call gives no result; the script always gets 0.
int luaf_OV_DrawText(lua_State *L)
{
    ov_font_t *f = ov->OV_GetFont(lua_tostring(L, 1));
    // The widest line drawn, truncated.
    lua_pushinteger(L, (lua_Integer)ov->OV_DrawTextf(f, LuaToFloat(L, 2), LuaToFloat(L, 3), "%s", TextOrEmpty(lua_tostring(L, 4))));
    return 1;
}

int luaf_SetPixelFilter(lua_State *L)
{
    const char *mode = lua_tostring(L, 1);
    ov->OV_SetPixelFilter(mode && strcasecmp(mode, "POINT") == 0 ? 0 : 1);
    return 0;
}

int luaf_OV_SetColor(lua_State *L)
{
    ov->OV_SetColor(LuaToFloat(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3));
    return 0;
}

int luaf_OV_SetAlpha(lua_State *L)
{
    ov->OV_SetAlpha(LuaToFloat(L, 1));
    return 0;
}

int luaf_OV_SetBlend(lua_State *L)
{
    const char *mode = lua_tostring(L, 1);
    ov->OV_SetBlend(mode && strcmp(mode, "ADDITIVE") == 0 ? 1 : 0);
    return 0;
}

int luaf_OV_SetTextAlign(lua_State *L)
{
    ov->OV_SetTextAlign(LuaAlignFlags(lua_tostring(L, 1)));
    return 0;
}

int luaf_OV_SetTextboxWidth(lua_State *L)
{
    ov->OV_SetTextboxWidth(LuaToInt(L, 1));
    return 0;
}

int luaf_OV_SetTextTransform(lua_State *L)
{
    ov->OV_SetTextTransform(LuaToFloat(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3));
    return 0;
}

int luaf_OV_SetScissorRect(lua_State *L)
{
    ov->OV_SetScissorRect(LuaToInt(L, 1), LuaToInt(L, 2), LuaToInt(L, 3), LuaToInt(L, 4));
    return 0;
}

int luaf_OV_RemoveScissorRect(lua_State *L)
{
    ov->OV_SetScissorRect(0, 0, prog.parms.width, prog.parms.height);
    return 0;
}

int luaf_OV_SetBitmapFrame(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    if (b)
        ov->OV_SetBitmapFrame(b, LuaToInt(L, 2));
    return 0;
}

int luaf_OV_GetNumBitmapFrames(lua_State *L)
{
    ov_bitmap_t *b = LuaNamedBitmap(lua_tostring(L, 1));
    lua_pushinteger(L, b ? b->num_frames : 0);
    return 1;
}

int luaf_OV_GetTextWidth(lua_State *L)
{
    ov_font_t *f = ov->OV_GetFont(lua_tostring(L, 1));
    lua_pushinteger(L, (lua_Integer)ov->OV_GetTextWidthf(f, "%s", TextOrEmpty(lua_tostring(L, 2))));
    return 1;
}

int luaf_OV_GetTextHeight(lua_State *L)
{
    ov_font_t *f = ov->OV_GetFont(lua_tostring(L, 1));
    lua_pushinteger(L, (lua_Integer)ov->OV_GetTextHeightf(f, "%s", TextOrEmpty(lua_tostring(L, 2))));
    return 1;
}

int luaf_OV_CreateBitmap(lua_State *L)
{
    const char *kind = lua_tostring(L, 4);
    int target = kind && strcasecmp(kind, "RENDER_TARGET") == 0 ? 1 : 0;
    ov_bitmap_t *b = ov->OV_CreateBitmap(lua_tostring(L, 1), LuaToInt(L, 2), LuaToInt(L, 3), target);
    lua_pushboolean(L, b != nullptr);
    return 1;
}

int luaf_OV_RefreshBitmap(lua_State *L)
{
    ov->OV_RefreshBitmap(ov->OV_GetBitmap(lua_tostring(L, 1)));
    lua_pushboolean(L, 1);
    return 1;
}

int luaf_OV_ReleaseBitmap(lua_State *L)
{
    const char *name = lua_tostring(L, 1);
    ov_bitmap_t *b = ov->OV_GetBitmapEx(name, 16);
    if (b)
        ov->OV_ReleaseBitmap(b);
    else
        ov->OV_Popupf(1, "Lua OV_ReleaseBitmap ('%s') - bitmap isn't loaded at all.", TextOrEmpty(name));
    return 0;
}

int luaf_OV_PushTransformTranslation(lua_State *L)
{
    const float m[16] = {1, 0, 0, LuaToFloat(L, 1), 0, 1, 0, LuaToFloat(L, 2), 0, 0, 1, LuaToFloat(L, 3), 0, 0, 0, 1};
    PushTransform(m);
    return 0;
}

int luaf_OV_PushTransformRotation(lua_State *L)
{
    float a = LuaToFloat(L, 1);
    float c = cosf(a), s = sinf(a);
    const float m[16] = {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    PushTransform(m);
    return 0;
}

int luaf_OV_PushTransformScale(lua_State *L)
{
    const float m[16] = {LuaToFloat(L, 1), 0, 0, 0, 0, LuaToFloat(L, 2), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    PushTransform(m);
    return 0;
}

int luaf_OV_PopTransform(lua_State *L)
{
    ov->OV_PopTransform();
    return 0;
}

int luaf_OV_SetBitmapCacheMode(lua_State *L)
{
    ov_bitmap_t *b = ov->OV_GetBitmap(lua_tostring(L, 1));
    const char *mode = lua_tostring(L, 2);
    if (!mode)
        return 0;
    static const struct {
        const char *word;
        int mode;
    } kModes[] = {
        {"FULL_DATA", 6}, {"HW_DATA", 4}, {"HW_DATA_ONLY", 4}, {"NOTHING", 0},
        {"SOURCE_NAME_ONLY", 0}, {"SW_DATA", 2}, {"SW_DATA_ONLY", 2},
    };
    for (const auto &m : kModes) {
        if (strcasecmp(mode, m.word) == 0) {
            ov->OV_SetBitmapCacheMode(b, m.mode);
            break;
        }
    }
    return 0;
}
