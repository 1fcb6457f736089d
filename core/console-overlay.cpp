// The log console's overlay: a translucent panel pulled down over the program that
// shows the stored log lines (newest at the bottom, coloured by level, filtered by
// the input line with the matches highlighted), the input line with its blinking
// cursor, the command history, scrolling, and the console command event 7.
// Main thread only; the line store is read under the PRINT core mutex.
#include "core/console.h"
#include "core/ov_state.h"
#include "core/service-calls.h"
#include "nstring.h"
#include "ovrecords.h"

#include <math.h>
#include <string.h>

#include <string>

namespace {

const int kMaxInput = 511;      // characters the input line holds (plus its NUL)
const float kSlideSpeed = 4.0f;  // shown fraction per second
const char *kHighlight = "|#1199ff|%s|#ffffff|";

enum {
    KEY_BACKSPACE = 8, KEY_RETURN = 13, KEY_CONTROL = 17, KEY_PAGEUP = 33, KEY_PAGEDOWN = 34,
    KEY_END = 35, KEY_HOME = 36, KEY_LEFT = 37, KEY_UP = 38, KEY_RIGHT = 39, KEY_DOWN = 40,
    KEY_C = 67, KEY_V = 86, OV_EVENT_WHEEL = 4,
};

// True when the line passes the filter (an empty filter passes every line).
bool Matches(const ovConsole::line_t &l, const char *filter);
// The text without its line break, every match of the filter in the highlight colour.
std::string Highlighted(const char *text, const char *filter);
// Yellow warnings, red errors, green system lines, white otherwise.
void SetLevelColor(int level);
// The application's parameter block, or the engine's copy without an application.
const ov_parms_t &Parms();

}  // namespace

// The event delivery's entry while the console is shown: true when consumed.
bool OVI_ConsoleProcessEvent(ov_event_t *ev, int *answer)
{
    int r = ov_con.ProcessEvent(ev);
    if (answer)
        *answer = r;
    return r != 0;
}

// Flips the overlay and mirrors it in the application's parameter block.
void ovConsole::Toggle()
{
    if (!enabled) {
        visible = 0;
        return;
    }
    visible = !visible;
    if (ov_prog)
        ov_prog->parms.console_visible = visible;
}

// Moves the shown fraction towards the target and advances the blink phase.
void ovConsole::Update(float seconds)
{
    if (!enabled)
        return;
    float step = kSlideSpeed * seconds;
    shown += visible ? step : -step;
    if (shown < 0)
        shown = 0;
    if (shown > 1)
        shown = 1;
    blink += seconds;
    if (blink > 1)
        blink -= 1;
}

// Panel, scroll bar, input line with cursor, then the lines from the scroll position up.
void ovConsole::Draw()
{
    if (!enabled || shown <= 0)
        return;
    if (!(ov_state.overlay_fonts_fetched & OV_FONT_FETCHED_CONSOLE) || !font) {
        font = ov_gfx_calls.ConsoleFont();
        ov_state.overlay_fonts_fetched |= OV_FONT_FETCHED_CONSOLE;
    }
    const float W = (float)Parms().width, H = (float)Parms().height;
    const float s = sinf(shown * (float)M_PI / 2);
    const int P = (int)(H * 0.8f);
    const int L = font && font->height ? font->height : 16;
    const int A = (int)((float)(P - 2 - L) * s);

    ov->OV_SetTextAlign(0);
    ov->OV_SetTextboxWidth(0);
    ov->OV_SetTextTransform(1, 1, 0);
    ov->OV_SetColor(1, 1, 1);

    OVI_LockCoreMutex(OV_MUTEX_PRINT);
    const char *filter = input;
    int count = 0;
    for (const line_t &l : lines)
        count += Matches(l, filter) ? 1 : 0;
    int page = A / L;
    float bar = count > 0 ? (float)page / (float)count : 1.0f;
    bar = bar < 0 ? 0 : bar > 1 ? 1 : bar;

    // Dragging along the right edge places the view by the pointer's height.
    if (ov_state.key_i[OV_KEY_POINTER_BUTTON] && ov_state.key_i[OV_KEY_POINTER_X] >= W - 58 && A > 0)
        scroll = (int)((float)count * (1.0f - (float)ov_state.key_i[OV_KEY_POINTER_Y] / (float)A));
    if (scroll > count - page)
        scroll = count - page;
    if (scroll < 0)
        scroll = 0;

    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(s * 0.6f);
    ov->OV_SetColor(0.2f, 0.3f, 0.5f);
    ov->OV_DrawRect(0, 0, W, (float)P * s);
    ov->OV_SetAlpha(s * 0.9f);
    ov->OV_DrawRect(W - 8, 0, 8, (float)A);
    ov->OV_SetAlpha(s);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_DrawRect(0, (float)P * s, W, 2);
    ov->OV_DrawRect(W - 8, 0, 1, (float)A);
    ov->OV_SetColor(0.5f, 0.6f, 0.9f);
    float thumb = (float)A * bar;
    float offset = count > 0 ? (float)scroll * (float)A / (float)count : 0;
    ov->OV_DrawRect(W - 7, (float)A - offset - thumb, 7, thumb);
    ov->OV_SetColor(1, 1, 1);

    // Text needs a font; one that did not load (no line height) has nothing to draw.
    if (!font || !font->name || font->line_height <= 0) {
        OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
        return;
    }

    // Input line with its cursor, and the rule above it.
    const int y_input = (int)((float)P * s) - font->line_height;
    ov->OV_DrawTextf(font, 10, (float)(y_input + 1), "%s", input);
    float cx = ov->OV_GetTextWidthf(font, "%.*s", cursor, input);
    ov->OV_SetAlpha((1 - blink) * s);
    ov->OV_DrawRect(cx + 10, (float)y_input, 2, (float)(L - 3));
    ov->OV_SetAlpha(s * 0.75f);
    ov->OV_DrawRect(0, (float)(y_input - 2), W, 1);
    ov->OV_SetAlpha(s);

    // Stored lines upwards from the scroll position, skipping those the filter drops.
    int y = y_input - font->line_height;
    for (int i = (int)lines.size() - 1 - scroll; i >= 0 && y >= 0; i--) {
        const line_t &l = lines[i];
        if (!Matches(l, filter))
            continue;
        const char *thread = l.thread ? l.thread : "";
        SetLevelColor(l.level);
        ov->OV_SetTextTransform(0.9f, 0.9f, 0);
        ov->OV_DrawTextf(font, 10, (float)(y + 2), "#%.4d: ", l.number);
        ov->OV_DrawTextf(font, 60, (float)(y + 2), "[%.2d:%.2d]", l.date.hour, l.date.minute);
        ov->OV_DrawTextf(font, 110, (float)(y + 2), "[%s]>", thread);
        ov->OV_SetTextTransform(1, 1, 0);
        float tag = ov->OV_GetTextWidthf(font, "[%s]>", thread);
        float x = (float)((int)(10 + (float)(int)tag * 0.9f + 100) + 10);
        const char *text = l.text ? l.text : "";
        size_t n = strlen(text);
        if (filter[0] && n < 512) {
            ov->OV_DrawTextf(font, x, (float)y, "%s", Highlighted(text, filter).c_str());
        } else {
            int shown_len = (int)(n && text[n - 1] == '\n' ? n - 1 : n);
            ov->OV_DrawTextf(font, x, (float)y, "%.*s", shown_len, text);
        }
        y -= font->line_height;
    }
    OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
}

// Typing, submitting, cursor keys, history, scrolling and the clipboard keys.
int ovConsole::ProcessEvent(ov_event_t *ev)
{
    if (!enabled)
        return 0;
    int len = (int)strlen(input);
    if (cursor > len)
        cursor = len;
    bool control = ov_state.key_i[KEY_CONTROL] != 0;
    if (!control)
        paste_armed = 1;

    auto insert = [&](int c) {
        if (c < 32 || c > 127 || len >= kMaxInput)
            return;
        memmove(input + cursor + 1, input + cursor, (size_t)(len - cursor + 1));
        input[cursor++] = (char)c;
        len++;
    };
    auto recall = [&](int pos) {
        nStringFormat(input, sizeof input, "%s", history[pos]);
        cursor = (int)strlen(input);
    };

    switch (ev->type) {
    case OV_EVENT_CHAR: {
        int c = ev->character;
        if (c == KEY_BACKSPACE) {
            // At the start of the line there is nothing before the cursor to delete.
            if (cursor > 0) {
                memmove(input + cursor - 1, input + cursor, (size_t)(len - cursor + 1));
                cursor--;
            }
        } else if (c == KEY_RETURN) {
            if (browsing_history && !history.empty()) {
                nStringFree(history.back());
                history.pop_back();
            }
            browsing_history = 0;
            history.push_back(nStringDuplicate(input));
            history_pos = (int)history.size();
            ov_event_t cmd;
            memset(&cmd, 0, sizeof cmd);
            cmd.type = OV_EVENT_CONSOLE_COMMAND;
            cmd.ptr = input;
            OVI_SendEvent(&cmd);
            input[0] = 0;
            cursor = 0;
        } else {
            insert(c);
        }
        break;
    }
    case OV_EVENT_KEY_DOWN: {
        int count = (int)history.size();
        switch (ev->key) {
        case KEY_HOME: cursor = 0; break;
        case KEY_END: cursor = len; break;
        case KEY_LEFT: cursor = cursor > 0 ? cursor - 1 : 0; break;
        case KEY_RIGHT: cursor = cursor < len ? cursor + 1 : len; break;
        case KEY_PAGEUP: scroll += 4; break;
        case KEY_PAGEDOWN: scroll -= 4; break;
        case KEY_UP:
            if (count > 0) {
                if (!browsing_history) {
                    // The line being typed becomes the newest entry while browsing.
                    history.push_back(nStringDuplicate(input));
                    count++;
                    browsing_history = 1;
                    if (history_pos > 0)
                        history_pos--;
                }
                if (history_pos < 0 || history_pos >= count)
                    history_pos = count - 1;
                recall(history_pos);
                history_pos = history_pos > 0 ? history_pos - 1 : count - 1;
            }
            break;
        case KEY_DOWN:
            if (count > 0 && history_pos >= 0 && history_pos < count) {
                recall(history_pos);
                history_pos = history_pos + 1 < count ? history_pos + 1 : 0;
            }
            break;
        case KEY_V:
            if (control && paste_armed) {
                paste_armed = 0;
                const char *clip = ov->OV_CallExtension("Clipboard_GetText", "");
                for (const char *p = clip; p && *p; p++)
                    insert((unsigned char)*p);
            }
            break;
        case KEY_C:
            if (control) {
                std::string all;
                OVI_LockCoreMutex(OV_MUTEX_PRINT);
                for (const line_t &l : lines)
                    all += l.text ? l.text : "";
                OVI_UnlockCoreMutex(OV_MUTEX_PRINT);
                ov->OV_CallExtension("Clipboard_SetText", all.c_str());
            }
            break;
        default: break;
        }
        break;
    }
    case OV_EVENT_WHEEL:
        scroll += ev->wheel / 120;
        break;
    default: break;
    }
    return 1;
}

namespace {

bool Matches(const ovConsole::line_t &l, const char *filter)
{
    return !filter[0] || (l.text && strstr(l.text, filter));
}

// The text without its line break, every occurrence of the filter wrapped in the
// highlight colour markup. Built in a string, so no length of text can overflow it.
std::string Highlighted(const char *text, const char *filter)
{
    std::string out;
    size_t n = strlen(text);
    if (n && text[n - 1] == '\n')
        n--;
    size_t flen = strlen(filter);
    char mark[sizeof ovConsole::input + 32];
    nStringFormat(mark, sizeof mark, kHighlight, filter);
    for (size_t i = 0; i < n;) {
        if (flen && i + flen <= n && strncmp(text + i, filter, flen) == 0) {
            out += mark;
            i += flen;
        } else {
            out += text[i++];
        }
    }
    return out;
}

void SetLevelColor(int level)
{
    switch (level) {
    case 1: ov->OV_SetColor(1, 1, 0); break;
    case 2: ov->OV_SetColor(1, 0, 0); break;
    case 3: ov->OV_SetColor(0, 1, 0); break;
    default: ov->OV_SetColor(1, 1, 1); break;
    }
}

const ov_parms_t &Parms()
{
    return ov_prog ? ov_prog->parms : ov_parms;
}

}  // namespace
