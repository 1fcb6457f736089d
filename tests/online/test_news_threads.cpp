// News fetches on their worker, started by activation events, while the main thread
// asks every frame whether news waits and runs engine frames (the fetched images'
// uploads happen at their ends). A binary of the ThreadSanitizer build.
#include "tests/online/online_fixture.h"

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "online/news-manager.h"

#include <string>

namespace {

class NewsThreadsTest : public onlinetest::OnlineTest {};

TEST_F(NewsThreadsTest, FetchesStartedByActivationWhileTheMainThreadAsksEveryFrame)
{
    StartOnline("NEWS");
    prog.parms.developer_mode = 0;
    const char *images[] = {"http://news.invalid/a.tga", "http://news.invalid/b.tga", "http://news.invalid/c.tga"};
    for (const char *image : images)
        ASSERT_TRUE(onlinetest::SeedCachedImage(image, 16, 16, 0xff808080u));
    sman.all_screens_preloaded.store(true);
    news_man.Initialize(300, 200);
    // Until a dozen fetches have run (each activation while one runs is refused).
    int ready_frames = 0, fetches = 0;
    for (int frame = 0; frame < 100000 && fetches < 12; frame++) {
        if (news_man.IsNewsReadyToBeShown())
            ready_frames++;
        // A new reply for each fetch; the worker reads the file, so it is written only
        // while no fetch runs.
        if (!news_man.IsFetching()) {
            onlinetest::WriteReply("{id=\"item" + std::to_string(frame) + "\" image=\"" + images[fetches % 3] +
                                   "\" variant=\"v\"}");
            fetches++;
        }
        ov_event_t event = {};
        event.type = OV_EVENT_ACTIVATION;
        event.inactive = 0;
        sman.ProcessEvent(event);
        NewsManager::News copy = news_man.CopyNews();
        if (copy.valid) {
            EXPECT_NE(copy.id, nullptr);
            EXPECT_NE(copy.bitmap, nullptr);
        }
        DrawFrame();
        Steps(1, 0.016f);
    }
    WaitForFetch();
    EXPECT_EQ(fetches, 12);
    EXPECT_GT(ready_frames, 0);
    EXPECT_TRUE(news_man.IsNewsReadyToBeShown());
    EXPECT_GE((int)onlinetest::Addresses().size(), fetches);
}

}  // namespace
