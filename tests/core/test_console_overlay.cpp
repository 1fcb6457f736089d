// The log console overlay: toggle key, slide, line editing, history, command events,
// scrolling, and what Draw hands to the drawing slots (filter, highlight, layout).
// The drawing and font slots of the interface table are replaced by recorders, so the
// overlay's output is checked without a renderer or glyphs.
#include "tests/support/engine_harness.h"

#include "core/console.h"
#include "gfx/font.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

using namespace harness;

namespace {

struct TextCall {
    float x, y;
    std::string text;
    float r, g, b;
    float scale;
};
struct RectCall {
    float x, y, w, h;
};

std::vector<TextCall> texts;
std::vector<RectCall> rects;
std::vector<std::string> extension_calls;
float cur_r, cur_g, cur_b, cur_scale = 1;
ov_font_t fake_font;
char fake_name[] = "core/console.mft";

void RecColor(float r, float g, float b)
{
    cur_r = r;
    cur_g = g;
    cur_b = b;
}
void RecTransform(float sx, float, float)
{
    cur_scale = sx;
}
float RecText(ov_font_t *, float x, float y, const char *fmt, ...)
{
    char buf[16384];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    texts.push_back({x, y, buf, cur_r, cur_g, cur_b, cur_scale});
    return 0;
}
// Eight pixels per character.
float RecWidth(ov_font_t *, const char *fmt, ...)
{
    char buf[16384];
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return 8.0f * (float)n;
}
void RecRect(float x, float y, float w, float h)
{
    rects.push_back({x, y, w, h});
}
ov_font_t *FakeGetFont(const char *)
{
    return &fake_font;
}
const char *RecExtension(const char *cmd, const char *)
{
    extension_calls.push_back(cmd);
    return nullptr;
}

std::vector<ov_event_t> commands;  // console command events the application received
std::vector<std::string> command_texts;

class ConsoleOverlay : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        texts.clear();
        rects.clear();
        extension_calls.clear();
        commands.clear();
        command_texts.clear();
        for (char *h : ov_con.history)
            free(h);
        ov_con.history.clear();
        ov_con.history_pos = 0;
        ov_con.browsing_history = 0;
        ov_con.paste_armed = 1;
        ov_con.input[0] = 0;
        ov_con.cursor = 0;
        ov_con.scroll = 0;
        ov_con.shown = 0;
        ov_con.font = nullptr;
    }
    void Start()
    {
        StartEngine();
        record.EventProc = [](ov_event_t ev) {
            app.events.push_back(ev);
            if (ev.type == OV_EVENT_CONSOLE_COMMAND) {
                commands.push_back(ev);
                command_texts.push_back((const char *)ev.ptr);
            }
            return 0;
        };
        ASSERT_TRUE(ov_con.enabled);
    }
    // Recording slots and a font 16 high with 18-pixel lines.
    void Record()
    {
        memset(&fake_font, 0, sizeof fake_font);
        fake_font.name = fake_name;
        fake_font.height = 16;
        fake_font.line_height = 18;
        ov->OV_SetColor = RecColor;
        ov->OV_SetTextTransform = RecTransform;
        ov->OV_DrawTextf = RecText;
        ov->OV_GetTextWidthf = RecWidth;
        ov->OV_DrawRect = RecRect;
        ov->OV_GetFont = FakeGetFont;
        ov->OV_CallExtension = RecExtension;
    }
    void Type(const char *s)
    {
        for (; *s; s++)
            OVI_SendCharEvent((unsigned char)*s);
    }
    void Key(int key)
    {
        OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, key);
        OVI_SendKeyEvent(OV_EVENT_KEY_UP, key);
    }
    void Show()
    {
        ov_con.visible = 1;
        ov_con.shown = 1;
    }
    // Text calls drawn at a given x.
    std::vector<TextCall> TextsAt(float x)
    {
        std::vector<TextCall> out;
        for (const TextCall &t : texts)
            if (t.x == x)
                out.push_back(t);
        return out;
    }
};

}  // namespace

TEST_F(ConsoleOverlay, ToggleKeyShowsAndHidesWithoutReachingTheApplication)
{
    Start();
    EXPECT_EQ(ov_con.toggle_key, 167);
    size_t before = app.events.size();
    OVI_SendCharEvent(167);
    EXPECT_EQ(ov_con.visible, 1);
    EXPECT_EQ(record.parms.console_visible, 1);
    OVI_SendCharEvent(167);
    EXPECT_EQ(ov_con.visible, 0);
    EXPECT_EQ(record.parms.console_visible, 0);
    EXPECT_EQ(app.events.size(), before) << "the toggle key is the console's";
}

TEST_F(ConsoleOverlay, ToggleWhileDisabledStaysHiddenAndLeavesTheParameters)
{
    Start();
    ov_con.enabled = 0;
    record.parms.console_visible = 7;
    ov_con.visible = 1;
    ov_con.Toggle();
    EXPECT_EQ(ov_con.visible, 0);
    EXPECT_EQ(record.parms.console_visible, 7);
    ov_event_t ev = {};
    ev.type = OV_EVENT_CHAR;
    ev.character = 'a';
    EXPECT_EQ(ov_con.ProcessEvent(&ev), 0);
    ov_con.enabled = 1;
    ov_con.Toggle();
    EXPECT_EQ(ov_con.visible, 1);
    EXPECT_EQ(record.parms.console_visible, 1);
}

TEST_F(ConsoleOverlay, SlidesInAndOutAtFourPerSecond)
{
    Start();
    ov_con.Toggle();
    ov_con.Update(0.1f);
    EXPECT_NEAR(ov_con.shown, 0.4f, 1e-5);
    ov_con.Update(0.1f);
    ov_con.Update(0.1f);
    EXPECT_FLOAT_EQ(ov_con.shown, 1.0f) << "clamped at fully shown";
    ov_con.Toggle();
    ov_con.Update(0.05f);
    EXPECT_NEAR(ov_con.shown, 0.8f, 1e-5);
    ov_con.Update(0.5f);
    EXPECT_FLOAT_EQ(ov_con.shown, 0.0f);
    // The blink phase runs with the time and wraps past 1.
    ov_con.blink = 0.9f;
    ov_con.Update(0.3f);
    EXPECT_NEAR(ov_con.blink, 0.2f, 1e-5);
}

TEST_F(ConsoleOverlay, EventsGoToTheConsoleOnlyWhileItIsShown)
{
    Start();
    size_t before = app.events.size();
    Type("ab");
    EXPECT_EQ(app.events.size(), before + 2);
    EXPECT_STREQ(ov_con.input, "");
    OVI_SendCharEvent(167);
    Type("ab");
    EXPECT_EQ(app.events.size(), before + 2) << "consumed by the console";
    EXPECT_STREQ(ov_con.input, "ab");
}

TEST_F(ConsoleOverlay, EditingTheInputLine)
{
    Start();
    OVI_SendCharEvent(167);
    Type("hello");
    EXPECT_EQ(ov_con.cursor, 5);
    Key(37);
    Key(37);
    OVI_SendCharEvent(8);
    EXPECT_STREQ(ov_con.input, "helo");
    EXPECT_EQ(ov_con.cursor, 2);
    Type("X");
    EXPECT_STREQ(ov_con.input, "heXlo");
    Key(36);
    EXPECT_EQ(ov_con.cursor, 0);
    OVI_SendCharEvent(8);
    EXPECT_STREQ(ov_con.input, "heXlo") << "backspace at the start does nothing";
    Key(37);
    EXPECT_EQ(ov_con.cursor, 0);
    Key(35);
    EXPECT_EQ(ov_con.cursor, 5);
    Key(39);
    EXPECT_EQ(ov_con.cursor, 5);
    OVI_SendCharEvent(31);
    OVI_SendCharEvent(200);
    EXPECT_STREQ(ov_con.input, "heXlo") << "codes outside 32..127 are ignored";
}

TEST_F(ConsoleOverlay, InputHoldsAtMost511Characters)
{
    Start();
    OVI_SendCharEvent(167);
    for (int i = 0; i < 511; i++)
        OVI_SendCharEvent('a' + i % 26);
    EXPECT_EQ(strlen(ov_con.input), 511u);
    OVI_SendCharEvent('Z');
    EXPECT_EQ(strlen(ov_con.input), 511u);
    EXPECT_EQ(strchr(ov_con.input, 'Z'), nullptr);
    EXPECT_EQ(ov_con.cursor, 511);
}

TEST_F(ConsoleOverlay, ReturnSendsACommandEventAndRecordsHistory)
{
    Start();
    OVI_SendCharEvent(167);
    Type("spawn 3");
    OVI_SendCharEvent(13);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].type, 7);
    EXPECT_EQ(command_texts[0], "spawn 3");
    EXPECT_STREQ(ov_con.input, "");
    EXPECT_EQ(ov_con.cursor, 0);
    ASSERT_EQ(ov_con.history.size(), 1u);
    EXPECT_STREQ(ov_con.history[0], "spawn 3");
    EXPECT_EQ(ov_con.history_pos, 1);
    // An empty line is still a command.
    OVI_SendCharEvent(13);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(command_texts[1], "");
}

TEST_F(ConsoleOverlay, UpAndDownWalkTheHistoryAndWrap)
{
    Start();
    OVI_SendCharEvent(167);
    for (const char *c : {"one", "two", "three"}) {
        Type(c);
        OVI_SendCharEvent(13);
    }
    Type("draft");
    Key(38);
    EXPECT_STREQ(ov_con.input, "three") << "Up after a submit recalls the last command";
    EXPECT_EQ(ov_con.cursor, 5);
    Key(38);
    EXPECT_STREQ(ov_con.input, "two");
    Key(38);
    EXPECT_STREQ(ov_con.input, "one");
    Key(38);
    EXPECT_STREQ(ov_con.input, "draft") << "wraps to the newest: the line saved when browsing began";
    Key(38);
    EXPECT_STREQ(ov_con.input, "three");
    // Down walks forward from the position and wraps from the newest to the oldest.
    Key(40);
    EXPECT_STREQ(ov_con.input, "two");
    Key(40);
    EXPECT_STREQ(ov_con.input, "three");
    Key(40);
    EXPECT_STREQ(ov_con.input, "draft");
    Key(40);
    EXPECT_STREQ(ov_con.input, "one");
    // Submitting drops the saved draft and records the recalled command.
    OVI_SendCharEvent(13);
    ASSERT_EQ(ov_con.history.size(), 4u);
    EXPECT_STREQ(ov_con.history[3], "one");
    EXPECT_STREQ(ov_con.history[2], "three");
    EXPECT_EQ(ov_con.browsing_history, 0);
}

TEST_F(ConsoleOverlay, UpAndDownWithoutHistoryDoNothing)
{
    Start();
    OVI_SendCharEvent(167);
    Type("x");
    Key(38);
    Key(40);
    EXPECT_STREQ(ov_con.input, "x");
    EXPECT_TRUE(ov_con.history.empty());
}

TEST_F(ConsoleOverlay, WheelAndPageKeysScroll)
{
    Start();
    OVI_SendCharEvent(167);
    ov_event_t ev = {};
    ev.type = 4;
    ev.wheel = 240;
    int answer = -1;
    ASSERT_TRUE(OVI_ConsoleProcessEvent(&ev, &answer));
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(ov_con.scroll, 2);
    ev.wheel = -119;
    OVI_ConsoleProcessEvent(&ev, &answer);
    EXPECT_EQ(ov_con.scroll, 2) << "truncated toward zero";
    ev.wheel = -360;
    OVI_ConsoleProcessEvent(&ev, &answer);
    EXPECT_EQ(ov_con.scroll, -1);
    Key(33);
    EXPECT_EQ(ov_con.scroll, 3);
    Key(34);
    EXPECT_EQ(ov_con.scroll, -1);
}

TEST_F(ConsoleOverlay, ScrollingPastTheOldestLineStopsAtTheTopPage)
{
    Start();
    Record();
    for (int i = 0; i < 200; i++)
        OV_Printf("filler line %d\n", i);
    Show();
    ov_con.scroll = 100000;
    ov_con.Draw();
    int count = (int)ov_con.lines.size();
    // 600 high: panel 480, text area 480 - 2 - 16 = 462, 28 lines of 16 a page.
    EXPECT_EQ(ov_con.scroll, count - 462 / 16);
    ov_con.scroll = -5;
    ov_con.Draw();
    EXPECT_EQ(ov_con.scroll, 0);
}

TEST_F(ConsoleOverlay, DrawsTheNewestLinesAboveTheInputColouredByLevel)
{
    Start();
    Record();
    OV_PrintDebugf(1, "a warning\n");
    OV_PrintDebugf(2, "an error\n");
    OV_PrintDebugf(3, "a system line\n");
    OV_PrintDebugf(0, "plain info\n");
    Show();
    ov_con.Draw();
    // Input line at 480 - 18 = 462, drawn at y + 1.
    std::vector<TextCall> at10 = TextsAt(10);
    ASSERT_FALSE(at10.empty());
    EXPECT_EQ(at10[0].y, 463);
    EXPECT_EQ(at10[0].text, "");
    // The text starts after the thread tag: "[MAIN]>" measures 56, drawn at 0.9.
    std::vector<TextCall> bodies = TextsAt(170);
    ASSERT_GE(bodies.size(), 4u);
    EXPECT_EQ(bodies[0].text, "plain info");
    EXPECT_EQ(bodies[0].y, 462 - 18);
    EXPECT_EQ(bodies[1].text, "a system line");
    EXPECT_EQ(bodies[1].g, 1);
    EXPECT_EQ(bodies[1].r, 0);
    EXPECT_EQ(bodies[2].text, "an error");
    EXPECT_EQ(bodies[2].r, 1);
    EXPECT_EQ(bodies[2].g, 0);
    EXPECT_EQ(bodies[3].text, "a warning");
    EXPECT_EQ(bodies[3].r, 1);
    EXPECT_EQ(bodies[3].g, 1);
    EXPECT_EQ(bodies[3].b, 0);
    EXPECT_EQ(bodies[0].y - bodies[1].y, 18);
    // The tags are drawn smaller, two pixels lower.
    std::vector<TextCall> tags = TextsAt(110);
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(tags[0].text, "[MAIN]>");
    EXPECT_FLOAT_EQ(tags[0].scale, 0.9f);
    EXPECT_EQ(tags[0].y, 462 - 18 + 2);
    std::vector<TextCall> numbers = TextsAt(60);
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers[0].text.size(), strlen("[hh:mm]"));
    // Background covers 80 % of the height.
    ASSERT_FALSE(rects.empty());
    EXPECT_EQ(rects[0].x, 0);
    EXPECT_EQ(rects[0].w, 1024);
    EXPECT_EQ(rects[0].h, 480);
}

TEST_F(ConsoleOverlay, FilterShowsOnlyMatchingLinesWithHighlightedMatches)
{
    Start();
    Record();
    OV_Printf("Loading level one\n");
    OV_Printf("Something else\n");
    OV_Printf("Loading sounds, Loading music\n");
    Show();
    strcpy(ov_con.input, "Loading");
    ov_con.cursor = 7;
    ov_con.Draw();
    std::vector<std::string> shown;
    for (const TextCall &t : texts)
        if (t.text.find("Loading") != std::string::npos && t.x > 110)
            shown.push_back(t.text);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0], "|#1199ff|Loading|#ffffff| sounds, |#1199ff|Loading|#ffffff| music");
    EXPECT_EQ(shown[1], "|#1199ff|Loading|#ffffff| level one");
    for (const TextCall &t : texts)
        EXPECT_EQ(t.text.find("Something else"), std::string::npos);
    // The lines that do not match take no room: the second match sits one line above.
    std::vector<TextCall> bodies;
    for (const TextCall &t : texts)
        if (t.text.find("|#1199ff|") != std::string::npos)
            bodies.push_back(t);
    ASSERT_GE(bodies.size(), 2u);
    EXPECT_EQ(bodies[0].y - bodies[1].y, 18);
    // The cursor sits after the measured input: 7 characters of 8 pixels, plus 10.
    bool cursor = false;
    for (const RectCall &r : rects)
        if (r.x == 7 * 8 + 10 && r.w == 2 && r.h == 13)
            cursor = true;
    EXPECT_TRUE(cursor);

    // An empty filter shows every line again.
    texts.clear();
    ov_con.input[0] = 0;
    ov_con.cursor = 0;
    ov_con.Draw();
    bool other = false;
    for (const TextCall &t : texts)
        if (t.text == "Something else")
            other = true;
    EXPECT_TRUE(other);
}

TEST_F(ConsoleOverlay, HighlightOfAVeryLongLineIsNotAttempted)
{
    Start();
    Record();
    std::string long_line(600, 'x');
    long_line += " needle";
    OV_Printf("%s\n", long_line.c_str());
    Show();
    strcpy(ov_con.input, "x");
    ov_con.cursor = 1;
    ov_con.Draw();
    bool plain = false;
    for (const TextCall &t : texts)
        if (t.text == long_line)
            plain = true;
    EXPECT_TRUE(plain) << "a text of 512 characters or more is drawn as it is";
}

TEST_F(ConsoleOverlay, DraggingAtTheRightEdgeScrolls)
{
    Start();
    Record();
    for (int i = 0; i < 300; i++)
        OV_Printf("drag line %d\n", i);
    Show();
    int count = (int)ov_con.lines.size();
    OV_SetKeyStatei(510, 2);
    OV_SetKeyStatei(504, 1000);
    OV_SetKeyStatei(505, 231);  // half of the 462-pixel text area
    ov_con.Draw();
    EXPECT_EQ(ov_con.scroll, (int)(count * (1 - 231.0f / 462)));
    OV_SetKeyStatei(504, 900);  // too far from the edge
    OV_SetKeyStatei(505, 0);
    ov_con.Draw();
    EXPECT_EQ(ov_con.scroll, (int)(count * (1 - 231.0f / 462)));
    OV_SetKeyStatei(510, 0);
}

TEST_F(ConsoleOverlay, NothingIsDrawnHiddenOrWithoutAFontTheTextIsSkipped)
{
    Start();
    Record();
    ov_con.Draw();
    EXPECT_TRUE(rects.empty());
    EXPECT_TRUE(texts.empty());
    fake_font.name = nullptr;
    Show();
    ov_con.Draw();
    EXPECT_EQ(rects.size(), 5u) << "background, track, border, edge and thumb";
    EXPECT_TRUE(texts.empty());
    // A font that did not load keeps its name but has no height: still no text.
    fake_font.name = fake_name;
    fake_font.height = 0;
    fake_font.line_height = 0;
    ov_con.font = nullptr;
    ov_state.overlay_fonts_fetched = 0;
    rects.clear();
    ov_con.Draw();
    EXPECT_EQ(rects.size(), 5u);
    EXPECT_TRUE(texts.empty());
}

TEST_F(ConsoleOverlay, ControlCCopiesAndControlVPastesOncePerHold)
{
    Start();
    Record();
    OVI_SendCharEvent(167);
    OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, 17);
    OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, 86);
    OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, 86);
    OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, 67);
    OVI_SendKeyEvent(OV_EVENT_KEY_UP, 17);
    OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, 17);
    OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, 86);
    OVI_SendKeyEvent(OV_EVENT_KEY_UP, 17);
    OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, 86);  // without control
    std::vector<std::string> want = {"Clipboard_GetText", "Clipboard_SetText", "Clipboard_GetText"};
    EXPECT_EQ(extension_calls, want);
    EXPECT_STREQ(ov_con.input, "") << "the clipboard answers null here";
}
