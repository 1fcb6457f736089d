// Text boxes measured on the "App Loading" worker while the main thread draws wrapped,
// aligned and scaled text every frame (a ThreadSanitizer run): each worker measurement
// equals the same text box measured on the main thread, so no text state leaks across.
#include "app/ui/widgets/ui-textbox.h"
#include "tests/app/ui/ui_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include <atomic>

using namespace uitest;

namespace {

std::atomic<bool> loader_done{false};

void Loader(void *)
{
    sman.loader_count.fetch_add(1);
    while (!Screen::PreLoadAllScreens(true)) {
    }
    sman.loader_count.fetch_sub(1);
    loader_done.store(true);
}

const char *const kTexts[] = {"A long line of text that is never wrapped here", "Short", "Two\\nlines",
                              "Numbers 0123456789 and more words to measure"};

class TextboxThreads : public UITest {};

}  // namespace

TEST_F(TextboxThreads, MeasuredOnTheWorkerWhileTheMainThreadDrawsText)
{
    StartUI(800, 600, 800, 600);
    widgettest::InstallFonts();
    // The main thread's screen draws wrapped, right-aligned, scaled text every frame.
    ProbeScreen *drawn = MakeScreen("Drawn", "CreateComp ('Textbox', 'wrap')\nSetProperty ('position', 0.1, 0.1)\n"
                                             "SetProperty ('textbox.font', 'fonts/medium.mft')\n"
                                             "SetProperty ('textbox.textbox_width', 60)\n"
                                             "SetProperty ('textbox.textbox_align', 'RIGHT')\nSetProperty ('scale', 1.5)\n"
                                             "SetProperty ('angle', 0.3)\n"
                                             "SetProperty ('textbox.text', 'Wrapped and turned on the main thread')\n");
    sman.PushScreen(drawn, 0);
    std::vector<Screen *> made;
    for (int i = 0; i < 6; i++) {
        std::string name = "Texts" + std::to_string(i);
        std::string file = "ui/" + name + ".lua";
        std::string script;
        for (int k = 0; k < 4; k++)
            script += "CreateComp ('Textbox', 't" + std::to_string(k) + "')\n"
                      "SetProperty ('textbox.font', 'fonts/" + (k % 2 ? "small" : "medium") + ".mft')\n"
                      "SetProperty ('textbox.text', '" + kTexts[k] + "')\n";
        apptest::WriteFile(file, script);
        made.push_back(sman.CreateScreenScripted(name.c_str(), file.c_str()));
    }
    loader_done.store(false);
    ASSERT_GE(ov->OV_CreateThread("App Loading", Loader, nullptr, 0), 0);
    for (int frame = 0; frame < 3000 && !loader_done.load(); frame++) {
        sman.Update(0.016f);
        DrawFrame();
        ov->OVT_Sleep(1);
    }
    ASSERT_TRUE(loader_done.load());
    for (Screen *s : made) {
        for (int k = 0; k < 4; k++) {
            SCOPED_TRACE(std::string(s->GetName()) + " t" + std::to_string(k));
            UICompTextbox *t = dynamic_cast<UICompTextbox *>(s->GetComp(("t" + std::to_string(k)).c_str()));
            ASSERT_NE(t, nullptr);
            UICompTextbox here;
            here.SetFont(t->font);
            here.SetText("%s", t->raw_text);
            EXPECT_FLOAT_EQ(t->width, here.width);
            EXPECT_FLOAT_EQ(t->height, here.height);
            EXPECT_GT(t->width, 16.0f);
        }
    }
}
