// The component base: construction, type words, align words, the inheritance of a
// template's style, cloning, the bitmap helpers and the property-access statistics
// (see ui-comps.h). Geometry, properties and export live in the ui-comps-*.cpp files.
#include "app/ui/ui-comps.h"

#include "app/ui/ui-comps-internal.h"
#include "nstring.h"
#include "orvex.h"
#include "ovrecords.h"

#include <algorithm>
#include <mutex>
#include <string.h>
#include <string>
#include <utility>
#include <vector>

namespace {

struct TypeWord {
    const char *match;
    const char *display;
};

const TypeWord kTypeWords[UICOMP_NUM_TYPES] = {
    {"UNKNOWN", "Unknown"},       {"BUTTON", "Button"},   {"SLIDER", "Slider"},
    {"EDITBOX", "Editbox"},       {"CHECKBOX", "Checkbox"}, {"LISTBOX", "Listbox"},
    {"PATH", "Path"},             {"EMITTER", "Emitter"}, {"SCRIPTABLE", "Scriptable"},
    {"TOUCHFIELD", "TouchField"}, {"TOUCHGRID", "TouchGrid"}, {"NINEPATCH", "NinePatch"},
    {"TEXTBOX", "Textbox"},       {"RECTANGLE", "Rectangle"}, {"IMAGE", "Image"},
    {"MARKER", "Marker"},         {"RULER", "Ruler"},     {"AD", "Ad"},
    {"MODEL", "Model"},           {"ALIGNER", "Aligner"},
};

// The statistics table: (name, count) pairs, shared by every thread.
std::mutex stats_lock;
std::vector<std::pair<std::string, int>> stats;

}  // namespace

const char *GetAlignFlagsAsString(int flags)
{
    thread_local char text[64];
    text[0] = '\0';
    if (flags & UIALIGN_BOTTOM)
        strcat(text, "BOTTOM");
    if (flags & UIALIGN_RIGHT)
        strcat(text, "RIGHT");
    if ((flags & UIALIGN_CENTER) == UIALIGN_CENTER)
        strcat(text, "CENTER");
    else if (flags & UIALIGN_VCENTER)
        strcat(text, "VCENTER");
    else if (flags & UIALIGN_HCENTER)
        strcat(text, "HCENTER");
    return text;
}

int ParseAlignFlags(const char *text)
{
    if (!text)
        return 0;
    int flags = 0;
    if (strstr(text, "BOTTOM"))
        flags |= UIALIGN_BOTTOM;
    if (strstr(text, "RIGHT"))
        flags |= UIALIGN_RIGHT;
    if (strstr(text, "VCENTER"))
        flags |= UIALIGN_VCENTER;
    if (strstr(text, "HCENTER"))
        flags |= UIALIGN_HCENTER;
    if (flags == 0 && strstr(text, "CENTER"))
        flags = UIALIGN_CENTER;
    return flags;
}

UIComp::UIComp()
    : type(UICOMP_UNKNOWN), name(nullptr), loaded(false), tags(nStringDuplicate("")),
      required_features(nullptr), features_present(true), owner(nullptr), template_comp(nullptr),
      parent(nullptr), parent_anchor(0), screen_origin(UIORIGIN_VIRTUAL), inherit_scale(true),
      inherit_angle(true), snap_position_to_pixels(false), interactive(true), custom_draw(false),
      cache_mode(UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE), draw_mode(UIDRAW_NORMAL), alpha(1.0f),
      width(16.0f), height(16.0f), align(0), scale(1.0f), angle(0.0f), fading(false),
      fading_akey(1.0f), cycle_time(0.0f), time_cursor_over(0.0f), time_cursor_locked(0.0f),
      expanded_hit_area(0.0f), active(true), visible(true), position_type(UIPOS_RELATIVE_TO_PARENT),
      position_x(0.0f), position_y(0.0f), position_z(0.1f), position_offset_x(0.0f),
      position_offset_y(0.0f), position_offset_z(0.0f), color{1.0f, 1.0f, 1.0f, 1.0f},
      scale_type(UISCALE_RELATIVE_TO_SCREEN_SIZE), localize(true), blend_mode(0), pixel_filter(1),
      snd_over(nullptr), snd_press(nullptr), snd_release(nullptr), OnLoad(nullptr), OnClick(nullptr),
      OnEnter(nullptr), OnLeave(nullptr), OnDraw(nullptr), OnUpdate(nullptr), dynamic_scale(1.0f),
      screen_factor(1.0f)
{
}

UIComp::~UIComp()
{
    nStringFree(name);
    nStringFree(tags);
    nStringFree(required_features);
    for (int i = 0; i < 6; i++)
        SetScript(i, nullptr);
}

void UIComp::ReplaceString(char **field, const char *text)
{
    char *copy = text ? nStringDuplicate(text) : nullptr;
    nStringFree(*field);
    *field = copy;
}

void UIComp::SetName(const char *text)
{
    ReplaceString(&name, text ? text : "");
}

const char *UIComp::GetScript(int index) const
{
    const char *const scripts[6] = {OnLoad, OnClick, OnEnter, OnLeave, OnDraw, OnUpdate};
    return index >= 0 && index < 6 ? scripts[index] : nullptr;
}

void UIComp::SetScript(int index, const char *file)
{
    char **const fields[6] = {&OnLoad, &OnClick, &OnEnter, &OnLeave, &OnDraw, &OnUpdate};
    if (index >= 0 && index < 6)
        ReplaceString(fields[index], file);
}

const char *UIComp::GetScriptWord(int index)
{
    static const char *const kScriptWords[6] = {"OnLoad", "OnClick", "OnEnter", "OnLeave", "OnDraw", "OnUpdate"};
    return index >= 0 && index < 6 ? kScriptWords[index] : nullptr;
}

int UIComp::GetCompType(const char *word)
{
    if (!word)
        return UICOMP_UNKNOWN;
    for (int t = 1; t < UICOMP_NUM_TYPES; t++)
        if (nStringsMatchIncaseSensitive(word, kTypeWords[t].match))
            return t;
    return UICOMP_UNKNOWN;
}

const char *UIComp::GetCompTypeString(int t)
{
    return t >= 1 && t < UICOMP_NUM_TYPES ? kTypeWords[t].display : "Unknown";
}

UIComp *UIComp::Clone(const char *clone_name)
{
    UIComp *c = new UIComp();
    c->SetName(clone_name);
    ReplaceString(&c->tags, tags ? tags : "");
    ReplaceString(&c->required_features, required_features ? required_features : "");
    c->type = type;
    c->features_present = features_present;
    c->InheritFrom(this);
    c->draw_mode = draw_mode;
    c->position_type = position_type;
    c->scale = scale;
    c->parent = parent;
    c->template_comp = template_comp;
    c->position_x = position_x;
    c->position_y = position_y;
    c->custom_draw = custom_draw;
    return c;
}

void UIComp::Update(float dt)
{
    cycle_time += dt;
    if (cycle_time >= 1.0f)
        cycle_time -= 1.0f;
}

void UIComp::Draw() {}
void UIComp::Precalculate() {}
void UIComp::ApplyCacheMode(int) {}
void UIComp::EditUpdate(float) {}
int UIComp::EditProcessEvent(ov_event_t *) { return 0; }
int UIComp::ProcessClick() { return 0; }
int UIComp::ProcessCursorMove(UICursor *, int, float) { return 0; }
int UIComp::ProcessCursorMove(UICursor *, const vec2_t &, float) { return 0; }
int UIComp::ProcessChar(int) { return 0; }
int UIComp::ProcessKey(int) { return 0; }
int UIComp::ProcessMouseWheel(float) { return 0; }
int UIComp::ProcessEvent(ov_event_t *) { return 0; }
void UIComp::OnScreenEnter(Screen *) {}
void UIComp::OnScreenLeave(Screen *) {}
void UIComp::UpdateDimensions() {}

void UIComp::DrawInfoBox(vec2_t at)
{
    ov_font_t *font = ov->OV_GetFont("core/console.mft");
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(0.8f);
    ov->OV_DrawRect(at.x - 5.0f, at.y - 5.0f, 400.0f, 200.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
    const float line = font ? (float)font->line_height : 16.0f;
    float y = at.y;
    ov->OV_DrawTextf(font, at.x, y, "Name: '%s'", name ? name : "");
    y += line;
    if (parent) {
        ov->OV_DrawTextf(font, at.x, y, "Parent: '%s'", parent->name ? parent->name : "");
        y += line;
    }
    const char *kind = position_type == UIPOS_RELATIVE_TO_SCREEN   ? "RELATIVE_TO_SCREEN"
                       : position_type == UIPOS_RELATIVE_TO_PARENT ? "RELATIVE_TO_PARENT"
                                                                   : "ABSOLUTE";
    ov->OV_DrawTextf(font, at.x, y, "X: %g  Y: %g type: %s", position_x, position_y, kind);
    // The engine counts one reference per font name taken with OV_GetFont: no release
    // (a release per drawing freed the console font under its other users).
}

// Each component owns its copies of the script names, so that a template and its
// inheritors free their own.
bool UIComp::InheritFrom(UIComp *tmpl)
{
    if (!tmpl || tmpl->type != type)
        return false;
    if (tmpl == this)
        return true;
    expanded_hit_area = tmpl->expanded_hit_area;
    alpha = tmpl->alpha;
    custom_draw = tmpl->custom_draw;
    screen_origin = tmpl->screen_origin;
    scale = tmpl->scale;
    inherit_scale = tmpl->inherit_scale;
    inherit_angle = tmpl->inherit_angle;
    snap_position_to_pixels = tmpl->snap_position_to_pixels;
    width = tmpl->width;
    height = tmpl->height;
    align = tmpl->align;
    active = tmpl->active;
    visible = tmpl->visible;
    fading = tmpl->fading;
    fading_akey = tmpl->fading_akey;
    color = tmpl->color;
    interactive = tmpl->interactive;
    cache_mode = tmpl->cache_mode;
    scale_type = tmpl->scale_type;
    position_x = tmpl->position_x;
    position_y = tmpl->position_y;
    draw_mode = tmpl->draw_mode;
    blend_mode = tmpl->blend_mode;
    pixel_filter = tmpl->pixel_filter;
    position_type = tmpl->position_type;
    localize = tmpl->localize;
    snd_over = tmpl->snd_over;
    snd_press = tmpl->snd_press;
    snd_release = tmpl->snd_release;
    for (int i = 0; i < 6; i++)
        SetScript(i, tmpl->GetScript(i));
    template_comp = tmpl;
    UpdateDimensions();
    return true;
}

ov_bitmap_t *UIComp::GetCachedBitmapPointer(const char *bitmap_name, bool preloading)
{
    // An empty name names no bitmap (looked up, it would find any bitmap made without a
    // name and show that instead of nothing).
    if (!bitmap_name || !bitmap_name[0])
        return nullptr;
    int flags = 0;
    if (features_present && cache_mode == UICACHE_PRELOAD)
        flags = preloading ? UIBITMAP_FLAGS_PRELOAD : UIBITMAP_FLAGS_LOAD;
    return ov->OV_LoadBitmap(bitmap_name, flags);
}

void UIComp::IncreaseBitmapReferenceCount(ov_bitmap_t *bitmap)
{
    if (!bitmap)
        return;
    if (bitmap->refcount > 0)
        bitmap->refcount++;
    else
        ov->OV_LoadBitmap(bitmap->name, UIBITMAP_FLAGS_LOAD);
}

// While the owner's set has its cache modes applied the old bitmap's reference is
// given back and the new one taken counted, so that leaving releases what it should.
// Only then is the new bitmap fetched, so that one reference is taken, not two.
void UIComp::ReplaceBitmapApplyingReferenceCounting(ov_bitmap_t **slot, const char *bitmap_name)
{
    if (!slot)
        return;
    const bool applied = owner && owner->ui && owner->ui->cache_applied && features_present;
    if (!applied) {
        *slot = GetCachedBitmapPointer(bitmap_name, false);
        return;
    }
    if (*slot)
        ov->OV_ReleaseBitmap(*slot);
    *slot = nullptr;
    if (!bitmap_name || !bitmap_name[0])
        return;
    if (cache_mode != UICACHE_PRELOAD)
        *slot = ov->OV_LoadBitmap(bitmap_name, UIBITMAP_FLAGS_LOAD);
    else
        *slot = GetCachedBitmapPointer(bitmap_name, false);
}

void UIComp::TrackPropertyAccess(const char *property)
{
    if (!property)
        return;
    std::lock_guard<std::mutex> hold(stats_lock);
    for (auto &entry : stats)
        if (entry.first == property)
            return;
    stats.emplace_back(property, 0);
}

void UIComp::AddToPropertyAccessStatistics(const char *property)
{
    if (!property)
        return;
    std::lock_guard<std::mutex> hold(stats_lock);
    for (auto &entry : stats)
        if (entry.first == property)
            entry.second++;
}

int UIComp::GetPropertyAccessCount(const char *property)
{
    std::lock_guard<std::mutex> hold(stats_lock);
    for (auto &entry : stats)
        if (property && entry.first == property)
            return entry.second;
    return -1;
}

void UIComp::ResetPropertyAccessStatistics()
{
    std::lock_guard<std::mutex> hold(stats_lock);
    stats.clear();
}

void UIComp::PrintPropertyAccessStatistics()
{
    std::vector<std::pair<std::string, int>> sorted;
    {
        std::lock_guard<std::mutex> hold(stats_lock);
        sorted = stats;
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const std::pair<std::string, int> &a, const std::pair<std::string, int> &b) {
                         return a.second < b.second;
                     });
    ov_font_t *font = sman.default_font;
    const float step = font ? (float)(font->line_height - 2) : 14.0f;
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetBlend(0);
    float y = 10.0f;
    for (const auto &entry : sorted) {
        ov->OV_DrawTextf(font, 10.0f, y, "%d: %s", entry.second, entry.first.c_str());
        y += step;
    }
}
