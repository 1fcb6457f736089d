// The base properties of a component as UI scripts set and read them, with Lua 5.1's
// non-raising conversions: a number from a non-number is 0, a text from nil is none,
// a truth value is false only for nil and false. Property names match with case;
// value words ("ADDITIVE", "PRELOAD" ...) without.
#include "app/ui/ui-comps.h"

#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/ui/ui-comps-internal.h"
#include "nstring.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

namespace {

const char *const kScaleTypeWords[8] = {
    "ACTUAL_SIZE",
    "FIT_INSIDE_SCREEN",
    "FIT_TO_COVER_SCREEN",
    "STRETCH_TO_COVER_SCREEN",
    "RELATIVE_TO_SCREEN_WIDTH",
    "RELATIVE_TO_SCREEN_HEIGHT",
    "RELATIVE_TO_SCREEN_SIZE",
    "RELATIVE_TO_PARENT",
};

bool Is(const char *a, const char *b)
{
    return strcmp(a, b) == 0;
}

bool WordIs(const char *word, const char *expected)
{
    return word && nStringsMatchIncaseSensitive(word, expected);
}

// A text value without converting a number in place (a later number or flag read of
// the same argument must still see a number): numbers are formatted into buf.
const char *Text(lua_State *L, int index, char *buf, int size)
{
    if (lua_type(L, index) == LUA_TNUMBER) {
        nStringFormat(buf, size, "%.14g", lua_tonumber(L, index));
        return buf;
    }
    return lua_type(L, index) == LUA_TSTRING ? lua_tostring(L, index) : nullptr;
}

UISet *CallingSet(lua_State *L)
{
    return static_cast<UISet *>(lua_man.GetLuaStateUserData(L));
}

const char *SetFile(UISet *set, const char *none)
{
    return set && set->file ? set->file : none;
}

// Whether `candidate` is `comp` or hangs below it.
bool IsSelfOrDescendant(UIComp *candidate, UIComp *comp)
{
    for (int depth = 0; candidate && depth < 100000; depth++) {
        if (candidate == comp)
            return true;
        candidate = candidate->parent;
    }
    return false;
}

}  // namespace

const char *UIScaleTypeWord(int scale_type)
{
    return scale_type >= 0 && scale_type < 8 ? kScaleTypeWords[scale_type] : nullptr;
}

const char *UICacheModeWord(int mode)
{
    switch (mode) {
    case UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE:
        return "LOAD_ON_ENTER_RELEASE_ON_LEAVE";
    case UICACHE_IGNORE_LOADING:
        return "IGNORE_LOADING";
    case UICACHE_LOAD_ON_ENTER:
        return "LOAD_ON_ENTER";
    default:
        return "PRELOAD";
    }
}

int UIComp::SetProperty(const char *prop, lua_State *L)
{
    if (!prop || !L)
        return -1;
    char number_text[32];
    const char *text = Text(L, 2, number_text, sizeof number_text);
    if (Is(prop, "alpha")) {
        alpha = LuaToFloat(L, 2);
    } else if (Is(prop, "position_offset")) {
        position_offset_x = LuaToFloat(L, 2);
        position_offset_y = LuaToFloat(L, 3);
    } else if (Is(prop, "position_offset.x")) {
        position_offset_x = LuaToFloat(L, 2);
    } else if (Is(prop, "position_offset.y")) {
        position_offset_y = LuaToFloat(L, 2);
    } else if (Is(prop, "position_offset.z")) {
        position_offset_z = LuaToFloat(L, 2);
    } else if (Is(prop, "position")) {
        position_x = LuaToFloat(L, 2);
        position_y = LuaToFloat(L, 3);
    } else if (Is(prop, "position.x")) {
        position_x = LuaToFloat(L, 2);
    } else if (Is(prop, "position.y")) {
        position_y = LuaToFloat(L, 2);
    } else if (Is(prop, "position.z")) {
        position_z = LuaToFloat(L, 2);
    } else if (Is(prop, "angle")) {
        angle = LuaToFloat(L, 2);
    } else if (Is(prop, "scale")) {
        scale = LuaToFloat(L, 2);
        UpdateDimensions();
        CalculateDynamicScale();
    } else if (Is(prop, "color")) {
        color.r = LuaToFloat(L, 2);
        color.g = LuaToFloat(L, 3);
        color.b = LuaToFloat(L, 4);
        if (lua_gettop(L) >= 5)
            color.a = LuaToFloat(L, 5);
    } else if (Is(prop, "color.r")) {
        color.r = LuaToFloat(L, 2);
    } else if (Is(prop, "color.g")) {
        color.g = LuaToFloat(L, 2);
    } else if (Is(prop, "color.b")) {
        color.b = LuaToFloat(L, 2);
    } else if (Is(prop, "color.a")) {
        color.a = LuaToFloat(L, 2);
    } else if (Is(prop, "tags")) {
        ReplaceString(&tags, text ? text : "");
    } else if (Is(prop, "required_features")) {
        ReplaceString(&required_features, text);
        features_present = feature_man.EvaluateProductFeatureRequirementList(required_features);
    } else if (Is(prop, "width")) {
        width = (float)LuaToInt(L, 2);
    } else if (Is(prop, "height")) {
        height = (float)LuaToInt(L, 2);
    } else if (Is(prop, "active")) {
        active = LuaToFlag(L, 2);
    } else if (Is(prop, "interactive")) {
        interactive = LuaToFlag(L, 2);
    } else if (Is(prop, "visible")) {
        visible = LuaToFlag(L, 2);
    } else if (Is(prop, "fading")) {
        fading = LuaToFlag(L, 2);
    } else if (Is(prop, "draw_mode")) {
        if (WordIs(text, "NORMAL")) {
            draw_mode = UIDRAW_NORMAL;
        } else if (WordIs(text, "MIRRORED_VERTICAL")) {
            draw_mode = UIDRAW_MIRRORED_VERTICAL;
        } else if (WordIs(text, "MIRRORED_HORIZONTAL")) {
            draw_mode = UIDRAW_MIRRORED_HORIZONTAL;
        } else {
            draw_mode = UIDRAW_NORMAL;
            ov->OV_Popupf(1,
                          "Draw mode '%s' is not supported. Supported modes are e.g. 'NORMAL', "
                          "'MIRRORED_HORIZONTAL', 'MIRRORED_VERTICAL', 'MIRRORED_BOTH'.",
                          text ? text : "");
        }
    } else if (Is(prop, "fading_akey")) {
        fading_akey = LuaToFloat(L, 2);
    } else if (Is(prop, "inherit_scale")) {
        inherit_scale = lua_toboolean(L, 2) != 0;
    } else if (Is(prop, "inherit_angle")) {
        inherit_angle = lua_toboolean(L, 2) != 0;
    } else if (Is(prop, "snap_position_to_pixels")) {
        snap_position_to_pixels = lua_toboolean(L, 2) != 0;
    } else if (Is(prop, "custom_draw")) {
        custom_draw = LuaToFlag(L, 2);
    } else if (Is(prop, "blend_mode")) {
        blend_mode = WordIs(text, "ADDITIVE") ? 1 : WordIs(text, "REPLACE") ? 2 : 0;
    } else if (Is(prop, "pixel_filter")) {
        pixel_filter = WordIs(text, "POINT") ? 0 : 1;
    } else if (Is(prop, "screen_origin")) {
        screen_origin = WordIs(text, "VIRTUAL") ? UIORIGIN_VIRTUAL : UIORIGIN_ACTUAL;
    } else if (Is(prop, "parent")) {
        SetParentByName(text, CallingSet(L));
    } else if (Is(prop, "inherit")) {
        InheritByName(text);
    } else if (Is(prop, "localize")) {
        localize = LuaToInt(L, 2) != 0;
    } else if (Is(prop, "scale_type")) {
        SetScaleTypeWord(text, CallingSet(L));
    } else if (Is(prop, "expanded_hit_area")) {
        expanded_hit_area = LuaToFloat(L, 2);
    } else if (Is(prop, "name")) {
        SetName(text);
    } else if (Is(prop, "parent_anchor")) {
        parent_anchor = (uint16_t)ParseAlignFlags(text);
    } else if (Is(prop, "align")) {
        align = ParseAlignFlags(text);
    } else if (Is(prop, "snd_over")) {
        snd_over = text ? ov->OV_GetSound(text) : nullptr;
    } else if (Is(prop, "snd_press")) {
        snd_press = text ? ov->OV_GetSound(text) : nullptr;
    } else if (Is(prop, "snd_release")) {
        snd_release = text ? ov->OV_GetSound(text) : nullptr;
    } else if (Is(prop, "cache_mode")) {
        if (WordIs(text, "DEFAULT") || WordIs(text, "LOAD_ON_ENTER_RELEASE_ON_LEAVE")) {
            cache_mode = UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE;
        } else if (WordIs(text, "PRELOAD")) {
            cache_mode = UICACHE_PRELOAD;
        } else if (WordIs(text, "LOAD_ON_ENTER")) {
            cache_mode = UICACHE_LOAD_ON_ENTER;
        } else if (WordIs(text, "IGNORE_LOADING")) {
            cache_mode = UICACHE_IGNORE_LOADING;
        } else {
            cache_mode = UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE;
            ov->OV_Popupf(1,
                          "Cache mode '%s' is not supported. Supported modes are e.g. 'PRELOAD' and "
                          "'LOAD_ON_ENTER_RELEASE_ON_LEAVE'.",
                          text ? text : "");
        }
    } else if (Is(prop, "position_type")) {
        if (WordIs(text, "RELATIVE") || WordIs(text, "RELATIVE_TO_PARENT"))
            position_type = UIPOS_RELATIVE_TO_PARENT;
        else if (WordIs(text, "RELATIVE_TO_SCREEN"))
            position_type = UIPOS_RELATIVE_TO_SCREEN;
        else
            position_type = UIPOS_ABSOLUTE;
    } else {
        for (int i = 0; i < 6; i++) {
            if (Is(prop, GetScriptWord(i))) {
                SetScript(i, text);
                return 0;
            }
        }
        return -1;
    }
    return 0;
}

// The parent must exist in the calling set already and must not be the component
// itself or one of its descendants (a cycle would make every position walk forever).
void UIComp::SetParentByName(const char *parent_name, UISet *set)
{
    // The calling set is the set whose script is being built.
    UISet *building = set;
    UIComp *found = set && parent_name ? set->GetComp(parent_name) : nullptr;
    if (!found) {
        parent = nullptr;
        ov->OV_Popupf(1, "Missing parent '%s' for %s/%s.\n", parent_name ? parent_name : "",
                      SetFile(building, ""), name ? name : "");
        return;
    }
    if (IsSelfOrDescendant(found, this)) {
        ov->OV_Popupf(1, "Parent '%s' for %s/%s would make a cycle.\n", parent_name,
                      SetFile(building, ""), name ? name : "");
        return;
    }
    parent = found;
}

// On an entered screen the old template's bitmaps are given back before and the new
// ones taken after, so that what is resident matches the new style.
void UIComp::InheritByName(const char *template_name)
{
    UISet *templates = sman.templates;
    UIComp *tmpl = templates && template_name ? templates->GetComp(template_name) : nullptr;
    if (!tmpl) {
        const char *file = owner ? (owner->ui ? SetFile(owner->ui, "") : "") : "ui/templates.lua";
        ov->OV_Popupf(1, "Component template '%s' for '%s' not found in '%s'.\n",
                      template_name ? template_name : "", "inherit", file);
        return;
    }
    const bool entered = owner && owner->ui && owner->ui->cache_applied;
    if (entered)
        ApplyCacheMode(3);
    InheritFrom(tmpl);
    if (entered)
        ApplyCacheMode(2);
}

void UIComp::SetScaleTypeWord(const char *word, UISet *set)
{
    for (int t = 0; t < 8; t++) {
        if (WordIs(word, kScaleTypeWords[t])) {
            if (t == UISCALE_ACTUAL_SIZE && uiview::DeveloperMode())
                ov->OV_Popupf(1, "Using deprecating scale type '%s' for UI component '%s' in '%s'.\n", word,
                              name ? name : "", SetFile(set, "unknown"));
            scale_type = t;
            return;
        }
    }
    scale_type = UISCALE_RELATIVE_TO_PARENT;
    ov->OV_Popupf(1,
                  "In '%s' unknown scale type '%s' for '%s'.\nPossible values are: %s", SetFile(set, "unknown"),
                  word ? word : "", name ? name : "",
                  "FIT_INSIDE_SCREEN,FIT_TO_COVER_SCREEN,STRETCH_TO_COVER_SCREEN,RELATIVE_TO_SCREEN_WIDTH,"
                  "RELATIVE_TO_SCREEN_HEIGHT,RELATIVE_TO_SCREEN_SIZE,RELATIVE_TO_PARENT");
}

int UIComp::GetProperty(const char *prop, lua_State *L)
{
    if (!prop || !L)
        return 0;
    AddToPropertyAccessStatistics(prop);
    if (Is(prop, "position_offset")) {
        lua_pushnumber(L, position_offset_x);
        lua_pushnumber(L, position_offset_y);
        return 2;
    }
    if (Is(prop, "position")) {
        lua_pushnumber(L, position_x);
        lua_pushnumber(L, position_y);
        return 2;
    }
    if (Is(prop, "static_position")) {
        const vec2_t p = GetStaticPos();
        lua_pushnumber(L, p.x);
        lua_pushnumber(L, p.y);
        return 2;
    }
    if (Is(prop, "parent")) {
        lua_pushstring(L, parent && parent->name ? parent->name : "");
    } else if (Is(prop, "tags")) {
        lua_pushstring(L, tags ? tags : "");
    } else if (Is(prop, "name")) {
        lua_pushstring(L, name ? name : "");
    } else if (Is(prop, "width")) {
        lua_pushinteger(L, (lua_Integer)width);
    } else if (Is(prop, "height")) {
        lua_pushinteger(L, (lua_Integer)height);
    } else if (Is(prop, "is_in_view")) {
        lua_pushboolean(L, IsInView());
    } else if (Is(prop, "active")) {
        lua_pushboolean(L, active);
    } else if (Is(prop, "visible")) {
        lua_pushboolean(L, visible);
    } else if (Is(prop, "fading")) {
        lua_pushboolean(L, fading);
    } else if (Is(prop, "cache_mode")) {
        lua_pushstring(L, UICacheModeWord(cache_mode));
    } else if (Is(prop, "position_type")) {
        lua_pushstring(L, position_type == UIPOS_RELATIVE_TO_PARENT   ? "RELATIVE_TO_PARENT"
                          : position_type == UIPOS_RELATIVE_TO_SCREEN ? "RELATIVE_TO_SCREEN"
                                                                      : "ABSOLUTE");
    } else if (Is(prop, "scale_type")) {
        const char *word = UIScaleTypeWord(scale_type);
        lua_pushstring(L, word ? word : "RELATIVE_TO_SCREEN_SIZE");
    } else if (Is(prop, "align")) {
        lua_pushstring(L, GetAlignFlagsAsString(align));
    } else {
        double value;
        if (Is(prop, "position_offset.x"))
            value = position_offset_x;
        else if (Is(prop, "position_offset.y"))
            value = position_offset_y;
        else if (Is(prop, "position.x"))
            value = position_x;
        else if (Is(prop, "position.y"))
            value = position_y;
        else if (Is(prop, "time_cursor_over"))
            value = time_cursor_over;
        else if (Is(prop, "time_cursor_locked"))
            value = time_cursor_locked;
        else if (Is(prop, "static_position.x"))
            value = GetStaticPos().x;
        else if (Is(prop, "static_position.y"))
            value = GetStaticPos().y;
        else if (Is(prop, "aligned_position.x"))
            value = GetAlignedPos().x;
        else if (Is(prop, "aligned_position.y"))
            value = GetAlignedPos().y;
        else if (Is(prop, "color.r"))
            value = color.r;
        else if (Is(prop, "color.g"))
            value = color.g;
        else if (Is(prop, "color.b"))
            value = color.b;
        else if (Is(prop, "color.a"))
            value = color.a;
        else if (Is(prop, "alpha"))
            value = alpha;
        else if (Is(prop, "angle"))
            value = angle;
        else if (Is(prop, "scale"))
            value = scale;
        else if (Is(prop, "dynamic_scale"))
            value = dynamic_scale;
        else if (Is(prop, "fading_akey"))
            value = fading_akey;
        else
            return 0;
        lua_pushnumber(L, value);
    }
    return 1;
}
