// The text box (see ui-textbox.h).
#include "app/ui/widgets/ui-textbox.h"

#include "app/services/localization.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <stdlib.h>
#include <string.h>

using namespace uiwidget;

UICompTextbox::~UICompTextbox()
{
    free(raw_text);
}

bool UICompTextbox::FontResizes() const
{
    return font && !(font->name && font->name[0] == '!');
}

void UICompTextbox::ApplyFormattedText(const char *formatted)
{
    ApplyText(formatted, true, true);
}

void UICompTextbox::ApplyText(const char *text, bool escapes, bool report)
{
    char *copy = strdup(text ? text : "");
    if (!copy)
        return;
    if (escapes)
        UnescapeText(copy, copy);
    free(raw_text);
    raw_text = copy;
    display_text = DisplayText(this, raw_text);
    if (!display_text)   // a key the translation hides
        display_text = "";
    if (!FontResizes())
        return;
    UpdateDimensions();
    if (report)
        ReportDynamicText(this, text);
}

void UICompTextbox::ReapplyText()
{
    if (!raw_text)
        return;
    char *stored = strdup(raw_text);
    if (!stored)
        return;
    ApplyText(stored, false, false);
    free(stored);
}

void UICompTextbox::SetFont(ov_font_t *new_font)
{
    font = new_font;
    if (raw_text)
        UpdateDimensions();
}

void UICompTextbox::Update(float)
{
    if (inherit_angle)
        CalculateDynamicScale();
}

void UICompTextbox::Draw()
{
    const float a = BeginDraw(this);
    if (a <= 0.0f)
        return;
    vec2_t pos = GetAlignedPos();
    const bool rotated = PushRotation(this);
    if (font && display_text) {
        ov->OV_SetTextAlign(textbox_align);
        if (textbox_align & UIALIGN_HCENTER)
            pos.x += width / 2.0f;
        if (textbox_align & UIALIGN_RIGHT)
            pos.x += width;
        if (textbox_align & UIALIGN_VCENTER)
            pos.y += height / 2.0f;
        if (textbox_align & UIALIGN_BOTTOM)
            pos.y += height;
        const float wrap = (float)textbox_width * dynamic_scale;
        ov->OV_SetTextboxWidth(wrap > 1e9f ? 1000000000 : wrap > 0.0f ? (int)wrap : 0);
        ov->OV_SetTextTransform(dynamic_scale, dynamic_scale, 0.0f);
        ov->OV_DrawTextf(font, pos.x, pos.y, "%s", display_text);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        ov->OV_SetTextAlign(0);
        ov->OV_SetTextboxWidth(0);
    }
    PopRotation(rotated);
}

void UICompTextbox::ApplyCacheMode(int) {}

void UICompTextbox::EditUpdate(float)
{
    if (!FontResizes() || !raw_text)
        return;
    const float d = fabsf(mpos.x - GetStaticPos().x);
    const float ds = dynamic_scale != 0.0f ? dynamic_scale : 1.0f;
    float w = (align & UIALIGN_HCENTER) ? 2.0f * d / ds : d / ds;
    w = w > 1e9f ? 1e9f : (float)(int)w;
    if (w <= 9.0f)
        w = 0.0f;
    const float per_scale = scale != 0.0f ? w / scale : 0.0f;
    textbox_width = !(per_scale == per_scale) ? 0 : per_scale > 1e9f ? 1000000000 : per_scale < -1e9f ? -1000000000 : (int)per_scale;
    ReapplyText();
}

void UICompTextbox::ExportOwn(FILE *f, const UICompTextbox &t)
{
    if (font && font != t.font)
        WriteLuaPropertyText(f, "textbox.font", FontName(font));
    if (textbox_width != t.textbox_width)
        fprintf(f, "SetProperty (\"textbox.textbox_width\", \"%d\");\n", textbox_width);
    if (textbox_align != t.textbox_align)
        fprintf(f, "SetProperty (\"textbox.textbox_align\", \"%s\");\n", GetAlignFlagsAsString(textbox_align));
    if (raw_text && (!t.raw_text || strcmp(raw_text, t.raw_text) != 0))
        WriteEscapedPropertyText(f, "textbox.text", raw_text);
}

int UICompTextbox::GetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "textbox.text") == 0)
        lua_pushstring(L, GetText());
    else if (strcmp(prop, "textbox.font") == 0)
        lua_pushstring(L, FontName(font));
    else {
        ov->OV_Popupf(1, "UICompTextbox::GetProperty: Unknown Property '%s'\n", prop);
        return 0;
    }
    return 1;
}

int UICompTextbox::SetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "textbox.text") == 0) {
        const int t = lua_type(L, 2);
        SetText("%s", t == LUA_TSTRING || t == LUA_TNUMBER ? lua_tostring(L, 2) : "");
    } else if (strcmp(prop, "textbox.textbox_width") == 0) {
        textbox_width = LuaToInt(L, 2);
        ReapplyText();
    } else if (strcmp(prop, "textbox.textbox_align") == 0 || strcmp(prop, "textbox.text_align") == 0) {
        textbox_align = ParseAlignFlags(lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr);
    } else if (strcmp(prop, "textbox.font") == 0) {
        const char *font_name = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
        SetFont(font_name ? ov->OV_GetFont(font_name) : nullptr);
    } else {
        ov->OV_Popupf(1, "UICompTextbox::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompTextbox::InheritOwn(const UICompTextbox &t)
{
    SetFont(t.font);
    if (t.raw_text && &t != this)
        ApplyText(t.raw_text, false, false);
    textbox_align = t.textbox_align;
    textbox_width = t.textbox_width;
}

void UICompTextbox::UpdateDimensions()
{
    width = 0.0f;
    height = 0.0f;
    if (font && display_text) {
        float w = 0.0f, h = 0.0f;
        ov->OV_SetTextboxWidth(textbox_width);
        ov->OV_SetTextTransform(1.0f, 1.0f, angle);
        ov->OV_GetTextSizef(font, &w, &h, "%s", display_text);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        ov->OV_SetTextboxWidth(0);
        width = textbox_width > 0 ? (float)textbox_width : w;
        height = h;
    }
    SetScaledSize(width != 0.0f ? width : 16.0f, height != 0.0f ? height : 16.0f);
}
