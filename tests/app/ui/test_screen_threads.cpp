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

namespace {

std::atomic<bool> spawner_done{false};

void Spawner(void *)
{
    // Twice: screens that the preloaded scripts create are registered after the walk
    // has passed their place in the ring, so a second pass preloads them.
    for (int pass = 0; pass < 2; pass++)
        while (!Screen::PreLoadAllScreens(true)) {
        }
    spawner_done.store(true);
}

}  // namespace

// The UI scripts preloaded on the worker create further screens ("CreateScreen" from
// the worker's Lua states) while the main thread looks screens up by name, walks the
// registry, runs frames and pushes what is ready.
TEST_F(Threads, ScriptsOnTheWorkerCreateScreensBesideTheFrames)
{
    StartUI();
    apptest::WriteFile("ui/spawned.lua", "CreateComp('Marker', 'm')\n");
    std::vector<std::string> spawned;
    for (int i = 0; i < 6; i++) {
        std::string name = "Parent" + std::to_string(i);
        std::string child = "Spawned" + std::to_string(i);
        spawned.push_back(child);
        apptest::WriteFile("ui/" + name + ".lua", "CreateComp('Rectangle', 'r')\nCreateScreen('" + child +
                                                      "', 'ui/spawned.lua')\n");
        sman.CreateScreenScripted(name.c_str(), ("ui/" + name + ".lua").c_str());
    }
    apptest::WriteFile("ui/fw/screen-transition.lua", "");
    spawner_done.store(false);
    ASSERT_GE(ov->OV_CreateThread("App Loading", Spawner, nullptr, 0), 0);
    int pushed = 0, found = 0;
    for (int frame = 0; frame < 3000 && (!spawner_done.load() || pushed < (int)spawned.size()); frame++) {
        for (const std::string &name : spawned) {
            Screen *s = Screen::PeekScreen(name.c_str());
            if (!s)
                continue;
            found++;
            if (s->preloaded.load(std::memory_order_acquire) && !s->entered) {
                sman.PushScreen(s, 0);
                pushed++;
            }
        }
        Screen::GetScreenIndexByName("NotThere");
        sman.Update(0.016f);
        DrawFrame();
        ov->OVT_Sleep(1);
    }
    EXPECT_TRUE(spawner_done.load());
    EXPECT_EQ(pushed, (int)spawned.size());
    EXPECT_GT(found, 0);
    for (const std::string &name : spawned) {
        Screen *s = Screen::PeekScreen(name.c_str());
        ASSERT_NE(s, nullptr) << name;
        EXPECT_NE(s->GetComp("m"), nullptr) << name;
    }
}
