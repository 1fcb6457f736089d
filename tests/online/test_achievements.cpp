// Achievements with the fixture table.
#include "tests/online/online_fixture.h"

#include "online/achievementman.h"

namespace {

class AchievementTest : public onlinetest::OnlineTest {};

TEST_F(AchievementTest, Placeholder)
{
    StartOnline("ACHIEVEMENTS");
}

}  // namespace
