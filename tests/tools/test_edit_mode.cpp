// The UI edit mode driven through the engine's event path on a fixture screen: the
// switches (Ctrl+E, Ctrl+R), selection, Z order, alignment, arrow steps, re-parenting,
// templates, cloning, adding, deleting, reloading, dropped files, the asking keys with
// and without an answer, the resize drag and the overlays.
#include "tests/support/headless_engine.h"
#include "tests/app/ui/input_widgets_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/services/filehelpers.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/widgets/ui-image.h"
#include "app/ui/widgets/ui-textbox.h"
#include "core/ov_state.h"
#include "ovrecords.h"
#include "platform/headless.h"
#include "tools/edit-mode.h"
#include "tools/popmenu.h"
#include "tools/screen-browser.h"

#include <algorithm>
#include <sys/stat.h>
#include <string.h>

using namespace uitest;
using apptest::CountLogged;
using apptest::Logged;

namespace {

namespace hl = ovdev::headless;

// The prompts and the chooser are answered through the headless answer table.
void Answer(const char *command, const char *reply)
{
    hl::set_answer(command, reply);
}

const char kScript[] =
    "CreateComp('Rectangle', 'a')\nSetProperty('position_type', 'ABSOLUTE')\nSetProperty('position', 20, 30)\n"
    "SetProperty('rectangle.rect_width', 40)\nSetProperty('rectangle.rect_height', 20)\n"
    "CreateComp('Rectangle', 'b')\nSetProperty('position_type', 'ABSOLUTE')\nSetProperty('position', 100, 40)\n"
    "SetProperty('rectangle.rect_width', 50)\nSetProperty('rectangle.rect_height', 50)\n"
    "CreateComp('Textbox', 't')\nSetProperty('position_type', 'ABSOLUTE')\nSetProperty('position', 10, 150)\n"
    "CreateComp('Rectangle', 'c')\nSetProperty('position_type', 'RELATIVE_TO_SCREEN')\n"
    "SetProperty('position', 0.5, 0.5)\nSetProperty('rectangle.rect_width', 20)\n"
    "SetProperty('rectangle.rect_height', 20)\n";

class EditMode : public wtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(wtest::CopyShippedFont("core/console.mft"));
        InstallEditMode();
        hl::clear_answers();
        screen_ = Show("Fixture", kScript);
        set_ = screen_->ui;
        ASSERT_EQ(set_->comps.Count(), 4);
        // Switched on directly: Ctrl+E also asks for the developer's window size, which
        // the headless display does not take (its test switches through the event).
        sman.edit_mode = true;
    }
    void TearDown() override
    {
        EditModeForgetComponents();
        hl::clear_answers();
        ov->OV_SetKeyStatei(16, 0);
        ov->OV_SetKeyStatei(17, 0);
        sman.edit_mode = false;
        sman.virtual_resize_mode = false;
        WidgetTest::TearDown();
    }
    int Send(ov_event_t ev) { return OVI_SendEvent(&ev); }
    int SendKey(int key)
    {
        ov_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.type = OV_EVENT_KEY_DOWN;
        ev.key = key;
        return Send(ev);
    }
    void ShiftKey(int key)
    {
        ov->OV_SetKeyStatei(16, 2);
        SendKey(key);
        ov->OV_SetKeyStatei(16, 0);
    }
    int SendButton(int type, int button, int x, int y)
    {
        ov_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.type = type;
        ev.button = (uint16_t)button;
        ev.x = x;
        ev.y = y;
        return Send(ev);
    }
    UIComp *Comp(const char *name) { return set_->GetComp(name); }
    std::vector<std::string> Order()
    {
        std::vector<std::string> names;
        for (int i = 0; i < set_->comps.Count(); i++)
            names.push_back(set_->comps[i]->name);
        return names;
    }
    ProbeScreen *screen_ = nullptr;
    UISet *set_ = nullptr;
};

typedef std::vector<std::string> Names;

TEST_F(EditMode, ControlEAndControlRSwitchThroughEvents)
{
    ov->OV_SetKeyStatei(17, 2);
    EXPECT_EQ(SendKey('e'), 1);
    EXPECT_FALSE(sman.edit_mode);
    EXPECT_EQ(SendKey('R'), 1);
    EXPECT_TRUE(sman.virtual_resize_mode);
    EXPECT_EQ(SendKey('E'), 1);
    ov->OV_SetKeyStatei(17, 0);
    EXPECT_TRUE(sman.edit_mode);
    for (const std::string &command : wtest::extension_calls)
        EXPECT_EQ(command.find("EditValue"), std::string::npos) << "Ctrl+E is not the E key of the edit mode";
}

TEST_F(EditMode, TabWithNothingSelectedStepsOnFromTheFirst)
{
    SendKey(9);
    EXPECT_EQ(edit_state.selected, Comp("b"));
    EXPECT_EQ(sman.last_locked_comp, Comp("b")) << "cursor 0 holds it too";
    EXPECT_TRUE(Logged("Component 'a'.."));
    EditModeForgetComponents();
    ShiftKey(9);
    EXPECT_EQ(edit_state.selected, Comp("a")) << "no previous: the first stays";
    ShiftKey(9);
    EXPECT_EQ(edit_state.selected, Comp("a"));
}

TEST_F(EditMode, ZAtBothEndsChangesNothing)
{
    edit_state.selected = Comp("c");
    SendKey('Z');
    EXPECT_TRUE(Logged("Changing component 'c' Z order.."));
    EXPECT_TRUE(Logged("Z 3 -> "));
    EXPECT_TRUE(Logged("front."));
    EXPECT_EQ(Order(), (Names{"a", "b", "t", "c"}));
    edit_state.selected = Comp("a");
    ShiftKey('Z');
    EXPECT_TRUE(Logged("back."));
    EXPECT_EQ(Order(), (Names{"a", "b", "t", "c"}));
    SendKey('Z');
    EXPECT_EQ(Order(), (Names{"b", "a", "t", "c"}));
    ShiftKey('Z');
    EXPECT_EQ(Order(), (Names{"a", "b", "t", "c"}));
}

TEST_F(EditMode, NumPadKeysAlign)
{
    const int expected[9] = {1, 8, 0, 5, 12, 4, 3, 10, 2};
    UIComp *a = Comp("a");
    edit_state.selected = a;
    for (int k = 0; k < 9; k++) {
        SendKey(97 + k);
        EXPECT_EQ(a->align, expected[k]) << "NumPad " << k + 1;
        EXPECT_EQ(NumPadAlignment(97 + k), expected[k]);
    }
    EXPECT_EQ(NumPadAlignment(96), -1);
    // With Ctrl a text box takes it as its text alignment; other kinds are left alone.
    UICompTextbox *t = static_cast<UICompTextbox *>(Comp("t"));
    int before = t->align;
    edit_state.selected = t;
    ov->OV_SetKeyStatei(17, 2);
    SendKey(104);   // NumPad 8
    edit_state.selected = a;
    SendKey(97);
    ov->OV_SetKeyStatei(17, 0);
    EXPECT_EQ(t->textbox_align, 10);
    EXPECT_EQ(t->align, before);
    EXPECT_EQ(a->align, 2);
}

TEST_F(EditMode, ArrowStepsByPositionType)
{
    UIComp *a = Comp("a"), *c = Comp("c"), *b = Comp("b");
    edit_state.selected = a;
    SendKey(39);
    SendKey(40);
    SendKey(40);
    EXPECT_FLOAT_EQ(a->position_x, 21.0f);
    EXPECT_FLOAT_EQ(a->position_y, 32.0f);
    edit_state.selected = c;
    SendKey(37);
    SendKey(38);
    EXPECT_FLOAT_EQ(c->position_x, 0.5f - 1.0f / (float)sman.virtual_width);
    EXPECT_FLOAT_EQ(c->position_y, 0.5f - 1.0f / (float)sman.virtual_height);
    // Relative to a parent: its size; a parent without size counts as none.
    c->parent = b;
    c->position_type = UIPOS_RELATIVE_TO_PARENT;
    c->position_x = c->position_y = 0.0f;
    SendKey(39);
    EXPECT_FLOAT_EQ(c->position_x, 1.0f / b->width);
    b->width = 0.0f;
    SendKey(39);
    EXPECT_FLOAT_EQ(c->position_x, 1.0f / 50.0f + 1.0f / (float)sman.virtual_width);
}

TEST_F(EditMode, ParentKeepsThePlaceForEachPositionType)
{
    UIComp *b = Comp("b"), *a = Comp("a"), *c = Comp("c");
    Answer("EditValue: Parent Name", "b");
    for (int type : {UIPOS_ABSOLUTE, UIPOS_RELATIVE_TO_SCREEN, UIPOS_RELATIVE_TO_PARENT}) {
        a->parent = nullptr;
        a->ConvertPositionType(type);
        vec2_t before = a->GetStaticPos();
        edit_state.selected = a;
        SendKey('P');
        ASSERT_EQ(a->parent, b) << type;
        vec2_t after = a->GetStaticPos();
        EXPECT_NEAR(after.x, before.x, 1e-3f) << type;
        EXPECT_NEAR(after.y, before.y, 1e-3f) << type;
        // An empty answer clears it in place.
        Answer("EditValue: Parent Name", "");
        SendKey('P');
        EXPECT_EQ(a->parent, nullptr);
        after = a->GetStaticPos();
        EXPECT_NEAR(after.x, before.x, 1e-3f) << type;
        EXPECT_NEAR(after.y, before.y, 1e-3f) << type;
        Answer("EditValue: Parent Name", "b");
    }
    EXPECT_TRUE(Logged("Got value 'b'"));
    // A cycle is refused; an unknown or blank-led name too.
    a->parent = nullptr;
    b->parent = c;
    Answer("EditValue: Parent Name", "b");
    edit_state.selected = c;
    SendKey('P');
    EXPECT_EQ(c->parent, nullptr);
    EXPECT_TRUE(Logged("Parent 'b' for ui/Fixture.lua/c would make a cycle."));
    Answer("EditValue: Parent Name", "c");
    SendKey('P');
    EXPECT_EQ(c->parent, nullptr);
    Answer("EditValue: Parent Name", " b");
    SendKey('P');
    EXPECT_TRUE(Logged("No component name ' b' found to parent ui/Fixture.lua/c."));
}

TEST_F(EditMode, InheritRestoresTheFiveKeptValues)
{
    UIComp *tmpl = sman.GetCompTemplate("DefaultRectangle");
    ASSERT_NE(tmpl, nullptr);
    tmpl->alpha = 0.25f;
    tmpl->position_x = 77.0f;
    tmpl->align = 12;
    tmpl->localize = true;
    UIComp *a = Comp("a");
    a->localize = false;
    a->align = 1;
    a->scale_type = UISCALE_FIT_INSIDE_SCREEN;
    edit_state.selected = a;
    Answer("EditValue: Inherit from component Name", "DefaultRectangle");
    SendKey('I');
    EXPECT_EQ(a->alpha, 0.25f) << "inherited";
    EXPECT_EQ(a->position_type, UIPOS_ABSOLUTE);
    EXPECT_EQ(a->position_x, 20.0f);
    EXPECT_EQ(a->position_y, 30.0f);
    EXPECT_EQ(a->align, 1);
    EXPECT_EQ(a->scale_type, UISCALE_FIT_INSIDE_SCREEN);
    EXPECT_FALSE(a->localize);
    Answer("EditValue: Inherit from component Name", "NoSuchTemplate");
    SendKey('I');
    EXPECT_TRUE(Logged("Component Template 'NoSuchTemplate' not found."));
}

TEST_F(EditMode, RJKSpaceAndW)
{
    UIComp *a = Comp("a");
    edit_state.selected = a;
    vec2_t before = a->GetStaticPos();
    SendKey('R');
    EXPECT_EQ(a->position_type, UIPOS_RELATIVE_TO_SCREEN);
    SendKey('R');
    EXPECT_EQ(a->position_type, UIPOS_ABSOLUTE);
    EXPECT_NEAR(a->GetStaticPos().x, before.x, 1e-3f);
    a->cache_mode = UICACHE_PRELOAD;
    SendKey('J');
    EXPECT_EQ(a->cache_mode, UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE);
    SendKey('J');
    EXPECT_EQ(a->cache_mode, UICACHE_PRELOAD);
    bool loc = a->localize;
    SendKey('K');
    EXPECT_EQ(a->localize, !loc);
    a->angle = 1.0f;
    a->scale = 3.0f;
    SendKey(32);
    EXPECT_EQ(a->angle, 0.0f);
    EXPECT_EQ(a->scale, 1.0f);
    // W isolates the component cursor 0 holds; then every other key is ignored.
    sman.last_locked_comp = a;
    SendKey('W');
    EXPECT_EQ(sman.edit_comp, a);
    SendKey(39);
    EXPECT_EQ(a->position_x, 20.0f);
    SendKey('W');
    EXPECT_EQ(sman.edit_comp, nullptr);
    SendKey(39);
    EXPECT_EQ(a->position_x, 21.0f);
}

TEST_F(EditMode, CloneOffsetsByPositionType)
{
    edit_state.selected = Comp("a");
    SendKey('C');
    UIComp *clone = Comp("a_clone");
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(Logged("Cloning component 'a' -> 'a_clone'."));
    EXPECT_EQ(set_->comps[set_->comps.Count() - 1], clone);
    EXPECT_EQ(edit_state.selected, clone);
    EXPECT_FLOAT_EQ(clone->position_x, 30.0f);
    EXPECT_FLOAT_EQ(clone->position_y, 40.0f);
    edit_state.selected = Comp("c");
    SendKey('C');
    UIComp *rel = Comp("c_clone");
    ASSERT_NE(rel, nullptr);
    EXPECT_FLOAT_EQ(rel->position_x, 0.55f);
    EXPECT_FLOAT_EQ(rel->position_y, 0.55f);
}

TEST_F(EditMode, AddAtTheRawMouseAndTheNameFor256)
{
    edit_state.selected = Comp("a");
    ov->OV_SetKeyStatef(504, 123.0f);
    ov->OV_SetKeyStatef(505, 45.0f);
    mpos = vec2_t{123.0f, 45.0f};
    SendKey('A');
    EXPECT_EQ(Comp("untitled_1"), nullptr) << "no answer: nothing";
    Answer("EditValue: New Component Type", "NOT_A_TYPE");
    SendKey('A');
    EXPECT_EQ(Comp("untitled_1"), nullptr) << "unknown type";
    Answer("EditValue: New Component Type", "RECTANGLE");
    SendKey('A');
    UIComp *added = Comp("untitled_1");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(edit_state.selected, added);
    EXPECT_EQ(sman.last_locked_comp, added);
    vec2_t p = added->GetStaticPos();
    EXPECT_NEAR(p.x, 123.0f, 1e-3f);
    EXPECT_NEAR(p.y, 45.0f, 1e-3f);
    for (int n = 2; n <= 256; n++)
        SendKey('A');
    ASSERT_NE(Comp("untitled_256"), nullptr);
    int before = set_->comps.Count();
    SendKey('A');
    EXPECT_EQ(set_->comps.Count(), before + 1);
    int named = 0;
    for (int i = 0; i < set_->comps.Count(); i++)
        named += strcmp(set_->comps[i]->name, "untitled_256") == 0;
    EXPECT_EQ(named, 2);
}

TEST_F(EditMode, ArrowsAfterDeleteChangeNothing)
{
    UIComp *b = Comp("b");
    edit_state.selected = b;
    sman.last_locked_comp = b;
    SendKey('W');
    SendKey('W');
    SendKey(46);
    EXPECT_TRUE(Logged("Deleting component 'b'.."));
    EXPECT_EQ(Comp("b"), nullptr);
    EXPECT_EQ(edit_state.selected, nullptr);
    EXPECT_EQ(sman.edit_comp, nullptr);
    float ax = Comp("a")->position_x;
    SendKey(39);
    SendKey(40);
    EXPECT_EQ(Comp("a")->position_x, ax);
    delete b;   // only taken out of its set
}

TEST_F(EditMode, KeysAfterReloadTouchOnlyTheNewSet)
{
    edit_state.selected = Comp("a");
    sman.last_locked_comp = Comp("a");
    SendKey('W');
    SendKey('L');
    EXPECT_NE(screen_->ui, set_);
    EXPECT_EQ(edit_state.selected, nullptr);
    EXPECT_EQ(sman.edit_comp, nullptr);
    EXPECT_EQ(sman.last_locked_comp, nullptr);
    EXPECT_GE(screen_->trans_phase, 1.0f);
    set_ = screen_->ui;
    for (int key : {39, (int)'Z', (int)'C', (int)'W', 46, 32})
        SendKey(key);
    SendKey(9);
    EXPECT_EQ(edit_state.selected, Comp("b"));
    SendKey(39);
    EXPECT_EQ(Comp("b")->position_x, 101.0f);
}

TEST_F(EditMode, ReloadHandsTheNewSetToABrowserThatBorrowedTheOld)
{
    Screen &browser = GetScreenBrowser();
    UISet *own = browser.ui;
    browser.ui = set_;
    SendKey('L');
    EXPECT_EQ(browser.ui, screen_->ui);
    EXPECT_NE(browser.ui, set_);
    browser.ui = own;
}

TEST_F(EditMode, DroppedFilePlacesTheImageAtTheDropPointLessTheOffset)
{
    wtest::WritePng("gfx/drop.png", 8, 8, [](int, int) { return apptest::Rgba{255, 0, 0, 255}; });
    sman.virtual_x = 10.0f;
    sman.virtual_y = 20.0f;
    AppSetRandomSource([]() { return 77; });
    char word[] = "FILE_DRAGGED", path[] = "C:\\game\\data\\gfx\\drop.png", point[] = "110,70";
    ov_event_t ev;
    memset(&ev, 0, sizeof ev);
    ev.type = 63;
    ev.ptr = word;
    ev.ptr2 = path;
    ev.list = point;
    Send(ev);
    AppSetRandomSource(nullptr);
    sman.virtual_x = sman.virtual_y = 0.0f;
    UIComp *img = Comp("dragged_77");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(edit_state.selected, img);
    EXPECT_NEAR(img->GetStaticPos().x, 100.0f, 1e-3f);
    EXPECT_NEAR(img->GetStaticPos().y, 50.0f, 1e-3f);
    EXPECT_NE(static_cast<UICompImage *>(img)->bitmap, nullptr);
}

TEST_F(EditMode, AskingKeysWithoutAnAnswerChangeNothing)
{
    UIComp *t = Comp("t");
    edit_state.selected = t;
    std::string text = static_cast<UICompTextbox *>(t)->GetText();
    for (int key : {(int)'E', (int)'N', (int)'P', (int)'I', (int)'A', (int)'F', (int)'B'})
        SendKey(key);
    EXPECT_EQ(static_cast<UICompTextbox *>(t)->GetText(), text);
    EXPECT_STREQ(t->name, "t");
    EXPECT_EQ(t->parent, nullptr);
    EXPECT_EQ(set_->comps.Count(), 4);
    EXPECT_FALSE(Logged("Got value"));
    // F on a text box flips the centring and asks for a font.
    EXPECT_NE(std::find(wtest::extension_calls.begin(), wtest::extension_calls.end(), "OpenFileDialog"), wtest::extension_calls.end());
    EXPECT_TRUE(Logged("Browsing for component font or fx.."));
}

TEST_F(EditMode, AskingKeysWithAnAnswer)
{
    UIComp *t = Comp("t");
    edit_state.selected = t;
    Answer("EditValue: Component Text", "Hello");
    Answer("EditValue: Component Name", "renamed");
    SendKey('E');
    EXPECT_STREQ(static_cast<UICompTextbox *>(t)->GetText(), "Hello");
    SendKey('N');
    EXPECT_STREQ(t->name, "renamed");
    bool centred = sman.center_virtual_screen;
    Answer("OpenFileDialog", "C:\\x\\data\\core\\console.mft");
    SendKey('F');
    EXPECT_NE(sman.center_virtual_screen, centred);
    EXPECT_TRUE(Logged("Selected 'C:\\x\\data\\core\\console.mft'"));
    Answer("OpenFileDialog", "/elsewhere/font.mft");
    SendKey('F');
    EXPECT_TRUE(Logged("This isn't: '/elsewhere/font.mft'"));
    sman.center_virtual_screen = centred;
}

// The chooser's filter of the last "OpenFileDialog": its strings up to the empty one.
std::vector<std::string> chooser_filter;
const char *(*extension_before)(const char *, const char *) = nullptr;
const char *FilterRecordingExtension(const char *command, const char *argument)
{
    if (command && strcmp(command, "OpenFileDialog") == 0) {
        chooser_filter.clear();
        for (const char *p = argument; p && *p; p += strlen(p) + 1)
            chooser_filter.push_back(p);
    }
    return extension_before ? extension_before(command, argument) : nullptr;
}

// Each browsing key offers the chooser the filter of what it browses for, as pairs of a
// description and a pattern after "All" "*.*".
TEST_F(EditMode, FileChooserFiltersNameWhatIsBrowsedFor)
{
    ASSERT_TRUE(Run(screen_, "CreateComp('Image', 'img')\nCreateComp('Model', 'mdl')\n"
                             "CreateComp('Emitter', 'em')\nCreateComp('Button', 'btn')"));
    extension_before = ov->OV_CallExtension;
    ov->OV_CallExtension = FilterRecordingExtension;
    const bool centred = sman.center_virtual_screen;  // F also flips the centring
    const std::vector<std::string> images = {"All", "*.*", "Portable Network Graphics", "*.PNG", "JPEG Image", "*.JPG"};
    struct Case {
        const char *comp;
        int key;
        std::vector<std::string> filter;
    } cases[] = {
        {"t", 'F', {"All", "*.*", "Tamsk/Orvex Font File", "*.MFT"}},
        {"btn", 'F', {"All", "*.*", "Tamsk/Orvex Font File", "*.MFT"}},
        {"em", 'F', {"All", "*.*", "FX scripts", "*.lua"}},
        {"mdl", 'B', {"All", "*.*", "XML models ", "*.xml"}},
        {"img", 'B', images},
        {"btn", 'B', images},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.comp) + " " + (char)c.key);
        edit_state.selected = Comp(c.comp);
        ASSERT_NE(edit_state.selected, nullptr);
        chooser_filter.clear();
        SendKey(c.key);
        EXPECT_EQ(chooser_filter, c.filter);
    }
    ov->OV_CallExtension = extension_before;
    extension_before = nullptr;
    sman.center_virtual_screen = centred;
}

TEST_F(EditMode, BrowsingForAnImageTakesThePathAfterTheDataFolder)
{
    wtest::WritePng("gfx/pick.png", 4, 4, [](int, int) { return apptest::Rgba{0, 255, 0, 255}; });
    ASSERT_TRUE(Run(screen_, "CreateComp('Image', 'img')"));
    UICompImage *img = static_cast<UICompImage *>(Comp("img"));
    ASSERT_NE(img, nullptr);
    edit_state.selected = img;
    SendKey('B');
    EXPECT_EQ(img->bitmap, nullptr) << "no answer: nothing";
    Answer("OpenFileDialog", "pics/pick.png");
    SendKey('B');
    EXPECT_EQ(img->bitmap, nullptr) << "no \"data\" in the path";
    EXPECT_TRUE(Logged("File you browsed was: 'pics/pick.png'"));
    Answer("OpenFileDialog", "proj\\data_hd\\gfx\\pick.png");
    SendKey('B');
    EXPECT_TRUE(Logged("Browsing for component image.."));
    ASSERT_NE(img->bitmap, nullptr);
    EXPECT_STREQ(img->bitmap->name, "gfx/pick.png");
}

TEST_F(EditMode, RightButtonOpensTheMenuAndItsItemsPressKeys)
{
    edit_state.selected = Comp("a");
    mpos = vec2_t{60, 60};
    SendButton(OV_EVENT_BUTTON_DOWN, 511, 60, 60);
    PopMenuEdit &menu = EditMenu();
    ASSERT_TRUE(menu.visible);
    ASSERT_EQ(menu.items.Count(), 6);
    EXPECT_STREQ(menu.items[4].text, "-");
    SendButton(OV_EVENT_BUTTON_UP, 511, 60, 60);
    EXPECT_EQ(edit_state.selected, Comp("a")) << "a click on nothing keeps the selection";
    SendKey(27);
    EXPECT_FALSE(menu.visible);
    // A left click on a component selects it.
    SendButton(OV_EVENT_BUTTON_DOWN, 510, 120, 60);
    SendButton(OV_EVENT_BUTTON_UP, 510, 120, 60);
    EXPECT_EQ(edit_state.selected, Comp("b"));
    // "save_ui" is taken like "SAVE_UI"; "EDIT_NAME" asks for the name.
    EXPECT_EQ(menu.ProcessClick("save_ui"), 1);
    EXPECT_EQ(menu.ProcessClick("EDIT_NAME"), 1);
    EXPECT_NE(std::find(wtest::extension_calls.begin(), wtest::extension_calls.end(), "EditValue: Component Name"), wtest::extension_calls.end());
}

std::string ReadText(const char *name)
{
    long size = 0;
    char *data = ReadWholeFile(name, &size);
    if (!data)
        return "<none>";
    std::string text(data, (size_t)size);
    free(data);
    return text;
}

TEST_F(EditMode, SAndTheMenusSaveUiWriteTheScriptUnderDevEdits)
{
    const char kSaved[] = "user://dev-edits/ui/Fixture.lua";
    edit_state.selected = Comp("a");
    SendKey(39);
    EXPECT_EQ(SendKey('S'), 1) << "consumed";
    std::string text = ReadText(kSaved);
    // The writer converts absolute positions (x 21 of 320, y 30 of 240).
    EXPECT_NE(text.find("CreateComp (\"Rectangle\", \"a\");\nSetProperty (\"position\", 0.065625, 0.125);"),
              std::string::npos) << text;
    SendKey(39);
    EXPECT_EQ(EditMenu().ProcessClick("save_ui"), 1);
    text = ReadText(kSaved);
    EXPECT_NE(text.find("SetProperty (\"position\", 0.06875, 0.125);"), std::string::npos) << text;
}

TEST_F(EditMode, LeftEdgeDragWidensTheVirtualScreen)
{
    sman.virtual_resize_mode = true;
    for (bool centre : {false, true}) {
        sman.center_virtual_screen = centre;
        sman.SetVirtualScreenDimensions(200, 150);
        sman.virtual_x = 60.0f;
        sman.virtual_y = 40.0f;
        edit_state.resize_locked = false;
        ov->OV_SetKeyStatei(510, 2);
        mpos = vec2_t{50, 100};
        HandleVirtualScreenResizingByDragging();
        EXPECT_STREQ(sman.cursor_shape, "SIZEWE");
        mpos = vec2_t{40, 100};
        HandleVirtualScreenResizingByDragging();
        EXPECT_EQ(sman.virtual_width, centre ? 220 : 210);
        EXPECT_EQ(sman.virtual_height, 150);
        ov->OV_SetKeyStatei(510, 0);
        HandleVirtualScreenResizingByDragging();
        EXPECT_FALSE(edit_state.resize_locked);
    }
    sman.center_virtual_screen = false;
}

}  // namespace

namespace {

// The framebuffer as shown (opaque), kept as a picture to be looked at.
void Shot(const std::string &name)
{
    widgettest::Frame f = widgettest::ReadFrame();
    for (size_t i = 3; i < f.px.size(); i += 4)
        f.px[i] = 255;
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("edit-mode", name)));
}

bool Bright(const apptest::Rgba &p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }

TEST_F(EditMode, OverlaysDrawInOrderOverTheScreen)
{
    UIComp *a = Comp("a"), *b = Comp("b");
    edit_state.selected = a;
    b->parent = nullptr;
    sman.edit_comp = b;   // isolated
    sman.virtual_resize_mode = true;
    sman.edit_drag = true;   // a Shift+LMB drag: the left button stays held
    ov->OV_SetKeyStatei(510, 2);
    sman.edit_drag_start = vec2_t{150, 170};
    ov->OV_SetKeyStatef(504, 230.0f);
    ov->OV_SetKeyStatef(505, 200.0f);
    EditMenu().Reset();
    EditMenu().AddItem(1, "EDIT_NAME", "Edit name...");
    EditMenu().AddItem(0, "", "-");
    EditMenu().SetPos(vec2_t{180, 20});
    EditMenu().SetVisible(true);
    apptest::draw = [](float dt) {
        ov->OV_ClearScreen(0, 0, 0);
        mpos = vec2_t{230, 200};
        sman.DrawScreens(dt);
    };
    Frame();
    Shot("edit-mode-overlays.png");
    // The selection's yellow outline on the left edge of "a" (20, 30, 40 x 20).
    apptest::Rgba sel = apptest::Pixel(20, 40);
    EXPECT_TRUE(sel[0] > 200 && sel[1] > 200 && sel[2] < 60) << sel[0] << " " << sel[1] << " " << sel[2];
    // The isolated component's green outline on "b" (100, 40).
    apptest::Rgba iso = apptest::Pixel(100, 70);
    EXPECT_TRUE(iso[1] > 200 && iso[0] < 60 && iso[2] < 60) << iso[0] << " " << iso[1] << " " << iso[2];
    // The "Resize Mode" label's white frame, and the ruler's magenta box.
    EXPECT_TRUE(Bright(apptest::Pixel(8, 2)));
    apptest::Rgba ruler = apptest::Pixel(150, 195);
    EXPECT_TRUE(ruler[0] > 200 && ruler[1] < 60 && ruler[2] > 200) << ruler[0] << " " << ruler[1] << " " << ruler[2];
    EXPECT_FALSE(Logged("Length:")) << "the ruler's text is drawn, not logged";

    // Key 112 held: the command help in the console font from x 54.
    ov->OV_SetKeyStatei(112, 2);
    Frame();
    Shot("edit-mode-help.png");
    int lit_labels = 0, lit_texts = 0;
    for (int y = 44; y < 200; y++) {
        for (int x = 54; x < 100; x++)
            lit_labels += apptest::Pixel(x, y)[0] > 200;
        for (int x = 154; x < 170; x++)
            lit_texts += Bright(apptest::Pixel(x, y));
    }
    EXPECT_GT(lit_labels, 50);
    EXPECT_GT(lit_texts, 50);
    ov->OV_SetKeyStatei(112, 0);
    ov->OV_SetKeyStatei(510, 0);
    sman.edit_drag = false;
    sman.edit_comp = nullptr;
}

}  // namespace
