// The text box (see ui-textbox.h).
#include "app/ui/widgets/ui-textbox.h"

#include "app/services/localization.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char *FontName(const ov_font_t *f)
{
    return f && f->name ? f->name : "";
}

void PushRotationAbout(vec2_t s, float angle)
{
    const float c = cosf(angle), sn = sinf(angle);
    nTransform t = {{c, -sn, 0.0f, s.x - c * s.x + sn * s.y,
                     sn, c, 0.0f, s.y - sn * s.x - c * s.y,
                     0.0f, 0.0f, 1.0f, 0.0f,
                     0.0f, 0.0f, 0.0f, 1.0f}};
    ov->OV_PushTransform(&t);
}

// The text with each backslash pair turned into one character: \\ \b \n \r \t give
// a backslash, 8, 10, 13, 9; a backslash before another character gives that
// character; a backslash at the very end stays. Written in place (never longer).
void Unescape(char *s)
{
    char *out = s;
    for (const char *in = s; *in; in++) {
        if (*in != '\\' || in[1] == 0) {
            *out++ = *in;
            continue;
        }
        in++;
        switch (*in) {
        case 'b':
            *out++ = 8;
            break;
        case 'n':
            *out++ = 10;
            break;
        case 'r':
            *out++ = 13;
            break;
        case 't':
            *out++ = 9;
            break;
        default:
            *out++ = *in;
            break;
        }
    }
    *out = 0;
}

// The text as a Lua string literal's contents: line feed, 8, 9, 13, quote and
// backslash escaped, so that the script reader and the escape pass give it back.
void WriteEscapedText(FILE *f, const char *text)
{
    fputc('"', f);
    for (const unsigned char *p = (const unsigned char *)text; *p; p++) {
        switch (*p) {
        case 10:
            fputs("\\n", f);
            break;
        case 8:
            fputs("\\b", f);
            break;
        case 9:
            fputs("\\t", f);
            break;
        case 13:
            fputs("\\r", f);
            break;
        case '"':
            fputs("\\\"", f);
            break;
        case '\\':
            // Lua reads "\\\\" as two backslashes, which the escape pass makes one.
            fputs("\\\\\\\\", f);
            break;
        default:
            fputc(*p, f);
            break;
        }
    }
    fputc('"', f);
}

}  // namespace

UICompTextbox::UICompTextbox()
{
    type = UICOMP_TEXTBOX;
    interactive = false;
}

UICompTextbox::~UICompTextbox()
{
    free(raw_text);
}

UIComp *UICompTextbox::Clone(const char *clone_name)
{
    UICompTextbox *c = new UICompTextbox();
    c->SetName(clone_name);
    c->type = type;
    c->InheritFrom(this);
    c->template_comp = template_comp;
    c->parent = parent;
    return c;
}

bool UICompTextbox::FontResizes() const
{
    return font && !(font->name && font->name[0] == '!');
}

void UICompTextbox::SetText(const char *format, ...)
{
    if (!format)
        return;
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ApplyText(text, true, true);
}

void UICompTextbox::ApplyText(const char *text, bool escapes, bool report)
{
    char *copy = strdup(text ? text : "");
    if (!copy)
        return;
    if (escapes)
        Unescape(copy);
    free(raw_text);
    raw_text = copy;
    display_text = features_present && localize ? loc_man().Localize(raw_text) : raw_text;
    if (!display_text)   // a key the translation hides
        display_text = "";
    if (!FontResizes())
        return;
    UpdateDimensions();
    if (report && loaded && prog.parms.developer_mode && localize && !sman.edit_mode) {
        const char *screen_name = owner && owner->GetName() ? owner->GetName() : "";
        ov->OV_Popupf(1, "Setting dynamic text '%s' for localizable component '%s/%s'\n", text ? text : "",
                      screen_name, name ? name : "");
    }
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
    if (sman.virtual_resize_mode)
        UpdateDimensions();
    vec2_t pos = GetAlignedPos();
    const float a = GetStaticAlpha();
    if (a <= 0.0f)
        return;
    const float angle_now = GetStaticAngle();
    ov->OV_SetColor(color.r, color.g, color.b);
    ov->OV_SetAlpha(a * color.a);
    ov->OV_SetBlend(blend_mode);
    ov->OV_SetPixelFilter(pixel_filter);
    const bool rotated = fabsf(angle_now) >= 1e-6f;
    if (rotated)
        PushRotationAbout(GetStaticPos(), angle_now);
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
    if (rotated)
        ov->OV_PopTransform();
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

void UICompTextbox::ExportLua(FILE *f)
{
    UIComp::ExportLua(f);
    UICompTextbox defaults;
    const UICompTextbox *t = dynamic_cast<UICompTextbox *>(template_comp);
    if (!t)
        t = &defaults;
    if (font && font != t->font)
        WriteLuaPropertyText(f, "textbox.font", FontName(font));
    if (textbox_width != t->textbox_width)
        fprintf(f, "SetProperty (\"textbox.textbox_width\", \"%d\");\n", textbox_width);
    if (textbox_align != t->textbox_align)
        fprintf(f, "SetProperty (\"textbox.textbox_align\", \"%s\");\n", GetAlignFlagsAsString(textbox_align));
    if (raw_text && (!t->raw_text || strcmp(raw_text, t->raw_text) != 0)) {
        fputs("SetProperty (\"textbox.text\", ", f);
        WriteEscapedText(f, raw_text);
        fputs(");\n", f);
    }
}

int UICompTextbox::GetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::GetProperty(prop, L);
    if (n > 0 || !prop)
        return n;
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

int UICompTextbox::SetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::SetProperty(prop, L);
    if (n >= 0 || !prop)
        return n;
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

bool UICompTextbox::InheritFrom(UIComp *tmpl)
{
    if (!UIComp::InheritFrom(tmpl))
        return false;
    if (UICompTextbox *t = dynamic_cast<UICompTextbox *>(tmpl)) {
        SetFont(t->font);
        if (t->raw_text && t != this)
            ApplyText(t->raw_text, false, false);
        textbox_align = t->textbox_align;
        textbox_width = t->textbox_width;
    }
    UpdateDimensions();
    return true;
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
    if (width == 0.0f)
        width = 16.0f;
    if (height == 0.0f)
        height = 16.0f;
    CalculateDynamicScale();
    width *= dynamic_scale;
    height *= dynamic_scale;
}
