// Malformed UI scripts for the button, checkbox, slider, edit box, list box, touch field
// and touch grid (run under AddressSanitizer and UndefinedBehaviorSanitizer in the
// sanitizer build): wrong value types, NaN, huge and negative numbers, 300-character
// and "%n" texts. They give popups for unknown names and leave defined components
// that draw, update and take input without failing.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-editbox.h"
#include "app/ui/widgets/ui-listbox.h"
#include "app/ui/widgets/ui-slider.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "app/ui/widgets/ui-touchgrid.h"
#include "core/ov_state.h"
#include "platform/screen.h"

#include <math.h>

using namespace wtest;
using apptest::Logged;
using uitest::ProbeScreen;

namespace {

class InputWidgetScripts : public WidgetTest {};

const char *const kLong = "string.rep ('%n%s\\\\', 100)";   // 300 characters of "%n%s\"

TEST_F(InputWidgetScripts, MalformedValuesGivePopupsAndDefinedComponents)
{
    ASSERT_TRUE(CopyShippedFont("fonts/medium.mft"));
    WriteSolidPng("gfx/p.png", 40, 20, {0, 0, 255, 255});
    const std::string long_text = kLong;
    const std::string scripts[] = {
        // Button
        "CreateComp ('Button', 'b')\nSetProperty ('button.text', {})\nSetProperty ('button.text', " + long_text + ")\n"
        "SetProperty ('button.font', 42)\nSetProperty ('button.font', 'fonts/none.mft')\n"
        "SetProperty ('button.text_scale_idle', 0/0)\nSetProperty ('button.textbox_size', 1e300, -1e300)\n"
        "SetProperty ('button.dynamic_text_scale_limits', 0/0, -5)\nSetProperty ('button.bm_idle', {})\n"
        "SetProperty ('button.max_text_width_percentage', -1e39)\nSetProperty ('button.text_align', 12)\n"
        "SetProperty ('button.bm_icon', 'gfx/p.png')\nSetProperty ('button.icon_offset', 'x', nil)\n"
        "SetProperty ('button.text_color_idle', 'r')\nSetProperty ('button.bogus', 1)\n",
        // Checkbox
        "CreateComp ('Checkbox', 'c')\nSetProperty ('checkbox.value', 0/0)\nSetProperty ('checkbox.value', -1e300)\n"
        "SetProperty ('checkbox.value', {})\nSetProperty ('checkbox.text', " + long_text + ")\n"
        "SetProperty ('checkbox.font', 'fonts/medium.mft')\nSetProperty ('checkbox.bm_marker', true)\n"
        "SetProperty ('checkbox.value', 1)\nSetProperty ('checkbox.bogus', 1)\n",
        // Slider
        "CreateComp ('Slider', 's')\nSetProperty ('slider.value', 0/0)\nSetProperty ('slider.padding', 1e300, -1e300)\n"
        "SetProperty ('slider.bm_panel', 'gfx/p.png')\nSetProperty ('slider.bm_full', 'gfx/p.png')\n"
        "SetProperty ('slider.bm_marker', nil)\nSetProperty ('slider.bogus', 1)\n",
        // Edit box
        "CreateComp ('Editbox', 'e')\nSetProperty ('editbox.max_chars', 1e300)\nSetProperty ('editbox.padding', 0/0)\n"
        "SetProperty ('editbox.text', " + long_text + ")\nSetProperty ('editbox.text', string.rep ('%n', 127))\n"
        "SetProperty ('editbox.caps_only', {})\nSetProperty ('editbox.bm_panel', 'gfx/p.png')\n"
        "SetProperty ('editbox.font', 'fonts/medium.mft')\nSetProperty ('editbox.text_scale', -1e30)\n"
        "SetProperty ('editbox.text_offset.x', 1e300)\nSetProperty ('editbox.bogus', 1)\n",
        // List box
        "CreateComp ('Listbox', 'l')\nSetProperty ('listbox.content_size', 1e300, -1e300)\n"
        "SetProperty ('listbox.padding_top', 0/0)\nSetProperty ('listbox.padding_bottom', -2e9)\n"
        "SetProperty ('listbox.selected', 1e300)\nSetProperty ('listbox.font', 'fonts/medium.mft')\n"
        "AddListboxLine ('l', " + long_text + ")\nAddListboxLine ('l', {})\nAddListboxLine ()\n"
        "SetListboxLineTextRight ('l', '%n%n%n')\nSetListboxLineBitmap ('l', {})\nSetListboxLineBitmap ('l', 'gfx/p.png')\n"
        "ScrollListboxDown ('l')\nScrollListboxUp (7)\nClearListbox ({})\nSetProperty ('listbox.bogus', 1)\n"
        "GetProperty ('l:listbox.line[')\nGetProperty ('l:listbox.line[9999999999999999999999].id')\n",
        // Touch field
        "CreateComp ('TouchField', 'f')\nSetProperty ('touchfield.content_height', 1e300)\n"
        "SetProperty ('touchfield.area_height', 0/0)\nSetProperty ('touchfield.value_y', 1e38)\n"
        "SetProperty ('touchfield.limits_x', 0/0, 0/0)\nSetProperty ('touchfield.limit_type', {})\n"
        "SetProperty ('touchfield.target_value_x', -1e300)\nSetProperty ('touchfield.axis_y_enabled', 1e300)\n"
        "SetProperty ('touchfield.bogus', 1)\n",
        // Touch grid
        "CreateComp ('TouchGrid', 'g')\nSetProperty ('touchgrid.num_steps_axis_x', 1e300)\n"
        "SetProperty ('touchgrid.step_size_axis_x', 0/0)\nSetProperty ('touchgrid.selected_step_axis_x', -1e300)\n"
        "SetProperty ('touchgrid.offset_selected_step_axis_x', 1e300)\nSetProperty ('touchgrid.num_steps_axis_y', -5)\n"
        "SetProperty ('touchgrid.selected_step_axis_y_instant', 0/0)\nSetProperty ('touchgrid.bogus', 1)\n",
    };
    int n = 0;
    for (const std::string &script : scripts) {
        SCOPED_TRACE(script);
        ProbeScreen *s = Show(("Bad" + std::to_string(n++)).c_str(),
                              "SetProperty ('position', 0.1, 0.1)\n" + script);
        ASSERT_EQ(s->ui->GetNumberOfComps(), 1);
        UIComp *c = s->ui->GetCompByIndex(0);
        // Input of every kind, frames and updates.
        Touch(hl::TouchPhase::Down, 60, 40);
        Touch(hl::TouchPhase::Move, 10, 5);
        Touch(hl::TouchPhase::Move, 300, 230);
        Key('a');
        Key(ovdev::KEYCODE_END);
        Key(ovdev::KEYCODE_BACKSPACE);
        OVI_SendMouseWheelEvent(4, 0, 32767, 60, 40);
        Touch(hl::TouchPhase::Up, 300, 230);
        c->ProcessCursorMove(&sman.cursors[3], 37, 0.1f);
        c->ProcessChar(-28);
        c->ProcessChar(13);
        Steps(20, 0.05f);
        Steps(1, 0.0f);
        Frame();
        EXPECT_EQ(c->width, c->width);
        EXPECT_EQ(c->height, c->height);
        sman.PopScreen(s, false);
    }
    for (const char *kind : {"UICompButton", "UICompCheckbox", "UICompSlider", "UICompEditbox", "UICompListbox",
                             "UICompTouchField", "UICompTouchGrid"}) {
        const std::string prefix = std::string(kind).substr(6);
        std::string lower;
        for (char ch : prefix)
            lower += (char)tolower(ch);
        EXPECT_TRUE(Logged(std::string(kind) + "::SetProperty: Unknown Property '" + lower + ".bogus'")) << kind;
    }
    EXPECT_FALSE(Logged("UICompListbox::GetProperty: Unknown Property"));   // line getters are known
}

}  // namespace
