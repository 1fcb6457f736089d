// Screens preloaded one per call on an engine worker thread while the main thread
// runs frames, draws and pushes the screens that are ready (a ThreadSanitizer run).
#include "tests/app/ui/ui_fixture.h"

#include <atomic>

using namespace uitest;

namespace {

std::atomic<bool> loader_done{false};
std::atomic<int> loader_calls{0};

void Loader(void *)
{
    sman.loader_count.fetch_add(1);
    while (!Screen::PreLoadAllScreens(true))
        loader_calls.fetch_add(1);
    sman.loader_count.fetch_sub(1);
    loader_done.store(true);
}

class Threads : public UITest {};

}  // namespace

TEST_F(Threads, PreloadingOnAWorkerBesideTheFrames)
{
    StartUI();
    // Scripted screens load their UI script (and run "OnLoad") when preloaded.
    std::vector<Screen *> made;
    for (int i = 0; i < 8; i++) {
        std::string name = "Worker" + std::to_string(i);
        std::string file = "ui/" + name + ".lua";
        apptest::WriteFile(file, "CreateComp('Rectangle', 'r')\nSetProperty('position', 0.1, 0.1)\n"
                                 "function OnLoad() loaded = 1 end\n");
        made.push_back(sman.CreateScreenScripted(name.c_str(), file.c_str()));
    }
    apptest::WriteFile("ui/fw/screen-transition.lua", "");
    loader_done.store(false);
    ASSERT_GE(ov->OV_CreateThread("App Loading", Loader, nullptr, 0), 0);
    int pushed = 0;
    for (int frame = 0; frame < 3000 && (!loader_done.load() || pushed < (int)made.size()); frame++) {
        for (Screen *s : made) {
            if (s->preloaded.load(std::memory_order_acquire) && !s->entered) {
                sman.PushScreen(s, 0);
                pushed++;
            }
        }
        sman.Update(0.016f);
        DrawFrame();
        ov->OVT_Sleep(1);
    }
    EXPECT_TRUE(loader_done.load());
    EXPECT_EQ(pushed, (int)made.size());
    EXPECT_TRUE(sman.all_screens_preloaded.load());
    EXPECT_EQ(sman.loader_count.load(), 0);
    for (Screen *s : made)
        EXPECT_NE(s->GetComp("r"), nullptr);
}
