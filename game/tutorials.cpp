// Tutorials: short texts the battle shows once per player. A tutorial is shown only
// while its name is missing from the profile's "tutorials_completed"; it is completed
// by the action it teaches or, for pausing ones, by a tap. One is shown at a time.
#include "game/gamestate.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/localization.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/services/token-lists.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/tutorials.h"
#include "ovrecords.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char *const COMPLETED = "tutorials_completed";
const char *const FEATURES = "features";
// Seconds the text takes to fade in or out (alpha moves 2 per second).
const float FADE_SPEED = 2.0f;
// A selected trooper's path longer than this completes "MOVING" and "UNDER_ATTACK".
const float MOVING_PATH_LENGTH = 100.0f;

// The current tutorial's name; `game.tutorial_name` points here while one is set.
char current_name[64];

// Tutorials the developer keys '1' to '7' force.
const char *const DEVELOPER_TUTORIALS[7] = {"MOVING",        "FIRING",         "POWERUPS",    "BUNKER_TRASHED",
                                            "TROOPER_DEATH", "TROOPER_REVIVE", "UNDER_ATTACK"};

bool IsCompleted(const char *name)
{
    return prof != nullptr && prof->TagExists(COMPLETED, name);
}

bool IsPowerupTutorial(const char *name)
{
    return strstr(name, "POWERUP_") != nullptr;
}

// The tutorial's text as the data holds it (not localised); null when absent.
const char *TutorialText(const char *name)
{
    if (IsPowerupTutorial(name))
        return dman().GetValue("powerups.xml", "powerups", name, "desc");
    return dman().GetValue("texts.xml", "tutorial", name, "text");
}

bool AnySelectedPathLongerThan(float length)
{
    for (int i = 0; i < CONTROLS_MAX_TOUCHES; i++) {
        Entity *e = controls.GetSelectedEnt(i);
        if (e != nullptr && e->path != nullptr && e->path->length > length)
            return true;
    }
    return false;
}

// Whether a living creature of the type stands inside the field (creatures are born
// outside its edges and walk in).
bool CreatureOnField(EntityType *type)
{
    Scape *world = GetScape();
    if (world == nullptr || type == nullptr)
        return false;
    Entity *found[64];
    int n = world->QueryEntitiesOfType(type, Entity::NORMAL, found, 64);
    for (int i = 0; i < n; i++) {
        const Entity *e = found[i];
        if (e->IsAlive() && e->pos.x >= 0.0f && e->pos.y >= 0.0f && e->pos.x <= (float)world->width &&
            e->pos.y <= (float)world->height)
            return true;
    }
    return false;
}

}  // namespace

void GameState::SetTutorial(const char *name)
{
    if (name == nullptr) {
        tutorial_name = nullptr;
        tutorial_shown = 0;
        tutorial_pauses = 0;
        tutorial_alpha = 0.0f;
        return;
    }
    if (IsCompleted(name))
        return;
    if (strcmp(name, "TARGETING") == 0 && prof != nullptr && !prof->TagExists(FEATURES, "PRIMARY_TARGET"))
        prof->AddTag(FEATURES, "PRIMARY_TARGET");
    const char *text = TutorialText(name);
    if (text == nullptr || text[0] == '\0')
        return;
    // The name may be the current copy itself (a tutorial asked for again).
    char copy[sizeof current_name];
    snprintf(copy, sizeof copy, "%s", name);
    memcpy(current_name, copy, sizeof current_name);
    tutorial_name = current_name;
    tutorial_alpha = 0.0f;
    tutorial_time = 0.0f;
    tutorial_shown = 1;
    tutorial_trooper = nullptr;
    if (IsPowerupTutorial(current_name)) {
        tutorial_pauses = 1;
        return;
    }
    // Without "flags" a tutorial does not pause.
    const char *flags = dman().GetValue("texts.xml", "tutorial", current_name, "flags");
    tutorial_pauses = HasWholeToken(flags, "TUTORIAL_PAUSES");
}

void GameState::SetTutorialCompleted(const char *name)
{
    if (name == nullptr)
        return;
    if (prof != nullptr && !prof->TagExists(COMPLETED, name))
        prof->AddTag(COMPLETED, name);
    if (tutorial_name != nullptr && strcmp(tutorial_name, name) == 0) {
        tutorial_shown = 0;
        tutorial_time = 0.5f;
    }
}

void GameState::UpdateTutorial(float dt)
{
    tutorial_time += dt;
    if (delayed_tutorial_time > 0.0f) {
        delayed_tutorial_time -= dt;
        if (delayed_tutorial_time < 0.0f) {
            delayed_tutorial_time = 0.0f;
            SetTutorial(delayed_tutorial);
        }
    }
    if (prog.parms.developer_mode) {
        for (int i = 0; i < 7; i++)
            if (ov->OV_GetKeyStatei('1' + i) & 1)
                SetTutorial(DEVELOPER_TUTORIALS[i]);
    }
    // A wave's tip about a creature, once one is on the field and no other tip is up.
    for (int i = 0; i < num_awaited_tutorials && tutorial_name == nullptr; i++) {
        if (!CreatureOnField(awaited_tutorial_types[i]))
            continue;
        const char *name = awaited_tutorials[i];
        for (int k = i + 1; k < num_awaited_tutorials; k++) {
            awaited_tutorials[k - 1] = awaited_tutorials[k];
            awaited_tutorial_types[k - 1] = awaited_tutorial_types[k];
        }
        num_awaited_tutorials--;
        SetTutorial(name);
    }
    if (game_clock > 6000 && strcmp(parms.mission_id, "MISSION1_3") == 0 && prof != nullptr &&
        !prof->TagExists(FEATURES, "PRIMARY_TARGET"))
        SetTutorial("TARGETING");
    if (tutorial_name != nullptr) {
        tutorial_alpha += tutorial_shown ? FADE_SPEED * dt : -FADE_SPEED * dt;
        if (tutorial_alpha > 1.0f)
            tutorial_alpha = 1.0f;
        if (tutorial_alpha <= 0.0f && !tutorial_shown) {
            tutorial_alpha = 0.0f;
            tutorial_name = nullptr;
            tutorial_pauses = 0;
        } else if (tutorial_alpha < 0.0f) {
            tutorial_alpha = 0.0f;
        }
    }
    if (AnySelectedPathLongerThan(MOVING_PATH_LENGTH)) {
        SetTutorialCompleted("MOVING");
        SetTutorialCompleted("UNDER_ATTACK");
    }
}

namespace {

// The hand bitmap of the "MOVING" gesture: the mouse with "MOUSE_INTERFACE", else the
// finger with "TOUCH_SCREEN", else none (the hand is not drawn).
ov_bitmap_t *MovingHandBitmap()
{
    if (feature_man.ProductFeatureExists("MOUSE_INTERFACE"))
        return ov->OV_GetBitmap("game-ui/cursor-mouse.png");
    if (feature_man.ProductFeatureExists("TOUCH_SCREEN"))
        return ov->OV_GetBitmap("game-ui/cursor-finger.png");
    return nullptr;
}


// The trooper the moving hand starts from: the remembered one while it lives, else the
// first trooper within 5000 units of (100, 100).
Entity *PointedTrooper(GameState *g)
{
    Entity *e = g->tutorial_trooper;
    if (e != nullptr && e->type != nullptr && e->IsAlive())
        return e;
    g->tutorial_trooper = nullptr;
    Scape *world = GetScape();
    if (world == nullptr)
        return nullptr;
    Entity *found = nullptr;
    if (world->QueryEntitiesInRadiusInFriendGroup(vec2_t{100.0f, 100.0f}, 5000.0f, Entity::MOVABLE, Entity::PLAYERS,
                                                  &found, 1) > 0)
        g->tutorial_trooper = found;
    return g->tutorial_trooper;
}

void DrawMovingHand(GameState *g, float a)
{
    Entity *trooper = PointedTrooper(g);
    const vec2_t p = trooper != nullptr ? trooper->pos : vec2_t{100.0f, 100.0f};
    float progress = 0.0f;
    if (g->tutorial_time <= 4.0f)
        progress = Clamp01((g->tutorial_time - 0.5f) / 3.0f);
    else
        g->tutorial_time = 0.5f;  // the gesture repeats
    const float e = EaseInOut(progress);
    const float bob = sinf(e * kPi);
    if (e > 0.95f)
        a -= (e - 0.95f) * 20.0f;
    if (e < 0.05f)
        a *= 20.0f * e;
    ov_bitmap_t *hand = MovingHandBitmap();
    if (hand == nullptr)
        return;
    const float x = (p.x + 60.0f) * e + (1.0f - e) * p.x - 60.0f * bob + hand->width / 2.0f;
    const float y = (p.y - 220.0f) * e + (1.0f - e) * p.y + hand->height / 2.0f;
    ov->OV_SetAlpha(a);
    ov->OV_DrawBitmapRS(hand, x, y, 0.0f, 1.0f);
}

void DrawShoppingHand(GameState *g, float a)
{
    vec2_t t = {100.0f, 100.0f};
    if (g->base != nullptr)
        t = vec2_t{g->base->pos.x + 20.0f, g->base->pos.y + 20.0f};
    float progress = 1.0f;
    if (g->tutorial_time <= 4.5f)
        progress = Clamp01(g->tutorial_time - 0.5f);
    else
        g->tutorial_time = 1.5f;
    const float e = sinf(EaseInOut(progress) * kPi);
    const float bob = sinf(e * kPi);
    ov_bitmap_t *hand = ov->OV_GetBitmap("game-ui/cursor-finger.png");
    if (hand == nullptr)
        return;
    const float x = (t.x - 40.0f) * e + (1.0f - e) * t.x + hand->width / 2.0f;
    const float y = (t.y - 40.0f) * e + (1.0f - e) * t.y - 5.0f * bob + hand->height / 2.0f;
    ov->OV_SetAlpha(a);
    ov->OV_DrawBitmapRS(hand, x, y, 0.0f, 1.0f - 0.2f * e);
}

ov_font_t *HudFont()
{
    Scape *world = GetScape();
    return world != nullptr && world->stock != nullptr ? world->stock->font_medium : nullptr;
}

// The current tutorial's text as shown (a power-up's with its name above, a tip that
// freezes the battle with how it goes on below); false when there is none to show.
bool ShownTutorialText(const char *name, bool pauses, char *shown, size_t size)
{
    if (name == nullptr)
        return false;
    const char *text = TutorialText(name);
    if (text == nullptr || text[0] == '\0')
        return false;
    if (IsPowerupTutorial(name)) {
        const char *title = dman().GetValue("powerups.xml", "powerups", name, "name");
        const char *title_text = loc_man().Localize(title != nullptr ? title : "");
        snprintf(shown, size, "%s Powerup\n%s", title_text != nullptr ? title_text : "", loc_man().Localize(text));
    } else {
        snprintf(shown, size, "%s", loc_man().Localize(text));
    }
    if (pauses) {
        size_t used = strlen(shown);
        snprintf(shown + used, size - used, "\n%s", loc_man().Localize("Tap to continue"));
    }
    return true;
}

// The top of the tutorial's box in reference units: 0.9 of the reference height, or
// higher where the box would reach below the screen.
int TutorialBoxY()
{
    int ref_w = 0, ref_h = 0;
    const char *resolution = feature_man.GetProductValue("reference_resolution");
    if (resolution != nullptr && strlen(resolution) < 256 && sscanf(resolution, "%dx%d", &ref_w, &ref_h) == 2)
        return (int)(0.9f * (float)ref_h);
    return 0;
}

// The box of one tutorial text: its style on this screen and its size.
struct TextBox {
    float margin = 20.0f, reduction = 20.0f, offset = 10.0f, scale = 1.0f;
    int y_shift = 0, width = 0;
    float w = 0.0f, h = 0.0f;
};

TextBox MeasureTextBox(ov_font_t *font, int width, const char *text)
{
    TextBox b;
    if (feature_man.ProductFeatureExists("SMALL_SCREEN")) {
        b.y_shift = -110;
        b.margin = 15.0f;
        b.reduction = 15.0f;
        b.offset = 7.5f;
        b.scale = 0.75f;
        width *= 2;
    }
    b.width = width;
    ov->OV_SetTextTransform(b.scale, b.scale, 0.0f);
    ov->OV_SetTextboxWidth((int)(((float)width - b.reduction) * b.scale));
    ov->OV_SetTextAlign(8);
    ov->OV_GetTextSizef(font, &b.w, &b.h, "%s", text);
    b.w += b.margin;
    b.h += b.margin;
    return b;
}

// A box whose top is asked at y moves up as far as it must to end above the screen's
// bottom edge.
float KeptOnScreen(float y, float h)
{
    const float bottom = (float)sman.reference_height - 4.0f;
    return y + h > bottom ? fmaxf(0.0f, bottom - h) : y;
}

}  // namespace

bool GameState::GetTutorialBox(float *top, float *bottom)
{
    char shown[1024];
    ov_font_t *font = HudFont();
    if (font == nullptr || tutorial_alpha <= 0.0f ||
        !ShownTutorialText(tutorial_name, tutorial_pauses, shown, sizeof shown))
        return false;
    const TextBox b = MeasureTextBox(font, kTutorialWidth, shown);
    ov->OV_SetTextAlign(0);
    ov->OV_SetTextboxWidth(0);
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    *top = KeptOnScreen((float)(TutorialBoxY() + b.y_shift), b.h);
    *bottom = *top + b.h;
    return true;
}

void GameState::DrawTutorial()
{
    char shown[1024];
    if (!ShownTutorialText(tutorial_name, tutorial_pauses, shown, sizeof shown))
        return;
    float a = tutorial_alpha;
    if (tutorial_time < 0.5f)
        a *= 2.0f * tutorial_time;
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    if (strcmp(tutorial_name, "MOVING") == 0)
        DrawMovingHand(this, a);
    else if (strcmp(tutorial_name, "SHOPPING") == 0)
        DrawShoppingHand(this, a);
    ov->OV_SetAlpha(1.0f);

    ov_font_t *font = HudFont();
    const float text_w = font != nullptr ? ov->OV_GetTextWidthf(font, "%s", shown) : 0.0f;
    DrawTutorialText((int)((float)sman.reference_width / 2.0f - text_w / 2.0f), TutorialBoxY(), kTutorialWidth, shown,
                     tutorial_alpha);
}

void DrawTutorialText(int x, int y, int width, const char *text, float alpha)
{
    (void)x;
    ov_font_t *font = HudFont();
    if (font == nullptr || text == nullptr)
        return;
    const TextBox b = MeasureTextBox(font, width, text);
    const float top = KeptOnScreen((float)(y + b.y_shift), b.h);
    const float centre = (float)sman.reference_width / 2.0f;
    ov->OV_SetBlend(0);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(0.8f * alpha);
    ov->OV_DrawRect(centre - b.w / 2.0f, top, b.w, b.h);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(alpha);
    ov->OV_DrawTextf(font, centre, top + b.offset, "%s", text);
    ov->OV_SetTextAlign(0);
    ov->OV_SetTextboxWidth(0);
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    ov->OV_SetAlpha(1.0f);
}
