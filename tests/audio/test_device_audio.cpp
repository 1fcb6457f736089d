// The device layer's audio on its own: the PCM sub-channel rules the engine relies on,
// the mixer group gain law, the software mixer's sums, and the media renderer's
// events, errors and dictionaries.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/asound.h"
#include "platform/bps.h"
#include "platform/device.h"
#include "platform/headless.h"
#include "platform/headless_audio.h"
#include "platform/mmrenderer.h"

namespace {

using namespace ovdev;
namespace hl = ovdev::headless;

class DeviceAudio : public ::testing::Test {
protected:
    void SetUp() override {
        UseHeadlessBackend();
        ASSERT_TRUE(hl::set_audio_mode(hl::AudioMode::Manual));
        hl::set_audio_capture(true);
        ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    }
    void TearDown() override {
        for (snd_pcm_t *h : pcms_) snd_pcm_close(h);
        bps_shutdown();
        UseHeadlessBackend();
    }

    // An opened, configured and prepared mono sub-channel with its group name.
    snd_pcm_t *OpenPrepared(const char *group, int frag_size = 2048, int voices = 1) {
        snd_pcm_t *h = nullptr;
        int card = -1, device = -1;
        EXPECT_EQ(snd_pcm_open_preferred(&h, &card, &device, SND_PCM_OPEN_PLAYBACK), 0);
        if (!h) return nullptr;
        pcms_.push_back(h);
        snd_pcm_channel_params_t p;
        std::memset(&p, 0, sizeof p);
        p.channel = SND_PCM_CHANNEL_PLAYBACK;
        p.mode = SND_PCM_MODE_BLOCK;
        p.format = {1, SND_PCM_SFMT_S16_LE, 22050, voices};
        p.buf.block.frag_size = frag_size;
        std::snprintf(p.sw_mixer_subchn_name, sizeof p.sw_mixer_subchn_name, "%s", group);
        EXPECT_EQ(snd_pcm_plugin_params(h, &p), 0);
        EXPECT_EQ(snd_pcm_plugin_prepare(h, SND_PCM_CHANNEL_PLAYBACK), 0);
        return h;
    }

    static snd_pcm_channel_status_t Status(snd_pcm_t *h) {
        snd_pcm_channel_status_t s;
        std::memset(&s, 0, sizeof s);
        EXPECT_EQ(snd_pcm_plugin_status(h, &s), 0);
        return s;
    }

    static std::vector<uint8_t> Constant(int16_t value, int samples) {
        std::vector<uint8_t> out;
        for (int i = 0; i < samples; i++) {
            out.push_back(static_cast<uint8_t>(value & 0xff));
            out.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
        }
        return out;
    }

    static void SetGroup(snd_mixer_t *m, const char *group, int value) {
        snd_mixer_group_t g;
        std::memset(&g, 0, sizeof g);
        std::snprintf(g.gid.name, sizeof g.gid.name, "%s", group);
        ASSERT_EQ(snd_mixer_group_read(m, &g), 0);
        g.volume.names.front_left = g.volume.names.front_right = value;
        ASSERT_EQ(snd_mixer_group_write(m, &g), 0);
    }

    std::vector<snd_pcm_t *> pcms_;
};

TEST_F(DeviceAudio, PlaybackStartsWithTheFirstWriteAndADrainedQueueUnderruns) {
    snd_pcm_t *h = OpenPrepared("a");
    EXPECT_EQ(Status(h).status, SND_PCM_STATUS_PREPARED);
    const std::vector<uint8_t> data = Constant(100, 1024);
    EXPECT_EQ(snd_pcm_plugin_write(h, data.data(), data.size()), 2048);
    EXPECT_EQ(Status(h).status, SND_PCM_STATUS_RUNNING);
    EXPECT_EQ(Status(h).count, 2048);

    hl::mix_audio(1024);
    EXPECT_EQ(Status(h).count, 0);
    hl::mix_audio(1);
    EXPECT_EQ(Status(h).status, SND_PCM_STATUS_UNDERRUN);

    errno = 0;
    EXPECT_EQ(snd_pcm_plugin_write(h, data.data(), data.size()), -1) << "an underrun needs a prepare";
    EXPECT_EQ(errno, EPIPE);
    EXPECT_EQ(snd_pcm_plugin_prepare(h, SND_PCM_CHANNEL_PLAYBACK), 0);
    EXPECT_EQ(snd_pcm_plugin_write(h, data.data(), data.size()), 2048);
    EXPECT_EQ(Status(h).status, SND_PCM_STATUS_RUNNING);
}

TEST_F(DeviceAudio, AFullQueueTakesWholeFragmentsOnly) {
    snd_pcm_t *h = OpenPrepared("a");
    const std::vector<uint8_t> big = Constant(1, 8192);
    EXPECT_EQ(snd_pcm_plugin_write(h, big.data(), big.size()), 16384);
    EXPECT_EQ(snd_pcm_plugin_write(h, big.data(), 8192), 0);
    hl::mix_audio(100);  // 200 bytes free: less than a fragment
    EXPECT_EQ(snd_pcm_plugin_write(h, big.data(), 8192), 0);
    hl::mix_audio(1024);  // now more than one fragment is free
    EXPECT_EQ(snd_pcm_plugin_write(h, big.data(), 8192), 2048);
    const std::vector<hl::PcmWrite> writes = hl::pcm_writes();
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[3].requested, 8192);
    EXPECT_EQ(writes[3].accepted, 2048);
    EXPECT_EQ(writes[3].group, "a");
}

// With recording off (the program run headless) neither the calls nor the PCM writes are
// logged, and the writes still play; a reset records again.
TEST_F(DeviceAudio, WithRecordingOffNoCallOrWriteIsLoggedAndTheWritesStillPlay) {
    snd_pcm_t *h = OpenPrepared("quiet");
    hl::clear_calls();
    hl::clear_pcm_writes();
    hl::clear_captured_audio();
    hl::set_recording(false);
    const std::vector<uint8_t> data = Constant(1000, 1024);
    EXPECT_EQ(snd_pcm_plugin_write(h, data.data(), data.size()), 2048);
    EXPECT_EQ(Status(h).status, SND_PCM_STATUS_RUNNING);
    hl::mix_audio(1024);
    EXPECT_TRUE(hl::pcm_writes().empty());
    EXPECT_TRUE(hl::calls().empty());
    const std::vector<int16_t> mixed = hl::captured_audio();
    ASSERT_EQ(mixed.size(), 2048u);
    EXPECT_NE(mixed[100], 0) << "the write was mixed";

    EXPECT_EQ(snd_pcm_close(h), 0);
    pcms_.clear();
    bps_shutdown();
    hl::reset();
    ASSERT_TRUE(hl::set_audio_mode(hl::AudioMode::Manual));
    ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    h = OpenPrepared("loud");
    EXPECT_EQ(snd_pcm_plugin_write(h, data.data(), data.size()), 2048);
    EXPECT_EQ(hl::pcm_writes().size(), 1u);
    EXPECT_FALSE(hl::calls().empty());
}

TEST_F(DeviceAudio, FragmentSizeStaysWithinItsRange) {
    const int requested[] = {1, 256, 1000, 2048, 100000};
    for (int frag : requested) {
        SCOPED_TRACE(frag);
        snd_pcm_t *h = OpenPrepared("f", frag);
        snd_mixer_gid_t gid;
        snd_pcm_channel_setup_t setup;
        std::memset(&setup, 0, sizeof setup);
        setup.mixer_gid = &gid;
        ASSERT_EQ(snd_pcm_plugin_setup(h, &setup), 0);
        EXPECT_GE(setup.buf.block.frag_size, 256);
        EXPECT_LE(setup.buf.block.frag_size, 2048);
        EXPECT_GT(8820 / setup.buf.block.frag_size * setup.buf.block.frag_size, 0);
        EXPECT_STREQ(gid.name, "f");
        snd_pcm_close(h);
        pcms_.pop_back();
    }
}

TEST_F(DeviceAudio, DrainStopsAtOnceAndDiscardsTheQueue) {
    snd_pcm_t *h = OpenPrepared("a");
    const std::vector<uint8_t> data = Constant(7, 4096);
    ASSERT_EQ(snd_pcm_plugin_write(h, data.data(), data.size()), 8192);
    EXPECT_EQ(snd_pcm_plugin_playback_drain(h), 0);
    EXPECT_EQ(Status(h).status, SND_PCM_STATUS_READY);
    EXPECT_EQ(Status(h).count, 0);
    hl::clear_captured_audio();
    hl::mix_audio(64);
    for (int16_t v : hl::captured_audio()) ASSERT_EQ(v, 0);
}

TEST_F(DeviceAudio, TwelveSubchannelsAndNullHandlesAreAccepted) {
    for (int i = 0; i < 12; i++) ASSERT_NE(OpenPrepared(("g" + std::to_string(i)).c_str()), nullptr);
    snd_pcm_t *h = nullptr;
    EXPECT_EQ(snd_pcm_open_preferred(&h, nullptr, nullptr, SND_PCM_OPEN_PLAYBACK), -EBUSY);
    EXPECT_EQ(hl::open_subchannels(), 12);
    EXPECT_EQ(snd_pcm_close(nullptr), 0);
    EXPECT_EQ(snd_mixer_close(nullptr), 0);
}

struct GainCase {
    int group;
    int16_t input;
};

TEST_F(DeviceAudio, GroupGainIsSilentToTheMiddleThenLinearToUnity) {
    snd_pcm_t *h = OpenPrepared("gain");
    snd_mixer_t *m = nullptr;
    ASSERT_EQ(snd_mixer_open(&m, 0, 0), 0);
    const GainCase cases[] = {{0, 10000}, {50, 10000}, {51, 10000}, {60, 10000}, {75, -12000}, {99, 30000}, {100, 30000}};
    for (const GainCase &c : cases) {
        SCOPED_TRACE(c.group);
        SetGroup(m, "gain", c.group);
        const std::vector<uint8_t> data = Constant(c.input, 256);
        snd_pcm_plugin_prepare(h, SND_PCM_CHANNEL_PLAYBACK);
        ASSERT_EQ(snd_pcm_plugin_write(h, data.data(), data.size()), 512);
        hl::clear_captured_audio();
        hl::mix_audio(256);
        const std::vector<int16_t> out = hl::captured_audio();
        ASSERT_EQ(out.size(), 512u);
        const double gain = c.group <= 50 ? 0.0 : (c.group - 50) / 50.0;
        const long expected = std::lround(c.input * gain);
        EXPECT_NEAR(out[0], expected, 1);
        EXPECT_EQ(out[0], out[1]) << "mono goes to both sides";
        EXPECT_EQ(out[511], out[0]);
    }
    snd_mixer_close(m);
}

TEST_F(DeviceAudio, MixerNoticesReachEveryOpenMixer) {
    OpenPrepared("n");
    snd_mixer_t *a = nullptr, *b = nullptr;
    ASSERT_EQ(snd_mixer_open(&a, 0, 0), 0);
    ASSERT_EQ(snd_mixer_open(&b, 0, 0), 0);
    SetGroup(a, "n", 80);
    SetGroup(a, "n", 90);
    EXPECT_EQ(snd_mixer_read(a, nullptr), 2);
    EXPECT_EQ(snd_mixer_read(a, nullptr), 0);
    EXPECT_EQ(snd_mixer_read(b, nullptr), 2);
    EXPECT_EQ(hl::mixer_group_value("n"), 90);
    snd_mixer_group_t g;
    std::memset(&g, 0, sizeof g);
    std::snprintf(g.gid.name, sizeof g.gid.name, "nobody");
    EXPECT_EQ(snd_mixer_group_read(a, &g), -ENOENT);
    snd_mixer_close(a);
    snd_mixer_close(b);
}

TEST_F(DeviceAudio, SubchannelsAreSummedAndClamped) {
    struct Case {
        int16_t a, b;
    } cases[] = {{1000, -300}, {20000, 20000}, {-30000, -9000}, {32767, 1}};
    snd_pcm_t *ha = OpenPrepared("sa");
    snd_pcm_t *hb = OpenPrepared("sb");
    for (const Case &c : cases) {
        snd_pcm_plugin_prepare(ha, SND_PCM_CHANNEL_PLAYBACK);
        snd_pcm_plugin_prepare(hb, SND_PCM_CHANNEL_PLAYBACK);
        const std::vector<uint8_t> da = Constant(c.a, 64), db = Constant(c.b, 64);
        ASSERT_EQ(snd_pcm_plugin_write(ha, da.data(), da.size()), 128);
        ASSERT_EQ(snd_pcm_plugin_write(hb, db.data(), db.size()), 128);
        hl::clear_captured_audio();
        hl::mix_audio(64);
        const std::vector<int16_t> out = hl::captured_audio();
        ASSERT_EQ(out.size(), 128u);
        const int sum = c.a + c.b;
        const int expected = sum > 32767 ? 32767 : (sum < -32768 ? -32768 : sum);
        EXPECT_EQ(out[0], expected);
        EXPECT_EQ(out[127], expected);
    }
}

// ---- the media renderer

class MediaRenderer : public DeviceAudio {
protected:
    void SetUp() override {
        DeviceAudio::SetUp();
        path_ = "/tmp/ovdev-not-an-mp3-" + std::to_string(getpid()) + ".mp3";
        url_ = "file://" + path_;
        std::FILE *f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("no frames in here", f);
        std::fclose(f);
        conn_ = mmr_connect(nullptr);
        ASSERT_NE(conn_, nullptr);
        ctx_ = mmr_context_create(conn_, "music", 0, 0500);
        ASSERT_NE(ctx_, nullptr);
        ASSERT_EQ(mmr_output_attach(ctx_, "audio:default", "audio"), 0);
        request_ = mmrenderer_request_events("music", 0, 0);
        ASSERT_NE(request_, 0);
    }
    void TearDown() override {
        mmr_context_destroy(ctx_);
        mmr_disconnect(conn_);
        std::remove(path_.c_str());
        DeviceAudio::TearDown();
    }
    // The state events queued so far: state, and the error code or -1 without a record.
    std::vector<std::pair<int, int>> Events() {
        std::vector<std::pair<int, int>> out;
        bps_event_t *e = nullptr;
        while (bps_get_event(&e, 0) == BPS_SUCCESS && e) {
            if (bps_event_get_domain(e) != mmrenderer_get_domain()) continue;
            const mmr_error_info_t *err = mmrenderer_event_get_error(e);
            out.push_back({mmrenderer_event_get_state(e), err ? static_cast<int>(err->error_code) : -1});
        }
        return out;
    }
    mmr_connection_t *conn_ = nullptr;
    mmr_context_t *ctx_ = nullptr;
    int request_ = 0;
    std::string path_, url_;  // a file that exists but holds no MP3 frames
};

TEST_F(MediaRenderer, PlayStopAndTrackEndsGiveDistinctStateEvents) {
    ASSERT_EQ(mmr_input_attach(ctx_, url_.c_str(), "track"), 0);
    Events();
    ASSERT_EQ(mmr_play(ctx_), 0);
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{MMR_STATE_PLAYING, -1}}));
    ASSERT_EQ(mmr_stop(ctx_), 0);
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{MMR_STATE_STOPPED, -1}}))
        << "a stop that was asked for carries no error record";
    ASSERT_EQ(mmr_play(ctx_), 0);
    ASSERT_TRUE(hl::end_music_track(0));
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{MMR_STATE_PLAYING, -1}, {MMR_STATE_STOPPED, 0}}));
    EXPECT_FALSE(hl::end_music_track(0)) << "nothing plays any more";

    ASSERT_EQ(mmr_play(ctx_), 0);
    hl::mix_audio(256);  // the file holds no MP3 frames: the renderer gives up on it
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{MMR_STATE_PLAYING, -1}, {MMR_STATE_STOPPED, MMR_ERROR_MEDIA_CORRUPTED}}));
}

TEST_F(MediaRenderer, EventsOnlyForRequestedContexts) {
    ASSERT_EQ(mmrenderer_stop_events(request_), 0);
    ASSERT_EQ(mmr_input_attach(ctx_, url_.c_str(), "track"), 0);
    ASSERT_EQ(mmr_play(ctx_), 0);
    EXPECT_TRUE(Events().empty());
}

TEST_F(MediaRenderer, AttachAndConnectFailuresAreReported) {
    EXPECT_EQ(mmr_input_attach(ctx_, "file:///tmp/ovdev-no-such-file.mp3", "track"), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(mmr_play(ctx_), -1) << "nothing attached";
    EXPECT_TRUE(hl::music_url().empty());
    ASSERT_TRUE(hl::fail_audio("mmr_connect", 1));
    errno = 0;
    EXPECT_EQ(mmr_connect(nullptr), nullptr);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(mmr_context_create(conn_, "music", 0, 0), nullptr);
    EXPECT_EQ(errno, EEXIST);
}

TEST_F(MediaRenderer, DictionariesAreTakenOverAndSetTheVolume) {
    strm_dict_t *d = strm_dict_new();
    d = strm_dict_set(d, "volume", "60");
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(strm_dict_find_value(d, "volume"), "60");
    EXPECT_EQ(mmr_output_parameters(ctx_, 0, d), 0);  // d belongs to the renderer now
    ASSERT_EQ(mmr_input_attach(ctx_, url_.c_str(), "track"), 0);
    EXPECT_EQ(hl::music_volume(), 60);
    EXPECT_EQ(mmr_output_parameters(ctx_, 0, strm_dict_set(strm_dict_new(), "volume", "101")), -1);
    EXPECT_EQ(hl::music_volume(), 60);
    EXPECT_EQ(strm_dict_set(strm_dict_new(), nullptr, "x"), nullptr);
}

}  // namespace
