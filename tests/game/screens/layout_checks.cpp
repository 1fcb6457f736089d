#include "tests/game/screens/layout_checks.h"

#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>

#include <algorithm>
#include <map>

namespace layouttest {

namespace {

// How far a drawn rectangle may reach past the line it must keep (rounding of scaled
// bitmaps and glyph edges).
const float kSlack = 1.5f;
// The frame of the panel art, at scale 1 (the nine-patch's outer border and its dark
// line inside it).
const float kPanelBorder = 6.0f;
const float kMinContrast = 4.5f;

std::string Fmt(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char *fmt, ...)
{
    char s[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(s, sizeof s, fmt, args);
    va_end(args);
    return s;
}

Box CompRect(UIComp *c)
{
    const vec2_t p = c->GetAlignedPos();
    Box b;
    b.Add(p.x, p.y);
    b.Add(p.x + c->width, p.y + c->height);
    return b;
}

Box Inset(const Box &b, float by)
{
    Box out;
    if (b.empty || b.W() <= 2 * by || b.H() <= 2 * by)
        return b;
    out.Add(b.x0 + by, b.y0 + by);
    out.Add(b.x1 - by, b.y1 - by);
    return out;
}

// What others are drawn on: a nine-patch panel, or a gauge (a slider that takes no
// input) that a bar is drawn into.
bool IsPanel(const UIComp *c)
{
    return c->type == UICOMP_NINEPATCH || (c->type == UICOMP_SLIDER && !c->interactive);
}

// The panel's frame line at scale 1 (a gauge has none).
float PanelBorder(const UIComp *c)
{
    return c->type == UICOMP_NINEPATCH ? kPanelBorder * c->dynamic_scale : 0.0f;
}

bool IsAncestor(UIComp *maybe, UIComp *of)
{
    for (UIComp *p = of ? of->parent : nullptr; p; p = p->parent)
        if (p == maybe)
            return true;
    return false;
}

bool TakesInput(const UIComp *c)
{
    switch (c->type) {
    case UICOMP_BUTTON:
    case UICOMP_CHECKBOX:
    case UICOMP_SLIDER:
    case UICOMP_EDITBOX:
    case UICOMP_LISTBOX:
        return true;
    default:
        return false;
    }
}

float Linear(float c)
{
    return c <= 0.03928f ? c / 12.92f : powf((c + 0.055f) / 1.055f, 2.4f);
}

float Luminance(const float c[3])
{
    return 0.2126f * Linear(c[0]) + 0.7152f * Linear(c[1]) + 0.0722f * Linear(c[2]);
}

std::string Short(const std::string &text)
{
    std::string s;
    for (char ch : text)
        s += (ch == '\n' || ch == '\r') ? ' ' : ch;
    return s.size() > 32 ? s.substr(0, 29) + "..." : s;
}

}  // namespace

const char *CheckName(Check c)
{
    static const char *const names[NUM_CHECKS] = {
        "inside the display",  "inside its panel", "text inside its box",   "text size",
        "text contrast 4.5:1", "interactive apart", "centred",               "in one place",
        "row highlight",       "dims the screen below", "battle HUD apart"};
    return names[c];
}

int Report::Total() const
{
    int n = 0;
    for (const std::vector<std::string> &f : faults)
        n += (int)f.size();
    return n;
}

float ContrastRatio(const float a[3], const float b[3])
{
    const float la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
}

void BackgroundAround(const widgettest::Frame &frame, const Box &box, float out[3])
{
    const int ring = 4;
    const int x0 = std::max(0, (int)floorf(box.x0) - ring), y0 = std::max(0, (int)floorf(box.y0) - ring);
    const int x1 = std::min(frame.w - 1, (int)ceilf(box.x1) + ring);
    const int y1 = std::min(frame.h - 1, (int)ceilf(box.y1) + ring);
    std::map<int, std::array<long, 4>> buckets;  // key: 4 bits a channel; sums and count
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            if (x >= box.x0 - 1 && x <= box.x1 + 1 && y >= box.y0 - 1 && y <= box.y1 + 1)
                continue;
            const widgettest::Rgba p = frame.At(x, y);
            std::array<long, 4> &b = buckets[(p[0] >> 4) << 8 | (p[1] >> 4) << 4 | (p[2] >> 4)];
            b[0] += p[0];
            b[1] += p[1];
            b[2] += p[2];
            b[3]++;
        }
    out[0] = out[1] = out[2] = 0.0f;
    long best = 0;
    for (const auto &kv : buckets)
        if (kv.second[3] > best) {
            best = kv.second[3];
            for (int i = 0; i < 3; i++)
                out[i] = (float)kv.second[i] / (float)best / 255.0f;
        }
}

std::vector<Drawn> MeasureScreen(Screen *screen)
{
    std::vector<Drawn> out;
    if (!screen || !screen->ui)
        return out;
    UISet *set = screen->ui;
    enginetest::DrawRecorder rec;
    for (int i = 0; i < set->comps.Count(); i++) {
        UIComp *comp = set->comps[i];
        if (!comp->IsVisible())
            continue;
        rec.Take();
        comp->UpdateDimensions();
        if (sman.draw_all || comp->type == UICOMP_EMITTER || comp->IsInView())
            comp->Draw();
        if (comp->custom_draw)
            screen->DrawUIComp(comp);
        Drawn d;
        d.comp = comp;
        d.name = comp->name ? comp->name : "";
        d.pieces = rec.Take();
        d.box = enginetest::Union(d.pieces);
        if (!d.box.empty)
            out.push_back(d);
    }
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    return out;
}

void CheckTexts(const std::string &where, const std::vector<DrawnPiece> &pieces, const widgettest::Frame &frame,
                const Display &display, Report *report)
{
    for (size_t i = 0; i < pieces.size(); i++) {
        const DrawnPiece &t = pieces[i];
        if (t.kind != DrawnPiece::TEXT || t.max_alpha < 0.1f)
            continue;
        // A text drawn again right over itself a little offset is its shadow and the
        // second one is what is read.
        if (i + 1 < pieces.size() && pieces[i + 1].kind == DrawnPiece::TEXT && pieces[i + 1].label == t.label &&
            fabsf(pieces[i + 1].box.x0 - t.box.x0) <= 3.0f && fabsf(pieces[i + 1].box.y0 - t.box.y0) <= 3.0f)
            continue;
        if (display.min_text_height > 0.0f) {
            report->checked[TEXT_SIZE]++;
            if (t.glyph_height < display.min_text_height - 0.25f)
                report->Fault(TEXT_SIZE, Fmt("%s '%s': %.1f px high, under %.0f", where.c_str(), Short(t.label).c_str(),
                                             t.glyph_height, display.min_text_height));
        }
        float bg[3];
        BackgroundAround(frame, t.box, bg);
        report->checked[TEXT_CONTRAST]++;
        for (const std::array<float, 4> &c : t.colours) {
            const float a = c[3];
            const float fg[3] = {c[0] * a + bg[0] * (1 - a), c[1] * a + bg[1] * (1 - a), c[2] * a + bg[2] * (1 - a)};
            const float ratio = ContrastRatio(fg, bg);
            if (ratio < kMinContrast) {
                report->Fault(TEXT_CONTRAST,
                              Fmt("%s '%s': %.2f:1, colour (%.2f %.2f %.2f a %.2f) on (%.2f %.2f %.2f) at %s",
                                  where.c_str(), Short(t.label).c_str(), ratio, c[0], c[1], c[2], a, bg[0], bg[1],
                                  bg[2], t.box.Str().c_str()));
                break;
            }
        }
    }
}

std::vector<UIComp *> Moved(const std::vector<Drawn> &before, const std::vector<Drawn> &after)
{
    std::vector<UIComp *> out;
    for (const Drawn &a : after)
        for (const Drawn &b : before)
            if (a.comp == b.comp && (fabsf(a.box.x0 - b.box.x0) > 0.5f || fabsf(a.box.y0 - b.box.y0) > 0.5f))
                out.push_back(a.comp);
    return out;
}

void CheckScreen(const ScreenSpec &spec, const std::vector<Drawn> &drawn, const widgettest::Frame &frame,
                 const Display &display, Report *report)
{
    const std::string &screen_name = spec.name;
    const bool over_another = spec.over_another;
    Box screen;
    screen.Add(0, 0);
    screen.Add((float)display.w, (float)display.h);
    auto covers = [&](const Box &b) { return b.Contains(screen) || screen.Outside(b) <= 1.0f; };
    std::vector<const Drawn *> shown;  // on the display and not a particle emitter
    for (const Drawn &d : drawn) {
        if (d.comp->type == UICOMP_EMITTER)
            continue;
        if (d.box.Overlap(screen)[0] <= 0.0f)
            continue;  // scrolled or slid away
        shown.push_back(&d);
    }

    // A screen over another first lays a veil over it.
    if (over_another) {
        report->checked[COVERS_BELOW]++;
        bool veiled = false;
        if (!shown.empty()) {
            const Drawn &first = *shown.front();
            veiled = covers(first.box) && !first.pieces.empty() && first.pieces.front().max_alpha >= 0.5f &&
                     covers(first.pieces.front().box);
        }
        if (!veiled)
            report->Fault(COVERS_BELOW, Fmt("%s: drawn over the screen below without a veil over it (first: '%s' %s)",
                                            screen_name.c_str(), shown.empty() ? "" : shown.front()->name.c_str(),
                                            shown.empty() ? "" : shown.front()->box.Str().c_str()));
    }

    for (size_t i = 0; i < shown.size(); i++) {
        const Drawn &d = *shown[i];
        const std::string who = screen_name + "/" + d.name;
        const bool backdrop = covers(d.box);
        const bool moving = std::find(spec.moving.begin(), spec.moving.end(), d.comp) != spec.moving.end();
        // On the display.
        report->checked[INSIDE_SCREEN]++;
        if (!backdrop && !moving && d.box.Outside(screen) > kSlack)
            report->Fault(INSIDE_SCREEN, Fmt("%s: %.0f px outside the display, drawn at %s", who.c_str(),
                                             d.box.Outside(screen), d.box.Str().c_str()));
        // On its panel: its nearest panel ancestor, else the smallest panel drawn before
        // it that it is drawn over.
        if (!backdrop) {
            const Drawn *panel = nullptr;
            for (UIComp *p = d.comp->parent; p && !panel; p = p->parent) {
                if (!IsPanel(p))
                    continue;
                for (const Drawn *o : shown)
                    if (o->comp == p)
                        panel = o;
            }
            if (!panel) {
                float best = 0.0f;
                for (size_t j = 0; j < i; j++) {
                    const Drawn *o = shown[j];
                    if (!IsPanel(o->comp) || covers(o->box) || d.box.Contains(o->box))
                        continue;
                    const std::array<float, 2> ov = d.box.Overlap(o->box);
                    if (ov[0] <= 0.0f)
                        continue;
                    const float area = o->box.W() * o->box.H();
                    if (!panel || area < best) {
                        panel = o;
                        best = area;
                    }
                }
            }
            if (panel) {
                report->checked[INSIDE_PANEL]++;
                const Box inner = Inset(panel->box, PanelBorder(panel->comp));
                const float out = d.box.Outside(inner);
                if (out > kSlack)
                    report->Fault(INSIDE_PANEL, Fmt("%s: %.0f px over the edge of its panel '%s' (drawn %s, panel inside %s)",
                                                    who.c_str(), out, panel->name.c_str(), d.box.Str().c_str(),
                                                    inner.Str().c_str()));
            }
        }
        // Its texts: inside the text box or the button they belong to.
        Box body;
        for (const DrawnPiece &p : d.pieces)
            if (p.kind != DrawnPiece::TEXT)
                body.Add(p.box);
        for (const DrawnPiece &t : d.pieces) {
            if (t.kind != DrawnPiece::TEXT || t.max_alpha < 0.1f)
                continue;
            Box box;
            if (d.comp->type == UICOMP_TEXTBOX)
                box = CompRect(d.comp);
            else if (TakesInput(d.comp) && !body.empty && t.box.Overlap(body)[0] > 0.0f)
                box = body;  // a label on the control (a caption beside it is drawn clear of it)
            if (box.empty)
                continue;
            report->checked[TEXT_IN_BOX]++;
            const float out = t.box.Outside(box);
            if (out > kSlack)
                report->Fault(TEXT_IN_BOX, Fmt("%s '%s': %.0f px past its box (text %s, box %s)", who.c_str(),
                                               Short(t.label).c_str(), out, t.box.Str().c_str(), box.Str().c_str()));
            // A label on a bar of its control (a button's face, a list's highlight) sits
            // in the middle of the bar's height.
            if (!TakesInput(d.comp))
                continue;
            const float cx = (t.box.x0 + t.box.x1) / 2.0f, cy = (t.box.y0 + t.box.y1) / 2.0f;
            const DrawnPiece *bar = nullptr;
            for (const DrawnPiece &p : d.pieces)
                if (p.kind != DrawnPiece::TEXT && p.box.x0 <= cx && cx <= p.box.x1 && p.box.y0 <= cy &&
                    cy <= p.box.y1 && p.box.H() >= t.box.H() && (!bar || p.box.H() < bar->box.H()))
                    bar = &p;
            if (!bar)
                continue;
            const float off = cy - (bar->box.y0 + bar->box.y1) / 2.0f;
            if (fabsf(off) > std::max(3.0f, 0.15f * bar->box.H()))
                report->Fault(TEXT_IN_BOX, Fmt("%s '%s': %.0f px %s the middle of its bar (text %s, bar %s)",
                                               who.c_str(), Short(t.label).c_str(), fabsf(off),
                                               off < 0 ? "above" : "below", t.box.Str().c_str(),
                                               bar->box.Str().c_str()));
        }
        CheckTexts(who, d.pieces, frame, display, report);
    }

    // Groups the screen centres.
    for (const std::string &group : spec.centred) {
        Box box;
        size_t at = 0;
        while (at <= group.size()) {
            size_t plus = group.find('+', at);
            if (plus == std::string::npos)
                plus = group.size();
            const std::string name = group.substr(at, plus - at);
            for (const Drawn *d : shown)
                if (d->name == name)
                    box.Add(d->box);
            at = plus + 1;
        }
        report->checked[CENTRED]++;
        const float off = (box.x0 + box.x1) / 2.0f - (float)display.w / 2.0f;
        if (box.empty)
            report->Fault(CENTRED, Fmt("%s: nothing of %s is drawn", screen_name.c_str(), group.c_str()));
        else if (fabsf(off) > 2.0f)
            report->Fault(CENTRED, Fmt("%s: %s stands %.0f px %s of the display's centre (drawn %s)", screen_name.c_str(),
                                       group.c_str(), fabsf(off), off < 0 ? "left" : "right", box.Str().c_str()));
    }

    // Interactive components apart (a control inside another, such as the rows of a
    // list area, belongs to it).
    for (size_t i = 0; i < shown.size(); i++) {
        UIComp *a = shown[i]->comp;
        if (!TakesInput(a) || !a->IsInteractive())
            continue;
        report->checked[NO_OVERLAP]++;
        for (size_t j = i + 1; j < shown.size(); j++) {
            UIComp *b = shown[j]->comp;
            if (!TakesInput(b) || !b->IsInteractive() || IsAncestor(a, b) || IsAncestor(b, a))
                continue;
            const std::array<float, 2> ov = CompRect(a).Clipped(screen).Overlap(CompRect(b).Clipped(screen));
            if (ov[0] > 1.0f && ov[1] > 1.0f)
                report->Fault(NO_OVERLAP, Fmt("%s: '%s' and '%s' overlap by %.0f x %.0f px", screen_name.c_str(),
                                              shown[i]->name.c_str(), shown[j]->name.c_str(), ov[0], ov[1]));
        }
    }
}

void CheckSamePlace(const std::string &control, const std::vector<std::pair<std::string, Box>> &places,
                    Report *report)
{
    for (size_t i = 1; i < places.size(); i++) {
        report->checked[SAME_PLACE]++;
        const Box &a = places[0].second, &b = places[i].second;
        const float off = std::max({fabsf(a.x0 - b.x0), fabsf(a.y0 - b.y0), fabsf(a.x1 - b.x1), fabsf(a.y1 - b.y1)});
        if (off > 1.0f)
            report->Fault(SAME_PLACE, Fmt("%s/%s: %.0f px from where %s has it (drawn %s, there %s)",
                                          places[i].first.c_str(), control.c_str(), off, places[0].first.c_str(),
                                          b.Str().c_str(), a.Str().c_str()));
    }
}

void CheckHud(const std::string &where, const std::vector<DrawnPiece> &hud, const std::vector<Drawn> &comps,
              const widgettest::Frame &frame, const Display &display, Report *report)
{
    Box screen;
    screen.Add(0, 0);
    screen.Add((float)display.w, (float)display.h);
    std::vector<const DrawnPiece *> shown;
    for (const DrawnPiece &p : hud)
        if (p.max_alpha >= 0.2f)
            shown.push_back(&p);
    auto label = [](const DrawnPiece &p) {
        return p.kind == DrawnPiece::TEXT ? "'" + Short(p.label) + "'" : p.label.empty() ? std::string("a box") : p.label;
    };
    const DrawnPiece *panel = nullptr;
    for (const DrawnPiece *p : shown)
        if (p->label == "game-ui/waves-progress-panel.png")
            panel = p;
    for (size_t i = 0; i < shown.size(); i++) {
        const DrawnPiece &p = *shown[i];
        report->checked[HUD_APART]++;
        if (p.box.Outside(screen) > kSlack)
            report->Fault(HUD_APART, Fmt("%s: %s %.0f px outside the display (drawn %s)", where.c_str(),
                                         label(p).c_str(), p.box.Outside(screen), p.box.Str().c_str()));
        // Texts on the wave panel stay inside its frame.
        if (panel && p.kind == DrawnPiece::TEXT && p.box.Overlap(panel->box)[0] > 0.0f) {
            const Box inner = Inset(panel->box, kPanelBorder * display.h / 768.0f);
            if (p.box.Outside(inner) > kSlack)
                report->Fault(HUD_APART, Fmt("%s: %s runs %.0f px over the end of the wave panel (text %s, panel inside %s)",
                                             where.c_str(), label(p).c_str(), p.box.Outside(inner),
                                             p.box.Str().c_str(), inner.Str().c_str()));
        }
        // Nothing over the battle's buttons.
        for (const Drawn &d : comps) {
            if (!TakesInput(d.comp) || !d.comp->IsInteractive())
                continue;
            const std::array<float, 2> ov = p.box.Overlap(d.box);
            if (ov[0] > 1.0f && ov[1] > 1.0f)
                report->Fault(HUD_APART, Fmt("%s: %s over the button '%s' by %.0f x %.0f px", where.c_str(),
                                             label(p).c_str(), d.name.c_str(), ov[0], ov[1]));
        }
        // A text clear of other texts and of the boxes it does not stand in.
        if (p.kind != DrawnPiece::TEXT)
            continue;
        for (size_t j = 0; j < shown.size(); j++) {
            const DrawnPiece &o = *shown[j];
            if (j == i || (o.kind != DrawnPiece::TEXT && o.kind != DrawnPiece::RECT))
                continue;
            if (o.kind == DrawnPiece::TEXT && (j < i || o.label == p.label))
                continue;  // each pair once; a text and its shadow
            if (o.kind == DrawnPiece::RECT && o.box.Contains(p.box, kSlack))
                continue;  // a text on its own box
            const std::array<float, 2> ov = p.box.Overlap(o.box);
            if (ov[0] > 1.0f && ov[1] > 1.0f)
                report->Fault(HUD_APART, Fmt("%s: %s and %s overlap by %.0f x %.0f px", where.c_str(), label(p).c_str(),
                                             label(o).c_str(), ov[0], ov[1]));
        }
    }
    CheckTexts(where, hud, frame, display, report);
}

}  // namespace layouttest
