// The battle's heads-up display, drawn by the battle screen after its components: the
// spawn alerts, the wave title banners, the wave progress panel with the star rating
// (LEVEL missions) or the score (other modes), the loss caption, the tactical-mode
// caption and the tutorial. Positions are reference units (the battle screen draws
// under a transform that scales them to the display) unless stated; the panel hangs
// from the static position of the "Game" screen's component "Progress".
#include "game/gamestate.h"

#include "app/services/featureman.h"
#include "app/services/localization.h"
#include "app/services/profiles.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "game/entities/stock.h"
#include "game/game-util.h"
#include "game/scape.h"
#include "game/spawn-manager.h"
#include "ovrecords.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {

const int kAlignCentre = 12;
// The dark plate under HUD texts that stand on the battlefield.
const float kPlateAlpha = 0.6f;
const float kPlatePadX = 8.0f;
const float kPlatePadY = 4.0f;
// The tactical pause's hint, a little smaller than its caption.
const float kHintScale = 0.8f;

ov_font_t *HudFont(bool large)
{
    Stock *stock = WorldStock();
    if (stock == nullptr)
        return nullptr;
    return large ? stock->font_large : stock->font_medium;
}

// The product value "reference_resolution" ("<width>x<height>"); false without it.
bool ReferenceResolution(int *w, int *h)
{
    const char *value = feature_man.GetProductValue("reference_resolution");
    return value != nullptr && strlen(value) < 64 && sscanf(value, "%dx%d", w, h) == 2;
}

bool SmallScreen()
{
    return feature_man.ProductFeatureExists("SMALL_SCREEN");
}

// The "Game" screen's component of that name; null without either.
UIComp *GameComp(const char *name)
{
    Screen *screen = Screen::PeekScreen("Game");
    return screen != nullptr ? screen->GetComp(name) : nullptr;
}

float BitmapW(const ov_bitmap_t *b)
{
    return b != nullptr ? (float)b->width : 0.0f;
}

float BitmapH(const ov_bitmap_t *b)
{
    return b != nullptr ? (float)b->height : 0.0f;
}

bool ProfileTagged(const char *category, const char *id)
{
    return prof != nullptr && prof->TagExists(category, id);
}

// The panel's frame: its bitmaps, left edge, top, bar start and length, centre line.
struct Panel {
    ov_bitmap_t *panel, *marker, *notch;
    float x, y, w, h;
    float bar_x, bar_len, yc;
};

Panel LayOutPanel()
{
    Panel p;
    p.panel = ov->OV_GetBitmap("game-ui/waves-progress-panel.png");
    p.marker = ov->OV_GetBitmap("game-ui/waves-progress-marker.png");
    p.notch = ov->OV_GetBitmap("game-ui/waves-progress-notch.png");
    p.w = BitmapW(p.panel);
    p.h = BitmapH(p.panel);
    p.x = (float)sman.reference_width / 2.0f - p.w / 2.0f;
    p.y = sman.GetStaticPos(GameComp("Progress")).y;
    p.bar_x = p.x + 20.0f;
    p.bar_len = p.w - 40.0f;
    p.yc = p.y + p.h / 2.0f;
    return p;
}

// A text centred on (x, y) on a dark plate of its own, so that it reads over any ground.
void DrawOnPlate(ov_font_t *font, float x, float y, float scale, const char *text, float a)
{
    float tw = 0.0f, th = 0.0f;
    ov->OV_SetTextTransform(scale, scale, 0.0f);
    ov->OV_GetTextSizef(font, &tw, &th, "%s", text);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(kPlateAlpha * a);
    ov->OV_DrawRect(x - tw / 2.0f - kPlatePadX, y - th / 2.0f - kPlatePadY, tw + 2.0f * kPlatePadX,
                    th + 2.0f * kPlatePadY);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(a);
    ov->OV_SetTextAlign(kAlignCentre);
    ov->OV_DrawTextf(font, x, y, "%s", text);
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    ov->OV_SetTextAlign(0);
}

// "Wave N" under the wave panel, on a plate of its own, following the marker's x but
// never past the panel's ends (at the first and the last notch a caption centred on the
// marker ran over them), in the HUD font's own size.
void DrawWaveCaption(ov_font_t *font, float x, const Panel &p, int wave)
{
    if (font == nullptr)
        return;
    char text[32];
    snprintf(text, sizeof text, "Wave %d", wave > 1 ? wave : 1);
    float tw = 0.0f, th = 0.0f;
    ov->OV_GetTextSizef(font, &tw, &th, "%s", text);
    const float half = tw / 2.0f + kPlatePadX;
    x = fmaxf(p.x + half, fminf(p.x + p.w - half, x));
    DrawOnPlate(font, x, p.y + p.h + kPlatePadY + th / 2.0f + 2.0f, 1.0f, text, 1.0f);
}

void DrawStars(GameState &g, float yc)
{
    // Kept resident (cache mode 4); the pool's one shared reference holds it.
    ov_bitmap_t *bm_star = ov->OV_GetBitmapEx("game-ui/star.png", 4);
    const float w = BitmapW(bm_star);
    const float x0 = 0.163f * (float)sman.reference_width;
    ov->OV_SetAlpha(0.66f);
    ov->OV_DrawBitmapRS(ov->OV_GetBitmap("game-ui/stars_bg.png"), x0 + 25.5f, yc, 0.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);

    // Each star lost since the last frame bursts where it stood, from the highest down.
    const int rating = g.GetCurrentStarRating();
    Scape *world = GetScape();
    Stock *stock = world != nullptr ? world->stock : nullptr;
    while ((int)g.star_rating > rating && g.star_rating > 0) {
        const float x = x0 + ((float)(g.star_rating - 1) * w / 2.0f + 30.0f) * 0.85f;
        if (stock != nullptr && stock->fx_star_lost[0] != nullptr && world->top_parts != nullptr) {
            vec2_t at = world->TranslatePointToScape({x, yc});
            pbman.SpawnFX(world->top_parts, stock->fx_star_lost[0], AdjustPosByAverageScale(at), 0.0f, 0.0f);
        }
        g.star_rating--;
    }
    g.star_rating = (uint16_t)(rating > 0 ? rating : 0);
    const int shown = rating < 5 ? rating : 5;
    for (int i = 0; i < shown; i++) {
        const float x = x0 + ((float)i * w + 30.0f - w * (float)(rating - 1) / 2.0f) * 0.85f;
        ov->OV_DrawBitmapRS(bm_star, x, yc, 0.0f, 1.0f);
    }
}

void DrawSurvivalPanel(GameState &g, const Panel &p)
{
    ov_bitmap_t *panel = p.panel, *marker = p.marker, *notch = p.notch;
    const float x = p.x, y = p.y, bar_len = p.bar_len, yc = p.yc;
    ov->OV_DrawBitmap(panel, x, y);
    const int interval = g.reinforcement_wave_interval;
    const int n = g.random_wave_counter;
    const float bar_x = x + 20.0f;
    // An interval of 0 or less has no steps: no notches, the marker at the bar's start.
    if (interval > 0) {
        const float step = bar_len / (float)interval;
        const int k = g.reinforcement_wave_pending ? interval : n % interval;
        for (int i = 0; i <= interval; i++)
            ov->OV_DrawBitmapRS(notch, bar_x + (float)i * step, yc, 0.0f, 1.0f);
        const float d = g.wave_countdown > 0.0f ? g.wave_countdown : 0.0f;
        float offset = 0.0f;
        if (n <= 0)
            offset = (1.0f - d) * step;
        else if (g.delay_between_waves > 0.0f)
            offset = (g.delay_between_waves - d) * step / g.delay_between_waves;
        ov->OV_DrawBitmapRS(marker, bar_x + (float)(k < 0 ? k + interval : k) * step + offset, yc, 0.0f, 0.75f);
    } else {
        ov->OV_DrawBitmapRS(marker, bar_x, yc, 0.0f, 0.75f);
    }
    if (n > 0)
        DrawWaveCaption(HudFont(false), (float)sman.reference_width / 2.0f, p, n);
}

// One title banner laid out: its font, envelope, centre and band height.
struct TitleLayout {
    ov_font_t *font;
    float a;     // 0 at phase 0, 1 in the middle, 0 at phase 1
    float x, y;  // the title's centre
    float band;  // height of the dark band centred on y
    bool has_subtitle;
};

// False when the banner shows nothing (no title, phase 0 or less, no font).
bool LayOutTitle(const char *title, const char *subtitle, float phase, bool large_font, TitleLayout *out)
{
    if (title == nullptr || title[0] == '\0' || !(phase > 0.0f))
        return false;
    TitleLayout &t = *out;
    t.font = HudFont(large_font);
    if (t.font == nullptr)
        return false;
    t.a = sinf(EaseInOut(phase) * kPi);
    if (t.a < 0.0f)
        t.a = 0.0f;
    t.x = 0.0f;
    t.y = 0.0f;
    int ref_w = 0, ref_h = 0;
    if (ReferenceResolution(&ref_w, &ref_h)) {
        t.x = (float)ref_w / 2.0f;
        t.y = 0.7f * (float)ref_h;
    }
    t.has_subtitle = subtitle != nullptr && subtitle[0] != '\0';
    t.band = (float)t.font->line_height + 18.0f;
    if (t.has_subtitle) {
        t.band = (float)t.font->line_height + 45.0f;
        t.y -= 20.0f;
    }
    return true;
}

void DrawTitleBand(const TitleLayout &t)
{
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(0.8f * t.a);
    ov->OV_DrawRect(0.0f, t.y - t.band / 2.0f, (float)sman.reference_width, t.band);
}

void DrawTitleText(const TitleLayout &t, const char *title, const char *subtitle)
{
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    ov->OV_SetTextAlign(kAlignCentre);
    // The text leads the band in and trails it out (it was faint over a fading band),
    // over a dark shadow that keeps it legible on bright ground.
    const float text_alpha = fminf(1.0f, 1.6f * t.a);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(0.8f * text_alpha);
    ov->OV_DrawTextf(t.font, t.x + 2.0f, t.y + 2.0f, "%s", title);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(text_alpha);
    ov->OV_DrawTextf(t.font, t.x, t.y, "%s", title);
    if (t.has_subtitle) {
        ov->OV_SetTextTransform(0.5f, 0.5f, 0.0f);
        ov->OV_DrawTextf(t.font, t.x, t.y + 27.0f, "%s", subtitle);
    }
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    ov->OV_SetTextAlign(0);
}

}  // namespace

vec2_t PlaceHudSign(vec2_t p, vec2_t half, bool sideways)
{
    const float w = (float)sman.reference_width, h = (float)sman.reference_height;
    p.x = fmaxf(half.x, fminf(w - half.x, p.x));
    p.y = fmaxf(half.y, fminf(h - half.y, p.y));
    Screen *screen = Screen::PeekScreen("Game");
    if (screen == nullptr || screen->ui == nullptr || sman.reference_scale_x <= 0.0f || sman.reference_scale_y <= 0.0f)
        return p;
    const float gap = 4.0f;
    // A control moved past may leave the sign on the next one down the side.
    for (int pass = 0; pass < 4; pass++) {
        bool moved = false;
        for (int i = 0; i < screen->ui->comps.Count(); i++) {
            UIComp *c = screen->ui->comps[i];
            if (c->type != UICOMP_BUTTON || !c->IsInteractive())
                continue;
            const vec2_t at = c->GetAlignedPos();
            const float x0 = at.x / sman.reference_scale_x, y0 = at.y / sman.reference_scale_y;
            const float x1 = x0 + c->width / sman.reference_scale_x, y1 = y0 + c->height / sman.reference_scale_y;
            if (p.x + half.x + gap <= x0 || p.x - half.x - gap >= x1 || p.y + half.y + gap <= y0 ||
                p.y - half.y - gap >= y1)
                continue;
            if (sideways)
                p.x = p.x < w / 2.0f ? x1 + half.x + gap : x0 - half.x - gap;
            else
                p.y = p.y < h / 2.0f ? y1 + half.y + gap : y0 - half.y - gap;
            moved = true;
        }
        if (!moved)
            break;
    }
    return p;
}

void GameState::DrawTitle(const char *title, const char *subtitle, float phase, bool large_font)
{
    TitleLayout t;
    if (!LayOutTitle(title, subtitle, phase, large_font, &t))
        return;
    DrawTitleBand(t);
    DrawTitleText(t, title, subtitle);
}

bool GameState::IsFinalWaveStarted() const
{
    return parms.game_mode == GAME_MODE_LEVEL && num_wave_nodes > 0 && wave_script_pos >= num_wave_nodes;
}

void GameState::Draw()
{
    Scape *world = GetScape();
    if (world != nullptr && world->spawn_manager != nullptr)
        world->spawn_manager->DrawSpawnAlerts();
    const bool small = SmallScreen();
    const int mode = parms.game_mode;
    ov_font_t *font = HudFont(false);

    // Wave titles. When the last wave of a LEVEL script starts, the "FINAL WAVE" banner
    // comes with the wave's own title: its band sits right above the title's, both bands
    // are drawn before the texts so that neither darkens a text. After a loss only the
    // "FINAL WAVE" banner remains.
    const float p = wave_banner_phase;
    if (p > 0.0f) {
        char numbered[32];
        const char *title = nullptr;
        bool title_large = false;
        if (!lost) {
            if (wave_banner_text != nullptr && wave_banner_text[0] != '\0') {
                title = wave_banner_text;
            } else if (mode == GAME_MODE_LEVEL && wave_number == num_waves) {
                title = "Final Wave";
                title_large = true;
            } else {
                snprintf(numbered, sizeof numbered, "Wave %d", wave_number);
                title = numbered;
            }
        }
        TitleLayout final_wave, regular;
        const bool has_final = IsFinalWaveStarted() && LayOutTitle("FINAL WAVE", nullptr, p, false, &final_wave);
        const bool has_title = LayOutTitle(title, nullptr, p, title_large, &regular);
        if (has_final && has_title)
            final_wave.y = regular.y - (regular.band + final_wave.band) / 2.0f;
        if (has_final)
            DrawTitleBand(final_wave);
        if (has_title)
            DrawTitleBand(regular);
        if (has_final)
            DrawTitleText(final_wave, "FINAL WAVE", nullptr);
        if (has_title)
            DrawTitleText(regular, title, nullptr);
    }

    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
    const Panel panel = LayOutPanel();

    if (mode == GAME_MODE_LEVEL) {
        const int n = num_waves;
        if (n >= 2) {
            const float step = panel.bar_len / (float)(n - 1);
            ov->OV_DrawBitmap(panel.panel, panel.x, panel.y);
            for (int i = 0; i < n; i++)
                ov->OV_DrawBitmapRS(panel.notch, panel.bar_x + (float)i * step, panel.yc, 0.0f, 1.0f);
            // The marker glides from notch to notch as the shown level number moves on.
            const float v = level_number_shown;
            const int k = (int)v;
            const float f = k >= 1 ? v - (float)k : 1.0f;
            const float c = cosf(sinf(f * kPi / 2.0f) * kPi / 2.0f);
            const float xm = panel.bar_x + ((float)(k - 1) + (1.0f - c)) * step;
            ov->OV_DrawBitmapRS(panel.marker, xm, panel.yc, 0.0f, 0.75f);
            DrawWaveCaption(font, xm, panel, wave_number);
            if (!lost)
                DrawStars(*this, panel.yc);
        }
    } else {
        // The score, centred over the panel's side (SURVIVAL) or the screen, in the large
        // HUD font on a plate of its own (plain on the ground it was small and lost on
        // bright sand).
        const char *score_text = loc_man().LocalizeNumber(score);
        vec2_t progress = sman.GetStaticPos(GameComp("Progress"));
        const float text_scale = small ? 0.65f : 1.0f;
        ov_font_t *score_font = HudFont(true);
        float tw = 0.0f, th = 0.0f;
        if (score_font != nullptr && score_text != nullptr) {
            ov->OV_SetTextTransform(text_scale, text_scale, 0.0f);
            ov->OV_GetTextSizef(score_font, &tw, &th, "%s", score_text);
            const float x = mode == GAME_MODE_SURVIVAL
                                ? (progress.x / sman.reference_scale_x - panel.w / 2.0f) / 2.0f
                                : (float)sman.reference_width / 2.0f;
            const float yc = progress.y / sman.reference_scale_y + panel.h / 2.0f;
            // Its plate a little below the screen's top edge rather than against it.
            const vec2_t half = {tw / 2.0f + kPlatePadX, th / 2.0f + kPlatePadY};
            const vec2_t at = PlaceHudSign(vec2_t{x, fmaxf(yc, half.y + kPlatePadY)}, half, true);
            DrawOnPlate(score_font, at.x, at.y, text_scale, score_text, 0.9f);
            if (mode == GAME_MODE_DEFEND_THE_FLAG && font != nullptr) {
                char tents[16];
                snprintf(tents, sizeof tents, "%dx", medtent_count);
                float mw = 0.0f, mh = 0.0f;
                ov->OV_GetTextSizef(font, &mw, &mh, "%s", tents);
                const vec2_t tents_at = PlaceHudSign(
                    vec2_t{(float)sman.reference_width / 100.0f + kPlatePadX + mw / 2.0f, at.y},
                    vec2_t{mw / 2.0f + kPlatePadX, mh / 2.0f + kPlatePadY}, true);
                DrawOnPlate(font, tents_at.x, tents_at.y, 1.0f, tents, 0.9f);
            }
            ov->OV_SetAlpha(1.0f);
        }
        if (mode == GAME_MODE_SURVIVAL)
            DrawSurvivalPanel(*this, panel);
    }

    // The loss caption swells in over three seconds and out over the next three.
    if (lost) {
        const char *caption = nullptr;
        if (lost_no_troopers)
            caption = "All troopers dead";
        else if (mode == GAME_MODE_DEFEND_THE_FLAG)
            caption = "All Field Hospitals Lost";
        if (caption != nullptr && font != nullptr) {
            const float q = (lose_timer - 2.0f) / 3.0f - 1.0f;
            const float a = 1.0f - q * q;
            if (a > 0.0f) {
                ov->OV_SetTextTransform(a + 0.2f, a + 0.2f, 0.0f);
                ov->OV_SetAlpha(a);
                ov->OV_SetTextAlign(kAlignCentre);
                ov->OV_DrawTextf(font, (float)sman.reference_width / 2.0f, (float)sman.reference_height / 2.0f,
                                 "%s", loc_man().Localize(caption));
                ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
                ov->OV_SetTextAlign(0);
                ov->OV_SetAlpha(1.0f);
            }
        }
    }

    // The tactical caption is laid out in screen pixels: the battle screen's scaling
    // transform comes off for it and goes back on after.
    if (paused && font != nullptr) {
        ov->OV_PopTransform();
        const float k = sman.reference_scale;
        ov->OV_SetTextAlign(kAlignCentre);
        ov->OV_SetAlpha(1.0f);
        const float vw = (float)sman.virtual_width, vh = (float)sman.virtual_height;
        float caption_y = vh - (small ? 75.0f : 60.0f) * sman.reference_scale_y;
        float hint_y = vh - 35.0f * sman.reference_scale_y;
        const bool with_hint = !ProfileTagged("tutorials_completed", "TACTICAL_2");
        const char *hint = feature_man.ProductFeatureExists("MOUSE_INTERFACE")
                               ? "continue the battle by clicking the play button or spacebar"
                               : "continue the battle by tapping the play button";
        // The hint's plate under the caption's, not over it.
        float cw = 0.0f, ch = 0.0f, hw = 0.0f, hh = 0.0f;
        ov->OV_SetTextTransform(k, k, 0.0f);
        ov->OV_GetTextSizef(font, &cw, &ch, "%s", "TACTICAL MODE");
        ov->OV_SetTextTransform(kHintScale * k, kHintScale * k, 0.0f);
        ov->OV_GetTextSizef(font, &hw, &hh, "%s", hint);
        hint_y = fmaxf(hint_y, caption_y + ch / 2.0f + 2.0f * kPlatePadY + 2.0f + hh / 2.0f);
        // A tutorial's box at the bottom keeps the caption and its hint above it.
        float box_top = 0.0f, box_bottom = 0.0f;
        if (GetTutorialBox(&box_top, &box_bottom)) {
            const float lowest = with_hint ? hint_y + hh / 2.0f + kPlatePadY : caption_y + ch / 2.0f + kPlatePadY;
            const float limit = box_top * sman.reference_scale_y - 6.0f;
            if (lowest > limit) {
                caption_y -= lowest - limit;
                hint_y -= lowest - limit;
            }
        }
        DrawOnPlate(font, vw / 2.0f, caption_y, k, "TACTICAL MODE", 1.0f);
        if (with_hint)
            DrawOnPlate(font, vw / 2.0f, hint_y, kHintScale * k, hint, 1.0f);
        ov->OV_SetTextAlign(0);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        ov->OV_SetAlpha(1.0f);
        nTransform scale = {};
        scale.m[0] = sman.reference_scale_x;
        scale.m[5] = sman.reference_scale_y;
        scale.m[10] = 1.0f;
        scale.m[15] = 1.0f;
        ov->OV_PushTransform(&scale);
    }

    DrawTutorial();
}

void GameState::UpdateTacticalButtons()
{
    Screen *screen = Screen::PeekScreen("Game");
    if (screen == nullptr)
        return;
    const bool tactical = ProfileTagged("features", "TACTICAL_MODE");
    const bool taught = ProfileTagged("tutorials_completed", "TACTICAL");
    // In the mission that introduces it, tactical mode fades in over half a second once
    // unlocked (two seconds in), until its tutorial is completed.
    float h = 0.0f;
    if (strcmp(parms.mission_id, "MISSION1_6") == 0 && !taught) {
        if (game_clock >= 2000) {
            h = 1.0f - (float)(game_clock - 2000) * 0.002f;
            h = h < 0.0f ? 0.0f : (h > 1.0f ? 1.0f : h);
        }
    }
    if (UIComp *button = screen->GetComp("PauseTime")) {
        button->visible = tactical;
        button->alpha = 1.0f - h;
    }
    if (UIComp *highlight = screen->GetComp("PauseTimeHighlight")) {
        float p = sinf((float)(game_clock % 1500) / 1500.0f * kPi) * 0.75f;
        p = p < 0.0f ? 0.0f : (p > 1.0f ? 1.0f : p);
        highlight->alpha = p - h;
        highlight->visible = !paused && !taught && tactical;
        Scape *world = GetScape();
        if (highlight->visible && sman.IsIntervalElapsed(0.8f) && world != nullptr && world->top_parts != nullptr) {
            vec2_t c = highlight->GetCenterPos();
            c.x /= sman.reference_scale_x;
            c.y /= sman.reference_scale_y;
            pbman.SpawnFX(world->top_parts, pbman.GetFX("fxs/pinpoint.lua"), AdjustPosByAverageScale(c), 0.0f,
                          0.0f);
        }
    }
}
