// The timeline's loader thread under ThreadSanitizer: the rulers of the new screens
// load their bitmaps on "TimelineLoader" (slowly) while the main thread runs frames,
// draws and uploads; the loading indicator fades in while the loader counts itself and
// out once it is done. Malformed timeline files give popups, never a crash.
#include "tests/app/ui/timeline_fixture.h"

#include "gfx/bitmap.h"

#include <stdlib.h>

#include <atomic>

using namespace timelinetest;

namespace {

std::atomic<int> s_worker_loads{0};
std::atomic<int> s_main_loads{0};

// Loads off the main thread take a while, so frames start beside them. A load holds
// the bitmaps' lock, so a frame that draws a bitmap meanwhile waits for that one load,
// not for the whole loader.
bool SlowLoader(ov_bitmap_t *b)
{
    if (ov->OV_IsMainThread()) {
        s_main_loads++;
    } else {
        s_worker_loads++;
        ov->OVT_Sleep(40);
    }
    b->width = b->height = b->src_width = b->src_height = 16;
    b->pixels = (uint8_t *)calloc(16 * 16, 4);
    if (b->pixels)
        for (int i = 0; i < 16 * 16 * 4; i++)
            b->pixels[i] = 255;
    return b->pixels != nullptr;
}

class LoaderThread : public TimelineTest {
protected:
    void SetUp() override
    {
        TimelineTest::SetUp();
        s_worker_loads = 0;
        s_main_loads = 0;
        OVI_SetBitmapFileLoader(SlowLoader);
    }
    void TearDown() override
    {
        TimelineTest::TearDown();
        OVI_SetBitmapFileLoader(nullptr);
    }
};

}  // namespace

TEST_F(LoaderThread, RulersLoadOnTheLoaderWhileFramesRun)
{
    std::string screens;
    for (int i = 0; i < 3; i++) {
        std::string name = "Ruled" + std::to_string(i);
        std::string script = "CreateComp('Ruler', 'bar')\nSetProperty('cache_mode', 'LOAD_ON_ENTER')\n"
                             "SetProperty('ruler.endpoint_bitmap', '" + name + "-end')\n"
                             "SetProperty('ruler.repeat_bitmap', '" + name + "-mid')\n"
                             "SetProperty('position', 0.5, 0.5)\n";
        MakeScreen(name.c_str(), script.c_str());
        screens += (i ? "," : "") + name;
    }
    LoadTimeline("story.xml", "<node id=\"e\" screens=\"" + screens + "\" transition_duration=\"0.1\" />\n");
    timeline.StartEvent("e", false, TIMELINE_FADE_BLACK);
    float highest_alpha = 0.0f;
    int frames_while_loading = 0;
    for (int i = 0; i < 3000 && sman.IsScreenInStack(&timeline_transition); i++) {
        if (sman.loader_count.load() > 0)
            frames_while_loading++;
        Frame(0.02f);
        if (sman.loader_alpha > highest_alpha)
            highest_alpha = sman.loader_alpha;
        ov->OVT_Sleep(2);
    }
    ASSERT_FALSE(sman.IsScreenInStack(&timeline_transition));
    EXPECT_EQ(s_worker_loads.load(), 6) << "two bitmaps per ruler, all on the loader";
    EXPECT_GT(frames_while_loading, 0) << "frames ran beside the loader";
    EXPECT_GT(highest_alpha, 0.0f) << "the indicator faded in";
    EXPECT_EQ(sman.loader_count.load(), 0);
    ASSERT_EQ(sman.stack.Count(), 3);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(sman.stack[i]->name, "Ruled" + std::to_string(i));
    for (int i = 0; i < 40 && sman.loader_alpha > 0.0f; i++)
        Frame(0.02f);
    EXPECT_EQ(sman.loader_alpha, 0.0f) << "and out again";
    EXPECT_TRUE(apptest::Logged("Loading thread spent"));
}

TEST_F(LoaderThread, MalformedTimelinesGivePopupsNotCrashes)
{
    MakeScreen("A");
    struct Case {
        const char *name, *text;
    };
    std::string huge = "<?xml version=\"1.0\"?>\n<root>\n<array id=\"timeline\">\n";
    for (int i = 0; i < 2000; i++)
        huge += "<node id=\"e" + std::to_string(i % 7) + "\" screens=\"A,,&amp;!,!&amp;," + std::string(300, 'x') +
                "\" transition_duration=\"1e39\" parm_x=\"1\" />\n";
    huge += "</array>\n</root>\n";
    const Case cases[] = {
        {"syntax.xml", "<?xml version=\"1.0\"?>\n<root>\n<array id=\"timeline\">\n<node id=\"a\" screens=\"A\n"},
        {"noarray.xml", "<?xml version=\"1.0\"?>\n<root>\n<array id=\"other\"><node id=\"a\" /></array></root>\n"},
        {"noid.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"timeline\"><node screens=\"A\" />"
                     "<node id=\"j\" type=\"JUMP\" /></array></root>\n"},
        {"text.xml", "not xml at all"},
        {"huge.xml", huge.c_str()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        apptest::WriteFile(c.name, c.text);
        timeline.LoadTimeline(c.name);
        timeline.StartEvent(nullptr, false, TIMELINE_DEFAULT);
        timeline.GetNextEventId("j");
        timeline.GetNextEventId("e6");
        RunTransition(0.1f, 100);
        timeline.EndEvent();
        RunTransition(0.1f, 100);
        EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition));
        timeline.FreeTimeline();
    }
    EXPECT_FALSE(popups.empty());
}
