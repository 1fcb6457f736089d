// A component written back as UI script lines (for the UI editor): the creation line,
// then the base properties that differ from the component's template, so that running
// the lines rebuilds the component. Texts are quoted so that Lua reads them back as
// they are.
#include "app/ui/ui-comps.h"

#include "app/ui/ui-comps-internal.h"
#include "nstring.h"

#include <math.h>
#include <string.h>

namespace {

bool Differs(float a, float b)
{
    return fabsf(a - b) >= 1e-6f;
}

bool TextsDiffer(const char *a, const char *b)
{
    if (!a || !b)
        return true;
    return strcmp(a, b) != 0;
}

const char *BlendWord(int mode)
{
    return mode == 1 ? "ADDITIVE" : mode == 2 ? "REPLACE" : "NORMAL";
}

const char *DrawModeWord(int mode)
{
    return mode == UIDRAW_MIRRORED_VERTICAL     ? "MIRRORED_VERTICAL"
           : mode == UIDRAW_MIRRORED_HORIZONTAL ? "MIRRORED_HORIZONTAL"
                                                : "NORMAL";
}

// Whether the template is the default template of the component's type
// ("Default" + the type's display word, in any case).
bool IsDefaultTemplate(const UIComp *comp, const UIComp *tmpl)
{
    char expected[64];
    nStringFormat(expected, sizeof expected, "Default%s", UIComp::GetCompTypeString(comp->type));
    return tmpl->name && nStringsMatchIncaseSensitive(tmpl->name, expected);
}

}  // namespace

void WriteLuaQuoted(FILE *f, const char *text)
{
    fputc('"', f);
    for (const char *p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '\\':
            fputs("\\\\", f);
            break;
        case '"':
            fputs("\\\"", f);
            break;
        case '\n':
            fputs("\\n", f);
            break;
        case '\r':
            fputs("\\r", f);
            break;
        default:
            fputc(*p, f);
        }
    }
    fputc('"', f);
}

void WriteLuaPropertyText(FILE *f, const char *property, const char *text)
{
    fprintf(f, "SetProperty (\"%s\", ", property);
    WriteLuaQuoted(f, text);
    fputs(");\n", f);
}

void UIComp::ExportLua(FILE *f)
{
    if (!f)
        return;
    UIComp defaults;
    UIComp *t = template_comp ? template_comp : &defaults;

    fputs("CreateComp (", f);
    WriteLuaQuoted(f, GetCompTypeString(type));
    fputs(", ", f);
    WriteLuaQuoted(f, name);
    fputs(");\n", f);
    if (template_comp && !IsDefaultTemplate(this, template_comp))
        WriteLuaPropertyText(f, "inherit", template_comp->name);

    if (inherit_scale != t->inherit_scale)
        fprintf(f, "SetProperty (\"inherit_scale\", %s);\n", inherit_scale ? "true" : "false");
    if (required_features && TextsDiffer(required_features, t->required_features))
        WriteLuaPropertyText(f, "required_features", required_features);
    if (localize != t->localize)
        fprintf(f, "SetProperty (\"localize\", %d);\n", localize ? 1 : 0);
    if (cache_mode != t->cache_mode)
        fprintf(f, "SetProperty (\"cache_mode\", \"%s\");\n", UICacheModeWord(cache_mode));
    if (visible != t->visible)
        fprintf(f, "SetProperty (\"visible\", %d);\n", visible ? 1 : 0);
    if (active != t->active)
        fprintf(f, "SetProperty (\"active\", %d);\n", active ? 1 : 0);
    if (interactive != t->interactive)
        fprintf(f, "SetProperty (\"interactive\", %d);\n", interactive ? 1 : 0);
    if (Differs(expanded_hit_area, t->expanded_hit_area))
        fprintf(f, "SetProperty (\"expanded_hit_area\", %g);\n", expanded_hit_area);
    if (scale_type != t->scale_type) {
        const char *word = UIScaleTypeWord(scale_type);
        fprintf(f, "SetProperty (\"scale_type\", \"%s\");\n", word ? word : "NONE");
    }
    if (blend_mode != t->blend_mode)
        fprintf(f, "SetProperty (\"blend_mode\", \"%s\");\n", BlendWord(blend_mode));
    if (pixel_filter != t->pixel_filter)
        fprintf(f, "SetProperty (\"pixel_filter\", \"%s\");\n", pixel_filter ? "LINEAR" : "POINT");
    if (draw_mode != t->draw_mode)
        fprintf(f, "SetProperty (\"draw_mode\", \"%s\");\n", DrawModeWord(draw_mode));
    if (fading != t->fading)
        fprintf(f, "SetProperty (\"fading\", %d);\n", fading ? 1 : 0);
    if (Differs(fading_akey, t->fading_akey))
        fprintf(f, "SetProperty (\"fading_akey\", %g);\n", fading_akey);
    if (custom_draw != t->custom_draw)
        fprintf(f, "SetProperty (\"custom_draw\", %d);\n", custom_draw ? 1 : 0);
    if (!tags || !t->tags || strcmp(tags, t->tags) != 0)
        WriteLuaPropertyText(f, "tags", tags);

    if (parent)
        WriteLuaPropertyText(f, "parent", parent->name);
    if (screen_origin != t->screen_origin)
        fprintf(f, "SetProperty (\"screen_origin\", \"%s\");\n", screen_origin == UIORIGIN_ACTUAL ? "ACTUAL" : "VIRTUAL");
    if (parent_anchor != t->parent_anchor)
        fprintf(f, "SetProperty (\"parent_anchor\", \"%s\");\n", GetAlignFlagsAsString(parent_anchor));

    if (position_type == UIPOS_ABSOLUTE) {
        ov->OV_Popupf(1,
                      "Autoconvert: Converting UI Comp '%s' position type from ABSOLUTE to RELATIVE TO PARENT for "
                      "future compatibility.\n",
                      name ? name : "");
        ConvertPositionType(UIPOS_RELATIVE_TO_PARENT);
    } else if (position_type == UIPOS_RELATIVE_TO_SCREEN && !parent) {
        position_type = UIPOS_RELATIVE_TO_PARENT;
    }
    if (position_type != t->position_type) {
        const char *word = position_type == UIPOS_RELATIVE_TO_PARENT   ? "RELATIVE_TO_PARENT"
                           : position_type == UIPOS_RELATIVE_TO_SCREEN ? "RELATIVE_TO_SCREEN"
                                                                       : "ABSOLUTE";
        fprintf(f, "SetProperty (\"position_type\", \"%s\");\n", word);
    }

    if (Differs(position_x, t->position_x) || Differs(position_y, t->position_y))
        fprintf(f, "SetProperty (\"position\", %g, %g);\n", position_x, position_y);
    if (color.r != t->color.r)
        fprintf(f, "SetProperty (\"color.r\", %g);\n", color.r);
    if (color.g != t->color.g)
        fprintf(f, "SetProperty (\"color.g\", %g);\n", color.g);
    if (color.b != t->color.b)
        fprintf(f, "SetProperty (\"color.b\", %g);\n", color.b);
    if (color.a != t->color.a)
        fprintf(f, "SetProperty (\"color.a\", %g);\n", color.a);
    if (angle != t->angle)
        fprintf(f, "SetProperty (\"angle\", %g);\n", angle);
    if (scale != t->scale)
        fprintf(f, "SetProperty (\"scale\", %g);\n", scale);

    for (int i = 0; i < 6; i++) {
        const char *script = GetScript(i);
        if (script && script[0])
            WriteLuaPropertyText(f, GetScriptWord(i), script);
    }

    if (align != t->align)
        fprintf(f, "SetProperty (\"align\", \"%s\");\n", GetAlignFlagsAsString(align));
}
