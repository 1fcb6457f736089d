// Buttons preloaded on the "App Loading" worker, measuring their labels while the main
// thread draws buttons with scaled, aligned and shrunk text every frame (a
// ThreadSanitizer run): each button built on the worker is as large as the same button
// measured on the main thread, so no text state leaks between the threads.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/ui/widgets/ui-button.h"

#include <atomic>

using namespace wtest;
using uitest::ProbeScreen;

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

const char *const kLabels[] = {"Play", "A much longer label for the worker", "Two\\nlines", "1234567890"};

class WidgetThreads : public WidgetTest {};

}  // namespace

TEST_F(WidgetThreads, ButtonsMeasuredOnTheWorkerWhileTheMainThreadDrawsText)
{
    ASSERT_TRUE(CopyShippedFont("fonts/medium.mft"));
    ASSERT_TRUE(CopyShippedFont("fonts/small.mft"));
    // The main thread draws labels at other scales and alignments, shrunk to fit.
    Show("Drawn", "CreateComp ('Button', 'big')\nSetProperty ('position', 0.1, 0.1)\n"
                  "SetProperty ('button.font', 'fonts/medium.mft')\nSetProperty ('button.text_scale_idle', 2.5)\n"
                  "SetProperty ('button.text_align', 'RIGHT BOTTOM')\nSetProperty ('angle', 0.4)\n"
                  "SetProperty ('button.textbox_size', 300, 20)\n"
                  "SetProperty ('button.dynamic_text_scale_limits', 0.1, 5)\n"
                  "SetProperty ('button.text', 'Drawn on the main thread')\n");
    std::vector<Screen *> made;
    for (int i = 0; i < 6; i++) {
        std::string name = "Buttons" + std::to_string(i);
        std::string file = "ui/" + name + ".lua";
        std::string script;
        for (int k = 0; k < 4; k++)
            script += "CreateComp ('Button', 'b" + std::to_string(k) + "')\n"
                      "SetProperty ('button.font', 'fonts/" + (k % 2 ? "small" : "medium") + ".mft')\n"
                      "SetProperty ('button.text_scale_idle', " + std::to_string(1 + k) + ")\n"
                      "SetProperty ('button.text', '" + kLabels[k] + "')\n";
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
            SCOPED_TRACE(std::string(s->GetName()) + " b" + std::to_string(k));
            UICompButton *b = dynamic_cast<UICompButton *>(s->GetComp(("b" + std::to_string(k)).c_str()));
            ASSERT_NE(b, nullptr);
            UICompButton here;
            here.text_scale_idle = b->text_scale_idle;
            here.SetFont(b->font);
            here.SetText("%s", b->text);
            EXPECT_FLOAT_EQ(b->width, here.width);
            EXPECT_FLOAT_EQ(b->height, here.height);
            EXPECT_GT(b->width, 16.0f);
        }
    }
}
