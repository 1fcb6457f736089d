// Positional sound: the pan follows x across the world, -0.25 at the left edge, 0 in
// the middle and +0.25 at the right edge, through the audio manager to the engine.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/audioman.h"
#include "game/scape.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Played {
    ov_sound_t *sound;
    float volume, pan, pitch;
};
std::vector<Played> played;

long RecordPlay(ov_sound_t *s, float volume, float pan, float frequency)
{
    played.push_back({s, volume, pan, frequency});
    return 1;
}

class ScapeSound : public apptest::AppEngineTest {};

}  // namespace

TEST_F(ScapeSound, PanFollowsX)
{
    Start();
    aman.Initialize();
    ov->OV_PlaySound = RecordPlay;
    played.clear();
    Scape world;
    world.InitGrid(8, 6, 128.0f);
    ov_sound_t *sound = reinterpret_cast<ov_sound_t *>(&world);  // only passed through
    struct Case {
        float x, pan;
    } cases[] = {{0.0f, -0.25f}, {512.0f, 0.0f}, {1024.0f, 0.25f}, {256.0f, -0.125f}, {-1024.0f, -0.75f}};
    for (const Case &c : cases)
        world.PlaySoundAt(sound, vec2_t{c.x, 300.0f}, 0.5f, 1.2f);
    ASSERT_EQ(5u, played.size());
    for (size_t i = 0; i < played.size(); i++) {
        EXPECT_FLOAT_EQ(cases[i].pan, played[i].pan) << cases[i].x;
        EXPECT_EQ(sound, played[i].sound);
        EXPECT_FLOAT_EQ(1.2f, played[i].pitch);
    }
    // A world without width plays in the middle.
    Scape empty;
    empty.PlaySoundAt(sound, vec2_t{50.0f, 0.0f}, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(0.0f, played.back().pan);
}
