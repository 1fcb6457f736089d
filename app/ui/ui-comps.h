// The UI component base class: what all component kinds share. A component is made by
// the factory (ui-factory.h) when a UI script calls "CreateComp", belongs to one
// screen's UISet and carries its identity, the links to its parent and its template,
// its geometry (position, position type, anchor, alignment, size, scale, angle), colour
// and alpha, its flags, cache, draw, blend and filter modes, three sounds and six
// script names. The base answers the geometric questions of the screen manager (where
// is it, is a point over it, is it in view), reads and writes the base properties for
// scripts and writes itself back as script lines for the UI editor.
//
// A plain `UIComp` (type 0, "Unknown") is a valid component that draws nothing; the
// widget kinds (widgets/) derive from it and override what their kind changes.
//
// Geometry is measured in the screen manager's virtual screen (`sman`). Components are
// used by one thread at a time: the loading thread while their set is built, the main
// thread afterwards.
#ifndef APP_UI_UI_COMPS_H
#define APP_UI_UI_COMPS_H

#include "orvex.h"

#include <stdio.h>

struct lua_State;
struct ov_bitmap_t;
struct ov_sound_t;
struct ov_event_t;
struct UICursor;
class Screen;
class UISet;

// Component type numbers (stored and compared; the words are matched without case).
enum {
    UICOMP_UNKNOWN = 0,
    UICOMP_BUTTON = 1,
    UICOMP_SLIDER = 2,
    UICOMP_EDITBOX = 3,
    UICOMP_CHECKBOX = 4,
    UICOMP_LISTBOX = 5,
    UICOMP_PATH = 6,
    UICOMP_EMITTER = 7,
    UICOMP_SCRIPTABLE = 8,
    UICOMP_TOUCHFIELD = 9,
    UICOMP_TOUCHGRID = 10,
    UICOMP_NINEPATCH = 11,
    UICOMP_TEXTBOX = 12,
    UICOMP_RECTANGLE = 13,
    UICOMP_IMAGE = 14,
    UICOMP_MARKER = 15,
    UICOMP_RULER = 16,
    UICOMP_AD = 17,
    UICOMP_MODEL = 18,
    UICOMP_ALIGNER = 19,
    UICOMP_NUM_TYPES = 20,
};

// Align flags of "align" and "parent_anchor"; 0 is top-left.
enum {
    UIALIGN_RIGHT = 1,
    UIALIGN_BOTTOM = 2,
    UIALIGN_VCENTER = 4,
    UIALIGN_HCENTER = 8,
    UIALIGN_CENTER = 12,
};

enum { UIORIGIN_VIRTUAL = 0, UIORIGIN_ACTUAL = 1 };

enum {
    UICACHE_PRELOAD = 0,
    UICACHE_LOAD_ON_ENTER = 1,
    UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE = 2,
    UICACHE_IGNORE_LOADING = 3,
};

enum { UIDRAW_NORMAL = 0, UIDRAW_MIRRORED_VERTICAL = 1, UIDRAW_MIRRORED_HORIZONTAL = 2 };

enum { UIPOS_ABSOLUTE = 0, UIPOS_RELATIVE_TO_PARENT = 1, UIPOS_RELATIVE_TO_SCREEN = 2 };

enum {
    UISCALE_ACTUAL_SIZE = 0,
    UISCALE_FIT_INSIDE_SCREEN = 1,
    UISCALE_FIT_TO_COVER_SCREEN = 2,
    UISCALE_STRETCH_TO_COVER_SCREEN = 3,
    UISCALE_RELATIVE_TO_SCREEN_WIDTH = 4,
    UISCALE_RELATIVE_TO_SCREEN_HEIGHT = 5,
    UISCALE_RELATIVE_TO_SCREEN_SIZE = 6,
    UISCALE_RELATIVE_TO_PARENT = 7,
};

// Cache flags of OV_LoadBitmap: loads during preloading, and every other component load.
enum { UIBITMAP_FLAGS_PRELOAD = 6, UIBITMAP_FLAGS_LOAD = 4 };

// Room for the property part of a path (ResolveCompProperty), terminator included.
enum { UI_PROPERTY_MAX = 256 };

// Words of the align flags: "BOTTOM", then "RIGHT", then "CENTER" (4 and 8) or
// "VCENTER" or "HCENTER", run together; "" for 0. A 64-byte buffer of the calling
// thread, overwritten by its next call.
const char *GetAlignFlagsAsString(int flags);
// Flags of a text by substring search: "BOTTOM" 2, "RIGHT" 1, "VCENTER" 4, "HCENTER" 8;
// "CENTER" gives 12 only when none of the four matched. Null gives 0.
int ParseAlignFlags(const char *text);

class UIComp {
public:
    UIComp();
    // Frees the name, the tags, the requirement list and the six script names.
    virtual ~UIComp();

    // A new plain component of the given name (empty for null) styled as this one
    // (tags and requirements copied, then InheritFrom, then draw mode, position type,
    // scale, parent, template, position and custom_draw). Not added to any set.
    virtual UIComp *Clone(const char *name);
    // Advances cycle_time by dt, wrapping at 1.
    virtual void Update(float dt);
    virtual void Draw();
    // Edit-mode box with the name, the parent and the position.
    virtual void DrawInfoBox(vec2_t at);
    virtual void Precalculate();
    // 2 loads the component's bitmaps, 3 releases them; nothing in the base.
    virtual void ApplyCacheMode(int mode);
    virtual void EditUpdate(float dt);
    virtual int EditProcessEvent(ov_event_t *event);
    // Writes the creation line and the base property lines that differ from the
    // template (constructor defaults without one). May convert the position type.
    virtual void ExportLua(FILE *f);
    // Pushes a base property's values and returns their count; 0 (nothing pushed)
    // for an unknown name.
    virtual int GetProperty(const char *name, lua_State *L);
    // Sets a base property from the values at stack positions 2 on; 0 when handled,
    // -1 for an unknown name (no message).
    virtual int SetProperty(const char *name, lua_State *L);

    virtual vec2_t GetStaticPos();
    virtual float GetStaticPosZ();
    virtual vec2_t GetAlignedPos();
    virtual vec2_t GetCenterPos();
    virtual vec2_t GetBoundingRectangleSize();
    virtual float GetStaticAlpha();
    virtual float GetStaticAngle();
    virtual float GetStaticScale();
    virtual float GetDynamicScale();
    virtual vec2_t MapScreenSpacePointToObjectSpace(vec2_t p);
    virtual vec2_t MapObjectSpacePointToScreenSpace(vec2_t p);
    virtual bool IsPointOver(const vec2_t &p);
    virtual bool IsPointOverExpandedArea(const vec2_t &p, float margin);
    virtual bool IsInteractive();
    virtual bool IsActive();
    virtual bool IsVisible();
    virtual bool IsInView();
    // Copies the template's style; false (nothing copied) for a template of another type.
    virtual bool InheritFrom(UIComp *tmpl);
    // Input handlers: 0 = not consumed.
    virtual int ProcessClick();
    virtual int ProcessCursorMove(UICursor *cursor, int direction, float dt);
    virtual int ProcessCursorMove(UICursor *cursor, const vec2_t &pos, float dt);
    virtual int ProcessChar(int c);
    virtual int ProcessKey(int key);
    virtual int ProcessMouseWheel(float delta);
    virtual int ProcessEvent(ov_event_t *event);
    virtual void OnScreenEnter(Screen *screen);
    virtual void OnScreenLeave(Screen *screen);
    // Recomputes width and height from the kind's content; nothing in the base.
    virtual void UpdateDimensions();
    // screen_factor from the scale type, then dynamic_scale = static scale x factor.
    virtual void CalculateDynamicScale();
    // The size w x h, the dynamic scale for it (CalculateDynamicScale), then the size
    // times that scale: the last step of the kinds' UpdateDimensions.
    void SetScaledSize(float w, float h);
    // Puts the named bitmap into the slot, with reference counting while the owner
    // screen is entered.
    virtual void ReplaceBitmapApplyingReferenceCounting(ov_bitmap_t **slot, const char *name);

    // Converts position x and y so that the static position stays put.
    void ConvertPositionType(int new_type);
    // The point rotated about the parent's static position by its static angle (with
    // a parent and inherit_angle), else the point.
    vec2_t RotateByParent(vec2_t p);
    // The named bitmap, made resident (flags 6 preloading, else 4) for a PRELOAD
    // component with its features present, else referenced with flags 0. Null for a
    // null name or when the engine has none.
    ov_bitmap_t *GetCachedBitmapPointer(const char *name, bool preloading);
    // One more reference on a loaded bitmap, or loads it again by name.
    void IncreaseBitmapReferenceCount(ov_bitmap_t *bitmap);

    // Type number of a word ("BUTTON".."ALIGNER", any case); 0 for null or another word.
    static int GetCompType(const char *word);
    // Display word of a type ("Button".."Aligner"), "Unknown" outside 1..19.
    static const char *GetCompTypeString(int type);

    // Stores a copy (null gives an empty name).
    void SetName(const char *name);
    // The six script names by index (0 OnLoad .. 5 OnUpdate), null when unset.
    const char *GetScript(int index) const;
    void SetScript(int index, const char *file);
    // The script's property word by index ("OnLoad" .. "OnUpdate"), null outside 0..5.
    static const char *GetScriptWord(int index);

    // Property-access statistics: names entered with TrackPropertyAccess are counted
    // by every base GetProperty of that name. Any thread (locked).
    static void TrackPropertyAccess(const char *name);
    static void AddToPropertyAccessStatistics(const char *name);
    static int GetPropertyAccessCount(const char *name);  // -1 when not tracked
    static void ResetPropertyAccessStatistics();
    // Draws "count: name" lines, fewest accesses first, in the default font at (10, 10).
    static void PrintPropertyAccessStatistics();

    // Fields, in the order of the component record.
    int type;
    char *name;
    bool loaded;
    char *tags;
    char *required_features;
    bool features_present;
    Screen *owner;
    UIComp *template_comp;   // the template last inherited from ("inherit")
    UIComp *parent;
    uint16_t parent_anchor;
    uint16_t screen_origin;
    bool inherit_scale;
    bool inherit_angle;
    bool snap_position_to_pixels;
    bool interactive;
    bool custom_draw;
    uint16_t cache_mode;
    uint16_t draw_mode;
    float alpha;
    float width, height;
    int align;
    float scale;
    float angle;
    bool fading;
    float fading_akey;
    float cycle_time;
    float time_cursor_over;
    float time_cursor_locked;
    float expanded_hit_area;
    bool active;
    bool visible;
    int position_type;
    float position_x, position_y, position_z;
    float position_offset_x, position_offset_y, position_offset_z;
    color_t color;
    int scale_type;
    bool localize;
    int blend_mode;
    int pixel_filter;
    ov_sound_t *snd_over, *snd_press, *snd_release;
    char *OnLoad, *OnClick, *OnEnter, *OnLeave, *OnDraw, *OnUpdate;
    float dynamic_scale;
    float screen_factor;

protected:
    // Copies a text into an owned field (freeing the old one); null stores null.
    static void ReplaceString(char **field, const char *text);
    // The property setters that look things up: the parent in the calling set, the
    // template in the templates set, the scale type by word (messages name the set).
    void SetParentByName(const char *parent_name, UISet *set);
    void InheritByName(const char *template_name);
    void SetScaleTypeWord(const char *word, UISet *set);

private:
    UIComp(const UIComp &) = delete;
    UIComp &operator=(const UIComp &) = delete;
};

// The component a property path names, or null; `property_out` (UI_PROPERTY_MAX
// bytes) receives the property part and `screen_out` (may be null) the screen of a
// screen path. `set` is the UI set of the calling Lua state (may be null). Forms:
// "/:prop" (the calling set's screen), "/Screen:prop", "/Screen/Comp:prop",
// "Comp:prop" (a component of the calling screen's set), "prop" (the set's current
// component). A bad or unknown screen gives a popup; an unknown component none.
UIComp *ResolveCompProperty(UISet *set, const char *path, char *property_out, Screen **screen_out);

// Writes a text between double quotes with backslash, quote and line feed escaped, so
// that the Lua reader gives the text back.
void WriteLuaQuoted(FILE *f, const char *text);
// Writes the line SetProperty ("property", "text"); with the text quoted as above.
void WriteLuaPropertyText(FILE *f, const char *property, const char *text);

#endif
