// News fetches on their worker while the main thread runs frames.
#include "tests/online/online_fixture.h"

#include "online/news-manager.h"

namespace {

class NewsThreadsTest : public onlinetest::OnlineTest {};

TEST_F(NewsThreadsTest, Placeholder)
{
    StartOnline("NEWS");
}

}  // namespace
