// Malformed UI scripts for the image, nine-patch, text box, path, emitter, scriptable,
// advert and model components: wrong value types, NaN, huge and negative numbers,
// 300-character and "%n" texts. Each screen is built, updated, drawn and exported (run
// under AddressSanitizer and UndefinedBehaviorSanitizer in the sanitizer build).
#include "app/services/dataman.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;

const std::string kLong(300, 'W');

class MalformedDisplays : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        pbman.Init();
        widgettest::InstallFonts();
        widgettest::WritePng("gfx/one.png", 1, 1, [](int, int) { return widgettest::Rgba{255, 255, 255, 255}; });
        apptest::WriteFile("fxs/odd.lua", "FXParm ('num_parts', 1e12)\nFXParm ('age', 0/0, 1e30)\nFXParm ('age_to_die', -1e30, 1e30)\n");
        apptest::WriteFile("models/odd.xml", "<root><array id=\"SURFACE_0_INDICES\"><node i=\"70000\" /></array></root>");
        apptest::WriteFile("ui/odd_script.lua", "function OnClick () SetProperty ('scriptable.script', {}) end\n"
                                                "function OnKeyPress (k) error ('%n%n%s') end\n"
                                                "function OnDraw (x, y) return x .. nil end\n");
    }
    void TearDown() override
    {
        pbman.Shutdown();
        CompTest::TearDown();
        dman().ReleaseAllDatabases();
    }
};

TEST_F(MalformedDisplays, PopupsAndNoCrash)
{
    const std::string L = "'" + kLong + "'";
    const std::string scripts[] = {
        // Image: wrong types, NaN and huge times, bad modes, long and "%n" names.
        "CreateComp ('Image', 'i')\nSetProperty ('image.bitmap', {})\nSetProperty ('image.bitmap', 'gfx/one.png')\n"
        "SetProperty ('image.anim_loop_time', 0/0)\nSetProperty ('image.anim_pause_time', -1e300)\n"
        "SetProperty ('image.anim_key', 1e300)\nSetProperty ('image.anim_mode', true)\n"
        "SetProperty ('image.anim_mode', " + L + ")\nSetProperty ('image.%n%n', 1)\nSetProperty ('" + kLong + "', 1)\n"
        "SetProperty ('image.anim_loop_time', 1e-30)\nSetProperty ('scale_type', 'FIT_INSIDE_SCREEN')\n"
        "SetProperty ('image.anim_mode', 'LOOP_FOREVER_NONLINEAR')\nSetProperty ('scale', 0/0)\n",
        // Nine-patch: NaN rect, huge client sizes, a 1 x 1 bitmap.
        "CreateComp ('NinePatch', 'n')\nSetProperty ('ninepatch.bitmap', 'gfx/one.png')\n"
        "SetProperty ('ninepatch.bitmap_client_rect', 0/0, -1e30, 1e30, {})\n"
        "SetProperty ('ninepatch.client_size', 1e300, -1e300)\nSetProperty ('scale_type', 'FIT_TO_COVER_SCREEN')\n"
        "SetProperty ('ninepatch.client_size', 0/0, '%n')\nSetProperty ('ninepatch.bitmap', 42)\n",
        // Text box: long, "%n" and escape-only texts, huge widths, bad fonts and aligns.
        "CreateComp ('Textbox', 't')\nSetProperty ('textbox.font', {})\nSetProperty ('textbox.text', '%n%n%s%d')\n"
        "SetProperty ('textbox.font', 'fonts/medium.mft')\nSetProperty ('textbox.text', " + L + ")\n"
        "SetProperty ('textbox.textbox_width', 1e300)\nSetProperty ('textbox.textbox_width', -5)\n"
        "SetProperty ('textbox.textbox_align', {})\nSetProperty ('textbox.text', '\\\\')\n"
        "SetProperty ('textbox.text', string.rep ('\\\\n', 200))\nSetProperty ('textbox.font', 'fonts/none.mft')\n"
        "SetProperty ('textbox.text', string.rep ('%n ', 1500))\nSetProperty ('angle', 1e30)\n",
        // Path: NaN and huge points, odd indices.
        "CreateComp ('Path', 'p')\nSetProperty ('path.point', 0/0, 1e300)\nSetProperty ('path.point', -1e300, {})\n"
        "SetProperty ('path.point', 5, 5)\nSetProperty ('path.point', 5, 5)\nSetProperty ('path.num_points', 'x')\n"
        "GetProperty ('path.point[99999999999999999999]')\nGetProperty ('path.point[%n]')\nGetProperty ('path.point[')\n",
        // Emitter: an odd effect, zero, tiny and NaN intervals, huge simulation times.
        "CreateComp ('Emitter', 'e')\nSetProperty ('emitter.fx', {})\nSetProperty ('emitter.fx', 'fxs/odd.lua')\n"
        "SetProperty ('emitter.time_interval', 0/0)\nSetProperty ('emitter.time_interval', 1e-38)\n"
        "SetProperty ('emitter.initial_simulation_time', 1e300)\nSetProperty ('emitter.cam', {}, 0/0)\n"
        "SetProperty ('emitter.fx', " + L + ")\nSpawnEmitterFX ('e', {}, 0/0, 1e300, 'a', nil)\n"
        "SetEmitterParticlePoolSize ('e', 0/0)\nSetEmitterParticlePoolSize ('e', 3)\n"
        "SpawnEmitterFX ('e', 'fxs/odd.lua', 1, 1, 0, 0)\n",
        // Scriptable: missing and long script names, a script whose calls fail.
        "CreateComp ('Scriptable', 's')\nSetProperty ('scriptable.script', {})\nSetProperty ('scriptable.script', " + L +
            ")\nSetProperty ('scriptable.script', '%n%n')\nSetProperty ('scriptable.script', 'ui/odd_script.lua')\n",
        // Advert and model: NaN and huge sizes, odd model files.
        "CreateComp ('Ad', 'a')\nSetProperty ('ad.rect_width', 0/0)\nSetProperty ('ad.rect_height', -1e300)\n"
        "SetProperty ('position', 1e300, -1e300)\n"
        "CreateComp ('Model', 'm')\nSetProperty ('model.model', {})\nSetProperty ('model.model', 'models/odd.xml')\n"
        "SetProperty ('model.model', " + L + ")\nSetProperty ('m', 1)\nSetProperty ('model.%n', 1)\n"
        "SetProperty ('scale', 1e300)\n",
    };
    // A message each script gives (checked at once: the log keeps its latest lines).
    const char *const messages[] = {
        "UICompImage::SetProperty: Unknown Property '%n%n' for UIComp 'i'",
        "",
        "",
        "",
        "",
        "",
        "UICompModel::GetProperty: Unknown Property 'm'",
    };
    int n = 0;
    for (const std::string &script : scripts) {
        SCOPED_TRACE(n);
        Screen *s = MakeScreen(("Odd" + std::to_string(n)).c_str(), script);
        ASSERT_NE(s->ui, nullptr);
        EXPECT_TRUE(Logged(messages[n])) << messages[n];
        n++;
        ASSERT_GE(s->ui->GetNumberOfComps(), 1);
        sman.PushScreen(s, 0);
        apptest::draw = [s](float) {
            s->DrawUI();
            for (int i = 0; i < s->ui->GetNumberOfComps(); i++) {
                UIComp *c = s->ui->GetCompByIndex(i);
                c->Update(0.1f);
                c->ProcessClick();
                c->ProcessKey(27);
                c->EditUpdate(0.1f);
            }
        };
        DrawFrame();
        if (n == 6) {   // the scriptable's failing calls
            EXPECT_TRUE(Logged("Unable to call 'OnDraw'"));   // then OnClick replaced the script
        }
        for (int i = 0; i < s->ui->GetNumberOfComps(); i++) {
            UIComp *c = s->ui->GetCompByIndex(i);
            std::string out = widgettest::Export(c);
            EXPECT_FALSE(out.empty());
            delete c->Clone("copy");
        }
        sman.PopScreen(s, false);
        sman.UpdateScreens(0.0f);
    }
}

}  // namespace
