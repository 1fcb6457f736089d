// The media renderer with a real track: our 440 Hz test tone (rendered and encoded by
// the build) is decoded into the mixer, ends cleanly, and plays again from its start.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/bps.h"
#include "platform/device.h"
#include "platform/headless_audio.h"
#include "platform/mmrenderer.h"

namespace {

using namespace ovdev;
namespace hl = ovdev::headless;

class MusicDecoding : public ::testing::Test {
protected:
    void SetUp() override {
        UseHeadlessBackend();
        ASSERT_TRUE(hl::set_audio_mode(hl::AudioMode::Manual));
        hl::set_audio_capture(true);
        ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
        conn_ = mmr_connect(nullptr);
        ctx_ = mmr_context_create(conn_, "tone", 0, 0500);
        ASSERT_EQ(mmr_output_attach(ctx_, "audio:default", "audio"), 0);
        ASSERT_NE(mmrenderer_request_events("tone", 0, 0), 0);
        ASSERT_EQ(mmr_input_attach(ctx_, (std::string("file://") + ORVEX_TEST_TONE).c_str(), "track"), 0);
    }
    void TearDown() override {
        mmr_context_destroy(ctx_);
        mmr_disconnect(conn_);
        bps_shutdown();
        UseHeadlessBackend();
    }
    // Plays the track to its end; the left side of what was mixed, and the error code
    // of the stopped event (-2 when the track never ended).
    std::vector<int16_t> PlayToEnd(int *error_code) {
        bps_event_t *e = nullptr;
        while (bps_get_event(&e, 0) == BPS_SUCCESS && e) {
        }  // what came before this play
        hl::clear_captured_audio();
        EXPECT_EQ(mmr_play(ctx_), 0);
        *error_code = -2;
        for (int i = 0; i < 200 && *error_code == -2; i++) {
            hl::mix_audio(1024);
            while (bps_get_event(&e, 0) == BPS_SUCCESS && e)
                if (mmrenderer_event_get_state(e) == MMR_STATE_STOPPED) {
                    const mmr_error_info_t *err = mmrenderer_event_get_error(e);
                    *error_code = err ? static_cast<int>(err->error_code) : -1;
                }
        }
        std::vector<int16_t> left;
        const std::vector<int16_t> all = hl::captured_audio();
        for (size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
        return left;
    }
    // Rising zero crossings per second over the loud part of the signal.
    static double Frequency(const std::vector<int16_t> &s, int *loud_frames) {
        int first = -1, last = -1, crossings = 0;
        for (size_t i = 1; i < s.size(); i++) {
            if (std::abs(s[i]) > 3000) {
                if (first < 0) first = static_cast<int>(i);
                last = static_cast<int>(i);
            }
        }
        for (int i = first + 1; first >= 0 && i <= last; i++) crossings += s[i - 1] < 0 && s[i] >= 0;
        *loud_frames = last - first;
        return *loud_frames > 0 ? crossings * 22050.0 / *loud_frames : 0;
    }
    mmr_connection_t *conn_ = nullptr;
    mmr_context_t *ctx_ = nullptr;
};

TEST_F(MusicDecoding, TheToneIsHeardEndsCleanlyAndRestartsFromItsBeginning) {
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        int error = 0;
        const std::vector<int16_t> left = PlayToEnd(&error);
        EXPECT_EQ(error, MMR_ERROR_NONE) << "a track that ends gives a clean stop";
        int loud = 0;
        const double hz = Frequency(left, &loud);
        EXPECT_NEAR(hz, 440.0, 440.0 * 0.03);
        EXPECT_NEAR(loud, 22050, 22050 * 0.1) << "one second of tone";
        EXPECT_FALSE(hl::music_playing());
    }
}

// The output volume is a taper: silent up to 40, rising to unity at 80.
TEST_F(MusicDecoding, TheOutputVolumeScalesTheAmplitudeOnItsTaper) {
    int error = 0;
    auto peak = [](const std::vector<int16_t> &s) {
        int p = 0;
        for (int16_t v : s) p = std::max(p, std::abs(static_cast<int>(v)));
        return p;
    };
    const int full = peak(PlayToEnd(&error));
    ASSERT_GT(full, 10000);
    const struct {
        const char *volume;
        double amplitude;
    } cases[] = {{"80", 1.0}, {"70", 0.75}, {"60", 0.5}, {"41", 0.025}, {"40", 0.0}, {"20", 0.0}, {"100", 1.0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.volume);
        ASSERT_EQ(mmr_output_parameters(ctx_, 0, strm_dict_set(strm_dict_new(), "volume", c.volume)), 0);
        EXPECT_NEAR(peak(PlayToEnd(&error)), full * c.amplitude, full * 0.02);
    }
}

}  // namespace
